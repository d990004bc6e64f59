#pragma once
// The main window's widgets and the controller's inner operations, as tests
// read and drive them. The controller keeps them to itself; this probe is
// the one door tests have to them.

#include "DeviceListController.h"
#include "FunctionPanel/FunctionPanel.h"
#include "MainViewController.h"
#include "MainWindowWidgets.h"

namespace uitest {

struct WindowProbe {
    using C = MainViewController;
    static const MainWindowWidgets& widgets(const C& main) { return main.w_; }
    static bool devicesReady(const C& main) { return main.devicesReady_; }
    static C* instance() { return C::instance(); }
    static DeviceListController& devices(const C& main) { return *main.devices_; }
    static bool windowClosing(C& main) { return main.windowClosing(); }
    static QString modelNumberText(const QString& prefix, const QString& model) { return C::modelNumberText(prefix, model); }
    static QRect clampToScreen(const QRectF& stored, const QRect& visible) { return C::clampToScreen(stored, visible); }
    static void selectFunctionTab(C& main, FunctionTab tab) { main.selectFunctionTab(tab); }
    static FunctionPanel* panelFor(const C& main, FunctionTab tab) { return main.panelFor(tab); }
    static void updateDialogMask(C& main, DeviceType type) { main.updateDialogMask(type); }
    static MainTabView* tabView(const C& main, FunctionTab tab) { return main.tabView(tab); }
    static FunctionPanel* tabPanel(const C& main, FunctionTab tab) { return main.tabPanel(tab); }
    static std::unique_ptr<FunctionPanel> swapPanel(C& main, FunctionTab tab, std::unique_ptr<FunctionPanel> panel)
    {
        return main.swapPanel(tab, std::move(panel));
    }
    static KeyboardView* currentKeyboardView(const C& main) { return main.currentKeyboardView_; }
    static FunctionTab beforeTab(const C& main) { return main.beforeTab_; }
    static bool selectMOtherSetting(const C& main) { return main.selectMOtherSetting_; }
    static void setOpenUrl(C& main, std::function<void(const QString&)> open) { main.openUrl_ = std::move(open); }
    static void setVisibleScreenArea(C& main, std::function<std::optional<QRect>()> area)
    {
        main.visibleScreenArea_ = std::move(area);
    }
};

// The widgets of `main`'s window.
inline const MainWindowWidgets& window(const MainViewController& main)
{
    return WindowProbe::widgets(main);
}

// The controller's own operations that tests drive or read (see MainViewController.h),
// called as uitest::tabView(main, tab) and so on.
inline constexpr auto devicesReady = &WindowProbe::devicesReady;
inline constexpr auto instance = &WindowProbe::instance;
inline constexpr auto devices = &WindowProbe::devices;
inline constexpr auto windowClosing = &WindowProbe::windowClosing;
inline constexpr auto modelNumberText = &WindowProbe::modelNumberText;
inline constexpr auto clampToScreen = &WindowProbe::clampToScreen;
inline constexpr auto selectFunctionTab = &WindowProbe::selectFunctionTab;
inline constexpr auto panelFor = &WindowProbe::panelFor;
inline constexpr auto updateDialogMask = &WindowProbe::updateDialogMask;
inline constexpr auto tabView = &WindowProbe::tabView;
inline constexpr auto tabPanel = &WindowProbe::tabPanel;
inline constexpr auto swapPanel = &WindowProbe::swapPanel;
inline constexpr auto currentKeyboardView = &WindowProbe::currentKeyboardView;
inline constexpr auto beforeTab = &WindowProbe::beforeTab;
inline constexpr auto selectMOtherSetting = &WindowProbe::selectMOtherSetting;
inline constexpr auto setOpenUrl = &WindowProbe::setOpenUrl;
inline constexpr auto setVisibleScreenArea = &WindowProbe::setVisibleScreenArea;

} // namespace uitest
