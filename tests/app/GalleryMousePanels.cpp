// The mouse sensor, LED and Other panels with a mouse connected, and the
// Other tab's menu open.
#include "MainView.h"
#include "MainViewController.h"
#include "Screenshots.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

namespace {

void settle(int ms)
{
    apptest::AppHarness::waitFor([] { return false; }, ms);
}

const shots::ShotRegistrar registrar("MousePanels", [](shots::ShotSink& sink) {
    apptest::AppHarness app(apptest::devices(false, true));
    using M = emu::EmulatedMouse;
    auto& live = app.mouse->live();
    live[M::kDpi + 6] = 1;     // setting 4 switched off
    live[M::kDpiSelected] = 1;
    live[M::kColor] = 3;       // blue
    live[M::kLuminance] = 1;
    live[M::kLogo] = 1;        // logo light off
    if (!app.start())
        return;
    MainViewController& main = app.controller();

    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::MSensorSetting));
    settle(50);
    sink.save(QStringLiteral("MousePanels_sensor"), uitest::WindowProbe::window(main).mainView);

    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::MLedSetting));
    settle(50);
    sink.save(QStringLiteral("MousePanels_led"), uitest::WindowProbe::window(main).mainView);

    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting));
    main.clickTabMenuIcon(uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting));
    settle(50);
    sink.save(QStringLiteral("MousePanels_other_menu"), uitest::WindowProbe::window(main).mainView);
    main.clickTabMenuIcon(uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting));
});

} // namespace
