// kolventra_udevrule: writes the udev rule that lets the user logged in at
// the seat open the hidraw nodes of the supported devices. One line per
// vendor/product ID of the given description packages, read with the
// application's own description readers; nothing else is opened up.
//
//   kolventra_udevrule <output file> <package>...
//
// A package that cannot be read or whose description is malformed fails the
// run: the shipped data would be broken.
#include "Utility/ProfilePackage.h"
#include "XML/DeviceProfile.h"
#include "XML/KeyboardProfile.h"
#include "XML/MouseProfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <set>
#include <utility>

namespace {

std::unique_ptr<DeviceProfile> readDescription(const QString& path, QString& error)
{
    const QString member = QStringLiteral("Profile.xml");
    const QString suffix = QFileInfo(path).suffix();
    std::unique_ptr<DeviceProfile> description;
    AppError result = AppError::FileRead;
    if (suffix == QLatin1String("key")) {
        auto keyboard = std::make_unique<KeyboardProfile>();
        result = AppUtil::loadProfile(path, *keyboard, member);
        description = std::move(keyboard);
    } else if (suffix == QLatin1String("mou")) {
        auto mouse = std::make_unique<MouseProfile>();
        result = AppUtil::loadProfile(path, *mouse, member);
        description = std::move(mouse);
    } else {
        error = QStringLiteral("%1: not a description package").arg(path);
        return nullptr;
    }
    if (result == AppError::NoError)
        result = description->validate();
    if (result != AppError::NoError) {
        error = QStringLiteral("%1: %2").arg(path, QString::fromLatin1(appErrorName(result)));
        return nullptr;
    }
    return description;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: kolventra_udevrule <output file> <package>...\n");
        return 2;
    }

    QString text = QStringLiteral(
        "# Generated at build time from the shipped device description packages.\n"
        "# Gives the user logged in at the seat access to the hidraw nodes of the\n"
        "# supported devices (and of no other device).\n");
    std::set<std::pair<uint16_t, uint16_t>> seen;
    for (const QString& path : args.mid(1)) {
        QString error;
        const std::unique_ptr<DeviceProfile> description = readDescription(path, error);
        if (!description) {
            std::fprintf(stderr, "kolventra_udevrule: %s\n", qPrintable(error));
            return 1;
        }
        const uint16_t vendor = *description->vendorIdValue();
        const uint16_t product = *description->productIdValue();
        if (!seen.insert({vendor, product}).second)
            continue;
        text += QStringLiteral("# %1\n").arg(description->name.simplified());
        text += QStringLiteral("SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"%1\", "
                               "ATTRS{idProduct}==\"%2\", TAG+=\"uaccess\"\n")
                    .arg(vendor, 4, 16, QLatin1Char('0'))
                    .arg(product, 4, 16, QLatin1Char('0'));
    }

    QSaveFile out(args.first());
    if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0 || !out.commit()) {
        std::fprintf(stderr, "kolventra_udevrule: cannot write %s\n", qPrintable(args.first()));
        return 1;
    }
    return 0;
}
