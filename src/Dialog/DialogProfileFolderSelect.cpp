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
    titleLabel_ = createTitleLabel(QStringLiteral("FolderSetting"));
    folderLabel_ = createLabel(QStringLiteral("DialogFolderLabel"));
    folderPathLabel_ = new NKTextField(this);
    folderPathLabel_->setAccessibleName(folderLabel_->text());
    styleField(folderPathLabel_);
    selectButton_ = createSelectButton();
    selectButton_->setFixedSize(layout::selectButtonSize.toSize());
    selectButton_->setAutoDefault(false);
    okButton_ = makeOkButton();
    cancelButton_ = makeCancelButton();

    QVBoxLayout* column = makeColumn();
    column->addWidget(titleLabel_);
    column->addStretch(1);
    column->addLayout(makePathRow(folderLabel_, folderPathLabel_, selectButton_));
    column->addStretch(1);
    column->addLayout(makeButtonRow(cancelButton_, okButton_));

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
    refocusField(folderPathLabel_);
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
    // A relative path would be taken from wherever the program was started.
    if (filePath_.contains(u':') || QDir::isRelativePath(filePath_)) {
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
    return runPathDialog<DialogProfileFolderSelect>(folderPath, chosen);
}
