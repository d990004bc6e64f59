// The mouse panels' refresh against the emulated mouse: the conversion of the
// settings record (out-of-range bytes included), a failing read that leaves
// the model alone, the two firmware layouts, and the reads it must not take
// (no device open, another transaction waiting, a device replaced meanwhile).
#include "FunctionPanel/MouseSettingsRefresh.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "Platform/Clock.h"
#include "support/EmulatedMouse.h"
#include "support/RecordingMainController.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QTimer>

#include <functional>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr uint32_t kLocation = 0x01300000;
using Mouse = emu::EmulatedMouse;

class MouseRefreshTest : public ::testing::Test {
protected:
    void SetUp() override { attach(std::make_shared<Mouse>()); }
    void TearDown() override
    {
        mouse->hidClose();
        AppParam::device.reset();
    }

    void attach(std::shared_ptr<Mouse> m)
    {
        if (emulated)
            bus->detach(kLocation);
        emulated = std::move(m);
        ASSERT_TRUE(bus->attach(emulated, kLocation));
        mouse = std::make_shared<MouseEntry>();
        ASSERT_EQ(mouse->open(kLocation), AppError::NoError);
        AppParam::device = mouse;
    }

    platform::ScopedTimeScale fast{0.01};
    emu::ScopedVirtualBus bus;
    RecordingMainController main;
    std::shared_ptr<Mouse> emulated;
    std::shared_ptr<MouseEntry> mouse;
};

TEST_F(MouseRefreshTest, ConvertsTheRecordWithItsClampsAndDefaults)
{
    struct Case {
        const char* what;
        int byte;
        uint8_t value;
        std::function<bool(const MouseEntry&)> check;
    };
    const std::vector<Case> cases{
        {"colour 8 gives White", Mouse::kColor, 8, [](auto& m) { return m.color == LedColor::White; }},
        {"colour 7 is Off", Mouse::kColor, 7, [](auto& m) { return m.color == LedColor::Off; }},
        {"luminance 3 gives Level1", Mouse::kLuminance, 3, [](auto& m) { return m.luminace == eLuminance::Level1; }},
        {"luminance 2 is Level3", Mouse::kLuminance, 2, [](auto& m) { return m.luminace == eLuminance::Level3; }},
        {"indicator 2 gives Disable", Mouse::kIndicator, 2, [](auto& m) { return m.indicatorEnable == Indicator::Disable; }},
        {"indicator 0 gives Enable", Mouse::kIndicator, 0, [](auto& m) { return m.indicatorEnable == Indicator::Enable; }},
        {"logo 9 gives Disable", Mouse::kLogo, 9, [](auto& m) { return m.logoEnable == Logo::Disable; }},
        {"selected 4 stays _count", Mouse::kDpiSelected, 4, [](auto& m) { return m.dpiSelected == DpiSettingNo::_count; }},
        {"selected 5 gives Setting1", Mouse::kDpiSelected, 5, [](auto& m) { return m.dpiSelected == DpiSettingNo::Setting1; }},
        {"lift-off 0 gives 2 mm", Mouse::kLiftOff, 0, [](auto& m) { return m.liftOffDistance == LoD::LoD_2mm; }},
        {"lift-off 3 gives 3 mm", Mouse::kLiftOff, 3, [](auto& m) { return m.liftOffDistance == LoD::LoD_3mm; }},
        {"report 4 gives 1 kHz", Mouse::kReportRate, 4, [](auto& m) { return m.reportDiscriptor == ReportDiscriptor::Fps_1kHz; }},
        {"report 8 gives 125 Hz", Mouse::kReportRate, 8, [](auto& m) { return m.reportDiscriptor == ReportDiscriptor::Fps_125Hz; }},
        {"DPI byte 200 stays 200", Mouse::kDpi + 1, 200, [](auto& m) { return m.dpiSettingValue[0] == 200; }},
    };
    for (const Case& c : cases) {
        emulated->live() = Mouse::defaults();
        emulated->live()[size_t(c.byte)] = c.value;
        // Start from the opposite of what is expected where that matters.
        mouse->color = LedColor::Red;
        mouse->luminace = eLuminance::Level2;
        const MouseRefresh r = refreshMouseSettings();
        ASSERT_TRUE(r.updated) << c.what;
        EXPECT_EQ(r.mouse, mouse);
        EXPECT_TRUE(c.check(*mouse)) << c.what;
    }
}

TEST_F(MouseRefreshTest, ButtonsAndCustomKeysComeFromTheNewerLayoutAndNothingElseChanges)
{
    auto& live = emulated->live();
    const uint8_t buttons[6] = {0x02, 0x01, 0x31, 0x2C, 0x00, 0x11};
    for (int i = 0; i < 6; ++i)
        live[size_t(i)] = buttons[i];
    live[Mouse::kCustomKeys + 2] = 0x81; // button 4: modifier
    live[Mouse::kCustomKeys + 3] = 0x04; // button 4: key A
    mouse->customKeyList[3].code = ButtonNo::Button1; // overwritten with Button6
    ASSERT_EQ(mouse->loadDeviceParam(), AppError::NoError);
    const auto backup = mouse->mouseSetting_FWBackUp;
    live[Mouse::kButtons + 2] = 0x33;
    mouse->customKeyList[3].code = ButtonNo::Button1;

    const MouseRefresh r = refreshMouseSettings();
    ASSERT_TRUE(r.updated);
    EXPECT_EQ(mouse->buttonSettingList[0], 0x02);
    EXPECT_EQ(mouse->buttonSettingList[2], 0x33);
    EXPECT_EQ(mouse->buttonSettingList[3], 0x2C);
    EXPECT_EQ(mouse->customKeyList[1].modifier, 0x81);
    EXPECT_EQ(mouse->customKeyList[1].keyCode, 0x04);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(mouse->customKeyList[size_t(i)].code, ButtonNo(rawValue(ButtonNo::Button3) + i));
    EXPECT_TRUE(mouse->customKeyKnown[1]);
    // The backup of the stored settings is not the refresh's business.
    ASSERT_TRUE(mouse->mouseSetting_FWBackUp.has_value());
    EXPECT_EQ(mouse->mouseSetting_FWBackUp->buttonSettingList, backup->buttonSettingList);
}

TEST_F(MouseRefreshTest, OlderFirmwareLayoutLeavesCustomKeysZeroAndUnknown)
{
    auto older = std::make_shared<Mouse>(shipped::kModels[2], Mouse::Layout::Older);
    older->identity().firmware = {0x01, 0x00, 0x00, 0x09};
    older->live()[Mouse::kCustomKeys] = 0x01;
    older->live()[Mouse::kCustomKeys + 1] = 0x04;
    attach(older);
    const MouseRefresh r = refreshMouseSettings();
    ASSERT_TRUE(r.updated);
    EXPECT_EQ(mouse->customKeyList[0].modifier, 0);
    EXPECT_EQ(mouse->customKeyList[0].keyCode, 0);
    EXPECT_FALSE(mouse->customKeyKnown[0]);
}

TEST_F(MouseRefreshTest, FailedReadLeavesTheModelAsItWas)
{
    mouse->buttonSettingList = {1, 2, 3, 4, 5, 6};
    mouse->color = LedColor::Blue;
    emulated->live()[Mouse::kColor] = 1;
    // The mouse refuses the read after the first attempts fill nothing.
    emulated->inject({.kind = emu::FaultKind::Status, .command = 0x05, .times = -1});
    const MouseRefresh r = refreshMouseSettings();
    EXPECT_FALSE(r.updated);
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(mouse->color, LedColor::Blue);
    EXPECT_EQ(mouse->buttonSettingList[2], 3);
    // The refresh itself never runs the recovery; that is the panels' call.
    EXPECT_TRUE(main.deviceErrors.empty());
}

TEST_F(MouseRefreshTest, NoOpenDeviceIsSkippedNotReadAsZeros)
{
    mouse->hidClose();
    mouse->buttonSettingList = {1, 2, 3, 4, 5, 6};
    mouse->color = LedColor::Green;
    const MouseRefresh r = refreshMouseSettings();
    EXPECT_FALSE(r.updated);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(mouse->color, LedColor::Green);
    EXPECT_EQ(mouse->buttonSettingList[5], 6);
}

TEST_F(MouseRefreshTest, NotAMouseOrBusyIsSkipped)
{
    AppParam::device = std::make_shared<KeyboardEntry>();
    MouseRefresh r = refreshMouseSettings();
    EXPECT_EQ(r.mouse, nullptr);
    EXPECT_FALSE(r.updated);
    EXPECT_FALSE(r.failed());

    AppParam::device = mouse;
    mouse->isRunConnecting = true; // another transaction is waiting for its reply
    emulated->clearLog();
    r = refreshMouseSettings();
    mouse->isRunConnecting = false;
    EXPECT_TRUE(r.busy);
    EXPECT_FALSE(r.failed());
    EXPECT_TRUE(emulated->writes().empty());
}

TEST_F(MouseRefreshTest, DeviceReplacedDuringTheReadIsNotWrittenTo)
{
    // The device leaves the bus on the read; something replaces the current
    // device meanwhile (as the recovery does).
    emulated->inject({.kind = emu::FaultKind::Detach, .command = 0x05});
    auto other = std::make_shared<KeyboardEntry>();
    bool replaced = false;
    QObject ctx;
    QTimer::singleShot(0, &ctx, [&] {
        AppParam::device = other;
        replaced = true;
    });
    mouse->color = LedColor::Yellow;
    const MouseRefresh r = refreshMouseSettings();
    ASSERT_TRUE(replaced);
    EXPECT_TRUE(r.replaced);
    EXPECT_FALSE(r.failed());
    EXPECT_FALSE(r.updated);
    EXPECT_EQ(mouse->color, LedColor::Yellow);
}

} // namespace
