// The profile load dialogs end to end against the emulated keyboard and
// mouse: loading wholly and in parts, the remembered part choice, the
// built-in profiles, files that cannot be loaded, and a device that fails
// in the middle of the apply.
#include "Dialog/CommentTextEdit.h"
#include "Dialog/DialogProfileLoad.h"
#include "Dialog/DialogProfileSave.h"
#include "Utility/ZipUtil.h"

#include "ProfileDialogFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <set>

namespace {

using namespace dlgtest;

uint8_t apcByte(ApcLevel level)
{
    return level == ApcLevel::High ? 0 : level == ApcLevel::Middle ? 1 : 2;
}

class LoadDialog : public KeyboardFixture {
protected:
    void SetUp() override
    {
        KeyboardFixture::SetUp();
        DialogProfileLoad::resetProfileLoad();
        emulated->live().apc.fill(1);
        emulated->live().lock.fill(0);
        ASSERT_EQ(kb->loadDeviceParam(), AppError::NoError);
        emulated->clearLog();
        before = emulated->live();
    }
    void TearDown() override
    {
        DialogProfileLoad::resetProfileLoad();
        KeyboardFixture::TearDown();
    }
    std::unique_ptr<DialogProfileLoad> open()
    {
        std::unique_ptr<ProfileLoadDialog> d(ProfileLoadDialog::create());
        auto* kbDialog = dynamic_cast<DialogProfileLoad*>(d.get());
        EXPECT_TRUE(kbDialog);
        d.release();
        std::unique_ptr<DialogProfileLoad> out(kbDialog);
        if (out)
            out->show();
        return out;
    }
    // The device holds the profile's levels (resp. locks) on every key.
    void expectApplied(const UserProfileFile& p, bool apc, bool lock)
    {
        for (const auto& k : kb->keytopList) {
            if (!k.hasPerKeySettings())
                continue;
            const auto it = std::find_if(p.keytopList.begin(), p.keytopList.end(),
                                         [&](auto& e) { return e.code == k.code; });
            ASSERT_NE(it, p.keytopList.end());
            EXPECT_EQ(emulated->live().apc[size_t(k.code)], apc ? apcByte(it->apcLevel) : 1) << k.code;
            EXPECT_EQ(emulated->live().lock[size_t(k.code)],
                      lock ? (it->keytopLock == KeytopLock::Lock ? 1 : 0) : 0)
                << k.code;
        }
    }
    emu::EmulatedKeyboard::Settings before;
};

TEST_F(LoadDialog, LoadsTheWholeProfileIntoTheKeyboardAndLeavesTheFile)
{
    const UserProfileFile p = distinctProfile("mine");
    storeProfile(userFolder + "mine.prf", p);
    saveProfile(userFolder + "other.prf", "second");
    const QByteArray hash = fileHash(userFolder + "mine.prf");

    auto d = open();
    EXPECT_EQ(d->listboxFileList()->model()->rowCount(), 2);
    EXPECT_FALSE(d->okButton()->isEnabled()); // nothing selected yet
    EXPECT_TRUE(d->checkBoxApcButton()->isChecked());
    EXPECT_TRUE(d->checkBoxKeyLockButton()->isChecked());
    clickRow(d->listboxFileList(), 0);
    EXPECT_TRUE(d->okButton()->isEnabled());
    QTest::mouseClick(d->okButton(), Qt::LeftButton);

    EXPECT_TRUE(controller.messageBoxes.empty());
    EXPECT_EQ(d->result(), 1);
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x21, 0x21, 0x21, 0x80, 0x80, 0x80}));
    expectApplied(p, true, true);
    EXPECT_EQ(emulated->stored(), emu::EmulatedKeyboard::Settings::defaults()); // not stored with Send
    EXPECT_EQ(fileHash(userFolder + "mine.prf"), hash);
}

TEST_F(LoadDialog, CommentFollowsTheSelectionThatCannotBeCleared)
{
    saveProfile(userFolder + "a.prf", QStringLiteral("first comment"));
    saveProfile(userFolder + "b.prf", QStringLiteral("zweiter Kommentar \u00e4"));
    auto d = open();
    clickRow(d->listboxFileList(), 1);
    EXPECT_EQ(d->comment()->comment(), QStringLiteral("zweiter Kommentar \u00e4"));
    EXPECT_TRUE(d->comment()->isReadOnly());
    clickRow(d->listboxFileList(), 0);
    EXPECT_EQ(d->comment()->comment(), "first comment");
    QTest::mouseClick(d->listboxFileList()->viewport(), Qt::LeftButton, {},
                      QPoint(5, d->listboxFileList()->viewport()->height() - 3));
    EXPECT_EQ(d->comment()->comment(), "first comment");
    EXPECT_TRUE(d->okButton()->isEnabled());
}

TEST_F(LoadDialog, PartsFollowTheBoxesAndTheChoiceOutlivesTheDialog)
{
    const UserProfileFile p = distinctProfile("mine");
    storeProfile(userFolder + "mine.prf", p);

    auto first = open();
    QTest::mouseClick(first->checkBoxKeyLockButton(), Qt::LeftButton);
    EXPECT_FALSE(first->checkBoxKeyLockButton()->isChecked());
    QTest::mouseClick(first->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(first->result(), 0);
    EXPECT_TRUE(emulated->commands().empty());
    EXPECT_FALSE(DialogProfileLoad::profileLoad()[ProfileEntry::KeyLock]);

    auto second = open();
    EXPECT_FALSE(second->checkBoxKeyLockButton()->isChecked());
    clickRow(second->listboxFileList(), 0);
    // Every box off: OK is disabled and a double-click does nothing.
    QTest::mouseClick(second->checkBoxApcButton(), Qt::LeftButton);
    EXPECT_FALSE(second->okButton()->isEnabled());
    doubleClickRow(second->listboxFileList(), 0);
    EXPECT_TRUE(emulated->commands().empty());
    EXPECT_TRUE(second->isVisible());
    // APC back on: a double-click loads just that part.
    QTest::mouseClick(second->checkBoxApcButton(), Qt::LeftButton);
    doubleClickRow(second->listboxFileList(), 0);
    EXPECT_EQ(second->result(), 1);
    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x21, 0x21, 0x21}));
    expectApplied(p, true, false);
}

TEST_F(LoadDialog, KeyboardWithoutApcNeverGetsApcWhateverTheRememberedChoice)
{
    storeProfile(userFolder + "mine.prf", distinctProfile("mine"));
    kb->supportAPC = false;
    ASSERT_TRUE(DialogProfileLoad::profileLoad()[ProfileEntry::Apc]);
    auto d = open();
    EXPECT_FALSE(d->checkBoxApcButton()->isEnabled());
    EXPECT_FALSE(d->checkBoxApcButton()->isChecked());
    clickRow(d->listboxFileList(), 0);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), 1);
    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x80, 0x80, 0x80}));
    EXPECT_EQ(emulated->live().apc, before.apc);
    EXPECT_TRUE(DialogProfileLoad::profileLoad()[ProfileEntry::Apc]); // OK keeps the stored choice

    // Cancel stores what the boxes show: APC off.
    auto again = open();
    QTest::mouseClick(again->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(DialogProfileLoad::profileLoad()[ProfileEntry::Apc]);
}

TEST_F(LoadDialog, BuiltInProfilesAreListedFirstAndLoad)
{
    const UserProfileFile p = distinctProfile("factory");
    storeProfile(builtinFolder + "factory.prf", p);
    saveProfile(userFolder + "aaa.prf");
    auto d = open();
    ASSERT_EQ(d->fileList().names, (QStringList{"factory", "aaa"}));
    clickRow(d->listboxFileList(), 0);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), 1);
    expectApplied(p, true, true);
}

TEST_F(LoadDialog, FilesThatCannotBeLoadedGiveTheMessageAndChangeNothing)
{
    const QString member = UserProfile::memberName(kb->profileExt());
    // A profile of another keyboard type under this model's member.
    UserProfileFile otherType = distinctProfile("othertype");
    otherType.keyboardType = AppKeyboardType::KOLVENTRA_G7_MAC_JP114;
    storeProfile(userFolder + "othertype.prf", otherType);
    // A member whose bytes no longer match the index.
    storeProfile(userFolder + "crc.prf", distinctProfile("crc"));
    {
        QTemporaryDir staging;
        QByteArray bytes = ZipUtil::load(userFolder + "crc.prf", member, false);
        bytes.replace("<ApcLevel>Low</ApcLevel>", "<ApcLevel>Mid</ApcLevel>");
        ASSERT_TRUE(writeBytes(staging.path() + "/" + member, bytes));
        ASSERT_EQ(ZipUtil::save(staging.path(), {member}, userFolder + "crc.prf", false), AppError::NoError);
    }
    // A package that is broken after the list was made.
    storeProfile(userFolder + "corrupt.prf", distinctProfile("corrupt"));

    auto d = open();
    ASSERT_EQ(d->fileList().names, (QStringList{"corrupt", "crc", "othertype"}));
    ASSERT_TRUE(writeBytes(userFolder + "corrupt.prf", "PK\x03\x04 truncated"));
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        controller.messageBoxes.clear();
        clickRow(d->listboxFileList(), row);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        EXPECT_EQ(messageKeys(controller), QStringList{"FailedToLoadProfile"});
        EXPECT_TRUE(d->isVisible());
    }
    EXPECT_TRUE(emulated->commands().empty());
    EXPECT_EQ(emulated->live(), before);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_TRUE(controller.deviceErrors.empty());
}

TEST_F(LoadDialog, DeviceErrorInsideTheApplyEndsTheDialogWithoutAMessage)
{
    storeProfile(userFolder + "mine.prf", distinctProfile("mine"));
    DialogProfileLoad* running = nullptr;
    // The main window's recovery closes the open dialogs.
    controller.onDeviceError = [&](int32_t) {
        if (running)
            running->closeAllWindow();
    };
    emulated->inject({.kind = emu::FaultKind::Status, .command = 0x80});
    auto d = open();
    running = d.get();
    clickRow(d->listboxFileList(), 0);
    QTimer::singleShot(0, d.get(), [&] { QTest::mouseClick(d->okButton(), Qt::LeftButton); });
    const int code = d->exec();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(controller.deviceErrors, std::vector<int32_t>{int32_t(kLocation)});
    EXPECT_TRUE(controller.messageBoxes.empty());
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x21, 0x21, 0x21, 0x80}));

    // Without a device location nothing recovers: the failure is shown and
    // the dialog stays.
    AppParam::selectDeviceLocation = 0;
    emulated->clearLog();
    emulated->inject({.kind = emu::FaultKind::Status, .command = 0x21});
    auto e = open();
    running = e.get();
    clickRow(e->listboxFileList(), 0);
    QTest::mouseClick(e->okButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), QStringList{"FailedToLoadProfile"});
    EXPECT_TRUE(e->isVisible());
}

TEST_F(LoadDialog, RecoveryThatReplacesTheDeviceEndsTheDialogToo)
{
    storeProfile(userFolder + "mine.prf", distinctProfile("mine"));
    controller.onDeviceError = [](int32_t) { AppParam::device = std::make_shared<KeyboardEntry>(); };
    emulated->inject({.kind = emu::FaultKind::Status, .command = 0x21});
    auto d = open();
    clickRow(d->listboxFileList(), 0);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), 0);
    EXPECT_FALSE(d->isVisible());
    EXPECT_TRUE(controller.messageBoxes.empty());
}

// ----- mouse -----------------------------------------------------------------

class MouseLoadDialog : public MouseFixture {
protected:
    void SetUp() override
    {
        MouseFixture::SetUp();
        DialogMProfileLoad::resetProfileLoad();
    }
    void TearDown() override
    {
        DialogMProfileLoad::resetProfileLoad();
        MouseFixture::TearDown();
    }
};

TEST_F(MouseLoadDialog, LoadsOnlyTheTickedParts)
{
    UserMProfileFile p = UserMProfile::fromMouse(*mouse, userFolder + "m.mprf", "");
    p.color = LedColor::Blue;
    p.luminance = eLuminance::Level1;
    p.liftOffDistance = LoD::LoD_3mm;
    for (auto& s : p.dpiSettings)
        s.value = 15;
    for (auto& b : p.buttonList)
        if (b.code == ButtonNo::Button3)
            b.data = ButtonAssignCode::Muli_Mute;
    ASSERT_EQ(AppUtil::appendProfile(userFolder + "m.mprf", p, UserMProfile::memberName(mouse->profileExt())),
              AppError::NoError);
    const auto before = emulated->live();

    std::unique_ptr<ProfileLoadDialog> base(ProfileLoadDialog::create());
    auto* d = dynamic_cast<DialogMProfileLoad*>(base.get());
    ASSERT_TRUE(d);
    d->show();
    QTest::mouseClick(d->checkBoxButtonButton(), Qt::LeftButton);
    QTest::mouseClick(d->checkBoxSensorLodButton(), Qt::LeftButton);
    clickRow(d->listboxFileList(), 0);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), 1);

    const std::vector<uint8_t> commands = emulated->commands();
    EXPECT_EQ(std::set<uint8_t>(commands.begin(), commands.end()), (std::set<uint8_t>{0x30, 0x50}));
    const auto& live = emulated->live();
    using M = emu::EmulatedMouse;
    EXPECT_EQ(live[M::kColor], uint8_t(LedColor::Blue));
    EXPECT_EQ(live[M::kDpi + 1], 15);
    EXPECT_EQ(live[M::kLiftOff], before[M::kLiftOff]);
    EXPECT_EQ(live[M::kButtons + 2], before[M::kButtons + 2]);
    EXPECT_FALSE(DialogMProfileLoad::profileLoad()[MProfileEntry::Button]);
    EXPECT_TRUE(AppParam::keyboardSettingsChanged);
}

TEST_F(MouseLoadDialog, EachDeviceKindGetsItsOwnTwin)
{
    std::unique_ptr<ProfileLoadDialog> m(ProfileLoadDialog::create());
    EXPECT_TRUE(dynamic_cast<DialogMProfileLoad*>(m.get()));
    AppParam::device = std::make_shared<KeyboardEntry>();
    std::unique_ptr<ProfileLoadDialog> k(ProfileLoadDialog::create());
    EXPECT_TRUE(dynamic_cast<DialogProfileLoad*>(k.get()));
    AppParam::device.reset();
    EXPECT_EQ(ProfileLoadDialog::create(), nullptr);
}

} // namespace

namespace {

using namespace dlgtest;

class BracketNames : public KeyboardFixture {
protected:
    void SetUp() override
    {
        KeyboardFixture::SetUp();
        DialogProfileLoad::resetProfileLoad();
    }
};

// A name with wildcard characters is that file and no other: "Work [1]" is
// not "Work 1".
TEST_F(BracketNames, SavedAndLoadedUnderItsOwnName)
{
    ASSERT_EQ(UserProfile::Write(userFolder + "Work 1.prf", "OTHERKB", *kb, {}), AppError::NoError);
    std::unique_ptr<ProfileSaveDialog> save(ProfileSaveDialog::create());
    save->show();
    save->profileName()->setText(QStringLiteral("Work [1]"));
    typeText(save->comment(), QStringLiteral("bracketed"));
    QTest::mouseClick(save->okButton(), Qt::LeftButton);
    ASSERT_EQ(save->result(), 1) << messageKeys(controller).join(",").toStdString();
    UserProfileFile other;
    EXPECT_NE(UserProfile::Read(userFolder + "Work 1.prf", kb->profileExt(), other), AppError::NoError);

    std::unique_ptr<ProfileLoadDialog> load(ProfileLoadDialog::create());
    load->show();
    ASSERT_EQ(load->fileList().names, QStringList{"Work [1]"});
    clickRow(load->listboxFileList(), 0);
    EXPECT_EQ(load->comment()->comment(), "bracketed");
    QTest::mouseClick(load->okButton(), Qt::LeftButton);
    EXPECT_EQ(load->result(), 1);
}

} // namespace
