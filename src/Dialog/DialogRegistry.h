#pragma once
// Every dialog that is open is registered here, with its kind, for as long
// as it is open. Shutdown asks whether a modal dialog is open; the handling
// of a removed device ends the open dialogs in a fixed order. The main
// window installs itself as the host of the dialogs and panels
// (IDialogHost).

#include <vector>

#include <QPointer>

#include "Dialog/IDialogHost.h"

class QWidget;
class ModalDialog;

enum class DialogKind {
    MessageBox,
    ProfileSave,
    MProfileSave,
    ProfileLoad,
    MProfileLoad,
    IndicatorLedSettings,
    FirmwareFileSelect,
    ProfileFolderSelect,
    AppendKeyboard,
    CustomKeySetting,
    VersionInfo,
    FirmwareUpdate,
};

class DialogRegistry {
public:
    // Registers the main window as the host; null takes it away again.
    static void setHost(IDialogHost* host);
    // The registered host; while none is registered (tests, start-up,
    // shutdown) a host that does nothing: no window, no mask, help items
    // off, no devices, nothing stored.
    static IDialogHost& host();

    // A dialog is registered while open. Registering a dialog of a kind
    // makes it the current one of that kind. A widget that is not a
    // ModalDialog (the modeless version window, the firmware update
    // overlay) may register too.
    static void add(QWidget* dialog, DialogKind kind);
    static void remove(QWidget* dialog);

    // The open dialog of that kind that was registered last, or null.
    static QWidget* current(DialogKind kind);
    // Whether any application-modal dialog is open (not the modeless
    // version window nor the firmware update overlay).
    static bool anyModalOpen();
    // The open dialogs, in the order they were opened (innermost last).
    static std::vector<QWidget*> openDialogs();

    // Ends every open dialog because the device went away: open message
    // boxes first, innermost first, each through its own button action
    // (OK when it shows one button, else Cancel); then closeAllWindow() of
    // the open dialogs of the kinds ProfileSave, MProfileSave, ProfileLoad,
    // MProfileLoad, IndicatorLedSettings, FirmwareFileSelect,
    // ProfileFolderSelect, AppendKeyboard, CustomKeySetting, in that order.
    static void closeAllForDeviceRemoval();
};
