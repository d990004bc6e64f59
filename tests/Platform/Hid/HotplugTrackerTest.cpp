// Hot-plug bookkeeping of the hidraw backend: which monitors hear of which
// node, and removals known only by their sysfs path.
#include "Platform/Hid/Linux/HotplugTracker.h"

#include <gtest/gtest.h>

using namespace platform::hid;

namespace {

HidrawNode node(const std::string& syspath, uint32_t location, std::vector<UsagePair> usages)
{
    HidrawNode n;
    n.info.id = syspath;
    n.info.location = location;
    n.info.usages = std::move(usages);
    return n;
}

struct Log {
    std::vector<std::string> lines;
    MonitorCallbacks callbacks(const std::string& who)
    {
        return {[this, who](const DeviceInfo& d) { lines.push_back(who + " + " + d.id); },
                [this, who](const DeviceInfo& d) { lines.push_back(who + " - " + d.id); }};
    }
};

const UsagePair kVendor1[] = {{0xFF00, 1}};
const UsagePair kVendor12[] = {{0xFF00, 1}, {0xFF00, 2}};

TEST(HotplugTracker, MonitorsHearOfTheUsagesTheyAskedFor)
{
    auto t = HotplugTracker::create();
    Log log;
    auto m1 = t->addMonitor(kVendor1, log.callbacks("v1"));
    auto m12 = t->addMonitor(kVendor12, log.callbacks("v12"));
    auto all = t->addMonitor({}, log.callbacks("all"));

    t->added(node("/a", 0x01100000, {{0xFF00, 1}}));
    t->added(node("/b", 0x01100000, {{0xFF00, 2}}));
    t->added(node("/k", 0x01200000, {{0x01, 0x06}}));
    t->removed("/b");
    t->removed("/a");
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "v1 + /a", "v12 + /a", "all + /a",  //
                             "v12 + /b", "all + /b",             //
                             "all + /k",                         //
                             "v12 - /b", "all - /b",             //
                             "v1 - /a", "v12 - /a", "all - /a"}));
}

TEST(HotplugTracker, RemovalsAreKnownByWhatWasSeenBefore)
{
    auto t = HotplugTracker::create();
    Log log;
    auto m = t->addMonitor(kVendor1, log.callbacks("m"));

    // Found by an enumeration before: its removal carries the old details.
    t->remember(node("/enumerated", 0x03142000, {{0xFF00, 1}}));
    t->removed("/enumerated");
    // Never seen, or already removed: nothing to report.
    t->removed("/unknown");
    t->removed("/enumerated");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"m - /enumerated"}));
    EXPECT_EQ(t->knownCount(), 0u);

    // Re-plugged at the same path: reported again, the entry replaced.
    t->added(node("/p", 0x03142000, {{0xFF00, 1}}));
    t->added(node("/p", 0x03142000, {{0xFF00, 1}}));
    EXPECT_EQ(t->knownCount(), 1u);
}

TEST(HotplugTracker, RemovedDetailsComeFromTheCache)
{
    auto t = HotplugTracker::create();
    DeviceInfo seen;
    auto m = t->addMonitor({}, {nullptr, [&](const DeviceInfo& d) { seen = d; }});
    auto n = node("/x", 0x05300000, {{0xFF00, 1}});
    n.info.vendorId = 0x1234;
    n.info.productId = 0x5678;
    t->added(n); // no matched call-back installed: fine
    t->removed("/x");
    EXPECT_EQ(seen.location, 0x05300000u);
    EXPECT_EQ(seen.vendorId, 0x1234);
    EXPECT_EQ(seen.productId, 0x5678);
}

TEST(HotplugTracker, CallBacksMayDropMonitorsOrTheTracker)
{
    auto t = HotplugTracker::create();
    std::unique_ptr<Monitor> second;
    int firstCalls = 0, secondCalls = 0;
    auto first = t->addMonitor({}, {[&](const DeviceInfo&) {
                                        ++firstCalls;
                                        second.reset(); // before it was told
                                    },
                                    nullptr});
    second = t->addMonitor({}, {[&](const DeviceInfo&) { ++secondCalls; }, nullptr});
    t->added(node("/a", 1, {}));
    EXPECT_EQ(firstCalls, 1);
    EXPECT_EQ(secondCalls, 0);

    // The last owner of the tracker lets go inside a call-back.
    std::shared_ptr<HotplugTracker> owner = HotplugTracker::create();
    HotplugTracker* raw = owner.get();
    int calls = 0;
    auto m = owner->addMonitor({}, {[&](const DeviceInfo&) {
                                        ++calls;
                                        owner.reset();
                                    },
                                    nullptr});
    raw->added(node("/b", 1, {}));
    EXPECT_EQ(calls, 1);
    m.reset(); // outlives the tracker
}

} // namespace
