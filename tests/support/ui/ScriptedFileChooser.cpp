#include "support/ui/ScriptedFileChooser.h"

ScriptedFileChooser::ScriptedFileChooser() : previous_(FileChooser::install(this)) {}

ScriptedFileChooser::~ScriptedFileChooser()
{
    FileChooser::install(previous_);
}

std::optional<QString> ScriptedFileChooser::answer()
{
    running_ = true;
    aborted_ = false;
    if (whileOpen)
        whileOpen();
    running_ = false;
    std::optional<QString> reply;
    if (!answers.empty()) {
        reply = answers.front();
        answers.pop_front();
    }
    if (aborted_)
        return std::nullopt;
    return reply;
}

std::optional<QString> ScriptedFileChooser::chooseFolder(QWidget*, const QString& startFolder)
{
    calls.push_back({true, startFolder, {}});
    return answer();
}

std::optional<QString> ScriptedFileChooser::chooseFile(QWidget*, const QString& startFolder,
                                                       const QStringList& nameFilters)
{
    calls.push_back({false, startFolder, nameFilters});
    return answer();
}

void ScriptedFileChooser::abort()
{
    if (running_) {
        aborted_ = true;
        ++aborts;
    }
}
