#pragma once
// The main window's widgets and the controller's inner operations, as tests
// read and drive them. The controller keeps them to itself; this probe is
// the one door tests have to them.

#include "FunctionPanel/FunctionPanel.h"
#include "MainViewController.h"
#include "MainWindowWidgets.h"

namespace uitest {

struct WindowProbe {
    using C = MainViewController;
    static const MainWindowWidgets& widgets(const C& main) { return main.w_; }
    static bool devicesReady(const C& main) { return main.devicesReady(); }
    static C* instance() { return C::instance(); }
    static const DeviceListController& devices(const C& main) { return main.devices(); }
    static DeviceListController& devices(C& main) { return main.devices(); }
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
    static KeyboardView* currentKeyboardView(const C& main) { return main.currentKeyboardView(); }
    static FunctionTab beforeTab(const C& main) { return main.beforeTab(); }
    static bool selectMOtherSetting(const C& main) { return main.selectMOtherSetting(); }
    static void setOpenUrl(C& main, std::function<void(const QString&)> open) { main.setOpenUrl(std::move(open)); }
    static void setVisibleScreenArea(C& main, std::function<std::optional<QRect>()> area)
    {
        main.setVisibleScreenArea(std::move(area));
    }
};

// The widgets of `main`'s window.
inline const MainWindowWidgets& window(const MainViewController& main)
{
    return WindowProbe::widgets(main);
}

// The controller's own operations that tests drive or read (see MainViewController.h).
inline bool devicesReady(const MainViewController& main) { return WindowProbe::devicesReady(main); }
inline MainViewController* instance() { return WindowProbe::instance(); }
inline const DeviceListController& devices(const MainViewController& main) { return WindowProbe::devices(main); }
inline DeviceListController& devices(MainViewController& main) { return WindowProbe::devices(main); }
inline bool windowClosing(MainViewController& main) { return WindowProbe::windowClosing(main); }
inline QString modelNumberText(const QString& prefix, const QString& model) { return WindowProbe::modelNumberText(prefix, model); }
inline QRect clampToScreen(const QRectF& stored, const QRect& visible) { return WindowProbe::clampToScreen(stored, visible); }
inline void selectFunctionTab(MainViewController& main, FunctionTab tab) { WindowProbe::selectFunctionTab(main, tab); }
inline FunctionPanel* panelFor(const MainViewController& main, FunctionTab tab) { return WindowProbe::panelFor(main, tab); }
inline void updateDialogMask(MainViewController& main, DeviceType type) { WindowProbe::updateDialogMask(main, type); }
inline MainTabView* tabView(const MainViewController& main, FunctionTab tab) { return WindowProbe::tabView(main, tab); }
inline FunctionPanel* tabPanel(const MainViewController& main, FunctionTab tab) { return WindowProbe::tabPanel(main, tab); }
inline std::unique_ptr<FunctionPanel> swapPanel(MainViewController& main, FunctionTab tab, std::unique_ptr<FunctionPanel> panel)
{
    return WindowProbe::swapPanel(main, tab, std::move(panel));
}
inline KeyboardView* currentKeyboardView(const MainViewController& main) { return WindowProbe::currentKeyboardView(main); }
inline FunctionTab beforeTab(const MainViewController& main) { return WindowProbe::beforeTab(main); }
inline bool selectMOtherSetting(const MainViewController& main) { return WindowProbe::selectMOtherSetting(main); }
inline void setOpenUrl(MainViewController& main, std::function<void(const QString&)> open)
{
    WindowProbe::setOpenUrl(main, std::move(open));
}
inline void setVisibleScreenArea(MainViewController& main, std::function<std::optional<QRect>()> area)
{
    WindowProbe::setVisibleScreenArea(main, std::move(area));
}

} // namespace uitest
