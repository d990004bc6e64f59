// Send while another command of the connected keyboard still waits for its
// reply, in the whole application on the virtual bus: the store is refused as
// busy, the keyboard stays connected with its unsent changes, and the user is
// told that nothing was stored.
#include "AppParam.h"
#include "Device/DeviceCall.h"
#include "Device/KeyboardEntry.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

TEST(BusyDevice, ASendRefusedAsBusyKeepsTheKeyboardAndItsUnsentChanges)
{
    apptest::HarnessOptions options;
    options.mouse = false;
    // Replies may take up to a second here: the late reply below stays
    // well inside that.
    options.timeScale = 0.1;
    apptest::AppHarness app(options);
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    auto kb = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
    ASSERT_TRUE(kb);
    // An unsent change in the keyboard, as a panel leaves it.
    ASSERT_EQ(kb->CMD_SetKeyCodeChange(KeyCodeChange::Enable), AppError::NoError);
    markSettingsChanged();
    ASSERT_FALSE(uitest::WindowProbe::window(main).sendButton->isHidden());
    const int starts = app.keyboard->startCount();
    const int stores = app.keyboard->storeCount();

    // A read waits for its late reply; meanwhile the user presses Send and
    // says Yes.
    app.keyboard->clearLog();
    app.keyboard->inject({.kind = emu::FaultKind::Late, .delay = std::chrono::milliseconds(300)});
    bool clicked = false;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (clicked || app.keyboard->commands().empty())
            return;
        clicked = true;
        poll.stop();
        QTest::mouseClick(uitest::WindowProbe::window(main).sendButton, Qt::LeftButton);
    });
    poll.start();
    (void)kb->loadDeviceStatus(DeviceParamPart::KeyCodeChangeStatus);
    ASSERT_TRUE(clicked);

    EXPECT_EQ(AppParam::device, kb);
    EXPECT_EQ(app.keyboard->startCount(), starts);
    EXPECT_EQ(app.keyboard->storeCount(), stores);
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
    EXPECT_FALSE(uitest::WindowProbe::window(main).sendButton->isHidden());
    EXPECT_EQ(app.asked, (std::vector<QString>{QStringLiteral("CheckKeyboardSettingsSave"),
                                               QStringLiteral("FailedToStoreSettings")}));
    // Once the keyboard is free, Send stores the change.
    QTest::mouseClick(uitest::WindowProbe::window(main).sendButton, Qt::LeftButton);
    EXPECT_EQ(app.keyboard->storeCount(), stores + 1);
    EXPECT_EQ(app.keyboard->stored().codeChange, 1);
    EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isHidden());
}

} // namespace
