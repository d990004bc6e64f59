#include "CustomControl/NKMenuView.h"

#include <QFontMetricsF>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Clicks : onMenuViewDelegate {
    std::vector<QObject*> ids;
    void clickMenu(QObject* id) override { ids.push_back(id); }
};

qreal widthAt(int pixels, const QString& text)
{
    QFont f;
    f.setPixelSize(pixels);
    return QFontMetricsF(f).horizontalAdvance(text);
}

QPixmap triangle()
{
    QPixmap p(10, 6);
    p.fill(Qt::white);
    return p;
}

constexpr int kH = 30;

} // namespace

TEST(NKMenuView, TheFontShrinksUntilTheFullTitleFits)
{
    const QString text = QStringLiteral("Double click with the middle button");
    NKMenuView header;
    header.setTitle(text);
    header.setFullTitle(text);
    // With a 10-wide triangle the text area is W - 18 and the limit 15 less.
    struct Case {
        qreal limit;
        int pixels;
        int reductions;
    };
    const Case cases[] = {
        {widthAt(14, text), 14, 0},      // fits at once
        {widthAt(12, text), 12, 2},      // fits only at 12
        {widthAt(10, text) - 1, 10, 5},  // never fits: 10, one lower still
    };
    for (const Case& c : cases) {
        header.resize(int(std::ceil(c.limit)) + 15 + 18, kH);
        header.setTriangleIcon(triangle());
        // Rounding up the width may leave room for one more size; measure
        // with the limit the header really has.
        const qreal limit = header.width() - 18 - 15;
        int expected = c.pixels;
        while (expected < 14 && widthAt(expected + 1, text) <= limit)
            ++expected;
        int d = -1;
        const QFont font = header.titleFont(&d);
        EXPECT_EQ(font.pixelSize(), expected) << c.pixels;
        EXPECT_EQ(d, expected == 10 && widthAt(10, text) > limit ? 5 : 14 - expected);
        // Up 1 at full size, one lower per reduction.
        EXPECT_EQ(header.titleRect(d).top(), (kH - 18) / 2.0 - 1 + d);
        EXPECT_EQ(header.titleRect(d).width(), header.width() - 18.0);
    }
}

TEST(NKMenuView, BeforeTheFullTitleIsSetTheDrawnTitleIsMeasured)
{
    NKMenuView header;
    header.resize(100, kH);
    // Neither text: the empty text fits at full size and painting is safe.
    int d = -1;
    EXPECT_EQ(header.titleFont(&d).pixelSize(), 14);
    EXPECT_EQ(d, 0);
    QImage image = header.grab().toImage();
    for (QPoint p : {QPoint(1, 1), QPoint(50, 15), QPoint(98, 28)})
        EXPECT_EQ(image.pixelColor(p), QColor(Qt::black));

    // A long title alone shrinks the font as its full title would.
    header.setTitle(QStringLiteral("A rather long function name"));
    EXPECT_LT(header.titleFont(&d).pixelSize(), 14);
    EXPECT_GT(d, 0);
    image = header.grab().toImage();
    bool white = false;
    for (int x = 0; x < 92 && !white; ++x)
        for (int y = 0; y < kH && !white; ++y)
            white = image.pixelColor(x, y).red() > 200;
    EXPECT_TRUE(white);
}

TEST(NKMenuView, EveryPressReachesTheOwnerWhateverTheKeptFlags)
{
    QWidget window;
    auto* header = new NKMenuView(&window);
    header->setGeometry(0, 0, 150, kH);
    header->enable = false;
    header->tabEnabled = false;
    Clicks clicks;
    header->setDelegate(&clicks);
    window.show();
    QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(140, 15));
    QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(10, 15));
    ASSERT_EQ(clicks.ids.size(), 2u);
    EXPECT_EQ(clicks.ids[0], header);
    header->setDelegate(nullptr);
    QTest::mouseClick(header, Qt::LeftButton, {}, QPoint(10, 15));
    EXPECT_EQ(clicks.ids.size(), 2u);
}

TEST(NKMenuView, ATitleTooLongEvenAtTenPixelsStaysInsideItsTextArea)
{
    NKMenuView header;
    header.resize(120, kH);
    const QString text = QStringLiteral("Switch to button 2 and assign the custom key combination");
    header.setTitle(text);
    header.setFullTitle(text);
    int d = 0;
    EXPECT_EQ(header.titleFont(&d).pixelSize(), 10);
    EXPECT_EQ(d, 5);
    const QImage image = header.grab().toImage();
    int brightInside = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < 120; ++x) {
            const bool bright = image.pixelColor(x, y).red() > 100;
            if (x >= 112)
                EXPECT_FALSE(bright) << x << ',' << y; // the 8-wide margin stays black
            else
                brightInside += bright;
        }
    }
    EXPECT_GT(brightInside, 20);
}
