// Self-tests of the virtual HID bus and the emulated devices, driven only
// through the platform::hid interface the device layer uses.
#include "support/EmulatedKeyboard.h"
#include "support/EmulatedMouse.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace std::chrono_literals;
using platform::hid::DeviceInfo;
using platform::hid::kVendorUsage;
using platform::hid::Status;
using platform::hid::UsagePair;

namespace {

constexpr uint32_t kLoc = 0x01100000;
using Bytes = std::vector<uint8_t>;

// One host-side open of the vendor interface, collecting what arrives.
struct Host {
    std::unique_ptr<platform::hid::Device> dev;
    std::vector<std::pair<Status, Bytes>> got;
    Status openStatus = Status::Error;

    explicit Host(uint32_t loc = kLoc, bool seize = true)
    {
        dev = platform::hid::backend().open(loc, kVendorUsage, seize, openStatus);
        if (dev)
            dev->setInputHandler([this](Status s, std::span<const uint8_t> b) { got.emplace_back(s, Bytes(b.begin(), b.end())); });
    }

    static Bytes packet(uint8_t cmd, uint8_t flag, const Bytes& data)
    {
        Bytes p(65, 0);
        p[1] = p[2] = 0xAA;
        p[3] = cmd;
        p[4] = flag;
        p[5] = static_cast<uint8_t>(data.size());
        std::copy(data.begin(), data.end(), p.begin() + 6);
        return p;
    }

    Status send(uint8_t cmd, uint8_t flag = 0, const Bytes& data = {}) { return dev->write(packet(cmd, flag, data)); }

    // Sends and waits for `n` reports; returns what arrived.
    std::vector<Bytes> exchange(uint8_t cmd, const Bytes& data = {}, uint8_t flag = 0, size_t n = 1)
    {
        got.clear();
        EXPECT_EQ(send(cmd, flag, data), Status::Success);
        emu::waitUntil([&] { return got.size() >= n; }, 1000ms);
        std::vector<Bytes> out;
        for (auto& [s, b] : got)
            out.push_back(b);
        return out;
    }
};

// Reply as the host's 65-byte view: byte 0 = 0x00 in front.
Bytes hostView(const Bytes& report)
{
    Bytes r(report.size() + 1, 0);
    std::copy(report.begin(), report.end(), r.begin() + 1);
    return r;
}

struct EmulatorTest : ::testing::Test {
    emu::ScopedVirtualBus bus;
    std::shared_ptr<emu::EmulatedKeyboard> kb = std::make_shared<emu::EmulatedKeyboard>();
    void SetUp() override { ASSERT_TRUE(bus->attach(kb, kLoc)); }
};

} // namespace

TEST_F(EmulatorTest, HotPlugCallbacksArriveThroughTheEventLoop)
{
    std::vector<std::pair<bool, DeviceInfo>> events;
    Status st;
    const UsagePair usages[] = {kVendorUsage};
    auto mon = bus->startMonitor(usages, {[&](const DeviceInfo& i) { events.emplace_back(true, i); },
                                          [&](const DeviceInfo& i) { events.emplace_back(false, i); }},
                                 st);
    ASSERT_EQ(st, Status::Success);
    auto mouse = std::make_shared<emu::EmulatedMouse>();
    ASSERT_TRUE(bus->attach(mouse, 0x02200000));
    EXPECT_FALSE(bus->attach(mouse, 0x03300000)) << "already attached";
    EXPECT_FALSE(bus->attach(std::make_shared<emu::EmulatedMouse>(), kLoc)) << "location taken";
    EXPECT_TRUE(events.empty()) << "call-backs must not run inside attach()";
    ASSERT_TRUE(emu::waitUntil([&] { return events.size() == 1; }));
    EXPECT_TRUE(events[0].first);
    EXPECT_EQ(events[0].second.location, 0x02200000u);
    EXPECT_EQ(events[0].second.productId, shipped::kModels[2].productId);

    // Both interfaces of each device are listed; the usage filter applies.
    EXPECT_EQ(bus->enumerate({}).size(), 4u);
    auto vendor = bus->enumerate(usages);
    ASSERT_EQ(vendor.size(), 2u);
    EXPECT_EQ(vendor[0].maxInputReportSize, 64);

    ASSERT_TRUE(mouse->detach());
    ASSERT_TRUE(emu::waitUntil([&] { return events.size() == 2; }));
    EXPECT_FALSE(events[1].first);
    mon.reset();
    bus->attach(mouse, 0x02200000);
    emu::pumpEvents(5ms);
    EXPECT_EQ(events.size(), 2u) << "a destroyed monitor reports nothing";
}

TEST_F(EmulatorTest, SeizeAndOpenFailures)
{
    Host a;
    ASSERT_EQ(a.openStatus, Status::Success);
    Host b;
    EXPECT_EQ(b.openStatus, Status::ExclusiveAccess);
    EXPECT_FALSE(b.dev);
    Host c(0x09900000);
    EXPECT_EQ(c.openStatus, Status::NoDevice);
    Status st;
    EXPECT_FALSE(bus->open(kLoc, UsagePair{0xFF00, 0x0002}, true, st));
    EXPECT_EQ(st, Status::NoDevice);
    EXPECT_EQ(bus->openHandleCount(kLoc), 1);
    a.dev.reset();
    Host d;
    EXPECT_EQ(d.openStatus, Status::Success);

    // Two vendor interfaces: the second open gets the other one.
    auto twin = std::make_shared<emu::EmulatedKeyboard>();
    twin->setInterfaces({{kVendorUsage, 64}, {kVendorUsage, 64}});
    ASSERT_TRUE(bus->attach(twin, 0x04400000));
    Host e(0x04400000), f(0x04400000), g(0x04400000);
    EXPECT_EQ(e.openStatus, Status::Success);
    EXPECT_EQ(f.openStatus, Status::Success);
    EXPECT_EQ(g.openStatus, Status::ExclusiveAccess);
    EXPECT_NE(e.dev->info().id, f.dev->info().id);
}

TEST_F(EmulatorTest, RepliesComeThroughTheEventLoopAndIdentifyTheModel)
{
    Host h;
    ASSERT_EQ(h.send(0x02), Status::Success);
    EXPECT_TRUE(h.got.empty()) << "no reply inside write()";
    ASSERT_TRUE(emu::waitUntil([&] { return h.got.size() == 1; }));
    auto r = hostView(h.got[0].second);
    ASSERT_EQ(r.size(), 65u);
    // The identity of the shipped model: 8 model bytes (0-padded), 4 firmware bytes.
    const auto& model = shipped::kModels[0];
    Bytes head{0x00, 0x55, 0x55, 0x02, 0x00, 0x00, 12};
    head.insert(head.end(), model.modelNumber.begin(), model.modelNumber.end());
    head.resize(15, 0);
    head.insert(head.end(), model.firmware.begin(), model.firmware.end());
    EXPECT_EQ(Bytes(r.begin(), r.begin() + 19), head);

    // The log holds the write, then the reply, in time order.
    const auto& log = kb->log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, emu::LogEntry::Kind::Output);
    EXPECT_EQ(log[0].bytes, Host::packet(0x02, 0, {}));
    EXPECT_EQ(log[1].kind, emu::LogEntry::Kind::Reply);
    EXPECT_LE(log[0].time, log[1].time);
    EXPECT_EQ(kb->commands(), Bytes{0x02});
}

TEST_F(EmulatorTest, LegacyIdentityLayouts)
{
    struct Case {
        emu::IdentityLayout layout;
        uint8_t status;
        Bytes expect; // host bytes 1..14
    };
    const Case cases[] = {
        {emu::IdentityLayout::TenByte, 0, {0x55, 0x55, 0x02, 0, 0, 10, 'X', 'Y', 'Z', '1', '2', 0, 1, 0, 0, 9}},
        {emu::IdentityLayout::EightByte, 1, {0x55, 0x55, 0x02, 1, 0, 8, 'X', 'Y', 'Z', '1', 1, 0, 0, 9}},
        {emu::IdentityLayout::ShortHeader, 0, {0x55, 0x55, 0x02, 0, 8, 'X', 'Y', 'Z', '1', 1, 0, 0, 9}},
    };
    Host h;
    for (const auto& c : cases) {
        kb->identity().model = emu::Identity::modelBytes("XYZ12");
        kb->identity().firmware = {1, 0, 0, 9};
        kb->identity().layout = c.layout;
        kb->identity().legacyStatus = c.status;
        auto r = h.exchange(0x02);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(Bytes(r[0].begin(), r[0].begin() + c.expect.size()), c.expect) << int(c.layout);
    }
}

TEST_F(EmulatorTest, PerKeyWritesAndReadsUseTheSequenceFlags)
{
    Host h;
    Bytes levels(128);
    for (int i = 0; i < 128; ++i)
        levels[i] = static_cast<uint8_t>(i % 3);
    const uint8_t flags[] = {0x61, 0xA2, 0xE3};
    for (int k = 0; k < 3; ++k) {
        const int n = k < 2 ? 59 : 10;
        auto r = h.exchange(0x21, Bytes(levels.begin() + 59 * k, levels.begin() + 59 * k + n), flags[k]);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0][3], 0) << "packet " << k;
        EXPECT_EQ(r[0][4], 0);
    }
    EXPECT_TRUE(std::equal(levels.begin(), levels.end(), kb->live().apc.begin()));
    EXPECT_FALSE(kb->lastLedShown());

    // Read back: three replies 58/58/12 flagged 41/82/C3.
    auto r = h.exchange(0x22, {}, 0, 3);
    ASSERT_EQ(r.size(), 3u);
    const uint8_t rflags[] = {0x41, 0x82, 0xC3}, lens[] = {58, 58, 12};
    Bytes back;
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(r[k][4], rflags[k]);
        EXPECT_EQ(r[k][5], lens[k]);
        back.insert(back.end(), r[k].begin() + 6, r[k].begin() + 6 + lens[k]);
    }
    EXPECT_EQ(back, levels);

    // A fault on packet 2 only: packet 1 is taken, packet 2 refused, and
    // packet 3 then comes out of order.
    kb->inject({.kind = emu::FaultKind::Status, .command = 0x80, .packetNumber = 2});
    const uint8_t lockStatus[] = {0, emu::kStatusRefused, emu::kStatusRefused};
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(h.exchange(0x80, Bytes(k < 2 ? 59 : 10, 1), flags[k])[0][3], lockStatus[k]) << k;
    EXPECT_EQ(kb->live().lock[0], 1);
    EXPECT_EQ(kb->live().lock[59], 0) << "a refused packet changes nothing";
    kb->live().lock.fill(0);

    // Out of order: a middle packet without a first one is refused.
    auto lockBefore = kb->live().lock;
    auto bad = h.exchange(0x80, Bytes(59, 1), 0x83);
    EXPECT_EQ(bad[0][3], emu::kStatusRefused);
    EXPECT_EQ(kb->live().lock, lockBefore);
    // Store keeps the live settings; factory restores defaults in both copies.
    h.exchange(0x04);
    EXPECT_EQ(kb->stored(), kb->live());
    h.exchange(0x03);
    EXPECT_EQ(kb->live(), emu::EmulatedKeyboard::Settings::defaults());
    EXPECT_EQ(kb->stored(), emu::EmulatedKeyboard::Settings::defaults());
}

TEST_F(EmulatorTest, KeyboardSingleValueCommands)
{
    Host h;
    struct Step {
        uint8_t cmd;
        Bytes data;
        uint8_t status;
        Bytes replyData;
    };
    const Step steps[] = {
        {0x20, {2}, 0, {}},          {0x23, {}, 0, {2}},     {0x20, {3}, 1, {}},
        {0x82, {1}, 0, {}},          {0x83, {}, 0, {1}},     {0x84, {1}, 0, {}},
        {0x85, {}, 0, {1}},          {0x42, {0}, 0, {}},     {0x43, {}, 0, {0}},
        {0x42, {3}, 1, {}},          {0x45, {2}, 1, {}},     {0x61, {}, 0, {}},
        {0x99, {}, 1, {}},
    };
    for (const auto& s : steps) {
        auto r = h.exchange(s.cmd, s.data);
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0][3], s.status) << std::hex << int(s.cmd);
        EXPECT_EQ(r[0][5], s.replyData.size()) << std::hex << int(s.cmd);
        EXPECT_TRUE(std::equal(s.replyData.begin(), s.replyData.end(), r[0].begin() + 6));
    }
    EXPECT_EQ(kb->live().apc[127], 2);
    EXPECT_EQ(kb->live().lockEnable, 1);
    EXPECT_EQ(kb->live().codeChange, 1);
    EXPECT_EQ(kb->effect(), 0x61);

    Bytes colours{1, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0};
    h.exchange(0x44, colours);
    auto r = h.exchange(0x45, {1});
    EXPECT_EQ(r[0][5], 12);
    EXPECT_TRUE(std::equal(colours.begin() + 1, colours.end(), r[0].begin() + 6));
}

TEST_F(EmulatorTest, InjectedFaultsShapeTheReplies)
{
    Host h;
    struct Case {
        emu::Fault fault;
        size_t reports;
        int byte; // host byte number to check, or -1
        int value;
        size_t size;
    };
    const Case cases[] = {
        {{.kind = emu::FaultKind::Status}, 1, 4, 0x01, 64},
        {{.kind = emu::FaultKind::Status, .value = 7}, 1, 4, 0x07, 64},
        {{.kind = emu::FaultKind::WrongSignature}, 1, 1, 0x5A, 64},
        {{.kind = emu::FaultKind::WrongEcho}, 1, 3, 0x43 ^ 0xFF, 64},
        {{.kind = emu::FaultKind::WrongFlag, .value = 0x41}, 1, 5, 0x41, 64},
        {{.kind = emu::FaultKind::WrongLength}, 1, 6, 2, 64},
        {{.kind = emu::FaultKind::SetByte, .value = 9, .offset = 7}, 1, 7, 9, 64},
        {{.kind = emu::FaultKind::Extra, .value = 2}, 3, 3, 0x43, 64},
        {{.kind = emu::FaultKind::Short, .value = 4}, 1, 3, 0x43, 4},
    };
    for (const auto& c : cases) {
        kb->inject(c.fault);
        auto r = h.exchange(0x43, {}, 0, c.reports);
        emu::pumpEvents(2ms);
        ASSERT_EQ(h.got.size(), c.reports) << int(c.fault.kind);
        EXPECT_EQ(h.got[0].second.size(), c.size);
        EXPECT_EQ(hostView(h.got[0].second)[c.byte], c.value) << int(c.fault.kind);
        EXPECT_EQ(kb->activeFaults(), 0u);
        // The next command is answered normally.
        auto ok = h.exchange(0x43);
        EXPECT_EQ(ok[0][3], 0);
    }
}

TEST_F(EmulatorTest, DroppedAndLateRepliesAndFlush)
{
    Host h;
    kb->inject({.kind = emu::FaultKind::Drop, .command = 0x43, .times = 2});
    h.exchange(0x85); // another command: not affected
    EXPECT_EQ(h.got.size(), 1u);
    for (int i = 0; i < 2; ++i) {
        h.got.clear();
        h.send(0x43);
        emu::pumpEvents(3ms);
        EXPECT_TRUE(h.got.empty());
    }
    EXPECT_EQ(h.exchange(0x43).size(), 1u);

    // Only one reply of a three-reply read is lost.
    kb->inject({.kind = emu::FaultKind::Drop, .replyIndex = 1});
    h.got.clear();
    h.send(0x81);
    emu::pumpEvents(3ms);
    ASSERT_EQ(h.got.size(), 2u);
    EXPECT_EQ(h.got[1].second[4], 0xC3);

    // A late reply arrives after its delay, and a flush drops queued input.
    kb->inject({.kind = emu::FaultKind::Late, .delay = 30ms});
    h.got.clear();
    const auto sent = platform::now();
    h.send(0x43);
    ASSERT_TRUE(emu::waitUntil([&] { return !h.got.empty(); }));
    EXPECT_GE(platform::now() - sent, 30ms);

    h.got.clear();
    h.send(0x43);
    h.dev->flushInput();
    emu::pumpEvents(3ms);
    EXPECT_TRUE(h.got.empty());
    // It also drops a late reply that fell due while nothing ran the event loop.
    kb->inject({.kind = emu::FaultKind::Late, .delay = 10ms});
    h.send(0x43);
    std::this_thread::sleep_for(20ms);
    h.dev->flushInput();
    emu::pumpEvents(20ms);
    EXPECT_TRUE(h.got.empty());

    // get-report answers with the last reply and is counted.
    Bytes buf(65, 0);
    size_t got = 0;
    EXPECT_EQ(h.dev->getInputReport(buf, got), Status::Success);
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(buf[3], 0x43);
    kb->setGetReportStatus(Status::Error);
    EXPECT_EQ(h.dev->getInputReport(buf, got), Status::Error);
    EXPECT_EQ(kb->getReportCount(), 2);

    // A device that leaves loses the late replies it still owed, even when it
    // is back at the same place before they fall due.
    kb->inject({.kind = emu::FaultKind::Late, .delay = 30ms});
    h.send(0x43);
    ASSERT_TRUE(bus->detach(kLoc));
    ASSERT_TRUE(bus->attach(kb, kLoc));
    Host again;
    emu::pumpEvents(60ms);
    EXPECT_TRUE(again.got.empty());
}

TEST_F(EmulatorTest, DetachEndsOpenHandles)
{
    Host h;
    kb->inject({.kind = emu::FaultKind::Detach, .command = 0x22});
    h.got.clear();
    EXPECT_EQ(h.send(0x22), Status::Success);
    ASSERT_TRUE(emu::waitUntil([&] { return !h.got.empty(); }));
    EXPECT_EQ(h.got[0].first, Status::NotAttached);
    EXPECT_TRUE(h.got[0].second.empty());
    EXPECT_FALSE(kb->attached());
    EXPECT_EQ(h.send(0x43), Status::NotAttached);
    Bytes buf(65, 0);
    size_t got = 0;
    EXPECT_EQ(h.dev->getInputReport(buf, got), Status::NotAttached);

    // Attached again, the old handle stays dead; a new one works.
    ASSERT_TRUE(bus->attach(kb, kLoc));
    EXPECT_EQ(h.send(0x43), Status::NotAttached);
    Host again;
    EXPECT_EQ(again.exchange(0x43).size(), 1u);
}

TEST_F(EmulatorTest, ReplyLatencyDelaysReplies)
{
    bus->setReplyLatency(2ms);
    Host h;
    h.exchange(0x43);
    ASSERT_EQ(h.got.size(), 1u);
    const auto& log = kb->log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_GE(log[1].time - log[0].time, 2ms);

    bus->setReplyLatency(0us);
    bus->setSynchronousDelivery(true);
    h.got.clear();
    h.send(0x43);
    EXPECT_EQ(h.got.size(), 1u) << "delivered inside write()";
}

TEST_F(EmulatorTest, FirmwareUpdateStateMachine)
{
    kb->setRebootDelay(platform::Seconds(0.02));
    kb->setUpdaterProductId(0x7777);
    kb->setFirmwareAfterUpdate(std::array<uint8_t, 4>{1, 0, 3, 0});
    auto h = std::make_unique<Host>();
    auto r = h->exchange(0xE0, {}, 0, 2);
    ASSERT_EQ(h->got.size(), 2u);
    EXPECT_EQ(h->got[0].first, Status::Success) << "the reboot is answered before the device leaves";
    EXPECT_EQ(h->got[1].first, Status::NotAttached);
    EXPECT_TRUE(bus->locations().empty());
    h.reset();

    // Back in updater mode at the same location, also for a host that blocks
    // without running the event loop meanwhile.
    std::this_thread::sleep_for(25ms);
    h = std::make_unique<Host>();
    ASSERT_EQ(h->openStatus, Status::Success);
    EXPECT_EQ(h->dev->info().productId, 0x7777);
    EXPECT_EQ(kb->mode(), emu::EmulatedDevice::Mode::Updater);
    EXPECT_EQ(h->exchange(0x43)[0][3], emu::kStatusUpdater);

    Bytes image(100);
    std::iota(image.begin(), image.end(), uint8_t(0));
    const uint16_t crc = emu::EmulatedDevice::crc16(image);
    r = h->exchange(0xE1, {100, 0, 0, 0, uint8_t(crc), uint8_t(crc >> 8), 0, 0});
    EXPECT_EQ(r[0][3], 0);
    Bytes chunk0{0, 0};
    chunk0.insert(chunk0.end(), image.begin(), image.begin() + 57);
    r = h->exchange(0xE2, chunk0);
    EXPECT_EQ(r[0][5], 2);
    EXPECT_EQ(r[0][6], 0);
    // A gap is refused; the end before all bytes came is refused.
    EXPECT_EQ(h->exchange(0xE2, {2, 0, 1})[0][3], emu::kStatusRefused);
    EXPECT_EQ(h->exchange(0xE3)[0][3], emu::kStatusRefused);
    EXPECT_EQ(h->exchange(0x01, {0})[0][3], emu::kStatusRefused) << "an unfinished update refuses Start";
    EXPECT_TRUE(kb->updatePending());

    Bytes chunk1{1, 0};
    chunk1.insert(chunk1.end(), image.begin() + 57, image.end());
    r = h->exchange(0xE2, chunk1);
    EXPECT_EQ(r[0][6], 1);
    EXPECT_EQ(kb->receivedImage(), image);
    r = h->exchange(0xE3, {}, 0, 2);
    EXPECT_EQ(r[0][3], 0);
    EXPECT_FALSE(kb->updatePending());
    EXPECT_EQ(kb->updatesCompleted(), 1);
    h.reset();
    ASSERT_TRUE(emu::waitUntil([&] { return kb->attached(); }));
    EXPECT_EQ(kb->mode(), emu::EmulatedDevice::Mode::Application);
    h = std::make_unique<Host>();
    EXPECT_EQ(h->dev->info().productId, shipped::kModels[0].productId);
    r = h->exchange(0x02);
    EXPECT_EQ(Bytes(r[0].begin() + 14, r[0].begin() + 18), (Bytes{1, 0, 3, 0}));
    EXPECT_EQ(h->exchange(0x01, {0})[0][3], 0);
    EXPECT_TRUE(kb->sessionOpen());
}

TEST_F(EmulatorTest, RebootWithoutComingBack)
{
    kb->setReattachAfterReboot(false);
    kb->setRebootDelay(platform::Seconds(0));
    Host h;
    h.exchange(0xE0, {}, 0, 2);
    emu::pumpEvents(5ms);
    EXPECT_TRUE(bus->locations().empty());
    EXPECT_EQ(kb->rebootCount(), 1);
}

TEST(EmulatedMouseTest, SettingsRecordFollowsTheCommands)
{
    emu::ScopedVirtualBus bus;
    auto mouse = std::make_shared<emu::EmulatedMouse>();
    ASSERT_TRUE(bus->attach(mouse, kLoc));
    Host h;
    struct Step {
        uint8_t cmd;
        Bytes data;
        uint8_t status;
    };
    const Step steps[] = {
        {0x10, {1}, 0},          {0x11, {2, 0x2C}, 0},    {0x11, {6, 1}, 1},     {0x11, {3, 0x0C}, 1},
        {0x12, {2, 0x02, 0x04}, 0}, {0x12, {1, 0, 4}, 1}, {0x30, {7, 2, 1, 0}, 0}, {0x30, {8, 0, 0, 0}, 1},
        {0x50, {3, 1, 119}, 0},  {0x50, {0, 0, 120}, 1},  {0x51, {3}, 0},        {0x51, {4}, 1},
    };
    for (const auto& s : steps)
        EXPECT_EQ(h.exchange(s.cmd, s.data)[0][3], s.status) << std::hex << int(s.cmd);
    const emu::EmulatedMouse::Record expect{0x02, 0x01, 0x2C, 0x04, 0x05, 0x06, 7, 2, 1, 0, 0, 3, 0, 7, 0, 15, 1, 119,
                                            3,    3,    1,    0x02, 0x04, 0,    0, 0, 0, 0, 0};
    EXPECT_EQ(mouse->live(), expect);

    auto r = h.exchange(0x05);
    EXPECT_EQ(r[0][5], 21) << "LEN counts 21 bytes";
    EXPECT_TRUE(std::equal(expect.begin(), expect.end(), r[0].begin() + 6)) << "newer layout: all 29";
    mouse->setLayout(emu::EmulatedMouse::Layout::Older);
    r = h.exchange(0x05);
    EXPECT_TRUE(std::equal(expect.begin(), expect.begin() + 21, r[0].begin() + 6));
    EXPECT_TRUE(std::all_of(r[0].begin() + 27, r[0].end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(h.exchange(0x12, {2, 1, 4})[0][3], emu::kStatusRefused);

    EXPECT_NE(mouse->stored(), mouse->live());
    h.exchange(0x04);
    EXPECT_EQ(mouse->stored(), mouse->live());
    mouse->live()[emu::EmulatedMouse::kColor] = 1;
    mouse->restoreStored();
    EXPECT_EQ(mouse->live()[emu::EmulatedMouse::kColor], 7);
}
