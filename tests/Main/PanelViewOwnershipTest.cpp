// The window owns every view of the panels: after a run through every tab
// and tab menu of both device kinds nothing the application made outlives
// its window, and a panel that goes before the window leaves views behind
// that no longer reach it.
#include "AppParam.h"
#include "CustomControl/KeyboardListView.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/NKMenuView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/IDeviceEntry.h"
#include "FunctionPanel/FunctionApcSettingController.h"
#include "FunctionPanel/FunctionMButtonSettingController.h"
#include "FunctionPanel/PanelHost.h"
#include "MainView.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <set>

using apptest::AppHarness;

namespace {

std::set<QWidget*> liveWidgets()
{
    const QWidgetList all = QApplication::allWidgets();
    return {all.begin(), all.end()};
}

QString describe(const std::vector<QWidget*>& widgets)
{
    QStringList names;
    for (QWidget* w : widgets)
        names << QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(w->metaObject()->className()), w->objectName());
    return names.join(QStringLiteral(", "));
}

void clickTab(MainTabView* tab)
{
    QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(20, 20));
}

void clickTriangle(MainTabView* tab)
{
    QTest::mouseClick(tab, Qt::LeftButton, {}, tab->triangleHitRect().center().toPoint());
}

// A click low in the window's body, on whatever lies on top there: an open
// tab menu takes it and closes.
void clickBody(MainViewController& main)
{
    const QPoint at = main.mainView->bodyRect.bottomRight() - QPoint(20, 20);
    QWidget* top = main.mainView->childAt(at);
    ASSERT_NE(top, nullptr);
    QTest::mouseClick(top, Qt::LeftButton, {}, top->mapFrom(main.mainView, at));
}

void chooseDevice(MainViewController& main, int index)
{
    QTest::mouseClick(main.selectKeybordButton, Qt::LeftButton);
    ASSERT_LT(index, int(main.keyboardList->detailArray().size()));
    QTest::mouseClick(main.keyboardList->detailArray()[size_t(index)]->view(), Qt::LeftButton);
}

DeviceType currentKind() { return AppParam::device->deviceType(); }

} // namespace

TEST(PanelViews, NothingOutlivesTheWindowAfterEveryTabAndMenu)
{
    const std::set<QWidget*> before = liveWidgets();
    std::vector<QPointer<QWidget>> views;
    {
        AppHarness app;
        ASSERT_TRUE(app.start());
        auto& main = app.controller();
        ASSERT_EQ(currentKind(), DeviceType::Keyboard);
        FunctionPanel* const panels[] = {
            main.apcSettingContoller.get(),         main.gamingSettingController.get(),
            main.otherSettingController.get(),      main.mouseButtonSettingController.get(),
            main.mouseLedSettingController.get(),   main.mouseSensorSettingController.get(),
            main.mouseOtherSettingController.get(),
        };
        // Whatever a panel has made so far lies in the window, shown or not.
        auto allInTheWindow = [&](const char* when) {
            for (FunctionPanel* panel : panels)
                EXPECT_TRUE(main.mainView->isAncestorOf(panel->keyboardView())) << when;
            EXPECT_TRUE(main.mainView->isAncestorOf(main.apcTabMenuSelectView)) << when;
        };
        allInTheWindow("after the start");

        for (MainTabView* tab : {main.apcTabView, main.keylockTabView, main.settingTabView}) {
            clickTab(tab);
            ASSERT_EQ(AppParam::functionTabSelect, tab->function());
            const FunctionPanel* shown = main.panelFor(tab->function());
            if (tab == main.keylockTabView)
                continue;
            clickTriangle(tab);
            ASSERT_TRUE(AppHarness::waitFor([&] { return shown->isMenuViewShown(); }));
            clickBody(main);
            ASSERT_TRUE(AppHarness::waitFor([&] { return !shown->isMenuViewShown(); }));
        }
        allInTheWindow("on the keyboard's tabs");

        chooseDevice(main, 1);
        ASSERT_EQ(currentKind(), DeviceType::Mouse);
        for (MainTabView* tab : {main.mouseButtonTabView, main.mouseLedTabView, main.mouseSensorTabView,
                                 main.mouseOtherTabView}) {
            clickTab(tab);
            ASSERT_EQ(AppParam::functionTabSelect, tab->function());
        }
        clickTriangle(main.mouseOtherTabView);
        ASSERT_TRUE(AppHarness::waitFor([&] { return main.mouseOtherSettingController->isMenuViewShown(); }));
        clickBody(main);
        clickTab(main.mouseButtonTabView);
        auto* buttons = dynamic_cast<FunctionMButtonSettingController*>(main.mouseButtonSettingController.get());
        ASSERT_NE(buttons, nullptr);
        QTest::mouseClick(buttons->buttonMenu(3), Qt::LeftButton);
        ASSERT_TRUE(AppHarness::waitFor([&] { return buttons->buttonMenuView(3)->isShown(); }));
        allInTheWindow("on the mouse's tabs");

        for (FunctionPanel* panel : panels)
            views.emplace_back(panel->keyboardView());
        views.emplace_back(main.apcTabMenuSelectView);
        views.emplace_back(buttons->buttonMenuView(3));
        // The window closes on a mouse tab with a button's menu open.
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_TRUE(std::none_of(views.begin(), views.end(), [](const QPointer<QWidget>& v) { return bool(v); }));
    std::vector<QWidget*> left;
    for (QWidget* w : liveWidgets())
        if (!before.count(w))
            left.push_back(w);
    EXPECT_TRUE(left.empty()) << "left behind: " << describe(left).toStdString();
}

TEST(PanelViews, APanelThatGoesFirstLeavesItsViewsInTheWindowReachingNothing)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    ASSERT_EQ(currentKind(), DeviceType::Keyboard);
    clickTab(main.apcTabView);
    auto* apc = dynamic_cast<FunctionApcSettingController*>(main.apcSettingContoller.get());
    ASSERT_NE(apc, nullptr);
    // Collective mode: a level click goes to the keyboard at once.
    clickTriangle(main.apcTabView);
    ASSERT_TRUE(apc->isMenuViewShown());
    QTest::mouseClick(apc->menuView()->row(FunctionItem::Collective), Qt::LeftButton);
    ASSERT_EQ(apc->selectedMenuItem(), FunctionItem::Collective);
    app.keyboard->clearLog();
    QTest::mouseClick(apc->levelCell(2), Qt::LeftButton);
    ASSERT_FALSE(app.keyboard->commands().empty());

    const QPointer<KeyboardView> picture = apc->picture();
    const QPointer<QRadioButton> cell = apc->levelCell(0);
    const QPointer<TabMenuView> menu = apc->menuView();
    // Another panel takes the APC tab; the old one goes while its picture
    // is shown.
    std::unique_ptr<FunctionPanel> old = std::make_unique<PanelHost>(FunctionTab::ApcSetting, *main.mainView);
    std::swap(main.apcSettingContoller, old);
    old.reset();

    ASSERT_TRUE(picture && cell && menu);
    EXPECT_TRUE(main.mainView->isAncestorOf(picture));
    EXPECT_TRUE(main.mainView->isAncestorOf(menu));
    app.keyboard->clearLog();
    QTest::mouseClick(cell, Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, picture->rect().center());
    menu->showInView(main.mainView);
    QTest::mouseClick(menu->row(FunctionItem::Separate), Qt::LeftButton);
    EXPECT_TRUE(app.keyboard->commands().empty());
}
