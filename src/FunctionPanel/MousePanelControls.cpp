#include "FunctionPanel/MousePanelControls.h"

#include "CustomControl/FocusRing.h"
#include "UiLayout.h"

#include <cmath>

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

// ---- MousePanelView ------------------------------------------------------------

void MousePanelView::showEvent(QShowEvent* event)
{
    KeyboardView::showEvent(event);
    emit appeared();
}

void MousePanelView::hideEvent(QHideEvent* event)
{
    KeyboardView::hideEvent(event);
    emit disappeared();
}

// ---- PhaseSlider ------------------------------------------------------------------

PhaseSlider::PhaseSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setTracking(true);
}

int PhaseSlider::valueAt(const QPoint& pos) const
{
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const int x = pos.x() - groove.x() - handle.width() / 2;
    return QStyle::sliderValueFromPosition(minimum(), maximum(), x, span > 0 ? span : 1, opt.upsideDown);
}

void PhaseSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) {
        event->ignore();
        return;
    }
    held_ = true;
    setSliderDown(true);
    setValue(valueAt(event->position().toPoint()));
    event->accept();
    emit phase(Phase::Pressed);
}

void PhaseSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!held_) {
        event->ignore();
        return;
    }
    setValue(valueAt(event->position().toPoint()));
    event->accept();
    emit phase(Phase::Dragged);
}

void PhaseSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (!held_) {
        event->ignore();
        return;
    }
    held_ = false;
    setValue(valueAt(event->position().toPoint()));
    setSliderDown(false);
    event->accept();
    emit phase(Phase::Released);
}

void PhaseSlider::keyPressEvent(QKeyEvent* event)
{
    const int before = value();
    QSlider::keyPressEvent(event);
    // A step taken with the keyboard is a finished change.
    if (value() != before && !held_)
        emit phase(Phase::Released);
}

// ---- ImageStateButton -----------------------------------------------------------

ImageStateButton::ImageStateButton(Kind kind, QWidget* parent) : QAbstractButton(parent), kind_(kind)
{
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
}

void ImageStateButton::setImage(const QPixmap& image)
{
    // Shown again after every read of the mouse: the same picture (the
    // shared one of the picture cache) is not painted again.
    if (image.cacheKey() == image_.cacheKey())
        return;
    image_ = image;
    update();
}

void ImageStateButton::setTitleColor(const QColor& color)
{
    if (color == titleColor_)
        return;
    titleColor_ = color;
    update();
}

void ImageStateButton::setTitlePixelSize(int pixels)
{
    if (font().pixelSize() == pixels)
        return;
    QFont f = font();
    f.setPixelSize(pixels);
    setFont(f);
    update();
}

QSize ImageStateButton::sizeHint() const
{
    const QSizeF picture = image_.isNull() ? QSizeF(20, 20) : image_.deviceIndependentSize();
    qreal width = picture.width();
    // The title ends clear of the focus ring, which is drawn inside the edge.
    if (!text().isEmpty())
        width += layout::kIndicatorTitleGap + QFontMetricsF(font()).horizontalAdvance(text())
            + layout::kIndicatorMargin;
    return {int(std::ceil(width)), std::max(int(std::ceil(picture.height())), fontMetrics().height())};
}

void ImageStateButton::nextCheckState()
{
    if (kind_ == Kind::Radio)
        setChecked(true);
    else
        QAbstractButton::nextCheckState();
}

void ImageStateButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!isEnabled())
        p.setOpacity(0.4);
    const QSizeF picture = image_.isNull() ? QSizeF() : image_.deviceIndependentSize();
    // Without a title the picture is centred; with one it stands at the left.
    const qreal x = text().isEmpty() ? (width() - picture.width()) / 2 : 0;
    if (!image_.isNull())
        p.drawPixmap(QRectF(QPointF(x, (height() - picture.height()) / 2), picture), image_,
                     QRectF(image_.rect()));
    if (!text().isEmpty()) {
        p.setPen(titleColor_);
        const qreal titleLeft = picture.width() + layout::kIndicatorTitleGap;
        const QRectF titleRect(titleLeft, 0, width() - titleLeft, height());
        p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, text());
    }
    ui::drawFocusRing(p, this);
}
