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

std::unique_ptr<FunctionPanel> createFunctionPanel(FunctionTab tab, IDialogHost& host)
{
    switch (tab) {
    case FunctionTab::MButtonSetting:
        return std::make_unique<FunctionMButtonSettingController>(host);
    case FunctionTab::MLedSetting:
        return std::make_unique<FunctionMLedSettingController>(host);
    case FunctionTab::MSensorSetting:
        return std::make_unique<FunctionMSensorSettingController>(host);
    case FunctionTab::MOtherSetting:
        return std::make_unique<FunctionMOtherSettingController>(host);
    case FunctionTab::OtherSetting:
        return std::make_unique<FunctionOtherSettingController>(host);
    case FunctionTab::ApcSetting:
        return std::make_unique<FunctionApcSettingController>(host);
    case FunctionTab::GamingSetting:
        return std::make_unique<FunctionGamingSettingController>(host);
    default:
        return std::make_unique<PanelHost>(tab, *host.bodyView());
    }
}
