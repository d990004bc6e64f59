#pragma once
// The application's message box: a message and one or two buttons, run
// modal over the main window. Shown through AppUtil::messageBox, which the
// main window serves with DialogMessageBox::run.
//
// The box puts up the main window's mask and disables its help menu items
// itself (a DialogMaskScope), but only what it finds not yet done (a box
// shown from inside another dialog leaves both to that dialog), and its
// buttons undo exactly that.

#include <QPointer>
#include <QString>

#include "Dialog/ModalDialog.h"

class QLabel;
class QPushButton;

class DialogMessageBox : public ModalDialog {
    Q_OBJECT
public:
    // Texts are looked up by key; an empty okKey shows "OK", an empty
    // cancelKey hides the Cancel button. A key the string table lacks shows
    // as it is, so an already localised text may be passed.
    DialogMessageBox(const QString& messageKey, const QString& okKey, const QString& cancelKey,
                     QWidget* parent = nullptr);
    ~DialogMessageBox() override;

    // Builds a box, makes it the current message box, places it over
    // `mainWindow` (over the host's main window when null; at its own
    // position when there is none), runs it and returns 1 for OK, 0 for
    // Cancel or any other close.
    static int run(const QString& messageKey, const QString& okKey, const QString& cancelKey,
                   QWidget* mainWindow);

    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    QLabel* messageLabel() const { return messageLabel_; }
    bool isCancelHidden() const;

    // Ends the box as the device removal does: OK when Cancel is hidden,
    // else Cancel.
    void endForDeviceRemoval();

public slots:
    void pushOK() override;
    void pushCancel() override;

private:
    void undoHostChanges();

    QLabel* messageLabel_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    DialogMaskScope hostChanges_;
};
