// What the mouse model takes from the mouse and writes back to it when the
// exchange goes wrong: a settings reply cut short is no reading (nothing
// from it is used, kept or written back), and a restore of the backup that
// stops half-way stores nothing and says so.
#include "Device/MouseEntry.h"

#include "KolventraTestFixture.h"
#include "support/EmulatedMouse.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <optional>
#include <vector>

namespace {

using emu::FaultKind;
using linktest::kLocation;
using Mouse = emu::EmulatedMouse;

// The mouse's settings with a custom key on each of buttons 3 to 6, stored.
void giveCustomKeys(Mouse& m)
{
    for (int i = 0; i < 8; ++i)
        m.live()[Mouse::kCustomKeys + i] = uint8_t(0x02 + i);
    m.stored() = m.live();
}

std::vector<uint8_t> keysOf(const Mouse::Record& r)
{
    return {r.begin() + Mouse::kCustomKeys, r.end()};
}

} // namespace

// Reply reports as long as the fields of the layout (the header, then 21
// bytes of the older layout or 29 of the newer one) are read; one byte less
// is a length error with the record left zero.
TEST(MouseShortReply, ReplyTooShortForTheLayoutsFieldsIsALengthError)
{
    emu::ScopedVirtualBus bus;
    auto emulated = std::make_shared<Mouse>();
    giveCustomKeys(*emulated);
    ASSERT_TRUE(bus->attach(emulated, kLocation));
    KolventraMouse mouse;
    ASSERT_EQ(mouse.hidOpen(kLocation), AppError::NoError);

    struct Case {
        const char* version;
        int reportBytes;
        AppError expected;
    };
    // The report's bytes: 55 55 CMD STS FLG LEN, then the data.
    const Case cases[] = {
        {"01.10", 34, AppError::RecvBadLengthStore}, {"01.10", 26, AppError::RecvBadLengthStore},
        {"01.10", 35, AppError::NoError},            {"01.09", 27, AppError::NoError},
        {"01.09", 26, AppError::RecvBadLengthStore},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version) + ", " + std::to_string(c.reportBytes) + " bytes");
        emulated->inject({.kind = FaultKind::Short, .command = 0x05, .value = c.reportBytes});
        KolventraMouse::RmSettings s;
        s.dpiSelected = 9;
        EXPECT_EQ(mouse.CMD_GetMouseSettings(s, c.version), c.expected);
        if (c.expected != AppError::NoError) {
            EXPECT_EQ(s, KolventraMouse::RmSettings{});
        } else {
            EXPECT_EQ(s.liftOffDistance, emulated->live()[Mouse::kLiftOff]);
            EXPECT_EQ(s.customKey[0].modifier, KolventraMouse::isNewerSettingsLayout(c.version) ? 0x02 : 0x00);
        }
    }
    mouse.hidClose();
}

// The model: a short reply changes nothing and takes no backup, so that
// closing the mouse writes back only what was really read from it.
TEST(MouseShortReply, ModelKeepsItsSettingsAndTheCloseKeepsTheStoredCustomKeys)
{
    emu::ScopedVirtualBus bus;
    auto emulated = std::make_shared<Mouse>();
    giveCustomKeys(*emulated);
    ASSERT_TRUE(bus->attach(emulated, kLocation));
    const Mouse::Record stored = emulated->stored();

    // The very first read comes short: no backup is taken, and the close
    // restores nothing.
    {
        MouseEntry mouse;
        ASSERT_EQ(mouse.open(kLocation), AppError::NoError);
        emulated->inject({.kind = FaultKind::Short, .command = 0x05, .value = 27});
        EXPECT_EQ(mouse.loadDeviceParam(), AppError::RecvBadLengthStore);
        EXPECT_FALSE(mouse.mouseSetting_FWBackUp.has_value());
        EXPECT_EQ(mouse.customKeyKnown, (std::array<bool, 4>{}));
        EXPECT_EQ(mouse.close(true), AppError::NoError);
        EXPECT_EQ(emulated->stored(), stored);
        EXPECT_EQ(emulated->storeCount(), 0);
    }
    // A later read comes short: the model and its backup keep what the
    // good read gave, and the close writes those keys back.
    {
        MouseEntry mouse;
        ASSERT_EQ(mouse.open(kLocation), AppError::NoError);
        ASSERT_EQ(mouse.loadDeviceParam(), AppError::NoError);
        emulated->inject({.kind = FaultKind::Short, .command = 0x05, .value = 27});
        EXPECT_EQ(mouse.loadDeviceParam(), AppError::RecvBadLengthStore);
        EXPECT_EQ(mouse.customKeyList[0].modifier, 0x02);
        EXPECT_EQ(mouse.mouseSetting_FWBackUp->customKeyList[3].keyCode, 0x09);
        EXPECT_EQ(mouse.close(true), AppError::NoError);
        EXPECT_EQ(keysOf(emulated->stored()), keysOf(stored));
    }
}

// A restore that fails half-way: the first refused DPI setting ends it, as
// any other refused step does; nothing is stored, the backup stays, and the
// close reports the failure although it still ends the session.
TEST(MouseRestore, StoppedHalfWayStoresNothingAndTheCloseReportsIt)
{
    emu::ScopedVirtualBus bus;
    auto emulated = std::make_shared<Mouse>();
    ASSERT_TRUE(bus->attach(emulated, kLocation));
    MouseEntry mouse;
    ASSERT_EQ(mouse.open(kLocation), AppError::NoError);
    ASSERT_EQ(mouse.loadDeviceParam(), AppError::NoError);
    const Mouse::Record stored = emulated->stored();
    // Unsent changes: another LED colour and DPI values.
    ASSERT_EQ(mouse.CMD_SetLedSetting(3, 0, 0, 0), AppError::NoError);
    ASSERT_EQ(mouse.CMD_SetSensorDpiSetting(0, 0, 60), AppError::NoError);
    ASSERT_EQ(mouse.CMD_SetSensorDpiSetting(1, 0, 70), AppError::NoError);
    const Mouse::Record changed = emulated->live();
    emulated->clearLog();

    // The first DPI write (setting 1, not the selected one) is refused.
    emulated->inject({.kind = FaultKind::Status, .command = 0x50, .times = 1});
    EXPECT_EQ(mouse.mouseSetting_Restore(), AppError::RecvErrorStore);
    const std::vector<uint8_t> sent = emulated->commands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), uint8_t(0x50)), 1);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), uint8_t(0x51)), 0);
    EXPECT_EQ(emulated->storeCount(), 0);
    EXPECT_EQ(emulated->stored(), stored);
    EXPECT_NE(emulated->live(), stored);
    EXPECT_EQ(mouse.mouseSetting_FWBackUp->color, LedColor(stored[Mouse::kColor]));

    emulated->clearLog();
    emulated->live() = changed;
    emulated->inject({.kind = FaultKind::Status, .command = 0x50, .times = 1});
    EXPECT_EQ(mouse.close(true), AppError::RecvErrorStore);
    EXPECT_FALSE(mouse.hidIsOpened());
    EXPECT_FALSE(emulated->sessionOpen());
    EXPECT_EQ(emulated->storeCount(), 0);
    EXPECT_EQ(emulated->stored(), stored);
}
