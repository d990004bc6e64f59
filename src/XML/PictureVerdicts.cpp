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
    // A run sees a handful of packages; a verdict let go only costs
    // another check.
    if (entries_.size() >= kKept)
        entries_.erase(entries_.begin());
    entries_.push_back({file, names, ignoreCap, usable});
}
