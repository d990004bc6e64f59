// The main window with a keyboard connected (also with settings not yet
// stored in it), with a mouse connected and without any device (also with
// the keyboard focus on its support link); the device strip slid up with two
// and with three devices; the application menu open over it.
#include "AppParam.h"
#include "CustomControl/KeyboardListView.h"
#include "MainView.h"
#include "CustomControl/KeyboardListView.h"
#include "MainViewController.h"
#include "Screenshots.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QToolButton>

namespace {

struct Shot {
    const char* name;
    bool keyboard = true;
    bool mouse = false;
    bool deviceList = false;  // the device strip slid up
    bool thirdDevice = false; // a second keyboard attached as well
    bool unstored = false;    // settings changed and not stored yet
    bool focusLink = false;   // the no-device view's link has the keyboard focus
};

void shoot(shots::ShotSink& sink, const Shot& shot)
{
    apptest::HarnessOptions options;
    options.keyboard = shot.keyboard;
    options.mouse = shot.mouse;
    apptest::AppHarness app(options);
    if (!app.start())
        return;
    MainViewController& main = app.controller();
    if (shot.thirdDevice) {
        app.bus().attach(std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[1]), 0x01300000);
        apptest::AppHarness::waitFor([&] { return uitest::WindowProbe::window(main).keyboardList->detailArray().size() == 3; });
    }
    if (shot.unstored) {
        AppParam::keyboardSettingsChanged = true;
        main.updateKeyboardSettingsChanged();
    }
    if (shot.deviceList) {
        // The device strip slid up over the mask.
        uitest::WindowProbe::window(main).selectKeybordButton->click();
        apptest::AppHarness::waitFor([] { return false; }, 100);
    }
    if (shot.focusLink) {
        QApplication::setActiveWindow(uitest::WindowProbe::window(main).mainView);
        uitest::WindowProbe::window(main).keyboardErrorView->linkKeyboardQandALink->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    sink.save(QString::fromLatin1(shot.name), uitest::WindowProbe::window(main).mainView);
    AppParam::keyboardSettingsChanged = false;
}

// The ☰ menu where it opens below its button, with the pointer on the
// second help item, drawn together with the window it hangs from.
void shootApplicationMenu(shots::ShotSink& sink)
{
    apptest::AppHarness app(apptest::devices(true, false));
    if (!app.start())
        return;
    MainViewController& main = app.controller();
    QMenu* menu = uitest::WindowProbe::window(main).helpMenuButton->menu();
    menu->popup(uitest::WindowProbe::window(main).helpMenuButton->mapToGlobal(QPoint(0, uitest::WindowProbe::window(main).helpMenuButton->height())));
    if (!apptest::AppHarness::waitFor([menu] { return menu->isVisible(); }))
        return;
    QTest::mouseMove(menu, menu->actionGeometry(uitest::WindowProbe::window(main).qaManualMenuItem).center());
    const QPixmap window = uitest::WindowProbe::window(main).mainView->grab();
    const QPixmap popup = menu->grab();
    const QRect windowRect = uitest::WindowProbe::window(main).mainView->geometry();
    // Where it opens on a screen large enough (the test screen may be
    // smaller than the window and push it aside).
    const QPoint below = uitest::WindowProbe::window(main).helpMenuButton->mapTo(
        uitest::WindowProbe::window(main).mainView, QPoint(uitest::WindowProbe::window(main).helpMenuButton->width(), uitest::WindowProbe::window(main).helpMenuButton->height()));
    const QRect menuRect(windowRect.topLeft() + below - QPoint(menu->width(), 0), menu->size());
    const QRect all = windowRect.united(menuRect);
    const qreal ratio = window.devicePixelRatio();
    QImage canvas((QSizeF(all.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(ratio);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.drawPixmap(windowRect.topLeft() - all.topLeft(), window);
    painter.drawPixmap(menuRect.topLeft() - all.topLeft(), popup);
    painter.end();
    menu->close();
    sink.save(QStringLiteral("MainWindow_appmenu"), canvas);
}

const shots::ShotRegistrar registrar("MainWindow", [](shots::ShotSink& sink) {
    shoot(sink, {.name = "MainWindow_keyboard"});
    shoot(sink, {.name = "MainWindow_keyboard_unstored", .unstored = true});
    shoot(sink, {.name = "MainWindow_mouse", .keyboard = false, .mouse = true});
    shoot(sink, {.name = "MainWindow_nodevice", .keyboard = false});
    shoot(sink, {.name = "MainWindow_nodevice_focus_link", .keyboard = false, .focusLink = true});
    shoot(sink, {.name = "MainWindow_devicelist", .mouse = true, .deviceList = true});
    shoot(sink, {.name = "MainWindow_devicelist_three", .mouse = true, .deviceList = true, .thirdDevice = true});
    shootApplicationMenu(sink);
});

} // namespace
