#pragma once
// What the main window asks of every setting panel. The panels share no base
// behaviour; these are the operations the main window calls on whichever
// panel a tab shows. A panel is created once (PanelFactory.cpp) and kept for
// the life of the window; initSetting() runs each time its tab is shown.

#include "AppEnums.h"
#include "KeyboardView/KeyboardView.h"

#include <QImage>
#include <memory>

class QObject;
class QWidget;
class MainViewController;

class FunctionPanel {
public:
    virtual ~FunctionPanel() = default;

    // Rebuilds the panel from the current device model. Reading settings
    // back never marks them as changed (see SettingsChangedScope).
    virtual void initSetting() = 0;
    // The panel's root view: the device picture, which the main window
    // places over its whole content (below the header and footer).
    virtual KeyboardView* keyboardView() = 0;

    // Opens (or, when open, closes) the panel's menu under its tab.
    virtual void showMenuView(bool isDevice) { (void)isDevice; }
    // Whether the panel's menu is laid over the window.
    virtual bool isMenuViewShown() const { return false; }
    // Takes the menu off the window; `resetItems` clears the rows'
    // hover, selected and check marks first.
    virtual void closeMenuView(bool resetItems) { (void)resetItems; }
    // Enables or disables the menu items that need a device.
    virtual void enableMenuItem(bool isEnable) { (void)isEnable; }
    // A chosen menu row.
    virtual void clickTabMenuItem(QObject* id, FunctionItem function) { (void)id; (void)function; }
    // Closes every popover menu of the panel.
    virtual void allPopoverMenuClose() {}
};

// The panel shown for a tab; defined in PanelFactory.cpp, the one place where
// a panel is bound to its tab.
std::unique_ptr<FunctionPanel> createFunctionPanel(FunctionTab tab, MainViewController& controller);

// Keeps a panel's set-up from changing the unsent-changes flag: pushes the
// flag on construction and pops it on destruction, then brings the Send
// button in line. When the device was replaced meanwhile (a recovery ran
// inside the set-up), the pop only keeps the stack balanced: the old device's
// flag is not put back on the new device.
class SettingsChangedScope {
public:
    SettingsChangedScope();
    ~SettingsChangedScope();
    SettingsChangedScope(const SettingsChangedScope&) = delete;
    SettingsChangedScope& operator=(const SettingsChangedScope&) = delete;

private:
    // Weak, so that a replaced device's memory cannot be taken by its
    // successor and pass for it.
    std::weak_ptr<class IDeviceEntry> device_;
};
