#include "FunctionPanel/OtherSettingPanel.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "Dialog/DialogHooks.h"
#include "Utility/AppUtil.h"

namespace {

// What a device waiting for its firmware update can still be asked for:
// the update itself, and the profile folder, which does not reach it.
bool servesWhileAwaitingUpdate(FunctionItem function)
{
    return function == FunctionItem::FWUpdate || function == FunctionItem::FolderSetting;
}

} // namespace

template <class Entry>
OtherSettingPanel<Entry>::OtherSettingPanel(IDialogHost& host, FunctionTab tab, const QString& viewName,
                                            const QString& menuName)
    : host_(host), view_(makeWindowView<KeyboardView>(*host.bodyView())), tab_(tab), menuName_(menuName)
{
    view_->setObjectName(viewName);
}

template <class Entry>
OtherSettingPanel<Entry>::~OtherSettingPanel()
{
    // The picture and the menu stay with the window; only the menu's tie to
    // this panel goes.
    if (menuView_)
        menuView_->delegate = nullptr;
}

// ----- the device -----------------------------------------------------------------

template <class Entry>
std::shared_ptr<Entry> OtherSettingPanel<Entry>::currentDevice()
{
    return std::dynamic_pointer_cast<Entry>(AppParam::device);
}

template <class Entry>
std::shared_ptr<Entry> OtherSettingPanel<Entry>::openDevice()
{
    auto device = currentDevice();
    return device && device->hidIsOpened() ? device : nullptr;
}

template <class Entry>
std::shared_ptr<Entry> OtherSettingPanel<Entry>::settingDevice()
{
    auto device = openDevice();
    return device && !device->awaitsFirmwareUpdate() ? device : nullptr;
}

template <class Entry>
bool OtherSettingPanel<Entry>::awaitsFirmwareUpdate()
{
    const auto device = currentDevice();
    return device && device->awaitsFirmwareUpdate();
}

// ----- the menu ---------------------------------------------------------------------

template <class Entry>
void OtherSettingPanel<Entry>::initMenuItem()
{
    if (menuView_) {
        menuView_->delegate = nullptr;
        retireWindowView(menuView_);
    }
    QWidget* window = host_.bodyView();
    const QWidget* tab = host_.tabMenuAnchor(tab_);
    const QRectF frame(window->rect());
    QPointF leftTop;
    qreal width = 0;
    if (tab) {
        // Under the tab: its left edge, the bottom of the tab row; as wide
        // as the keyboard's Other tab.
        leftTop = QPointF(tab->mapTo(window, QPoint(0, tab->height())));
        const QWidget* keyboardTab = host_.tabMenuAnchor(FunctionTab::OtherSetting);
        width = keyboardTab ? keyboardTab->width() : tab->width();
    }
    menuView_ = makeWindowView<TabMenuView>(*window, frame, leftTop, width, true, ButtonNo::None, nullptr);
    menuView_->setObjectName(menuName_);
    rows_ = menuRows();
    for (const MenuRow& row : rows_)
        menuView_->appendItem(row.function, row.title);
    menuView_->updateMenu();
    menuView_->delegate = this;
}

template <class Entry>
void OtherSettingPanel<Entry>::clearRowMarks()
{
    if (menuView_)
        menuView_->clearMenuItem(true);
}

template <class Entry>
void OtherSettingPanel<Entry>::enableMenuItem(bool isEnable)
{
    if (!menuView_)
        return;
    const bool awaiting = awaitsFirmwareUpdate();
    for (const MenuRow& row : rows_) {
        const bool usable = (isEnable || !row.needsDevice) && (!awaiting || servesWhileAwaitingUpdate(row.function));
        menuView_->enableMenuItem(row.function, usable);
    }
}

template <class Entry>
void OtherSettingPanel<Entry>::showMenuView(bool isDevice)
{
    if (isMenuViewShown()) {
        closeMenuView(true);
        return;
    }
    initMenuItem();
    clearRowMarks();
    showRowMarks();
    enableMenuItem(isDevice);
    menuView_->selectAllMenuItem(false, true);
    menuView_->showInView(host_.bodyView());
}

template <class Entry>
bool OtherSettingPanel<Entry>::isMenuViewShown() const
{
    return menuView_ && menuView_->isShown();
}

template <class Entry>
void OtherSettingPanel<Entry>::closeMenuView(bool resetItems)
{
    if (!menuView_)
        return;
    if (resetItems)
        clearRowMarks();
    menuView_->removeFromSuperview();
}

// ----- actions ---------------------------------------------------------------------

template <class Entry>
void OtherSettingPanel<Entry>::clickTabMenuItem(QObject*, FunctionItem function)
{
    switch (function) {
    case FunctionItem::ToSaveTheDevice:
        // Every outcome is dealt with inside (a failure with the user told).
        if (settingDevice())
            (void)host_.onSaveTheKeyboard();
        break;
    case FunctionItem::ToInitialSetting:
        if (auto device = settingDevice())
            restoreFactorySettings(device);
        break;
    case FunctionItem::FWUpdate:
        if (openDevice())
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

template <class Entry>
void OtherSettingPanel<Entry>::restoreFactorySettings(const std::shared_ptr<Entry>& device)
{
    if (AppUtil::messageBox(QStringLiteral("CheckKeyboardRestoreDefault"), QStringLiteral("Yes"),
                            QStringLiteral("No")) != 1)
        return;
    // The question may have run while the device went away.
    if (!isCurrentDevice(device) || !device->hidIsOpened())
        return;
    device->hidWait();
    // The factory state counts as unsent: Send stores it, and closing a
    // mouse without Send puts its stored settings back.
    if (settleChange(device->CMD_FactorySetting(), device) != CallOutcome::Done)
        return;
    factorySettingTaken(*device);
    // A failed read would leave the model with the settings from before the
    // reset: the recovery connects the device again and reads it afresh.
    if (settleDeviceCall(device->loadDeviceParam(), device) != CallOutcome::Done)
        return;
    factorySettingRead();
}

template <class Entry>
void OtherSettingPanel<Entry>::updateFirmware()
{
    const auto device = currentDevice();
    std::optional<QString> chosen;
    {
        // The question to store first and the file dialog run under one mask;
        // the update itself runs without it.
        const DialogMaskScope masked(host_);
        if (AppParam::keyboardSettingsChanged) {
            const AppError stored = host_.onSaveTheKeyboard();
            // A failed store abandons the update (the recovery has run
            // already); "No" goes on without storing.
            if ((stored != AppError::NoError && stored != AppError::UiCancel) || !isCurrentDevice(device))
                return;
        }
        const auto hook = dialogHooks().firmwareFileSelect;
        if (!hook)
            return;
        chosen = choosePath(hook, AppParam::firmwareFilePath);
    }
    if (!chosen)
        return;
    AppParam::firmwareFilePath = *chosen;
    // The device may have gone while the dialog ran.
    if (!isCurrentDevice(device))
        return;
    host_.execFirmwareUpdate();
}

template <class Entry>
void OtherSettingPanel<Entry>::selectProfileFolder()
{
    const auto hook = dialogHooks().profileFolderSelect;
    if (!hook)
        return;
    if (const auto chosen = choosePath(hook, AppParam::userProfileFilePath))
        AppParam::userProfileFilePath = *chosen;
}

template <class Entry>
void OtherSettingPanel<Entry>::appendDevice()
{
    const auto hook = dialogHooks().appendKeyboard;
    if (!hook)
        return;
    const auto chosen = choosePath(hook, AppParam::firmwareFilePath);
    if (!chosen)
        return;
    // The package path shares the setting with the firmware file.
    AppParam::firmwareFilePath = *chosen;
    host_.appendKeyboardProfileList();
}

template <class Entry>
std::optional<QString> OtherSettingPanel<Entry>::choosePath(
    const std::function<int(const QString&, QString&)>& dialog, QString start)
{
    QString chosen;
    if (runMaskedDialog(host_, [&] { return dialog(start, chosen); }) != 1)
        return std::nullopt;
    return chosen;
}

template class OtherSettingPanel<KeyboardEntry>;
template class OtherSettingPanel<MouseEntry>;
