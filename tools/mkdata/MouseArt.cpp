// The mouse pictures: the mouse seen from above (button, LED and setting
// tabs, thumbnail) and from the side over a surface (sensor tabs), with
// leader lines from its parts to the anchors where the panels put labels.
#include "Art.h"
#include "Canvas.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <limits>

namespace mkdata {

namespace {

const QColor kShell(0x2C, 0x31, 0x39);
const QColor kButtonFace(0x36, 0x3C, 0x45);
const QColor kSeam(0x1A, 0x1D, 0x22);
const QColor kSlot(0x1B, 0x1E, 0x23);
const QColor kWheel(0x24, 0x28, 0x2E);
const QColor kRib(0x4A, 0x51, 0x5B);
const QColor kPart(0x40, 0x47, 0x52);
const QColor kPartLight(0x58, 0x61, 0x6E);
const QColor kLightOff(0x3E, 0x44, 0x4D);
const QColor kBadge(0xE8, 0xEC, 0xF0);
const QColor kBeam(0xFF, 0x3B, 0x3B, 80);

// The outline of the mouse seen from above: narrower at the front (top),
// widest behind the middle.
QPainterPath topOutline()
{
    QPainterPath p;
    p.moveTo(0, -172);
    p.cubicTo(50, -172, 82, -150, 88, -100);
    p.cubicTo(94, -50, 100, 10, 100, 62);
    p.cubicTo(100, 136, 62, 172, 0, 172);
    p.cubicTo(-62, 172, -100, 136, -100, 62);
    p.cubicTo(-100, 10, -94, -50, -88, -100);
    p.cubicTo(-82, -150, -50, -172, 0, -172);
    p.closeSubpath();
    return p;
}

// The outline seen from the left side: front to the left, underside on y = 0.
QPainterPath sideOutline()
{
    QPainterPath p;
    p.moveTo(-160, 0);
    p.quadTo(-170, 0, -169, -10);
    p.quadTo(-168, -34, -148, -46);
    p.cubicTo(-100, -78, -20, -108, 40, -106);
    p.cubicTo(110, -104, 168, -70, 170, -30);
    p.quadTo(171, -4, 158, 0);
    p.closeSubpath();
    return p;
}

// The highest point of the outline above x (smallest y).
qreal topAt(const QPainterPath& outline, qreal x)
{
    qreal best = std::numeric_limits<qreal>::max();
    for (int i = 0; i <= 2000; ++i) {
        const QPointF pt = outline.pointAtPercent(i / 2000.0);
        if (std::abs(pt.x() - x) < 1.5)
            best = std::min(best, pt.y());
    }
    return best;
}

void glow(QPainter& p, const QPointF& centre, qreal radius, const QColor& colour)
{
    QRadialGradient g(centre, radius);
    QColor inner = colour;
    inner.setAlpha(150);
    QColor outer = colour;
    outer.setAlpha(0);
    g.setColorAt(0.0, inner);
    g.setColorAt(1.0, outer);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

void dropShadow(QPainter& p, const QPainterPath& outline)
{
    p.setPen(Qt::NoPen);
    for (int i = 4; i >= 1; --i) {
        p.setBrush(QColor(0, 0, 0, 18));
        QPainterPath s = outline;
        QTransform t;
        t.translate(0, 3 + i);
        const QRectF b = s.boundingRect();
        t.translate(b.center().x(), b.center().y());
        t.scale(1 + i * 0.012, 1 + i * 0.012);
        t.translate(-b.center().x(), -b.center().y());
        p.drawPath(t.map(s));
    }
}

// The mouse seen from above, its middle at the painter's origin.
void drawTopView(QPainter& p, LitParts lit, const QColor& colour)
{
    const QPainterPath outline = topOutline();
    dropShadow(p, outline);

    p.setPen(Qt::NoPen);
    p.setBrush(kShell);
    p.drawPath(outline);

    // The two main buttons cover the front; a seam separates them from each
    // other and from the palm rest.
    p.save();
    p.setClipPath(outline);
    p.setBrush(kButtonFace);
    p.drawRect(QRectF(-110, -180, 220, 140));
    p.setPen(QPen(kSeam, 3));
    p.drawLine(QPointF(-110, -40), QPointF(110, -40));
    p.drawLine(QPointF(0, -180), QPointF(0, -40));
    p.restore();

    // Wheel and top button in their slot.
    p.setPen(Qt::NoPen);
    p.setBrush(kSlot);
    p.drawRoundedRect(QRectF(-17, -148, 34, 104), 14, 14);
    p.setBrush(kWheel);
    p.drawRoundedRect(QRectF(-11, -142, 22, 54), 10, 10);
    p.setPen(QPen(kRib, 1.5));
    for (qreal y = -136; y <= -94; y += 6)
        p.drawLine(QPointF(-7, y), QPointF(7, y));
    p.setPen(Qt::NoPen);
    p.setBrush(kPart);
    p.drawRoundedRect(QRectF(-8, -78, 16, 28), 6, 6);

    // Side buttons on the left flank.
    p.setPen(QPen(kSeam, 1.5));
    p.setBrush(kPart);
    p.drawRoundedRect(QRectF(-106, -36, 15, 44), 6, 6);
    p.drawRoundedRect(QRectF(-108, 10, 15, 44), 6, 6);

    const bool indicatorLit = lit == LitParts::Both || lit == LitParts::Indicator;
    const bool logoLit = lit == LitParts::Both || lit == LitParts::Logo;

    // Indicator light behind the button seam.
    const QPointF indicator(0, -29);
    if (indicatorLit) {
        p.save();
        p.setClipPath(outline);
        glow(p, indicator, 34, colour);
        p.restore();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(indicatorLit ? colour : kLightOff);
    p.drawRoundedRect(QRectF(indicator.x() - 15, indicator.y() - 3, 30, 6), 3, 3);

    // Logo on the palm rest: a ring with a K.
    const QPointF logo(0, 85);
    if (logoLit) {
        p.save();
        p.setClipPath(outline);
        glow(p, logo, 52, colour);
        p.restore();
    }
    const QColor logoColour = logoLit ? colour : kLightOff;
    p.setPen(QPen(logoColour, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(logo, 22, 22);
    p.setPen(QPen(logoColour, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(logo + QPointF(-7, -11), logo + QPointF(-7, 11));
    QPainterPath k;
    k.moveTo(logo + QPointF(8, -11));
    k.lineTo(logo + QPointF(-6, 1));
    k.moveTo(logo + QPointF(-2, -2));
    k.lineTo(logo + QPointF(8, 11));
    p.drawPath(k);
}

// The mouse seen from the side, lifted `lift` pixels above a surface; the
// painter's origin is the point on the surface below the middle of the
// mouse. Returns where the top button is.
QPointF drawSideView(QPainter& p, qreal lift, int liftMm)
{
    const QPainterPath outline = sideOutline();
    const qreal feet = 4;
    const qreal bottom = -lift - feet; // y of the underside

    // The surface, ending where the dimension's caption ends.
    const qreal surfaceLeft = -250, surfaceRight = 246;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8A, 0x93, 0xA0, 28));
    p.drawRect(QRectF(surfaceLeft, 0, surfaceRight - surfaceLeft, 22));
    p.setPen(QPen(palette::kLine, 2));
    p.drawLine(QPointF(surfaceLeft, 0), QPointF(surfaceRight, 0));

    // Light of the sensor.
    QPolygonF beam;
    beam << QPointF(-5, bottom + 2) << QPointF(5, bottom + 2) << QPointF(14, 0) << QPointF(-14, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(kBeam);
    p.drawPolygon(beam);

    p.save();
    p.translate(0, bottom);
    // Wheel and top button stand out above the shell.
    const qreal wheelTop = topAt(outline, -112);
    const qreal buttonTop = topAt(outline, -62);
    p.setBrush(kRib);
    p.drawRoundedRect(QRectF(-127, wheelTop - 9, 30, 18), 8, 8);
    p.setBrush(kPartLight);
    p.drawRoundedRect(QRectF(-71, buttonTop - 6, 18, 12), 4, 4);

    p.setBrush(kShell);
    p.drawPath(outline);
    // The main buttons form a band along the top of the front half.
    QPainterPath front;
    front.addRect(QRectF(-180, -130, 150, 130));
    const QPainterPath band = outline.subtracted(outline.translated(0, 18)).intersected(front);
    p.setBrush(kButtonFace);
    p.drawPath(band);
    p.setPen(QPen(kSeam, 2));
    const qreal seamTop = topAt(outline, -30);
    p.drawLine(QPointF(-30, seamTop + 1), QPointF(-30, seamTop + 18));

    // Thumb buttons on this flank.
    p.setPen(QPen(kSeam, 1.5));
    p.setBrush(kPart);
    p.drawRoundedRect(QRectF(-98, -54, 38, 12), 6, 6);
    p.drawRoundedRect(QRectF(-52, -58, 38, 12), 6, 6);

    // Feet and sensor window.
    p.setPen(Qt::NoPen);
    p.setBrush(kPartLight);
    p.drawRoundedRect(QRectF(-150, 0, 40, feet), 2, 2);
    p.drawRoundedRect(QRectF(110, 0, 40, feet), 2, 2);
    p.setBrush(QColor(0xFF, 0x3B, 0x3B));
    p.drawRect(QRectF(-5, 0, 10, 2));
    p.restore();

    // Dimension of the gap to the right of the mouse.
    const qreal x = 186;
    p.setPen(QPen(palette::kLine, 1.2, Qt::DashLine));
    p.drawLine(QPointF(150, bottom + feet), QPointF(x + 14, bottom + feet));
    p.setPen(QPen(palette::kLine, 1.6));
    p.drawLine(QPointF(x, bottom + feet + 1), QPointF(x, -1));
    p.setBrush(palette::kLine);
    p.setPen(Qt::NoPen);
    QPolygonF up, down;
    up << QPointF(x, bottom + feet) << QPointF(x - 4, bottom + feet + 6) << QPointF(x + 4, bottom + feet + 6);
    down << QPointF(x, 0) << QPointF(x - 4, -6) << QPointF(x + 4, -6);
    p.drawPolygon(up);
    p.drawPolygon(down);
    p.setPen(kBadge);
    p.setFont(artFont(15, true));
    p.drawText(QRectF(x + 12, (bottom + feet) / 2 - 12, 60, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("%1 mm").arg(liftMm));

    return QPointF(-62, bottom + buttonTop - 4);
}

// A leader line from a point of the mouse to the nearer end of a label
// anchor, the anchor line itself and a dot (or a numbered badge) on the part.
void drawLeader(QPainter& p, const QPointF& from, const QRect& anchorRect, const QString& badge)
{
    const QRectF a(anchorRect);
    const bool anchorRight = a.center().x() > from.x();
    const QPointF end(anchorRight ? a.left() : a.right(), a.center().y());
    p.setPen(QPen(palette::kLine, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, end);
    p.setPen(QPen(palette::kLine, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(a.left(), a.center().y()), QPointF(a.right(), a.center().y()));
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kLine);
    p.drawEllipse(end, 3, 3);
    p.setPen(QPen(kSeam, 1.5));
    p.setBrush(kBadge);
    if (badge.isEmpty()) {
        p.drawEllipse(from, 4, 4);
    } else {
        p.drawEllipse(from, 9, 9);
        p.setPen(kSeam);
        p.setFont(artFont(11, true));
        p.drawText(QRectF(from.x() - 9, from.y() - 9, 18, 18), Qt::AlignCenter, badge);
    }
}

} // namespace

QImage drawMouseTabPicture(const MouseLayout& layout, const MouseTabPicture& picture, qreal scale)
{
    QImage img = blankImage(kPictureSize, scale);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    if (picture.kind == TabKind::Sensor) {
        const qreal lift = picture.liftMm * layout.liftPixelsPerMm;
        p.save();
        p.translate(layout.sensorBase);
        const QPointF button = drawSideView(p, lift, picture.liftMm) + layout.sensorBase;
        p.restore();
        for (const MouseButtonDef& b : layout.buttons) {
            if (b.tab == TabKind::Sensor)
                drawLeader(p, button, b.margin, QString());
        }
        p.end();
        return img;
    }

    const QPointF centre =
        picture.kind == TabKind::Buttons ? layout.buttonTabCentre : layout.sideTabCentre;
    p.save();
    p.translate(centre);
    drawTopView(p, picture.lit, picture.color);
    p.restore();
    for (const MouseButtonDef& b : layout.buttons) {
        if (b.tab != picture.kind)
            continue;
        QString badge;
        if (b.name.startsWith(QLatin1String("Button")))
            badge = b.name.mid(6);
        drawLeader(p, centre + mousePartPoint(b.part), b.margin, badge);
    }
    p.end();
    return img;
}

QImage drawMouseThumbnail(const MouseLayout& layout, qreal scale)
{
    QImage img = blankImage(kPictureSize, scale);
    const QPointF centre(500, 350);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(centre);
        drawTopView(p, LitParts::Both, QColor(0x19, 0xD3, 0xE6));
    }
    Q_UNUSED(layout);
    return fitIntoThumbnail(img, QRect(int(centre.x()) - 115, int(centre.y()) - 178, 230, 362));
}

} // namespace mkdata
