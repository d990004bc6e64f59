#include "AppDelegate.h"

#include "Dialog/DialogHooks.h"
#include "MainViewController.h"
#include "StartupFiles.h"
#include "XML/ApplicationProfile.h"
#include "XML/DefaultProfile.h"

#include <QDir>
#include <QGuiApplication>
#include <QLockFile>
#include <QStandardPaths>

AppDelegate::AppDelegate()
{
    // Leaving the foreground closes the open tab menu.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive && mainController_)
            mainController_->applicationWillResignActive();
    });
}

AppDelegate::~AppDelegate() = default;

AppDelegate::InstanceLock AppDelegate::acquireSingleInstance(const QString& folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return platform::acquireInstanceLock(
        QDir(dir).filePath(QString::fromLatin1(kApplicationId) + QStringLiteral(".lock")));
}

bool AppDelegate::applicationDidFinishLaunching()
{
    // The defaults and the settings are read by child processes; let them run
    // while the window is built.
    defaultsPath_ = DefaultProfile::filePath();
    StartupFiles files(defaultsPath_, ApplicationProfile::filePath());
    installDialogHooks();
    mainController_ = std::make_unique<MainViewController>();
    if (!mainController_->viewDidLoad(files))
        return false;
    if (beforeAppear)
        beforeAppear(*mainController_);
    mainController_->viewWillAppear();
    return true;
}
