#pragma once
// The shared vocabulary of the application: every enumeration that names a
// setting, a device kind, a tab, a menu function, a key or a button function.
//
// The raw value of a case is what goes to the devices and into tables; the
// case name is the text written into profile and settings files. Both are
// fixed. For every enumeration E below:
//
//   rawValue(e)            the integer raw value
//   fromRaw<E>(raw)        the case with that raw value, or std::nullopt
//   caseName(e)            the case name as files store it
//   fromName<E>(text)      the case with that exact name, or std::nullopt
//   EnumTraits<E>::cases   every case with its name, in declaration order

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include <QPointF>
#include <QRectF>

// ---------------------------------------------------------------------------
// Enumerations

// What the keyboard picture is currently showing and editing.
enum class KeyDrawFrom : int {
    None = 0,
    UserSetting1,
    UserSetting2,
    UserSetting3,
    ApcLevelSeparate,
    ApcLevelCollective,
    KeyLock,
    ParallelSpecify,
    SingleSpecify,
};

enum class DeviceType : int { Unknown = -1, Keyboard, Mouse };

enum class FunctionTab : int {
    None = 0,
    ApcSetting,
    LedSetting,
    GamingSetting,
    OtherSetting,
    MButtonSetting,
    MLedSetting,
    MSensorSetting,
    MOtherSetting,
};

enum class LedBrightness : int { Level0 = 0, Level1, Level2 };

enum class LedInterval : int {
    Level0 = 0, Level1, Level2, Level3, Level4, Level5, Level6, Level7, Level8, Level9,
};

enum class ColorSelect : int { None = -1, DirectSelect, UserSetting1, UserSetting2, UserSetting3 };

enum class ApcLevel : int { None = 0, Low, Middle, High };

enum class KeyLockFunction : int { Disable = 0, Enable = 1 };

enum class KeytopLock : int { Unlock = 0, Lock = 1 };

enum class KeyCodeChange : int { Disable = 0, Enable = 1 };

enum class CropMode : int { None = 0, Area, AreaButton, PushButton };

enum class KeyAnimation : int { None = 0, RainbowWave, ShootingStar, Random, KeyPsuh };

enum class KeytopEntryType : int { None = 0, Button, LedIndicator };

enum class KeytopEntryDrawType : int { None = 0, Rect, LedIndicator, Path };

enum class AppKeyboardType : int {
    None = 0,
    KOLVENTRA_RGB_US108,
    KOLVENTRA_RGB_JP112,
    KOLVENTRA_RGB_US87,
    KOLVENTRA_RGB_JP91,
    KOLVENTRA_JP108,
    KOLVENTRA_JP112,
    KOLVENTRA_G7_MAC_JP114,
    KOLVENTRA_G7_MAC_JP91,
    KOLVENTRA_G7_MAC_US109,
    KOLVENTRA_G7_MAC_US87,
};

enum class ProfileEntry : int { None = 0, Apc, UserSetting1, UserSetting2, UserSetting3, KeyLock };

enum class ButtonNo : int { None = -1, Button1, Button2, Button3, Button4, Button5, Button6 };

enum class Button12Change : int { NotChange = 0, Changed = 1 };

enum class LedColor : int { White = 0, Red, Green, Blue, Purple, Yellow, Water, Off };

// Enable is 0, Disable is 1.
enum class Indicator : int { Enable = 0, Disable = 1 };

enum class eLuminance : int { Level1 = 0, Level2, Level3 };
inline constexpr int eLuminanceCount = 3;

// Enable is 0, Disable is 1.
enum class Logo : int { Enable = 0, Disable = 1 };

// Enable is 0, Disable is 1.
enum class DpiEnable : int { Enable = 0, Disable = 1 };

// The two ends of the DPI scale as slider indexes (index = dpi / 100 - 1).
enum class DpiValue : int { Setting_100dpi = 0, Setting_12000dpi = 119 };

enum class DpiSettingNo : int { Setting1 = 0, Setting2, Setting3, Setting4, _count };

// Lift-off distance in millimetres.
enum class LoD : int { LoD_2mm = 2, LoD_3mm = 3 };

// Report interval in milliseconds (Fps_500kHz means 500 Hz).
enum class ReportDiscriptor : int { Fps_1kHz = 1, Fps_500kHz = 2, Fps_125Hz = 8 };

enum class MProfileEntry : int { None = 0, Button, LED, SensorDPI, SensorLoD };

// Bits of the modifier byte of a keyboard report. The declaration order is
// also the display order of a custom key combination.
enum class CustomKeyModifier : int {
    LeftCtrl = 0x01,
    RightCtrl = 0x10,
    LeftShift = 0x02,
    RightShift = 0x20,
    LeftAlt = 0x04,
    RightAlt = 0x40,
    LCommand = 0x08,
    RCommand = 0x80,
};

// Every selectable function of the setting panels, their menus and the help menu.
enum class FunctionItem : int {
    Init = -1,
    None,
    Separate,
    Collective,
    UserSetting,
    RainbowWave,
    PressedKeyLighting,
    PressedKeyLightingWithBL,
    ShootingStar,
    DemoMode,
    RamdomLighting,
    EffectX0x67,
    StopEffect,
    ToSaveTheDevice,
    ToInitialSetting,
    CapsLkCtrl,
    IndicatorLedSettings,
    FWUpdate,
    FolderSetting,
    AppendDevice,
    Help_DeviceManual,
    Help_DeviceFaq,
    Help_DeviceSupport,
    AppVersionInfo,
    ManualInfo,
    Button1,
    Button2,
    Button3,
    Button4,
    Button5,
    Button6,
    SwapButton2,
    SwapButton1,
    FunctionSwitching,
    Multimedia,
    RegistKey,
    LeftClick,
    RightClick,
    WheelClick,
    Forward,
    Back,
    DPICycle,
    DPIUp,
    DPIDown,
    LEDColor,
    LEDLuminance,
    DoubleClick,
    PlayOrPause,
    Stop,
    NextTrack,
    PreviousTrack,
    VolumeUp,
    VolumeDown,
    Mute,
    Copy,
    Cut,
    Paste,
    Undo,
    Redo,
    CloseWindow,
    NextApp,
    PrevApp,
    MoveBack,
    MoveForward,
    MoveForward2,
    ZenkakuHakaku,
    CustomKey,
};

// The functions a mouse button can be given; the raw value is the mouse's
// function code.
enum class ButtonAssignCode : int {
    None = 0x00,
    Func_LClick = 0x01,
    Func_RClick,
    Func_WClick,
    Func_Next,
    Func_Back,
    Func_DpiUpCycle,
    Func_DpiUp,
    Func_DpiDown,
    Func_LedColorChg,
    Func_LedLiminChg,
    Func_DoubleClick, // 0x0B
    Muli_PlayPause = 0x11,
    Muli_Stop,
    Muli_NextTrack,
    Muli_PrevTrack,
    Muli_VolumeUp,
    Muli_VolumeDown,
    Muli_Mute, // 0x17
    Macro_Copy = 0x21,
    Macro_Cut,
    Macro_Paste,
    Macro_Undo,
    Macro_Redo,
    Macro_CloseWindow,
    Macro_BrowseNextTab,
    Macro_BrowsePrevTab,
    Macro_ZoomDefault,
    Macro_ShowDesktop,
    Macro_EnJpSwitch,
    Macro_CustomKey, // 0x2C
    Macro_MacCopy = 0x31,
    Macro_MacCut,
    Macro_MacPaste,
    Macro_MacUndo,
    Macro_MacRedo,
    Macro_MacCloseWindow,
    Macro_MacBrowseNextApp,
    Macro_MacBrowsePrevApp,
    Macro_MacMoveBack,
    Macro_MacMoveForward,
    Macro_MacMoveForward2, // 0x3B
};

// The keys a custom key combination can hold; the raw value is the key's
// usage ID on the USB HID Keyboard/Keypad page. Modifier (0) means "no key".
// Some names do not describe the key at that usage; they are kept as files
// and tables use them.
enum class CustomKeyCode : int {
    Modifier = 0x00,
    HanZen = 0x35,
    D1 = 0x1E,
    D2 = 0x1F,
    D3 = 0x20,
    D4 = 0x21,
    D5 = 0x22,
    D6 = 0x23,
    D7 = 0x24,
    D8 = 0x25,
    D9 = 0x26,
    D0 = 0x27,
    Minus = 0x2D,
    Quotes = 0x2E,
    DbeHiragana = 0x88,
    Backslash = 0x87,
    Back = 0x2A,
    Tab = 0x2B,
    Q = 0x14,
    W = 0x1A,
    E = 0x08,
    R = 0x15,
    T = 0x17,
    Y = 0x1C,
    U = 0x18,
    I = 0x0C,
    O = 0x12,
    P = 0x13,
    Oem3 = 0x2F,
    OpenBrackets = 0x30,
    Oem5_US = 0x31,
    CapsLock = 0x39,
    A = 0x04,
    S = 0x16,
    D = 0x07,
    F = 0x09,
    G = 0x0A,
    H = 0x0B,
    J = 0x0D,
    K = 0x0E,
    L = 0x0F,
    Plus = 0x33,
    Oem1 = 0x34,
    Oem6 = 0x32,
    Enter = 0x28,
    Z = 0x1D,
    X = 0x1B,
    C = 0x06,
    V = 0x19,
    B = 0x05,
    N = 0x11,
    M = 0x10,
    Comma = 0x36,
    Period = 0x37,
    Question = 0x38,
    Oem5 = 0x89,
    Space = 0x2C,
    ImeNonConvert = 0x8B,
    ImeConvert = 0x8A,
    Mac_Eisu = 0x91,
    Mac_Kana = 0x90,
    Insert = 0x49,
    Delete = 0x4C,
    Left = 0x50,
    Home = 0x4A,
    End = 0x4D,
    Up = 0x52,
    Down = 0x51,
    PageUp = 0x4B,
    PageDown = 0x4E,
    Right = 0x4F,
    Clear = 0x53,
    NumPad7 = 0x5F,
    NumPad4 = 0x5C,
    NumPad1 = 0x59,
    NumPad0 = 0x62,
    Mac_NumEqual = 0x67,
    NumPad8 = 0x60,
    NumPad5 = 0x5D,
    NumPad2 = 0x5A,
    Mac_NumCamma = 0x85,
    Divide = 0x54,
    NumPad9 = 0x61,
    NumPad6 = 0x5E,
    NumPad3 = 0x5B,
    Decimal = 0x63,
    Multiply = 0x55,
    Subtract = 0x56,
    Add = 0x57,
    NumEnter = 0x58,
    Escape = 0x29,
    F1 = 0x3A,
    F2 = 0x3B,
    F3 = 0x3C,
    F4 = 0x3D,
    F5 = 0x3E,
    F6 = 0x3F,
    F7 = 0x40,
    F8 = 0x41,
    F9 = 0x42,
    F10 = 0x43,
    F11 = 0x44,
    F12 = 0x45,
    PrintScreen = 0x46,
    Scroll = 0x47,
    Pause = 0x48,
    F13 = 0x68,
    F14 = 0x69,
    F15 = 0x6A,
    F16 = 0x6B,
    F17 = 0x6C,
    F18 = 0x6D,
    F19 = 0x6E,
};

// ---------------------------------------------------------------------------
// Case tables

template <class E>
struct EnumCase {
    E value;
    std::string_view name;
};

// Specialised for every enumeration above; `cases` lists every case with its
// name in declaration order.
template <class E>
struct EnumTraits;

#define KV_ENUM_CASE(E, C) EnumCase<E>{E::C, #C}

#define KV_ENUM_TRAITS(E, N, ...)                                                                  \
    template <>                                                                                    \
    struct EnumTraits<E> {                                                                         \
        static constexpr std::array<EnumCase<E>, N> cases{{__VA_ARGS__}};                          \
    };

#define C_(c) KV_ENUM_CASE(KeyDrawFrom, c)
KV_ENUM_TRAITS(KeyDrawFrom, 9, C_(None), C_(UserSetting1), C_(UserSetting2), C_(UserSetting3),
               C_(ApcLevelSeparate), C_(ApcLevelCollective), C_(KeyLock), C_(ParallelSpecify),
               C_(SingleSpecify))
#undef C_
#define C_(c) KV_ENUM_CASE(DeviceType, c)
KV_ENUM_TRAITS(DeviceType, 3, C_(Unknown), C_(Keyboard), C_(Mouse))
#undef C_
#define C_(c) KV_ENUM_CASE(FunctionTab, c)
KV_ENUM_TRAITS(FunctionTab, 9, C_(None), C_(ApcSetting), C_(LedSetting), C_(GamingSetting),
               C_(OtherSetting), C_(MButtonSetting), C_(MLedSetting), C_(MSensorSetting),
               C_(MOtherSetting))
#undef C_
#define C_(c) KV_ENUM_CASE(LedBrightness, c)
KV_ENUM_TRAITS(LedBrightness, 3, C_(Level0), C_(Level1), C_(Level2))
#undef C_
#define C_(c) KV_ENUM_CASE(LedInterval, c)
KV_ENUM_TRAITS(LedInterval, 10, C_(Level0), C_(Level1), C_(Level2), C_(Level3), C_(Level4),
               C_(Level5), C_(Level6), C_(Level7), C_(Level8), C_(Level9))
#undef C_
#define C_(c) KV_ENUM_CASE(ColorSelect, c)
KV_ENUM_TRAITS(ColorSelect, 5, C_(None), C_(DirectSelect), C_(UserSetting1), C_(UserSetting2),
               C_(UserSetting3))
#undef C_
#define C_(c) KV_ENUM_CASE(ApcLevel, c)
KV_ENUM_TRAITS(ApcLevel, 4, C_(None), C_(Low), C_(Middle), C_(High))
#undef C_
#define C_(c) KV_ENUM_CASE(KeyLockFunction, c)
KV_ENUM_TRAITS(KeyLockFunction, 2, C_(Disable), C_(Enable))
#undef C_
#define C_(c) KV_ENUM_CASE(KeytopLock, c)
KV_ENUM_TRAITS(KeytopLock, 2, C_(Unlock), C_(Lock))
#undef C_
#define C_(c) KV_ENUM_CASE(KeyCodeChange, c)
KV_ENUM_TRAITS(KeyCodeChange, 2, C_(Disable), C_(Enable))
#undef C_
#define C_(c) KV_ENUM_CASE(CropMode, c)
KV_ENUM_TRAITS(CropMode, 4, C_(None), C_(Area), C_(AreaButton), C_(PushButton))
#undef C_
#define C_(c) KV_ENUM_CASE(KeyAnimation, c)
KV_ENUM_TRAITS(KeyAnimation, 5, C_(None), C_(RainbowWave), C_(ShootingStar), C_(Random),
               C_(KeyPsuh))
#undef C_
#define C_(c) KV_ENUM_CASE(KeytopEntryType, c)
KV_ENUM_TRAITS(KeytopEntryType, 3, C_(None), C_(Button), C_(LedIndicator))
#undef C_
#define C_(c) KV_ENUM_CASE(KeytopEntryDrawType, c)
KV_ENUM_TRAITS(KeytopEntryDrawType, 4, C_(None), C_(Rect), C_(LedIndicator), C_(Path))
#undef C_
#define C_(c) KV_ENUM_CASE(AppKeyboardType, c)
KV_ENUM_TRAITS(AppKeyboardType, 11, C_(None), C_(KOLVENTRA_RGB_US108), C_(KOLVENTRA_RGB_JP112),
               C_(KOLVENTRA_RGB_US87), C_(KOLVENTRA_RGB_JP91), C_(KOLVENTRA_JP108),
               C_(KOLVENTRA_JP112), C_(KOLVENTRA_G7_MAC_JP114), C_(KOLVENTRA_G7_MAC_JP91),
               C_(KOLVENTRA_G7_MAC_US109), C_(KOLVENTRA_G7_MAC_US87))
#undef C_
#define C_(c) KV_ENUM_CASE(ProfileEntry, c)
KV_ENUM_TRAITS(ProfileEntry, 6, C_(None), C_(Apc), C_(UserSetting1), C_(UserSetting2),
               C_(UserSetting3), C_(KeyLock))
#undef C_
#define C_(c) KV_ENUM_CASE(ButtonNo, c)
KV_ENUM_TRAITS(ButtonNo, 7, C_(None), C_(Button1), C_(Button2), C_(Button3), C_(Button4),
               C_(Button5), C_(Button6))
#undef C_
#define C_(c) KV_ENUM_CASE(Button12Change, c)
KV_ENUM_TRAITS(Button12Change, 2, C_(NotChange), C_(Changed))
#undef C_
#define C_(c) KV_ENUM_CASE(LedColor, c)
KV_ENUM_TRAITS(LedColor, 8, C_(White), C_(Red), C_(Green), C_(Blue), C_(Purple), C_(Yellow),
               C_(Water), C_(Off))
#undef C_
#define C_(c) KV_ENUM_CASE(Indicator, c)
KV_ENUM_TRAITS(Indicator, 2, C_(Enable), C_(Disable))
#undef C_
#define C_(c) KV_ENUM_CASE(eLuminance, c)
KV_ENUM_TRAITS(eLuminance, 3, C_(Level1), C_(Level2), C_(Level3))
#undef C_
#define C_(c) KV_ENUM_CASE(Logo, c)
KV_ENUM_TRAITS(Logo, 2, C_(Enable), C_(Disable))
#undef C_
#define C_(c) KV_ENUM_CASE(DpiEnable, c)
KV_ENUM_TRAITS(DpiEnable, 2, C_(Enable), C_(Disable))
#undef C_
#define C_(c) KV_ENUM_CASE(DpiValue, c)
KV_ENUM_TRAITS(DpiValue, 2, C_(Setting_100dpi), C_(Setting_12000dpi))
#undef C_
#define C_(c) KV_ENUM_CASE(DpiSettingNo, c)
KV_ENUM_TRAITS(DpiSettingNo, 5, C_(Setting1), C_(Setting2), C_(Setting3), C_(Setting4),
               C_(_count))
#undef C_
#define C_(c) KV_ENUM_CASE(LoD, c)
KV_ENUM_TRAITS(LoD, 2, C_(LoD_2mm), C_(LoD_3mm))
#undef C_
#define C_(c) KV_ENUM_CASE(ReportDiscriptor, c)
KV_ENUM_TRAITS(ReportDiscriptor, 3, C_(Fps_1kHz), C_(Fps_500kHz), C_(Fps_125Hz))
#undef C_
#define C_(c) KV_ENUM_CASE(MProfileEntry, c)
KV_ENUM_TRAITS(MProfileEntry, 5, C_(None), C_(Button), C_(LED), C_(SensorDPI), C_(SensorLoD))
#undef C_
#define C_(c) KV_ENUM_CASE(CustomKeyModifier, c)
KV_ENUM_TRAITS(CustomKeyModifier, 8, C_(LeftCtrl), C_(RightCtrl), C_(LeftShift), C_(RightShift),
               C_(LeftAlt), C_(RightAlt), C_(LCommand), C_(RCommand))
#undef C_
#define C_(c) KV_ENUM_CASE(FunctionItem, c)
KV_ENUM_TRAITS(FunctionItem, 67, C_(Init), C_(None), C_(Separate), C_(Collective),
               C_(UserSetting), C_(RainbowWave), C_(PressedKeyLighting),
               C_(PressedKeyLightingWithBL), C_(ShootingStar), C_(DemoMode), C_(RamdomLighting),
               C_(EffectX0x67), C_(StopEffect), C_(ToSaveTheDevice), C_(ToInitialSetting),
               C_(CapsLkCtrl), C_(IndicatorLedSettings), C_(FWUpdate), C_(FolderSetting),
               C_(AppendDevice), C_(Help_DeviceManual), C_(Help_DeviceFaq),
               C_(Help_DeviceSupport), C_(AppVersionInfo), C_(ManualInfo), C_(Button1),
               C_(Button2), C_(Button3), C_(Button4), C_(Button5), C_(Button6), C_(SwapButton2),
               C_(SwapButton1), C_(FunctionSwitching), C_(Multimedia), C_(RegistKey),
               C_(LeftClick), C_(RightClick), C_(WheelClick), C_(Forward), C_(Back), C_(DPICycle),
               C_(DPIUp), C_(DPIDown), C_(LEDColor), C_(LEDLuminance), C_(DoubleClick),
               C_(PlayOrPause), C_(Stop), C_(NextTrack), C_(PreviousTrack), C_(VolumeUp),
               C_(VolumeDown), C_(Mute), C_(Copy), C_(Cut), C_(Paste), C_(Undo), C_(Redo),
               C_(CloseWindow), C_(NextApp), C_(PrevApp), C_(MoveBack), C_(MoveForward),
               C_(MoveForward2), C_(ZenkakuHakaku), C_(CustomKey))
#undef C_
#define C_(c) KV_ENUM_CASE(ButtonAssignCode, c)
KV_ENUM_TRAITS(ButtonAssignCode, 42, C_(None), C_(Func_LClick), C_(Func_RClick), C_(Func_WClick),
               C_(Func_Next), C_(Func_Back), C_(Func_DpiUpCycle), C_(Func_DpiUp),
               C_(Func_DpiDown), C_(Func_LedColorChg), C_(Func_LedLiminChg),
               C_(Func_DoubleClick), C_(Muli_PlayPause), C_(Muli_Stop), C_(Muli_NextTrack),
               C_(Muli_PrevTrack), C_(Muli_VolumeUp), C_(Muli_VolumeDown), C_(Muli_Mute),
               C_(Macro_Copy), C_(Macro_Cut), C_(Macro_Paste), C_(Macro_Undo), C_(Macro_Redo),
               C_(Macro_CloseWindow), C_(Macro_BrowseNextTab), C_(Macro_BrowsePrevTab),
               C_(Macro_ZoomDefault), C_(Macro_ShowDesktop), C_(Macro_EnJpSwitch),
               C_(Macro_CustomKey), C_(Macro_MacCopy), C_(Macro_MacCut), C_(Macro_MacPaste),
               C_(Macro_MacUndo), C_(Macro_MacRedo), C_(Macro_MacCloseWindow),
               C_(Macro_MacBrowseNextApp), C_(Macro_MacBrowsePrevApp), C_(Macro_MacMoveBack),
               C_(Macro_MacMoveForward), C_(Macro_MacMoveForward2))
#undef C_
#define C_(c) KV_ENUM_CASE(CustomKeyCode, c)
KV_ENUM_TRAITS(CustomKeyCode, 113, C_(Modifier), C_(HanZen), C_(D1), C_(D2), C_(D3), C_(D4),
               C_(D5), C_(D6), C_(D7), C_(D8), C_(D9), C_(D0), C_(Minus), C_(Quotes),
               C_(DbeHiragana), C_(Backslash), C_(Back), C_(Tab), C_(Q), C_(W), C_(E), C_(R),
               C_(T), C_(Y), C_(U), C_(I), C_(O), C_(P), C_(Oem3), C_(OpenBrackets), C_(Oem5_US),
               C_(CapsLock), C_(A), C_(S), C_(D), C_(F), C_(G), C_(H), C_(J), C_(K), C_(L),
               C_(Plus), C_(Oem1), C_(Oem6), C_(Enter), C_(Z), C_(X), C_(C), C_(V), C_(B), C_(N),
               C_(M), C_(Comma), C_(Period), C_(Question), C_(Oem5), C_(Space),
               C_(ImeNonConvert), C_(ImeConvert), C_(Mac_Eisu), C_(Mac_Kana), C_(Insert),
               C_(Delete), C_(Left), C_(Home), C_(End), C_(Up), C_(Down), C_(PageUp),
               C_(PageDown), C_(Right), C_(Clear), C_(NumPad7), C_(NumPad4), C_(NumPad1),
               C_(NumPad0), C_(Mac_NumEqual), C_(NumPad8), C_(NumPad5), C_(NumPad2),
               C_(Mac_NumCamma), C_(Divide), C_(NumPad9), C_(NumPad6), C_(NumPad3), C_(Decimal),
               C_(Multiply), C_(Subtract), C_(Add), C_(NumEnter), C_(Escape), C_(F1), C_(F2),
               C_(F3), C_(F4), C_(F5), C_(F6), C_(F7), C_(F8), C_(F9), C_(F10), C_(F11), C_(F12),
               C_(PrintScreen), C_(Scroll), C_(Pause), C_(F13), C_(F14), C_(F15), C_(F16),
               C_(F17), C_(F18), C_(F19))
#undef C_

#undef KV_ENUM_TRAITS
#undef KV_ENUM_CASE

// ---------------------------------------------------------------------------
// Conversions

template <class E>
constexpr int rawValue(E e)
{
    return static_cast<int>(e);
}

// The case whose raw value is `raw`; std::nullopt when no case has it (never
// a default case).
template <class E>
constexpr std::optional<E> fromRaw(long long raw)
{
    for (const auto& c : EnumTraits<E>::cases)
        if (static_cast<long long>(c.value) == raw)
            return c.value;
    return std::nullopt;
}

// The case name as files store it ("" for a value that is no case).
template <class E>
constexpr std::string_view caseName(E e)
{
    for (const auto& c : EnumTraits<E>::cases)
        if (c.value == e)
            return c.name;
    return {};
}

// The case with exactly this name (case-sensitive); std::nullopt otherwise.
template <class E>
constexpr std::optional<E> fromName(std::string_view name)
{
    for (const auto& c : EnumTraits<E>::cases)
        if (c.name == name)
            return c.value;
    return std::nullopt;
}

// Number of cases of an enumeration.
template <class E>
constexpr std::size_t caseCount()
{
    return EnumTraits<E>::cases.size();
}

// ---------------------------------------------------------------------------
// Records

// The main window's saved placement. Only normalPosition (the window frame in
// screen coordinates) is used by the window; the others are carried through
// the settings file unchanged.
struct WINDOWPLACEMENT {
    int64_t length = 0;
    int64_t flags = 0;
    int64_t showCmd = 0;
    QPointF minPosition{0, 0};
    QPointF maxPosition{0, 0};
    QRectF normalPosition{0, 0, 0, 0};

    friend bool operator==(const WINDOWPLACEMENT&, const WINDOWPLACEMENT&) = default;
};

// A stack of Bool values: the setting panels save the unsent-changes flag on
// it while they re-initialise their controls and restore it afterwards.
struct BoolStack {
    std::vector<bool> items;

    void push(bool value) { items.push_back(value); }
    // Removes and returns the last value. Popping an empty stack returns
    // false (and leaves it empty).
    bool pop();
    bool isEmpty() const { return items.empty(); }
    std::size_t count() const { return items.size(); }
};
