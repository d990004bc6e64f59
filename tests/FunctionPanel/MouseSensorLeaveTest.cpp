// Leaving the mouse sensor tab right after a click into another setting's
// field, in the whole application on the virtual bus: the selection reaches
// the mouse at once, and the read that would follow it is dropped with the
// tab; the panel sends nothing once its tab is no longer shown. Back on the
// tab, the panel reads the mouse afresh and shows the selection.
#include "FunctionPanel/FunctionMSensorSettingController.h"
#include "MousePanelFixture.h"

using namespace mousepanel;

namespace {

constexpr uint8_t kGetSettings = 0x05, kSetDpi = 0x50;

} // namespace

TEST_F(MousePanelTest, NoReadFollowsASelectionOnceTheSensorTabIsLeft)
{
    start();
    QTest::mouseClick(uitest::WindowProbe::tabView(*main, FunctionTab::MSensorSetting), Qt::LeftButton, {}, QPoint(40, 24));
    auto* panel = dynamic_cast<FunctionMSensorSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::MSensorSetting));
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->keyboardView()->isVisible());
    ASSERT_NE(panel->selectRadio(), 2);

    // Setting 3 chosen by a click into its field, then straight to the
    // Other tab, whose set-up sends nothing of its own.
    mouse().clearLog();
    QTest::mouseClick(panel->row(2).text, Qt::LeftButton);
    EXPECT_EQ(count(kSetDpi), 1);
    EXPECT_EQ(mouse().live()[Mouse::kDpiSelected], 2);
    QTest::mouseClick(uitest::WindowProbe::tabView(*main, FunctionTab::MOtherSetting), Qt::LeftButton, {}, QPoint(40, 24));
    ASSERT_EQ(AppParam::functionTabSelect, FunctionTab::MOtherSetting);
    ASSERT_FALSE(panel->keyboardView()->isVisible());

    // Well past the read's 0.3 s (15 ms here) and a few polling seconds.
    mouse().clearLog();
    idle(250);
    EXPECT_TRUE(mouse().writes().empty()) << count(kGetSettings) << " settings reads";

    // The mouse's own button picks setting 1 meanwhile; back on the tab the
    // panel shows what the mouse holds.
    mouse().live()[Mouse::kDpiSelected] = 0;
    QTest::mouseClick(uitest::WindowProbe::tabView(*main, FunctionTab::MSensorSetting), Qt::LeftButton, {}, QPoint(40, 24));
    EXPECT_GE(count(kGetSettings), 1);
    EXPECT_EQ(panel->selectRadio(), 0);
    EXPECT_TRUE(panel->row(0).radio->isChecked());
}
