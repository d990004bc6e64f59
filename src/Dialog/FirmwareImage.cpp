#include "Dialog/FirmwareImage.h"

#include "Device/IDeviceEntry.h"
#include "Utility/Crc16.h"
#include "Utility/RegularFile.h"

#include <QFileInfo>

namespace firmware {

QString messageKey(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Good: return {};
    case Verdict::Corrupt: return QStringLiteral("FirmwareFileInvaliedOrCorrupted");
    case Verdict::WrongModel: return QStringLiteral("FirmwareFileInvaliedDevice");
    case Verdict::OlderVersion: return QStringLiteral("FirmwareFileInvaliedVersion");
    }
    return {};
}

AppError resultOf(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Good: return AppError::NoError;
    case Verdict::Corrupt: return AppError::FileRead;
    default: return AppError::UiCancel;
    }
}

uint16_t storedChecksum(const QByteArray& file)
{
    if (file.size() < 2)
        return 0;
    return uint16_t(uint8_t(file[0]) | (uint16_t(uint8_t(file[1])) << 8));
}

uint16_t computedChecksum(const QByteArray& file)
{
    if (file.size() < 2)
        return Crc16::kInitial;
    return Crc16::compute(file.constData() + 2, size_t(file.size() - 2));
}

QByteArray imageOf(const QByteArray& file)
{
    return file.size() < 2 ? QByteArray() : file.mid(2);
}

qsizetype chunkCount(qsizetype imageSize)
{
    return imageSize <= 0 ? 0 : (imageSize + kChunkSize - 1) / kChunkSize;
}

std::optional<QString> modelText(const QByteArray& file)
{
    const qsizetype at = 2 + kModelOffset;
    if (file.size() < at + kModelLength)
        return std::nullopt;
    QString text;
    for (qsizetype i = 0; i < kModelLength; ++i) {
        const auto b = uint8_t(file[at + i]);
        if (b > 0x7F)
            return std::nullopt;
        text += QChar(b);
    }
    return text;
}

QString versionText(const QByteArray& file)
{
    const qsizetype at = 2 + kVersionOffset;
    if (file.size() < at + kVersionLength)
        return {};
    return QStringLiteral("%1%2%3")
        .arg(uint8_t(file[at]), 2, 16, QLatin1Char('0'))
        .arg(uint8_t(file[at + 1]), 2, 16, QLatin1Char('0'))
        .arg(uint8_t(file[at + 2]), 2, 16, QLatin1Char('0'))
        .toUpper();
}

bool isIntact(const QByteArray& file)
{
    if (file.size() < kFileLength)
        return false;
    // An image the chunk numbers cannot cover would fail only after the
    // device has already restarted into its updater.
    if (file.size() - 2 > kMaxImageSize)
        return false;
    return storedChecksum(file) == computedChecksum(file);
}

Verdict check(const QByteArray& file, const std::optional<QString>& deviceModel,
              const std::optional<QString>& deviceVersion)
{
    if (!isIntact(file))
        return Verdict::Corrupt;
    // A device or an image without a model is never flashed.
    const std::optional<QString> model = modelText(file);
    if (!model || !deviceModel || deviceModel->isEmpty() || *model != *deviceModel)
        return Verdict::WrongModel;
    if (deviceVersion && versionText(file) < *deviceVersion)
        return Verdict::OlderVersion;
    return Verdict::Good;
}

Verdict checkFor(const QByteArray& file, const IDeviceEntry& device)
{
    return check(file, device.modelNumber(), device.firmwareVersionCompare().value_or(QString()));
}

ReadOutcome readFile(const QString& path, QByteArray& bytes)
{
    switch (AppUtil::readRegularFile(path, kMaxFileLength + 1, bytes)) {
    case AppUtil::FileReadOutcome::Read: return ReadOutcome::Read;
    case AppUtil::FileReadOutcome::NotARegularFile: return ReadOutcome::NotARegularFile;
    case AppUtil::FileReadOutcome::Failed: break;
    }
    return ReadOutcome::Failed;
}

} // namespace firmware

namespace firmware {

QString startFolderOf(const QString& path)
{
    if (path.isEmpty())
        return path;
    const QString lower = path.toLower();
    if (lower.contains(QLatin1String(".key")) || lower.contains(QLatin1String(".vxb")))
        return QFileInfo(path).path();
    return path;
}

} // namespace firmware
