// The keyboard command set against the emulated keyboard: the exact packets of
// every command and the keyboard's state afterwards, the 59/59/10 write split
// and the 58/58/12 read split at their boundary keys, argument and no-device
// results, decoding of odd device bytes, and failures of multi-packet commands.
#include "Device/KolventraKeyboard.h"

#include "KolventraTestFixture.h"
#include "Platform/Clock.h"
#include "support/EmulatedKeyboard.h"
#include "support/VirtualHidBus.h"
#include "Utility/AppUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

using linktest::commandPacket;
using linktest::kLocation;
using linktest::writtenPackets;
using Kind = emu::LogEntry::Kind;
using emu::FaultKind;

std::vector<Bytes> replyReports(const emu::EmulatedDevice& d)
{
    std::vector<Bytes> out;
    for (const auto& e : d.log())
        if (e.kind == Kind::Reply)
            out.push_back(e.bytes);
    return out;
}

// A level for every key that is different enough from its neighbours that a
// misplaced entry shows: byte (i*7 + i/5) mod 4 -> High, Middle, Low, None.
std::vector<ApcLevel> patternLevels()
{
    const ApcLevel cycle[] = {ApcLevel::High, ApcLevel::Middle, ApcLevel::Low, ApcLevel::None};
    std::vector<ApcLevel> v;
    for (int i = 0; i < 128; ++i)
        v.push_back(cycle[(i * 7 + i / 5) % 4]);
    return v;
}

std::vector<KeytopLock> patternLocks()
{
    std::vector<KeytopLock> v;
    for (int i = 0; i < 128; ++i)
        v.push_back((i % 3 == 0 || i == 127) ? KeytopLock::Lock : KeytopLock::Unlock);
    return v;
}

// The three packets of a per-key write of `bytes`, built from one buffer the
// way the command does: packet 3 keeps packet 2's bytes after its 10 entries.
std::vector<Bytes> perKeyPackets(uint8_t cmd, const std::array<uint8_t, 128>& bytes, bool shown)
{
    const uint8_t led = shown ? 0x00 : 0x20;
    Bytes p1 = commandPacket(cmd, 0x41 | led, 59, Bytes(bytes.begin(), bytes.begin() + 59));
    Bytes p2 = commandPacket(cmd, 0x82 | led, 59, Bytes(bytes.begin() + 59, bytes.begin() + 118));
    Bytes p3 = p2;
    p3[4] = 0xC3 | led;
    p3[5] = 10;
    std::copy(bytes.begin() + 118, bytes.end(), p3.begin() + 6);
    return {p1, p2, p3};
}

std::array<uint8_t, 128> apcBytes(const std::vector<ApcLevel>& levels)
{
    std::array<uint8_t, 128> b{};
    for (size_t i = 0; i < 128; ++i)
        b[i] = KolventraKeyboard::apcByte(levels[i]);
    return b;
}

std::array<uint8_t, 128> lockBytes(const std::vector<KeytopLock>& locks)
{
    std::array<uint8_t, 128> b{};
    for (size_t i = 0; i < 128; ++i)
        b[i] = locks[i] == KeytopLock::Lock ? 1 : 0;
    return b;
}

// An emulated keyboard that refuses packet `failPacket` (1-based) of the
// per-key writes of command `failCommand`.
class RefusingKeyboard : public emu::EmulatedKeyboard {
public:
    uint8_t failCommand = 0;
    int failPacket = 0;

protected:
    bool handleCommand(const Request& req, std::vector<Reply>& replies) override
    {
        if (req.command == failCommand && (req.flag & 0x1F) == failPacket) {
            replies.push_back(refused());
            return true;
        }
        return EmulatedKeyboard::handleCommand(req, replies);
    }
};

class KeyboardCommandsTest : public linktest::OpenedCommandSetTest<RefusingKeyboard, KolventraKeyboard> {
protected:
    KolventraKeyboard& kbd = commands;
};

} // namespace

// Every command once: the packets it writes, its result and output, and the
// keyboard's settings afterwards.
TEST_F(KeyboardCommandsTest, EveryCommandSendsItsPacketsAndChangesOrReportsTheState)
{
    auto& live = emulated->live();
    live.brightness = 1;
    live.apcAll = 2;
    live.lockEnable = 1;
    live.codeChange = 1;
    for (int i = 0; i < 128; ++i) {
        live.apc[i] = uint8_t(i % 3);
        live.lock[i] = uint8_t(i % 2);
    }
    live.indicator = {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00};

    const auto levels = patternLevels();
    const auto locks = patternLocks();
    const AppColor red = AppColor::rgba(1.0, 0.0, 0.0, 1.0);
    const AppColor mixed = AppColor::rgba(0.5, 1.0, 0.0, 1.0);

    int bright = -1;
    std::vector<AppColor> colours;
    std::vector<ApcLevel> readLevels;
    ApcLevel allLevel = ApcLevel::None;
    KeyLockFunction lockSwitch = KeyLockFunction::Disable;
    std::vector<KeytopLock> readLocks;
    KeyCodeChange codeChange = KeyCodeChange::Disable;

    struct Case {
        std::string name;
        std::function<AppError()> run;
        std::vector<Bytes> packets;
        std::function<void()> check;
    };
    const std::vector<Case> cases{
        {"GetBright", [&] { return kbd.CMD_GetBright(bright); }, {commandPacket(0x43, 0, 0)},
         [&] { EXPECT_EQ(bright, 1); }},
        {"SetBright", [&] { return kbd.CMD_SetBright(2); }, {commandPacket(0x42, 0, 1, {0x02})},
         [&] { EXPECT_EQ(live.brightness, 2); }},
        {"StopEffect",
         [&] {
             // Start an effect first, so that stopping it shows.
             const Bytes start = commandPacket(KolventraKeyboard::CMDC_RAINBOWWAVE, 0, 0);
             std::vector<Bytes> replies;
             EXPECT_EQ(kbd.KolventraIoControl("", &start, replies, {0}), AppError::NoError);
             EXPECT_EQ(emulated->effect(), 0x61);
             emulated->clearLog();
             return kbd.CMD_StopEffect();
         },
         {commandPacket(0x60, 0, 0)},
         [&] { EXPECT_EQ(emulated->effect(), 0); }},
        {"GetIndicatorLed", [&] { return kbd.CMD_GetIndicatorLed(0, colours); }, {commandPacket(0x45, 0, 1, {0x01})},
         [&] {
             ASSERT_EQ(colours.size(), 4u);
             EXPECT_EQ(colours[0], AppColor::rgba(1, 0, 1, 0));
             EXPECT_EQ(colours[1], AppColor::rgba(0, 1, 0, 0));
             EXPECT_EQ(colours[2], AppColor::rgba(1, 1, 1, 0));
             EXPECT_EQ(colours[3], AppColor::rgba(0, 0, 0, 0));
         }},
        {"SetIndicatorLed shown", [&] { return kbd.CMD_SetIndicatorLed(0, {red, red, red, red}, true); },
         {commandPacket(0x44, 0x00, 13, {0x01, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0})},
         [&] {
             EXPECT_EQ(live.indicator, (std::array<uint8_t, 12>{0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0}));
             EXPECT_TRUE(emulated->lastLedShown());
         }},
        {"SetIndicatorLed not shown",
         [&] { return kbd.CMD_SetIndicatorLed(0, {mixed, red, mixed, red}, false); },
         {commandPacket(0x44, 0x20, 13, {0x01, 0x7F, 0xFF, 0, 0xFF, 0, 0, 0x7F, 0xFF, 0, 0xFF, 0, 0})},
         [&] {
             EXPECT_EQ(live.indicator[0], 0x7F);
             EXPECT_FALSE(emulated->lastLedShown());
         }},
        {"GetOnPos_AllKey", [&] { return kbd.CMD_GetOnPos_AllKey(allLevel); }, {commandPacket(0x23, 0, 0)},
         [&] { EXPECT_EQ(allLevel, ApcLevel::Low); }},
        {"GetOnPos", [&] { return kbd.CMD_GetOnPos(readLevels); }, {commandPacket(0x22, 0, 0)},
         [&] {
             ASSERT_EQ(readLevels.size(), 128u);
             const ApcLevel byByte[] = {ApcLevel::High, ApcLevel::Middle, ApcLevel::Low};
             for (int i = 0; i < 128; ++i)
                 EXPECT_EQ(readLevels[i], byByte[i % 3]) << "key " << i;
         }},
        {"SetOnPos_AllKey", [&] { return kbd.CMD_SetOnPos_AllKey(ApcLevel::High); }, {commandPacket(0x20, 0, 1, {0x00})},
         [&] {
             EXPECT_EQ(live.apcAll, 0);
             EXPECT_EQ(live.apc[127], 0);
         }},
        {"SetOnPos_Indi shown", [&] { return kbd.CMD_SetOnPos_Indi(levels, true); },
         perKeyPackets(0x21, apcBytes(levels), true),
         [&] {
             EXPECT_EQ(live.apc, apcBytes(levels));
             EXPECT_TRUE(emulated->lastLedShown());
         }},
        {"SetOnPos_Indi not shown", [&] { return kbd.CMD_SetOnPos_Indi(std::vector<ApcLevel>(128, ApcLevel::Low), false); },
         perKeyPackets(0x21, apcBytes(std::vector<ApcLevel>(128, ApcLevel::Low)), false),
         [&] {
             EXPECT_EQ(live.apc, apcBytes(std::vector<ApcLevel>(128, ApcLevel::Low)));
             EXPECT_FALSE(emulated->lastLedShown());
         }},
        {"GetKeyLockEnable", [&] { return kbd.CMD_GetKeyLockEnable(lockSwitch); }, {commandPacket(0x83, 0, 0)},
         [&] { EXPECT_EQ(lockSwitch, KeyLockFunction::Enable); }},
        {"SetKeyLockEnable", [&] { return kbd.CMD_SetKeyLockEnable(KeyLockFunction::Disable); },
         {commandPacket(0x82, 0, 1, {0x00})}, [&] { EXPECT_EQ(live.lockEnable, 0); }},
        {"GetKeyLock", [&] { return kbd.CMD_GetKeyLock(readLocks); }, {commandPacket(0x81, 0, 0)},
         [&] {
             ASSERT_EQ(readLocks.size(), 128u);
             for (int i = 0; i < 128; ++i)
                 EXPECT_EQ(readLocks[i], i % 2 ? KeytopLock::Lock : KeytopLock::Unlock) << "key " << i;
         }},
        {"SetKeyLock shown", [&] { return kbd.CMD_SetKeyLock(locks, true); }, perKeyPackets(0x80, lockBytes(locks), true),
         [&] { EXPECT_EQ(live.lock, lockBytes(locks)); }},
        {"SetKeyLock not shown", [&] { return kbd.CMD_SetKeyLock(std::vector<KeytopLock>(128, KeytopLock::Lock), false); },
         perKeyPackets(0x80, lockBytes(std::vector<KeytopLock>(128, KeytopLock::Lock)), false),
         [&] {
             EXPECT_EQ(live.lock, lockBytes(std::vector<KeytopLock>(128, KeytopLock::Lock)));
             EXPECT_FALSE(emulated->lastLedShown());
         }},
        {"GetKeyCodeChange", [&] { return kbd.CMD_GetKeyCodeChange(codeChange); }, {commandPacket(0x85, 0, 0)},
         [&] { EXPECT_EQ(codeChange, KeyCodeChange::Enable); }},
        {"SetKeyCodeChange", [&] { return kbd.CMD_SetKeyCodeChange(KeyCodeChange::Disable); },
         {commandPacket(0x84, 0, 1, {0x00})}, [&] { EXPECT_EQ(live.codeChange, 0); }},
        {"SetKeyLockEnable on", [&] { return kbd.CMD_SetKeyLockEnable(KeyLockFunction::Enable); },
         {commandPacket(0x82, 0, 1, {0x01})}, [&] { EXPECT_EQ(live.lockEnable, 1); }},
        {"SetKeyCodeChange on", [&] { return kbd.CMD_SetKeyCodeChange(KeyCodeChange::Enable); },
         {commandPacket(0x84, 0, 1, {0x01})}, [&] { EXPECT_EQ(live.codeChange, 1); }},
        {"SetOnPos_AllKey Low", [&] { return kbd.CMD_SetOnPos_AllKey(ApcLevel::Low); }, {commandPacket(0x20, 0, 1, {0x02})},
         [&] { EXPECT_EQ(live.apcAll, 2); }},
        {"SetOnPos_AllKey Middle", [&] { return kbd.CMD_SetOnPos_AllKey(ApcLevel::Middle); },
         {commandPacket(0x20, 0, 1, {0x01})}, [&] { EXPECT_EQ(live.apcAll, 1); }},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emulated->clearLog();
        ASSERT_EQ(c.run(), AppError::NoError);
        const auto written = writtenPackets(*emulated);
        ASSERT_EQ(written.size(), c.packets.size());
        for (size_t i = 0; i < written.size(); ++i)
            EXPECT_EQ(written[i], c.packets[i]) << "packet " << i + 1;
        c.check();
    }
}

// A per-key write: entry 59(k-1)+j travels in packet k at byte 6+j.
TEST_F(KeyboardCommandsTest, PerKeyWriteSplitsFiftyNineFiftyNineTen)
{
    struct Case {
        int key;
        size_t packetIndex;
        size_t byte;
    };
    const Case cases[] = {{0, 0, 6}, {58, 0, 64}, {59, 1, 6}, {117, 1, 64}, {118, 2, 6}, {127, 2, 15}};
    for (const auto& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key));
        emulated->clearLog();
        emulated->live().apc.fill(0);
        std::vector<ApcLevel> levels(128, ApcLevel::High);
        levels[c.key] = ApcLevel::Low;
        ASSERT_EQ(kbd.CMD_SetOnPos_Indi(levels, true), AppError::NoError);
        const auto written = writtenPackets(*emulated);
        ASSERT_EQ(written.size(), 3u);
        EXPECT_EQ(written[c.packetIndex][c.byte], 0x02);
        EXPECT_EQ((std::vector<int>{written[0][5], written[1][5], written[2][5]}), (std::vector<int>{59, 59, 10}));
        for (int k = 0; k < 128; ++k)
            EXPECT_EQ(emulated->live().apc[k], k == c.key ? 2 : 0) << "emulated key " << k;
    }
}

// A per-key read: key i comes from reply i/58 at byte 7 + i mod 58.
TEST_F(KeyboardCommandsTest, PerKeyReadSplitsFiftyEightFiftyEightTwelve)
{
    struct Case {
        int key;
        size_t reply;
        size_t byte; // host numbering: byte 0 is the 0x00 in front of the report
    };
    const Case cases[] = {{0, 0, 7}, {57, 0, 64}, {58, 1, 7}, {115, 1, 64}, {116, 2, 7}, {127, 2, 18}};
    for (const auto& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key));
        emulated->clearLog();
        emulated->live().apc.fill(0x00);
        emulated->live().apc[c.key] = 0x01;
        emulated->live().lock.fill(0x00);
        emulated->live().lock[c.key] = 0x01;

        std::vector<ApcLevel> levels;
        ASSERT_EQ(kbd.CMD_GetOnPos(levels), AppError::NoError);
        ASSERT_EQ(levels.size(), 128u);
        for (int k = 0; k < 128; ++k)
            EXPECT_EQ(levels[k], k == c.key ? ApcLevel::Middle : ApcLevel::High) << "key " << k;

        std::vector<KeytopLock> locks;
        ASSERT_EQ(kbd.CMD_GetKeyLock(locks), AppError::NoError);
        ASSERT_EQ(locks.size(), 128u);
        for (int k = 0; k < 128; ++k)
            EXPECT_EQ(locks[k], k == c.key ? KeytopLock::Lock : KeytopLock::Unlock) << "key " << k;

        // The keyboard really sent the entry there (report bytes lack the host's 0x00).
        const auto reports = replyReports(*emulated);
        ASSERT_EQ(reports.size(), 6u);
        EXPECT_EQ(reports[c.reply][c.byte - 1], 0x01);
        EXPECT_EQ(reports[3 + c.reply][c.byte - 1], 0x01);
    }
}

TEST_F(KeyboardCommandsTest, OddDeviceBytesDecodeSoundly)
{
    auto& live = emulated->live();
    live.apc.fill(0x00);
    live.apc[3] = 0x05;
    live.apc[4] = 0x7F;
    live.apc[5] = 0x80; // no level of its own: read as Low like 0x03..0x7F
    live.apc[6] = 0xFF;
    live.lock.fill(0x02);
    live.lock[9] = 0x01;
    live.apcAll = 0x05;
    live.lockEnable = 0x02;
    live.codeChange = 0xFF;

    std::vector<ApcLevel> levels;
    ASSERT_EQ(kbd.CMD_GetOnPos(levels), AppError::NoError);
    ASSERT_EQ(levels.size(), 128u);
    for (int k : {3, 4, 5, 6})
        EXPECT_EQ(levels[k], ApcLevel::Low) << "key " << k;
    EXPECT_EQ(levels[7], ApcLevel::High);

    ApcLevel all = ApcLevel::High;
    ASSERT_EQ(kbd.CMD_GetOnPos_AllKey(all), AppError::NoError);
    EXPECT_EQ(all, ApcLevel::None);

    std::vector<KeytopLock> locks;
    ASSERT_EQ(kbd.CMD_GetKeyLock(locks), AppError::NoError);
    EXPECT_EQ(locks[0], KeytopLock::Unlock);
    EXPECT_EQ(locks[9], KeytopLock::Lock);

    KeyLockFunction lockSwitch = KeyLockFunction::Enable;
    ASSERT_EQ(kbd.CMD_GetKeyLockEnable(lockSwitch), AppError::NoError);
    EXPECT_EQ(lockSwitch, KeyLockFunction::Disable);
    KeyCodeChange change = KeyCodeChange::Enable;
    ASSERT_EQ(kbd.CMD_GetKeyCodeChange(change), AppError::NoError);
    EXPECT_EQ(change, KeyCodeChange::Disable);
}

TEST_F(KeyboardCommandsTest, NoneLevelsAreSentAsHigh)
{
    ASSERT_EQ(kbd.CMD_SetOnPos_Indi(std::vector<ApcLevel>(128, ApcLevel::None), true), AppError::NoError);
    const auto none = writtenPackets(*emulated);
    emulated->clearLog();
    ASSERT_EQ(kbd.CMD_SetOnPos_Indi(std::vector<ApcLevel>(128, ApcLevel::High), true), AppError::NoError);
    EXPECT_EQ(writtenPackets(*emulated), none);
    for (const auto& p : none)
        for (size_t i = 6; i < p.size(); ++i)
            EXPECT_EQ(p[i], 0x00);
}

TEST_F(KeyboardCommandsTest, IndicatorColoursReadBinaryAndAppend)
{
    emulated->live().indicator = {0xFF, 0x80, 0x00, 0xFE, 0xFF, 0x01, 0, 0, 0, 0xFF, 0xFF, 0xFF};
    std::vector<AppColor> colours{AppColor::black()};
    ASSERT_EQ(kbd.CMD_GetIndicatorLed(0, colours), AppError::NoError);
    ASSERT_EQ(kbd.CMD_GetIndicatorLed(0, colours), AppError::NoError);
    ASSERT_EQ(colours.size(), 9u);
    EXPECT_EQ(colours[0], AppColor::black());
    for (size_t base : {1u, 5u}) {
        EXPECT_EQ(colours[base], AppColor::rgba(1, 0, 0, 0));
        EXPECT_EQ(colours[base + 1], AppColor::rgba(0, 1, 0, 0));
        EXPECT_EQ(colours[base + 2], AppColor::rgba(0, 0, 0, 0));
        EXPECT_EQ(colours[base + 3], AppColor::rgba(1, 1, 1, 0));
    }
}

TEST_F(KeyboardCommandsTest, ColourComponentsAreTruncatedAndKeptInsideTheByte)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<AppColor> colours{AppColor::rgba(0.5, 1.5, -0.2, 1), AppColor::rgba(nan, inf, -inf, 1),
                                        AppColor::rgb8(128, 1, 254), AppColor::rgba(0.999, 0.0039, 1.0, 1)};
    ASSERT_EQ(kbd.CMD_SetIndicatorLed(0, colours, true), AppError::NoError);
    const auto written = writtenPackets(*emulated);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(Bytes(written[0].begin() + 7, written[0].begin() + 19),
              (Bytes{0x7F, 0xFF, 0x00, 0x00, 0xFF, 0x00, 128, 1, 254, 254, 0, 0xFF}));
}

TEST_F(KeyboardCommandsTest, ColourBytesSentEqualTheColourTextStored)
{
    // Components near every byte boundary: what a settings file keeps for a
    // colour and what the keyboard gets for it must be the same bytes.
    std::vector<AppColor> colours;
    for (int b = 0; b < 256; b += 3) {
        const double lo = b / 255.0;
        colours.push_back(AppColor::rgba(lo, std::nextafter(lo, 0.0), (b + 0.5) / 255.0, 1.0));
    }
    for (size_t first = 0; first < colours.size(); first += 4) {
        const std::vector<AppColor> four(colours.begin() + first,
                                         colours.begin() + std::min(first + 4, colours.size()));
        std::vector<AppColor> sent = four;
        sent.resize(4, AppColor::black());
        emulated->clearLog();
        ASSERT_EQ(kbd.CMD_SetIndicatorLed(0, sent, true), AppError::NoError);
        const Bytes packet = writtenPackets(*emulated).at(0);
        for (size_t k = 0; k < four.size(); ++k) {
            const QString text = AppUtil::colorToStr(four[k]);
            SCOPED_TRACE(text.toStdString());
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(packet[7 + 3 * k + size_t(c)], uint8_t(text.mid(2 + 2 * c, 2).toUInt(nullptr, 16)));
        }
    }
}

TEST_F(KeyboardCommandsTest, BadArgumentsSendNothingWithOrWithoutADevice)
{
    const std::vector<AppColor> three(3, AppColor::black()), five(5, AppColor::black());
    struct Case {
        std::string name;
        std::function<AppError()> run;
    };
    const std::vector<Case> cases{
        {"127 levels", [&] { return kbd.CMD_SetOnPos_Indi(std::vector<ApcLevel>(127, ApcLevel::Low), true); }},
        {"129 levels", [&] { return kbd.CMD_SetOnPos_Indi(std::vector<ApcLevel>(129, ApcLevel::Low), false); }},
        {"no levels", [&] { return kbd.CMD_SetOnPos_Indi({}, true); }},
        {"127 locks", [&] { return kbd.CMD_SetKeyLock(std::vector<KeytopLock>(127, KeytopLock::Lock), true); }},
        {"129 locks", [&] { return kbd.CMD_SetKeyLock(std::vector<KeytopLock>(129, KeytopLock::Lock), true); }},
        {"3 colours", [&] { return kbd.CMD_SetIndicatorLed(0, three, true); }},
        {"5 colours", [&] { return kbd.CMD_SetIndicatorLed(0, five, true); }},
        {"index byte 256", [&] { return kbd.CMD_SetIndicatorLed(255, std::vector<AppColor>(4), true); }},
        {"index byte -1", [&] { std::vector<AppColor> c; return kbd.CMD_GetIndicatorLed(-2, c); }},
        {"brightness -1", [&] { return kbd.CMD_SetBright(-1); }},
        {"brightness 256", [&] { return kbd.CMD_SetBright(256); }},
    };
    for (bool open : {true, false}) {
        if (!open)
            kbd.hidClose();
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name + (open ? " (open)" : " (closed)"));
            EXPECT_EQ(c.run(), AppError::BadParam);
        }
    }
    EXPECT_EQ(emulated->writeCount(), 0);
}

TEST_F(KeyboardCommandsTest, AllKeysLevelNoneIsBadParamWithADeviceAndBadDeviceWithout)
{
    EXPECT_EQ(kbd.CMD_SetOnPos_AllKey(ApcLevel::None), AppError::BadParam);
    EXPECT_EQ(kbd.CMD_SetOnPos_AllKey(static_cast<ApcLevel>(7)), AppError::BadParam);
    kbd.hidClose();
    EXPECT_EQ(kbd.CMD_SetOnPos_AllKey(ApcLevel::None), AppError::BadDevice);
    EXPECT_EQ(emulated->writeCount(), 0);
    EXPECT_EQ(emulated->live().apcAll, 1);
}

// Without a device nothing is sent; three commands say BadDevice, the rest
// NoError, and each output is reset or left as its command says.
TEST(KeyboardCommandsNoDevice, ResultsAndOutputs)
{
    emu::ScopedVirtualBus bus;
    auto emulated = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(bus->attach(emulated, kLocation));
    KolventraKeyboard kbd; // never opened

    int bright = 7;
    std::vector<AppColor> colours{AppColor::black()};
    std::vector<ApcLevel> levels{ApcLevel::Low};
    std::vector<KeytopLock> locks{KeytopLock::Lock};
    ApcLevel all = ApcLevel::High;
    KeyLockFunction lockSwitch = KeyLockFunction::Enable;
    KeyCodeChange change = KeyCodeChange::Enable;

    struct Case {
        std::string name;
        std::function<AppError()> run;
        AppError expected;
    };
    const std::vector<Case> cases{
        {"SetBright", [&] { return kbd.CMD_SetBright(1); }, AppError::NoError},
        {"GetBright", [&] { return kbd.CMD_GetBright(bright); }, AppError::NoError},
        {"StopEffect", [&] { return kbd.CMD_StopEffect(); }, AppError::NoError},
        {"GetIndicatorLed", [&] { return kbd.CMD_GetIndicatorLed(0, colours); }, AppError::NoError},
        {"SetIndicatorLed", [&] { return kbd.CMD_SetIndicatorLed(0, std::vector<AppColor>(4), false); }, AppError::NoError},
        {"SetOnPos_AllKey", [&] { return kbd.CMD_SetOnPos_AllKey(ApcLevel::Low); }, AppError::BadDevice},
        {"SetOnPos_Indi", [&] { return kbd.CMD_SetOnPos_Indi(std::vector<ApcLevel>(128), true); }, AppError::NoError},
        {"GetOnPos", [&] { return kbd.CMD_GetOnPos(levels); }, AppError::BadDevice},
        {"GetOnPos_AllKey", [&] { return kbd.CMD_GetOnPos_AllKey(all); }, AppError::NoError},
        {"SetKeyLockEnable", [&] { return kbd.CMD_SetKeyLockEnable(KeyLockFunction::Enable); }, AppError::NoError},
        {"GetKeyLockEnable", [&] { return kbd.CMD_GetKeyLockEnable(lockSwitch); }, AppError::NoError},
        {"GetKeyLock", [&] { return kbd.CMD_GetKeyLock(locks); }, AppError::BadDevice},
        {"SetKeyLock", [&] { return kbd.CMD_SetKeyLock(std::vector<KeytopLock>(128), true); }, AppError::NoError},
        {"SetKeyCodeChange", [&] { return kbd.CMD_SetKeyCodeChange(KeyCodeChange::Enable); }, AppError::NoError},
        {"GetKeyCodeChange", [&] { return kbd.CMD_GetKeyCodeChange(change); }, AppError::NoError},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.run(), c.expected) << c.name;

    EXPECT_EQ(emulated->writeCount(), 0);
    EXPECT_EQ(bright, 7);                       // left as it was
    EXPECT_EQ(colours.size(), 1u);              // left as it was
    EXPECT_TRUE(levels.empty());                // emptied
    EXPECT_TRUE(locks.empty());                 // emptied
    EXPECT_EQ(all, ApcLevel::None);             // reset
    EXPECT_EQ(lockSwitch, KeyLockFunction::Disable);
    EXPECT_EQ(change, KeyCodeChange::Disable);
}

// A refused packet of a per-key write ends the command: later packets are not
// sent, the failure comes back, and what the keyboard accepted stays.
TEST_F(KeyboardCommandsTest, PerKeyWriteStopsAtTheFirstFailingPacket)
{
    const auto levels = std::vector<ApcLevel>(128, ApcLevel::Low);
    const auto locks = std::vector<KeytopLock>(128, KeytopLock::Lock);
    struct Case {
        std::string name;
        uint8_t command;
        int failPacket;
        std::function<AppError()> run;
        std::function<const std::array<uint8_t, 128>&()> target;
        uint8_t written;
    };
    const std::vector<Case> cases{
        {"APC packet 1", 0x21, 1, [&] { return kbd.CMD_SetOnPos_Indi(levels, true); },
         [&]() -> const auto& { return emulated->live().apc; }, 0x02},
        {"APC packet 2", 0x21, 2, [&] { return kbd.CMD_SetOnPos_Indi(levels, false); },
         [&]() -> const auto& { return emulated->live().apc; }, 0x02},
        {"APC packet 3", 0x21, 3, [&] { return kbd.CMD_SetOnPos_Indi(levels, true); },
         [&]() -> const auto& { return emulated->live().apc; }, 0x02},
        {"lock packet 2", 0x80, 2, [&] { return kbd.CMD_SetKeyLock(locks, true); },
         [&]() -> const auto& { return emulated->live().lock; }, 0x01},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emulated->clearLog();
        emulated->live() = emu::EmulatedKeyboard::Settings::defaults();
        emulated->live().apc.fill(0xAA);
        emulated->live().lock.fill(0xAA);
        emulated->failCommand = c.command;
        emulated->failPacket = c.failPacket;

        EXPECT_EQ(c.run(), AppError::RecvErrorStore);
        EXPECT_EQ(emulated->writeCount(), c.failPacket);
        const size_t accepted = size_t(59 * (c.failPacket - 1));
        for (size_t k = 0; k < 128; ++k)
            EXPECT_EQ(c.target()[k], k < accepted ? c.written : 0xAA) << "key " << k;
    }
}

TEST_F(KeyboardCommandsTest, TransactionFailuresComeBackWithOutputsAsTheyWere)
{
    int bright = 9;
    std::vector<AppColor> colours{AppColor::black()};
    std::vector<ApcLevel> levels{ApcLevel::Low};
    std::vector<KeytopLock> locks{KeytopLock::Lock};
    ApcLevel all = ApcLevel::High;
    KeyLockFunction lockSwitch = KeyLockFunction::Enable;
    KeyCodeChange change = KeyCodeChange::Enable;

    struct Case {
        std::string name;
        emu::Fault fault;
        std::function<AppError()> run;
        AppError expected;
    };
    const std::vector<Case> cases{
        {"GetBright refused", {.kind = FaultKind::Status, .command = 0x43},
         [&] { return kbd.CMD_GetBright(bright); }, AppError::RecvErrorStore},
        {"GetIndicatorLed echo", {.kind = FaultKind::WrongEcho, .command = 0x45},
         [&] { return kbd.CMD_GetIndicatorLed(0, colours); }, AppError::RecvBadParamStore},
        {"GetOnPos second reply flag", {.kind = FaultKind::WrongFlag, .command = 0x22, .value = 0x81, .replyIndex = 1},
         [&] { return kbd.CMD_GetOnPos(levels); }, AppError::RecvErrorStore},
        {"GetKeyLock third reply length", {.kind = FaultKind::WrongLength, .command = 0x81, .replyIndex = 2},
         [&] { return kbd.CMD_GetKeyLock(locks); }, AppError::RecvBadLengthStore},
        {"GetOnPos_AllKey refused", {.kind = FaultKind::Status, .command = 0x23},
         [&] { return kbd.CMD_GetOnPos_AllKey(all); }, AppError::RecvErrorStore},
        {"GetKeyLockEnable length", {.kind = FaultKind::WrongLength, .command = 0x83},
         [&] { return kbd.CMD_GetKeyLockEnable(lockSwitch); }, AppError::RecvBadLengthStore},
        {"GetKeyCodeChange refused", {.kind = FaultKind::Status, .command = 0x85},
         [&] { return kbd.CMD_GetKeyCodeChange(change); }, AppError::RecvErrorStore},
        {"SetBright refused", {.kind = FaultKind::Status, .command = 0x42},
         [&] { return kbd.CMD_SetBright(0); }, AppError::RecvErrorStore},
        {"SetOnPos_AllKey refused", {.kind = FaultKind::Status, .command = 0x20},
         [&] { return kbd.CMD_SetOnPos_AllKey(ApcLevel::Low); }, AppError::RecvErrorStore},
    };
    for (const auto& c : cases) {
        emulated->clearFaults();
        emulated->inject(c.fault);
        EXPECT_EQ(c.run(), c.expected) << c.name;
    }
    EXPECT_EQ(bright, 9);
    EXPECT_EQ(colours.size(), 1u);
    EXPECT_TRUE(levels.empty());
    EXPECT_TRUE(locks.empty());
    EXPECT_EQ(all, ApcLevel::None);
    EXPECT_EQ(lockSwitch, KeyLockFunction::Disable);
    EXPECT_EQ(change, KeyCodeChange::Disable);
    EXPECT_EQ(emulated->live().brightness, 2);
    EXPECT_EQ(emulated->live().apcAll, 1);
}

// A keyboard that never answers: the read gives up after its retries and the
// list stays empty.
TEST_F(KeyboardCommandsTest, PerKeyReadTimeOutLeavesTheListEmpty)
{
    platform::ScopedTimeScale fast(0.002); // 10 s -> 20 ms, 1 s -> 2 ms
    emulated->inject({.kind = FaultKind::Drop, .command = 0x22, .times = -1});
    std::vector<ApcLevel> levels{ApcLevel::Low};
    EXPECT_EQ(kbd.CMD_GetOnPos(levels), AppError::DeviceReadTimeout);
    EXPECT_TRUE(levels.empty());
    EXPECT_EQ(emulated->writeCount(), 3);
}
