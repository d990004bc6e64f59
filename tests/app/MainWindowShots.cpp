// The main window with a keyboard connected (also with settings not yet
// stored in it), with a mouse connected and without any device; the device
// strip slid up with two and with three devices.
#include "AppParam.h"
#include "CustomControl/KeyboardListView.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Screenshots.h"
#include "support/ui/AppHarness.h"

namespace {

struct Shot {
    const char* name;
    bool keyboard = true;
    bool mouse = false;
    bool deviceList = false;  // the device strip slid up
    bool thirdDevice = false; // a second keyboard attached as well
    bool unstored = false;    // settings changed and not stored yet
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
        apptest::AppHarness::waitFor([&] { return main.keyboardList->detailArray().size() == 3; });
    }
    if (shot.unstored) {
        AppParam::keyboardSettingsChanged = true;
        main.updateKeyboardSettingsChanged();
    }
    if (shot.deviceList) {
        // The device strip slid up over the mask.
        main.pushKeylist();
        apptest::AppHarness::waitFor([] { return false; }, 100);
    }
    sink.save(QString::fromLatin1(shot.name), main.mainView);
    AppParam::keyboardSettingsChanged = false;
}

const shots::ShotRegistrar registrar("MainWindow", [](shots::ShotSink& sink) {
    shoot(sink, {.name = "MainWindow_keyboard"});
    shoot(sink, {.name = "MainWindow_keyboard_unstored", .unstored = true});
    shoot(sink, {.name = "MainWindow_mouse", .keyboard = false, .mouse = true});
    shoot(sink, {.name = "MainWindow_nodevice", .keyboard = false});
    shoot(sink, {.name = "MainWindow_devicelist", .mouse = true, .deviceList = true});
    shoot(sink, {.name = "MainWindow_devicelist_three", .mouse = true, .deviceList = true, .thirdDevice = true});
});

} // namespace
