#pragma once
// The firmware file dialog: the user picks a firmware file ("...") for the
// connected device and presses Update. The file is checked (intact, built for
// the connected model, not older than the device's firmware), the user
// confirms twice, and no second device of the same model may be attached;
// only then does the dialog end with 1 and filePath() names the file.

#include "Dialog/FilePickDialog.h"
#include "Utility/AppError.h"


class DialogFirmwareFileSelect : public FilePickDialog {
    Q_OBJECT
public:
    // `updatePath`: the firmware file (or package, or folder) used last.
    explicit DialogFirmwareFileSelect(const QString& updatePath, QWidget* parent = nullptr);

    // Runs the dialog over the main window; 1 with `chosen` set to the file
    // to update from, else 0.
    static int run(const QString& updatePath, QString& chosen);

    // Update: check, confirm, end with 1.
    void pushOK() override;

    // The file check against the current device; shows its own message box
    // on a refusal. NoError, FileNotExist (nothing there, or not a regular
    // file), FileRead or UiCancel.
    AppError checkTargetFileType(const QString& path);
};
