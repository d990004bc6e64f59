// The function tabs as the user meets them on a connected keyboard and on a
// connected mouse: every stored tab value shows the panel of its position
// with the tab row drawn for it, a click on each tab picks that tab, only
// the tabs with a menu open one from their triangle, and changing the
// connected device closes whatever tab menu was open.
#include "AppParam.h"
#include "CustomControl/KeyboardListView.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/IDeviceEntry.h"
#include "FunctionPanel/FunctionPanel.h"
#include "KeyboardView/KeyboardView.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QPushButton>
#include <QTest>

#include <algorithm>

#include <gtest/gtest.h>

#include <vector>

using apptest::AppHarness;
using apptest::HarnessOptions;

namespace {

using T = FunctionTab;

const T kAllValues[] = {T::None,         T::ApcSetting,  T::LedSetting,     T::GamingSetting, T::OtherSetting,
                        T::MButtonSetting, T::MLedSetting, T::MSensorSetting, T::MOtherSetting};

// Each kind's tabs, left to right.
const std::vector<T> kKeyboardRow = {T::ApcSetting, T::GamingSetting, T::OtherSetting};
const std::vector<T> kMouseRow = {T::MButtonSetting, T::MLedSetting, T::MSensorSetting, T::MOtherSetting};

// The tab whose panel a stored value shows, by its position in the row: 1
// for the APC, LED and button values, 2 for key lock and mouse LED, 3 for
// the keyboard other settings and the sensor, 4 for the mouse other
// settings; a position the row lacks (and None) shows its last tab.
T shownOnKeyboard(T value)
{
    switch (value) {
    case T::ApcSetting:
    case T::LedSetting:
    case T::MButtonSetting: return T::ApcSetting;
    case T::GamingSetting:
    case T::MLedSetting: return T::GamingSetting;
    default: return T::OtherSetting;
    }
}

T shownOnMouse(T value)
{
    switch (value) {
    case T::ApcSetting:
    case T::LedSetting:
    case T::MButtonSetting: return T::MButtonSetting;
    case T::GamingSetting:
    case T::MLedSetting: return T::MLedSetting;
    case T::OtherSetting:
    case T::MSensorSetting: return T::MSensorSetting;
    default: return T::MOtherSetting;
    }
}

HarnessOptions bothDevicesKeyboardFirst()
{
    HarnessOptions o;
    o.rememberedLocation = int32_t(apptest::kKeyboardLocation);
    return o;
}

void connectTile(MainViewController& main, int index)
{
    QTest::mouseClick(uitest::WindowProbe::window(main).selectKeybordButton, Qt::LeftButton);
    ASSERT_LT(index, int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()));
    QTest::mouseClick(uitest::WindowProbe::window(main).keyboardList->detailArray()[size_t(index)]->view(), Qt::LeftButton);
}

// Checks what the window shows for each stored value on the connected kind.
void checkEveryValue(MainViewController& main, const std::vector<T>& row, const std::vector<T>& otherRow,
                     T (*shown)(T))
{
    for (T value : kAllValues) {
        SCOPED_TRACE(int(value));
        uitest::WindowProbe::selectFunctionTab(main, value);
        const T expected = shown(value);
        EXPECT_EQ(AppParam::functionTabSelect, value);
        EXPECT_EQ(uitest::WindowProbe::panelFor(main, value), uitest::WindowProbe::tabPanel(main, expected));
        EXPECT_EQ(uitest::WindowProbe::currentKeyboardView(main), uitest::WindowProbe::tabPanel(main, expected)->keyboardView());
        EXPECT_FALSE(uitest::WindowProbe::currentKeyboardView(main)->isHidden());
        const auto at = std::find(row.begin(), row.end(), expected) - row.begin();
        for (long i = 0; i < long(row.size()); ++i) {
            MainTabView* tab = uitest::WindowProbe::tabView(main, row[size_t(i)]);
            EXPECT_FALSE(tab->isHidden());
            EXPECT_EQ(tab->tabStatus(), i == at ? TabStatus::active : TabStatus::notActive);
            EXPECT_EQ(tab->tabGradient(), i == at  ? TabGradient::none
                                          : i < at ? TabGradient::right
                                                   : TabGradient::left);
        }
        for (T other : otherRow)
            EXPECT_TRUE(uitest::WindowProbe::tabView(main, other)->isHidden());
        // The APC mode strip stands under the APC tab only while its panel shows.
        EXPECT_EQ(uitest::WindowProbe::window(main).apcTabMenuSelectView->isHidden(), expected != T::ApcSetting);
    }
}

} // namespace

TEST(FunctionTabTable, EveryStoredTabShowsThePanelOfItsPositionOnEitherKind)
{
    AppHarness app(bothDevicesKeyboardFirst());
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Keyboard);
    checkEveryValue(main, kKeyboardRow, kMouseRow, shownOnKeyboard);

    connectTile(main, 1);
    ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Mouse);
    checkEveryValue(main, kMouseRow, kKeyboardRow, shownOnMouse);
}

TEST(FunctionTabTable, AClickOnEachTabPicksItAndRemembersAnOtherSettingsPickPerKind)
{
    AppHarness app(bothDevicesKeyboardFirst());
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    for (const auto& [row, kind] :
         {std::pair(kKeyboardRow, DeviceType::Keyboard), std::pair(kMouseRow, DeviceType::Mouse)}) {
        if (kind == DeviceType::Mouse)
            connectTile(main, 1);
        ASSERT_EQ(AppParam::device->deviceType(), kind);
        // Right to left, so that every click lands on a tab not on show.
        for (auto it = row.rbegin(); it != row.rend(); ++it) {
            QTest::mouseClick(uitest::WindowProbe::tabView(main, *it), Qt::LeftButton, {}, QPoint(20, 20));
            EXPECT_EQ(AppParam::functionTabSelect, *it);
            EXPECT_EQ(uitest::WindowProbe::currentKeyboardView(main), uitest::WindowProbe::tabPanel(main, *it)->keyboardView());
        }
    }
    // The mouse's button tab was picked last: back on the keyboard, the
    // other-settings tab is not forced on it.
    connectTile(main, 0);
    ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Keyboard);
    EXPECT_NE(AppParam::functionTabSelect, T::OtherSetting);
    // A pick of the mouse's other-settings tab becomes the keyboard's.
    connectTile(main, 1);
    QTest::mouseClick(uitest::WindowProbe::tabView(main, T::MOtherSetting), Qt::LeftButton, {}, QPoint(20, 20));
    connectTile(main, 0);
    ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Keyboard);
    EXPECT_EQ(AppParam::functionTabSelect, T::OtherSetting);
}

TEST(FunctionTabTable, OnlyTabsWithAMenuOpenOneAndADeviceChangeClosesIt)
{
    AppHarness app(bothDevicesKeyboardFirst());
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    const std::vector<T> withMenu = {T::ApcSetting, T::OtherSetting, T::MButtonSetting, T::MOtherSetting};
    auto hasMenu = [&](T tab) { return std::find(withMenu.begin(), withMenu.end(), tab) != withMenu.end(); };

    for (const auto& [row, tile] : {std::pair(kKeyboardRow, 0), std::pair(kMouseRow, 1)}) {
        if (tile == 1)
            connectTile(main, 1);
        for (T tab : row) {
            SCOPED_TRACE(int(tab));
            main.clickTab(uitest::WindowProbe::tabView(main, tab));
            main.clickTabMenuIcon(uitest::WindowProbe::tabView(main, tab));
            FunctionPanel* panel = uitest::WindowProbe::tabPanel(main, tab);
            if (hasMenu(tab)) {
                ASSERT_TRUE(AppHarness::waitFor([&] { return panel->isMenuViewShown(); }));
                // A second press on the triangle closes it again.
                main.clickTabMenuIcon(uitest::WindowProbe::tabView(main, tab));
                EXPECT_TRUE(AppHarness::waitFor([&] { return !panel->isMenuViewShown(); }));
            } else {
                AppHarness::waitFor([] { return false; }, 30);
                for (T any : withMenu)
                    EXPECT_FALSE(uitest::WindowProbe::tabPanel(main, any)->isMenuViewShown());
            }
        }
    }

    // The mouse's other-settings menu is open when the keyboard is picked
    // from the strip: the menu goes with the device it belonged to.
    main.clickTab(uitest::WindowProbe::tabView(main, T::MOtherSetting));
    main.clickTabMenuIcon(uitest::WindowProbe::tabView(main, T::MOtherSetting));
    ASSERT_TRUE(uitest::WindowProbe::tabPanel(main, T::MOtherSetting)->isMenuViewShown());
    connectTile(main, 0);
    ASSERT_EQ(AppParam::device->deviceType(), DeviceType::Keyboard);
    EXPECT_FALSE(uitest::WindowProbe::tabPanel(main, T::MOtherSetting)->isMenuViewShown());

    // The keyboard's other-settings menu is open when the keyboard leaves.
    main.clickTab(uitest::WindowProbe::tabView(main, T::OtherSetting));
    main.clickTabMenuIcon(uitest::WindowProbe::tabView(main, T::OtherSetting));
    ASSERT_TRUE(uitest::WindowProbe::tabPanel(main, T::OtherSetting)->isMenuViewShown());
    app.bus().detach(apptest::kKeyboardLocation);
    ASSERT_TRUE(AppHarness::waitFor([] { return AppParam::device->deviceType() == DeviceType::Mouse; }));
    EXPECT_FALSE(uitest::WindowProbe::tabPanel(main, T::OtherSetting)->isMenuViewShown());
}
