// What the start leaves until it is needed: the panels of a device kind that
// is not connected are not built, and the mouse tabs get their icons only
// when a mouse is connected; the no-device view measures its link when it
// first shows. Each is then there, and works, when the user gets to it.
#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "CustomControl/KeyboardListView.h"
#include "CustomControl/MainTabView.h"
#include "Device/IDeviceEntry.h"
#include "FunctionPanel/FunctionPanel.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "XML/ApplicationProfile.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QFontMetricsF>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

const char* const kMousePanelViews[] = {"mouseButtonPanel", "mouseLedPanel", "mouseSensorPanel", "mouseOtherPanel"};

int mousePanelViewsIn(const MainViewController& main)
{
    int found = 0;
    for (const char* name : kMousePanelViews)
        found += uitest::WindowProbe::window(main).mainView->findChild<QWidget*>(QString::fromLatin1(name)) ? 1 : 0;
    return found;
}

// The part of `tab` where its icon is drawn, as the tab draws it now.
QImage iconArea(MainTabView& tab, const QString& iconStem)
{
    const QSizeF size = ui::appImage(iconStem + QStringLiteral(" active.png")).deviceIndependentSize();
    const QRect place = QRectF(QPointF(layout::kTabSideMargin, (tab.height() - size.height()) / 2), size).toAlignedRect();
    return tab.grab(place).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(StartupWork, AKeyboardStartBuildsNoMousePanelAndAMouseLaterGetsItsPanelsAndTabIcons)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Keyboard);
    EXPECT_EQ(mousePanelViewsIn(main), 0);

    // The user switches to the mouse in the device strip.
    QTest::mouseClick(uitest::WindowProbe::window(main).selectKeybordButton, Qt::LeftButton);
    QTest::mouseClick(uitest::WindowProbe::window(main).keyboardList->detailArray().at(1)->view(), Qt::LeftButton);
    ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Mouse);
    EXPECT_EQ(mousePanelViewsIn(main), 4);

    // Each mouse tab draws its own icon: the tab's icon area differs from
    // the same tab drawn without one, and matches it drawn with its icons.
    const std::pair<FunctionTab, const char*> tabs[] = {{FunctionTab::MButtonSetting, "TAB_Icon_Button TAB"},
                                                        {FunctionTab::MLedSetting, "TAB_Icon_LED TAB"},
                                                        {FunctionTab::MSensorSetting, "TAB_Icon_Sensor TAB"},
                                                        {FunctionTab::MOtherSetting, "TAB_Icon_Setting"}};
    for (const auto& [function, stem] : tabs) {
        MainTabView* tab = uitest::WindowProbe::tabView(main, function);
        ASSERT_TRUE(tab->isVisible());
        MainTabView reference;
        reference.resize(tab->size());
        reference.setTitle(tab->title());
        reference.setTabEnabled(tab->tabEnabled());
        reference.setTabStatus(tab->tabStatus());
        reference.setTabGradient(tab->tabGradient());
        const QImage shown = iconArea(*tab, QString::fromLatin1(stem));
        EXPECT_NE(shown, iconArea(reference, QString::fromLatin1(stem))) << stem;
        reference.setActiveIcon(ui::appImage(QString::fromLatin1(stem) + QStringLiteral(" active.png")));
        reference.setNotActiveIcon(ui::appImage(QString::fromLatin1(stem) + QStringLiteral(" not active.png")));
        EXPECT_EQ(shown, iconArea(reference, QString::fromLatin1(stem))) << stem;
    }

    // The panels built now work: the sensor tab shows the sensor panel.
    QTest::mouseClick(uitest::WindowProbe::tabView(main, FunctionTab::MSensorSetting), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(uitest::WindowProbe::currentKeyboardView(main), uitest::WindowProbe::tabPanel(main, FunctionTab::MSensorSetting)->keyboardView());
    EXPECT_TRUE(uitest::WindowProbe::currentKeyboardView(main)->isVisible());
}

TEST(StartupWork, ARememberedMouseTabWithNoDeviceLeavesTheForegroundAndClosesCleanly)
{
    HarnessOptions o;
    o.keyboard = false;
    o.mouse = false;
    AppHarness app(o);
    AppParam::functionTabSelect = FunctionTab::MSensorSetting;
    ASSERT_EQ(ApplicationProfile::save(), AppError::NoError);
    AppParam::functionTabSelect = FunctionTab::None;
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    ASSERT_EQ(mousePanelViewsIn(main), 0);

    // Neither touches a panel that was never built.
    main.applicationWillResignActive();
    EXPECT_EQ(mousePanelViewsIn(main), 0);
    QTest::mouseClick(uitest::WindowProbe::window(main).closeButton, Qt::LeftButton);
    EXPECT_FALSE(uitest::WindowProbe::window(main).mainView->isVisible());
}

TEST(StartupWork, TheNoDeviceLinkIsSizedWhenTheViewFirstShowsAfterTheDeviceLeaves)
{
    HarnessOptions o;
    o.mouse = false;
    AppHarness app(o);
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    KeyboardErrorView* view = uitest::WindowProbe::window(main).keyboardErrorView;
    ASSERT_TRUE(view->isHidden());

    app.bus().detach(apptest::kKeyboardLocation);
    ASSERT_TRUE(AppHarness::waitFor([&] { return !view->isHidden(); }));
    QFont font;
    font.setPixelSize(28);
    const QString text = platform::localizedString(QStringLiteral("JumpToKolventraSupportPage"));
    const QWidget* link = view->linkKeyboardQandALink;
    EXPECT_NEAR(link->width(), QFontMetricsF(font).size(0, text).width(), 1.0);
    EXPECT_NEAR(link->geometry().center().x(), layout::kDeviceNotFoundLink.center().x(), 1.0);
    EXPECT_TRUE(link->isVisible());
}
