// Keyboard focus in the main window: after a tab switch and after the device
// strip closes, the close button has the focus and Tab goes on to Send while
// Send is shown, else to the profile save.
#include "AppParam.h"
#include "CustomControl/MainTabView.h"
#include "MainView.h"
#include "CustomControl/KeyboardListView.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

QWidget* focused(MainViewController& main) { return uitest::WindowProbe::window(main).mainView->focusWidget(); }

// The widget that has the focus after Tab is pressed on the focused one.
QWidget* afterTab(MainViewController& main)
{
    QTest::keyClick(focused(main), Qt::Key_Tab);
    return focused(main);
}

void clickTab(MainTabView* tab) { QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(30, tab->height() / 2)); }

} // namespace

TEST(KeyboardFocus, TabSwitchesAndTheClosingStripHandTheFocusToTheCloseButton)
{
    AppHarness app(apptest::devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    uitest::WindowProbe::window(main).mainView->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(uitest::WindowProbe::window(main).mainView));

    // After a tab switch, with nothing to send: close, then profile save.
    uitest::WindowProbe::window(main).loadProfileButton->setFocus();
    clickTab(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting));
    ASSERT_EQ(AppParam::functionTabSelect, FunctionTab::GamingSetting);
    EXPECT_EQ(focused(main), uitest::WindowProbe::window(main).closeButton);
    EXPECT_EQ(afterTab(main), uitest::WindowProbe::window(main).saveProfileButton);

    // With unsent changes Send is shown and comes right after close.
    AppParam::keyboardSettingsChanged = true;
    main.updateKeyboardSettingsChanged();
    uitest::WindowProbe::window(main).loadProfileButton->setFocus();
    clickTab(uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting));
    EXPECT_EQ(focused(main), uitest::WindowProbe::window(main).closeButton);
    EXPECT_EQ(afterTab(main), uitest::WindowProbe::window(main).sendButton);

    // The strip takes the focus while it is open and gives it back to the
    // close button when it closes; the order still follows Send.
    for (const bool changes : {true, false}) {
        AppParam::keyboardSettingsChanged = changes;
        main.updateKeyboardSettingsChanged();
        QTest::mouseClick(uitest::WindowProbe::window(main).selectKeybordButton, Qt::LeftButton);
        ASSERT_TRUE(AppHarness::waitFor([&] { return focused(main) == uitest::WindowProbe::window(main).keyboardListReturnButton; }));
        QTest::mouseClick(uitest::WindowProbe::window(main).keyboardListReturnButton, Qt::LeftButton);
        ASSERT_TRUE(AppHarness::waitFor([&] { return uitest::WindowProbe::window(main).keyboardSelectView->isHidden(); }));
        EXPECT_EQ(focused(main), uitest::WindowProbe::window(main).closeButton) << changes;
        EXPECT_EQ(afterTab(main), changes ? static_cast<QWidget*>(uitest::WindowProbe::window(main).sendButton) : uitest::WindowProbe::window(main).saveProfileButton)
            << changes;
    }
    AppParam::keyboardSettingsChanged = false;
}
