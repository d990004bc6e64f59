#include "XML/PictureVerdicts.h"

#include <QFile>

bool PictureVerdicts::FileIdentity::operator==(const FileIdentity& o) const
{
    return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec
        && modified.tv_nsec == o.modified.tv_nsec && changed.tv_sec == o.changed.tv_sec
        && changed.tv_nsec == o.changed.tv_nsec;
}

std::optional<PictureVerdicts::FileIdentity> PictureVerdicts::identityOf(const QString& path)
{
    struct stat st{};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

PictureVerdicts& PictureVerdicts::shared()
{
    static PictureVerdicts verdicts;
    return verdicts;
}

std::optional<size_t> PictureVerdicts::find(const FileIdentity& file, const QStringList& names, bool ignoreCap)
{
    const std::lock_guard guard(lock_);
    for (const Entry& e : entries_)
        if (e.file == file && e.ignoreCap == ignoreCap && e.names == names)
            return e.usable;
    return std::nullopt;
}

void PictureVerdicts::remember(const FileIdentity& file, const QStringList& names, bool ignoreCap, size_t usable)
{
    const std::lock_guard guard(lock_);
    if (entries_.size() >= kKept)
        entries_.erase(entries_.begin());
    entries_.push_back({file, names, ignoreCap, usable});
}

QStringList PictureVerdicts::indexedMembers(const QString& path, const std::function<QStringList()>& readIndex)
{
    const std::optional<FileIdentity> before = identityOf(path);
    if (before) {
        const std::lock_guard guard(lock_);
        for (const Listing& l : listings_)
            if (l.file == *before)
                return l.names;
    }
    const QStringList names = readIndex();
    if (before && identityOf(path) == before) {
        const std::lock_guard guard(lock_);
        if (listings_.size() >= kKept)
            listings_.erase(listings_.begin());
        listings_.push_back({*before, names});
    }
    return names;
}
