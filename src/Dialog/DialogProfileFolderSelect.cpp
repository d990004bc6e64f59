#include "Dialog/DialogProfileFolderSelect.h"

#include "Dialog/FileChooser.h"
#include "CustomControl/BackgroundView.h"
#include "UiLayout.h"
#include "Utility/AppUtil.h"
#include "Utility/ZipUtil.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

DialogProfileFolderSelect::DialogProfileFolderSelect(const QString& folderPath, QWidget* parent)
    : ProfileDialogFrame(DialogKind::ProfileFolderSelect, parent)
{
    setFixedSize(layout::folderSelectDialogSize.toSize());
    titleLabel_ = makeTitle(QStringLiteral("FolderSetting"));
    folderLabel_ = createLabel(QStringLiteral("DialogFolderLabel"));
    folderPathLabel_ = new NKTextField(this);
    folderPathLabel_->setAccessibleName(folderLabel_->text());
    styleField(folderPathLabel_);
    selectButton_ = createSelectButton();
    selectButton_->setFixedSize(layout::selectButtonSize.toSize());
    selectButton_->setAutoDefault(false);
    okButton_ = makeOkButton();
    cancelButton_ = makeCancelButton();

    auto* pathRow = new QHBoxLayout;
    pathRow->setSpacing(layout::dialogSpacing);
    pathRow->addWidget(folderLabel_);
    pathRow->addWidget(folderPathLabel_, 1);
    pathRow->addWidget(selectButton_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancelButton_);
    buttons->addWidget(okButton_);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(layout::dialogMargin, layout::dialogMargin, layout::dialogMargin,
                               layout::dialogMargin);
    column->setSpacing(layout::dialogSpacing);
    column->addWidget(titleLabel_);
    column->addStretch(1);
    column->addLayout(pathRow);
    column->addStretch(1);
    column->addLayout(buttons);

    connect(selectButton_, &QPushButton::clicked, this, [this] { pushSelect(); });

    filePath_ = folderPath;
    folderPathLabel_->setText(filePath_);
    refocusPath();
}

void DialogProfileFolderSelect::showEvent(QShowEvent* event)
{
    ProfileDialogFrame::showEvent(event);
    // The field gets the focus with the caret at the end, nothing selected,
    // also after the window's first activation.
    QTimer::singleShot(0, this, [this] { refocusPath(); });
}

void DialogProfileFolderSelect::refocusPath()
{
    folderPathLabel_->setFocus();
    folderPathLabel_->setCursorPosition(int(folderPathLabel_->text().size()));
    folderPathLabel_->deselect();
}

void DialogProfileFolderSelect::pushSelect()
{
    QPointer<DialogProfileFolderSelect> self(this);
    const std::optional<QString> chosen =
        FileChooser::current().chooseFolder(this, folderPathLabel_->text());
    if (!self || isClosingAll() || !chosen)
        return;
    filePath_ = *chosen;
    folderPathLabel_->setText(filePath_);
    refocusPath();
}

void DialogProfileFolderSelect::refuse()
{
    AppUtil::messageBox(QStringLiteral("CanNotWriteToThisFolder"), QStringLiteral("OK"), QString());
}

void DialogProfileFolderSelect::pushOK()
{
    QPointer<DialogProfileFolderSelect> self(this);
    filePath_ = folderPathLabel_->text();
    if (filePath_.contains(u':')) {
        refuse();
        if (self)
            refocusPath();
        return;
    }
    QString path = filePath_;
    if (!path.endsWith(u'/'))
        path += u'/';
    if (!QDir().mkpath(path) || !AppUtil::isEnableFoldrWrite(path)) {
        refuse();
        return;
    }
    filePath_ = path;
    ModalDialog::pushOK();
}

void DialogProfileFolderSelect::pushCancel()
{
    ModalDialog::pushCancel();
}

int DialogProfileFolderSelect::run(const QString& folderPath, QString& chosen)
{
    QPointer<DialogProfileFolderSelect> dialog = new DialogProfileFolderSelect(folderPath);
    const int code = dialog->exec();
    if (!dialog)
        return 0;
    if (code == 1)
        chosen = dialog->filePath();
    dialog->deleteLater();
    return code;
}
