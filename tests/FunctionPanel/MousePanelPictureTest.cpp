// The pictures of the mouse tabs: each panel shows its own, only the panel on
// show holds one; and those of the sensor and LED tabs beside their controls:
// the lines that lead from the mouse to the captions on the picture stop
// short of the column of controls, so that no line runs under a switch or a
// slider.
#include "Device/MouseEntry.h"
#include "FunctionPanel/FunctionPanel.h"
#include "KeyboardView/KeyboardView.h"
#include "MousePanelFixture.h"

#include <QAbstractButton>
#include <QSlider>

#include <algorithm>
#include <limits>

using namespace mousepanel;

TEST_F(MousePanelTest, OnlyThePanelOnShowHoldsItsPictureAndShowsItAgainWhenShownAgain)
{
    start();
    const auto mouse = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
    ASSERT_TRUE(mouse && mouse->tabPictures);
    const FunctionTab tabs[] = {FunctionTab::MButtonSetting, FunctionTab::MLedSetting, FunctionTab::MSensorSetting,
                                FunctionTab::MOtherSetting};
    // The last step shows again a picture that was let go.
    for (const FunctionTab shown : {tabs[0], tabs[1], tabs[2], tabs[3], tabs[0]}) {
        main->clickTab(uitest::WindowProbe::tabView(*main, shown));
        for (const FunctionTab tab : tabs)
            EXPECT_EQ(uitest::WindowProbe::tabPanel(*main, tab)->keyboardView()->bodyImage().isNull(), tab != shown)
                << int(tab) << " with " << int(shown) << " shown";
        int decoded = 0;
        for (const auto& slot : MouseProfile::TabBodyImagePaths::pictures())
            decoded += mouse->tabPictures->picture(slot.field).isDecoded();
        EXPECT_EQ(decoded, 1) << int(shown);
    }
}

TEST_F(MousePanelTest, CaptionLinesOfThePicturesStopShortOfTheControls)
{
    start();
    struct Tab {
        MainTabView* tab;
        FunctionPanel* panel;
        QStringList anchors;
    };
    const std::vector<Tab> tabs{
        {uitest::WindowProbe::tabView(*main, FunctionTab::MSensorSetting), uitest::WindowProbe::tabPanel(*main, FunctionTab::MSensorSetting),
         {QStringLiteral("DpiSwitch")}},
        {uitest::WindowProbe::tabView(*main, FunctionTab::MLedSetting), uitest::WindowProbe::tabPanel(*main, FunctionTab::MLedSetting),
         {QStringLiteral("Indicator"), QStringLiteral("Logo")}},
    };
    for (const Tab& t : tabs) {
        main->clickTab(t.tab);
        QWidget* view = t.panel->keyboardView();
        ASSERT_TRUE(view->isVisible());
        int column = std::numeric_limits<int>::max();
        for (QWidget* w : view->findChildren<QWidget*>())
            if (w->isVisible() && (qobject_cast<QAbstractButton*>(w) || qobject_cast<QSlider*>(w)))
                column = std::min(column, w->mapTo(view, QPoint(0, 0)).x());
        ASSERT_LT(column, view->width());

        auto mouse = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
        ASSERT_TRUE(mouse);
        int checked = 0;
        for (const MButtonEntry& e : mouse->buttonList) {
            if (!t.anchors.contains(e.name))
                continue;
            ++checked;
            EXPECT_LT(e.margin.right(), column) << e.name.toStdString();
        }
        EXPECT_EQ(checked, t.anchors.size());
    }
}
