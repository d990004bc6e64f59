// The main window as a window: where it opens (a stored origin anywhere in
// 64 bits is brought back onto the screen, no stored origin centres it), that
// the window manager adds no frame of its own, that dragging the header moves
// it, and that the window manager's close request goes through the exit check
// like the close button.
#include "AppParam.h"
#include "CustomControl/BackgroundView.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Utility/AppUtil.h"
#include "XML/ApplicationProfile.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QCloseEvent>
#include <QFile>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

HarnessOptions onScreen(const QRect& screen, bool keyboard = false)
{
    HarnessOptions o;
    o.keyboard = keyboard;
    o.mouse = false;
    o.screen = screen;
    return o;
}

// Writes the settings file with this window origin, as an earlier run (or a
// hand-edited file) left it.
void storeOrigin(double left, double top)
{
    AppParam::windowPlacement.normalPosition = QRectF(left, top, 1000, 700);
    ASSERT_EQ(ApplicationProfile::save(), AppError::NoError);
    AppParam::windowPlacement = WINDOWPLACEMENT{};
}

QString settingsFile() { return AppUtil::appWorkFolder() + QLatin1String(AppParam::APP_SETTINGS_INI); }

} // namespace

TEST(MainWindowPlacement, OriginsNearOrBeyondTheIntegerLimitsComeBackOntoTheScreen)
{
    const QRect visible(0, 0, 1280, 800);
    struct Case {
        double left, top;
        QPoint placed;
    };
    for (const Case& c : {Case{2147483000.0, 2147483000.0, {280, 100}},
                          Case{-2147483000.0, 2147482000.0, {0, 100}},
                          Case{9.0e12, -9.0e12, {280, 0}}}) {
        AppHarness app(onScreen(visible));
        storeOrigin(c.left, c.top);
        ASSERT_TRUE(app.start());
        EXPECT_EQ(uitest::WindowProbe::window(app.controller()).mainView->pos(), c.placed) << c.left << "," << c.top;
        // The corrected origin is what the next exit keeps.
        EXPECT_EQ(AppParam::windowPlacement.normalPosition, QRectF(QPointF(c.placed), QSizeF(1000, 700)));
        EXPECT_TRUE(visible.contains(uitest::WindowProbe::window(app.controller()).mainView->geometry()));
    }
}

TEST(MainWindowPlacement, WithoutAStoredOriginTheWindowOpensCentred)
{
    const QRect visible(0, 32, 1920, 1048);
    {
        // No settings file at all.
        AppHarness app(onScreen(visible));
        ASSERT_FALSE(QFile::exists(settingsFile()));
        ASSERT_TRUE(app.start());
        EXPECT_EQ(uitest::WindowProbe::window(app.controller()).mainView->geometry().center(), visible.center());
        // Quitting keeps where it is.
        ASSERT_TRUE(uitest::WindowProbe::windowClosing(app.controller()));
        ASSERT_EQ(ApplicationProfile::load(), AppError::NoError);
        EXPECT_EQ(AppParam::windowPlacement.normalPosition, QRectF(460, 206, 1000, 700));
    }
    {
        // A settings file without a placement in it.
        HarnessOptions o = onScreen(visible);
        o.rememberedLocation = 0x01300000;
        AppHarness app(o);
        ASSERT_TRUE(QFile::exists(settingsFile()));
        ASSERT_TRUE(app.start());
        EXPECT_EQ(uitest::WindowProbe::window(app.controller()).mainView->pos(), QPoint(460, 206));
    }
}

TEST(MainWindowFrame, FramelessFixedSizeAndDraggedByItsHeader)
{
    AppHarness app(onScreen(QRect(0, 0, 1920, 1080)));
    ASSERT_TRUE(app.start());
    MainView* window = uitest::WindowProbe::window(app.controller()).mainView;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    // The window system draws nothing around it: the header is the top.
    EXPECT_EQ(window->frameGeometry(), window->geometry());
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_EQ(window->windowType(), Qt::Window);  // a normal window: it has its taskbar entry

    // A drag on the header asks the window system to move the window once
    // per press; it then follows the pointer by itself.
    BackgroundView* header = uitest::WindowProbe::window(app.controller()).mainHeaderView;
    const QPoint start = window->pos();
    std::vector<QWindow*> moves;
    BackgroundView::startSystemMove = [&](QWindow* w) {
        moves.push_back(w);
        return true;
    };
    // The pointer's screen positions are those of the points of the header
    // where the drag began, whatever the window does meanwhile.
    auto drag = [&](QPoint from, QPoint to) {
        const QPoint screen = header->mapToGlobal(QPoint(0, 0));
        QTest::mousePress(header, Qt::LeftButton, {}, from);
        for (QPoint at : {(from + to) / 2, to}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(screen + at), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(header, &move);
        }
        QTest::mouseRelease(header, Qt::LeftButton, {}, to);
    };
    drag(QPoint(700, 60), QPoint(760, 90));
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], window->windowHandle());
    EXPECT_EQ(window->pos(), start);

    // Where the window system cannot move windows, the window follows the
    // pointer itself.
    BackgroundView::startSystemMove = [&](QWindow* w) {
        moves.push_back(w);
        return false;
    };
    drag(QPoint(700, 60), QPoint(760, 90));
    EXPECT_EQ(moves.size(), 2u);
    EXPECT_EQ(window->pos(), start + QPoint(60, 30));
    BackgroundView::startSystemMove = nullptr;
}

TEST(MainWindowFrame, TheWindowManagersCloseRequestGoesThroughTheExitCheck)
{
    AppHarness app(onScreen(QRect(0, 0, 1920, 1080), true));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    MainView* window = uitest::WindowProbe::window(main).mainView;
    AppParam::keyboardSettingsChanged = true;
    main.updateKeyboardSettingsChanged();

    // Its own close command (or Alt+F4); "No" to the unsent-changes question.
    app.answer = [](const QString&) { return 0; };
    QCloseEvent request;
    QCoreApplication::sendEvent(window->windowHandle(), &request);
    EXPECT_EQ(app.asked, std::vector<QString>{QStringLiteral("ApplicationExitCheck")});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(app.keyboard->sessionOpen());

    app.answer = nullptr;
    QCloseEvent again;
    QCoreApplication::sendEvent(window->windowHandle(), &again);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(app.keyboard->sessionOpen());
    EXPECT_TRUE(QFile::exists(settingsFile()));
}
