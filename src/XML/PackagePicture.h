#pragma once
// Pictures read from description packages (packages can come from users):
// decoded within caps on the member size and the picture dimensions, and a
// picture whose header states a size must decode to exactly that size, so
// that what a header states can be trusted before any pixel memory is taken.
//
// PackagePicture is a picture member of a package read but decoded only when
// first asked for: its bytes are kept (tens of kilobytes where the decoded
// picture takes megabytes). Reading checks what can be checked without
// decoding: the bytes are of a known picture format and the size their
// header states is within the caps. Whether the pixel data decodes only
// decoding tells (decodesInto, checkSet). Copies share the bytes and the
// decoded picture; image() may be called from any thread.
//
// A picture may carry the bytes of its double-density twin (twice the size
// on both sides), shown in its place on screens of more than one device
// pixel per point. The twin is decoded only when the picture is shown; the
// checks judge the picture's own bytes, and a twin that does not decode is
// never a fault: the picture itself is shown instead.

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <memory>
#include <mutex>
#include <vector>

class PackagePicture {
public:
    PackagePicture() = default;

    // Null when the bytes are empty, too many, of no known picture format or
    // state a size beyond the caps. `twin`: the bytes of its double-density
    // twin (empty for none), kept when they state exactly twice its size.
    static PackagePicture fromBytes(const QByteArray& bytes, const QByteArray& twin = {});

    bool isNull() const { return !d_; }

    // The size the picture's header states (for a format that states none,
    // the size decoding found when it was read); empty for a null picture.
    QSize size() const;

    // The decoded picture, decoded on the first call and kept; null for a
    // null picture and when the bytes do not decode after all. The twin
    // where it has one that decodes, with a device pixel ratio of 2.
    QImage image() const;

    // Decodes each of `pictures` (as image() does), several side by side.
    static void decode(const std::vector<PackagePicture>& pictures);

    // Whether the picture's own bytes decode, without keeping the decoded
    // pixels: they are decoded into `scratch`, whose memory the next picture
    // of the same size and format decoded into it reuses. A picture image()
    // has decoded without a twin answers at once.
    bool decodesInto(QImage& scratch) const;

    // How many of `pictures`, from the first, can be used together: each
    // read and decodes, and their sizes add up to at most the cap of a set
    // (DeviceProfile::kMaxPictureSetPixels). Decodes every picture in full,
    // several side by side, and drops the pixels.
    static size_t checkSet(const std::vector<PackagePicture>& pictures);

    // Whether image() has decoded the picture.
    bool isDecoded() const;

    // Drops the decoded picture when nothing else holds its pixels (no view
    // shows it); image() decodes it again.
    void forgetUnlessShown() const;

    // ----- picture bytes -------------------------------------------------------

    // The size picture bytes state in their header when it is within the
    // caps; an invalid size otherwise (nothing is decoded).
    static QSize statedSize(const QByteArray& bytes);

    // Decodes picture bytes (format from the content) within the caps; null
    // when the bytes are empty, undecodable, too large or decode to another
    // size than their header states. Premultiplied where it has alpha.
    static QImage decodeBytes(const QByteArray& bytes);

private:
    struct Data {
        QByteArray bytes;
        QSize size;
        QByteArray twin;
        std::mutex lock;
        bool decoded = false;
        QImage image;
    };
    std::shared_ptr<Data> d_;
};
