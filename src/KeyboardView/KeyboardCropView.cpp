#include "KeyboardCropView.h"

#include "Device/KeyboardEntry.h"
#include "KeyboardView.h"
#include "UiLayout.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QResizeEvent>

#include <cmath>

namespace {

bool containsPoint(const QRectF& r, QPointF p)
{
    // Half-open, as a hit test of a point on a grid of adjacent keys must
    // give at most one key per edge.
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

} // namespace

KeyboardCropView::KeyboardCropView(KeyboardView* picture)
    : QWidget(picture)
    , picture_(picture)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

bool KeyboardCropView::setCrop(QPointF start, QPointF end)
{
    std::set<int> hits;
    if (const auto keyboard = KeyboardView::currentKeyboard()) {
        const qreal dx = start.x() - end.x();
        const qreal dy = start.y() - end.y();
        const QPointF corner(std::min(start.x(), end.x()), std::min(start.y(), end.y()));
        const QRectF band(corner, QSizeF(std::abs(dx), std::abs(dy)));
        const bool pointOnly = dx == 0 || dy == 0;
        int n = 0;
        for (KeytopEntry& key : keyboard->keytopList) {
            key.select = false;
            for (const QRectF& r : key.keytop) {
                if (pointOnly ? containsPoint(r, corner) : r.intersects(band)) {
                    hits.insert(n);
                    key.select = true;
                }
                ++n;
            }
        }
    }
    _indexSetToReturn = std::move(hits);
    update();
    return !_indexSetToReturn.empty();
}

void KeyboardCropView::clearCrop()
{
    _indexSetToReturn.clear();
    update();
}

void KeyboardCropView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const qreal ratio = devicePixelRatioF();
    layer_ = QImage((QSizeF(event->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer_.setDevicePixelRatio(ratio);
}

void KeyboardCropView::paintEvent(QPaintEvent*)
{
    const auto keyboard = KeyboardView::currentKeyboard();
    if (!keyboard || _indexSetToReturn.empty())
        return;

    // The frames of the Button keys that the band hit. Keys are matched by
    // the running numbers of their key-top rectangles, the numbering setCrop
    // used, so a description that lists other keys first, or gives a key
    // more frame than key-top rectangles, still gets the right keys framed.
    QPainterPath keys;
    keys.setFillRule(Qt::WindingFill);
    int n = 0;
    for (const KeytopEntry& key : keyboard->keytopList) {
        const int first = n;
        n += int(key.keytop.size());
        if (key.type != KeytopEntryType::Button)
            continue;
        const auto hit = _indexSetToReturn.lower_bound(first);
        if (hit == _indexSetToReturn.end() || *hit >= n)
            continue;
        const qreal g = layout::kKeyboardFrameGrow;
        for (const QRectF& r : key.frame)
            keys.addRect(r.adjusted(-g, -g, g, g));
    }
    if (keys.isEmpty())
        return;

    QPainterPathStroker stroker;
    stroker.setWidth(2.0 * keyboard->cropFrameWidth);
    stroker.setCapStyle(Qt::SquareCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setMiterLimit(0);
    QPainterPath outline = stroker.createStroke(keys);
    outline.setFillRule(Qt::WindingFill);
    AppColor colour = keyboard->cropFrameColor;
    colour.alpha = 1.0;
    const QColor frameColour = colour.isConvertible() ? colour.toQColor() : QColor(Qt::white);

    // The outline is drawn filled and stroked, then the keys with their own
    // border line are cleared out of it, leaving a frame outside the keys.
    // The clearing happens in a layer of its own so that it does not punch
    // through the pictures underneath.
    const QSize pixels = (QSizeF(size()) * devicePixelRatioF()).toSize();
    if (layer_.size() != pixels) {
        layer_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        layer_.setDevicePixelRatio(devicePixelRatioF());
    }
    layer_.fill(Qt::transparent);
    {
        QPainter lp(&layer_);
        lp.setRenderHint(QPainter::Antialiasing, false);
        lp.setTransform(QTransform(1, 0, 0, -1, 0, picture_->flipHeight()));
        lp.setPen(QPen(frameColour, 1.0));
        lp.setBrush(frameColour);
        lp.drawPath(outline);
        lp.setCompositionMode(QPainter::CompositionMode_Clear);
        lp.drawPath(keys);
    }
    QPainter p(this);
    p.drawImage(QPointF(0, 0), layer_);
}
