// The blink of the active tab's triangle: drawn in a few visible levels, it
// wakes and repaints only when the level changes.
#include "CustomControl/MainTabView.h"
#include "Platform/Clock.h"

#include <QApplication>
#include <QPaintEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

QPixmap solid(int w, int h, const QColor& c)
{
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

// Records the opacity of every frame the triangle paints.
class FrameLog : public QObject {
public:
    explicit FrameLog(TabTriangleView* view) : view_(view) { view->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            opacities.push_back(view_->opacity());
        return false;
    }
    std::vector<double> opacities;

private:
    TabTriangleView* view_;
};

} // namespace

TEST(TabBlink, EveryLevelChangeIsOneStepAndComesOnSchedule)
{
    // Two whole cycles, walked from one scheduled change to the next.
    const double halfPeriod = 1.0;
    double at = 0.0;
    int level = tabBlinkLevel(at, halfPeriod);
    EXPECT_EQ(level, 0);
    int changes = 0;
    int lowest = level, highest = level;
    while (true) {
        const double next = tabBlinkNextChange(at, halfPeriod);
        ASSERT_GT(next, at);
        if (next > 4 * halfPeriod)
            break;
        // Just before the change the level is the old one, at it the new one.
        EXPECT_EQ(tabBlinkLevel(next - 1e-6, halfPeriod), level) << next;
        const int now = tabBlinkLevel(next + 1e-9, halfPeriod);
        EXPECT_EQ(std::abs(now - level), 1) << next;
        level = now;
        at = next;
        ++changes;
        lowest = std::min(lowest, level);
        highest = std::max(highest, level);
        // The level follows the opacity of the blink.
        EXPECT_NEAR(tabBlinkLevelOpacity(level), tabBlinkOpacity(next + 1e-9, halfPeriod),
                    0.5 * 0.7 / kTabBlinkSteps + 1e-9);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, kTabBlinkSteps);
    EXPECT_NEAR(tabBlinkLevelOpacity(lowest), 0.3, 1e-9);
    EXPECT_NEAR(tabBlinkLevelOpacity(highest), 1.0, 1e-9);
    // kTabBlinkSteps changes each way: that many wake-ups a second.
    EXPECT_EQ(changes, 4 * kTabBlinkSteps);
}

TEST(TabBlink, TheShownTabRepaintsOnlyWhenItsLevelChanges)
{
    const platform::ScopedTimeScale real(1.0);
    QWidget window;
    window.resize(150, 40);
    auto* tab = new MainTabView(&window);
    tab->setGeometry(0, 0, 150, 40);
    tab->setTriangleIcon(solid(12, 8, Qt::white));
    window.show();
    QApplication::processEvents();
    FrameLog log(tab->triangleImageView());

    tab->setTabStatus(TabStatus::active);
    const auto start = platform::now();
    // At least one level change each way, however slow the machine.
    while (log.opacities.size() < 4 || platform::Seconds(platform::now() - start).count() < 1.2)
        QTest::qWait(20);
    const double watched = platform::Seconds(platform::now() - start).count();

    // A frame is painted only for a new level: never more than the levels
    // the blink went through (a busy machine skips some, never adds any).
    ASSERT_GE(log.opacities.size(), 2u);
    EXPECT_LE(double(log.opacities.size()), kTabBlinkSteps * watched + 2) << watched;
    for (size_t i = 1; i < log.opacities.size(); ++i)
        EXPECT_NE(log.opacities[i], log.opacities[i - 1]) << i;
    for (double o : log.opacities) {
        const double steps = (o - 0.3) / 0.7 * kTabBlinkSteps;
        EXPECT_NEAR(steps, std::round(steps), 1e-9) << o;
    }
}
