// The mouse button panel in the whole application on the virtual bus: the
// headers show what the emulated mouse reports, every menu row reaches the
// mouse, the swap, a custom key captured in the dialog, menus opening and
// closing, and faults (device errors, unplugging under the dialog and during
// the refresh, a recovery that leaves a keyboard behind, both firmware
// layouts).
#include "AppParam.h"
#include "Device/MouseEntry.h"
#include "Dialog/DialogCustomKeySetting.h"
#include "FunctionPanel/FunctionMButtonSettingController.h"
#include "MainView.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "Platform/Clock.h"
#include "Platform/Strings.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;
using emu::EmulatedMouse;

namespace {

QString text(const char* key) { return platform::localizedString(QString::fromLatin1(key)); }

// Data bytes of every write of the mouse with this command code.
std::vector<std::vector<uint8_t>> sent(const emu::EmulatedDevice& d, uint8_t command)
{
    std::vector<std::vector<uint8_t>> out;
    for (const auto& e : d.writes())
        if (e.command() == command)
            out.emplace_back(e.bytes.begin() + 6, e.bytes.begin() + 6 + e.bytes[5]);
    return out;
}

// One key going down or up on the physical key `evdev`, delivered to the
// dialog's window the way the window system delivers it.
void key(QWidget* dialog, int evdev, bool down, bool autoRepeat = false)
{
    QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, 0, Qt::NoModifier, quint32(evdev + 8), 0, 0,
                    QString(), autoRepeat);
    QCoreApplication::sendEvent(dialog->windowHandle(), &event);
}

// A click whose press may rebuild the panel (a recovery reconnects the
// mouse and sets the tab up again): the release goes only to a widget that
// is still there.
void click(QWidget* widget)
{
    QPointer<QWidget> alive(widget);
    QTest::mousePress(widget, Qt::LeftButton);
    if (alive)
        QTest::mouseRelease(widget, Qt::LeftButton);
}

constexpr int kLeftCtrl = 29, kLeftShift = 42, kA = 30, kC = 46;

class MouseButtonPanel : public ::testing::Test {
protected:
    void SetUp() override
    {
        apptest::HarnessOptions options;
        options.keyboard = withKeyboard;
        options.rememberedLocation = int32_t(apptest::kMouseLocation);
        app = std::make_unique<AppHarness>(options);
        prepare(*app->mouse);
        ASSERT_TRUE(app->start());
        main = &app->controller();
        QTest::mouseClick(uitest::WindowProbe::tabView(*main, FunctionTab::MButtonSetting), Qt::LeftButton, {}, QPoint(40, 24));
        panel = dynamic_cast<FunctionMButtonSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::MButtonSetting));
        ASSERT_NE(panel, nullptr);
        ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Mouse);
        ASSERT_EQ(AppParam::functionTabSelect, FunctionTab::MButtonSetting);
        app->mouse->clearLog();
    }
    void TearDown() override { app.reset(); }

    virtual void prepare(EmulatedMouse& mouse) { (void)mouse; }

    // Opens button n's menu by clicking its header, as the user does.
    void openMenu(int n)
    {
        QTest::mouseClick(panel->buttonMenu(n), Qt::LeftButton);
        ASSERT_TRUE(AppHarness::waitFor([&] { return panel->buttonMenuView(n)->isShown(); }, 2000));
    }

    TabMenuView* subMenu(int n, FunctionItem group)
    {
        for (const TabMenuItem& item : panel->buttonMenuView(n)->items)
            if (item.function == group)
                return item.subMenuListView;
        return nullptr;
    }

    // Header menu of button n, pointer onto `group`, click on `function`.
    void choose(int n, FunctionItem group, FunctionItem function)
    {
        openMenu(n);
        TabMenuSettingItemView* groupRow = panel->buttonMenuView(n)->row(group);
        ASSERT_NE(groupRow, nullptr);
        groupRow->mouseEntered();
        TabMenuView* sub = subMenu(n, group);
        ASSERT_NE(sub, nullptr);
        ASSERT_TRUE(sub->isShown());
        TabMenuSettingItemView* row = sub->row(function);
        ASSERT_NE(row, nullptr) << int(function);
        click(row);
    }

    void chooseSwap(int n)
    {
        openMenu(n);
        click(panel->buttonMenuView(n)->rows().front());
    }

    bool sendShown() const { return !uitest::WindowProbe::window(*main).sendButton->isHidden(); }

    bool withKeyboard = false;
    std::unique_ptr<AppHarness> app;
    MainViewController* main = nullptr;
    FunctionMButtonSettingController* panel = nullptr;
};

// ---- the headers follow the mouse ----------------------------------------------------------

class MouseButtonPanelPreset : public MouseButtonPanel {
    void prepare(EmulatedMouse& mouse) override
    {
        const uint8_t buttons[6] = {0x02, 0x01, 0x31, 0x2C, 0x00, 0x11};
        for (int i = 0; i < 6; ++i)
            mouse.live()[size_t(i)] = buttons[i];
        mouse.live()[EmulatedMouse::kCustomKeys + 2] = 0x01; // button 4: L Ctrl + C
        mouse.live()[EmulatedMouse::kCustomKeys + 3] = 0x06;
    }
};

TEST_F(MouseButtonPanelPreset, HeadersShowTheMouseWithSwapMarksAndCustomKeyText)
{
    EXPECT_EQ(panel->buttonMenu(1)->title(), text("MCode0x02"));
    EXPECT_EQ(panel->buttonMenu(2)->title(), text("MCode0x01"));
    EXPECT_TRUE(panel->buttonMenuView(1)->row(FunctionItem::SwapButton2)->isCheckDraw());
    EXPECT_TRUE(panel->buttonMenuView(2)->row(FunctionItem::SwapButton1)->isCheckDraw());
    EXPECT_EQ(panel->buttonMenu(3)->title(), text("MCode0x31"));
    NKMenuView* h4 = panel->buttonMenu(4);
    EXPECT_TRUE(h4->customKeyText);
    EXPECT_EQ(h4->toolTip(), QStringLiteral("L Ctrl + C"));
    EXPECT_EQ(h4->fullTitle(), text("MCode0x2C") + QStringLiteral("(L Ctrl + C)"));
    EXPECT_TRUE(h4->title().startsWith(text("MCode0x2C") + QStringLiteral("(")));
    EXPECT_TRUE(h4->title().endsWith(QStringLiteral(")")));
    // A code without a title leaves the header as set up.
    EXPECT_EQ(panel->buttonMenu(5)->title(), QString());
    EXPECT_EQ(panel->buttonMenu(6)->title(), text("MCode0x11"));
    // Setting up the tab is no change of settings.
    EXPECT_FALSE(sendShown());
    EXPECT_EQ(panel->buttonLabel(1)->text(), text("MButton1"));
}

TEST_F(MouseButtonPanelPreset, ChangeMadeOnTheMouseShowsAtTheNextSetUp)
{
    app->mouse->live()[2] = 0x15;
    app->mouse->live()[4] = 0x2C; // a custom key without keys
    uitest::WindowProbe::selectFunctionTab(*main, FunctionTab::MButtonSetting);
    EXPECT_EQ(panel->buttonMenu(3)->title(), text("MCode0x15"));
    EXPECT_EQ(panel->buttonMenu(5)->title(), text("MCode0x2C") + QStringLiteral("()"));
    EXPECT_EQ(panel->buttonMenu(5)->fullTitle(), panel->buttonMenu(5)->title());
    EXPECT_EQ(panel->buttonMenu(5)->toolTip(), QString());
}

// ---- every row of every menu reaches the mouse -------------------------------------------------

TEST_F(MouseButtonPanel, EveryFunctionRowOfButtons3To6IsSentShownAndMarksUnsentChanges)
{
    for (int n = 3; n <= 6; ++n) {
        for (FunctionItem group : {FunctionItem::FunctionSwitching, FunctionItem::Multimedia, FunctionItem::RegistKey}) {
            std::vector<TabMenuItem> rows = subMenu(n, group)->items;
            for (const TabMenuItem& item : rows) {
                if (item.function == FunctionItem::CustomKey)
                    continue;
                const int code = rawValue(item.sssignCode);
                if (app->mouse->live()[size_t(n - 1)] == code)
                    continue;
                AppParam::keyboardSettingsChanged = false;
                main->updateKeyboardSettingsChanged();
                app->mouse->clearLog();
                choose(n, group, item.function);
                const auto writes = sent(*app->mouse, 0x11);
                ASSERT_EQ(writes.size(), 1u) << n << " " << code;
                EXPECT_EQ(writes[0], (std::vector<uint8_t>{uint8_t(n - 1), uint8_t(code)}));
                EXPECT_EQ(app->mouse->live()[size_t(n - 1)], code);
                EXPECT_EQ(panel->buttonMenu(n)->title(), FunctionMButtonSettingController::getMenuStringFromKeyCode(code));
                EXPECT_TRUE(sendShown());
                EXPECT_FALSE(panel->buttonMenuView(n)->isShown());
            }
        }
    }
    // The stored record is untouched until Send.
    EXPECT_EQ(app->mouse->stored(), EmulatedMouse::defaults());
}

TEST_F(MouseButtonPanel, SameFunctionAgainSendsNothingAndLeavesTheFlag)
{
    choose(4, FunctionItem::Multimedia, FunctionItem::VolumeUp);
    ASSERT_EQ(app->mouse->live()[3], 0x15);
    AppParam::keyboardSettingsChanged = false;
    main->updateKeyboardSettingsChanged();
    app->mouse->clearLog();
    choose(4, FunctionItem::Multimedia, FunctionItem::VolumeUp);
    EXPECT_TRUE(sent(*app->mouse, 0x11).empty());
    EXPECT_FALSE(sendShown());
}

TEST_F(MouseButtonPanel, SwapTogglesTheMouseTheMarksAndTheHeaders)
{
    chooseSwap(1);
    EXPECT_EQ(app->mouse->swap(), 1);
    EXPECT_EQ(app->mouse->live()[0], 0x02);
    EXPECT_EQ(panel->buttonMenu(1)->title(), text("MCode0x02"));
    EXPECT_EQ(panel->buttonMenu(2)->title(), text("MCode0x01"));
    EXPECT_TRUE(panel->buttonMenuView(1)->row(FunctionItem::SwapButton2)->isCheckDraw());
    EXPECT_TRUE(panel->buttonMenuView(2)->row(FunctionItem::SwapButton1)->isCheckDraw());
    EXPECT_TRUE(sendShown());

    chooseSwap(2);
    EXPECT_EQ(app->mouse->swap(), 0);
    EXPECT_EQ(app->mouse->live()[0], 0x01);
    EXPECT_EQ(panel->buttonMenu(1)->title(), text("MCode0x01"));
    EXPECT_FALSE(panel->buttonMenuView(1)->row(FunctionItem::SwapButton2)->isCheckDraw());
    EXPECT_EQ(sent(*app->mouse, 0x10), (std::vector<std::vector<uint8_t>>{{1}, {0}}));
}

TEST_F(MouseButtonPanel, ClosingWithUnsentAssignmentsPutsTheStoredOnesBack)
{
    choose(3, FunctionItem::RegistKey, FunctionItem::Undo);
    chooseSwap(1);
    ASSERT_EQ(app->mouse->live()[2], 0x34);
    ASSERT_EQ(app->mouse->live()[0], 0x02);
    ASSERT_TRUE(sendShown());
    main->disconnectDevice(false);
    EXPECT_EQ(app->mouse->live(), app->mouse->stored());
    EXPECT_EQ(app->mouse->live()[2], EmulatedMouse::defaults()[2]);
    EXPECT_EQ(app->mouse->live()[0], 0x01);
}

// ---- custom keys through the capture dialog ---------------------------------------------------------

TEST_F(MouseButtonPanel, CapturedCombinationIsStoredInTheMouseAndShown)
{
    uitest::whenDialogShown(DialogKind::CustomKeySetting, [](ModalDialog* d) {
        auto* dialog = qobject_cast<DialogCustomKeySetting*>(d);
        // The button had no combination: placeholder, OK disabled.
        EXPECT_FALSE(dialog->okButton()->isEnabled());
        EXPECT_TRUE(uitest::WindowProbe::window(*uitest::WindowProbe::instance()).maskView);
        EXPECT_FALSE(uitest::WindowProbe::window(*uitest::WindowProbe::instance()).userManualMenuItem->isEnabled());
        QTest::mouseClick(dialog->textCustomKey(), Qt::LeftButton);
        EXPECT_TRUE(dialog->isGrabbingKeyboard());
        key(dialog, kLeftCtrl, true);
        key(dialog, kLeftShift, true);
        key(dialog, kA, true);
        key(dialog, kA, true, true); // autorepeat changes nothing
        key(dialog, kA, false);
        key(dialog, kLeftShift, false);
        key(dialog, kLeftCtrl, false);
        EXPECT_FALSE(dialog->isGrabbingKeyboard());
        EXPECT_EQ(dialog->textCustomKey()->text(), QStringLiteral("L Ctrl + L Shift + A"));
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    choose(3, FunctionItem::RegistKey, FunctionItem::CustomKey);
    EXPECT_EQ(sent(*app->mouse, 0x12), (std::vector<std::vector<uint8_t>>{{2, 0x03, 0x04}}));
    EXPECT_EQ(sent(*app->mouse, 0x11), (std::vector<std::vector<uint8_t>>{{2, 0x2C}}));
    EXPECT_EQ(app->mouse->live()[2], 0x2C);
    EXPECT_EQ(app->mouse->live()[EmulatedMouse::kCustomKeys], 0x03);
    EXPECT_EQ(app->mouse->live()[EmulatedMouse::kCustomKeys + 1], 0x04);
    EXPECT_EQ(panel->buttonMenu(3)->toolTip(), QStringLiteral("L Ctrl + L Shift + A"));
    EXPECT_TRUE(sendShown());
    EXPECT_FALSE(uitest::WindowProbe::window(*main).maskView);
    EXPECT_TRUE(uitest::WindowProbe::window(*main).userManualMenuItem->isEnabled());

    // Again, now that the button holds the custom key: only the keys go,
    // and the dialog opens with the current combination.
    app->mouse->clearLog();
    uitest::whenDialogShown(DialogKind::CustomKeySetting, [](ModalDialog* d) {
        auto* dialog = qobject_cast<DialogCustomKeySetting*>(d);
        EXPECT_EQ(dialog->textCustomKey()->text(), QStringLiteral("L Ctrl + L Shift + A"));
        EXPECT_TRUE(dialog->okButton()->isEnabled());
        QTest::mouseClick(dialog->textCustomKey(), Qt::LeftButton);
        key(dialog, kC, true);
        key(dialog, kC, false);
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    });
    choose(3, FunctionItem::RegistKey, FunctionItem::CustomKey);
    EXPECT_EQ(sent(*app->mouse, 0x12), (std::vector<std::vector<uint8_t>>{{2, 0x00, 0x06}}));
    EXPECT_TRUE(sent(*app->mouse, 0x11).empty());
    EXPECT_EQ(panel->buttonMenu(3)->toolTip(), QStringLiteral("C"));
}

TEST_F(MouseButtonPanel, CancelledCaptureSendsNothing)
{
    uitest::whenDialogShown(DialogKind::CustomKeySetting, [](ModalDialog* d) {
        auto* dialog = qobject_cast<DialogCustomKeySetting*>(d);
        QTest::mouseClick(dialog->textCustomKey(), Qt::LeftButton);
        key(dialog, kA, true);
        key(dialog, kA, false);
        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    });
    choose(5, FunctionItem::RegistKey, FunctionItem::CustomKey);
    EXPECT_TRUE(app->mouse->writes().empty() || (sent(*app->mouse, 0x11).empty() && sent(*app->mouse, 0x12).empty()));
    EXPECT_EQ(app->mouse->live()[4], EmulatedMouse::defaults()[4]);
    EXPECT_FALSE(sendShown());
    EXPECT_FALSE(uitest::WindowProbe::window(*main).maskView);
}

TEST_F(MouseButtonPanel, UnplugDuringCaptureEndsTheDialogReleasesTheGrabAndSendsNothing)
{
    bool grabbed = false;
    uitest::whenDialogShown(DialogKind::CustomKeySetting, [&](ModalDialog* d) {
        auto* dialog = qobject_cast<DialogCustomKeySetting*>(d);
        QTest::mouseClick(dialog->textCustomKey(), Qt::LeftButton);
        key(dialog, kLeftCtrl, true);
        grabbed = dialog->isGrabbingKeyboard();
        app->mouse->detach();
    });
    choose(6, FunctionItem::RegistKey, FunctionItem::CustomKey);
    EXPECT_TRUE(grabbed);
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_TRUE(sent(*app->mouse, 0x12).empty());
    EXPECT_FALSE(DialogCustomKeySetting::sharedManager()->isVisible());
    EXPECT_TRUE(AppHarness::waitFor([&] { return main->conectDeviceLocation() == -1; }));
    EXPECT_FALSE(uitest::WindowProbe::window(*main).maskView);
}

// ---- faults ---------------------------------------------------------------------------------------

TEST_F(MouseButtonPanel, DeviceErrorInEachActionRunsTheRecoveryWithoutMarkingChanges)
{
    struct Case {
        uint8_t command;
        std::function<void()> act;
    };
    const std::vector<Case> cases{
        {0x11, [&] { choose(3, FunctionItem::FunctionSwitching, FunctionItem::DPIUp); }},
        {0x10, [&] { chooseSwap(1); }},
        {0x12, [&] {
             uitest::whenDialogShown(DialogKind::CustomKeySetting, [](ModalDialog* d) {
                 auto* dialog = qobject_cast<DialogCustomKeySetting*>(d);
                 QTest::mouseClick(dialog->textCustomKey(), Qt::LeftButton);
                 key(dialog, kA, true);
                 key(dialog, kA, false);
                 QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
             });
             choose(4, FunctionItem::RegistKey, FunctionItem::CustomKey);
         }},
    };
    for (const Case& c : cases) {
        const int starts = app->mouse->startCount();
        AppParam::keyboardSettingsChanged = false;
        main->updateKeyboardSettingsChanged();
        app->mouse->inject({.kind = emu::FaultKind::Status, .command = c.command, .times = -1});
        c.act();
        app->mouse->clearFaults();
        // The recovery reconnected the mouse; nothing counts as changed.
        EXPECT_EQ(app->mouse->startCount(), starts + 1) << int(c.command);
        EXPECT_FALSE(sendShown()) << int(c.command);
        EXPECT_EQ(main->conectDeviceLocation(), int32_t(apptest::kMouseLocation));
        // The rebuilt panel shows the mouse again.
        uitest::WindowProbe::selectFunctionTab(*main, FunctionTab::MButtonSetting);
    }
    EXPECT_EQ(app->mouse->live()[2], EmulatedMouse::defaults()[2]);
}

TEST_F(MouseButtonPanel, ChoiceMadeWhileTheMouseIsBusyIsDroppedWithoutRecovery)
{
    const int starts = app->mouse->startCount();
    // The set-up's settings read waits a second for its late reply (inside a
    // reply wait of 10 s); a choice arrives meanwhile and is refused as busy.
    platform::ScopedTimeScale real{1.0};
    app->mouse->inject({.kind = emu::FaultKind::Late, .command = 0x05, .delay = std::chrono::milliseconds(1000)});
    bool chosen = false;
    QTimer::singleShot(20, panel, [&] {
        panel->clickTabMenuItem(subMenu(3, FunctionItem::Multimedia), FunctionItem::Mute);
        chosen = true;
    });
    uitest::WindowProbe::selectFunctionTab(*main, FunctionTab::MButtonSetting);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(app->mouse->startCount(), starts);
    EXPECT_EQ(main->conectDeviceLocation(), int32_t(apptest::kMouseLocation));
    EXPECT_EQ(app->mouse->live()[2], EmulatedMouse::defaults()[2]);
    EXPECT_FALSE(sendShown());
}

TEST_F(MouseButtonPanel, UnplugDuringTheRefreshLeavesNoStaleState)
{
    app->mouse->inject({.kind = emu::FaultKind::Detach, .command = 0x05});
    uitest::WindowProbe::selectFunctionTab(*main, FunctionTab::MButtonSetting);
    EXPECT_TRUE(AppHarness::waitFor([&] { return main->conectDeviceLocation() == -1; }));
    EXPECT_FALSE(panel->buttonMenuView(3) && panel->buttonMenuView(3)->isShown());
}

class MouseButtonPanelWithKeyboard : public MouseButtonPanel {
public:
    MouseButtonPanelWithKeyboard() { withKeyboard = true; }
    void prepare(EmulatedMouse&) override {}
};

TEST_F(MouseButtonPanelWithKeyboard, RecoveryThatLeavesAKeyboardEndsTheAssignmentQuietly)
{
    // The mouse leaves on the command; the recovery connects the keyboard.
    app->mouse->inject({.kind = emu::FaultKind::Detach, .command = 0x11});
    choose(3, FunctionItem::Multimedia, FunctionItem::Mute);
    ASSERT_TRUE(AppHarness::waitFor([&] { return AppParam::device->deviceType() == DeviceType::Keyboard; }));
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
}

// ---- menus: opening, closing, firmware layouts -----------------------------------------------------------

TEST_F(MouseButtonPanel, HeaderClickedTwiceOpensThenClosesAndOnlyOneMenuIsOpen)
{
    openMenu(3);
    openMenu(4);
    EXPECT_FALSE(panel->buttonMenuView(3)->isShown());
    // A click on the picture outside the controls closes the menu.
    QTest::mouseClick(panel->keyboardView(), Qt::LeftButton, {}, QPoint(500, 600));
    EXPECT_FALSE(panel->buttonMenuView(4)->isShown());
    openMenu(4);
    QTest::mouseClick(panel->buttonMenu(4), Qt::LeftButton);
    EXPECT_FALSE(panel->buttonMenuView(4)->isShown());
    AppHarness::waitFor([] { return false; }, 30);
    EXPECT_FALSE(panel->buttonMenuView(4)->isShown());

    // The tab's triangle opens the tab menu; a second click closes it.
    main->clickTabMenuIcon(uitest::WindowProbe::tabView(*main, FunctionTab::MButtonSetting));
    ASSERT_TRUE(AppHarness::waitFor([&] { return panel->isMenuViewShown(); }));
    EXPECT_EQ(panel->menuView()->rows().size(), 6u);
    main->clickTabMenuIcon(uitest::WindowProbe::tabView(*main, FunctionTab::MButtonSetting));
    AppHarness::waitFor([] { return false; }, 30);
    EXPECT_FALSE(panel->isMenuViewShown());
}

TEST_F(MouseButtonPanel, MenuWaitingForItsDelayIsDroppedWhenTheTabIsLeft)
{
    platform::ScopedTimeScale real{1.0};
    QTest::mouseClick(panel->buttonMenu(3), Qt::LeftButton);
    EXPECT_TRUE(panel->isMenuDisplayPending());
    uitest::WindowProbe::selectFunctionTab(*main, FunctionTab::MLedSetting);
    AppHarness::waitFor([] { return false; }, 200);
    EXPECT_FALSE(panel->buttonMenuView(3)->isShown());
}

TEST_F(MouseButtonPanel, ChoosingFromTheTabMenuReachesTheButton)
{
    main->clickTabMenuIcon(uitest::WindowProbe::tabView(*main, FunctionTab::MButtonSetting));
    ASSERT_TRUE(AppHarness::waitFor([&] { return panel->isMenuViewShown(); }));
    panel->menuView()->row(FunctionItem::Button6)->mouseEntered();
    ASSERT_TRUE(panel->buttonMenuView(6)->isShown());
    panel->buttonMenuView(6)->row(FunctionItem::FunctionSwitching)->mouseEntered();
    TabMenuView* functions = subMenu(6, FunctionItem::FunctionSwitching);
    click(functions->row(FunctionItem::WheelClick));
    EXPECT_EQ(app->mouse->live()[5], 0x03);
    EXPECT_FALSE(panel->isMenuViewShown());
}

TEST_F(MouseButtonPanel, NewerFirmwareOffersDoubleClickAndCustomKey)
{
    EXPECT_EQ(subMenu(3, FunctionItem::FunctionSwitching)->items.size(), 11u);
    EXPECT_EQ(subMenu(3, FunctionItem::RegistKey)->items.size(), 11u);
    EXPECT_NE(subMenu(3, FunctionItem::RegistKey)->row(FunctionItem::CustomKey), nullptr);
    EXPECT_EQ(subMenu(3, FunctionItem::Multimedia)->row(FunctionItem::Stop), nullptr);
}

class MouseButtonPanelOlderFirmware : public MouseButtonPanel {
    void prepare(EmulatedMouse& mouse) override
    {
        mouse.setLayout(EmulatedMouse::Layout::Older);
        mouse.identity().firmware = {0x01, 0x00, 0x00, 0x09};
    }
};

TEST_F(MouseButtonPanelOlderFirmware, OlderFirmwareHasNeitherDoubleClickNorCustomKeyButStillAssigns)
{
    EXPECT_EQ(subMenu(3, FunctionItem::FunctionSwitching)->items.size(), 10u);
    EXPECT_EQ(subMenu(3, FunctionItem::RegistKey)->items.size(), 10u);
    EXPECT_EQ(subMenu(3, FunctionItem::RegistKey)->row(FunctionItem::CustomKey), nullptr);
    choose(4, FunctionItem::RegistKey, FunctionItem::Paste);
    EXPECT_EQ(app->mouse->live()[3], 0x33);
    EXPECT_EQ(panel->buttonMenu(4)->title(), text("MCode0x33"));
}

} // namespace
