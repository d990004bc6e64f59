// kolventra_mkimages: draws the application's own pictures at scale 1 and 2
// into a folder, with a resource collection file listing them, and the
// application icon into an icon theme folder. Run by the build.
//
//   kolventra_mkimages <picture folder> <icon theme folder>
#include "AppImageNames.h"
#include "ImageArt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

namespace {

void quietHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "kolventra_mkimages: %s\n", qPrintable(message));
}

// "name.png" -> "name@2x.png"; "name" -> "name@2x".
QString doubleName(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return name + QLatin1String("@2x");
    return name.left(dot) + QLatin1String("@2x") + name.mid(dot);
}

bool writePng(const QImage& image, const QString& path)
{
    // Files named without an extension are PNG all the same.
    return !image.isNull() && image.save(path, "PNG");
}

QString xmlEscaped(const QString& text)
{
    return text.toHtmlEscaped();
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(quietHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: kolventra_mkimages <picture folder> <icon theme folder>\n");
        return 2;
    }
    const QDir out(args[0]);
    const QDir icons(args[1]);
    if (!QDir().mkpath(out.path()) || !QDir().mkpath(icons.path())) {
        std::fprintf(stderr, "kolventra_mkimages: cannot create the output folders\n");
        return 1;
    }

    QString qrc = QStringLiteral("<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/images\">\n");
    for (const appimages::ImageSpec& entry : appimages::kImages) {
        const QString name = QString::fromUtf8(entry.name.data(), qsizetype(entry.name.size()));
        for (int scale : {1, 2}) {
            const QString file = scale == 1 ? name : doubleName(name);
            const QImage image = mkimages::drawAppImage(name, entry.width, entry.height, scale);
            if (!writePng(image, out.filePath(file))) {
                std::fprintf(stderr, "kolventra_mkimages: cannot draw or write %s\n", qPrintable(file));
                return 1;
            }
            qrc += QStringLiteral("  <file alias=\"%1\">%1</file>\n").arg(xmlEscaped(file));
        }
    }
    qrc += QStringLiteral("</qresource>\n</RCC>\n");
    QFile qrcFile(out.filePath(QStringLiteral("appimages.qrc")));
    if (!qrcFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || qrcFile.write(qrc.toUtf8()) < 0) {
        std::fprintf(stderr, "kolventra_mkimages: cannot write the resource list\n");
        return 1;
    }
    qrcFile.close();

    const QString iconName = QString::fromUtf8(appimages::kIconName.data(), qsizetype(appimages::kIconName.size()));
    for (int size : appimages::kAppIconSizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        if (!icons.mkpath(folder)
            || !writePng(mkimages::drawAppIcon(size), icons.filePath(folder + QLatin1Char('/') + iconName + QLatin1String(".png")))) {
            std::fprintf(stderr, "kolventra_mkimages: cannot write the %d px icon\n", size);
            return 1;
        }
    }
    return 0;
}
