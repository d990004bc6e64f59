// Reading several members of a package with one run of the unzip tool: the
// same bytes as reading each member alone, with the same checks.
#include "Utility/ZipUtil.h"

#include "PackageTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mutex>

namespace {

// Counts tool starts and keeps their argument lists.
class ToolRuns {
public:
    ToolRuns()
    {
        previous_ = ZipUtil::setToolObserver([this](const QString&, const QStringList& a, const QString&) {
            std::lock_guard lock(m_);
            arguments_.push_back(a);
        });
    }
    ~ToolRuns() { ZipUtil::setToolObserver(previous_); }
    std::vector<QStringList> arguments() const
    {
        std::lock_guard lock(m_);
        return arguments_;
    }

private:
    mutable std::mutex m_;
    std::vector<QStringList> arguments_;
    ZipUtil::ToolObserver previous_;
};

// Runs "zip <options> <archive> <names>" inside `folder`.
bool zipIn(const QString& folder, const QStringList& options, const QString& archive, const QStringList& names)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral("zip"), QStringList{QStringLiteral("-q")} + options + QStringList{archive} + names);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Temporary files of this process go to a private folder for one scope, so
// that what a read leaves behind can be seen.
class ScopedTempFolder {
public:
    ScopedTempFolder() : previous_(qgetenv("TMPDIR")) { qputenv("TMPDIR", folder.path().toLocal8Bit()); }
    ~ScopedTempFolder()
    {
        if (previous_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", previous_);
    }
    QTemporaryDir folder;

private:
    QByteArray previous_;
};

class ZipMembers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }

    // What load() gives for each name, one run per name.
    std::vector<QByteArray> oneByOne(const QString& archive, const QStringList& names, bool ignoreCap,
                                     qint64 cap = ZipUtil::kMaxMemberBytes)
    {
        std::vector<QByteArray> bytes;
        for (const QString& name : names)
            bytes.push_back(ZipUtil::load(archive, name, ignoreCap, cap));
        return bytes;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ZipMembers, ReadsEveryMemberWithOneRunAndLeavesNothingBehind)
{
    const QString archive = path("pkg.mou");
    pkgtest::Members members;
    QStringList names;
    for (int i = 0; i < 26; ++i) {
        members.emplace_back(QStringLiteral("Tab%1.PNG").arg(i), QByteArray(100 + i, char('a' + i % 26)));
        names << QStringLiteral("tab%1.png").arg(i); // the description's spelling differs in case
    }
    ASSERT_TRUE(pkgtest::makeZip(archive, members));

    std::vector<QByteArray> together;
    std::vector<QStringList> runs;
    {
        ScopedTempFolder temp;
        ToolRuns recorder;
        together = ZipUtil::loadMembers(archive, names, true);
        runs = recorder.arguments();
        EXPECT_TRUE(pkgtest::entries(temp.folder.path()).isEmpty()) << pkgtest::entries(temp.folder.path()).join(' ').toStdString();
    }
    EXPECT_EQ(runs.size(), 1u);
    ASSERT_EQ(together.size(), 26u);
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(together[size_t(i)], members[size_t(i)].second) << i;
    EXPECT_EQ(together, oneByOne(archive, names, true));

    // Exact names are matched exactly.
    const std::vector<QByteArray> exact = ZipUtil::loadMembers(archive, {"Tab3.PNG", "tab3.png", "Tab4.PNG"}, false);
    EXPECT_EQ(exact, (std::vector<QByteArray>{members[3].second, {}, members[4].second}));
}

TEST_F(ZipMembers, EachMemberKeepsTheChecksOfASingleRead)
{
    QTemporaryDir content;
    ASSERT_TRUE(content.isValid());
    ASSERT_TRUE(pkgtest::writeAll(content.filePath("good.png"), "good"));
    ASSERT_TRUE(pkgtest::writeAll(content.filePath("big.png"), QByteArray(5000, 'b')));
    ASSERT_TRUE(pkgtest::writeAll(content.filePath("empty.png"), ""));
    ASSERT_TRUE(pkgtest::writeAll(path("secret"), "SECRET"));
    ASSERT_TRUE(QFile::link(path("secret"), content.filePath("link.png")));
    const QString archive = path("pkg.key");
    // The link is stored as a link (-y), as a hostile package may hold it.
    ASSERT_TRUE(zipIn(content.path(), {"-y"}, archive, {"good.png", "big.png", "empty.png", "link.png"}));

    const QStringList names{"good.png", "big.png", "missing.png", "empty.png", "link.png", "*.png", "-d", "", "good.png"};
    ToolRuns recorder;
    const std::vector<QByteArray> together = ZipUtil::loadMembers(archive, names, false, 4096);
    const std::vector<QStringList> runs = recorder.arguments();
    ASSERT_EQ(together.size(), size_t(names.size()));
    EXPECT_EQ(together[0], "good");
    EXPECT_TRUE(together[1].isEmpty()); // over the cap
    EXPECT_TRUE(together[2].isEmpty());
    EXPECT_TRUE(together[3].isEmpty());
    EXPECT_NE(together[4], "SECRET");   // the link is never followed
    EXPECT_EQ(together[8], "good");
    EXPECT_EQ(together, oneByOne(archive, names, false, 4096));
    // Names the tool would take as a pattern or an option never reach it.
    for (const QStringList& run : runs) {
        const qsizetype at = run.indexOf(QDir(dir.path()).absoluteFilePath("pkg.key"));
        ASSERT_GE(at, 0) << run.join(' ').toStdString();
        const QStringList members = run.mid(at + 1);
        for (const char* refused : {"*.png", "-d", ""})
            EXPECT_FALSE(members.contains(QString::fromLatin1(refused))) << run.join(' ').toStdString();
    }
}

TEST_F(ZipMembers, DamagedOrAmbiguousMembersReadAsTheyDoAlone)
{
    QTemporaryDir content;
    ASSERT_TRUE(content.isValid());
    const QByteArray stored(300, 'S');
    ASSERT_TRUE(pkgtest::writeAll(content.filePath("damaged.png"), stored));
    ASSERT_TRUE(pkgtest::writeAll(content.filePath("fine.png"), "fine"));
    ASSERT_TRUE(pkgtest::writeAll(content.filePath("Twice.png"), "upper"));
    ASSERT_TRUE(pkgtest::writeAll(content.filePath("twice.png"), "lower"));
    const QString archive = path("pkg.mou");
    // Stored uncompressed (-0), so that one changed byte fails the CRC.
    ASSERT_TRUE(zipIn(content.path(), {"-0"}, archive, {"damaged.png", "fine.png", "Twice.png", "twice.png"}));
    QByteArray bytes = pkgtest::readAll(archive);
    const qsizetype at = bytes.indexOf(stored);
    ASSERT_GE(at, 0);
    bytes[at + 10] = 'X';
    ASSERT_TRUE(pkgtest::writeAll(archive, bytes));

    const QStringList names{"damaged.png", "fine.png", "TWICE.PNG"};
    const std::vector<QByteArray> together = ZipUtil::loadMembers(archive, names, true);
    EXPECT_TRUE(together[0].isEmpty());
    EXPECT_EQ(together[1], "fine");
    EXPECT_EQ(together, oneByOne(archive, names, true));

    // A package that is no archive, or none at all, reads as missing.
    ASSERT_TRUE(pkgtest::writeAll(path("junk.mou"), "PK\x03\x04 junk"));
    EXPECT_EQ(ZipUtil::loadMembers(path("junk.mou"), names, true), std::vector<QByteArray>(3));
    EXPECT_EQ(ZipUtil::loadMembers(path("none.mou"), names, true), std::vector<QByteArray>(3));
}
