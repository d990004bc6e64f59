// The application executable as a process: a second start while one runs
// exits at once with status 0; a start without its built-in defaults ends
// with a non-zero status and a line on standard error, writing nothing.
#include "BuildPaths.h"
#include "AppDelegate.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

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

} // namespace

TEST(SingleInstance, LockIsHeldOnceAndAStaleLockIsTakenOver)
{
    QTemporaryDir dir;
    auto first = AppDelegate::acquireSingleInstance(dir.path());
    ASSERT_TRUE(first);
    EXPECT_FALSE(AppDelegate::acquireSingleInstance(dir.path()));
    first.reset();
    EXPECT_TRUE(AppDelegate::acquireSingleInstance(dir.path()));

    // A lock left by a run that no longer exists.
    QFile stale(dir.filePath(QString::fromLatin1(AppDelegate::kApplicationId) + QStringLiteral(".lock")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("2147483000\nkolventra\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    EXPECT_TRUE(AppDelegate::acquireSingleInstance(dir.path()));
}

TEST(ApplicationProcess, SecondStartExitsAtOnceWithStatusZero)
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("run")));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                    QFileDevice::ExeOwner);
    const auto held = AppDelegate::acquireSingleInstance(dir.filePath(QStringLiteral("run")));
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
    QDir().mkpath(dir.filePath(QStringLiteral("run")));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                    QFileDevice::ExeOwner);
    QProcess app;
    app.setProcessEnvironment(environmentIn(dir));
    app.start(copy, {});
    ASSERT_TRUE(app.waitForFinished(10000));
    EXPECT_NE(app.exitCode(), 0);
    EXPECT_TRUE(app.readAllStandardError().contains("defaults"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("data/Nembo/KOLVENTRA/Application.ini"))));
}
