// Saving a profile while another program keeps the profile folder locked:
// the save dialog waits a bounded time, then shows its save-failure box and
// leaves every file as it was.
#include "Dialog/DialogProfileSave.h"

#include "ProfileDialogFixture.h"
#include "support/FolderLockHolder.h"
#include "support/ui/DialogDriver.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

using namespace dlgtest;
using testsupport::FolderLockHolder;

class SaveUnderLock : public KeyboardFixture {
protected:
    std::unique_ptr<ProfileSaveDialog> open()
    {
        std::unique_ptr<ProfileSaveDialog> d(ProfileSaveDialog::create());
        if (d)
            d->show();
        return d;
    }
    void saveAs(ProfileSaveDialog& d, const QString& name)
    {
        d.profileName()->selectAll();
        QTest::keyClick(d.profileName(), Qt::Key_Backspace);
        typeText(d.profileName(), name);
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
    }
};

TEST_F(SaveUnderLock, LockKeptByAnotherProgramEndsInTheSaveFailureBoxAndChangesNoFile)
{
    saveProfile(userFolder + "kept.prf", "before");
    const QByteArray keptHash = fileHash(userFolder + "kept.prf");
    FolderLockHolder holder(userFolder);
    ASSERT_TRUE(holder.locked());

    auto fresh = open();
    ASSERT_TRUE(fresh);
    saveAs(*fresh, "fresh");
    EXPECT_EQ(messageKeys(controller), QStringList{"FailedToSaveProfile"});
    EXPECT_TRUE(fresh->isVisible());
    EXPECT_FALSE(QFileInfo::exists(userFolder + "fresh.prf"));

    controller.messageBoxes.clear();
    auto overwrite = open();
    ASSERT_TRUE(overwrite);
    QTest::mouseClick(overwrite->checkOverWiteButton(), Qt::LeftButton);
    clickRow(overwrite->listboxFileList(), 0);
    ASSERT_EQ(overwrite->profileName()->text(), "kept");
    QTest::mouseClick(overwrite->okButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), QStringList{"FailedToSaveProfile"});
    EXPECT_EQ(fileHash(userFolder + "kept.prf"), keptHash);
    EXPECT_EQ(QDir(userFolder).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.prf"});

    // The other program is done: the same save goes through.
    holder.release();
    controller.messageBoxes.clear();
    saveAs(*fresh, "fresh");
    EXPECT_TRUE(controller.messageBoxes.empty());
    EXPECT_EQ(fresh->result(), 1);
    EXPECT_TRUE(ZipUtil::contains(userFolder + "fresh.prf", UserProfile::memberName(kb->profileExt())));
}

} // namespace
