// The keyboard's Other tab on the virtual bus: its menu, the Caps Lock
// key-code change, the factory reset, storing, the dialogs it opens, and
// what happens when the keyboard fails or is missing.
#include "AppParam.h"
#include "CustomControl/TabMenuView.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogHooks.h"
#include "Dialog/DialogProfileFolderSelect.h"
#include "Dialog/DialogRegistry.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainView.h"
#include "MainViewController.h"
#include "CustomControl/MainTabView.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "Utility/AppUtil.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;
using apptest::HarnessOptions;
using apptest::devices;
using F = FunctionItem;

namespace {

// The application with the Other tab selected; restores the dialog hooks.
struct OtherTab {
    explicit OtherTab(bool keyboard = true, bool mouse = false) : app(devices(keyboard, mouse)) {}
    ~OtherTab() { dialogHooks() = savedHooks; }

    bool start()
    {
        if (!app.start())
            return false;
        QTest::mouseClick(tabView(), Qt::LeftButton, {}, QPoint(20, tabView()->height() / 2));
        return true;
    }
    MainViewController& main() { return app.controller(); }
    MainTabView* tabView() { return uitest::WindowProbe::tabView(main(), FunctionTab::OtherSetting); }
    FunctionOtherSettingController* panel()
    {
        return dynamic_cast<FunctionOtherSettingController*>(uitest::WindowProbe::tabPanel(main(), FunctionTab::OtherSetting));
    }
    std::shared_ptr<KeyboardEntry> keyboard() { return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device); }
    // A click on the tab's triangle: opens the menu, or closes it when open.
    void clickTriangle() { apptest::clickTabTriangle(tabView()); }
    TabMenuSettingItemView* row(F f) { return panel()->menuView()->row(f); }
    std::vector<F> rows()
    {
        std::vector<F> out;
        for (auto* r : panel()->menuView()->rows())
            out.push_back(r->function);
        return out;
    }
    // Opens the menu and clicks the row, as the user does.
    void choose(F f)
    {
        if (!panel()->isMenuViewShown())
            clickTriangle();
        ASSERT_NE(row(f), nullptr);
        QTest::mouseClick(row(f), Qt::LeftButton);
    }
    bool sendShown() { return !uitest::WindowProbe::window(main()).sendButton->isHidden(); }
    bool helpEnabled() { return uitest::WindowProbe::window(main()).userManualMenuItem->isEnabled(); }
    bool reconnected() { return AppHarness::waitFor([&] { return app.keyboard->startCount() == 2; }); }
    int sent(uint8_t code)
    {
        const auto c = app.keyboard->commands();
        return int(std::count(c.begin(), c.end(), code));
    }

    AppHarness app;
    DialogHooks savedHooks = dialogHooks();
};

} // namespace

TEST(OtherSettingMenu, RowsFollowTheKeyboardTheDeviceListAndTheDevicesKeyCodeChange)
{
    OtherTab tab;
    tab.app.keyboard->live().codeChange = 1;  // changed behind the model's back
    ASSERT_TRUE(tab.start());
    EXPECT_EQ(tab.keyboard()->deviceKeyCodeChange, KeyCodeChange::Enable);  // re-read on entry
    EXPECT_FALSE(tab.sendShown());

    tab.clickTriangle();
    ASSERT_TRUE(tab.panel()->isMenuViewShown());
    const std::vector<F> six{F::ToSaveTheDevice, F::ToInitialSetting, F::CapsLkCtrl,
                             F::IndicatorLedSettings, F::FWUpdate, F::FolderSetting};
    EXPECT_EQ(tab.rows(), six);
    EXPECT_TRUE(tab.row(F::CapsLkCtrl)->isCheckDraw());
    EXPECT_EQ(tab.row(F::CapsLkCtrl)->accessibleName(), tab.row(F::CapsLkCtrl)->titleString());
    // The menu hangs from the Other tab.
    const QRect panelRect = tab.panel()->menuView()->menuView()->geometry();
    EXPECT_EQ(panelRect.topLeft(), tab.tabView()->mapTo(uitest::WindowProbe::window(tab.main()).mainView, QPoint(0, tab.tabView()->height())));
    tab.clickTriangle();
    EXPECT_FALSE(tab.panel()->isMenuViewShown());

    // Without indicator LED settings: five rows at the next opening.
    tab.keyboard()->supportIndicatorLedSettings = false;
    tab.clickTriangle();
    EXPECT_EQ(tab.rows().size(), 5u);
    EXPECT_EQ(tab.row(F::IndicatorLedSettings), nullptr);
    tab.clickTriangle();
    tab.keyboard()->supportIndicatorLedSettings = true;

    // No usable device: the device rows are disabled and unchecked; a click
    // on one does nothing and leaves the menu open.
    tab.panel()->showMenuView(false);
    for (F f : six)
        EXPECT_EQ(tab.row(f)->isEnable(), f == F::IndicatorLedSettings) << int(f);
    EXPECT_FALSE(tab.row(F::CapsLkCtrl)->isCheckDraw());
    tab.app.keyboard->clearLog();
    QTest::mouseClick(tab.row(F::CapsLkCtrl), Qt::LeftButton);
    EXPECT_TRUE(tab.panel()->isMenuViewShown());
    EXPECT_TRUE(tab.app.keyboard->commands().empty());
}

TEST(OtherSettingCapsLock, EachChoiceTogglesTheDeviceAndARefusalRunsTheRecovery)
{
    OtherTab tab;
    ASSERT_TRUE(tab.start());
    auto& kb = *tab.app.keyboard;
    tab.choose(F::CapsLkCtrl);
    EXPECT_EQ(kb.live().codeChange, 1);
    EXPECT_TRUE(tab.sendShown());
    tab.clickTriangle();
    EXPECT_TRUE(tab.row(F::CapsLkCtrl)->isCheckDraw());
    tab.clickTriangle();
    tab.choose(F::CapsLkCtrl);
    EXPECT_EQ(kb.live().codeChange, 0);
    tab.choose(F::CapsLkCtrl);
    QTest::mouseClick(uitest::WindowProbe::window(tab.main()).sendButton, Qt::LeftButton);
    EXPECT_EQ(kb.stored().codeChange, 1);
    EXPECT_FALSE(tab.sendShown());

    // A refused command: the keyboard is dropped and connected again, the
    // window goes on and the mark shows the keyboard as it is now.
    const auto before = tab.keyboard();
    kb.inject({.kind = emu::FaultKind::Status, .command = 0x84});
    tab.choose(F::CapsLkCtrl);
    ASSERT_TRUE(tab.reconnected());
    EXPECT_NE(tab.keyboard(), before);
    EXPECT_FALSE(tab.sendShown());
    tab.choose(F::CapsLkCtrl);
    EXPECT_EQ(kb.live().codeChange, 0);
    tab.clickTriangle();
    EXPECT_FALSE(tab.row(F::CapsLkCtrl)->isCheckDraw());
}

TEST(OtherSettingFactoryReset, AskedFirstThenRestoresAndShowsSend)
{
    OtherTab tab;
    auto& kb = *tab.app.keyboard;
    kb.live().codeChange = 1;
    kb.live().apc.fill(2);
    ASSERT_TRUE(tab.start());

    tab.app.answer = [](const QString&) { return 0; };
    tab.clickTriangle();  // re-enters the tab first, which reads the device
    kb.clearLog();
    tab.choose(F::ToInitialSetting);
    EXPECT_EQ(tab.app.asked, std::vector<QString>{QStringLiteral("CheckKeyboardRestoreDefault")});
    EXPECT_TRUE(kb.commands().empty());

    tab.app.answer = [](const QString&) { return 1; };
    tab.choose(F::ToInitialSetting);
    EXPECT_EQ(kb.factoryCount(), 1);
    EXPECT_EQ(kb.live(), emu::EmulatedKeyboard::Settings::defaults());
    EXPECT_TRUE(tab.sendShown());  // nothing was changed by hand, yet it is unsent
    EXPECT_EQ(tab.keyboard()->deviceKeyCodeChange, KeyCodeChange::Disable);  // read again
    EXPECT_EQ(tab.keyboard()->keytopList.front().apcLevel, ApcLevel::Middle);

    // Store asks even with nothing unsent.
    tab.choose(F::ToSaveTheDevice);
    EXPECT_EQ(tab.app.asked.back(), QStringLiteral("CheckKeyboardSettingsSave"));
    EXPECT_EQ(kb.storeCount(), 1);

    kb.inject({.kind = emu::FaultKind::Status, .command = 0x03});
    tab.choose(F::ToInitialSetting);
    ASSERT_TRUE(tab.reconnected());
    EXPECT_FALSE(tab.sendShown());
    EXPECT_TRUE(tab.keyboard()->hidIsOpened());
}

TEST(OtherSettingDialogs, FolderAndAppendKeepOnlyConfirmedChoices)
{
    OtherTab tab;
    ASSERT_TRUE(tab.start());
    // The folder dialog: Cancel keeps the folder, OK takes the typed one.
    const QString original = AppParam::userProfileFilePath;
    const QString typed = tab.app.workFolder() + QStringLiteral("/profiles");
    bool maskAndNoHelp = false;
    auto answerFolderDialog = [&](bool ok) {
        uitest::whenDialogShown(DialogKind::ProfileFolderSelect, [&, ok](ModalDialog* modal) {
            auto* d = qobject_cast<DialogProfileFolderSelect*>(modal);
            maskAndNoHelp = uitest::WindowProbe::window(tab.main()).maskView && !tab.helpEnabled();
            d->folderPathLabel()->selectAll();
            QTest::keyClicks(d->folderPathLabel(), typed);
            QTest::mouseClick(ok ? d->okButton() : d->cancelButton(), Qt::LeftButton);
        });
    };
    answerFolderDialog(false);
    tab.choose(F::FolderSetting);
    EXPECT_TRUE(maskAndNoHelp);
    EXPECT_EQ(AppParam::userProfileFilePath, original);
    EXPECT_FALSE(uitest::WindowProbe::window(tab.main()).maskView);
    EXPECT_TRUE(tab.helpEnabled());
    answerFolderDialog(true);
    tab.choose(F::FolderSetting);
    EXPECT_EQ(AppParam::userProfileFilePath, typed + u'/');

    // No row carries AppendDevice; its handler copies a confirmed package.
    const QString package = tab.app.workFolder() + QStringLiteral("/in/Extra.key");
    ASSERT_TRUE(QDir().mkpath(tab.app.workFolder() + QStringLiteral("/in")));
    ASSERT_TRUE(QFile::copy(AppUtil::resourceProfileFolder() + QStringLiteral("KVK108US.key"), package));
    int answer = 0;
    dialogHooks().appendKeyboard = [&](const QString&, QString& chosen) {
        chosen = package;
        return answer;
    };
    AppParam::firmwareFilePath.clear();
    tab.panel()->clickTabMenuItem(nullptr, F::AppendDevice);
    EXPECT_TRUE(AppParam::firmwareFilePath.isEmpty());
    answer = 1;
    tab.panel()->clickTabMenuItem(nullptr, F::AppendDevice);
    EXPECT_EQ(AppParam::firmwareFilePath, package);
    EXPECT_TRUE(QFile::exists(tab.app.workFolder() + QStringLiteral("/Extra.key")));
}

TEST(OtherSettingDialogs, FirmwareUpdateStoresFirstAndNeedsAConfirmedFile)
{
    OtherTab tab;
    ASSERT_TRUE(tab.start());
    int chooserRuns = 0, chooserAnswer = 0, updates = 0;
    dialogHooks().firmwareFileSelect = [&](const QString&, QString& chosen) {
        ++chooserRuns;
        chosen = QStringLiteral("/tmp/new.vxb");
        return chooserAnswer;
    };
    dialogHooks().firmwareUpdate = [&](QWidget*) {
        ++updates;
        return AppError::DevceRead;
    };
    AppParam::firmwareFilePath = QStringLiteral("/tmp/old.vxb");

    // Unsent changes: asked to store first; "No" still leads to the file
    // dialog, whose Cancel changes nothing.
    tab.choose(F::CapsLkCtrl);
    tab.app.answer = [](const QString&) { return 0; };
    tab.choose(F::FWUpdate);
    EXPECT_EQ(tab.app.asked.back(), QStringLiteral("CheckKeyboardSettingsSave"));
    EXPECT_EQ(tab.app.keyboard->storeCount(), 0);
    EXPECT_EQ(chooserRuns, 1);
    EXPECT_EQ(AppParam::firmwareFilePath, QStringLiteral("/tmp/old.vxb"));
    EXPECT_FALSE(uitest::WindowProbe::window(tab.main()).maskView);

    chooserAnswer = 1;
    tab.choose(F::FWUpdate);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(AppParam::firmwareFilePath, QStringLiteral("/tmp/new.vxb"));

    // A failed store abandons the update and gives the help items back,
    // also when no recovery runs (no device location selected).
    ASSERT_TRUE(tab.reconnected());  // the failed update above ran the recovery
    tab.choose(F::CapsLkCtrl);
    tab.app.answer = [](const QString&) { return 1; };
    tab.app.keyboard->inject({.kind = emu::FaultKind::Status, .command = 0x04});
    const int32_t location = AppParam::selectDeviceLocation;
    AppParam::selectDeviceLocation = 0;
    tab.choose(F::FWUpdate);
    AppParam::selectDeviceLocation = location;
    EXPECT_EQ(chooserRuns, 2);
    EXPECT_EQ(tab.app.keyboard->startCount(), 2);
    EXPECT_FALSE(uitest::WindowProbe::window(tab.main()).maskView);
    EXPECT_TRUE(tab.helpEnabled());
}

TEST(OtherSettingWithoutKeyboard, DeviceActionsDoNothingAndNoLedDialogOpens)
{
    for (bool mouse : {false, true}) {
        OtherTab tab(false, mouse);
        ASSERT_TRUE(tab.app.start());
        for (F f : {F::CapsLkCtrl, F::ToInitialSetting, F::ToSaveTheDevice, F::IndicatorLedSettings})
            tab.panel()->clickTabMenuItem(nullptr, f);
        EXPECT_TRUE(tab.app.asked.empty());
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
        EXPECT_TRUE(DialogRegistry::openDialogs().empty());
        EXPECT_FALSE(uitest::WindowProbe::window(tab.main()).maskView);
    }
}
