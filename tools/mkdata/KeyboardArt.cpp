// The keyboard pictures: body (case, key wells, maker's name, indicator
// lamps), key caps with legends, and the thumbnail.
#include "Art.h"
#include "Canvas.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

namespace mkdata {

namespace {

constexpr qreal kCaseRadius = 14.0;
constexpr qreal kCapRadius = 4.0;
constexpr qreal kTopRadius = 3.0;

struct CapColours {
    QColor skirt;
    QColor top;
    QColor legend;
};

CapColours coloursOf(KeyStyle style)
{
    switch (style) {
    case KeyStyle::Alpha: return {QColor(0x3B, 0x41, 0x49), QColor(0x4B, 0x52, 0x5C), QColor(0xF1, 0xF3, 0xF6)};
    case KeyStyle::Modifier: return {QColor(0x30, 0x35, 0x3C), QColor(0x3E, 0x44, 0x4D), QColor(0xD3, 0xD8, 0xDF)};
    case KeyStyle::Indicator: break;
    }
    return {palette::kLampOff, palette::kLampCore, palette::kPrint};
}

// The union of rounded rectangles (one shape for an L-shaped key).
QPainterPath roundedUnion(const std::vector<QRect>& rects, qreal radius, qreal grow = 0.0)
{
    QPainterPath shape;
    shape.setFillRule(Qt::WindingFill);
    for (const QRect& r : rects) {
        QPainterPath p;
        p.addRoundedRect(QRectF(r).adjusted(-grow, -grow, grow, grow), radius, radius);
        shape = shape.united(p);
    }
    return shape;
}

// The largest pixel size (at most `size`, at least 7) at which every line of
// `text` fits into `width`.
int fittingSize(const QString& text, int size, qreal width, bool bold = false)
{
    for (; size > 7; --size) {
        const QFontMetricsF fm(artFont(size, bold));
        bool fits = true;
        for (const QString& line : text.split(QLatin1Char('\n')))
            fits = fits && fm.horizontalAdvance(line) <= width;
        if (fits)
            break;
    }
    return size;
}

void drawIcon(QPainter& p, KeyIcon icon, const QRectF& area, const QColor& colour)
{
    const QPointF c = area.center();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    switch (icon) {
    case KeyIcon::Up:
    case KeyIcon::Down:
    case KeyIcon::Left:
    case KeyIcon::Right: {
        // A filled triangle pointing the key's way.
        QPolygonF tri;
        tri << QPointF(0, -6) << QPointF(6, 4) << QPointF(-6, 4);
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(icon == KeyIcon::Up ? 0 : icon == KeyIcon::Right ? 90
                 : icon == KeyIcon::Down ? 180 : 270);
        p.drawPolygon(t.map(tri));
        break;
    }
    case KeyIcon::Mute:
    case KeyIcon::VolumeDown:
    case KeyIcon::VolumeUp: {
        // A loudspeaker, then a cross, one wave or two waves.
        const qreal x = c.x() - 7, y = c.y();
        QPolygonF speaker;
        speaker << QPointF(x - 3, y - 3) << QPointF(x, y - 3) << QPointF(x + 5, y - 7)
                << QPointF(x + 5, y + 7) << QPointF(x, y + 3) << QPointF(x - 3, y + 3);
        p.drawPolygon(speaker);
        QPen pen(colour, 1.6, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        if (icon == KeyIcon::Mute) {
            p.drawLine(QPointF(x + 9, y - 4), QPointF(x + 16, y + 4));
            p.drawLine(QPointF(x + 9, y + 4), QPointF(x + 16, y - 4));
        } else {
            p.drawArc(QRectF(x + 3, y - 5, 8, 10), -60 * 16, 120 * 16);
            if (icon == KeyIcon::VolumeUp)
                p.drawArc(QRectF(x + 3, y - 9, 14, 18), -60 * 16, 120 * 16);
        }
        break;
    }
    case KeyIcon::PlayPause: {
        QPolygonF play;
        play << QPointF(c.x() - 8, c.y() - 6) << QPointF(c.x() - 1, c.y())
             << QPointF(c.x() - 8, c.y() + 6);
        p.drawPolygon(play);
        p.drawRect(QRectF(c.x() + 1.5, c.y() - 6, 2.5, 12));
        p.drawRect(QRectF(c.x() + 5.5, c.y() - 6, 2.5, 12));
        break;
    }
    case KeyIcon::None:
        break;
    }
    p.restore();
}

void drawLegend(QPainter& p, const KeyDef& key, const QRectF& top, const QColor& colour)
{
    const KeyLegend& l = key.legend;
    p.setPen(colour);
    if (l.icon != KeyIcon::None) {
        drawIcon(p, l.icon, top, colour);
    } else if (!l.upper.isEmpty()) {
        // Shifted symbol above the unshifted one.
        const int size = fittingSize(l.upper + QLatin1Char('\n') + l.lower, 11, top.width() - 4);
        p.setFont(artFont(size));
        const qreal h = top.height() * 0.5;
        p.drawText(QRectF(top.left(), top.top() + top.height() * 0.27 - h / 2, top.width(), h),
                   Qt::AlignCenter, l.upper);
        p.drawText(QRectF(top.left(), top.top() + top.height() * 0.74 - h / 2, top.width(), h),
                   Qt::AlignCenter, l.lower);
    } else if (!l.lower.isEmpty()) {
        p.setFont(artFont(fittingSize(l.lower, 15, top.width() - 4)));
        p.drawText(top, Qt::AlignCenter, l.lower);
    } else if (!l.words.isEmpty()) {
        p.setFont(artFont(fittingSize(l.words, 10, top.width() - 5)));
        p.drawText(top, Qt::AlignCenter, l.words);
    }
}

} // namespace

QFont artFont(int pixelSize, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QImage blankImage(QSize size, qreal scale)
{
    QImage img((QSizeF(size) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale);
    img.fill(Qt::transparent);
    return img;
}

QImage drawKeyboardBody(const KeyboardLayout& layout, qreal scale)
{
    QImage img = blankImage(layout.pictureSize, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(layout.offset);

    const QRectF caseRect(QPointF(0, 0), QSizeF(layout.caseSize));
    // A soft drop shadow, then the case.
    for (int i = 3; i >= 1; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 22));
        p.drawRoundedRect(caseRect.adjusted(-i, 1, i, 2 + i * 1.5), kCaseRadius + i, kCaseRadius + i);
    }
    p.setBrush(palette::kCase);
    p.setPen(QPen(palette::kCaseEdge, 1.5));
    p.drawRoundedRect(caseRect.adjusted(0.75, 0.75, -0.75, -0.75), kCaseRadius, kCaseRadius);

    // The wells the caps sit in.
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kWell);
    for (const KeyDef& k : layout.keys) {
        if (k.kind == KeyKind::Button)
            p.drawPath(roundedUnion(k.frames, kCapRadius + 1, 1.0));
    }

    // The maker's name.
    QFont brand = artFont(13, true);
    brand.setLetterSpacing(QFont::AbsoluteSpacing, 3.0);
    p.setFont(brand);
    p.setPen(palette::kPrint);
    p.drawText(layout.brandArea, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KOLVENTRA"));

    // Indicator lamps (off) with their labels below.
    for (const KeyDef& k : layout.keys) {
        if (k.kind != KeyKind::LedIndicator)
            continue;
        p.setPen(Qt::NoPen);
        p.setBrush(palette::kLampOff);
        p.drawRoundedRect(QRectF(k.led), 3, 3);
        p.setBrush(palette::kLampCore);
        p.drawRoundedRect(QRectF(k.led).adjusted(2, 1.5, -2, -1.5), 1.5, 1.5);
        const QRectF frame(k.frames.front());
        const QRectF label(frame.left(), k.led.bottom() + 2, frame.width(),
                           frame.bottom() - k.led.bottom() - 2);
        p.setFont(artFont(9));
        p.setPen(palette::kPrint);
        p.drawText(label, Qt::AlignCenter, k.legend.words);
    }
    p.end();
    return img;
}

QImage drawKeyboardKeytops(const KeyboardLayout& layout, qreal scale)
{
    QImage img = blankImage(layout.pictureSize, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(layout.offset);
    for (const KeyDef& k : layout.keys) {
        if (k.kind != KeyKind::Button)
            continue;
        const CapColours c = coloursOf(k.style);
        p.setPen(Qt::NoPen);
        p.setBrush(c.skirt);
        p.drawPath(roundedUnion(k.frames, kCapRadius));
        p.setBrush(c.top);
        p.drawPath(roundedUnion(k.tops, kTopRadius));
        // The legend goes on the first (upper) part of a key made of
        // several parts; a tall single part gets it in its middle.
        drawLegend(p, k, QRectF(k.tops.front()), c.legend);
    }
    p.end();
    return img;
}

QImage fitIntoThumbnail(const QImage& picture, const QRect& area)
{
    // Cut and scaled in pixels; placed in points.
    const qreal scale = picture.devicePixelRatio();
    const QImage part = picture.copy(QRectF(QPointF(area.topLeft()) * scale, QSizeF(area.size()) * scale).toRect());
    const QSize room = kThumbSize - QSize(12, 12);
    QImage scaled = part.scaled((QSizeF(room) * scale).toSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(scale);
    const QSizeF placed = QSizeF(scaled.size()) / scale;
    QImage thumb = blankImage(kThumbSize, scale);
    QPainter p(&thumb);
    p.drawImage(QPointF((kThumbSize.width() - placed.width()) / 2, (kThumbSize.height() - placed.height()) / 2),
                scaled);
    p.end();
    return thumb;
}

QImage drawKeyboardThumbnail(const KeyboardLayout& layout, qreal scale)
{
    QImage whole = drawKeyboardBody(layout, scale);
    {
        QPainter p(&whole);
        p.drawImage(0, 0, drawKeyboardKeytops(layout, scale));
    }
    const QRect area = QRect(layout.offset, layout.caseSize).adjusted(-4, -2, 4, 8);
    return fitIntoThumbnail(whole, area);
}

} // namespace mkdata
