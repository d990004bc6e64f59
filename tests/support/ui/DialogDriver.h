#pragma once
// Drives modal dialogs from tests: runs an action on the next dialog of a
// kind once it is shown and running, from inside its modal run.

#include <functional>

#include "Dialog/DialogRegistry.h"

class ModalDialog;

namespace uitest {

// Once a dialog of `kind` is visible and running, calls `action` with it
// (from the dialog's event loop). Gives up silently after `timeoutMs`.
void whenDialogShown(DialogKind kind, std::function<void(ModalDialog*)> action,
                     int timeoutMs = 3000);

// Clicks the message box's OK (true) or Cancel (false) button with the
// mouse once the next message box is shown.
void answerNextMessageBox(bool ok);

} // namespace uitest
