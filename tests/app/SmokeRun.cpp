// The smoke run: the whole application on the virtual bus with an emulated
// keyboard and mouse, in a real window. It waits until the window is mapped
// and painted, writes DIR/smoke.png, unplugs the keyboard, then quits through
// the window's close button. Exit status 0 when every step happened.
#include "MainView.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextStream>
#include <QTimer>

int runSmoke(const QString& folder)
{
    QTextStream err(stderr);
    QDir().mkpath(folder);
    apptest::HarnessOptions options;
    options.timeScale = 0.1;
    apptest::AppHarness app(options);
    if (!app.start()) {
        err << "smoke: the application did not start\n";
        return 1;
    }
    MainViewController& main = app.controller();
    MainView* window = uitest::WindowProbe::window(main).mainView;
    if (!QTest::qWaitForWindowExposed(window, 10000) ||
        !apptest::AppHarness::waitFor([&] { return window->painted(); }, 10000)) {
        err << "smoke: the main window was not shown\n";
        return 1;
    }
    if (main.conectDeviceLocation() != int32_t(apptest::kKeyboardLocation)) {
        err << "smoke: the keyboard is not connected\n";
        return 1;
    }
    const QString shot = QDir(folder).filePath(QStringLiteral("smoke.png"));
    if (!window->grab().save(shot)) {
        err << "smoke: cannot write " << shot << "\n";
        return 1;
    }
    app.bus().detach(apptest::kKeyboardLocation);
    if (!apptest::AppHarness::waitFor(
            [&] { return main.conectDeviceLocation() == int32_t(apptest::kMouseLocation); }, 10000)) {
        err << "smoke: the mouse was not connected after the keyboard left\n";
        return 1;
    }
    bool closed = false;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [&] { closed = true; });
    QTest::mouseClick(uitest::WindowProbe::window(main).closeButton, Qt::LeftButton);
    if (!apptest::AppHarness::waitFor([&] { return closed || !window->isVisible(); }, 5000)) {
        err << "smoke: the window did not close\n";
        return 1;
    }
    QTextStream(stdout) << "smoke: ok on " << QGuiApplication::platformName() << ", " << shot << "\n";
    return 0;
}
