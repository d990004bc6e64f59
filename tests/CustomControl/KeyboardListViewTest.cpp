#include <memory>

#include <QAbstractButton>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include "CustomControl/KeyboardListView.h"
#include "CustomControl/NotificationHub.h"
#include "Platform/Clock.h"
#include "UiLayout.h"
#include "support/VirtualHidBus.h"

namespace {

struct RecordingDelegate : KeyboardListViewDelegate {
    void scrollKeyboardListView(QObject*, int) override {}
    void selectionChangedKeyboardListView(QObject* id, int newIndex) override
    {
        ids.push_back(id);
        indices.push_back(newIndex);
        if (onSelection)
            onSelection(newIndex);
    }
    std::vector<QObject*> ids;
    std::vector<int> indices;
    std::function<void(int)> onSelection;
};

QPixmap standIn(int w, int h)
{
    QPixmap p(w, h);
    p.fill(QColor(200, 60, 60));
    return p;
}

class StripTest : public ::testing::Test {
protected:
    StripTest()
    {
        strip.delegate = &delegate;
        window.resize(800, 200);
        strip.keyboardListView()->setParent(&window);
        strip.keyboardListView()->move(0, 0);
        window.setStyleSheet(QStringLiteral("background: rgb(26,26,26);"));
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void fill(int count, int selected)
    {
        strip.removeAllItem();
        for (int i = 0; i < count; ++i) {
            auto* item = new KeyboardListItem();
            item->setDefaultImage(standIn(40, 20));
            item->setSelected(i == selected);
            strip.addItem(item);
        }
    }

    KeyboardListItemView* tileView(int i) const { return strip.detailArray()[size_t(i)]->view(); }
    int selectedCount() const
    {
        int n = 0;
        for (auto* item : strip.detailArray())
            n += item->isSelected() ? 1 : 0;
        return n;
    }

    QWidget window;
    KeyboardListView strip;
    RecordingDelegate delegate;
};

TEST_F(StripTest, ShowingTheSelectionPutsItAtTheRightAndKeepsScrollsInsideTheTiles)
{
    const int W = layout::stripVisibleWidth;
    struct Case {
        int viewing, tiles, selected;
        int viewport, x;
        bool left, right;
    };
    const Case cases[] = {
        {2, 5, 3, 2, -W, true, true},
        {2, 5, 0, 0, 0, false, true},
        {2, 5, -1, 0, 0, false, true},
        {2, 0, -1, 0, 0, false, false},
        {2, 2, 1, 0, 0, false, false},
        {2, 5, 4, 3, -(3 * W / 2), true, false},
        // Three visible: the last tile selected would leave a hole at the right.
        {3, 5, 4, 2, -(2 * W / 3), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tiles << " tiles, selected " << c.selected
                                        << ", viewing " << c.viewing);
        strip._viewingItems = c.viewing;
        fill(c.tiles, c.selected);
        strip.DisplayItemAtIndexCheck(true);
        EXPECT_EQ(strip.viewportItemIndex(), c.viewport);
        EXPECT_EQ(strip.keyboardListDetailView()->x(), c.x);
        EXPECT_EQ(strip.leftButton()->isEnabled(), c.left);
        EXPECT_EQ(strip.rightButton()->isEnabled(), c.right);
    }
}

TEST_F(StripTest, TilesStandSideBySideAndARefillStartsTheWidthAfresh)
{
    const int T = layout::stripVisibleWidth / 2;
    fill(5, 0);
    fill(3, 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(tileView(i)->geometry(), QRect(i * T, 0, T, layout::stripHeight)) << i;
    EXPECT_EQ(strip.keyboardListDetailView()->width(), 3 * T);
}

TEST_F(StripTest, EveryClickSelectsOneTileAndTellsTheDelegateOnce)
{
    fill(3, 0);
    strip.DisplayItemAtIndexCheck(true);
    int notices = 0;
    QObject::connect(&NotificationHub::instance(),
                     &NotificationHub::keyboardListViewSelectionChanged, &window,
                     [&](QObject*) { ++notices; });

    QTest::mouseClick(tileView(1), Qt::LeftButton);
    EXPECT_EQ(delegate.indices, std::vector<int>{1});
    EXPECT_EQ(delegate.ids, std::vector<QObject*>{&strip});
    EXPECT_EQ(selectedCount(), 1);
    EXPECT_TRUE(tileView(1)->isSelected());
    EXPECT_EQ(notices, 1);

    // The tile already selected: still one notice and one delegate call.
    QTest::mouseClick(tileView(1), Qt::LeftButton);
    EXPECT_EQ(delegate.indices, (std::vector<int>{1, 1}));
    EXPECT_EQ(selectedCount(), 1);
    EXPECT_EQ(notices, 2);

    // select() is silent and ignores indices outside the tiles.
    strip.select(3);
    strip.select(-1);
    EXPECT_TRUE(strip.detailArray()[1]->isSelected());
    strip.select(2);
    EXPECT_EQ(strip.selectedItemIndex(), 2);
    EXPECT_EQ(selectedCount(), 1);
    EXPECT_EQ(delegate.indices.size(), 2u);
}

TEST_F(StripTest, ADelegateThatRefillsTheStripFromTheClickIsSafe)
{
    fill(3, 0);
    delegate.onSelection = [this](int index) {
        fill(4, index); // the main window rebuilds the list from inside the click
        strip.DisplayItemAtIndexCheck(false);
    };
    QPointer<KeyboardListItemView> clicked = tileView(2);
    QTest::mouseClick(clicked, Qt::LeftButton);
    EXPECT_EQ(delegate.indices, std::vector<int>{2});
    EXPECT_EQ(strip.detailArray().size(), 4u);
    EXPECT_FALSE(clicked.isNull()); // not deleted under its own handler
    EXPECT_FALSE(clicked->isVisible());
    // The new tiles work: one call per click, one selected tile.
    delegate.onSelection = nullptr;
    QTest::mouseClick(tileView(0), Qt::LeftButton);
    EXPECT_EQ(delegate.indices, (std::vector<int>{2, 0}));
    EXPECT_EQ(strip.selectedItemIndex(), 0);
}

TEST_F(StripTest, ScrollButtonsSlideOneTileAndClearTheHover)
{
    platform::ScopedTimeScale fast(0.1);
    fill(4, 0);
    strip.DisplayItemAtIndexCheck(true);
    const int T = layout::stripVisibleWidth / 2;

    QTest::mouseMove(tileView(1), QPoint(20, 20));
    ASSERT_TRUE(emu::waitUntil([&] { return tileView(1)->onMouse(); }));

    EXPECT_FALSE(strip.leftButton()->isEnabled());
    QTest::mouseClick(strip.rightButton(), Qt::LeftButton);
    EXPECT_FALSE(tileView(1)->onMouse());
    EXPECT_EQ(strip.viewportItemIndex(), 1);
    EXPECT_TRUE(strip.isAnimating());
    ASSERT_TRUE(emu::waitUntil([&] { return !strip.isAnimating(); }));
    EXPECT_EQ(strip.keyboardListDetailView()->x(), -T);
    EXPECT_TRUE(strip.leftButton()->isEnabled());

    QTest::mouseClick(strip.rightButton(), Qt::LeftButton);
    ASSERT_TRUE(emu::waitUntil([&] { return !strip.isAnimating(); }));
    EXPECT_EQ(strip.keyboardListDetailView()->x(), -2 * T);
    EXPECT_FALSE(strip.rightButton()->isEnabled());

    QTest::mouseClick(strip.leftButton(), Qt::LeftButton);
    ASSERT_TRUE(emu::waitUntil([&] { return !strip.isAnimating(); }));
    EXPECT_EQ(strip.viewportItemIndex(), 1);
    EXPECT_EQ(strip.keyboardListDetailView()->x(), -T);
}

TEST(Strip, DestroyedInTheMiddleOfASlide)
{
    platform::ScopedTimeScale fast(0.1);
    auto strip = std::make_unique<KeyboardListView>();
    for (int i = 0; i < 4; ++i)
        strip->addItem(new KeyboardListItem());
    strip->DisplayItemAtIndexCheck(true);
    strip->DisplayItemAtIndex(2, true);
    ASSERT_TRUE(strip->isAnimating());
    strip.reset();
    emu::pumpEvents(std::chrono::milliseconds(80)); // past the slide's end
    SUCCEED();
}

TEST_F(StripTest, TilesPaintSelectionAndHoverAndShrinkLargePicturesOnly)
{
    fill(3, 0);
    strip.DisplayItemAtIndexCheck(true);
    tileView(1)->setOnMouse(true);
    auto* big = strip.detailArray()[2];
    big->setDefaultImage(standIn(2000, 500));
    auto* small = strip.detailArray()[1];
    small->setDefaultImage(standIn(40, 20));

    const QImage img = strip.visibleArea()->grab().toImage();
    const QPoint corner(3, 3);
    const int T = layout::stripVisibleWidth / 2;
    EXPECT_EQ(QColor(img.pixel(corner)), QColor(76, 73, 72));
    EXPECT_EQ(QColor(img.pixel(corner + QPoint(T, 0))), QColor(53, 47, 45));

    const QSizeF shown = big->itemImage->pixmap().deviceIndependentSize();
    const int inner = T - 2 * layout::stripTileImageMargin;
    EXPECT_LE(shown.width(), inner);
    EXPECT_NEAR(shown.width() / shown.height(), 4.0, 0.05);
    EXPECT_EQ(small->itemImage->pixmap().size(), QSize(40, 20));
}

} // namespace
