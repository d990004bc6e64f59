// Panels without the main window: created with a recording host, they lay
// their views into the host's body and hang their menus from its tabs, their
// commands go to the emulated device on the virtual bus, and what they ask
// of the window (storing, Send) is recorded.
#include "BuildPaths.h"
#include "AppParam.h"
#include "CustomControl/NKButton.h"
#include "CustomControl/TabMenuView.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "FunctionPanel/FunctionMLedSettingController.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "Platform/Clock.h"
#include "ShippedModels.h"
#include "Utility/ProfilePackage.h"
#include "XML/MouseTabPictures.h"
#include "UiLayout.h"
#include "support/EmulatedKeyboard.h"
#include "support/EmulatedMouse.h"
#include "support/RecordingMainController.h"
#include "support/VirtualHidBus.h"
#include "support/ui/RecordingDialogHost.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include <memory>
#include <type_traits>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr uint32_t kLocation = 0x01100000;
using Mouse = emu::EmulatedMouse;

QString shippedPackage(const shipped::Model& m)
{
    return QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/Profile/")
        + QString::fromLatin1(m.packageFile.data(), qsizetype(m.packageFile.size()));
}

class PanelOnRecordingHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedDevice_ = AppParam::device;
        savedLocation_ = AppParam::selectDeviceLocation;
        savedChanged_ = AppParam::keyboardSettingsChanged;
        AppParam::keyboardSettingsChanged = false;
        AppParam::selectDeviceLocation = int32_t(kLocation);
        host.makeBody(layout::kMainWindowSize.toSize());
        host.body->show();
    }
    void TearDown() override
    {
        panel.reset();
        if (device)
            device->hidClose();
        AppParam::device = savedDevice_;
        AppParam::selectDeviceLocation = savedLocation_;
        AppParam::keyboardSettingsChanged = savedChanged_;
    }

    // Attaches `emulated`, connects a model of `shipped` to it as the
    // current device and creates the panel of `tab` with the host.
    template <class Entry>
    std::shared_ptr<Entry> start(std::shared_ptr<emu::EmulatedDevice> emulated, const shipped::Model& model,
                                 FunctionTab tab)
    {
        EXPECT_TRUE(bus->attach(emulated, kLocation));
        auto entry = std::make_shared<Entry>();
        EXPECT_EQ(entry->loadProfile(shippedPackage(model)), AppError::NoError);
        EXPECT_EQ(entry->open(kLocation), AppError::NoError);
        EXPECT_EQ(entry->loadDeviceParam(), AppError::NoError);
        if constexpr (std::is_same_v<Entry, MouseEntry>) {
            // The connect hands a mouse's model its pictures.
            MouseProfile profile;
            EXPECT_EQ(AppUtil::loadProfile(shippedPackage(model), profile, QStringLiteral("Profile.xml")),
                      AppError::NoError);
            profile.profilePath = shippedPackage(model);
            AppError read = AppError::BadParam;
            entry->tabPictures = MouseTabPictures::load(profile, profile.tabBodyImages, read);
            EXPECT_TRUE(entry->tabPictures);
        }
        AppParam::device = device = entry;
        panel = createFunctionPanel(tab, host);
        EXPECT_EQ(panel->keyboardView()->parentWidget(), host.body.get());
        panel->keyboardView()->show();
        panel->initSetting();
        return entry;
    }

    platform::ScopedTimeScale scale{0.1};
    emu::ScopedVirtualBus bus;
    RecordingMainController controller;
    uitest::RecordingDialogHost host;
    std::shared_ptr<IDeviceEntry> device;
    std::unique_ptr<FunctionPanel> panel;

private:
    std::shared_ptr<IDeviceEntry> savedDevice_;
    int32_t savedLocation_ = 0;
    bool savedChanged_ = false;
};

TEST_F(PanelOnRecordingHost, MouseLedColourGoesToTheMouseAndItsPictureToThePanel)
{
    auto emulated = std::make_shared<Mouse>();
    auto mouse = start<MouseEntry>(emulated, shipped::kModels[2], FunctionTab::MLedSetting);
    auto& led = dynamic_cast<FunctionMLedSettingController&>(*panel);
    ASSERT_NE(mouse->color, LedColor::Red);
    const auto shown = [&](LedColor color) {
        return mouse->tabPictures->ledTab(color, mouse->indicatorEnable != Indicator::Enable,
                                          mouse->logoEnable != Logo::Enable);
    };
    ASSERT_FALSE(shown(mouse->color).isNull());
    ASSERT_NE(shown(LedColor::Red), shown(mouse->color));
    EXPECT_EQ(panel->keyboardView()->bodyImage(), shown(mouse->color));
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);

    const int updates = controller.sendUpdates;
    QTest::mouseClick(led.colorButton(int(LedColor::Red)), Qt::LeftButton);
    EXPECT_EQ(emulated->live()[Mouse::kColor], int(LedColor::Red));
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
    EXPECT_GT(controller.sendUpdates, updates);
    EXPECT_EQ(panel->keyboardView()->bodyImage(), shown(LedColor::Red));
    EXPECT_TRUE(controller.deviceErrors.empty());
}

TEST_F(PanelOnRecordingHost, KeyboardOtherMenuHangsFromTheHostTabAndItsRowsReachKeyboardAndHost)
{
    auto emulated = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[0]);
    start<KeyboardEntry>(emulated, shipped::kModels[0], FunctionTab::OtherSetting);
    auto& other = dynamic_cast<FunctionOtherSettingController&>(*panel);
    QWidget* tab = host.tabs.at(FunctionTab::OtherSetting);

    auto choose = [&](FunctionItem item) {
        panel->showMenuView(true);
        TabMenuView* menu = other.menuView();
        ASSERT_TRUE(menu && menu->isShown());
        ASSERT_TRUE(menu->row(item));
        QTest::mouseClick(menu->row(item), Qt::LeftButton);
    };

    panel->showMenuView(true);
    TabMenuSettingItemView* first = other.menuView()->row(FunctionItem::ToSaveTheDevice);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->mapTo(host.body.get(), QPoint(0, 0)), QPoint(tab->x(), tab->y() + tab->height()));
    EXPECT_EQ(first->width(), tab->width());
    panel->closeMenuView(true);

    choose(FunctionItem::CapsLkCtrl);
    EXPECT_EQ(emulated->live().codeChange, 1);
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);

    // Storing is the window's: the panel asks the host and sends nothing.
    emulated->clearLog();
    choose(FunctionItem::ToSaveTheDevice);
    EXPECT_EQ(host.stores, 1);
    EXPECT_TRUE(emulated->commands().empty());
}

} // namespace
