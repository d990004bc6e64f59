// The one place where a tab is bound to its setting panel.
#include "FunctionPanel/FunctionPanel.h"
#include "FunctionPanel/FunctionApcSettingController.h"
#include "FunctionPanel/FunctionGamingSettingController.h"
#include "FunctionPanel/FunctionMButtonSettingController.h"
#include "FunctionPanel/FunctionMLedSettingController.h"
#include "FunctionPanel/FunctionMOtherSettingController.h"
#include "FunctionPanel/FunctionMSensorSettingController.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "FunctionPanel/PanelHost.h"
#include "MainView.h"
#include "MainViewController.h"

std::unique_ptr<FunctionPanel> createFunctionPanel(FunctionTab tab, MainViewController& controller)
{
    switch (tab) {
    case FunctionTab::MButtonSetting:
        return std::make_unique<FunctionMButtonSettingController>(controller);
    case FunctionTab::MLedSetting:
        return std::make_unique<FunctionMLedSettingController>(controller);
    case FunctionTab::MSensorSetting:
        return std::make_unique<FunctionMSensorSettingController>(controller);
    case FunctionTab::MOtherSetting:
        return std::make_unique<FunctionMOtherSettingController>(controller);
    case FunctionTab::OtherSetting:
        return std::make_unique<FunctionOtherSettingController>(controller);
    case FunctionTab::ApcSetting:
        return std::make_unique<FunctionApcSettingController>(controller);
    case FunctionTab::GamingSetting:
        return std::make_unique<FunctionGamingSettingController>(controller);
    default:
        return std::make_unique<PanelHost>(tab, *controller.mainView);
    }
}
