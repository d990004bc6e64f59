#include "KeyboardView.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardCropView.h"
#include "KeyboardIlluminationView.h"
#include "KeyboardViewDelegate.h"
#include "UiLayout.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

KeyboardView::KeyboardView(QWidget* parent)
    : QWidget(parent)
    , illumination_(new KeyboardIlluminationView(this))
    , crop_(new KeyboardCropView(this))
{
    // Body and key tops are painted by this view; the tints lie above them
    // and the selection frame above the tints.
    crop_->raise();
    crop_->keyboardRect = layout::kKeyboardSelectArea;
    crop_->clearCrop();
    clearKeySelectFlags();
}

KeyboardView::~KeyboardView() = default;

void KeyboardView::setBodyImage(const QImage& image)
{
    bodyImage_ = image;
    update();
}

void KeyboardView::setButtonImage(const QImage& image)
{
    buttonImage_ = image;
    update();
}

void KeyboardView::setKeyboardImages(const QImage& body, const QImage& keytops)
{
    bodyImage_ = body;
    buttonImage_ = keytops;
    update();
}

void KeyboardView::showBodyImageOnly(const QImage& image)
{
    setKeyboardImages(image, QImage());
}

void KeyboardView::clearSelection()
{
    crop_->clearCrop();
    clearKeySelectFlags();
    illumination_->update();
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

void KeyboardView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Both pictures fill the view, the key tops above the body.
    if (!bodyImage_.isNull())
        p.drawImage(QRectF(rect()), bodyImage_);
    if (!buttonImage_.isNull())
        p.drawImage(QRectF(rect()), buttonImage_);
}

void KeyboardView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    illumination_->setGeometry(rect());
    crop_->setGeometry(rect());
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
            if (crop_->setCrop(at, at))
                illumination_->update();
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
        illumination_->update();
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
    }
    QWidget::mouseReleaseEvent(event);
}
