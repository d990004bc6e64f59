#include "CustomControl/NKButtonView.h"

#include "AppParam.h"
#include "CustomControl/FocusRing.h"
#include "UiLayout.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

QSizeF textSize(const QFont& font, const QString& text)
{
    if (text.isEmpty())
        return QSizeF(0, 0);
    return QFontMetricsF(font).size(0, text);
}

} // namespace

// ---- NKButtonView -----------------------------------------------------------

NKButtonView::NKButtonView(QWidget* parent) : QWidget(parent)
{
    font_.setPixelSize(layout::kButtonViewFontPixels);
    // Tab reaches it; a click does not take the focus from elsewhere.
    setFocusPolicy(Qt::TabFocus);
}

void NKButtonView::setStringValue(const QString& caption)
{
    stringValue_ = caption;
    captionSize_ = textSize(font_, stringValue_);
    setAccessibleName(caption);
    update();
}

void NKButtonView::setButtonValue(bool selected)
{
    buttonValue_ = selected;
    update();
}

void NKButtonView::setButtonColor(const QColor& color)
{
    buttonColor_ = color;
    update();
}

void NKButtonView::setFont(const QFont& font)
{
    font_ = font;
    captionSize_ = textSize(font_, stringValue_);
    update();
}

void NKButtonView::setLit(bool lit)
{
    lit_ = lit;
    update();
}

QSizeF NKButtonView::getTextSize() const { return textSize(font_, stringValue_); }

void NKButtonView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = width();
    const qreal h = height();
    const bool bright = mouseInView_ || buttonValue_;
    const QColor captionColor = bright ? QColor(Qt::white) : layout::kColorButtonDimCaptionColor;
    QColor disc = buttonColor_.isValid() ? buttonColor_.toRgb() : QColor(Qt::transparent);
    disc.setAlphaF(bright ? 0.8f : 0.5f);

    if (!stringValue_.isEmpty()) {
        const QSizeF s = captionSize_;
        p.setFont(font_);
        p.setPen(captionColor);
        p.drawText(QRectF(w / 2 - s.width() / 2, layout::kButtonViewCaptionTop, s.width(), h),
                   Qt::AlignHCenter | Qt::AlignTop, stringValue_);
    }

    const QPointF centre(w / 2, h / 2 + layout::kButtonViewDiscDrop);
    const qreal r = layout::kButtonViewDiscRadius;
    const qreal halo = layout::kButtonViewHaloRadius;
    p.setPen(Qt::NoPen);

    if (!lit_) {
        // A light that is off: a flat disc in its colour, darker towards
        // the middle, with a thin rim and no halo.
        QRadialGradient dark(centre, r);
        dark.setColorAt(0, disc.darker(160));
        dark.setColorAt(1, disc);
        p.setBrush(dark);
        p.setPen(QPen(disc.lighter(130), 1));
        p.drawEllipse(centre, r - 0.5, r - 0.5);
        drawSelection(p);
        return;
    }

    // The disc: white in the middle fading to the disc colour at its rim.
    QRadialGradient inner(centre, r);
    inner.setColorAt(0, Qt::white);
    inner.setColorAt(1, disc);
    p.setBrush(inner);
    p.drawEllipse(centre, r, r);

    // The halo ring: the disc colour at the rim fading to the background.
    QRadialGradient outer(centre, halo);
    outer.setColorAt(r / halo, disc);
    outer.setColorAt(1, AppParam::BackgroundColor.toQColor());
    QPainterPath ring;
    ring.addEllipse(centre, halo, halo);
    ring.addEllipse(centre, r, r);
    ring.setFillRule(Qt::OddEvenFill);
    p.setBrush(outer);
    p.drawPath(ring);
    drawSelection(p);
}

void NKButtonView::drawSelection(QPainter& p) const
{
    if (buttonValue_) {
        const qreal inset = layout::kButtonViewOutlineInset;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(AppParam::ButtonDisableTitleColor.toQColor(), layout::kButtonViewOutlineWidth));
        p.drawRoundedRect(QRectF(inset, inset, width() - 5, height() - 4), layout::kButtonViewOutlineRadius,
                          layout::kButtonViewOutlineRadius);
    }
    ui::drawFocusRing(p, this, layout::kButtonViewOutlineRadius);
}

void NKButtonView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    mouseInView_ = true;
    update();
}

void NKButtonView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    mouseInView_ = false;
    update();
}

void NKButtonView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    // The owner hears of the press first and may select the button; the
    // redraw then shows its decision.
    if (delegate_)
        delegate_->mouseDownButtonView(this);
    update();
}

void NKButtonView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    update();
    // The hover look ends with the click even while the pointer stays.
    mouseInView_ = false;
}

void NKButtonView::keyPressEvent(QKeyEvent* event)
{
    if (!ui::isPressKey(event) || event->isAutoRepeat()) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (delegate_)
        delegate_->mouseDownButtonView(this);
    update();
}

// ---- NKLinkView -------------------------------------------------------------

NKLinkView::NKLinkView(QWidget* parent) : QWidget(parent)
{
    font_.setPixelSize(layout::kLinkViewFontPixels);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ui::addFocusRingAround(this, layout::kLinkFocusRingGap);
}

void NKLinkView::setStringValue(const QString& text)
{
    stringValue_ = text;
    setAccessibleName(text);
    update();
}

void NKLinkView::setFont(const QFont& font)
{
    font_ = font;
    update();
}

QSizeF NKLinkView::getTextSize() const { return textSize(font_, stringValue_); }

QColor NKLinkView::textColor() const
{
    if (!mouseInView_)
        return normalColor();
    return mouseDown_ ? pressedColor() : hoverColor();
}

void NKLinkView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(font_);
    p.setPen(textColor());
    p.drawText(rect(), Qt::AlignHCenter | Qt::AlignTop, stringValue_);
    // The underline spans the whole view and keeps the normal colour.
    const qreal y = height() - layout::kLinkUnderlineRise;
    p.setPen(QPen(normalColor(), layout::kLinkUnderlineWidth));
    p.drawLine(QPointF(0, y), QPointF(width(), y));
}

void NKLinkView::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    mouseInView_ = true;
    update();
}

void NKLinkView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    pointerLeft();
}

void NKLinkView::pointerLeft()
{
    // Leaving the link cancels a press.
    mouseInView_ = false;
    mouseDown_ = false;
    update();
}

void NKLinkView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    mouseDown_ = true;
    mouseInView_ = true;
    update();
}

void NKLinkView::mouseMoveEvent(QMouseEvent* event)
{
    // While the button is held the pointer belongs to the link, so leaving
    // is noticed here rather than by a leave event.
    event->accept();
    const bool inside = rect().contains(event->position().toPoint());
    if (!inside && (mouseDown_ || mouseInView_))
        pointerLeft();
}

void NKLinkView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    update();
    const bool inside = rect().contains(event->position().toPoint());
    if (mouseDown_ && inside && delegate_)
        delegate_->mouseUpLinkView(this);
    mouseInView_ = false;
    mouseDown_ = false;
}

void NKLinkView::keyPressEvent(QKeyEvent* event)
{
    if (!ui::isPressKey(event) || event->isAutoRepeat()) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (delegate_)
        delegate_->mouseUpLinkView(this);
}
