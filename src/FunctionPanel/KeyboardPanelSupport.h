#pragma once
// What the keyboard setting panels share around a device command.
//
// Any device command can run the recovery before it returns (a failed
// command hands the device to the main window, which drops it and connects
// anew), and hot-plug handlers run while a command waits for its reply. A
// panel therefore keeps its own shared_ptr to the keyboard it started with
// and, after every command, checks with isCurrent() that this keyboard is
// still the current device before it touches the model, the picture or the
// unsent-changes flag again.

#include "Utility/AppError.h"

#include <memory>

class KeyboardEntry;

namespace kbpanel {

// What became of a command a panel meant to send.
enum class SendResult {
    NotSent,  // nothing was sent (nothing to send, or no device open)
    Sent,     // the device accepted it
    Failed,   // the device failed it; the recovery has been asked for
    Busy,     // refused because another command is still waiting: skipped
    Replaced, // the keyboard stopped being the current device meanwhile
};

// The current device as a keyboard, or null (a mouse, or nothing).
std::shared_ptr<KeyboardEntry> currentKeyboard();

// `keyboard` is still the current device.
bool isCurrent(const std::shared_ptr<KeyboardEntry>& keyboard);

// `keyboard` is the current device and holds an open device, so that a
// command really reaches a keyboard. Without one the commands would answer
// NoError without sending anything, and a panel would mark changes that the
// keyboard never got.
bool canSend(const std::shared_ptr<KeyboardEntry>& keyboard);

// Sorts a command's result, running the recovery for a real failure: the
// main window's setConnectedDeviceError with the selected device location
// (skipped when that is 0). A busy refusal never runs it. Replaced wins over
// the other outcomes when `keyboard` is no longer the current device.
SendResult settle(AppError result, const std::shared_ptr<KeyboardEntry>& keyboard);

// Sets the unsent-changes flag and brings the Send button in line.
void markSettingsChanged();

// Whether a key code indexes the 128-entry per-key lists of the keyboard.
bool isPerKeyCode(int code);

} // namespace kbpanel
