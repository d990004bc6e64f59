#pragma once
// Follows hidraw nodes as they come and go and tells the monitors about
// the ones they asked for. Fed by the udev monitor; kept free of libudev.
//
// A removed node's sysfs attributes are gone by the time its "remove" event
// arrives, so removals are matched by sysfs path against the nodes seen
// before (by an enumeration or an "add" event).

#include "Platform/Hid/Linux/HidrawNode.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::hid {

class HotplugTracker : public std::enable_shared_from_this<HotplugTracker> {
public:
    static std::shared_ptr<HotplugTracker> create();

    // A node found by an enumeration: remembered, nobody is told.
    void remember(const HidrawNode& node);
    // An "add" event: remembered, and reported as matched.
    void added(const HidrawNode& node);
    // A "remove" event: reported as removed when the node was seen before.
    void removed(const std::string& syspath);

    // Reports nodes with any of `usages` (all when empty) until the returned
    // monitor is destroyed. It may outlive the tracker.
    std::unique_ptr<Monitor> addMonitor(std::span<const UsagePair> usages, MonitorCallbacks callbacks);

    size_t knownCount() const { return known_.size(); }

    struct Watch;

private:
    HotplugTracker() = default;
    void dispatch(const DeviceInfo& info, bool matched);

    std::map<std::string, DeviceInfo> known_;
    std::vector<std::shared_ptr<Watch>> watches_;
};

} // namespace platform::hid
