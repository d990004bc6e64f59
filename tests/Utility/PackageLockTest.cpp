// Package writers and the folder lock another writer keeps: a lock let go
// soon is waited for, one kept past the wait limit fails the write before
// anything is touched.
#include "Utility/ProfilePackage.h"
#include "Utility/ZipUtil.h"

#include "PackageTestSupport.h"
#include "Platform/Clock.h"
#include "support/FolderLockHolder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using testsupport::FolderLockHolder;

namespace {

const QByteArray kXml("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Test><Title>t</Title></Test>\n");

class PackageLockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("p.prf"));
        ASSERT_EQ(AppUtil::saveProfileData(file, kXml, QStringLiteral("profile.A.xml")), AppError::NoError);
        ASSERT_EQ(AppUtil::appendProfileData(file, kXml, QStringLiteral("profile.B.xml")), AppError::NoError);
        before = pkgtest::readAll(file);
    }

    QTemporaryDir dir;
    QString file;
    QByteArray before;
};

TEST_F(PackageLockTest, WritesGiveUpOnALockKeptPastTheLimitAndChangeNothing)
{
    // The wait limit shrinks with the time scale; the holder keeps the lock
    // far longer than that.
    const platform::ScopedTimeScale scale(0.01);
    FolderLockHolder holder(dir.path());
    ASSERT_TRUE(holder.locked());

    EXPECT_EQ(AppUtil::appendProfileData(file, kXml, QStringLiteral("profile.C.xml")), AppError::FileNotExist);
    EXPECT_EQ(AppUtil::saveProfileData(file, kXml, QStringLiteral("profile.C.xml")), AppError::FileNotExist);
    EXPECT_EQ(ZipUtil::deleteMember(file, QStringLiteral("profile.A.xml")), AppError::FileWrite);
    EXPECT_EQ(AppUtil::saveProfileData(dir.filePath(QStringLiteral("new.prf")), kXml, QStringLiteral("a.xml")),
              AppError::FileNotExist);
    EXPECT_EQ(pkgtest::readAll(file), before);
    EXPECT_EQ(pkgtest::entries(dir.path()), QStringList{"p.prf"});

    // Once the other writer is done, the same writes go through.
    holder.release();
    EXPECT_EQ(AppUtil::appendProfileData(file, kXml, QStringLiteral("profile.C.xml")), AppError::NoError);
    EXPECT_EQ(ZipUtil::deleteMember(file, QStringLiteral("profile.A.xml")), AppError::NoError);
    QStringList members = pkgtest::listZip(file);
    members.sort();
    EXPECT_EQ(members, (QStringList{"index.xml", "profile.B.xml", "profile.C.xml"}));
}

TEST_F(PackageLockTest, LockLetGoWithinTheLimitIsWaitedFor)
{
    // A limit far above the holder's time, however slow the machine.
    const platform::ScopedTimeScale scale(10.0);
    FolderLockHolder holder(dir.path(), std::chrono::milliseconds(50));
    ASSERT_TRUE(holder.locked());
    EXPECT_EQ(AppUtil::appendProfileData(file, kXml, QStringLiteral("profile.C.xml")), AppError::NoError);
    EXPECT_EQ(pkgtest::listZip(file).size(), 4);
}

} // namespace
