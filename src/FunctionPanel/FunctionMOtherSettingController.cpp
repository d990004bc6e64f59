#include "FunctionPanel/FunctionMOtherSettingController.h"

#include "AppParam.h"
#include "Device/MouseEntry.h"
#include "Dialog/DialogHooks.h"
#include "FunctionPanel/MouseSettingsRefresh.h"
#include "KeyboardView/KeyboardView.h"
#include "Platform/Strings.h"
#include "Utility/AppUtil.h"

namespace {

struct Row {
    FunctionItem function;
    const char* titleKey;
};
// The menu, top to bottom; every row needs a device.
constexpr Row kRows[] = {
    {FunctionItem::ToSaveTheDevice, "ToSaveTheMouse"},
    {FunctionItem::ToInitialSetting, "ToInitialSetting"},
    {FunctionItem::FWUpdate, "FWUpdate"},
    {FunctionItem::FolderSetting, "FolderSetting"},
};

// The current mouse when it has an open connection (without one a command
// would "succeed" with nothing sent).
std::shared_ptr<MouseEntry> openMouse()
{
    auto mouse = currentMouse();
    return mouse && mouse->hidIsOpened() ? mouse : nullptr;
}

} // namespace

FunctionMOtherSettingController::FunctionMOtherSettingController(IDialogHost& host) : host_(host)
{
    auto* view = makeWindowView<KeyboardView>(*host.bodyView());
    view->setObjectName(QStringLiteral("mouseOtherPanel"));
    view_ = view;
    initMenuItem();
}

FunctionMOtherSettingController::~FunctionMOtherSettingController()
{
    // The picture and the menu stay with the window; only the menu's tie to
    // this panel goes.
    if (menuView_)
        menuView_->delegate = nullptr;
}

KeyboardView* FunctionMOtherSettingController::keyboardView() { return view_.data(); }

// ---- the menu ------------------------------------------------------------------------------

void FunctionMOtherSettingController::initMenuItem()
{
    if (menuView_) {
        menuView_->delegate = nullptr;
        retireWindowView(menuView_);
    }
    QWidget* window = host_.bodyView();
    QWidget* tab = host_.tabMenuAnchor(FunctionTab::MOtherSetting);
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
    menuView_->setObjectName(QStringLiteral("mouseOtherSettingMenu"));
    for (const Row& row : kRows) {
        menuView_->appendItem(row.function, platform::localizedString(QLatin1String(row.titleKey)));
        menuView_->updateMenu();
        menuView_->update();
    }
    for (TabMenuSettingItemView* row : menuView_->rows())
        row->setAccessibleName(row->titleString());
    menuView_->delegate = this;
}

void FunctionMOtherSettingController::clearRowMarks(bool display)
{
    if (menuView_)
        menuView_->clearMenuItem(display);
}

void FunctionMOtherSettingController::enableMenuItem(bool isEnable)
{
    if (!menuView_)
        return;
    for (const Row& row : kRows)
        menuView_->enableMenuItem(row.function, isEnable);
}

void FunctionMOtherSettingController::showMenuView(bool isDevice)
{
    if (isMenuViewShown()) {
        closeMenuView(true);
        return;
    }
    initMenuItem();
    if (!menuView_)
        return;
    clearRowMarks(true);
    enableMenuItem(isDevice);
    menuView_->selectAllMenuItem(false, true);
    menuView_->showInView(host_.bodyView());
}

bool FunctionMOtherSettingController::isMenuViewShown() const
{
    return menuView_ && menuView_->isShown();
}

void FunctionMOtherSettingController::closeMenuView(bool resetItems)
{
    if (!menuView_)
        return;
    if (resetItems)
        clearRowMarks(false);
    menuView_->removeFromSuperview();
}

// ---- tab set-up ---------------------------------------------------------------------------

void FunctionMOtherSettingController::initSetting()
{
    SettingsChangedScope keep;
    AppParam::paintColor = AppColor::clear();
    clearRowMarks(true);
    enableMenuItem(true);
}

// ---- actions ---------------------------------------------------------------------------------

void FunctionMOtherSettingController::clickTabMenuItem(QObject*, FunctionItem function)
{
    switch (function) {
    case FunctionItem::ToSaveTheDevice:
        // Every outcome is dealt with inside (a failure with the user told).
        if (openMouse())
            (void)host_.onSaveTheKeyboard();
        break;
    case FunctionItem::ToInitialSetting:
        if (auto mouse = openMouse())
            restoreFactorySettings(mouse);
        break;
    case FunctionItem::FWUpdate:
        if (openMouse())
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

void FunctionMOtherSettingController::restoreFactorySettings(const std::shared_ptr<MouseEntry>& mouse)
{
    if (AppUtil::messageBox(QStringLiteral("CheckKeyboardRestoreDefault"), QStringLiteral("Yes"),
                            QStringLiteral("No")) != 1)
        return;
    // The question may have run while the mouse went away.
    if (!isCurrentDevice(mouse) || !mouse->hidIsOpened())
        return;
    mouse->hidWait();
    if (settleDeviceCall(mouse->CMD_FactorySetting(), mouse) != CallOutcome::Done)
        return;
    // The factory state counts as unsent: Send stores it, and closing
    // without Send puts the stored settings back.
    markSettingsChanged();
    mouse->mouseSetting_Initialized = true;
    // A failed read would leave the model with the settings from before the
    // reset: the recovery connects the mouse again and reads it afresh.
    (void)settleDeviceCall(mouse->loadDeviceParam(), mouse);
}

int FunctionMOtherSettingController::runDialog(const std::function<int()>& dialog, bool maskUp)
{
    if (!maskUp)
        host_.setDialogMask(true);
    host_.setHelpMenu(false);
    const int code = dialog();
    host_.setDialogMask(false);
    // A dialog ended by the device-removal handling does not give the help
    // items back itself.
    host_.setHelpMenu(true);
    return code;
}

void FunctionMOtherSettingController::updateFirmware()
{
    const auto mouse = currentMouse();
    host_.setDialogMask(true);
    host_.setHelpMenu(false);
    auto abandon = [this] {
        host_.setDialogMask(false);
        host_.setHelpMenu(true);
    };
    if (AppParam::keyboardSettingsChanged) {
        const AppError stored = host_.onSaveTheKeyboard();
        // A failed store abandons the update; "No" goes on without storing.
        if ((stored != AppError::NoError && stored != AppError::UiCancel) || !isCurrentDevice(mouse)) {
            abandon();
            return;
        }
    }
    const auto hook = dialogHooks().firmwareFileSelect;
    if (!hook) {
        abandon();
        return;
    }
    QString chosen;
    const QString start = AppParam::firmwareFilePath;
    if (runDialog([&] { return hook(start, chosen); }, true) != 1)
        return;
    AppParam::firmwareFilePath = chosen;
    // The mouse may have gone while the dialog ran.
    if (!isCurrentDevice(mouse))
        return;
    host_.execFirmwareUpdate();
}

void FunctionMOtherSettingController::selectProfileFolder()
{
    const auto hook = dialogHooks().profileFolderSelect;
    if (!hook)
        return;
    QString chosen;
    const QString start = AppParam::userProfileFilePath;
    if (runDialog([&] { return hook(start, chosen); }, false) == 1)
        AppParam::userProfileFilePath = chosen;
}

void FunctionMOtherSettingController::appendDevice()
{
    const auto hook = dialogHooks().appendKeyboard;
    if (!hook)
        return;
    QString chosen;
    const QString start = AppParam::firmwareFilePath;
    if (runDialog([&] { return hook(start, chosen); }, false) != 1)
        return;
    // The package path shares the setting with the firmware file.
    AppParam::firmwareFilePath = chosen;
    host_.appendKeyboardProfileList();
}
