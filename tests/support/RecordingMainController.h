#pragma once
// A stand-in for the main window controller: records every call, answers
// message boxes with a scripted reply, and registers itself in
// AppParam::mainController for its lifetime (restoring the previous one).

#include <cstdint>
#include <functional>
#include <vector>

#include <QString>

#include "IMainController.h"

class RecordingMainController : public IMainController {
public:
    struct MessageBoxCall {
        QString messageKey;
        QString okKey;
        QString cancelKey;
    };

    RecordingMainController();
    ~RecordingMainController() override;
    RecordingMainController(const RecordingMainController&) = delete;
    RecordingMainController& operator=(const RecordingMainController&) = delete;

    void setConnectedDeviceError(int32_t location) override;
    int runMessageBox(const QString& messageKey, const QString& okKey,
                      const QString& cancelKey) override;
    void updateKeyboardSettingsChanged() override { ++sendUpdates; }

    // Reply of every message box (1 = OK, 0 = Cancel); 1 unless set.
    int messageBoxReply = 1;
    // Optional hook run inside setConnectedDeviceError (after recording).
    std::function<void(int32_t)> onDeviceError;

    std::vector<int32_t> deviceErrors;
    std::vector<MessageBoxCall> messageBoxes;
    // Times the main window was told to bring Send in line.
    int sendUpdates = 0;

private:
    IMainController* previous_ = nullptr;
};
