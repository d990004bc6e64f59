#include "Dialog/FileChooser.h"

#include "Dialog/ModalDialog.h"

#include <QFileDialog>
#include <QPointer>

namespace {

FileChooser* installed = nullptr;

QtFileChooser& qtChooser()
{
    static QtFileChooser chooser;
    return chooser;
}

} // namespace

FileChooser& FileChooser::current()
{
    return installed ? *installed : static_cast<FileChooser&>(qtChooser());
}

FileChooser* FileChooser::install(FileChooser* chooser)
{
    FileChooser* previous = installed;
    installed = chooser;
    return previous;
}

namespace {

// Runs the chooser over `parent`; a modal dialog parent knows it as its open
// panel, so that closing that dialog from outside ends the chooser first.
std::optional<QString> runDialog(QFileDialog& dialog, QWidget* parent, QFileDialog*& running)
{
    QPointer<QFileDialog> guard(&dialog);
    QPointer<ModalDialog> owner = qobject_cast<ModalDialog*>(parent);
    if (owner)
        owner->setOpenPanel(&dialog);
    running = &dialog;
    const int code = dialog.exec();
    running = nullptr;
    if (owner && owner->openPanel() == &dialog)
        owner->setOpenPanel(nullptr);
    if (!guard || code != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    return files.front();
}

} // namespace

std::optional<QString> QtFileChooser::chooseFolder(QWidget* parent, const QString& startFolder)
{
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::ReadOnly, true); // no new folders from the chooser
    dialog.setDirectory(startFolder);
    std::optional<QString> path = runDialog(dialog, parent, running_);
    if (path && path->size() > 1 && path->endsWith(u'/'))
        path->chop(1);
    return path;
}

std::optional<QString> QtFileChooser::chooseFile(QWidget* parent, const QString& startFolder,
                                                 const QStringList& nameFilters)
{
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters);
    dialog.setDirectory(startFolder);
    return runDialog(dialog, parent, running_);
}

void QtFileChooser::abort()
{
    if (running_)
        running_->reject();
}

bool QtFileChooser::isRunning() const
{
    return running_ != nullptr;
}
