#pragma once
// Application-wide state and constants. Never instantiated; every member is
// static, created on first use and alive for the whole run. Main thread only.

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <QRectF>
#include <QString>
#include <QStringList>

#include "AppEnums.h"
#include "Utility/AppColor.h"

class IDeviceEntry;
class IMainController;
class DeviceProfile;

// Virtual key codes of custom-set keys that have no key code of their own.
inline constexpr int kVK_WinPrintScreen = 128;
inline constexpr int kVK_WinScroll = 129;
inline constexpr int kVK_WinPause = 130;
inline constexpr int kVK_WinMuhenkan = 131;
inline constexpr int kVK_WinHenkan = 132;
inline constexpr int kVK_WinInsert = 133;
inline constexpr int kVK_WinKana = 134;

class AppParam {
public:
    AppParam() = delete;

    // ----- state -----------------------------------------------------------

    // The main window controller; registered by it when it is created,
    // absent (null) until then. Not owned.
    static inline IMainController* mainController = nullptr;
    // The current device. Only the main window replaces it (connect,
    // disconnect, recovery); everyone else borrows it. Without a device it
    // holds an empty entry of the kind last shown (isEnable() false), never
    // null.
    static std::shared_ptr<IDeviceEntry> device;

    // Unsent changes exist (the main window shows Send from it).
    static inline bool keyboardSettingsChanged = false;
    // Saves keyboardSettingsChanged while a panel re-initialises its controls.
    static inline BoolStack keyboardSettingsChangedStack{};

    // Location of the selected device (0 = none); persisted.
    static inline int32_t selectDeviceLocation = 0;
    static inline DeviceType selectDeviceType = DeviceType::Unknown;
    static inline FunctionTab functionTabSelect = FunctionTab::None;
    static inline FunctionItem functionApcSettingSelect = FunctionItem::None;
    static inline FunctionItem functionLedSettingSelect = FunctionItem::None;
    static inline FunctionItem functionMouseButtonSettingSelect = FunctionItem::None;
    static inline KeyDrawFrom keyDrawMode = KeyDrawFrom::None;
    static inline CropMode appCropMode = CropMode::None;
    static inline KeyAnimation appKeyAnimation = KeyAnimation::None;
    // Colour with which the keyboard picture paints selected keys.
    static inline AppColor paintColor = AppColor::black();
    // Frame of the main view; the keyboard model flips key rectangles against it.
    static inline QRectF mainFrame{};
    static inline WINDOWPLACEMENT windowPlacement{};
    // Folder of the user's profile files (ends in "/", or empty); persisted.
    static inline QString userProfileFilePath{};
    // The last chosen file (a firmware image or a description package), or
    // empty; persisted.
    static inline QString firmwareFilePath{};
    // Descriptions of all supported models, built by the device enumerator.
    static inline std::vector<std::shared_ptr<DeviceProfile>> targetProfileList{};
    static inline AppColor selectColor = AppColor::opaqueRed();
    static inline std::vector<AppColor> customColor =
        std::vector<AppColor>(20, AppColor::clear());
    static inline int customColorSelect = 0;
    static inline std::vector<AppColor> standerdColor =
        std::vector<AppColor>(10, AppColor::clear());
    static inline QStringList localizeList{};

    // ----- constants -------------------------------------------------------

    // The application's folder below the per-user data folder.
    static constexpr const char* APP_WORK_PATH = "Nembo/KOLVENTRA/";
    static constexpr const char* APP_SETTINGS_INI = "Application.ini";
    static constexpr const char* APP_DEFALUT_INI = "Application.def";
    static constexpr const char* KeyboardProfileExt = ".key";
    static constexpr const char* MouseProfileExt = ".mou";
    static constexpr const char* userProfileExt = ".prf";
    static constexpr const char* userMProfileExt = ".mprf";
    static constexpr const char* userProfileNameFormat = "QMVKB_%04d";
    static constexpr const char* userMProfileNameFormat = "QMVMO_%04d";
    static constexpr int MouseButtonSettingCount = 6;
    static constexpr int MouseButtonCustomCount = 4;
    static constexpr int SupportCustomKeyFirmVersion = 10;
    static constexpr double supportKeyboardProfileVersion = 1002.0;

    // ----- colours ---------------------------------------------------------

    static constexpr AppColor BackgroundColor = AppColor::rgb8(26, 26, 26, 1.0);
    static constexpr AppColor SubBackgroundColor = AppColor::rgb8(26, 26, 26, 0.9);
    static constexpr AppColor MessageBackgroundColor = AppColor::rgb8(0, 0, 0, 0.9);
    static constexpr AppColor OKButtonColor = AppColor::rgba(0.4, 0.4, 0.4, 1.0);
    static constexpr AppColor OKButtonHighlightColor = AppColor::rgb8(92, 92, 92);
    static constexpr AppColor CancelButtonColor = AppColor::rgba(0.2, 0.2, 0.2, 1.0);
    static constexpr AppColor CancelButtonHighlightColor = AppColor::rgb8(41, 41, 41);
    static constexpr AppColor SelectButtonColor = AppColor::rgb8(81, 81, 81);
    static constexpr AppColor SelectButtonHighlightColor = AppColor::rgb8(71, 71, 71);
    static constexpr AppColor ButtonEnableTitleColor = AppColor::rgb8(255, 255, 255);
    static constexpr AppColor ButtonDisableTitleColor = AppColor::rgb8(128, 128, 128);
    static constexpr AppColor TableViewHighlightColor = AppColor::rgb8(220, 220, 220);
    static constexpr AppColor ColorButtonApcLow = AppColor::rgb8(255, 0, 0, 0.6);
    static constexpr AppColor ColorButtonApcMiddle = AppColor::rgb8(0, 255, 0, 0.6);
    static constexpr AppColor ColorButtonApcHigh = AppColor::rgb8(0, 127, 255, 0.6);
    static constexpr AppColor ColorButtonClear = AppColor::rgb8(0, 0, 0, 0.0);
    static constexpr AppColor ColorButtonKeyLock = AppColor::rgb8(255, 0, 0, 0.6);
    static constexpr AppColor IndicatorColorOff = AppColor::rgb8(0, 0, 0);
    static constexpr AppColor IndicatorColorRed = AppColor::rgb8(255, 0, 0);
    static constexpr AppColor IndicatorColorGreen = AppColor::rgb8(0, 255, 0);
    static constexpr AppColor IndicatorColorBlue = AppColor::rgb8(0, 0, 255);
    static constexpr AppColor IndicatorColorMagenta = AppColor::rgb8(255, 0, 255);
    static constexpr AppColor IndicatorColorYellow = AppColor::rgb8(255, 255, 0);
    static constexpr AppColor IndicatorColorCyan = AppColor::rgb8(0, 255, 255);
    static constexpr AppColor IndicatorColorWhite = AppColor::rgb8(255, 255, 255);
    static constexpr AppColor IndicatorButtonColorOff = AppColor::rgb8(119, 119, 119);
    static constexpr AppColor IndicatorButtonColorRed = IndicatorColorRed;
    static constexpr AppColor IndicatorButtonColorGreen = IndicatorColorGreen;
    static constexpr AppColor IndicatorButtonColorBlue = IndicatorColorBlue;
    static constexpr AppColor IndicatorButtonColorMagenta = IndicatorColorMagenta;
    static constexpr AppColor IndicatorButtonColorYellow = IndicatorColorYellow;
    static constexpr AppColor IndicatorButtonColorCyan = IndicatorColorCyan;
    static constexpr AppColor IndicatorButtonColorWhite = AppColor::rgb8(240, 240, 240);

    // ----- key-code tables -------------------------------------------------

    // Virtual key code -> modifier bit (the eight modifier keys).
    static const std::map<int, CustomKeyModifier> ModifierDict;
    // Virtual key code -> custom key code (119 entries; modifier keys map to
    // CustomKeyCode::Modifier). Both tables hold the same contents.
    static const std::map<int, CustomKeyCode> KeyCodeDict;
    static const std::map<int, CustomKeyCode> KeyCodeUsDict;
};
