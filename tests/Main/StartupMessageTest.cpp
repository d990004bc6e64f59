// What the application says when its start ends for want of its built-in
// defaults: the one line on standard error names the file it looked for and
// whether it is missing or could not be read.
#include "AppParam.h"
#include "BuildPaths.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace {

// Starts a copy of the application in an installed layout under `dir`, whose
// shipped data holds `defaults` as the defaults file (none when null), and
// returns what it wrote to standard error; `status` gets its exit status.
QString startWithDefaults(const QTemporaryDir& dir, const QByteArray* defaults, int& status)
{
    const QString root = QFileInfo(dir.path()).canonicalFilePath();
    QDir().mkpath(root + QStringLiteral("/bin"));
    QDir().mkpath(root + QStringLiteral("/share/kolventra/Profile"));
    QDir().mkpath(root + QStringLiteral("/run"));
    QFile::setPermissions(root + QStringLiteral("/run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (defaults) {
        QFile file(root + QStringLiteral("/share/kolventra/Profile/") + QString::fromLatin1(AppParam::APP_DEFALUT_INI));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*defaults);
    }
    const QString program = root + QStringLiteral("/bin/kolventra");
    EXPECT_TRUE(QFile::copy(QStringLiteral(KOLVENTRA_BINARY_DIR "/src/kolventra"), program));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/run"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(program, {});
    EXPECT_TRUE(app.waitForFinished(30000));
    status = app.exitCode();
    return QString::fromLocal8Bit(app.readAllStandardError());
}

} // namespace

TEST(StartupMessage, NamesTheDefaultsFileThatIsMissingOrCannotBeRead)
{
    {
        QTemporaryDir dir;
        int status = 0;
        const QString said = startWithDefaults(dir, nullptr, status);
        const QString path = QFileInfo(dir.path()).canonicalFilePath() +
                             QStringLiteral("/share/kolventra/Profile/Application.def");
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(said.contains(QStringLiteral("the built-in defaults file ") + path + QStringLiteral(" does not exist")))
            << said.toStdString();
    }
    {
        QTemporaryDir dir;
        int status = 0;
        const QByteArray broken("not a package");
        const QString said = startWithDefaults(dir, &broken, status);
        const QString path = QFileInfo(dir.path()).canonicalFilePath() +
                             QStringLiteral("/share/kolventra/Profile/Application.def");
        EXPECT_EQ(status, 1);
        EXPECT_TRUE(said.contains(QStringLiteral("the built-in defaults file ") + path + QStringLiteral(" cannot be read")))
            << said.toStdString();
    }
}
