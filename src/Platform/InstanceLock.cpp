#include "Platform/InstanceLock.h"

#include "Platform/Clock.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// What this relies on from QLockFile (on Linux): it makes the lock file with
// O_CREAT | O_EXCL and then holds an exclusive flock() on it for as long as
// it is locked, and it removes a file of an ended process only with that
// flock taken. So a file that nobody has flock()ed was left by a start that
// ended, whatever it holds. Between making the file and locking it, though,
// a start's file is empty and unlocked, as a leftover is: a start that took
// that file over could remove the one another start has just made. Hence
// every start takes the lock in turn, under a flock() on a file of the
// application's own beside it (the lock's name and ".turn"), which is never
// removed; a start waits for its turn at most kTurnLimit, since the start
// that holds it may have been stopped (Ctrl-Z, a debugger). The tests in
// tests/Main/ApplicationProcessTest.cpp guard this:
// SingleInstance.LockIsHeldOnce (a held lock stays held whatever its file
// holds), SingleInstance.StartsThatMeetOverALeftoverTakeTheLockOnce (starts
// released at one instant over each kind of leftover),
// SingleInstance.TurnIsTakenOnAFileOfItsOwnAndWaitedForBoundedly (the turn's
// own file, and its bounded wait) and
// SingleInstance.TurnPathThatIsNoFileLeavesStartsUnordered.

namespace platform {

namespace {

QString systemError(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The longest a start waits for its turn, and how often it looks.
constexpr Seconds kTurnLimit{5.0};
constexpr Seconds kTurnPoll{0.002};

// The turn file at `path`, made when missing; -1 when what stands there is
// not a regular file. As with the lock itself, a link is not followed and
// nothing that is opened can block (a FIFO).
int openTurnFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The turn of this start: an exclusive flock() on the turn file, held until
// the turn ends. A turn file that cannot be made or locked (a file system
// without flock()), or anything else at its path, leaves the starts
// unordered, as they were before.
class StartTurn {
public:
    explicit StartTurn(const QString& path) : fd_(openTurnFile(path))
    {
        const auto deadline = now() + scaled(kTurnLimit);
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EINTR)) {
            if (now() >= deadline) {
                timedOut_ = true;
                return;
            }
            sleepFor(kTurnPoll);
        }
    }
    ~StartTurn()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    StartTurn(const StartTurn&) = delete;
    StartTurn& operator=(const StartTurn&) = delete;
    // Whether another process kept the turn for all of kTurnLimit.
    bool timedOut() const { return timedOut_; }

private:
    int fd_;
    bool timedOut_ = false;
};

// Whether a running instance holds the file at `path` (see above).
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
// points to) or an empty folder. Empty when it is gone; otherwise why not.
// A folder is never emptied: what is in it is not the application's.
QString removeLeftover(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return errno == ENOENT ? QString() : systemError(errno);
    const bool folder = S_ISDIR(st.st_mode);
    if ((folder ? ::rmdir(name.constData()) : ::unlink(name.constData())) == 0 || errno == ENOENT)
        return {};
    if (folder && (errno == ENOTEMPTY || errno == EEXIST))
        return QStringLiteral("a folder that is not empty stands in its place");
    return systemError(errno);
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

InstanceLock acquireInstanceLock(const QString& path)
{
    const QString turnPath = path + QStringLiteral(".turn");
    const StartTurn turn(turnPath);
    InstanceLock result;
    if (turn.timedOut()) {
        result.problem = QStringLiteral("the turn file %1 of the instance lock is held by another process")
                             .arg(turnPath);
        return result;
    }
    result.lock = std::make_unique<QLockFile>(path);
    // A lock whose process no longer runs is stale however young it is; the
    // age alone never makes a running instance's lock stale.
    result.lock->setStaleLockTime(0);
    // QLockFile takes over a readable lock of a process that has ended; any
    // other leftover is removed here.
    if (result.lock->tryLock(0))
        return result;
    QString reason;
    if (result.lock->error() == QLockFile::LockFailedError) {
        if (lockedByRunningProcess(path)) {
            result.lock.reset();
            return result;
        }
        reason = removeLeftover(path);
        if (reason.isEmpty() && result.lock->tryLock(0))
            return result;
    }
    result.lock.reset();
    if (reason.isEmpty())
        reason = whyNoLockFile(path);
    result.problem = QStringLiteral("the instance lock %1 cannot be made: %2").arg(path, reason);
    return result;
}

} // namespace platform
