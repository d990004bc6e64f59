#pragma once
// The in-memory model of the connected mouse: the buttons of its picture
// from the description package, its identity, and a copy of every setting
// the mouse holds (button functions, custom keys, LED, four DPI settings,
// lift-off distance, report interval). It sends the mouse commands itself
// (KolventraMouse) and is the current device of the application through
// IDeviceEntry. The setting panels and the mouse user profile read and change
// its setting fields directly and call its commands.
//
// Backup. The model keeps the settings last read from or stored in the mouse
// (mouseSetting_FWBackUp). Closing the mouse while it is still attached writes
// the backup back and stores it, so changes that were sent to the mouse but
// never stored with Send are undone.
//
// Custom keys. A mouse whose settings reply uses the older layout sends no
// custom keys (KolventraMouse::isNewerSettingsLayout); the model then does not
// know them. The model remembers, per custom key, whether it really holds the
// mouse's value: read from a newer-layout reply, or accepted by the mouse
// through CMD_SetCustomKeysSetting (which also puts the key into
// customKeyList). The restore writes only custom keys it knows, so it never
// replaces the mouse's stored keys with zeros it never read.
//
// Life cycle (main window): construct, loadProfile(path), open(location),
// loadDeviceParam() (takes the first backup); panels and profile loading send
// single commands and update the fields; CMD_RegistSetting() (Send) stores
// and takes a new backup; close(connected).
//
// Main thread only; a worker may read a model made for it on the main thread
// that no one changes any more (the mouse connect's model as made, from which
// its first picture is chosen).

#include "AppEnums.h"
#include "Device/DeviceEntryBase.h"
#include "Device/KolventraMouse.h"
#include "XML/MouseProfile.h"
#include "XML/UserMProfileFile.h"

#include <QRectF>
#include <QString>

#include <array>
#include <memory>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class MouseTabPictures;

// One button of the mouse picture.
struct MButtonEntry {
    QString name;                   // button name from the description
    ButtonNo code = ButtonNo::None; // which button (None for marks that are no button)
    QRectF margin{0, 0, 0, 0};      // the label area on the picture
    int32_t align = 0;              // label alignment from the description
};

// The settings last read from or stored in the mouse.
struct MouseSetting_FwBackUp {
    using CustomKeyEntry = UserMProfileFile::CustomKeyEntry;

    std::array<uint8_t, 6> buttonSettingList{};
    Indicator indicatorEnable = Indicator::Disable;
    Logo LogoEnable = Logo::Disable;
    LedColor color = LedColor::White;
    eLuminance luminance = eLuminance::Level1;
    std::array<uint8_t, 4> dpiSettingEnable{};
    std::array<int32_t, 4> dpiSettingValue{};
    DpiSettingNo dpiSelected = DpiSettingNo::Setting1;
    LoD liftOffDistance = LoD::LoD_2mm;
    std::array<CustomKeyEntry, 4> customKeyList{};
    // Which custom keys hold the mouse's real values (see MouseEntry).
    std::array<bool, 4> customKeyKnown{};
};

class MouseEntry : public DeviceEntryBase<KolventraMouse> {
public:
    using CustomKeyEntry = UserMProfileFile::CustomKeyEntry;

    static constexpr int kButtonCount = 6;      // stored button functions
    static constexpr int kDpiCount = 4;         // DPI settings
    static constexpr int kCustomKeyCount = 4;   // custom keys of buttons 3 to 6

    MouseEntry();
    ~MouseEntry() override;

    // ----- description -------------------------------------------------------

    // Path of the loaded description package; empty while none is loaded.
    QString profilePath;
    // Buttons of the picture, in description order.
    std::vector<MButtonEntry> buttonList;
    // The pictures the mouse's setting panels show; set by the main window's
    // connect, null before and in an empty model.
    std::shared_ptr<const MouseTabPictures> tabPictures;

    // ----- settings ------------------------------------------------------------

    // Function code (ButtonAssignCode raw value) of buttons 1 to 6.
    std::array<uint8_t, kButtonCount> buttonSettingList{};
    Indicator indicatorEnable = Indicator::Disable;
    Logo logoEnable = Logo::Disable;
    LedColor color = LedColor::White;
    eLuminance luminace = eLuminance::Level1;
    // Enable byte (0 = enabled) and DPI index (dpi = (index + 1) × 100) of
    // DPI settings 1 to 4.
    std::array<uint8_t, kDpiCount> dpiSettingEnable{};
    std::array<int32_t, kDpiCount> dpiSettingValue{};
    DpiSettingNo dpiSelected = DpiSettingNo::Setting1;
    // The settings last read or stored; absent until the first read.
    std::optional<MouseSetting_FwBackUp> mouseSetting_FWBackUp;
    // Set by the factory-reset action: the next loadDeviceParam() keeps the
    // backup from before the reset (and clears the flag).
    bool mouseSetting_Initialized = false;
    LoD liftOffDistance = LoD::LoD_2mm;
    // Report interval; read only (no command sets it).
    ReportDiscriptor reportDiscriptor = ReportDiscriptor::Fps_1kHz;
    // Custom key combinations of buttons 3 to 6 (codes None until read).
    std::array<CustomKeyEntry, kCustomKeyCount> customKeyList{};
    // Which entries of customKeyList hold the mouse's real values.
    std::array<bool, kCustomKeyCount> customKeyKnown{};

    // ----- operations ------------------------------------------------------------

    // Whether the mouse's firmware supports custom keys: true without a
    // firmware version; otherwise the second "."-separated part of the
    // version decides: true when it is not a decimal integer or is 10 or
    // more, false below 10 and when there is no second part.
    virtual bool isSupportedCustomKeySetting() const;

    // True when the firmware version's second "."-separated part is a decimal
    // integer below 10 (firmware without custom keys and double click on
    // buttons 3 to 6). False without a version or a second part.
    bool isOlderButtonFirmware() const;

    bool isEnable() override;
    DeviceType deviceType() override;

    // Reads the description package at `path` (member "Profile.xml"): vendor
    // and product IDs, model name, profile extension and the button list. On
    // any failure (unreadable package: its error; a description that is not
    // usable, such as non-hexadecimal IDs or a malformed margin: BadParam)
    // profilePath becomes "" and nothing else changes.
    AppError loadProfile(const QString& path) override;
    // The same from a description already read (from the package at its
    // profilePath), without reading the package again.
    AppError loadDescription(const MouseProfile& description);

    // Opens the mouse at `location`: the end notice to a device that is
    // still open, close, open, the start notice, then (paced) the device
    // identification into modelNumber and the firmware versions. Returns the
    // first error; AbortFirmwareUpdate from the start notice (an interrupted
    // firmware update is pending) is returned only after a good
    // identification.
    AppError open(uint32_t location) override;

    // With the mouse open and still attached: restores the backup (when
    // there is one) and sends the end notice. Returns the restore's error
    // when it failed (the unsent changes may then be left in the mouse, or
    // partly undone), else the end notice's result. The HID device is closed
    // in every case; NoError otherwise.
    AppError close(bool connected) override;

    // Not offered by the mouse model: Error, nothing changes.
    AppError getDeviceInfo(uint32_t location) override;

    // Reads the settings record into the fields (values out of range become
    // the field's default: colour White, luminance Level1, indicator and
    // logo Disable, selected DPI Setting1, lift-off 2 mm, report 1 kHz), then
    // takes a new backup unless mouseSetting_Initialized is set (which is
    // then cleared). A failed read changes nothing and returns its error.
    // Arms the pacing afterwards.
    AppError loadDeviceParam() override;

    // Copies the current settings into a new backup. Always NoError.
    virtual AppError mouseSetting_Backup();

    // Writes the backup to the mouse and stores it: swap setting (from
    // button 1), functions of buttons 3 to 6, the known custom keys (when the
    // firmware supports them), LED, the DPI settings other than the selected
    // one, the selected DPI setting last, lift-off distance, store; then
    // takes a new backup. A refused write of a DPI setting other than the
    // selected one does not stop the restore, but nothing is stored then and
    // the first such refusal is returned; any other error stops the restore
    // and is returned (the first refusal before it, if any): nothing is
    // stored and the backup stays. Error without a backup (nothing sent).
    virtual AppError mouseSetting_Restore();

    // A custom key the mouse accepted becomes the model's known value of
    // that button (BtnNo 2..5 are buttons 3 to 6).
    AppError CMD_SetCustomKeysSetting(int BtnNo, int Modifier, int KeyCode) override;

    // ----- IDeviceEntry: firmware transfer ----------------------------------------

    // Stores the settings in the mouse and, when that succeeded, takes a new
    // backup. The command's result.
    AppError CMD_RegistSetting() override;
};
