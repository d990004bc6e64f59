#pragma once
// The device list strip: the attached devices as a row of picture tiles, of
// which `_viewingItems` are visible at once, between a left and a right
// scroll button. A click on a tile selects it and tells the delegate.
//
// KeyboardListView owns the strip's root view (`keyboardListView`, which the
// owner places in its window) and its tiles; KeyboardListItem owns one
// tile's view. Strip and tiles talk through NotificationHub.

#include <memory>
#include <vector>

#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QAbstractButton;
class QPropertyAnimation;
class KeyboardListItem;

class KeyboardListViewDelegate {
public:
    virtual ~KeyboardListViewDelegate() = default;
    // Declared for owners; the strip does not call it.
    virtual void scrollKeyboardListView(QObject* id, int newIndex) = 0;
    // A click selected the tile at `newIndex`; `id` is the strip.
    virtual void selectionChangedKeyboardListView(QObject* id, int newIndex) = 0;
};

// The wide content view holding the tiles; it slides inside the visible
// area.
class KeyboardListDetailView : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardListDetailView(QWidget* parent = nullptr) : QWidget(parent) {}
};

// One tile's view: hover and selection background, mouse notifications.
class KeyboardListItemView : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardListItemView(KeyboardListItem* owner, QWidget* parent = nullptr);

    KeyboardListItem* owner() const { return owner_; }

    // What the tile draws. Each setter stores the value and repaints the
    // tile when the value changed.
    //
    // The tile is the selected one (a light fill).
    bool isSelected() const { return isSelected_; }
    void setSelected(bool selected);
    // The pointer is over the tile (a darker fill, unless selected).
    bool onMouse() const { return onMouse_; }
    void setOnMouse(bool onMouse);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPointer<KeyboardListItem> owner_;
    bool isSelected_ = false;
    bool onMouse_ = false;
};

class KeyboardListItem : public QObject {
    Q_OBJECT
public:
    static constexpr const char* LISTITEM_XIB_NAME = "KeyboardListItem";

    KeyboardListItem();
    ~KeyboardListItem() override;

    // The tile's view; owned by the tile.
    KeyboardListItemView* view() const { return view_; }
    QLabel* labelText = nullptr;
    QLabel* labelSelected = nullptr;
    QLabel* itemImage = nullptr;
    QPixmap defaultImage;
    QPixmap focusedImage;
    QPixmap selectedImage;

    // Whether the tile is the selected one; setting it also sets (and so
    // repaints) the tile's view.
    bool isSelected() const { return isSelected_; }
    void setSelected(bool selected);

    // Pictures by file or resource name; a name that does not load gives
    // an empty picture.
    void setDefaultImage(const QString& name);
    void setFocusedImage(const QString& name);
    void setSelectedImage(const QString& name);
    // Keeps the picture and shows it, scaled down to fit, never enlarged.
    void setDefaultImage(const QPixmap& image);

    // Stops hearing the hub at once (the tile is being removed).
    void stopObserving();

    // Lays the picture out for the view's current size.
    void layoutImage();

private slots:
    void mouseEnteredNotification(QObject* object);
    void mouseExitedNotification(QObject* object);
    void mouseDownNotification(QObject* object);
    void mouseUpNotification(QObject* object);
    void keyboardListviewScrollNotification(QObject* object);

private:
    QPointer<KeyboardListItemView> view_;
    bool isSelected_ = false;
};

class KeyboardListView : public QObject {
    Q_OBJECT
public:
    static constexpr double ANIMATION_SPEED = 0.5; // seconds per scroll

    KeyboardListView();
    ~KeyboardListView() override;

    // The strip's root view; the owner places it. Deleted with the strip
    // unless a window that holds it went first.
    QWidget* keyboardListView() const { return root_; }
    KeyboardListDetailView* keyboardListDetailView() const { return detail_; }
    QAbstractButton* leftButton() const { return left_; }
    QAbstractButton* rightButton() const { return right_; }
    // The visible area the detail view slides in.
    QWidget* visibleArea() const { return area_; }

    // The tiles, left to right.
    const std::vector<KeyboardListItem*>& detailArray() const { return detailArray_; }

    int _viewingItems = 2;
    KeyboardListViewDelegate* delegate = nullptr;
    int _selectedItemIndex = 0;

    // The first selected tile from the left, or -1.
    int selectedItemIndex() const;
    int viewportItemIndex() const { return _viewportItemIndex; }
    void setViewportItemIndex(int index) { _viewportItemIndex = index; }

    // Appends a tile (the strip takes it over) at the right of the others.
    void addItem(KeyboardListItem* item);
    // Removes every tile. Tiles go with deleteLater, since the click that
    // led here may still be on the stack of a tile view. The content width
    // starts afresh.
    void removeAllItem();
    void deSelect();
    // Marks the tile at `index` as the only selected one, silently; an
    // index outside the tiles changes nothing.
    void select(int index);
    void setButtonEnabled();
    // Shows the selected tile: at the right of the visible tiles, the first
    // tile at the left. Without animation.
    void DisplayItemAtIndexCheck(bool firstOpenView);
    // Makes `index` the leftmost visible tile, sliding for 0.5 s when
    // `animation`. The index is kept within the tiles.
    void DisplayItemAtIndex(int index, bool animation);

    // Width of one tile.
    int itemWidth() const;
    // Whether a slide is running.
    bool isAnimating() const;

public slots:
    void leftButtonClick();
    void rightButtonClick();

private slots:
    void mouseDownNotification(QObject* object);
    void selectionChangedNotification(QObject* object);

private:
    int maxViewportIndex() const;

    QPointer<QWidget> root_;
    QWidget* area_ = nullptr;
    KeyboardListDetailView* detail_ = nullptr;
    QAbstractButton* left_ = nullptr;
    QAbstractButton* right_ = nullptr;
    QPointer<QPropertyAnimation> animation_;
    std::vector<KeyboardListItem*> detailArray_;
    int _viewportItemIndex = -1;
};
