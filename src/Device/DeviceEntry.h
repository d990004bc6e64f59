#pragma once
// A bare device object that asks an attached device for its model number and
// firmware versions. The device enumerator creates one for a moment when a
// device's vendor and product IDs are shared by several models; it never
// becomes the current device.
//
// Through IDeviceEntry it answers: type Unknown, never enabled, closing
// succeeds at once without touching the device. getDeviceInfo(location) is
// the probe itself: it opens the device at that location, sends the
// identification command, closes the device again and keeps the model number
// and both firmware versions. Loading a description, opening for a session
// and reading settings are not offered (Error, nothing changes).
//
// Main thread only.

#include "Device/DeviceEntryBase.h"
#include "Device/KolventraDevice.h"

#include <QString>

class DeviceEntry : public DeviceEntryBase<KolventraDevice> {
public:
    // All five texts start as the empty text.
    DeviceEntry();
    ~DeviceEntry() override;

    // ----- the entry ---------------------------------------------------------
    DeviceType deviceType() override;
    // NoError; sends nothing and closes nothing.
    AppError close(bool connected) override;
    // Error; nothing changes.
    AppError loadDeviceParam() override;
    // Always false.
    bool isEnable() override;
    // The probe (see above). The three texts are replaced by what the device
    // reported (empty texts when it could not be asked); the result is that
    // of the identification, DeviceIsInvalid when this object is already in
    // a transaction.
    AppError getDeviceInfo(uint32_t location) override;
    // Error; nothing changes.
    AppError loadProfile(const QString& path) override;
    // Error; nothing changes.
    AppError open(uint32_t location) override;
};
