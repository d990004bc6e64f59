#include "Device/DeviceEntry.h"

#include <string>

DeviceEntry::DeviceEntry() = default;

DeviceEntry::~DeviceEntry() = default;

DeviceType DeviceEntry::deviceType() { return DeviceType::Unknown; }

AppError DeviceEntry::close(bool /*connected*/) { return AppError::NoError; }

AppError DeviceEntry::loadDeviceParam() { return AppError::Error; }

bool DeviceEntry::isEnable() { return false; }

AppError DeviceEntry::getDeviceInfo(uint32_t location)
{
    std::string model, version, versionCmp;
    const AppError result = rdGetDeviceInfo(location, model, version, versionCmp);
    keepIdentity(model, version, versionCmp);
    return result;
}

AppError DeviceEntry::loadProfile(const QString& /*path*/) { return AppError::Error; }

AppError DeviceEntry::open(uint32_t /*location*/) { return AppError::Error; }
