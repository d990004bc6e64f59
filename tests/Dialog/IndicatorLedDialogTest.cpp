// The indicator LED dialog opened from the keyboard's Other tab on the
// virtual bus: live preview, what OK keeps and marks, what Cancel sends
// back, device failures and unplugging.
#include "AppParam.h"
#include "CustomControl/NKButtonView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogHooks.h"
#include "Dialog/DialogIndicatorLedSettings.h"
#include "Dialog/DialogRegistry.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Platform/Clock.h"
#include "CustomControl/MainTabView.h"
#include "support/RecordingMainController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"

#include <gtest/gtest.h>

#include "support/VirtualHidBus.h"
#include "support/ui/WindowProbe.h"

#include <QAction>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;
using Dialog = DialogIndicatorLedSettings;
using Bytes = std::vector<uint8_t>;

namespace {

constexpr int kOff = 0, kRed = 1, kGreen = 2, kBlue = 3, kWhite = 7;
constexpr uint8_t kColour = 0x44, kBright = 0x42;

std::array<uint8_t, 12> fourTimes(uint8_t r, uint8_t g, uint8_t b)
{
    return {r, g, b, r, g, b, r, g, b, r, g, b};
}

std::shared_ptr<KeyboardEntry> keyboard() { return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device); }

int selected(Dialog* d)
{
    int found = -1;
    for (int i = 0; i < Dialog::kColorCount; ++i)
        if (d->colorButton(i)->buttonValue())
            found = found < 0 ? i : 100;
    return found;
}

void press(Dialog* d, int index) { QTest::mousePress(d->colorButton(index), Qt::LeftButton); }

void slide(Dialog* d, Qt::Key key)
{
    d->brightnessSlider()->setFocus();
    QTest::keyClick(d->brightnessSlider(), key);
}

// The application with the keyboard; opens the dialog from the Other tab's
// menu and runs `drive` inside its modal run.
struct LedApp {
    LedApp()
        : app([] {
              apptest::HarnessOptions o;
              o.mouse = false;
              return o;
          }())
    {
    }

    int open(const std::function<void(Dialog*)>& drive)
    {
        MainViewController& main = app.controller();
        const DialogHooks saved = dialogHooks();
        int code = -1;
        dialogHooks().indicatorLedSettings = [&] { return code = saved.indicatorLedSettings(); };
        uitest::whenDialogShown(DialogKind::IndicatorLedSettings, [&](ModalDialog* modal) {
            auto* d = qobject_cast<Dialog*>(modal);
            maskAndNoHelp = uitest::WindowProbe::window(main).maskView && !uitest::WindowProbe::window(main).userManualMenuItem->isEnabled();
            placement = d->frameGeometry();
            // The initial selection comes 0.1 s (scaled) after opening; the
            // events are processed once more after 20 ms have passed, however
            // late that is.
            emu::pumpEvents(std::chrono::milliseconds(20));
            initialSelection = selected(d);
            app.keyboard->clearLog();
            drive(d);
        });
        auto* tab = uitest::WindowProbe::tabView(main, FunctionTab::OtherSetting);
        apptest::clickTabTitle(tab);
        apptest::clickTabTriangle(tab);
        auto* panel = dynamic_cast<FunctionOtherSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::OtherSetting));
        QTest::mouseClick(panel->menuView()->row(FunctionItem::IndicatorLedSettings), Qt::LeftButton);
        dialogHooks() = saved;
        return code;
    }
    bool reconnected() { return AppHarness::waitFor([&] { return app.keyboard->startCount() == 2; }); }

    AppHarness app;
    bool maskAndNoHelp = false;
    int initialSelection = -2;
    QRect placement;
};

} // namespace

TEST(IndicatorLedDialog, ChoicesArePreviewedAndOkKeepsThemUntilSend)
{
    LedApp led;
    ASSERT_TRUE(led.app.start());
    auto& kb = *led.app.keyboard;
    MainViewController& main = led.app.controller();
    const int code = led.open([&](Dialog* d) {
        EXPECT_EQ(d->brightnessSlider()->value(), 0);  // Level2
        press(d, kRed);
        // One 0x44 packet: flag 00, LEN 13, index 1, FF 00 00 four times.
        const auto writes = kb.writes();
        ASSERT_EQ(writes.size(), 1u);
        const Bytes& b = writes.back().bytes;
        EXPECT_EQ(Bytes(b.begin() + 3, b.begin() + 7), (Bytes{kColour, 0x00, 13, 0x01}));
        EXPECT_TRUE(std::equal(b.begin() + 7, b.begin() + 19, fourTimes(0xFF, 0, 0).begin()));
        EXPECT_EQ(selected(d), kRed);
        press(d, kRed);  // the colour shown already: nothing sent
        slide(d, Qt::Key_End);
        EXPECT_EQ(kb.commands(), (Bytes{kColour, kBright}));
        EXPECT_EQ(kb.live().indicator, fourTimes(0xFF, 0, 0));
        EXPECT_EQ(kb.live().brightness, 0);
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(led.initialSelection, kWhite);
    EXPECT_TRUE(led.maskAndNoHelp);
    // Centred over the main window, its top 80 below the window's top.
    const QRect ref = uitest::WindowProbe::window(main).mainView->frameGeometry();
    EXPECT_EQ(led.placement.top(), ref.top() + 80);
    EXPECT_NEAR(led.placement.center().x(), ref.center().x(), 1);
    EXPECT_FALSE(uitest::WindowProbe::window(main).maskView);
    EXPECT_TRUE(uitest::WindowProbe::window(main).userManualMenuItem->isEnabled());

    EXPECT_EQ(keyboard()->indicatorLedColor, AppColor::rgba(1, 0, 0, 1));
    EXPECT_EQ(keyboard()->ledBrightness, LedBrightness::Level0);
    EXPECT_FALSE(uitest::WindowProbe::window(main).sendButton->isHidden());
    EXPECT_EQ(kb.stored().indicator, fourTimes(0xFF, 0xFF, 0xFF));
    QTest::mouseClick(uitest::WindowProbe::window(main).sendButton, Qt::LeftButton);
    EXPECT_EQ(kb.stored().indicator, fourTimes(0xFF, 0, 0));
    EXPECT_EQ(kb.stored().brightness, 0);

    // Away and back: two commands each, and OK marks nothing.
    EXPECT_EQ(led.open([&](Dialog* d) {
        press(d, kGreen);
        press(d, kRed);
        slide(d, Qt::Key_Left);
        slide(d, Qt::Key_Right);
        EXPECT_EQ(kb.commands(), (Bytes{kColour, kColour, kBright, kBright}));
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    }), 1);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());

    // A colour that is none of the eight: no button selected, OK keeps it.
    keyboard()->indicatorLedColor = AppColor::rgba(0.5, 0, 0, 1);
    led.open([&](Dialog* d) { QTest::mouseClick(d->okButton(), Qt::LeftButton); });
    EXPECT_EQ(led.initialSelection, -1);
    EXPECT_EQ(keyboard()->indicatorLedColor, AppColor::rgba(0.5, 0, 0, 1));
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
}

TEST(IndicatorLedDialog, CancelSendsBackOnlyWhatChanged)
{
    LedApp led;
    ASSERT_TRUE(led.app.start());
    auto& kb = *led.app.keyboard;
    struct Case {
        bool colour, brightness;
        Bytes restore;
    };
    for (const Case& c : {Case{true, true, {kColour, kBright}}, Case{false, true, {kBright}},
                          Case{true, false, {kColour}}, Case{false, false, {}}}) {
        EXPECT_EQ(led.open([&](Dialog* d) {
            if (c.colour)
                press(d, kOff);
            if (c.brightness)
                slide(d, Qt::Key_Right);
            kb.clearLog();
            QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
            EXPECT_EQ(kb.commands(), c.restore);
        }), 0);
        EXPECT_EQ(kb.live().indicator, fourTimes(0xFF, 0xFF, 0xFF));
        EXPECT_EQ(kb.live().brightness, 2);
        EXPECT_EQ(keyboard()->ledBrightness, LedBrightness::Level2);
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
        EXPECT_TRUE(uitest::WindowProbe::window(led.app.controller()).userManualMenuItem->isEnabled());
    }
}

TEST(IndicatorLedDialog, FailuresRunTheRecoveryWhichEndsTheDialog)
{
    {
        LedApp led;
        ASSERT_TRUE(led.app.start());
        led.app.keyboard->inject({.kind = emu::FaultKind::Status, .command = kBright});
        EXPECT_EQ(led.open([&](Dialog* d) { slide(d, Qt::Key_Right); }), 0);
        ASSERT_TRUE(led.reconnected());
        EXPECT_TRUE(DialogRegistry::openDialogs().empty());
        EXPECT_FALSE(uitest::WindowProbe::window(led.app.controller()).maskView);
        // The window goes on with the reconnected keyboard.
        EXPECT_EQ(led.open([&](Dialog* d) {
            press(d, kGreen);
            QTest::mouseClick(d->okButton(), Qt::LeftButton);
        }), 1);
        EXPECT_EQ(led.app.keyboard->live().indicator, fourTimes(0, 0xFF, 0));
    }
    {
        // A failed colour restore on Cancel skips the brightness restore.
        LedApp led;
        ASSERT_TRUE(led.app.start());
        auto& kb = *led.app.keyboard;
        EXPECT_EQ(led.open([&](Dialog* d) {
            press(d, kRed);
            slide(d, Qt::Key_Right);
            kb.clearLog();
            kb.inject({.kind = emu::FaultKind::Status, .command = kColour});
            QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
            const Bytes sent = kb.commands();  // then the recovery's reads
            ASSERT_FALSE(sent.empty());
            EXPECT_EQ(sent.front(), kColour);
            EXPECT_EQ(std::count(sent.begin(), sent.end(), kBright), 0);
        }), 0);
        ASSERT_TRUE(led.reconnected());
        EXPECT_EQ(kb.live().brightness, 1);
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    }
}

TEST(IndicatorLedDialog, UnpluggingTheKeyboardEndsTheDialogWithZero)
{
    LedApp led;
    ASSERT_TRUE(led.app.start());
    bool hiddenAtOnce = false;
    EXPECT_EQ(led.open([&](Dialog* d) {
        press(d, kBlue);
        led.app.bus().detach(apptest::kKeyboardLocation);
        AppHarness::waitFor([&] { return !d->isVisible(); }, 1000);
        hiddenAtOnce = !d->isVisible();
    }), 0);
    EXPECT_TRUE(hiddenAtOnce);
    EXPECT_TRUE(DialogRegistry::openDialogs().empty());
    EXPECT_FALSE(uitest::WindowProbe::window(led.app.controller()).maskView);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
}

namespace {

// A keyboard model whose LED commands answer as scripted.
struct Scripted : KeyboardEntry {
    AppError answer = AppError::NoError;
    AppError CMD_SetIndicatorLed(int, const std::vector<AppColor>&, bool) override { return answer; }
    AppError CMD_SetBright(int) override { return answer; }
};

} // namespace

TEST(IndicatorLedDialog, OneSwatchIsFramedWhenTheFirstSelectionFollowsAChoice)
{
    auto kb = std::make_shared<Scripted>();
    kb->indicatorLedColor = AppParam::IndicatorColorWhite;
    const auto savedDevice = AppParam::device;
    AppParam::device = kb;
    {
        platform::ScopedTimeScale fast(0.1);
        Dialog dialog;
        // Chosen before the first selection, after the keyboard was replaced:
        // framed, though nothing could be sent.
        AppParam::device = nullptr;
        press(&dialog, kRed);
        emu::pumpEvents(std::chrono::milliseconds(60));
        const int framed = selected(&dialog);
        EXPECT_TRUE(framed >= 0 && framed < Dialog::kColorCount) << framed;
    }
    AppParam::device = savedDevice;
}

TEST(IndicatorLedDialog, BusyKeyboardOrNoLocationRunsNoRecovery)
{
    RecordingMainController recorder;
    auto kb = std::make_shared<Scripted>();
    kb->indicatorLedColor = AppColor::rgba(0, 0, 1, 0);
    const auto savedDevice = AppParam::device;
    const int32_t savedLocation = AppParam::selectDeviceLocation;
    AppParam::device = kb;
    AppParam::selectDeviceLocation = 0x01100000;
    {
        Dialog dialog;
        dialog.initSelectColorButton();
        EXPECT_EQ(selected(&dialog), kBlue);
        kb->answer = AppError::DeviceIsInvalid;  // another transaction is waiting
        EXPECT_EQ(dialog.pushColorButton(AppParam::IndicatorColorRed), AppError::DeviceIsInvalid);
        dialog.brightnessSlider()->setValue(2);
        kb->answer = AppError::DevceRead;
        AppParam::selectDeviceLocation = 0;
        EXPECT_EQ(dialog.pushColorButton(AppParam::IndicatorColorGreen), AppError::DevceRead);
        EXPECT_TRUE(recorder.deviceErrors.empty());
        AppParam::selectDeviceLocation = 0x01100000;
        dialog.brightnessSlider()->setValue(0);
        EXPECT_EQ(recorder.deviceErrors, std::vector<int32_t>{0x01100000});
    }
    AppParam::device = savedDevice;
    AppParam::selectDeviceLocation = savedLocation;
}
