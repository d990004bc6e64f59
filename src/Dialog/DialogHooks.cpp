#include "Dialog/DialogHooks.h"

#include "Dialog/DialogAppendKeyboard.h"
#include "Dialog/DialogFirmwareFileSelect.h"
#include "Dialog/DialogFirmwareUpdate.h"
#include "Dialog/DialogIndicatorLedSettings.h"
#include "Dialog/DialogProfileFolderSelect.h"
#include "Dialog/DialogProfileLoad.h"
#include "Dialog/DialogProfileSave.h"
#include "Dialog/DialogVersionInfo.h"

DialogHooks& dialogHooks()
{
    static DialogHooks hooks;
    return hooks;
}

void installDialogHooks()
{
    DialogHooks& hooks = dialogHooks();
    hooks = DialogHooks{};
    hooks.profileSave = [](QWidget* main) { return runProfileDialog<DialogProfileSave>(main); };
    hooks.mProfileSave = [](QWidget* main) { return runProfileDialog<DialogMProfileSave>(main); };
    hooks.profileLoad = [](QWidget* main) { return runProfileDialog<DialogProfileLoad>(main); };
    hooks.mProfileLoad = [](QWidget* main) { return runProfileDialog<DialogMProfileLoad>(main); };
    hooks.versionInfo = [](QWidget* main) { DialogVersionInfo::showAbout(main); };
    hooks.profileFolderSelect = [](const QString& start, QString& chosen) {
        return DialogProfileFolderSelect::run(start, chosen);
    };
    hooks.firmwareFileSelect = [](const QString& start, QString& chosen) {
        return DialogFirmwareFileSelect::run(start, chosen);
    };
    hooks.appendKeyboard = [](const QString& start, QString& chosen) {
        return DialogAppendKeyboard::run(start, chosen);
    };
    hooks.firmwareUpdate = [](QWidget* body) { return DialogFirmwareUpdate::run(body); };
    hooks.indicatorLedSettings = [] { return DialogIndicatorLedSettings::run(); };
}
