#include "Device/DeviceCall.h"

#include "Device/IDeviceEntry.h"
#include "IMainController.h"

CallOutcome settleDeviceCall(AppError result, const std::shared_ptr<IDeviceEntry>& device)
{
    if (!device)
        return CallOutcome::NotSent;
    if (!isCurrentDevice(device))
        return CallOutcome::Replaced;
    if (result == AppError::NoError)
        return CallOutcome::Done;
    if (isBusy(result))
        return CallOutcome::Busy;
    const int32_t location = AppParam::selectDeviceLocation;
    if (location != 0 && AppParam::mainController)
        AppParam::mainController->setConnectedDeviceError(location);
    return isCurrentDevice(device) ? CallOutcome::Broken : CallOutcome::Replaced;
}

CallOutcome settleChange(AppError result, const std::shared_ptr<IDeviceEntry>& device)
{
    const CallOutcome outcome = settleDeviceCall(result, device);
    if (outcome == CallOutcome::Done)
        markSettingsChanged();
    return outcome;
}

CallOutcome settlePacketedChange(AppError result, const std::shared_ptr<IDeviceEntry>& device)
{
    const CallOutcome outcome = settleDeviceCall(result, device);
    if (outcome == CallOutcome::Done || outcome == CallOutcome::Broken)
        markSettingsChanged();
    return outcome;
}

void setSettingsChanged(bool changed)
{
    AppParam::keyboardSettingsChanged = changed;
    if (AppParam::mainController)
        AppParam::mainController->updateKeyboardSettingsChanged();
}

SettingsChangedScope::SettingsChangedScope() : device_(AppParam::device)
{
    AppParam::keyboardSettingsChangedStack.push(AppParam::keyboardSettingsChanged);
}

SettingsChangedScope::~SettingsChangedScope()
{
    const bool saved = AppParam::keyboardSettingsChangedStack.pop();
    if (!device_.expired() && device_.lock() == AppParam::device)
        AppParam::keyboardSettingsChanged = saved;
    if (AppParam::mainController)
        AppParam::mainController->updateKeyboardSettingsChanged();
}
