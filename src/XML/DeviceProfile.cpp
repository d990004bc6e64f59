#include "XML/DeviceProfile.h"

#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "Utility/RegularFile.h"
#include "Utility/SideBySide.h"
#include "Utility/ZipUtil.h"
#include "XML/PictureVerdicts.h"

#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <future>
#include <limits>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A run of ASCII digits as a non-negative int; absent for anything else.
std::optional<int> parseUnsigned(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    long long value = 0;
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return std::nullopt;
    }
    return static_cast<int>(value);
}

QString line(const char* label, const QString& value)
{
    return QString::fromLatin1(label) + value + QLatin1Char('\n');
}

} // namespace

QString DeviceProfile::description() const
{
    QString text = QStringLiteral("\n== KeyboarProfiletype ==\n");
    text += line("type:                 ", type);
    text += line("name:                 ", name);
    text += line("profileVersion:       ", profileVersion);
    text += line("vendorID:             ", vendorID);
    text += line("productID:            ", productID);
    text += line("interfaceID:          ", interfaceID);
    text += line("modelNumber:          ", modelNumber);
    text += line("multiDeviceModel:     ",
                 multiDeviceModel ? QStringLiteral("true") : QStringLiteral("false"));
    return text;
}

AppError DeviceProfile::validate() const
{
    if (hasMalformedText || !versionNumber() || !vendorIdValue() || !productIdValue())
        return AppError::BadParam;
    return AppError::NoError;
}

std::optional<double> DeviceProfile::parseProfileVersion(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('_'));
    if (parts.size() < 4)
        return std::nullopt;
    const std::optional<int> a = parseUnsigned(parts[1]);
    const std::optional<int> b = parseUnsigned(parts[2]);
    const std::optional<int> c = parseUnsigned(parts[3]);
    if (!a || !b || !c)
        return std::nullopt;
    char formatted[48];
    std::snprintf(formatted, sizeof formatted, "%d%03d.%03d", *a, *b, *c);
    bool ok = false;
    const double value = QString::fromLatin1(formatted).toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<uint16_t> DeviceProfile::parseHexId(const QString& text)
{
    if (text.isEmpty() || text.size() > 4)
        return std::nullopt;
    uint32_t value = 0;
    for (QChar c : text) {
        const int digit = AppUtil::hexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + uint32_t(digit);
    }
    return static_cast<uint16_t>(value);
}

std::optional<int> DeviceProfile::parseDecimal(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    bool negative = false;
    QString digits = text;
    if (text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-')) {
        negative = text.front() == QLatin1Char('-');
        digits = text.mid(1);
    }
    if (digits.isEmpty())
        return std::nullopt;
    long long value = 0;
    for (QChar c : digits) {
        if (!isAsciiDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return static_cast<int>(value);
}

QImage DeviceProfile::decodePicture(const QByteArray& data)
{
    return PackagePicture::decodeBytes(data);
}

QString DeviceProfile::doubleDensityName(const QString& memberName)
{
    const qsizetype dot = memberName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? memberName + QLatin1String("@2x")
                   : memberName.left(dot) + QLatin1String("@2x") + memberName.mid(dot);
}

namespace {

// The member names listed by the index of the package at `path`.
QStringList indexedMembers(const QString& path)
{
    FileIndex index;
    if (AppUtil::loadProfile(path, index, AppUtil::kIndexMemberName) != AppError::NoError)
        return {};
    QStringList names;
    for (const FileIndex::FileIndexEntry& entry : index.fileIndexEntry)
        names << entry.name;
    return names;
}

} // namespace

std::vector<DeviceProfile::PictureBytes>
DeviceProfile::loadPictureBytes(const QStringList& memberNames, bool ignoreCap, qreal ratio) const
{
    std::vector<PictureBytes> result(size_t(memberNames.size()));
    if (profilePath.isEmpty())
        return result;
    // The twins asked for are those the index lists: a name the package
    // lacks would be looked for again on its own by the zip tool. They are
    // read by a run of their own beside the members' run, so that the
    // members (which the checks judge) come no later than without twins.
    QStringList twins;
    std::vector<qsizetype> twinAt(result.size(), -1);
    if (ratio > 1) {
        const QStringList listed =
            PictureVerdicts::shared().indexedMembers(profilePath, [this] { return indexedMembers(profilePath); });
        const Qt::CaseSensitivity cs = ignoreCap ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (qsizetype i = 0; i < memberNames.size(); ++i) {
            const QString twin = doubleDensityName(memberNames[i]);
            if (!memberNames[i].isEmpty() && ZipUtil::isValidMemberName(twin) && listed.contains(twin, cs)) {
                twinAt[size_t(i)] = twins.size();
                twins << twin;
            }
        }
    }
    std::future<std::vector<QByteArray>> twinBytes;
    if (!twins.isEmpty()) {
        twinBytes = std::async(std::launch::async | std::launch::deferred, [this, &twins, ignoreCap] {
            return ZipUtil::loadMembers(profilePath, twins, ignoreCap, kMaxPictureBytes);
        });
    }
    const std::vector<QByteArray> bytes = ZipUtil::loadMembers(profilePath, memberNames, ignoreCap, kMaxPictureBytes);
    const std::vector<QByteArray> twinRead = twinBytes.valid() ? twinBytes.get() : std::vector<QByteArray>();
    for (size_t i = 0; i < result.size() && i < bytes.size(); ++i) {
        result[i].member = bytes[i];
        if (twinAt[i] >= 0 && size_t(twinAt[i]) < twinRead.size())
            result[i].twin = twinRead[size_t(twinAt[i])];
    }
    return result;
}

QImage DeviceProfile::readPicture(const QString& memberName, bool ignoreCap, qreal ratio) const
{
    if (memberName.isEmpty() || profilePath.isEmpty() || !ZipUtil::isValidMemberName(memberName))
        return QImage();
    if (ratio > 1)
        return readPictures({memberName}, ignoreCap, ratio).front();
    return decodePicture(ZipUtil::load(profilePath, memberName, ignoreCap, kMaxPictureBytes));
}

std::vector<QImage> DeviceProfile::readPictures(const QStringList& memberNames, bool ignoreCap, qreal ratio) const
{
    const std::vector<PackagePicture> pictures = readPackagePictures(memberNames, ignoreCap, ratio);
    PackagePicture::decode(pictures);
    std::vector<QImage> images;
    images.reserve(pictures.size());
    for (const PackagePicture& picture : pictures)
        images.push_back(picture.image());
    return images;
}

std::vector<PackagePicture> DeviceProfile::readPackagePictures(const QStringList& memberNames, bool ignoreCap,
                                                               qreal ratio) const
{
    std::vector<PackagePicture> pictures(size_t(memberNames.size()));
    const std::vector<PictureBytes> bytes = loadPictureBytes(memberNames, ignoreCap, ratio);
    for (size_t i = 0; i < bytes.size() && i < pictures.size(); ++i)
        pictures[i] = PackagePicture::fromBytes(bytes[i].member, bytes[i].twin);
    return pictures;
}

DeviceProfile::PictureSet DeviceProfile::readCheckedPictures(const QStringList& memberNames, bool ignoreCap,
                                                             qreal ratio, const AsRead& asRead) const
{
    // The file's identity is taken around the read: a verdict holds only
    // for bytes read from a file that did not change meanwhile.
    const std::optional<AppUtil::FileIdentity> before = AppUtil::fileIdentity(profilePath);
    PictureSet set;
    set.pictures = readPackagePictures(memberNames, ignoreCap, ratio);
    if (asRead)
        asRead(set.pictures);
    const bool unchanged = before && AppUtil::fileIdentity(profilePath) == before;
    if (unchanged) {
        if (const std::optional<size_t> known = PictureVerdicts::shared().find(*before, memberNames, ignoreCap)) {
            set.usable = std::min(set.pictures.size(), *known);
            return set;
        }
    }
    set.usable = PackagePicture::checkSet(set.pictures);
    if (unchanged)
        PictureVerdicts::shared().remember(*before, memberNames, ignoreCap, set.usable);
    return set;
}

bool DeviceProfile::readHeaderText(const QString& key, const QString& text)
{
    if (key == QLatin1String("Type"))
        type = text;
    else if (key == QLatin1String("Name"))
        name += text;
    else if (key == QLatin1String("ProfileExt"))
        profileExt = text;
    else if (key == QLatin1String("ProfileVersion"))
        profileVersion = text;
    else if (key == QLatin1String("VendorID"))
        vendorID = text;
    else if (key == QLatin1String("ProductID"))
        productID = text;
    else if (key == QLatin1String("InterfaceID"))
        interfaceID = text;
    else if (key == QLatin1String("ModelNumber"))
        modelNumber = text;
    else if (key == QLatin1String("MultiDeviceModel"))
        multiDeviceModel = text == QLatin1String("true");
    else
        return false;
    return true;
}
