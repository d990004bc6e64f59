// The profile folder dialog driven through its path field, its "..." chooser
// and OK, and the About window's one-at-a-time life.
#include "Dialog/DialogProfileFolderSelect.h"
#include "Dialog/DialogVersionInfo.h"
#include "Platform/Strings.h"
#include "Dialog/DialogHooks.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/RecordingDialogHost.h"
#include "support/ui/ScriptedFileChooser.h"

#include "ProfileDialogFixture.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

#include <unistd.h>

namespace {

using dlgtest::FolderFixture;
using dlgtest::messageKeys;

class FolderDialog : public FolderFixture {
protected:
    std::unique_ptr<DialogProfileFolderSelect> open(const QString& path)
    {
        auto dialog = std::make_unique<DialogProfileFolderSelect>(path);
        dialog->show();
        return dialog;
    }
    void type(DialogProfileFolderSelect& d, const QString& text)
    {
        d.folderPathLabel()->selectAll();
        QTest::keyClicks(d.folderPathLabel(), text);
    }
};

TEST_F(FolderDialog, NewNestedFolderIsCreatedAndReturnedWithOneSlash)
{
    uitest::RecordingDialogHost host;
    auto d = open(userFolder);
    EXPECT_EQ(d->folderPathLabel()->text(), userFolder);
    const QString target = dir.path() + QStringLiteral("/a/b");
    type(*d, target);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), 1);
    EXPECT_EQ(d->filePath(), target + u'/');
    EXPECT_TRUE(QFileInfo(target).isDir());
    EXPECT_EQ(d->folderPathLabel()->text(), target); // the field is not rewritten
    EXPECT_TRUE(controller.messageBoxes.empty());

    // A path that already ends with "/" comes back unchanged.
    auto again = open(target + u'/');
    QTest::mouseClick(again->okButton(), Qt::LeftButton);
    EXPECT_EQ(again->result(), 1);
    EXPECT_EQ(again->filePath(), target + u'/');
}

TEST_F(FolderDialog, RefusalsKeepTheDialogOpenWithItsText)
{
    QFile blocker(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString colon = dir.path() + QStringLiteral("/x:y");
    const QString underFile = dir.path() + QStringLiteral("/file/sub");
    uitest::RecordingDialogHost host;
    // A relative path would land wherever the program happened to be started.
    const QString relative = QStringLiteral("kolventra-relative-folder");
    for (const QString& text : {colon, underFile, relative}) {
        SCOPED_TRACE(text.toStdString());
        controller.messageBoxes.clear();
        auto d = open(userFolder);
        type(*d, text);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        EXPECT_EQ(messageKeys(controller), QStringList{"CanNotWriteToThisFolder"});
        EXPECT_EQ(controller.messageBoxes.front().cancelKey, QString());
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->result(), 0);
        EXPECT_EQ(d->folderPathLabel()->text(), text);
        EXPECT_FALSE(QFileInfo::exists(text)); // nothing was created
    }
}

TEST_F(FolderDialog, FolderThatCannotBeWrittenIsRefused)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "every folder is writable for root";
    const QString locked = dir.path() + QStringLiteral("/locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    auto d = open(locked);
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), QStringList{"CanNotWriteToThisFolder"});
    EXPECT_TRUE(d->isVisible());
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST_F(FolderDialog, ChooserReplacesTheTextOrLeavesIt)
{
    ScriptedFileChooser chooser;
    chooser.answers = {dir.path() + QStringLiteral("/picked"), std::nullopt};
    auto d = open(userFolder);
    QTest::mouseClick(d->selectButton(), Qt::LeftButton);
    ASSERT_EQ(chooser.calls.size(), 1u);
    EXPECT_TRUE(chooser.calls[0].folder);
    EXPECT_EQ(chooser.calls[0].startFolder, userFolder);
    EXPECT_EQ(d->folderPathLabel()->text(), dir.path() + QStringLiteral("/picked"));
    EXPECT_EQ(d->folderPathLabel()->cursorPosition(), d->folderPathLabel()->text().size());

    QTest::mouseClick(d->selectButton(), Qt::LeftButton); // cancelled
    EXPECT_EQ(d->folderPathLabel()->text(), dir.path() + QStringLiteral("/picked"));
    EXPECT_EQ(chooser.calls.back().startFolder, dir.path() + QStringLiteral("/picked"));
}

TEST_F(FolderDialog, DeviceRemovalWhileTheChooserIsOpenEndsWithZero)
{
    ScriptedFileChooser chooser;
    chooser.answers = {dir.path() + QStringLiteral("/picked")};
    const QString before = AppParam::userProfileFilePath;
    DialogProfileFolderSelect d(userFolder);
    chooser.whileOpen = [&] { d.closeAllWindow(); };
    QTimer::singleShot(0, &d, [&] { QTest::mouseClick(d.selectButton(), Qt::LeftButton); });
    const int code = d.exec();
    EXPECT_EQ(code, 0);
    EXPECT_EQ(chooser.aborts, 1);
    EXPECT_EQ(d.folderPathLabel()->text(), userFolder); // the aborted choice is not taken
    EXPECT_EQ(AppParam::userProfileFilePath, before);
    // Escape on a dialog that is closing does not run Cancel a second time.
    EXPECT_FALSE(d.isVisible());
}

TEST_F(FolderDialog, PanelHookRunsTheDialogAndHandsBackTheFolder)
{
    installDialogHooks();
    const QString target = dir.path() + QStringLiteral("/chosen");
    uitest::whenDialogShown(DialogKind::ProfileFolderSelect, [&](ModalDialog* shown) {
        auto* d = dynamic_cast<DialogProfileFolderSelect*>(shown);
        ASSERT_TRUE(d);
        EXPECT_EQ(d->folderPathLabel()->text(), userFolder);
        type(*d, target);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
    });
    QString chosen;
    EXPECT_EQ(dialogHooks().profileFolderSelect(userFolder, chosen), 1);
    EXPECT_EQ(chosen, target + u'/');

    // Cancelled: nothing is handed back.
    uitest::whenDialogShown(DialogKind::ProfileFolderSelect,
                            [](ModalDialog* shown) { QTest::keyClick(shown, Qt::Key_Escape); });
    QString untouched = QStringLiteral("kept");
    EXPECT_EQ(dialogHooks().profileFolderSelect(userFolder, untouched), 0);
    EXPECT_EQ(untouched, "kept");
}

// ----- About -----------------------------------------------------------------

TEST(VersionInfo, OneWindowAtATimeAndEveryWayOutClearsIt)
{
    const QString savedVersion = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("2.0.0"));
    QPointer<DialogVersionInfo> current;

    DialogVersionInfo* first = DialogVersionInfo::showAbout(current);
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->versionLabel()->text(), platform::localizedString("Version") + QStringLiteral(" 2.0.0"));
    EXPECT_EQ(DialogVersionInfo::showAbout(current), first); // only brought to the front
    EXPECT_EQ(DialogRegistry::current(DialogKind::VersionInfo), first);
    EXPECT_FALSE(DialogRegistry::anyModalOpen());

    QSignalSpy closedSpy(first, &DialogVersionInfo::closed);
    QTest::mouseClick(first->okButton(), Qt::LeftButton);
    EXPECT_FALSE(first->isOpen());
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(closedSpy.count(), 1);
    EXPECT_EQ(DialogRegistry::current(DialogKind::VersionInfo), nullptr);

    DialogVersionInfo* second = DialogVersionInfo::showAbout(current);
    EXPECT_NE(second, first);
    EXPECT_TRUE(second->isOpen());

    // The window's own close button ends it like OK.
    second->close();
    EXPECT_FALSE(second->isOpen());
    DialogVersionInfo* third = DialogVersionInfo::showAbout(current);
    EXPECT_NE(third, second);

    // Escape too.
    QTest::keyClick(third, Qt::Key_Escape);
    EXPECT_FALSE(third->isOpen());
    delete third;
    QCoreApplication::setApplicationVersion(savedVersion);
}

} // namespace
