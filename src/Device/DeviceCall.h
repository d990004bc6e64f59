#pragma once
// What becomes of a device command, and the flag of unsent changes.
//
// Any device command can run the recovery before it returns (a failed
// command hands the device to the main window, which drops it and connects
// anew), and hot-plug handlers run while a command waits for its reply.
// Whoever sends a command keeps its own shared_ptr to the device it sent to
// and hands the command's result to settleDeviceCall(): one policy for every
// device model, whose answer says which case happened. After Replaced the
// caller touches nothing of that device again and returns quietly.
//
// The unsent-changes flag (AppParam::keyboardSettingsChanged, from which the
// main window shows Send) changes in two ways only: settleChange() (or
// markSettingsChanged() / setSettingsChanged()) after the device took a
// change, and the SettingsChangedScope around a panel's set-up
// (FunctionPanel::initSetting), which reads settings back without marking
// them.

#include "AppParam.h"
#include "Utility/AppError.h"

#include <memory>

class IDeviceEntry;

enum class CallOutcome {
    NotSent,  // nothing was sent (no device, nothing to send, no open device)
    Done,     // the device carried the command out
    Busy,     // refused because another command on the same device still
              // waits for its reply: skipped, the device is fine
    Broken,   // the device failed it; the recovery has been asked for and the
              // device is still the current one (no selected location, or
              // the main window did not know it)
    Replaced, // the device is no longer the current one: a hot-plug or the
              // recovery replaced it meanwhile
};

// `device` is (still) the current device.
template <class Entry>
bool isCurrentDevice(const std::shared_ptr<Entry>& device)
{
    return device && AppParam::device == device;
}

// Sorts the result of a command sent to `device` and applies the policy:
// success is Done; a busy refusal is Busy and never runs the recovery; any
// other failure runs the recovery (the main window's setConnectedDeviceError
// for AppParam::selectDeviceLocation, skipped when that is 0). Replaced wins
// over every other case, also when the recovery run here replaced the
// device. A null device is NotSent.
CallOutcome settleDeviceCall(AppError result, const std::shared_ptr<IDeviceEntry>& device);

// A command that changes a setting: settleDeviceCall(), and on Done the
// change is marked as unsent. The setting panels send their changes through
// here; the indicator dialog's preview and a profile's Apply settle each
// command with settleDeviceCall() and mark the change themselves, from
// their dialog's OK (markSettingsChanged()).
CallOutcome settleChange(AppError result, const std::shared_ptr<IDeviceEntry>& device);
// The one exception, for a change sent in several packets (the per-key
// levels): the packets the device took before one failed stay in it, so
// Broken is marked as well as Done.
CallOutcome settlePacketedChange(AppError result, const std::shared_ptr<IDeviceEntry>& device);

// Sets the unsent-changes flag and has the main window bring Send in line.
void setSettingsChanged(bool changed);
// The device took a change that it has not stored yet.
inline void markSettingsChanged() { setSettingsChanged(true); }

// Keeps a panel's set-up from changing the unsent-changes flag: pushes the
// flag on construction and pops it on destruction, then has the main window
// bring Send in line. When the device was replaced meanwhile (a recovery ran
// inside the set-up), the pop only keeps the stack balanced: the old
// device's flag is not put back on the new device.
class SettingsChangedScope {
public:
    SettingsChangedScope();
    ~SettingsChangedScope();
    SettingsChangedScope(const SettingsChangedScope&) = delete;
    SettingsChangedScope& operator=(const SettingsChangedScope&) = delete;

private:
    // Weak, so that a replaced device's memory cannot be taken by its
    // successor and pass for it.
    std::weak_ptr<IDeviceEntry> device_;
};
