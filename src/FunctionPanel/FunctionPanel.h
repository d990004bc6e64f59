#pragma once
// What the main window asks of every setting panel: the operations it calls
// on whichever panel a tab shows. The one behaviour every panel shares is
// here too: its set-up runs through initSetting(), which never marks the
// settings as changed. A panel is created once (PanelFactory.cpp), after the
// window, and kept for the life of the window; initSetting() runs each time
// its tab is shown. What a panel asks of the main window goes through the
// host it is created with (IDialogHost); what becomes of its device commands
// and its unsent changes, through Device/DeviceCall.h.
//
// Who owns a panel's views: the window. Every view a panel makes (its
// picture, the menus it lays over the window or opens from it) is made with
// makeWindowView() in the host's body view, which makes it a hidden child of
// the window; the window deletes it with itself. The panel holds it by QPointer (null once the
// window is gone), shows, hides and moves it, and never deletes it or takes
// it out of the window. A view the panel builds anew goes through
// retireWindowView(). A panel that goes before its window only unties its
// views from itself (delegates, connections, event filters).

#include "AppEnums.h"
#include "Device/DeviceCall.h"
#include "Dialog/IDialogHost.h"
#include "KeyboardView/KeyboardView.h"

#include <QImage>
#include <QWidget>
#include <memory>
#include <utility>

class QObject;

class FunctionPanel {
public:
    virtual ~FunctionPanel() = default;

    // Rebuilds the panel from the current device model (setUpPanel()).
    // The set-up runs inside a SettingsChangedScope, so reading settings
    // back never marks them as changed, whatever the panel does.
    void initSetting()
    {
        SettingsChangedScope keep;
        setUpPanel();
    }
    // The panel's root view: the device picture, which the main window
    // places over its whole content (below the header and footer).
    virtual KeyboardView* keyboardView() = 0;
    // Another tab of the panel's row is about to be shown: the panel lets go
    // of what only its view on show needs (a mouse panel, its picture) and
    // takes it again at its next set-up.
    virtual void tabHidden() {}

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

protected:
    // The panel's own set-up; only initSetting() runs it.
    virtual void setUpPanel() = 0;
};

// The panel shown for a tab; defined in PanelFactory.cpp, the one place where
// a panel is bound to its tab. The host's window exists already and outlives
// the panel.
std::unique_ptr<FunctionPanel> createFunctionPanel(FunctionTab tab, IDialogHost& host);

// Makes a view of a panel as a hidden child of `window`, which owns it from
// then on (see above).
template <class View, class... Args>
View* makeWindowView(QWidget& window, Args&&... args)
{
    auto* view = new View(std::forward<Args>(args)...);
    view->setParent(&window);
    view->hide();
    return view;
}

// Takes a view of a panel out of use: hides it and leaves its deletion to
// the event loop, since the event that led here may still be on its way
// through the view (a click on one of its rows). The window keeps owning it
// until then; a window that goes first takes the view with it.
void retireWindowView(QWidget* view);
