#include "Dialog/DialogHooks.h"

#include "Dialog/DialogAppendKeyboard.h"
#include "Dialog/DialogFirmwareFileSelect.h"
#include "Dialog/DialogFirmwareUpdate.h"
#include "Dialog/DialogIndicatorLedSettings.h"
#include "Dialog/DialogProfileFolderSelect.h"

#include <QPointer>

DialogHooks& dialogHooks()
{
    static DialogHooks hooks;
    return hooks;
}

void installDialogHooks()
{
    DialogHooks& hooks = dialogHooks();
    hooks = DialogHooks{};
    hooks.firmwareFileSelect = [](const QString& start, QString& chosen) {
        return DialogFirmwareFileSelect::run(start, chosen);
    };
    hooks.appendKeyboard = [](const QString& start, QString& chosen) {
        return DialogAppendKeyboard::run(start, chosen);
    };
    hooks.firmwareUpdate = [](QWidget* body) { return DialogFirmwareUpdate::run(body); };
    hooks.indicatorLedSettings = [] { return DialogIndicatorLedSettings::run(); };
    hooks.profileFolderSelect = [](const QString& start, QString& chosen) {
        QPointer<DialogProfileFolderSelect> dialog = new DialogProfileFolderSelect(start);
        const int code = dialog->exec();
        if (!dialog)
            return 0;
        if (code == 1)
            chosen = dialog->filePath();
        dialog->deleteLater();
        return code;
    };
}
