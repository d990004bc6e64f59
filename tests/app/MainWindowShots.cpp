// The main window with a keyboard connected, with a mouse connected and
// without any device.
#include "MainView.h"
#include "MainViewController.h"
#include "Screenshots.h"
#include "support/ui/AppHarness.h"

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

const shots::ShotRegistrar registrar("MainWindow", [](shots::ShotSink& sink) {
    shoot(sink, "MainWindow_keyboard", true, false);
    shoot(sink, "MainWindow_mouse", false, true);
    shoot(sink, "MainWindow_nodevice", false, false);
    shoot(sink, "MainWindow_devicelist", true, true, true);
});

} // namespace
