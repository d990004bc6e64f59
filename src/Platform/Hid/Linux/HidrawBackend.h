#pragma once
// Linux backend of the HID layer: hidraw device nodes found and followed
// through libudev.

#include "Platform/Hid/HidBackend.h"

namespace platform::hid {

class HidrawBackend : public Backend {
public:
    HidrawBackend();
    ~HidrawBackend() override;

    std::vector<DeviceInfo> enumerate(std::span<const UsagePair> usages) override;
    std::unique_ptr<Device> open(uint32_t location, UsagePair usage, bool seize,
                                 Status& status) override;
    std::unique_ptr<Monitor> startMonitor(std::span<const UsagePair> usages,
                                          MonitorCallbacks callbacks, Status& status) override;
};

} // namespace platform::hid
