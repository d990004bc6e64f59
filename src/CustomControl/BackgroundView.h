#pragma once
// Small building blocks of every window: the flat background (which can drag
// its frameless window and either swallow presses and report them or let
// them through), a text field that reports clicks, a table that ignores the
// up and down arrows, and the row look of an unfocused table's selection.

#include <QColor>
#include <QLineEdit>
#include <QPoint>
#include <QRect>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <optional>

class QObject;
class QWindow;

class BackgroundViewDelegate {
public:
    virtual ~BackgroundViewDelegate() = default;
    // A press landed on a view that swallows presses; `id` is that view.
    virtual void backgroundViewMouseDown(QObject* id) = 0;
};

class BackgroundView : public QWidget {
    Q_OBJECT
public:
    explicit BackgroundView(QWidget* parent = nullptr);

    // Fill colour; its alpha is honoured, so a half-transparent mask lets
    // what lies beneath show through.
    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);

    BackgroundViewDelegate* delegate() const { return delegate_; }
    void setDelegate(BackgroundViewDelegate* delegate) { delegate_ = delegate; }

    // A tag by which an owner recognises the view; the view never reads it.
    QString nameInfo;

    // A drag on the view moves its window: the window system moves it (an
    // interactive move that follows the pointer, under X11 and Wayland
    // alike); where it cannot, the window follows the pointer by the
    // distance moved since the press.
    bool isMoveWindow = true;
    // True: mouse events go on to the parent and nothing is reported.
    // False: presses are swallowed and reported to the delegate.
    bool isMouseEvenThrough = true;

    // Pointer position on the screen at the last press, while a drag may run.
    std::optional<QPoint> mouseDownPoint() const { return mouseDownPoint_; }
    // The window's frame at the last press.
    QRect mouseDownFrame() const { return mouseDownFrame_; }

    // Starts the window system's interactive move of a window; false where
    // the window system offers none. QWindow::startSystemMove when unset.
    static inline std::function<bool(QWindow*)> startSystemMove;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor backgroundColor_;
    BackgroundViewDelegate* delegate_ = nullptr;
    std::optional<QPoint> mouseDownPoint_;
    QRect mouseDownFrame_;
    bool systemMoveTried_ = false;
    bool systemMoveStarted_ = false;
};

class NKTextFieldDelegate {
public:
    virtual ~NKTextFieldDelegate() = default;
    // A click on the field, reported after the field has handled it.
    virtual void mouseDownTextField(QObject* id) = 0;
};

class NKTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit NKTextField(QWidget* parent = nullptr);

    NKTextFieldDelegate* delegate2() const { return delegate2_; }
    void setDelegate2(NKTextFieldDelegate* delegate) { delegate2_ = delegate; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    NKTextFieldDelegate* delegate2_ = nullptr;
    bool pressed_ = false;
};

// A table whose selection never moves with the up and down arrows; every
// other key works as in any table.
class NKTableView : public QTableView {
    Q_OBJECT
public:
    explicit NKTableView(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The row look of a table: a selected row of a table that does not have the
// focus is filled light grey; the focused table shows the standard
// selection. Install on the view with setItemDelegate.
class NKTableRowView : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit NKTableRowView(QAbstractItemView* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QAbstractItemView* view_;
};
