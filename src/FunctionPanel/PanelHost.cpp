#include "FunctionPanel/PanelHost.h"

#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "MainViewController.h"


PanelHost::PanelHost(FunctionTab tab, QWidget& window)
    : tab_(tab), view_(makeWindowView<KeyboardView>(window))
{
    view_->setObjectName(QStringLiteral("panelHost%1").arg(int(tab)));
}

void PanelHost::initSetting()
{
    SettingsChangedScope keep;
    ++initCount_;
}

void retireWindowView(QWidget* view)
{
    if (!view)
        return;
    view->hide();
    view->deleteLater();
}

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
