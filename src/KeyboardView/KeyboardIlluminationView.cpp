#include "KeyboardIlluminationView.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardView.h"
#include "UiLayout.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

KeyboardIlluminationView::KeyboardIlluminationView(KeyboardView* picture)
    : QWidget(picture)
    , picture_(picture)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

AppColor KeyboardIlluminationView::keyColor(const KeytopEntry& key)
{
    const bool button = key.type == KeytopEntryType::Button;
    AppColor colour = AppParam::ColorButtonClear;
    switch (AppParam::keyDrawMode) {
    case KeyDrawFrom::KeyLock:
        // A selected key previews the state it gets when the selection is
        // applied: locked keys turn clear, unlocked keys take the lock colour.
        if (button && ((key.lock == KeytopLock::Lock) != key.select))
            colour = AppParam::ColorButtonKeyLock;
        return colour;
    case KeyDrawFrom::ApcLevelCollective:
        if (button)
            colour = AppParam::paintColor;
        break;
    case KeyDrawFrom::ApcLevelSeparate:
        if (button) {
            switch (key.apcLevel) {
            case ApcLevel::Low: colour = AppParam::ColorButtonApcLow; break;
            case ApcLevel::Middle: colour = AppParam::ColorButtonApcMiddle; break;
            case ApcLevel::High: colour = AppParam::ColorButtonApcHigh; break;
            case ApcLevel::None: break;
            }
        }
        break;
    default:
        break;
    }
    if (button && key.select)
        colour = AppParam::paintColor;
    return colour;
}

void KeyboardIlluminationView::paintEvent(QPaintEvent* event)
{
    const auto keyboard = KeyboardView::currentKeyboard();
    if (!keyboard)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    // Overlay darkens or lightens by what lies beneath: dark cap pixels are
    // multiplied by the tint, light legend pixels screened by it. A plain
    // blend would wash the legend into the tint (light red on red).
    p.setCompositionMode(QPainter::CompositionMode_Overlay);
    // Drawn in the key rectangles' own bottom-left coordinates.
    const QTransform flip(1, 0, 0, -1, 0, picture_->flipHeight());
    p.setTransform(flip);
    // Only keys whose glow reaches the area being redrawn are drawn.
    const QRectF dirty = flip.inverted().mapRect(QRectF(event->rect()));
    for (const KeytopEntry& key : keyboard->keytopList) {
        if (key.keytop.empty())
            continue;
        const AppColor appColour = keyColor(key);
        const QColor colour = appColour.toQColor();
        if (!colour.isValid() || colour.alpha() == 0)
            continue; // a glow from clear to clear shows nothing
        // The key's shape: all its rectangles, filled by the winding rule so
        // overlapping parts of an L-shaped key stay filled.
        QPainterPath shape;
        shape.setFillRule(Qt::WindingFill);
        QRectF bounds;
        for (const QRectF& r : key.keytop) {
            shape.addRect(r);
            bounds = bounds.isEmpty() ? r : bounds.united(r);
        }
        // One glow over the widened bounding rectangle, from the key colour
        // at its centre to clear at the farthest corner, the outer circle
        // shifted up by a quarter of the half-height.
        const qreal g = layout::kKeyGlowGrow;
        const QRectF area = bounds.adjusted(-g, -g, g, g);
        if (!area.intersects(dirty))
            continue;
        const QPointF centre = area.center();
        const QPointF outer = centre + QPointF(0, layout::kKeyGlowCentreShift * area.height() / 2);
        qreal radius = 0;
        for (const QPointF& c : {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()})
            radius = std::max(radius, std::hypot(c.x() - outer.x(), c.y() - outer.y()));
        QRadialGradient glow(outer, radius, centre);
        glow.setColorAt(0.0, colour);
        glow.setColorAt(1.0, AppParam::ColorButtonClear.toQColor());
        p.fillPath(shape, glow);
    }
}
