// The APC panel on the whole application with the emulated keyboard: modes
// from the tab's menu, levels from the radio, keys chosen by click and band,
// what reaches the keyboard and what the picture shows, Send, and device
// failures in the middle of an action.
#include "FunctionPanel/FunctionApcSettingController.h"
#include "KeyboardPanelTestSupport.h"
#include "MainView.h"
#include "Platform/Strings.h"
#include "support/ui/WindowProbe.h"

#include <QPushButton>
#include <QRadioButton>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using kbpaneltest::packets;

namespace {

constexpr uint8_t kPerKeyApc = 0x21;
constexpr uint8_t kAllKeysApc = 0x20;

// The byte the keyboard keeps for a level.
uint8_t byteOf(ApcLevel level)
{
    return level == ApcLevel::Middle ? 1 : level == ApcLevel::Low ? 2 : 0;
}

class ApcPanel : public kbpaneltest::KeyboardApp {
protected:
    void SetUp() override
    {
        KeyboardApp::SetUp();
        if (HasFatalFailure())
            return;
        panel = dynamic_cast<FunctionApcSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::ApcSetting));
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting)->tabEnabled());
        clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting));
        ASSERT_EQ(AppParam::functionTabSelect, FunctionTab::ApcSetting);
        view = panel->picture();
        ASSERT_TRUE(view && view->isVisible());
    }

    // Opens the menu by its triangle on the APC tab and clicks the mode's row.
    void chooseMode(FunctionItem mode)
    {
        apptest::clickTabTriangle(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting));
        ASSERT_TRUE(panel->isMenuViewShown());
        TabMenuSettingItemView* row = panel->menuView()->row(mode);
        ASSERT_NE(row, nullptr);
        QTest::mouseClick(row, Qt::LeftButton);
        EXPECT_FALSE(panel->isMenuViewShown());
    }

    void clickLevel(int column) { QTest::mouseClick(panel->levelCell(column), Qt::LeftButton); }

    // The keyboard's live per-key bytes expected from the model's levels.
    std::array<uint8_t, 128> expectedBytes()
    {
        std::array<uint8_t, 128> bytes{};
        const auto levels = FunctionApcSettingController::perKeyLevels(*current());
        for (size_t i = 0; i < 128; ++i)
            bytes[i] = byteOf(levels[i]);
        return bytes;
    }

    FunctionApcSettingController* panel = nullptr;
    KeyboardView* view = nullptr;
};

} // namespace

TEST_F(ApcPanel, SeparateModeGivesClickedAndBandedKeysEachLevel)
{
    EXPECT_TRUE(panel->apcLevelRadio()->isHidden());  // no mode yet after connect
    device->clearLog();
    chooseMode(FunctionItem::Separate);

    // The menu choice sends every key's level in three packets.
    const auto sent = packets(*device, kPerKeyApc);
    ASSERT_EQ(sent.size(), 3u);
    const uint8_t flags[] = {0x41, 0x82, 0xC3};
    const uint8_t lengths[] = {59, 59, 10};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sent[i].flag, flags[i]);
        EXPECT_EQ(sent[i].length, lengths[i]);
    }
    EXPECT_EQ(device->live().apc, expectedBytes());
    EXPECT_EQ(keyboard->apcFunction, FunctionItem::Separate);
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
    EXPECT_FALSE(uitest::WindowProbe::window(*main).sendButton->isHidden());
    EXPECT_FALSE(panel->apcLevelRadio()->isHidden());
    EXPECT_EQ(panel->modeTitle(), platform::localizedString(QStringLiteral("Separate")));
    // A screen reader names the mode in force as well.
    const auto stripRows = uitest::WindowProbe::window(*main).apcTabMenuSelectView->findChildren<TabMenuSettingItemView*>();
    ASSERT_FALSE(stripRows.isEmpty());
    EXPECT_EQ(stripRows.front()->accessibleName(), panel->modeTitle());
    EXPECT_EQ(AppParam::appCropMode, CropMode::AreaButton);

    // Each level: the radio alone sends nothing; a click on one key and a
    // band over two neighbours give them the level on the keyboard and in
    // the picture's tint.
    KeytopEntry& a = perKeyKey(view, 0);
    KeytopEntry& b = perKeyKey(view, 1);
    const struct {
        int column;
        ApcLevel level;
    } levels[] = {{2, ApcLevel::Low}, {0, ApcLevel::High}, {1, ApcLevel::Middle}};
    for (const auto& step : levels) {
        device->clearLog();
        clickLevel(step.column);
        EXPECT_EQ(panel->selectApcLevel(), step.level);
        EXPECT_TRUE(device->commands().empty());

        clickAt(view, pointOf(view, a));
        EXPECT_EQ(device->live().apc[size_t(a.code)], byteOf(step.level));
        EXPECT_EQ(a.apcLevel, step.level);
        EXPECT_EQ(packets(*device, kPerKeyApc).size(), 3u);

        const QPoint pa = pointOf(view, a);
        const QPoint pb = pointOf(view, b);
        dragOver(view, pa - QPoint(2, 2), pb + QPoint(2, 2));
        EXPECT_EQ(b.apcLevel, step.level);
        EXPECT_EQ(device->live().apc, expectedBytes());

        EXPECT_TRUE(kbpaneltest::sameHue(tintAt(view, pb),
                                         FunctionApcSettingController::levelColor(step.level).toQColor()));
    }

    // Send stores what the keyboard holds.
    const int stores = device->storeCount();
    QTest::mouseClick(uitest::WindowProbe::window(*main).sendButton, Qt::LeftButton);
    EXPECT_EQ(device->storeCount(), stores + 1);
    EXPECT_EQ(device->stored().apc, device->live().apc);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
}

TEST_F(ApcPanel, CollectiveModeSendsTheRadioLevelToAllKeysAtOnce)
{
    chooseMode(FunctionItem::Collective);
    auto all = packets(*device, kAllKeysApc);
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].data, std::vector<uint8_t>{byteOf(panel->selectApcLevel())});
    EXPECT_EQ(AppParam::appCropMode, CropMode::None);

    for (const auto& [column, level] : {std::pair{0, ApcLevel::High}, std::pair{2, ApcLevel::Low}}) {
        device->clearLog();
        clickLevel(column);
        all = packets(*device, kAllKeysApc);
        ASSERT_EQ(all.size(), 1u);
        EXPECT_EQ(all[0].data, std::vector<uint8_t>{byteOf(level)});
        EXPECT_EQ(device->live().apcAll, byteOf(level));
        for (uint8_t b : device->live().apc)
            ASSERT_EQ(b, byteOf(level));
        EXPECT_EQ(keyboard->apcLevel, level);
        EXPECT_EQ(keyboard->apcFunction, FunctionItem::Collective);
        // Every key is tinted with the level.
        EXPECT_TRUE(kbpaneltest::sameHue(tintAt(view, pointOf(view, perKeyKey(view, 3))),
                                         FunctionApcSettingController::levelColor(level).toQColor()));
    }
    EXPECT_FALSE(uitest::WindowProbe::window(*main).sendButton->isHidden());

    // The mode in force chosen again sends nothing.
    device->clearLog();
    chooseMode(FunctionItem::Collective);
    EXPECT_TRUE(device->commands().empty());

    // Without a level there is nothing to send, and a healthy keyboard is
    // not dropped.
    const int starts = device->startCount();
    panel->clickApcLevelRadio(3);
    EXPECT_EQ(panel->selectApcLevel(), ApcLevel::None);
    EXPECT_TRUE(device->commands().empty());
    EXPECT_EQ(device->startCount(), starts);
    EXPECT_TRUE(sameKeyboard());
    // Nor is a key selection then a change to send.
    AppParam::keyboardSettingsChanged = false;
    panel->applyKeySelect(view);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(device->commands().empty());
}

TEST_F(ApcPanel, ModeStripShowsUnderTheApcTabWithoutTakingTheTabsClicks)
{
    chooseMode(FunctionItem::Collective);
    TabMenuSettingView* strip = uitest::WindowProbe::window(*main).apcTabMenuSelectView;
    ASSERT_NE(strip, nullptr);
    ASSERT_TRUE(strip->isVisible());
    QWidget* top = uitest::WindowProbe::window(*main).mainView;
    const QRect stripRect(strip->mapTo(top, QPoint(0, 0)), strip->size());
    MainTabView* apcTab = uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting);
    const QRect apcRect(apcTab->mapTo(top, QPoint(0, 0)), apcTab->size());

    // Right under the APC tab, within its width, touching none of the tabs.
    EXPECT_EQ(stripRect.top(), apcRect.bottom() + 1);
    EXPECT_GE(stripRect.left(), apcRect.left());
    EXPECT_LE(stripRect.right(), apcRect.right());
    for (QWidget* tab : {static_cast<QWidget*>(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting)),
                         static_cast<QWidget*>(uitest::WindowProbe::tabView(*main, FunctionTab::GamingSetting)),
                         static_cast<QWidget*>(uitest::WindowProbe::tabView(*main, FunctionTab::OtherSetting))}) {
        const QRect tabRect(tab->mapTo(top, QPoint(0, 0)), tab->size());
        EXPECT_FALSE(stripRect.intersects(tabRect));
        QWidget* hit = top->childAt(tabRect.center());
        EXPECT_TRUE(hit == tab || tab->isAncestorOf(hit));
    }

    // The mode's name is drawn on top of the picture: light text pixels in
    // the strip, none in the same band beside it.
    const QImage shot = top->grab().toImage();
    const qreal dpr = shot.devicePixelRatio();
    auto lightPixelsIn = [&](const QRect& area) {
        int light = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(shot.pixel(int(x * dpr), int(y * dpr))) > 200)
                    ++light;
        return light;
    };
    EXPECT_GT(lightPixelsIn(stripRect), 10);
    EXPECT_EQ(lightPixelsIn(stripRect.translated(stripRect.width() * 2, 0)), 0);

    // The strip stays only while the APC panel shows.
    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::OtherSetting));
    EXPECT_FALSE(strip->isVisible());
}

TEST_F(ApcPanel, OpeningTheTabKeepsTheFlagAndSubstitutesMiddleForNoLevel)
{
    chooseMode(FunctionItem::Separate);
    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::GamingSetting));
    AppParam::keyboardSettingsChanged = false;
    main->updateKeyboardSettingsChanged();
    keyboard->apcLevel = ApcLevel::None;
    device->clearLog();

    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting));
    EXPECT_EQ(keyboard->apcLevel, ApcLevel::Middle);
    EXPECT_TRUE(panel->levelCell(1)->isChecked());
    EXPECT_EQ(panel->selectedMenuItem(), FunctionItem::Separate);  // remembered
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(uitest::WindowProbe::window(*main).sendButton->isHidden());
    EXPECT_TRUE(packets(*device, kPerKeyApc).empty());
    EXPECT_TRUE(packets(*device, kAllKeysApc).empty());
    // Menu rows: choosing None is ignored.
    panel->clickTabMenuItem(nullptr, FunctionItem::None);
    EXPECT_EQ(panel->selectedMenuItem(), FunctionItem::Separate);
}

TEST_F(ApcPanel, KeysWithoutAPlaceInTheListKeepTheirLevelAndNeverIndexIt)
{
    chooseMode(FunctionItem::Separate);
    clickLevel(2);
    KeytopEntry& odd = perKeyKey(view, 0);
    const int oldCode = odd.code;
    odd.code = KeytopEntry::kNoKeyCode;
    const ApcLevel kept = odd.apcLevel;
    device->clearLog();

    clickAt(view, pointOf(view, odd));
    EXPECT_EQ(odd.apcLevel, kept);
    const auto sent = packets(*device, kPerKeyApc);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].length + sent[1].length + sent[2].length, 128);
    EXPECT_EQ(device->live().apc, expectedBytes());
    EXPECT_EQ(FunctionApcSettingController::perKeyLevels(*keyboard)[size_t(oldCode)], ApcLevel::High);
    EXPECT_EQ(FunctionApcSettingController::perKeyLevels(*keyboard).size(), 128u);
}

TEST_F(ApcPanel, AFailedPacketRunsTheRecoveryAndTheWindowStaysUsable)
{
    chooseMode(FunctionItem::Separate);
    clickLevel(2);
    KeytopEntry& key = perKeyKey(view, 0);
    const int code = key.code;
    const int starts = device->startCount();
    device->inject({.kind = emu::FaultKind::Status, .command = kPerKeyApc, .packetNumber = 2});
    device->clearLog();

    clickAt(view, pointOf(view, key));
    // Packet 3 never went out; the keyboard was dropped and connected anew.
    EXPECT_EQ(packets(*device, kPerKeyApc).size(), 2u);
    EXPECT_EQ(device->startCount(), starts + 1);
    EXPECT_FALSE(sameKeyboard());
    ASSERT_TRUE(current());
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(uitest::WindowProbe::window(*main).sendButton->isHidden());

    // The new connection starts without a mode; choosing one works again.
    clickTab(uitest::WindowProbe::tabView(*main, FunctionTab::ApcSetting));
    chooseMode(FunctionItem::Separate);
    clickLevel(2);
    KeytopEntry& again = perKeyKey(view, 0);
    clickAt(view, pointOf(view, again));
    EXPECT_EQ(device->live().apc[size_t(code)], byteOf(ApcLevel::Low));
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
}

TEST_F(ApcPanel, AFailedAllKeysCommandRunsTheRecovery)
{
    chooseMode(FunctionItem::Collective);
    const int starts = device->startCount();
    device->inject({.kind = emu::FaultKind::Drop, .command = kAllKeysApc, .times = -1});
    clickLevel(0);
    device->clearFaults();
    EXPECT_EQ(device->startCount(), starts + 1);
    EXPECT_FALSE(sameKeyboard());
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    // The old model was left as it was.
    EXPECT_NE(keyboard->apcLevel, ApcLevel::High);
}

TEST_F(ApcPanel, WithoutAnOpenKeyboardKeyActionsChangeNothing)
{
    chooseMode(FunctionItem::Separate);
    AppParam::keyboardSettingsChanged = false;
    main->updateKeyboardSettingsChanged();
    clickLevel(2);
    KeytopEntry& key = perKeyKey(view, 0);
    const ApcLevel kept = key.apcLevel;
    keyboard->hidClose();
    device->clearLog();

    clickAt(view, pointOf(view, key));
    EXPECT_EQ(key.apcLevel, kept);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(device->commands().empty());
}
