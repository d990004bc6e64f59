#include "RecordingMainController.h"

#include "AppParam.h"

RecordingMainController::RecordingMainController() : previous_(AppParam::mainController)
{
    AppParam::mainController = this;
}

RecordingMainController::~RecordingMainController()
{
    if (AppParam::mainController == this)
        AppParam::mainController = previous_;
}

void RecordingMainController::setConnectedDeviceError(int32_t location)
{
    deviceErrors.push_back(location);
    if (onDeviceError)
        onDeviceError(location);
}

int RecordingMainController::runMessageBox(const QString& messageKey, const QString& okKey,
                                           const QString& cancelKey)
{
    messageBoxes.push_back({messageKey, okKey, cancelKey});
    return messageBoxReply;
}
