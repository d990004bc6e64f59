#include "Platform/Hid/Linux/HotplugTracker.h"

#include <algorithm>

namespace platform::hid {

struct HotplugTracker::Watch {
    std::vector<UsagePair> usages;
    MonitorCallbacks callbacks;
    bool active = true;
};

namespace {

class TrackerMonitor : public Monitor {
public:
    TrackerMonitor(std::weak_ptr<HotplugTracker> tracker, std::shared_ptr<HotplugTracker::Watch> watch,
                   std::vector<std::shared_ptr<HotplugTracker::Watch>>* list)
        : tracker_(std::move(tracker))
        , watch_(std::move(watch))
        , list_(list)
    {
    }
    ~TrackerMonitor() override
    {
        watch_->active = false;
        if (auto t = tracker_.lock())
            std::erase(*list_, watch_);
    }

private:
    std::weak_ptr<HotplugTracker> tracker_;
    std::shared_ptr<HotplugTracker::Watch> watch_;
    std::vector<std::shared_ptr<HotplugTracker::Watch>>* list_; // valid while tracker_ lives
};

} // namespace

std::shared_ptr<HotplugTracker> HotplugTracker::create()
{
    return std::shared_ptr<HotplugTracker>(new HotplugTracker());
}

void HotplugTracker::remember(const HidrawNode& node) { known_[node.info.id] = node.info; }

void HotplugTracker::added(const HidrawNode& node)
{
    remember(node);
    dispatch(node.info, true);
}

void HotplugTracker::removed(const std::string& syspath)
{
    auto it = known_.find(syspath);
    if (it == known_.end())
        return;
    const DeviceInfo info = std::move(it->second);
    known_.erase(it);
    dispatch(info, false);
}

std::unique_ptr<Monitor> HotplugTracker::addMonitor(std::span<const UsagePair> usages,
                                                    MonitorCallbacks callbacks)
{
    auto watch = std::make_shared<Watch>();
    watch->usages.assign(usages.begin(), usages.end());
    watch->callbacks = std::move(callbacks);
    watches_.push_back(watch);
    return std::make_unique<TrackerMonitor>(weak_from_this(), std::move(watch), &watches_);
}

void HotplugTracker::dispatch(const DeviceInfo& info, bool matched)
{
    // A call-back may drop monitors, add some, or drop the owner of this
    // tracker: work on copies and keep this alive.
    const auto self = shared_from_this();
    const auto current = watches_;
    for (const auto& w : current) {
        if (!w->active || !matchesAny(info, w->usages))
            continue;
        // `current` keeps the watch, and so its call-back, alive during the call.
        const auto& cb = matched ? w->callbacks.matched : w->callbacks.removed;
        if (cb)
            cb(info);
    }
}

} // namespace platform::hid
