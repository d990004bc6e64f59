#include "Utility/ProfilePackage.h"

#include "PackageTestSupport.h"
#include "Utility/Crc16.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using pkgtest::Members;

namespace {

// A small profile model with a reader and writer in the usual pattern:
//   <Test><Title>..</Title><Items><Item><Value>..</Value></Item>...</Items></Test>
class TestProfileXML;
struct TestProfile {
    using Xml = TestProfileXML;
    QString title;
    QStringList items;
    bool operator==(const TestProfile&) const = default;
};

class TestProfileXML : public XmlProfileReader {
public:
    TestProfile profile;
    TestProfile takeProfile() { return std::move(profile); }

    static std::optional<QByteArray> construct(const TestProfile& p)
    {
        XmlElement root(QStringLiteral("Test"));
        root.add(QStringLiteral("Title"), p.title);
        XmlElement& items = root.add(QStringLiteral("Items"));
        for (const QString& v : p.items)
            items.add(QStringLiteral("Item")).add(QStringLiteral("Value"), v);
        return XmlProfileWriter::document(root);
    }

protected:
    void startElement(const QString& name) override
    {
        if (name == QLatin1String("Item")) {
            inItem = true;
            item.clear();
            return;
        }
        tmpKey = name;
    }
    void characters(const QString& text) override
    {
        if (!tmpKey)
            return;
        if (inItem && *tmpKey == QLatin1String("Value"))
            item = text;
        else if (!inItem && *tmpKey == QLatin1String("Title"))
            profile.title = text;
    }
    void endElement(const QString& name) override
    {
        tmpKey.reset();
        if (name == QLatin1String("Item")) {
            profile.items.push_back(item);
            inItem = false;
        }
    }

private:
    bool inItem = false;
    QString item;
};

// A model whose writer cannot build a document.
class BrokenProfileXML;
struct BrokenProfile {
    using Xml = BrokenProfileXML;
};
class BrokenProfileXML : public XmlProfileReader {
public:
    BrokenProfile takeProfile() { return {}; }
    static std::optional<QByteArray> construct(const BrokenProfile&) { return std::nullopt; }

protected:
    void startElement(const QString&) override {}
    void characters(const QString&) override {}
    void endElement(const QString&) override {}
};

QByteArray indexDoc(const QList<QStringList>& entries)
{
    return AppUtil::dataConvertCRLF(*FileIndexXML::construct(entries)).value();
}

QString sign(const QByteArray& bytes)
{
    return Crc16::toText(Crc16::compute(bytes));
}

FileIndex readIndex(const QString& path)
{
    FileIndex index;
    EXPECT_EQ(AppUtil::loadProfile(path, index, AppUtil::kIndexMemberName), AppError::NoError);
    return index;
}

QStringList sortedMembers(const QString& archive)
{
    QStringList m = pkgtest::listZip(archive);
    m.sort();
    return m;
}

// Points the zip tools at /bin/false for one scope.
struct FailingTools {
    FailingTools() { ZipUtil::setToolPaths(QStringLiteral("/bin/false"), QStringLiteral("/bin/false")); }
    ~FailingTools() { ZipUtil::setToolPaths({}, {}); }
};

class ProfilePackageTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    const TestProfile sample{QStringLiteral("Sample"), {QStringLiteral("one"), QStringLiteral("two")}};
};

} // namespace

TEST(DataConvertCRLF, Table)
{
    const struct {
        QByteArray in;
        std::optional<QByteArray> out;
    } cases[] = {
        {"", QByteArray("")},
        {"abc", QByteArray("abc")},
        {"a\nb\n", QByteArray("a\r\nb\r\n")},
        {"a\r\nb", QByteArray("a\r\r\nb")},
        {"\n\n", QByteArray("\r\n\r\n")},
        {"\xC3\xBC\n", QByteArray("\xC3\xBC\r\n")},
        {"\xEF\xBB\xBFx\n", QByteArray("\xEF\xBB\xBFx\r\n")},
        {QByteArray("a\0b\n", 4), QByteArray("a\0b\r\n", 5)},
        {"\xFF\xFE\n", std::nullopt},
        {"abc\xC3", std::nullopt},
        {"\xC0\x8A", std::nullopt}, // overlong LF
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in.toHex().toStdString());
        EXPECT_EQ(AppUtil::dataConvertCRLF(c.in), c.out);
    }
}

TEST_F(ProfilePackageTest, SaveThenLoadRoundTrip)
{
    TestProfile p{QStringLiteral("A&B <C> \"d\" \xC3\xA9"), {QStringLiteral("x&amp;y"), QString()}};
    ASSERT_EQ(AppUtil::saveProfile(path("p.prf"), p, "profile.KV1.xml"), AppError::NoError);

    EXPECT_EQ(pkgtest::listZip(path("p.prf")), (QStringList{"index.xml", "profile.KV1.xml"}));
    // Stored with CR LF only, and listed with the CRC of the stored bytes.
    const QByteArray stored = pkgtest::memberOf(path("p.prf"), "profile.KV1.xml");
    EXPECT_TRUE(stored.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"));
    EXPECT_EQ(stored.count("\n"), stored.count("\r\n"));
    const FileIndex index = readIndex(path("p.prf"));
    ASSERT_EQ(index.fileIndexEntry.size(), 1u);
    EXPECT_EQ(index.fileIndexEntry[0].name, "profile.KV1.xml");
    EXPECT_EQ(index.fileIndexEntry[0].sign, sign(stored));
    const QByteArray indexBytes = pkgtest::memberOf(path("p.prf"), "index.xml");
    EXPECT_EQ(indexBytes.count("\n"), indexBytes.count("\r\n"));

    TestProfile loaded;
    std::atomic<int> toolRuns{0};
    const ZipUtil::ToolObserver previous =
        ZipUtil::setToolObserver([&](const QString&, const QStringList&, const QString&) { ++toolRuns; });
    ASSERT_EQ(AppUtil::loadProfile(path("p.prf"), loaded, "profile.KV1.xml"), AppError::NoError);
    ZipUtil::setToolObserver(previous);
    EXPECT_EQ(loaded, p); // "A&B" comes back whole
    EXPECT_EQ(toolRuns, 1) << "the index and the member come from one run of the zip tool";
}

TEST_F(ProfilePackageTest, SaveReplacesTheWholeFile)
{
    ASSERT_TRUE(pkgtest::makeZip(path("p.prf"), {{"profile.A.xml", "a"}, {"profile.B.xml", "b"}, {"index.xml", "i"}}));
    ASSERT_EQ(AppUtil::saveProfile(path("p.prf"), sample, "profile.C.xml"), AppError::NoError);
    EXPECT_EQ(sortedMembers(path("p.prf")), (QStringList{"index.xml", "profile.C.xml"}));
    EXPECT_EQ(pkgtest::entries(dir.path()), QStringList{"p.prf"}); // nothing left beside it
}

TEST_F(ProfilePackageTest, AppendKeepsIndexOrderAndReplacesInPlace)
{
    const QString file = path("p.prf");
    // Appending to a missing file creates the package.
    ASSERT_EQ(AppUtil::appendProfile(file, sample, "profile.A.xml"), AppError::NoError);
    EXPECT_EQ(sortedMembers(file), (QStringList{"index.xml", "profile.A.xml"}));
    ASSERT_EQ(readIndex(file).fileIndexEntry.size(), 1u);

    TestProfile b{QStringLiteral("B"), {}};
    TestProfile a2{QStringLiteral("A2"), {QStringLiteral("z")}};
    ASSERT_EQ(AppUtil::appendProfile(file, b, "profile.B.xml"), AppError::NoError);
    ASSERT_EQ(AppUtil::appendProfile(file, a2, "profile.A.xml"), AppError::NoError);

    const FileIndex index = readIndex(file);
    ASSERT_EQ(index.fileIndexEntry.size(), 2u);
    EXPECT_EQ(index.fileIndexEntry[0].name, "profile.A.xml");
    EXPECT_EQ(index.fileIndexEntry[1].name, "profile.B.xml");
    EXPECT_EQ(index.fileIndexEntry[0].sign, sign(pkgtest::memberOf(file, "profile.A.xml")));
    EXPECT_EQ(sortedMembers(file), (QStringList{"index.xml", "profile.A.xml", "profile.B.xml"}));

    TestProfile loadedA, loadedB;
    EXPECT_EQ(AppUtil::loadProfile(file, loadedA, "profile.A.xml"), AppError::NoError);
    EXPECT_EQ(AppUtil::loadProfile(file, loadedB, "profile.B.xml"), AppError::NoError);
    EXPECT_EQ(loadedA, a2);
    EXPECT_EQ(loadedB, b);
    EXPECT_EQ(pkgtest::entries(dir.path()), QStringList{"p.prf"});
}

TEST_F(ProfilePackageTest, AppendKeepsEntriesOfAHandMadePackage)
{
    const QByteArray other("<Other/>\r\n");
    ASSERT_TRUE(pkgtest::makeZip(path("p.prf"),
                                 {{"z.xml", other},
                                  {"index.xml", indexDoc({{"z.xml", sign(other)}, {"gone.xml", "1234"}})}}));
    ASSERT_EQ(AppUtil::appendProfile(path("p.prf"), sample, "a.xml"), AppError::NoError);
    const FileIndex index = readIndex(path("p.prf"));
    ASSERT_EQ(index.fileIndexEntry.size(), 3u);
    EXPECT_EQ(index.fileIndexEntry[0], (FileIndex::FileIndexEntry{"z.xml", sign(other)}));
    EXPECT_EQ(index.fileIndexEntry[1], (FileIndex::FileIndexEntry{"gone.xml", "1234"}));
    EXPECT_EQ(index.fileIndexEntry[2].name, "a.xml");
    EXPECT_EQ(pkgtest::memberOf(path("p.prf"), "z.xml"), other);
}

TEST_F(ProfilePackageTest, BinaryMembersGoInUnchanged)
{
    QByteArray image("\x89PNG\r\n\x1A\n", 8);
    image.append(QByteArray("\0\n\r\xFF", 4));
    ASSERT_EQ(AppUtil::saveProfile(path("k.key"), sample, "Profile.xml"), AppError::NoError);
    ASSERT_EQ(ZipUtil::append(path("k.key"), {{"Keyboard.png", image}, {"Thumb.png", image + "t"}}),
              AppError::NoError);
    EXPECT_EQ(ZipUtil::load(path("k.key"), "Keyboard.png", false), image);
    const FileIndex index = readIndex(path("k.key"));
    ASSERT_EQ(index.fileIndexEntry.size(), 3u);
    EXPECT_EQ(index.fileIndexEntry[1], (FileIndex::FileIndexEntry{"Keyboard.png", sign(image)}));
    EXPECT_EQ(index.fileIndexEntry[2].name, "Thumb.png");
    QByteArray checked;
    EXPECT_EQ(AppUtil::loadCheckedMember(path("k.key"), "Keyboard.png", checked, ZipUtil::kMaxMemberBytes),
              AppError::NoError);
    EXPECT_EQ(checked, image);
    TestProfile loaded;
    EXPECT_EQ(AppUtil::loadProfile(path("k.key"), loaded, "Profile.xml"), AppError::NoError);
    EXPECT_EQ(loaded, sample);
}

TEST_F(ProfilePackageTest, LoadResultsAndModelLeftUnchanged)
{
    const QByteArray good = AppUtil::dataConvertCRLF(*TestProfileXML::construct(sample)).value();
    const QByteArray malformed("<Test><Title>half</Title>");
    const QString s = sign(good);

    const struct {
        const char* what;
        Members members; // empty: no file at all
        const char* readFile;
        AppError expected;
    } cases[] = {
        {"no package", {}, "p.xml", AppError::FileRead},
        {"no index", {{"p.xml", good}}, "p.xml", AppError::FileRead},
        {"good", {{"p.xml", good}, {"index.xml", indexDoc({{"p.xml", s}})}}, "p.xml", AppError::NoError},
        {"member not in index", {{"p.xml", good}, {"index.xml", indexDoc({{"q.xml", s}})}}, "p.xml",
         AppError::FileRead},
        {"index name differs in case", {{"p.xml", good}, {"index.xml", indexDoc({{"P.xml", s}})}}, "p.xml",
         AppError::FileRead},
        // The CRC of "A" is 5C0A: right value, wrong letter case.
        {"lower-case sign", {{"p.xml", "A"}, {"index.xml", indexDoc({{"p.xml", "5c0a"}})}}, "p.xml",
         AppError::CrcError},
        {"wrong sign", {{"p.xml", good}, {"index.xml", indexDoc({{"p.xml", "0000"}})}}, "p.xml",
         AppError::CrcError},
        {"empty sign", {{"p.xml", good}, {"index.xml", indexDoc({{"p.xml", ""}})}}, "p.xml", AppError::CrcError},
        {"index without entries, member there", {{"p.xml", good}, {"index.xml", indexDoc({})}}, "p.xml",
         AppError::CrcError},
        {"index without entries, member missing", {{"q.xml", good}, {"index.xml", indexDoc({})}}, "p.xml",
         AppError::FileRead},
        {"listed but missing", {{"q.xml", good}, {"index.xml", indexDoc({{"p.xml", s}})}}, "p.xml",
         AppError::FileRead},
        {"listed but empty", {{"p.xml", ""}, {"index.xml", indexDoc({{"p.xml", "FFFF"}})}}, "p.xml",
         AppError::FileRead},
        {"malformed member", {{"p.xml", malformed}, {"index.xml", indexDoc({{"p.xml", sign(malformed)}})}},
         "p.xml", AppError::FileRead},
        {"malformed index", {{"p.xml", good}, {"index.xml", "<FileIndex><List>"}}, "p.xml", AppError::FileRead},
        {"wildcard name", {{"p.xml", good}, {"index.xml", indexDoc({{"*.xml", s}})}}, "*.xml",
         AppError::FileRead},
        {"first matching entry counts",
         {{"p.xml", good}, {"index.xml", indexDoc({{"p.xml", "0000"}, {"p.xml", s}})}}, "p.xml",
         AppError::CrcError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = path("case.prf");
        QFile::remove(file);
        if (!c.members.empty()) {
            ASSERT_TRUE(pkgtest::makeZip(file, c.members));
        }
        const TestProfile before{QStringLiteral("untouched"), {QStringLiteral("keep")}};
        TestProfile model = before;
        EXPECT_EQ(AppUtil::loadProfile(file, model, QString::fromUtf8(c.readFile)), c.expected);
        EXPECT_EQ(model, c.expected == AppError::NoError ? sample : before);
    }
}

TEST_F(ProfilePackageTest, FailedWritesLeaveTheOldFileByteIdentical)
{
    const QString file = path("p.prf");
    ASSERT_EQ(AppUtil::saveProfile(file, sample, "profile.A.xml"), AppError::NoError);
    const QByteArray before = pkgtest::readAll(file);

    {
        FailingTools tools;
        EXPECT_EQ(AppUtil::saveProfile(file, TestProfile{"new", {}}, "profile.A.xml"), AppError::FileNotExist);
        EXPECT_EQ(AppUtil::appendProfile(file, TestProfile{"new", {}}, "profile.B.xml"), AppError::FileNotExist);
    }
    EXPECT_EQ(AppUtil::saveProfile(file, BrokenProfile{}, "profile.A.xml"), AppError::FileNotExist);
    EXPECT_EQ(AppUtil::appendProfile(file, BrokenProfile{}, "profile.A.xml"), AppError::FileNotExist);
    // Names that would reach the tools as options, paths or wildcards.
    for (const char* bad : {"", "-x", "../x.xml", "a/b.xml", "*.xml", "index.xml"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(AppUtil::saveProfile(file, sample, QString::fromUtf8(bad)), AppError::FileNotExist);
        EXPECT_EQ(AppUtil::appendProfile(file, sample, QString::fromUtf8(bad)), AppError::FileNotExist);
    }
    EXPECT_EQ(pkgtest::readAll(file), before);
    EXPECT_EQ(pkgtest::entries(dir.path()), QStringList{"p.prf"});

    EXPECT_EQ(AppUtil::saveProfile(path("no/folder/p.prf"), sample, "a.xml"), AppError::FileNotExist);
    EXPECT_EQ(AppUtil::saveProfile(dir.path(), sample, "a.xml"), AppError::FileNotExist);
    EXPECT_EQ(ZipUtil::append(file, {}), AppError::BadParam);
    EXPECT_EQ(ZipUtil::append(file, {{"index.xml", "x"}}), AppError::BadParam);
    EXPECT_EQ(pkgtest::readAll(file), before);
}

TEST_F(ProfilePackageTest, AppendToSomethingThatIsNotAPackageFails)
{
    const QByteArray junk("not a zip at all\n");
    ASSERT_TRUE(pkgtest::writeAll(path("junk.prf"), junk));
    EXPECT_EQ(AppUtil::appendProfile(path("junk.prf"), sample, "a.xml"), AppError::FileNotExist);
    EXPECT_EQ(pkgtest::readAll(path("junk.prf")), junk);
    EXPECT_EQ(pkgtest::entries(dir.path()), QStringList{"junk.prf"});
}

TEST_F(ProfilePackageTest, StagingFoldersAreRemoved)
{
    QTemporaryDir tempRoot;
    ASSERT_TRUE(tempRoot.isValid());
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tempRoot.path()));
    ASSERT_EQ(QDir::tempPath(), tempRoot.path());

    EXPECT_EQ(AppUtil::saveProfile(path("p.prf"), sample, "a.xml"), AppError::NoError);
    EXPECT_EQ(AppUtil::appendProfile(path("p.prf"), sample, "b.xml"), AppError::NoError);
    {
        FailingTools tools;
        EXPECT_EQ(AppUtil::saveProfile(path("p.prf"), sample, "a.xml"), AppError::FileNotExist);
        EXPECT_EQ(AppUtil::appendProfile(path("p.prf"), sample, "c.xml"), AppError::FileNotExist);
    }
    const QStringList left = pkgtest::entries(tempRoot.path());

    if (previous.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", previous);
    EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
}

TEST_F(ProfilePackageTest, NamesWithPatternCharactersAreTakenLiterally)
{
    // Each file has a neighbour its name would match as a wildcard pattern.
    const std::pair<const char*, const char*> pairs[] = {
        {"Work [1].prf", "Work 1.prf"}, {"a?.prf", "ab.prf"}, {"x*.prf", "xyz.prf"}, {"b\\c.prf", "bc.prf"}};
    for (const auto& [name, neighbour] : pairs) {
        SCOPED_TRACE(name);
        const TestProfile mine{QStringLiteral("mine"), {QStringLiteral("1")}};
        const TestProfile theirs{QStringLiteral("theirs"), {QStringLiteral("2"), QStringLiteral("3")}};
        ASSERT_EQ(AppUtil::saveProfile(path(neighbour), theirs, "profile.K.xml"), AppError::NoError);
        ASSERT_EQ(AppUtil::saveProfile(path(name), mine, "profile.K.xml"), AppError::NoError);

        TestProfile loaded;
        EXPECT_EQ(AppUtil::loadProfile(path(name), loaded, "profile.K.xml"), AppError::NoError);
        EXPECT_EQ(loaded, mine);

        // Appending reads the file's own index, so its CRCs stay right.
        const TestProfile extra{QStringLiteral("extra"), {}};
        ASSERT_EQ(AppUtil::appendProfile(path(name), extra, "profile.L.xml"), AppError::NoError);
        const FileIndex index = readIndex(path(name));
        ASSERT_EQ(index.fileIndexEntry.size(), 2u);
        EXPECT_EQ(index.fileIndexEntry[0].sign, sign(ZipUtil::load(path(name), "profile.K.xml", false)));
        EXPECT_EQ(AppUtil::loadProfile(path(name), loaded, "profile.K.xml"), AppError::NoError);
        EXPECT_EQ(loaded, mine);
        EXPECT_EQ(AppUtil::loadProfile(path(neighbour), loaded, "profile.K.xml"), AppError::NoError);
        EXPECT_EQ(loaded, theirs);
        EXPECT_EQ(sortedMembers(path(neighbour)), (QStringList{"index.xml", "profile.K.xml"}));
    }
}

TEST_F(ProfilePackageTest, WritesThroughASymbolicLinkKeepTheLinkAndReplaceItsTarget)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    const QString target = path("real/p.prf");
    const QString link = path("link.prf");
    const QString chain = path("chain.prf");
    ASSERT_TRUE(QFile::link(target, link));
    ASSERT_TRUE(QFile::link(link, chain)); // a link to the link

    ASSERT_EQ(AppUtil::saveProfile(chain, sample, "profile.A.xml"), AppError::NoError);
    const TestProfile b{QStringLiteral("B"), {}};
    ASSERT_EQ(AppUtil::appendProfile(link, b, "profile.B.xml"), AppError::NoError);
    ASSERT_EQ(AppUtil::appendProfile(chain, b, "profile.C.xml"), AppError::NoError);
    EXPECT_EQ(ZipUtil::deleteMember(chain, "profile.C.xml"), AppError::NoError);

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo(chain).isSymLink());
    EXPECT_EQ(QFileInfo(chain).symLinkTarget(), QFileInfo(link).absoluteFilePath());
    ASSERT_FALSE(QFileInfo(target).isSymLink());
    EXPECT_EQ(sortedMembers(target), (QStringList{"index.xml", "profile.A.xml", "profile.B.xml"}));
    TestProfile loaded;
    EXPECT_EQ(AppUtil::loadProfile(chain, loaded, "profile.A.xml"), AppError::NoError);
    EXPECT_EQ(loaded, sample);
    // Work files went next to the target and were removed.
    EXPECT_EQ(pkgtest::entries(path("real")), QStringList{"p.prf"});
    EXPECT_EQ(pkgtest::entries(dir.path()), (QStringList{"chain.prf", "link.prf", "real"}));
}

TEST_F(ProfilePackageTest, ConcurrentAppendsToOnePackageLoseNothing)
{
    const QString file = path("shared.prf");
    ASSERT_EQ(AppUtil::saveProfile(file, sample, "profile.0.xml"), AppError::NoError);
    constexpr int kPerWriter = 6;
    std::atomic<int> failures{0};
    auto writer = [&](int first) {
        for (int i = 0; i < kPerWriter; ++i) {
            const TestProfile p{QStringLiteral("t%1").arg(first + i), {}};
            if (AppUtil::appendProfile(file, p, QStringLiteral("profile.%1.xml").arg(first + i)) != AppError::NoError)
                ++failures;
        }
    };
    std::thread a(writer, 100), b(writer, 200);
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);

    const QStringList members = sortedMembers(file);
    EXPECT_EQ(members.size(), 2 + 2 * kPerWriter);
    const FileIndex index = readIndex(file);
    EXPECT_EQ(int(index.fileIndexEntry.size()), 1 + 2 * kPerWriter);
    for (const auto& entry : index.fileIndexEntry) {
        SCOPED_TRACE(entry.name.toStdString());
        EXPECT_TRUE(members.contains(entry.name));
        EXPECT_EQ(entry.sign, sign(pkgtest::memberOf(file, entry.name)));
    }
}
