#pragma once
// The description package dialog: the user picks a keyboard description
// package (".key") and presses Append. The package must be a regular file
// named "*.key" holding a readable, well-formed keyboard description whose
// version is supported and not older than the installed description of the
// same model, whose key codes the keyboard model takes and whose pictures
// decode: what the device enumeration and the connection need from it. The
// dialog copies nothing: on 1 the caller hands filePath() to the main window,
// which adds the package with installPackage().
//
// The file is read once, and the bytes read are what is judged and what is
// added: the check reads a private copy of them, Append hands them on, and
// installPackage() writes them to the per-user folder. A file changed or
// swapped after Append (or a pipe put in its place) never reaches the folder.

#include "Dialog/FilePickDialog.h"
#include "Utility/AppError.h"

#include <QByteArray>

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

    // Largest package taken (the shipped ones are some tens of KiB).
    static constexpr qint64 kMaxPackageBytes = 64 * 1024 * 1024;

    // The package check of the file at `path`, read once (a regular file of
    // at most kMaxPackageBytes); shows its own message box on a refusal.
    // NoError, FileNotExist (nothing chosen, or not a regular file), the
    // loader's error, or FileRead.
    AppError checkTargetFileType(const QString& path);

    // Adds the package at `source` to `folder`, under its file name: the
    // bytes that Append accepted from that path, else the file's bytes read
    // once. They are written to a private staging folder inside `folder`,
    // judged there as the dialog judges a package, and renamed into place,
    // so that an earlier package of that name stays until the new one is
    // complete and judged. Shows its own message box on a refusal or a
    // failure. NoError, FileNotExist or FileRead (the source), the check's
    // error, or FileWrite.
    static AppError installPackage(const QString& source, const QString& folder);

    // The version number of a description's version text ("X_1_2_5" gives
    // 1002.005); absent when it has fewer than four parts or parts 1 to 3
    // are not non-negative decimal numbers.
    static std::optional<double> versionNumber(const QString& profileVersion);

private:
    // The judgement of a package whose bytes are staged at `path`.
    static AppError checkPackage(const QString& path);

    // The path and the bytes the last check accepted.
    QString checkedPath_;
    QByteArray checked_;
};
