#include "Dialog/DialogHooks.h"

#include "Dialog/DialogAppendKeyboard.h"
#include "Dialog/DialogFirmwareFileSelect.h"
#include "Dialog/DialogFirmwareUpdate.h"

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
}
