#pragma once
// A file chooser for the tests: installed for its lifetime, it answers every
// choice with the next scripted answer (absent = the user cancelled) and
// records where each chooser started. `whileOpen` runs while the "chooser"
// is open, so a test can remove the device at that moment; an abort() from
// there turns the answer into a cancel.

#include "Dialog/FileChooser.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

class ScriptedFileChooser : public FileChooser {
public:
    ScriptedFileChooser();
    ~ScriptedFileChooser() override;
    ScriptedFileChooser(const ScriptedFileChooser&) = delete;
    ScriptedFileChooser& operator=(const ScriptedFileChooser&) = delete;

    std::optional<QString> chooseFolder(QWidget* parent, const QString& startFolder) override;
    std::optional<QString> chooseFile(QWidget* parent, const QString& startFolder,
                                      const QStringList& nameFilters) override;
    void abort() override;
    bool isRunning() const override { return running_; }

    std::deque<std::optional<QString>> answers;
    std::function<void()> whileOpen;

    struct Call {
        bool folder;
        QString startFolder;
        QStringList nameFilters;
    };
    std::vector<Call> calls;
    int aborts = 0;

private:
    std::optional<QString> answer(QWidget* parent);

    FileChooser* previous_ = nullptr;
    bool running_ = false;
    bool aborted_ = false;
};
