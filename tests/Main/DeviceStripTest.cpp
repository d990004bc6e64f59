// The device strip in the main window, used through the window as a user
// does: with more devices than it shows at once, its scroll buttons lie
// inside the window where they can be clicked, and scrolling with them
// brings every device's tile into view so that it can be picked.
#include "CustomControl/KeyboardListView.h"
#include "MainView.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"
#include "XML/MouseProfile.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPushButton>
#include <QTest>

#include <set>

using apptest::AppHarness;

namespace {

constexpr uint32_t kThirdLocation = 0x01300000;

QRect inWindow(MainViewController& main, const QWidget* w)
{
    return QRect(w->mapTo(uitest::WindowProbe::window(main).mainView, QPoint(0, 0)), w->size());
}

// What the user hits when clicking at `w`'s middle in the window.
bool hitByUser(MainViewController& main, QWidget* w)
{
    const QRect r = inWindow(main, w);
    if (!uitest::WindowProbe::window(main).mainView->rect().contains(r))
        return false;
    QWidget* hit = uitest::WindowProbe::window(main).mainView->childAt(r.center());
    return hit && (hit == w || w->isAncestorOf(hit));
}

// Clicks at the middle of `w` through the window; false when the user
// cannot reach it there.
bool userClick(MainViewController& main, QWidget* w)
{
    if (!hitByUser(main, w))
        return false;
    const QPoint at = inWindow(main, w).center();
    QWidget* hit = uitest::WindowProbe::window(main).mainView->childAt(at);
    QTest::mouseClick(hit, Qt::LeftButton, {}, hit->mapFrom(uitest::WindowProbe::window(main).mainView, at));
    return true;
}

// A tile the user sees whole: inside the strip's visible area and the window.
bool tileShown(MainViewController& main, KeyboardListItem* tile)
{
    const QRect area = inWindow(main, uitest::WindowProbe::window(main).keyboardList->visibleArea());
    return area.contains(inWindow(main, tile->view())) && hitByUser(main, tile->view());
}

void settle(MainViewController& main)
{
    ASSERT_TRUE(AppHarness::waitFor([&] { return !uitest::WindowProbe::window(main).keyboardList->isAnimating(); }));
}

// A mouse description as a screen of two device pixels per point reads its
// thumbnail.
struct MouseAtRatio2 : MouseProfile {
    explicit MouseAtRatio2(const MouseProfile& description) : MouseProfile(description) {}
    QImage getDeviceThumbImage(qreal) const override { return MouseProfile::getDeviceThumbImage(2); }
};

} // namespace

TEST(DeviceStrip, ADoubleDensityThumbnailKeepsItsRatioOnItsTile)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    DeviceListController& list = uitest::WindowProbe::devices(app.controller());
    size_t at = 0;
    while (at < list.deviceList().size() && !std::dynamic_pointer_cast<MouseProfile>(list.deviceList()[at].profile))
        ++at;
    ASSERT_LT(at, list.deviceList().size());
    auto& entry = const_cast<DeviceListController::DeviceEnumEntry&>(list.deviceList()[at]);
    const auto mouse = std::dynamic_pointer_cast<MouseProfile>(entry.profile);
    const QSize member = mouse->getDeviceThumbImage(1).size();
    ASSERT_EQ(mouse->getDeviceThumbImage(2).size(), member * 2);
    entry.profile = std::make_shared<MouseAtRatio2>(*mouse);

    list.updateKeyboardListView(false);
    const QPixmap shown = uitest::WindowProbe::window(app.controller()).keyboardList->detailArray().at(at)->defaultImage;
    EXPECT_EQ(shown.devicePixelRatio(), 2);
    EXPECT_EQ(shown.deviceIndependentSize().toSize(), member);
}

TEST(DeviceStrip, ThreeDevicesAreAllReachableThroughScrollButtonsInsideTheWindow)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    auto third = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[1]);
    ASSERT_TRUE(app.bus().attach(third, kThirdLocation));
    ASSERT_TRUE(AppHarness::waitFor([&] { return uitest::WindowProbe::window(main).keyboardList->detailArray().size() == 3; }));

    ASSERT_TRUE(userClick(main, uitest::WindowProbe::window(main).selectKeybordButton));
    QWidget* panel = uitest::WindowProbe::window(main).keyboardSelectView;
    ASSERT_TRUE(AppHarness::waitFor(
        [&] { return panel->isVisible() && inWindow(main, panel).bottom() == uitest::WindowProbe::window(main).mainView->rect().bottom(); }));

    KeyboardListView& strip = *uitest::WindowProbe::window(main).keyboardList;
    EXPECT_TRUE(uitest::WindowProbe::window(main).mainView->rect().contains(inWindow(main, strip.keyboardListView())));
    EXPECT_TRUE(hitByUser(main, strip.leftButton()));
    EXPECT_TRUE(hitByUser(main, strip.rightButton()));

    // Scroll right as far as the strip goes, noting every tile seen whole.
    std::set<size_t> seen;
    for (int step = 0; step < 4; ++step) {
        settle(main);
        for (size_t i = 0; i < strip.detailArray().size(); ++i)
            if (tileShown(main, strip.detailArray()[i]))
                seen.insert(i);
        if (!strip.rightButton()->isEnabled())
            break;
        ASSERT_TRUE(userClick(main, strip.rightButton())) << "right scroll button out of reach";
    }
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_FALSE(strip.rightButton()->isEnabled());

    // Back to the third device's tile, wherever it stands, and pick it.
    size_t target = 0;
    while (target < uitest::WindowProbe::devices(main).deviceList().size() && uitest::WindowProbe::devices(main).deviceList()[target].deviceLocation != int32_t(kThirdLocation))
        ++target;
    ASSERT_LT(target, strip.detailArray().size());
    for (int step = 0; step < 4 && !tileShown(main, strip.detailArray()[target]); ++step) {
        ASSERT_TRUE(userClick(main, strip.leftButton())) << "left scroll button out of reach";
        settle(main);
    }
    ASSERT_TRUE(userClick(main, strip.detailArray()[target]->view()));
    EXPECT_EQ(main.conectDeviceLocation(), int32_t(kThirdLocation));
    EXPECT_TRUE(third->sessionOpen());
}
