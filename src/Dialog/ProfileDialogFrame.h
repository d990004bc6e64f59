#pragma once
// What the profile folder, profile save and profile load dialogs add to the
// modal dialog frame: the title, the dialog font, check boxes and input
// fields in the dialogs' look, and buttons of one size.

#include "Dialog/ModalDialog.h"

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
