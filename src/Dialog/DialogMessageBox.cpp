#include "Dialog/DialogMessageBox.h"

#include <QLabel>
#include <QPushButton>

#include "AppParam.h"
#include "Platform/Strings.h"
#include "UiLayout.h"

DialogMessageBox::DialogMessageBox(const QString& messageKey, const QString& okKey,
                                   const QString& cancelKey, QWidget* parent)
    : ModalDialog(DialogKind::MessageBox, parent)
{
    if (IDialogHost* host = DialogRegistry::host()) {
        if (!host->isDialogMaskUp()) {
            host->setDialogMask(true);
            stateMask_ = true;
        }
        if (host->isHelpMenuEnabled()) {
            host->setHelpMenu(false);
            stateMenu_ = true;
        }
    }

    setBackgroundColor(AppParam::MessageBackgroundColor);
    setFixedSize(layout::messageBoxSize.toSize());

    QFont font;
    font.setPixelSize(layout::messageBoxFontPixels);

    messageLabel_ = new QLabel(platform::localizedString(messageKey), this);
    messageLabel_->setGeometry(layout::messageBoxLabel.toRect());
    messageLabel_->setFont(font);
    messageLabel_->setWordWrap(true);
    messageLabel_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    messageLabel_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    okButton_ = new QPushButton(
        platform::localizedString(okKey.isEmpty() ? QStringLiteral("OK") : okKey), this);
    okButton_->setGeometry(layout::messageBoxOkButton.toRect());
    styleButton(okButton_, AppParam::OKButtonColor, AppParam::OKButtonHighlightColor);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &DialogMessageBox::pushOK);

    cancelButton_ = new QPushButton(platform::localizedString(cancelKey), this);
    cancelButton_->setGeometry(layout::messageBoxCancelButton.toRect());
    styleButton(cancelButton_, AppParam::CancelButtonColor, AppParam::CancelButtonHighlightColor);
    cancelButton_->setAutoDefault(false);
    cancelButton_->setHidden(cancelKey.isEmpty());
    connect(cancelButton_, &QPushButton::clicked, this, &DialogMessageBox::pushCancel);
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
    IDialogHost* host = DialogRegistry::host();
    if (host && stateMask_)
        host->setDialogMask(false);
    if (host && stateMenu_)
        host->setHelpMenu(true);
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
