#include "CustomControl/BackgroundView.h"

#include "AppParam.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

// ---- BackgroundView ----------------------------------------------------------

BackgroundView::BackgroundView(QWidget* parent)
    : QWidget(parent), backgroundColor_(AppParam::BackgroundColor.toQColor())
{
}

void BackgroundView::setBackgroundColor(const QColor& color)
{
    backgroundColor_ = color;
    update();
}

void BackgroundView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), backgroundColor_);
}

void BackgroundView::mousePressEvent(QMouseEvent* event)
{
    if (isMoveWindow) {
        mouseDownPoint_ = event->globalPosition().toPoint();
        mouseDownFrame_ = window()->frameGeometry();
        systemMoveTried_ = false;
        systemMoveStarted_ = false;
    }
    if (!isMouseEvenThrough) {
        event->accept();
        if (delegate_)
            delegate_->backgroundViewMouseDown(this);
        return;
    }
    event->ignore();
}

void BackgroundView::mouseMoveEvent(QMouseEvent* event)
{
    if (isMoveWindow && mouseDownPoint_ && (event->buttons() & Qt::LeftButton)) {
        QWidget* top = window();
        // The window system's move is asked for once per press: it takes
        // the pointer over until the button is released. Where it offers
        // none (an X11 server without a window manager that supports it),
        // the window is moved here.
        if (!systemMoveTried_) {
            systemMoveTried_ = true;
            if (QWindow* handle = top->windowHandle())
                systemMoveStarted_ = startSystemMove ? startSystemMove(handle) : handle->startSystemMove();
        }
        if (!systemMoveStarted_) {
            // The window follows the pointer by the distance moved since
            // the press, in screen coordinates, without any threshold.
            const QPoint delta = event->globalPosition().toPoint() - *mouseDownPoint_;
            top->move(mouseDownFrame_.topLeft() + delta);
        }
    }
    if (isMouseEvenThrough)
        event->ignore();
    else
        event->accept();
}

void BackgroundView::mouseReleaseEvent(QMouseEvent* event)
{
    mouseDownPoint_.reset();
    systemMoveTried_ = false;
    systemMoveStarted_ = false;
    if (isMouseEvenThrough)
        event->ignore();
    else
        event->accept();
}

// ---- NKTextField -------------------------------------------------------------

NKTextField::NKTextField(QWidget* parent) : QLineEdit(parent) {}

void NKTextField::mousePressEvent(QMouseEvent* event)
{
    QLineEdit::mousePressEvent(event);
    pressed_ = true;
}

void NKTextField::mouseReleaseEvent(QMouseEvent* event)
{
    // The field finishes its own click handling (selection, caret) first;
    // the report comes after it, once per press.
    QLineEdit::mouseReleaseEvent(event);
    if (!pressed_)
        return;
    pressed_ = false;
    if (delegate2_)
        delegate2_->mouseDownTextField(this);
}

// ---- NKTableView -------------------------------------------------------------

NKTableView::NKTableView(QWidget* parent) : QTableView(parent) {}

void NKTableView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        // Swallowed: neither handled nor passed on.
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

// ---- NKTableRowView ----------------------------------------------------------

NKTableRowView::NKTableRowView(QAbstractItemView* view) : QStyledItemDelegate(view), view_(view) {}

void NKTableRowView::paint(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const
{
    if (!(option.state & QStyle::State_Selected)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem plain(option);
    plain.state &= ~QStyle::State_Selected;
    if (view_ && view_->selectionMode() == QAbstractItemView::NoSelection) {
        // No selection look at all.
        QStyledItemDelegate::paint(painter, plain, index);
        return;
    }
    const QWidget* focus = view_ && view_->window() ? view_->window()->focusWidget() : nullptr;
    const bool focused = view_ && (focus == view_ || focus == nullptr);
    if (focused) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->fillRect(option.rect, AppParam::TableViewHighlightColor.toQColor());
    QStyledItemDelegate::paint(painter, plain, index);
}
