#include "Dialog/FileChooser.h"

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

std::optional<QString> runDialog(QFileDialog& dialog, QFileDialog*& running)
{
    QPointer<QFileDialog> guard(&dialog);
    running = &dialog;
    const int code = dialog.exec();
    running = nullptr;
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
    std::optional<QString> path = runDialog(dialog, running_);
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
    return runDialog(dialog, running_);
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
