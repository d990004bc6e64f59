#include "Dialog/FilePickDialog.h"

#include "Dialog/FileChooser.h"
#include "Dialog/FirmwareImage.h"
#include "UiLayout.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

FilePickDialog::FilePickDialog(DialogKind kind, const QString& startPath, const QString& extension,
                               const QString& titleKey, const QString& captionKey,
                               const QString& confirmKey, QWidget* parent)
    : ProfileDialogFrame(kind, parent), extension_(extension)
{
    setFixedSize(layout::filePickDialogSize.toSize());
    titleLabel_ = createTitleLabel(titleKey);
    captionLabel_ = createLabel(captionKey);
    pathLabel_ = new QLineEdit(this);
    pathLabel_->setReadOnly(true);
    pathLabel_->setAccessibleName(captionLabel_->text());
    styleField(pathLabel_);
    selectButton_ = createSelectButton();
    selectButton_->setFixedSize(layout::selectButtonSize.toSize());
    confirmButton_ = createOkButton(confirmKey);
    confirmButton_->setFixedSize(layout::dialogButtonSize.toSize());
    cancelButton_ = makeCancelButton();

    QVBoxLayout* column = makeColumn();
    column->addWidget(titleLabel_);
    column->addStretch(1);
    column->addLayout(makePathRow(captionLabel_, pathLabel_, selectButton_));
    column->addStretch(1);
    column->addLayout(makeButtonRow(cancelButton_, confirmButton_));

    connect(selectButton_, &QPushButton::clicked, this, [this] { pushSelect(); });

    filePath_ = firmware::startFolderOf(startPath);
    refocusPath();
}

void FilePickDialog::showEvent(QShowEvent* event)
{
    ProfileDialogFrame::showEvent(event);
    QTimer::singleShot(0, this, [this] { refocusPath(); });
}

void FilePickDialog::refocusPath()
{
    refocusField(pathLabel_);
}

void FilePickDialog::pushSelect()
{
    QPointer<FilePickDialog> self(this);
    // After a pick the path names a file; the chooser starts in its folder.
    const QFileInfo at(filePath_);
    const QString start = at.isFile() ? at.path() : filePath_;
    const std::optional<QString> chosen = FileChooser::current().chooseFile(
        this, start, {QStringLiteral("*.") + extension_});
    if (!self || isClosingAll() || !chosen)
        return;
    filePath_ = *chosen;
    pathLabel_->setText(QFileInfo(filePath_).fileName());
    refocusPath();
}
