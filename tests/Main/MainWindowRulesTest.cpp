// The main window's pure rules: a stored window origin clamped back onto the
// screen, and the model number as the header writes it.
#include "MainWindowRules.h"

#include <gtest/gtest.h>

TEST(MainWindowPlacement, StoredOriginIsClampedIntoTheVisibleArea)
{
    struct Case {
        QRectF stored;
        QRect visible;
        QRect placed;
    };
    const QRect wide(0, 30, 1920, 1050);
    for (const Case& c : {Case{{1500, 600, 1000, 700}, wide, {920, 380, 1000, 700}},
                          Case{{-40, 0, 1000, 700}, wide, {0, 30, 1000, 700}},
                          Case{{100, 100, 1000, 700}, wide, {100, 100, 1000, 700}},
                          Case{{2147483000, 2147483000, 1000, 700}, {0, 0, 1280, 800}, {280, 100, 1000, 700}}})
        EXPECT_EQ(clampToScreen(c.stored, c.visible), c.placed) << c.stored.x() << "," << c.stored.y();
}

TEST(MainWindowLabels, ModelNumberSplitsOffTheRevisionOnlyWhenLongEnough)
{
    EXPECT_EQ(modelNumberText(QString(), QStringLiteral("KVK108A1")), QStringLiteral("Model KVK108 Rev A1"));
    EXPECT_EQ(modelNumberText(QStringLiteral("VX"), QStringLiteral("KVM006")), QStringLiteral("Model VXKVM006 Rev "));
    EXPECT_EQ(modelNumberText(QString(), QStringLiteral("KV12")), QStringLiteral("Model KV12"));
    EXPECT_EQ(modelNumberText(QString(), QString()), QStringLiteral("Model "));
}
