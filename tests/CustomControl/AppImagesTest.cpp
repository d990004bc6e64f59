#include "CustomControl/AppImages.h"

#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>

namespace {

// Every picture the interface asks for by name.
const char* const kNamesUsed[] = {
    "TriangleDown.png", "MainBackground.png",
    "TAB_Icon_APC TAB active.png", "TAB_Icon_APC TAB not active.png",
    "TAB_Icon_Key Lock TAB active.png", "TAB_Icon_Key Lock TAB not active.png",
    "TAB_Icon_Setting active.png", "TAB_Icon_Setting not active.png",
    "TAB_Icon_Button TAB active.png", "TAB_Icon_Button TAB not active.png",
    "TAB_Icon_LED TAB active.png", "TAB_Icon_LED TAB not active.png",
    "TAB_Icon_Sensor TAB active.png", "TAB_Icon_Sensor TAB not active.png",
    "VX_RGB_ICON_Lock_Enable.png", "VX_RGB_ICON_Lock_Disable.png",
    "VX_MOUSE_DPI-blue.png", "VX_MOUSE_DPI-green.png", "VX_MOUSE_DPI-purple.png",
    "VX_MOUSE_DPI-yellow.png", "VX_MOUSE_DPI-off.png",
    "VX_MOUSE_DPI_ON.png", "VX_MOUSE_DPI_OFF.png",
    "VX_MOUSE_LOD_LOW active.png", "VX_MOUSE_LOD_LOW not active.png",
    "VX_MOUSE_LOD_HIGH active.png", "VX_MOUSE_LOD_HIGH not active.png",
    "savekeyboard_KeyBoard_ICON", "savemouse_Mouse_ICON",
    "LedBrightnessMin.png", "LedBrightnessMax.png", "AppIcon.png",
};

TEST(AppImages, EveryNameUsedIsServedInBothDensities)
{
    for (const char* raw : kNamesUsed) {
        const QString name = QString::fromUtf8(raw);
        const QPixmap one = ui::appImage(name, 1.0);
        const QPixmap two = ui::appImage(name, 2.0);
        ASSERT_FALSE(one.isNull()) << raw;
        ASSERT_FALSE(two.isNull()) << raw;
        // The dense picture has twice the pixels and the same size in points.
        EXPECT_EQ(two.size(), one.size() * 2) << raw;
        EXPECT_EQ(two.deviceIndependentSize(), QSizeF(one.size())) << raw;
        EXPECT_FALSE(ui::appIcon(name).isNull()) << raw;
    }
    EXPECT_TRUE(ui::appImage(QStringLiteral("NoSuchPicture.png"), 2.0).isNull());
    EXPECT_TRUE(ui::appIcon(QStringLiteral("NoSuchPicture.png")).isNull());
}

TEST(AppImages, SwitchShowsItsKnobOnTheSideOfItsState)
{
    // The knob is light; on the right when on, on the left when off.
    const QImage on = ui::appImage(QStringLiteral("VX_RGB_ICON_Lock_Enable.png"), 1.0).toImage();
    const QImage off = ui::appImage(QStringLiteral("VX_RGB_ICON_Lock_Disable.png"), 1.0).toImage();
    const int y = on.height() / 2;
    auto lightness = [](const QImage& image, int x, int y) { return QColor(image.pixel(x, y)).lightness(); };
    EXPECT_GT(lightness(on, on.width() - 10, y), lightness(on, 10, y) + 40);
    EXPECT_GT(lightness(off, 10, y), lightness(off, off.width() - 10, y) + 40);
    // Transparent outside the track's rounded ends.
    EXPECT_EQ(on.pixelColor(0, 0).alpha(), 0);
}

TEST(AppImages, ApplicationIconFilesExistInTheirSizes)
{
    for (int size : {48, 128, 256}) {
        QImageReader reader(ui::appIconFile(size));
        EXPECT_EQ(reader.size(), QSize(size, size)) << qPrintable(ui::appIconFile(size));
    }
}

} // namespace
