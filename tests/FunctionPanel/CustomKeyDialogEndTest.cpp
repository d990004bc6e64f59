// The custom key dialog of the mouse button panel ended from outside, in the
// whole application on the virtual bus: the mouse unplugged while the dialog
// is up (alone, or with a keyboard that is connected in its place), or a
// device error that runs the recovery. However it ends, the mask goes and
// the help items of the ☰ menu can be chosen again, also when the mouse's
// description package went away meanwhile and the recovery cannot connect
// the mouse again.
#include "AppParam.h"
#include "Dialog/DialogCustomKeySetting.h"
#include "DeviceListController.h"
#include "FunctionPanel/FunctionMButtonSettingController.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "Utility/AppUtil.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/WindowProbe.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using apptest::AppHarness;

namespace {

class CustomKeyDialogEnd : public ::testing::TestWithParam<bool> {
protected:
    bool withKeyboard() const { return GetParam(); }

    void SetUp() override
    {
        // The shipped data from a copy that a test may take packages out of.
        ASSERT_TRUE(data.isValid());
        const QString from = AppUtil::resourceProfileFolder();
        ASSERT_TRUE(QDir().mkpath(data.filePath(QStringLiteral("Profile"))));
        for (const QString& name : QDir(from).entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(from + name, data.filePath(QStringLiteral("Profile/") + name)));
        AppUtil::setResourceDataFolder(data.path());
        apptest::HarnessOptions options;
        options.keyboard = withKeyboard();
        options.rememberedLocation = int32_t(apptest::kMouseLocation);
        app = std::make_unique<AppHarness>(options);
        ASSERT_TRUE(app->start());
        main = &app->controller();
        QTest::mouseClick(uitest::WindowProbe::tabView(*main, FunctionTab::MButtonSetting), Qt::LeftButton, {}, QPoint(40, 24));
        panel = dynamic_cast<FunctionMButtonSettingController*>(uitest::WindowProbe::tabPanel(*main, FunctionTab::MButtonSetting));
        ASSERT_NE(panel, nullptr);
    }
    void TearDown() override
    {
        app.reset();
        AppUtil::setResourceDataFolder(QString());
    }

    // Button 4's menu, its key group, the custom key row: the dialog opens.
    void chooseCustomKey()
    {
        QTest::mouseClick(panel->buttonMenu(4), Qt::LeftButton);
        ASSERT_TRUE(AppHarness::waitFor([&] { return panel->buttonMenuView(4)->isShown(); }));
        TabMenuSettingItemView* group = panel->buttonMenuView(4)->row(FunctionItem::RegistKey);
        ASSERT_NE(group, nullptr);
        group->mouseEntered();
        TabMenuView* sub = nullptr;
        for (const TabMenuItem& item : panel->buttonMenuView(4)->items)
            if (item.function == FunctionItem::RegistKey)
                sub = item.subMenuListView;
        ASSERT_TRUE(sub && sub->isShown());
        QTest::mouseClick(sub->row(FunctionItem::CustomKey), Qt::LeftButton);
    }

    std::vector<QAction*> helpItems() const
    {
        const auto& w = uitest::WindowProbe::window(*main);
        return {w.userManualMenuItem, w.qaManualMenuItem, w.updateInfoMenuItem};
    }

    // The window is usable again: no mask, every help item on.
    bool maskDownAndHelpOn() const
    {
        if (uitest::WindowProbe::window(*main).maskView)
            return false;
        for (QAction* item : helpItems())
            if (!item->isEnabled())
                return false;
        return true;
    }

    QTemporaryDir data;
    std::unique_ptr<AppHarness> app;
    MainViewController* main = nullptr;
    FunctionMButtonSettingController* panel = nullptr;
};

} // namespace

TEST_P(CustomKeyDialogEnd, UnplugUnderTheDialogGivesTheHelpItemsBack)
{
    bool helpOffWhileUp = false;
    uitest::whenDialogShown(DialogKind::CustomKeySetting, [&](ModalDialog*) {
        for (QAction* item : helpItems())
            helpOffWhileUp = helpOffWhileUp || !item->isEnabled();
        app->mouse->detach();
    });
    chooseCustomKey();
    EXPECT_TRUE(helpOffWhileUp);
    EXPECT_FALSE(DialogCustomKeySetting::sharedManager()->isVisible());
    const int32_t next = withKeyboard() ? int32_t(apptest::kKeyboardLocation) : -1;
    ASSERT_TRUE(AppHarness::waitFor([&] { return main->conectDeviceLocation() == next; }));
    EXPECT_TRUE(AppHarness::waitFor([&] { return maskDownAndHelpOn(); }));
}

TEST_P(CustomKeyDialogEnd, RecoveryUnderTheDialogGivesTheHelpItemsBack)
{
    uitest::whenDialogShown(DialogKind::CustomKeySetting, [&](ModalDialog*) {
        // A device error found while the dialog is up: the recovery ends it.
        AppParam::mainController->setConnectedDeviceError(int32_t(apptest::kMouseLocation));
    });
    chooseCustomKey();
    EXPECT_FALSE(DialogCustomKeySetting::sharedManager()->isVisible());
    EXPECT_TRUE(AppHarness::waitFor([&] { return maskDownAndHelpOn(); }));
}

TEST_P(CustomKeyDialogEnd, RecoveryThatCannotConnectTheMouseAgainGivesTheHelpItemsBack)
{
    uitest::whenDialogShown(DialogKind::CustomKeySetting, [&](ModalDialog*) {
        // The mouse's package is gone (say, replaced by an upgrade) when a
        // device error runs the recovery: the mouse cannot be shown again.
        const QDir profiles(data.filePath(QStringLiteral("Profile")));
        for (const QString& name : profiles.entryList({QStringLiteral("*.mou")}, QDir::Files))
            ASSERT_TRUE(QFile::remove(profiles.filePath(name)));
        AppParam::mainController->setConnectedDeviceError(int32_t(apptest::kMouseLocation));
    });
    chooseCustomKey();
    EXPECT_FALSE(DialogCustomKeySetting::sharedManager()->isVisible());
    EXPECT_TRUE(AppHarness::waitFor([&] { return maskDownAndHelpOn(); }));
}

INSTANTIATE_TEST_SUITE_P(AloneAndWithAKeyboard, CustomKeyDialogEnd, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "WithKeyboard" : "MouseAlone");
                         });
