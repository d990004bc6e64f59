#include "CustomControl/TabMenuView.h"

#include "AppParam.h"
#include "CustomControl/PopupMenuLook.h"
#include "CustomControl/UiGeometry.h"
#include "UiLayout.h"

#include <QCursor>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {

// The mouse button that a row of the buttons' tab menu stands for, None for
// any other row.
ButtonNo buttonOfRow(FunctionItem function)
{
    const int offset = static_cast<int>(function) - static_cast<int>(FunctionItem::Button1);
    if (offset < 0 || offset > 5)
        return ButtonNo::None;
    return static_cast<ButtonNo>(static_cast<int>(ButtonNo::Button1) + offset);
}

} // namespace

QPoint placePopover(const QPoint& topLeft, const QSize& size, const QRect& visible, int hierarchy)
{
    // All figures as left/top/width/height so that Qt's inclusive right()
    // and bottom() play no part.
    const int w = size.width();
    const int h = size.height();
    const int vLeft = visible.x();
    const int vTop = visible.y();
    const int vRight = visible.x() + visible.width();
    const int vBottom = visible.y() + visible.height();
    const QRect first(topLeft, size);

    int x = first.x();
    int y = first.y();
    if (first.x() + w > vRight)
        x = hierarchy == 1 ? x - (first.x() + w - vRight) : x - 2 * w;
    if (first.y() < vTop)
        y = vTop;
    // The first placement decides the pinning to the left and bottom edges.
    if (first.x() < vLeft)
        x = vLeft;
    if (first.y() + h > vBottom)
        y = vBottom - h;
    return QPoint(x, y);
}

// ---- TabMenuSettingView -------------------------------------------------------

TabMenuSettingView::TabMenuSettingView(const QRectF& frame, QWidget* parent)
    : QWidget(parent), endColor_(menulook::bandEndColor()), backgroundColor_(menulook::panelColor())
{
    setGeometry(frame.toRect());
}

void TabMenuSettingView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColor_);
    // A band at the top edge that darkens from the panel colour to black.
    const qreal band = layout::kMenuTopBandHeight;
    QLinearGradient gradient(0, band, 0, 0);
    gradient.setColorAt(0, backgroundColor_);
    gradient.setColorAt(1, endColor_);
    painter.fillRect(QRectF(0, 0, width(), band), gradient);
}

// ---- TabMenuSettingItemView ---------------------------------------------------

TabMenuSettingItemView::TabMenuSettingItemView(FunctionItem function, const QString& title,
                                               const QRectF& frame, QWidget* parent)
    : QWidget(parent),
      function(function),
      checkChar(QString(QChar(0x2713))),
      subMenuChar(QStringLiteral(">")),
      selectedColor(menulook::selectedColor()),
      highlightColor(menulook::highlightColor()),
      titleString_(title)
{
    font.setPixelSize(layout::kMenuFontPixelSize);
    setGeometry(frame.toRect());
    setMouseTracking(true);
    setAccessibleName(title);
}

namespace {

// Stores `value` in `field` and repaints `row` when it changed.
template <typename T>
void storeAndRepaint(QWidget* row, T& field, const T& value)
{
    if (field == value)
        return;
    field = value;
    row->update();
}

} // namespace

void TabMenuSettingItemView::setTitleString(const QString& title)
{
    // A null and an empty title both draw nothing, so only a change of the
    // text repaints; the title is stored either way.
    const bool redraw = titleString_ != title;
    titleString_ = title;
    setAccessibleName(title);
    if (redraw)
        update();
}

void TabMenuSettingItemView::setHighlight(bool highlight) { storeAndRepaint(this, isHighlight_, highlight); }
void TabMenuSettingItemView::setEnable(bool enable) { storeAndRepaint(this, isEnable_, enable); }
void TabMenuSettingItemView::setSelect(bool select) { storeAndRepaint(this, isSelect_, select); }
void TabMenuSettingItemView::setCheckDraw(bool checkDraw) { storeAndRepaint(this, isCheckDraw_, checkDraw); }
void TabMenuSettingItemView::setHasSubMenu(bool hasSubMenu) { storeAndRepaint(this, hasSubMenu_, hasSubMenu); }
void TabMenuSettingItemView::setMouseInView(bool inView) { storeAndRepaint(this, mouseInView_, inView); }

QColor TabMenuSettingItemView::textColor() const
{
    return isSelect_ ? menulook::selectedTitleColor(isEnable_) : menulook::titleColor(isEnable_);
}

void TabMenuSettingItemView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (isSelect_)
        painter.fillRect(rect(), selectedColor);
    else if (isHighlight_ && mouseInView_)
        painter.fillRect(rect(), highlightColor);

    painter.setFont(font);
    painter.setPen(textColor());
    const qreal H = height();
    const qreal W = width();
    const qreal P = font.pixelSize();
    const qreal textY = (H - P) / 2;
    const qreal textH = P + layout::kMenuTextExtraHeight;
    // Each text box is centred in the row (measured from the bottom) and
    // lifted a little.
    auto box = [&](qreal x, qreal w) {
        return ui::fromBottomLeft(QRectF(x, textY, w, textH), H).translated(0, -layout::kMenuTextLift);
    };
    const int flags = Qt::AlignTop | Qt::AlignHCenter | Qt::TextDontClip | Qt::TextSingleLine;
    if (!titleString_.isNull())
        painter.drawText(box(0, W), flags, titleString_);
    if (isCheckDraw_)
        painter.drawText(box(layout::kMenuCheckX, layout::kMenuMarkWidth), flags, checkChar);
    if (hasSubMenu_)
        painter.drawText(box(W - layout::kMenuSubMenuMarkInset, layout::kMenuMarkWidth), flags,
                         subMenuChar);
}

void TabMenuSettingItemView::enterEvent(QEnterEvent*)
{
    mouseEntered();
}

void TabMenuSettingItemView::leaveEvent(QEvent*)
{
    handleExit(QCursor::pos());
}

void TabMenuSettingItemView::mouseEntered()
{
    if (!isEnable_)
        return;
    // A repeated enter (the window system sends one when a window under
    // the pointer closes or opens) leaves an open sub-menu as it is, rather
    // than closing and reopening it for ever.
    if (mouseInView_ && showSunMenu && subMenu && subMenu->isShown())
        return;
    setMouseInView(true);
    if (!hasSubMenu_)
        return;
    if (ownMenu)
        ownMenu->closePopovers(index);
    if (showSunMenu)
        return;
    // In a button's menu reached from the buttons' tab menu, open nothing
    // while the tab menu's hovered row is another button.
    if (parentMenu && ownMenu && ownMenu->mButtonNo != ButtonNo::None) {
        for (TabMenuSettingItemView* row : parentMenu->rows()) {
            if (!row->mouseInView())
                continue;
            const ButtonNo button = buttonOfRow(row->function);
            if (button != ButtonNo::None && button != ownMenu->mButtonNo)
                return;
            break;
        }
    }
    showSunMenu = true;
    if (!subMenu || !subMenu->popover())
        return;
    NKMenuPopover* popover = subMenu->popover();
    QWidget* host = window();
    popover->displayPopoverInWindow(host, mapTo(host, QPoint(width(), 0)), popover->mHierarchy + 1);
}

void TabMenuSettingItemView::handleExit(const QPoint& globalPos)
{
    if (!isEnable_)
        return;
    if (!hasSubMenu_) {
        setMouseInView(false);
        return;
    }
    const QWidget* host = window();
    const QRect content(host->mapToGlobal(QPoint(0, 0)), host->size());
    if (content.contains(globalPos)) {
        // Elsewhere in the same menu: the sub-menu stays open.
        showSunMenu = false;
        setMouseInView(false);
        return;
    }
    if (showSunMenu && globalPos.y() < mapToGlobal(QPoint(0, 0)).y()) {
        if (subMenu)
            subMenu->closePopover();
        showSunMenu = false;
        setMouseInView(false);
    }
    // Otherwise the pointer went into the sub-menu or off another edge: the
    // row stays lit and its sub-menu open.
}

void TabMenuSettingItemView::mousePressEvent(QMouseEvent* event)
{
    // A disabled row swallows the click, so a tab menu stays open.
    event->accept();
    if (!isEnable_)
        return;
    setMouseInView(false);
    const QPointer<TabMenuSettingItemView> self(this);
    if (ownMenu)
        ownMenu->rowClickPassThrough();
    // The owner may rebuild or drop the menu: nothing of this row is used
    // after it was told.
    if (self && delegate)
        delegate->clickTabMenuItem(this, function);
}

void TabMenuSettingItemView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

// ---- TabMenuView --------------------------------------------------------------

TabMenuView::TabMenuView(const QRectF& frame, const QPointF& leftTop, qreal viewWidth, bool tabMenu,
                         ButtonNo buttonNo, TabMenuView* parentMenu, QWidget* parent)
    : QWidget(parent),
      originPointLT(leftTop),
      backgroundColor(menulook::panelColor()),
      kItemHeight(layout::kMenuItemHeight),
      mTabMenu(tabMenu),
      mParentMenu(parentMenu),
      mButtonNo(buttonNo),
      frame_(frame)
{
    setGeometry(frame.toRect());
    setVisible(false);
    const QPointF panelOrigin = tabMenu ? leftTop : QPointF(0, 0);
    menuView_ = new TabMenuSettingView(QRectF(panelOrigin, QSizeF(viewWidth, 0)), this);
}

TabMenuView::~TabMenuView()
{
    // The popover's window holds the panel and its rows once they moved.
    popover_.reset();
}

TabMenuSettingItemView* TabMenuView::row(FunctionItem function) const
{
    for (TabMenuSettingItemView* r : rows_)
        if (r->function == function)
            return r;
    return nullptr;
}

void TabMenuView::appendItem(FunctionItem function, const QString& title)
{
    items.push_back(TabMenuItem{function, ButtonAssignCode::None, title, false, nullptr, nullptr});
}

void TabMenuView::appendItem(FunctionItem function, ButtonAssignCode assignCode, const QString& title)
{
    items.push_back(TabMenuItem{function, assignCode, title, false, nullptr, nullptr});
}

void TabMenuView::appendItem(FunctionItem function, ButtonAssignCode assignCode, const QString& title,
                             bool hasSubMenu, TabMenuView* subMenuListView)
{
    items.push_back(TabMenuItem{function, assignCode, title, hasSubMenu, subMenuListView, mParentMenu});
}

void TabMenuView::updateMenu()
{
    // An old row may be the one whose click led here: it goes later.
    for (TabMenuSettingItemView* old : rows_) {
        old->hide();
        old->delegate = nullptr;
        old->deleteLater();
    }
    rows_.clear();

    const int n = static_cast<int>(items.size());
    const qreal width = menuView_->width();
    const qreal height = kItemHeight * n;
    const QPointF origin = mTabMenu ? originPointLT : QPointF(0, 0);
    menuView_->setGeometry(QRectF(origin, QSizeF(width, height)).toRect());

    for (int i = 0; i < n; ++i) {
        const TabMenuItem& item = items[size_t(i)];
        auto* r = new TabMenuSettingItemView(item.function, item.titile,
                                             QRectF(0, kItemHeight * i, width, kItemHeight), menuView_);
        r->delegate = this;
        r->setSelect(item.function == AppParam::functionApcSettingSelect);
        r->setHasSubMenu(item.hasSubMenu);
        r->subMenu = item.subMenuListView;
        r->parentMenu = item.parentListView;
        r->ownMenu = this;
        r->index = i;
        r->show();
        rows_.push_back(r);
    }
    menuView_->update();
}

void TabMenuView::createPopover()
{
    auto* content = new QWidget;
    content->setGeometry(menuView_->geometry());
    auto fresh = std::make_unique<NKMenuPopover>(content, false);
    menuView_->setParent(content);
    menuView_->move(0, 0);
    menuView_->show();
    popover_ = std::move(fresh);
}

void TabMenuView::closePopover()
{
    if (popover_)
        popover_->closePopover();
}

void TabMenuView::closePopovers(int index)
{
    for (TabMenuSettingItemView* r : rows_) {
        if (r->subMenu) {
            r->subMenu->closeAllPopover();
            r->subMenu->closePopover();
            if (r->index != index) {
                r->setMouseInView(false);
                r->setSelect(false);
            }
        }
        r->showSunMenu = false;
    }
}

void TabMenuView::closeAllPopover()
{
    for (TabMenuSettingItemView* r : rows_) {
        if (r->subMenu)
            r->subMenu->closePopover();
        r->showSunMenu = false;
        r->setMouseInView(false);
        r->setSelect(false);
    }
    closePopover();
}

void TabMenuView::closeMenuView()
{
    if (mTabMenu)
        removeFromSuperview();
    else
        closePopover();
}

void TabMenuView::showInView(QWidget* superview)
{
    if (!superview)
        return;
    if (parentWidget() != superview)
        setParent(superview);
    setGeometry(frame_.toRect());
    show();
    raise();
}

void TabMenuView::removeFromSuperview()
{
    hide();
}

bool TabMenuView::isShown() const
{
    if (mTabMenu)
        return isVisible();
    return popover_ && popover_->isVisible();
}

void TabMenuView::clickTabMenuItem(QObject*, FunctionItem function)
{
    if (!items.empty() && rows_.size() == items.size()) {
        for (size_t i = 0; i < items.size(); ++i)
            rows_[i]->setSelect(items[i].function == function);
    }
    if (delegate)
        delegate->clickTabMenuItem(this, function);
}

void TabMenuView::rowClickPassThrough()
{
    if (mTabMenu)
        removeFromSuperview();
}

void TabMenuView::mousePressEvent(QMouseEvent* event)
{
    // A click outside the rows: a tab menu leaves the window, a popover
    // closes. The click goes no further.
    event->accept();
    if (mTabMenu)
        removeFromSuperview();
    else
        closePopover();
}

QRectF TabMenuView::getMenuViewSize() const
{
    return QRectF(menuView_->geometry());
}

QWidget* TabMenuView::getMenuView() const
{
    return menuView_;
}

void TabMenuView::enableMenuItem(FunctionItem function, bool check)
{
    if (TabMenuSettingItemView* r = row(function))
        r->setEnable(check);
}

void TabMenuView::clearMenuItem(bool /*display*/)
{
    for (TabMenuSettingItemView* r : rows_) {
        r->setMouseInView(false);
        r->setSelect(false);
        r->setCheckDraw(false);
    }
}

void TabMenuView::selectAllMenuItem(bool check, bool /*display*/)
{
    for (TabMenuSettingItemView* r : rows_)
        r->setSelect(check);
}

void TabMenuView::selectMenuItem(FunctionItem function, bool check)
{
    if (TabMenuSettingItemView* r = row(function))
        r->setSelect(check);
}

void TabMenuView::checkMenuItem(FunctionItem function, bool check)
{
    if (TabMenuSettingItemView* r = row(function))
        r->setCheckDraw(check);
}

bool TabMenuView::isCheckMenuItem(FunctionItem function) const
{
    const TabMenuSettingItemView* r = row(function);
    return r && r->isCheckDraw();
}

QString TabMenuView::getSelectCheckMenuItem(FunctionItem function) const
{
    const TabMenuSettingItemView* r = row(function);
    if (r && (r->isSelect() || r->isCheckDraw()))
        return r->titleString();
    return QString();
}

void TabMenuView::allCheckOff()
{
    for (TabMenuSettingItemView* r : rows_)
        r->setCheckDraw(false);
}

void TabMenuView::checkSubMenuItem(FunctionItem function, bool check)
{
    for (TabMenuSettingItemView* r : rows_)
        if (r->subMenu)
            r->subMenu->checkMenuItem(function, check);
}

FunctionItem TabMenuView::getMouseInviewButtonNo() const
{
    for (const TabMenuSettingItemView* r : rows_)
        if (r->mouseInView())
            return r->function;
    return FunctionItem::None;
}

// ---- NKMenuPopoverWindow ------------------------------------------------------

NKMenuPopoverWindow::NKMenuPopoverWindow(const QRect& contentRect)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setFocusPolicy(Qt::NoFocus);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setGeometry(contentRect);
    frame_ = new NKMenuPopoverWindowFrame(this);
    frame_->setGeometry(rect());
}

void NKMenuPopoverWindow::setPopoverContentView(QWidget* view)
{
    if (!view || view == popoverContentView_)
        return;
    const QSize size = view->size();
    resize(size);
    frame_->setGeometry(0, 0, size.width(), size.height());
    if (popoverContentView_) {
        popoverContentView_->hide();
        popoverContentView_->deleteLater();
    }
    popoverContentView_ = view;
    view->setParent(frame_);
    view->setGeometry(0, 0, size.width(), size.height());
    view->show();
}

// ---- NKMenuPopoverWindowFrame -------------------------------------------------

NKMenuPopoverWindowFrame::NKMenuPopoverWindowFrame(QWidget* parent) : QWidget(parent) {}

void NKMenuPopoverWindowFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
}

// ---- NKMenuPopover ------------------------------------------------------------

NKMenuPopover::NKMenuPopover()
{
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            applicationDidResignActive();
    });
}

NKMenuPopover::NKMenuPopover(QWidget* contentView, bool) : NKMenuPopover()
{
    mPopoverWindow = std::make_unique<NKMenuPopoverWindow>(contentView->geometry());
    mPopoverWindow->setPopoverContentView(contentView);
    mPopoverWindow->setMinimumSize(contentView->size());
}

NKMenuPopover::~NKMenuPopover()
{
    closePopover();
}

bool NKMenuPopover::isVisible() const
{
    return mPopoverWindow && mPopoverWindow->isVisible();
}

void NKMenuPopover::displayPopoverInWindow(QWidget* window, const QPoint& point, int hierarchy)
{
    if (!mPopoverWindow || !window || mPopoverWindow->isVisible())
        return;
    mHierarchy = hierarchy;
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QPoint at = window->mapToGlobal(point);
    mPopoverWindow->move(placePopover(at, mPopoverWindow->size(), screen->availableGeometry(), mHierarchy));
    // Tied to the window it hangs from, above it, without taking focus.
    mPopoverWindow->winId();
    if (QWindow* own = mPopoverWindow->windowHandle())
        own->setTransientParent(window->window()->windowHandle());
    // A window that is shown comes to the front by itself.
    mPopoverWindow->show();
}

void NKMenuPopover::closePopover()
{
    if (!isVisible())
        return;
    if (QWindow* own = mPopoverWindow->windowHandle())
        own->setTransientParent(nullptr);
    mPopoverWindow->hide();
}

void NKMenuPopover::windowDidResignKey()
{
    closePopover();
}

void NKMenuPopover::applicationDidResignActive()
{
    closePopover();
}
