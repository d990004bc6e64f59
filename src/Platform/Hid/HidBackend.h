#pragma once
// Our HID layer: what the device objects need of the operating system's HID
// service. The Linux backend (hidraw + udev) implements it for real devices;
// tests install the virtual bus of tests/support instead.
//
// Everything here is main-thread affine: input reports and hot-plug events
// are delivered on the main thread's Qt event loop.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform::hid {

enum class Status {
    Success,
    Error,           // any other failure
    Timeout,         // the operating system gave up on the transfer
    NotAttached,     // the device has gone (removed while open)
    ExclusiveAccess, // another user holds the device ("seized")
    NotPermitted,    // no access rights to the device node
    NoDevice,        // nothing matched
};

const char* statusName(Status s);

struct UsagePair {
    uint16_t page = 0;
    uint16_t usage = 0;
    friend bool operator==(const UsagePair&, const UsagePair&) = default;
};

// The vendor-defined interface every supported device exposes.
inline constexpr UsagePair kVendorUsage{0xFF00, 0x0001};

// One attached HID interface.
struct DeviceInfo {
    uint32_t location = 0;          // USB topology location, never 0
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::vector<UsagePair> usages;  // top-level application collections
    int maxInputReportSize = 0;     // bytes, without a report ID byte
    std::string id;                 // backend identity (a sysfs path on Linux)

    bool hasUsage(UsagePair u) const
    {
        for (const auto& x : usages)
            if (x == u)
                return true;
        return false;
    }
};

// True when `info` has any of `usages`, or `usages` is empty: the usage
// filter of Backend::enumerate() and Backend::startMonitor().
inline bool matchesAny(const DeviceInfo& info, std::span<const UsagePair> usages)
{
    if (usages.empty())
        return true;
    for (const auto& u : usages)
        if (info.hasUsage(u))
            return true;
    return false;
}

// One opened interface. Destroying it closes it.
class Device {
public:
    // Called on the main thread for every input report (bytes without report
    // ID) or, with a non-success status and no bytes, when the device fails
    // or goes away while open.
    using InputHandler = std::function<void(Status, std::span<const uint8_t>)>;

    virtual ~Device() = default;

    // Writes one output report: byte 0 is the report ID, the rest the report.
    // Blocks the calling thread until the operating system took it.
    virtual Status write(std::span<const uint8_t> reportIdAndData) = 0;

    // Fetches one input report on demand. buf[0] holds the report ID on entry;
    // the report is stored from buf[1]; `got` is the number of report bytes
    // fetched (without the report ID byte).
    virtual Status getInputReport(std::span<uint8_t> buf, size_t& got) = 0;

    virtual void setInputHandler(InputHandler handler) = 0;

    // Drops every input report that is queued but not yet delivered.
    virtual void flushInput() = 0;

    virtual const DeviceInfo& info() const = 0;
};

// Hot-plug notification; destroying the monitor stops it.
class Monitor {
public:
    virtual ~Monitor() = default;
};

struct MonitorCallbacks {
    std::function<void(const DeviceInfo&)> matched;
    std::function<void(const DeviceInfo&)> removed;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Attached interfaces having any of the given usages (all when empty).
    virtual std::vector<DeviceInfo> enumerate(std::span<const UsagePair> usages) = 0;

    // Opens the interface with that usage at that location. With `seize`
    // nobody else (in this process or another) may open it meanwhile.
    virtual std::unique_ptr<Device> open(uint32_t location, UsagePair usage, bool seize,
                                         Status& status) = 0;

    // Reports interfaces with any of the given usages as they come and go,
    // on the main thread.
    virtual std::unique_ptr<Monitor> startMonitor(std::span<const UsagePair> usages,
                                                  MonitorCallbacks callbacks, Status& status) = 0;
};

// The backend in use: the Linux one unless a test installed another.
Backend& backend();
// Installs a backend (tests); an empty pointer restores the Linux one.
void setBackend(std::shared_ptr<Backend> b);

} // namespace platform::hid
