// A device switch whose store question is up while the picked device leaves
// or moves: the connected mouse has sent changes that it has not stored, and
// whatever the user answers, the window never shows "nothing unsent" while
// the mouse still holds them.
#include "AppParam.h"
#include "CustomControl/KeyboardListView.h"
#include "DeviceListController.h"
#include "FunctionPanel/FunctionMSensorSettingController.h"
#include "MainViewController.h"
#include "MainWindowWidgets.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

using apptest::AppHarness;
using apptest::kKeyboardLocation;
using apptest::kMouseLocation;

namespace {

constexpr uint32_t kElsewhere = 0x02100000;

class SwitchQuestionHotPlug : public ::testing::Test {
protected:
    void SetUp() override
    {
        apptest::HarnessOptions o;
        o.rememberedLocation = int32_t(kMouseLocation);
        app = std::make_unique<AppHarness>(o);
        ASSERT_TRUE(app->start());
        main = &app->controller();
        ASSERT_EQ(main->conectDeviceLocation(), int32_t(kMouseLocation));

        // One DPI step up on the sensor panel: sent, not stored.
        main->clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::MSensorSetting));
        auto* sensor = dynamic_cast<FunctionMSensorSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::MSensorSetting));
        ASSERT_NE(sensor, nullptr);
        QTest::mouseClick(sensor->row(0).up, Qt::LeftButton);
        ASSERT_NE(app->mouse->live(), app->mouse->stored());
        ASSERT_TRUE(sendShown());
    }
    void TearDown() override { app.reset(); }

    bool sendShown() const { return !uitest::WindowProbe::window(*main).sendButton->isHidden(); }
    bool listed(uint32_t location) const { return uitest::WindowProbe::devices(*main).entryAt(int32_t(location)) != nullptr; }

    // Opens the device strip and clicks the tile of the device at `location`.
    void clickTileAt(uint32_t location)
    {
        const auto& list = uitest::WindowProbe::devices(*main).deviceList();
        int tile = 0;
        while (tile < int(list.size()) && list[size_t(tile)].deviceLocation != int32_t(location))
            ++tile;
        ASSERT_LT(tile, int(list.size()));
        QTest::mouseClick(uitest::WindowProbe::window(*main).selectKeybordButton, Qt::LeftButton);
        QTest::mouseClick(uitest::WindowProbe::window(*main).keyboardList->detailArray()[size_t(tile)]->view(), Qt::LeftButton);
    }

    // What the window shows agrees with what the mouse holds.
    void expectUnsentShownWhileHeld(const char* when)
    {
        if (app->mouse->sessionOpen() && app->mouse->live() != app->mouse->stored()) {
            EXPECT_EQ(main->conectDeviceLocation(), int32_t(app->mouse->location())) << when;
            EXPECT_TRUE(AppParam::keyboardSettingsChanged) << when;
            EXPECT_TRUE(sendShown()) << when;
        }
    }

    std::unique_ptr<AppHarness> app;
    MainViewController* main = nullptr;
};

TEST_F(SwitchQuestionHotPlug, PickedKeyboardMovesWhileAskedAndNoKeepsTheMouseChangesShown)
{
    app->answer = [this](const QString& key) {
        EXPECT_EQ(key, QStringLiteral("CheckMouseSettingsSave"));
        app->bus().detach(kKeyboardLocation);
        app->bus().attach(app->keyboard, kElsewhere);
        EXPECT_TRUE(AppHarness::waitFor([&] { return listed(kElsewhere) && !listed(kKeyboardLocation); }));
        return 0;  // No
    };
    clickTileAt(kKeyboardLocation);
    EXPECT_EQ(app->asked.size(), 1u);
    expectUnsentShownWhileHeld("after No to a keyboard that moved");
    EXPECT_EQ(app->mouse->storeCount(), 0);

    // Picked again where it is now, No drops the changes and switches: the
    // mouse gets its stored settings back as it is let go.
    app->answer = [](const QString&) { return 0; };
    clickTileAt(kElsewhere);
    EXPECT_EQ(app->asked.size(), 2u) << "the changes were still unsent, so the user is asked again";
    EXPECT_EQ(main->conectDeviceLocation(), int32_t(kElsewhere));
    EXPECT_TRUE(app->keyboard->sessionOpen());
    EXPECT_EQ(app->mouse->live(), app->mouse->stored());
    EXPECT_FALSE(sendShown());
}

TEST_F(SwitchQuestionHotPlug, PickedKeyboardLeavesWhileAskedWhateverTheAnswer)
{
    for (const int reply : {0, 1}) {
        SCOPED_TRACE(reply);
        if (!app->keyboard->attached()) {
            ASSERT_TRUE(app->bus().attach(app->keyboard, kKeyboardLocation));
            ASSERT_TRUE(AppHarness::waitFor([&] { return listed(kKeyboardLocation); }));
        }
        if (!sendShown()) {
            auto* sensor =
                dynamic_cast<FunctionMSensorSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::MSensorSetting));
            ASSERT_NE(sensor, nullptr);
            QTest::mouseClick(sensor->row(0).up, Qt::LeftButton);
            ASSERT_TRUE(sendShown());
        }
        app->answer = [this, reply](const QString&) {
            app->bus().detach(kKeyboardLocation);
            EXPECT_TRUE(AppHarness::waitFor([&] { return !listed(kKeyboardLocation); }));
            return reply;
        };
        clickTileAt(kKeyboardLocation);
        EXPECT_EQ(main->conectDeviceLocation(), int32_t(kMouseLocation));
        EXPECT_TRUE(app->mouse->sessionOpen());
        expectUnsentShownWhileHeld(reply ? "after Yes" : "after No");
        if (reply == 1) {
            EXPECT_EQ(app->mouse->live(), app->mouse->stored()) << "Yes stored the changes";
        }
    }
}

} // namespace
