// The one place where a tab is bound to its setting panel.
#include "FunctionPanel/FunctionPanel.h"
#include "FunctionPanel/FunctionMButtonSettingController.h"
#include "FunctionPanel/FunctionMLedSettingController.h"
#include "FunctionPanel/FunctionMOtherSettingController.h"
#include "FunctionPanel/FunctionMSensorSettingController.h"
#include "FunctionPanel/PanelHost.h"

std::unique_ptr<FunctionPanel> createFunctionPanel(FunctionTab tab, MainViewController& controller)
{
    (void)controller;
    switch (tab) {
    case FunctionTab::MButtonSetting:
        return std::make_unique<FunctionMButtonSettingController>(&controller);
    case FunctionTab::MLedSetting:
        return std::make_unique<FunctionMLedSettingController>(&controller);
    case FunctionTab::MSensorSetting:
        return std::make_unique<FunctionMSensorSettingController>(&controller);
    case FunctionTab::MOtherSetting:
        return std::make_unique<FunctionMOtherSettingController>(&controller);
    case FunctionTab::ApcSetting:
    case FunctionTab::GamingSetting:
    case FunctionTab::OtherSetting:
    default:
        return std::make_unique<PanelHost>(tab);
    }
}
