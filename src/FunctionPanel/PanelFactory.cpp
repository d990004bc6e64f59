// The one place where a tab is bound to its setting panel.
#include "FunctionPanel/FunctionPanel.h"
#include "FunctionPanel/FunctionApcSettingController.h"
#include "FunctionPanel/FunctionGamingSettingController.h"
#include "FunctionPanel/PanelHost.h"

std::unique_ptr<FunctionPanel> createFunctionPanel(FunctionTab tab, MainViewController& controller)
{
    (void)controller;
    switch (tab) {
    case FunctionTab::ApcSetting:
        return std::make_unique<FunctionApcSettingController>(controller);
    case FunctionTab::GamingSetting:
        return std::make_unique<FunctionGamingSettingController>(controller);
    case FunctionTab::OtherSetting:
    case FunctionTab::MButtonSetting:
    case FunctionTab::MLedSetting:
    case FunctionTab::MSensorSetting:
    case FunctionTab::MOtherSetting:
    default:
        return std::make_unique<PanelHost>(tab);
    }
}
