#pragma once
// What the layers below the user interface need of the main window
// controller. The main window implements it and registers itself in
// AppParam::mainController when it is created; tests install a recording
// stand-in. Nothing here pulls in a Widgets header.

#include <cstdint>
#include <QString>

class IMainController {
public:
    virtual ~IMainController() = default;

    // A device command to the device at `location` failed. When no entry of
    // the device list has that location nothing happens; otherwise the main
    // window drops the device from its list, answers an open message box,
    // closes every open dialog, disconnects the current device without
    // redrawing (closing it only while it is still attached) and detects the
    // attached devices again. It then returns to the caller, which returns
    // its own error code. Must tolerate being called from inside a command
    // issued by a dialog or panel that is still on the stack.
    virtual void setConnectedDeviceError(int32_t location) = 0;

    // Shows the modal message box with the localised texts of the three
    // keys (message, OK caption, Cancel caption; an empty cancel key shows no
    // Cancel button), replacing any earlier message box as the controller's
    // current one. With a main window shown, the dialog is placed centred
    // horizontally over it with its top edge 80 points below the main
    // window's top edge (AppUtil::messageBoxPosition) when it first becomes
    // active. Returns 1 for OK and 0 for Cancel (also when closed any other
    // way). Use AppUtil::messageBox rather than calling this directly.
    virtual int runMessageBox(const QString& messageKey, const QString& okKey,
                              const QString& cancelKey) = 0;

    // The unsent-changes flag (AppParam::keyboardSettingsChanged) may have
    // changed: Send is shown while it is set and hidden otherwise. Called by
    // setSettingsChanged() and SettingsChangedScope (Device/DeviceCall.h).
    virtual void updateKeyboardSettingsChanged() = 0;
};
