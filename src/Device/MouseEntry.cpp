#include "Device/MouseEntry.h"

#include "AppParam.h"

#include "Utility/ProfilePackage.h"
#include "XML/DeviceProfile.h"
#include "XML/MouseProfile.h"

#include <QStringList>

#include <string>

namespace {

const QString kDescriptionMember = QStringLiteral("Profile.xml");

// The second "."-separated part of a firmware version read as a decimal
// integer (optional sign, ASCII digits); absent when there is no second
// part or it is no such number.
std::optional<long long> firmwareMinor(const QString& version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() < 2)
        return std::nullopt;
    return DeviceProfile::parseDecimal(parts[1]);
}

template <class E>
E fromRawOr(long long raw, E fallback)
{
    return fromRaw<E>(raw).value_or(fallback);
}

} // namespace

MouseEntry::MouseEntry() = default;

MouseEntry::~MouseEntry() = default;

// ----- firmware capabilities -----------------------------------------------------

bool MouseEntry::isSupportedCustomKeySetting() const
{
    if (!firmwareVersion_)
        return true;
    if (firmwareVersion_->split(QLatin1Char('.')).size() < 2)
        return false;
    const auto minor = firmwareMinor(*firmwareVersion_);
    return !minor || *minor >= AppParam::SupportCustomKeyFirmVersion;
}

bool MouseEntry::isOlderButtonFirmware() const
{
    if (!firmwareVersion_)
        return false;
    const auto minor = firmwareMinor(*firmwareVersion_);
    return minor && *minor < AppParam::SupportCustomKeyFirmVersion;
}

// ----- the entry -------------------------------------------------------------------

bool MouseEntry::isEnable() { return !profilePath.isEmpty(); }

DeviceType MouseEntry::deviceType() { return DeviceType::Mouse; }

AppError MouseEntry::loadProfile(const QString& path)
{
    MouseProfile description;
    const AppError result = AppUtil::loadProfile(path, description, kDescriptionMember);
    if (result != AppError::NoError) {
        profilePath.clear();
        return result;
    }
    description.profilePath = path;
    return loadDescription(description);
}

AppError MouseEntry::loadDescription(const MouseProfile& description)
{
    if (description.validate() != AppError::NoError) {
        profilePath.clear();
        return AppError::BadParam;
    }

    // validate() has checked the IDs and every margin.
    productID = description.productIdValue().value_or(0);
    vendorID = description.vendorIdValue().value_or(0);
    modelName_ = description.name;
    profileExt_ = description.profileExt;

    buttonList.clear();
    buttonList.reserve(description.buttonList.size());
    for (const MouseProfile::ButtonEntry& b : description.buttonList) {
        MButtonEntry entry;
        entry.name = b.name;
        entry.margin = MouseProfile::parseMargin(b.margin).value_or(QRectF(0, 0, 0, 0));
        entry.align = DeviceProfile::parseDecimal(b.align).value_or(0);
        entry.code = b.code >= 0 && b.code < kButtonCount ? ButtonNo(b.code) : ButtonNo::None;
        buttonList.push_back(std::move(entry));
    }
    profilePath = description.profilePath;
    return AppError::NoError;
}

AppError MouseEntry::open(uint32_t location) { return openSession(location); }

AppError MouseEntry::close(bool connected)
{
    AppError result = AppError::NoError;
    if (connected && hidIsOpened()) {
        // Without a backup nothing was ever read, so there is nothing to undo.
        const AppError restored = mouseSetting_FWBackUp ? mouseSetting_Restore() : AppError::NoError;
        if (hidIsOpened())
            result = CMD_StartEnd(eAppStEd::End);
        // Changes left in the mouse unstored weigh more than the end notice.
        if (restored != AppError::NoError)
            result = restored;
    }
    hidClose();
    return result;
}

AppError MouseEntry::getDeviceInfo(uint32_t /*location*/) { return AppError::Error; }

AppError MouseEntry::loadDeviceParam()
{
    RmSettings record;
    const std::string version = firmwareVersion_.value_or(QString()).toStdString();
    const bool opened = hidIsOpened();
    const AppError result = CMD_GetMouseSettings(record, version);

    if (result == AppError::NoError) {
        for (int i = 0; i < kButtonCount; ++i)
            buttonSettingList[i] = record.buttonSetting[i];
        color = record.color < 8 ? LedColor(record.color) : LedColor::White;
        luminace = record.luminance < eLuminanceCount ? eLuminance(record.luminance) : eLuminance::Level1;
        indicatorEnable = fromRawOr(record.indicatorEnable, Indicator::Disable);
        logoEnable = fromRawOr(record.logoEnable, Logo::Disable);
        for (int k = 0; k < kDpiCount; ++k) {
            dpiSettingEnable[k] = record.dpi[k].dpiEnable;
            dpiSettingValue[k] = record.dpi[k].dpiValue;
        }
        dpiSelected = fromRawOr(record.dpiSelected, DpiSettingNo::Setting1);
        liftOffDistance = record.liftOffDistance == 3 ? LoD::LoD_3mm : LoD::LoD_2mm;
        reportDiscriptor = fromRawOr(record.reportDiscriptor, ReportDiscriptor::Fps_1kHz);

        // The custom keys were really read only from a reply of the newer layout.
        const bool keysRead = opened && isNewerSettingsLayout(version);
        for (int i = 0; i < kCustomKeyCount; ++i) {
            customKeyList[i].code = ButtonNo(i + 2);
            customKeyList[i].modifier = record.customKey[i].modifier;
            customKeyList[i].keyCode = record.customKey[i].keyCode;
            customKeyKnown[i] = keysRead;
        }

        if (mouseSetting_Initialized)
            mouseSetting_Initialized = false;
        else
            (void)mouseSetting_Backup(); // cannot fail
    }

    if (hidIsOpened())
        hidWait();
    return result;
}

AppError MouseEntry::mouseSetting_Backup()
{
    MouseSetting_FwBackUp b;
    b.buttonSettingList = buttonSettingList;
    b.customKeyList = customKeyList;
    b.customKeyKnown = customKeyKnown;
    b.color = color;
    b.luminance = luminace;
    b.indicatorEnable = indicatorEnable;
    b.LogoEnable = logoEnable;
    b.dpiSettingEnable = dpiSettingEnable;
    b.dpiSettingValue = dpiSettingValue;
    b.dpiSelected = dpiSelected;
    b.liftOffDistance = liftOffDistance;
    mouseSetting_FWBackUp = b;
    return AppError::NoError;
}

AppError MouseEntry::mouseSetting_Restore()
{
    if (!mouseSetting_FWBackUp)
        return AppError::Error;
    // A copy: the commands below may renew the backup.
    const MouseSetting_FwBackUp b = *mouseSetting_FWBackUp;

    const int swap = b.buttonSettingList[0] == rawValue(ButtonAssignCode::Func_LClick) ? 0 : 1;
    AppError r = CMD_SetBtn12Setting(swap);
    if (r != AppError::NoError)
        return r;

    for (int index = 2; index < kButtonCount; ++index) {
        r = CMD_SetBtnFuncSetting(index, b.buttonSettingList[index]);
        if (r != AppError::NoError)
            return r;
    }

    if (isSupportedCustomKeySetting()) {
        for (int i = 0; i < kCustomKeyCount; ++i) {
            const CustomKeyEntry& key = b.customKeyList[i];
            if (!b.customKeyKnown[i] || key.code == ButtonNo::None)
                continue;
            r = CMD_SetCustomKeysSetting(rawValue(key.code), key.modifier, key.keyCode);
            if (r != AppError::NoError)
                return r;
        }
    }

    r = CMD_SetLedSetting(rawValue(b.color), rawValue(b.luminance), rawValue(b.indicatorEnable),
                          rawValue(b.LogoEnable));
    if (r != AppError::NoError)
        return r;

    // The mouse selects the DPI setting written last: the selected one goes
    // last. A refused write of one of the others does not end the restore,
    // so that the selected setting and the lift-off distance are still put
    // back; but then nothing is stored: the refused setting still holds its
    // unsent value, which a store would make permanent.
    AppError refused = AppError::NoError;
    const int selected = rawValue(b.dpiSelected);
    for (int k = 0; k < kDpiCount; ++k) {
        if (k == selected)
            continue;
        r = CMD_SetSensorDpiSetting(k, b.dpiSettingEnable[k], b.dpiSettingValue[k]);
        if (refused == AppError::NoError)
            refused = r;
    }
    r = AppError::NoError;
    if (selected >= 0 && selected < kDpiCount)
        r = CMD_SetSensorDpiSetting(selected, b.dpiSettingEnable[selected], b.dpiSettingValue[selected]);
    if (r == AppError::NoError)
        r = CMD_SetSensorLodSetting(rawValue(b.liftOffDistance));
    if (refused != AppError::NoError)
        return refused;
    if (r != AppError::NoError)
        return r;

    r = CMD_RegistSetting();
    if (r != AppError::NoError)
        return r;

    return mouseSetting_Backup();
}

AppError MouseEntry::CMD_SetCustomKeysSetting(int BtnNo, int Modifier, int KeyCode)
{
    const bool opened = hidIsOpened();
    const AppError r = KolventraMouse::CMD_SetCustomKeysSetting(BtnNo, Modifier, KeyCode);
    const int i = BtnNo - 2;
    if (r == AppError::NoError && opened && i >= 0 && i < kCustomKeyCount) {
        customKeyList[i] = CustomKeyEntry{ButtonNo(BtnNo), uint8_t(Modifier), uint8_t(KeyCode)};
        customKeyKnown[i] = true;
    }
    return r;
}

// ----- IDeviceEntry: store --------------------------------------------------------------

AppError MouseEntry::CMD_RegistSetting()
{
    const AppError r = KolventraDevice::CMD_RegistSetting();
    if (r == AppError::NoError)
        (void)mouseSetting_Backup(); // cannot fail
    return r;
}
