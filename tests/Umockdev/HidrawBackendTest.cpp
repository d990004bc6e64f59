// The real hidraw backend (libudev, sysfs, /dev nodes, the udev monitor)
// against devices mocked by umockdev: enumeration, opening, reports both
// ways, removal and hot-plug, and the keyboard model end to end.
#include "BuildPaths.h"
#include "MockHidraw.h" // first: glib before Qt

#include "AppParam.h"
#include "Device/DeviceEnumerator.h"
#include "Device/KeyboardEntry.h"
#include "Device/KolventraDevice.h"
#include "Platform/Clock.h"
#include "Platform/Hid/Linux/HidrawBackend.h"
#include "ShippedModels.h"
#include "support/EmulatedKeyboard.h"
#include "support/VirtualHidBus.h"
#include "Utility/AppUtil.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <unistd.h>

using namespace std::chrono_literals;
using platform::hid::DeviceInfo;
using platform::hid::HidrawBackend;
using platform::hid::kVendorUsage;
using platform::hid::Status;
using platform::hid::UsagePair;
using mock::Bytes;

namespace {

constexpr uint32_t kBus1Port2 = 0x01200000;

class MockedHidraw : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The test bed first: only then does the preload answer.
        bed = std::make_unique<mock::TestBed>();
        if (!mock::TestBed::preloadActive()) {
            if (::access("/run/udev/control", F_OK) == 0 && !std::getenv("CI"))
                GTEST_SKIP() << "not started under the umockdev preload and udevd runs here: run this "
                                "program through ctest (LD_PRELOAD=libumockdev-preload.so.0)";
            FAIL() << "not started under the umockdev preload: run this program through ctest "
                      "(LD_PRELOAD=libumockdev-preload.so.0)";
        }
        platform::hid::setBackend(nullptr); // the Linux backend
    }

    std::unique_ptr<mock::TestBed> bed;
};

const DeviceInfo* at(const std::vector<DeviceInfo>& list, uint32_t location)
{
    for (const auto& d : list)
        if (d.location == location)
            return &d;
    return nullptr;
}

Bytes numbered(uint8_t first, size_t size)
{
    Bytes b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = uint8_t(first + i);
    return b;
}

} // namespace

TEST_F(MockedHidraw, EnumerationReadsIdentityUsagesSizesAndLocation)
{
    ASSERT_FALSE(bed->add({.bus = 1, .ports = "2", .node = "hidraw0"}).empty());
    ASSERT_FALSE(bed->add({.bus = 3, .ports = "1.4.2", .productId = 0x1112, .node = "hidraw1"}).empty());
    ASSERT_FALSE(bed->add({.bus = 2, .ports = "3.1", .productId = 0x2106, .node = "hidraw2"}).empty());
    ASSERT_FALSE(bed->add({.bus = 1, .ports = "5", .productId = 0x0001,
                           .descriptor = mock::keyboardDescriptor(), .node = "hidraw3"}).empty());

    HidrawBackend backend;
    const UsagePair vendor[] = {kVendorUsage};
    const auto found = backend.enumerate(vendor);
    ASSERT_EQ(found.size(), 3u); // the keyboard-only interface is not matched
    const DeviceInfo* first = at(found, kBus1Port2);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->vendorId, 0x3A5E);
    EXPECT_EQ(first->productId, 0x1108);
    EXPECT_EQ(first->usages, (std::vector<UsagePair>{kVendorUsage}));
    EXPECT_EQ(first->maxInputReportSize, 64);
    ASSERT_TRUE(at(found, 0x03142000));
    EXPECT_EQ(at(found, 0x03142000)->productId, 0x1112);
    ASSERT_TRUE(at(found, 0x02310000));
    EXPECT_EQ(at(found, 0x02310000)->productId, 0x2106);

    const auto all = backend.enumerate({});
    ASSERT_EQ(all.size(), 4u);
    const DeviceInfo* keyboard = at(all, 0x01500000);
    ASSERT_TRUE(keyboard);
    EXPECT_EQ(keyboard->usages, (std::vector<UsagePair>{{0x0001, 0x0006}}));
}

TEST_F(MockedHidraw, OpenSeizesAndReportsTravelWhole)
{
    ASSERT_FALSE(bed->add({.node = "hidraw0"}).empty());
    mock::HidrawNode node(*bed, "/dev/hidraw0");
    ASSERT_TRUE(node.ready());

    HidrawBackend backend;
    Status status = Status::Error;
    auto dev = backend.open(kBus1Port2, kVendorUsage, true, status);
    ASSERT_EQ(status, Status::Success);
    ASSERT_TRUE(dev);
    Status second = Status::Success;
    EXPECT_FALSE(backend.open(kBus1Port2, kVendorUsage, true, second));
    EXPECT_EQ(second, Status::ExclusiveAccess);
    EXPECT_FALSE(backend.open(kBus1Port2, kVendorUsage, false, second));
    EXPECT_EQ(second, Status::ExclusiveAccess);

    // One 65-byte write is one output report.
    Bytes out = numbered(0x10, 65);
    out[0] = 0;
    ASSERT_EQ(dev->write(out), Status::Success);
    // The node's thread records it: poll, no event comes for it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !node.outputs().empty(); }, 2000));
    EXPECT_EQ(node.outputs(), std::vector<Bytes>{out});

    // Input reports come one per read, in order, through the event loop.
    std::vector<std::pair<Status, Bytes>> got;
    dev->setInputHandler([&](Status s, std::span<const uint8_t> r) { got.emplace_back(s, Bytes(r.begin(), r.end())); });
    for (uint8_t k = 0; k < 3; ++k)
        node.pushInput(numbered(uint8_t(0x40 * k), 64));
    ASSERT_TRUE(emu::waitUntil([&] { return got.size() >= 3; }));
    emu::pumpEvents(30ms);
    ASSERT_EQ(got.size(), 3u);
    for (uint8_t k = 0; k < 3; ++k) {
        EXPECT_EQ(got[k].first, Status::Success);
        EXPECT_EQ(got[k].second, numbered(uint8_t(0x40 * k), 64));
    }

    // The on-demand read.
    node.setGetInputHandler([](uint8_t* buf, size_t length) -> std::optional<size_t> {
        for (size_t i = 1; i < length; ++i)
            buf[i] = uint8_t(0xA0 + i);
        return length;
    });
    Bytes in(65, 0);
    size_t n = 0;
    ASSERT_EQ(dev->getInputReport(in, n), Status::Success);
    EXPECT_EQ(n, 64u);
    EXPECT_EQ(in[1], 0xA1);
    EXPECT_EQ(in[64], uint8_t(0xA0 + 64));
    node.setGetInputHandler({});
    EXPECT_NE(dev->getInputReport(in, n), Status::Success);

    // Closed, the node can be seized again.
    dev.reset();
    EXPECT_TRUE(backend.open(kBus1Port2, kVendorUsage, true, status));
}

TEST_F(MockedHidraw, RemovalWhileOpenEndsTheTransactionAtOnce)
{
    const std::string syspath = bed->add({.node = "hidraw0"});
    ASSERT_FALSE(syspath.empty());
    auto node = std::make_unique<mock::HidrawNode>(*bed, "/dev/hidraw0");
    ASSERT_TRUE(node->ready());

    KolventraDevice device;
    ASSERT_EQ(device.hidOpen(kBus1Port2), AppError::NoError);
    // The device is pulled out as soon as the command arrives.
    node->setOutputHandler([&](const Bytes&) { node->unplug(); });
    const Bytes packet = KolventraDevice::makePacket(KolventraDevice::CMDC_SAVESETTING);
    std::vector<Bytes> replies;
    // Not the reply time-out, which gives DeviceReadTimeout.
    EXPECT_EQ(device.KolventraIoControl("", &packet, replies, {0}), AppError::DevceRead);
    EXPECT_EQ(node->outputs().size(), 1u); // no retry
    device.hidClose();
    bed->remove(syspath);
}

TEST_F(MockedHidraw, HotPlugReachesTheCallBacksAndARePlugKeepsItsLocation)
{
    HidrawBackend backend;
    std::vector<uint32_t> matched, removed;
    const UsagePair vendor[] = {kVendorUsage};
    Status status = Status::Error;
    auto monitor = backend.startMonitor(
        vendor,
        {.matched = [&](const DeviceInfo& d) { matched.push_back(d.location); },
         .removed = [&](const DeviceInfo& d) { removed.push_back(d.location); }},
        status);
    ASSERT_EQ(status, Status::Success);
    ASSERT_TRUE(monitor);

    const std::string first = bed->add({.bus = 3, .ports = "1.4.2", .node = "hidraw0"});
    ASSERT_FALSE(first.empty());
    // A keyboard-only interface plugged in meanwhile is not reported.
    ASSERT_FALSE(bed->add({.bus = 1, .ports = "5", .descriptor = mock::keyboardDescriptor(), .node = "hidraw5"}).empty());
    ASSERT_TRUE(emu::waitUntil([&] { return !matched.empty(); }));
    EXPECT_EQ(matched, std::vector<uint32_t>{0x03142000});

    bed->remove(first);
    ASSERT_TRUE(emu::waitUntil([&] { return !removed.empty(); }));
    EXPECT_EQ(removed, std::vector<uint32_t>{0x03142000});

    // Back into the same port, under a new node name.
    ASSERT_FALSE(bed->add({.bus = 3, .ports = "1.4.2", .node = "hidraw1"}).empty());
    ASSERT_TRUE(emu::waitUntil([&] { return matched.size() >= 2; }));
    emu::pumpEvents(50ms);
    EXPECT_EQ(matched, (std::vector<uint32_t>{0x03142000, 0x03142000}));
    EXPECT_EQ(removed.size(), 1u);
}

TEST_F(MockedHidraw, EnumeratorListsTheDeviceAndFollowsItsComingAndGoing)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    AppUtil::setAppWorkFolderForTesting(work.path() + QStringLiteral("/"));
    AppUtil::setResourceDataFolder(QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/"));
    struct Restore {
        ~Restore()
        {
            AppUtil::setAppWorkFolderForTesting({});
            AppUtil::setResourceDataFolder({});
            AppParam::targetProfileList.clear();
        }
    } restore;

    DeviceEnumerator enumerator;
    ASSERT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
    int plugIn = 0, plugOff = 0;
    enumerator.plugInDeviceCallback = [&] { ++plugIn; };
    enumerator.plugOffDeviceCallback = [&] { ++plugOff; };
    enumerator.startPolling();
    ASSERT_TRUE(enumerator.isPolling);

    const shipped::Model& model = shipped::kModels[0];
    const std::string syspath = bed->add(
        {.bus = 3, .ports = "1.4.2", .vendorId = model.vendorId, .productId = model.productId, .node = "hidraw0"});
    ASSERT_FALSE(syspath.empty());
    ASSERT_TRUE(emu::waitUntil([&] { return plugIn == 1; }));
    const auto list = enumerator.GetDevicePathList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].deviceLocation, int32_t(0x03142000));

    bed->remove(syspath);
    ASSERT_TRUE(emu::waitUntil([&] { return plugOff == 1; }));
    EXPECT_TRUE(enumerator.GetDevicePathList().empty());
    EXPECT_EQ(plugIn, 1);
}

TEST_F(MockedHidraw, KeyboardModelRunsThroughTheRealBackend)
{
    platform::ScopedTimeScale fast(0.2); // pacing and retry waits
    const shipped::Model& model = shipped::kModels[0];
    ASSERT_FALSE(bed->add({.vendorId = model.vendorId, .productId = model.productId, .node = "hidraw0"}).empty());
    mock::HidrawNode node(*bed, "/dev/hidraw0");
    ASSERT_TRUE(node.ready());

    // The emulated keyboard answers behind the node: it sits on a private
    // virtual bus (not installed as the backend) whose handle relays reports.
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>(model);
    keyboard->live().apc[5] = 2;
    keyboard->live().apc[70] = 0;
    auto relay = std::make_shared<emu::VirtualHidBus>();
    ASSERT_TRUE(relay->attach(keyboard, 0x7D100000));
    Status status = Status::Error;
    std::shared_ptr<platform::hid::Device> handle = relay->open(0x7D100000, kVendorUsage, false, status);
    ASSERT_TRUE(handle);
    handle->setInputHandler([&node](Status s, std::span<const uint8_t> r) {
        if (s == Status::Success)
            node.pushInput(Bytes(r.begin(), r.end()));
    });
    node.setOutputHandler([handle](const Bytes& report) { handle->write(report); });

    KeyboardEntry kb;
    ASSERT_EQ(kb.loadProfile(QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/Profile/")
                             + QString::fromLatin1(model.packageFile.data(), qsizetype(model.packageFile.size()))),
              AppError::NoError);
    ASSERT_EQ(kb.open(kBus1Port2), AppError::NoError);
    ASSERT_EQ(kb.loadDeviceParam(), AppError::NoError);
    bool sawKey5 = false, sawKey70 = false;
    for (const auto& key : kb.keytopList) {
        if (key.code == 5) {
            sawKey5 = true;
            EXPECT_EQ(key.apcLevel, ApcLevel::Low);
        }
        if (key.code == 70) {
            sawKey70 = true;
            EXPECT_EQ(key.apcLevel, ApcLevel::High);
        }
    }
    EXPECT_TRUE(sawKey5 && sawKey70);

    std::vector<ApcLevel> levels(KolventraKeyboard::kKeyCount, ApcLevel::Middle);
    levels[5] = ApcLevel::High;
    levels[100] = ApcLevel::Low;
    ASSERT_EQ(kb.CMD_SetOnPos_Indi(levels, false), AppError::NoError);
    EXPECT_EQ(keyboard->live().apc[5], 0);
    EXPECT_EQ(keyboard->live().apc[100], 2);
    EXPECT_EQ(keyboard->live().apc[70], 1);
    // Every command went out as whole 65-byte reports.
    for (const auto& r : node.outputs())
        EXPECT_EQ(r.size(), 65u);
    (void)kb.close(true);
    handle.reset();
}
