#include "Device/DeviceEntry.h"

#include <string>

DeviceEntry::DeviceEntry()
    : modelNumber_(QString()), firmwareVersion_(QString()), firmwareVersionCompare_(QString())
{
}

DeviceEntry::~DeviceEntry() = default;

void DeviceEntry::hidClose() { HidDevice::hidClose(); }

void DeviceEntry::hidWait() { HidDevice::hidWait(); }

bool DeviceEntry::hidIsOpened() { return HidDevice::hidIsOpened(); }

AppError DeviceEntry::hidOpen(uint32_t location) { return HidDevice::hidOpen(location); }

AppError DeviceEntry::CMD_RebootForUpdate() { return KolventraDevice::CMD_RebootForUpdate(); }

AppError DeviceEntry::CMD_EndUpdate() { return KolventraDevice::CMD_EndUpdate(); }

AppError DeviceEntry::CMD_StartUpdate(int size, int addInfo)
{
    return KolventraDevice::CMD_StartUpdate(size, addInfo);
}

AppError DeviceEntry::CMD_SendFwData(int size, std::span<const uint8_t> writeBuffer)
{
    return KolventraDevice::CMD_SendFwData(size, Bytes(writeBuffer.begin(), writeBuffer.end()));
}

AppError DeviceEntry::CMD_RegistSetting() { return KolventraDevice::CMD_RegistSetting(); }

DeviceType DeviceEntry::deviceType() { return DeviceType::Unknown; }

AppError DeviceEntry::close(bool /*connected*/) { return AppError::NoError; }

AppError DeviceEntry::loadDeviceParam() { return AppError::Error; }

bool DeviceEntry::isEnable() { return false; }

AppError DeviceEntry::getDeviceInfo(uint32_t location)
{
    std::string model, version, versionCmp;
    const AppError result = rdGetDeviceInfo(location, model, version, versionCmp);
    modelNumber_ = QString::fromStdString(model);
    firmwareVersion_ = QString::fromStdString(version);
    firmwareVersionCompare_ = QString::fromStdString(versionCmp);
    return result;
}

AppError DeviceEntry::loadProfile(const QString& /*path*/) { return AppError::Error; }

AppError DeviceEntry::open(uint32_t /*location*/) { return AppError::Error; }
