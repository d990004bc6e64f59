// The mouse settings read against a reply report cut short: the custom keys
// lie past the reply's counted length, and a report that does not hold
// every field of its layout is no reading.
#include "Device/KolventraMouse.h"

#include "KolventraTestFixture.h"
#include "support/EmulatedMouse.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using emu::FaultKind;
using linktest::kLocation;
using Mouse = emu::EmulatedMouse;

// Reply reports as long as the fields of the layout (the header, then 21
// bytes of the older layout or 29 of the newer one) are read; one byte less
// is a length error with the record left zero.
TEST(MouseShortReply, ReplyTooShortForTheLayoutsFieldsIsALengthError)
{
    emu::ScopedVirtualBus bus;
    auto emulated = std::make_shared<Mouse>();
    // A custom key on each of buttons 3 to 6.
    for (int i = 0; i < 8; ++i)
        emulated->live()[Mouse::kCustomKeys + i] = uint8_t(0x02 + i);
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
