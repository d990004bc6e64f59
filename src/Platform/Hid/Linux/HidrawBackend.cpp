#include "Platform/Hid/Linux/HidrawBackend.h"

namespace platform::hid {

HidrawBackend::HidrawBackend() = default;
HidrawBackend::~HidrawBackend() = default;

std::vector<DeviceInfo> HidrawBackend::enumerate(std::span<const UsagePair>) { return {}; }

std::unique_ptr<Device> HidrawBackend::open(uint32_t, UsagePair, bool, Status& status)
{
    status = Status::NoDevice;
    return nullptr;
}

std::unique_ptr<Monitor> HidrawBackend::startMonitor(std::span<const UsagePair>, MonitorCallbacks,
                                                     Status& status)
{
    status = Status::Error;
    return nullptr;
}

} // namespace platform::hid
