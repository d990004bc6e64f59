#include "FunctionPanel/FunctionMOtherSettingController.h"

#include "AppParam.h"
#include "Device/MouseEntry.h"
#include "FunctionPanel/MouseSettingsRefresh.h"
#include "Platform/Strings.h"
#include "XML/MouseTabPictures.h"

namespace {

const MousePanelPicture settingPicture{FunctionTab::MOtherSetting, [](const MouseTabPictures& pictures, const MouseEntry&) {
    return pictures.image(&MouseProfile::TabBodyImagePaths::settingTab);
}};

} // namespace

FunctionMOtherSettingController::FunctionMOtherSettingController(IDialogHost& host)
    : OtherSettingPanel(host, FunctionTab::MOtherSetting, QStringLiteral("mouseOtherPanel"),
                        QStringLiteral("mouseOtherSettingMenu"))
{
    initMenuItem();
}

std::vector<FunctionMOtherSettingController::MenuRow> FunctionMOtherSettingController::menuRows() const
{
    // Top to bottom; every row needs a device.
    auto text = [](const char* key) { return platform::localizedString(QLatin1String(key)); };
    return {
        {FunctionItem::ToSaveTheDevice, text("ToSaveTheMouse")},
        {FunctionItem::ToInitialSetting, text("ToInitialSetting")},
        {FunctionItem::FWUpdate, text("FWUpdate")},
        {FunctionItem::FolderSetting, text("FolderSetting")},
    };
}

void FunctionMOtherSettingController::tabHidden() { letGoOfMousePicture(view_); }

void FunctionMOtherSettingController::setUpPanel()
{
    showMousePicture(view_, settingPicture);
    AppParam::paintColor = AppColor::clear();
    clearRowMarks();
    enableMenuItem(true);
}

void FunctionMOtherSettingController::factorySettingTaken(MouseEntry& mouse)
{
    // Closing without Send puts the stored settings back.
    mouse.mouseSetting_Initialized = true;
}
