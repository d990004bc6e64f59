#pragma once
// What the profile folder, profile save and profile load dialogs add to the
// modal dialog frame: the title, the dialog font, check boxes and input
// fields in the dialogs' look, and buttons of one size.

#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/ModalDialog.h"

#include <QPointer>

#include "Utility/AppError.h"

#include <memory>
#include <optional>

class CommentTextEdit;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QVBoxLayout;

class ProfileDialogFrame : public ModalDialog {
    Q_OBJECT
public:
    explicit ProfileDialogFrame(DialogKind kind, QWidget* parent = nullptr);

protected:
    // Controls in the dialogs' look, captions looked up by key.
    QPushButton* makeOkButton();
    QPushButton* makeCancelButton();
    QCheckBox* makeCheckBox(const QString& key);
    // White text on the field grey.
    static void styleField(QWidget* field);
    // The profile save and load dialogs' list of profile names over `model`
    // and their comment field, each of its height in the field look, named
    // after the caption made with it ("DialogProfileList",
    // "DialogProfileComment"), which is returned in `caption`.
    QTableView* makeProfileList(QStandardItemModel* model, bool arrowKeysMoveSelection,
                                QLabel*& caption);
    CommentTextEdit* makeCommentField(QLabel*& caption);
    // Focus on `field` with the caret at the end and nothing selected.
    static void refocusField(QLineEdit* field);

    // The dialogs' layout: the column over the whole dialog (margins and
    // spacing set), the row of Cancel and the confirming button at its
    // foot, and a caption, a field and a "..." button in one row.
    QVBoxLayout* makeColumn();
    static QHBoxLayout* makeButtonRow(QPushButton* cancel, QPushButton* confirm);
    static QHBoxLayout* makePathRow(QLabel* caption, QWidget* field, QPushButton* select);
};

// The current device as `Entry`; null for none or a device of another kind.
template <class Entry>
std::shared_ptr<Entry> currentDeviceAs()
{
    return std::dynamic_pointer_cast<Entry>(AppParam::device);
}

// The profile extension of the current device as `Entry`; empty for none.
template <class Entry>
QString currentProfileExt()
{
    const std::shared_ptr<Entry> entry = currentDeviceAs<Entry>();
    return entry ? entry->profileExt() : QString();
}

// The comment of the profile of extension `ext` in the package at `path`,
// read by `Reader` into a `File`; absent when it cannot be read.
template <class Reader, class File>
std::optional<QString> readProfileComment(const QString& path, const QString& ext)
{
    File profile;
    if (Reader::Read(path, ext, profile) != AppError::NoError)
        return std::nullopt;
    return profile.comment;
}

// The keyboard or the mouse twin of a profile dialog for the current device;
// null without a device or for one whose entry is not of the kind it reports.
template <class Base, class KeyboardDialog, class MouseDialog, class KeyboardEntryT, class MouseEntryT>
Base* createProfileTwin(QWidget* parent)
{
    if (!AppParam::device)
        return nullptr;
    switch (AppParam::device->deviceType()) {
    case DeviceType::Keyboard:
        return currentDeviceAs<KeyboardEntryT>() ? new KeyboardDialog(parent) : nullptr;
    case DeviceType::Mouse:
        return currentDeviceAs<MouseEntryT>() ? new MouseDialog(parent) : nullptr;
    default:
        return nullptr;
    }
}

// Runs a dialog that picks a path, opened at `start`, over the main window
// and returns its code; on 1 `chosen` is set to the dialog's filePath(). A
// dialog deleted during its run counts as 0.
template <class Dialog>
int runPathDialog(const QString& start, QString& chosen)
{
    QPointer<Dialog> dialog = new Dialog(start);
    const int code = dialog->exec();
    if (!dialog)
        return 0;
    if (code == 1)
        chosen = dialog->filePath();
    dialog->deleteLater();
    return code;
}

// Runs a profile dialog of the device's twin over `mainWindow` and returns
// its code: a new dialog for every opening (so its list is read afresh),
// deleted after its run. A device of another kind gets no dialog (0): the
// mouse twin never opens for a keyboard and the keyboard twin never for a
// mouse.
template <class Dialog>
int runProfileDialog(QWidget* mainWindow)
{
    if (!AppParam::device || AppParam::device->deviceType() != Dialog::kDeviceType)
        return 0;
    QPointer<Dialog> dialog = new Dialog(mainWindow);
    const int code = dialog->exec();
    if (dialog)
        dialog->deleteLater();
    return code;
}
