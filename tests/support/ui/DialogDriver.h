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

// Once the next file-pick dialog of `kind` is shown: clicks its "..." button
// (the scripted file chooser answers) and then its confirm button, as a
// user picking a file does. With `cancelIfRefused`, a dialog still open
// after the confirm (the choice was refused) is then cancelled.
void pickAndConfirmNext(DialogKind kind, bool cancelIfRefused = false);

} // namespace uitest
