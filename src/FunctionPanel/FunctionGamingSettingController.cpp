#include "FunctionPanel/FunctionGamingSettingController.h"

#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "CustomControl/NKButton.h"
#include "Device/KeyboardEntry.h"
#include "KeyboardView/KeyboardView.h"
#include "Platform/Strings.h"
#include "UiLayout.h"

#include <QSignalBlocker>

namespace {

const char* const kEnableImage = "VX_RGB_ICON_Lock_Enable.png";
const char* const kDisableImage = "VX_RGB_ICON_Lock_Disable.png";

QString switchTitle()
{
    return platform::localizedString(QStringLiteral("LockEnable"));
}

} // namespace

FunctionGamingSettingController::FunctionGamingSettingController(IDialogHost& host)
{
    keyboardView_ = makeWindowView<KeyboardView>(*host.bodyView());
    keyboardView_->setObjectName(QStringLiteral("keyLockKeyboardView"));
    keyboardView_->delegate = this;

    keylockButton_ = new NKButton(keyboardView_);
    keylockButton_->setObjectName(QStringLiteral("keylockButton"));
    keylockButton_->setCheckable(true);
    keylockButton_->setColors(Qt::transparent, Qt::transparent);
    keylockButton_->setIconSize(layout::kKeyLockSwitchIcon);
    keylockButton_->move(layout::kKeyLockSwitchTopLeft.toPoint());
    QObject::connect(keylockButton_, &QAbstractButton::clicked, keyboardView_,
                     [this](bool checked) { pushKeyLock(checked); });
    initDialogItem();
    showKeylockState(false);
}

FunctionGamingSettingController::~FunctionGamingSettingController()
{
    // The picture stays with the window; only its ties to this panel go.
    if (keyboardView_)
        keyboardView_->delegate = nullptr;
    if (keylockButton_)
        keylockButton_->disconnect(keyboardView_);
}

KeyboardView* FunctionGamingSettingController::keyboardView()
{
    return keyboardView_;
}

std::vector<KeytopLock> FunctionGamingSettingController::keyLockList(const KeyboardEntry& keyboard)
{
    std::vector<KeytopLock> locks(KolventraKeyboard::kKeyCount, KeytopLock::Unlock);
    for (const KeytopEntry& key : keyboard.keytopList) {
        // Two keys of one code: locked when either is.
        if (key.hasPerKeySettings() && key.lock == KeytopLock::Lock)
            locks[size_t(key.code)] = KeytopLock::Lock;
    }
    return locks;
}

// ---- the switch -------------------------------------------------------------------

void FunctionGamingSettingController::initDialogItem()
{
    keylockButton_->setText(switchTitle());
    keylockButton_->setAccessibleName(switchTitle());
    keylockButton_->setTitleAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    keylockButton_->setTitleColor(AppParam::ButtonDisableTitleColor.toQColor());
    keylockButton_->adjustSize();
}

void FunctionGamingSettingController::setKeylockState(bool on)
{
    if (const auto keyboard = kbpanel::currentKeyboard())
        keyboard->keyLockEnable = on ? KeyLockFunction::Enable : KeyLockFunction::Disable;
    showKeylockState(on);
}

void FunctionGamingSettingController::showKeylockState(bool on)
{
    keylockButton_->setIcon(ui::appIcon(QString::fromLatin1(on ? kEnableImage : kDisableImage)));
    keylockButton_->setTitleColor(on ? AppParam::ButtonEnableTitleColor.toQColor()
                                     : AppParam::ButtonDisableTitleColor.toQColor());
}

void FunctionGamingSettingController::updateKeyboardCropMode()
{
    AppParam::keyDrawMode = KeyDrawFrom::None;
    AppParam::appCropMode = CropMode::None;
    if (keylockButton_->isChecked()) {
        AppParam::appCropMode = CropMode::PushButton;
        AppParam::keyDrawMode = KeyDrawFrom::KeyLock;
    }
    if (keyboardView_)
        keyboardView_->redrawKeys();
}

// ---- setting up -----------------------------------------------------------------

void FunctionGamingSettingController::setUpPanel()
{
    const auto keyboard = kbpanel::currentKeyboard();
    if (!keyboard)
        return;
    // The switch may have been changed on the keyboard itself; a failed
    // read keeps the model's value.
    (void)keyboard->loadDeviceStatus(DeviceParamPart::KeyLockStatus);
    if (!isCurrentDevice(keyboard))
        return;

    initDialogItem();
    AppParam::paintColor = AppParam::ColorButtonKeyLock;
    {
        const QSignalBlocker block(keylockButton_);
        keylockButton_->setChecked(keyboard->keyLockEnable == KeyLockFunction::Enable);
    }
    setKeylockState(keylockButton_->isChecked());
    if (settleDeviceCall(keyboard->stopEffect(), keyboard) == CallOutcome::Replaced)
        return;
    updateKeyboardCropMode();
}

// ---- user actions -----------------------------------------------------------------

void FunctionGamingSettingController::pushKeyLock(bool checked)
{
    const auto keyboard = kbpanel::currentKeyboard();
    if (!keyboard)
        return;
    const bool modelOn = keyboard->keyLockEnable == KeyLockFunction::Enable;
    // Without an open keyboard nothing can change: the switch goes back.
    if (!kbpanel::canSend(keyboard)) {
        const QSignalBlocker block(keylockButton_);
        keylockButton_->setChecked(modelOn);
        return;
    }
    if (checked != modelOn) {
        setKeylockState(checked);
        keyboard->hidWait();
        const AppError result =
            keyboard->CMD_SetKeyLockEnable(checked ? KeyLockFunction::Enable : KeyLockFunction::Disable);
        switch (settleChange(result, keyboard)) {
        case CallOutcome::Replaced: return;
        case CallOutcome::Busy: {
            // The keyboard did not take it: switch and model go back.
            const QSignalBlocker block(keylockButton_);
            keylockButton_->setChecked(modelOn);
            setKeylockState(modelOn);
            break;
        }
        default: break;
        }
    }
    updateKeyboardCropMode();
}

void FunctionGamingSettingController::applyKeySelect(KeyboardView*)
{
    const auto keyboard = kbpanel::currentKeyboard();
    // Without an open keyboard nothing can change.
    if (!kbpanel::canSend(keyboard))
        return;
    // Keys whose code has no place in the keyboard's lists cannot be locked.
    std::vector<KeytopEntry*> flipped;
    for (KeytopEntry& key : keyboard->keytopList) {
        if (!key.select || !kbpanel::isPerKeyCode(key.code))
            continue;
        key.lock = key.lock == KeytopLock::Lock ? KeytopLock::Unlock : KeytopLock::Lock;
        flipped.push_back(&key);
    }
    if (sendKeylockCommand(keyboard) == CallOutcome::Busy) {
        // The keyboard took nothing: the keys show what it holds.
        for (KeytopEntry* key : flipped)
            key->lock = key->lock == KeytopLock::Lock ? KeytopLock::Unlock : KeytopLock::Lock;
    }
}

CallOutcome FunctionGamingSettingController::sendKeylockCommand(const std::shared_ptr<KeyboardEntry>& keyboard)
{
    if (!keylockButton_->isChecked())
        return CallOutcome::NotSent;
    keyboard->hidWait();
    const AppError enabled = keyboard->CMD_SetKeyLockEnable(KeyLockFunction::Enable);
    // A switch the keyboard failed to take does not hold the lock list
    // back: only a busy keyboard or another device does.
    if (!isCurrentDevice(keyboard))
        return CallOutcome::Replaced;
    if (isBusy(enabled))
        return CallOutcome::Busy;
    const std::vector<KeytopLock> locks = keyLockList(*keyboard);
    keyboard->hidWait();
    const CallOutcome result = settleChange(keyboard->CMD_SetKeyLock(locks, false), keyboard);
    if (result == CallOutcome::Done)
        keyboard->hidWait();
    return result;
}
