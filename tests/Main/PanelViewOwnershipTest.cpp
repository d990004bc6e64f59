// The window owns every view of the panels: after a run through the tabs and
// tab menus of both device kinds nothing the application made outlives its
// window, and a panel that goes first leaves views that no longer reach it.
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
#include "CustomControl/KeyboardListView.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using apptest::AppHarness;

namespace {

void clickTab(MainTabView* tab) { QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(20, 20)); }

// Shows the tab, opens its menu by its triangle, then closes the menu by a
// click low in the body, which the menu lying over the window takes.
void openAndCloseMenu(MainViewController& main, MainTabView* tab)
{
    clickTab(tab);
    apptest::clickTabTriangle(tab);
    const FunctionPanel* panel = uitest::WindowProbe::panelFor(main, tab->function());
    ASSERT_TRUE(AppHarness::waitFor([&] { return panel->isMenuViewShown(); }));
    const QPoint at = uitest::WindowProbe::window(main).mainView->bodyRect.bottomRight() - QPoint(20, 20);
    QWidget* top = uitest::WindowProbe::window(main).mainView->childAt(at);
    QTest::mouseClick(top, Qt::LeftButton, {}, top->mapFrom(uitest::WindowProbe::window(main).mainView, at));
    ASSERT_FALSE(panel->isMenuViewShown());
}

} // namespace

TEST(PanelViews, NothingOutlivesTheWindowAfterEveryTabAndMenu)
{
    const QWidgetList before = QApplication::allWidgets();
    std::vector<QPointer<QWidget>> views;
    {
        AppHarness app;
        ASSERT_TRUE(app.start());
        auto& main = app.controller();
        ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Keyboard);
        openAndCloseMenu(main, uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting));
        clickTab(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting));
        openAndCloseMenu(main, uitest::WindowProbe::tabView(main, FunctionTab::OtherSetting));

        QTest::mouseClick(uitest::WindowProbe::window(main).selectKeybordButton, Qt::LeftButton);
        QTest::mouseClick(uitest::WindowProbe::window(main).keyboardList->detailArray().at(1)->view(), Qt::LeftButton);
        ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Mouse);
        for (MainTabView* tab : {uitest::WindowProbe::tabView(main, FunctionTab::MLedSetting), uitest::WindowProbe::tabView(main, FunctionTab::MSensorSetting)})
            clickTab(tab);
        openAndCloseMenu(main, uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting));
        clickTab(uitest::WindowProbe::tabView(main, FunctionTab::MButtonSetting));
        auto* buttons = dynamic_cast<FunctionMButtonSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::MButtonSetting));
        ASSERT_NE(buttons, nullptr);
        QTest::mouseClick(buttons->buttonMenu(3), Qt::LeftButton);
        ASSERT_TRUE(AppHarness::waitFor([&] { return buttons->buttonMenuView(3)->isShown(); }));

        // Every panel's picture and the APC mode strip lie in the window,
        // shown or not.
        for (FunctionPanel* panel :
             {uitest::WindowProbe::tabPanel(main, FunctionTab::ApcSetting), uitest::WindowProbe::tabPanel(main, FunctionTab::GamingSetting),
              uitest::WindowProbe::tabPanel(main, FunctionTab::OtherSetting),
              uitest::WindowProbe::tabPanel(main, FunctionTab::MButtonSetting), uitest::WindowProbe::tabPanel(main, FunctionTab::MLedSetting),
              uitest::WindowProbe::tabPanel(main, FunctionTab::MSensorSetting), uitest::WindowProbe::tabPanel(main, FunctionTab::MOtherSetting)})
            views.emplace_back(panel->keyboardView());
        views.emplace_back(uitest::WindowProbe::window(main).apcTabMenuSelectView);
        views.emplace_back(buttons->buttonMenuView(3));
        for (const QPointer<QWidget>& view : views)
            EXPECT_TRUE(uitest::WindowProbe::window(main).mainView->isAncestorOf(view)) << view->objectName().toStdString();
        // The window closes on a mouse tab with a button's menu open.
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    for (const QPointer<QWidget>& view : views)
        EXPECT_FALSE(view);
    QStringList left;
    for (QWidget* w : QApplication::allWidgets())
        if (!before.contains(w))
            left << QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') + w->objectName();
    EXPECT_TRUE(left.isEmpty()) << left.join(QStringLiteral(", ")).toStdString();
}

TEST(PanelViews, APanelThatGoesFirstLeavesItsViewsInTheWindowReachingNothing)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    clickTab(uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting));
    auto* apc = dynamic_cast<FunctionApcSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::ApcSetting));
    ASSERT_NE(apc, nullptr);
    // Collective mode: a level click goes to the keyboard at once.
    apptest::clickTabTriangle(uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting));
    QTest::mouseClick(apc->menuView()->row(FunctionItem::Collective), Qt::LeftButton);
    app.keyboard->clearLog();
    QTest::mouseClick(apc->levelCell(2), Qt::LeftButton);
    ASSERT_FALSE(app.keyboard->commands().empty());

    const QPointer<KeyboardView> picture = apc->picture();
    const QPointer<QRadioButton> cell = apc->levelCell(0);
    const QPointer<TabMenuView> menu = apc->menuView();
    // Another panel takes the APC tab; the old one goes while its picture
    // is shown.
    std::unique_ptr<FunctionPanel> old = std::make_unique<PanelHost>(FunctionTab::ApcSetting, *uitest::WindowProbe::window(main).mainView);
    old = uitest::WindowProbe::swapPanel(main, FunctionTab::ApcSetting, std::move(old));
    old.reset();

    ASSERT_TRUE(picture && cell && menu);
    EXPECT_TRUE(uitest::WindowProbe::window(main).mainView->isAncestorOf(picture));
    EXPECT_TRUE(uitest::WindowProbe::window(main).mainView->isAncestorOf(menu));
    app.keyboard->clearLog();
    QTest::mouseClick(cell, Qt::LeftButton);
    QTest::mouseClick(picture, Qt::LeftButton, {}, picture->rect().center());
    menu->showInView(uitest::WindowProbe::window(main).mainView);
    QTest::mouseClick(menu->row(FunctionItem::Separate), Qt::LeftButton);
    EXPECT_TRUE(app.keyboard->commands().empty());
}
