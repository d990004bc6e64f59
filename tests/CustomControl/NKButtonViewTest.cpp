#include "CustomControl/NKButtonView.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

bool near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// The indicator LED dialog's way: the buttons are radio buttons, the owner
// selects the pressed one inside the report.
struct RadioOwner : NKButtonViewDelegate {
    std::vector<NKButtonView*> buttons;
    std::vector<QObject*> ids;
    void mouseDownButtonView(QObject* id) override
    {
        ids.push_back(id);
        for (NKButtonView* b : buttons)
            b->setButtonValue(b == id);
    }
};

struct LinkWatcher : NKLinkViewDelegate {
    std::vector<QObject*> ids;
    void mouseUpLinkView(QObject* id) override { ids.push_back(id); }
};

constexpr int kW = 60;
constexpr int kH = 50;

} // namespace

TEST(NKButtonView, PressReportsFirstAndTheRedrawShowsTheOwnersChoice)
{
    QWidget window;
    window.resize(2 * kW + 20, kH);
    // Dark ground like the dialog's, so the disc's alpha shows.
    window.setStyleSheet(QStringLiteral("background: rgb(26,26,26)"));
    RadioOwner owner;
    for (int i = 0; i < 2; ++i) {
        auto* b = new NKButtonView(&window);
        b->setGeometry(i * (kW + 20), 0, kW, kH);
        b->setButtonColor(i == 0 ? QColor(255, 0, 0) : QColor(0, 0, 255));
        b->setStringValue(i == 0 ? QStringLiteral("Red") : QStringLiteral("Blue"));
        b->setDelegate(&owner);
        owner.buttons.push_back(b);
    }
    window.show();
    NKButtonView* red = owner.buttons[0];
    NKButtonView* blue = owner.buttons[1];

    QTest::mouseMove(blue, QPoint(kW / 2, kH / 2));
    QTest::mouseClick(blue, Qt::LeftButton, {}, QPoint(kW / 2, kH / 2));
    ASSERT_EQ(owner.ids.size(), 1u);
    EXPECT_EQ(owner.ids[0], blue);
    EXPECT_TRUE(blue->buttonValue());
    EXPECT_FALSE(red->buttonValue());
    // The release ends the hover look although the pointer stayed.
    EXPECT_FALSE(blue->mouseInView());

    QImage image = blue->grab().toImage();
    const QPoint centre(kW / 2, kH / 2 + 10);
    // The disc is white in the middle, the disc colour towards its rim.
    EXPECT_TRUE(near(image.pixelColor(centre), Qt::white, 40));
    const QColor rim = image.pixelColor(centre + QPoint(7, 0));
    EXPECT_GT(rim.blue(), rim.red() + 80);
    // The selected button is outlined in grey 128 (left edge, mid height).
    EXPECT_TRUE(near(image.pixelColor(2, kH / 2), QColor(128, 128, 128), 6));
    // The unselected one has no outline and a dimmer disc (alpha 0.5 vs 0.8).
    // (The window gave it the keyboard focus when it came up; the focus ring
    // is not what is looked at here.)
    red->clearFocus();
    const QImage redImage = red->grab().toImage();
    EXPECT_TRUE(near(redImage.pixelColor(2, kH / 2), QColor(26, 26, 26), 3));
    const QColor dimRim = redImage.pixelColor(centre + QPoint(7, 0));
    EXPECT_LT(dimRim.red(), rim.blue());
    // Selected: the 0.8 look also while the mouse is elsewhere.
    blue->setButtonValue(true);
    EXPECT_EQ(blue->grab().toImage().pixelColor(centre + QPoint(7, 0)), rim);
}

TEST(NKButtonView, WithoutCaptionTheDiscAndHaloStillShow)
{
    NKButtonView b;
    b.resize(kW, kH);
    b.setButtonColor(QColor(0, 255, 0));
    b.setStyleSheet(QStringLiteral("background: rgb(26,26,26)"));
    EXPECT_EQ(b.getTextSize(), QSizeF(0, 0));
    const QImage image = b.grab().toImage();
    const QPoint centre(kW / 2, kH / 2 + 10);
    const QColor halo = image.pixelColor(centre + QPoint(0, 9));
    EXPECT_GT(halo.green(), halo.red() + 10);
    // Well outside the halo only the ground shows.
    EXPECT_TRUE(near(image.pixelColor(centre + QPoint(0, -16)), QColor(26, 26, 26), 3));
}

TEST(NKLinkView, OnlyAPressThatNeverLeftTheLinkReportsOnRelease)
{
    QWidget window;
    window.resize(400, 100);
    auto* link = new NKLinkView(&window);
    link->setGeometry(50, 20, 300, 50);
    link->setStringValue(QStringLiteral("Go to the support page"));
    LinkWatcher watcher;
    link->setDelegate(&watcher);
    window.show();

    // Pressed, dragged out, released outside: no report, the press is gone.
    QTest::mouseMove(link, QPoint(150, 25));
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(150, 25));
    EXPECT_EQ(link->textColor(), NKLinkView::pressedColor());
    QTest::mouseMove(link, QPoint(320, 25));
    EXPECT_FALSE(link->mouseDown());
    EXPECT_EQ(link->textColor(), NKLinkView::normalColor());
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(320, 25));
    EXPECT_TRUE(watcher.ids.empty());

    // Pressed and released inside: one report, then the normal look even
    // though the pointer is still over the link.
    QTest::mouseMove(&window, QPoint(5, 5));
    QTest::mouseMove(link, QPoint(150, 25));
    EXPECT_EQ(link->textColor(), NKLinkView::hoverColor());
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(150, 25));
    ASSERT_EQ(watcher.ids.size(), 1u);
    EXPECT_EQ(watcher.ids[0], link);
    EXPECT_FALSE(link->mouseInView());
    EXPECT_EQ(link->textColor(), NKLinkView::normalColor());

    // A release outside without a move in between reports nothing either.
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(150, 25));
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(150, 80));
    EXPECT_EQ(watcher.ids.size(), 1u);
}

TEST(NKLinkView, UnderlineSpansTheWholeViewInTheNormalColourWhileHovered)
{
    QWidget window;
    window.resize(300, 50);
    auto* link = new NKLinkView(&window);
    link->setGeometry(0, 0, 300, 50);
    link->setStringValue(QStringLiteral("Link"));
    window.show();
    QTest::mouseMove(link, QPoint(150, 20));
    ASSERT_TRUE(link->mouseInView());
    link->clearFocus(); // the focus ring would cross the underline's ends
    const QImage image = link->grab().toImage();
    for (int x : {1, 150, 298})
        EXPECT_TRUE(near(image.pixelColor(x, 50 - 10), NKLinkView::normalColor(), 2)) << x;
    // The text is a hovered colour somewhere in its line.
    bool hoverText = false;
    for (int y = 0; y < 36 && !hoverText; ++y)
        for (int x = 100; x < 200 && !hoverText; ++x)
            hoverText = near(image.pixelColor(x, y), NKLinkView::hoverColor(), 2);
    EXPECT_TRUE(hoverText);
    EXPECT_GT(link->getTextSize().width(), 30);
}
