#include "AppParam.h"
#include "CustomControl/BackgroundView.h"
#include "CustomControl/MainTabView.h"
#include "Platform/Clock.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

QPixmap solid(int w, int h, const QColor& c)
{
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

bool near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// Whether any pixel inside `area` has (nearly) the colour `c`.
bool anyPixel(const QImage& image, const QRect& area, const QColor& c)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (near(image.pixelColor(x, y), c, 2))
                return true;
    return false;
}

// The owner as the main window is: a click on another tab selects its
// function (unless told to refuse), every report is recorded in order.
struct Owner : onMainTabViewDelegate {
    std::vector<std::pair<char, QObject*>> reports;
    bool switches = true;
    void clickTab(QObject* id) override
    {
        reports.push_back({'t', id});
        if (switches)
            AppParam::functionTabSelect = static_cast<MainTabView*>(id)->function();
    }
    void clickTabMenuIcon(QObject* id) override { reports.push_back({'m', id}); }
};

// A tab that records the rectangles it is asked to repaint.
class RecordingTab : public MainTabView {
public:
    using MainTabView::MainTabView;
    std::vector<QRect> painted;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        painted.push_back(event->rect());
        MainTabView::paintEvent(event);
    }
};

constexpr int kW = 150;
constexpr int kH = 40;

struct TabRow {
    std::unique_ptr<BackgroundView> window = std::make_unique<BackgroundView>();
    MainTabView* tabs[3];
    Owner owner;

    TabRow()
    {
        window->resize(3 * kW, kH + 20);
        const FunctionTab fn[3] = {FunctionTab::ApcSetting, FunctionTab::GamingSetting,
                                   FunctionTab::OtherSetting};
        for (int i = 0; i < 3; ++i) {
            tabs[i] = new MainTabView(window.get());
            tabs[i]->setGeometry(i * kW, 0, kW, kH);
            tabs[i]->setFunction(fn[i]);
            tabs[i]->setDelegate(&owner);
        }
        // Tabs 0 and 1 open menus; tab 2 never had a triangle.
        tabs[0]->setTriangleIcon(solid(12, 8, Qt::white));
        tabs[1]->setTriangleIcon(solid(12, 8, Qt::white));
        AppParam::functionTabSelect = FunctionTab::ApcSetting;
        window->move(200, 100);
        window->show();
    }
    ~TabRow() { AppParam::functionTabSelect = FunctionTab::None; }
};

} // namespace

TEST(MainTabView, PressesSwitchTabsOrOpenTheMenuOfTheCurrentOne)
{
    TabRow row;
    Owner& o = row.owner;
    MainTabView* second = row.tabs[1];
    // The triangle sits 16 from the right end; its hit area is 16 wider on
    // each side and spans the full height.
    EXPECT_EQ(second->triangleRect(), QRectF(kW - 12 - 16, 16, 12, 8));
    const QPoint onTriangle(kW - 22, kH / 2);

    // A press on another tab's triangle switches only: the selection changed
    // during the press.
    QTest::mouseClick(second, Qt::LeftButton, {}, onTriangle);
    ASSERT_EQ(o.reports.size(), 1u);
    EXPECT_EQ(o.reports[0], std::make_pair('t', static_cast<QObject*>(second)));
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::GamingSetting);

    // Now it is the current tab: its triangle area opens the menu, up to 16
    // beside the triangle and at the very top, but not further out.
    o.reports.clear();
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(kW - 12 - 16 - 15, 1));
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(kW - 2, kH - 1));
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(kW - 12 - 16 - 18, kH / 2));
    QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(kW / 2, kH / 2));
    ASSERT_EQ(o.reports.size(), 2u);
    EXPECT_EQ(o.reports[0].first, 'm');
    EXPECT_EQ(o.reports[1].first, 'm');

    // A disabled tab ignores presses of every kind.
    o.reports.clear();
    row.tabs[0]->setTabEnabled(false);
    QTest::mouseClick(row.tabs[0], Qt::LeftButton, {}, onTriangle);
    QTest::mouseClick(row.tabs[0], Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(o.reports.empty());
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::GamingSetting);

    // An owner that keeps the selection gets both reports from one press on
    // another tab's triangle.
    row.tabs[0]->setTabEnabled(true);
    o.switches = false;
    QTest::mouseClick(row.tabs[0], Qt::LeftButton, {}, onTriangle);
    ASSERT_EQ(o.reports.size(), 2u);
    EXPECT_EQ(o.reports[0].first, 't');
    EXPECT_EQ(o.reports[1].first, 'm');

    // Without a delegate nothing is reported and nothing breaks.
    o.reports.clear();
    row.tabs[0]->setDelegate(nullptr);
    QTest::mouseClick(row.tabs[0], Qt::LeftButton, {}, onTriangle);
    EXPECT_TRUE(o.reports.empty());
}

TEST(MainTabView, ATabWithoutTriangleOpensItsMenuFromItsLeftEdge)
{
    TabRow row;
    MainTabView* third = row.tabs[2];
    EXPECT_EQ(third->triangleRect(), QRectF());
    QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(10, 10)); // switches
    row.owner.reports.clear();
    // The zero rectangle widened by 16 covers x 0 to 16 of the current tab.
    QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseClick(third, Qt::LeftButton, {}, QPoint(kW - 20, 10));
    ASSERT_EQ(row.owner.reports.size(), 1u);
    EXPECT_EQ(row.owner.reports[0], std::make_pair('m', static_cast<QObject*>(third)));
}

TEST(MainTabView, DraggingAcrossATabNeverMovesTheWindow)
{
    TabRow row;
    const QPoint before = row.window->pos();
    QTest::mousePress(row.tabs[1], Qt::LeftButton, {}, QPoint(30, 10));
    QTest::mouseMove(row.tabs[1], QPoint(90, 30));
    QTest::mouseRelease(row.tabs[1], Qt::LeftButton, {}, QPoint(90, 30));
    EXPECT_EQ(row.window->pos(), before);
    // The same drag on the background does move it.
    QTest::mousePress(row.window.get(), Qt::LeftButton, {}, QPoint(30, kH + 10));
    QTest::mouseMove(row.window.get(), QPoint(90, kH + 15));
    QTest::mouseRelease(row.window.get(), Qt::LeftButton, {}, QPoint(90, kH + 15));
    EXPECT_EQ(row.window->pos(), before + QPoint(60, 5));
}

TEST(MainTabView, ThreeLooksAndTheEdgeGradients)
{
    MainTabView tab;
    tab.resize(kW, kH);
    tab.setTitle(QStringLiteral("MMMM"));
    tab.setActiveIcon(solid(10, 10, Qt::red));
    tab.setNotActiveIcon(solid(10, 10, Qt::blue));
    const QRect titleArea(kW / 2 - 25, (kH - 18) / 2 - 1, 50, 18);
    struct Look {
        bool enabled;
        TabStatus status;
        QColor fill, title, icon;
    };
    const Look looks[] = {
        {true, TabStatus::active, QColor(76, 73, 72), Qt::white, Qt::red},
        {true, TabStatus::notSupport, QColor(76, 73, 72), Qt::white, Qt::red},
        {true, TabStatus::notActive, QColor(53, 47, 45), QColor(110, 110, 110), Qt::blue},
        {false, TabStatus::active, QColor(20, 18, 17), QColor(60, 60, 60), Qt::blue},
    };
    for (const Look& l : looks) {
        tab.setTabEnabled(l.enabled);
        tab.setTabStatus(l.status);
        const QImage image = tab.grab().toImage();
        EXPECT_TRUE(near(image.pixelColor(kW / 2, 2), l.fill)) << int(l.status) << l.enabled;
        EXPECT_TRUE(anyPixel(image, titleArea, l.title)) << int(l.status) << l.enabled;
        EXPECT_TRUE(near(image.pixelColor(16 + 5, kH / 2), l.icon)) << int(l.status) << l.enabled;
    }

    // Left strip: the start colour on the outer edge, fading inwards over 20.
    tab.setTabEnabled(true);
    tab.setTabStatus(TabStatus::notActive);
    tab.setTabGradient(TabGradient::left);
    QImage image = tab.grab().toImage();
    EXPECT_TRUE(near(image.pixelColor(0, 2), QColor(36, 25, 22)));
    EXPECT_TRUE(near(image.pixelColor(19, 2), QColor(53, 47, 45), 4));
    // Right strip, disabled colours: anchored at the right end.
    tab.setTabEnabled(false);
    tab.setTabGradient(TabGradient::right);
    image = tab.grab().toImage();
    EXPECT_TRUE(near(image.pixelColor(kW - 1, 2), QColor(14, 10, 9)));
    EXPECT_TRUE(near(image.pixelColor(kW - 25, 2), QColor(20, 18, 17)));
    EXPECT_TRUE(near(image.pixelColor(0, 2), QColor(20, 18, 17)));
}

TEST(MainTabView, BarIsFlatOnTopThenFadesToBlack)
{
    MainTabBarView bar;
    bar.resize(100, 125);
    const QImage image = bar.grab().toImage();
    EXPECT_TRUE(near(image.pixelColor(50, 5), QColor(76, 73, 72)));
    EXPECT_TRUE(near(image.pixelColor(50, 24), QColor(76, 73, 72)));
    EXPECT_TRUE(near(image.pixelColor(50, 75), QColor(38, 36, 36), 3));
    EXPECT_TRUE(near(image.pixelColor(50, 124), Qt::black, 3));
}

TEST(MainTabView, BlinkOpacityRisesAndFallsForEver)
{
    const double cases[][2] = {{0, 0.3},    {0.5, 0.65}, {1.0, 1.0}, {1.5, 0.65},
                               {2.0, 0.3},  {3.0, 1.0},  {1001.25, 0.825}};
    for (const auto& c : cases)
        EXPECT_NEAR(tabBlinkOpacity(c[0], 1.0), c[1], 1e-9) << c[0];
    EXPECT_DOUBLE_EQ(tabBlinkOpacity(0.5, 0.0), 0.3);
}

TEST(MainTabView, TheActiveTabsTriangleBlinksInItsOwnRectangleAtMost30TimesASecond)
{
    platform::ScopedTimeScale fast(0.1); // one way of the blink in 0.1 s
    QWidget window;
    window.resize(kW, kH);
    auto* tab = new RecordingTab(&window);
    tab->setGeometry(0, 0, kW, kH);
    tab->setTriangleIcon(solid(12, 8, Qt::white));
    tab->setTabStatus(TabStatus::active);
    window.show();
    QApplication::processEvents();
    EXPECT_TRUE(tab->isBlinking());
    EXPECT_TRUE(tab->triangleImageView()->isVisible());

    tab->painted.clear();
    const int framesBefore = tab->triangleImageView()->paintCount();
    double low = 1.0, high = 0.0;
    const auto start = platform::now();
    int frames = 0;
    // Watched until the blink has gone both ways and painted a few frames,
    // however long a busy machine takes for that; the frame count is only
    // bounded from above, by the time that really passed.
    while (frames < 5 || low >= 0.45 || high <= 0.85) {
        QTest::qWait(5);
        low = std::min(low, tab->triangleImageView()->opacity());
        high = std::max(high, tab->triangleImageView()->opacity());
        frames = tab->triangleImageView()->paintCount() - framesBefore;
    }
    const double watched = platform::Seconds(platform::now() - start).count();
    EXPECT_LE(frames, watched * 30 + 2);
    // The tab itself repaints only beneath the triangle.
    for (const QRect& r : tab->painted)
        EXPECT_TRUE(tab->triangleRect().toRect().contains(r)) << r.x() << ',' << r.width();

    // Any other status stops the blink and hides the triangle.
    tab->setTabStatus(TabStatus::notSupport);
    EXPECT_FALSE(tab->isBlinking());
    EXPECT_FALSE(tab->triangleImageView()->isVisible());
    const int stopped = tab->triangleImageView()->paintCount();
    QTest::qWait(100);
    EXPECT_EQ(tab->triangleImageView()->paintCount(), stopped);

    // Active again starts afresh from the dim end.
    tab->setTabStatus(TabStatus::active);
    EXPECT_TRUE(tab->isBlinking());
    EXPECT_NEAR(tab->triangleImageView()->opacity(), 0.3, 1e-9);

    // A hidden window costs no frames; showing it resumes the blink.
    window.hide();
    EXPECT_FALSE(tab->isBlinking());
    window.show();
    EXPECT_TRUE(tab->isBlinking());

    // Nor does a minimised one, which Qt still counts as visible. (The
    // offscreen platform reports the minimised window exposed again at once,
    // and Qt then shows its widgets again, so this is looked at before the
    // event loop runs; a window system reports a minimised window hidden.)
    window.showMinimized();
    EXPECT_TRUE(tab->isVisible());
    EXPECT_FALSE(tab->isBlinking());
    window.showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(tab->isBlinking());
}

TEST(MainTabView, ActiveWithoutTriangleShowsNothingAndDoesNotBlink)
{
    MainTabView tab;
    tab.resize(kW, kH);
    tab.show();
    tab.setTabStatus(TabStatus::active);
    EXPECT_FALSE(tab.isBlinking());
    // The triangle placed later appears without blinking until the status
    // is set again.
    tab.setTriangleIcon(solid(12, 8, Qt::white));
    EXPECT_TRUE(tab.triangleImageView()->isVisible());
    tab.setTabStatus(TabStatus::notActive);
    tab.setTriangleIcon(solid(12, 8, Qt::white));
    EXPECT_FALSE(tab.triangleImageView()->isVisible());
}
