// Fuzzes the reading and the whole check of package pictures with arbitrary
// bytes. A picture read (PackagePicture::fromBytes) states a size within the
// caps and shows either nothing or a picture of exactly that size (its twin
// exactly twice that size); a set of such pictures the whole check accepts
// decodes to at most the cap of a set. Input: one flag byte, then the
// picture's bytes; with the flag's lowest bit set the second half of them is
// the picture's double-density twin.
#include "XML/DeviceProfile.h"
#include "XML/PackagePicture.h"

#include <QByteArray>
#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

// The pictures of a mouse's tabs: the set the whole check judges.
constexpr size_t kSetSize = 26;

qint64 area(QSize size) { return qint64(size.width()) * size.height(); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Picture formats other than the built-in ones come as plug-ins.
    static int argc = 1;
    static char name[] = "fuzz_picture";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    if (size < 1)
        return 0;
    const QByteArray input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const bool withTwin = (data[0] & 1) != 0;
    const qsizetype half = input.size() / 2;
    const QByteArray own = withTwin ? input.left(half) : input;
    const QByteArray twin = withTwin ? input.mid(half) : QByteArray();

    const PackagePicture picture = PackagePicture::fromBytes(own, twin);
    if (picture.isNull())
        return 0;
    const QSize stated = picture.size();
    if (stated.isEmpty() || stated.width() > DeviceProfile::kMaxPictureSide
        || stated.height() > DeviceProfile::kMaxPictureSide || area(stated) > DeviceProfile::kMaxPicturePixels)
        std::abort();

    const std::vector<PackagePicture> set(kSetSize, picture);
    const size_t usable = PackagePicture::checkSet(set);
    // Copies share one picture: all of them decode or none.
    if (usable != 0 && usable != kSetSize && qint64(usable + 1) * area(stated) <= DeviceProfile::kMaxPictureSetPixels)
        std::abort();

    const QImage shown = picture.image();
    if (shown.isNull()) {
        if (usable != 0)
            std::abort();
        return 0;
    }
    const bool isTwin = shown.devicePixelRatio() == 2;
    if (shown.size() != (isTwin ? stated * 2 : stated))
        std::abort();
    // Accepted pictures hold at most the cap of a set once decoded.
    QImage decoded = shown;
    if (isTwin && !picture.decodesInto(decoded = QImage()))
        decoded = QImage();
    if (usable != 0
        && (decoded.isNull() || qint64(usable) * area(decoded.size()) > DeviceProfile::kMaxPictureSetPixels))
        std::abort();
    return 0;
}
