// A firmware update that stops after the device has restarted into its
// updater, in the whole application on the virtual bus: whatever stopped it
// (a refused or garbled reply, the device pulled out during the transfer or
// while the application waits for it), the device comes back asking for its
// update. It is then connected once, with one question, and the update
// started again from its Other tab goes through.
#include "AppParam.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/DialogFirmwareFileSelect.h"
#include "Dialog/DialogFirmwareUpdate.h"
#include "Dialog/DialogHooks.h"
#include "FunctionPanel/FunctionMOtherSettingController.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "Platform/RunLoop.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/ScriptedFileChooser.h"
#include "support/ui/WindowProbe.h"

#include <QPushButton>
#include <QTest>

#include <ostream>

#include <gtest/gtest.h>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

// What stops the first update once the device has restarted into its updater.
enum class Stop {
    RefusedStart,      // 0xE1 answered with an error status
    GarbledStart,      // 0xE1 answered with a reply for another command
    RefusedChunk,      // one 0xE2 chunk refused
    GarbledChunk,      // one 0xE2 chunk answered garbled
    RefusedEnd,        // 0xE3 refused
    GarbledEnd,        // 0xE3 refused, and the refusal arrives garbled
    GarbledReboot,     // 0xE0 answered garbled although the device restarts
    UnplugInTransfer,  // pulled out during the transfer, plugged in later
    UnplugInFirstWait, // pulled out while the application waits for it
};

struct Case {
    Stop stop;
    bool mouse;
};

const char* nameOf(Stop s)
{
    switch (s) {
    case Stop::RefusedStart: return "RefusedStart";
    case Stop::GarbledStart: return "GarbledStart";
    case Stop::RefusedChunk: return "RefusedChunk";
    case Stop::GarbledChunk: return "GarbledChunk";
    case Stop::RefusedEnd: return "RefusedEnd";
    case Stop::GarbledEnd: return "GarbledEnd";
    case Stop::GarbledReboot: return "GarbledReboot";
    case Stop::UnplugInTransfer: return "UnplugInTransfer";
    case Stop::UnplugInFirstWait: return "UnplugInFirstWait";
    }
    return "?";
}

void PrintTo(const Case& c, std::ostream* os)
{
    *os << (c.mouse ? "mouse, " : "keyboard, ") << nameOf(c.stop);
}

constexpr uint8_t kReboot = 0xE0, kStart = 0xE1, kChunk = 0xE2, kEnd = 0xE3;
// Back from a restart long before the application looks for the device.
constexpr platform::Seconds kQuickRestart{0.002};

class FirmwareRecovery : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        const Case c = GetParam();
        HarnessOptions o;
        o.keyboard = !c.mouse;
        o.mouse = c.mouse;
        // Each update waits 10 s (keyboard) or 15 s (mouse) for the device's
        // restart, twice; the device is back long before.
        o.timeScale = 0.004;
        app = std::make_unique<AppHarness>(o);
        ASSERT_TRUE(app->start());
        if (c.mouse)
            dev = app->mouse;
        else
            dev = app->keyboard;
        location = int32_t(dev->location());
        ASSERT_EQ(app->controller().conectDeviceLocation(), location);
        applicationUpdate = dialogHooks().firmwareUpdate;
        dev->setRebootDelay(kQuickRestart);
        const auto& d = AppParam::device;
        file = app->workFolder() + QStringLiteral("/fw.vxb");
        ASSERT_TRUE(fwtest::writeFile(file, fwtest::makeFirmware(d->modelNumber().value_or(QString()).toLatin1(),
                                                                  fwtest::versionBytes(*d->firmwareVersionCompare()))));
    }
    void TearDown() override
    {
        dialogHooks() = savedHooks;
        app.reset();
    }

    MainViewController& main() { return app->controller(); }
    MainTabView* otherTab()
    {
        return uitest::WindowProbe::tabView(main(), GetParam().mouse ? FunctionTab::MOtherSetting : FunctionTab::OtherSetting);
    }
    MainTabView* settingsTab()
    {
        return uitest::WindowProbe::tabView(main(), GetParam().mouse ? FunctionTab::MButtonSetting : FunctionTab::GamingSetting);
    }
    FunctionTab otherFunction() const { return GetParam().mouse ? FunctionTab::MOtherSetting : FunctionTab::OtherSetting; }
    TabMenuView* otherMenu()
    {
        if (GetParam().mouse)
            return dynamic_cast<FunctionMOtherSettingController&>(*uitest::WindowProbe::tabPanel(main(), FunctionTab::MOtherSetting)).menuView();
        return dynamic_cast<FunctionOtherSettingController&>(*uitest::WindowProbe::tabPanel(main(), FunctionTab::OtherSetting)).menuView();
    }
    int retryQuestions() const
    {
        return int(std::count(app->asked.begin(), app->asked.end(), QStringLiteral("RetryFirmwareUpdate")));
    }
    bool connectedAndOpen()
    {
        return main().conectDeviceLocation() == location && AppParam::device->hidIsOpened();
    }

    // The update as the user starts it: the Other tab, its menu, the
    // firmware row, the file chosen and confirmed in the file dialog.
    void updateFromTheOtherTab()
    {
        MainTabView* tab = otherTab();
        if (AppParam::functionTabSelect != otherFunction())
            apptest::clickTabTitle(tab);
        apptest::clickTabTriangle(tab);
        ASSERT_TRUE(otherMenu() && otherMenu()->isShown());
        TabMenuSettingItemView* row = otherMenu()->row(FunctionItem::FWUpdate);
        ASSERT_NE(row, nullptr);
        ASSERT_TRUE(row->isEnable());
        chooser.answers.push_back(file);
        uitest::pickAndConfirmNext(DialogKind::FirmwareFileSelect);
        QTest::mouseClick(row, Qt::LeftButton);
    }

    // The first update's run, with the fault of this case armed.
    void armTheStop()
    {
        const Stop stop = GetParam().stop;
        switch (stop) {
        case Stop::RefusedStart: dev->inject({.kind = emu::FaultKind::Status, .command = kStart}); break;
        case Stop::GarbledStart: dev->inject({.kind = emu::FaultKind::WrongEcho, .command = kStart}); break;
        case Stop::RefusedEnd: dev->inject({.kind = emu::FaultKind::Status, .command = kEnd}); break;
        case Stop::GarbledEnd:
            dev->inject({.kind = emu::FaultKind::Status, .command = kEnd});
            dev->inject({.kind = emu::FaultKind::WrongSignature, .command = kEnd});
            break;
        case Stop::GarbledReboot: dev->inject({.kind = emu::FaultKind::WrongEcho, .command = kReboot}); break;
        default: break;
        }
        dialogHooks().firmwareUpdate = [this, stop](QWidget* body) {
            DialogFirmwareUpdate dialog;
            dialog.updateView()->setParent(body);
            dialog.updateView()->setGeometry(body->rect());
            dialog.updateView()->show();
            dialog.beforeChunk = [this, stop](int i) {
                if (i != 7)
                    return;
                if (stop == Stop::RefusedChunk)
                    dev->inject({.kind = emu::FaultKind::Status, .command = kChunk});
                else if (stop == Stop::GarbledChunk)
                    dev->inject({.kind = emu::FaultKind::WrongEcho, .command = kChunk});
                else if (stop == Stop::UnplugInTransfer)
                    dev->detach();
            };
            if (stop == Stop::UnplugInFirstWait) {
                // Back in its updater, then pulled out before the
                // application opens it again.
                dialog.sleeper = [this, first = true](platform::Seconds s) mutable {
                    if (first) {
                        first = false;
                        EXPECT_TRUE(AppHarness::waitFor([this] { return dev->attached(); }));
                        dev->detach();
                    }
                    platform::EventWait pause;
                    (void)pause.run([] { return false; }, s);
                };
            }
            return dialog.startUpdate();
        };
    }

    std::unique_ptr<AppHarness> app;
    std::shared_ptr<emu::EmulatedDevice> dev;
    int32_t location = 0;
    QString file;
    ScriptedFileChooser chooser;
    DialogHooks savedHooks = dialogHooks();
    std::function<AppError(QWidget*)> applicationUpdate;
};

} // namespace

TEST_P(FirmwareRecovery, DeviceLeftInItsUpdaterIsConnectedOnceAndItsUpdateGoesThrough)
{
    const Stop stop = GetParam().stop;
    armTheStop();
    updateFromTheOtherTab();
    EXPECT_EQ(dev->updatesCompleted(), 0);
    if (stop == Stop::UnplugInTransfer || stop == Stop::UnplugInFirstWait) {
        ASSERT_FALSE(dev->attached());
        EXPECT_NE(main().conectDeviceLocation(), location);
        ASSERT_TRUE(app->bus().attach(dev, uint32_t(location)));
    }

    // Back in its updater, it asks for its update once and stays connected.
    ASSERT_TRUE(AppHarness::waitFor([this] { return connectedAndOpen() && retryQuestions() > 0; }))
        << "connected " << std::hex << main().conectDeviceLocation() << std::dec << ", questions " << retryQuestions();
    EXPECT_EQ(dev->mode(), emu::EmulatedDevice::Mode::Updater);
    // Whatever else runs now (hot-plug notices, timers) leaves it so.
    AppHarness::waitFor([] { return false; }, 200);
    EXPECT_TRUE(connectedAndOpen());
    EXPECT_EQ(retryQuestions(), 1);
    EXPECT_EQ(AppParam::functionTabSelect, otherFunction());
    // A setting tab, which would read the device, does not start the cycle again.
    QTest::mouseClick(settingsTab(), Qt::LeftButton, {}, QPoint(20, settingsTab()->height() / 2));
    EXPECT_TRUE(connectedAndOpen());
    EXPECT_EQ(retryQuestions(), 1);

    // The update started again from the Other tab completes, and the
    // device is back from its updater.
    dev->clearFaults();
    dialogHooks().firmwareUpdate = applicationUpdate;
    updateFromTheOtherTab();
    EXPECT_EQ(dev->updatesCompleted(), 1);
    ASSERT_TRUE(AppHarness::waitFor(
        [this] {
            return connectedAndOpen() &&
                   dev->mode() == emu::EmulatedDevice::Mode::Application;
        },
        5000));
    EXPECT_FALSE(dev->updatePending());
    EXPECT_TRUE(dev->sessionOpen());
    EXPECT_EQ(retryQuestions(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStop, FirmwareRecovery,
    ::testing::ValuesIn([] {
        std::vector<Case> cases;
        for (bool mouse : {false, true})
            for (Stop s : {Stop::RefusedStart, Stop::GarbledStart, Stop::RefusedChunk, Stop::GarbledChunk,
                           Stop::RefusedEnd, Stop::GarbledEnd, Stop::GarbledReboot, Stop::UnplugInTransfer,
                           Stop::UnplugInFirstWait})
                cases.push_back({s, mouse});
        return cases;
    }()),
    [](const ::testing::TestParamInfo<Case>& info) {
        return std::string(info.param.mouse ? "Mouse" : "Keyboard") + nameOf(info.param.stop);
    });
