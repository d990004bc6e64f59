// The keyboard's Other tab with its menu open, the menu without a device,
// and the indicator LED dialog, with the emulated keyboard connected.
#include "Screenshots.h"

#include "Dialog/DialogIndicatorLedSettings.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainView.h"
#include "MainViewController.h"
#include "CustomControl/MainTabView.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QSlider>
#include <QTest>

namespace {

const shots::ShotRegistrar registrar("OtherSetting", [](shots::ShotSink& sink) {
    apptest::AppHarness app(apptest::devices(true, false));
    app.keyboard->live().codeChange = 1;
    if (!app.start())
        return;
    MainViewController& main = app.controller();
    auto* tab = uitest::WindowProbe::tabView(main, FunctionTab::OtherSetting);
    apptest::clickTabTitle(tab);
    sink.save(QStringLiteral("OtherSetting_keyboard"), uitest::WindowProbe::window(main).mainView);

    apptest::clickTabTriangle(tab);
    sink.save(QStringLiteral("OtherSetting_menu"), uitest::WindowProbe::window(main).mainView);
    uitest::WindowProbe::tabPanel(main, FunctionTab::OtherSetting)->showMenuView(false);
    uitest::WindowProbe::tabPanel(main, FunctionTab::OtherSetting)->showMenuView(false);
    sink.save(QStringLiteral("OtherSetting_menu_nodevice"), uitest::WindowProbe::window(main).mainView);
    uitest::WindowProbe::tabPanel(main, FunctionTab::OtherSetting)->closeMenuView(true);

    {
        DialogIndicatorLedSettings dialog;
        dialog.initSelectColorButton();
        sink.save(QStringLiteral("IndicatorLedSettings"), &dialog);
        // Red chosen as the user does: the keyboard shows it, and the first
        // selection, however late it runs, frames Red alone.
        dialog.mouseDownButtonView(dialog.colorButton(1));
        dialog.brightnessSlider()->blockSignals(true);
        dialog.brightnessSlider()->setValue(1);
        sink.save(QStringLiteral("IndicatorLedSettings_red_middle"), &dialog);
    }
});

} // namespace
