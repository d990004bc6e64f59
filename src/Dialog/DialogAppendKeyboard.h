#pragma once
// The description package dialog: the user picks a keyboard description
// package (".key") and presses Append. The package must be a regular file
// named "*.key" holding a readable, well-formed keyboard description whose
// version is supported and not older than the installed description of the
// same model, whose key codes the keyboard model takes and whose pictures
// decode: what the device enumeration and the connection need from it. The
// dialog copies nothing: on 1 the caller hands filePath() to the main window,
// which adds the package.

#include "Dialog/FilePickDialog.h"
#include "Utility/AppError.h"

#include <optional>

class DialogAppendKeyboard : public FilePickDialog {
    Q_OBJECT
public:
    // `keyboardPath`: the package, firmware file or folder used last.
    explicit DialogAppendKeyboard(const QString& keyboardPath, QWidget* parent = nullptr);

    // Runs the dialog over the main window; 1 with `chosen` set to the
    // package to add, else 0.
    static int run(const QString& keyboardPath, QString& chosen);

    // Append: check, then end with 1.
    void pushOK() override;
    void pushCancel() override;

    // The package check; shows its own message box on a refusal. NoError,
    // FileNotExist (nothing chosen, or not a regular file), the loader's
    // error, or FileRead.
    AppError checkTargetFileType(const QString& path);

    // The version number of a description's version text ("X_1_2_5" gives
    // 1002.005); absent when it has fewer than four parts or parts 1 to 3
    // are not non-negative decimal numbers.
    static std::optional<double> versionNumber(const QString& profileVersion);

private:
    void enableHelpWhenListed();
};
