#pragma once
// Reading a whole file that the user named. Only a regular file (symbolic
// links followed) is read: a device or a pipe could block the reader or feed
// it without end, and opening a device node may already act on it. Never
// more than a given number of bytes is read, whatever size the file system
// reports.

#include <QByteArray>
#include <QString>

#include <optional>

namespace AppUtil {

enum class FileReadOutcome {
    Read,
    NotARegularFile, // a folder, a device, a pipe, a socket, or nothing there
    Failed,          // could not be opened or read
};

// Reads at most `limit` bytes of the regular file at `path` into `bytes`
// (emptied unless Read). A longer file gives its first `limit` bytes: ask
// for one byte more than you accept to tell a file that is too long.
FileReadOutcome readRegularFile(const QString& path, qint64 limit, QByteArray& bytes);

// What tells a file apart from one that later takes its path, or from itself
// once written again: device, inode, size, and the times of its last write
// and status change (nanoseconds).
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at `path` (symbolic links followed); none when
// nothing is there.
std::optional<FileIdentity> fileIdentity(const QString& path);

} // namespace AppUtil
