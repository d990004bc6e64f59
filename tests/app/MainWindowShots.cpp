// The main window with a keyboard connected, with a mouse connected and
// without any device; the device strip slid up with two and with three
// devices.
#include "CustomControl/KeyboardListView.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Screenshots.h"
#include "support/ui/AppHarness.h"

namespace {

void shoot(shots::ShotSink& sink, const char* name, bool keyboard, bool mouse, bool deviceList = false,
           bool thirdDevice = false)
{
    apptest::HarnessOptions options;
    options.keyboard = keyboard;
    options.mouse = mouse;
    apptest::AppHarness app(options);
    if (!app.start())
        return;
    MainViewController& main = app.controller();
    if (thirdDevice) {
        app.bus().attach(std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[1]), 0x01300000);
        apptest::AppHarness::waitFor([&] { return main.keyboardList->detailArray().size() == 3; });
    }
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
    shoot(sink, "MainWindow_devicelist_three", true, true, true, true);
});

} // namespace
