// The indicator LED dialog opened from the keyboard's Other tab on the
// virtual bus: live preview of colour and brightness, what OK keeps and
// marks, what Cancel sends back, device failures and unplugging.
#include "AppParam.h"
#include "CustomControl/NKButtonView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogHooks.h"
#include "Dialog/DialogIndicatorLedSettings.h"
#include "Dialog/DialogRegistry.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainViewController.h"
#include "MainView.h"
#include "MainWindowControls.h"
#include "support/RecordingMainController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

constexpr int kOff = 0, kRed = 1, kGreen = 2, kBlue = 3, kWhite = 7;
constexpr uint8_t kSetIndicator = 0x44, kSetBright = 0x42;

HarnessOptions keyboardOnly()
{
    HarnessOptions o;
    o.mouse = false;
    return o;
}

std::shared_ptr<KeyboardEntry> keyboard()
{
    return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
}

std::array<uint8_t, 12> fourTimes(uint8_t r, uint8_t g, uint8_t b)
{
    std::array<uint8_t, 12> out{};
    for (int i = 0; i < 4; ++i) {
        out[size_t(i * 3)] = r;
        out[size_t(i * 3 + 1)] = g;
        out[size_t(i * 3 + 2)] = b;
    }
    return out;
}

// Opens the dialog from the Other tab's menu and runs `drive` inside its
// modal run; returns the dialog's code.
class LedDialogRun {
public:
    explicit LedDialogRun(AppHarness& app) : app_(app), main_(app.controller()) {}

    int run(std::function<void(DialogIndicatorLedSettings*)> drive)
    {
        DialogHooks saved = dialogHooks();
        int code = -1;
        auto hook = saved.indicatorLedSettings;
        dialogHooks().indicatorLedSettings = [&] { return code = hook(); };
        uitest::whenDialogShown(DialogKind::IndicatorLedSettings, [&](ModalDialog* d) {
            auto* dialog = qobject_cast<DialogIndicatorLedSettings*>(d);
            maskDuringRun = bool(main_.maskView);
            helpDuringRun = main_.userManualMenuItem->isEnabled();
            placement = dialog->frameGeometry();
            reference = main_.mainView->frameGeometry();
            // The initial selection comes 0.1 s (scaled) after opening.
            AppHarness::waitFor([&] { return selectedButton(dialog) >= 0 || waited(); }, 200);
            initialSelection = selectedButton(dialog);
            drive(dialog);
        });
        auto* tabView = main_.settingTabView;
        QTest::mouseClick(tabView, Qt::LeftButton, {}, QPoint(20, tabView->height() / 2));
        QTest::mouseClick(tabView, Qt::LeftButton, {}, tabView->triangleRect().center());
        auto* panel = dynamic_cast<FunctionOtherSettingController*>(main_.otherSettingController.get());
        TabMenuSettingItemView* row = panel->menuView()->row(FunctionItem::IndicatorLedSettings);
        if (!row)
            return -2;
        app_.keyboard->clearLog();
        QTest::mouseClick(row, Qt::LeftButton);
        dialogHooks() = saved;
        return code;
    }

    static int selectedButton(DialogIndicatorLedSettings* dialog)
    {
        int found = -1;
        for (int i = 0; i < DialogIndicatorLedSettings::kColorCount; ++i)
            if (dialog->colorButton(i)->buttonValue())
                found = found < 0 ? i : 100;
        return found;
    }

    bool maskDuringRun = false;
    bool helpDuringRun = true;
    int initialSelection = -1;
    QRect placement;
    QRect reference;

private:
    bool waited()
    {
        if (!clock_.isValid())
            clock_.start();
        return clock_.elapsed() > 60;
    }

    AppHarness& app_;
    MainViewController& main_;
    QElapsedTimer clock_;
};

void pressColor(DialogIndicatorLedSettings* d, int index)
{
    QTest::mousePress(d->colorButton(index), Qt::LeftButton);
    QTest::mouseRelease(d->colorButton(index), Qt::LeftButton);
}

} // namespace

TEST(IndicatorLedDialog, ColourAndBrightnessArePreviewedAndOkKeepsThemUntilSend)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    ASSERT_EQ(app.keyboard->live().indicator, fourTimes(0xFF, 0xFF, 0xFF));
    ASSERT_EQ(app.keyboard->live().brightness, 2);
    LedDialogRun opening(app);
    const int code = opening.run([&](DialogIndicatorLedSettings* d) {
        EXPECT_EQ(d->brightnessSlider()->value(), 0);
        pressColor(d, kRed);
        // The red preview: one 0x44 packet, flag 00, LEN 13, index 1, FF 00 00 four times.
        const auto writes = app.keyboard->writes();
        ASSERT_EQ(writes.size(), 1u);
        const auto& b = writes.back().bytes;
        EXPECT_EQ(b[3], kSetIndicator);
        EXPECT_EQ(b[4], 0x00);
        EXPECT_EQ(b[5], 13);
        EXPECT_EQ(b[6], 0x01);
        EXPECT_TRUE(std::equal(b.begin() + 7, b.begin() + 19, fourTimes(0xFF, 0, 0).begin()));
        EXPECT_EQ(app.keyboard->live().indicator, fourTimes(0xFF, 0, 0));
        EXPECT_EQ(LedDialogRun::selectedButton(d), kRed);
        // The selected colour again: nothing sent.
        pressColor(d, kRed);
        EXPECT_EQ(app.keyboard->writes().size(), 1u);
        // The slider's far end is Level0.
        d->brightnessSlider()->setFocus();
        QTest::keyClick(d->brightnessSlider(), Qt::Key_End);
        EXPECT_EQ(app.keyboard->live().brightness, 0);
        EXPECT_EQ(app.keyboard->commands(), (std::vector<uint8_t>{kSetIndicator, kSetBright}));
        // Nothing is marked before OK; the model's colour is still the old one.
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
        EXPECT_EQ(keyboard()->indicatorLedColor.red, 1.0);
        EXPECT_EQ(keyboard()->indicatorLedColor.green, 1.0);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(opening.initialSelection, kWhite);
    EXPECT_TRUE(opening.maskDuringRun);
    EXPECT_FALSE(opening.helpDuringRun);
    // Centred over the main window, its top 80 below the window's top.
    EXPECT_EQ(opening.placement.top(), opening.reference.top() + 80);
    EXPECT_NEAR(opening.placement.center().x(), opening.reference.center().x(), 1);
    auto& main = app.controller();
    EXPECT_FALSE(main.maskView);
    EXPECT_TRUE(main.userManualMenuItem->isEnabled());
    EXPECT_TRUE(DialogRegistry::openDialogs().empty());

    EXPECT_EQ(keyboard()->indicatorLedColor, AppColor::rgba(1, 0, 0, 1));
    EXPECT_EQ(keyboard()->ledBrightness, LedBrightness::Level0);
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
    EXPECT_FALSE(main.sendButton->isHidden());
    EXPECT_EQ(app.keyboard->stored().indicator, fourTimes(0xFF, 0xFF, 0xFF));

    QTest::mouseClick(main.sendButton, Qt::LeftButton);
    EXPECT_EQ(app.keyboard->stored().indicator, fourTimes(0xFF, 0, 0));
    EXPECT_EQ(app.keyboard->stored().brightness, 0);
    EXPECT_TRUE(main.sendButton->isHidden());
}

TEST(IndicatorLedDialog, GoingAwayAndBackSendsTwiceButOkMarksNothing)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    LedDialogRun opening(app);
    const int code = opening.run([&](DialogIndicatorLedSettings* d) {
        pressColor(d, kGreen);
        pressColor(d, kWhite);
        d->brightnessSlider()->setFocus();
        QTest::keyClick(d->brightnessSlider(), Qt::Key_Right);
        QTest::keyClick(d->brightnessSlider(), Qt::Key_Left);
        EXPECT_EQ(app.keyboard->commands(),
                  (std::vector<uint8_t>{kSetIndicator, kSetIndicator, kSetBright, kSetBright}));
        EXPECT_EQ(app.keyboard->live().indicator, fourTimes(0xFF, 0xFF, 0xFF));
        EXPECT_EQ(app.keyboard->live().brightness, 2);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(app.controller().sendButton->isHidden());
}

TEST(IndicatorLedDialog, CancelSendsBackOnlyWhatChanged)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    struct Case {
        bool colour;
        bool brightness;
        std::vector<uint8_t> cancelCommands;
    };
    for (const Case& c : {Case{true, true, {kSetIndicator, kSetBright}}, Case{false, true, {kSetBright}},
                          Case{true, false, {kSetIndicator}}, Case{false, false, {}}}) {
        LedDialogRun opening(app);
        const int code = opening.run([&](DialogIndicatorLedSettings* d) {
            if (c.colour)
                pressColor(d, kOff);
            if (c.brightness) {
                d->brightnessSlider()->setFocus();
                QTest::keyClick(d->brightnessSlider(), Qt::Key_Right);
                EXPECT_EQ(app.keyboard->live().brightness, 1);
            }
            app.keyboard->clearLog();
            QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
            EXPECT_EQ(app.keyboard->commands(), c.cancelCommands);
        });
        EXPECT_EQ(code, 0);
        EXPECT_EQ(app.keyboard->live().indicator, fourTimes(0xFF, 0xFF, 0xFF));
        EXPECT_EQ(app.keyboard->live().brightness, 2);
        EXPECT_EQ(keyboard()->ledBrightness, LedBrightness::Level2);
        EXPECT_EQ(keyboard()->indicatorLedColor, AppColor::rgba(1, 1, 1, 0));
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
        EXPECT_TRUE(app.controller().userManualMenuItem->isEnabled());
    }
}

TEST(IndicatorLedDialog, ColourOutsideTheEightSelectsNoButtonAndOkStoresNothing)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    keyboard()->indicatorLedColor = AppColor::rgba(0.5, 0, 0, 1);
    LedDialogRun opening(app);
    const int code = opening.run([&](DialogIndicatorLedSettings* d) {
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(opening.initialSelection, -1);
    EXPECT_EQ(keyboard()->indicatorLedColor, AppColor::rgba(0.5, 0, 0, 1));
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);

    // An exact red from the keyboard selects Red.
    keyboard()->indicatorLedColor = AppColor::rgba(1, 0, 0, 0);
    LedDialogRun second(app);
    second.run([&](DialogIndicatorLedSettings* d) { QTest::mouseClick(d->cancelButton(), Qt::LeftButton); });
    EXPECT_EQ(second.initialSelection, kRed);
}

TEST(IndicatorLedDialog, FailedPreviewRunsTheRecoveryWhichEndsTheDialog)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    app.keyboard->inject({.kind = emu::FaultKind::Status, .command = kSetBright});
    LedDialogRun opening(app);
    const int code = opening.run([&](DialogIndicatorLedSettings* d) {
        d->brightnessSlider()->setFocus();
        QTest::keyClick(d->brightnessSlider(), Qt::Key_Right);
    });
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(AppHarness::waitFor([&] { return app.keyboard->startCount() == 2; }));
    EXPECT_TRUE(DialogRegistry::openDialogs().empty());
    EXPECT_FALSE(app.controller().maskView);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    // The window goes on: the dialog opens again for the reconnected keyboard.
    LedDialogRun again(app);
    EXPECT_EQ(again.run([&](DialogIndicatorLedSettings* d) {
        pressColor(d, kGreen);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    }), 1);
    EXPECT_EQ(app.keyboard->live().indicator, fourTimes(0, 0xFF, 0));
}

TEST(IndicatorLedDialog, FailedColourRestoreOnCancelSkipsTheBrightnessAndRunsTheRecovery)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    LedDialogRun opening(app);
    const int code = opening.run([&](DialogIndicatorLedSettings* d) {
        pressColor(d, kRed);
        d->brightnessSlider()->setFocus();
        QTest::keyClick(d->brightnessSlider(), Qt::Key_Right);
        app.keyboard->clearLog();
        app.keyboard->inject({.kind = emu::FaultKind::Status, .command = kSetIndicator});
        QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
        // The colour restore was refused; the brightness was not sent back
        // (what follows is the recovery reconnecting and reading).
        const auto sent = app.keyboard->commands();
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.front(), kSetIndicator);
        EXPECT_EQ(std::count(sent.begin(), sent.end(), kSetBright), 0);
    });
    EXPECT_EQ(code, 0);
    ASSERT_TRUE(AppHarness::waitFor([&] { return app.keyboard->startCount() == 2; }));
    EXPECT_EQ(app.keyboard->live().brightness, 1);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
}

TEST(IndicatorLedDialog, UnpluggingTheKeyboardEndsTheDialogWithZero)
{
    AppHarness app(keyboardOnly());
    ASSERT_TRUE(app.start());
    LedDialogRun opening(app);
    bool hiddenAtOnce = false;
    const int code = opening.run([&](DialogIndicatorLedSettings* d) {
        pressColor(d, kBlue);
        app.bus().detach(apptest::kKeyboardLocation);
        AppHarness::waitFor([&] { return !d->isVisible(); }, 1000);
        hiddenAtOnce = !d->isVisible();
    });
    EXPECT_TRUE(hiddenAtOnce);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(DialogRegistry::openDialogs().empty());
    EXPECT_FALSE(app.controller().maskView);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
}

namespace {

// A keyboard model whose LED commands answer as scripted and are counted.
class ScriptedKeyboard : public KeyboardEntry {
public:
    AppError answer = AppError::NoError;
    int colourCommands = 0;
    int brightnessCommands = 0;
    AppError CMD_SetIndicatorLed(int, const std::vector<AppColor>&, bool) override
    {
        ++colourCommands;
        return answer;
    }
    AppError CMD_SetBright(int) override
    {
        ++brightnessCommands;
        return answer;
    }
};

} // namespace

TEST(IndicatorLedDialogErrors, BusyKeyboardOrNoSelectedLocationRunsNoRecoveryAndKeepsTheDialog)
{
    RecordingMainController recorder;
    auto kb = std::make_shared<ScriptedKeyboard>();
    kb->indicatorLedColor = AppColor::rgba(0, 0, 1, 0);
    kb->ledBrightness = LedBrightness::Level1;
    const auto savedDevice = AppParam::device;
    const int32_t savedLocation = AppParam::selectDeviceLocation;
    AppParam::device = kb;
    AppParam::selectDeviceLocation = 0x01100000;
    {
        DialogIndicatorLedSettings dialog;
        dialog.initSelectColorButton();
        EXPECT_EQ(LedDialogRun::selectedButton(&dialog), kBlue);
        EXPECT_EQ(dialog.brightnessSlider()->value(), 1);

        // Busy: another transaction on the keyboard is still waiting.
        kb->answer = AppError::DeviceIsInvalid;
        EXPECT_EQ(dialog.pushColorButton(AppParam::IndicatorColorRed), AppError::DeviceIsInvalid);
        dialog.brightnessSlider()->setValue(2);
        EXPECT_EQ(kb->ledBrightness, LedBrightness::Level0);
        EXPECT_TRUE(recorder.deviceErrors.empty());

        // Broken, but no device location selected: nothing to recover.
        kb->answer = AppError::DevceRead;
        AppParam::selectDeviceLocation = 0;
        EXPECT_EQ(dialog.pushColorButton(AppParam::IndicatorColorGreen), AppError::DevceRead);
        EXPECT_TRUE(recorder.deviceErrors.empty());

        // Broken with a location: the recovery is asked for that location.
        AppParam::selectDeviceLocation = 0x01100000;
        dialog.brightnessSlider()->setValue(0);
        ASSERT_EQ(recorder.deviceErrors.size(), 1u);
        EXPECT_EQ(recorder.deviceErrors.front(), 0x01100000);
        EXPECT_EQ(kb->colourCommands, 2);
        EXPECT_EQ(kb->brightnessCommands, 2);
    }
    AppParam::device = savedDevice;
    AppParam::selectDeviceLocation = savedLocation;
}

TEST(IndicatorLedDialogErrors, ReplacedKeyboardIsLeftAloneByOkAndCancel)
{
    auto kb = std::make_shared<ScriptedKeyboard>();
    kb->indicatorLedColor = AppColor::rgba(1, 1, 1, 0);
    const auto savedDevice = AppParam::device;
    AppParam::device = kb;
    {
        DialogIndicatorLedSettings dialog;
        dialog.mouseDownButtonView(dialog.colorButton(kRed));
        EXPECT_EQ(kb->colourCommands, 1);
        // A recovery replaced the current device meanwhile.
        AppParam::device = std::make_shared<KeyboardEntry>();
        dialog.pushCancel();
        EXPECT_EQ(kb->colourCommands, 1);
        EXPECT_EQ(dialog.result(), 0);
        dialog.pushOK();
        EXPECT_EQ(kb->indicatorLedColor, AppColor::rgba(1, 1, 1, 0));
        EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    }
    AppParam::device = savedDevice;
}
