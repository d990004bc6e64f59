// The mouse command set against the emulated mouse: the exact packet of every
// command and the mouse's settings afterwards, the settings read with the
// older and newer firmware layouts, arguments that do not fit a byte, the
// no-device results and transaction failures.
#include "Device/KolventraMouse.h"

#include "AppEnums.h"
#include "KolventraTestFixture.h"
#include "support/EmulatedMouse.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace {

using linktest::kLocation;
using linktest::writtenPackets;
using emu::FaultKind;
using Record = emu::EmulatedMouse::Record;

// Mouse commands carry flag 0.
Bytes packet(uint8_t cmd, uint8_t len, const Bytes& data = {}) { return linktest::commandPacket(cmd, 0, len, data); }

// A record whose every byte is distinct and a valid setting where the mouse
// checks it: buttons 0x11..0x16, custom keys 0x21..0x28.
Record distinctRecord()
{
    Record r = emu::EmulatedMouse::defaults();
    for (int i = 0; i < 6; ++i)
        r[i] = uint8_t(0x11 + i);
    r[emu::EmulatedMouse::kColor] = 5;
    r[emu::EmulatedMouse::kLuminance] = 1;
    r[emu::EmulatedMouse::kIndicator] = 1;
    r[emu::EmulatedMouse::kLogo] = 0;
    const uint8_t dpi[] = {1, 9, 0, 19, 1, 49, 0, 119};
    std::copy(std::begin(dpi), std::end(dpi), r.begin() + emu::EmulatedMouse::kDpi);
    r[emu::EmulatedMouse::kDpiSelected] = 3;
    r[emu::EmulatedMouse::kLiftOff] = 3;
    r[emu::EmulatedMouse::kReportRate] = 8;
    for (int i = 0; i < 8; ++i)
        r[emu::EmulatedMouse::kCustomKeys + i] = uint8_t(0x21 + i);
    return r;
}

class MouseCommandsTest : public linktest::OpenedCommandSetTest<emu::EmulatedMouse, KolventraMouse> {
protected:
    KolventraMouse& mouse = commands;
};

} // namespace

TEST_F(MouseCommandsTest, EveryCommandSendsItsPacketAndChangesOrReportsTheState)
{
    auto& live = emulated->live();
    live = distinctRecord();
    const Record before = live;
    KolventraMouse::RmSettings read;

    // The live record with `changes` applied (byte position, value).
    auto changed = [&](std::initializer_list<std::pair<int, uint8_t>> changes) {
        Record r = before;
        for (auto [at, v] : changes)
            r[at] = v;
        return r;
    };

    struct Case {
        std::string name;
        std::function<AppError()> run;
        Bytes packet;
        std::function<void()> check;
    };
    const std::vector<Case> cases{
        {"GetMouseSettings", [&] { return mouse.CMD_GetMouseSettings(read, "01.10"); }, packet(0x05, 0),
         [&] { EXPECT_EQ(read.bytes(), before); }},
        {"SetBtn12Setting swapped", [&] { return mouse.CMD_SetBtn12Setting(int(Button12Change::Changed)); },
         packet(0x10, 1, {0x01}),
         [&] {
             EXPECT_EQ(emulated->swap(), 1);
             EXPECT_EQ(live, changed({{0, 0x02}, {1, 0x01}}));
         }},
        {"SetBtnFuncSetting", [&] { return mouse.CMD_SetBtnFuncSetting(int(ButtonNo::Button3), int(ButtonAssignCode::Macro_CustomKey)); },
         packet(0x11, 2, {0x02, 0x2C}),
         [&] { EXPECT_EQ(live, changed({{0, 0x02}, {1, 0x01}, {2, 0x2C}})); }},
        {"SetCustomKeysSetting", [&] { return mouse.CMD_SetCustomKeysSetting(int(ButtonNo::Button4), 0x05, 0x04); },
         packet(0x12, 3, {0x03, 0x05, 0x04}),
         [&] { EXPECT_EQ(live, changed({{0, 0x02}, {1, 0x01}, {2, 0x2C}, {23, 0x05}, {24, 0x04}})); }},
        {"SetLedSetting", [&] { return mouse.CMD_SetLedSetting(int(LedColor::Off), int(eLuminance::Level3), int(Indicator::Disable), int(Logo::Enable)); },
         packet(0x30, 4, {0x07, 0x02, 0x01, 0x00}),
         [&] {
             EXPECT_EQ(live, changed({{0, 0x02}, {1, 0x01}, {2, 0x2C}, {23, 0x05}, {24, 0x04},
                                      {6, 7}, {7, 2}, {8, 1}, {9, 0}}));
         }},
        {"SetSensorDpiSetting", [&] { return mouse.CMD_SetSensorDpiSetting(int(DpiSettingNo::Setting2), int(DpiEnable::Disable), 119); },
         packet(0x50, 3, {0x01, 0x01, 0x77}),
         [&] {
             EXPECT_EQ(live, changed({{0, 0x02}, {1, 0x01}, {2, 0x2C}, {23, 0x05}, {24, 0x04},
                                      {6, 7}, {7, 2}, {8, 1}, {9, 0}, {12, 1}, {13, 119}, {18, 1}}));
         }},
        {"SetSensorLodSetting", [&] { return mouse.CMD_SetSensorLodSetting(int(LoD::LoD_2mm)); },
         packet(0x51, 1, {0x02}),
         [&] {
             EXPECT_EQ(live, changed({{0, 0x02}, {1, 0x01}, {2, 0x2C}, {23, 0x05}, {24, 0x04}, {6, 7}, {7, 2},
                                      {8, 1}, {9, 0}, {12, 1}, {13, 119}, {18, 1}, {19, 2}}));
         }},
        {"GetMouseSettings again", [&] { return mouse.CMD_GetMouseSettings(read, ""); }, packet(0x05, 0),
         [&] { EXPECT_EQ(read.bytes(), live); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        emulated->clearLog();
        ASSERT_EQ(c.run(), AppError::NoError);
        const auto written = writtenPackets(*emulated);
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(written[0], c.packet);
        c.check();
    }
    EXPECT_EQ(emulated->storeCount(), 0);
}

TEST(RmSettingsTest, FieldsSitAtTheirBytePositions)
{
    std::array<uint8_t, 29> raw{};
    std::iota(raw.begin(), raw.end(), uint8_t(100));
    KolventraMouse::RmSettings s;
    s.setBytes(raw);
    EXPECT_EQ(s.buttonSetting[0], 100);
    EXPECT_EQ(s.buttonSetting[5], 105);
    EXPECT_EQ(s.color, 106);
    EXPECT_EQ(s.luminance, 107);
    EXPECT_EQ(s.indicatorEnable, 108);
    EXPECT_EQ(s.logoEnable, 109);
    EXPECT_EQ(s.dpi[0].dpiEnable, 110);
    EXPECT_EQ(s.dpi[0].dpiValue, 111);
    EXPECT_EQ(s.dpi[3].dpiEnable, 116);
    EXPECT_EQ(s.dpi[3].dpiValue, 117);
    EXPECT_EQ(s.dpiSelected, 118);
    EXPECT_EQ(s.liftOffDistance, 119);
    EXPECT_EQ(s.reportDiscriptor, 120);
    EXPECT_EQ(s.customKey[0].modifier, 121);
    EXPECT_EQ(s.customKey[0].keyCode, 122);
    EXPECT_EQ(s.customKey[3].modifier, 127);
    EXPECT_EQ(s.customKey[3].keyCode, 128);
    EXPECT_EQ(s.bytes(), raw);
    EXPECT_EQ(KolventraMouse::RmSettings{}.bytes(), (std::array<uint8_t, 29>{}));
}

// The firmware version chooses how much of the reply is taken: the older
// layout leaves the custom keys zero.
TEST_F(MouseCommandsTest, FirmwareVersionChoosesTheSettingsLayout)
{
    const Record full = distinctRecord();
    emulated->live() = full;
    Record older = full;
    std::fill(older.begin() + 21, older.end(), 0);

    struct Case {
        const char* version;
        bool newer;
    };
    const Case cases[] = {
        {"01.09", false}, {"01.0A", false}, {"01.0a", false}, {"10.00", false}, {"01.", false},
        {"01.10", true},  {"01.1A", true},  {"01.1a", true},  {"01.9", true},   {"", true},
        {"0110", true},   {"01.11.0", true}, {"01.09.9", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        EXPECT_EQ(KolventraMouse::isNewerSettingsLayout(c.version), c.newer);
        KolventraMouse::RmSettings s;
        s.customKey[0].modifier = 0x99;
        ASSERT_EQ(mouse.CMD_GetMouseSettings(s, c.version), AppError::NoError);
        EXPECT_EQ(s.bytes(), c.newer ? full : older);
    }
}

TEST_F(MouseCommandsTest, OlderMouseReportsNoCustomKeys)
{
    emulated->setLayout(emu::EmulatedMouse::Layout::Older);
    emulated->live() = distinctRecord();
    KolventraMouse::RmSettings s;
    ASSERT_EQ(mouse.CMD_GetMouseSettings(s, "01.09"), AppError::NoError);
    EXPECT_EQ(s.liftOffDistance, 3);
    EXPECT_EQ(s.reportDiscriptor, 8);
    EXPECT_EQ(s.customKey, (std::array<KolventraMouse::RmSettings::CustomKey, 4>{}));
}

// Arguments are written as one byte each; one that does not fit is refused
// before anything is sent.
TEST_F(MouseCommandsTest, ArgumentsOutsideAByteAreBadParamWithNothingSent)
{
    const int none = int(ButtonNo::None);
    struct Case {
        std::string name;
        std::function<AppError()> run;
    };
    const std::vector<Case> cases{
        {"swap -1", [&] { return mouse.CMD_SetBtn12Setting(-1); }},
        {"function of button None", [&] { return mouse.CMD_SetBtnFuncSetting(none, 0x01); }},
        {"function 256", [&] { return mouse.CMD_SetBtnFuncSetting(0, 256); }},
        {"custom key of button None", [&] { return mouse.CMD_SetCustomKeysSetting(none, 0, 0); }},
        {"custom key modifier 256", [&] { return mouse.CMD_SetCustomKeysSetting(2, 256, 4); }},
        {"custom key code -1", [&] { return mouse.CMD_SetCustomKeysSetting(2, 0, -1); }},
        {"LED logo 300", [&] { return mouse.CMD_SetLedSetting(0, 0, 0, 300); }},
        {"DPI index 1000", [&] { return mouse.CMD_SetSensorDpiSetting(0, 0, 1000); }},
        {"DPI setting -1", [&] { return mouse.CMD_SetSensorDpiSetting(-1, 0, 3); }},
        {"lift-off INT_MIN", [&] { return mouse.CMD_SetSensorLodSetting(std::numeric_limits<int>::min()); }},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.run(), AppError::BadParam) << c.name;
    EXPECT_EQ(emulated->writeCount(), 0);
    EXPECT_EQ(emulated->live(), emu::EmulatedMouse::defaults());

    // The byte's own ends go out as they are.
    EXPECT_EQ(mouse.CMD_SetCustomKeysSetting(5, 0xFF, 0x00), AppError::NoError);
    EXPECT_EQ(emulated->live()[27], 0xFF);
}

TEST(MouseCommandsNoDevice, EveryCommandIsNoErrorWithNothingSent)
{
    emu::ScopedVirtualBus bus;
    auto emulated = std::make_shared<emu::EmulatedMouse>();
    ASSERT_TRUE(bus->attach(emulated, kLocation));
    KolventraMouse mouse; // never opened

    KolventraMouse::RmSettings s;
    s.setBytes(distinctRecord());
    EXPECT_EQ(mouse.CMD_GetMouseSettings(s, "01.10"), AppError::NoError);
    EXPECT_EQ(s, KolventraMouse::RmSettings{});
    EXPECT_EQ(mouse.CMD_SetBtn12Setting(1), AppError::NoError);
    EXPECT_EQ(mouse.CMD_SetBtnFuncSetting(0, 1), AppError::NoError);
    EXPECT_EQ(mouse.CMD_SetCustomKeysSetting(2, 1, 4), AppError::NoError);
    EXPECT_EQ(mouse.CMD_SetLedSetting(1, 1, 1, 1), AppError::NoError);
    EXPECT_EQ(mouse.CMD_SetSensorDpiSetting(0, 0, 5), AppError::NoError);
    EXPECT_EQ(mouse.CMD_SetSensorLodSetting(3), AppError::NoError);
    EXPECT_EQ(emulated->writeCount(), 0);
}

TEST_F(MouseCommandsTest, FailuresComeBackUnchangedAndAFailedReadLeavesAZeroRecord)
{
    emulated->live() = distinctRecord();
    KolventraMouse::RmSettings s;
    struct Case {
        std::string name;
        emu::Fault fault;
        std::function<AppError()> run;
        AppError expected;
        bool read = false; // a settings read: the record must come back zero
    };
    const std::vector<Case> cases{
        {"settings reply LEN 29", {.kind = FaultKind::WrongLength, .command = 0x05, .value = 29},
         [&] { return mouse.CMD_GetMouseSettings(s, "01.10"); }, AppError::RecvBadLengthStore, true},
        {"settings reply LEN 29, older", {.kind = FaultKind::WrongLength, .command = 0x05, .value = 29},
         [&] { return mouse.CMD_GetMouseSettings(s, "01.09"); }, AppError::RecvBadLengthStore, true},
        {"settings refused", {.kind = FaultKind::Status, .command = 0x05},
         [&] { return mouse.CMD_GetMouseSettings(s, ""); }, AppError::RecvErrorStore, true},
        {"settings echo", {.kind = FaultKind::WrongEcho, .command = 0x05},
         [&] { return mouse.CMD_GetMouseSettings(s, ""); }, AppError::RecvBadParamStore, true},
        {"button refused", {.kind = FaultKind::Status, .command = 0x11},
         [&] { return mouse.CMD_SetBtnFuncSetting(0, 0x03); }, AppError::RecvErrorStore},
        {"LED signature", {.kind = FaultKind::WrongSignature, .command = 0x30},
         [&] { return mouse.CMD_SetLedSetting(1, 1, 1, 1); }, AppError::RecvBadParamStore},
    };
    for (const auto& c : cases) {
        emulated->clearFaults();
        emulated->inject(c.fault);
        s.setBytes(distinctRecord());
        EXPECT_EQ(c.run(), c.expected) << c.name;
        if (c.read) {
            EXPECT_EQ(s, KolventraMouse::RmSettings{}) << c.name;
        }
    }
    EXPECT_EQ(emulated->live()[0], 0x11); // the refused button write changed nothing
}
