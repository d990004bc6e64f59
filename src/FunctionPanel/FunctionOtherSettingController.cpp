#include "FunctionPanel/FunctionOtherSettingController.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogHooks.h"
#include "KeyboardView/KeyboardView.h"
#include "MainView.h"
#include "MainViewController.h"
#include "CustomControl/MainTabView.h"
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

FunctionOtherSettingController::FunctionOtherSettingController(MainViewController& mainController)
    : mainController_(mainController), keyboardView_(makeWindowView<KeyboardView>(*mainController.mainView))
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

bool FunctionOtherSettingController::isCurrent(const std::shared_ptr<KeyboardEntry>& kb)
{
    return kb && AppParam::device == kb;
}

void FunctionOtherSettingController::reportDeviceError(AppError error)
{
    if (error == AppError::NoError || isBusy(error))
        return;
    if (AppParam::selectDeviceLocation != 0)
        mainController_.setConnectedDeviceError(AppParam::selectDeviceLocation);
}

// ----- menu ---------------------------------------------------------------------

void FunctionOtherSettingController::initMenuItem()
{
    if (menuView_) {
        menuView_->delegate = nullptr;
        retireWindowView(menuView_);
    }
    QWidget* window = mainController_.mainView;
    QWidget* tab = mainController_.settingTabView;
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
    menuView_->showInView(mainController_.mainView);
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
    if (isCurrent(kb))
        showCapsLockMark(kb);
    enableMenuItem(true);

    if (isCurrent(kb)) {
        const AppError stopped = kb->stopEffect();
        if (stopped != AppError::NoError)
            reportDeviceError(stopped);
    }
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
            (void)mainController_.onSaveTheKeyboard();
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
    if (!isCurrent(kb) || !kb->hidIsOpened())
        return;
    kb->hidWait();
    const AppError result = kb->CMD_FactorySetting();
    if (result != AppError::NoError) {
        reportDeviceError(result);
        return;
    }
    if (!isCurrent(kb))
        return;
    // The factory state counts as unsent: Send stores it.
    AppParam::keyboardSettingsChanged = true;
    mainController_.updateKeyboardSettingsChanged();
    // A failed read would leave the keys without the levels the keyboard
    // holds now: the recovery connects it again and reads it afresh.
    const AppError reread = kb->loadDeviceParam();
    if (!isCurrent(kb))
        return;
    if (reread != AppError::NoError) {
        reportDeviceError(reread);
        return;
    }
    if (keyboardView_)
        keyboardView_->redrawKeys();
}

void FunctionOtherSettingController::toggleKeyCodeChange(const std::shared_ptr<KeyboardEntry>& kb)
{
    kb->deviceKeyCodeChange = kb->deviceKeyCodeChange == KeyCodeChange::Enable ? KeyCodeChange::Disable
                                                                                : KeyCodeChange::Enable;
    kb->hidWait();
    const AppError result = kb->CMD_SetKeyCodeChange(kb->deviceKeyCodeChange);
    if (result == AppError::NoError) {
        AppParam::keyboardSettingsChanged = true;
        mainController_.updateKeyboardSettingsChanged();
    } else {
        reportDeviceError(result);
    }
    // The mark follows the model, also after a failure; after a recovery
    // the menu shows the keyboard connected now.
    showCapsLockMark(isCurrent(kb) ? kb : currentKeyboard());
}

int FunctionOtherSettingController::runDialog(const std::function<int()>& dialog, bool maskUp)
{
    if (!maskUp)
        mainController_.setDialogMask(true);
    mainController_.setHelpMenu(false);
    const int code = dialog();
    mainController_.setDialogMask(false);
    // The dialog's own buttons enable the help items again; one ended by the
    // device-removal handling does not, so make sure here.
    mainController_.setHelpMenu(true);
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
    mainController_.setDialogMask(true);
    mainController_.setHelpMenu(false);
    auto abandon = [this] {
        mainController_.setDialogMask(false);
        mainController_.setHelpMenu(true);
    };
    if (AppParam::keyboardSettingsChanged) {
        const AppError stored = mainController_.onSaveTheKeyboard();
        // A failed store abandons the update (the recovery has run already);
        // "No" goes on without storing.
        if ((stored != AppError::NoError && stored != AppError::UiCancel) || !isCurrent(kb)) {
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
    if (!isCurrent(kb))
        return;
    mainController_.execFirmwareUpdate();
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
    mainController_.appendKeyboardProfileList();
}
