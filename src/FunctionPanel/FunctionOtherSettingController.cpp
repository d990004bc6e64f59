#include "FunctionPanel/FunctionOtherSettingController.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogHooks.h"
#include "FunctionPanel/KeyboardPanelSupport.h"
#include "KeyboardView/KeyboardView.h"
#include "Platform/Strings.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"

namespace {

// The rows of the menu, top to bottom; the LED row only for keyboards that
// support indicator LED settings.
constexpr FunctionItem kRows[] = {
    FunctionItem::ToSaveTheDevice, FunctionItem::ToInitialSetting, FunctionItem::CapsLkCtrl,
    FunctionItem::IndicatorLedSettings, FunctionItem::FWUpdate, FunctionItem::FolderSetting,
};
// The rows that need a device, in the order they are switched.
constexpr FunctionItem kDeviceRows[] = {
    FunctionItem::ToSaveTheDevice, FunctionItem::ToInitialSetting, FunctionItem::CapsLkCtrl,
    FunctionItem::FWUpdate, FunctionItem::FolderSetting,
};

std::shared_ptr<KeyboardEntry> currentKeyboard()
{
    return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
}

// The current keyboard when it has an open connection: the device actions
// need one (without it the commands would succeed with nothing sent).
std::shared_ptr<KeyboardEntry> connectedKeyboard()
{
    auto kb = currentKeyboard();
    return kb && kb->hidIsOpened() ? kb : nullptr;
}

} // namespace

FunctionOtherSettingController::FunctionOtherSettingController(IDialogHost& host)
    : host_(host), keyboardView_(makeWindowView<KeyboardView>(*host.bodyView()))
{
    keyboardView_->setObjectName(QStringLiteral("otherSettingKeyboardView"));
    initMenuItem();
}

FunctionOtherSettingController::~FunctionOtherSettingController()
{
    // The picture and the menu stay with the window; only the menu's tie to
    // this panel goes.
    if (menuView_)
        menuView_->delegate = nullptr;
}

KeyboardView* FunctionOtherSettingController::keyboardView() { return keyboardView_.data(); }

// ----- menu ---------------------------------------------------------------------

void FunctionOtherSettingController::initMenuItem()
{
    if (menuView_) {
        menuView_->delegate = nullptr;
        retireWindowView(menuView_);
    }
    QWidget* window = host_.bodyView();
    QWidget* tab = host_.tabMenuAnchor(FunctionTab::OtherSetting);
    const QRectF frame(window->rect());
    QPointF leftTop;
    qreal width = 0;
    if (tab) {
        leftTop = tab->mapTo(window, QPoint(0, tab->height()));
        width = tab->width();
    }
    menuView_ = makeWindowView<TabMenuView>(*window, frame, leftTop, width, true, ButtonNo::None, nullptr);
    menuView_->setObjectName(QStringLiteral("otherSettingMenu"));

    auto kb = currentKeyboard();
    const bool ledRow = kb && kb->supportIndicatorLedSettings;
    for (FunctionItem function : kRows) {
        if (function == FunctionItem::IndicatorLedSettings && !ledRow)
            continue;
        menuView_->appendItem(function, platform::localizedString(QString::fromLatin1(caseName(function).data(), qsizetype(caseName(function).size()))));
        menuView_->updateMenu();
        menuView_->update();
    }
    for (TabMenuSettingItemView* row : menuView_->rows())
        row->setAccessibleName(row->titleString());
    menuView_->delegate = this;
}

void FunctionOtherSettingController::clearRowMarks()
{
    if (menuView_)
        menuView_->clearMenuItem(true);
}

void FunctionOtherSettingController::showCapsLockMark(const std::shared_ptr<KeyboardEntry>& kb)
{
    if (menuView_)
        menuView_->checkMenuItem(FunctionItem::CapsLkCtrl,
                                 kb && kb->deviceKeyCodeChange == KeyCodeChange::Enable);
}

void FunctionOtherSettingController::enableMenuItem(bool isEnable)
{
    if (!menuView_)
        return;
    for (FunctionItem function : kDeviceRows)
        menuView_->enableMenuItem(function, isEnable);
    if (!isEnable)
        menuView_->checkMenuItem(FunctionItem::CapsLkCtrl, false);
}

void FunctionOtherSettingController::showMenuView(bool isDevice)
{
    if (isMenuViewShown()) {
        closeMenuView(true);
        return;
    }
    initMenuItem();
    clearRowMarks();
    showCapsLockMark(currentKeyboard());
    enableMenuItem(isDevice);
    menuView_->selectAllMenuItem(false, true);
    menuView_->showInView(host_.bodyView());
}

bool FunctionOtherSettingController::isMenuViewShown() const
{
    return menuView_ && menuView_->isShown();
}

void FunctionOtherSettingController::closeMenuView(bool resetItems)
{
    if (!menuView_)
        return;
    if (resetItems)
        clearRowMarks();
    menuView_->removeFromSuperview();
}

// ----- tab set-up -----------------------------------------------------------------

void FunctionOtherSettingController::initSetting()
{
    SettingsChangedScope keep;
    AppParam::paintColor = AppColor::clear();
    AppParam::appCropMode = CropMode::None;
    AppParam::keyDrawMode = KeyDrawFrom::None;

    auto kb = currentKeyboard();
    if (kb) {
        // A failed read is not reported here; the mark keeps the model's value.
        (void)kb->loadDeviceStatus(DeviceParamPart::KeyCodeChangeStatus);
    }
    clearRowMarks();
    if (isCurrentDevice(kb))
        showCapsLockMark(kb);
    enableMenuItem(true);

    if (isCurrentDevice(kb))
        (void)settleDeviceCall(kb->stopEffect(), kb);
    if (keyboardView_)
        keyboardView_->redrawKeys();
}

// ----- actions ---------------------------------------------------------------------

void FunctionOtherSettingController::clickTabMenuItem(QObject*, FunctionItem function)
{
    switch (function) {
    case FunctionItem::ToSaveTheDevice:
        // Every outcome is dealt with inside (a failure with the user told).
        if (connectedKeyboard())
            (void)host_.onSaveTheKeyboard();
        break;
    case FunctionItem::ToInitialSetting:
        if (auto kb = connectedKeyboard())
            restoreFactorySettings(kb);
        break;
    case FunctionItem::CapsLkCtrl:
        if (auto kb = connectedKeyboard())
            toggleKeyCodeChange(kb);
        break;
    case FunctionItem::IndicatorLedSettings:
        openIndicatorLedSettings();
        break;
    case FunctionItem::FWUpdate:
        if (connectedKeyboard())
            updateFirmware();
        break;
    case FunctionItem::FolderSetting:
        selectProfileFolder();
        break;
    case FunctionItem::AppendDevice:
        appendDevice();
        break;
    default:
        break;
    }
}

void FunctionOtherSettingController::restoreFactorySettings(const std::shared_ptr<KeyboardEntry>& kb)
{
    if (AppUtil::messageBox(QStringLiteral("CheckKeyboardRestoreDefault"), QStringLiteral("Yes"),
                            QStringLiteral("No")) != 1)
        return;
    // The question may have run while the keyboard went away.
    if (!kbpanel::canSend(kb))
        return;
    kb->hidWait();
    if (settleDeviceCall(kb->CMD_FactorySetting(), kb) != CallOutcome::Done)
        return;
    // The factory state counts as unsent: Send stores it.
    markSettingsChanged();
    // A failed read would leave the keys without the levels the keyboard
    // holds now: the recovery connects it again and reads it afresh.
    if (settleDeviceCall(kb->loadDeviceParam(), kb) != CallOutcome::Done)
        return;
    if (keyboardView_)
        keyboardView_->redrawKeys();
}

void FunctionOtherSettingController::toggleKeyCodeChange(const std::shared_ptr<KeyboardEntry>& kb)
{
    kb->deviceKeyCodeChange = kb->deviceKeyCodeChange == KeyCodeChange::Enable ? KeyCodeChange::Disable
                                                                                : KeyCodeChange::Enable;
    kb->hidWait();
    const CallOutcome outcome = settleDeviceCall(kb->CMD_SetKeyCodeChange(kb->deviceKeyCodeChange), kb);
    if (outcome == CallOutcome::Done)
        markSettingsChanged();
    // The mark follows the model, also after a failure; after a recovery
    // the menu shows the keyboard connected now.
    showCapsLockMark(outcome == CallOutcome::Replaced ? currentKeyboard() : kb);
}

int FunctionOtherSettingController::runDialog(const std::function<int()>& dialog, bool maskUp)
{
    if (!maskUp)
        host_.setDialogMask(true);
    host_.setHelpMenu(false);
    const int code = dialog();
    host_.setDialogMask(false);
    // The dialog's own buttons enable the help items again; one ended by the
    // device-removal handling does not, so make sure here.
    host_.setHelpMenu(true);
    return code;
}

void FunctionOtherSettingController::openIndicatorLedSettings()
{
    // Only a connected keyboard has indicator LEDs to set.
    if (!connectedKeyboard() || !dialogHooks().indicatorLedSettings)
        return;
    (void)runDialog(dialogHooks().indicatorLedSettings);
}

void FunctionOtherSettingController::selectProfileFolder()
{
    const auto hook = dialogHooks().profileFolderSelect;
    if (!hook)
        return;
    QString chosen;
    const QString start = AppParam::userProfileFilePath;
    if (runDialog([&] { return hook(start, chosen); }) == 1)
        AppParam::userProfileFilePath = chosen;
}

void FunctionOtherSettingController::updateFirmware()
{
    const auto kb = currentKeyboard();
    const auto hook = dialogHooks().firmwareFileSelect;
    host_.setDialogMask(true);
    host_.setHelpMenu(false);
    auto abandon = [this] {
        host_.setDialogMask(false);
        host_.setHelpMenu(true);
    };
    if (AppParam::keyboardSettingsChanged) {
        const AppError stored = host_.onSaveTheKeyboard();
        // A failed store abandons the update (the recovery has run already);
        // "No" goes on without storing.
        if ((stored != AppError::NoError && stored != AppError::UiCancel) || !isCurrentDevice(kb)) {
            abandon();
            return;
        }
    }
    if (!hook) {
        abandon();
        return;
    }
    QString chosen;
    const QString start = AppParam::firmwareFilePath;
    const int code = runDialog([&] { return hook(start, chosen); }, true);
    if (code != 1)
        return;
    AppParam::firmwareFilePath = chosen;
    // The keyboard may have gone while the dialog ran.
    if (!isCurrentDevice(kb))
        return;
    host_.execFirmwareUpdate();
}

void FunctionOtherSettingController::appendDevice()
{
    const auto hook = dialogHooks().appendKeyboard;
    if (!hook)
        return;
    QString chosen;
    const QString start = AppParam::firmwareFilePath;
    if (runDialog([&] { return hook(start, chosen); }) != 1)
        return;
    // The package path shares the setting with the firmware file.
    AppParam::firmwareFilePath = chosen;
    host_.appendKeyboardProfileList();
}
