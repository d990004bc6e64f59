// The application menu behind the ☰ button: a device plugged in or out while
// it is open closes it first, and only then does the device list change (the
// pause before a reconnect included), at the shortened and at the real time
// scale; and the menu is drawn in the dark popup look.
#include "AppParam.h"
#include "CustomControl/KeyboardListView.h"
#include "MainView.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "Platform/Clock.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using apptest::AppHarness;
using apptest::HarnessOptions;
using apptest::devices;
using apptest::kKeyboardLocation;
using apptest::kMouseLocation;

namespace {

constexpr int32_t kbLoc = int32_t(kKeyboardLocation);
constexpr int32_t mouseLoc = int32_t(kMouseLocation);

// What the window showed at the moment the menu went away.
struct AtHide {
    bool hidden = false;
    size_t listed = 0;
    int tiles = 0;
    int32_t connected = 0;
    platform::Clock::time_point when;
};

// Opens the application menu as the user does (a press on ☰, which runs the
// menu until it closes), runs `whileOpen` once the menu is on the screen,
// and returns when the menu has closed. A menu still open after
// `closeAfterMs` is closed by force, so that a menu that never closes fails
// the test instead of hanging it.
AtHide runMenu(MainViewController& main, const std::function<void()>& whileOpen, int closeAfterMs = 5000)
{
    QMenu* menu = uitest::WindowProbe::window(main).helpMenuButton->menu();
    AtHide seen;
    QObject scope;
    QObject::connect(menu, &QMenu::aboutToHide, &scope, [&] {
        seen.hidden = true;
        seen.listed = uitest::WindowProbe::devices(main).deviceList().size();
        seen.tiles = int(uitest::WindowProbe::window(main).keyboardList->detailArray().size());
        seen.connected = main.conectDeviceLocation();
        seen.when = platform::now();
    });
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &scope, [&] {
        if (!menu->isVisible())
            return;
        poll.stop();
        whileOpen();
    });
    poll.start();
    QTimer::singleShot(closeAfterMs, &scope, [menu] { menu->close(); });
    QTest::mousePress(uitest::WindowProbe::window(main).helpMenuButton, Qt::LeftButton);
    QTest::mouseRelease(uitest::WindowProbe::window(main).helpMenuButton, Qt::LeftButton);
    if (menu->isVisible())
        AppHarness::waitFor([&] { return !menu->isVisible(); }, closeAfterMs + 1000);
    return seen;
}

int brightness(const QColor& c) { return c.red() + c.green() + c.blue(); }

bool near(const QColor& a, const QColor& b, int tolerance = 6)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Whether some pixel of `row` in `image` is within `tolerance` of `colour`.
bool rowHas(const QImage& image, const QRect& row, const QColor& colour, int tolerance = 6)
{
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= row.right(); ++x)
            if (near(image.pixelColor(x, y), colour, tolerance))
                return true;
    return false;
}

} // namespace

TEST(MenuTracking, PlugAndUnplugWaitUntilTheOpenMenuHasClosed)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    ASSERT_EQ(main.conectDeviceLocation(), kbLoc);

    // Plugged in under the open menu: the menu closes with the old list.
    auto mouse = std::make_shared<emu::EmulatedMouse>();
    AtHide seen = runMenu(main, [&] { app.bus().attach(mouse, kMouseLocation); });
    ASSERT_TRUE(seen.hidden);
    EXPECT_EQ(seen.listed, 1u);
    EXPECT_EQ(seen.tiles, 1);
    // Then the list follows; the connected keyboard stays.
    ASSERT_TRUE(AppHarness::waitFor([&] { return uitest::WindowProbe::window(main).keyboardList->detailArray().size() == 2; }));
    EXPECT_EQ(main.conectDeviceLocation(), kbLoc);
    EXPECT_FALSE(mouse->sessionOpen());

    // The connected keyboard pulled under the open menu: the menu closes
    // while the keyboard is still the connected device; the mouse follows.
    seen = runMenu(main, [&] { app.bus().detach(kKeyboardLocation); });
    ASSERT_TRUE(seen.hidden);
    EXPECT_EQ(seen.connected, kbLoc);
    EXPECT_EQ(seen.listed, 2u);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == mouseLoc; }));
    EXPECT_TRUE(mouse->sessionOpen());
    EXPECT_EQ(uitest::WindowProbe::window(main).keyboardList->detailArray().size(), 1u);
}

TEST(MenuTracking, AtTheRealTimeScaleThePauseBeforeTheReconnectComesAfterTheMenuClosed)
{
    AppHarness app(devices(true, true));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    ASSERT_EQ(main.conectDeviceLocation(), kbLoc);

    platform::ScopedTimeScale real(1.0);
    const AtHide seen = runMenu(main, [&] { app.bus().detach(kKeyboardLocation); });
    ASSERT_TRUE(seen.hidden);
    EXPECT_EQ(seen.connected, kbLoc);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == mouseLoc; }, 20000));
    // The 1.5 s pause before the mouse was chosen ran after the menu was
    // gone (a lower bound: it holds however slow the machine is).
    EXPECT_GE(platform::now() - seen.when, platform::Seconds(1.5));
}

TEST(MenuLook, TheApplicationMenuIsDrawnLikeTheOtherPopups)
{
    AppHarness app(devices(true, false));
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    QMenu* menu = uitest::WindowProbe::window(main).helpMenuButton->menu();
    menu->popup(uitest::WindowProbe::window(main).helpMenuButton->mapToGlobal(QPoint(0, uitest::WindowProbe::window(main).helpMenuButton->height())));
    ASSERT_TRUE(AppHarness::waitFor([&] { return menu->isVisible(); }));

    const QRect about = menu->actionGeometry(uitest::WindowProbe::window(main).aboutMenuItem);
    const QRect faq = menu->actionGeometry(uitest::WindowProbe::window(main).qaManualMenuItem);
    const QRect manual = menu->actionGeometry(uitest::WindowProbe::window(main).userManualMenuItem);
    EXPECT_EQ(about.height(), 38);
    EXPECT_EQ(faq.height(), 38);

    const QColor panel(53, 47, 45);
    QImage shot = menu->grab().toImage();
    // A dark panel whose top edge darkens to black, white titles.
    EXPECT_TRUE(near(shot.pixelColor(2, faq.center().y()), panel)) << qPrintable(shot.pixelColor(2, faq.center().y()).name());
    EXPECT_LT(brightness(shot.pixelColor(2, 0)), brightness(panel) / 2);
    EXPECT_TRUE(rowHas(shot, faq, Qt::white, 10));
    EXPECT_TRUE(rowHas(shot, about, Qt::white, 10));

    // The row under the pointer lights up.
    QTest::mouseMove(menu, faq.center());
    ASSERT_TRUE(AppHarness::waitFor([&] { return menu->activeAction() == uitest::WindowProbe::window(main).qaManualMenuItem; }));
    shot = menu->grab().toImage();
    EXPECT_TRUE(near(shot.pixelColor(2, faq.center().y()), QColor(114, 110, 109)));
    EXPECT_TRUE(near(shot.pixelColor(2, manual.center().y()), panel));

    // Disabled help items (while a dialog is up) show half-transparent titles.
    main.setHelpMenu(false);
    QTest::mouseMove(menu, about.center());
    shot = menu->grab().toImage();
    const QColor halfWhite((255 + 53) / 2, (255 + 47) / 2, (255 + 45) / 2);
    EXPECT_FALSE(rowHas(shot, manual, Qt::white, 10));
    EXPECT_TRUE(rowHas(shot, manual, halfWhite, 10));
    EXPECT_TRUE(rowHas(shot, about, Qt::white, 10));
    main.setHelpMenu(true);
    menu->close();
}
