// Profile package figures: how long the load dialog needs to list a folder of
// 100 profile packages and read each one's index and member, and how long one
// profile takes to save and to append.
#include "Utility/ProfilePackage.h"
#include "Utility/ZipUtil.h"
#include "XML/XmlProfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using Ms = std::chrono::duration<double, std::milli>;

// A user profile of about the size the application writes: 128 keys.
QByteArray profileDocument(int seed)
{
    XmlElement root(QStringLiteral("UserProfile"));
    root.add(QStringLiteral("ProfileName"), QStringLiteral("Bench %1").arg(seed));
    XmlElement& keys = root.add(QStringLiteral("KeytopList"));
    for (int code = 0; code < 128; ++code) {
        XmlElement& key = keys.add(QStringLiteral("KeytopEntry"));
        key.add(QStringLiteral("Code"), QString::number(code));
        key.add(QStringLiteral("ApcLevel"), (code + seed) % 3 == 0 ? QStringLiteral("Low") : QStringLiteral("Middle"));
        key.add(QStringLiteral("Lock"), QStringLiteral("Unlock"));
    }
    return XmlProfileWriter::document(root).value();
}

double timeIt(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return Ms(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString folder = dir.path() + QStringLiteral("/");
    const QString member = QStringLiteral("profile.KVK108US.xml");
    const QString otherMember = QStringLiteral("profile.KVM6.xml");
    constexpr int kPackages = 100;

    const double createMs = timeIt([&] {
        for (int i = 0; i < kPackages; ++i) {
            const QString path = folder + QStringLiteral("Profile %1.prf").arg(i, 3, 10, QLatin1Char('0'));
            if (AppUtil::saveProfileData(path, profileDocument(i), member) != AppError::NoError
                || AppUtil::appendProfileData(path, profileDocument(i + 1), otherMember) != AppError::NoError) {
                std::fprintf(stderr, "could not create %s\n", qPrintable(path));
                std::exit(1);
            }
        }
    });

    // What the load dialog does per file: keep ".prf" files that hold the
    // model's member, then read the index of the chosen one. Here every index
    // is read, and every member through the CRC check, as the worst case.
    int listed = 0;
    int indexed = 0;
    int loaded = 0;
    const double listMs = timeIt([&] {
        for (const QString& path : AppUtil::getFiles(folder)) {
            if (QFileInfo(path).suffix() != QLatin1String("prf") || !ZipUtil::contains(path, member))
                continue;
            ++listed;
        }
    });
    const double indexMs = timeIt([&] {
        for (const QString& path : AppUtil::getFiles(folder)) {
            FileIndex index;
            if (AppUtil::loadProfile(path, index, AppUtil::kIndexMemberName) == AppError::NoError
                && index.find(member))
                ++indexed;
        }
    });
    const double memberMs = timeIt([&] {
        for (const QString& path : AppUtil::getFiles(folder)) {
            QByteArray bytes;
            if (AppUtil::loadCheckedMember(path, member, bytes) == AppError::NoError)
                ++loaded;
        }
    });

    constexpr int kSaves = 20;
    const QString target = folder + QStringLiteral("saved.prf");
    const double saveMs = timeIt([&] {
        for (int i = 0; i < kSaves; ++i)
            (void)AppUtil::saveProfileData(target, profileDocument(i), member);
    }) / kSaves;
    const double appendMs = timeIt([&] {
        for (int i = 0; i < kSaves; ++i)
            (void)AppUtil::appendProfileData(target, profileDocument(i), i % 2 ? member : otherMember);
    }) / kSaves;

    std::printf("profile packages: %d packages of 2 members (%lld bytes each)\n", kPackages,
                static_cast<long long>(QFileInfo(folder + QStringLiteral("Profile 000.prf")).size()));
    std::printf("  create (save + append)        : %8.1f ms total, %6.2f ms per package\n", createMs,
                createMs / kPackages);
    std::printf("  list folder, member test      : %8.1f ms total, %6.2f ms per package (%d kept)\n", listMs,
                listMs / kPackages, listed);
    std::printf("  read index.xml                : %8.1f ms total, %6.2f ms per package (%d listed)\n", indexMs,
                indexMs / kPackages, indexed);
    std::printf("  read member with CRC check    : %8.1f ms total, %6.2f ms per package (%d read)\n", memberMs,
                memberMs / kPackages, loaded);
    std::printf("  save one profile              : %8.2f ms\n", saveMs);
    std::printf("  append one profile            : %8.2f ms\n", appendMs);
    return (listed == kPackages && indexed == kPackages && loaded == kPackages) ? 0 : 1;
}
