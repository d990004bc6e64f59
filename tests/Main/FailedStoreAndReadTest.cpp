// Device failures around storing and reading settings, in the whole
// application on the virtual bus: a Send that the device does not carry out
// is told to the user, a failed read after a factory reset reads the
// keyboard again, and a mouse settings reply cut short never costs the
// mouse its stored custom keys.
#include "AppParam.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "FunctionPanel/FunctionMOtherSettingController.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainView.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "Platform/Strings.h"
#include "support/ui/AppHarness.h"
#include "XML/ApplicationProfile.h"
#include "support/ui/WindowProbe.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

HarnessOptions only(bool keyboard)
{
    HarnessOptions o;
    o.keyboard = keyboard;
    o.mouse = !keyboard;
    return o;
}

int count(const std::vector<QString>& asked, const char* key)
{
    return int(std::count(asked.begin(), asked.end(), QString::fromLatin1(key)));
}

constexpr const char* kNotStored = "FailedToStoreSettings";

} // namespace

// The store command refused, or the device pulled out and back while it
// runs: the device is connected again as before, its unsent changes are not
// stored, and the user is told so in a box with one button.
TEST(FailedSend, TheUserIsToldTheSettingsWereNotStored)
{
    ASSERT_TRUE(platform::hasLocalizedString(QString::fromLatin1(kNotStored)));
    for (const bool keyboard : {true, false}) {
        for (const bool unplug : {false, true}) {
            SCOPED_TRACE(std::string(keyboard ? "keyboard" : "mouse") + (unplug ? ", unplugged" : ", refused"));
            AppHarness app(only(keyboard));
            ASSERT_TRUE(app.start());
            MainViewController& main = app.controller();
            emu::EmulatedDevice& dev = keyboard ? static_cast<emu::EmulatedDevice&>(*app.keyboard) : *app.mouse;
            const int32_t location = int32_t(dev.location());
            // An unsent change in the device, as a panel leaves it.
            if (keyboard) {
                auto kb = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
                ASSERT_EQ(kb->CMD_SetKeyCodeChange(KeyCodeChange::Enable), AppError::NoError);
            } else {
                auto mouse = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
                ASSERT_EQ(mouse->CMD_SetLedSetting(4, 0, 0, 0), AppError::NoError);
            }
            AppParam::keyboardSettingsChanged = true;
            main.updateKeyboardSettingsChanged();
            const int starts = dev.startCount();
            const int stores = dev.storeCount();

            if (unplug)
                dev.inject({.kind = emu::FaultKind::Detach, .command = 0x04,
                            .reattachAfter = std::chrono::milliseconds(200)});
            else
                dev.inject({.kind = emu::FaultKind::Status, .command = 0x04});
            QTest::mouseClick(uitest::WindowProbe::window(main).sendButton, Qt::LeftButton);

            ASSERT_TRUE(AppHarness::waitFor([&] {
                return main.conectDeviceLocation() == location && dev.startCount() > starts &&
                       AppParam::device->hidIsOpened();
            }));
            EXPECT_EQ(count(app.asked, kNotStored), 1);
            EXPECT_EQ(app.asked.front(), keyboard ? "CheckKeyboardSettingsSave" : "CheckMouseSettingsSave");
            EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
            // Nothing of the change was stored: a mouse stores its settings
            // as they were before the change when it is let go.
            if (keyboard) {
                EXPECT_EQ(app.keyboard->storeCount(), stores);
                EXPECT_EQ(app.keyboard->stored().codeChange, 0);
            } else {
                EXPECT_EQ(app.mouse->stored()[emu::EmulatedMouse::kColor], 0);
            }
        }
    }
}

namespace {

// Opens the Other tab's menu of the connected device and chooses a row, as
// the user does.
void chooseInOtherMenu(MainViewController& main, FunctionItem item)
{
    const bool mouse = AppParam::device->deviceType() == DeviceType::Mouse;
    MainTabView* tab = mouse ? uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting) : uitest::WindowProbe::tabView(main, FunctionTab::OtherSetting);
    apptest::clickTabTitle(tab);
    apptest::clickTabTriangle(tab);
    TabMenuView* menu =
        mouse ? dynamic_cast<FunctionMOtherSettingController&>(*uitest::WindowProbe::tabPanel(main, FunctionTab::MOtherSetting)).menuView()
              : dynamic_cast<FunctionOtherSettingController&>(*uitest::WindowProbe::tabPanel(main, FunctionTab::OtherSetting)).menuView();
    ASSERT_TRUE(menu && menu->isShown());
    QTest::mouseClick(menu->row(item), Qt::LeftButton);
}

} // namespace

// After a factory reset the device is read again; when that read fails,
// the device is connected again and read afresh, so that the window shows
// what the device holds, with nothing left unsent.
TEST(FactoryReset, FailedReadAfterwardsReadsTheDeviceAgain)
{
    // The keyboard's brightness and its per-key levels; the mouse's settings.
    for (const uint8_t refused : {uint8_t(0x43), uint8_t(0x22), uint8_t(0x05)}) {
        SCOPED_TRACE(int(refused));
        const bool keyboard = refused != 0x05;
        AppHarness app(only(keyboard));
        if (keyboard) {
            app.keyboard->live().apc.fill(2);
            app.keyboard->live().apcAll = 2;
            app.keyboard->stored() = app.keyboard->live();
        } else {
            app.mouse->live()[emu::EmulatedMouse::kColor] = 3;
            app.mouse->stored() = app.mouse->live();
        }
        ASSERT_TRUE(app.start());
        MainViewController& main = app.controller();
        emu::EmulatedDevice& dev = keyboard ? static_cast<emu::EmulatedDevice&>(*app.keyboard) : *app.mouse;
        const int starts = dev.startCount();

        // The factory setting goes through; the read after it is refused.
        dev.inject({.kind = emu::FaultKind::Status, .command = refused});
        chooseInOtherMenu(main, FunctionItem::ToInitialSetting);
        EXPECT_EQ(dev.factoryCount(), 1);

        ASSERT_TRUE(AppHarness::waitFor([&] {
            return dev.startCount() > starts && main.conectDeviceLocation() == int32_t(dev.location()) &&
                   AppParam::device->hidIsOpened();
        }));
        EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
        if (keyboard) {
            auto kb = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
            ASSERT_TRUE(kb);
            int keys = 0;
            for (const KeytopEntry& key : kb->keytopList)
                if (key.hasPerKeySettings()) {
                    ++keys;
                    EXPECT_EQ(key.apcLevel, ApcLevel::Middle) << key.name.toStdString();
                }
            EXPECT_GT(keys, 0);
        } else {
            // The reset was never stored: letting the mouse go put its stored
            // settings back, and those are what the window shows.
            auto mouse = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
            ASSERT_TRUE(mouse);
            EXPECT_EQ(app.mouse->live()[emu::EmulatedMouse::kColor], 3);
            EXPECT_EQ(mouse->color, LedColor(3));
        }
    }
}

// A settings reply too short for the custom keys when the mouse is read at
// connect: the mouse is read again, and its stored custom keys are still
// there after the quit, which writes the mouse's settings back.
TEST(MouseShortReply, StoredCustomKeysSurviveTheQuit)
{
    AppHarness app(only(false));
    // The Other tab reads nothing when it is set up: the connect's own read
    // is the first.
    AppParam::functionTabSelect = FunctionTab::MOtherSetting;
    ASSERT_EQ(ApplicationProfile::save(), AppError::NoError);
    auto& mouse = *app.mouse;
    for (int i = 0; i < 8; ++i)
        mouse.live()[emu::EmulatedMouse::kCustomKeys + i] = uint8_t(0x04 + i);
    mouse.stored() = mouse.live();
    const emu::EmulatedMouse::Record stored = mouse.stored();
    mouse.inject({.kind = emu::FaultKind::Short, .command = 0x05, .value = 27});
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    ASSERT_EQ(main.conectDeviceLocation(), int32_t(mouse.location()));
    auto model = std::dynamic_pointer_cast<MouseEntry>(AppParam::device);
    ASSERT_TRUE(model);
    EXPECT_EQ(model->customKeyList[0].keyCode, 0x05);

    QTest::mouseClick(uitest::WindowProbe::window(main).closeButton, Qt::LeftButton);
    EXPECT_FALSE(uitest::WindowProbe::window(main).mainView->isVisible());
    EXPECT_FALSE(mouse.sessionOpen());
    EXPECT_EQ(mouse.stored(), stored);
}
