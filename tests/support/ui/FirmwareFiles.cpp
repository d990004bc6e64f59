#include "support/ui/FirmwareFiles.h"

#include "Utility/Crc16.h"
#include "Utility/ProfilePackage.h"

#include <QFile>
#include <QRegularExpression>

namespace fwtest {

void resign(QByteArray& file)
{
    const uint16_t crc = Crc16::compute(file.constData() + 2, size_t(file.size() - 2));
    file[0] = char(crc & 0xFF);
    file[1] = char(crc >> 8);
}

QByteArray makeFirmware(const QByteArray& model, std::array<uint8_t, 3> version, qsizetype length)
{
    QByteArray file(length, '\0');
    for (qsizetype i = 2; i < length; ++i)
        file[i] = char((i * 31 + 7) & 0xFF);
    for (qsizetype i = 0; i < 8; ++i)
        file[2 + 0xFFF0 + i] = i < model.size() ? model[i] : '\0';
    for (qsizetype i = 0; i < 3; ++i)
        file[2 + 0xFFF9 + i] = char(version[size_t(i)]);
    resign(file);
    return file;
}

std::array<uint8_t, 3> versionBytes(const QString& text)
{
    std::array<uint8_t, 3> v{};
    for (int i = 0; i < 3; ++i)
        v[size_t(i)] = uint8_t(text.mid(2 * i, 2).toUInt(nullptr, 16));
    return v;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool makePackage(const QString& sourcePackage, const QString& target, const DescriptionEdit& edit)
{
    QFile::remove(target);
    if (!QFile::copy(sourcePackage, target))
        return false;
    QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
    QByteArray data;
    if (AppUtil::loadCheckedMember(target, QStringLiteral("Profile.xml"), data) != AppError::NoError)
        return false;
    QString xml = QString::fromUtf8(data).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    auto set = [&xml](const char* element, const std::optional<QString>& text) {
        if (!text)
            return;
        const QString name = QString::fromLatin1(element);
        const QRegularExpression re(QStringLiteral("<%1>[^<]*</%1>").arg(name));
        xml.replace(re, QStringLiteral("<%1>%2</%1>").arg(name, *text));
    };
    set("ProfileVersion", edit.profileVersion);
    set("ModelNumber", edit.modelNumber);
    set("ProductID", edit.productId);
    set("ProfileExt", edit.profileExt);
    set("MouseImage", edit.mouseImage);
    return AppUtil::appendProfileData(target, xml.toUtf8(), QStringLiteral("Profile.xml")) == AppError::NoError;
}

} // namespace fwtest
