// The mouse LED panel on the virtual bus: colour swatches, brightness
// slider, indicator and logo switches, the once-a-second read, the captions
// on the picture and device errors.
#include "Device/MouseEntry.h"
#include "FunctionPanel/FunctionMLedSettingController.h"
#include "MousePanelFixture.h"

#include <QLabel>
#include <QTimer>

using namespace mousepanel;

namespace {

constexpr uint8_t kGetSettings = 0x05, kSetLed = 0x30;

class MouseLedPanelTest : public MousePanelTest {
protected:
    void open(const std::function<void(Mouse&)>& prepare = {})
    {
        start(prepare);
        main->clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::MLedSetting));
        panel = dynamic_cast<FunctionMLedSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::MLedSetting));
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(panel->keyboardView()->isVisible());
        mouse().clearLog();
    }
    int markedColour() const
    {
        int marked = -1;
        for (int i = 0; i < 8; ++i)
            if (panel->colorButton(i)->isDefault()) {
                EXPECT_EQ(marked, -1) << "one mark only";
                marked = i;
            }
        return marked;
    }
    QPoint sliderAt(int value) const
    {
        PhaseSlider* s = panel->brightnessSlider();
        for (int x = 0; x < s->width(); ++x)
            if (s->valueAt(QPoint(x, s->height() / 2)) == value)
                return {x, s->height() / 2};
        ADD_FAILURE() << "no position for " << value;
        return {};
    }

    FunctionMLedSettingController* panel = nullptr;
};

TEST_F(MouseLedPanelTest, AColourIsSentWithTheOtherValuesAndTheMarkFollowsTheMouse)
{
    open([](Mouse& m) {
        m.live()[Mouse::kColor] = 1;       // red
        m.live()[Mouse::kLuminance] = 1;
        m.live()[Mouse::kIndicator] = 0;
        m.live()[Mouse::kLogo] = 1;
    });
    EXPECT_EQ(markedColour(), 1);
    QTest::mouseClick(panel->colorButton(3), Qt::LeftButton);
    EXPECT_EQ(sent(kSetLed), (std::vector<std::vector<uint8_t>>{{3, 1, 0, 1}}));
    EXPECT_EQ(mouse().live()[Mouse::kColor], 3);
    EXPECT_EQ(markedColour(), 3);
    EXPECT_TRUE(sendShown());

    mouse().clearLog();
    QTest::mouseClick(panel->colorButton(3), Qt::LeftButton);
    EXPECT_TRUE(mouse().writes().empty()) << "the mouse's own colour sends and reads nothing";
}

TEST_F(MouseLedPanelTest, SwitchingTheIndicatorOffSendsItAndChangesThePicture)
{
    open([](Mouse& m) {
        m.live()[Mouse::kColor] = 3;       // blue, both lights on
        m.live()[Mouse::kIndicator] = 0;
        m.live()[Mouse::kLogo] = 0;
    });
    ASSERT_TRUE(panel->indicatorSwitch()->isChecked());
    QTest::mouseClick(panel->indicatorSwitch(), Qt::LeftButton);
    ASSERT_EQ(count(kSetLed), 1);
    EXPECT_EQ(sent(kSetLed)[0], (std::vector<uint8_t>{3, mouse().live()[Mouse::kLuminance], 1, 0}));
    EXPECT_EQ(mouse().live()[Mouse::kIndicator], 1);
    EXPECT_FALSE(panel->indicatorSwitch()->isChecked());
    const QImage logoOnly = tabPicture(&MouseProfile::TabBodyImagePaths::ledTabLogoBlue);
    ASSERT_FALSE(logoOnly.isNull());
    EXPECT_EQ(panel->keyboardView()->bodyImage(), logoOnly);

    QTest::mouseClick(panel->logoSwitch(), Qt::LeftButton);
    EXPECT_EQ(mouse().live()[Mouse::kLogo], 1);
    EXPECT_EQ(panel->keyboardView()->bodyImage(), tabPicture(&MouseProfile::TabBodyImagePaths::ledTabOff));
    EXPECT_TRUE(sendShown());
}

TEST_F(MouseLedPanelTest, TheBrightnessGoesOutOnceOnReleaseAndNoReadWhileHeld)
{
    open([](Mouse& m) { m.live()[Mouse::kLuminance] = 2; });   // Level3: position 0
    PhaseSlider* s = panel->brightnessSlider();
    ASSERT_EQ(s->value(), 0);
    QTest::mousePress(s, Qt::LeftButton, {}, sliderAt(0));
    QTest::mouseMove(s, sliderAt(1));
    QTest::mouseMove(s, sliderAt(2));
    idle(200);
    EXPECT_EQ(count(kSetLed), 0);
    EXPECT_EQ(count(kGetSettings), 0);
    QTest::mouseRelease(s, Qt::LeftButton, {}, sliderAt(2));
    ASSERT_EQ(count(kSetLed), 1);
    EXPECT_EQ(sent(kSetLed)[0][1], 0) << "position 2 is Level1";
    EXPECT_EQ(mouse().live()[Mouse::kLuminance], 0);

    // Clicked without a change: nothing sent, the reads resume.
    mouse().clearLog();
    QTest::mousePress(s, Qt::LeftButton, {}, sliderAt(2));
    QTest::mouseRelease(s, Qt::LeftButton, {}, sliderAt(2));
    EXPECT_EQ(count(kSetLed), 0);
    EXPECT_FALSE(panel->isPollingSuspended());
    ASSERT_TRUE(AppHarness::waitFor([&] { return count(kGetSettings) > 0; }, 1000));
}

TEST_F(MouseLedPanelTest, AReadThatFindsNothingChangedRepaintsNothing)
{
    open();
    const auto log = paintsOverReads(panel->keyboardView(), kGetSettings, 3);
    EXPECT_TRUE(log->painted().isEmpty()) << "painted over three reads of unchanged settings: " << names(*log);
    mouse().live()[Mouse::kColor] = 5;
    ASSERT_TRUE(AppHarness::waitFor([&] { return markedColour() == 5; }, 10000));
    idle(20);
    EXPECT_FALSE(log->painted().isEmpty());
}

TEST_F(MouseLedPanelTest, AChangeOnTheMouseShowsWithinASecondOnlyWhileShown)
{
    open();
    mouse().live()[Mouse::kColor] = 5;
    mouse().live()[Mouse::kLuminance] = 0;
    mouse().live()[Mouse::kLogo] = 1;
    ASSERT_TRUE(AppHarness::waitFor([&] { return markedColour() == 5; }, 1000));
    EXPECT_EQ(panel->brightnessSlider()->value(), 2);
    EXPECT_FALSE(panel->logoSwitch()->isChecked());
    EXPECT_FALSE(sendShown());

    main->clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::MOtherSetting));
    EXPECT_FALSE(panel->isPolling());
    idle(30);
    mouse().clearLog();
    idle(200);
    EXPECT_EQ(count(kGetSettings), 0);
}

TEST_F(MouseLedPanelTest, SwatchesOnceAndCaptionsUnderTheirLights)
{
    open();
    main->clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::MOtherSetting));
    main->clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::MLedSetting));
    EXPECT_EQ(panel->colorButtonList().size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(panel->colorButtonList()[size_t(i)], panel->colorButton(i));
    auto m = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
    ASSERT_TRUE(m);
    int placed = 0;
    for (const auto& e : m->buttonList) {
        QLabel* label = e.name == QLatin1String("Indicator") ? panel->indicatorCaption()
                        : e.name == QLatin1String("Logo")    ? panel->logoCaption()
                                                              : nullptr;
        if (!label)
            continue;
        ++placed;
        EXPECT_EQ(label->pos(), QPointF(e.margin.x(), e.margin.bottom() + 2).toPoint());
    }
    EXPECT_EQ(placed, 2);
}

TEST_F(MouseLedPanelTest, ARefusedLedCommandRunsTheRecoveryAndMarksNothing)
{
    open([](Mouse& m) { m.live()[Mouse::kColor] = 0; });
    mouse().inject({.kind = emu::FaultKind::Status, .command = kSetLed});
    QTest::mouseClick(panel->colorButton(2), Qt::LeftButton);
    EXPECT_FALSE(sendShown());
    EXPECT_EQ(mouse().live()[Mouse::kColor], 0);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main->conectDeviceLocation() == int32_t(apptest::kMouseLocation); }));
}

TEST_F(MouseLedPanelTest, AnUnplugDuringAColourCommandEndsQuietly)
{
    open([](Mouse& m) { m.live()[Mouse::kColor] = 0; });
    mouse().inject({.kind = emu::FaultKind::Detach, .command = kSetLed});
    QTest::mouseClick(panel->colorButton(4), Qt::LeftButton);
    EXPECT_FALSE(sendShown());
    ASSERT_TRUE(AppHarness::waitFor([&] { return main->conectDeviceLocation() == -1; }));
    EXPECT_EQ(markedColour(), 0);
}

TEST_F(MouseLedPanelTest, AColourChosenWhileTheMouseIsBusyIsDroppedWithoutRecovery)
{
    open([](Mouse& m) { m.live()[Mouse::kColor] = 0; });
    const int starts = mouse().startCount();
    // The set-up's read waits for its late reply; a colour click arrives
    // meanwhile and is refused as busy.
    mouse().inject({.kind = emu::FaultKind::Late, .command = kGetSettings, .delay = std::chrono::milliseconds(100)});
    bool clicked = false;
    QTimer::singleShot(20, panel, [&] {
        QTest::mouseClick(panel->colorButton(5), Qt::LeftButton);
        clicked = true;
    });
    uitest::WindowProbe::selectFunctionTab(*main, FunctionTab::MLedSetting);
    ASSERT_TRUE(clicked);
    EXPECT_EQ(mouse().startCount(), starts) << "no recovery reconnected the mouse";
    EXPECT_EQ(main->conectDeviceLocation(), int32_t(apptest::kMouseLocation));
    EXPECT_EQ(mouse().live()[Mouse::kColor], 0);
    EXPECT_FALSE(sendShown());
}

} // namespace
