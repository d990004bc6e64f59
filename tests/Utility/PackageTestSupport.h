#pragma once
// Builds and inspects ZIP archives for the package tests with the real zip
// tools, independently of the code under test.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <utility>
#include <vector>

namespace pkgtest {

using Members = std::vector<std::pair<QString, QByteArray>>;

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

inline bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// A new archive at `archive` (replacing any) holding exactly these members.
inline bool makeZip(const QString& archive, const Members& members)
{
    QFile::remove(archive);
    QTemporaryDir dir;
    if (!dir.isValid())
        return false;
    QStringList args{QStringLiteral("-q"), QStringLiteral("-X"), archive};
    for (const auto& [name, bytes] : members) {
        if (!writeAll(dir.filePath(name), bytes))
            return false;
        args << name;
    }
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral("zip"), args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Member names in archive order ("unzip -Z1").
inline QStringList listZip(const QString& archive)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// One member's bytes ("unzip -p").
inline QByteArray memberOf(const QString& archive, const QString& name)
{
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-p"), archive, name});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

// Entries of a folder (hidden ones too), sorted.
inline QStringList entries(const QString& folder)
{
    QStringList list =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    list.sort();
    return list;
}

} // namespace pkgtest
