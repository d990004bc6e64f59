#include "FunctionPanel/PanelHost.h"

#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "MainViewController.h"


PanelHost::PanelHost(FunctionTab tab) : tab_(tab), view_(new KeyboardView)
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
