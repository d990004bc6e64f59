#pragma once
// The in-memory model of the connected keyboard.
//
// It holds what the keyboard's description package says (IDs, model key and
// name, keyboard type, supported functions, crop frame style, LED timings and
// every key with its rectangles on the keyboard picture) and what the device
// reports or holds (model number and firmware versions, brightness, APC
// levels, indicator LED colour, key-lock switch, Caps Lock key-code change and
// per-key lock). It is the keyboard command set (KolventraKeyboard) plus the
// device interface (IDeviceEntry).
//
// Life of one connection, as the main window drives it:
//     auto kb = std::make_shared<KeyboardEntry>();
//     kb->loadProfile(packagePath);       // description package (".key")
//     kb->open(location);                 // session start + identification
//     AppParam::device = kb;
//     kb->loadDeviceParam();              // every setting from the device
//     ...
//     kb->close(stillAttached);
//
// Pacing: the model arms the 0.06 s command pacing after each read of
// loadDeviceParam() and before each status read, so consecutive reads leave
// the host at least 0.06 s apart (the first read after open() is not paced).
//
// Main thread only.

#include "AppEnums.h"
#include "Device/DeviceEntryBase.h"
#include "Device/KolventraKeyboard.h"
#include "Utility/AppColor.h"
#include "XML/KeyboardProfile.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

class KeyboardProfile;

// One key of the keyboard picture and its device state.
class KeytopEntry {
public:
    // Key code of a key that takes no per-key settings.
    static constexpr int kNoKeyCode = 255;

    KeytopEntry() = default;
    KeytopEntry(KeytopEntryType type, QString name, int code, int group, std::vector<QRectF> keytop,
                std::vector<QRectF> frame, QRectF ledFrame);

    // A code a description may give a key: 0..127, or kNoKeyCode.
    static constexpr bool isDescribableCode(int code)
    {
        return (code >= 0 && code < int(KolventraKeyboard::kKeyCount)) || code == kNoKeyCode;
    }

    // The key takes per-key settings (APC level, lock) from and to the
    // device: a Button whose code indexes the 128-entry lists.
    bool hasPerKeySettings() const
    {
        return type == KeytopEntryType::Button && code >= 0
            && code < int(KolventraKeyboard::kKeyCount);
    }

    KeytopEntryType type = KeytopEntryType::Button;
    QString name;
    // 0..127 for keys with per-key settings; 255 for a key without them.
    int code = 0;
    int group = 0;
    std::vector<QRectF> keytop;     // key-top rectangles on the picture
    std::vector<QRectF> frame;      // key frame rectangles on the picture
    QRectF ledFrame;                // LED area of the key
    ApcLevel apcLevel = ApcLevel::None;
    KeytopLock lock = KeytopLock::Unlock;
    std::vector<AppColor> userColor{AppColor::black()};
    bool select = false;            // selected on the picture
    bool press = false;             // drawn as pressed
    AppColor color = AppColor::clear(); // drawing colour
};

// Device status values that can be re-read one by one.
enum class DeviceParamPart : int { KeyLockStatus = 0, KeyCodeChangeStatus };

class KeyboardEntry : public DeviceEntryBase<KolventraKeyboard> {
public:
    // Result of loadDeviceStatus(): `changed` is true when the value read
    // differs from the model's and the model was updated.
    struct StatusResult {
        AppError error = AppError::NoError;
        bool changed = false;
    };

    // Member of a description package that holds the description.
    static constexpr const char* kDescriptionMember = "Profile.xml";

    // Every field at its default; the colour maps as described at ledSelect
    // and ledColor.
    KeyboardEntry();
    ~KeyboardEntry() override;

    // ----- description ---------------------------------------------------

    // Path of the loaded description package; empty while none is loaded or
    // after loading failed.
    QString profilePath;
    // Description "Offset": added to every key rectangle.
    QPointF offset{0, 0};
    std::vector<KeytopEntry> keytopList;
    AppKeyboardType keyboardType = AppKeyboardType::None;
    QRectF keytopFrame{};
    bool supportAPC = false;
    // Never set from the description: a running LED effect is never stopped.
    bool supportRGBLED = false;
    bool supportIndicatorLedSettings = false;
    AppColor cropFrameColor = AppColor::rgba(1, 1, 1, 1);
    double cropFrameWidth = 0;
    int ledRainbowLoopTiming = 0;
    int ledShootingStarLoopTiming = 0;

    // ----- settings --------------------------------------------------------

    FunctionItem apcFunction = FunctionItem::Separate;
    // All-keys level as read from the device.
    ApcLevel apcLevel = ApcLevel::None;
    FunctionItem ledFunction = FunctionItem::DemoMode;
    LedBrightness ledBrightness = LedBrightness::Level1;
    LedInterval ledShootingStarInterval = LedInterval::Level5;
    KeyLockFunction keyLockEnable = KeyLockFunction::Disable;
    KeyCodeChange deviceKeyCodeChange = KeyCodeChange::Disable;
    // Colour choice per LED function: UserSetting → UserSetting1, the three
    // pressed-key and shooting-star effects → DirectSelect.
    std::map<FunctionItem, ColorSelect> ledSelect;
    // Colour per LED effect: black for PressedKeyLighting,
    // PressedKeyLightingWithBL and ShootingStar.
    std::map<FunctionItem, AppColor> ledColor;
    AppColor indicatorLedColor = AppColor::clear();

    // ----- operations ------------------------------------------------------

    // Fills the model from the description package at `path` (member
    // "Profile.xml"). A package that cannot be read (or whose description
    // holds a text that does not convert) empties profilePath and returns the
    // reader's error (BadParam for the latter). A key code other than 0..127
    // and 255 logs "Keyboard Profile load Bad Param." and returns BadParam:
    // the keys before it stay in keytopList (not flipped), profilePath keeps
    // its old value. Otherwise the key rectangles are flipped into the main
    // view's bottom-up coordinates (height of AppParam::mainFrame) and
    // profilePath becomes `path`.
    AppError loadProfile(const QString& path) override;
    // Whether loadProfile() takes a description that was read: BadParam for
    // a text that did not convert or a key code it refuses, else NoError.
    static AppError checkDescription(const KeyboardProfile& description);
    // The same from a description already read (from the package at its
    // profilePath), without reading the package again.
    AppError loadDescription(const KeyboardProfile& description);
    // Ends a session still open (result ignored), closes, opens the keyboard
    // at `location`, sends the start notice, arms the pacing and reads model
    // number and firmware versions. AbortFirmwareUpdate (an interrupted
    // firmware update is pending) keeps the connection and is returned after
    // a good identification.
    AppError open(uint32_t location) override;
    // Sends the end notice when a device is open and `connected`, then closes
    // in every case; returns the end notice's result.
    AppError close(bool connected) override;
    // Not used for keyboards: Error, nothing changes.
    AppError getDeviceInfo(uint32_t location) override;
    // Re-reads one status value (key-lock switch or key-code change).
    virtual StatusResult loadDeviceStatus(DeviceParamPart param);
    // Reads every setting from the keyboard: brightness; when APC is
    // supported the all-keys and per-key levels; when indicator LED settings
    // are supported the indicator colour (its error is not reported); then
    // the key-code change, the key-lock switch and the per-key locks. The
    // first error of the brightness and APC reads stops them and is returned
    // after the indicator read; later errors are returned at once.
    AppError loadDeviceParam() override;
    // Stops a running LED effect when the model supports RGB LEDs (it never
    // does): NoError without sending anything.
    virtual AppError stopEffect();
    // Keyboard.
    DeviceType deviceType() override;
    // A description package is loaded (profilePath is not empty).
    bool isEnable() override;

    // ----- text syntax of the description values (exposed for tests) -------

    // Rectangles of a "x,y,w,h,..." text: spaces removed, split at ",",
    // empty parts dropped, one rectangle per whole group of four parts (extra
    // parts ignored), each moved by `offset`. A part that is not a finite
    // number reads as 0.
    static std::vector<QRectF> parseRectList(const QString& text, QPointF offset);
    // The LED rectangle of a "x,y,w,h" text: the empty text gives the zero
    // rectangle (not moved); otherwise the first four parts (missing or
    // non-numeric ones read as 0), moved by `offset`.
    static QRectF parseLedFrame(const QString& text, QPointF offset);
    // A finite real number written as text, or absent.
    static std::optional<double> parseReal(const QString& text);

private:
    // Turns every key rectangle into the main view's bottom-up coordinates.
    void flippedKeytopFrame();
};
