#pragma once
// The profile package: a ZIP archive (written by the zip tools, members under
// bare names) of XML members, plus "index.xml" listing every XML member with
// the CRC-16 of its bytes exactly as stored, as four upper-case hexadecimal
// digits. XML members written here are UTF-8 with CR LF line ends. The index
// does not list itself.
//
// Reading (loadProfile):
//   1. "index.xml" is read (missing package or index: FileRead);
//   2. the first entry whose Name equals readFile exactly gives the expected
//      Sign; a member the index does not list is FileRead;
//   3. the member is read (missing, empty or over the size cap: FileRead) and
//      its CRC text compared, case-sensitively, with the Sign (CrcError when
//      different, so a lower-case Sign is a CrcError);
//   4. the member is parsed by the model's reader; XML that does not parse is
//      FileRead. Only on NoError is the caller's model replaced.
//
// Writing: saveProfile replaces the file with a new package of one member;
// appendProfile adds or replaces one member and keeps the others and their
// index entries in order (ZipUtil::append). The file is replaced atomically;
// on any failure the result is FileNotExist and the old file is unchanged.
// Both take the folder's package lock (ZipUtil::PackageLock) first; a lock
// another writer keeps past its wait limit is such a failure.
// Staging happens in a private temporary folder that is always removed.
//
// A model works with the templates below when it names its reader-and-writer
// class as `Model::Xml` (see XmlProfile.h):
//   - reading needs `Xml` derived from XmlProfileReader, default-constructible,
//     with `Model takeProfile()`;
//   - writing needs `static std::optional<QByteArray> Xml::construct(const Model&)`.
//
//   UserProfileFile profile;
//   AppError e = AppUtil::loadProfile(path, profile, "profile." + ext + ".xml");
//   e = AppUtil::appendProfile(path, profile, "profile." + ext + ".xml");
//
// The settings file's own save shows the "CanNotWriteToThisFolder" message
// box when saveProfile fails; these functions show nothing.
//
// Binary members (pictures of description packages) are added with
// ZipUtil::append(path, {{name, bytes}}), which lists them in the index too,
// and read with ZipUtil::load or, several at once, ZipUtil::loadMembers (no
// CRC check of the index; the zip tool checks each member's own CRC).

#include "Utility/AppError.h"
#include "Utility/ZipUtil.h"
#include "XML/FileIndexXML.h"
#include "XML/XmlProfile.h"

#include <QByteArray>
#include <QString>

#include <concepts>
#include <optional>
#include <utility>

namespace AppUtil {

// The index member's name.
inline const QString kIndexMemberName = QStringLiteral("index.xml");

// Every LF becomes CR LF (a CR LF already there becomes CR CR LF). Absent when
// the bytes are not valid UTF-8.
std::optional<QByteArray> dataConvertCRLF(const QByteArray& data);

// Reads member readFile of the package (normally "index.xml") as an index,
// without any CRC check. FileRead when the package or the member is missing,
// empty, too large or not well-formed XML; `profile` is then unchanged.
AppError loadProfile(const QString& path, FileIndex& profile, const QString& readFile);

// Steps 1-3 of reading: the member's bytes after the index and CRC checks,
// capped at maxBytes. NoError, FileRead or CrcError; `data` is set only on
// NoError. The index and the member are read by one run of the zip tool
// (ZipUtil::loadMembers).
AppError loadCheckedMember(const QString& path, const QString& readFile, QByteArray& data,
                           qint64 maxBytes = ZipUtil::kMaxXmlMemberBytes);

// Steps 1-4 with a reader the caller made: NoError only when the member passed
// the checks and parsed well-formed.
AppError loadProfileWith(const QString& path, const QString& readFile, XmlProfileReader& reader);

// Writes a new package at `path` holding `xml` (converted to CR LF here) as
// member `appendName`, and its index. FileNotExist on any failure (also for
// an absent document, bytes that are not UTF-8 or a name that is not valid).
AppError saveProfileData(const QString& path, const std::optional<QByteArray>& xml,
                         const QString& appendName);

// Adds or replaces member `appendName` (converted to CR LF here) in the
// package at `path`, creating it when missing. FileNotExist on any failure.
AppError appendProfileData(const QString& path, const std::optional<QByteArray>& xml,
                           const QString& appendName);

template <class Model>
concept ReadableProfile = std::derived_from<typename Model::Xml, XmlProfileReader>
    && std::default_initializable<typename Model::Xml>
    && requires(typename Model::Xml reader) {
           { reader.takeProfile() } -> std::convertible_to<Model>;
       };

template <class Model>
concept WritableProfile = requires(const Model& model) {
    { Model::Xml::construct(model) } -> std::convertible_to<std::optional<QByteArray>>;
};

// Reads member readFile of the package at `path` into `profile` (replaced only
// on NoError). Results: NoError, FileRead, CrcError.
template <ReadableProfile Model>
AppError loadProfile(const QString& path, Model& profile, const QString& readFile)
{
    typename Model::Xml reader;
    const AppError result = loadProfileWith(path, readFile, reader);
    if (result == AppError::NoError)
        profile = reader.takeProfile();
    return result;
}

// Replaces the file at `path` with a package of the one member appendName.
// NoError or FileNotExist.
template <WritableProfile Model>
AppError saveProfile(const QString& path, const Model& profile, const QString& appendName)
{
    return saveProfileData(path, Model::Xml::construct(profile), appendName);
}

// Adds or replaces member appendName of the package at `path`. NoError or
// FileNotExist.
template <WritableProfile Model>
AppError appendProfile(const QString& path, const Model& profile, const QString& appendName)
{
    return appendProfileData(path, Model::Xml::construct(profile), appendName);
}

} // namespace AppUtil
