// The mouse sensor panel on the virtual bus: DPI settings changed by slider,
// typing, radios, switches and step buttons; the lift-off distance; the
// once-a-second read and its pauses; device errors in the middle.
#include "FunctionPanel/FunctionMSensorSettingController.h"
#include "MousePanelFixture.h"

#include <QLabel>
#include <QPushButton>

using namespace mousepanel;

namespace {

constexpr uint8_t kGetSettings = 0x05, kSetDpi = 0x50, kSetLoD = 0x51;

class MouseSensorPanelTest : public MousePanelTest {
protected:
    void open(const std::function<void(Mouse&)>& prepare = {})
    {
        start(prepare);
        main->clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::MSensorSetting));
        panel = dynamic_cast<FunctionMSensorSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::MSensorSetting));
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(panel->keyboardView()->isVisible());
        mouse().clearLog();
    }

    // The x at which the slider of `row` takes `value`.
    int xFor(int row, int value) const
    {
        PhaseSlider* s = panel->row(row).slider;
        for (int x = 0; x < s->width(); ++x)
            if (s->valueAt(QPoint(x, s->height() / 2)) == value)
                return x;
        ADD_FAILURE() << "no position for " << value;
        return 0;
    }
    QPoint at(int row, int value) const { return {xFor(row, value), panel->row(row).slider->height() / 2}; }

    // Types one character into a DPI field as a user would.
    void type(int row, char c) { QTest::keyClick(panel->row(row).text, c); }

    FunctionMSensorSettingController* panel = nullptr;
};

TEST_F(MouseSensorPanelTest, ShowsTheMouseSettingsAndDisablesASwitchedOffSetting)
{
    open([](Mouse& m) {
        auto& r = m.live();
        r[Mouse::kDpi + 6] = 1;    // setting 4 off
        r[Mouse::kDpi + 1] = 119;  // setting 1: 12000 dpi
        r[Mouse::kDpiSelected] = 0;
        r[Mouse::kReportRate] = 2;
    });
    EXPECT_EQ(panel->selectRadio(), 0);
    EXPECT_TRUE(panel->row(0).radio->isChecked());
    EXPECT_EQ(panel->row(0).text->text(), QStringLiteral("120"));
    EXPECT_EQ(panel->row(0).slider->value(), 119);
    EXPECT_FALSE(panel->row(0).sw->isEnabled()) << "the selected setting cannot be switched off";
    const auto& off = panel->row(3);
    EXPECT_FALSE(off.sw->isChecked());
    EXPECT_TRUE(off.sw->isEnabled());
    for (QWidget* w : {static_cast<QWidget*>(off.radio.data()), static_cast<QWidget*>(off.text.data()),
                       static_cast<QWidget*>(off.slider.data()), static_cast<QWidget*>(off.down.data()),
                       static_cast<QWidget*>(off.up.data())})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_EQ(panel->pollingRateLabel()->text(), QStringLiteral("500"));
    EXPECT_FALSE(sendShown()) << "showing the panel marks nothing as changed";
}

TEST_F(MouseSensorPanelTest, SliderSendsOnceOnReleaseAndTheChangedSettingBecomesSelected)
{
    open([](Mouse& m) {
        m.live()[Mouse::kDpiSelected] = 0;
        m.live()[Mouse::kDpi + 3] = 15;
    });
    const auto& r = panel->row(1);
    ASSERT_EQ(r.text->text(), QStringLiteral("16"));
    QTest::mousePress(r.slider, Qt::LeftButton, {}, at(1, 15));
    for (int v : {20, 25, 31}) {
        QTest::mouseMove(r.slider, at(1, v));
        EXPECT_EQ(r.text->text(), QString::number(v + 1));
    }
    idle(200);   // four polling seconds held: no read, nothing sent
    EXPECT_EQ(count(kSetDpi), 0);
    EXPECT_EQ(count(kGetSettings), 0);
    QTest::mouseRelease(r.slider, Qt::LeftButton, {}, at(1, 31));
    ASSERT_EQ(sent(kSetDpi), (std::vector<std::vector<uint8_t>>{{0x01, 0x00, 0x1F}}));
    EXPECT_EQ(mouse().live()[Mouse::kDpi + 3], 31);
    EXPECT_EQ(mouse().live()[Mouse::kDpiSelected], 1);
    EXPECT_EQ(r.text->text(), QStringLiteral("32"));
    EXPECT_TRUE(r.radio->isChecked());
    EXPECT_TRUE(sendShown());
    EXPECT_FALSE(panel->isPollingSuspended());

    // Released where it was pressed on the selected setting: nothing sent.
    mouse().clearLog();
    QTest::mousePress(r.slider, Qt::LeftButton, {}, at(1, 31));
    QTest::mouseRelease(r.slider, Qt::LeftButton, {}, at(1, 31));
    EXPECT_EQ(count(kSetDpi), 0);
    EXPECT_GE(count(kGetSettings), 1) << "the panel still reads back";
}

TEST_F(MouseSensorPanelTest, TypingSendsEachKeystrokeAndClampsToTheRange)
{
    open([](Mouse& m) { m.live()[Mouse::kDpiSelected] = 0; });
    const auto& r = panel->row(0);
    r.text->setFocus();
    r.text->selectAll();
    type(0, '2');
    EXPECT_EQ(mouse().live()[Mouse::kDpi + 1], 1);     // 200 dpi
    type(0, '5');
    EXPECT_EQ(mouse().live()[Mouse::kDpi + 1], 24);    // 2500 dpi
    type(0, '0');
    EXPECT_EQ(mouse().live()[Mouse::kDpi + 1], 119);   // 12000 dpi, the top
    EXPECT_EQ(r.text->text(), QStringLiteral("120"));
    EXPECT_EQ(sent(kSetDpi).back(), (std::vector<uint8_t>{0x00, 0x00, 119}));

    // Not a number counts as 0 and becomes the bottom, 100 dpi.
    r.text->selectAll();
    type(0, 'x');
    EXPECT_EQ(r.text->text(), QStringLiteral("1"));
    EXPECT_EQ(mouse().live()[Mouse::kDpi + 1], 0);
    EXPECT_TRUE(sendShown());
}

TEST_F(MouseSensorPanelTest, RadiosSwitchesAndStepButtons)
{
    open([](Mouse& m) {
        m.live()[Mouse::kDpiSelected] = 1;
        m.live()[Mouse::kDpi + 1] = 0;     // setting 1 at the bottom
        m.live()[Mouse::kDpi + 7] = 119;   // setting 4 at the top
    });
    // The radio of the selected setting does nothing.
    QTest::mouseClick(panel->row(1).radio, Qt::LeftButton);
    EXPECT_EQ(count(kSetDpi), 0);
    EXPECT_TRUE(panel->row(1).radio->isChecked());

    // Another radio selects its setting and focuses its field.
    QTest::mouseClick(panel->row(2).radio, Qt::LeftButton);
    ASSERT_EQ(count(kSetDpi), 1);
    EXPECT_EQ(sent(kSetDpi)[0][0], 2);
    EXPECT_EQ(mouse().live()[Mouse::kDpiSelected], 2);
    EXPECT_TRUE(panel->row(2).text->hasFocus() || QApplication::focusWidget() == panel->row(2).text);

    // Down at the bottom and up at the top send nothing once selected.
    QTest::mouseClick(panel->row(0).radio, Qt::LeftButton);
    mouse().clearLog();
    QTest::mouseClick(panel->row(0).down, Qt::LeftButton);
    EXPECT_EQ(count(kSetDpi), 0);
    EXPECT_EQ(panel->row(0).text->text(), QStringLiteral("1"));
    QTest::mouseClick(panel->row(0).up, Qt::LeftButton);
    EXPECT_EQ(sent(kSetDpi), (std::vector<std::vector<uint8_t>>{{0x00, 0x00, 0x01}}));
    EXPECT_EQ(panel->row(0).text->text(), QStringLiteral("2"));
    QTest::mouseClick(panel->row(3).radio, Qt::LeftButton);
    mouse().clearLog();
    QTest::mouseClick(panel->row(3).up, Qt::LeftButton);
    EXPECT_EQ(count(kSetDpi), 0);

    // Switching another setting off sends its enable byte 1.
    QTest::mouseClick(panel->row(1).sw, Qt::LeftButton);
    ASSERT_EQ(count(kSetDpi), 1);
    EXPECT_EQ(sent(kSetDpi)[0][0], 1);
    EXPECT_EQ(sent(kSetDpi)[0][1], 1);
    EXPECT_EQ(mouse().live()[Mouse::kDpi + 2], 1);
}

TEST_F(MouseSensorPanelTest, LiftOffDistanceAndItsPicture)
{
    open();
    ASSERT_TRUE(panel->lowRadio()->isChecked());
    EXPECT_FALSE(heldPicture(&MouseProfile::TabBodyImagePaths::sensorTabLoDHigh).isDecoded())
        << "a picture is decoded when it is first shown";
    QTest::mouseClick(panel->highRadio(), Qt::LeftButton);
    EXPECT_EQ(sent(kSetLoD), (std::vector<std::vector<uint8_t>>{{0x03}}));
    EXPECT_EQ(mouse().live()[Mouse::kLiftOff], 3);
    EXPECT_TRUE(panel->highRadio()->isChecked());
    EXPECT_FALSE(panel->lowRadio()->isChecked());
    const QImage high = tabPicture(&MouseProfile::TabBodyImagePaths::sensorTabLoDHigh);
    ASSERT_FALSE(high.isNull());
    EXPECT_EQ(panel->keyboardView()->bodyImage(), high);
    EXPECT_TRUE(sendShown());

    mouse().clearLog();
    QTest::mouseClick(panel->highRadio(), Qt::LeftButton);
    EXPECT_TRUE(mouse().writes().empty()) << "the distance shown sends and reads nothing";

    QTest::mouseClick(panel->lowRadio(), Qt::LeftButton);
    EXPECT_EQ(mouse().live()[Mouse::kLiftOff], 2);
    EXPECT_EQ(panel->keyboardView()->bodyImage(), tabPicture(&MouseProfile::TabBodyImagePaths::sensorTabLoDLow));
}

TEST_F(MouseSensorPanelTest, ReadsEverySecondWhileShownAndPausesAfterAClickIntoAField)
{
    open();
    ASSERT_TRUE(panel->isPolling());
    // The mouse's own DPI button selects setting 4.
    mouse().live()[Mouse::kDpiSelected] = 3;
    ASSERT_TRUE(AppHarness::waitFor([&] { return panel->row(3).radio->isChecked(); }, 1000));
    EXPECT_EQ(panel->selectRadio(), 3);

    // A click into the selected field pauses the reads for 3 s (150 ms
    // here): the next read goes out no earlier than that after the click
    // (less the 5 % by which a coarse timer may fire early), however long
    // the machine takes to get there.
    const auto clicked = platform::now();
    QTest::mouseClick(panel->row(3).text, Qt::LeftButton);
    mouse().clearLog();
    ASSERT_TRUE(AppHarness::waitFor([&] { return count(kGetSettings) > 0; }, 10000));
    for (const auto& w : mouse().writes()) {
        if (w.command() == kGetSettings) {
            EXPECT_GE(w.time - clicked, std::chrono::microseconds(150000 * 95 / 100));
        }
    }

    // A click into another setting's field selects it and reads 0.3 s
    // (15 ms here) later.
    ASSERT_TRUE(AppHarness::waitFor([&] { return !panel->isPollingSuspended(); }, 10000));
    mouse().clearLog();
    const auto selectedAt = platform::now();
    QTest::mouseClick(panel->row(0).text, Qt::LeftButton);
    EXPECT_EQ(mouse().live()[Mouse::kDpiSelected], 0);
    EXPECT_TRUE(panel->row(0).radio->isChecked());
    ASSERT_TRUE(AppHarness::waitFor([&] { return count(kGetSettings) > 0; }, 10000));
    for (const auto& w : mouse().writes()) {
        if (w.command() == kGetSettings) {
            EXPECT_GE(w.time - selectedAt, std::chrono::microseconds(15000 * 95 / 100));
        }
    }

    // Another tab: no more reads.
    main->clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::MOtherSetting));
    EXPECT_FALSE(panel->isPolling());
    idle(30);
    mouse().clearLog();
    idle(200);
    EXPECT_EQ(count(kGetSettings), 0);
}

TEST_F(MouseSensorPanelTest, OlderFirmwareLayoutShowsTheSensorSettings)
{
    open([](Mouse& m) {
        m.setLayout(Mouse::Layout::Older);
        m.live()[Mouse::kDpi + 5] = 49;   // setting 3: 5000 dpi
        m.live()[Mouse::kLiftOff] = 3;
    });
    EXPECT_EQ(panel->row(2).text->text(), QStringLiteral("50"));
    EXPECT_TRUE(panel->highRadio()->isChecked());
}

TEST_F(MouseSensorPanelTest, ARefusedDpiCommandRunsTheRecoveryAndMarksNothing)
{
    open([](Mouse& m) { m.live()[Mouse::kDpiSelected] = 0; });
    mouse().inject({.kind = emu::FaultKind::Status, .command = kSetDpi});
    QTest::mouseClick(panel->row(0).up, Qt::LeftButton);
    EXPECT_FALSE(sendShown());
    // The recovery reconnects the mouse, which is still attached.
    ASSERT_TRUE(AppHarness::waitFor([&] { return main->conectDeviceLocation() == int32_t(apptest::kMouseLocation); }));
    EXPECT_EQ(mouse().live()[Mouse::kDpi + 1], Mouse::defaults()[Mouse::kDpi + 1]);
}

TEST_F(MouseSensorPanelTest, ALiftOffFailureThatReplacesTheDeviceEndsQuietly)
{
    open();
    // The mouse leaves the bus on the command: the recovery replaces the
    // device before the panel's read.
    mouse().inject({.kind = emu::FaultKind::Detach, .command = kSetLoD});
    QTest::mouseClick(panel->highRadio(), Qt::LeftButton);
    EXPECT_FALSE(sendShown());
    EXPECT_NE(AppParam::device.get(), nullptr);
    ASSERT_TRUE(AppHarness::waitFor([&] { return main->conectDeviceLocation() == -1; }));
}

TEST_F(MouseSensorPanelTest, AnUnplugDuringThePeriodicReadKeepsTheControls)
{
    open([](Mouse& m) { m.live()[Mouse::kDpi + 1] = 30; });
    const QString before = panel->row(0).text->text();
    mouse().inject({.kind = emu::FaultKind::Detach, .command = kGetSettings});
    ASSERT_TRUE(AppHarness::waitFor([&] { return main->conectDeviceLocation() == -1; }, 2000));
    EXPECT_EQ(panel->row(0).text->text(), before);
    idle(150);   // the timer keeps ticking without a mouse: nothing happens
}

} // namespace

TEST_F(MouseSensorPanelTest, AReadThatFindsNothingChangedRepaintsNothing)
{
    open();
    const auto log = paintsOverReads(panel->keyboardView(), kGetSettings, 3);
    EXPECT_TRUE(log->painted().isEmpty()) << "painted over three reads of unchanged settings: " << names(*log);

    // What does change on the mouse is still shown.
    mouse().live()[Mouse::kLiftOff] = 3;
    ASSERT_TRUE(AppHarness::waitFor([&] { return panel->highRadio()->isChecked(); }, 10000));
    idle(20);
    EXPECT_TRUE(log->painted().contains(QStringLiteral("highRadio")));
    EXPECT_EQ(panel->keyboardView()->bodyImage(), tabPicture(&MouseProfile::TabBodyImagePaths::sensorTabLoDHigh));
}
