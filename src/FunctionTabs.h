#pragma once
// The function tabs of the main window with their setting panels, as one
// table: a row per tab, naming the tab, the device kind whose row of tabs
// holds it, its position in that row (1 = leftmost), how its menu is closed,
// its tab view and its panel. A keyboard has three tabs (APC, key lock, other
// settings), a mouse four (buttons, LED, sensor, other settings); each
// kind's last tab is its other-settings tab. Main thread only; made once
// with the main window and kept for its life.
//
// A panel is made the first time it is asked for (panel()) and kept from
// then on: the start builds only the panel the window shows first, and the
// panels of a device kind never connected are never built.

#include "AppEnums.h"

#include <array>
#include <functional>
#include <memory>

class FunctionPanel;
class MainTabView;
class IDialogHost;
class QObject;
class QWidget;
class onMainTabViewDelegate;

class FunctionTabs {
public:
    // How a tab's menu is taken off the window.
    enum class Menu {
        None,       // the tab has no menu
        Plain,      // its menu view is removed as it is
        ResetRows,  // its menu view is removed, the rows' marks cleared first
        Popovers,   // the panel's pop-up menus are closed
    };

    struct Row {
        FunctionTab tab;
        DeviceType kind;
        int position;
        bool otherSettings;  // the kind's other-settings tab
        Menu menu;
        MainTabView* view = nullptr;
        // The panel once made; null until panel() is first asked for it.
        mutable std::unique_ptr<FunctionPanel> made;
    };
    static constexpr size_t kCount = 7;

    FunctionTabs();
    ~FunctionTabs();
    FunctionTabs(const FunctionTabs&) = delete;
    FunctionTabs& operator=(const FunctionTabs&) = delete;

    // Makes the tab views of every row in `header`, reporting to `delegate`; the
    // mouse tabs start hidden, without their icons.
    void buildViews(QWidget& header, onMainTabViewDelegate& delegate);
    // The host every panel is made with (the window exists already); no
    // panel is made yet.
    void setPanelHost(IDialogHost& host);
    // The panel of `row` (of `tab`, which has a row), made now when this is
    // the first time it is asked for.
    FunctionPanel& panel(const Row& row) const;
    FunctionPanel& panel(FunctionTab tab) const { return panel(row(tab)); }
    // Lets the panels made go in table order; each unties itself from its
    // views, which stay with the window.
    void releasePanels();
    // Puts `panel` in the row of `tab` (which has a row) and hands back the
    // one it held (null when none had been made).
    std::unique_ptr<FunctionPanel> swapPanel(FunctionTab tab, std::unique_ptr<FunctionPanel> panel);

    const std::array<Row, kCount>& rows() const { return rows_; }
    // The row of `tab`, which must have one.
    const Row& row(FunctionTab tab) const;
    // The row of `tab`, or null for a value without a tab of its own.
    const Row* find(FunctionTab tab) const;
    // The row whose tab view is `view`, or null.
    const Row* find(const QObject* view) const;
    // The position `tab` stands for: its own row's; LedSetting stands at the
    // first position and None at none (0).
    int positionOf(FunctionTab tab) const;
    // The row that position `position` shows for `kind`: positions outside
    // the kind's row show its other-settings tab.
    const Row& shownAt(DeviceType kind, int position) const;
    // The other-settings row of `kind`.
    const Row& otherSettings(DeviceType kind) const;
    // Calls `f` on each row of `kind`, left to right.
    void forKind(DeviceType kind, const std::function<void(const Row&)>& f) const;

    // The looks of `kind`'s row with position `shown` on show: that tab
    // active and flat, the ones to its left shaded to the right, the ones to
    // its right shaded to the left. The other kind's tabs are not touched.
    void setLooks(DeviceType kind, int shown) const;
    // Shows `kind`'s tabs and hides the other kind's. The mouse tabs get
    // their icons when first shown.
    void showKind(DeviceType kind) const;
    // Enables `kind`'s tabs: its other-settings tab always, the others when
    // the device's settings can be used (the APC tab also needs `apc`).
    void enable(DeviceType kind, bool settingsUsable, bool apc) const;

    // Takes every tab's menu off the window, and the pop-up menus.
    void closeMenus() const;
    // Takes the menu of `tab` (if it has a row) off the window; its pop-up
    // menus only with `popovers`.
    void closeMenuOf(FunctionTab tab, bool popovers) const;
    // Closes the pop-up menus of the panels that have them.
    void closePopovers() const;

private:
    // Takes `row`'s menu off the window; pop-up menus only with `popovers`.
    static void closeMenu(const Row& row, bool popovers);

    std::array<Row, kCount> rows_;
    IDialogHost* host_ = nullptr;
};
