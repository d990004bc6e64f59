// The HID transport against the virtual bus: open/close, the write and its
// reply wait, the pacing, the on-demand read.
#include "KolventraTestFixture.h"

#include <QTimer>

using namespace std::chrono_literals;
using linktest::entries;
using linktest::kLocation;
using linktest::kOtherLocation;
using Kind = emu::LogEntry::Kind;

namespace {

class HidDeviceTest : public linktest::LinkTest {
protected:
    // Writes a store-settings packet and counts the reports handed back.
    AppError writeStore(int* reports = nullptr, std::vector<int32_t>* results = nullptr)
    {
        const Bytes packet = KolventraDevice::makePacket(KolventraDevice::CMDC_SAVESETTING);
        device->isCompletion = false;
        return device->hidWrite(&packet, [&, reports, results](int32_t r, const uint8_t*, size_t) {
            if (reports)
                ++*reports;
            if (results)
                results->push_back(r);
            device->isCompletion = true;
        });
    }
};

} // namespace

TEST_F(HidDeviceTest, OpenAtAnEmptyLocationGivesBadDeviceAndWritesFailAtOnce)
{
    KolventraDevice other;
    EXPECT_EQ(other.hidOpen(kOtherLocation), AppError::BadDevice);
    EXPECT_FALSE(other.hidIsOpened());
    const Bytes packet = KolventraDevice::makePacket(KolventraDevice::CMDC_SAVESETTING);
    // No reply wait: a wait would end in a time-out and say so.
    EXPECT_EQ(other.hidWrite(&packet, [](int32_t, const uint8_t*, size_t) {}), AppError::DevceWrite);
    EXPECT_EQ(messages(), (std::vector<std::string>{"ERROR : Device write"}));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("HidDevice.cpp(:", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(") - hidWrite(_:responseCallBack:) : "), std::string::npos) << lines[0];
}

TEST_F(HidDeviceTest, OpenSeizesTheInterface)
{
    KolventraDevice second;
    EXPECT_EQ(second.hidOpen(kLocation), AppError::BadDevice);
    device->hidClose();
    EXPECT_FALSE(device->hidIsOpened());
    EXPECT_EQ(second.hidOpen(kLocation), AppError::NoError);
    EXPECT_EQ(bus->openHandleCount(kLocation), 1);
    // Opening again while open closes the first handle instead of leaking it.
    EXPECT_EQ(second.hidOpen(kLocation), AppError::NoError);
    EXPECT_EQ(bus->openHandleCount(kLocation), 1);
    second.hidClose();
    EXPECT_EQ(bus->openHandleCount(kLocation), 0);
}

TEST_F(HidDeviceTest, PacketGoesOutAsReportIdZeroAndSixtyFourBytes)
{
    Bytes packet = KolventraDevice::makePacket(KolventraDevice::CMDC_SAVESETTING);
    packet[64] = 0x5A; // the last byte travels too
    device->isCompletion = false;
    int reports = 0;
    EXPECT_EQ(device->hidWrite(&packet,
                               [&](int32_t r, const uint8_t* report, size_t length) {
                                   EXPECT_EQ(r, HidDevice::kReportSuccess);
                                   EXPECT_EQ(length, 64u);
                                   EXPECT_EQ(report[0], 0x55);
                                   ++reports;
                                   device->isCompletion = true;
                               }),
              AppError::NoError);
    EXPECT_EQ(reports, 1);
    const auto writes = entries(*keyboard, Kind::Output);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].bytes, packet);
}

TEST_F(HidDeviceTest, PacingWaitsFromTheArmingOnceThenNotAgain)
{
    device->hidWait();
    device->Wait.start -= 20ms; // armed 0.02 s ago
    const auto armed = device->Wait.start;
    std::vector<platform::Seconds> served;
    const auto previous = platform::setSleepObserver([&](platform::Seconds w) { served.push_back(w); });
    ASSERT_EQ(writeStore(), AppError::NoError);
    ASSERT_EQ(writeStore(), AppError::NoError);
    platform::setSleepObserver(previous);
    const auto writes = entries(*keyboard, Kind::Output);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_GE(writes[0].time - armed, 60ms);
    // One arming paces one packet, with the rest of its interval; the next
    // goes out without waiting.
    ASSERT_EQ(served.size(), 1u);
    EXPECT_LE(served[0], 40ms);
}

TEST_F(HidDeviceTest, NeverArmedOrLongPastArmingDoesNotDelay)
{
    std::vector<platform::Seconds> served;
    const auto previous = platform::setSleepObserver([&](platform::Seconds w) { served.push_back(w); });
    ASSERT_EQ(writeStore(), AppError::NoError);
    device->Wait.Set();
    device->Wait.start -= 100ms;
    ASSERT_EQ(writeStore(), AppError::NoError);
    platform::setSleepObserver(previous);
    EXPECT_TRUE(served.empty());
}

TEST_F(HidDeviceTest, HidWaitWithoutDeviceChangesNothing)
{
    device->hidClose();
    device->hidWait();
    EXPECT_EQ(device->Wait.waitCount, 0.0);
    EXPECT_EQ(device->Wait.start, platform::Clock::time_point{});
}

TEST_F(HidDeviceTest, HidCloseClearsCompletionAlsoWithoutDevice)
{
    device->hidClose();
    device->isCompletion = true;
    device->hidClose();
    EXPECT_FALSE(device->isCompletion);
    EXPECT_EQ(device->openedLocation(), 0u);
}

TEST_F(HidDeviceTest, ReplyInsideTheTimeOutIsAcceptedLaterOneTimesOutWithTwoLines)
{
    {
        // A reply 0.12 s late, well inside a time-out of 10 s.
        keyboard->inject({.kind = emu::FaultKind::Late, .times = 1, .delay = 120ms});
        EXPECT_EQ(writeStore(), AppError::NoError);
        EXPECT_TRUE(lines.empty());
    }
    platform::ScopedTimeScale fast(0.02); // 10 s -> 200 ms
    keyboard->inject({.kind = emu::FaultKind::Drop, .times = 1});
    const auto t0 = platform::now();
    EXPECT_EQ(writeStore(), AppError::DeviceReadTimeout);
    EXPECT_GT(platform::now() - t0, 200ms);
    EXPECT_EQ(messages(), (std::vector<std::string>{"keyboard not response!", "ERROR : Device read timeout"}));
}

TEST_F(HidDeviceTest, ReplyDeliveredInsideTheWriteCallCompletes)
{
    bus->setSynchronousDelivery(true);
    int reports = 0;
    EXPECT_EQ(writeStore(&reports), AppError::NoError);
    EXPECT_EQ(reports, 1);
}

TEST_F(HidDeviceTest, RemovalDuringTheWaitEndsItAtOnceWithAFailedReport)
{
    keyboard->inject({.kind = emu::FaultKind::Detach, .command = KolventraDevice::CMDC_SAVESETTING});
    std::vector<int32_t> results;
    // A time-out would have been reported as one, and logged.
    EXPECT_EQ(writeStore(nullptr, &results), AppError::NoError);
    EXPECT_EQ(results, (std::vector<int32_t>{HidDevice::kReportNotAttached}));
    EXPECT_TRUE(lines.empty());
    // The object stays open until closed; further writes fail.
    EXPECT_TRUE(device->hidIsOpened());
    EXPECT_EQ(writeStore(), AppError::DevceWrite);
}

TEST_F(HidDeviceTest, RemovalEndsTheWaitEvenWhenTheCallBackOnlyCompletesOnSuccess)
{
    // The call-back is told of the failure; the transport, not the call-back,
    // knows that nothing more can come and ends the wait.
    keyboard->inject({.kind = emu::FaultKind::Detach, .command = KolventraDevice::CMDC_SAVESETTING});
    const Bytes packet = KolventraDevice::makePacket(KolventraDevice::CMDC_SAVESETTING);
    std::vector<int32_t> results;
    device->isCompletion = false;
    // A time-out would have been logged.
    (void)device->hidWrite(&packet, [&](int32_t r, const uint8_t*, size_t) {
        results.push_back(r);
        if (r == HidDevice::kReportSuccess)
            device->isCompletion = true;
    });
    EXPECT_EQ(results, (std::vector<int32_t>{HidDevice::kReportNotAttached}));
    EXPECT_TRUE(lines.empty());
}

TEST_F(HidDeviceTest, CloseFromInsideTheWaitEndsItWithDevceRead)
{
    keyboard->inject({.kind = emu::FaultKind::Drop, .times = 1});
    QTimer::singleShot(10, [&] { device->hidClose(); });
    // Not the time-out (DeviceReadTimeout): the close ended the wait.
    EXPECT_EQ(writeStore(), AppError::DevceRead);
    EXPECT_FALSE(device->hidIsOpened());
}

TEST_F(HidDeviceTest, WriteFromInsideTheWaitIsRefusedWithoutIo)
{
    // The reply comes a second late: the timer below fires long before it.
    keyboard->inject({.kind = emu::FaultKind::Late, .times = 1, .delay = 1000ms});
    AppError inner = AppError::NoError;
    int writesSeen = -1;
    QTimer::singleShot(5, [&] {
        EXPECT_TRUE(device->isAwaitingReply());
        inner = writeStore();
        writesSeen = keyboard->writeCount();
    });
    EXPECT_EQ(writeStore(), AppError::NoError);
    EXPECT_EQ(inner, AppError::DeviceIsInvalid);
    EXPECT_EQ(writesSeen, 1);
    EXPECT_FALSE(device->isAwaitingReply());
}

TEST_F(HidDeviceTest, InputQueuedBeforeTheWriteAndAfterTheWaitIsDropped)
{
    std::vector<uint8_t> stray(64, 0);
    stray[0] = 0x55; stray[1] = 0x55; stray[2] = 0x99;
    // Queued before the write without the loop running: flushed by the write.
    bus->sendInput(kLocation, linktest::vendorInterface(*keyboard), stray);
    bus->processDue();
    int reports = 0;
    std::vector<uint8_t> seen;
    const Bytes packet = KolventraDevice::makePacket(KolventraDevice::CMDC_SAVESETTING);
    device->isCompletion = false;
    ASSERT_EQ(device->hidWrite(&packet,
                               [&](int32_t, const uint8_t* report, size_t) {
                                   ++reports;
                                   seen.push_back(report[2]);
                                   device->isCompletion = true;
                               }),
              AppError::NoError);
    EXPECT_EQ(seen, (std::vector<uint8_t>{KolventraDevice::CMDC_SAVESETTING}));
    // Arriving while no write waits: nobody is called.
    bus->sendInput(kLocation, linktest::vendorInterface(*keyboard), stray);
    emu::pumpEvents(20ms);
    EXPECT_EQ(reports, 1);
}

TEST_F(HidDeviceTest, OnDemandReadSucceedsAsDevceReadAndFailsAsDevceWrite)
{
    Bytes buffer(65, 0);
    const Bytes before = buffer;
    EXPECT_EQ(device->hidRead(buffer), AppError::DevceRead);
    EXPECT_EQ(buffer, before);
    EXPECT_EQ(keyboard->getReportCount(), 1);
    keyboard->setGetReportStatus(platform::hid::Status::Error);
    EXPECT_EQ(device->hidRead(buffer), AppError::DevceWrite);
    device->hidClose();
    EXPECT_EQ(device->hidRead(buffer), AppError::DevceWrite);
    EXPECT_TRUE(lines.empty());
}
