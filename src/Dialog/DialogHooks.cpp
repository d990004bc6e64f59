#include "Dialog/DialogHooks.h"

DialogHooks& dialogHooks()
{
    static DialogHooks hooks;
    return hooks;
}

void installDialogHooks()
{
    DialogHooks& hooks = dialogHooks();
    hooks = DialogHooks{};
}
