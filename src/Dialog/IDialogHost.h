#pragma once
// What the setting panels and the dialogs need of the main window, and
// nothing more. The main window implements it. A panel is given it by
// reference when it is created (createFunctionPanel); dialogs and helpers
// reach the registered one through DialogRegistry::host(), which stands in a
// host that does nothing while no main window is registered. Tests drive
// panels and dialogs with a recording host (tests/support/ui).
//
// Unsent changes are marked through Device/DeviceCall.h, which has the main
// window bring Send in line.

#include "AppEnums.h"
#include "Utility/AppError.h"

#include <functional>

class QWidget;
class TabMenuSettingView;

class IDialogHost {
public:
    virtual ~IDialogHost() = default;

    // ----- the window --------------------------------------------------------
    // The main window that dialogs are centred over; may be null.
    virtual QWidget* dialogReferenceWindow() = 0;
    // The window's content view: panels make their views in it (see
    // FunctionPanel.h) and lay their menus over it. Null only without a window.
    virtual QWidget* bodyView() = 0;
    // The tab of a function whose lower edge that function's menu hangs
    // from; null when the window has no such tab.
    virtual QWidget* tabMenuAnchor(FunctionTab tab) = 0;
    // The strip under the APC tab that names the APC mode in force.
    virtual TabMenuSettingView* apcModeStrip() = 0;

    // ----- the mask over the window body and the help items --------------
    virtual bool isDialogMaskUp() const = 0;
    virtual void setDialogMask(bool enableMask) = 0;
    // Whether the help menu items are enabled (the three go together).
    virtual bool isHelpMenuEnabled() const = 0;
    virtual void setHelpMenu(bool enableMenu) = 0;

    // ----- actions on the current device ---------------------------------------
    // Asks whether to store the settings in the device and stores them; the
    // outcome (stored, declined: UiCancel, failed with the user told) has
    // been dealt with when it returns.
    virtual AppError onSaveTheKeyboard() = 0;
    // Runs the firmware update of the current device with the file chosen
    // in AppParam::firmwareFilePath.
    virtual void execFirmwareUpdate() = 0;
    // Adds the description package chosen in AppParam::firmwareFilePath and
    // reads the device list again.
    virtual void appendKeyboardProfileList() = 0;

    // ----- the attached devices --------------------------------------------
    // Any supported device is listed.
    virtual bool isAnyDeviceListed() const = 0;
    // Another attached device has the model number of the connected one.
    virtual bool isExistSameDeviceType() const = 0;
};

// The mask over the window and the help items off for as long as the scope
// lives. It raises the mask and turns the help items off only where it finds
// that not done yet, and at its end puts back exactly what it changed, so a
// scope inside another (a message box over a dialog, a dialog after a
// question of the same action) leaves both to the outer one. The host must
// outlive the scope, unless the scope is dropped first.
class DialogMaskScope {
public:
    explicit DialogMaskScope(IDialogHost& host) : host_(&host)
    {
        if (!host.isDialogMaskUp()) {
            host.setDialogMask(true);
            raisedMask_ = true;
        }
        if (host.isHelpMenuEnabled()) {
            host.setHelpMenu(false);
            turnedHelpOff_ = true;
        }
    }
    ~DialogMaskScope() { end(); }
    DialogMaskScope(const DialogMaskScope&) = delete;
    DialogMaskScope& operator=(const DialogMaskScope&) = delete;

    // Puts back what the scope changed; from then on it does nothing.
    void end()
    {
        if (host_ && raisedMask_)
            host_->setDialogMask(false);
        if (host_ && turnedHelpOff_)
            host_->setHelpMenu(true);
        drop();
    }
    // Ends the scope without touching its host (one that is gone).
    void drop()
    {
        host_ = nullptr;
        raisedMask_ = false;
        turnedHelpOff_ = false;
    }

    IDialogHost* host() const { return host_; }

private:
    IDialogHost* host_;
    bool raisedMask_ = false;
    bool turnedHelpOff_ = false;
};

// Runs a modal dialog over the window inside a DialogMaskScope and returns
// the dialog's code. The scope alone writes the mask and the help items, so
// they come back however the dialog ended (its buttons, or the handling of a
// removed device).
inline int runMaskedDialog(IDialogHost& host, const std::function<int()>& dialog)
{
    const DialogMaskScope masked(host);
    return dialog();
}
