// The opened-device half of the hidraw backend, driven without hardware:
// input through a packet socket pair (one message = one report), opening,
// seizing and permissions on plain files.
#include "Platform/Hid/Linux/HidrawBackend.h"
#include "Platform/Hid/Linux/HidrawDevice.h"
#include "Utility/Logger.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::hid;

namespace {

using Bytes = std::vector<uint8_t>;

struct Received {
    std::vector<std::pair<Status, Bytes>> calls;
};

// A device on one end of a packet socket pair; the test is the other end.
struct Pair {
    std::unique_ptr<HidrawDevice> dev;
    int peer = -1;
    Received got;

    explicit Pair(bool numbered = false)
    {
        int sv[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, sv), 0);
        DeviceInfo info;
        info.location = 0x03142000;
        info.maxInputReportSize = 64;
        dev = HidrawDevice::adopt(sv[0], info, numbered);
        peer = sv[1];
        dev->setInputHandler([this](Status s, std::span<const uint8_t> r) {
            got.calls.emplace_back(s, Bytes(r.begin(), r.end()));
        });
    }
    ~Pair()
    {
        if (peer >= 0)
            ::close(peer);
    }
    void send(const Bytes& b) { ASSERT_EQ(::send(peer, b.data(), b.size(), 0), ssize_t(b.size())); }
    void closePeer()
    {
        ::close(peer);
        peer = -1;
    }
};

Bytes report(uint8_t first, size_t size = 64)
{
    Bytes b(size);
    for (size_t i = 0; i < size; ++i)
        b[i] = uint8_t(first + i);
    return b;
}

TEST(HidrawDevice, EachReadIsOneReportInOrder)
{
    Pair p;
    p.send(report(1));
    p.send(report(2, 10));
    p.send(report(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.got.calls.size() >= 3; }, 2000));
    ASSERT_EQ(p.got.calls.size(), 3u);
    EXPECT_EQ(p.got.calls[0], std::make_pair(Status::Success, report(1)));
    EXPECT_EQ(p.got.calls[1], std::make_pair(Status::Success, report(2, 10)));
    EXPECT_EQ(p.got.calls[2], std::make_pair(Status::Success, report(3)));
}

TEST(HidrawDevice, NumberedReportsLoseTheirIdByte)
{
    Pair p(true);
    p.send({0x05, 0xAA, 0xBB});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !p.got.calls.empty(); }, 2000));
    EXPECT_EQ(p.got.calls[0].second, (Bytes{0xAA, 0xBB}));
}

TEST(HidrawDevice, FlushDropsQueuedReportsOnly)
{
    Pair p;
    p.send(report(1));
    p.send(report(2));
    p.dev->flushInput();
    QTest::qWait(20);
    EXPECT_TRUE(p.got.calls.empty());
    p.send(report(3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !p.got.calls.empty(); }, 2000));
    EXPECT_EQ(p.got.calls[0].second, report(3));
}

TEST(HidrawDevice, GoneDeviceIsReportedOnceThenSilent)
{
    Pair p;
    p.send(report(1));
    p.closePeer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.got.calls.size() >= 2; }, 2000));
    QTest::qWait(30);
    ASSERT_EQ(p.got.calls.size(), 2u); // the queued report, then the loss
    EXPECT_EQ(p.got.calls[0].second, report(1));
    EXPECT_EQ(p.got.calls[1].first, Status::NotAttached);
    EXPECT_TRUE(p.got.calls[1].second.empty());
}

TEST(HidrawDevice, HandlerMayCloseTheDevice)
{
    Pair p;
    int calls = 0;
    p.dev->setInputHandler([&](Status, std::span<const uint8_t>) {
        ++calls;
        p.dev.reset();
    });
    p.send(report(1));
    p.send(report(2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 2000));
    QTest::qWait(20);
    EXPECT_EQ(calls, 1);
}

TEST(HidrawDevice, WriteSendsTheWholeBuffer)
{
    Pair p;
    Bytes packet(65, 0);
    packet[1] = 0xAA;
    packet[64] = 0x7E;
    EXPECT_EQ(p.dev->write(packet), Status::Success);
    Bytes in(100);
    ASSERT_EQ(::recv(p.peer, in.data(), in.size(), 0), 65);
    in.resize(65);
    EXPECT_EQ(in, packet);

    EXPECT_EQ(p.dev->write({}), Status::Error);

    // A write the other side cannot take fails (EPIPE here) instead of
    // passing for sent.
    const auto old = std::signal(SIGPIPE, SIG_IGN);
    p.closePeer();
    EXPECT_EQ(p.dev->write(packet), Status::Error);
    std::signal(SIGPIPE, old);
}

TEST(HidrawDevice, GetInputReportOnANodeWithoutItFails)
{
    Pair p; // a socket has no get-report request, like a kernel before 5.11
    Bytes buf(65, 0);
    size_t got = 99;
    EXPECT_EQ(p.dev->getInputReport(buf, got), Status::Error);
    EXPECT_EQ(got, 0u);
    EXPECT_EQ(p.dev->getInputReport({}, got), Status::Error);
}

TEST(HidrawDevice, ErrnoMapping)
{
    const std::pair<int, Status> cases[] = {
        {ETIMEDOUT, Status::Timeout},   {ENODEV, Status::NotAttached},
        {EIO, Status::NotAttached},     {ESHUTDOWN, Status::NotAttached},
        {EPIPE, Status::Error},         {ENOTTY, Status::Error},
        {EINVAL, Status::Error},        {EPROTO, Status::Error},
    };
    for (const auto& [err, want] : cases)
        EXPECT_EQ(HidrawDevice::statusForErrno(err), want) << err;
}

class HidrawOpen : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("hidraw0").toStdString();
        std::ofstream(path) << "";
        info.location = 0x01100000;
        info.vendorId = 0x1234;
        info.productId = 0x00AB;
    }
    std::unique_ptr<HidrawDevice> open(bool seize, Status& st)
    {
        return HidrawDevice::open(path, info, false, seize, st);
    }

    QTemporaryDir dir;
    std::string path;
    DeviceInfo info;
};

TEST_F(HidrawOpen, SeizeIsExclusiveInThisProcess)
{
    struct C {
        bool first, second;
        Status want;
    };
    const C cases[] = {
        {true, true, Status::ExclusiveAccess},
        {true, false, Status::ExclusiveAccess},
        {false, true, Status::ExclusiveAccess},
        {false, false, Status::Success},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + "," + std::to_string(c.second));
        Status s1, s2;
        auto a = open(c.first, s1);
        ASSERT_EQ(s1, Status::Success);
        ASSERT_TRUE(a);
        EXPECT_EQ(a->info().location, info.location);
        auto b = open(c.second, s2);
        EXPECT_EQ(s2, c.want);
        EXPECT_EQ(bool(b), c.want == Status::Success);
    }
    // Everything above was closed: seizing works again.
    Status s;
    EXPECT_TRUE(open(true, s));
    EXPECT_EQ(s, Status::Success);
}

TEST_F(HidrawOpen, SeizeRespectsAnotherHoldersLock)
{
    const int other = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    Status s;
    EXPECT_FALSE(open(true, s));
    EXPECT_EQ(s, Status::ExclusiveAccess);
    EXPECT_FALSE(open(false, s));
    EXPECT_EQ(s, Status::ExclusiveAccess);
    ::close(other);
    EXPECT_TRUE(open(true, s));
}

TEST_F(HidrawOpen, MissingNodeIsNoDevice)
{
    Status s;
    EXPECT_FALSE(HidrawDevice::open(path + "-gone", info, false, true, s));
    EXPECT_EQ(s, Status::NoDevice);
}

TEST_F(HidrawOpen, NoPermissionIsReportedWithItsRemedy)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may open anything";
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    std::vector<std::string> lines;
    const auto old = Logger::setSink([&](const std::string& l) { lines.push_back(l); });
    Status s;
    EXPECT_FALSE(open(true, s));
    Logger::setSink(old);
    EXPECT_EQ(s, Status::NotPermitted);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(path), std::string::npos);
    EXPECT_NE(lines[0].find("udev rule"), std::string::npos);
    EXPECT_NE(lines[0].find("0x1234"), std::string::npos);
    EXPECT_NE(lines[0].find("0x00AB"), std::string::npos);
}

// The real udev path needs devices; on a machine without them it must
// simply find nothing.
TEST(HidrawBackend, RunsOnThisMachine)
{
    HidrawBackend backend;
    const auto all = backend.enumerate({});
    for (const auto& d : all) {
        EXPECT_NE(d.location, 0u);
        EXPECT_NE(d.location, 0xFFFFFFFFu);
        EXPECT_FALSE(d.id.empty());
    }
    const UsagePair vendor[] = {kVendorUsage};
    EXPECT_LE(backend.enumerate(vendor).size(), all.size());

    Status s = Status::Success;
    EXPECT_FALSE(backend.open(0x7D000000, kVendorUsage, true, s)); // bus 0x7D: none
    EXPECT_EQ(s, Status::NoDevice);

    int events = 0;
    auto monitor = backend.startMonitor(vendor,
                                        {[&](const DeviceInfo&) { ++events; },
                                         [&](const DeviceInfo&) { ++events; }},
                                        s);
    EXPECT_EQ(bool(monitor), s == Status::Success);
    QTest::qWait(10);
    monitor.reset();
    QTest::qWait(10);
}

TEST(HidrawBackend, MonitorMayOutliveItsBackend)
{
    auto backend = std::make_unique<HidrawBackend>();
    Status s;
    auto monitor = backend->startMonitor({}, {}, s);
    backend.reset();
    monitor.reset();
    QTest::qWait(10);
}

} // namespace
