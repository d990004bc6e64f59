#pragma once
// The verdicts of the whole check of a package's pictures
// (PackagePicture::checkSet), remembered per package file as it stands on
// disk and list of members, so that the pictures of a package are decoded
// whole once per run of the application. A verdict holds for bytes read
// from a file whose identity (AppUtil::fileIdentity: a rewrite, which the
// package writers make by a rename, or any change of its bytes gives
// another) was the same before and after the read.

#include "Utility/RegularFile.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

class PictureVerdicts {
public:
    // The verdicts of the application.
    static PictureVerdicts& shared();

    // How many pictures from the first were found usable in the file.
    std::optional<size_t> find(const AppUtil::FileIdentity& file, const QStringList& names, bool ignoreCap);
    void remember(const AppUtil::FileIdentity& file, const QStringList& names, bool ignoreCap, size_t usable);

    // The member names the package's index lists (which double-density
    // twins it holds), read by `readIndex` unless known for the file as it
    // stands: a connect then reads the package's members by one run of the
    // zip tool and their twins by one more.
    QStringList indexedMembers(const QString& path, const std::function<QStringList()>& readIndex);

private:
    // A run sees a handful of packages; a verdict let go only costs
    // another check.
    static constexpr size_t kKept = 64;
    struct Entry {
        AppUtil::FileIdentity file;
        QStringList names;
        bool ignoreCap = false;
        size_t usable = 0;
    };
    struct Listing {
        AppUtil::FileIdentity file;
        QStringList names;
    };
    std::mutex lock_;
    std::vector<Entry> entries_;
    std::vector<Listing> listings_;
};
