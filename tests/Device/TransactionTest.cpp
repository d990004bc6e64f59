// The transaction primitive: argument check, reply collection and checks,
// retries, and its behaviour inside the event loop.
#include "KolventraTestFixture.h"

#include "Platform/RunLoop.h"

#include <QTimer>

using namespace std::chrono_literals;
using linktest::entries;
using linktest::kLocation;
using linktest::kOtherLocation;
using Kind = emu::LogEntry::Kind;
using emu::FaultKind;

namespace {

constexpr uint8_t kStore = KolventraDevice::CMDC_SAVESETTING;
constexpr uint8_t kApcAllRead = 0x23;   // one reply, LEN 1
constexpr uint8_t kApcKeysRead = 0x22;  // three replies, LEN 58/58/12

class TransactionTest : public linktest::LinkTest {
protected:
    AppError store() { return transact(KolventraDevice::makePacket(kStore), {0}); }
    AppError readKeys() { return transact(KolventraDevice::makePacket(kApcKeysRead), {58, 58, 12}); }
};

} // namespace

TEST_F(TransactionTest, UnusableArgumentsGiveBadParamWithoutIo)
{
    const Bytes good = KolventraDevice::makePacket(kStore);
    const Bytes shortPacket(64, 0), longPacket(66, 0);
    struct Case {
        const char* name;
        const Bytes* packet;
        std::vector<int> counts;
    };
    const std::vector<Case> cases{
        {"64 bytes", &shortPacket, {0}},
        {"66 bytes", &longPacket, {0}},
        {"absent", nullptr, {0}},
        {"no reply expected", &good, {}},
        {"negative length", &good, {-1}},
        {"length beyond a byte", &good, {256}},
        {"more replies than the flag byte counts", &good, std::vector<int>(256, 0)},
    };
    for (const auto& c : cases) {
        device->isCompletion = false;
        std::vector<Bytes> out{Bytes{1, 2, 3}};
        EXPECT_EQ(device->KolventraIoControl("", c.packet, out, c.counts), AppError::BadParam) << c.name;
        EXPECT_TRUE(device->isCompletion) << c.name;
        EXPECT_FALSE(device->isRunConnecting) << c.name;
    }
    EXPECT_EQ(keyboard->writeCount(), 0);
}

TEST_F(TransactionTest, SingleReplyIsHandedBackWithHostByteInFront)
{
    ASSERT_EQ(store(), AppError::NoError);
    ASSERT_EQ(replies.size(), 1u);
    ASSERT_EQ(replies[0].size(), 65u);
    EXPECT_EQ(Bytes(replies[0].begin(), replies[0].begin() + 7), (Bytes{0x00, 0x55, 0x55, kStore, 0, 0, 0}));
    EXPECT_EQ(keyboard->storeCount(), 1);
    EXPECT_FALSE(device->isRunConnecting);
}

TEST_F(TransactionTest, ThreeRepliesFlaggedAsASequence)
{
    ASSERT_EQ(readKeys(), AppError::NoError);
    ASSERT_EQ(replies.size(), 3u);
    const uint8_t flags[] = {0x41, 0x82, 0xC3};
    const uint8_t lengths[] = {58, 58, 12};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(replies[i][KolventraDevice::RDO_FLG], flags[i]);
        EXPECT_EQ(replies[i][KolventraDevice::RDO_LEN], lengths[i]);
    }
}

TEST_F(TransactionTest, ReplyChecksInTheirOrderAndTheRepliesStayReadable)
{
    struct Case {
        const char* name;
        std::vector<emu::Fault> faults;
        AppError expected;
    };
    const std::vector<Case> cases{
        {"signature", {{.kind = FaultKind::WrongSignature}}, AppError::RecvBadParamStore},
        {"second signature byte", {{.kind = FaultKind::SetByte, .value = 0x54, .offset = 2}}, AppError::RecvBadParamStore},
        {"echo", {{.kind = FaultKind::WrongEcho}}, AppError::RecvBadParamStore},
        {"status", {{.kind = FaultKind::SetByte, .value = 0x01, .offset = 4}}, AppError::RecvErrorStore},
        {"flag", {{.kind = FaultKind::WrongFlag}}, AppError::RecvErrorStore},
        {"length", {{.kind = FaultKind::WrongLength, .value = 2}}, AppError::RecvBadLengthStore},
        {"signature before status",
         {{.kind = FaultKind::SetByte, .value = 0x01, .offset = 4}, {.kind = FaultKind::WrongSignature}},
         AppError::RecvBadParamStore},
        {"echo before status",
         {{.kind = FaultKind::SetByte, .value = 0x01, .offset = 4}, {.kind = FaultKind::WrongEcho}},
         AppError::RecvBadParamStore},
        {"status before length",
         {{.kind = FaultKind::WrongLength}, {.kind = FaultKind::SetByte, .value = 0x07, .offset = 4}},
         AppError::RecvErrorStore},
        {"flag before length", {{.kind = FaultKind::WrongLength}, {.kind = FaultKind::WrongFlag}}, AppError::RecvErrorStore},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto f : c.faults) {
            f.command = kStore;
            keyboard->inject(f);
        }
        EXPECT_EQ(store(), c.expected);
        EXPECT_EQ(replies.size(), 1u);
        if (!replies.empty()) {
            EXPECT_EQ(replies[0].size(), 65u);
        }
        EXPECT_EQ(keyboard->activeFaults(), 0u);
    }
    // One write per case: check failures are not retried.
    EXPECT_EQ(keyboard->writeCount(), int(cases.size()));
    EXPECT_TRUE(lines.empty());
}

TEST_F(TransactionTest, FlagOfEachReplyIsCheckedByItsPosition)
{
    keyboard->inject({.kind = FaultKind::WrongFlag, .command = kApcKeysRead, .value = 0x81, .replyIndex = 1});
    EXPECT_EQ(readKeys(), AppError::RecvErrorStore);
    EXPECT_EQ(replies.size(), 3u);

    // A single reply must carry 0x00, never a sequence flag.
    keyboard->inject({.kind = FaultKind::WrongFlag, .command = kApcAllRead, .value = 0x41});
    EXPECT_EQ(transact(KolventraDevice::makePacket(kApcAllRead), {1}), AppError::RecvErrorStore);
    EXPECT_EQ(transact(KolventraDevice::makePacket(kApcAllRead), {1}), AppError::NoError);
}

TEST_F(TransactionTest, StartEndNoticeAcceptsAnyLengthButNotATruncatedReply)
{
    Bytes notice = KolventraDevice::makePacket(KolventraDevice::CMDC_STARTEND, 0, 1);
    notice[KolventraDevice::SDO_DAT_1] = 1;
    keyboard->inject({.kind = FaultKind::WrongLength, .value = 4});
    EXPECT_EQ(transact(notice, {0}), AppError::NoError);

    keyboard->inject({.kind = FaultKind::WrongLength, .value = 4});
    EXPECT_EQ(store(), AppError::RecvBadLengthStore);

    // A reply too short to hold its header is a length error, read no further.
    keyboard->inject({.kind = FaultKind::Short, .value = 3});
    EXPECT_EQ(transact(notice, {0}), AppError::RecvBadLengthStore);
    keyboard->inject({.kind = FaultKind::Short, .value = 5});
    EXPECT_EQ(store(), AppError::RecvBadLengthStore);
    EXPECT_TRUE(replies.empty()); // nothing of a cut reply is handed on
}

TEST_F(TransactionTest, ReadTimeOutIsRetriedAfterTheWaitAndOneDrainingRead)
{
    platform::ScopedTimeScale fast(0.01); // 10 s -> 100 ms, 1 s -> 10 ms
    keyboard->inject({.kind = FaultKind::Drop, .command = kStore, .times = 1});
    EXPECT_EQ(store(), AppError::NoError);
    const auto writes = entries(*keyboard, Kind::Output);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].bytes, writes[1].bytes);
    // The reply wait (> 100 ms) and the retry wait (10 ms) lie between them.
    EXPECT_GE(writes[1].time - writes[0].time, 110ms);
    EXPECT_EQ(keyboard->getReportCount(), 1);
    EXPECT_EQ(messages(), (std::vector<std::string>{"keyboard not response!", "ERROR : Device read timeout",
                                                    "Device Read error - retry!"}));
    EXPECT_NE(lines[2].find("KolventraIoControl(_:sendBuffer:recvBuffer:recvCount:)"), std::string::npos);
}

TEST_F(TransactionTest, DeviceThatNeverAnswersCostsThreeAttempts)
{
    platform::ScopedTimeScale fast(0.005);
    keyboard->inject({.kind = FaultKind::Drop, .command = kStore, .times = -1});
    const auto t0 = platform::now();
    EXPECT_EQ(store(), AppError::DeviceReadTimeout);
    // 3 x (10 s + 1 s) on the time scale.
    EXPECT_GE(platform::now() - t0, 3 * 55ms);
    EXPECT_EQ(keyboard->writeCount(), 3);
    EXPECT_EQ(keyboard->getReportCount(), 3);
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(),
                        {"keyboard not response!", "ERROR : Device read timeout", "Device Read error - retry!"});
    EXPECT_EQ(messages(), expected);
}

TEST_F(TransactionTest, LateRepliesOfATimedOutAttemptAreNotTakenForTheNextOnes)
{
    platform::ScopedTimeScale fast(0.2); // reply wait 2 s, retry wait 200 ms
    // The first answer comes 2.1 s late (during the retry wait, 0.1 s from
    // either end of it) and is marked.
    keyboard->inject({.kind = FaultKind::Late, .command = kApcKeysRead, .delay = 2100ms});
    keyboard->inject({.kind = FaultKind::SetByte, .command = kApcKeysRead, .value = 0xEE, .offset = 20});
    EXPECT_EQ(readKeys(), AppError::NoError);
    EXPECT_EQ(keyboard->writeCount(), 2);
    ASSERT_EQ(replies.size(), 3u);
    for (const auto& r : replies)
        EXPECT_NE(r[20], 0xEE);
}

TEST_F(TransactionTest, RemovalDuringTheWaitEndsTheTransactionAtOnce)
{
    keyboard->inject({.kind = FaultKind::Detach, .command = kStore});
    EXPECT_EQ(store(), AppError::DevceRead);
    EXPECT_EQ(keyboard->writeCount(), 1);
    EXPECT_TRUE(lines.empty()); // no time-out, no retry
    // Later transactions fail at the write.
    EXPECT_EQ(store(), AppError::DevceWrite);
}

TEST_F(TransactionTest, FewerRepliesThanAwaitedGiveDevceReadWithTheRepliesReceived)
{
    // The last reply is lost; the device goes away after the first two.
    keyboard->inject({.kind = FaultKind::Drop, .command = kApcKeysRead, .replyIndex = 2});
    QTimer::singleShot(30, [&] { bus->detach(kLocation); });
    EXPECT_EQ(readKeys(), AppError::DevceRead);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1][KolventraDevice::RDO_FLG], 0x82);
}

TEST_F(TransactionTest, TransactionFromInsideTheWaitIsRefusedAndTheOuterOneUnharmed)
{
    keyboard->inject({.kind = FaultKind::Late, .command = kApcKeysRead, .delay = 60ms});
    AppError inner = AppError::NoError;
    bool runningInside = false;
    int writesInside = -1;
    QTimer::singleShot(10, [&] {
        runningInside = device->isRunConnecting;
        const Bytes p = KolventraDevice::makePacket(kStore);
        std::vector<Bytes> r;
        inner = device->KolventraIoControl("", &p, r, {0});
        writesInside = keyboard->writeCount();
    });
    EXPECT_EQ(readKeys(), AppError::NoError);
    EXPECT_EQ(inner, AppError::DeviceIsInvalid);
    EXPECT_TRUE(runningInside);
    EXPECT_EQ(writesInside, 1);
    EXPECT_EQ(replies.size(), 3u);
    EXPECT_FALSE(device->isRunConnecting);
    // The refused one was not half-run: the next transaction works.
    EXPECT_EQ(store(), AppError::NoError);
}

TEST_F(TransactionTest, OtherDevicesMayTransactInsideTheWaitAndIdleWorkWaitsForTheOutermost)
{
    auto second = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[1]);
    ASSERT_TRUE(bus->attach(second, kOtherLocation));
    KolventraDevice other;
    ASSERT_EQ(other.hidOpen(kOtherLocation), AppError::NoError);

    keyboard->inject({.kind = FaultKind::Late, .command = kStore, .delay = 60ms});
    AppError inner = AppError::Error;
    bool idleRan = false;
    int activeInside = 0;
    QTimer::singleShot(10, [&] {
        platform::runWhenIdle([&] { idleRan = true; }); // e.g. a hot-plug call-back
        const Bytes p = KolventraDevice::makePacket(kStore);
        std::vector<Bytes> r;
        inner = other.KolventraIoControl("", &p, r, {0});
        activeInside = platform::activeTransactions();
    });
    EXPECT_EQ(store(), AppError::NoError);
    EXPECT_EQ(inner, AppError::NoError);
    EXPECT_EQ(activeInside, 1);
    EXPECT_EQ(second->storeCount(), 1);
    EXPECT_FALSE(idleRan);
    EXPECT_EQ(platform::activeTransactions(), 0);
    emu::pumpEvents();
    EXPECT_TRUE(idleRan);
    other.hidClose();
}

TEST_F(TransactionTest, ReplyShorterThanItsClaimedLengthIsALengthErrorWithNoBytesHandedBack)
{
    // LEN 58 claimed, 20 report bytes sent: 38 data bytes would read as zeros.
    keyboard->inject({.kind = FaultKind::Short, .command = kApcKeysRead, .value = 20, .replyIndex = 0});
    EXPECT_EQ(readKeys(), AppError::RecvBadLengthStore);
    EXPECT_TRUE(replies.empty());
    EXPECT_EQ(keyboard->writeCount(), 1);

    // A reply that holds exactly what it claims is fine, however short the report.
    keyboard->inject({.kind = FaultKind::Short, .command = kApcAllRead, .value = 7});
    EXPECT_EQ(transact(KolventraDevice::makePacket(kApcAllRead), {1}), AppError::NoError);
    keyboard->inject({.kind = FaultKind::Short, .command = kApcAllRead, .value = 6});
    EXPECT_EQ(transact(KolventraDevice::makePacket(kApcAllRead), {1}), AppError::RecvBadLengthStore);
}

TEST_F(TransactionTest, RefusalOfAMultiReplyCommandEndsTheAttemptAtOnce)
{
    platform::ScopedTimeScale slow(1.0); // a wait for the missing replies would time out
    keyboard->inject({.kind = FaultKind::Status, .command = kApcKeysRead});
    EXPECT_EQ(readKeys(), AppError::RecvErrorStore);
    EXPECT_EQ(keyboard->writeCount(), 1);
    EXPECT_TRUE(lines.empty()); // no time-out, no retry
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_NE(replies[0][KolventraDevice::RDO_STS], 0);
    // Nothing of the refused command is left to confuse the next one.
    EXPECT_EQ(readKeys(), AppError::NoError);
    EXPECT_EQ(replies.size(), 3u);
}
