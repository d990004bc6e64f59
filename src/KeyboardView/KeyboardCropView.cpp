#include "KeyboardCropView.h"

#include "Device/KeyboardEntry.h"
#include "KeyboardView.h"
#include "UiLayout.h"

#include <QPainter>
#include <QPainterPath>
#include <QPaintEvent>

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

QRectF KeyboardCropView::keyArea(const KeytopEntry& key, double frameWidth) const
{
    QRectF area;
    for (const std::vector<QRectF>* list : {&key.keytop, &key.frame})
        for (const QRectF& r : *list)
            area = area.united(r);
    const qreal margin = std::max(layout::kKeyGlowGrow, layout::kKeyboardFrameGrow + frameWidth + 1.0) + 2.0;
    const QTransform flip(1, 0, 0, -1, 0, picture_->flipHeight());
    return flip.mapRect(area.adjusted(-margin, -margin, margin, margin));
}

bool KeyboardCropView::setCrop(QPointF start, QPointF end)
{
    std::set<int> hits;
    QRectF changed;
    if (const auto keyboard = KeyboardView::currentKeyboard()) {
        const qreal dx = start.x() - end.x();
        const qreal dy = start.y() - end.y();
        const QPointF corner(std::min(start.x(), end.x()), std::min(start.y(), end.y()));
        const QRectF band(corner, QSizeF(std::abs(dx), std::abs(dy)));
        const bool pointOnly = dx == 0 || dy == 0;
        int n = 0;
        for (KeytopEntry& key : keyboard->keytopList) {
            const bool was = key.select;
            key.select = false;
            for (const QRectF& r : key.keytop) {
                if (pointOnly ? containsPoint(r, corner) : r.intersects(band)) {
                    hits.insert(n);
                    key.select = true;
                }
                ++n;
            }
            if (key.select != was)
                changed = changed.united(keyArea(key, keyboard->cropFrameWidth));
        }
    }
    // A key whose flag kept its value may still have had hit rectangles
    // added or removed (an L-shaped key), which the frame does not show; the
    // flags alone decide what is redrawn.
    _indexSetToReturn = std::move(hits);
    changedArea_ = changed;
    if (!changed.isEmpty())
        update(changed.toAlignedRect());
    return !_indexSetToReturn.empty();
}

void KeyboardCropView::clearCrop()
{
    _indexSetToReturn.clear();
    update();
}

void KeyboardCropView::paintEvent(QPaintEvent* event)
{
    const auto keyboard = KeyboardView::currentKeyboard();
    if (!keyboard || _indexSetToReturn.empty())
        return;

    // The frames of the Button keys that the band hit. Keys are matched by
    // the running numbers of their key-top rectangles, the numbering setCrop
    // used, so a description that lists other keys first, or gives a key
    // more frame than key-top rectangles, still gets the right keys framed.
    const QTransform flip(1, 0, 0, -1, 0, picture_->flipHeight());
    const QRect area = event->rect();
    const qreal g = layout::kKeyboardFrameGrow;
    const qreal w = keyboard->cropFrameWidth;
    std::vector<QRectF> frames; // grown frame rectangles, widget coordinates
    int n = 0;
    for (const KeytopEntry& key : keyboard->keytopList) {
        const int first = n;
        n += int(key.keytop.size());
        if (key.type != KeytopEntryType::Button)
            continue;
        const auto hit = _indexSetToReturn.lower_bound(first);
        if (hit == _indexSetToReturn.end() || *hit >= n)
            continue;
        for (const QRectF& r : key.frame) {
            const QRectF grown = flip.mapRect(r.adjusted(-g, -g, g, g));
            if (grown.adjusted(-w - 2, -w - 2, w + 2, w + 2).intersects(area))
                frames.push_back(grown);
        }
    }
    if (frames.empty())
        return;

    AppColor colour = keyboard->cropFrameColor;
    colour.alpha = 1.0;
    const QColor frameColour = colour.isConvertible() ? colour.toQColor() : QColor(Qt::white);

    // The keys' outline is stroked 2 x the frame width wide with round
    // joins and drawn filled and stroked with a 1-point line: for each
    // rectangle a rounded rectangle reaching w + 0.5 beyond it. Then the keys,
    // with their own 1-point border line, are cleared out of it, leaving a
    // frame outside the keys. The clearing happens in a layer of its own so
    // that it does not punch through the pictures underneath.
    // Only the part of the redrawn area that the frames can reach is worked.
    const qreal reach = w + 0.5;
    QRectF reached;
    for (const QRectF& r : frames)
        reached = reached.united(r.adjusted(-reach - 1, -reach - 1, reach + 1, reach + 1));
    const QRect work = area.intersected(reached.toAlignedRect());
    if (work.isEmpty())
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (layer_.size() != pixels || layer_.devicePixelRatio() != ratio) {
        layer_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        layer_.setDevicePixelRatio(ratio);
    }
    {
        QPainter lp(&layer_);
        lp.setClipRect(work);
        lp.setCompositionMode(QPainter::CompositionMode_Source);
        lp.fillRect(work, Qt::transparent);
        lp.setCompositionMode(QPainter::CompositionMode_SourceOver);
        lp.setRenderHint(QPainter::Antialiasing, false);
        lp.setPen(Qt::NoPen);
        lp.setBrush(frameColour);
        for (const QRectF& r : frames)
            lp.drawRoundedRect(r.adjusted(-reach, -reach, reach, reach), reach, reach);
        lp.setCompositionMode(QPainter::CompositionMode_Clear);
        for (const QRectF& r : frames)
            lp.drawRect(r.adjusted(-0.5, -0.5, 0.5, 0.5));
    }
    QPainter p(this);
    p.drawImage(QRectF(work), layer_,
                QRectF(work.x() * ratio, work.y() * ratio, work.width() * ratio, work.height() * ratio));
}
