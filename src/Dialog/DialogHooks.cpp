#include "Dialog/DialogHooks.h"

#include "Dialog/DialogIndicatorLedSettings.h"
#include "Dialog/DialogRegistry.h"

DialogHooks& dialogHooks()
{
    static DialogHooks hooks;
    return hooks;
}

void installDialogHooks()
{
    DialogHooks& hooks = dialogHooks();
    hooks = DialogHooks{};
    hooks.anyModalOpen = [] { return DialogRegistry::anyModalOpen(); };
    hooks.closeAllForDeviceRemoval = [] { DialogRegistry::closeAllForDeviceRemoval(); };
    hooks.indicatorLedSettings = [] { return DialogIndicatorLedSettings::run(); };
}
