#pragma once
// A keyboard model that never touches a device: a placeholder keyboard for
// working without hardware. Nothing in the application creates one.
//
// It reads description packages like KeyboardEntry (that needs no device);
// opening, closing, identification and every read of settings succeed at
// once without sending anything and leave the settings as they are.

#include "Device/KeyboardEntry.h"

class DummyKeyboardEntry : public KeyboardEntry {
public:
    DummyKeyboardEntry();
    ~DummyKeyboardEntry() override;

    // As KeyboardEntry: fills the model from the description package.
    AppError loadProfile(const QString& path) override;
    // NoError; opens nothing.
    AppError open(uint32_t location) override;
    // NoError; no end notice, no HID close.
    AppError close(bool connected) override;
    // NoError; nothing changes.
    AppError getDeviceInfo(uint32_t location) override;
    // NoError with `changed` false.
    StatusResult loadDeviceStatus(DeviceParamPart param) override;
    // NoError; the settings stay as they are.
    AppError loadDeviceParam() override;
    // NoError.
    AppError stopEffect() override;
};
