// A device found in its updater with an interrupted firmware update pending,
// in the whole application on the virtual bus: it refuses everything but the
// update. Connecting it opens the session, reads its identity and, after the
// retry question, tries its settings; its Other tab's set-up sends it
// nothing, also for a keyboard whose model has effects to stop. No refusal
// runs the recovery: the device stays connected, the retry question comes
// once, and the update can be chosen. A healthy device whose start was
// refused once answers the settings read and is used as any other; pulled
// out (and back in) while its retry question is up, it is followed.
#include "AppParam.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/KeyboardEntry.h"
#include "DeviceListController.h"
#include "FunctionPanel/FunctionMOtherSettingController.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainView.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using apptest::AppHarness;

namespace {

constexpr uint8_t kStartEnd = 0x01, kInfo = 0x02;

class AwaitingUpdateQuiet : public ::testing::TestWithParam<bool> {
protected:
    bool mouse() const { return GetParam(); }

    void SetUp() override
    {
        apptest::HarnessOptions o;
        o.keyboard = !mouse();
        o.mouse = mouse();
        app = std::make_unique<AppHarness>(o);
        dev = mouse() ? std::shared_ptr<emu::EmulatedDevice>(app->mouse) : app->keyboard;
        dev->setUpdatePending(true);
        dev->setMode(emu::EmulatedDevice::Mode::Updater);
        ASSERT_TRUE(app->start());
        ASSERT_TRUE(AppHarness::waitFor([this] { return retryQuestions() == 1; }));
    }

    MainViewController& main() { return app->controller(); }
    FunctionTab otherFunction() const { return mouse() ? FunctionTab::MOtherSetting : FunctionTab::OtherSetting; }
    int retryQuestions() const
    {
        return int(std::count(app->asked.begin(), app->asked.end(), QStringLiteral("RetryFirmwareUpdate")));
    }
    // Commands other than the session's start or end and the identity.
    std::vector<int> refusedKinds() const
    {
        std::vector<int> out;
        for (uint8_t c : dev->commands())
            if (c != kStartEnd && c != kInfo)
                out.push_back(c);
        return out;
    }
    void expectConnectedOnTheOtherTab()
    {
        EXPECT_EQ(main().conectDeviceLocation(), int32_t(dev->location()));
        EXPECT_TRUE(AppParam::device->hidIsOpened());
        EXPECT_EQ(AppParam::functionTabSelect, otherFunction());
        EXPECT_EQ(retryQuestions(), 1);
        EXPECT_EQ(app->asked.size(), 1u);
    }
    TabMenuView* otherMenu()
    {
        if (mouse())
            return dynamic_cast<FunctionMOtherSettingController&>(*uitest::WindowProbe::tabPanel(main(), otherFunction())).menuView();
        return dynamic_cast<FunctionOtherSettingController&>(*uitest::WindowProbe::tabPanel(main(), otherFunction())).menuView();
    }

    std::unique_ptr<AppHarness> app;
    std::shared_ptr<emu::EmulatedDevice> dev;
};

} // namespace

TEST_P(AwaitingUpdateQuiet, TheRefusedSettingsReadRunsNoRecovery)
{
    // A little longer, for anything the connect might still send.
    QTest::qWait(50);
    EXPECT_EQ(dev->startCount(), 1);
    expectConnectedOnTheOtherTab();
}

TEST_P(AwaitingUpdateQuiet, TheOtherTabSendsNothingAndTheUpdateStaysOffered)
{
    if (!mouse()) {
        // A keyboard model with effects to stop: none of the shipped
        // descriptions has them, the set-up would send the stop otherwise.
        auto keyboard = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
        ASSERT_TRUE(keyboard);
        keyboard->supportRGBLED = true;
    }
    dev->clearLog();
    // The shown tab set up once more, as the window does when it shows it.
    uitest::WindowProbe::selectFunctionTab(main(), otherFunction());
    QTest::qWait(50);
    EXPECT_TRUE(dev->commands().empty()) << dev->commands().size() << " commands, the first "
                                         << (dev->commands().empty() ? 0 : int(dev->commands().front()));
    expectConnectedOnTheOtherTab();

    MainTabView* tab = uitest::WindowProbe::tabView(main(), otherFunction());
    apptest::clickTabTriangle(tab);
    ASSERT_TRUE(otherMenu() && otherMenu()->isShown());
    ASSERT_NE(otherMenu()->row(FunctionItem::FWUpdate), nullptr);
    EXPECT_TRUE(otherMenu()->row(FunctionItem::FWUpdate)->isEnable());
}

INSTANTIATE_TEST_SUITE_P(KeyboardAndMouse, AwaitingUpdateQuiet, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Mouse" : "Keyboard");
                         });

class StartRefusedOnce : public ::testing::TestWithParam<bool> {};

TEST_P(StartRefusedOnce, TheSettingsAreReadAfterTheQuestionAndTheTabsCanBeUsed)
{
    const bool mouse = GetParam();
    AppHarness app(apptest::devices(!mouse, mouse));
    const std::shared_ptr<emu::EmulatedDevice> dev =
        mouse ? std::shared_ptr<emu::EmulatedDevice>(app.mouse) : app.keyboard;
    dev->inject({.kind = emu::FaultKind::Status, .command = kStartEnd});
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    const FunctionTab settings = mouse ? FunctionTab::MButtonSetting : FunctionTab::GamingSetting;
    ASSERT_TRUE(AppHarness::waitFor([&] { return uitest::WindowProbe::tabView(main, settings)->tabEnabled(); }));
    EXPECT_EQ(app.asked, std::vector<QString>{"RetryFirmwareUpdate"});
    EXPECT_TRUE(uitest::WindowProbe::window(main).saveProfileButton->isEnabled());
    const auto sent = dev->commands();
    EXPECT_TRUE(std::any_of(sent.begin(), sent.end(), [](uint8_t c) { return c != kStartEnd && c != kInfo; }));
    EXPECT_EQ(main.conectDeviceLocation(), int32_t(dev->location()));
}

// The device is pulled out while the first connect's retry question is up,
// and left out or plugged in again: the window follows, as it does later on.
TEST_P(StartRefusedOnce, UnplugWhileTheQuestionIsUpIsFollowed)
{
    const bool mouse = GetParam();
    const FunctionTab settings = mouse ? FunctionTab::MButtonSetting : FunctionTab::GamingSetting;
    for (const bool back : {false, true}) {
        SCOPED_TRACE(back ? "plugged in again" : "left out");
        AppHarness app(apptest::devices(!mouse, mouse));
        const std::shared_ptr<emu::EmulatedDevice> dev =
            mouse ? std::shared_ptr<emu::EmulatedDevice>(app.mouse) : app.keyboard;
        const uint32_t location = dev->location();
        dev->inject({.kind = emu::FaultKind::Status, .command = kStartEnd});
        app.answer = [&](const QString&) {
            app.bus().detach(location);
            if (back)
                app.bus().attach(dev, location);
            // The bus's notices come while the question is still up.
            AppHarness::waitFor([] { return false; }, 50);
            return 1;
        };
        ASSERT_TRUE(app.start());
        MainViewController& main = app.controller();
        if (back) {
            ASSERT_TRUE(AppHarness::waitFor([&] { return uitest::WindowProbe::tabView(main, settings)->tabEnabled(); }));
            EXPECT_EQ(main.conectDeviceLocation(), int32_t(location));
            EXPECT_TRUE(dev->sessionOpen());
        } else {
            ASSERT_TRUE(AppHarness::waitFor([&] { return main.conectDeviceLocation() == -1; }));
            EXPECT_FALSE(uitest::WindowProbe::window(main).keyboardErrorView->isHidden());
        }
        EXPECT_EQ(app.asked, std::vector<QString>{"RetryFirmwareUpdate"});
    }
}

INSTANTIATE_TEST_SUITE_P(KeyboardAndMouse, StartRefusedOnce, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Mouse" : "Keyboard");
                         });
