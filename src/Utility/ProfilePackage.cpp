#include "Utility/ProfilePackage.h"

#include "Utility/Crc16.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <memory>

namespace AppUtil {

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool ok = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return ok;
}

} // namespace

std::optional<QByteArray> dataConvertCRLF(const QByteArray& data)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(data);
    Q_UNUSED(text);
    if (decoder.hasError())
        return std::nullopt;
    // On valid UTF-8 a byte 0x0A is always the character LF, so the bytes can
    // be converted directly (every other byte, a BOM included, stays as it is).
    QByteArray converted = data;
    converted.replace("\n", "\r\n");
    return converted;
}

AppError loadProfile(const QString& path, FileIndex& profile, const QString& readFile)
{
    const QByteArray bytes = ZipUtil::load(path, readFile, false, ZipUtil::kMaxXmlMemberBytes);
    if (bytes.isEmpty())
        return AppError::FileRead;
    FileIndexXML reader;
    if (!reader.parse(bytes))
        return AppError::FileRead;
    profile = reader.takeProfile();
    return AppError::NoError;
}

namespace {

// Steps 1-3 on the index's bytes (empty when it could not be read); the
// member's bytes come from `readMember`, asked only when the index lets the
// member be read.
AppError checkedMember(const QByteArray& indexBytes, const QString& readFile,
                       const std::function<QByteArray()>& readMember, QByteArray& data)
{
    if (indexBytes.isEmpty())
        return AppError::FileRead;
    FileIndexXML indexReader;
    if (!indexReader.parse(indexBytes))
        return AppError::FileRead;
    const FileIndex index = indexReader.takeProfile();

    // A member the index does not list is not read. An index without any
    // entry lets the member be read, but nothing can match its CRC.
    const FileIndex::FileIndexEntry* entry = index.find(readFile);
    if (!entry && !index.fileIndexEntry.empty())
        return AppError::FileRead;

    const QByteArray bytes = readMember();
    if (bytes.isEmpty())
        return AppError::FileRead;
    if (!entry || Crc16::toText(Crc16::compute(bytes)) != entry->sign)
        return AppError::CrcError;
    data = bytes;
    return AppError::NoError;
}

} // namespace

AppError loadCheckedMember(const QString& path, const QString& readFile, QByteArray& data, qint64 maxBytes)
{
    // The index and the member come from one run of the zip tool; the member
    // counts only when the index lets it be read, each within its own cap.
    std::vector<QByteArray> read = ZipUtil::loadMembers(path, {kIndexMemberName, readFile}, false,
                                                        std::max(maxBytes, ZipUtil::kMaxXmlMemberBytes));
    const auto capped = [](QByteArray& bytes, qint64 cap) {
        if (bytes.size() > cap)
            bytes.clear();
    };
    capped(read[0], ZipUtil::kMaxXmlMemberBytes);
    capped(read[1], maxBytes);
    return checkedMember(read[0], readFile, [&] { return read[1]; }, data);
}

AppError loadProfileWith(const QString& path, const QString& readFile, XmlProfileReader& reader)
{
    QByteArray bytes;
    const AppError result = loadCheckedMember(path, readFile, bytes, ZipUtil::kMaxXmlMemberBytes);
    if (result != AppError::NoError)
        return result;
    return reader.parse(bytes) ? AppError::NoError : AppError::FileRead;
}

AppError saveProfileData(const QString& path, const std::optional<QByteArray>& xml, const QString& appendName)
{
    if (!xml || !ZipUtil::isValidMemberName(appendName) || appendName == kIndexMemberName)
        return AppError::FileNotExist;
    const std::optional<QByteArray> member = dataConvertCRLF(*xml);
    if (!member)
        return AppError::FileNotExist;
    if (path.isEmpty())
        return AppError::FileNotExist;
    // A symbolic link stays; its target is replaced.
    const ZipUtil::PackageLock lock(path);
    if (lock.isBusy())
        return AppError::FileNotExist;
    const QFileInfo target(ZipUtil::writeTarget(path));
    if (target.isDir() || !target.absoluteDir().exists())
        return AppError::FileNotExist;

    // Stage the members in a private folder and zip them into an archive beside
    // it, so the package holds nothing but them.
    QTemporaryDir staging;
    if (!staging.isValid())
        return AppError::FileNotExist;
    const QString contentPath = staging.filePath(QStringLiteral("content"));
    const QString archivePath = staging.filePath(QStringLiteral("package.zip"));
    if (!QDir().mkpath(contentPath))
        return AppError::FileNotExist;
    const QDir content(contentPath);
    if (!writeFile(content.filePath(appendName), *member))
        return AppError::FileNotExist;

    const QString sign = Crc16::toText(Crc16::compute(*member));
    const std::optional<QByteArray> indexXml = FileIndexXML::construct(QList<QStringList>{{appendName, sign}});
    const std::optional<QByteArray> index = indexXml ? dataConvertCRLF(*indexXml) : std::nullopt;
    if (!index || !writeFile(content.filePath(kIndexMemberName), *index))
        return AppError::FileNotExist;

    if (ZipUtil::save(contentPath, archivePath, false) != AppError::NoError)
        return AppError::FileNotExist;

    // Replace the target atomically: the old file stays as it was until the
    // new one is complete.
    QFile archive(archivePath);
    if (!archive.open(QIODevice::ReadOnly))
        return AppError::FileNotExist;
    const QByteArray archiveBytes = archive.readAll();
    archive.close();
    if (archiveBytes.isEmpty())
        return AppError::FileNotExist;
    QSaveFile out(target.absoluteFilePath());
    if (!out.open(QIODevice::WriteOnly) || out.write(archiveBytes) != archiveBytes.size() || !out.commit())
        return AppError::FileNotExist;
    return AppError::NoError;
}

AppError appendProfileData(const QString& path, const std::optional<QByteArray>& xml, const QString& appendName)
{
    if (!xml)
        return AppError::FileNotExist;
    const std::optional<QByteArray> member = dataConvertCRLF(*xml);
    if (!member)
        return AppError::FileNotExist;
    return ZipUtil::append(path, {{appendName, *member}}) == AppError::NoError ? AppError::NoError
                                                                                 : AppError::FileNotExist;
}

} // namespace AppUtil
