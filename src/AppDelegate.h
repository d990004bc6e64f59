#pragma once
// The life of the application: the single-instance guard, the start of the
// main window controller and the answers to the application's state changes.

#include "Platform/InstanceLock.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class MainViewController;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    AppDelegate();
    ~AppDelegate() override;

    // The fixed identifier of the application; names the instance lock.
    static constexpr const char* kApplicationId = KOLVENTRA_APP_ID;

    using InstanceLock = platform::InstanceLock;

    // Takes the per-user instance lock in `folder` (the runtime folder when
    // empty); see platform::acquireInstanceLock().
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
