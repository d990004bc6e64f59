// The keyboard's Other tab on the virtual bus: its menu and the rows it
// offers, the Caps Lock key-code change, the factory reset, storing, the
// dialogs it opens, and what happens when the keyboard fails or is missing.
#include "AppParam.h"
#include "CustomControl/TabMenuView.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogHooks.h"
#include "Dialog/DialogRegistry.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainView.h"
#include "MainViewController.h"
#include "MainWindowControls.h"
#include "support/ui/AppHarness.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

HarnessOptions keyboardOnly()
{
    HarnessOptions o;
    o.keyboard = true;
    o.mouse = false;
    return o;
}

// Restores the dialog hooks a test replaced.
struct HookGuard {
    DialogHooks saved = dialogHooks();
    ~HookGuard() { dialogHooks() = saved; }
};

class OtherTab {
public:
    explicit OtherTab(AppHarness& app) : app(app), main(app.controller()) {}

    FunctionOtherSettingController* panel() const
    {
        return dynamic_cast<FunctionOtherSettingController*>(main.otherSettingController.get());
    }
    std::shared_ptr<KeyboardEntry> keyboard() const
    {
        return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
    }
    void select() const
    {
        QTest::mouseClick(main.settingTabView, Qt::LeftButton, {}, QPoint(20, main.settingTabView->height() / 2));
    }
    // A click on the tab's triangle: opens the menu, or closes it when open.
    void clickTriangle() const
    {
        QTest::mouseClick(main.settingTabView, Qt::LeftButton, {}, main.settingTabView->triangleRect().center());
    }
    TabMenuSettingItemView* row(FunctionItem function) const
    {
        return panel()->menuView() ? panel()->menuView()->row(function) : nullptr;
    }
    std::vector<FunctionItem> rows() const
    {
        std::vector<FunctionItem> out;
        for (auto* r : panel()->menuView()->rows())
            out.push_back(r->function);
        return out;
    }
    // Opens the menu and clicks the row, as the user does.
    void choose(FunctionItem function) const
    {
        if (!panel()->isMenuViewShown())
            clickTriangle();
        ASSERT_TRUE(panel()->isMenuViewShown());
        ASSERT_NE(row(function), nullptr);
        QTest::mouseClick(row(function), Qt::LeftButton);
    }
    bool sendShown() const { return !main.sendButton->isHidden(); }
    bool helpEnabled() const { return main.userManualMenuItem->isEnabled(); }

    AppHarness& app;
    MainViewController& main;
};

int count(const std::vector<uint8_t>& commands, uint8_t code)
{
    return int(std::count(commands.begin(), commands.end(), code));
}

} // namespace

TEST(OtherSettingMenu, RowsFollowTheKeyboardAndTheDeviceList)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    OtherTab tab(app);
    ASSERT_NE(tab.panel(), nullptr);
    tab.select();

    tab.clickTriangle();
    ASSERT_TRUE(tab.panel()->isMenuViewShown());
    const std::vector<FunctionItem> six{FunctionItem::ToSaveTheDevice, FunctionItem::ToInitialSetting,
                                        FunctionItem::CapsLkCtrl,      FunctionItem::IndicatorLedSettings,
                                        FunctionItem::FWUpdate,        FunctionItem::FolderSetting};
    EXPECT_EQ(tab.rows(), six);
    EXPECT_EQ(tab.row(FunctionItem::AppendDevice), nullptr);
    EXPECT_EQ(tab.row(FunctionItem::CapsLkCtrl)->accessibleName(), tab.row(FunctionItem::CapsLkCtrl)->titleString);
    // The menu hangs from the Other tab.
    const QRect panelRect = tab.panel()->menuView()->menuView()->geometry();
    EXPECT_EQ(panelRect.left(), tab.main.settingTabView->x());
    EXPECT_EQ(panelRect.top(), tab.main.settingTabView->mapTo(tab.main.mainView, QPoint(0, 0)).y() +
                                   tab.main.settingTabView->height());
    tab.clickTriangle();
    EXPECT_FALSE(tab.panel()->isMenuViewShown());

    // A keyboard without indicator LED settings gets five rows at the next opening.
    tab.keyboard()->supportIndicatorLedSettings = false;
    tab.clickTriangle();
    auto five = six;
    five.erase(five.begin() + 3);
    EXPECT_EQ(tab.rows(), five);
    tab.clickTriangle();
    tab.keyboard()->supportIndicatorLedSettings = true;

    // Without usable devices the device rows are disabled and the Caps Lock
    // mark is cleared; the LED row stays enabled.
    tab.keyboard()->deviceKeyCodeChange = KeyCodeChange::Enable;
    tab.panel()->showMenuView(false);
    for (auto f : six)
        EXPECT_EQ(tab.row(f)->isEnable, f == FunctionItem::IndicatorLedSettings) << int(f);
    EXPECT_FALSE(tab.row(FunctionItem::CapsLkCtrl)->isCheckDraw);

    // A click on a disabled row does nothing and the menu stays open.
    app.keyboard->clearLog();
    QTest::mouseClick(tab.row(FunctionItem::CapsLkCtrl), Qt::LeftButton);
    EXPECT_TRUE(tab.panel()->isMenuViewShown());
    EXPECT_TRUE(app.keyboard->commands().empty());
    EXPECT_EQ(tab.keyboard()->deviceKeyCodeChange, KeyCodeChange::Enable);
}

TEST(OtherSettingMenu, EnteringTheTabRereadsTheKeyCodeChangeAndLeavesTheFlag)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    OtherTab tab(app);
    // Changed on the device behind the model's back.
    app.keyboard->live().codeChange = 1;
    AppParam::paintColor = AppColor::opaqueRed();
    AppParam::appCropMode = CropMode::Area;
    tab.select();
    EXPECT_EQ(tab.keyboard()->deviceKeyCodeChange, KeyCodeChange::Enable);
    EXPECT_EQ(AppParam::appCropMode, CropMode::None);
    EXPECT_EQ(AppParam::paintColor, AppColor::clear());
    EXPECT_FALSE(tab.sendShown());
    tab.clickTriangle();
    EXPECT_TRUE(tab.row(FunctionItem::CapsLkCtrl)->isCheckDraw);
}

TEST(OtherSettingCapsLock, EachChoiceTogglesTheDeviceAndSendStoresIt)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    OtherTab tab(app);
    tab.select();
    app.keyboard->clearLog();

    tab.choose(FunctionItem::CapsLkCtrl);
    EXPECT_FALSE(tab.panel()->isMenuViewShown());
    EXPECT_EQ(app.keyboard->live().codeChange, 1);
    EXPECT_EQ(app.keyboard->stored().codeChange, 0);
    EXPECT_TRUE(tab.sendShown());
    tab.clickTriangle();
    EXPECT_TRUE(tab.row(FunctionItem::CapsLkCtrl)->isCheckDraw);
    tab.clickTriangle();

    tab.choose(FunctionItem::CapsLkCtrl);
    EXPECT_EQ(app.keyboard->live().codeChange, 0);
    tab.choose(FunctionItem::CapsLkCtrl);
    EXPECT_EQ(app.keyboard->live().codeChange, 1);
    EXPECT_EQ(count(app.keyboard->commands(), 0x84), 3);

    QTest::mouseClick(tab.main.sendButton, Qt::LeftButton);
    EXPECT_EQ(app.keyboard->stored().codeChange, 1);
    EXPECT_FALSE(tab.sendShown());
}

TEST(OtherSettingCapsLock, RefusedCommandRunsTheRecoveryAndTheWindowStaysUsable)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    OtherTab tab(app);
    tab.select();
    const auto before = tab.keyboard();
    app.keyboard->inject({.kind = emu::FaultKind::Status, .command = 0x84});

    tab.choose(FunctionItem::CapsLkCtrl);
    // The recovery dropped the keyboard and connected it again.
    ASSERT_TRUE(AppHarness::waitFor([&] { return app.keyboard->startCount() == 2; }));
    EXPECT_NE(tab.keyboard(), before);
    EXPECT_EQ(app.keyboard->live().codeChange, 0);
    // The failed choice is not an unsent change of the new connection.
    EXPECT_FALSE(tab.sendShown());

    tab.choose(FunctionItem::CapsLkCtrl);
    EXPECT_EQ(app.keyboard->live().codeChange, 1);
    tab.clickTriangle();
    EXPECT_TRUE(tab.row(FunctionItem::CapsLkCtrl)->isCheckDraw);
}

TEST(OtherSettingFactoryReset, YesRestoresTheFactorySettingsAndShowsSendNoSendsNothing)
{
    AppHarness app(keyboardOnly());
    app.keyboard->live().codeChange = 1;
    app.keyboard->live().brightness = 0;
    app.keyboard->live().apc.fill(2);
    ASSERT_TRUE(app.start());
    OtherTab tab(app);
    tab.select();
    ASSERT_EQ(tab.keyboard()->deviceKeyCodeChange, KeyCodeChange::Enable);

    app.answer = [](const QString&) { return 0; };
    tab.clickTriangle();  // re-enters the tab, which reads the key-code change
    app.keyboard->clearLog();
    tab.choose(FunctionItem::ToInitialSetting);
    ASSERT_EQ(app.asked.size(), 1u);
    EXPECT_EQ(app.asked.back(), QStringLiteral("CheckKeyboardRestoreDefault"));
    EXPECT_TRUE(app.keyboard->commands().empty());
    EXPECT_EQ(app.keyboard->factoryCount(), 0);
    EXPECT_FALSE(tab.sendShown());

    app.answer = [](const QString&) { return 1; };
    tab.choose(FunctionItem::ToInitialSetting);
    EXPECT_EQ(app.keyboard->factoryCount(), 1);
    EXPECT_EQ(app.keyboard->live(), emu::EmulatedKeyboard::Settings::defaults());
    // Nothing was changed by the user, yet the factory state counts as unsent.
    EXPECT_TRUE(tab.sendShown());
    // The model was read again.
    EXPECT_EQ(tab.keyboard()->deviceKeyCodeChange, KeyCodeChange::Disable);
    EXPECT_EQ(tab.keyboard()->ledBrightness, LedBrightness::Level2);
    EXPECT_EQ(tab.keyboard()->keytopList.front().apcLevel, ApcLevel::Middle);
}

TEST(OtherSettingFactoryReset, RefusedResetRunsTheRecovery)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    OtherTab tab(app);
    tab.select();
    app.keyboard->inject({.kind = emu::FaultKind::Status, .command = 0x03});
    tab.choose(FunctionItem::ToInitialSetting);
    ASSERT_TRUE(AppHarness::waitFor([&] { return app.keyboard->startCount() == 2; }));
    EXPECT_FALSE(tab.sendShown());
    EXPECT_TRUE(tab.keyboard()->hidIsOpened());
}

TEST(OtherSettingStore, AsksEvenWithNothingUnsentAndStoresOnYes)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    OtherTab tab(app);
    tab.select();
    ASSERT_FALSE(AppParam::keyboardSettingsChanged);
    app.keyboard->live().codeChange = 1;  // differs from the stored copy
    tab.choose(FunctionItem::ToSaveTheDevice);
    ASSERT_EQ(app.asked.size(), 1u);
    EXPECT_EQ(app.asked.back(), QStringLiteral("CheckKeyboardSettingsSave"));
    EXPECT_EQ(app.keyboard->storeCount(), 1);
    EXPECT_EQ(app.keyboard->stored().codeChange, 1);
}

TEST(OtherSettingDialogs, FolderChoiceIsKeptOnlyWhenConfirmed)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    HookGuard restore;
    OtherTab tab(app);
    tab.select();
    const QString original = AppParam::userProfileFilePath;
    QString started;
    bool maskDuringRun = false;
    bool helpDuringRun = true;
    int answer = 0;
    dialogHooks().profileFolderSelect = [&](const QString& start, QString& chosen) {
        started = start;
        maskDuringRun = bool(tab.main.maskView);
        helpDuringRun = tab.helpEnabled();
        chosen = QStringLiteral("/tmp/elsewhere/");
        return answer;
    };

    tab.choose(FunctionItem::FolderSetting);
    EXPECT_EQ(started, original);
    EXPECT_TRUE(maskDuringRun);
    EXPECT_FALSE(helpDuringRun);
    EXPECT_EQ(AppParam::userProfileFilePath, original);
    EXPECT_FALSE(tab.main.maskView);
    EXPECT_TRUE(tab.helpEnabled());

    answer = 1;
    tab.choose(FunctionItem::FolderSetting);
    EXPECT_EQ(AppParam::userProfileFilePath, QStringLiteral("/tmp/elsewhere/"));
}

TEST(OtherSettingDialogs, FirmwareUpdateStoresFirstAndRunsTheUpdateOnlyAfterAConfirmedFile)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    HookGuard restore;
    OtherTab tab(app);
    tab.select();
    int chooserRuns = 0;
    int chooserAnswer = 0;
    int updates = 0;
    dialogHooks().firmwareFileSelect = [&](const QString&, QString& chosen) {
        ++chooserRuns;
        chosen = QStringLiteral("/tmp/new-image.vxb");
        return chooserAnswer;
    };
    dialogHooks().firmwareUpdate = [&](QWidget*) {
        ++updates;
        return AppError::DevceRead;
    };
    AppParam::firmwareFilePath = QStringLiteral("/tmp/old-image.vxb");

    // Unsent changes: the store question comes first; "No" still leads to
    // the file dialog, whose Cancel changes nothing.
    tab.choose(FunctionItem::CapsLkCtrl);
    ASSERT_TRUE(tab.sendShown());
    app.answer = [](const QString&) { return 0; };
    tab.choose(FunctionItem::FWUpdate);
    EXPECT_EQ(app.asked.back(), QStringLiteral("CheckKeyboardSettingsSave"));
    EXPECT_EQ(app.keyboard->storeCount(), 0);
    EXPECT_EQ(chooserRuns, 1);
    EXPECT_EQ(updates, 0);
    EXPECT_EQ(AppParam::firmwareFilePath, QStringLiteral("/tmp/old-image.vxb"));
    EXPECT_FALSE(tab.main.maskView);

    // A confirmed file is kept and the update runs.
    chooserAnswer = 1;
    tab.choose(FunctionItem::FWUpdate);
    EXPECT_EQ(chooserRuns, 2);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(AppParam::firmwareFilePath, QStringLiteral("/tmp/new-image.vxb"));
}

TEST(OtherSettingDialogs, FailedStoreBeforeAFirmwareUpdateAbandonsItAndGivesTheHelpItemsBack)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    HookGuard restore;
    OtherTab tab(app);
    tab.select();
    int chooserRuns = 0;
    dialogHooks().firmwareFileSelect = [&](const QString&, QString&) {
        ++chooserRuns;
        return 1;
    };
    tab.choose(FunctionItem::CapsLkCtrl);
    app.keyboard->inject({.kind = emu::FaultKind::Status, .command = 0x04});
    tab.choose(FunctionItem::FWUpdate);
    EXPECT_EQ(chooserRuns, 0);
    EXPECT_FALSE(tab.main.maskView);
    EXPECT_TRUE(tab.helpEnabled());
    ASSERT_TRUE(AppHarness::waitFor([&] { return app.keyboard->startCount() == 2; }));
}

TEST(OtherSettingDialogs, AppendDeviceHasNoRowButItsHandlerCopiesAConfirmedPackage)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    HookGuard restore;
    OtherTab tab(app);
    const QString package = app.workFolder() + QStringLiteral("/incoming/Extra.key");
    ASSERT_TRUE(QDir().mkpath(app.workFolder() + QStringLiteral("/incoming")));
    {
        QFile f(package);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a real package");
    }
    int answer = 0;
    dialogHooks().appendKeyboard = [&](const QString&, QString& chosen) {
        chosen = package;
        return answer;
    };
    AppParam::firmwareFilePath.clear();
    tab.panel()->clickTabMenuItem(nullptr, FunctionItem::AppendDevice);
    EXPECT_TRUE(AppParam::firmwareFilePath.isEmpty());
    answer = 1;
    tab.panel()->clickTabMenuItem(nullptr, FunctionItem::AppendDevice);
    EXPECT_EQ(AppParam::firmwareFilePath, package);
    EXPECT_TRUE(QFile::exists(app.workFolder() + QStringLiteral("/Extra.key")));
    // The keyboard stays connected.
    EXPECT_TRUE(tab.keyboard()->hidIsOpened());
}

TEST(OtherSettingWithoutKeyboard, DeviceActionsDoNothingAndNoLedDialogOpens)
{
    {
        AppHarness app([] {
            HarnessOptions o;
            o.keyboard = false;
            o.mouse = false;
            return o;
        }());
        ASSERT_TRUE(app.start());
        OtherTab tab(app);
        for (auto f : {FunctionItem::CapsLkCtrl, FunctionItem::ToInitialSetting, FunctionItem::ToSaveTheDevice,
                       FunctionItem::IndicatorLedSettings})
            tab.panel()->clickTabMenuItem(nullptr, f);
        EXPECT_TRUE(app.asked.empty());
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
        EXPECT_FALSE(tab.sendShown());
        EXPECT_TRUE(DialogRegistry::openDialogs().empty());
    }
    {
        HarnessOptions o;
        o.keyboard = false;
        o.mouse = true;
        AppHarness app(o);
        ASSERT_TRUE(app.start());
        ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Mouse);
        OtherTab tab(app);
        tab.panel()->clickTabMenuItem(nullptr, FunctionItem::IndicatorLedSettings);
        tab.panel()->clickTabMenuItem(nullptr, FunctionItem::CapsLkCtrl);
        EXPECT_TRUE(DialogRegistry::openDialogs().empty());
        EXPECT_FALSE(tab.main.maskView);
        EXPECT_EQ(count(app.mouse->commands(), 0x84), 0);
        EXPECT_EQ(count(app.mouse->commands(), 0x44), 0);
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    }
}
