// Fuzzes the package loader with arbitrary archive bytes: the bytes are
// written to a file and read as a profile package through the zip tools
// (index, CRC check of a member, XML reader).
#include "Platform/Clock.h"
#include "Utility/ProfilePackage.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Reads the member with the index reader, which accepts any well-formed XML.
AppError loadMember(const QString& path, const QString& name)
{
    FileIndexXML reader;
    return AppUtil::loadProfileWith(path, name, reader);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("fuzz.prf"));
    // A hung tool is killed after 3 s instead of 30 s.
    static const bool scaled = (platform::setTimeScale(0.1), true);
    (void)scaled;
    if (!dir.isValid())
        std::abort();

    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }

    FileIndex index;
    const AppError indexResult = AppUtil::loadProfile(path, index, AppUtil::kIndexMemberName);
    if (indexResult != AppError::NoError && indexResult != AppError::FileRead)
        std::abort();
    if (indexResult != AppError::NoError)
        return 0;
    // Read the first listed member, and the settings member, the way the
    // profile readers do (each starts the tools again, so only these two).
    const QString settingsMember = QStringLiteral("profile.xml");
    QStringList members{settingsMember};
    if (!index.fileIndexEntry.empty() && index.fileIndexEntry.front().name != settingsMember)
        members.prepend(index.fileIndexEntry.front().name);
    for (const QString& name : members) {
        const AppError r = loadMember(path, name);
        if (r != AppError::NoError && r != AppError::FileRead && r != AppError::CrcError)
            std::abort();
    }
    return 0;
}
