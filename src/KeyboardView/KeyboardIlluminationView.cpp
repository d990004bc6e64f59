#include "KeyboardIlluminationView.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardView.h"
#include "UiLayout.h"

#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
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

QRectF KeyboardIlluminationView::keyBounds(const KeytopEntry& key)
{
    QRectF bounds;
    for (const QRectF& r : key.keytop)
        bounds = bounds.isEmpty() ? r : bounds.united(r);
    return bounds;
}

QPainterPath KeyboardIlluminationView::keyShape(const KeytopEntry& key)
{
    QPainterPath shape;
    shape.setFillRule(Qt::WindingFill);
    for (const QRectF& r : key.keytop)
        shape.addRect(r);
    return shape;
}

namespace {

// How many tint colours keep their tinted picture: the most one mode shows
// (three APC levels) and the paint colour of a selection.
constexpr size_t kTintedPictures = 4;

// The painter state in which the tints are drawn, in the key rectangles'
// own bottom-left coordinates (y up, `flipHeight` high), on a device whose
// top-left corner lies at `origin` of the view.
void setUpTintPainter(QPainter& p, qreal flipHeight, QPointF origin = {})
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    // Overlay darkens or lightens by what lies beneath: dark cap pixels are
    // multiplied by the tint, light legend pixels screened by it. A plain
    // blend would wash the legend into the tint (light red on red).
    p.setCompositionMode(QPainter::CompositionMode_Overlay);
    p.setTransform(QTransform(1, 0, 0, -1, 0, flipHeight) * QTransform::fromTranslate(-origin.x(), -origin.y()));
}

// The widened rectangle the glow of a key spans, in key coordinates.
QRectF glowArea(const KeytopEntry& key)
{
    const qreal g = layout::kKeyGlowGrow;
    return KeyboardIlluminationView::keyBounds(key).adjusted(-g, -g, g, g);
}

// One key's glow, cut to the key's shape, with a painter set up by
// setUpTintPainter.
void fillGlow(QPainter& p, const KeytopEntry& key, const QColor& colour)
{
    // One glow over the widened bounding rectangle, from the key colour at
    // its centre to clear at the farthest corner, the outer circle shifted
    // up by a quarter of the half-height.
    const QRectF area = glowArea(key);
    const QPointF centre = area.center();
    const QPointF outer = centre + QPointF(0, layout::kKeyGlowCentreShift * area.height() / 2);
    qreal radius = 0;
    for (const QPointF& c : {area.topLeft(), area.topRight(), area.bottomLeft(), area.bottomRight()})
        radius = std::max(radius, std::hypot(c.x() - outer.x(), c.y() - outer.y()));
    QRadialGradient glow(outer, radius, centre);
    glow.setColorAt(0.0, colour);
    glow.setColorAt(1.0, AppParam::ColorButtonClear.toQColor());
    p.fillPath(KeyboardIlluminationView::keyShape(key), glow);
}

bool opaque(const QImage& image, const QRect& r)
{
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = r.left(); x <= r.right(); ++x)
            if (qAlpha(line[x]) != 255)
                return false;
    }
    return true;
}

} // namespace

void KeyboardIlluminationView::prepareTintCache(const std::shared_ptr<const KeyboardEntry>& model)
{
    const KeyboardEntry& keyboard = *model;
    const QPixmap& picture = picture_->composedPicture();
    const qreal ratio = picture.devicePixelRatio();
    const int wholeRatio = qRound(ratio);
    if (picture.cacheKey() == cachedPicture_ && cachedKeyboard_.lock() == model &&
        cachedFlipHeight_ == picture_->flipHeight() && keyPixels_.size() == keyboard.keytopList.size())
        return;
    cachedPicture_ = picture.cacheKey();
    cachedKeyboard_ = model;
    cachedFlipHeight_ = picture_->flipHeight();
    cachedRatio_ = wholeRatio;
    tinted_.clear();
    keyPixels_.assign(keyboard.keytopList.size(), QRect());
    tintArea_ = QRect();
    // The picture is laid under the tints pixel for pixel only at a whole
    // density, and only where this layer covers it exactly.
    if (picture.isNull() || wholeRatio < 1 || !qFuzzyCompare(ratio, qreal(wholeRatio)) ||
        picture.size() != size() * wholeRatio)
        return;
    const QImage pixels = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QTransform toPixels =
        QTransform(1, 0, 0, -1, 0, cachedFlipHeight_) * QTransform::fromScale(wholeRatio, wholeRatio);
    // A pixel of antialiased edge beyond the key on every side.
    for (size_t i = 0; i < keyboard.keytopList.size(); ++i) {
        const KeytopEntry& key = keyboard.keytopList[i];
        if (!key.keytop.empty())
            keyPixels_[i] = toPixels.mapRect(keyBounds(key)).toAlignedRect().adjusted(-1, -1, 1, 1);
    }
    std::vector<bool> direct(keyPixels_.size(), false);
    for (size_t i = 0; i < keyPixels_.size(); ++i) {
        if (keyPixels_[i].isEmpty())
            continue;
        if (!pixels.rect().contains(keyPixels_[i]) || !opaque(pixels, keyPixels_[i]))
            direct[i] = true;
        for (size_t j = i + 1; j < keyPixels_.size(); ++j)
            if (keyPixels_[i].intersects(keyPixels_[j]))
                direct[i] = direct[j] = true;
    }
    for (size_t i = 0; i < keyPixels_.size(); ++i) {
        if (direct[i])
            keyPixels_[i] = QRect();
        tintArea_ |= keyPixels_[i];
    }
}

const QImage& KeyboardIlluminationView::tintedPicture(const KeyboardEntry& keyboard, const QColor& colour)
{
    const QRgba64 key = colour.rgba64();
    for (size_t i = 0; i < tinted_.size(); ++i) {
        if (tinted_[i].colour == key) {
            std::rotate(tinted_.begin(), tinted_.begin() + qsizetype(i), tinted_.begin() + qsizetype(i) + 1);
            return tinted_.front().image;
        }
    }
    // Only the part of the picture under the keys: the keys of a keyboard
    // take about two fifths of the view.
    QImage image = picture_->composedPicture().toImage().copy(tintArea_).convertToFormat(
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(cachedRatio_);
    {
        QPainter p(&image);
        setUpTintPainter(p, cachedFlipHeight_, QPointF(tintArea_.topLeft()) / cachedRatio_);
        for (size_t i = 0; i < keyboard.keytopList.size(); ++i)
            if (!keyPixels_[i].isEmpty())
                fillGlow(p, keyboard.keytopList[i], colour);
    }
    // Copied pixel for pixel by a painter without the density's scale.
    image.setDevicePixelRatio(1);
    if (tinted_.size() == kTintedPictures)
        tinted_.pop_back();
    tinted_.insert(tinted_.begin(), Tinted{key, std::move(image)});
    return tinted_.front().image;
}

void KeyboardIlluminationView::paintEvent(QPaintEvent* event)
{
    const auto keyboard = KeyboardView::currentKeyboard();
    if (!keyboard)
        return;
    prepareTintCache(keyboard);
    QPainter p(this);
    // The tinted pixels are copied only over the picture just painted
    // beneath this layer, in the same paint.
    const bool overPicture =
        (event->region() - picture_->takePictureUnder(p.paintEngine()->paintDevice())).isEmpty();
    setUpTintPainter(p, picture_->flipHeight());
    const QTransform flip = p.transform();
    // Only keys whose glow reaches the area being redrawn are drawn.
    const QRectF dirty = flip.inverted().mapRect(QRectF(event->rect()));
    const qreal ratio = std::max(cachedRatio_, 1);
    const QTransform toPixels = QTransform::fromScale(1.0 / ratio, 1.0 / ratio);
    for (size_t i = 0; i < keyboard->keytopList.size(); ++i) {
        const KeytopEntry& key = keyboard->keytopList[i];
        if (key.keytop.empty())
            continue;
        const QColor colour = keyColor(key).toQColor();
        if (!colour.isValid() || colour.alpha() == 0)
            continue; // a glow from clear to clear shows nothing
        if (!glowArea(key).intersects(dirty))
            continue;
        if (overPicture && !keyPixels_[i].isEmpty()) {
            // The key's pixels as the overlay made them over this picture.
            const QImage& tinted = tintedPicture(*keyboard, colour);
            p.save();
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.setTransform(toPixels);
            p.drawImage(keyPixels_[i].topLeft(), tinted, keyPixels_[i].translated(-tintArea_.topLeft()));
            p.restore();
        } else {
            fillGlow(p, key, colour);
        }
    }
}

void KeyboardIlluminationView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    tinted_.clear();
}
