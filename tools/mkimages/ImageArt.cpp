// The application's own pictures. Every picture is drawn in points into a
// transparent image scaled by the wanted pixel ratio, so the 1x and 2x
// versions show the same shapes.
#include "ImageArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <functional>
#include <map>

namespace mkimages {

namespace {

// One palette for every picture: dark greys, light grey and white for
// lines, one teal accent for the "on" and "active" looks.
namespace colour {
const QColor kAccent{0x1F, 0xC6, 0xD3};
const QColor kAccentDeep{0x0E, 0x7C, 0x86};
const QColor kActiveLine{0xF1, 0xF3, 0xF6};
const QColor kIdleLine{0x7C, 0x85, 0x91};
const QColor kTrackOff{0x3A, 0x40, 0x48};
const QColor kTrackEdge{0x4C, 0x54, 0x5E};
const QColor kKnob{0xE6, 0xE9, 0xED};
const QColor kKnobOff{0x9A, 0xA3, 0xAF};
const QColor kBodyTop{0x24, 0x28, 0x2F};
const QColor kBodyBottom{0x14, 0x16, 0x1A};
} // namespace colour

using Painter = std::function<void(QPainter&, QSizeF)>;

QPen linePen(const QColor& c, qreal width = 1.8)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// ---- Small glyphs (drawn into a square of `s` points) ----------------------

void triangleDown(QPainter& p, QSizeF s)
{
    QPolygonF tri;
    tri << QPointF(1, 1.5) << QPointF(s.width() - 1, 1.5) << QPointF(s.width() / 2, s.height() - 1);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kActiveLine);
    p.drawPolygon(tri);
}

// A key cap with an arrow pressing it down: the actuation point.
void apcGlyph(QPainter& p, QSizeF s, const QColor& line)
{
    const qreal w = s.width();
    p.setPen(linePen(line));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(w * 0.18, w * 0.50, w * 0.64, w * 0.34), 3, 3);
    p.drawLine(QPointF(w * 0.5, w * 0.10), QPointF(w * 0.5, w * 0.38));
    QPolygonF head;
    head << QPointF(w * 0.38, w * 0.28) << QPointF(w * 0.5, w * 0.42) << QPointF(w * 0.62, w * 0.28);
    p.drawPolyline(head);
}

void lockGlyph(QPainter& p, QSizeF s, const QColor& line)
{
    const qreal w = s.width();
    p.setPen(linePen(line));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(w * 0.32, w * 0.14, w * 0.36, w * 0.40), 0, 180 * 16);
    p.drawLine(QPointF(w * 0.32, w * 0.34), QPointF(w * 0.32, w * 0.44));
    p.drawLine(QPointF(w * 0.68, w * 0.34), QPointF(w * 0.68, w * 0.44));
    p.drawRoundedRect(QRectF(w * 0.22, w * 0.44, w * 0.56, w * 0.42), 3, 3);
    p.setBrush(line);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(w * 0.5, w * 0.63), w * 0.05, w * 0.05);
}

void gearGlyph(QPainter& p, QSizeF s, const QColor& line)
{
    const qreal w = s.width();
    const QPointF c(w / 2, w / 2);
    p.setPen(linePen(line));
    p.setBrush(Qt::NoBrush);
    QPainterPath teeth;
    const int n = 8;
    for (int i = 0; i < n * 2; ++i) {
        const qreal a = (i * 180.0 / n - 90.0 / n) * M_PI / 180.0;
        const qreal a2 = ((i + 1) * 180.0 / n - 90.0 / n) * M_PI / 180.0;
        const qreal r = (i % 2 == 0) ? w * 0.40 : w * 0.30;
        const QPointF p1 = c + QPointF(std::cos(a) * r, std::sin(a) * r);
        const QPointF p2 = c + QPointF(std::cos(a2) * r, std::sin(a2) * r);
        if (i == 0)
            teeth.moveTo(p1);
        else
            teeth.lineTo(p1);
        teeth.lineTo(p2);
    }
    teeth.closeSubpath();
    p.drawPath(teeth);
    p.drawEllipse(c, w * 0.12, w * 0.12);
}

// A mouse seen from above with its left button filled.
void mouseGlyph(QPainter& p, QSizeF s, const QColor& line, bool markButton)
{
    const qreal w = s.width();
    const QRectF body(w * 0.26, w * 0.10, w * 0.48, w * 0.80);
    p.setPen(linePen(line));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, w * 0.24, w * 0.24);
    p.drawLine(QPointF(body.left(), w * 0.42), QPointF(body.right(), w * 0.42));
    p.drawLine(QPointF(w * 0.5, body.top()), QPointF(w * 0.5, w * 0.42));
    if (markButton) {
        QPainterPath left;
        left.moveTo(w * 0.5, body.top() + 1.5);
        left.lineTo(w * 0.5, w * 0.42 - 1.5);
        left.lineTo(body.left() + 1.5, w * 0.42 - 1.5);
        left.arcTo(QRectF(body.left() + 1.5, body.top() + 1.5, w * 0.48 - 3, w * 0.48 - 3), 180, -90);
        left.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(line);
        p.drawPath(left);
    }
}

void ledGlyph(QPainter& p, QSizeF s, const QColor& line)
{
    const qreal w = s.width();
    const QPointF c(w / 2, w * 0.52);
    p.setPen(linePen(line));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, w * 0.16, w * 0.16);
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        const QPointF d(std::cos(a), std::sin(a));
        p.drawLine(c + d * (w * 0.26), c + d * (w * 0.38));
    }
}

void sensorGlyph(QPainter& p, QSizeF s, const QColor& line)
{
    const qreal w = s.width();
    const QPointF c(w / 2, w / 2);
    p.setPen(linePen(line));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, w * 0.28, w * 0.28);
    p.drawLine(QPointF(c.x(), w * 0.08), QPointF(c.x(), w * 0.32));
    p.drawLine(QPointF(c.x(), w * 0.68), QPointF(c.x(), w * 0.92));
    p.drawLine(QPointF(w * 0.08, c.y()), QPointF(w * 0.32, c.y()));
    p.drawLine(QPointF(w * 0.68, c.y()), QPointF(w * 0.92, c.y()));
    p.setPen(Qt::NoPen);
    p.setBrush(line);
    p.drawEllipse(c, w * 0.06, w * 0.06);
}

// A tab icon: the glyph in white on an accent disc when active, in grey on
// nothing when not.
Painter tabIcon(std::function<void(QPainter&, QSizeF, const QColor&)> glyph, bool active)
{
    return [glyph, active](QPainter& p, QSizeF s) {
        if (active) {
            p.setPen(Qt::NoPen);
            QRadialGradient glow(QPointF(s.width() / 2, s.height() / 2), s.width() / 2);
            QColor inner = colour::kAccent;
            inner.setAlpha(90);
            QColor outer = colour::kAccent;
            outer.setAlpha(0);
            glow.setColorAt(0.0, inner);
            glow.setColorAt(1.0, outer);
            p.setBrush(glow);
            p.drawEllipse(QRectF(QPointF(0, 0), s));
        }
        glyph(p, s, active ? colour::kActiveLine : colour::kIdleLine);
    };
}

// A sliding switch: a rounded track with a knob, on the right and in the
// track colour when on, on the left and grey when off.
Painter switchImage(const QColor& onColour, bool on)
{
    return [onColour, on](QPainter& p, QSizeF s) {
        const QRectF track(1, 2, s.width() - 2, s.height() - 4);
        const qreal r = track.height() / 2;
        p.setPen(QPen(on ? onColour.darker(130) : colour::kTrackEdge, 1.0));
        p.setBrush(on ? onColour : colour::kTrackOff);
        p.drawRoundedRect(track, r, r);
        const qreal knobR = r - 2.5;
        const QPointF centre(on ? track.right() - r : track.left() + r, track.center().y());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 70));
        p.drawEllipse(centre + QPointF(0, 0.8), knobR, knobR);
        p.setBrush(on ? colour::kKnob : colour::kKnobOff);
        p.drawEllipse(centre, knobR, knobR);
    };
}

Painter radioImage(bool on)
{
    return [on](QPainter& p, QSizeF s) {
        const QPointF c(s.width() / 2, s.height() / 2);
        const qreal r = s.width() / 2 - 2;
        p.setPen(QPen(on ? colour::kAccent : colour::kIdleLine, 1.6));
        p.setBrush(colour::kTrackOff);
        p.drawEllipse(c, r, r);
        if (on) {
            p.setPen(Qt::NoPen);
            p.setBrush(colour::kAccent);
            p.drawEllipse(c, r * 0.5, r * 0.5);
        }
    };
}

// Lift-off distance: a mouse in side view over a surface line, with a
// small or a large gap marked by two arrows.
Painter liftOffImage(bool high, bool active)
{
    return [high, active](QPainter& p, QSizeF s) {
        const QColor line = active ? colour::kActiveLine : colour::kIdleLine;
        const qreal w = s.width(), h = s.height();
        p.setPen(Qt::NoPen);
        p.setBrush(active ? QColor(colour::kAccentDeep.red(), colour::kAccentDeep.green(),
                                   colour::kAccentDeep.blue(), 120)
                          : QColor(0x2A, 0x2F, 0x36));
        p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 6, 6);
        const qreal surface = h - 8;
        const qreal gap = high ? 10 : 5;
        // Mouse in side view.
        QPainterPath mouse;
        const qreal base = surface - gap;
        mouse.moveTo(w * 0.18, base);
        mouse.cubicTo(w * 0.18, base - 16, w * 0.62, base - 20, w * 0.82, base - 6);
        mouse.lineTo(w * 0.82, base);
        mouse.closeSubpath();
        p.setPen(linePen(line, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(mouse);
        // Surface.
        p.setPen(linePen(active ? colour::kAccent : colour::kIdleLine, 1.6));
        p.drawLine(QPointF(w * 0.08, surface), QPointF(w * 0.92, surface));
        // Gap marker.
        p.setPen(linePen(line, 1.0));
        const qreal x = w * 0.9;
        p.drawLine(QPointF(x, base), QPointF(x, surface));
        p.drawLine(QPointF(x - 2, base), QPointF(x + 2, base));
        p.drawLine(QPointF(x - 2, surface), QPointF(x + 2, surface));
    };
}

// A keyboard outline with a few keys, inside `area`.
void keyboardShape(QPainter& p, const QRectF& area, const QColor& line, qreal pen)
{
    p.setPen(linePen(line, pen));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(area, area.height() * 0.14, area.height() * 0.14);
    const qreal kw = area.width() / 8.0;
    const qreal kh = area.height() / 4.6;
    p.setPen(Qt::NoPen);
    p.setBrush(line);
    for (int row = 0; row < 3; ++row) {
        const int count = row == 2 ? 1 : 6;
        for (int i = 0; i < count; ++i) {
            QRectF key;
            if (row == 2)
                key = QRectF(area.left() + kw * 2, area.top() + kh * (0.7 + row * 1.25), kw * 4, kh * 0.8);
            else
                key = QRectF(area.left() + kw * (1 + i) + kw * 0.1, area.top() + kh * (0.7 + row * 1.25),
                             kw * 0.8, kh * 0.8);
            p.drawRoundedRect(key, kh * 0.15, kh * 0.15);
        }
    }
}

// The Send button pictures: the device with an arrow into it.
Painter sendImage(bool keyboard)
{
    return [keyboard](QPainter& p, QSizeF s) {
        const qreal w = s.width();
        if (keyboard) {
            keyboardShape(p, QRectF(w * 0.06, w * 0.44, w * 0.88, w * 0.46), colour::kActiveLine, 1.4);
        } else {
            p.setPen(linePen(colour::kActiveLine, 1.4));
            p.setBrush(Qt::NoBrush);
            const QRectF body(w * 0.32, w * 0.40, w * 0.36, w * 0.54);
            p.drawRoundedRect(body, w * 0.18, w * 0.18);
            p.drawLine(QPointF(body.left(), w * 0.62), QPointF(body.right(), w * 0.62));
            p.drawLine(QPointF(w * 0.5, body.top()), QPointF(w * 0.5, w * 0.62));
        }
        p.setPen(linePen(colour::kAccent, 1.8));
        p.drawLine(QPointF(w * 0.5, w * 0.04), QPointF(w * 0.5, w * 0.32));
        QPolygonF head;
        head << QPointF(w * 0.38, w * 0.22) << QPointF(w * 0.5, w * 0.34) << QPointF(w * 0.62, w * 0.22);
        p.drawPolyline(head);
    };
}

Painter brightnessImage(bool high)
{
    return [high](QPainter& p, QSizeF s) {
        const QPointF c(s.width() / 2, s.height() / 2);
        const QColor line = high ? colour::kActiveLine : colour::kIdleLine;
        p.setPen(linePen(line, 1.4));
        p.setBrush(high ? line : QColor(Qt::transparent));
        p.drawEllipse(c, s.width() * 0.16, s.width() * 0.16);
        const qreal outer = high ? 0.46 : 0.36;
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * M_PI / 4;
            const QPointF d(std::cos(a), std::sin(a));
            p.drawLine(c + d * (s.width() * 0.27), c + d * (s.width() * outer));
        }
    };
}

void mainBackground(QPainter& p, QSizeF s)
{
    QLinearGradient g(QPointF(0, 0), QPointF(0, s.height()));
    g.setColorAt(0.0, colour::kBodyTop);
    g.setColorAt(1.0, colour::kBodyBottom);
    p.fillRect(QRectF(QPointF(0, 0), s), g);
    // A faint light from above the middle, where the device picture sits.
    QRadialGradient light(QPointF(s.width() / 2, s.height() * 0.42), s.width() * 0.55);
    light.setColorAt(0.0, QColor(0x2F, 0x36, 0x3F, 150));
    light.setColorAt(1.0, QColor(0x2F, 0x36, 0x3F, 0));
    p.fillRect(QRectF(QPointF(0, 0), s), light);
    // A fine accent line along the top edge.
    QLinearGradient edge(QPointF(0, 0), QPointF(s.width(), 0));
    QColor clear = colour::kAccent;
    clear.setAlpha(0);
    QColor mid = colour::kAccent;
    mid.setAlpha(110);
    edge.setColorAt(0.0, clear);
    edge.setColorAt(0.5, mid);
    edge.setColorAt(1.0, clear);
    p.fillRect(QRectF(0, 0, s.width(), 1), edge);
}

// The application's picture: a keyboard with a mouse in front, on a dark
// rounded square.
void appIcon(QPainter& p, QSizeF s)
{
    const qreal w = s.width();
    const QRectF tile(w * 0.04, w * 0.04, w * 0.92, w * 0.92);
    QLinearGradient g(tile.topLeft(), tile.bottomLeft());
    g.setColorAt(0.0, QColor(0x2B, 0x31, 0x39));
    g.setColorAt(1.0, QColor(0x15, 0x18, 0x1C));
    p.setPen(QPen(colour::kAccentDeep, w * 0.015));
    p.setBrush(g);
    p.drawRoundedRect(tile, w * 0.18, w * 0.18);
    keyboardShape(p, QRectF(w * 0.12, w * 0.24, w * 0.62, w * 0.36), colour::kActiveLine, w * 0.03);
    // The mouse, in the accent colour, overlapping the keyboard's corner.
    const QRectF body(w * 0.60, w * 0.44, w * 0.26, w * 0.40);
    p.setPen(QPen(QColor(0x15, 0x18, 0x1C), w * 0.04));
    p.setBrush(colour::kAccent);
    p.drawRoundedRect(body, w * 0.13, w * 0.13);
    p.setPen(QPen(QColor(0x15, 0x18, 0x1C), w * 0.02));
    p.drawLine(QPointF(body.center().x(), body.top()), QPointF(body.center().x(), body.top() + body.height() * 0.38));
    p.drawLine(QPointF(body.left(), body.top() + body.height() * 0.38),
               QPointF(body.right(), body.top() + body.height() * 0.38));
}

const std::map<QString, Painter>& painters()
{
    static const std::map<QString, Painter> table = [] {
        std::map<QString, Painter> t;
        auto glyph = [](auto f) {
            return [f](QPainter& p, QSizeF s, const QColor& c) { f(p, s, c); };
        };
        const std::pair<const char*, std::function<void(QPainter&, QSizeF, const QColor&)>> tabs[] = {
            {"TAB_Icon_APC TAB", glyph(apcGlyph)},
            {"TAB_Icon_Key Lock TAB", glyph(lockGlyph)},
            {"TAB_Icon_Setting", glyph(gearGlyph)},
            {"TAB_Icon_Button TAB", [](QPainter& p, QSizeF s, const QColor& c) { mouseGlyph(p, s, c, true); }},
            {"TAB_Icon_LED TAB", glyph(ledGlyph)},
            {"TAB_Icon_Sensor TAB", glyph(sensorGlyph)},
        };
        for (const auto& [stem, f] : tabs) {
            t[QString::fromLatin1(stem) + QLatin1String(" active.png")] = tabIcon(f, true);
            t[QString::fromLatin1(stem) + QLatin1String(" not active.png")] = tabIcon(f, false);
        }
        t[QStringLiteral("TriangleDown.png")] = triangleDown;
        t[QStringLiteral("MainBackground.png")] = mainBackground;
        t[QStringLiteral("VX_RGB_ICON_Lock_Enable.png")] = switchImage(colour::kAccent, true);
        t[QStringLiteral("VX_RGB_ICON_Lock_Disable.png")] = switchImage(colour::kAccent, false);
        t[QStringLiteral("VX_MOUSE_DPI-blue.png")] = switchImage(QColor(0x2F, 0x7D, 0xF6), true);
        t[QStringLiteral("VX_MOUSE_DPI-green.png")] = switchImage(QColor(0x2E, 0xC2, 0x5A), true);
        t[QStringLiteral("VX_MOUSE_DPI-purple.png")] = switchImage(QColor(0xA3, 0x5B, 0xF0), true);
        t[QStringLiteral("VX_MOUSE_DPI-yellow.png")] = switchImage(QColor(0xE8, 0xC2, 0x2A), true);
        t[QStringLiteral("VX_MOUSE_DPI-off.png")] = switchImage(colour::kAccent, false);
        t[QStringLiteral("VX_MOUSE_DPI_ON.png")] = radioImage(true);
        t[QStringLiteral("VX_MOUSE_DPI_OFF.png")] = radioImage(false);
        t[QStringLiteral("VX_MOUSE_LOD_LOW active.png")] = liftOffImage(false, true);
        t[QStringLiteral("VX_MOUSE_LOD_LOW not active.png")] = liftOffImage(false, false);
        t[QStringLiteral("VX_MOUSE_LOD_HIGH active.png")] = liftOffImage(true, true);
        t[QStringLiteral("VX_MOUSE_LOD_HIGH not active.png")] = liftOffImage(true, false);
        t[QStringLiteral("savekeyboard_KeyBoard_ICON")] = sendImage(true);
        t[QStringLiteral("savemouse_Mouse_ICON")] = sendImage(false);
        t[QStringLiteral("LedBrightnessMin.png")] = brightnessImage(false);
        t[QStringLiteral("LedBrightnessMax.png")] = brightnessImage(true);
        t[QStringLiteral("AppIcon.png")] = appIcon;
        return t;
    }();
    return table;
}

QImage render(const Painter& painter, QSizeF points, qreal scale)
{
    QImage image(qRound(points.width() * scale), qRound(points.height() * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    painter(p, points);
    p.end();
    return image;
}

} // namespace

QImage drawAppImage(const QString& name, int width, int height, int scale)
{
    const auto it = painters().find(name);
    if (it == painters().end())
        return {};
    return render(it->second, QSizeF(width, height), scale);
}

QImage drawAppIcon(int pixels)
{
    // Drawn in a 128-point square so line widths keep their proportions.
    return render(appIcon, QSizeF(128, 128), pixels / 128.0);
}

} // namespace mkimages
