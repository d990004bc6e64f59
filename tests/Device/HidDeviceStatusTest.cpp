// Transport statuses the virtual bus never produces (the system giving up on
// a transfer, a failing device), through a scripted HID backend.
#include "KolventraTestFixture.h" // PrintTo of AppError

#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

namespace {

using platform::hid::Status;

struct Script {
    Status writeStatus = Status::Success;
    // What the device hands back after each write, in order.
    std::vector<std::pair<Status, Bytes>> inputs;
    int writes = 0;
};

class ScriptedDevice : public platform::hid::Device {
public:
    explicit ScriptedDevice(Script& s) : script_(s) {}
    Status write(std::span<const uint8_t>) override
    {
        ++script_.writes;
        if (script_.writeStatus == Status::Success)
            for (const auto& in : script_.inputs)
                QTimer::singleShot(0, [this, in] {
                    if (handler_)
                        handler_(in.first, in.second);
                });
        return script_.writeStatus;
    }
    Status getInputReport(std::span<uint8_t>, size_t& got) override
    {
        got = 0;
        return Status::Error;
    }
    void setInputHandler(InputHandler h) override { handler_ = std::move(h); }
    void flushInput() override {}
    const platform::hid::DeviceInfo& info() const override { return info_; }

private:
    Script& script_;
    InputHandler handler_;
    platform::hid::DeviceInfo info_;
};

class ScriptedBackend : public platform::hid::Backend {
public:
    explicit ScriptedBackend(Script& s) : script_(s) {}
    std::vector<platform::hid::DeviceInfo> enumerate(std::span<const platform::hid::UsagePair>) override
    {
        return {};
    }
    std::unique_ptr<platform::hid::Device> open(uint32_t, platform::hid::UsagePair, bool, Status& status) override
    {
        status = Status::Success;
        return std::make_unique<ScriptedDevice>(script_);
    }
    std::unique_ptr<platform::hid::Monitor> startMonitor(std::span<const platform::hid::UsagePair>,
                                                         platform::hid::MonitorCallbacks, Status& status) override
    {
        status = Status::Error;
        return nullptr;
    }

private:
    Script& script_;
};

Bytes reply(uint8_t cmd, uint8_t flag, uint8_t len)
{
    Bytes r(64, 0);
    r[0] = r[1] = 0x55;
    r[2] = cmd;
    r[4] = flag;
    r[5] = len;
    return r;
}

class HidDeviceStatusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::hid::setBackend(std::make_shared<ScriptedBackend>(script));
        previous_ = Logger::setSink([this](const std::string& l) { lines.push_back(l.substr(l.find(" : ") + 3)); });
        ASSERT_EQ(device.hidOpen(1), AppError::NoError);
    }
    void TearDown() override
    {
        device.hidClose();
        Logger::setSink(previous_);
        platform::hid::setBackend(nullptr);
    }
    AppError transact(uint8_t cmd, const std::vector<int>& counts)
    {
        const Bytes p = KolventraDevice::makePacket(cmd);
        replies.clear();
        return device.KolventraIoControl("", &p, replies, counts);
    }

    Script script;
    KolventraDevice device;
    std::vector<Bytes> replies;
    std::vector<std::string> lines;

private:
    Logger::Sink previous_;
};

} // namespace

TEST_F(HidDeviceStatusTest, WriteStatusesMapToTheirCodesAndLines)
{
    const Bytes p = KolventraDevice::makePacket(0x04);
    auto noop = [](int32_t, const uint8_t*, size_t) {};

    script.writeStatus = Status::Timeout; // the system gave up on the output transfer
    EXPECT_EQ(device.hidWrite(&p, noop), AppError::DeviceReadTimeout);
    EXPECT_EQ(lines, (std::vector<std::string>{"ERROR : Device read timeout"}));

    lines.clear();
    script.writeStatus = Status::Error;
    EXPECT_EQ(device.hidWrite(&p, noop), AppError::DevceWrite);
    EXPECT_EQ(device.hidWrite(nullptr, noop), AppError::DevceWrite);
    EXPECT_EQ(lines, (std::vector<std::string>{"ERROR : Device write", "ERROR : Device write"}));
}

TEST_F(HidDeviceStatusTest, ReportTimeOutEndsTheTransactionWithoutRetry)
{
    script.inputs = {{Status::Timeout, {}}};
    EXPECT_EQ(transact(0x04, {0}), AppError::DeviceWriteTimeout);
    EXPECT_EQ(script.writes, 1);
    EXPECT_TRUE(lines.empty());
}

TEST_F(HidDeviceStatusTest, FailureAfterSomeRepliesGivesDevceReadAndKeepsThem)
{
    script.inputs = {{Status::Success, reply(0x22, 0x41, 58)}, {Status::Error, {}}, {Status::Success, reply(0x22, 0x82, 58)}};
    EXPECT_EQ(transact(0x22, {58, 58, 12}), AppError::DevceRead);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0][KolventraDevice::RDO_FLG], 0x41);
    EXPECT_EQ(script.writes, 1);
}

TEST_F(HidDeviceStatusTest, ShortAndExtraReportsNeverReadOutOfRange)
{
    // A 3-byte report, then a report with nothing at all.
    script.inputs = {{Status::Success, Bytes{0x55, 0x55, 0x04}}};
    EXPECT_EQ(transact(0x04, {0}), AppError::RecvBadLengthStore);
    EXPECT_TRUE(replies.empty()); // a cut reply's bytes are not handed on

    script.inputs = {{Status::Success, Bytes{}}};
    EXPECT_EQ(transact(0x04, {0}), AppError::RecvBadLengthStore);

    // A longer report than usual is handed back whole; one after the awaited
    // ones is not taken.
    Bytes big = reply(0x04, 0, 0);
    big.resize(100, 0x11);
    script.inputs = {{Status::Success, big}, {Status::Success, reply(0x04, 0, 0)}};
    EXPECT_EQ(transact(0x04, {0}), AppError::NoError);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].size(), 101u);
}
