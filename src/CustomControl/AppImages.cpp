#include "AppImages.h"
#include "BuildPaths.h"

#include "AppImageNames.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPixmapCache>
#include <QScreen>

// The generated resource's initialiser; referenced so that the static
// library's resource object is linked into every program that uses it.
static void initAppImageResource()
{
    Q_INIT_RESOURCE(appimages);
}

namespace {

// The picture at `path`, read as the PNG it is. No image format plugin is
// loaded to be asked whether it reads PNG better: the first picture of a
// start would otherwise load every plugin installed.
QImage readPng(const QString& path)
{
    QImageReader reader(path, "PNG");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

// As above, as a pixmap of `ratio` device pixels per pixel, kept in the
// pixmap cache: several views show the same picture, and a hit hands out the
// same pixels without decoding or copying them again.
QPixmap pngPixmap(const QString& path, qreal ratio)
{
    const QString key = QLatin1String("kolventra:") + path;
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap::fromImage(readPng(path));
        if (!pixmap.isNull()) {
            pixmap.setDevicePixelRatio(ratio);
            QPixmapCache::insert(key, pixmap);
        }
    }
    return pixmap;
}

} // namespace

namespace ui {

void initAppImages()
{
    static const bool done = [] {
        initAppImageResource();
        return true;
    }();
    (void)done;
}

QString appImagePath(const QString& name, bool doubleDensity)
{
    QString file = name;
    if (doubleDensity) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        file = dot < 0 ? name + QLatin1String("@2x")
                       : name.left(dot) + QLatin1String("@2x") + name.mid(dot);
    }
    return QLatin1String(":/images/") + file;
}

QPixmap appImage(const QString& name, qreal devicePixelRatio)
{
    initAppImages();
    const bool dense = devicePixelRatio > 1.0;
    if (dense) {
        const QPixmap pixmap = pngPixmap(appImagePath(name, true), 2.0);
        if (!pixmap.isNull())
            return pixmap;
    }
    return pngPixmap(appImagePath(name, false), 1.0);
}

QImage appImageData(const QString& name, qreal devicePixelRatio)
{
    initAppImages();
    const bool dense = devicePixelRatio > 1.0;
    QImage image = readPng(appImagePath(name, dense));
    if (image.isNull() && dense)
        image = readPng(appImagePath(name, false));
    else if (dense)
        image.setDevicePixelRatio(2.0);
    return image;
}

QPixmap appImage(const QString& name)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return appImage(name, screen ? screen->devicePixelRatio() : 1.0);
}

QIcon appIcon(const QString& name)
{
    initAppImages();
    QIcon icon;
    const QPixmap one = pngPixmap(appImagePath(name, false), 1.0);
    if (one.isNull())
        return icon;
    icon.addPixmap(one);
    const QPixmap two = pngPixmap(appImagePath(name, true), 2.0);
    if (!two.isNull())
        icon.addPixmap(two);
    return icon;
}

QString appIconFile(int size)
{
    return QStringLiteral(KOLVENTRA_BUILD_ICON_DIR "/%1x%1/apps/%2.png")
        .arg(size)
        .arg(QLatin1String(appimages::kIconName.data(), qsizetype(appimages::kIconName.size())));
}

} // namespace ui
