#include "FunctionPanel/PanelHost.h"

#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "MainViewController.h"

#include <QPainter>

PanelHostView::PanelHostView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void PanelHostView::setBodyImage(const QImage& image)
{
    body_ = image;
    update();
}

void PanelHostView::setButtonImage(const QImage& image)
{
    button_ = image;
    update();
}

void PanelHostView::paintEvent(QPaintEvent*)
{
    if (body_.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // The picture at its own size, centred; shrunk only when the body is smaller.
    QSizeF size = body_.size();
    if (size.width() > width() || size.height() > height())
        size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
    const QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
    p.drawImage(target, body_);
    if (!button_.isNull() && button_.size() == body_.size())
        p.drawImage(target, button_);
}

PanelHost::PanelHost(FunctionTab tab) : tab_(tab), view_(new PanelHostView)
{
    view_->setObjectName(QStringLiteral("panelHost%1").arg(int(tab)));
    view_->hide();
}

PanelHost::~PanelHost()
{
    // The view belongs to the window once placed there; otherwise to us.
    if (view_ && !view_->parent())
        delete view_;
}

void PanelHost::initSetting()
{
    SettingsChangedScope keep;
    ++initCount_;
}

QWidget* PanelHost::keyboardView() { return view_; }

SettingsChangedScope::SettingsChangedScope() : device_(AppParam::device)
{
    AppParam::keyboardSettingsChangedStack.push(AppParam::keyboardSettingsChanged);
}

SettingsChangedScope::~SettingsChangedScope()
{
    const bool saved = AppParam::keyboardSettingsChangedStack.pop();
    if (!device_.expired() && device_.lock() == AppParam::device)
        AppParam::keyboardSettingsChanged = saved;
    if (auto* main = MainViewController::instance())
        main->updateKeyboardSettingsChanged();
}
