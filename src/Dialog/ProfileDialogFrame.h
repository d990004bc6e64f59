#pragma once
// What the profile folder, profile save and profile load dialogs add to the
// modal dialog frame: the title, the dialog font, check boxes and input
// fields in the dialogs' look, and buttons of one size.

#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/ModalDialog.h"

#include <QPointer>

class QCheckBox;
class QLabel;
class QPushButton;

class ProfileDialogFrame : public ModalDialog {
    Q_OBJECT
public:
    explicit ProfileDialogFrame(DialogKind kind, QWidget* parent = nullptr);

protected:
    // Controls in the dialogs' look, captions looked up by key.
    QLabel* makeTitle(const QString& key);
    QPushButton* makeOkButton();
    QPushButton* makeCancelButton();
    QCheckBox* makeCheckBox(const QString& key);
    // White text on the field grey.
    static void styleField(QWidget* field);
};

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
