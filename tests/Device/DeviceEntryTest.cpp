// The probe entry: what it answers through the device interface, and the
// probe itself against emulated devices.
#include "Device/DeviceEntry.h"

#include "KolventraTestFixture.h"
#include "support/EmulatedKeyboard.h"
#include "support/EmulatedMouse.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr uint32_t kLocation = 0x01100000;

class DeviceEntryTest : public ::testing::Test {
protected:
    emu::ScopedVirtualBus bus;
};

TEST_F(DeviceEntryTest, ThroughTheInterfaceItIsAnUnknownDisabledDeviceThatNeverTouchesTheDevice)
{
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(bus->attach(keyboard, kLocation));

    std::shared_ptr<IDeviceEntry> entry = std::make_shared<DeviceEntry>();
    EXPECT_EQ(entry->deviceType(), DeviceType::Unknown);
    EXPECT_FALSE(entry->isEnable());
    EXPECT_EQ(entry->close(true), AppError::NoError);
    EXPECT_EQ(entry->close(false), AppError::NoError);
    // Created with empty texts (present, not absent).
    EXPECT_EQ(entry->modelNumber(), std::optional<QString>(QString()));
    EXPECT_EQ(entry->firmwareVersion(), std::optional<QString>(QString()));
    EXPECT_EQ(entry->firmwareVersionCompare(), std::optional<QString>(QString()));
    EXPECT_TRUE(entry->profileExt().isEmpty());
    EXPECT_TRUE(entry->modelName().isEmpty());

    // The operations a probe does not offer fail without side effects.
    EXPECT_NE(entry->loadProfile(QStringLiteral("/nonexistent.key")), AppError::NoError);
    EXPECT_NE(entry->open(kLocation), AppError::NoError);
    EXPECT_NE(entry->loadDeviceParam(), AppError::NoError);
    EXPECT_FALSE(entry->hidIsOpened());
    EXPECT_EQ(entry->modelNumber(), std::optional<QString>(QString()));

    emu::pumpEvents();
    EXPECT_EQ(bus->openCount(), 0);
    EXPECT_TRUE(keyboard->log().empty());
}

TEST_F(DeviceEntryTest, CloseOfAnOpenProbeLeavesTheDeviceOpen)
{
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(bus->attach(keyboard, kLocation));
    DeviceEntry entry;
    ASSERT_EQ(entry.hidOpen(kLocation), AppError::NoError);
    EXPECT_EQ(entry.close(true), AppError::NoError);
    EXPECT_TRUE(entry.hidIsOpened());
    EXPECT_EQ(bus->openHandleCount(kLocation), 1);
    EXPECT_TRUE(keyboard->commands().empty()); // no end notice
    entry.hidClose();
    EXPECT_EQ(bus->openHandleCount(kLocation), 0);
}

// The probe: open, identify (no session notice), close; the three texts come
// from the device.
TEST_F(DeviceEntryTest, GetDeviceInfoProbesTheDeviceAtTheLocation)
{
    struct Case {
        const char* what;
        std::shared_ptr<emu::EmulatedDevice> device;
        QString model;
    };
    const Case cases[] = {
        {"keyboard", std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[0]),
         QString::fromLatin1(shipped::kModels[0].modelNumber.data(), qsizetype(shipped::kModels[0].modelNumber.size()))},
        {"mouse", std::make_shared<emu::EmulatedMouse>(shipped::kModels[2]),
         QString::fromLatin1(shipped::kModels[2].modelNumber.data(), qsizetype(shipped::kModels[2].modelNumber.size()))},
    };
    uint32_t location = kLocation;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        location += 0x00100000;
        ASSERT_TRUE(bus->attach(c.device, location));
        DeviceEntry probe;
        EXPECT_EQ(probe.getDeviceInfo(location), AppError::NoError);
        EXPECT_EQ(probe.modelNumber(), std::optional<QString>(c.model));
        EXPECT_FALSE(probe.firmwareVersion().value_or(QString()).isEmpty());
        EXPECT_FALSE(probe.firmwareVersionCompare().value_or(QString()).isEmpty());
        EXPECT_EQ(c.device->commands(), std::vector<uint8_t>{0x02});
        EXPECT_FALSE(probe.hidIsOpened());
        EXPECT_EQ(bus->openHandleCount(location), 0);
    }
}

TEST_F(DeviceEntryTest, GetDeviceInfoFailuresLeaveEmptyTexts)
{
    // Nothing at the location.
    {
        DeviceEntry probe;
        probe.setModelNumber(QStringLiteral("stale"));
        EXPECT_EQ(probe.getDeviceInfo(kLocation), AppError::BadDevice);
        EXPECT_EQ(probe.modelNumber(), std::optional<QString>(QString()));
    }
    // The device refuses the identification.
    {
        auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
        keyboard->inject({.kind = emu::FaultKind::Status, .command = 0x02});
        ASSERT_TRUE(bus->attach(keyboard, kLocation));
        DeviceEntry probe;
        EXPECT_EQ(probe.getDeviceInfo(kLocation), AppError::RecvErrorStore);
        EXPECT_EQ(probe.modelNumber(), std::optional<QString>(QString()));
        EXPECT_EQ(bus->openHandleCount(kLocation), 0);
    }
}

// The transport and firmware requirements reach the device's own commands.
TEST_F(DeviceEntryTest, InterfaceCommandsReachTheDevice)
{
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(bus->attach(keyboard, kLocation));
    std::shared_ptr<IDeviceEntry> entry = std::make_shared<DeviceEntry>();
    ASSERT_EQ(entry->hidOpen(kLocation), AppError::NoError);
    EXPECT_TRUE(entry->hidIsOpened());
    EXPECT_EQ(entry->CMD_RegistSetting(), AppError::NoError);
    EXPECT_EQ(keyboard->storeCount(), 1);
    const uint8_t chunk[3] = {1, 2, 3};
    EXPECT_EQ(entry->CMD_SendFwData(-1, chunk), AppError::BadParam); // chunk number out of range
    entry->hidClose();
    EXPECT_FALSE(entry->hidIsOpened());
    EXPECT_EQ(keyboard->commands(), std::vector<uint8_t>{0x04});
}

} // namespace
