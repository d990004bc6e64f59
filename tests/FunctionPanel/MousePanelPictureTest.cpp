// The pictures of the mouse sensor and LED tabs beside their controls: the
// lines that lead from the mouse to the captions on the picture stop short of
// the column of controls, so that no line runs under a switch or a slider.
#include "Device/MouseEntry.h"
#include "FunctionPanel/FunctionPanel.h"
#include "KeyboardView/KeyboardView.h"
#include "MousePanelFixture.h"

#include <QAbstractButton>
#include <QSlider>

#include <algorithm>
#include <limits>

using namespace mousepanel;

TEST_F(MousePanelTest, CaptionLinesOfThePicturesStopShortOfTheControls)
{
    start();
    struct Tab {
        MainTabView* tab;
        FunctionPanel* panel;
        QStringList anchors;
    };
    const std::vector<Tab> tabs{
        {uitest::tabView(*main, FunctionTab::MSensorSetting), uitest::tabPanel(*main, FunctionTab::MSensorSetting),
         {QStringLiteral("DpiSwitch")}},
        {uitest::tabView(*main, FunctionTab::MLedSetting), uitest::tabPanel(*main, FunctionTab::MLedSetting),
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
