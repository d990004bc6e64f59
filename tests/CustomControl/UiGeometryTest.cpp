#include "CustomControl/UiGeometry.h"

#include <gtest/gtest.h>

TEST(UiGeometry, BottomLeftRectanglesAndPointsTurnIntoTopLeftOnes)
{
    // A 20-high rectangle 10 above the bottom of a 100-high container ends
    // 70 below its top.
    EXPECT_EQ(ui::fromBottomLeft(QRectF(5, 10, 30, 20), 100), QRectF(5, 70, 30, 20));
    // Touching the bottom and the top edge.
    EXPECT_EQ(ui::fromBottomLeft(QRectF(0, 0, 10, 10), 50), QRectF(0, 40, 10, 10));
    EXPECT_EQ(ui::fromBottomLeft(QRectF(0, 40, 10, 10), 50), QRectF(0, 0, 10, 10));
    // Converting twice gives the rectangle back.
    const QRectF r(3, 7, 11, 13);
    EXPECT_EQ(ui::fromBottomLeft(ui::fromBottomLeft(r, 64), 64), r);
    EXPECT_EQ(ui::fromBottomLeft(QPointF(4, 10), 100), QPointF(4, 90));
}
