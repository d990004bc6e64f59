#include "FunctionPanel/KeyboardPanelSupport.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "IMainController.h"
#include "MainViewController.h"

namespace kbpanel {

std::shared_ptr<KeyboardEntry> currentKeyboard()
{
    return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
}

bool isCurrent(const std::shared_ptr<KeyboardEntry>& keyboard)
{
    return keyboard && AppParam::device == keyboard;
}

bool canSend(const std::shared_ptr<KeyboardEntry>& keyboard)
{
    return isCurrent(keyboard) && keyboard->hidIsOpened();
}

SendResult settle(AppError result, const std::shared_ptr<KeyboardEntry>& keyboard)
{
    if (!isCurrent(keyboard))
        return SendResult::Replaced;
    if (result == AppError::NoError)
        return SendResult::Sent;
    if (isBusy(result))
        return SendResult::Busy;
    if (AppParam::selectDeviceLocation != 0 && AppParam::mainController)
        AppParam::mainController->setConnectedDeviceError(AppParam::selectDeviceLocation);
    return isCurrent(keyboard) ? SendResult::Failed : SendResult::Replaced;
}

void markSettingsChanged()
{
    AppParam::keyboardSettingsChanged = true;
    if (auto* main = MainViewController::instance())
        main->updateKeyboardSettingsChanged();
}

bool isPerKeyCode(int code)
{
    return code >= 0 && code < int(KolventraKeyboard::kKeyCount);
}

} // namespace kbpanel
