#pragma once
// The command set of the mice: each mouse setting (swap of the two main
// buttons, the function of a button, a custom key combination, the LED
// settings, one DPI setting, the lift-off distance) as one single-packet
// command, and the read of the whole settings block into RmSettings.
//
// With no device open every operation returns NoError and sends nothing
// (CMD_GetMouseSettings then leaves an all-zero record). Arguments are the
// raw values of the setting enumerations and bytes read from the mouse; one
// that does not fit a byte (ButtonNo::None is -1) is BadParam, nothing sent.
// Transaction errors come back unchanged. The commands never arm the pacing.
//
// Main thread only.

#include "Device/KolventraDevice.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

class KolventraMouse : public KolventraDevice {
public:
    // The 29-byte settings block of the mouse, raw: every field one device
    // byte, in the device's order. Translating it into setting values (and
    // checking their ranges) is the caller's business.
    struct RmSettings {
        struct Dpi {
            uint8_t dpiEnable = 0; // DpiEnable raw value: 0 = enabled
            uint8_t dpiValue = 0;  // DPI index: dpi = (index + 1) × 100
            friend bool operator==(const Dpi&, const Dpi&) = default;
        };
        struct CustomKey {
            uint8_t modifier = 0;  // CustomKeyModifier bits
            uint8_t keyCode = 0;   // CustomKeyCode raw value
            friend bool operator==(const CustomKey&, const CustomKey&) = default;
        };

        std::array<uint8_t, 6> buttonSetting{}; // 0..5: function codes of buttons 1..6
        uint8_t color = 0;                      // 6: LedColor raw value
        uint8_t luminance = 0;                  // 7: eLuminance raw value
        uint8_t indicatorEnable = 0;            // 8: Indicator raw value (0 on, 1 off)
        uint8_t logoEnable = 0;                 // 9: Logo raw value (0 on, 1 off)
        std::array<Dpi, 4> dpi{};               // 10..17: DPI settings 1..4
        uint8_t dpiSelected = 0;                // 18: DpiSettingNo raw value
        uint8_t liftOffDistance = 0;            // 19: LoD raw value (2 or 3)
        uint8_t reportDiscriptor = 0;           // 20: ReportDiscriptor raw value
        std::array<CustomKey, 4> customKey{};   // 21..28: custom keys of buttons 3..6

        static constexpr size_t kSize = 29;
        // Bytes the older firmware layout carries (all but the custom keys).
        static constexpr size_t kOlderSize = 21;

        // The record as its 29 bytes, and back.
        std::array<uint8_t, kSize> bytes() const;
        void setBytes(std::span<const uint8_t, kSize> b);

        friend bool operator==(const RmSettings&, const RmSettings&) = default;
    };
    static_assert(sizeof(RmSettings) == RmSettings::kSize && std::is_trivially_copyable_v<RmSettings>,
                  "RmSettings must be the 29 device bytes, nothing more");

    KolventraMouse() = default;
    ~KolventraMouse() override = default;

    // Buttons 1 and 2: 0 as they are, 1 swapped.
    virtual AppError CMD_SetBtn12Setting(int setting);
    // Function code (ButtonAssignCode raw value) of button BtnNo (ButtonNo raw value 0..5).
    virtual AppError CMD_SetBtnFuncSetting(int BtnNo, int FuncSetting);
    // Custom key combination of button BtnNo: modifier byte and key code.
    virtual AppError CMD_SetCustomKeysSetting(int BtnNo, int Modifier, int KeyCode);
    // LED colour, luminance, indicator and logo (raw values).
    virtual AppError CMD_SetLedSetting(int Color, int Luminance, int IndicatorLed, int LogoLed);
    // DPI setting SettingNo (0..3): enable byte and DPI index.
    virtual AppError CMD_SetSensorDpiSetting(int SettingNo, int Enabled, int DpiSetting);
    // Lift-off distance (LoD raw value, 2 or 3).
    virtual AppError CMD_SetSensorLodSetting(int LoDSetting);

    // Reads the settings block. The record is zeroed first and stays zero
    // when no device is open or the command fails. The firmware version text
    // of the mouse ("%X%X.%X%X", see CMD_GetDeviceInfo) chooses the layout:
    // the older one leaves the custom keys (bytes 21..28) zero. A reply
    // report too short to hold every field of its layout is
    // RecvBadLengthStore.
    virtual AppError CMD_GetMouseSettings(RmSettings& settings, std::string_view inFirmwareVersion);

    // True when a mouse with this firmware version sends the newer settings
    // layout (with custom keys): an empty text; a text without a second
    // "."-separated part; or a second part that does not sort before "10"
    // (compared as text, ignoring case). "01.09" and "01.0A" are older;
    // "01.10", "01.1A", "01.9" are newer. The mouse model uses it to tell
    // whether the custom keys it got were really read from the mouse.
    static bool isNewerSettingsLayout(std::string_view firmwareVersion);

private:
    static constexpr uint8_t CMDC_GETSETTINGS = 0x05;
    static constexpr uint8_t CMDC_BTN12SETTING = 0x10;
    static constexpr uint8_t CMDC_BTNFUNCSETTING = 0x11;
    static constexpr uint8_t CMDC_SETCUSTOMKEYS = 0x12;
    static constexpr uint8_t CMDC_GETCUSTOMMACRO = 0x13;  // no operation sends it
    static constexpr uint8_t CMDC_SETLEDSETTING = 0x30;
    static constexpr uint8_t CMDC_SETSENSORDPI = 0x50;
    static constexpr uint8_t CMDC_SETLIFTOFFDISTANCE = 0x51;
    // Flag bytes of a four-packet transfer; no operation uses them.
    static constexpr std::array<uint8_t, 4> SRF_MACRO_FLAGS{0x41, 0x82, 0x83, 0xC4};

    // LEN of the settings reply (it counts the older layout's bytes only).
    static constexpr int kSettingsReplyLength = 21;

    // Sends one single-packet set command with these data bytes.
    AppError sendSetting(uint8_t command, std::initializer_list<int> data);
};
