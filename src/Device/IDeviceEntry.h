#pragma once
// The one interface through which the main window and the dialogs see the
// current device, whatever it is (keyboard model, mouse model or probe).
// The setting panels and the profile apply functions use the concrete
// models instead.

#include <cstdint>
#include <optional>
#include <span>

#include <QString>

#include "AppEnums.h"
#include "Utility/AppError.h"

class IDeviceEntry {
public:
    virtual ~IDeviceEntry() = default;

    // ----- HID transport and firmware transfer -----------------------------

    // Closes the HID device and the HID manager.
    virtual void hidClose() = 0;
    // Arms the command pacing: the next command leaves no earlier than
    // 0.06 s from now. Does nothing while no device is open.
    virtual void hidWait() = 0;
    // A HID device is open.
    virtual bool hidIsOpened() = 0;
    // The open HID device was reported gone (see HidDevice::hidWasRemoved).
    virtual bool hidWasRemoved() = 0;
    // Opens the HID device at that location.
    virtual AppError hidOpen(uint32_t location) = 0;
    // Reboots the device into its updater.
    virtual AppError CMD_RebootForUpdate() = 0;
    // Ends a firmware transfer.
    virtual AppError CMD_EndUpdate() = 0;
    // Starts a firmware transfer: image size and check value.
    virtual AppError CMD_StartUpdate(int size, int addInfo) = 0;
    // Sends one firmware chunk.
    virtual AppError CMD_SendFwData(int size, std::span<const uint8_t> writeBuffer) = 0;
    // Makes the device store its current settings permanently.
    virtual AppError CMD_RegistSetting() = 0;

    // ----- the entry itself ------------------------------------------------

    // Keyboard, Mouse or Unknown.
    virtual DeviceType deviceType() = 0;
    // Sends the end notice and closes the device; `connected` says whether
    // the device is still attached.
    virtual AppError close(bool connected) = 0;
    // Reads all settings from the device into the model.
    virtual AppError loadDeviceParam() = 0;
    // The entry describes a usable device.
    virtual bool isEnable() = 0;
    // Reads model number and firmware versions of the device at a location.
    virtual AppError getDeviceInfo(uint32_t location) = 0;
    // Loads the device description package at `path`.
    virtual AppError loadProfile(const QString& path) = 0;
    // Opens the device at a location and sends the start notice.
    virtual AppError open(uint32_t location) = 0;

    // Model number reported by the device.
    virtual std::optional<QString> modelNumber() const = 0;
    virtual void setModelNumber(std::optional<QString> value) = 0;
    // Firmware version for display.
    virtual std::optional<QString> firmwareVersion() const = 0;
    virtual void setFirmwareVersion(std::optional<QString> value) = 0;
    // Firmware version in the form used for comparisons.
    virtual std::optional<QString> firmwareVersionCompare() const = 0;
    virtual void setFirmwareVersionCompare(std::optional<QString> value) = 0;
    // Model key used in profile member names: "profile." + profileExt + ".xml".
    virtual QString profileExt() const = 0;
    virtual void setProfileExt(const QString& value) = 0;
    // The model's display name from its description.
    virtual QString modelName() const = 0;
    virtual void setModelName(const QString& value) = 0;
};
