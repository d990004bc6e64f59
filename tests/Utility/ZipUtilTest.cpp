#include "Utility/ZipUtil.h"

#include "PackageTestSupport.h"
#include "Platform/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <unistd.h>

using pkgtest::Members;

namespace {

struct ToolCall {
    QString program;
    QStringList arguments;
    QString workingDirectory;
};

// Records every tool start for the life of the object.
class ToolRecorder {
public:
    ToolRecorder()
    {
        previous_ = ZipUtil::setToolObserver(
            [this](const QString& p, const QStringList& a, const QString& w) { calls.push_back({p, a, w}); });
    }
    ~ToolRecorder() { ZipUtil::setToolObserver(previous_); }
    std::vector<ToolCall> calls;

private:
    ZipUtil::ToolObserver previous_;
};

// Points the tools at other programs for one scope.
class ScopedTools {
public:
    ScopedTools(const QString& zip, const QString& unzip) { ZipUtil::setToolPaths(zip, unzip); }
    ~ScopedTools() { ZipUtil::setToolPaths({}, {}); }
};

class ZipUtilTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

} // namespace

TEST(ZipUtilNames, MemberNameRules)
{
    const struct {
        const char* name;
        bool valid;
    } cases[] = {
        {"profile.xml", true},
        {"Profile.xml", true},
        {"profile.KVK108US.xml", true},
        {"key top.png", true},
        {"a-b_c.1", true},
        {"", false},
        {".", false},
        {"..", false},
        {"-x", false},
        {"*.xml", false},
        {"a?.xml", false},
        {"[ab].xml", false},
        {"a]", false},
        {"../a", false},
        {"a/b", false},
        {"a\\b", false},
        {"a\nb", false},
        {"a\tb", false},
        {"a\x7f", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZipUtil::isValidMemberName(QString::fromUtf8(c.name)), c.valid) << c.name;
    EXPECT_TRUE(ZipUtil::isValidMemberName(QString::fromUtf8("\xC3\xBC.xml"))); // ü
    EXPECT_TRUE(ZipUtil::isValidMemberName(QString(255, QLatin1Char('a'))));
    EXPECT_FALSE(ZipUtil::isValidMemberName(QString(256, QLatin1Char('a'))));
}

TEST_F(ZipUtilTest, LoadAndContainsFollowNameAndCaseRules)
{
    const QString archive = path("pkg.key");
    ASSERT_TRUE(pkgtest::makeZip(archive, {{"Profile.xml", "<a/>\r\n"}, {"empty.txt", ""}, {"x.xml", "x"}}));

    const struct {
        const char* member;
        bool ignoreCap;
        QByteArray expected;
    } cases[] = {
        {"Profile.xml", false, "<a/>\r\n"},
        {"profile.xml", false, ""},
        {"profile.xml", true, "<a/>\r\n"},
        {"PROFILE.XML", true, "<a/>\r\n"},
        {"missing.xml", false, ""},
        {"empty.txt", false, ""},
        {"*.xml", false, ""}, // would print every matching member
        {"-x", false, ""},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.member);
        EXPECT_EQ(ZipUtil::load(archive, QString::fromUtf8(c.member), c.ignoreCap), c.expected);
        if (!c.ignoreCap) {
            EXPECT_EQ(ZipUtil::contains(archive, QString::fromUtf8(c.member)), !c.expected.isEmpty());
        }
    }
}

TEST_F(ZipUtilTest, LoadOfMissingOrBrokenArchiveIsEmpty)
{
    // unzip tries "<name>.zip" when "<name>" is missing; that must not count.
    ASSERT_TRUE(pkgtest::makeZip(path("pkg.zip"), {{"a.xml", "a"}}));
    EXPECT_TRUE(ZipUtil::load(path("pkg"), "a.xml", false).isEmpty());
    EXPECT_TRUE(ZipUtil::load(path("nothing.prf"), "a.xml", false).isEmpty());
    EXPECT_TRUE(ZipUtil::load(dir.path(), "a.xml", false).isEmpty());
    ASSERT_TRUE(pkgtest::writeAll(path("garbage.prf"), "PK\x03\x04 not really a zip"));
    EXPECT_TRUE(ZipUtil::load(path("garbage.prf"), "a.xml", false).isEmpty());
}

TEST_F(ZipUtilTest, LoadRespectsSizeCap)
{
    const QByteArray big(100000, 'x');
    ASSERT_TRUE(pkgtest::makeZip(path("big.zip"), {{"big.bin", big}}));
    EXPECT_EQ(ZipUtil::load(path("big.zip"), "big.bin", false, 100000), big);
    EXPECT_TRUE(ZipUtil::load(path("big.zip"), "big.bin", false, 99999).isEmpty());
}

TEST_F(ZipUtilTest, ArgumentVectors)
{
    ASSERT_TRUE(pkgtest::makeZip(path("a.zip"), {{"m.xml", "m"}}));
    ASSERT_TRUE(pkgtest::writeAll(path("one.xml"), "1"));
    ASSERT_TRUE(pkgtest::writeAll(path("two.xml"), "2"));
    const QString absolute = QFileInfo(path("a.zip")).absoluteFilePath();

    ToolRecorder recorder;
    ZipUtil::load(path("a.zip"), "m.xml", false);
    ZipUtil::load(path("a.zip"), "m.xml", true);
    ASSERT_EQ(ZipUtil::save(dir.path(), {"one.xml", "two.xml"}, path("b.zip"), false), AppError::NoError);
    ASSERT_EQ(ZipUtil::save(dir.path(), {"one.xml"}, path("c.zip"), true), AppError::NoError);
    ASSERT_EQ(recorder.calls.size(), 4u);

    EXPECT_EQ(recorder.calls[0].program, ZipUtil::unzipToolPath());
    EXPECT_EQ(recorder.calls[0].arguments, (QStringList{"-p", absolute, "m.xml"}));
    EXPECT_EQ(recorder.calls[1].arguments, (QStringList{"-pC", absolute, "m.xml"}));

    // zip runs inside the source folder with the archive, then the bare names;
    // the archive is a work copy beside the destination, renamed over it.
    const ToolCall& plain = recorder.calls[2];
    EXPECT_EQ(plain.program, ZipUtil::zipToolPath());
    EXPECT_EQ(QDir(plain.workingDirectory).canonicalPath(), QDir(dir.path()).canonicalPath());
    ASSERT_EQ(plain.arguments.size(), 3);
    EXPECT_EQ(QFileInfo(plain.arguments[0]).absolutePath(), QFileInfo(path("b.zip")).absolutePath());
    EXPECT_TRUE(plain.arguments[0].endsWith(".zip"));
    EXPECT_EQ(plain.arguments.mid(1), (QStringList{"one.xml", "two.xml"}));
    const ToolCall& crlf = recorder.calls[3];
    ASSERT_EQ(crlf.arguments.size(), 3);
    EXPECT_EQ(crlf.arguments[0], "-l");
    EXPECT_EQ(crlf.arguments[2], "one.xml");

    EXPECT_EQ(pkgtest::listZip(path("b.zip")), (QStringList{"one.xml", "two.xml"}));
    EXPECT_EQ(pkgtest::memberOf(path("c.zip"), "one.xml"), "1");
    // No work copies are left beside the archives.
    EXPECT_EQ(pkgtest::entries(dir.path()), (QStringList{"a.zip", "b.zip", "c.zip", "one.xml", "two.xml"}));
}

TEST_F(ZipUtilTest, SaveKeepsOtherMembersAndReplacesNamedOnes)
{
    ASSERT_TRUE(pkgtest::makeZip(path("p.prf"), {{"keep.xml", "old keep"}, {"swap.xml", "old swap"}}));
    QDir().mkpath(path("src"));
    ASSERT_TRUE(pkgtest::writeAll(path("src/swap.xml"), "new swap"));
    ASSERT_TRUE(pkgtest::writeAll(path("src/add.xml"), "added"));

    ASSERT_EQ(ZipUtil::save(path("src"), {"swap.xml", "add.xml"}, path("p.prf"), false), AppError::NoError);
    QStringList members = pkgtest::listZip(path("p.prf"));
    members.sort();
    EXPECT_EQ(members, (QStringList{"add.xml", "keep.xml", "swap.xml"}));
    EXPECT_EQ(pkgtest::memberOf(path("p.prf"), "keep.xml"), "old keep");
    EXPECT_EQ(pkgtest::memberOf(path("p.prf"), "swap.xml"), "new swap");
}

TEST_F(ZipUtilTest, SaveRefusesBadInputWithoutStartingTheTool)
{
    ASSERT_TRUE(pkgtest::writeAll(path("a.xml"), "a"));
    ToolRecorder recorder;
    EXPECT_EQ(ZipUtil::save(path("missing"), path("x.zip"), false), AppError::FileWrite);
    EXPECT_EQ(ZipUtil::save(dir.path(), QStringList{}, path("x.zip"), false), AppError::BadParam);
    EXPECT_EQ(ZipUtil::save(dir.path(), {"*"}, path("x.zip"), false), AppError::BadParam);
    EXPECT_EQ(ZipUtil::save(dir.path(), {"-r"}, path("x.zip"), false), AppError::BadParam);
    EXPECT_EQ(ZipUtil::save(dir.path(), {"nothere.xml"}, path("x.zip"), false), AppError::FileWrite);
    EXPECT_EQ(ZipUtil::save(dir.path(), {"a.xml"}, path("no/such/folder/x.zip"), false), AppError::FileWrite);
    EXPECT_TRUE(recorder.calls.empty());
    EXPECT_FALSE(QFileInfo::exists(path("x.zip")));
}

TEST_F(ZipUtilTest, FailedSaveLeavesDestinationByteIdentical)
{
    ASSERT_TRUE(pkgtest::writeAll(path("a.xml"), "a"));
    // Not an archive: the tool refuses to update it.
    const QByteArray notZip("this is not a zip archive\n");
    ASSERT_TRUE(pkgtest::writeAll(path("dest.prf"), notZip));
    EXPECT_EQ(ZipUtil::save(dir.path(), {"a.xml"}, path("dest.prf"), false), AppError::FileWrite);
    EXPECT_EQ(pkgtest::readAll(path("dest.prf")), notZip);

    // A tool that exits with an error.
    ASSERT_TRUE(pkgtest::makeZip(path("good.prf"), {{"m.xml", "m"}}));
    const QByteArray before = pkgtest::readAll(path("good.prf"));
    {
        ScopedTools tools(QStringLiteral("/bin/false"), QStringLiteral("/bin/false"));
        EXPECT_EQ(ZipUtil::save(dir.path(), {"a.xml"}, path("good.prf"), false), AppError::FileWrite);
        EXPECT_EQ(ZipUtil::deleteMember(path("good.prf"), "m.xml"), AppError::FileWrite);
        EXPECT_TRUE(ZipUtil::load(path("good.prf"), "m.xml", false).isEmpty());
    }
    EXPECT_EQ(pkgtest::readAll(path("good.prf")), before);
    EXPECT_EQ(pkgtest::entries(dir.path()), (QStringList{"a.xml", "dest.prf", "good.prf"}));
}

TEST_F(ZipUtilTest, HungToolIsKilledAfterTimeOut)
{
    const QString script = path("hang.sh");
    ASSERT_TRUE(pkgtest::writeAll(script, "#!/bin/sh\nexec sleep 600\n"));
    QFile::setPermissions(script, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_TRUE(pkgtest::makeZip(path("a.zip"), {{"m.xml", "m"}}));

    ScopedTools tools(script, script);
    platform::ScopedTimeScale fast(0.01); // 30 s become 0.3 s
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(ZipUtil::load(path("a.zip"), "m.xml", false).isEmpty());
    EXPECT_EQ(ZipUtil::save(dir.path(), {"a.zip"}, path("b.zip"), false), AppError::FileWrite);
    // Two runs of 0.3 s each; a tool left to run would take ten minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_FALSE(QFileInfo::exists(path("b.zip")));
}

TEST_F(ZipUtilTest, DeleteMember)
{
    ASSERT_TRUE(pkgtest::makeZip(path("p.prf"), {{"a.xml", "a"}, {"b.xml", "b"}, {"c.xml", "c"}}));
    EXPECT_EQ(ZipUtil::deleteMember(path("p.prf"), "b.xml"), AppError::NoError);
    EXPECT_EQ(pkgtest::listZip(path("p.prf")), (QStringList{"a.xml", "c.xml"}));

    const QByteArray before = pkgtest::readAll(path("p.prf"));
    EXPECT_EQ(ZipUtil::deleteMember(path("p.prf"), "missing.xml"), AppError::NoError);
    // A wildcard would empty the archive; it is refused.
    EXPECT_EQ(ZipUtil::deleteMember(path("p.prf"), "*.xml"), AppError::BadParam);
    EXPECT_EQ(ZipUtil::deleteMember(path("p.prf"), "-d"), AppError::BadParam);
    EXPECT_EQ(pkgtest::readAll(path("p.prf")), before);
    EXPECT_EQ(ZipUtil::deleteMember(path("none.prf"), "a.xml"), AppError::FileWrite);
    EXPECT_EQ(pkgtest::entries(dir.path()), QStringList{"p.prf"});
}

TEST_F(ZipUtilTest, ToolEnvironmentOptionsAreIgnored)
{
    // unzip reads extra options from $UNZIP; "-a" would convert text line ends.
    ASSERT_TRUE(pkgtest::makeZip(path("a.zip"), {{"m.txt", "x\r\ny\r\n"}}));
    const QByteArray previous = qgetenv("UNZIP");
    qputenv("UNZIP", "-aa");
    const QByteArray bytes = ZipUtil::load(path("a.zip"), "m.txt", false);
    if (previous.isNull())
        qunsetenv("UNZIP");
    else
        qputenv("UNZIP", previous);
    EXPECT_EQ(bytes, "x\r\ny\r\n");
}

TEST_F(ZipUtilTest, TempFilePath)
{
    const QString folder = dir.path() + "/";
    const QString temp = AppUtil::getTempFilePath(folder);
    ASSERT_TRUE(temp.startsWith(folder));
    const QString name = temp.mid(folder.size());
    EXPECT_EQ(name.size(), 36 + 4);
    EXPECT_TRUE(name.endsWith(".tmp"));
    EXPECT_EQ(name, name.toUpper().replace(".TMP", ".tmp"));
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_NE(AppUtil::getTempFilePath(folder), temp);
    EXPECT_TRUE(AppUtil::getTempFilePath(QString()).isEmpty());
}

TEST_F(ZipUtilTest, FolderWriteProbe)
{
    EXPECT_FALSE(AppUtil::isEnableFoldrWrite(path("missing/")));
    EXPECT_FALSE(AppUtil::isEnableFoldrWrite(QString()));
    ASSERT_TRUE(pkgtest::writeAll(path("file"), "f"));
    EXPECT_FALSE(AppUtil::isEnableFoldrWrite(path("file")));

    QDir().mkpath(path("w"));
    EXPECT_TRUE(AppUtil::isEnableFoldrWrite(path("w/")));
    EXPECT_TRUE(AppUtil::isEnableFoldrWrite(path("w")));
    EXPECT_TRUE(pkgtest::entries(path("w")).isEmpty());
    EXPECT_EQ(pkgtest::entries(dir.path()), (QStringList{"file", "w"}));

    if (geteuid() == 0)
        GTEST_SKIP() << "root can write into a read-only folder";
    QDir().mkpath(path("ro"));
    QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(AppUtil::isEnableFoldrWrite(path("ro/")));
    QFile::setPermissions(path("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(pkgtest::entries(path("ro")).isEmpty());
}

TEST_F(ZipUtilTest, GetFilesWithAndWithoutTrailingSlash)
{
    ASSERT_TRUE(pkgtest::writeAll(path("a.prf"), "a"));
    ASSERT_TRUE(pkgtest::writeAll(path(".hidden"), "h"));
    QDir().mkpath(path("sub"));
    const QString folder = dir.path();

    QStringList withSlash = AppUtil::getFiles(folder + "/");
    QStringList withoutSlash = AppUtil::getFiles(folder);
    withSlash.sort();
    withoutSlash.sort();
    const QStringList expected{folder + "/.hidden", folder + "/a.prf", folder + "/sub"};
    EXPECT_EQ(withSlash, expected);
    EXPECT_EQ(withoutSlash, expected);
    EXPECT_TRUE(AppUtil::getFiles(path("missing")).isEmpty());
    EXPECT_TRUE(AppUtil::getFiles(QString()).isEmpty());
}
