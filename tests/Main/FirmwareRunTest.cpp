// The firmware update run and description packages in the whole application
// on the virtual bus: an update of the keyboard and of the mouse through the
// emulated updater until the device is back with its new version, the
// hot-plug notices of the restart handled while the update runs, failures
// that leave the application usable, a second start refused, the ending state
// left when the device never leaves, a late reply of one update that fails
// nothing in the next, and packages added while running.
#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/DialogFirmwareFileSelect.h"
#include "Dialog/DialogFirmwareUpdate.h"
#include "Dialog/DialogHooks.h"
#include "Dialog/FilePickDialog.h"
#include "support/EmulatedKeyboard.h"
#include "Dialog/FirmwareImage.h"
#include "DeviceListController.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Platform/RunLoop.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/ScriptedFileChooser.h"
#include "support/ui/WindowProbe.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <iostream>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;
using apptest::HarnessOptions;
using apptest::devices;
using apptest::kKeyboardLocation;
using apptest::kMouseLocation;

namespace {

constexpr int32_t kbLoc = int32_t(kKeyboardLocation);
constexpr int32_t mouseLoc = int32_t(kMouseLocation);
// A restart that takes far less than the window's look for the device after
// an update (0.5 s, here on the harness's time scale).
constexpr platform::Seconds kQuickRestart{0.002};

// A good image for the current device, stored as the chosen firmware file.
QString goodFileFor(const AppHarness& app, const QString& name = QStringLiteral("fw.vxb"))
{
    const auto& dev = AppParam::device;
    const QString path = app.workFolder() + u'/' + name;
    EXPECT_TRUE(fwtest::writeFile(path, fwtest::makeFirmware(dev->modelNumber().value_or(QString()).toLatin1(),
                                                             fwtest::versionBytes(*dev->firmwareVersionCompare()))));
    return path;
}

int countOf(const emu::EmulatedDevice& d, uint8_t command)
{
    const std::vector<uint8_t> all = d.commands();
    return int(std::count(all.begin(), all.end(), command));
}

// The update run with its waits served while a device transaction counts as
// running, so that every hot-plug notice of the restart is held back until
// the wait is over; `atChunk` is told before each chunk.
void installUpdate(std::function<void(int)> atChunk = {}, bool holdNotices = false)
{
    dialogHooks().firmwareUpdate = [atChunk, holdNotices](QWidget* body) {
        DialogFirmwareUpdate dialog;
        dialog.updateView()->setParent(body);
        dialog.updateView()->setGeometry(body->rect());
        dialog.updateView()->show();
        dialog.beforeChunk = atChunk;
        if (holdNotices)
            dialog.sleeper = [](platform::Seconds s) {
                platform::TransactionScope busy;
                platform::EventWait pause;
                (void)pause.run([] { return false; }, s);
            };
        return dialog.startUpdate();
    };
}

} // namespace

TEST(FirmwareRun, KeyboardAndMouseComeBackWithTheirNewVersion)
{
    for (const bool mouse : {false, true}) {
        AppHarness app(devices(true, true, mouse ? mouseLoc : kbLoc));
        ASSERT_TRUE(app.start());
        MainViewController& main = app.controller();
        const int32_t loc = mouse ? mouseLoc : kbLoc;
        emu::EmulatedDevice& dev = mouse ? static_cast<emu::EmulatedDevice&>(*app.mouse) : *app.keyboard;
        ASSERT_EQ(main.conectDeviceLocation(), loc);
        dev.setFirmwareAfterUpdate(std::array<uint8_t, 4>{0x01, 0x00, 0x07, 0x09});
        // Back well before the window looks for it.
        dev.setRebootDelay(kQuickRestart);
        AppParam::firmwareFilePath = goodFileFor(app);
        const QString before = uitest::WindowProbe::window(main).keyboardFirmwareLabel->text();

        main.execFirmwareUpdate();
        EXPECT_EQ(dev.updatesCompleted(), 1);
        EXPECT_TRUE(app.asked.empty()) << app.asked.front().toStdString();
        // The window still shows the device while it restarts.
        EXPECT_EQ(uitest::WindowProbe::window(main).keyboardFirmwareLabel->text(), before);

        ASSERT_TRUE(AppHarness::waitFor([&] {
            return dev.mode() == emu::EmulatedDevice::Mode::Application && main.conectDeviceLocation() == loc &&
                   AppParam::device->hidIsOpened();
        })) << std::hex << main.conectDeviceLocation() << " " << AppParam::device->hidIsOpened() << " asked "
            << app.asked.size();
        EXPECT_EQ(AppParam::device->deviceType(), mouse ? DeviceType::Mouse : DeviceType::Keyboard);
        EXPECT_NE(uitest::WindowProbe::window(main).keyboardFirmwareLabel->text(), before);
        EXPECT_TRUE(uitest::WindowProbe::window(main).keyboardFirmwareLabel->text().endsWith(*AppParam::device->firmwareVersion()));
    }
}

TEST(FirmwareRun, NoticesHeldBackDuringTheRestartAreHandledBeforeTheUpdateEnds)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    AppParam::firmwareFilePath = goodFileFor(app);
    installUpdate({}, true);
    app.keyboard->setRebootDelay(kQuickRestart);

    main.execFirmwareUpdate();
    ASSERT_EQ(app.keyboard->updatesCompleted(), 1);
    // The removal and arrival of the restart into the updater were handled
    // while the update ran, so the window does not take them for the
    // restart after the update: it lets the keyboard go and waits for it,
    // and the first device it connects again is the keyboard, back in its
    // application firmware (not the mouse, picked while the keyboard was
    // away).
    EXPECT_EQ(main.conectDeviceLocation(), -1);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() != -1; }));
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);
    EXPECT_EQ(app.keyboard->mode(), emu::EmulatedDevice::Mode::Application);
    EXPECT_TRUE(AppParam::device->hidIsOpened());
}

TEST(FirmwareRun, ThroughTheFileDialogOnlyAGoodFileStartsTheUpdate)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    ScriptedFileChooser chooser;
    const QString bad = app.workFolder() + QStringLiteral("/other.vxb");
    ASSERT_TRUE(fwtest::writeFile(bad, fwtest::makeFirmware("KVK999A1", {0xFF, 0xFF, 0xFF})));
    const QString good = goodFileFor(app);

    auto chooseAndUpdate = [&](const QString& file) {
        chooser.answers.push_back(file);
        uitest::pickAndConfirmNext(DialogKind::FirmwareFileSelect, true);
        QString chosen;
        const int code = dialogHooks().firmwareFileSelect(app.workFolder(), chosen);
        return std::make_pair(code, chosen);
    };

    auto [refused, none] = chooseAndUpdate(bad);
    EXPECT_EQ(refused, 0);
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(app.asked, std::vector<QString>{"FirmwareFileInvaliedDevice"});

    app.asked.clear();
    auto [accepted, chosen] = chooseAndUpdate(good);
    ASSERT_EQ(accepted, 1);
    EXPECT_EQ(chosen, good);
    EXPECT_EQ(app.asked, (std::vector<QString>{"CheckKeyboardFirmwareUpdate", "CheckNotDisconnectUSBCacle"}));
    EXPECT_EQ(countOf(*app.keyboard, 0xE0), 0);
    AppParam::firmwareFilePath = chosen;
    main.execFirmwareUpdate();
    EXPECT_EQ(app.keyboard->updatesCompleted(), 1);
}

TEST(FirmwareRun, FileChangedAfterItsCheckIsNotSentAndTheKeyboardStaysUsable)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    AppParam::firmwareFilePath = goodFileFor(app);
    QFile f(AppParam::firmwareFilePath);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(1000);
    f.write("changed");
    f.close();
    app.keyboard->clearLog();

    main.execFirmwareUpdate();
    EXPECT_EQ(app.asked, std::vector<QString>{"FailedToAccessFile"});
    EXPECT_EQ(countOf(*app.keyboard, 0xE0), 0);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == kbLoc && AppParam::device->hidIsOpened(); }));
}

TEST(FirmwareRun, UnpluggedMidTransferLeavesTheApplicationUsableAndTheUpdateCanRunAgain)
{
    AppHarness app(devices(true, true, kbLoc));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    AppParam::firmwareFilePath = goodFileFor(app);
    app.keyboard->setRebootDelay(kQuickRestart);
    installUpdate([&](int i) {
        if (i == 10)
            app.keyboard->detach();
    });

    main.execFirmwareUpdate();
    EXPECT_EQ(app.asked, std::vector<QString>{"KeyboardNotFound"});
    EXPECT_EQ(countOf(*app.keyboard, 0xE3), 0);
    // The mouse is what is left; the window works with it.
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == mouseLoc; }));
    EXPECT_EQ(AppParam::device->deviceType(), DeviceType::Mouse);

    // Plugged in again after a power cycle: it runs its old firmware and
    // reports the unfinished update. Chosen, the user is told to update
    // again, and the update goes through.
    app.asked.clear();
    auto again = std::make_shared<emu::EmulatedKeyboard>();
    again->setUpdatePending(true);
    again->setRebootDelay(kQuickRestart);
    ASSERT_TRUE(app.bus().attach(again, kKeyboardLocation));
    ASSERT_TRUE(AppHarness::waitFor([&] {
        return std::any_of(uitest::WindowProbe::devices(main).deviceList().begin(), uitest::WindowProbe::devices(main).deviceList().end(),
                           [](const auto& e) { return e.deviceLocation == kbLoc; });
    }));
    for (size_t i = 0; i < uitest::WindowProbe::devices(main).deviceList().size(); ++i)
        if (uitest::WindowProbe::devices(main).deviceList()[i].deviceLocation == kbLoc)
            main.connectDevice(int(i));
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == kbLoc; }));
    EXPECT_EQ(app.asked, std::vector<QString>{"RetryFirmwareUpdate"});
    installUpdate();
    main.execFirmwareUpdate();
    EXPECT_EQ(again->updatesCompleted(), 1);
    EXPECT_FALSE(again->updatePending());
    ASSERT_TRUE(AppHarness::waitFor([&] {
        return again->mode() == emu::EmulatedDevice::Mode::Application && main.conectDeviceLocation() == kbLoc &&
               AppParam::device->hidIsOpened();
    }));
    EXPECT_EQ(again->mode(), emu::EmulatedDevice::Mode::Application);
}

TEST(FirmwareRun, SecondStartWhileUpdatingOrEndingIsRefused)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    AppParam::firmwareFilePath = goodFileFor(app);
    // A refused start asks nothing and sends nothing.
    auto startRefused = [&](const char* when) {
        const std::vector<QString> asked = app.asked;
        const int writes = app.keyboard->writeCount();
        main.execFirmwareUpdate();
        EXPECT_EQ(app.asked, asked) << when;
        EXPECT_EQ(app.keyboard->writeCount(), writes) << when;
    };
    int inner = 0;
    installUpdate([&](int i) {
        // Once: a start that is not refused would come here again.
        if (i == 3 && inner++ == 0)
            startRefused("updating");
    });
    main.execFirmwareUpdate();
    EXPECT_EQ(inner, 1);
    EXPECT_EQ(countOf(*app.keyboard, 0xE0), 1);
    EXPECT_EQ(app.keyboard->updatesCompleted(), 1);
    EXPECT_TRUE(app.asked.empty());
    // The window has let the keyboard go and still shows it while it
    // restarts.
    ASSERT_EQ(main.conectDeviceLocation(), -1);
    ASSERT_TRUE(uitest::WindowProbe::window(main).keyboardErrorView->isHidden());
    startRefused("ending");
}

TEST(FirmwareRun, EndingStateIsLeftWhenTheDeviceNeverLeaves)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    // An update that reports success without restarting the keyboard.
    dialogHooks().firmwareUpdate = [](QWidget*) { return AppError::NoError; };
    main.execFirmwareUpdate();
    ASSERT_EQ(main.conectDeviceLocation(), -1);
    EXPECT_FALSE(AppParam::device->hidIsOpened());
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == kbLoc && AppParam::device->hidIsOpened(); }));
    // Hot-plug works again.
    app.keyboard->detach();
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == -1; }));
}

TEST(FirmwareRun, SameModelTwiceIsTold)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    EXPECT_FALSE(main.isExistSameDeviceType());
    auto second = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(app.bus().attach(second, 0x01300000));
    ASSERT_TRUE(AppHarness::waitFor([&] { return uitest::WindowProbe::devices(main).planeDeviceList().size() == 2; }));
    EXPECT_TRUE(main.isExistSameDeviceType());
    second->detach();
    ASSERT_TRUE(AppHarness::waitFor([&] { return uitest::WindowProbe::devices(main).planeDeviceList().size() == 1; }));
    EXPECT_FALSE(main.isExistSameDeviceType());
}

namespace {

// A keyboard model no shipped description knows.
constexpr shipped::Model kNewModel{shipped::Kind::Keyboard, shipped::kVendorId, 0x1199, "KVK199A1", "KVK199US",
                                   "KOLVENTRA K199", "KVK199US.key", {0x01, 0x00, 0x02, 0x05}, "KVK199US_1_2_0",
                                   false};

QString shippedPackage(const shipped::Model& m)
{
    return AppUtil::resourceProfileFolder() + QString::fromLatin1(m.packageFile.data(), qsizetype(m.packageFile.size()));
}

bool listed(const MainViewController& main, int32_t location)
{
    return std::any_of(uitest::WindowProbe::devices(main).deviceList().begin(), uitest::WindowProbe::devices(main).deviceList().end(),
                       [&](const auto& e) { return e.deviceLocation == location; });
}

} // namespace

TEST(DescriptionPackages, NewModelIsRecognisedWithoutRestartAndTheSameFileTwiceIsKept)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    constexpr int32_t newLoc = 0x01400000;
    auto newcomer = std::make_shared<emu::EmulatedKeyboard>(kNewModel);
    ASSERT_TRUE(app.bus().attach(newcomer, uint32_t(newLoc)));
    QTest::qWait(50);
    EXPECT_FALSE(listed(main, newLoc));

    const QString source = app.workFolder() + QStringLiteral("/incoming/KVK199US.key");
    QDir().mkpath(QFileInfo(source).path());
    ASSERT_TRUE(fwtest::makePackage(shippedPackage(shipped::kModels[0]), source,
                                    {.profileVersion = QStringLiteral("KVK199US_1_2_0"),
                                     .modelNumber = QStringLiteral("KVK199A1"),
                                     .productId = QStringLiteral("1199"),
                                     .profileExt = QStringLiteral("KVK199US")}));
    // Through the dialog, as the menu's handler does.
    ScriptedFileChooser chooser;
    chooser.answers.push_back(source);
    uitest::pickAndConfirmNext(DialogKind::AppendKeyboard);
    QString chosen;
    ASSERT_EQ(dialogHooks().appendKeyboard(app.workFolder(), chosen), 1);
    EXPECT_EQ(chosen, source);
    AppParam::firmwareFilePath = chosen;
    main.appendKeyboardProfileList();

    const QString installed = AppUtil::appWorkFolder() + QStringLiteral("KVK199US.key");
    ASSERT_TRUE(QFileInfo::exists(installed));
    EXPECT_TRUE(listed(main, newLoc));
    EXPECT_TRUE(app.asked.empty());

    // The installed copy picked again: kept as it is, still recognised.
    QFile f(installed);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    f.close();
    AppParam::firmwareFilePath = installed;
    main.appendKeyboardProfileList();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes);
    EXPECT_TRUE(listed(main, newLoc));
    EXPECT_TRUE(app.asked.empty());
    EXPECT_TRUE(QDir(AppUtil::appWorkFolder()).entryList({QStringLiteral("*.partial")}, QDir::Files).isEmpty());
}

TEST(DescriptionPackages, CorruptOrOlderPackagesAreRefusedByTheDialog)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    const QString older = app.workFolder() + QStringLiteral("/incoming/older.key");
    QDir().mkpath(app.workFolder() + QStringLiteral("/incoming"));
    ASSERT_TRUE(fwtest::makePackage(shippedPackage(shipped::kModels[0]), older,
                                    {.profileVersion = QStringLiteral("KVK108US_1_1_9")}));
    const QString corrupt = app.workFolder() + QStringLiteral("/incoming/corrupt.key");
    ASSERT_TRUE(fwtest::writeFile(corrupt, "PK\x03\x04 this is not a package"));
    ScriptedFileChooser chooser;
    for (const QString& path : {older, corrupt}) {
        app.asked.clear();
        chooser.answers.push_back(path);
        uitest::pickAndConfirmNext(DialogKind::AppendKeyboard, true);
        QString chosen;
        EXPECT_EQ(dialogHooks().appendKeyboard(app.workFolder(), chosen), 0) << path.toStdString();
        EXPECT_EQ(app.asked, std::vector<QString>{"FirmwareFileInvaliedOrCorrupted"}) << path.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(AppUtil::appWorkFolder() + QStringLiteral("older.key")));
}

TEST(DescriptionPackages, CopyReplacesAnEarlierOneAndReportsWhatCannotBeWritten)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    const QString incoming = app.workFolder() + QStringLiteral("/incoming/");
    QDir().mkpath(incoming);
    const QString first = incoming + QStringLiteral("KVK108US.key");
    ASSERT_TRUE(fwtest::makePackage(shippedPackage(shipped::kModels[0]), first,
                                    {.profileVersion = QStringLiteral("KVK108US_1_2_1")}));
    AppParam::firmwareFilePath = first;
    main.appendKeyboardProfileList();
    const QString installed = AppUtil::appWorkFolder() + QStringLiteral("KVK108US.key");
    ASSERT_TRUE(QFileInfo::exists(installed));

    // A newer package of the same name replaces the copy.
    ASSERT_TRUE(fwtest::makePackage(shippedPackage(shipped::kModels[0]), first,
                                    {.profileVersion = QStringLiteral("KVK108US_1_2_7")}));
    main.appendKeyboardProfileList();
    auto fileBytes = [](const QString& p) {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    EXPECT_EQ(fileBytes(installed), fileBytes(first));
    EXPECT_TRUE(app.asked.empty());

    // A folder where the copy should go cannot be replaced.
    const QString other = incoming + QStringLiteral("Other.key");
    ASSERT_TRUE(QFile::copy(first, other));
    QDir().mkpath(AppUtil::appWorkFolder() + QStringLiteral("Other.key"));
    AppParam::firmwareFilePath = other;
    main.appendKeyboardProfileList();
    EXPECT_EQ(app.asked, std::vector<QString>{"FailedToAccessFile"});
    EXPECT_TRUE(QFileInfo(AppUtil::appWorkFolder() + QStringLiteral("Other.key")).isDir());

    // The folder itself cannot be made (a file stands in its way).
    app.asked.clear();
    const QString blocked = app.workFolder() + QStringLiteral("/blocked");
    ASSERT_TRUE(fwtest::writeFile(blocked, "file"));
    AppUtil::setAppWorkFolderForTesting(blocked + QStringLiteral("/sub/"));
    main.appendKeyboardProfileList();
    AppUtil::setAppWorkFolderForTesting(app.workFolder() + QStringLiteral("/"));
    EXPECT_EQ(app.asked, std::vector<QString>{"FailedToAccessFolder"});
    // The window goes on with its keyboard.
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);
    EXPECT_TRUE(AppParam::device->hidIsOpened());
}

TEST(FirmwareRun, StartWhileAnotherCommandWaitsIsRefusedWithoutDroppingTheKeyboard)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    AppParam::firmwareFilePath = goodFileFor(app);
    const auto connected = AppParam::device;
    // The store command's reply is late; the update starts while it waits.
    app.keyboard->inject({.kind = emu::FaultKind::Late, .command = 0x04, .delay = std::chrono::milliseconds(150)});
    QTimer::singleShot(20, &main, [&main] { main.execFirmwareUpdate(); });
    EXPECT_EQ(connected->CMD_RegistSetting(), AppError::NoError);
    EXPECT_EQ(countOf(*app.keyboard, 0xE0), 0);
    EXPECT_EQ(app.asked, std::vector<QString>{"FailedToUpdateFirmware"});
    // No recovery: the same keyboard object stays connected and open.
    AppHarness::waitFor([] { return false; }, 50);
    EXPECT_EQ(AppParam::device, connected);
    EXPECT_TRUE(connected->hidIsOpened());
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);
}

TEST(FirmwareRun, LateReplyOfOneUpdateFailsNoExchangeOfTheNext)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    AppParam::firmwareFilePath = goodFileFor(app);
    // The first chunk's reply comes after the update has retried the chunk,
    // ended and found the keyboard back.
    constexpr std::chrono::milliseconds kLate{2000};
    app.keyboard->inject({.kind = emu::FaultKind::Late, .command = 0xE2, .delay = kLate});
    main.execFirmwareUpdate();
    ASSERT_EQ(app.keyboard->updatesCompleted(), 1);
    ASSERT_TRUE(AppHarness::waitFor([&] {
        return app.keyboard->mode() == emu::EmulatedDevice::Mode::Application && main.conectDeviceLocation() == kbLoc &&
               AppParam::device->hidIsOpened();
    }));
    const auto writes = app.keyboard->writes();
    const auto firstChunk =
        std::find_if(writes.begin(), writes.end(), [](const emu::LogEntry& e) { return e.command() == 0xE2; });
    ASSERT_NE(firstChunk, writes.end());

    // The next update starts on a main thread kept busy while the late reply
    // fell due (as reading and checking the file keeps it): the reply has
    // not been handed over yet when the update's first command goes out.
    const auto due = firstChunk->time + kLate;
    dialogHooks().firmwareUpdate = [update = dialogHooks().firmwareUpdate, due](QWidget* body) {
        platform::sleepExactly(due + std::chrono::milliseconds(1) - platform::now());
        return update(body);
    };
    main.execFirmwareUpdate();
    EXPECT_EQ(app.keyboard->updatesCompleted(), 2);
    EXPECT_TRUE(app.asked.empty()) << app.asked.front().toStdString();
}
