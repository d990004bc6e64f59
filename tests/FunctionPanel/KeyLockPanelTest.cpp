// The key-lock panel on the whole application with the emulated keyboard:
// the switch, locking and unlocking keys by click, what reaches the keyboard
// and what the picture shows, Send, keys that cannot be locked, a busy
// keyboard and device failures in the middle of an action.
#include "CustomControl/NKButton.h"
#include "FunctionPanel/FunctionGamingSettingController.h"
#include "KeyboardPanelTestSupport.h"
#include "support/ui/WindowProbe.h"

#include <QPushButton>
#include <QTimer>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using kbpaneltest::packets;

namespace {

constexpr uint8_t kLockList = 0x80;
constexpr uint8_t kLockSwitch = 0x82;
constexpr uint8_t kLockSwitchRead = 0x83;

class KeyLockPanel : public kbpaneltest::KeyboardApp {
protected:
    void SetUp() override
    {
        KeyboardApp::SetUp();
        if (HasFatalFailure())
            return;
        panel = dynamic_cast<FunctionGamingSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::GamingSetting));
        ASSERT_NE(panel, nullptr);
        clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::GamingSetting));
        ASSERT_EQ(AppParam::functionTabSelect, FunctionTab::GamingSetting);
        view = panel->picture();
        ASSERT_TRUE(view && view->isVisible());
    }

    void clickSwitch() { QTest::mouseClick(panel->keylockButton(), Qt::LeftButton); }

    // The keyboard's live lock bytes expected from the model.
    std::array<uint8_t, 128> expectedLocks()
    {
        std::array<uint8_t, 128> bytes{};
        const auto locks = FunctionGamingSettingController::keyLockList(*current());
        for (size_t i = 0; i < 128; ++i)
            bytes[i] = locks[i] == KeytopLock::Lock ? 1 : 0;
        return bytes;
    }

    FunctionGamingSettingController* panel = nullptr;
    KeyboardView* view = nullptr;
};

} // namespace

TEST_F(KeyLockPanel, SwitchOnLetsClicksLockAndUnlockKeysAndSwitchOffStops)
{
    ASSERT_FALSE(panel->keylockButton()->isChecked());
    EXPECT_EQ(AppParam::appCropMode, CropMode::None);
    device->clearLog();

    clickSwitch();
    auto sent = packets(*device, kLockSwitch);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].data, std::vector<uint8_t>{1});
    EXPECT_EQ(device->live().lockEnable, 1);
    EXPECT_EQ(keyboard->keyLockEnable, KeyLockFunction::Enable);
    EXPECT_FALSE(uitest::WindowProbe::window(*main).sendButton->isHidden());
    EXPECT_EQ(AppParam::appCropMode, CropMode::PushButton);
    EXPECT_EQ(AppParam::keyDrawMode, KeyDrawFrom::KeyLock);
    EXPECT_TRUE(packets(*device, kLockList).empty());  // the list is not resent

    // A click locks the key: the switch again, then the list in three packets.
    KeytopEntry& key = perKeyKey(view, 0);
    const QPoint at = pointOf(view, key);
    device->clearLog();
    clickAt(view, at);
    EXPECT_EQ(device->commands(), (std::vector<uint8_t>{kLockSwitch, kLockList, kLockList, kLockList}));
    sent = packets(*device, kLockList);
    const uint8_t flags[] = {0x61, 0xA2, 0xE3};
    const uint8_t lengths[] = {59, 59, 10};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sent[i].flag, flags[i]);
        EXPECT_EQ(sent[i].length, lengths[i]);
    }
    EXPECT_EQ(key.lock, KeytopLock::Lock);
    EXPECT_EQ(device->live().lock[size_t(key.code)], 1);
    EXPECT_EQ(device->live().lock, expectedLocks());
    EXPECT_TRUE(kbpaneltest::sameHue(tintAt(view, at), AppParam::ColorButtonKeyLock.toQColor()));
    // Dragging adds no other key: only the key under the press counts.
    KeytopEntry& other = perKeyKey(view, 1);
    dragOver(view, pointOf(view, other), at);
    EXPECT_EQ(other.lock, KeytopLock::Lock);
    EXPECT_EQ(key.lock, KeytopLock::Lock);
    clickAt(view, pointOf(view, other));
    EXPECT_EQ(other.lock, KeytopLock::Unlock);

    // A second click unlocks it.
    clickAt(view, at);
    EXPECT_EQ(key.lock, KeytopLock::Unlock);
    EXPECT_EQ(device->live().lock[size_t(key.code)], 0);
    EXPECT_EQ(tintAt(view, at).alpha(), 0);

    // Lock it again, then Send stores everything.
    clickAt(view, at);
    const int stores = device->storeCount();
    QTest::mouseClick(uitest::WindowProbe::window(*main).sendButton, Qt::LeftButton);
    EXPECT_EQ(device->storeCount(), stores + 1);
    EXPECT_EQ(device->stored().lock, device->live().lock);
    EXPECT_EQ(device->stored().lockEnable, 1);

    // Switch off: one command, the list stays, the picture stops selecting.
    device->clearLog();
    clickSwitch();
    EXPECT_EQ(device->commands(), std::vector<uint8_t>{kLockSwitch});
    EXPECT_EQ(device->live().lockEnable, 0);
    EXPECT_EQ(device->live().lock[size_t(key.code)], 1);
    EXPECT_EQ(AppParam::appCropMode, CropMode::None);
    EXPECT_EQ(tintAt(view, at).alpha(), 0);
    clickAt(view, at);
    EXPECT_EQ(key.lock, KeytopLock::Lock);
    EXPECT_TRUE(packets(*device, kLockList).empty());
}

TEST_F(KeyLockPanel, OpeningTheTabReadsTheSwitchAndKeepsTheFlag)
{
    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting));
    device->live().lockEnable = 1;  // changed on the keyboard itself
    device->clearLog();
    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::GamingSetting));
    EXPECT_EQ(device->commands(), std::vector<uint8_t>{kLockSwitchRead});
    EXPECT_TRUE(panel->keylockButton()->isChecked());
    EXPECT_EQ(keyboard->keyLockEnable, KeyLockFunction::Enable);
    EXPECT_EQ(AppParam::appCropMode, CropMode::PushButton);
    EXPECT_TRUE(uitest::WindowProbe::window(*main).sendButton->isHidden());

    // With unsent changes pending, the tab keeps Send shown.
    AppParam::keyboardSettingsChanged = true;
    main->updateKeyboardSettingsChanged();
    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting));
    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::GamingSetting));
    EXPECT_FALSE(uitest::WindowProbe::window(*main).sendButton->isHidden());
}

TEST_F(KeyLockPanel, KeysWithoutAPlaceInTheListAndIndicatorsNeverReachTheKeyboard)
{
    clickSwitch();
    KeytopEntry& odd = perKeyKey(view, 0);
    KeytopEntry& lamp = perKeyKey(view, 1);
    KeytopEntry& plain = perKeyKey(view, 2);
    const int oddCode = odd.code;
    odd.code = KeytopEntry::kNoKeyCode;
    odd.lock = KeytopLock::Lock;
    lamp.type = KeytopEntryType::LedIndicator;
    device->clearLog();

    for (KeytopEntry* k : {&odd, &lamp, &plain})
        k->select = true;
    panel->applyKeySelect(view);
    EXPECT_EQ(odd.lock, KeytopLock::Lock);         // not toggled
    EXPECT_EQ(lamp.lock, KeytopLock::Lock);        // toggled in the model only
    EXPECT_EQ(plain.lock, KeytopLock::Lock);
    const auto sent = packets(*device, kLockList);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].length + sent[1].length + sent[2].length, 128);
    EXPECT_EQ(device->live().lock[size_t(oddCode)], 0);
    EXPECT_EQ(device->live().lock[size_t(lamp.code)], 0);
    EXPECT_EQ(device->live().lock[size_t(plain.code)], 1);
}

TEST_F(KeyLockPanel, AFailedListPacketRunsTheRecoveryAndTheWindowStaysUsable)
{
    clickSwitch();
    AppParam::keyboardSettingsChanged = false;
    main->updateKeyboardSettingsChanged();
    KeytopEntry& key = perKeyKey(view, 0);
    const int code = key.code;
    const int starts = device->startCount();
    device->inject({.kind = emu::FaultKind::Drop, .command = kLockList, .times = 3, .packetNumber = 2});
    device->clearLog();

    clickAt(view, pointOf(view, key));
    EXPECT_EQ(packets(*device, kLockList).size(), 2u + 2u);  // packet 2 tried three times
    EXPECT_EQ(device->startCount(), starts + 1);
    EXPECT_FALSE(sameKeyboard());
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(uitest::WindowProbe::window(*main).sendButton->isHidden());

    // The reconnected keyboard works from the same tab.
    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::GamingSetting));
    EXPECT_TRUE(panel->keylockButton()->isChecked());  // the keyboard kept the switch
    // The first packet had been taken, so the key may already be locked:
    // the click turns over what the keyboard holds.
    KeytopEntry& again = perKeyKey(view, 0);
    const uint8_t held = device->live().lock[size_t(code)];
    EXPECT_EQ(again.lock == KeytopLock::Lock, held == 1);
    clickAt(view, pointOf(view, again));
    EXPECT_EQ(device->live().lock[size_t(code)], held ? 0 : 1);
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
}

TEST_F(KeyLockPanel, AFailedSwitchCommandRunsTheRecovery)
{
    const int starts = device->startCount();
    device->inject({.kind = emu::FaultKind::Status, .command = kLockSwitch});
    clickSwitch();
    EXPECT_EQ(device->startCount(), starts + 1);
    EXPECT_FALSE(sameKeyboard());
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_EQ(device->live().lockEnable, 0);
    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::GamingSetting));
    EXPECT_FALSE(panel->keylockButton()->isChecked());
    clickSwitch();
    EXPECT_EQ(device->live().lockEnable, 1);
}

TEST_F(KeyLockPanel, ABusyKeyboardIsNotDroppedAndKeepsWhatItHolds)
{
    clickSwitch();
    KeytopEntry& first = perKeyKey(view, 0);
    KeytopEntry& second = perKeyKey(view, 1);
    const int starts = device->startCount();
    // While the first click's commands wait for a late reply, the user
    // clicks a second key: its commands find the keyboard busy.
    device->inject({.kind = emu::FaultKind::Late, .command = kLockSwitch,
                    .delay = std::chrono::milliseconds(300)});
    bool clicked = false;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, view, [&] {
        if (clicked || packets(*device, kLockSwitch).empty())
            return;  // the first command is not on its way yet
        clicked = true;
        poll.stop();
        clickAt(view, pointOf(view, second));
    });
    poll.start();
    device->clearLog();
    clickAt(view, pointOf(view, first));
    ASSERT_TRUE(clicked);
    EXPECT_EQ(device->startCount(), starts);
    EXPECT_TRUE(sameKeyboard());
    EXPECT_EQ(first.lock, KeytopLock::Lock);
    EXPECT_EQ(device->live().lock[size_t(first.code)], 1);
    EXPECT_EQ(second.lock, KeytopLock::Unlock);
    EXPECT_EQ(device->live().lock[size_t(second.code)], 0);
}

TEST_F(KeyLockPanel, WithoutAnOpenKeyboardTheSwitchAndKeysChangeNothing)
{
    keyboard->hidClose();
    device->clearLog();
    clickSwitch();
    EXPECT_FALSE(panel->keylockButton()->isChecked());
    EXPECT_EQ(keyboard->keyLockEnable, KeyLockFunction::Disable);
    KeytopEntry& key = perKeyKey(view, 0);
    key.select = true;
    panel->applyKeySelect(view);
    EXPECT_EQ(key.lock, KeytopLock::Unlock);
    EXPECT_TRUE(device->commands().empty());
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
}
