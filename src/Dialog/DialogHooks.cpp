#include "Dialog/DialogHooks.h"

#include "Dialog/DialogIndicatorLedSettings.h"

DialogHooks& dialogHooks()
{
    static DialogHooks hooks;
    return hooks;
}

void installDialogHooks()
{
    DialogHooks& hooks = dialogHooks();
    hooks = DialogHooks{};
    hooks.indicatorLedSettings = [] { return DialogIndicatorLedSettings::run(); };
}
