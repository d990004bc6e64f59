#pragma once
// The drawn popup menu: a dark panel of 38-high rows, each with a centred
// title, an optional check mark and an optional sub-menu mark ">".
//
// A menu is used in one of two ways:
// - a tab menu (tabMenu true): the menu view is laid over the window's body
//   (showInView) and its panel hangs down from `originPointLT`; a click
//   anywhere outside the rows, or on an enabled row, removes the menu view
//   (it is hidden and stays a child of that view);
// - a popover menu (tabMenu false): createPopover() moves the panel into a
//   frameless tool window (NKMenuPopover) that is shown at a point of a
//   window, kept on the screen, and cascades: hovering a row with a
//   sub-menu shows the sub-menu's popover at the row's top-right corner.
//
// Geometry is Qt's: origin at the top left, y growing downwards. Choosing a
// row tells the menu's owner through TabMenuDelegate with the menu as `id`.
// Owners build the item list, decide which rows are enabled, selected or
// checked, and close their menus. Menus are QWidgets: give one a parent
// (the owner's panel or the window body) or keep it yourself; a shown tab
// menu is a child of the view it was shown in. An owner may rebuild a menu
// (updateMenu) while it is being told of a click; one that drops the whole
// menu then does so with deleteLater.

#include "AppEnums.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <vector>

class TabMenuView;
class TabMenuSettingItemView;
class NKMenuPopover;

// Told of a chosen item; `id` is the menu.
class TabMenuDelegate {
public:
    virtual ~TabMenuDelegate() = default;
    virtual void clickTabMenuItem(QObject* id, FunctionItem function) = 0;
};

// Told of a clicked row; `id` is the row. Implemented by TabMenuView.
class TabMenuItemDelegate {
public:
    virtual ~TabMenuItemDelegate() = default;
    virtual void clickTabMenuItem(QObject* id, FunctionItem function) = 0;
};

// One entry of a menu's item list.
struct TabMenuItem {
    FunctionItem function = FunctionItem::None;
    ButtonAssignCode sssignCode = ButtonAssignCode::None;
    QString titile;
    bool hasSubMenu = false;
    QPointer<TabMenuView> subMenuListView;
    QPointer<TabMenuView> parentListView;
};

// Where a popover of size `size` whose top-left corner is asked at `topLeft`
// (screen coordinates) ends up inside the visible screen area `visible`:
// past the right edge a first-level popover (hierarchy 1) moves left just
// enough, a deeper one by twice its width (a sub-menu flips to its parent's
// left side); past the top edge it moves down to it; a first placement that
// starts left of or below the visible area is pinned to its left or bottom
// edge.
QPoint placePopover(const QPoint& topLeft, const QSize& size, const QRect& visible, int hierarchy);

// The menu's panel: fills itself with the panel colour and darkens a band of
// 10 at its top edge to black. Holds the rows.
class TabMenuSettingView : public QWidget {
    Q_OBJECT
public:
    explicit TabMenuSettingView(const QRectF& frame, QWidget* parent = nullptr);

    QColor endColor() const { return endColor_; }
    QColor backgroundColor() const { return backgroundColor_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor endColor_;
    QColor backgroundColor_;
};

// One row of a menu.
class TabMenuSettingItemView : public QWidget {
    Q_OBJECT
public:
    TabMenuSettingItemView(FunctionItem function, const QString& title, const QRectF& frame,
                           QWidget* parent = nullptr);

    // What the row draws. Each setter stores the value and repaints the row
    // when the value changed, so owners never repaint rows themselves.
    //
    // The title (null: no title is drawn), also the row's accessible name.
    const QString& titleString() const { return titleString_; }
    void setTitleString(const QString& title);
    // Whether the row lights up under the pointer.
    bool isHighlight() const { return isHighlight_; }
    void setHighlight(bool highlight);
    // Whether the row takes the pointer and clicks; a disabled row draws its
    // texts half-transparent. The row's own flag: the widget stays enabled.
    bool isEnable() const { return isEnable_; }
    void setEnable(bool enable);
    // Shown selected: a light fill under black texts.
    bool isSelect() const { return isSelect_; }
    void setSelect(bool select);
    // Shows the check mark at the left.
    bool isCheckDraw() const { return isCheckDraw_; }
    void setCheckDraw(bool checkDraw);
    // Shows the sub-menu mark at the right (and opens `subMenu` on hover).
    bool hasSubMenu() const { return hasSubMenu_; }
    void setHasSubMenu(bool hasSubMenu);
    // The pointer is over the row (lit while `isHighlight`).
    bool mouseInView() const { return mouseInView_; }
    void setMouseInView(bool inView);

    int index = 0;
    FunctionItem function = FunctionItem::None;
    QPointer<TabMenuView> parentMenu;
    QPointer<TabMenuView> ownMenu;
    QPointer<TabMenuView> subMenu;
    TabMenuItemDelegate* delegate = nullptr;
    QString checkChar;
    QString subMenuChar;
    QColor selectedColor;
    QColor highlightColor;
    QFont font;
    // This row's sub-menu was opened by hovering.
    bool showSunMenu = false;

    // The pointer entered the row: light it up and, for a row with a
    // sub-menu, close the menu's sub-menus and open this row's.
    void mouseEntered();
    // The pointer left the row, last seen at `globalPos`.
    void handleExit(const QPoint& globalPos);

    // The colour the texts are drawn in now.
    QColor textColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString titleString_;
    bool isHighlight_ = true;
    bool isEnable_ = true;
    bool isSelect_ = false;
    bool isCheckDraw_ = false;
    bool hasSubMenu_ = false;
    bool mouseInView_ = false;
};

class TabMenuView : public QWidget, public TabMenuItemDelegate {
    Q_OBJECT
public:
    // `frame`: the menu view's rectangle (for a tab menu the window body it
    // covers); `leftTop`: where a tab menu's panel hangs from; `viewWidth`:
    // the panel's width.
    TabMenuView(const QRectF& frame, const QPointF& leftTop, qreal viewWidth, bool tabMenu,
                ButtonNo buttonNo, TabMenuView* parentMenu, QWidget* parent = nullptr);
    ~TabMenuView() override;

    TabMenuDelegate* delegate = nullptr;
    std::vector<TabMenuItem> items;
    QPointF originPointLT;
    QColor backgroundColor;
    qreal kItemHeight;
    bool mTabMenu = false;
    QPointer<TabMenuView> mParentMenu;
    ButtonNo mButtonNo = ButtonNo::None;
    ButtonAssignCode mButtonAssignCode = ButtonAssignCode::None;

    TabMenuSettingView* menuView() const { return menuView_; }
    NKMenuPopover* popover() const { return popover_.get(); }
    // The rows, top to bottom.
    const std::vector<TabMenuSettingItemView*>& rows() const { return rows_; }
    // The row of `function` (the first from the top), or null.
    TabMenuSettingItemView* row(FunctionItem function) const;

    void appendItem(FunctionItem function, const QString& title);
    void appendItem(FunctionItem function, ButtonAssignCode assignCode, const QString& title);
    // Sets the entry's parent to this menu's parent menu.
    void appendItem(FunctionItem function, ButtonAssignCode assignCode, const QString& title,
                    bool hasSubMenu, TabMenuView* subMenuListView);
    // Rebuilds the rows from `items`; a row whose function is the current
    // APC choice starts selected.
    void updateMenu();

    // Moves the panel into a new popover (popover menus).
    void createPopover();
    // Closes the menu's own popover.
    void closePopover();
    // Closes the sub-menus of all rows; rows with a sub-menu other than the
    // one at `index` lose their hover and selection.
    void closePopovers(int index);
    // Closes the sub-menus of all rows, clears every row's hover and
    // selection, closes the own popover.
    void closeAllPopover();
    // A tab menu leaves its view; a popover menu closes its popover.
    void closeMenuView();

    // Tab menus: lays the menu view over `superview` at the menu's frame,
    // on top; removeFromSuperview hides it again.
    void showInView(QWidget* superview);
    void removeFromSuperview();
    // Whether the menu is showing: a tab menu in its view, a popover menu
    // in its popover.
    bool isShown() const;

    // TabMenuItemDelegate: a row was clicked.
    void clickTabMenuItem(QObject* id, FunctionItem function) override;
    // What a click on a row does to the menu before the owner is told: a
    // tab menu is removed from its view, a popover stays open.
    void rowClickPassThrough();

    QRectF getMenuViewSize() const;
    QWidget* getMenuView() const;
    // The row operations below change the rows' flags through their
    // setters, so every row whose look changes repaints itself; `display`
    // is no longer needed for that and changes nothing.
    void enableMenuItem(FunctionItem function, bool check);
    void clearMenuItem(bool display);
    void selectAllMenuItem(bool check, bool display);
    void selectMenuItem(FunctionItem function, bool check);
    void checkMenuItem(FunctionItem function, bool check);
    bool isCheckMenuItem(FunctionItem function) const;
    // The title of the row of `function` when it is selected or checked,
    // else empty.
    QString getSelectCheckMenuItem(FunctionItem function) const;
    void allCheckOff();
    // Sets the check mark of `function` in every sub-menu of this menu.
    void checkSubMenuItem(FunctionItem function, bool check);
    // The function of the row under the pointer, None when there is none.
    FunctionItem getMouseInviewButtonNo() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRectF frame_;
    TabMenuSettingView* menuView_ = nullptr;
    std::unique_ptr<NKMenuPopover> popover_;
    std::vector<TabMenuSettingItemView*> rows_;
};

class NKMenuPopoverWindowFrame;

// The popover's frameless tool window. It never takes focus or activates,
// so showing a sub-menu never disturbs its parent.
class NKMenuPopoverWindow : public QWidget {
    Q_OBJECT
public:
    explicit NKMenuPopoverWindow(const QRect& contentRect);

    QWidget* popoverContentView() const { return popoverContentView_; }
    void setContentView(QWidget* view) { setPopoverContentView(view); }
    // Shows `view` filling the window; the window takes the view's size.
    void setPopoverContentView(QWidget* view);
    NKMenuPopoverWindowFrame* popoverWindowFrame() const { return frame_; }

private:
    NKMenuPopoverWindowFrame* frame_ = nullptr;
    QPointer<QWidget> popoverContentView_;
};

// The window's content: transparent, so only the panel shows.
class NKMenuPopoverWindowFrame : public QWidget {
    Q_OBJECT
public:
    explicit NKMenuPopoverWindowFrame(QWidget* parent);
    qreal viewMargin = 2;
    QPoint attachmentPoint() const { return QPoint(0, 0); }

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A popover: shows its content in a tool window at a point of a parent
// window, kept inside the screen's visible area. It closes when the
// application goes inactive (it never has focus, so it never loses it).
class NKMenuPopover : public QObject {
    Q_OBJECT
public:
    NKMenuPopover();
    NKMenuPopover(QWidget* contentView, bool subMenu);
    ~NKMenuPopover() override;

    bool closesWhenPopoverResignsKey = false;
    bool closesWhenApplicationBecomesInactive = false;
    int mHierarchy = 1;

    // Shows the popover with its top-left corner at `point` of `window`
    // (in that widget's coordinates; any widget of the window will do), at
    // nesting level `hierarchy` (1 for a menu opened by its owner). Nothing
    // when it is showing already or there is no window.
    void displayPopoverInWindow(QWidget* window, const QPoint& point, int hierarchy);
    void closePopover();
    NKMenuPopoverWindow* popoverWindow() const { return mPopoverWindow.get(); }
    bool isVisible() const;

public slots:
    void windowDidResignKey();
    void applicationDidResignActive();

private:
    std::unique_ptr<NKMenuPopoverWindow> mPopoverWindow;
};
