#include "XML/UserMProfile.h"

#include "AppParam.h"
#include "Device/DeviceCall.h"
#include "Device/MouseEntry.h"
#include "Utility/HexText.h"
#include "Utility/ProfilePackage.h"
#include "XML/UserProfile.h"

#include <QFileInfo>

#include <algorithm>
#include <string_view>

namespace {

constexpr int kMaxDpiIndex = rawValue(DpiValue::Setting_12000dpi);
constexpr uint8_t kCustomKeyFunction = rawValue(ButtonAssignCode::Macro_CustomKey);
constexpr uint8_t kDoubleClickFunction = rawValue(ButtonAssignCode::Func_DoubleClick);

bool isButton3To6(ButtonNo code)
{
    return code == ButtonNo::Button3 || code == ButtonNo::Button4 || code == ButtonNo::Button5
        || code == ButtonNo::Button6;
}

// The function code a button 3 to 6 is sent with: firmware without custom
// keys and double click gets the button's default function instead (button
// 3 wheel click, 4 next, 5 back, 6 DPI cycle: codes 3 to 6).
uint8_t sentFunction(const MouseEntry& mouse, ButtonNo code, uint8_t function)
{
    if ((function == kCustomKeyFunction || function == kDoubleClickFunction)
        && mouse.isOlderButtonFirmware())
        return uint8_t(rawValue(code) + 1);
    return function;
}

// Which profile buttons the mouse's description has.
std::vector<bool> buttonsOnMouse(const MouseEntry& mouse, const UserMProfileFile& profile)
{
    std::vector<bool> exists;
    exists.reserve(profile.buttonList.size());
    for (const auto& entry : profile.buttonList) {
        exists.push_back(std::any_of(mouse.buttonList.begin(), mouse.buttonList.end(),
                                     [&](const MButtonEntry& b) { return b.code == entry.code; }));
    }
    return exists;
}

// Whether every enabled part of the profile fits the mouse (see Apply).
bool profileFits(const MouseEntry& mouse, const UserMProfileFile& profile,
                 const std::vector<bool>& exists, bool button, bool led, bool dpi, bool lod)
{
    if (button) {
        if (profile.buttonList.size() > size_t(MouseEntry::kButtonCount))
            return false;
        for (size_t i = 0; i < profile.buttonList.size(); ++i) {
            const auto& entry = profile.buttonList[i];
            if (!fromRaw<ButtonNo>(rawValue(entry.code)) || !fromRaw<ButtonAssignCode>(rawValue(entry.data)))
                return false;
            if (!isButton3To6(entry.code))
                continue;
            const uint8_t stored = exists[i] ? uint8_t(rawValue(entry.data)) : mouse.buttonSettingList[i];
            if (sentFunction(mouse, entry.code, stored) == kCustomKeyFunction
                && (i < 2 || i - 2 >= profile.customKeyList.size()))
                return false;
        }
    }
    if (led) {
        if ((profile.indicatorEnable != 0 && profile.indicatorEnable != 1)
            || (profile.logoEnable != 0 && profile.logoEnable != 1)
            || !fromRaw<LedColor>(rawValue(profile.color))
            || !fromRaw<eLuminance>(rawValue(profile.luminance)))
            return false;
    }
    if (dpi) {
        if (profile.dpiSettings.size() > size_t(MouseEntry::kDpiCount))
            return false;
        for (size_t i = 0; i < profile.dpiSettings.size(); ++i) {
            const auto& d = profile.dpiSettings[i];
            if (rawValue(d.setting) != int(i) || d.enable > 1 || d.value < 0 || d.value > kMaxDpiIndex)
                return false;
        }
        const int selected = rawValue(profile.dpiSelected);
        if (selected < 0 || size_t(selected) >= profile.dpiSettings.size())
            return false;
    }
    if (lod && !fromRaw<LoD>(rawValue(profile.liftOffDistance)))
        return false;
    return true;
}

} // namespace

QString UserMProfile::memberName(const QString& mouseType)
{
    return QStringLiteral("profile.") + mouseType + QStringLiteral(".xml");
}

// ----- Read -----------------------------------------------------------------------

AppError UserMProfile::Read(const QString& filePath, const QString& mouseType, UserMProfileFile& profile)
{
    UserMProfileXML reader;
    AppError result = AppUtil::loadProfileWith(filePath, memberName(mouseType), reader);
    if (result == AppError::NoError && reader.malformed())
        result = AppError::FileRead;
    if (result != AppError::NoError)
        return result;

    profile = reader.takeProfile();
    if (const auto decoded = UserProfile::percentDecode(profile.comment))
        profile.comment = *decoded;
    return AppError::NoError;
}

// ----- Write ----------------------------------------------------------------------

UserMProfileFile UserMProfile::fromMouse(const MouseEntry& mouse, const QString& filePath,
                                         const QString& fileComment)
{
    UserMProfileFile p;
    p.type = QString::fromLatin1(UserMProfileFile::kTypeText);
    p.name = QFileInfo(filePath).completeBaseName();
    p.comment = fileComment;

    // Position i of the stored functions is button i + 1; its label comes
    // from the description's button at the same position (none when the
    // description lists fewer buttons).
    for (size_t i = 0; i < mouse.buttonSettingList.size(); ++i) {
        UserMProfileFile::ButtonSetting b;
        if (i < mouse.buttonList.size()) {
            b.name = mouse.buttonList[i].name;
            b.code = mouse.buttonList[i].code;
        } else {
            b.code = ButtonNo(int(i));
        }
        // A function code the mouse reported but that is no known function
        // cannot be named in the file; it is written as None.
        b.data = fromRaw<ButtonAssignCode>(mouse.buttonSettingList[i]).value_or(ButtonAssignCode::None);
        p.buttonList.push_back(b);
    }

    p.indicatorEnable = int8_t(rawValue(mouse.indicatorEnable));
    p.logoEnable = int8_t(rawValue(mouse.logoEnable));
    p.color = mouse.color;
    p.luminance = mouse.luminace;

    for (size_t i = 0; i < mouse.dpiSettingEnable.size(); ++i) {
        UserMProfileFile::DpiSetting d;
        d.setting = DpiSettingNo(int(i));
        d.enable = mouse.dpiSettingEnable[i];
        d.value = mouse.dpiSettingValue[i];
        p.dpiSettings.push_back(d);
    }
    p.dpiSelected = mouse.dpiSelected;
    p.liftOffDistance = mouse.liftOffDistance;

    p.customKeyList.assign(mouse.customKeyList.begin(), mouse.customKeyList.end());
    return p;
}

AppError UserMProfile::Write(const QString& filePath, const QString& mouseType, const MouseEntry& mouse,
                             const QString& fileComment)
{
    const UserMProfileFile profile = fromMouse(mouse, filePath, fileComment);
    const QString member = memberName(mouseType);
    if (!QFileInfo::exists(filePath))
        return AppUtil::saveProfile(filePath, profile, member);
    return AppUtil::appendProfile(filePath, profile, member);
}

// ----- Apply ----------------------------------------------------------------------

AppError UserMProfile::Apply(std::shared_ptr<MouseEntry> mouseEntry, const UserMProfileFile& profile,
                             const EnableFunction& enableFunction)
{
    if (!mouseEntry)
        return AppError::BadParam;
    MouseEntry& mouse = *mouseEntry;
    // A failed command ends the apply; its outcome is settled first.
    auto deviceFailed = [&mouseEntry](AppError error) {
        (void)settleDeviceCall(error, mouseEntry);
        return error;
    };

    auto enabled = [&](MProfileEntry part) {
        const auto it = enableFunction.find(part);
        return it != enableFunction.end() && it->second;
    };
    const bool button = enabled(MProfileEntry::Button);
    const bool led = enabled(MProfileEntry::LED);
    const bool dpi = enabled(MProfileEntry::SensorDPI);
    const bool lod = enabled(MProfileEntry::SensorLoD);

    const std::vector<bool> exists = buttonsOnMouse(mouse, profile);
    if (!profileFits(mouse, profile, exists, button, led, dpi, lod))
        return AppError::BadParam;

    AppError r = AppError::NoError;

    if (button) {
        // Entry i pairs with stored position i (profiles list the buttons in
        // the mouse's own order).
        for (size_t i = 0; i < profile.buttonList.size(); ++i) {
            if (exists[i])
                mouse.buttonSettingList[i] = uint8_t(rawValue(profile.buttonList[i].data));
        }
        for (size_t i = 0; i < profile.buttonList.size(); ++i) {
            const auto& entry = profile.buttonList[i];
            if (entry.code == ButtonNo::Button1) {
                // Button 2 follows from the swap of buttons 1 and 2.
                r = mouse.CMD_SetBtn12Setting(entry.data == ButtonAssignCode::Func_LClick ? 0 : 1);
                if (r != AppError::NoError)
                    return deviceFailed(r);
                mouse.hidWait();
                continue;
            }
            if (!isButton3To6(entry.code))
                continue;
            const int btnNo = rawValue(entry.code);
            const uint8_t function = sentFunction(mouse, entry.code, mouse.buttonSettingList[i]);
            r = mouse.CMD_SetBtnFuncSetting(btnNo, function);
            if (r != AppError::NoError)
                return deviceFailed(r);
            mouse.hidWait();
            if (function == kCustomKeyFunction) {
                const auto& key = profile.customKeyList[i - 2];
                r = mouse.CMD_SetCustomKeysSetting(btnNo, key.modifier, key.keyCode);
                if (r != AppError::NoError)
                    return deviceFailed(r);
                mouse.hidWait();
            }
        }
    }

    if (led) {
        mouse.indicatorEnable = fromRaw<Indicator>(profile.indicatorEnable).value_or(Indicator::Disable);
        mouse.logoEnable = fromRaw<Logo>(profile.logoEnable).value_or(Logo::Disable);
        mouse.color = profile.color;
        mouse.luminace = profile.luminance;
        r = mouse.CMD_SetLedSetting(rawValue(profile.color), rawValue(profile.luminance),
                                    profile.indicatorEnable, profile.logoEnable);
        if (r != AppError::NoError)
            return deviceFailed(r);
        mouse.hidWait();
    }

    if (dpi) {
        mouse.dpiSelected = profile.dpiSelected;
        for (size_t i = 0; i < profile.dpiSettings.size(); ++i) {
            const auto& d = profile.dpiSettings[i];
            mouse.dpiSettingEnable[i] = d.enable;
            mouse.dpiSettingValue[i] = d.value;
            r = mouse.CMD_SetSensorDpiSetting(rawValue(d.setting), d.enable, d.value);
            if (r != AppError::NoError)
                return deviceFailed(r);
            mouse.hidWait();
        }
        // The mouse selects the setting written last: the selected one once more.
        const int selected = rawValue(profile.dpiSelected);
        const auto& d = profile.dpiSettings[size_t(selected)];
        r = mouse.CMD_SetSensorDpiSetting(selected, d.enable, d.value);
        if (r != AppError::NoError)
            return deviceFailed(r);
        mouse.hidWait();
    }

    if (lod) {
        mouse.liftOffDistance = profile.liftOffDistance;
        r = mouse.CMD_SetSensorLodSetting(rawValue(profile.liftOffDistance));
        if (r != AppError::NoError)
            return deviceFailed(r);
        mouse.hidWait();
    }
    return AppError::NoError;
}

// ----- comment text ------------------------------------------------------------------

QString UserMProfile::encodeComment(const QString& comment)
{
    static constexpr std::string_view kKept = "!*'();:@&=+$,/?#[]-._~";
    QString out;
    for (char32_t c : comment.toUcs4()) {
        const bool keep = (c < 0x80 && kKept.find(char(c)) != std::string_view::npos)
            || QChar::isLetterOrNumber(c) || QChar::isMark(c);
        const QString text = QString::fromUcs4(&c, 1);
        if (keep) {
            out += text;
            continue;
        }
        for (char byte : text.toUtf8())
            out += QLatin1Char('%') + QString::fromStdString(hexText(uint8_t(byte), 2));
    }
    return out;
}
