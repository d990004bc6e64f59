#pragma once
// The file and folder choosers that dialogs open over themselves. Dialogs
// reach them only through this interface, so the tests answer them; the
// application uses the Qt implementation (non-native QFileDialog).

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

class FileChooser {
public:
    virtual ~FileChooser() = default;

    // One existing folder, chosen in a modal chooser over `parent` that starts
    // in `startFolder`; folders only, one choice, no new folders. The path has
    // no trailing "/". Absent when the user cancels or the chooser is aborted.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& startFolder) = 0;

    // One existing file matching one of `nameFilters` ("Firmware (*.vxb)"),
    // chosen in a modal chooser over `parent` that starts in `startFolder`.
    // Absent when the user cancels or the chooser is aborted.
    virtual std::optional<QString> chooseFile(QWidget* parent, const QString& startFolder,
                                              const QStringList& nameFilters) = 0;

    // Ends a running chooser as if cancelled (the device went away while it
    // was open). Nothing happens when none runs.
    virtual void abort() = 0;

    // Whether a chooser is running now.
    virtual bool isRunning() const = 0;

    // The chooser the dialogs use: the Qt one unless a test installed another.
    static FileChooser& current();
    // Installs `chooser` (not owned; null restores the Qt one). Returns the
    // previous one (null when it was the Qt one).
    static FileChooser* install(FileChooser* chooser);
};

// The chooser of the application: a non-native QFileDialog run modally.
class QtFileChooser : public FileChooser {
public:
    std::optional<QString> chooseFolder(QWidget* parent, const QString& startFolder) override;
    std::optional<QString> chooseFile(QWidget* parent, const QString& startFolder,
                                      const QStringList& nameFilters) override;
    void abort() override;
    bool isRunning() const override;

private:
    class QFileDialog* running_ = nullptr;
};
