#include "Utility/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace AppUtil {

FileReadOutcome readRegularFile(const QString& path, qint64 limit, QByteArray& bytes)
{
    bytes.clear();
    // Judged before opening: opening a device node may already act on it.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return FileReadOutcome::NotARegularFile;
    // The path may name something else by now: what was opened is judged
    // again, and the opening never waits for the writer of a pipe.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return FileReadOutcome::Failed;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return FileReadOutcome::NotARegularFile;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return FileReadOutcome::Failed;
    }
    // In pieces, so that a generous limit costs nothing for a small file.
    QByteArray read;
    std::array<char, 64 * 1024> piece{};
    while (read.size() < limit) {
        const qint64 n = file.read(piece.data(), std::min<qint64>(qint64(piece.size()), limit - read.size()));
        if (n < 0)
            return FileReadOutcome::Failed;
        if (n == 0)
            break;
        read.append(piece.data(), qsizetype(n));
    }
    bytes = std::move(read);
    return FileReadOutcome::Read;
}

std::optional<FileIdentity> fileIdentity(const QString& path)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    const auto ns = [](const timespec& t) { return qint64(t.tv_sec) * 1000000000 + t.tv_nsec; };
    return FileIdentity{quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
                        ns(status.st_mtim), ns(status.st_ctim)};
}

} // namespace AppUtil
