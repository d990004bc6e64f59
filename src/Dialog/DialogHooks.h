#pragma once
// The one place where the main window's dialog entry points are bound to the
// dialogs that implement them (shutdown and recovery find open dialogs through
// DialogRegistry). Each hook is optional: the main window does
// nothing (or treats the dialog as cancelled) while a hook is unset.
// installDialogHooks() binds them once at start-up; a dialog is plugged in by
// adding its line there.

#include "AppEnums.h"
#include "Utility/AppError.h"

#include <QString>
#include <functional>

class QWidget;

struct DialogHooks {
    // Modal dialogs run over the main window; each returns 1 for OK and 0
    // for Cancel (or when ended by the device-removal handling).
    std::function<int(QWidget* mainWindow)> profileSave;   // keyboard
    std::function<int(QWidget* mainWindow)> profileLoad;   // keyboard
    std::function<int(QWidget* mainWindow)> mProfileSave;  // mouse
    std::function<int(QWidget* mainWindow)> mProfileLoad;  // mouse
    // The non-modal version window: shows it, or brings it to the front when
    // it is already open.
    std::function<void(QWidget* mainWindow)> versionInfo;
    // The firmware update run over the current device; the progress view is
    // laid into `body` while it runs. It tells the user of its own failures.
    // FileRead says that the firmware file could not be read or was refused
    // by its check, before anything was sent to the device; every other
    // failure is the device's.
    std::function<AppError(QWidget* body)> firmwareUpdate;

    // Choosers run from the Other panels (mask and help items are the
    // caller's): each starts at `startPath` and returns its code; after 1,
    // `chosen` holds the chosen path (a profile folder ending with "/", a
    // firmware image, a keyboard description package).
    std::function<int(const QString& startPath, QString& chosen)> profileFolderSelect;
    std::function<int(const QString& startPath, QString& chosen)> firmwareFileSelect;
    std::function<int(const QString& startPath, QString& chosen)> appendKeyboard;
    // The indicator LED settings of the current keyboard; 0 without running
    // for anything but a connected keyboard.
    std::function<int()> indicatorLedSettings;
};

// The hooks in use.
DialogHooks& dialogHooks();

// Binds the hooks to the dialogs of the application. Called once at start-up;
// tests may replace single hooks afterwards.
void installDialogHooks();
