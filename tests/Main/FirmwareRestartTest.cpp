// The end of a successful firmware update in the whole application on the
// virtual bus: the device restarts into its new firmware, so the window lets
// go of the handle it still holds without sending the device anything, and
// logs no failure, even when the device is back before the window lets go.
#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/DialogFirmwareUpdate.h"
#include "Dialog/DialogHooks.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "support/EmulatedKeyboard.h"
#include "support/ui/AppHarness.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

using apptest::AppHarness;

TEST(FirmwareRestart, HandleOfTheRestartedDeviceIsLetGoWithoutAWriteOrAnError)
{
    AppHarness app(apptest::devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    emu::EmulatedKeyboard& keyboard = *app.keyboard;
    const int32_t location = main.conectDeviceLocation();
    keyboard.setRebootDelay(platform::Seconds(0.002));
    const auto& dev = AppParam::device;
    AppParam::firmwareFilePath = app.workFolder() + QStringLiteral("/fw.vxb");
    ASSERT_TRUE(fwtest::writeFile(AppParam::firmwareFilePath,
                                  fwtest::makeFirmware(dev->modelNumber().value_or(QString()).toLatin1(),
                                                       fwtest::versionBytes(*dev->firmwareVersionCompare()))));
    // The keyboard is back at its place, in its new firmware, before the
    // update hands back to the window.
    int endsAfterUpdate = -1;
    bool backBeforeTheWindow = false;
    dialogHooks().firmwareUpdate = [&](QWidget*) {
        DialogFirmwareUpdate dialog;
        const AppError result = dialog.startUpdate();
        backBeforeTheWindow = AppHarness::waitFor([&] {
            return keyboard.mode() == emu::EmulatedDevice::Mode::Application &&
                   AppUtil::isConnectedDevice(location);
        });
        endsAfterUpdate = keyboard.endCount();
        return result;
    };
    std::vector<std::string> lines;
    const Logger::Sink previous = Logger::setSink([&](const std::string& line) { lines.push_back(line); });
    main.execFirmwareUpdate();
    Logger::setSink(previous);
    dialogHooks().firmwareUpdate = nullptr;

    ASSERT_EQ(keyboard.updatesCompleted(), 1);
    ASSERT_TRUE(backBeforeTheWindow);
    EXPECT_EQ(keyboard.endCount(), endsAfterUpdate);
    for (const std::string& line : lines)
        EXPECT_EQ(line.find("ERROR"), std::string::npos) << line;
    // The keyboard is taken up again with its new firmware.
    EXPECT_TRUE(AppHarness::waitFor([&] {
        return keyboard.mode() == emu::EmulatedDevice::Mode::Application && main.conectDeviceLocation() == location &&
               AppParam::device->hidIsOpened();
    }));
}
