#pragma once
// The random user's file chooser: each time a dialog asks for a file or a
// folder, the user picks one by the run's random generator: cancel, a good
// file of the kind asked for, a damaged one, one that does not exist, the
// wrong kind, or unplugs the connected device while the chooser is open.
// Good firmware files are made for the connected model; damaged files are
// made in a scratch folder of the run.

#include "Dialog/FileChooser.h"

#include <QString>

#include <functional>
#include <map>
#include <string>

namespace stress {

class RandomChooser : public FileChooser {
public:
    // `pick(n)` draws 0..n-1; `unplug` removes the connected device;
    // `scratch` is a folder the chooser may write its made-up files to.
    RandomChooser(std::function<int(int)> pick, std::function<void()> unplug, QString scratch);
    ~RandomChooser() override;

    std::optional<QString> chooseFolder(QWidget* parent, const QString& startFolder) override;
    std::optional<QString> chooseFile(QWidget* parent, const QString& startFolder,
                                      const QStringList& nameFilters) override;
    void abort() override { aborted_ = true; }
    bool isRunning() const override { return running_; }

    // What was answered, by kind ("file good", "folder cancel", ...).
    std::map<std::string, int> answers;
    // Folders the user may choose as the profile folder.
    QStringList folders;

private:
    std::optional<QString> finish(std::optional<QString> answer, const std::string& what);
    QString madeFile(const QString& extension, bool good);

    std::function<int(int)> pick_;
    std::function<void()> unplug_;
    QString scratch_;
    FileChooser* previous_ = nullptr;
    bool running_ = false;
    bool aborted_ = false;
    int made_ = 0;
};

} // namespace stress
