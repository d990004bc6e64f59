#pragma once
// The main window's widgets and the controller's inner operations, as tests
// read and drive them. The controller keeps them to itself; this probe is
// the one door tests have to them, called as
// uitest::WindowProbe::tabView(main, tab) and so on. What it reads from a
// const controller is const; what it drives needs a controller that is not.

#include "DeviceListController.h"
#include "FunctionPanel/FunctionPanel.h"
#include "MainViewController.h"
#include "MainWindowWidgets.h"

#include <functional>
#include <memory>
#include <optional>

namespace uitest {

struct WindowProbe {
    using C = MainViewController;

    // ----- reading ---------------------------------------------------------------
    // The widgets of `main`'s window.
    static const MainWindowWidgets& window(const C& main) { return main.w_; }
    // The controller registered in AppParam::mainController, or null.
    static C* instance() { return C::instance(); }
    static const DeviceListController& devices(const C& main) { return *main.devices_; }
    static FunctionPanel* panelFor(const C& main, FunctionTab tab) { return main.panelFor(tab); }
    static MainTabView* tabView(const C& main, FunctionTab tab) { return main.tabView(tab); }
    static FunctionPanel* tabPanel(const C& main, FunctionTab tab) { return main.tabPanel(tab); }
    static KeyboardView* currentKeyboardView(const C& main) { return main.currentKeyboardView_; }

    // ----- driving ---------------------------------------------------------------
    static DeviceListController& devices(C& main) { return *main.devices_; }
    static bool windowClosing(C& main) { return main.windowClosing(); }
    static void selectFunctionTab(C& main, FunctionTab tab) { main.selectFunctionTab(tab); }
    static void updateDialogMask(C& main, DeviceType type) { main.updateDialogMask(type); }
    static std::unique_ptr<FunctionPanel> swapPanel(C& main, FunctionTab tab, std::unique_ptr<FunctionPanel> panel)
    {
        return main.swapPanel(tab, std::move(panel));
    }
    static void setOpenUrl(C& main, std::function<void(const QString&)> open) { main.openUrl_ = std::move(open); }
    static void setVisibleScreenArea(C& main, std::function<std::optional<QRect>()> area)
    {
        main.visibleScreenArea_ = std::move(area);
    }
};

} // namespace uitest
