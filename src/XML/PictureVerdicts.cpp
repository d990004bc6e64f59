#include "XML/PictureVerdicts.h"

PictureVerdicts& PictureVerdicts::shared()
{
    static PictureVerdicts verdicts;
    return verdicts;
}

std::optional<size_t> PictureVerdicts::find(const AppUtil::FileIdentity& file, const QStringList& names,
                                            bool ignoreCap)
{
    const std::lock_guard guard(lock_);
    for (const Entry& e : entries_)
        if (e.file == file && e.ignoreCap == ignoreCap && e.names == names)
            return e.usable;
    return std::nullopt;
}

void PictureVerdicts::remember(const AppUtil::FileIdentity& file, const QStringList& names, bool ignoreCap,
                               size_t usable)
{
    const std::lock_guard guard(lock_);
    if (entries_.size() >= kKept)
        entries_.erase(entries_.begin());
    entries_.push_back({file, names, ignoreCap, usable});
}

QStringList PictureVerdicts::indexedMembers(const QString& path, const std::function<QStringList()>& readIndex)
{
    const std::optional<AppUtil::FileIdentity> before = AppUtil::fileIdentity(path);
    if (before) {
        const std::lock_guard guard(lock_);
        for (const Listing& l : listings_)
            if (l.file == *before)
                return l.names;
    }
    const QStringList names = readIndex();
    if (before && AppUtil::fileIdentity(path) == before) {
        const std::lock_guard guard(lock_);
        if (listings_.size() >= kKept)
            listings_.erase(listings_.begin());
        listings_.push_back({*before, names});
    }
    return names;
}
