#include "Device/KolventraMouse.h"

#include <algorithm>
#include <cctype>
#include <cstring>

// --- RmSettings ---------------------------------------------------------------

std::array<uint8_t, KolventraMouse::RmSettings::kSize> KolventraMouse::RmSettings::bytes() const
{
    std::array<uint8_t, kSize> out{};
    std::memcpy(out.data(), this, kSize);
    return out;
}

void KolventraMouse::RmSettings::setBytes(std::span<const uint8_t, kSize> b)
{
    std::memcpy(this, b.data(), kSize);
}

// --- Layout of the settings reply ----------------------------------------------

bool KolventraMouse::isNewerSettingsLayout(std::string_view firmwareVersion)
{
    if (firmwareVersion.empty())
        return true;
    const size_t dot = firmwareVersion.find('.');
    if (dot == std::string_view::npos)
        return true; // no second part: nothing says the firmware is older
    std::string_view minor = firmwareVersion.substr(dot + 1);
    minor = minor.substr(0, minor.find('.'));

    constexpr std::string_view reference = "10";
    const auto fold = [](char c) { return char(std::tolower(static_cast<unsigned char>(c))); };
    const bool before = std::lexicographical_compare(
        minor.begin(), minor.end(), reference.begin(), reference.end(),
        [&](char a, char b) { return fold(a) < fold(b); });
    return !before;
}

// --- Commands ---------------------------------------------------------------------

AppError KolventraMouse::sendSetting(uint8_t command, std::initializer_list<int> data)
{
    if (!hidIsOpened())
        return AppError::NoError;
    for (int v : data)
        if (v < 0 || v > 0xFF)
            return AppError::BadParam;

    Bytes packet = makePacket(command, SRF_NOT_CONTINUE, uint8_t(data.size()));
    int at = SDO_DAT_1;
    for (int v : data)
        packet[at++] = uint8_t(v);
    std::vector<Bytes> replies;
    return KolventraIoControl("KolventraMouse", &packet, replies, {0});
}

AppError KolventraMouse::CMD_SetBtn12Setting(int setting)
{
    return sendSetting(CMDC_BTN12SETTING, {setting});
}

AppError KolventraMouse::CMD_SetBtnFuncSetting(int BtnNo, int FuncSetting)
{
    return sendSetting(CMDC_BTNFUNCSETTING, {BtnNo, FuncSetting});
}

AppError KolventraMouse::CMD_SetCustomKeysSetting(int BtnNo, int Modifier, int KeyCode)
{
    return sendSetting(CMDC_SETCUSTOMKEYS, {BtnNo, Modifier, KeyCode});
}

AppError KolventraMouse::CMD_SetLedSetting(int Color, int Luminance, int IndicatorLed, int LogoLed)
{
    return sendSetting(CMDC_SETLEDSETTING, {Color, Luminance, IndicatorLed, LogoLed});
}

AppError KolventraMouse::CMD_SetSensorDpiSetting(int SettingNo, int Enabled, int DpiSetting)
{
    return sendSetting(CMDC_SETSENSORDPI, {SettingNo, Enabled, DpiSetting});
}

AppError KolventraMouse::CMD_SetSensorLodSetting(int LoDSetting)
{
    return sendSetting(CMDC_SETLIFTOFFDISTANCE, {LoDSetting});
}

AppError KolventraMouse::CMD_GetMouseSettings(RmSettings& settings, std::string_view inFirmwareVersion)
{
    settings = RmSettings{};
    if (!hidIsOpened())
        return AppError::NoError;

    const Bytes packet = makePacket(CMDC_GETSETTINGS);
    std::vector<Bytes> replies;
    std::vector<size_t> sizes;
    const AppError r = KolventraIoControl("KolventraMouse", &packet, replies, {kSettingsReplyLength}, &sizes);
    if (r != AppError::NoError)
        return r;

    // The newer layout's custom keys follow the 21 counted bytes in the same
    // report; LEN does not count them, so the report's own length must show
    // that they came (the buffer is zero-padded: missing keys would read as
    // "no custom key").
    const size_t count = isNewerSettingsLayout(inFirmwareVersion) ? RmSettings::kSize
                                                                   : RmSettings::kOlderSize;
    if (replies.empty() || sizes.empty() || sizes[0] < size_t(RDO_DAT) + count)
        return AppError::RecvBadLengthStore;
    std::array<uint8_t, RmSettings::kSize> raw{};
    std::copy_n(replies[0].begin() + RDO_DAT, count, raw.begin());
    settings.setBytes(raw);
    return AppError::NoError;
}
