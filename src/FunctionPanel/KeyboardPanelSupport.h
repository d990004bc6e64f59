#pragma once
// What the keyboard setting panels share around a device command.
//
// A panel keeps its own shared_ptr to the keyboard it started with and hands
// the result of every command to settleDeviceCall() (Device/DeviceCall.h),
// whose answer says whether it may touch the model, the picture or the
// unsent-changes flag again.

#include "Device/DeviceCall.h"

#include <memory>

class KeyboardEntry;

namespace kbpanel {

// The current device as a keyboard, or null (a mouse, or nothing).
std::shared_ptr<KeyboardEntry> currentKeyboard();

// `keyboard` is the current device and holds an open device, so that a
// command really reaches a keyboard. Without one the commands would answer
// NoError without sending anything, and a panel would mark changes that the
// keyboard never got.
bool canSend(const std::shared_ptr<KeyboardEntry>& keyboard);

// Whether a key code indexes the 128-entry per-key lists of the keyboard.
bool isPerKeyCode(int code);

} // namespace kbpanel
