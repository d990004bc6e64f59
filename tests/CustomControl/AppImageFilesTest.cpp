// The pictures the application serves are exactly the pictures the picture
// tool draws: every one, in both densities, and the application icon files,
// decode to the drawn pixels (alpha included) at the drawn pixel density;
// an opaque picture decodes without an alpha channel, ready to be drawn.
#include "AppImageNames.h"
#include "CustomControl/AppImages.h"
#include "ImageArt.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

bool opaque(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) != 255)
                return false;
    return true;
}

// The pixels as a PNG keeps them: 8-bit colour, not premultiplied.
QImage stored(const QImage& drawn)
{
    return drawn.convertToFormat(opaque(drawn) ? QImage::Format_RGB32 : QImage::Format_ARGB32);
}

} // namespace

TEST(AppImageFiles, EveryServedPictureDecodesToWhatTheToolDrew)
{
    int opaquePictures = 0;
    for (const appimages::ImageSpec& entry : appimages::kImages) {
        const QString name = QString::fromUtf8(entry.name.data(), qsizetype(entry.name.size()));
        for (int scale : {1, 2}) {
            const QImage drawn = mkimages::drawAppImage(name, entry.width, entry.height, scale);
            ASSERT_FALSE(drawn.isNull()) << entry.name;
            QImage served = ui::appImageData(name, scale);
            ASSERT_EQ(served.format(), stored(drawn).format()) << entry.name << " " << scale;
            EXPECT_EQ(served.dotsPerMeterX(), drawn.dotsPerMeterX()) << entry.name;
            served.setDevicePixelRatio(drawn.devicePixelRatio());
            EXPECT_TRUE(served == stored(drawn)) << entry.name << " " << scale;
            opaquePictures += served.hasAlphaChannel() ? 0 : 1;
        }
    }
    // The body background at least is opaque.
    EXPECT_GE(opaquePictures, 2);
}

TEST(AppImageFiles, ApplicationIconFilesDecodeToTheDrawnIcon)
{
    for (int size : appimages::kAppIconSizes) {
        const QImage file(ui::appIconFile(size));
        ASSERT_FALSE(file.isNull()) << size;
        EXPECT_TRUE(file == stored(mkimages::drawAppIcon(size))) << size;
    }
}
