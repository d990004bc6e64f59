// The application executable as a process: a second start while one runs
// exits at once with status 0; a start without its built-in defaults, its
// instance lock or a display ends with a non-zero status and a line on
// standard error, writing nothing.
#include "BuildPaths.h"
#include "AppDelegate.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <functional>

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

// The runtime folder of environmentIn(), private as the runtime folder must be.
QString runtimeFolderIn(const QTemporaryDir& dir)
{
    const QString run = dir.filePath(QStringLiteral("run"));
    QDir().mkpath(run);
    QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return run;
}

const QString kLockName = QString::fromLatin1(AppDelegate::kApplicationId) + QStringLiteral(".lock");

} // namespace

TEST(SingleInstance, LockIsHeldOnceAndAStaleLockIsTakenOver)
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

    // A lock left by a run that no longer exists.
    QFile stale(dir.filePath(kLockName));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("2147483000\nkolventra\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    EXPECT_TRUE(AppDelegate::acquireSingleInstance(dir.path()));
}

TEST(SingleInstance, LockFileThatNoRunningInstanceHoldsIsTakenOver)
{
    // What a start cut off, or anything else, may leave at the lock's path.
    const std::function<bool(const QString&)> leftovers[] = {
        [](const QString& path) { return QFile(path).open(QIODevice::WriteOnly); },
        [](const QString& path) { return QDir().mkpath(path + QStringLiteral("/inside")); },
        [](const QString& path) { return QFile::link(path + QStringLiteral(".gone"), path); },
    };
    for (const auto& leave : leftovers) {
        QTemporaryDir dir;
        ASSERT_TRUE(leave(dir.filePath(kLockName)));
        const auto lock = AppDelegate::acquireSingleInstance(dir.path());
        EXPECT_TRUE(lock) << lock.problem.toStdString();
        EXPECT_FALSE(AppDelegate::acquireSingleInstance(dir.path()));
    }
}

// A start that cannot go on says why on standard error, naming what is
// missing, and ends with a non-zero status, taking no lock.
TEST(ApplicationProcess, StartThatCannotGoOnSaysWhyAndFails)
{
    QTemporaryDir dir;
    const QString lock = QDir(runtimeFolderIn(dir)).filePath(kLockName);
    QProcessEnvironment noDisplay = environmentIn(dir);
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        noDisplay.remove(QString::fromLatin1(name));
    const struct {
        const char* what;
        QProcessEnvironment env;
        const char* shellSetUp;
        QString named;
    } cases[] = {
        // A file size limit of 0 fails every write, as a full runtime folder
        // does, for root too.
        {"a lock that cannot be written", environmentIn(dir), "trap '' XFSZ; ulimit -f 0; ", lock},
        {"no display", noDisplay, "", QStringLiteral("DISPLAY")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QProcess app;
        app.setProcessEnvironment(c.env);
        app.start(QStringLiteral("sh"),
                  {QStringLiteral("-c"), QString::fromLatin1(c.shellSetUp) + QStringLiteral("exec \"$0\""), kExecutable});
        ASSERT_TRUE(app.waitForFinished(10000));
        EXPECT_EQ(app.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(app.exitCode(), 0);
        const QString error = QString::fromLocal8Bit(app.readAllStandardError());
        EXPECT_TRUE(error.contains(c.named)) << error.toStdString();
        EXPECT_FALSE(QFile::exists(lock));
    }
}

TEST(ApplicationProcess, SecondStartExitsAtOnceWithStatusZero)
{
    QTemporaryDir dir;
    const auto held = AppDelegate::acquireSingleInstance(runtimeFolderIn(dir));
    ASSERT_TRUE(held);
    QProcess second;
    second.setProcessEnvironment(environmentIn(dir));
    second.start(kExecutable, {});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    // It started nothing: no settings were written.
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("data"))).exists());
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
