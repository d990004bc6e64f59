// The one place where a tab is bound to its setting panel.
#include "FunctionPanel/FunctionPanel.h"
#include "FunctionPanel/PanelHost.h"

std::unique_ptr<FunctionPanel> createFunctionPanel(FunctionTab tab, MainViewController& controller)
{
    (void)controller;
    switch (tab) {
    case FunctionTab::ApcSetting:
    case FunctionTab::GamingSetting:
    case FunctionTab::OtherSetting:
    case FunctionTab::MButtonSetting:
    case FunctionTab::MLedSetting:
    case FunctionTab::MSensorSetting:
    case FunctionTab::MOtherSetting:
    default:
        return std::make_unique<PanelHost>(tab);
    }
}
