#include "Device/DummyKeyboardEntry.h"

DummyKeyboardEntry::DummyKeyboardEntry() = default;

DummyKeyboardEntry::~DummyKeyboardEntry() = default;

AppError DummyKeyboardEntry::loadProfile(const QString& path)
{
    return KeyboardEntry::loadProfile(path);
}

AppError DummyKeyboardEntry::open(uint32_t /*location*/) { return AppError::NoError; }

AppError DummyKeyboardEntry::close(bool /*connected*/) { return AppError::NoError; }

AppError DummyKeyboardEntry::getDeviceInfo(uint32_t /*location*/) { return AppError::NoError; }

KeyboardEntry::StatusResult DummyKeyboardEntry::loadDeviceStatus(DeviceParamPart /*param*/)
{
    return {AppError::NoError, false};
}

AppError DummyKeyboardEntry::loadDeviceParam() { return AppError::NoError; }

AppError DummyKeyboardEntry::stopEffect() { return AppError::NoError; }
