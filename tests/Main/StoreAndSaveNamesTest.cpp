// Storing the settings in the device and saving them to a profile file are
// two different actions. The window names each one way wherever it offers it
// (the header's store button and the store rows of the keyboard's and the
// mouse's menus; the header's profile buttons and the profile dialogs), the
// two never share a verb, and every header button fits its title.
#include "AppParam.h"
#include "CustomControl/KeyboardListView.h"
#include "Device/IDeviceEntry.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/TabMenuView.h"
#include "FunctionPanel/FunctionMOtherSettingController.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainView.h"
#include "CustomControl/KeyboardListView.h"
#include "MainViewController.h"
#include "Platform/Strings.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

using apptest::AppHarness;

namespace {

QString verb(const QString& name) { return name.section(QLatin1Char(' '), 0, 0); }

// The title of the store row in the Other tab's menu of the connected device.
QString storeRow(MainViewController& main)
{
    TabMenuView* menu = nullptr;
    if (auto* kb = dynamic_cast<FunctionOtherSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::OtherSetting));
        kb && AppParam::device->deviceType() == DeviceType::Keyboard)
        menu = kb->menuView();
    else if (auto* m = dynamic_cast<FunctionMOtherSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::MOtherSetting)))
        menu = m->menuView();
    TabMenuSettingItemView* row = menu ? menu->row(FunctionItem::ToSaveTheDevice) : nullptr;
    return row ? row->titleString() : QString();
}

} // namespace

TEST(StoreAndSaveNames, StoringInTheDeviceAndSavingAProfileAreNamedApartAndAlike)
{
    AppHarness app;
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();

    // The store row of each kind of device, reached as the user reaches it.
    QStringList rows;
    for (int tile = 0; tile < 2; ++tile) {
        QTest::mouseClick(uitest::WindowProbe::window(main).selectKeybordButton, Qt::LeftButton);
        QTest::mouseClick(uitest::WindowProbe::window(main).keyboardList->detailArray()[size_t(tile)]->view(), Qt::LeftButton);
        const bool keyboard = AppParam::device->deviceType() == DeviceType::Keyboard;
        MainTabView* other = keyboard ? uitest::WindowProbe::tabView(main, FunctionTab::OtherSetting) : uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting);
        apptest::clickTabTitle(other);
        rows << storeRow(main);
        ASSERT_FALSE(rows.back().isEmpty());
    }
    EXPECT_EQ(rows[0], rows[1]) << "the keyboard and the mouse name storing differently";

    AppParam::keyboardSettingsChanged = true;
    main.updateKeyboardSettingsChanged();
    const QString store = uitest::WindowProbe::window(main).sendButton->text();
    EXPECT_EQ(verb(store), verb(rows[0]));
    for (const QPushButton* profile : {uitest::WindowProbe::window(main).saveProfileButton, uitest::WindowProbe::window(main).loadProfileButton})
        EXPECT_NE(verb(profile->text()), verb(store)) << profile->text().toStdString();
    EXPECT_EQ(uitest::WindowProbe::window(main).saveProfileButton->text(), platform::localizedString(QStringLiteral("SaveTheProfile")));
    EXPECT_EQ(uitest::WindowProbe::window(main).loadProfileButton->text(), platform::localizedString(QStringLiteral("LoadTheProfile")));

    // Every header button shows its whole title (and the store button its
    // device picture), right of the tabs and clear of the next button.
    const QRect lastTab = uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting)->geometry();
    int left = lastTab.x() + lastTab.width();
    for (const QPushButton* b : {uitest::WindowProbe::window(main).sendButton, uitest::WindowProbe::window(main).saveProfileButton, uitest::WindowProbe::window(main).loadProfileButton}) {
        SCOPED_TRACE(b->text().toStdString());
        EXPECT_LE(b->sizeHint().width(), b->width());
        EXPECT_GT(b->x(), left);
        left = b->x() + b->width();
    }
    EXPECT_LE(left, uitest::WindowProbe::window(main).mainView->width());
}
