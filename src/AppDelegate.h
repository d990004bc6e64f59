#pragma once
// The life of the application: the single-instance guard, the start of the
// main window controller and the answers to the application's state changes.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLockFile;
class MainViewController;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    // The fixed identifier of the application; names the instance lock.
    static constexpr const char* kApplicationId = KOLVENTRA_APP_ID;

    // The outcome of taking the instance lock: the lock while this is the
    // only instance; none when another instance runs (`problem` empty) or
    // when no lock can be made at all (`problem` says where and why).
    struct InstanceLock {
        std::unique_ptr<QLockFile> lock;
        QString problem;
        explicit operator bool() const { return lock != nullptr; }
    };

    // Takes the per-user instance lock in `folder` (the runtime folder when
    // empty). A lock file that no running instance holds (left by a crashed
    // or cut-off start, unreadable, or not a file at all) is taken over.
    static InstanceLock acquireSingleInstance(const QString& folder = QString());

    // Creates the controller, reads the defaults and the settings, lays the
    // window out, connects the devices and shows the window. False when the
    // defaults cannot be read (nothing is shown then).
    bool applicationDidFinishLaunching();

    // The built-in defaults file the start reads, for the line the start
    // ends with when it cannot.
    const QString& defaultsFilePath() const { return defaultsPath_; }

    MainViewController* mainController() const { return mainController_.get(); }

    // Runs after the window is laid out and before devices are connected
    // (tests set the controller's seams here).
    std::function<void(MainViewController&)> beforeAppear;

private:
    std::unique_ptr<MainViewController> mainController_;
    QString defaultsPath_;
};
