// The profile save dialogs end to end: the list of both folders, the default
// name, saving a new profile and overwriting one with a comment, every
// refusal and its message, and what a failed write leaves on disk, also when
// the unzip tool gives no answer. Files are read back through the profile
// files layer.
#include "Dialog/CommentTextEdit.h"
#include "Dialog/DialogProfileSave.h"
#include "Dialog/ProfileFiles.h"
#include "Utility/ZipUtil.h"

#include "ProfileDialogFixture.h"
#include "support/NoNewThreads.h"
#include "support/ui/DialogDriver.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

using namespace dlgtest;

class SaveDialog : public KeyboardFixture {
protected:
    std::unique_ptr<ProfileSaveDialog> open()
    {
        std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
        EXPECT_TRUE(d);
        if (d)
            d->show();
        return d;
    }
    void typeName(ProfileSaveDialog& d, const QString& name)
    {
        d.profileName()->selectAll();
        QTest::keyClick(d.profileName(), Qt::Key_Backspace);
        typeText(d.profileName(), name);
    }
    QString member() const { return UserProfile::memberName(kb->profileExt()); }
    // A package holding only another model's member.
    void otherModelFile(const QString& path)
    {
        ASSERT_EQ(UserProfile::Write(path, QStringLiteral("OTHERKB"), *kb, {}), AppError::NoError);
    }
    QStringList rows(const ProfileSaveDialog& d) const
    {
        QStringList out;
        auto* model = d.listboxFileList()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->index(r, 0).data().toString();
        return out;
    }
};

TEST_F(SaveDialog, ListsFittingFilesBuiltInFirstAndAUserFileHidesItsBuiltInTwin)
{
    saveProfile(userFolder + "a.prf");
    otherModelFile(userFolder + "b.prf");
    saveProfile(userFolder + "C.PRF");
    saveProfile(userFolder + "Z.prf");
    saveProfile(userFolder + "m.mprf");
    // A package whose member for the model is empty.
    {
        QTemporaryDir staging;
        ASSERT_TRUE(writeBytes(staging.path() + "/" + member(), {}));
        ASSERT_EQ(ZipUtil::save(staging.path(), {member()}, userFolder + "e.prf", false), AppError::NoError);
    }
    ASSERT_TRUE(writeBytes(userFolder + "junk.prf", "not a package"));
    saveProfile(builtinFolder + "a.prf");
    saveProfile(builtinFolder + "x.prf");

    auto d = open();
    EXPECT_EQ(rows(*d), (QStringList{"x", "Z", "a"}));
    EXPECT_EQ(d->fileList().paths, (QStringList{builtinFolder + "x.prf", userFolder + "Z.prf",
                                                userFolder + "a.prf"}));
    // New-name mode: list disabled, the name field holds the first free name.
    EXPECT_FALSE(d->listboxFileList()->isEnabled());
    EXPECT_TRUE(d->checkOverWiteButton()->isEnabled());
    EXPECT_EQ(d->profileName()->text(), "QMVKB_0000");

    // A folder that cannot be written lists only the built-in files.
    AppParam::userProfileFilePath = dir.path() + "/missing/";
    auto builtinOnly = open();
    EXPECT_EQ(rows(*builtinOnly), (QStringList{"a", "x"}));
}

TEST_F(SaveDialog, ListIsBuiltOnTheDialogsOwnThreadWhenNoOtherCanBeHad)
{
    // Enough files for their package tests to be shared out to threads.
    saveProfile(userFolder + "p0.prf");
    QStringList names{"p0"};
    for (int i = 1; i < 8; ++i) {
        names << QStringLiteral("p%1").arg(i);
        ASSERT_TRUE(QFile::copy(userFolder + "p0.prf", userFolder + names.back() + ".prf"));
    }
    const NoNewThreads noThreads;
    auto d = open();
    EXPECT_GT(noThreads.refused(), 0);
    EXPECT_EQ(rows(*d), names);
}

TEST_F(SaveDialog, FileWhoseTestTheToolFirstGaveNoAnswerToIsStillListed)
{
    // Near the limit of processes the tool may not start for a file's test;
    // here each file's first run of the tool is ended by a signal, which
    // gives no answer as well. The second run goes through.
    const QStringList names{"a", "b", "c"};
    for (const QString& name : names)
        saveProfile(userFolder + name + ".prf");
    const QString script = dir.path() + "/unzip-once.sh";
    ASSERT_TRUE(writeBytes(script, "#!/bin/sh\nmark=\"" + QFile::encodeName(dir.path()) + "/${2##*/}.tried\"\n"
                                   "[ -e \"$mark\" ] || { : > \"$mark\"; kill -KILL $$; }\n"
                                   "exec \"" + QFile::encodeName(ZipUtil::unzipToolPath()) + "\" \"$@\"\n"));
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ZipUtil::setToolPaths(QString(), script);
    struct Restore {
        ~Restore() { ZipUtil::setToolPaths(QString(), QString()); }
    } restore;
    auto d = open();
    EXPECT_EQ(rows(*d), names);
}

TEST_F(SaveDialog, DefaultNameFillsTheFirstGapAndAnEmptyListLocksNewNameMode)
{
    otherModelFile(userFolder + "QMVKB_0000.prf"); // any model counts
    saveProfile(userFolder + "QMVKB_0002.prf");
    auto d = open();
    EXPECT_EQ(d->profileName()->text(), "QMVKB_0001");
    EXPECT_EQ(d->profileName()->cursorPosition(), 10);

    QFile::remove(userFolder + "QMVKB_0002.prf");
    auto empty = open();
    EXPECT_EQ(empty->listboxFileList()->model()->rowCount(), 0);
    EXPECT_FALSE(empty->checkOverWiteButton()->isEnabled());
    EXPECT_FALSE(empty->checkOverWiteButton()->isChecked());
    EXPECT_EQ(empty->profileName()->text(), "QMVKB_0001");
}

TEST_F(SaveDialog, NewProfileIsSavedUnderTheTrimmedNameWithItsCommentEncoded)
{
    auto d = open();
    typeName(*d, QString::fromUtf8(" \u3000new\t"));
    typeText(d->comment(), QString::fromUtf8(" a b\n%\u00e9\t"));
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_TRUE(controller.messageBoxes.empty()) << messageKeys(controller).join(",").toStdString();
    EXPECT_EQ(d->result(), 1);
    EXPECT_EQ(d->profileName()->text(), "new");

    const QString path = userFolder + "new.prf";
    const QByteArray raw = ZipUtil::load(path, member(), false);
    EXPECT_TRUE(raw.contains("<Comment>a%20b%0A%25%C3%A9</Comment>")) << raw.left(400).toStdString();

    // Read back through the files layer: every field as the model has it.
    UserProfileFile read;
    ASSERT_EQ(UserProfile::Read(path, kb->profileExt(), read), AppError::NoError);
    UserProfileFile expected = UserProfile::makeProfile(path, *kb, QString::fromUtf8("a b\n%\u00e9"));
    // Unlit key colours are stored empty and not read back (files layer).
    for (auto& k : expected.keytopList)
        std::erase(k.userColor, QString());
    EXPECT_EQ(read, expected);
    EXPECT_EQ(read.name, "new");
    EXPECT_FALSE(read.keytopList.empty());
}

TEST_F(SaveDialog, OverwriteReplacesOnlyTheModelsMemberWithTheEditedComment)
{
    const QString path = userFolder + "work.prf";
    saveProfile(path, "old");
    ASSERT_EQ(UserProfile::Write(path, "OTHERKB", *kb, "keep"), AppError::NoError);
    saveProfile(userFolder + "alpha.prf", "first");
    auto d = open();
    QTest::mouseClick(d->checkOverWiteButton(), Qt::LeftButton);
    ASSERT_TRUE(d->checkOverWiteButton()->isChecked());
    EXPECT_TRUE(d->listboxFileList()->isEnabled());
    EXPECT_FALSE(d->profileName()->isEnabled());
    // Row 0 is chosen at first and filled in.
    EXPECT_EQ(d->profileName()->text(), "alpha");
    EXPECT_EQ(d->comment()->comment(), "first");

    clickRow(d->listboxFileList(), 1);
    EXPECT_EQ(d->profileName()->text(), "work");
    EXPECT_EQ(d->comment()->comment(), "old");
    // A click on empty space keeps the row.
    QTest::mouseClick(d->listboxFileList()->viewport(), Qt::LeftButton, {},
                      QPoint(5, d->listboxFileList()->viewport()->height() - 3));
    EXPECT_EQ(d->profileName()->text(), "work");

    // The comment takes 1024 characters; one more keystroke is refused, so is
    // a paste that would pass the limit.
    d->comment()->setComment(QString(1023, u'c'));
    d->comment()->setFocus();
    QTest::keyClick(d->comment(), Qt::Key_X);
    EXPECT_EQ(d->comment()->comment().size(), 1024);
    QTest::keyClick(d->comment(), Qt::Key_Y);
    EXPECT_EQ(d->comment()->comment().size(), 1024);
    EXPECT_FALSE(d->comment()->comment().contains(u'y'));
    QApplication::clipboard()->setText(QString(2000, u'p'));
    d->comment()->setComment(QString());
    d->comment()->paste();
    EXPECT_EQ(d->comment()->comment(), QString());
    // Replacing a selection is fine while the result fits.
    d->comment()->setComment(QString(1024, u'c'));
    d->comment()->selectAll();
    QTest::keyClick(d->comment(), Qt::Key_Z);
    EXPECT_EQ(d->comment()->comment(), "z");
    d->comment()->setComment(QString(1024, u'n'));

    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), 1);
    UserProfileFile mine, other;
    ASSERT_EQ(UserProfile::Read(path, kb->profileExt(), mine), AppError::NoError);
    EXPECT_EQ(mine.comment, QString(1024, u'n'));
    ASSERT_EQ(UserProfile::Read(path, "OTHERKB", other), AppError::NoError);
    EXPECT_EQ(other.comment, "keep");
}

TEST_F(SaveDialog, RefusalsShowTheirMessageAndChangeNoFile)
{
    saveProfile(userFolder + "taken.prf");
    saveProfile(builtinFolder + "shipped.prf");
    const QByteArray takenHash = fileHash(userFolder + "taken.prf");
    struct Case {
        QString name;
        const char* message;
        QString shownAfter;
    };
    const Case cases[] = {
        {"a:b", "FailedToSaveProfile", "a:b"},
        {"../escape", "FailedToSaveProfile", "../escape"},
        {"sub/dir", "FailedToSaveProfile", "sub/dir"},
        {" .. ", "FailedToSaveProfile", ".."},
        {".", "FailedToSaveProfile", "."},
        {" \t ", "FailedToSaveProfile", ""},
        {"taken", "FileAlreadyExists", "taken"},
        {" shipped", "FileAlreadyExists", "shipped"},
    };
    const QStringList before = QDir(userFolder).entryList(QDir::Files);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        controller.messageBoxes.clear();
        auto d = open();
        typeName(*d, c.name);
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        EXPECT_EQ(messageKeys(controller), QStringList{c.message});
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(d->profileName()->text(), c.shownAfter);
        EXPECT_EQ(d->focusWidget(), d->profileName());
    }
    // A NUL would cut the file name short.
    controller.messageBoxes.clear();
    auto nul = open();
    nul->profileName()->setText(QStringLiteral("cut") + QChar(0) + QStringLiteral("off"));
    QTest::mouseClick(nul->okButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), QStringList{"FailedToSaveProfile"});

    EXPECT_EQ(QDir(userFolder).entryList(QDir::Files), before);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/escape.prf"));
    EXPECT_EQ(fileHash(userFolder + "taken.prf"), takenHash);

    // A built-in file of the model is refused in overwrite mode too, also
    // when a user file of that name hides it in the list.
    saveProfile(userFolder + "shipped.prf");
    controller.messageBoxes.clear();
    auto d = open();
    QTest::mouseClick(d->checkOverWiteButton(), Qt::LeftButton);
    clickRow(d->listboxFileList(), 0);
    EXPECT_EQ(d->profileName()->text(), "shipped");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), QStringList{"FileAlreadyExists"});

    // A folder that cannot be written: every name is refused with its own message.
    AppParam::userProfileFilePath = dir.path() + "/missing/";
    controller.messageBoxes.clear();
    auto unwritable = open();
    typeName(*unwritable, "");
    QTest::mouseClick(unwritable->okButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), QStringList{"CanNotWriteToThisFolder"});
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/missing"));
}

TEST_F(SaveDialog, BuiltInFileWithoutTheMemberIsCopiedAndExtended)
{
    ASSERT_EQ(UserProfile::Write(builtinFolder + "base.prf", "OTHERKB", *kb, "theirs"), AppError::NoError);
    const QByteArray builtinHash = fileHash(builtinFolder + "base.prf");
    auto d = open();
    typeName(*d, "base");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), 1);
    UserProfileFile mine, theirs;
    EXPECT_EQ(UserProfile::Read(userFolder + "base.prf", kb->profileExt(), mine), AppError::NoError);
    EXPECT_EQ(UserProfile::Read(userFolder + "base.prf", "OTHERKB", theirs), AppError::NoError);
    EXPECT_EQ(theirs.comment, "theirs");
    EXPECT_EQ(fileHash(builtinFolder + "base.prf"), builtinHash);
}

TEST_F(SaveDialog, FailedWriteLeavesOldFilesAndRemovesWhatItCreated)
{
    saveProfile(userFolder + "kept.prf", "before");
    ASSERT_EQ(UserProfile::Write(builtinFolder + "base.prf", "OTHERKB", *kb, {}), AppError::NoError);
    const QByteArray keptHash = fileHash(userFolder + "kept.prf");
    ZipUtil::setToolPaths(QStringLiteral("/bin/false"), QString());
    struct Restore {
        ~Restore() { ZipUtil::setToolPaths(QString(), QString()); }
    } restore;

    for (const char* name : {"fresh", "base"}) { // a new file; a copy of a built-in one
        SCOPED_TRACE(name);
        controller.messageBoxes.clear();
        auto d = open();
        typeName(*d, QString::fromLatin1(name));
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        EXPECT_EQ(messageKeys(controller), QStringList{"FailedToSaveProfile"});
        EXPECT_TRUE(d->isVisible());
        EXPECT_FALSE(QFileInfo::exists(userFolder + name + ".prf"));
    }
    controller.messageBoxes.clear();
    auto d = open();
    QTest::mouseClick(d->checkOverWiteButton(), Qt::LeftButton);
    clickRow(d->listboxFileList(), 1);
    ASSERT_EQ(d->profileName()->text(), "kept");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), QStringList{"FailedToSaveProfile"});
    EXPECT_EQ(fileHash(userFolder + "kept.prf"), keptHash);
}

TEST_F(SaveDialog, SaveTheUnzipToolCannotStartForEndsInTheFailureBoxAndChangesNoFile)
{
    const QString path = userFolder + "taken.prf";
    const QString missing = dir.path() + "/no-unzip";
    struct Case {
        const char* name;
        bool overwrite;
        bool startsAgainAfterOneRun; // a process comes free after the first try
    };
    for (const Case& c : {Case{"over the listed file", true, false}, Case{"under the taken name", false, true}}) {
        SCOPED_TRACE(c.name);
        // "taken" holds the model's member and another model's.
        QFile::remove(path);
        saveProfile(path, "old");
        ASSERT_EQ(UserProfile::Write(path, "OTHERKB", *kb, "keep"), AppError::NoError);
        const QByteArray takenHash = fileHash(path);
        controller.messageBoxes.clear();
        auto d = open();
        if (c.overwrite)
            QTest::mouseClick(d->checkOverWiteButton(), Qt::LeftButton);
        else
            typeName(*d, "taken");
        ASSERT_EQ(d->profileName()->text(), "taken");
        ZipUtil::setToolPaths(QString(), missing);
        const ZipUtil::ToolObserver previous = ZipUtil::setToolObserver([&](const QString& program, auto&&...) {
            if (c.startsAgainAfterOneRun && program == missing)
                ZipUtil::setToolPaths(QString(), QString());
        });
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        ZipUtil::setToolObserver(previous);
        ZipUtil::setToolPaths(QString(), QString());
        EXPECT_EQ(messageKeys(controller), QStringList{"FailedToSaveProfile"});
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(fileHash(path), takenHash);
    }
}

TEST_F(SaveDialog, CancelAndDeviceRemovalEndWithZeroAndWriteNothing)
{
    auto d = open();
    QTest::mouseClick(d->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), 0);
    auto e = open();
    QTest::keyClick(e.get(), Qt::Key_Escape);
    EXPECT_FALSE(e->isVisible());
    // The device goes away while the dialog runs: it disappears at once, a
    // late click on OK saves nothing, and the run ends with 0.
    std::unique_ptr<ProfileSaveDialog> f(ProfileSaveDialog::create());
    bool hiddenAtOnce = false;
    uitest::whenDialogShown(DialogKind::ProfileSave, [&](ModalDialog* shown) {
        shown->closeAllWindow();
        hiddenAtOnce = !shown->isVisible();
        f->pushOK();
    });
    EXPECT_EQ(f->exec(), 0);
    EXPECT_TRUE(hiddenAtOnce);
    EXPECT_TRUE(QDir(userFolder).entryList(QDir::Files).isEmpty());
}

// ----- mouse -----------------------------------------------------------------

class MouseSaveDialog : public MouseFixture {};

TEST_F(MouseSaveDialog, SavesTheMouseAndItsListIgnoresArrowKeys)
{
    std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
    ASSERT_TRUE(dynamic_cast<DialogMProfileSave*>(d.get()));
    d->show();
    EXPECT_EQ(d->profileName()->text(), "QMVMO_0000");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(d->result(), 1);
    UserMProfileFile read;
    const QString path = userFolder + "QMVMO_0000.mprf";
    ASSERT_EQ(UserMProfile::Read(path, mouse->profileExt(), read), AppError::NoError);
    EXPECT_EQ(read, UserMProfile::fromMouse(*mouse, path, ""));

    ASSERT_EQ(UserMProfile::Write(userFolder + "second.mprf", mouse->profileExt(), *mouse, ""), AppError::NoError);
    std::unique_ptr<ProfileSaveDialog> o(ProfileSaveDialog::create());
    o->show();
    QTest::mouseClick(o->checkOverWiteButton(), Qt::LeftButton);
    EXPECT_EQ(o->profileName()->text(), "QMVMO_0000");
    QTest::keyClick(o->listboxFileList(), Qt::Key_Down);
    EXPECT_EQ(o->profileName()->text(), "QMVMO_0000");
}

} // namespace
