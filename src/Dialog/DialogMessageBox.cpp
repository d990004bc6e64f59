#include "Dialog/DialogMessageBox.h"

#include <QLabel>
#include <QPushButton>

#include "AppParam.h"
#include "UiLayout.h"

DialogMessageBox::DialogMessageBox(const QString& messageKey, const QString& okKey,
                                   const QString& cancelKey, QWidget* parent)
    : ModalDialog(DialogKind::MessageBox, parent)
{
    IDialogHost& host = DialogRegistry::host();
    if (!host.isDialogMaskUp()) {
        host.setDialogMask(true);
        stateMask_ = true;
    }
    if (host.isHelpMenuEnabled()) {
        host.setHelpMenu(false);
        stateMenu_ = true;
    }

    setBackgroundColor(AppParam::MessageBackgroundColor);
    setFixedSize(layout::messageBoxSize.toSize());

    messageLabel_ = createLabel(messageKey);
    messageLabel_->setGeometry(layout::messageBoxLabel.toRect());
    messageLabel_->setWordWrap(true);
    messageLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    okButton_ = createOkButton(okKey.isEmpty() ? QStringLiteral("OK") : okKey);
    okButton_->setGeometry(layout::messageBoxOkButton.toRect());

    cancelButton_ = createCancelButton(cancelKey);
    cancelButton_->setGeometry(layout::messageBoxCancelButton.toRect());
    cancelButton_->setHidden(cancelKey.isEmpty());
}

DialogMessageBox::~DialogMessageBox()
{
    // A box destroyed without either action leaves the main window as it
    // found it.
    if (isOpen())
        undoHostChanges();
}

bool DialogMessageBox::isCancelHidden() const { return cancelButton_->isHidden(); }

void DialogMessageBox::undoHostChanges()
{
    IDialogHost& host = DialogRegistry::host();
    if (stateMask_)
        host.setDialogMask(false);
    if (stateMenu_)
        host.setHelpMenu(true);
    stateMask_ = false;
    stateMenu_ = false;
}

void DialogMessageBox::pushOK()
{
    undoHostChanges();
    done(1);
}

void DialogMessageBox::pushCancel()
{
    undoHostChanges();
    done(0);
}

void DialogMessageBox::endForDeviceRemoval()
{
    if (isCancelHidden())
        pushOK();
    else
        pushCancel();
}

int DialogMessageBox::run(const QString& messageKey, const QString& okKey,
                          const QString& cancelKey, QWidget* mainWindow)
{
    auto* box = new DialogMessageBox(messageKey, okKey, cancelKey);
    QPointer<DialogMessageBox> guard(box);
    box->setReferenceWindow(mainWindow);
    if (!mainWindow)
        box->setInitPosition(std::nullopt);
    const int code = box->exec();
    if (guard)
        guard->deleteLater();
    return code;
}
