#include "KeyboardView.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardCropView.h"
#include "KeyboardIlluminationView.h"
#include "KeyboardLegendView.h"
#include "KeyboardViewDelegate.h"
#include "UiLayout.h"

#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>

KeyboardView::KeyboardView(QWidget* parent)
    : QWidget(parent)
    , illumination_(new KeyboardIlluminationView(this))
    , legend_(new KeyboardLegendView(this))
    , crop_(new KeyboardCropView(this))
{
    // Body and key tops are painted by this view; the tints lie above them,
    // the legends of tinted keys above the tints and the selection frame on
    // top.
    legend_->raise();
    crop_->raise();
    crop_->keyboardRect = layout::kKeyboardSelectArea;
    crop_->clearCrop();
    clearKeySelectFlags();
}

KeyboardView::~KeyboardView() = default;

void KeyboardView::setKeyboardImages(const QImage& body, const QImage& keytops)
{
    if (!adoptPictures(body.cacheKey(), keytops.cacheKey()))
        return;
    bodyImage_ = body;
    buttonImage_ = keytops;
    bodyPicture_ = keytopsPicture_ = PackagePicture();
}

void KeyboardView::setKeyboardImages(const PackagePicture& body, const PackagePicture& keytops)
{
    if (!adoptPictures(body.image().cacheKey(), keytops.image().cacheKey()))
        return;
    bodyImage_ = buttonImage_ = QImage();
    bodyPicture_ = body;
    keytopsPicture_ = keytops;
}

bool KeyboardView::adoptPictures(qint64 body, qint64 keytops)
{
    // The mouse panels show their picture again after every read of the
    // mouse, once a second: the pictures already shown are neither composed
    // nor painted again.
    if (body == bodyKey_ && keytops == keytopsKey_)
        return false;
    bodyKey_ = body;
    keytopsKey_ = keytops;
    // Composed when next painted: a view that is not shown costs nothing,
    // and no longer holds what it composed of the pictures before.
    composition_.reset();
    composed_ = QPixmap();
    legend_->setInk(QPixmap());
    composedStale_ = true;
    update();
    return true;
}

struct KeyboardComposition {
    qint64 body = 0;
    qint64 keytops = 0;
    QSize pixels;
    qreal ratio = 1;
    QPixmap picture; // body and key tops
    QPixmap ink;     // the legend ink of the key tops
};

namespace {

// The last composition made, shared while a view holds it: a keyboard's
// panels show the same pictures in the same size.
std::weak_ptr<const KeyboardComposition> lastComposition;

// The last composition when it is of the pictures of cache keys `body` and
// `keytops` in `pixels` at pixel density `ratio`; null otherwise.
std::shared_ptr<const KeyboardComposition> sharedComposition(qint64 body, qint64 keytops, QSize pixels, qreal ratio)
{
    auto shared = lastComposition.lock();
    if (shared && shared->body == body && shared->keytops == keytops && shared->pixels == pixels &&
        qFuzzyCompare(shared->ratio, ratio))
        return shared;
    return nullptr;
}

// Body and key tops drawn together in `pixels` at pixel density `ratio`,
// with the legend ink of the key tops; `keys` are the pictures' identity.
std::shared_ptr<const KeyboardComposition> compose(const QImage& body, const QImage& keytops,
                                                   std::pair<qint64, qint64> keys, QSize pixels, qreal ratio)
{
    auto made = std::make_shared<KeyboardComposition>();
    made->body = keys.first;
    made->keytops = keys.second;
    made->pixels = pixels;
    made->ratio = ratio;
    const auto draw = [pixels](QImage& canvas, const QImage& picture) {
        QPainter p(&canvas);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(QRectF(QPointF(0, 0), QSizeF(pixels)), picture);
    };
    if (keytops.isNull() && body.size() == pixels && qFuzzyCompare(body.devicePixelRatio(), ratio) &&
        body.format() == QImage::Format_ARGB32_Premultiplied) {
        // A lone picture already of the view's pixels (a mouse picture of
        // the screen's density) is shown as it is: the pixmap shares its
        // pixels instead of holding a second copy.
        made->picture = QPixmap::fromImage(body);
    } else {
        QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
        // Both pictures fill the view, the key tops above the body.
        for (const QImage* image : {&body, &keytops})
            if (!image->isNull())
                draw(canvas, *image);
        made->picture = QPixmap::fromImage(std::move(canvas));
    }
    made->picture.setDevicePixelRatio(ratio);

    // The legend ink of the key tops, in the same size and density.
    if (!keytops.isNull()) {
        QImage scaled(pixels, QImage::Format_ARGB32_Premultiplied);
        scaled.fill(Qt::transparent);
        draw(scaled, keytops);
        made->ink = QPixmap::fromImage(KeyboardLegendView::legendInk(scaled));
        made->ink.setDevicePixelRatio(ratio);
    }
    lastComposition = made;
    return made;
}

} // namespace

void KeyboardView::rebuildComposed()
{
    composedStale_ = false;
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (pixels.isEmpty() || (bodyKey_ == 0 && keytopsKey_ == 0)) {
        composition_.reset();
        composed_ = QPixmap();
        legend_->setInk(QPixmap());
        return;
    }
    composition_ = sharedComposition(bodyKey_, keytopsKey_, pixels, ratio);
    if (!composition_) {
        const bool package = !bodyPicture_.isNull() || !keytopsPicture_.isNull();
        composition_ = compose(package ? bodyPicture_.image() : bodyImage_,
                               package ? keytopsPicture_.image() : buttonImage_, {bodyKey_, keytopsKey_}, pixels,
                               ratio);
    }
    // Package pictures are decoded again only to be drawn anew.
    bodyPicture_.forgetUnlessShown();
    keytopsPicture_.forgetUnlessShown();
    composed_ = composition_->picture;
    legend_->setInk(composition_->ink);
}

void KeyboardView::updateOverlays(const QRectF& dirty)
{
    if (dirty.isEmpty())
        return;
    const QRect area = dirty.toAlignedRect();
    illumination_->update(area);
    legend_->update(area);
    crop_->update(area);
}

void KeyboardView::showBodyImageOnly(const QImage& image)
{
    setKeyboardImages(image, QImage());
}

void KeyboardView::redrawKeys()
{
    illumination_->update();
    legend_->update();
    crop_->update();
}

void KeyboardView::clearSelection()
{
    crop_->clearCrop();
    clearKeySelectFlags();
    illumination_->update();
    legend_->update();
}

qreal KeyboardView::flipHeight() const
{
    const qreal main = AppParam::mainFrame.height();
    return main > 0 ? main : qreal(height());
}

QPointF KeyboardView::toModelPoint(QPointF widgetPoint) const
{
    return QPointF(widgetPoint.x(), flipHeight() - widgetPoint.y());
}

std::shared_ptr<KeyboardEntry> KeyboardView::currentKeyboard()
{
    return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
}

void KeyboardView::clearKeySelectFlags()
{
    if (const auto keyboard = currentKeyboard()) {
        for (KeytopEntry& key : keyboard->keytopList)
            key.select = false;
    }
}

bool KeyboardView::event(QEvent* event)
{
    // Moved to a screen of another pixel density.
    if (event->type() == QEvent::ScreenChangeInternal) {
        composedStale_ = true;
        update();
    }
    return QWidget::event(event);
}

QRegion KeyboardView::takePictureUnder(const QPaintDevice* device)
{
    const QRegion region = device == paintedOn_ ? paintedRegion_ : QRegion();
    paintedOn_ = nullptr;
    paintedRegion_ = QRegion();
    return region;
}

void KeyboardView::paintEvent(QPaintEvent* event)
{
    if (composedStale_)
        rebuildComposed();
    paintedOn_ = nullptr;
    paintedRegion_ = QRegion();
    if (composed_.isNull())
        return;
    QPainter p(this);
    paintedOn_ = p.paintEngine()->paintDevice();
    paintedRegion_ = event->region();
    const QRect area = event->rect();
    const qreal ratio = composed_.devicePixelRatio();
    p.drawPixmap(QRectF(area), composed_,
                 QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio, area.height() * ratio));
}

void KeyboardView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    illumination_->setGeometry(rect());
    legend_->setGeometry(rect());
    crop_->setGeometry(rect());
    composedStale_ = true;
}

void KeyboardView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The pixel density is known for certain once the view is on a screen.
    if (!composed_.isNull() && !qFuzzyCompare(composed_.devicePixelRatio(), devicePixelRatioF()))
        composedStale_ = true;
}

static bool inside(const QRectF& r, QPointF p)
{
    // Half-open: the right and top edges are outside.
    return p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom();
}

void KeyboardView::mousePressEvent(QMouseEvent* event)
{
    isMouseCaptured_ = false;
    if (event->button() == Qt::LeftButton) {
        const QPointF at = toModelPoint(event->position());
        if (AppParam::appCropMode != CropMode::None && inside(crop_->keyboardRect, at)
            && !(AppParam::paintColor == AppColor::clear())) {
            isMouseCaptured_ = true;
            clearKeySelectFlags();
            _originalMouseLocation = at;
            // The flags cleared above may have been those of a gesture that
            // never ended; redraw everything once.
            crop_->setCrop(at, at);
            illumination_->update();
            legend_->update();
            crop_->update();
        }
    }
    QWidget::mousePressEvent(event);
    emit pressed();
}

void KeyboardView::mouseMoveEvent(QMouseEvent* event)
{
    // Only drags with the left button extend a band; in PushButton mode only
    // the key under the press counts.
    if (isMouseCaptured_ && (event->buttons() & Qt::LeftButton)
        && (AppParam::appCropMode == CropMode::Area || AppParam::appCropMode == CropMode::AreaButton)) {
        crop_->setCrop(_originalMouseLocation, toModelPoint(event->position()));
        updateOverlays(crop_->changedArea());
    }
    QWidget::mouseMoveEvent(event);
}

void KeyboardView::mouseReleaseEvent(QMouseEvent* event)
{
    if (isMouseCaptured_ && event->button() == Qt::LeftButton) {
        // The delegate may run a device command, and a failed one the
        // recovery, which can replace the device or even the window; only
        // what is still there is cleared afterwards.
        QPointer<KeyboardView> self(this);
        if (delegate)
            delegate->applyKeySelect(this);
        if (!self)
            return;
        crop_->clearCrop();
        clearKeySelectFlags();
        illumination_->update();
        legend_->update();
        crop_->update();
    }
    QWidget::mouseReleaseEvent(event);
}
