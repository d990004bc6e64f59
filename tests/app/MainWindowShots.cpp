// The main window with a keyboard connected, with a mouse connected and
// without any device; the application menu open over it.
#include "MainView.h"
#include "MainViewController.h"
#include "Screenshots.h"
#include "support/ui/AppHarness.h"

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QToolButton>

namespace {

void shoot(shots::ShotSink& sink, const char* name, bool keyboard, bool mouse, bool deviceList = false)
{
    apptest::HarnessOptions options;
    options.keyboard = keyboard;
    options.mouse = mouse;
    apptest::AppHarness app(options);
    if (!app.start())
        return;
    MainViewController& main = app.controller();
    if (deviceList) {
        // The device strip slid up over the mask.
        main.pushKeylist();
        apptest::AppHarness::waitFor([] { return false; }, 100);
    }
    sink.save(QString::fromLatin1(name), main.mainView);
}

// The ☰ menu where it opens below its button, with the pointer on the
// second help item, drawn together with the window it hangs from.
void shootApplicationMenu(shots::ShotSink& sink)
{
    apptest::HarnessOptions options;
    options.mouse = false;
    apptest::AppHarness app(options);
    if (!app.start())
        return;
    MainViewController& main = app.controller();
    QMenu* menu = main.helpMenuButton->menu();
    menu->popup(main.helpMenuButton->mapToGlobal(QPoint(0, main.helpMenuButton->height())));
    if (!apptest::AppHarness::waitFor([menu] { return menu->isVisible(); }))
        return;
    QTest::mouseMove(menu, menu->actionGeometry(main.qaManualMenuItem).center());
    const QPixmap window = main.mainView->grab();
    const QPixmap popup = menu->grab();
    const QRect windowRect = main.mainView->geometry();
    // Where it opens on a screen large enough (the test screen may be
    // smaller than the window and push it aside).
    const QPoint below = main.helpMenuButton->mapTo(
        main.mainView, QPoint(main.helpMenuButton->width(), main.helpMenuButton->height()));
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
    shoot(sink, "MainWindow_keyboard", true, false);
    shoot(sink, "MainWindow_mouse", false, true);
    shoot(sink, "MainWindow_nodevice", false, false);
    shoot(sink, "MainWindow_devicelist", true, true, true);
    shootApplicationMenu(sink);
});

} // namespace
