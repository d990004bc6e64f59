#include "AppDelegate.h"

#include "Dialog/DialogHooks.h"
#include "MainViewController.h"
#include "StartupFiles.h"
#include "XML/ApplicationProfile.h"
#include "XML/DefaultProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

AppDelegate::AppDelegate()
{
    // Leaving the foreground closes the open tab menu.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive && mainController_)
            mainController_->applicationWillResignActive();
    });
}

AppDelegate::~AppDelegate() = default;

namespace {

// Every running instance keeps an exclusive native lock on its lock file for
// as long as it runs (QLockFile holds the file open with flock). A file
// nobody has locked was left by a start that ended, whatever it holds.
bool lockedByRunningProcess(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool held = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

// Removes what stands at the lock file's path: a file, a link (not what it
// points to) or a folder.
bool removeLeftover(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

// Why no lock file can be made at `path`: QLockFile reports only the kind of
// failure, so the making is tried once more to learn the system's reason.
QString whyNoLockFile(const QString& path)
{
    const QString dir = QFileInfo(path).absolutePath();
    if (!QFileInfo(dir).isDir())
        return QStringLiteral("the folder %1 cannot be made").arg(dir);
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return probe.errorString();
    const bool written = probe.write("0\n") == 2 && probe.flush();
    const QString reason = written ? QStringLiteral("unknown error") : probe.errorString();
    probe.close();
    QFile::remove(path);  // by name: a file whose write failed refuses its own remove()
    return reason;
}

} // namespace

AppDelegate::InstanceLock AppDelegate::acquireSingleInstance(const QString& folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    const QString path = QDir(dir).filePath(QString::fromLatin1(kApplicationId) + QStringLiteral(".lock"));
    InstanceLock result;
    result.lock = std::make_unique<QLockFile>(path);
    // A lock whose process no longer runs is stale however young it is; the
    // age alone never makes a running instance's lock stale.
    result.lock->setStaleLockTime(0);
    // QLockFile takes over a readable lock of a process that has ended. Any
    // other existing file is taken over here unless a running process holds
    // it; a concurrent start may win the file in between, hence the retries.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (result.lock->tryLock(0))
            return result;
        if (result.lock->error() != QLockFile::LockFailedError)
            break;
        if (lockedByRunningProcess(path)) {
            result.lock.reset();
            return result;
        }
        if (!removeLeftover(path))
            break;
    }
    result.lock.reset();
    result.problem = QStringLiteral("the instance lock %1 cannot be made: %2").arg(path, whyNoLockFile(path));
    return result;
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
