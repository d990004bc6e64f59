#pragma once
// The common look and exits of the profile, folder and version dialogs: a
// frameless dialog painted with the dialog background colour, white
// captions from the string table, the accepting and cancelling buttons in
// their colours, Escape and the close button running the dialog's own
// Cancel action, and closeAllWindow() for a device that went away.

#include "AppParam.h"
#include "Utility/AppColor.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QCheckBox;
class QLineEdit;

class ProfileDialogFrame : public QDialog {
    Q_OBJECT
public:
    explicit ProfileDialogFrame(QWidget* parent = nullptr,
                                AppColor background = AppParam::SubBackgroundColor);

    // The dialog's Cancel action; ends with 0 unless a dialog adds work.
    virtual void pushCancel();

    // Ends the dialog because its device went away: a chooser running over
    // it is aborted, the dialog disappears at once and ends with 0 half a
    // second later. The dialog's own Cancel work is not run.
    void closeAllWindow();

    // Whether closeAllWindow() has been called.
    bool isClosing() const { return closing_; }

    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

    // Controls in the dialogs' look, captions looked up by key.
    QLabel* makeTitle(const QString& key);
    QLabel* makeLabel(const QString& key);
    QPushButton* makeButton(const QString& caption, AppColor color, AppColor highlight);
    QPushButton* makeOkButton();
    QPushButton* makeCancelButton();
    QCheckBox* makeCheckBox(const QString& key);
    // White text on the field grey.
    static void styleField(QWidget* field);

private:
    AppColor background_;
    bool closing_ = false;
};
