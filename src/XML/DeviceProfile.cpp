#include "XML/DeviceProfile.h"

#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "Utility/SideBySide.h"
#include "Utility/ZipUtil.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <limits>

#include <sys/stat.h>

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

namespace {

bool withinPictureCaps(const QSize& size)
{
    return size.width() > 0 && size.height() > 0 && size.width() <= DeviceProfile::kMaxPictureSide
        && size.height() <= DeviceProfile::kMaxPictureSide
        && qint64(size.width()) * size.height() <= DeviceProfile::kMaxPicturePixels;
}

// What can be told of picture bytes without decoding them.
enum class Header { Refused, WithinCaps, SizeUnstated };

// Formats that state their size in the header are judged before any pixel
// memory is allocated.
Header judgeHeader(QImageReader& reader)
{
    if (!reader.canRead())
        return Header::Refused;
    const QSize announced = reader.size();
    if (!announced.isValid())
        return Header::SizeUnstated;
    return withinPictureCaps(announced) ? Header::WithinCaps : Header::Refused;
}

struct PictureReader {
    QBuffer buffer;
    QImageReader reader;

    explicit PictureReader(const QByteArray& data)
    {
        buffer.setData(data);
        if (buffer.open(QIODevice::ReadOnly))
            reader.setDevice(&buffer);
        reader.setDecideFormatFromContent(true);
        reader.setAutoTransform(false);
    }
};

bool acceptableSize(const QByteArray& data)
{
    return !data.isEmpty() && data.size() <= DeviceProfile::kMaxPictureBytes;
}

// The size picture bytes state in their header when it is within the caps;
// an invalid size otherwise (nothing is decoded).
QSize statedSize(const QByteArray& bytes)
{
    if (!acceptableSize(bytes))
        return {};
    PictureReader picture(bytes);
    return judgeHeader(picture.reader) == Header::WithinCaps ? picture.reader.size() : QSize();
}

// Decodes picture bytes into `image` within the caps; false when they do
// not decode or decode beyond the caps. A reader reuses the memory of an
// image of the size and format it decodes.
bool decodeInto(const QByteArray& data, QImage& image)
{
    if (!acceptableSize(data))
        return false;
    PictureReader picture(data);
    // Formats without a stated size are checked after decoding (Qt's own
    // allocation limit bounds that step).
    if (judgeHeader(picture.reader) == Header::Refused)
        return false;
    return picture.reader.read(&image) && !image.isNull() && withinPictureCaps(image.size());
}

// ----- the whole check of a set of pictures ----------------------------------

// A package file as it stands on disk: a rewrite (the package writers
// replace a file by a rename) or any change of its bytes gives another.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileIdentity& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec
            && modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec
            && changed.tv_nsec == o.changed.tv_nsec;
    }
};

std::optional<FileIdentity> identityOf(const QString& path)
{
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// The verdicts of the pixel check: per package file and list of members,
// how many pictures from the first decode.
class CheckedSets {
public:
    std::optional<size_t> find(const FileIdentity& file, const QStringList& names, bool ignoreCap, bool dense)
    {
        const std::lock_guard guard(lock_);
        for (const Entry& e : entries_)
            if (e.file == file && e.ignoreCap == ignoreCap && e.dense == dense && e.names == names)
                return e.decoding;
        return std::nullopt;
    }
    void remember(const FileIdentity& file, const QStringList& names, bool ignoreCap, bool dense, size_t decoding)
    {
        const std::lock_guard guard(lock_);
        // A run sees a handful of packages; a verdict let go only costs
        // another check.
        if (entries_.size() >= kKept)
            entries_.erase(entries_.begin());
        entries_.push_back({file, names, ignoreCap, dense, decoding});
    }

private:
    static constexpr size_t kKept = 64;
    struct Entry {
        FileIdentity file;
        QStringList names;
        bool ignoreCap = false;
        // The double-density twins were read instead of their members.
        bool dense = false;
        size_t decoding = 0;
    };
    std::mutex lock_;
    std::vector<Entry> entries_;
};

CheckedSets& checkedSets()
{
    static CheckedSets sets;
    return sets;
}

// How many of `pictures`, from the first, were read and state sizes that
// together stay within the cap of a set: told without decoding.
size_t withinSetCap(const std::vector<PackagePicture>& pictures)
{
    qint64 pixels = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (pictures[i].isNull())
            return i;
        const QSize size = pictures[i].size();
        pixels += qint64(size.width()) * size.height();
        if (pixels > DeviceProfile::kMaxPictureSetPixels)
            return i;
    }
    return pictures.size();
}

// How many of the first `count` of `pictures`, from the first, decode. Each
// thread decodes its pictures into one buffer, dropped at the end.
size_t decodingRun(const std::vector<PackagePicture>& pictures, size_t count)
{
    std::atomic<size_t> firstBad{count};
    std::vector<QImage> scratch(AppUtil::kSideBySide);
    AppUtil::sideBySide(count, [&](size_t i, size_t runner) {
        if (i >= firstBad.load() || pictures[i].decodesInto(scratch[runner]))
            return;
        for (size_t seen = firstBad.load(); i < seen && !firstBad.compare_exchange_weak(seen, i);) {
        }
    });
    return firstBad.load();
}

} // namespace

QImage DeviceProfile::decodePicture(const QByteArray& data)
{
    QImage image;
    if (!decodeInto(data, image))
        return QImage();
    // Pictures are drawn premultiplied; converted here, in place, a view
    // that shows a picture as it is shares its pixels (KeyboardView).
    if (image.format() == QImage::Format_ARGB32)
        image = std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return image;
}

PackagePicture PackagePicture::fromBytes(const QByteArray& bytes, qreal ratio)
{
    QSize size = statedSize(bytes);
    // A format without a stated size: only decoding tells whether such a
    // picture fits the caps (bytes the header refuses do not decode).
    if (!size.isValid())
        size = DeviceProfile::decodePicture(bytes).size();
    if (size.isEmpty())
        return {};
    PackagePicture result;
    result.d_ = std::make_shared<Data>();
    result.d_->bytes = bytes;
    result.d_->size = size;
    result.d_->ratio = ratio;
    return result;
}

QSize PackagePicture::size() const
{
    return d_ ? d_->size : QSize();
}

QImage PackagePicture::image() const
{
    if (!d_)
        return QImage();
    const std::lock_guard guard(d_->lock);
    if (!d_->decoded) {
        d_->image = DeviceProfile::decodePicture(d_->bytes);
        d_->image.setDevicePixelRatio(d_->ratio);
        d_->decoded = true;
        if (d_->image.isNull() && d_->memberBytes)
            d_->image = DeviceProfile::decodePicture(d_->memberBytes());
    }
    return d_->image;
}

void PackagePicture::decode(const std::vector<PackagePicture>& pictures)
{
    AppUtil::sideBySide(pictures.size(), [&](size_t i, size_t) { (void)pictures[i].image(); });
}

bool PackagePicture::decodesInto(QImage& scratch) const
{
    if (!d_)
        return false;
    {
        const std::lock_guard guard(d_->lock);
        if (d_->decoded)
            return !d_->image.isNull();
    }
    // A twin that does not decode is shown as its member (image()).
    return decodeInto(d_->bytes, scratch) || (d_->memberBytes && decodeInto(d_->memberBytes(), scratch));
}

void PackagePicture::forgetUnlessShown() const
{
    if (!d_)
        return;
    const std::lock_guard guard(d_->lock);
    // Held here only (no view, pixmap or copy shares the pixels).
    if (d_->decoded && d_->image.isDetached()) {
        d_->image = QImage();
        d_->decoded = false;
    }
}

bool PackagePicture::isDecoded() const
{
    if (!d_)
        return false;
    const std::lock_guard guard(d_->lock);
    return d_->decoded;
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
    // lacks would be looked for again on its own by the zip tool.
    QStringList wanted = memberNames;
    std::vector<qsizetype> twinAt(result.size(), -1);
    if (ratio > 1) {
        const QStringList listed = indexedMembers(profilePath);
        const Qt::CaseSensitivity cs = ignoreCap ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (qsizetype i = 0; i < memberNames.size(); ++i) {
            const QString twin = doubleDensityName(memberNames[i]);
            if (!memberNames[i].isEmpty() && ZipUtil::isValidMemberName(twin) && listed.contains(twin, cs)) {
                twinAt[size_t(i)] = wanted.size();
                wanted << twin;
            }
        }
    }
    const std::vector<QByteArray> bytes = ZipUtil::loadMembers(profilePath, wanted, ignoreCap, kMaxPictureBytes);
    for (size_t i = 0; i < result.size() && i < bytes.size(); ++i) {
        result[i].member = bytes[i];
        if (twinAt[i] < 0 || size_t(twinAt[i]) >= bytes.size())
            continue;
        // A twin of any other size would be drawn out of proportion.
        const QByteArray& twin = bytes[size_t(twinAt[i])];
        const QSize one = statedSize(bytes[i]);
        if (one.isValid() && statedSize(twin) == one * 2)
            result[i].twin = twin;
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
    std::vector<QImage> images(size_t(memberNames.size()));
    const std::vector<PictureBytes> bytes = loadPictureBytes(memberNames, ignoreCap, ratio);
    AppUtil::sideBySide(bytes.size(), [&](size_t i, size_t) {
        if (!bytes[i].twin.isEmpty()) {
            images[i] = decodePicture(bytes[i].twin);
            images[i].setDevicePixelRatio(2);
        }
        if (images[i].isNull())
            images[i] = decodePicture(bytes[i].member);
    });
    return images;
}

std::vector<PackagePicture> DeviceProfile::readPackagePictures(const QStringList& memberNames, bool ignoreCap,
                                                               qreal ratio) const
{
    std::vector<PackagePicture> pictures(size_t(memberNames.size()));
    const std::vector<PictureBytes> bytes = loadPictureBytes(memberNames, ignoreCap, ratio);
    for (size_t i = 0; i < bytes.size() && i < pictures.size(); ++i) {
        pictures[i] = PackagePicture::fromBytes(bytes[i].member);
        PackagePicture twin = PackagePicture::fromBytes(bytes[i].twin, 2);
        if (!twin.isNull() && !pictures[i].isNull()) {
            twin.d_->memberBytes = [path = profilePath, name = memberNames[qsizetype(i)], ignoreCap] {
                return ZipUtil::load(path, name, ignoreCap, kMaxPictureBytes);
            };
            pictures[i] = std::move(twin);
        }
    }
    return pictures;
}

DeviceProfile::PictureSet DeviceProfile::readCheckedPictures(const QStringList& memberNames, bool ignoreCap,
                                                             qreal ratio) const
{
    // The file's identity is taken around the read: a verdict is kept only
    // for bytes read from a file that did not change meanwhile.
    const std::optional<FileIdentity> before = identityOf(profilePath);
    PictureSet set;
    set.pictures = readPackagePictures(memberNames, ignoreCap, ratio);
    const size_t withinCap = withinSetCap(set.pictures);
    if (before) {
        if (const std::optional<size_t> known = checkedSets().find(*before, memberNames, ignoreCap, ratio > 1)) {
            set.usable = std::min(withinCap, *known);
            return set;
        }
    }
    set.usable = decodingRun(set.pictures, withinCap);
    if (before && identityOf(profilePath) == before)
        checkedSets().remember(*before, memberNames, ignoreCap, ratio > 1, set.usable);
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
