// A firmware update started from the Other tab whose file goes wrong after
// the file dialog checked it (removed, damaged, replaced by an image for
// another model), in the whole application on the virtual bus: the user is
// told of the file, nothing reaches the device, and the device stays
// connected as it was, its unsent changes included. A failure of the device
// itself still has the device dropped and connected again.
#include "AppParam.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/DialogFirmwareFileSelect.h"
#include "Dialog/DialogHooks.h"
#include "DeviceListController.h"
#include "FunctionPanel/FunctionMOtherSettingController.h"
#include "FunctionPanel/FunctionMSensorSettingController.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainViewController.h"
#include "MainWindowWidgets.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/ScriptedFileChooser.h"
#include "support/ui/WindowProbe.h"

#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

using apptest::AppHarness;

namespace {

constexpr uint8_t kReboot = 0xE0;

enum class Tamper { Removed, Damaged, OtherModel, DeviceRefusesReboot };

class FirmwareFileProblem : public ::testing::TestWithParam<bool /*mouse*/> {
protected:
    void SetUp() override
    {
        apptest::HarnessOptions o;
        o.rememberedLocation = int32_t(mouse() ? apptest::kMouseLocation : apptest::kKeyboardLocation);
        app = std::make_unique<AppHarness>(o);
        ASSERT_TRUE(app->start());
        if (mouse())
            dev = app->mouse;
        else
            dev = app->keyboard;
        ASSERT_EQ(main().conectDeviceLocation(), int32_t(dev->location()));
        const auto& d = AppParam::device;
        file = app->workFolder() + QStringLiteral("/fw.vxb");
        good = fwtest::makeFirmware(d->modelNumber().value_or(QString()).toLatin1(),
                                    fwtest::versionBytes(*d->firmwareVersionCompare()));
        ASSERT_TRUE(fwtest::writeFile(file, good));
    }
    void TearDown() override
    {
        dialogHooks() = savedHooks;
        app.reset();
    }

    bool mouse() const { return GetParam(); }
    MainViewController& main() { return app->controller(); }
    bool sendShown() { return !uitest::WindowProbe::window(main()).sendButton->isHidden(); }
    int reboots() const
    {
        const auto all = dev->commands();
        return int(std::count(all.begin(), all.end(), kReboot));
    }

    // A mouse change sent and not stored: one DPI step up on the sensor tab.
    void changeTheMouse()
    {
        main().clickTab(uitest::WindowProbe::tabView(main(), FunctionTab::MSensorSetting));
        auto* sensor = dynamic_cast<FunctionMSensorSettingController*>(uitest::WindowProbe::tabPanel(main(), FunctionTab::MSensorSetting));
        ASSERT_NE(sensor, nullptr);
        QTest::mouseClick(sensor->row(0).up, Qt::LeftButton);
        ASSERT_NE(app->mouse->live(), app->mouse->stored());
        ASSERT_TRUE(sendShown());
    }

    // The Other tab, its menu, the firmware row; the file chosen and
    // confirmed in the file dialog, after which `tamper` acts on it.
    void updateFromTheOtherTab(Tamper tamper)
    {
        const FunctionTab other = mouse() ? FunctionTab::MOtherSetting : FunctionTab::OtherSetting;
        MainTabView* tab = uitest::WindowProbe::tabView(main(), other);
        if (AppParam::functionTabSelect != other)
            apptest::clickTabTitle(tab);
        apptest::clickTabTriangle(tab);
        TabMenuView* menu =
            mouse() ? dynamic_cast<FunctionMOtherSettingController&>(*uitest::WindowProbe::tabPanel(main(), other)).menuView()
                    : dynamic_cast<FunctionOtherSettingController&>(*uitest::WindowProbe::tabPanel(main(), other)).menuView();
        ASSERT_TRUE(menu && menu->isShown());
        TabMenuSettingItemView* row = menu->row(FunctionItem::FWUpdate);
        ASSERT_NE(row, nullptr);
        chooser.answers.push_back(file);
        uitest::pickAndConfirmNext(DialogKind::FirmwareFileSelect);
        app->answer = [this, tamper](const QString& key) {
            if (key == QStringLiteral("CheckMouseSettingsSave") || key == QStringLiteral("CheckKeyboardSettingsSave"))
                return 0;  // not stored first
            if (key == QStringLiteral("CheckNotDisconnectUSBCacle")) {
                // The file dialog has checked the file and hands over.
                QByteArray bytes = good;
                switch (tamper) {
                case Tamper::Removed: EXPECT_TRUE(QFile::remove(file)); break;
                case Tamper::Damaged:
                    bytes[5000] = char(bytes[5000] ^ 0x5A);
                    EXPECT_TRUE(fwtest::writeFile(file, bytes));
                    break;
                case Tamper::OtherModel:
                    EXPECT_TRUE(fwtest::writeFile(file, fwtest::makeFirmware("KVX000A1", {0xFF, 0xFF, 0xFF})));
                    break;
                case Tamper::DeviceRefusesReboot:
                    dev->inject({.kind = emu::FaultKind::Status, .command = kReboot});
                    break;
                }
            }
            return 1;
        };
        QTest::mouseClick(row, Qt::LeftButton);
        app->answer = nullptr;
    }

    std::unique_ptr<AppHarness> app;
    std::shared_ptr<emu::EmulatedDevice> dev;
    QString file;
    QByteArray good;
    ScriptedFileChooser chooser;
    DialogHooks savedHooks = dialogHooks();
};

TEST_P(FirmwareFileProblem, FileThatGoesWrongAfterItsCheckIsToldAndTheDeviceStaysConnected)
{
    for (const Tamper tamper : {Tamper::Removed, Tamper::Damaged, Tamper::OtherModel}) {
        SCOPED_TRACE(int(tamper));
        ASSERT_TRUE(fwtest::writeFile(file, good));
        if (mouse() && !sendShown())
            changeTheMouse();
        const auto device = AppParam::device;
        const int starts = dev->startCount(), ends = dev->endCount();
        app->asked.clear();

        updateFromTheOtherTab(tamper);
        ASSERT_FALSE(app->asked.empty());
        EXPECT_EQ(app->asked.back(), QStringLiteral("FailedToAccessFile"));
        EXPECT_EQ(reboots(), 0);
        // Still the same connection: not dropped and connected again.
        EXPECT_EQ(AppParam::device, device);
        EXPECT_EQ(main().conectDeviceLocation(), int32_t(dev->location()));
        EXPECT_TRUE(AppParam::device->hidIsOpened());
        EXPECT_EQ(dev->startCount(), starts);
        EXPECT_EQ(dev->endCount(), ends);
        EXPECT_TRUE(dev->sessionOpen());
        if (mouse()) {
            EXPECT_NE(app->mouse->live(), app->mouse->stored()) << "the unsent change is still in the mouse";
            EXPECT_TRUE(sendShown()) << "and still shown as unsent";
        }
    }
}

TEST_P(FirmwareFileProblem, DeviceThatRefusesTheUpdateIsStillDroppedAndConnectedAgain)
{
    const int starts = dev->startCount();
    updateFromTheOtherTab(Tamper::DeviceRefusesReboot);
    ASSERT_FALSE(app->asked.empty());
    EXPECT_EQ(app->asked.back(), QStringLiteral("FailedToUpdateFirmware"));
    EXPECT_EQ(reboots(), 1);
    ASSERT_TRUE(AppHarness::waitFor([&] {
        return main().conectDeviceLocation() == int32_t(dev->location()) && AppParam::device->hidIsOpened();
    }));
    EXPECT_EQ(dev->startCount(), starts + 1);
}

INSTANTIATE_TEST_SUITE_P(KeyboardAndMouse, FirmwareFileProblem, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Mouse" : "Keyboard");
                         });

} // namespace
