#include "FunctionPanel/MouseSettingPanel.h"

#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "Device/MouseEntry.h"
#include "FunctionPanel/MouseSettingsRefresh.h"
#include "Platform/Clock.h"
#include "UiLayout.h"

#include <QLabel>

namespace {

constexpr platform::Seconds kPollingInterval{1.0};

} // namespace

MouseSettingPanel::MouseSettingPanel(IDialogHost& host, const QString& viewName, const MousePanelPicture& picture)
    : host_(host), picture_(picture)
{
    auto* view = makeWindowView<MousePanelView>(*host.bodyView());
    view->setObjectName(viewName);
    view_ = view;

    pollingTimer_.setSingleShot(false);
    connect(&pollingTimer_, &QTimer::timeout, this, [this] { polingDeviceTimer(); });
    connect(view, &MousePanelView::appeared, this,
            [this] { pollingTimer_.start(platform::scaledMs(kPollingInterval)); });
    connect(view, &MousePanelView::disappeared, this, [this] { pollingTimer_.stop(); });
}

MouseSettingPanel::~MouseSettingPanel()
{
    pollingTimer_.stop();
    // The view stays with the window; only its ties to this panel go.
    if (view_)
        view_->disconnect(this);
}

KeyboardView* MouseSettingPanel::keyboardView() { return view_.data(); }

void MouseSettingPanel::tabHidden() { letGoOfMousePicture(view_); }

void MouseSettingPanel::setUpPanel()
{
    // The picture first: a slow or failing read still leaves it shown.
    showPicture();
    AppParam::paintColor = AppColor::clear();
    initDialogItem();
    auto mouse = currentMouse();
    if (!mouse)
        return;
    showMouseSettings(*mouse);
    readMouseSettings();
}

void MouseSettingPanel::setStateImage(ImageStateButton* button, bool state, const QString& label,
                                      const QString& onImageName, const QString& offImageName)
{
    button->setImage(ui::appImage(state ? onImageName : offImageName));
    button->setTitleColor(state ? QColor(Qt::white) : QColor(Qt::gray));
    button->setText(label);
    button->setAccessibleName(label);
}

void MouseSettingPanel::placeCaption(QLabel* caption, QLatin1StringView part)
{
    const auto mouse = currentMouse();
    if (!caption || !mouse)
        return;
    for (const MButtonEntry& entry : mouse->buttonList) {
        if (entry.name != part)
            continue;
        const QRectF& r = entry.margin;
        caption->move(QPointF(r.x(), r.y() + r.height() + layout::kMPictureCaptionGap).toPoint());
    }
}

void MouseSettingPanel::polingDeviceTimer()
{
    if (isPolingSuspend_)
        return;
    auto mouse = currentMouse();
    if (!mouse || mouse->isRunConnecting)
        return;
    readMouseSettings();
}
