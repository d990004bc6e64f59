// The one place where a tab is bound to its setting panel.
#include "FunctionPanel/FunctionPanel.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "FunctionPanel/PanelHost.h"

std::unique_ptr<FunctionPanel> createFunctionPanel(FunctionTab tab, MainViewController& controller)
{
    switch (tab) {
    case FunctionTab::OtherSetting:
        return std::make_unique<FunctionOtherSettingController>(controller);
    case FunctionTab::ApcSetting:
    case FunctionTab::GamingSetting:
    case FunctionTab::MButtonSetting:
    case FunctionTab::MLedSetting:
    case FunctionTab::MSensorSetting:
    case FunctionTab::MOtherSetting:
    default:
        return std::make_unique<PanelHost>(tab);
    }
}
