#pragma once
// Linux backend of the HID layer: hidraw device nodes found and followed
// through libudev.
//
// Each hidraw node is described from sysfs alone, without opening it: vendor
// and product from the HID device above it (its HID_ID, else the USB
// device's idVendor/idProduct), usages and report sizes from that HID
// device's report descriptor, and the location from the USB port path (see
// UsbLocation.h). So a device that is present but not accessible is listed,
// and opening it tells "no permission" apart from "no device".
//
// Hot-plug: one udev monitor per backend starts receiving before the first
// enumeration, so a device that arrives between an enumeration and the
// start of monitoring is still reported. Removals are matched by sysfs path
// against what was seen before (a removed device's attributes are gone).
// The monitor's events queue up in the kernel until startMonitor() is called.

#include "Platform/Hid/HidBackend.h"

#include <memory>

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

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};

} // namespace platform::hid
