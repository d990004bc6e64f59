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
#include <QtEndian>

#include <array>
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

// The CRC-32 PNG chunks end with.
quint32 crc32(const QByteArray& bytes)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (const char b : bytes)
        c = table[(c ^ quint8(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

void appendChunk(QByteArray& file, const char* type, const QByteArray& data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    file += bigEndian(quint32(data.size())) + body + bigEndian(crc32(body));
}

// Whether some pixel of `image` is not fully opaque.
bool seeThrough(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) != 255)
                return true;
    }
    return false;
}

// The PNG file of `image` with the pixels and the pixel density chunk Qt's
// own writer gives it, but with every row left unfiltered and the data
// compressed at zlib's highest level: the flat areas and smooth gradients
// drawn here come out smaller that way, and decode in about half the time,
// which the application's start waits for. A picture without transparent
// pixels is stored without its alpha channel: it decodes straight into the
// format a pixmap of it is drawn from.
QByteArray pngFile(const QImage& image)
{
    const bool alpha = seeThrough(image);
    const QImage rows = image.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    const qsizetype rowBytes = qsizetype(rows.width()) * (alpha ? 4 : 3);
    QByteArray raw;
    raw.reserve((rowBytes + 1) * rows.height());
    for (int y = 0; y < rows.height(); ++y) {
        raw += char(0);  // filter type None
        raw.append(reinterpret_cast<const char*>(rows.constScanLine(y)), rowBytes);
    }
    QByteArray header = bigEndian(quint32(rows.width())) + bigEndian(quint32(rows.height()));
    header += char(8);                 // bits per sample
    header += char(alpha ? 6 : 2);     // colour type
    header += QByteArray(3, char(0));  // deflate, adaptive filtering, no interlace
    QByteArray file("\x89PNG\r\n\x1a\n", 8);
    appendChunk(file, "IHDR", header);
    if (image.dotsPerMeterX() > 0 || image.dotsPerMeterY() > 0)
        appendChunk(file, "pHYs",
                    bigEndian(quint32(image.dotsPerMeterX())) + bigEndian(quint32(image.dotsPerMeterY())) + char(1));
    // qCompress gives a zlib stream behind a 4-byte length of its own.
    appendChunk(file, "IDAT", qCompress(raw, 9).mid(4));
    appendChunk(file, "IEND", QByteArray());
    return file;
}

bool writePng(const QImage& image, const QString& path)
{
    // Files named without an extension are PNG all the same.
    if (image.isNull())
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(pngFile(image)) >= 0 &&
           file.flush();
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
