#include "XML/PackagePicture.h"

#include "Utility/SideBySide.h"
#include "XML/DeviceProfile.h"

#include <QBuffer>
#include <QImageReader>

#include <atomic>

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

// Decodes picture bytes into `image` within the caps; false when they do
// not decode, decode beyond the caps or to another size than the header
// states (a header's size is what the caps and the sums of sizes trust). A
// reader reuses the memory of an image of the size and format it decodes.
bool decodeInto(const QByteArray& data, QImage& image)
{
    if (!acceptableSize(data))
        return false;
    PictureReader picture(data);
    // Formats without a stated size are checked after decoding (Qt's own
    // allocation limit bounds that step).
    const Header header = judgeHeader(picture.reader);
    if (header == Header::Refused)
        return false;
    const QSize stated = header == Header::WithinCaps ? picture.reader.size() : QSize();
    return picture.reader.read(&image) && !image.isNull() && withinPictureCaps(image.size())
        && (!stated.isValid() || image.size() == stated);
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

QSize PackagePicture::statedSize(const QByteArray& bytes)
{
    if (!acceptableSize(bytes))
        return {};
    PictureReader picture(bytes);
    return judgeHeader(picture.reader) == Header::WithinCaps ? picture.reader.size() : QSize();
}

QImage PackagePicture::decodeBytes(const QByteArray& bytes)
{
    QImage image;
    if (!decodeInto(bytes, image))
        return QImage();
    // Pictures are drawn premultiplied; converted here, in place, a view
    // that shows a picture as it is shares its pixels (KeyboardView).
    if (image.format() == QImage::Format_ARGB32)
        image = std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return image;
}

PackagePicture PackagePicture::fromBytes(const QByteArray& bytes, const QByteArray& twin)
{
    QSize size = statedSize(bytes);
    // A format without a stated size: only decoding tells whether such a
    // picture fits the caps (bytes the header refuses do not decode).
    if (!size.isValid())
        size = decodeBytes(bytes).size();
    if (size.isEmpty())
        return {};
    PackagePicture result;
    result.d_ = std::make_shared<Data>();
    result.d_->bytes = bytes;
    result.d_->size = size;
    // A twin of any other size would be drawn out of proportion.
    if (!twin.isEmpty() && statedSize(twin) == size * 2)
        result.d_->twin = twin;
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
        if (!d_->twin.isEmpty()) {
            d_->image = decodeBytes(d_->twin);
            d_->image.setDevicePixelRatio(2);
        }
        if (d_->image.isNull())
            d_->image = decodeBytes(d_->bytes);
        d_->decoded = true;
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
        // Without a twin what was shown is the picture itself; with one, a
        // picture shown at all may be the twin.
        if (d_->decoded && (d_->twin.isEmpty() || d_->image.isNull()))
            return !d_->image.isNull();
    }
    return decodeInto(d_->bytes, scratch);
}

size_t PackagePicture::checkSet(const std::vector<PackagePicture>& pictures)
{
    return decodingRun(pictures, withinSetCap(pictures));
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
