#pragma once
// The firmware image file as the application reads it before and during an
// update: a two-byte checksum (CRC-16/MCRF4XX of the rest of the file, low
// byte first) followed by the image that is sent to the device. Inside the
// image, at fixed offsets, sit the model number the image was built for
// (eight ASCII characters) and its version (three bytes).
//
// The checks here decide whether a file may be sent to a device; the firmware
// file dialog runs them on the chosen file, and the update runs them again on
// the bytes it is about to send.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

#include "Utility/AppError.h"

class IDeviceEntry;

namespace firmware {

// Smallest file: the checksum and a 64 KiB image.
inline constexpr qsizetype kFileLength = 0x10002;
// Bytes of image per transfer command; the last chunk holds the rest.
inline constexpr qsizetype kChunkSize = 57;
// The chunk number travels in 16 bits: no image may need more chunks.
inline constexpr qsizetype kMaxChunks = 0x10000;
inline constexpr qsizetype kMaxImageSize = kMaxChunks * kChunkSize;
// Largest file that can be sent: the checksum and the largest image.
inline constexpr qsizetype kMaxFileLength = kMaxImageSize + 2;
// Offsets inside the image (the file offset minus 2).
inline constexpr qsizetype kModelOffset = 0xFFF0;
inline constexpr qsizetype kModelLength = 8;
inline constexpr qsizetype kVersionOffset = 0xFFF9;
inline constexpr qsizetype kVersionLength = 3;
// The file name extension of firmware files.
inline constexpr const char* kFileExtension = "vxb";

// What a file check found, with the message shown for it.
enum class Verdict {
    Good,
    Corrupt,      // too short, too long to transfer, or the checksum differs
    WrongModel,   // built for another model, or either model is unknown
    OlderVersion, // older than the firmware in the device
};

// The message key of a refusal ("" for Good).
QString messageKey(Verdict verdict);
// The result code of a refusal: FileRead for a corrupt file, UiCancel for
// a file that does not suit the device, NoError for Good.
AppError resultOf(Verdict verdict);

// The checksum stored in the file's first two bytes, low byte first.
uint16_t storedChecksum(const QByteArray& file);
// The checksum of everything behind the first two bytes.
uint16_t computedChecksum(const QByteArray& file);
// The image: the file without its checksum.
QByteArray imageOf(const QByteArray& file);
// Transfer commands an image of that size needs.
qsizetype chunkCount(qsizetype imageSize);

// The model number the file was built for; absent when the file is too short
// or the field holds a byte above 0x7F.
std::optional<QString> modelText(const QByteArray& file);
// The file's version as six upper-case hexadecimal digits ("" when short).
QString versionText(const QByteArray& file);

// Length, transfer size and checksum.
bool isIntact(const QByteArray& file);

// The whole check against a device: intact, built for exactly the device's
// model (both known, all eight characters equal) and, when `deviceVersion`
// is given, not older than it (six hexadecimal digits compared as text; an
// equal version may be written again).
Verdict check(const QByteArray& file, const std::optional<QString>& deviceModel,
              const std::optional<QString>& deviceVersion);

// check() against what `device` reports: its model number and its version
// (a device that reports no version compares as "", which every file
// passes). The firmware file dialog judges the chosen file with it, and the
// update judges the bytes it is about to send with it once more.
Verdict checkFor(const QByteArray& file, const IDeviceEntry& device);

enum class ReadOutcome {
    Read,
    NotARegularFile, // a folder, a device, a pipe, a socket, or nothing there
    Failed,          // could not be opened or read
};

// Reads the firmware file at `path` into `bytes` (emptied unless Read).
// Only a regular file (symbolic links followed) is opened: a device or a
// pipe could block the reader or feed it without end. At most
// kMaxFileLength + 1 bytes are read, enough for check() to refuse a file
// that is too long, whatever size the file system reports.
ReadOutcome readFile(const QString& path, QByteArray& bytes);

} // namespace firmware

namespace firmware {

// Where the file chooser of the firmware and package dialogs starts: the
// folder of `path` when it names a firmware file or a description package
// (".vxb" or ".key" anywhere in it, any letter case), else `path` unchanged.
QString startFolderOf(const QString& path);

} // namespace firmware
