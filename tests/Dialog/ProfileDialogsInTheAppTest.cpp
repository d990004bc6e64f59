// The profile dialogs and the About window opened the way the user opens
// them: the main window's Save, Load and About on the whole application
// running over the virtual bus.
#include "Dialog/DialogProfileLoad.h"
#include "Dialog/DialogProfileSave.h"
#include "Dialog/DialogVersionInfo.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"

#include "ProfileDialogFixture.h"
#include "support/ui/WindowProbe.h"

#include <QLineEdit>
#include <QAction>
#include <QPushButton>
#include <QTableView>

namespace {

using apptest::AppHarness;
using apptest::HarnessOptions;

HarnessOptions keyboardOnly()
{
    HarnessOptions o;
    o.mouse = false;
    return o;
}

class InTheApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(app.start());
        AppParam::userProfileFilePath = dir.path() + QStringLiteral("/");
        DialogProfileLoad::resetProfileLoad();
    }
    void TearDown() override { DialogProfileLoad::resetProfileLoad(); }

    std::shared_ptr<KeyboardEntry> keyboard() const
    {
        return std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
    }

    QTemporaryDir dir;
    AppHarness app{keyboardOnly()};
};

TEST_F(InTheApp, SaveThenLoadThroughTheFooterButtons)
{
    auto& main = app.controller();
    auto kb = keyboard();
    ASSERT_TRUE(kb);

    // Save under a typed name.
    uitest::whenDialogShown(DialogKind::ProfileSave, [](ModalDialog* shown) {
        auto* d = dynamic_cast<DialogProfileSave*>(shown);
        ASSERT_TRUE(d);
        d->profileName()->setText(QStringLiteral("from the app"));
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    QTest::mouseClick(uitest::WindowProbe::window(main).saveProfileButton, Qt::LeftButton);
    const QString path = AppParam::userProfileFilePath + QStringLiteral("from the app.prf");
    UserProfileFile saved;
    ASSERT_EQ(UserProfile::Read(path, kb->profileExt(), saved), AppError::NoError);
    EXPECT_FALSE(main.isDialogMaskUp());
    EXPECT_TRUE(main.isHelpMenuEnabled());

    // The device changes behind the application's back; loading the profile
    // puts the saved levels back and shows Send.
    const auto savedApc = app.keyboard->live().apc;
    app.keyboard->live().apc.fill(2);
    AppParam::keyboardSettingsChanged = false;
    main.updateKeyboardSettingsChanged();
    ASSERT_FALSE(uitest::WindowProbe::window(main).sendButton->isVisible());
    uitest::whenDialogShown(DialogKind::ProfileLoad, [](ModalDialog* shown) {
        auto* d = dynamic_cast<DialogProfileLoad*>(shown);
        ASSERT_TRUE(d);
        dlgtest::clickRow(d->listboxFileList(), 0);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    QTest::mouseClick(uitest::WindowProbe::window(main).loadProfileButton, Qt::LeftButton);
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(uitest::WindowProbe::window(main).sendButton->isVisible());
    for (const auto& k : kb->keytopList) {
        if (k.hasPerKeySettings()) {
            EXPECT_EQ(app.keyboard->live().apc[size_t(k.code)], savedApc[size_t(k.code)]) << k.code;
        }
    }
    EXPECT_EQ(DialogRegistry::current(DialogKind::ProfileLoad), nullptr);
}

TEST_F(InTheApp, AboutTwiceGivesOneWindow)
{
    auto& main = app.controller();
    uitest::WindowProbe::window(main).aboutMenuItem->trigger();
    QWidget* first = DialogRegistry::current(DialogKind::VersionInfo);
    ASSERT_TRUE(first);
    uitest::WindowProbe::window(main).aboutMenuItem->trigger();
    EXPECT_EQ(DialogRegistry::current(DialogKind::VersionInfo), first);
    EXPECT_EQ(DialogRegistry::openDialogs().size(), 1u);
    auto* about = dynamic_cast<DialogVersionInfo*>(first);
    ASSERT_TRUE(about);
    QTest::mouseClick(about->okButton(), Qt::LeftButton);
    EXPECT_EQ(DialogRegistry::current(DialogKind::VersionInfo), nullptr);
}

} // namespace
