#include "CustomControl/KeyboardListView.h"

#include <algorithm>

#include <QAbstractButton>
#include <QEnterEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>

#include "CustomControl/FocusRing.h"
#include "CustomControl/NotificationHub.h"
#include "Platform/Clock.h"
#include "UiLayout.h"

namespace {

const QColor kSelectedFill(76, 73, 72);
const QColor kHoverFill(53, 47, 45);

// A scroll button of the strip: a chevron, white when enabled, dark grey
// when not.
class StripArrowButton : public QAbstractButton {
public:
    StripArrowButton(bool pointsLeft, QWidget* parent) : QAbstractButton(parent), left_(pointsLeft)
    {
        setFixedSize(layout::stripButtonWidth, layout::stripHeight);
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = layout::stripArrowSize;
        const QPointF c = QRectF(rect()).center();
        const qreal dx = left_ ? -s / 4 : s / 4;
        QPainterPath path;
        path.moveTo(c.x() - dx, c.y() - s / 2);
        path.lineTo(c.x() + dx, c.y());
        path.lineTo(c.x() - dx, c.y() + s / 2);
        QColor colour = isEnabled() ? QColor(Qt::white) : layout::kStripArrowDisabledColor;
        if (isDown())
            colour = colour.darker(140);
        p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(path);
        ui::drawFocusRing(p, this);
    }

private:
    bool left_;
};

} // namespace

// ---- tile view --------------------------------------------------------------

KeyboardListItemView::KeyboardListItemView(KeyboardListItem* owner, QWidget* parent)
    : QWidget(parent), owner_(owner)
{
    setAttribute(Qt::WA_Hover);
}

void KeyboardListItemView::setSelected(bool selected)
{
    if (isSelected_ == selected)
        return;
    isSelected_ = selected;
    update();
}

void KeyboardListItemView::setOnMouse(bool onMouse)
{
    if (onMouse_ == onMouse)
        return;
    onMouse_ = onMouse;
    update();
}

void KeyboardListItemView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (isSelected_)
        p.fillRect(rect(), kSelectedFill);
    else if (onMouse_)
        p.fillRect(rect(), kHoverFill);
}

void KeyboardListItemView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    setOnMouse(true);
    emit NotificationHub::instance().mouseEntered(this);
}

void KeyboardListItemView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setOnMouse(false);
    emit NotificationHub::instance().mouseExited(this);
}

void KeyboardListItemView::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    event->accept();
    emit NotificationHub::instance().mouseDown(this);
}

void KeyboardListItemView::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    emit NotificationHub::instance().mouseUp(this);
}

void KeyboardListItemView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (owner_)
        owner_->layoutImage();
}

// ---- tile -------------------------------------------------------------------

KeyboardListItem::KeyboardListItem() : view_(new KeyboardListItemView(this))
{
    labelText = new QLabel(view_);
    labelSelected = new QLabel(view_);
    labelText->hide();
    labelSelected->hide();
    itemImage = new QLabel(view_);
    itemImage->setAlignment(Qt::AlignCenter);
    itemImage->setAttribute(Qt::WA_TransparentForMouseEvents);

    NotificationHub& hub = NotificationHub::instance();
    connect(&hub, &NotificationHub::mouseEntered, this, &KeyboardListItem::mouseEnteredNotification);
    connect(&hub, &NotificationHub::mouseExited, this, &KeyboardListItem::mouseExitedNotification);
    connect(&hub, &NotificationHub::mouseUp, this, &KeyboardListItem::mouseUpNotification);
    connect(&hub, &NotificationHub::mouseDown, this, &KeyboardListItem::mouseDownNotification);
    connect(&hub, &NotificationHub::keyboardListViewScroll, this,
            &KeyboardListItem::keyboardListviewScrollNotification);
}

KeyboardListItem::~KeyboardListItem()
{
    // The view may still hold events of its own; it goes the same way.
    if (view_)
        view_->deleteLater();
}

void KeyboardListItem::stopObserving()
{
    disconnect(&NotificationHub::instance(), nullptr, this, nullptr);
}

void KeyboardListItem::setSelected(bool selected)
{
    isSelected_ = selected;
    if (view_)
        view_->setSelected(selected);
}

void KeyboardListItem::setDefaultImage(const QString& name) { setDefaultImage(QPixmap(name)); }

void KeyboardListItem::setFocusedImage(const QString& name) { focusedImage = QPixmap(name); }

void KeyboardListItem::setSelectedImage(const QString& name) { selectedImage = QPixmap(name); }

void KeyboardListItem::setDefaultImage(const QPixmap& image)
{
    defaultImage = image;
    layoutImage();
}

void KeyboardListItem::layoutImage()
{
    if (!view_)
        return;
    const int m = layout::stripTileImageMargin;
    const QRect box = view_->rect().adjusted(m, m, -m, -m);
    itemImage->setGeometry(box);
    if (defaultImage.isNull() || box.isEmpty()) {
        itemImage->setPixmap(QPixmap());
        return;
    }
    const QSizeF logical = defaultImage.deviceIndependentSize();
    const bool tooLarge = logical.width() > box.width() || logical.height() > box.height();
    if (!tooLarge) {
        itemImage->setPixmap(defaultImage);
        return;
    }
    // Scale in device pixels so the picture stays sharp at scale 2.
    const qreal dpr = view_->devicePixelRatioF();
    QPixmap scaled = defaultImage.scaled((QSizeF(box.size()) * dpr).toSize(), Qt::KeepAspectRatio,
                                         Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(dpr);
    itemImage->setPixmap(scaled);
}

void KeyboardListItem::mouseEnteredNotification(QObject*) {}

void KeyboardListItem::mouseExitedNotification(QObject*) {}

void KeyboardListItem::mouseUpNotification(QObject*) {}

void KeyboardListItem::mouseDownNotification(QObject* object)
{
    if (!qobject_cast<KeyboardListItemView*>(object) || !view_)
        return;
    const bool wasSelected = isSelected_;
    setSelected(object == view_.data());
    if (isSelected_ != wasSelected)
        emit NotificationHub::instance().keyboardListViewSelectionChanged(this);
}

void KeyboardListItem::keyboardListviewScrollNotification(QObject*)
{
    if (view_)
        view_->setOnMouse(false);
}

// ---- strip ------------------------------------------------------------------

KeyboardListView::KeyboardListView()
{
    root_ = new QWidget();
    root_->setObjectName(QStringLiteral("KeyboardListView"));
    root_->setFixedSize(layout::stripWidth, layout::stripHeight);
    auto* row = new QHBoxLayout(root_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    left_ = new StripArrowButton(true, root_);
    area_ = new QWidget(root_);
    area_->setFixedSize(layout::stripVisibleWidth, layout::stripHeight);
    right_ = new StripArrowButton(false, root_);
    row->addWidget(left_);
    row->addWidget(area_);
    row->addWidget(right_);
    detail_ = new KeyboardListDetailView(area_);
    detail_->setGeometry(0, 0, 0, layout::stripHeight);

    connect(left_, &QAbstractButton::clicked, this, &KeyboardListView::leftButtonClick);
    connect(right_, &QAbstractButton::clicked, this, &KeyboardListView::rightButtonClick);

    NotificationHub& hub = NotificationHub::instance();
    connect(&hub, &NotificationHub::mouseDown, this, &KeyboardListView::mouseDownNotification);
    connect(&hub, &NotificationHub::keyboardListViewSelectionChanged, this,
            &KeyboardListView::selectionChangedNotification);
}

KeyboardListView::~KeyboardListView()
{
    for (KeyboardListItem* item : detailArray_)
        item->stopObserving();
    if (animation_)
        animation_->stop();
    delete root_.data();
}

int KeyboardListView::itemWidth() const
{
    if (_viewingItems <= 0)
        return 0;
    return area_->width() / _viewingItems;
}

int KeyboardListView::selectedItemIndex() const
{
    for (size_t i = 0; i < detailArray_.size(); ++i)
        if (detailArray_[i]->isSelected())
            return int(i);
    return -1;
}

int KeyboardListView::maxViewportIndex() const
{
    return std::max(0, int(detailArray_.size()) - _viewingItems);
}

void KeyboardListView::addItem(KeyboardListItem* item)
{
    if (!item)
        return;
    item->setParent(this);
    const int width = itemWidth();
    int x = 0;
    if (!detailArray_.empty() && detailArray_.back()->view()) {
        const QRect last = detailArray_.back()->view()->geometry();
        x = last.x() + last.width();
    }
    KeyboardListItemView* view = item->view();
    view->setParent(detail_);
    view->setGeometry(x, 0, width, detail_->height());
    detail_->resize(detail_->width() + width, detail_->height());
    view->show();
    detailArray_.push_back(item);
    setButtonEnabled();
}

void KeyboardListView::removeAllItem()
{
    for (KeyboardListItem* item : detailArray_) {
        item->stopObserving();
        if (item->view())
            item->view()->hide();
        item->deleteLater();
    }
    detailArray_.clear();
    detail_->resize(0, detail_->height());
}

void KeyboardListView::deSelect()
{
    for (KeyboardListItem* item : detailArray_)
        item->setSelected(false);
}

void KeyboardListView::select(int index)
{
    if (index < 0 || index >= int(detailArray_.size()))
        return;
    deSelect();
    detailArray_[size_t(index)]->setSelected(true);
}

void KeyboardListView::setButtonEnabled()
{
    left_->setEnabled(_viewportItemIndex >= 1);
    right_->setEnabled(_viewportItemIndex < int(detailArray_.size()) - _viewingItems);
}

void KeyboardListView::DisplayItemAtIndexCheck(bool /*firstOpenView*/)
{
    if (detailArray_.empty()) {
        _viewportItemIndex = 0;
        DisplayItemAtIndex(0, false);
        return;
    }
    const int s = selectedItemIndex();
    _viewportItemIndex = s >= 1 ? s - 1 : 0;
    DisplayItemAtIndex(_viewportItemIndex, false);
}

void KeyboardListView::DisplayItemAtIndex(int index, bool animation)
{
    // Never scroll past the tiles: the leftmost visible tile stays between
    // the first one and the one that fills the view to the end.
    index = std::clamp(index, 0, maxViewportIndex());
    _viewportItemIndex = index;
    const int width = area_->width();
    const int x = _viewingItems > 0 ? -(index * width / _viewingItems) : 0;
    const QPoint target(x, detail_->y());

    if (animation_) {
        animation_->stop();
        animation_->deleteLater();
    }
    if (animation) {
        auto* slide = new QPropertyAnimation(detail_, "pos", this);
        slide->setDuration(int(platform::scaledMs(platform::Seconds(ANIMATION_SPEED)).count()));
        slide->setStartValue(detail_->pos());
        slide->setEndValue(target);
        // The strip owns the slide, so the handler never runs for a strip
        // that is gone; the detail view is checked as it may go first.
        QPointer<KeyboardListDetailView> detail(detail_);
        connect(slide, &QPropertyAnimation::finished, this, [this, slide, detail, target] {
            if (detail)
                detail->move(target);
            if (animation_ == slide)
                animation_ = nullptr;
            slide->deleteLater();
        });
        animation_ = slide;
        slide->start();
    } else {
        detail_->move(target);
    }
    setButtonEnabled();
}

bool KeyboardListView::isAnimating() const
{
    return animation_ && animation_->state() == QAbstractAnimation::Running;
}

void KeyboardListView::leftButtonClick()
{
    DisplayItemAtIndex(_viewportItemIndex - 1, true);
    emit NotificationHub::instance().keyboardListViewScroll(this);
}

void KeyboardListView::rightButtonClick()
{
    DisplayItemAtIndex(_viewportItemIndex + 1, true);
    emit NotificationHub::instance().keyboardListViewScroll(this);
}

void KeyboardListView::mouseDownNotification(QObject*)
{
    deSelect();
}

void KeyboardListView::selectionChangedNotification(QObject*)
{
    if (!delegate)
        return;
    const int index = selectedItemIndex();
    if (index < 0)
        return;
    delegate->selectionChangedKeyboardListView(this, index);
}
