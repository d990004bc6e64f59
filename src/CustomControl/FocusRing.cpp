#include "CustomControl/FocusRing.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QWidget>

#include <algorithm>

namespace ui {

namespace {

constexpr qreal kOuterWidth = 2.0;
constexpr qreal kInnerWidth = 1.0;
// Dark enough to separate the ring from a white fill, light enough to be
// lost on the dark ground where the blue line already shows.
const QColor kInnerColor(0, 0, 0, 150);

// Lets its widget paint, then paints the ring over it.
class FocusRingPainter : public QObject {
public:
    FocusRingPainter(QWidget* widget, qreal radius) : QObject(widget), widget_(widget), radius_(radius) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != widget_ || event->type() != QEvent::Paint || painting_ || !widget_->hasFocus())
            return false;
        // The widget's own painting first (this filter passes the nested
        // delivery through), then the ring over it, in the same paint.
        painting_ = true;
        QCoreApplication::sendEvent(widget_, event);
        painting_ = false;
        QPainter painter(widget_);
        drawFocusRing(painter, widget_, radius_);
        return true;
    }

private:
    QWidget* widget_;
    qreal radius_;
    bool painting_ = false;
};

} // namespace

QColor focusRingColor() { return QColor(77, 166, 255); }

qreal focusRingWidth() { return kOuterWidth + kInnerWidth; }

void drawFocusRing(QPainter& painter, const QRectF& area, qreal radius)
{
    if (area.width() <= 2 * (kOuterWidth + kInnerWidth) || area.height() <= 2 * (kOuterWidth + kInnerWidth))
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setOpacity(1.0);
    painter.setBrush(Qt::NoBrush);
    // Pens are centred on the path: inset by half a width, the lines lie
    // wholly inside the area.
    const qreal outerInset = kOuterWidth / 2;
    painter.setPen(QPen(focusRingColor(), kOuterWidth));
    painter.drawRoundedRect(area.adjusted(outerInset, outerInset, -outerInset, -outerInset), radius, radius);
    const qreal innerInset = kOuterWidth + kInnerWidth / 2;
    const qreal innerRadius = std::max<qreal>(0, radius - kOuterWidth);
    painter.setPen(QPen(kInnerColor, kInnerWidth));
    painter.drawRoundedRect(area.adjusted(innerInset, innerInset, -innerInset, -innerInset), innerRadius,
                            innerRadius);
    painter.restore();
}

bool drawFocusRing(QPainter& painter, const QWidget* widget, qreal radius)
{
    if (!widget || !widget->hasFocus())
        return false;
    drawFocusRing(painter, QRectF(widget->rect()), radius);
    return true;
}

bool isPressKey(const QKeyEvent* event)
{
    if (!event || (event->modifiers() & ~Qt::KeypadModifier))
        return false;
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        return true;
    default:
        return false;
    }
}

void addFocusRing(QWidget* widget, qreal radius)
{
    if (!widget || widget->findChild<FocusRingPainter*>(QString(), Qt::FindDirectChildrenOnly))
        return;
    widget->installEventFilter(new FocusRingPainter(widget, radius));
}

} // namespace ui
