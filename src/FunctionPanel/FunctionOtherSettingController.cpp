#include "FunctionPanel/FunctionOtherSettingController.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogHooks.h"
#include "KeyboardView/KeyboardView.h"
#include "Platform/Strings.h"

FunctionOtherSettingController::FunctionOtherSettingController(IDialogHost& host)
    : OtherSettingPanel(host, FunctionTab::OtherSetting, QStringLiteral("otherSettingKeyboardView"),
                        QStringLiteral("otherSettingMenu"))
{
    initMenuItem();
}

// ----- menu ---------------------------------------------------------------------

std::vector<FunctionOtherSettingController::MenuRow> FunctionOtherSettingController::menuRows() const
{
    // Top to bottom; the LED row only for keyboards that support indicator
    // LED settings. The titles are the functions' names in the string table.
    constexpr FunctionItem kRows[] = {
        FunctionItem::ToSaveTheDevice, FunctionItem::ToInitialSetting, FunctionItem::CapsLkCtrl,
        FunctionItem::IndicatorLedSettings, FunctionItem::FWUpdate, FunctionItem::FolderSetting,
    };
    const auto kb = currentDevice();
    const bool ledRow = kb && kb->supportIndicatorLedSettings;
    std::vector<MenuRow> rows;
    for (FunctionItem function : kRows) {
        const bool led = function == FunctionItem::IndicatorLedSettings;
        if (led && !ledRow)
            continue;
        const std::string_view name = caseName(function);
        rows.push_back({function, platform::localizedString(QString::fromLatin1(name.data(), qsizetype(name.size()))),
                        !led});
    }
    return rows;
}

void FunctionOtherSettingController::showCapsLockMark(const std::shared_ptr<KeyboardEntry>& kb)
{
    if (menuView_)
        menuView_->checkMenuItem(FunctionItem::CapsLkCtrl,
                                 kb && kb->deviceKeyCodeChange == KeyCodeChange::Enable);
}

void FunctionOtherSettingController::showRowMarks()
{
    showCapsLockMark(currentDevice());
}

void FunctionOtherSettingController::enableMenuItem(bool isEnable)
{
    OtherSettingPanel::enableMenuItem(isEnable);
    if (!isEnable && menuView_)
        menuView_->checkMenuItem(FunctionItem::CapsLkCtrl, false);
}

// ----- tab set-up -----------------------------------------------------------------

void FunctionOtherSettingController::setUpPanel()
{
    AppParam::paintColor = AppColor::clear();
    AppParam::appCropMode = CropMode::None;
    AppParam::keyDrawMode = KeyDrawFrom::None;

    auto kb = currentDevice();
    // A keyboard waiting for its firmware update refuses everything but the
    // update: it is asked nothing, and the mark shows the model's value.
    const bool asks = kb && !kb->awaitsFirmwareUpdate();
    if (asks) {
        // A failed read is not reported here; the mark keeps the model's value.
        (void)kb->loadDeviceStatus(DeviceParamPart::KeyCodeChangeStatus);
    }
    clearRowMarks();
    if (isCurrentDevice(kb))
        showCapsLockMark(kb);
    enableMenuItem(true);

    if (asks && isCurrentDevice(kb))
        (void)settleDeviceCall(kb->stopEffect(), kb);
    if (view_)
        view_->redrawKeys();
}

// ----- actions ---------------------------------------------------------------------

void FunctionOtherSettingController::clickTabMenuItem(QObject* id, FunctionItem function)
{
    switch (function) {
    case FunctionItem::CapsLkCtrl:
        if (auto kb = settingDevice())
            toggleKeyCodeChange(kb);
        break;
    case FunctionItem::IndicatorLedSettings:
        openIndicatorLedSettings();
        break;
    default:
        OtherSettingPanel::clickTabMenuItem(id, function);
        break;
    }
}

void FunctionOtherSettingController::factorySettingRead()
{
    // The keys show the levels the keyboard holds now.
    if (view_)
        view_->redrawKeys();
}

void FunctionOtherSettingController::toggleKeyCodeChange(const std::shared_ptr<KeyboardEntry>& kb)
{
    kb->deviceKeyCodeChange = kb->deviceKeyCodeChange == KeyCodeChange::Enable ? KeyCodeChange::Disable
                                                                                : KeyCodeChange::Enable;
    kb->hidWait();
    const CallOutcome outcome = settleChange(kb->CMD_SetKeyCodeChange(kb->deviceKeyCodeChange), kb);
    // The mark follows the model, also after a failure; after a recovery
    // the menu shows the keyboard connected now.
    showCapsLockMark(outcome == CallOutcome::Replaced ? currentDevice() : kb);
}

void FunctionOtherSettingController::openIndicatorLedSettings()
{
    // Only a connected keyboard has indicator LEDs to set.
    if (!settingDevice() || !dialogHooks().indicatorLedSettings)
        return;
    (void)runMaskedDialog(host_, dialogHooks().indicatorLedSettings);
}
