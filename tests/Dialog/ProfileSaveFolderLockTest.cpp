// Saving a profile while another program keeps the profile folder locked:
// the save dialog waits a bounded time (on the fixture's time scale), during
// which the window's timers run and user input waits, then shows its
// save-failure box and leaves every file as it was, also one the holder of
// the lock made or replaced meanwhile.
#include "Dialog/DialogProfileSave.h"

#include "ProfileDialogFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QWindow>

#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using namespace dlgtest;

class SaveUnderLock : public KeyboardFixture {
protected:
    // Another program's lock of the user folder: an open file description of
    // its own. -1 when it could not be taken.
    int lockFolderAsAnotherProgram() const
    {
        const int fd = ::open(QFile::encodeName(userFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
};

TEST_F(SaveUnderLock, LockKeptByAnotherProgramEndsInTheSaveFailureBoxAndChangesNoFile)
{
    saveProfile(userFolder + "kept.prf", "before");
    const QByteArray keptHash = fileHash(userFolder + "kept.prf");
    const int other = lockFolderAsAnotherProgram();
    ASSERT_GE(other, 0);

    std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
    d->show();
    d->profileName()->selectAll();
    typeText(d->profileName(), "fresh");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    QTest::mouseClick(d->checkOverWiteButton(), Qt::LeftButton);
    clickRow(d->listboxFileList(), 0);
    ASSERT_EQ(d->profileName()->text(), "kept");
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), (QStringList{"FailedToSaveProfile", "FailedToSaveProfile"}));
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(fileHash(userFolder + "kept.prf"), keptHash);
    EXPECT_EQ(QDir(userFolder).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.prf"});

    // The other program is done: the same save goes through.
    ::close(other);
    controller.messageBoxes.clear();
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    EXPECT_TRUE(controller.messageBoxes.empty());
    EXPECT_EQ(d->result(), 1);
}

TEST_F(SaveUnderLock, WaitForTheLockKeepsTheWindowRunning)
{
    const int other = lockFolderAsAnotherProgram();
    ASSERT_GE(other, 0);
    std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    d->profileName()->selectAll();
    typeText(d->profileName(), "fresh");

    // Timers (and so painting) go on during the wait; user input is held
    // back there as during a device command's wait.
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    const auto start = platform::now();
    QTest::mouseClick(d->okButton(), Qt::LeftButton);
    const platform::Seconds waited = platform::now() - start;
    timer.stop();

    EXPECT_GT(ticks, 0);
    EXPECT_GE(waited, platform::scaled(ZipUtil::PackageLock::kWaitLimit));
    EXPECT_EQ(messageKeys(controller), QStringList{"FailedToSaveProfile"});
    EXPECT_EQ(QDir(userFolder).entryList(QDir::Files | QDir::Hidden), QStringList{});
    ::close(other);
}

TEST_F(SaveUnderLock, FileAnotherWriterMakesDuringTheWaitOutlivesTheFailedSave)
{
    // "base" is built in without the model's member: the save copies it first.
    ASSERT_EQ(UserProfile::Write(builtinFolder + "base.prf", "OTHERKB", *kb, {}), AppError::NoError);
    const int other = lockFolderAsAnotherProgram();
    ASSERT_GE(other, 0);
    const QByteArray theirs("the other program's package");
    for (const char* name : {"fresh", "base"}) { // made meanwhile; the save's copy replaced meanwhile
        SCOPED_TRACE(name);
        const QString path = userFolder + name + ".prf";
        controller.messageBoxes.clear();
        std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
        d->show();
        d->profileName()->selectAll();
        typeText(d->profileName(), name);
        // The holder of the lock writes the file while the save waits for it.
        const QMetaObject::Connection hook = QObject::connect(d->okButton(), &QPushButton::pressed, [&] {
            QTimer::singleShot(0, d.get(), [&] { ASSERT_TRUE(writeBytes(path, theirs)); });
        });
        QTest::mouseClick(d->okButton(), Qt::LeftButton);
        QObject::disconnect(hook);
        EXPECT_EQ(messageKeys(controller), QStringList{"FailedToSaveProfile"});
        EXPECT_EQ(fileHash(path), QCryptographicHash::hash(theirs, QCryptographicHash::Sha256));
    }
    ::close(other);
}

} // namespace
