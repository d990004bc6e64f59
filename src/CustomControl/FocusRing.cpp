#include "CustomControl/FocusRing.h"

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace ui {

namespace {

constexpr qreal kOuterWidth = 2.0;
constexpr qreal kInnerWidth = 1.0;
// How far the ring reaches in from the edge of its area.
constexpr qreal kDepth = kOuterWidth + kInnerWidth;
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

// Watches its widget's focus, place and visibility, and paints the ring
// around it on the parent after the parent has painted itself (the widget
// paints over its own bounds later, clear of the ring).
class FocusRingAroundPainter : public QObject {
public:
    FocusRingAroundPainter(QWidget* widget, qreal gap, qreal radius)
        : QObject(widget), widget_(widget), gap_(gap), radius_(radius)
    {
        widget_->installEventFilter(this);
        watchParent(widget_->parentWidget());
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_) {
            switch (event->type()) {
            case QEvent::FocusIn:
            case QEvent::FocusOut:
            case QEvent::Show:
            case QEvent::Hide:
                repaintArea();
                break;
            case QEvent::Move:
            case QEvent::Resize:
                // The area it left and the one it takes.
                if (parent_)
                    parent_->update(lastArea_);
                repaintArea();
                break;
            case QEvent::ParentAboutToChange:
                if (parent_)
                    parent_->update(lastArea_);
                watchParent(nullptr);
                break;
            case QEvent::ParentChange:
                watchParent(widget_->parentWidget());
                repaintArea();
                break;
            default:
                break;
            }
            return false;
        }
        if (watched != parent_ || event->type() != QEvent::Paint || painting_ || !widget_->hasFocus()
            || !widget_->isVisible())
            return false;
        painting_ = true;
        QCoreApplication::sendEvent(parent_, event);
        painting_ = false;
        QPainter painter(parent_);
        drawFocusRing(painter, QRectF(focusRingAroundArea(widget_, gap_)), radius_);
        return true;
    }

private:
    void watchParent(QWidget* parent)
    {
        if (parent_)
            parent_->removeEventFilter(this);
        parent_ = parent;
        if (parent_)
            parent_->installEventFilter(this);
    }
    void repaintArea()
    {
        lastArea_ = focusRingAroundArea(widget_, gap_);
        if (parent_)
            parent_->update(lastArea_);
    }

    QWidget* widget_;
    QWidget* parent_ = nullptr;
    qreal gap_;
    qreal radius_;
    QRect lastArea_;
    bool painting_ = false;
};

} // namespace

QColor focusRingColor() { return QColor(77, 166, 255); }

qreal focusRingWidth() { return kDepth; }

namespace {

bool whole(qreal v) { return v == std::floor(v); }

// Strokes the ring's two lines just inside `area`, with corners of `radius`
// (square for 0).
void strokeRing(QPainter& painter, const QRectF& area, qreal radius)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
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
}

// The corners of a square ring of the smallest size, at a whole ratio of
// device pixels per point, as its two lines leave them on a clear image:
// what the strokes blend into each pixel (their colours times the pixel's
// coverage, premultiplied). The lines do not share a pixel, so drawn over a
// ground with the source-over rule this gives the pixels the strokes give,
// at the cost of a copy. (At scale 1 the thin line is laid as four lines
// whose ends share its corner pixel; there the last bit may round apart.)
const QImage& ringCorners(int ratio, qreal small)
{
    // Painting is confined to the main thread, but a picture may be painted
    // on any; each thread keeps its own.
    thread_local int cachedRatio = 0;
    thread_local QImage cached;
    if (cachedRatio == ratio)
        return cached;
    QImage image(int(small) * ratio, int(small) * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    strokeRing(painter, QRectF(0, 0, small, small), 0);
    painter.end();
    cached = image;
    cachedRatio = ratio;
    return cached;
}

// A square-cornered ring whose edges all lie on whole device pixels: its
// straight sides are filled as rectangles, which cover their pixels wholly,
// as the stroke does there; its corners, where the stroke's bevelled joins
// cover pixels in part, are copied from the corners of the smallest ring
// (a stroke's coverage at a corner depends on that corner alone, and moves
// with it by whole device pixels). Stroking the whole ring rasterises every
// pixel of its sides, and stroking only its corners still made a tab row's
// painting a quarter slower. Returns false, drawing nothing, for a ring that
// does not qualify.
bool drawPixelAlignedSquareRing(QPainter& painter, const QRectF& area)
{
    // The smallest ring's size, and the area at which corners no longer
    // reach each other's squares.
    const qreal small = 2 * kDepth + 2;
    const QTransform& to = painter.deviceTransform();
    const qreal ratio = to.m11();
    if (to.type() > QTransform::TxScale || ratio != to.m22() || !(ratio >= 1) || ratio > 16 || !whole(ratio) ||
        !whole(to.dx()) || !whole(to.dy()) || !whole(area.x()) || !whole(area.y()) || !whole(area.width()) ||
        !whole(area.height()) || area.width() < 2 * small || area.height() < 2 * small ||
        painter.compositionMode() != QPainter::CompositionMode_SourceOver || painter.hasClipping())
        return false;
    painter.save();
    painter.setOpacity(1.0);
    const QColor outer = focusRingColor();
    const qreal w = area.width(), h = area.height(), x = area.x(), y = area.y();
    // The sides between the corner squares: the outer line, then the
    // inner line inside it.
    painter.fillRect(QRectF(x + kDepth, y, w - 2 * kDepth, kOuterWidth), outer);
    painter.fillRect(QRectF(x + kDepth, y + h - kOuterWidth, w - 2 * kDepth, kOuterWidth), outer);
    painter.fillRect(QRectF(x, y + kDepth, kOuterWidth, h - 2 * kDepth), outer);
    painter.fillRect(QRectF(x + w - kOuterWidth, y + kDepth, kOuterWidth, h - 2 * kDepth), outer);
    painter.fillRect(QRectF(x + kDepth, y + kOuterWidth, w - 2 * kDepth, kInnerWidth), kInnerColor);
    painter.fillRect(QRectF(x + kDepth, y + h - kDepth, w - 2 * kDepth, kInnerWidth), kInnerColor);
    painter.fillRect(QRectF(x + kOuterWidth, y + kDepth, kInnerWidth, h - 2 * kDepth), kInnerColor);
    painter.fillRect(QRectF(x + w - kDepth, y + kDepth, kInnerWidth, h - 2 * kDepth), kInnerColor);
    // The corners.
    const QImage& corners = ringCorners(int(ratio), small);
    const int side = int(kDepth * ratio);
    for (int i = 0; i < 4; ++i) {
        const bool right = i & 1, bottom = i & 2;
        const QPointF at(right ? x + w - kDepth : x, bottom ? y + h - kDepth : y);
        const QRect from(right ? corners.width() - side : 0, bottom ? corners.height() - side : 0, side, side);
        painter.drawImage(at, corners, from);
    }
    painter.restore();
    return true;
}

} // namespace

void drawFocusRing(QPainter& painter, const QRectF& area, qreal radius)
{
    if (area.width() <= 2 * kDepth || area.height() <= 2 * kDepth)
        return;
    if (radius <= 0 && drawPixelAlignedSquareRing(painter, area))
        return;
    painter.save();
    painter.setOpacity(1.0);
    strokeRing(painter, area, radius);
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

namespace {

// Whether `widget` has a painter of type T already. (The painters have no
// meta-object of their own, so findChild() would take any child for one.)
template <typename T> bool hasPainter(const QWidget* widget)
{
    const QObjectList& children = widget->children();
    return std::any_of(children.begin(), children.end(),
                       [](const QObject* child) { return dynamic_cast<const T*>(child) != nullptr; });
}

} // namespace

QRect focusRingAroundArea(const QWidget* widget, qreal gap)
{
    const int out = int(std::ceil(gap + kDepth));
    return widget->geometry().adjusted(-out, -out, out, out);
}

void addFocusRingAround(QWidget* widget, qreal gap, qreal radius)
{
    if (!widget || hasPainter<FocusRingAroundPainter>(widget))
        return;
    new FocusRingAroundPainter(widget, gap, radius);
}

void addFocusRing(QWidget* widget, qreal radius)
{
    if (!widget || hasPainter<FocusRingPainter>(widget))
        return;
    widget->installEventFilter(new FocusRingPainter(widget, radius));
}

} // namespace ui
