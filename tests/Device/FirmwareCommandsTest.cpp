// The common commands (session notice, store, factory setting) and the
// firmware-transfer commands: their packets, results and argument limits.
#include "KolventraTestFixture.h"

#include <functional>
#include <numeric>

using namespace std::chrono_literals;
using linktest::entries;
using linktest::kLocation;
using Kind = emu::LogEntry::Kind;
using emu::FaultKind;
using StEd = KolventraDevice::eAppStEd;

namespace {

class CommandsTest : public linktest::LinkTest {
protected:
    // The packet of the last write.
    Bytes lastPacket() const
    {
        const auto w = entries(*keyboard, Kind::Output);
        return w.empty() ? Bytes{} : w.back().bytes;
    }
    // Packet from a header and data bytes, padded to 65 with zeros.
    static Bytes packet(std::initializer_list<uint8_t> bytes)
    {
        Bytes p(bytes);
        p.resize(65, 0);
        return p;
    }
    // Puts the emulated keyboard into updater mode with a transfer started.
    void startTransfer(uint32_t size, uint16_t crc)
    {
        ASSERT_EQ(device->CMD_StartUpdate(size, crc), AppError::NoError);
    }
};

Bytes image(size_t n)
{
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = uint8_t(i * 7 + 3);
    return b;
}

} // namespace

TEST_F(CommandsTest, EveryCommandSendsItsPacket)
{
    Bytes chunk57 = image(57), chunk10 = image(10);
    Bytes first = packet({0x00, 0xAA, 0xAA, 0xE2, 0x00, 0x3B, 0x00, 0x00});
    std::copy(chunk57.begin(), chunk57.end(), first.begin() + 8);
    Bytes second = packet({0x00, 0xAA, 0xAA, 0xE2, 0x00, 0x0C, 0x01, 0x00});
    std::copy(chunk10.begin(), chunk10.end(), second.begin() + 8);
    Bytes whole = chunk57;
    whole.insert(whole.end(), chunk10.begin(), chunk10.end());
    const uint16_t crc = emu::EmulatedDevice::crc16(whole);

    struct Case {
        const char* name;
        std::function<AppError()> run;
        Bytes expected;
    };
    keyboard->setRebootDelay(platform::Seconds(0.01));
    const std::vector<Case> cases{
        {"start notice", [&] { return device->CMD_StartEnd(StEd::Start); }, packet({0x00, 0xAA, 0xAA, 0x01, 0x00, 0x01, 0x00})},
        {"end notice", [&] { return device->CMD_StartEnd(StEd::End); }, packet({0x00, 0xAA, 0xAA, 0x01, 0x00, 0x01, 0x01})},
        {"store", [&] { return device->CMD_RegistSetting(); }, packet({0x00, 0xAA, 0xAA, 0x04, 0x00, 0x00})},
        {"factory", [&] { return device->CMD_FactorySetting(); }, packet({0x00, 0xAA, 0xAA, 0x03, 0x00, 0x00})},
        {"start update", [&] { return device->CMD_StartUpdate(70000, 0x1234); },
         packet({0x00, 0xAA, 0xAA, 0xE1, 0x00, 0x08, 0x70, 0x11, 0x01, 0x00, 0x34, 0x12, 0x00, 0x00})},
        {"start update, largest", [&] { return device->CMD_StartUpdate(0xFFFFFFFFLL, 0xFFFF); },
         packet({0x00, 0xAA, 0xAA, 0xE1, 0x00, 0x08, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
        {"start update again", [&] { return device->CMD_StartUpdate(67, crc); },
         packet({0x00, 0xAA, 0xAA, 0xE1, 0x00, 0x08, 67, 0, 0, 0, uint8_t(crc), uint8_t(crc >> 8), 0, 0})},
        {"first chunk, 57 bytes", [&] { return device->CMD_SendFwData(0, chunk57); }, first},
        {"second chunk, 10 bytes", [&] { return device->CMD_SendFwData(1, chunk10); }, second},
        {"empty chunk", [&] { return device->CMD_SendFwData(1, {}); }, packet({0x00, 0xAA, 0xAA, 0xE2, 0x00, 0x02, 0x01, 0x00})},
        {"end update", [&] { return device->CMD_EndUpdate(); }, packet({0x00, 0xAA, 0xAA, 0xE3, 0x00, 0x00})},
        {"reboot", [&] {
             // The good end of an update restarted the device: wait for it.
             EXPECT_TRUE(emu::waitUntil([&] { return keyboard->attached(); }));
             EXPECT_EQ(device->hidOpen(kLocation), AppError::NoError);
             return device->CMD_RebootForUpdate();
         }, packet({0x00, 0xAA, 0xAA, 0xE0, 0x00, 0x00})},
    };
    for (const auto& c : cases) {
        const int before = keyboard->writeCount();
        const AppError r = c.run();
        EXPECT_EQ(r, AppError::NoError) << c.name << ": " << appErrorName(r);
        EXPECT_EQ(keyboard->writeCount(), before + 1) << c.name;
        EXPECT_EQ(lastPacket(), c.expected) << c.name;
    }
    EXPECT_EQ(keyboard->startCount(), 1);
    EXPECT_EQ(keyboard->endCount(), 1);
    EXPECT_EQ(keyboard->storeCount(), 1);
    EXPECT_EQ(keyboard->factoryCount(), 1);
    EXPECT_EQ(keyboard->rebootCount(), 1);
}

TEST_F(CommandsTest, WithoutOpenDeviceEveryCommandSucceedsWithoutSending)
{
    device->hidClose();
    EXPECT_EQ(device->CMD_StartEnd(StEd::Start), AppError::NoError);
    EXPECT_EQ(device->CMD_StartEnd(StEd::End), AppError::NoError);
    EXPECT_EQ(device->CMD_FactorySetting(), AppError::NoError);
    EXPECT_EQ(device->CMD_RegistSetting(), AppError::NoError);
    EXPECT_EQ(device->CMD_RebootForUpdate(), AppError::NoError);
    EXPECT_EQ(device->CMD_StartUpdate(1, 2), AppError::NoError);
    EXPECT_EQ(device->CMD_SendFwData(0, image(3)), AppError::NoError);
    EXPECT_EQ(device->CMD_EndUpdate(), AppError::NoError);
    EXPECT_EQ(keyboard->writeCount(), 0);
    EXPECT_TRUE(lines.empty());
}

TEST_F(CommandsTest, ArgumentsThatDoNotFitThePacketAreRefusedBeforeSending)
{
    struct Case {
        const char* name;
        std::function<AppError()> run;
    };
    const std::vector<Case> cases{
        {"58-byte chunk", [&] { return device->CMD_SendFwData(0, image(58)); }},
        {"253-byte chunk", [&] { return device->CMD_SendFwData(0, image(253)); }},
        {"chunk number 65536", [&] { return device->CMD_SendFwData(65536, image(1)); }},
        {"negative chunk number", [&] { return device->CMD_SendFwData(-1, image(1)); }},
        {"size beyond 32 bits", [&] { return device->CMD_StartUpdate(0x100000000LL, 0); }},
        {"negative size", [&] { return device->CMD_StartUpdate(-1, 0); }},
        {"CRC beyond 16 bits", [&] { return device->CMD_StartUpdate(10, 0x10000); }},
        {"negative CRC", [&] { return device->CMD_StartUpdate(10, -1); }},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.run(), AppError::BadParam) << c.name;
    EXPECT_EQ(keyboard->writeCount(), 0);
}

TEST_F(CommandsTest, StartRefusedWithStatusMeansAnUnfinishedUpdate)
{
    struct Case {
        StEd which;
        emu::Fault fault;
        AppError expected;
    };
    const std::vector<Case> cases{
        {StEd::Start, {.kind = FaultKind::Status, .value = 0x01}, AppError::AbortFirmwareUpdate},
        {StEd::End, {.kind = FaultKind::Status, .value = 0x01}, AppError::RecvErrorStore},
        {StEd::Start, {.kind = FaultKind::WrongLength, .value = 4}, AppError::NoError},
        {StEd::End, {.kind = FaultKind::WrongLength, .value = 4}, AppError::NoError},
        {StEd::Start, {.kind = FaultKind::WrongEcho}, AppError::RecvBadParamStore},
    };
    for (const auto& c : cases) {
        keyboard->inject(c.fault);
        EXPECT_EQ(device->CMD_StartEnd(c.which), c.expected) << int(c.which) << " " << int(c.fault.kind);
    }
    keyboard->setUpdatePending(true);
    EXPECT_EQ(device->CMD_StartEnd(StEd::Start), AppError::AbortFirmwareUpdate);
}

TEST_F(CommandsTest, ChunkEchoMustMatchTheWholeChunkNumber)
{
    startTransfer(100, 0);
    ASSERT_EQ(device->CMD_SendFwData(0, image(57)), AppError::NoError);
    // The device echoes 00 00 for chunk 1.
    keyboard->inject({.kind = FaultKind::SetByte, .value = 0x00, .offset = 7});
    EXPECT_EQ(device->CMD_SendFwData(1, image(43)), AppError::RecvBadParamStore);
    // The same chunk again, echoed properly (the device takes a repeat).
    EXPECT_EQ(device->CMD_SendFwData(1, image(43)), AppError::NoError);
    // A refused chunk keeps its status code.
    keyboard->inject({.kind = FaultKind::Status});
    EXPECT_EQ(device->CMD_SendFwData(1, image(43)), AppError::RecvErrorStore);
}

TEST_F(CommandsTest, WholeUpdateThroughRebootAndReattach)
{
    keyboard->setRebootDelay(platform::Seconds(0.02));
    keyboard->setFirmwareAfterUpdate(std::array<uint8_t, 4>{0x01, 0x00, 0x03, 0x00});
    const Bytes fw = image(1000);

    ASSERT_EQ(device->CMD_RebootForUpdate(), AppError::NoError);
    ASSERT_TRUE(emu::waitUntil([&] { return keyboard->attached() && keyboard->mode() == emu::EmulatedDevice::Mode::Updater; }));
    device->hidClose();
    ASSERT_EQ(device->hidOpen(kLocation), AppError::NoError);

    device->hidWait();
    ASSERT_EQ(device->CMD_StartUpdate(int64_t(fw.size()), emu::EmulatedDevice::crc16(fw)), AppError::NoError);
    device->hidWait();
    int chunks = 0;
    for (size_t off = 0; off < fw.size(); off += KolventraDevice::kMaxFwChunk, ++chunks) {
        const size_t n = std::min(KolventraDevice::kMaxFwChunk, fw.size() - off);
        ASSERT_EQ(device->CMD_SendFwData(chunks, Bytes(fw.begin() + off, fw.begin() + off + n)), AppError::NoError)
            << "chunk " << chunks;
    }
    EXPECT_EQ(chunks, 18); // 17 x 57 + 31
    EXPECT_EQ(device->CMD_EndUpdate(), AppError::NoError);
    EXPECT_EQ(keyboard->updatesCompleted(), 1);
    EXPECT_EQ(keyboard->receivedImage(), fw);

    // Back in application mode at the same place.
    ASSERT_TRUE(emu::waitUntil([&] { return keyboard->attached() && keyboard->mode() == emu::EmulatedDevice::Mode::Application; }));
    device->hidClose();
    ASSERT_EQ(device->hidOpen(kLocation), AppError::NoError);
    EXPECT_EQ(device->CMD_StartEnd(StEd::Start), AppError::NoError);
}

TEST_F(CommandsTest, InterruptedUpdateMakesTheNextStartAbort)
{
    startTransfer(200, 0x1111);
    ASSERT_EQ(device->CMD_SendFwData(0, image(57)), AppError::NoError);
    device->hidClose();
    ASSERT_EQ(device->hidOpen(kLocation), AppError::NoError);
    EXPECT_EQ(device->CMD_StartEnd(StEd::Start), AppError::AbortFirmwareUpdate);
}

TEST_F(CommandsTest, RebootThatLeavesWithoutAnsweringEndsAtOnceWithDevceRead)
{
    keyboard->setAnswerReboot(false);
    keyboard->setReattachAfterReboot(false);
    // Not the reply time-out, which would say so and be logged.
    EXPECT_EQ(device->CMD_RebootForUpdate(), AppError::DevceRead);
    EXPECT_TRUE(lines.empty());
}
