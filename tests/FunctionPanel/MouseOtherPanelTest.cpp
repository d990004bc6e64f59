// The mouse Other tab on the virtual bus: its menu, store, factory reset
// (and the stored settings coming back when the mouse is closed unsent),
// the firmware update path with its store question, and the profile folder.
#include "Device/MouseEntry.h"
#include "Dialog/DialogHooks.h"
#include "FunctionPanel/FunctionMOtherSettingController.h"
#include "MousePanelFixture.h"

using namespace mousepanel;

namespace {

constexpr uint8_t kFactory = 0x03, kStore = 0x04;

class MouseOtherPanelTest : public MousePanelTest {
protected:
    void open(const std::function<void(Mouse&)>& prepare = {})
    {
        start(prepare);
        main->clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::MOtherSetting));
        panel = dynamic_cast<FunctionMOtherSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::MOtherSetting));
        ASSERT_NE(panel, nullptr);
        mouse().clearLog();
    }
    void TearDown() override
    {
        installDialogHooks();
        MousePanelTest::TearDown();
    }
    // Opens the tab's menu and clicks the row of `function`, as a user does.
    void choose(FunctionItem function)
    {
        if (!panel->isMenuViewShown())
            main->clickTabMenuIcon(uitest::WindowProbe::tabView(*main, FunctionTab::MOtherSetting));
        ASSERT_TRUE(panel->isMenuViewShown());
        TabMenuSettingItemView* row = panel->menuView()->row(function);
        ASSERT_NE(row, nullptr);
        ASSERT_TRUE(row->isVisible());
        QTest::mouseClick(row, Qt::LeftButton);
    }
    void markChanged()
    {
        AppParam::keyboardSettingsChanged = true;
        main->updateKeyboardSettingsChanged();
    }

    FunctionMOtherSettingController* panel = nullptr;
};

TEST_F(MouseOtherPanelTest, TheMenuOpensAndClosesAndIsDisabledWithoutDevices)
{
    open();
    main->clickTabMenuIcon(uitest::WindowProbe::tabView(*main, FunctionTab::MOtherSetting));
    ASSERT_TRUE(panel->isMenuViewShown());
    ASSERT_EQ(panel->menuView()->rows().size(), 4u);
    for (auto* row : panel->menuView()->rows())
        EXPECT_TRUE(row->isEnable());
    main->clickTabMenuIcon(uitest::WindowProbe::tabView(*main, FunctionTab::MOtherSetting));
    EXPECT_FALSE(panel->isMenuViewShown());

    panel->showMenuView(false);
    ASSERT_TRUE(panel->isMenuViewShown());
    for (auto* row : panel->menuView()->rows())
        EXPECT_FALSE(row->isEnable()) << row->titleString().toStdString();
    panel->closeMenuView(true);
}

TEST_F(MouseOtherPanelTest, FactoryResetCountsAsUnsentAndClosingPutsTheStoredSettingsBack)
{
    open([](Mouse& m) {
        m.live()[Mouse::kColor] = 1;
        m.live()[Mouse::kDpi + 1] = 40;
        m.stored() = m.live();
    });
    app->answer = [](const QString&) { return 0; };
    choose(FunctionItem::ToInitialSetting);
    EXPECT_EQ(app->asked.back(), QStringLiteral("CheckKeyboardRestoreDefault"));
    EXPECT_TRUE(mouse().writes().empty()) << "No sends nothing";

    app->answer = nullptr;
    choose(FunctionItem::ToInitialSetting);
    EXPECT_EQ(count(kFactory), 1);
    EXPECT_EQ(mouse().live()[Mouse::kColor], Mouse::defaults()[Mouse::kColor]);
    EXPECT_TRUE(sendShown());
    auto m = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->color, LedColor::White) << "the model was read again";

    // Closed without Send: the settings stored before the reset come back.
    ASSERT_EQ(m->close(true), AppError::NoError);
    EXPECT_EQ(mouse().live()[Mouse::kColor], 1);
    EXPECT_EQ(mouse().live()[Mouse::kDpi + 1], 40);
}

TEST_F(MouseOtherPanelTest, StoreSendsTheStoreCommandAfterTheQuestion)
{
    open();
    markChanged();
    choose(FunctionItem::ToSaveTheDevice);
    EXPECT_EQ(app->asked.back(), QStringLiteral("CheckMouseSettingsSave"));
    EXPECT_EQ(count(kStore), 1);
    EXPECT_FALSE(sendShown());
}

TEST_F(MouseOtherPanelTest, FirmwareUpdateAsksToStoreFirstAndNoStillOpensTheChooser)
{
    open();
    int chooserRuns = 0, updates = 0;
    bool maskDuringChooser = false, helpDuringChooser = true;
    dialogHooks().firmwareFileSelect = [&](const QString& start, QString& chosen) {
        ++chooserRuns;
        maskDuringChooser = main->isDialogMaskUp();
        helpDuringChooser = main->isHelpMenuEnabled();
        chosen = start + QStringLiteral("fw.bin");
        return 0;
    };
    dialogHooks().firmwareUpdate = [&](QWidget*) {
        ++updates;
        return AppError::NoError;
    };
    markChanged();
    app->answer = [](const QString&) { return 0; };
    choose(FunctionItem::FWUpdate);
    EXPECT_EQ(app->asked.back(), QStringLiteral("CheckMouseSettingsSave"));
    EXPECT_EQ(count(kStore), 0);
    EXPECT_EQ(chooserRuns, 1);
    EXPECT_TRUE(maskDuringChooser);
    EXPECT_FALSE(helpDuringChooser);
    EXPECT_FALSE(main->isDialogMaskUp());
    EXPECT_TRUE(main->isHelpMenuEnabled());
    EXPECT_EQ(updates, 0) << "a cancelled chooser starts nothing";

    // OK in the chooser: the path is kept and the update runs.
    AppParam::keyboardSettingsChanged = false;
    AppParam::firmwareFilePath = QStringLiteral("/tmp/");
    dialogHooks().firmwareFileSelect = [&](const QString& start, QString& chosen) {
        chosen = start + QStringLiteral("fw.bin");
        return 1;
    };
    choose(FunctionItem::FWUpdate);
    EXPECT_EQ(AppParam::firmwareFilePath, QStringLiteral("/tmp/fw.bin"));
    EXPECT_EQ(updates, 1);
}

TEST_F(MouseOtherPanelTest, AFailedStoreBeforeAnUpdateAbandonsItAndGivesTheHelpItemsBack)
{
    open();
    int chooserRuns = 0;
    dialogHooks().firmwareFileSelect = [&](const QString&, QString&) { return ++chooserRuns, 0; };
    markChanged();
    // Without a remembered location no recovery runs (a reconnect would
    // enable the help items by itself).
    const int32_t location = AppParam::selectDeviceLocation;
    AppParam::selectDeviceLocation = 0;
    mouse().inject({.kind = emu::FaultKind::Status, .command = kStore});
    choose(FunctionItem::FWUpdate);
    AppParam::selectDeviceLocation = location;
    EXPECT_EQ(chooserRuns, 0);
    EXPECT_FALSE(main->isDialogMaskUp());
    EXPECT_TRUE(main->isHelpMenuEnabled());
}

TEST_F(MouseOtherPanelTest, TheProfileFolderIsKeptOnlyAfterOk)
{
    open();
    AppParam::userProfileFilePath = QStringLiteral("/old/");
    dialogHooks().profileFolderSelect = [](const QString&, QString& chosen) {
        chosen = QStringLiteral("/new/");
        return 0;
    };
    choose(FunctionItem::FolderSetting);
    EXPECT_EQ(AppParam::userProfileFilePath, QStringLiteral("/old/"));
    dialogHooks().profileFolderSelect = [](const QString& start, QString& chosen) {
        chosen = start + QStringLiteral("profiles/");
        return 1;
    };
    choose(FunctionItem::FolderSetting);
    EXPECT_EQ(AppParam::userProfileFilePath, QStringLiteral("/old/profiles/"));
    EXPECT_TRUE(main->isHelpMenuEnabled());
    EXPECT_FALSE(main->isDialogMaskUp());
}

TEST_F(MouseOtherPanelTest, ARefusedFactoryResetRunsTheRecoveryAndMarksNothing)
{
    open();
    mouse().inject({.kind = emu::FaultKind::Status, .command = kFactory});
    choose(FunctionItem::ToInitialSetting);
    EXPECT_FALSE(sendShown());
    ASSERT_TRUE(AppHarness::waitFor([&] { return main->conectDeviceLocation() == int32_t(apptest::kMouseLocation); }));
}

TEST_F(MouseOtherPanelTest, TheLedDialogDoesNotRunForAMouse)
{
    open();
    int runs = 0;
    dialogHooks().indicatorLedSettings = [&] { return ++runs, 1; };
    panel->clickTabMenuItem(nullptr, FunctionItem::IndicatorLedSettings);
    EXPECT_EQ(runs, 0);
}

} // namespace
