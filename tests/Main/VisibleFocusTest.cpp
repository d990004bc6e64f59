// The keyboard focus in the whole window with the emulated keyboard: Tab
// reaches the function tabs, the menu button and the close button, each
// shows the focus ring, Space on a tab opens its panel, and Space on the close button quits
// only through the usual checks (unsent changes are asked about first).
#include "AppParam.h"
#include "CustomControl/FocusRing.h"
#include "CustomControl/MainTabView.h"
#include "MainView.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QPushButton>
#include <QToolButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Presses Tab on whatever has the focus until `target` has it; false when a
// whole round of the window's controls did not reach it.
bool tabTo(QWidget* target)
{
    for (int i = 0; i < 60 && !target->hasFocus(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus)
            return false;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return target->hasFocus();
}

// The ring's colour one point inside the middle of the control's left edge.
bool showsRing(QWidget* control)
{
    const QImage image = control->grab().toImage();
    const int in = int(control->devicePixelRatioF());
    const QColor seen = image.pixelColor(in, image.height() / 2);
    const QColor ring = ui::focusRingColor();
    return std::abs(seen.red() - ring.red()) <= 12 && std::abs(seen.green() - ring.green()) <= 12
        && std::abs(seen.blue() - ring.blue()) <= 12;
}

} // namespace

TEST(KeyboardFocus, TabsAndTheCloseButtonShowTheFocusAndAnswerSpace)
{
    apptest::AppHarness app(apptest::devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    QApplication::setActiveWindow(uitest::WindowProbe::window(main).mainView);
    ASSERT_TRUE(QTest::qWaitForWindowActive(uitest::WindowProbe::window(main).mainView));
    uitest::WindowProbe::window(main).closeButton->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(uitest::WindowProbe::window(main).closeButton->hasFocus());

    // Space on the Key Lock tab switches to its panel.
    ASSERT_NE(AppParam::functionTabSelect, FunctionTab::GamingSetting);
    ASSERT_TRUE(tabTo(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting))) << "Tab never reaches the Key Lock tab";
    EXPECT_TRUE(showsRing(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting)));
    QTest::keyClick(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting), Qt::Key_Space);
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::GamingSetting);

    // The menu button beside it, drawn by the toolkit, wears the same ring.
    ASSERT_TRUE(tabTo(uitest::WindowProbe::window(main).helpMenuButton)) << "Tab never reaches the menu button";
    EXPECT_TRUE(showsRing(uitest::WindowProbe::window(main).helpMenuButton));

    // Space on the close button with unsent changes: the question comes
    // first, and Cancel keeps the window.
    AppParam::keyboardSettingsChanged = true;
    main.updateKeyboardSettingsChanged();
    app.answer = [](const QString&) { return 0; };
    ASSERT_TRUE(tabTo(uitest::WindowProbe::window(main).closeButton)) << "Tab never reaches the close button";
    EXPECT_TRUE(showsRing(uitest::WindowProbe::window(main).closeButton));
    QTest::keyClick(uitest::WindowProbe::window(main).closeButton, Qt::Key_Space);
    ASSERT_FALSE(app.asked.empty());
    EXPECT_EQ(app.asked.back(), QStringLiteral("ApplicationExitCheck"));
    EXPECT_TRUE(uitest::WindowProbe::window(main).mainView->isVisible());

    // A focused control that loses the focus loses the ring.
    QApplication::setActiveWindow(uitest::WindowProbe::window(main).mainView);
    ASSERT_TRUE(QTest::qWaitForWindowActive(uitest::WindowProbe::window(main).mainView));
    ASSERT_TRUE(uitest::WindowProbe::window(main).closeButton->hasFocus());
    ASSERT_TRUE(tabTo(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting)));
    EXPECT_FALSE(showsRing(uitest::WindowProbe::window(main).closeButton));
}
