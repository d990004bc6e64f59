#pragma once
// What every device entry shares: the command set it is built on
// (`DeviceBase`: KolventraDevice or one of its keyboard/mouse command sets)
// answers the transport and firmware-transfer part of IDeviceEntry, and the
// five identity texts are kept here. The three optional texts start as the
// empty text, the other two empty.
//
// An entry derives from DeviceEntryBase<its command set> and adds the rest
// of IDeviceEntry; it may override any of these (the mouse takes a new
// backup after CMD_RegistSetting, for example). openSession() is the
// session start the keyboard and mouse models open with.

#include "Device/IDeviceEntry.h"
#include "Device/KolventraDevice.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include <QString>

template <class DeviceBase>
class DeviceEntryBase : public DeviceBase, public IDeviceEntry {
public:
    // ----- IDeviceEntry: transport and firmware transfer ---------------------
    void hidClose() override { DeviceBase::hidClose(); }
    void hidWait() override { DeviceBase::hidWait(); }
    bool hidIsOpened() override { return DeviceBase::hidIsOpened(); }
    bool hidWasRemoved() override { return DeviceBase::hidWasRemoved(); }
    AppError hidOpen(uint32_t location) override { return DeviceBase::hidOpen(location); }
    AppError CMD_RebootForUpdate() override { return DeviceBase::CMD_RebootForUpdate(); }
    AppError CMD_EndUpdate() override { return DeviceBase::CMD_EndUpdate(); }
    AppError CMD_StartUpdate(int size, int addInfo) override { return DeviceBase::CMD_StartUpdate(size, addInfo); }
    AppError CMD_SendFwData(int size, std::span<const uint8_t> writeBuffer) override
    {
        return DeviceBase::CMD_SendFwData(size, Bytes(writeBuffer.begin(), writeBuffer.end()));
    }
    AppError CMD_RegistSetting() override { return DeviceBase::CMD_RegistSetting(); }

    // ----- IDeviceEntry: identity --------------------------------------------
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

    // The last open found an interrupted firmware update pending: the device
    // is connected, but it refuses every setting command until its firmware
    // has been updated.
    bool awaitsFirmwareUpdate() const { return awaitsFirmwareUpdate_; }
    // The device answered the settings read all the same: its start was
    // refused once, but it is not held in its updater.
    void settingsAnswered() { awaitsFirmwareUpdate_ = false; }

protected:
    // Opens the device at `location` for a session: a session still open
    // ends first (its result does not matter), close, open, the start notice,
    // then (paced) the identification into the model number and firmware
    // versions. Returns the first error; AbortFirmwareUpdate from the start
    // notice (an interrupted firmware update is pending) keeps the
    // connection and is returned only after a good identification.
    AppError openSession(uint32_t location)
    {
        awaitsFirmwareUpdate_ = false;
        // The old session is let go whatever the device answers: the device
        // is opened afresh right after.
        if (hidIsOpened())
            (void)this->CMD_StartEnd(KolventraDevice::eAppStEd::End);
        hidClose();
        AppError result = hidOpen(location);
        if (result == AppError::NoError)
            result = this->CMD_StartEnd(KolventraDevice::eAppStEd::Start);
        if (result != AppError::NoError && result != AppError::AbortFirmwareUpdate)
            return result;

        hidWait();
        std::string model, version, versionCompare;
        const AppError info = this->CMD_GetDeviceInfo(model, version, versionCompare);
        keepIdentity(model, version, versionCompare);
        if (info != AppError::NoError)
            return info;
        awaitsFirmwareUpdate_ = result == AppError::AbortFirmwareUpdate;
        return result;
    }

    // The model number and both firmware versions as the device reported them.
    void keepIdentity(const std::string& model, const std::string& version, const std::string& versionCompare)
    {
        modelNumber_ = QString::fromStdString(model);
        firmwareVersion_ = QString::fromStdString(version);
        firmwareVersionCompare_ = QString::fromStdString(versionCompare);
    }

    std::optional<QString> modelNumber_{QString()};
    std::optional<QString> firmwareVersion_{QString()};
    std::optional<QString> firmwareVersionCompare_{QString()};
    QString profileExt_;
    QString modelName_;
    bool awaitsFirmwareUpdate_ = false;
};
