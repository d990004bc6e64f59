// The whole application on the virtual bus: which device is connected at
// start, hot-plug while idle and under a dialog, devices that keep failing,
// recovery, unsent changes on a device switch and at exit, and what shutdown
// writes.
#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "FunctionPanel/FunctionPanel.h"
#include "FunctionPanel/PanelHost.h"
#include "MainView.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "CustomControl/KeyboardListView.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/UiGeometry.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "Dialog/DialogHooks.h"
#include "Dialog/ModalDialog.h"
#include "KeyboardView/KeyboardView.h"
#include "KeyboardView/KeyboardViewDelegate.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "Utility/ZipUtil.h"
#include "XML/ApplicationProfile.h"
#include "XML/DeviceProfileTestSupport.h"
#include "XML/MouseProfile.h"
#include "XML/MouseTabPictures.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QApplication>
#include <QMouseEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <thread>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;
using apptest::HarnessOptions;
using apptest::devices;
using apptest::kKeyboardLocation;
using apptest::kMouseLocation;

namespace {

constexpr int32_t kbLoc = int32_t(kKeyboardLocation);
constexpr int32_t mouseLoc = int32_t(kMouseLocation);

DeviceType currentKind() { return AppParam::device->deviceType(); }

// Marks unsent changes the way a panel does after a successful command.
void markChanged(MainViewController& main)
{
    AppParam::keyboardSettingsChanged = true;
    main.updateKeyboardSettingsChanged();
}

void clickTile(MainViewController& main, int index)
{
    QTest::mouseClick(uitest::WindowProbe::window(main).selectKeybordButton, Qt::LeftButton);
    ASSERT_LT(index, int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()));
    QTest::mouseClick(uitest::WindowProbe::window(main).keyboardList->detailArray()[size_t(index)]->view(), Qt::LeftButton);
}

} // namespace

TEST(MainWindowStart, ConnectsRememberedDeviceElseFirstElseShowsNoDeviceView)
{
    {
        AppHarness app(devices(true, true, mouseLoc));
        ASSERT_TRUE(app.start());
        auto& main = app.controller();
        EXPECT_EQ(main.conectDeviceLocation(), mouseLoc);
        EXPECT_EQ(currentKind(), DeviceType::Mouse);
        EXPECT_TRUE(app.mouse->sessionOpen());
        EXPECT_FALSE(app.keyboard->sessionOpen());
        EXPECT_EQ(int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()), 2);
        EXPECT_FALSE(uitest::WindowProbe::tabView(main, FunctionTab::MButtonSetting)->isHidden());
        EXPECT_TRUE(uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting)->isHidden());
        EXPECT_EQ(uitest::WindowProbe::window(main).keyboardModelLabel->text(), QStringLiteral("Model VXKVM006 Rev A1"));
    }
    {
        // Remembered device absent: the first of the sorted list (the keyboard).
        AppHarness app(devices(true, true, 0x07700000));
        ASSERT_TRUE(app.start());
        EXPECT_EQ(app.controller().conectDeviceLocation(), kbLoc);
        EXPECT_TRUE(app.keyboard->sessionOpen());
        EXPECT_TRUE(uitest::WindowProbe::window(app.controller()).keyboardErrorView->isHidden());
        EXPECT_TRUE(uitest::WindowProbe::window(app.controller()).saveProfileButton->isEnabled());
    }
    {
        AppHarness app(devices(false, false));
        ASSERT_TRUE(app.start());
        auto& main = app.controller();
        EXPECT_EQ(main.conectDeviceLocation(), -1);
        EXPECT_FALSE(uitest::WindowProbe::window(main).keyboardErrorView->isHidden());
        EXPECT_FALSE(uitest::WindowProbe::window(main).saveProfileButton->isEnabled());
        EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
        EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::OtherSetting);
        EXPECT_EQ(int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()), 0);
    }
}

TEST(MainWindowHotPlug, PluggingInKeepsTheConnectedDeviceAndUnpluggingMovesOn)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    ASSERT_EQ(main.conectDeviceLocation(), kbLoc);

    auto mouse = std::make_shared<emu::EmulatedMouse>();
    app.bus().attach(mouse, kMouseLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()) == 2; }));
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);
    EXPECT_FALSE(mouse->sessionOpen());
    EXPECT_EQ(app.keyboard->startCount(), 1);

    app.bus().detach(kKeyboardLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == mouseLoc; }));
    EXPECT_TRUE(mouse->sessionOpen());
    EXPECT_EQ(int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()), 1);
    EXPECT_TRUE(uitest::WindowProbe::window(main).keyboardErrorView->isHidden());

    // The last device leaves: the no-device view, with the mouse's tab row.
    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::MLedSetting));
    app.bus().detach(kMouseLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == -1; }));
    EXPECT_FALSE(uitest::WindowProbe::window(main).keyboardErrorView->isHidden());
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::MOtherSetting);
    EXPECT_FALSE(uitest::WindowProbe::tabView(main, FunctionTab::MLedSetting)->tabEnabled());
    EXPECT_TRUE(uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting)->tabEnabled());

    // It comes back: the tab the user had returns.
    app.bus().attach(mouse, kMouseLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == mouseLoc; }));
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::MLedSetting);
}

TEST(MainWindowHotPlug, DeviceBackAtTheSamePlaceBeforeTheListUpdateGetsAFreshSession)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    ASSERT_EQ(main.conectDeviceLocation(), kbLoc);
    const int starts = app.keyboard->startCount();

    // Pulled and pushed back in before the window looked at the bus: the
    // list looks the same, but the old session died with the old node.
    app.bus().detach(kKeyboardLocation);
    app.bus().attach(app.keyboard, kKeyboardLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return app.keyboard->sessionOpen(); }));
    EXPECT_EQ(app.keyboard->startCount(), starts + 1);
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);
    EXPECT_TRUE(AppParam::device->hidIsOpened());
    EXPECT_FALSE(AppParam::device->hidWasRemoved());

    // What the user sends now reaches the device.
    markChanged(main);
    QTest::mouseClick(uitest::WindowProbe::window(main).sendButton, Qt::LeftButton);
    EXPECT_EQ(app.keyboard->storeCount(), 1);
    EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
}

TEST(MainWindowHotPlug, DeviceLeavingForOneThatCannotBeShownLeavesTheWindowWithoutADevice)
{
    // The shipped data from a copy that the mouse's package is taken out of
    // once both devices are listed: the mouse cannot be connected any more.
    QTemporaryDir data;
    ASSERT_TRUE(data.isValid());
    const QString from = AppUtil::resourceProfileFolder();
    const QDir profiles(data.filePath(QStringLiteral("Profile")));
    ASSERT_TRUE(QDir().mkpath(profiles.path()));
    for (const QString& name : QDir(from).entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(from + name, profiles.filePath(name)));
    AppUtil::setResourceDataFolder(data.path());
    struct ShippedDataBack {
        ~ShippedDataBack() { AppUtil::setResourceDataFolder(QString()); }
    } shippedDataBack;

    AppHarness app(devices(true, true, int32_t(kKeyboardLocation)));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    ASSERT_EQ(main.conectDeviceLocation(), kbLoc);
    for (const QString& name : profiles.entryList({QStringLiteral("*.mou")}, QDir::Files))
        ASSERT_TRUE(QFile::remove(profiles.filePath(name)));

    // The keyboard is pulled while the profile save dialog is up.
    bool dialogEnded = false;
    uitest::whenDialogShown(DialogKind::ProfileSave, [&](ModalDialog* dialog) {
        app.bus().detach(kKeyboardLocation);
        // Ended for the device's removal (its run returns once this action does).
        dialogEnded = AppHarness::waitFor([&] { return dialog->isClosingAll(); }, 3000);
        if (!dialogEnded)
            dialog->closeAllWindow();
    });
    QTest::mouseClick(uitest::WindowProbe::window(main).saveProfileButton, Qt::LeftButton);
    EXPECT_TRUE(dialogEnded);
    // The gone keyboard is not shown as connected: the window has no device.
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == -1; }));
    EXPECT_FALSE(uitest::WindowProbe::window(main).keyboardErrorView->isHidden());
}

// The connected mouse's newer package has no picture for the device strip:
// the mouse is let go as if it were gone, sent nothing (no restore, store or
// end notice), and the keyboard is connected in its place.
TEST(MainWindowHotPlug, ConnectedDeviceWhoseEntryIsUnusableIsLetGoWithoutTraffic)
{
    AppHarness app(devices(true, true, mouseLoc));
    ASSERT_TRUE(fwtest::makePackage(AppUtil::resourceProfileFolder() + QStringLiteral("KVM006.mou"),
                                    app.workFolder() + QStringLiteral("/KVM006.mou"),
                                    {.profileVersion = QStringLiteral("KVM006_1_2_1"),
                                     .mouseImage = QStringLiteral("Missing.png")}));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == kbLoc; }));
    EXPECT_EQ(app.mouse->startCount(), 1);  // it was connected
    EXPECT_EQ(app.mouse->endCount(), 0);
    EXPECT_EQ(app.mouse->storeCount(), 0);
    const auto sent = app.mouse->commands();
    EXPECT_TRUE(std::all_of(sent.begin(), sent.end(), [](uint8_t c) { return c <= 0x02 || c == 0x05; }));
    EXPECT_EQ(int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()), 1);
}

TEST(MainWindowHotPlug, UnplugUnderAMessageBoxAnswersItForTheUser)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    app.answer = [](const QString&) { return -1; };  // the user does not answer
    markChanged(main);
    ASSERT_FALSE(uitest::WindowProbe::window(main).sendButton->isHidden());

    // The Send question is up when the keyboard is pulled.
    QTimer::singleShot(30, [&] { app.bus().detach(kKeyboardLocation); });
    const AppError result = main.onSaveTheKeyboard();
    EXPECT_EQ(result, AppError::UiCancel);  // two buttons: answered with Cancel
    EXPECT_EQ(app.keyboard->storeCount(), 0);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == mouseLoc; }));
    EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());

    // A one-button box is answered with OK.
    QTimer::singleShot(30, [&] { app.bus().detach(kMouseLocation); });
    EXPECT_EQ(AppUtil::messageBox(QStringLiteral("RetryFirmwareUpdate"), QStringLiteral("OK"), QString()), 1);
}

TEST(MainWindowRecovery, FailingCommandReconnectsTheSameDevice)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    markChanged(main);
    const int starts = app.keyboard->startCount();

    main.setConnectedDeviceError(0);  // no entry has it: nothing happens
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
    EXPECT_EQ(app.keyboard->startCount(), starts);

    main.setConnectedDeviceError(kbLoc);
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);
    EXPECT_EQ(app.keyboard->startCount(), starts + 1);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
    EXPECT_EQ(uitest::WindowProbe::devices(main).planeDeviceList().size(), 2u);
}

TEST(MainWindowRecovery, DeviceThatNeverOpensEndsDisabledAndTellsOnceAboutPermissions)
{
    AppHarness app(devices(true, true));
    app.bus().setOpenRefusal(kKeyboardLocation, platform::hid::Status::NotPermitted);
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    // One retry, then the keyboard is skipped and the mouse connected.
    EXPECT_EQ(main.conectDeviceLocation(), mouseLoc);
    ASSERT_EQ(uitest::WindowProbe::devices(main).deviceList().size(), 1u);
    EXPECT_EQ(uitest::WindowProbe::devices(main).deviceList()[0].deviceLocation, mouseLoc);
    EXPECT_EQ(std::count(app.asked.begin(), app.asked.end(), QStringLiteral("DevicePermissionDenied")), 1);

    // Another plug event does not revive it, and says nothing again.
    auto other = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[1]);
    app.bus().attach(other, 0x01300000);
    ASSERT_TRUE(AppHarness::waitFor([&] { return int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()) == 2; }));
    EXPECT_EQ(main.conectDeviceLocation(), mouseLoc);
    EXPECT_EQ(std::count(app.asked.begin(), app.asked.end(), QStringLiteral("DevicePermissionDenied")), 1);

    // Unplugged and plugged again with access granted: usable again.
    auto listed = [&](int32_t loc) {
        return std::any_of(uitest::WindowProbe::devices(main).deviceList().begin(), uitest::WindowProbe::devices(main).deviceList().end(),
                           [&](const auto& e) { return e.deviceLocation == loc; });
    };
    app.bus().detach(kKeyboardLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return uitest::WindowProbe::devices(main).planeDeviceList().size() == 2; }));
    app.bus().setOpenRefusal(kKeyboardLocation, std::nullopt);
    app.bus().attach(app.keyboard, kKeyboardLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return listed(kbLoc); }));
    int tile = 0;
    while (uitest::WindowProbe::devices(main).deviceList()[size_t(tile)].deviceLocation != kbLoc)
        ++tile;
    clickTile(main, tile);
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);
    EXPECT_TRUE(app.keyboard->sessionOpen());
}

TEST(MainWindowRecovery, SettingsThatNeverReadFallBackToTheNextDevice)
{
    AppHarness app(devices(true, true));
    app.keyboard->inject({.kind = emu::FaultKind::Status, .command = 0x43, .times = -1});
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    EXPECT_EQ(main.conectDeviceLocation(), mouseLoc);
    EXPECT_EQ(currentKind(), DeviceType::Mouse);
    // Opened twice (the first try and one retry), each closed again.
    EXPECT_EQ(app.keyboard->startCount(), 2);
    EXPECT_FALSE(app.keyboard->sessionOpen());
}

TEST(MainWindowSend, SwitchWithUnsentChangesAsksAndActsOnTheAnswer)
{
    for (const int reply : {0, 1}) {
        AppHarness app(devices(true, true));
        ASSERT_TRUE(app.start());
        auto& main = app.controller();
        app.answer = [reply](const QString&) { return reply; };
        markChanged(main);
        clickTile(main, 1);
        ASSERT_FALSE(app.asked.empty());
        EXPECT_EQ(app.asked.back(), QStringLiteral("CheckKeyboardSettingsSave"));
        EXPECT_EQ(app.keyboard->storeCount(), reply);  // stored only after Yes
        EXPECT_EQ(main.conectDeviceLocation(), mouseLoc);
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
        EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
    }
    {
        // The store command fails: the switch is abandoned, the keyboard
        // reconnected by the recovery.
        AppHarness app(devices(true, true));
        ASSERT_TRUE(app.start());
        auto& main = app.controller();
        app.keyboard->inject({.kind = emu::FaultKind::Status, .command = 0x04, .times = -1});
        markChanged(main);
        clickTile(main, 1);
        EXPECT_EQ(main.conectDeviceLocation(), kbLoc);
        EXPECT_EQ(app.keyboard->storeCount(), 0);
        EXPECT_FALSE(app.mouse->sessionOpen());
        EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
    }
}

TEST(MainWindowSend, SendButtonStoresAfterYesAndKeepsTheChangesAfterNo)
{
    AppHarness app(devices(false, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    uitest::WindowProbe::window(main).sendButton->click();  // nothing unsent: no question
    EXPECT_TRUE(app.asked.empty());

    markChanged(main);
    app.answer = [](const QString&) { return 0; };
    QTest::mouseClick(uitest::WindowProbe::window(main).sendButton, Qt::LeftButton);
    EXPECT_EQ(app.asked.back(), QStringLiteral("CheckMouseSettingsSave"));
    EXPECT_EQ(app.mouse->storeCount(), 0);
    EXPECT_FALSE(uitest::WindowProbe::window(main).sendButton->isHidden());

    app.answer = nullptr;
    QTest::mouseClick(uitest::WindowProbe::window(main).sendButton, Qt::LeftButton);
    EXPECT_EQ(app.mouse->storeCount(), 1);
    EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
    EXPECT_FALSE(uitest::WindowProbe::window(main).maskView);
}

TEST(MainWindowShutdown, QuitAsksAboutUnsentChangesAndWritesTheSettings)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting));
    markChanged(main);

    app.answer = [](const QString&) { return 0; };
    QTest::mouseClick(uitest::WindowProbe::window(main).closeButton, Qt::LeftButton);
    EXPECT_EQ(app.asked.back(), QStringLiteral("ApplicationExitCheck"));
    EXPECT_TRUE(uitest::WindowProbe::window(main).mainView->isVisible());
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(app.keyboard->sessionOpen());
    EXPECT_FALSE(QFile::exists(AppUtil::appWorkFolder() + QLatin1String(AppParam::APP_SETTINGS_INI)));

    app.answer = nullptr;
    uitest::WindowProbe::window(main).mainView->move(123, 77);
    QTest::mouseClick(uitest::WindowProbe::window(main).closeButton, Qt::LeftButton);
    EXPECT_FALSE(uitest::WindowProbe::window(main).mainView->isVisible());
    EXPECT_FALSE(app.keyboard->sessionOpen());
    EXPECT_EQ(app.keyboard->storeCount(), 0);  // unsent changes are not stored

    AppParam::functionTabSelect = FunctionTab::None;
    AppParam::windowPlacement = WINDOWPLACEMENT{};
    AppParam::selectDeviceLocation = 0;
    ASSERT_EQ(ApplicationProfile::load(), AppError::NoError);
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::GamingSetting);
    EXPECT_EQ(AppParam::selectDeviceLocation, kbLoc);
    EXPECT_EQ(AppParam::windowPlacement.normalPosition, QRectF(123, 77, 1000, 700));
}

TEST(MainWindowShutdown, RefusedWhileAModalDialogOrAFirmwareUpdateRuns)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    // Asked from inside a running update, which then ends refused as busy:
    // nothing was sent and nothing is left to recover.
    bool refusedWhileUpdating = false;
    const auto update = dialogHooks().firmwareUpdate;
    dialogHooks().firmwareUpdate = [&](QWidget*) {
        refusedWhileUpdating = !uitest::WindowProbe::windowClosing(main);
        return AppError::DeviceIsInvalid;
    };
    main.execFirmwareUpdate();
    dialogHooks().firmwareUpdate = update;
    EXPECT_TRUE(refusedWhileUpdating);

    app.answer = [](const QString&) { return -1; };
    bool refused = false;
    QTimer::singleShot(20, [&] {
        refused = !uitest::WindowProbe::windowClosing(main);
        main.plugInOffKeyboard();  // ends the box
    });
    AppUtil::messageBox(QStringLiteral("RetryFirmwareUpdate"), QStringLiteral("OK"), QString());
    EXPECT_TRUE(refused);
    EXPECT_TRUE(uitest::WindowProbe::windowClosing(main));
}

TEST(MainWindowShutdown, TabLeftForTheNoDeviceViewIsTheOneSaved)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting));
    app.bus().detach(kKeyboardLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == -1; }));
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::OtherSetting);
    ASSERT_TRUE(uitest::WindowProbe::windowClosing(main));
    AppParam::functionTabSelect = FunctionTab::None;
    ASSERT_EQ(ApplicationProfile::load(), AppError::NoError);
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::GamingSetting);
}

TEST(MainWindowTabs, ClicksShowThePanelOfThePositionAndSetTheTabLooks)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    // The key-lock panel's set-up reads the key-lock switch (0x83).
    auto switchReads = [&] {
        const auto c = app.keyboard->commands();
        return std::count(c.begin(), c.end(), uint8_t(0x83));
    };
    const auto before = switchReads();
    QTest::mouseClick(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::GamingSetting);
    EXPECT_EQ(switchReads(), before + 1);
    EXPECT_EQ(uitest::WindowProbe::currentKeyboardView(main), uitest::WindowProbe::tabPanel(main, FunctionTab::GamingSetting)->keyboardView());
    EXPECT_TRUE(uitest::WindowProbe::tabPanel(main, FunctionTab::ApcSetting)->keyboardView()->isHidden());
    EXPECT_EQ(uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting)->tabStatus(), TabStatus::notActive);
    EXPECT_EQ(uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting)->tabGradient(), TabGradient::right);
    EXPECT_EQ(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting)->tabStatus(), TabStatus::active);
    EXPECT_EQ(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting)->tabGradient(), TabGradient::none);
    EXPECT_EQ(uitest::WindowProbe::tabView(main, FunctionTab::OtherSetting)->tabGradient(), TabGradient::left);

    // A tab of the other kind is stored as it is and shows its position.
    uitest::WindowProbe::selectFunctionTab(main, FunctionTab::MButtonSetting);
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::MButtonSetting);
    EXPECT_EQ(uitest::WindowProbe::currentKeyboardView(main), uitest::WindowProbe::tabPanel(main, FunctionTab::ApcSetting)->keyboardView());

    clickTile(main, 1);
    ASSERT_EQ(currentKind(), DeviceType::Mouse);
    uitest::WindowProbe::selectFunctionTab(main, FunctionTab::OtherSetting);
    EXPECT_EQ(uitest::WindowProbe::currentKeyboardView(main), uitest::WindowProbe::tabPanel(main, FunctionTab::MSensorSetting)->keyboardView());
    EXPECT_FALSE(uitest::WindowProbe::tabPanel(main, FunctionTab::MSensorSetting)->keyboardView()->isHidden());
}

TEST(MainWindowTabs, OtherTabChoiceCarriesFromMouseToKeyboard)
{
    AppHarness app(devices(true, true, mouseLoc));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    QTest::mouseClick(uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting), Qt::LeftButton, {}, QPoint(20, 20));
    clickTile(main, 0);
    ASSERT_EQ(currentKind(), DeviceType::Keyboard);
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::OtherSetting);
}

TEST(MainWindowPanels, SetUpKeepsTheFlagUnlessTheDeviceWasReplaced)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    markChanged(main);
    {
        SettingsChangedScope scope;
        AppParam::keyboardSettingsChanged = false;  // reading back
    }
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
    EXPECT_FALSE(uitest::WindowProbe::window(main).sendButton->isHidden());
    {
        SettingsChangedScope scope;
        main.setConnectedDeviceError(kbLoc);  // a recovery inside the set-up
    }
    EXPECT_TRUE(AppParam::keyboardSettingsChangedStack.isEmpty());
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
}

TEST(MainWindowActions, StripMenusAndLinks)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    std::vector<QString> opened;
    uitest::WindowProbe::setOpenUrl(main, [&](const QString& url) { opened.push_back(url); });

    QTest::mouseClick(uitest::WindowProbe::window(main).selectKeybordButton, Qt::LeftButton);
    ASSERT_TRUE(uitest::WindowProbe::window(main).maskView);
    EXPECT_FALSE(uitest::WindowProbe::window(main).keyboardSelectView->isHidden());
    // A click on the mask closes the strip and takes the mask away.
    QTest::mouseClick(uitest::WindowProbe::window(main).maskView, Qt::LeftButton, {}, QPoint(500, 100));
    ASSERT_TRUE(AppHarness::waitFor([&] { return uitest::WindowProbe::window(main).keyboardSelectView->isHidden(); }));
    EXPECT_FALSE(uitest::WindowProbe::window(main).maskView);

    uitest::WindowProbe::window(main).qaManualMenuItem->trigger();
    uitest::WindowProbe::window(main).userManualMenuItem->trigger();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QStringLiteral("https://www.example.com/kolventra/faq"));
    EXPECT_EQ(opened[1], QStringLiteral("https://www.example.com/kolventra/manual"));

    // An open menu closes when the number of attached devices changes.
    QMenu* help = nullptr;
    for (QObject* o : uitest::WindowProbe::window(main).qaManualMenuItem->associatedObjects())
        if (auto* m = qobject_cast<QMenu*>(o))
            help = m;
    ASSERT_NE(help, nullptr);
    help->popup(QPoint(10, 10));
    ASSERT_TRUE(AppHarness::waitFor([&] { return help->isVisible(); }));
    app.bus().detach(kMouseLocation);
    EXPECT_TRUE(AppHarness::waitFor([&] { return !help->isVisible(); }, 1000));
}

TEST(MainWindowPlacement, StoredOriginIsMovedBackOntoTheScreen)
{
    HarnessOptions options = devices(false, false);
    options.screen = QRect(0, 0, 1280, 800);
    AppHarness app(options);
    AppParam::windowPlacement.normalPosition = QRectF(1800, 900, 1000, 700);
    ASSERT_EQ(ApplicationProfile::save(), AppError::NoError);
    AppParam::windowPlacement = WINDOWPLACEMENT{};
    ASSERT_TRUE(app.start());
    EXPECT_EQ(AppParam::windowPlacement.normalPosition.topLeft(), QPointF(280, 100));
    EXPECT_EQ(uitest::WindowProbe::window(app.controller()).mainView->pos(), QPoint(280, 100));
}

TEST(MainWindowRecovery, BeforeTheEnumeratorExistsNothingHappens)
{
    AppHarness app(devices(true, false));
    MainViewController main;  // not started: no device list, no enumerator
    main.setConnectedDeviceError(kbLoc);
    EXPECT_EQ(main.conectDeviceLocation(), -1);
    EXPECT_FALSE(app.keyboard->sessionOpen());
    EXPECT_EQ(app.bus().openCount(), 0);
}

// The shipped mouse connected, and a second mouse attached beside it.
class SecondMouseConnect : public testing::Test {
protected:
    void SetUp() override
    {
        app.bus().attach(second, secondLocation);
        ASSERT_TRUE(app.start());
        ASSERT_EQ(main().conectDeviceLocation(), mouseLoc);
    }
    MainViewController& main() { return app.controller(); }

    AppHarness app{devices(false, true)};
    std::shared_ptr<emu::EmulatedMouse> second = std::make_shared<emu::EmulatedMouse>();
    static constexpr uint32_t secondLocation = 0x01300000;
};

TEST_F(SecondMouseConnect, MouseWithoutItsPicturesLeavesTheConnectedMouseAsItWas)
{
    auto& main = this->main();
    const auto connected = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
    ASSERT_TRUE(connected && connected->tabPictures);
    const auto picturesBefore = connected->tabPictures;

    // The description now names a picture its package does not hold.
    auto profile = std::dynamic_pointer_cast<MouseProfile>(uitest::WindowProbe::devices(main).deviceList().at(1).profile);
    ASSERT_TRUE(profile);
    profile->tabBodyImages.settingTab = QStringLiteral("no such picture.png");
    clickTile(main, 1);

    EXPECT_EQ(main.conectDeviceLocation(), mouseLoc);
    EXPECT_TRUE(app.mouse->sessionOpen());
    EXPECT_EQ(AppParam::device, connected);
    EXPECT_EQ(connected->tabPictures, picturesBefore);
    // The new mouse was opened, then let go without an end-session command.
    EXPECT_EQ(second->startCount(), 1);
    EXPECT_EQ(second->endCount(), 0);
    EXPECT_EQ(app.bus().openHandleCount(secondLocation), 0);
}

TEST_F(SecondMouseConnect, TheTabOnShowShowsTheNewMousesPicture)
{
    auto& main = this->main();
    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting));
    clickTile(main, 1);

    ASSERT_EQ(main.conectDeviceLocation(), int32_t(secondLocation));
    const auto connected = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
    ASSERT_TRUE(connected && connected->tabPictures);
    ASSERT_EQ(uitest::WindowProbe::currentKeyboardView(main), uitest::WindowProbe::tabPanel(main, FunctionTab::MOtherSetting)->keyboardView());
    EXPECT_EQ(uitest::WindowProbe::currentKeyboardView(main)->bodyImage().cacheKey(),
              connected->tabPictures->image(&MouseProfile::TabBodyImagePaths::settingTab).cacheKey());
}

// A mouse whose pictures read well in their headers but cannot all be shown
// is refused at connect as one whose pictures are missing.
TEST_F(SecondMouseConnect, MouseWithPicturesThatCannotAllBeShownLeavesTheConnectedMouseAsItWas)
{
    auto& main = this->main();
    auto profile = std::dynamic_pointer_cast<MouseProfile>(uitest::WindowProbe::devices(main).deviceList().at(1).profile);
    ASSERT_TRUE(profile);
    const QString shipped = profile->profilePath;
    const QString red = profile->tabBodyImages.ledTabRed;  // decoded only when shown
    const QByteArray picture = ZipUtil::load(shipped, red, true);
    ASSERT_FALSE(DeviceProfile::decodePicture(picture).isNull());

    QByteArray garbled = picture;
    const qsizetype pixels = garbled.indexOf("IDAT") + 4;
    for (qsizetype i = pixels + 10; i < pixels + 40; ++i)
        garbled[i] = char(~garbled[i]);
    // The largest pictures of which 26 exceed the cap of a set.
    const int side = int(std::sqrt(double(DeviceProfile::kMaxPictureSetPixels) / 26)) + 1;
    ASSERT_LE(qint64(side) * side, DeviceProfile::kMaxPicturePixels);
    const QByteArray largePicture = xmltest::png(side, side);
    // Pictures that state a size of 1 x 1 and decode to 2048 x 2048, 26 of
    // which exceed the cap of a set.
    const QByteArray understated = xmltest::gif({2048, 2048}, {1, 1});
    ZipUtil::FileList large, understatedSet;
    for (const QString& name : profile->tabBodyImages.names()) {
        large.emplace_back(name, largePicture);
        understatedSet.emplace_back(name, understated);
    }
    const struct {
        const char* what;
        ZipUtil::FileList members;
    } cases[] = {
        {"garbled pixel data", {{red, garbled}}},
        {"over the cap of a set", large},
        {"stating less than they decode to", understatedSet},
    };
    std::vector<std::string> log;
    const auto previousSink = Logger::setSink([&](const std::string& line) { log.push_back(line); });
    QTemporaryDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString package = dir.filePath(QString::fromLatin1(c.what) + ".mou");
        ASSERT_TRUE(QFile::copy(shipped, package));
        ASSERT_EQ(ZipUtil::append(package, c.members), AppError::NoError);
        profile->profilePath = package;
        log.clear();
        clickTile(main, 1);

        EXPECT_EQ(main.conectDeviceLocation(), mouseLoc);
        EXPECT_TRUE(app.mouse->sessionOpen());
        EXPECT_EQ(second->endCount(), 0);
        EXPECT_EQ(app.bus().openHandleCount(secondLocation), 0);
        EXPECT_TRUE(std::ranges::any_of(log, [](const std::string& l) { return l.ends_with("mouse image not found."); }));
    }
    Logger::setSink(previousSink);
    profile->profilePath = shipped;
}

// A failure on the connect's worker (here the picture read running out of
// memory) ends the connect as a package whose pictures cannot be read ends.
TEST_F(SecondMouseConnect, AFailedPictureReadLeavesTheConnectedMouseAsItWas)
{
    auto& main = this->main();
    const auto mainThread = std::this_thread::get_id();
    std::atomic<bool> thrown{false};
    const ZipUtil::ToolObserver previous =
        ZipUtil::setToolObserver([&](const QString&, const QStringList&, const QString&) {
            if (std::this_thread::get_id() != mainThread && !thrown.exchange(true))
                throw std::bad_alloc();
        });
    std::vector<std::string> log;
    const auto previousSink = Logger::setSink([&](const std::string& line) { log.push_back(line); });
    clickTile(main, 1);  // before the mend it waited for ever (CTest's time-out ends it)
    Logger::setSink(previousSink);
    ZipUtil::setToolObserver(previous);

    ASSERT_TRUE(thrown);
    EXPECT_EQ(main.conectDeviceLocation(), mouseLoc);
    EXPECT_TRUE(app.mouse->sessionOpen());
    EXPECT_EQ(second->endCount(), 0);
    EXPECT_EQ(app.bus().openHandleCount(secondLocation), 0);
    EXPECT_TRUE(std::ranges::any_of(log, [](const std::string& l) { return l.ends_with("mouse image not found."); }));
}

namespace {

struct SelectionRecorder : KeyboardViewDelegate {
    std::vector<QStringList> selections;
    void applyKeySelect(KeyboardView*) override
    {
        QStringList names;
        if (auto kb = KeyboardView::currentKeyboard())
            for (const KeytopEntry& k : kb->keytopList)
                if (k.select)
                    names << k.name;
        selections.push_back(names);
    }
};

} // namespace

TEST(MainWindowKeySelection, ClickAndBandOnTheShownPictureSelectTheModelsKeys)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    KeyboardView* picture = uitest::WindowProbe::currentKeyboardView(main);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->geometry(), QRect(QPoint(0, 0), uitest::WindowProbe::window(main).mainView->size()));
    SelectionRecorder recorder;
    picture->delegate = &recorder;
    AppParam::appCropMode = CropMode::Area;
    AppParam::paintColor = AppParam::ColorButtonApcHigh;

    auto kb = KeyboardView::currentKeyboard();
    ASSERT_TRUE(kb);
    auto centre = [&](const QString& name) {
        for (const KeytopEntry& k : kb->keytopList)
            if (k.name == name)
                return picture->mapFrom(uitest::WindowProbe::window(main).mainView,
                                        ui::fromBottomLeft(k.keytop.at(0), uitest::WindowProbe::window(main).mainView->height()).center().toPoint());
        ADD_FAILURE() << qPrintable(name);
        return QPoint();
    };
    // The clicks land on the window where the user sees the keys.
    QTest::mouseClick(picture, Qt::LeftButton, {}, centre(QStringLiteral("Esc")));
    ASSERT_EQ(recorder.selections.size(), 1u);
    EXPECT_EQ(recorder.selections[0], QStringList{QStringLiteral("Esc")});

    const QPoint from = centre(QStringLiteral("A"));
    const QPoint to = centre(QStringLiteral("F")) + QPoint(0, 4);
    QTest::mousePress(picture, Qt::LeftButton, {}, from);
    for (const QPoint at : {(from + to) / 2, to}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), picture->mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(picture, &move);
    }
    QTest::mouseRelease(picture, Qt::LeftButton, {}, to);
    ASSERT_EQ(recorder.selections.size(), 2u);
    EXPECT_EQ(recorder.selections[1], (QStringList{"A", "S", "D", "F"}));
    // A tab switch leaves no key selected in the model.
    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting));
    EXPECT_TRUE(std::none_of(kb->keytopList.begin(), kb->keytopList.end(), [](const KeytopEntry& k) { return k.select; }));
    picture->delegate = nullptr;
    AppParam::appCropMode = CropMode::None;
}

TEST(MainWindowShutdown, RefusedUnderAMouseProfileDialogToo)
{
    AppHarness app(devices(false, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    for (DialogKind kind : {DialogKind::MProfileSave, DialogKind::MProfileLoad, DialogKind::ProfileLoad}) {
        ModalDialog dialog(kind, uitest::WindowProbe::window(main).mainView);
        bool refused = false;
        QTimer::singleShot(20, [&] {
            refused = !uitest::WindowProbe::windowClosing(main);
            dialog.done(0);
        });
        dialog.exec();
        EXPECT_TRUE(refused) << int(kind);
        EXPECT_TRUE(app.mouse->sessionOpen());
    }
    EXPECT_TRUE(uitest::WindowProbe::windowClosing(main));
    EXPECT_FALSE(app.mouse->sessionOpen());
}

TEST(MainWindowFirmware, UpdateRunEndsInTheEndingStateUntilTheDeviceCycles)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    const QString shownName = uitest::WindowProbe::window(main).keyboardNameLabel->text();

    // A failing run: the recovery reconnects the keyboard.
    dialogHooks().firmwareUpdate = [&](QWidget*) {
        EXPECT_FALSE(uitest::WindowProbe::windowClosing(main));
        return AppError::DeviceReadTimeout;
    };
    const int starts = app.keyboard->startCount();
    main.execFirmwareUpdate();
    EXPECT_EQ(app.keyboard->startCount(), starts + 1);
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);

    // A good run: the device is let go, the window keeps showing it, and
    // list changes wait until the device has left once.
    dialogHooks().firmwareUpdate = [](QWidget*) { return AppError::NoError; };
    main.execFirmwareUpdate();
    EXPECT_EQ(main.conectDeviceLocation(), -1);
    EXPECT_FALSE(AppParam::device->isEnable());
    EXPECT_EQ(uitest::WindowProbe::window(main).keyboardNameLabel->text(), shownName);
    EXPECT_TRUE(uitest::WindowProbe::window(main).keyboardErrorView->isHidden());
    uitest::WindowProbe::devices(main).keyboardListChanged(true);  // ignored while ending
    EXPECT_EQ(main.conectDeviceLocation(), -1);

    app.bus().detach(kKeyboardLocation);
    // Once it has left, the window follows the list again: no device.
    ASSERT_TRUE(AppHarness::waitFor([&] {{ return !uitest::WindowProbe::window(main).keyboardErrorView->isHidden(); }}));
    app.bus().attach(app.keyboard, kKeyboardLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == kbLoc; }));
    EXPECT_TRUE(app.keyboard->sessionOpen());
    dialogHooks().firmwareUpdate = nullptr;
}

TEST(MainWindowPackages, AddedPackageIsCopiedAndAPackageFromTheFolderItselfIsKept)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    const QString shippedPackage = AppUtil::resourceProfileFolder() + QStringLiteral("KVK108US.key");
    const QString copy = AppUtil::appWorkFolder() + QStringLiteral("KVK108US.key");

    AppParam::firmwareFilePath = shippedPackage;
    main.appendKeyboardProfileList();
    ASSERT_TRUE(QFile::exists(copy));
    EXPECT_EQ(QFileInfo(copy).size(), QFileInfo(shippedPackage).size());
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);

    // Chosen from the folder it would be copied to: still there afterwards.
    AppParam::firmwareFilePath = copy;
    main.appendKeyboardProfileList();
    EXPECT_EQ(QFileInfo(copy).size(), QFileInfo(shippedPackage).size());
    EXPECT_TRUE(app.asked.empty());

    // A source that cannot be read: the box, and the earlier copy stays.
    AppParam::firmwareFilePath = AppUtil::appWorkFolder() + QStringLiteral("missing/KVK108US.key");
    main.appendKeyboardProfileList();
    ASSERT_EQ(app.asked.size(), 1u);
    EXPECT_EQ(app.asked[0], QStringLiteral("FailedToAccessFile"));
    EXPECT_TRUE(QFile::exists(copy));
}

namespace {

// A panel whose set-up finds its keyboard gone: it unplugs it and reports the
// failure, as a panel whose first command fails does.
class PanelLosingItsDevice : public FunctionPanel {
public:
    PanelLosingItsDevice(AppHarness& app, MainViewController& main)
        : app_(app), main_(main), view_(makeWindowView<KeyboardView>(*uitest::WindowProbe::window(main).mainView))
    {
    }
    KeyboardView* keyboardView() override { return view_; }
    int calls = 0;

private:
    void setUpPanel() override
    {
        ++calls;
        if (calls == 1) {
            app_.bus().detach(kKeyboardLocation);
            main_.setConnectedDeviceError(kbLoc);
        }
    }

    AppHarness& app_;
    MainViewController& main_;
    QPointer<KeyboardView> view_;
};

} // namespace

TEST(MainWindowTabs, RecoveryInsideAPanelSetUpKeepsTheViewItChose)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    auto* losing = new PanelLosingItsDevice(app, main);
    std::unique_ptr<FunctionPanel> panel(losing);
    panel = uitest::WindowProbe::swapPanel(main, FunctionTab::GamingSetting, std::move(panel));

    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting));
    EXPECT_EQ(losing->calls, 1);
    // The recovery connected the mouse and showed its panel of that position.
    EXPECT_EQ(main.conectDeviceLocation(), mouseLoc);
    EXPECT_EQ(uitest::WindowProbe::currentKeyboardView(main), uitest::WindowProbe::tabPanel(main, FunctionTab::MLedSetting)->keyboardView());
    EXPECT_TRUE(losing->keyboardView()->isHidden());
    EXPECT_TRUE(AppParam::keyboardSettingsChangedStack.isEmpty());
    panel = uitest::WindowProbe::swapPanel(main, FunctionTab::GamingSetting, std::move(panel));
}

TEST(MainWindowHotPlug, UnplugUnderAProfileDialogEndsItAsCancelled)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    int result = -1;
    bool maskDuringRun = false;
    bool helpDuringRun = true;
    dialogHooks().profileLoad = [&](QWidget* window) {
        ModalDialog dialog(DialogKind::ProfileLoad, window);
        maskDuringRun = main.isDialogMaskUp();
        helpDuringRun = main.isHelpMenuEnabled();
        QTimer::singleShot(20, [&] { app.bus().detach(kKeyboardLocation); });
        result = dialog.exec();
        return result;
    };
    // A stand-in for the APC panel counts the panel set-ups.
    std::unique_ptr<FunctionPanel> probe = std::make_unique<PanelHost>(FunctionTab::ApcSetting, *uitest::WindowProbe::window(main).mainView);
    auto* counter = static_cast<PanelHost*>(probe.get());
    probe = uitest::WindowProbe::swapPanel(main, FunctionTab::ApcSetting, std::move(probe));
    uitest::WindowProbe::selectFunctionTab(main, FunctionTab::ApcSetting);
    const int initsBefore = counter->initCount();
    QTest::mouseClick(uitest::WindowProbe::window(main).loadProfileButton, Qt::LeftButton);
    dialogHooks().profileLoad = nullptr;

    EXPECT_TRUE(maskDuringRun);
    EXPECT_FALSE(helpDuringRun);
    EXPECT_EQ(result, 0);
    // No reload of the panel after a cancelled load; mask and help restored.
    EXPECT_EQ(counter->initCount(), initsBefore);
    EXPECT_FALSE(main.isDialogMaskUp());
    EXPECT_TRUE(main.isHelpMenuEnabled());
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == mouseLoc; }));
    EXPECT_TRUE(app.mouse->sessionOpen());
    probe = uitest::WindowProbe::swapPanel(main, FunctionTab::ApcSetting, std::move(probe));
}
