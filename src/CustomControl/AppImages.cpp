#include "AppImages.h"
#include "BuildPaths.h"

#include "AppImageNames.h"

#include <QGuiApplication>
#include <QScreen>

// The generated resource's initialiser; referenced so that the static
// library's resource object is linked into every program that uses it.
static void initAppImageResource()
{
    Q_INIT_RESOURCE(appimages);
}

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
    QPixmap pixmap(appImagePath(name, dense), "PNG");
    if (pixmap.isNull() && dense)
        pixmap = QPixmap(appImagePath(name, false), "PNG");
    else if (dense)
        pixmap.setDevicePixelRatio(2.0);
    return pixmap;
}

QImage appImageData(const QString& name, qreal devicePixelRatio)
{
    initAppImages();
    const bool dense = devicePixelRatio > 1.0;
    QImage image(appImagePath(name, dense), "PNG");
    if (image.isNull() && dense)
        image = QImage(appImagePath(name, false), "PNG");
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
    QPixmap one(appImagePath(name, false), "PNG");
    if (one.isNull())
        return icon;
    icon.addPixmap(one);
    QPixmap two(appImagePath(name, true), "PNG");
    if (!two.isNull()) {
        two.setDevicePixelRatio(2.0);
        icon.addPixmap(two);
    }
    return icon;
}

QString appIconFile(int size)
{
    return QStringLiteral(KOLVENTRA_BUILD_ICON_DIR "/%1x%1/apps/%2.png")
        .arg(size)
        .arg(QLatin1String(appimages::kIconName.data(), qsizetype(appimages::kIconName.size())));
}

} // namespace ui
