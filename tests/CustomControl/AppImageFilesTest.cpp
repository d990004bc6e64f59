// The pictures the application serves are exactly the pictures the picture
// tool draws: every one, in both densities, and the application icon files,
// decode to the drawn pixels (alpha included) in the format and pixel
// density Qt gives a PNG of them.
#include "AppImageNames.h"
#include "CustomControl/AppImages.h"
#include "ImageArt.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// The pixels as a PNG keeps them: 8-bit colour, not premultiplied.
QImage stored(const QImage& drawn)
{
    return drawn.convertToFormat(drawn.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

} // namespace

TEST(AppImageFiles, EveryServedPictureDecodesToWhatTheToolDrew)
{
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
        }
    }
}

TEST(AppImageFiles, ApplicationIconFilesDecodeToTheDrawnIcon)
{
    for (int size : appimages::kAppIconSizes) {
        const QImage file(ui::appIconFile(size));
        ASSERT_FALSE(file.isNull()) << size;
        EXPECT_TRUE(file == stored(mkimages::drawAppIcon(size))) << size;
    }
}
