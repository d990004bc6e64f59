#include "KeyboardLegendView.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardIlluminationView.h"
#include "KeyboardView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// The lightest grey of a cap (its top face) and the grey from which a pixel
// counts as legend ink entirely; the legends are near white.
constexpr int kCapCeiling = 96;
constexpr int kInkFloor = 220;
const QColor kInk(242, 244, 247);

} // namespace

KeyboardLegendView::KeyboardLegendView(KeyboardView* picture) : QWidget(picture), picture_(picture)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

QImage KeyboardLegendView::legendInk(const QImage& keytops)
{
    if (keytops.isNull())
        return QImage();
    const QImage source = keytops.convertToFormat(QImage::Format_ARGB32);
    QImage ink(source.size(), QImage::Format_ARGB32);
    ink.setDevicePixelRatio(keytops.devicePixelRatio());
    // How much of a pixel is ink, by its lightest channel.
    static const std::array<uint8_t, 256> coverOf = [] {
        std::array<uint8_t, 256> table{};
        for (int light = 0; light < 256; ++light)
            table[size_t(light)] =
                uint8_t(std::clamp((light - kCapCeiling) * 255 / (kInkFloor - kCapCeiling), 0, 255));
        return table;
    }();
    const QRgb colour = kInk.rgb() & RGB_MASK;
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(ink.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb px = in[x];
            const unsigned r = (px >> 16) & 0xFF, g = (px >> 8) & 0xFF, b = px & 0xFF;
            const unsigned light = r > g ? (r > b ? r : b) : (g > b ? g : b);
            const unsigned alpha = unsigned(coverOf[light]) * (px >> 24) / 255;
            out[x] = colour | (alpha << 24);
        }
    }
    return ink;
}

void KeyboardLegendView::setInk(const QPixmap& ink)
{
    ink_ = ink;
    update();
}

void KeyboardLegendView::paintEvent(QPaintEvent* event)
{
    const auto keyboard = KeyboardView::currentKeyboard();
    if (!keyboard || ink_.isNull())
        return;
    QPainter p(this);
    const qreal ratio = ink_.devicePixelRatio();
    const QTransform flip(1, 0, 0, -1, 0, picture_->flipHeight());
    const QRect dirty = event->rect();
    for (const KeytopEntry& key : keyboard->keytopList) {
        if (key.keytop.empty())
            continue;
        const QColor tint = KeyboardIlluminationView::keyColor(key).toQColor();
        if (!tint.isValid() || tint.alpha() == 0)
            continue; // an untinted key shows its legend as the picture has it
        const QRectF onScreen = flip.mapRect(KeyboardIlluminationView::keyBounds(key));
        const QRect area = onScreen.toAlignedRect().intersected(dirty);
        if (area.isEmpty())
            continue;
        // The ink is cut to the key's shape. A key of one rectangle is cut
        // by that rectangle, which the painter applies as it stands; a key
        // of several (an L-shaped one) by their union as a path, which the
        // painter rasterises into a mask first, costly enough to be kept
        // for those few keys.
        if (key.keytop.size() == 1) {
            p.setClipRect(onScreen);
        } else {
            p.setClipPath(flip.map(KeyboardIlluminationView::keyShape(key)));
        }
        p.drawPixmap(QRectF(area), ink_,
                     QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
    }
}
