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

#include "Device/IDeviceEntry.h"
#include "Device/KolventraDevice.h"

#include <optional>

#include <QString>

class DeviceEntry : public KolventraDevice, public IDeviceEntry {
public:
    // All five texts start as the empty text.
    DeviceEntry();
    ~DeviceEntry() override;

    // ----- HID transport and firmware transfer (of KolventraDevice) --------
    void hidClose() override;
    void hidWait() override;
    bool hidIsOpened() override;
    AppError hidOpen(uint32_t location) override;
    AppError CMD_RebootForUpdate() override;
    AppError CMD_EndUpdate() override;
    AppError CMD_StartUpdate(int size, int addInfo) override;
    AppError CMD_SendFwData(int size, std::span<const uint8_t> writeBuffer) override;
    AppError CMD_RegistSetting() override;

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

    std::optional<QString> modelNumber() const override { return modelNumber_; }
    void setModelNumber(std::optional<QString> value) override { modelNumber_ = std::move(value); }
    std::optional<QString> firmwareVersion() const override { return firmwareVersion_; }
    void setFirmwareVersion(std::optional<QString> value) override { firmwareVersion_ = std::move(value); }
    std::optional<QString> firmwareVersionCompare() const override { return firmwareVersionCompare_; }
    void setFirmwareVersionCompare(std::optional<QString> value) override
    {
        firmwareVersionCompare_ = std::move(value);
    }
    QString profileExt() const override { return profileExt_; }
    void setProfileExt(const QString& value) override { profileExt_ = value; }
    QString modelName() const override { return modelName_; }
    void setModelName(const QString& value) override { modelName_ = value; }

private:
    std::optional<QString> modelNumber_;
    std::optional<QString> firmwareVersion_;
    std::optional<QString> firmwareVersionCompare_;
    QString profileExt_;
    QString modelName_;
};
