#include "Dialog/DialogMessageBox.h"

#include <QLabel>
#include <QPushButton>

#include "AppParam.h"
#include "UiLayout.h"

DialogMessageBox::DialogMessageBox(const QString& messageKey, const QString& okKey,
                                   const QString& cancelKey, QWidget* parent)
    : ModalDialog(DialogKind::MessageBox, parent), hostChanges_(DialogRegistry::host())
{
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
    // found it; one whose run was ended otherwise leaves it as it is.
    if (isOpen())
        undoHostChanges();
    else
        hostChanges_.drop();
}

bool DialogMessageBox::isCancelHidden() const { return cancelButton_->isHidden(); }

void DialogMessageBox::undoHostChanges()
{
    // The box reaches the window through the registry: a window that is no
    // longer registered may be gone, and is left alone.
    if (hostChanges_.host() == &DialogRegistry::host())
        hostChanges_.end();
    else
        hostChanges_.drop();
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
