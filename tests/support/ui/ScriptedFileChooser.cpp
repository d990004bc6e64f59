#include "support/ui/ScriptedFileChooser.h"

#include "Dialog/ModalDialog.h"

#include <QDialog>
#include <QPointer>

ScriptedFileChooser::ScriptedFileChooser() : previous_(FileChooser::install(this)) {}

ScriptedFileChooser::~ScriptedFileChooser()
{
    FileChooser::install(previous_);
}

std::optional<QString> ScriptedFileChooser::answer(QWidget* parent)
{
    // An invisible stand-in panel, known to a modal dialog parent as its open
    // panel like the real chooser, so that closing the dialog aborts it.
    QDialog panel;
    QObject::connect(&panel, &QDialog::rejected, [this] { abort(); });
    QPointer<ModalDialog> owner = qobject_cast<ModalDialog*>(parent);
    if (owner)
        owner->setOpenPanel(&panel);
    running_ = true;
    aborted_ = false;
    if (whileOpen)
        whileOpen();
    running_ = false;
    if (owner && owner->openPanel() == &panel)
        owner->setOpenPanel(nullptr);
    std::optional<QString> reply;
    if (!answers.empty()) {
        reply = answers.front();
        answers.pop_front();
    }
    if (aborted_)
        return std::nullopt;
    return reply;
}

std::optional<QString> ScriptedFileChooser::chooseFolder(QWidget* parent, const QString& startFolder)
{
    calls.push_back({true, startFolder, {}});
    return answer(parent);
}

std::optional<QString> ScriptedFileChooser::chooseFile(QWidget* parent, const QString& startFolder,
                                                       const QStringList& nameFilters)
{
    calls.push_back({false, startFolder, nameFilters});
    return answer(parent);
}

void ScriptedFileChooser::abort()
{
    if (running_) {
        aborted_ = true;
        ++aborts;
    }
}
