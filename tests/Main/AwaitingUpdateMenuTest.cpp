// A device plugged in, in its updater, with an interrupted firmware update
// pending, in the whole application on the virtual bus: it is connected on its Other tab so
// that the update can be run, and refuses every setting command until then.
// Its Other menu offers only what the device can still serve; the rows that
// would send settings cannot be chosen, so that nothing ends in a refusal,
// a recovery and the retry question again. Once updated, the device takes
// settings and the rows are back.
#include "AppParam.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/DialogFirmwareFileSelect.h"
#include "DeviceListController.h"
#include "FunctionPanel/FunctionMOtherSettingController.h"
#include "FunctionPanel/FunctionOtherSettingController.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/ScriptedFileChooser.h"
#include "support/ui/WindowProbe.h"

#include <QPushButton>
#include <QTest>

#include <ostream>

#include <gtest/gtest.h>

using apptest::AppHarness;
using apptest::HarnessOptions;

static void PrintTo(FunctionItem function, std::ostream* os)
{
    *os << caseName(function);
}

namespace {

constexpr platform::Seconds kQuickRestart{0.002};

class AwaitingUpdateMenu : public ::testing::TestWithParam<bool> {
protected:
    bool mouse() const { return GetParam(); }

    void SetUp() override
    {
        HarnessOptions o;
        o.keyboard = !mouse();
        o.mouse = mouse();
        app = std::make_unique<AppHarness>(o);
        if (mouse())
            dev = app->mouse;
        else
            dev = app->keyboard;
        dev->setUpdatePending(true);
        dev->setMode(emu::EmulatedDevice::Mode::Updater);
        dev->setRebootDelay(kQuickRestart);
        ASSERT_TRUE(app->start());
        ASSERT_TRUE(AppHarness::waitFor([this] { return retryQuestions() == 1; }));
        ASSERT_TRUE(AppParam::device->hidIsOpened());
        ASSERT_EQ(AppParam::functionTabSelect, otherFunction());
    }

    MainViewController& main() { return app->controller(); }
    FunctionTab otherFunction() const { return mouse() ? FunctionTab::MOtherSetting : FunctionTab::OtherSetting; }
    MainTabView* otherTab() { return uitest::WindowProbe::tabView(main(), otherFunction()); }
    TabMenuView* otherMenu()
    {
        if (mouse())
            return dynamic_cast<FunctionMOtherSettingController&>(*uitest::WindowProbe::tabPanel(main(), otherFunction())).menuView();
        return dynamic_cast<FunctionOtherSettingController&>(*uitest::WindowProbe::tabPanel(main(), otherFunction())).menuView();
    }
    int retryQuestions() const
    {
        return int(std::count(app->asked.begin(), app->asked.end(), QStringLiteral("RetryFirmwareUpdate")));
    }
    // The Other tab and its triangle, as the user opens the menu.
    void openMenu()
    {
        if (AppParam::functionTabSelect != otherFunction())
            QTest::mouseClick(otherTab(), Qt::LeftButton, {}, QPoint(20, otherTab()->height() / 2));
        if (!otherMenu()->isShown())
            apptest::clickTabTriangle(otherTab());
        ASSERT_TRUE(otherMenu()->isShown());
    }
    std::vector<FunctionItem> enabledRows()
    {
        std::vector<FunctionItem> out;
        for (TabMenuSettingItemView* row : otherMenu()->rows())
            if (row->isEnable())
                out.push_back(row->function);
        return out;
    }

    std::unique_ptr<AppHarness> app;
    std::shared_ptr<emu::EmulatedDevice> dev;
    ScriptedFileChooser chooser;
};

} // namespace

TEST_P(AwaitingUpdateMenu, OnlyTheUpdateAndTheFolderCanBeChosenUntilTheUpdateHasRun)
{
    openMenu();
    const std::vector<FunctionItem> whileWaiting{FunctionItem::FWUpdate, FunctionItem::FolderSetting};
    ASSERT_EQ(enabledRows(), whileWaiting);

    // The rows that would send settings take no click: nothing reaches the
    // device, no question comes up, and the device stays connected.
    dev->clearLog();
    const size_t questions = app->asked.size();
    for (FunctionItem f : {FunctionItem::ToSaveTheDevice, FunctionItem::ToInitialSetting, FunctionItem::CapsLkCtrl}) {
        if (TabMenuSettingItemView* row = otherMenu()->row(f))
            QTest::mouseClick(row, Qt::LeftButton);
        EXPECT_TRUE(otherMenu()->isShown()) << int(f);
    }
    EXPECT_TRUE(dev->commands().empty());
    EXPECT_EQ(app->asked.size(), questions);
    EXPECT_EQ(main().conectDeviceLocation(), int32_t(dev->location()));

    // The menu of the next opening, and the one set up with the tab, are no
    // different.
    apptest::clickTabTriangle(otherTab());
    ASSERT_FALSE(otherMenu()->isShown());
    uitest::WindowProbe::tabPanel(main(), otherFunction())->initSetting();
    openMenu();
    EXPECT_EQ(enabledRows(), whileWaiting);

    // The update, chosen from the menu, goes through; back from its
    // updater, the device takes settings and every row can be chosen again.
    const auto& d = AppParam::device;
    const QString file = app->workFolder() + QStringLiteral("/fw.vxb");
    ASSERT_TRUE(fwtest::writeFile(file, fwtest::makeFirmware(d->modelNumber().value_or(QString()).toLatin1(),
                                                              fwtest::versionBytes(*d->firmwareVersionCompare()))));
    chooser.answers.push_back(file);
    uitest::pickAndConfirmNext(DialogKind::FirmwareFileSelect);
    QTest::mouseClick(otherMenu()->row(FunctionItem::FWUpdate), Qt::LeftButton);
    EXPECT_EQ(dev->updatesCompleted(), 1);
    ASSERT_TRUE(AppHarness::waitFor(
        [this] {
            return AppParam::device->hidIsOpened() &&
                   main().conectDeviceLocation() == int32_t(dev->location()) &&
                   dev->mode() == emu::EmulatedDevice::Mode::Application;
        },
        5000));
    openMenu();
    EXPECT_EQ(enabledRows().size(), otherMenu()->rows().size());
    EXPECT_EQ(retryQuestions(), 1);
}

INSTANTIATE_TEST_SUITE_P(KeyboardAndMouse, AwaitingUpdateMenu, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Mouse" : "Keyboard");
                         });
