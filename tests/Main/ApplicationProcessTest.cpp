// The application executable as a process: a second start while one runs
// exits at once with status 0; a start without its built-in defaults, its
// instance lock or a usable display ends with a non-zero status and a line on
// standard error, writing nothing.
#include "BuildPaths.h"
#include "AppDelegate.h"
#include "Platform/Clock.h"
#include "support/DisplayStandIns.h"
#include "support/XServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <functional>
#include <future>
#include <latch>
#include <optional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kExecutable = QStringLiteral(KOLVENTRA_BINARY_DIR "/src/kolventra");

QProcessEnvironment environmentIn(const QTemporaryDir& dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    return env;
}

// The same without any window system: no platform, no display.
QProcessEnvironment withoutDisplay(QProcessEnvironment env)
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    return env;
}

// The runtime folder of environmentIn(), private as the runtime folder must be.
QString runtimeFolderIn(const QTemporaryDir& dir)
{
    const QString run = dir.filePath(QStringLiteral("run"));
    QDir().mkpath(run);
    QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return run;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

const QString kLockName = QString::fromLatin1(AppDelegate::kApplicationId) + QStringLiteral(".lock");

// Starts the application as a launcher that leaves child exits ignored does:
// that outlives exec (a shell in between would set it back).
void startWithChildExitsIgnored(QProcess& app)
{
    app.setChildProcessModifier([] { std::signal(SIGCHLD, SIG_IGN); });
    app.start(kExecutable, {});
}

// Whether the machine's resolver answers a lookup of `host` (found or not)
// within two seconds.
bool resolverAnswers(const QString& host)
{
    QProcess lookup;
    lookup.start(QStringLiteral("getent"), {QStringLiteral("ahosts"), host});
    if (lookup.waitForFinished(2000))
        return lookup.exitStatus() == QProcess::NormalExit;
    lookup.kill();
    lookup.waitForFinished();
    return false;
}

} // namespace

TEST(SingleInstance, LockIsHeldOnce)
{
    QTemporaryDir dir;
    auto first = AppDelegate::acquireSingleInstance(dir.path());
    ASSERT_TRUE(first);
    EXPECT_FALSE(AppDelegate::acquireSingleInstance(dir.path()));
    // Held by a running instance whose file cannot be read (a start that
    // has not written it yet): still held.
    QFile(dir.filePath(kLockName)).open(QIODevice::WriteOnly | QIODevice::Truncate);
    const auto second = AppDelegate::acquireSingleInstance(dir.path());
    EXPECT_FALSE(second);
    EXPECT_TRUE(second.problem.isEmpty()) << second.problem.toStdString();
    first.lock.reset();
    EXPECT_TRUE(AppDelegate::acquireSingleInstance(dir.path()));
}

// Starts released at one instant over what a start cut off, or anything
// else, may have left at the lock's path: exactly one takes the lock, every
// other one finds it held. Threads stand in for the processes: each holds
// its own open files, so the native locks part them as they part processes.
TEST(SingleInstance, StartsThatMeetOverALeftoverTakeTheLockOnce)
{
    const struct {
        const char* what;
        std::function<bool(const QString&)> leave;
    } leftovers[] = {
        {"empty file", [](const QString& path) { return QFile(path).open(QIODevice::WriteOnly); }},
        {"garbage", [](const QString& path) { return writeFile(path, "\x01\xff?\n\n"); }},
        {"file of an ended process",
         [](const QString& path) {
             return writeFile(path, "2147483000\nkolventra\n" + QSysInfo::machineHostName().toUtf8() + "\n");
         }},
        {"dangling link", [](const QString& path) { return QFile::link(path + QStringLiteral(".gone"), path); }},
        {"empty folder", [](const QString& path) { return QDir().mkpath(path); }},
    };
    constexpr int kStarts = 8;
    constexpr int kRounds = 10;
    for (const auto& leftover : leftovers) {
        SCOPED_TRACE(leftover.what);
        for (int round = 0; round < kRounds; ++round) {
            QTemporaryDir dir;
            ASSERT_TRUE(leftover.leave(dir.filePath(kLockName)));
            std::latch meet(kStarts);
            std::vector<AppDelegate::InstanceLock> starts(kStarts);
            std::vector<std::thread> threads;
            for (auto& start : starts)
                threads.emplace_back([&] {
                    meet.arrive_and_wait();
                    start = AppDelegate::acquireSingleInstance(dir.path());
                });
            for (auto& thread : threads)
                thread.join();
            int held = 0;
            for (const auto& start : starts) {
                held += start ? 1 : 0;
                EXPECT_TRUE(start.problem.isEmpty()) << start.problem.toStdString();
            }
            ASSERT_EQ(held, 1) << "round " << round;
            // The lock taken is the file at the path.
            EXPECT_FALSE(AppDelegate::acquireSingleInstance(dir.path()));
        }
    }
}

// Starts take turns through a file of the application's own: another
// program's lock on the runtime folder holds no start up, and a holder of the
// turn that never lets it go holds a start up only for a bounded wait, after
// which the start names the file.
TEST(SingleInstance, TurnIsTakenOnAFileOfItsOwnAndWaitedForBoundedly)
{
    QTemporaryDir dir;
    // A start on a thread of its own while `holder` holds a flock(): what it
    // got, or nothing when it still waited after 30 s.
    const auto startWhileHeld = [&](const QString& path, int flags) -> std::optional<AppDelegate::InstanceLock> {
        const int holder = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC, 0600);
        EXPECT_EQ(::flock(holder, LOCK_EX), 0);
        auto start = std::async(std::launch::async, [&] { return AppDelegate::acquireSingleInstance(dir.path()); });
        const bool ended = start.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
        ::close(holder);  // lets a start that still waits go on
        return ended ? std::optional(start.get()) : std::nullopt;
    };
    const auto first = startWhileHeld(dir.path(), O_RDONLY | O_DIRECTORY);
    ASSERT_TRUE(first) << "a lock on the runtime folder held the start up";
    EXPECT_TRUE(*first);

    const QString turn = dir.filePath(kLockName + QStringLiteral(".turn"));
    const platform::ScopedTimeScale fast(0.01);
    platform::Seconds waited{};
    const auto before = platform::setSleepObserver([&](platform::Seconds wait) { waited += wait; });
    const auto second = startWhileHeld(turn, O_RDONLY | O_CREAT);
    platform::setSleepObserver(before);
    ASSERT_TRUE(second) << "the start waited for its turn without end";
    EXPECT_FALSE(*second);
    EXPECT_TRUE(second->problem.contains(turn)) << second->problem.toStdString();
    // The wait went through the clock and lasted a few seconds at most.
    EXPECT_GT(waited.count(), 0);
    EXPECT_LT(waited, platform::scaled(platform::Seconds(10)));
}

// Anything but a file at the turn file's path (a FIFO, a link that leads
// nowhere) orders no start: each goes on at once, even while another start
// holds a lock on it, and nothing is made where a link leads.
TEST(SingleInstance, TurnPathThatIsNoFileLeavesStartsUnordered)
{
    const struct {
        const char* what;
        std::function<bool(const QString&)> leave;
    } cases[] = {
        {"FIFO", [](const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }},
        {"dangling link", [](const QString& path) { return QFile::link(path + QStringLiteral(".gone"), path); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString turn = dir.filePath(kLockName + QStringLiteral(".turn"));
        ASSERT_TRUE(c.leave(turn));
        const int holder = ::open(QFile::encodeName(turn).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (holder >= 0) {
            ASSERT_EQ(::flock(holder, LOCK_EX), 0);
        }
        const platform::ScopedTimeScale fast(0.01);
        auto start = std::async(std::launch::async, [&] { return AppDelegate::acquireSingleInstance(dir.path()); });
        const bool ended = start.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        if (!ended)  // a start held in opening the FIFO: a writer lets it go
            ::close(::open(QFile::encodeName(turn).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        EXPECT_TRUE(ended) << "the start waited on what stands at the turn's path";
        const auto taken = start.get();
        EXPECT_TRUE(taken) << taken.problem.toStdString();
        EXPECT_FALSE(QFileInfo::exists(turn + QStringLiteral(".gone")));
        if (holder >= 0)
            ::close(holder);
    }
}

// A start that cannot go on says why on standard error, in one line of
// printable characters that names what is missing, and ends with status 1,
// taking no lock.
TEST(ApplicationProcess, StartThatCannotGoOnSaysWhyAndFails)
{
    QTemporaryDir dir;
    const QDir run(runtimeFolderIn(dir));
    const QString lock = run.filePath(kLockName);
    const QProcessEnvironment noDisplay = withoutDisplay(environmentIn(dir));
    const auto onXDisplay = [&](const SocketServer& server) {
        QProcessEnvironment env = noDisplay;
        env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(server.displayNumber()));
        return env;
    };
    // An X server whose refusal is long and written for a terminal: it sets
    // the window's title, clears the screen, colours, moves back and ends.
    SocketServer rude = SocketServer::forFreeXDisplay(SocketServer::XListens::AtSocket);
    rude.serve(refuseXClientsWith(QByteArray("\x1b]0;owned\x07\x1b[2J\x1b[31mgo away\b\b\r\n\0", 31).repeated(6000)));
    // One whose refusal holds nothing printable.
    SocketServer mute = SocketServer::forFreeXDisplay(SocketServer::XListens::AtSocket);
    mute.serve(refuseXClientsWith("\x1b\a\b\r\n\t\x7f\x01\x1b"));
    const SocketServer nobody = SocketServer::forFreeXDisplay(SocketServer::XListens::Nowhere);
    const QProcessEnvironment unreachableX = onXDisplay(nobody);
    QProcessEnvironment unreachableWayland = noDisplay;
    unreachableWayland.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-none"));
    // An X server that answers, but not to this user: it wants a cookie
    // that the user's authority file does not hold.
    const XServer server;
    ASSERT_FALSE(server.display().isEmpty());
    QProcessEnvironment refusingX = noDisplay;
    refusingX.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(server.display()));
    refusingX.insert(QStringLiteral("XAUTHORITY"), dir.filePath(QStringLiteral("no-authority")));
    QProcessEnvironment xOnHostName = noDisplay;
    xOnHostName.insert(QStringLiteral("DISPLAY"), QStringLiteral("no-such-host.invalid:0"));
    // A compositor that takes the connection and never answers.
    const SocketServer silent(QFile::encodeName(run.filePath(QStringLiteral("wayland-silent"))), false);
    ASSERT_TRUE(silent.listening());
    QProcessEnvironment silentWayland = noDisplay;
    silentWayland.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-silent"));
    // Where the machine's resolver does not answer (a sandbox that drops name
    // queries), a host that is not found may not be told within the
    // display's five seconds: the row then only asks for its line.
    const bool resolves = resolverAnswers(QStringLiteral("no-such-host.invalid"));
    const struct {
        const char* what;
        QProcessEnvironment env;
        QString shellSetUp;
        QString named;
        bool childExitsIgnored = false;
    } cases[] = {
        // A file size limit of 0 fails every write, as a full runtime folder
        // does, for root too.
        {"a lock that cannot be written", environmentIn(dir), QStringLiteral("trap '' XFSZ; ulimit -f 0; "), lock},
        {"no display", noDisplay, {}, QStringLiteral("DISPLAY")},
        {"an X display where nothing listens", unreachableX, {}, QStringLiteral("by DISPLAY cannot be reached")},
        {"an X display where nothing listens, under a launcher that leaves child exits ignored", unreachableX, {},
         QStringLiteral("by DISPLAY cannot be reached"), true},
        {"a Wayland display where nothing listens", unreachableWayland, {},
         QStringLiteral("by WAYLAND_DISPLAY cannot be reached")},
        {"an X display that refuses this user", refusingX, {}, QStringLiteral("by DISPLAY refuses this user")},
        {"an X display on a host that is not found", xOnHostName, {},
         resolves ? QStringLiteral("by DISPLAY cannot be reached") : QStringLiteral("named by DISPLAY")},
        {"a Wayland display that takes the connection and never answers", silentWayland, {},
         QStringLiteral("by WAYLAND_DISPLAY does not answer")},
        {"an X display that refuses at length and with control characters", onXDisplay(rude), {},
         QStringLiteral("by DISPLAY refuses this user (]0;owned[2J[31mgo away")},
        {"an X display that refuses in control characters only", onXDisplay(mute), {},
         QStringLiteral("by DISPLAY refuses this user\n")},
        {"a folder with something in it at the lock's place", environmentIn(dir),
         QStringLiteral("mkdir -p '%1/kept'; ").arg(lock), lock},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QProcess app;
        app.setProcessEnvironment(c.env);
        if (c.childExitsIgnored)
            startWithChildExitsIgnored(app);
        else
            app.start(QStringLiteral("sh"),
                      {QStringLiteral("-c"), c.shellSetUp + QStringLiteral("exec \"$0\""), kExecutable});
        // Five seconds at most for a display, with room for a busy machine.
        ASSERT_TRUE(app.waitForFinished(20000));
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(app.exitCode(), 1);
        const QString error = QString::fromLocal8Bit(app.readAllStandardError());
        EXPECT_TRUE(error.contains(c.named)) << error.left(1000).toStdString();
        const QString line = error.chopped(error.endsWith(u'\n') ? 1 : 0);
        EXPECT_LT(line.size(), 1000);
        EXPECT_TRUE(std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c.isPrint(); }))
            << line.left(1000).toStdString();
        EXPECT_FALSE(QFileInfo(lock).isFile());
    }
    // The folder found at the lock's place is left as it was.
    EXPECT_TRUE(QFileInfo::exists(lock + QStringLiteral("/kept")));
}

// A launcher may leave child exits ignored, and that outlives exec: the
// start still checks its display, reads its files and shows its window.
TEST(ApplicationProcess, StartUnderALauncherThatLeavesChildExitsIgnoredShowsItsWindow)
{
    QTemporaryDir dir;
    runtimeFolderIn(dir);
    const XServer server;
    ASSERT_FALSE(server.display().isEmpty());
    QProcessEnvironment env = withoutDisplay(environmentIn(dir));
    env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(server.display()));
    env.insert(QStringLiteral("XAUTHORITY"), server.authority());
    // No session bus: on an X server, Qt's accessibility bridge would start a
    // helper to look for one.
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + dir.filePath("no-bus"));
    QProcess app;
    app.setProcessEnvironment(env);
    startWithChildExitsIgnored(app);
    ASSERT_TRUE(app.waitForStarted());
    bool shown = false;
    for (QDeadlineTimer deadline(30000); !shown && app.state() == QProcess::Running && !deadline.hasExpired();) {
        shown = server.showsAWindow();
        app.waitForFinished(50);
    }
    EXPECT_TRUE(shown) << app.readAllStandardError().toStdString();
    app.kill();
    app.waitForFinished();
}

// A start ended by a signal of its own (a session manager, `kill` from
// another terminal) while it checks a display that never answers takes its
// check with it.
TEST(ApplicationProcess, StartEndedWhileItChecksADisplayLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QDir run(runtimeFolderIn(dir));
    const SocketServer silent(QFile::encodeName(run.filePath(QStringLiteral("wayland-silent"))), false);
    ASSERT_TRUE(silent.listening());
    QProcessEnvironment env = withoutDisplay(environmentIn(dir));
    env.insert(QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("wayland-silent"));
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(kExecutable, {});
    ASSERT_TRUE(app.waitForStarted());
    // The check: the one child of the start's main thread.
    pid_t check = 0;
    for (QDeadlineTimer deadline(20000); !check && app.state() == QProcess::Running && !deadline.hasExpired();) {
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(app.processId()));
        check = children.open(QIODevice::ReadOnly) ? children.readAll().trimmed().toInt() : 0;
    }
    ASSERT_NE(check, 0) << "the start checked no display";
    ::kill(pid_t(app.processId()), SIGTERM);
    ASSERT_TRUE(app.waitForFinished(10000));
    // Gone, or ended and waiting to be reaped by whoever took it over.
    const auto running = [check] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(check));
        return stat.open(QIODevice::ReadOnly) && !stat.readAll().contains(") Z ");
    };
    for (QDeadlineTimer second(1000); running() && !second.hasExpired();)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(running()) << "the check outlived the start";
    if (running())
        ::kill(check, SIGKILL);
}

// A second start while one runs ends at once with status 0, on a platform
// named by the variable or by Qt's own option.
TEST(ApplicationProcess, SecondStartExitsAtOnceWithStatusZero)
{
    QTemporaryDir dir;
    const auto held = AppDelegate::acquireSingleInstance(runtimeFolderIn(dir));
    ASSERT_TRUE(held);
    const struct {
        const char* what;
        QProcessEnvironment env;
        QStringList arguments;
    } cases[] = {
        {"QT_QPA_PLATFORM", environmentIn(dir), {}},
        {"-platform without a display", withoutDisplay(environmentIn(dir)),
         {QStringLiteral("-platform"), QStringLiteral("offscreen")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QProcess second;
        second.setProcessEnvironment(c.env);
        second.start(kExecutable, c.arguments);
        ASSERT_TRUE(second.waitForFinished(5000));
        EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
        // It started nothing: no settings were written.
        EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("data"))).exists());
    }
}

TEST(ApplicationProcess, MissingDefaultsEndTheStartWithAnError)
{
    // An installed layout whose shipped data lacks the defaults file.
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("bin"))));
    ASSERT_TRUE(QDir().mkpath(dir.filePath(QStringLiteral("share/kolventra/Profile"))));
    const QString copy = dir.filePath(QStringLiteral("bin/kolventra"));
    ASSERT_TRUE(QFile::copy(kExecutable, copy));
    runtimeFolderIn(dir);
    QProcess app;
    app.setProcessEnvironment(environmentIn(dir));
    app.start(copy, {});
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_NE(app.exitCode(), 0);
    EXPECT_TRUE(app.readAllStandardError().contains("defaults"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("data/Nembo/KOLVENTRA/Application.ini"))));
}
