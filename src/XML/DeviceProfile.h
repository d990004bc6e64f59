#pragma once
// A device description: what a device model is and how it looks. Descriptions
// arrive as description packages (".key" for keyboards, ".mou" for mice): a
// profile package (ProfilePackage.h) holding "Profile.xml" and the picture
// members it names. They are read, never written.
//
// DeviceProfile is the header every description shares; KeyboardProfile and
// MouseProfile add their own elements. The readers keep texts as they stand;
// the device models turn them into numbers and rectangles. The few texts the
// readers convert themselves (decimal "Code", "Group", "Data") and the header
// texts that decide whether a package is usable ("ProfileVersion",
// "VendorID", "ProductID") are checked by validate(): a description that
// fails it is malformed and the package enumeration leaves it out.
//
// Header elements, direct children of the document's root (whose name is not
// checked):
//   "Type", "ProfileExt", "InterfaceID", "ModelNumber"   free text, kept
//   "Name"             model name; every text of every "Name" is appended
//   "ProfileVersion"   "_"-separated; parts 1 to 3 are the version number
//   "VendorID", "ProductID"   hexadecimal USB IDs
//   "MultiDeviceModel" exactly "true" sets multiDeviceModel
//
// Pictures are read from the package at profilePath on every call (the
// pictures a device shows together by one run of the zip tool, and their
// double-density twins by a second run beside it), decoded
// with caps on the member size and the picture dimensions (packages can come
// from users; PackagePicture.h); anything unreadable gives a null QImage. A
// set of pictures of which only some are shown at a time (a mouse's tab
// pictures) is read as PackagePicture: checked when read, decoded when first
// shown. Such a set is checked whole before it is used
// (readCheckedPictures): every picture decodes and together they stay within
// a cap.
//
// Double density: beside a picture member a package may hold its twin drawn
// at twice the size (both sides exactly twice the member's), for screens of
// more than one device pixel per point. The twin's name is the member's with
// "@2x" put before the last "." ("keyboard.png" has the twin
// "keyboard@2x.png"; a name without "." gets "@2x" appended). Read for a
// screen ratio above 1, a twin the package's "index.xml" lists is read
// instead of its member and its picture carries a device pixel ratio of 2;
// only the density shown is decoded, when it is shown. A twin gets the same
// caps as any picture; a twin that is refused, states another size or does
// not decode is ignored and its member shown instead. The package checks
// judge the members only, at every ratio alike: the twins are never a
// reason to refuse a package. A package without twins shows its members at
// any ratio.

#include "Utility/AppError.h"
#include "XML/PackagePicture.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class DeviceProfile {
public:
    DeviceProfile() = default;
    virtual ~DeviceProfile() = default;
    DeviceProfile(const DeviceProfile&) = default;
    DeviceProfile& operator=(const DeviceProfile&) = default;

    QString type;
    QString name;
    QString profileExt;
    QString profileVersion;
    QString vendorID;
    QString productID;
    QString interfaceID;
    QString modelNumber;
    bool multiDeviceModel = false;
    // Set by the package enumeration from profileVersion (versionNumber()).
    double dProfileVersion = 0.0;
    // Set by the package enumeration: the package the pictures are read from.
    QString profilePath;

    // A text the reader had to convert did not convert (for example a "Code"
    // that is not a decimal integer). Part of validate().
    bool hasMalformedText = false;

    // The device's small picture for the device list, for a screen of
    // `ratio` device pixels per point; null when absent.
    virtual QImage getDeviceThumbImage(qreal ratio = 1) const
    {
        (void)ratio;
        return QImage();
    }

    // Diagnostic text of the header fields.
    virtual QString description() const;

    // NoError when the description is usable: its version number, vendor ID
    // and product ID read, and every text the reader converted converted.
    // BadParam otherwise. Kinds add their own checks.
    virtual AppError validate() const;
    bool isValid() const { return validate() == AppError::NoError; }

    // The version number of profileVersion (see parseProfileVersion).
    std::optional<double> versionNumber() const { return parseProfileVersion(profileVersion); }
    std::optional<uint16_t> vendorIdValue() const { return parseHexId(vendorID); }
    std::optional<uint16_t> productIdValue() const { return parseHexId(productID); }

    // ----- text syntax shared by the description readers and their users --

    // The version number of a ProfileVersion text: split at every "_"; parts
    // 1, 2 and 3 (counting from 0) are read as decimal integers a, b, c and
    // "%d%03d.%03d" of them is read as a number ("X_1_2_0" gives 1002.000,
    // "X_1_10_5" 1010.005). Absent when there are fewer than four parts or a
    // part is not a plain unsigned decimal integer.
    static std::optional<double> parseProfileVersion(const QString& text);

    // A USB vendor or product ID written as 1 to 4 hexadecimal digits (either
    // letter case, no sign, no "0x", no blanks). Absent otherwise.
    static std::optional<uint16_t> parseHexId(const QString& text);

    // A decimal integer as the readers convert "Code", "Group" and "Data": an
    // optional "+" or "-", then one or more ASCII digits, nothing else, within
    // the range of int. Absent otherwise.
    static std::optional<int> parseDecimal(const QString& text);

    // ----- pictures ----------------------------------------------------------

    // Largest picture member read from a package.
    static constexpr qint64 kMaxPictureBytes = 8 * 1024 * 1024;
    // Largest picture decoded: each side, and the whole area in pixels.
    static constexpr int kMaxPictureSide = 8192;
    static constexpr qint64 kMaxPicturePixels = qint64(4096) * 4096;
    // Largest decoded area of a set of pictures read together (a mouse's 26
    // tab pictures), all of which a device may come to show: room for 26
    // pictures of the window's size at twice the screen density (2000 x 1400
    // pixels each), where 26 pictures at the cap of one would hold 1.7 GB.
    static constexpr qint64 kMaxPictureSetPixels = qint64(80) * 1024 * 1024;

    // Decodes picture bytes (format from the content) within the caps above;
    // null when the bytes are empty, undecodable, too large or decode to
    // another size than they state (PackagePicture::decodeBytes).
    static QImage decodePicture(const QByteArray& data);

    // The name of the double-density twin of member `memberName`.
    static QString doubleDensityName(const QString& memberName);

    // Reads member `memberName` of the package at profilePath and decodes it;
    // null for an empty or unreadable name, a missing member or bad data.
    // ignoreCap matches the member name regardless of letter case. For a
    // `ratio` above 1 the member's twin where the package has a good one.
    QImage readPicture(const QString& memberName, bool ignoreCap, qreal ratio = 1) const;

    // Each entry as readPicture(name, ignoreCap, ratio) gives it, in the
    // order of `memberNames`, with the members read by one run of the zip
    // tool (ZipUtil::loadMembers; for a ratio above 1 the index first, and
    // the twins it lists by a second run beside the first) and decoded on a
    // few threads at once.
    std::vector<QImage> readPictures(const QStringList& memberNames, bool ignoreCap, qreal ratio = 1) const;

    // The same members, read the same way, as pictures decoded when first
    // shown (PackagePicture::fromBytes).
    std::vector<PackagePicture> readPackagePictures(const QStringList& memberNames, bool ignoreCap,
                                                    qreal ratio = 1) const;

    // The members as readPackagePictures() gives them and how many of them,
    // from the first, can be used: each read and decodes, and their sizes
    // add up to at most kMaxPictureSetPixels.
    struct PictureSet {
        std::vector<PackagePicture> pictures;
        size_t usable = 0;
        bool isWhole() const { return usable == pictures.size(); }
    };
    // The pixel check (PackagePicture::checkSet) decodes every member in
    // full (several side by side, the pixels dropped) the first time a
    // package file is read; its verdict is remembered per file as it stands
    // on disk before and after the read (PictureVerdicts) and list of names,
    // so that the pictures of a package are decoded whole once per run of
    // the application while still being decoded for showing only when
    // shown. Meant for a worker thread: the check of a large set takes a
    // while. For a `ratio` above 1 the pictures carry their double-density
    // twins where the package has them (readPackagePictures); the check and
    // its verdict are those of the members, whatever the ratio.
    // `asRead`, when given, is called with the pictures as read, before the
    // check: a caller can start decoding there what it shows first.
    using AsRead = std::function<void(const std::vector<PackagePicture>& read)>;
    PictureSet readCheckedPictures(const QStringList& memberNames, bool ignoreCap, qreal ratio = 1,
                                   const AsRead& asRead = {}) const;

    // For the description readers: stores a header element's text when `key`
    // names a header element ("Name" appends); true when it did.
    bool readHeaderText(const QString& key, const QString& text);

private:
    // The bytes of a picture member and, where one was asked for, of its
    // double-density twin (empty otherwise).
    struct PictureBytes {
        QByteArray member;
        QByteArray twin;
    };
    std::vector<PictureBytes> loadPictureBytes(const QStringList& memberNames, bool ignoreCap, qreal ratio) const;
};
