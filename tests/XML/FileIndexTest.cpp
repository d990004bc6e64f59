#include "XML/FileIndexXML.h"
#include "XML/XmlProfile.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Entries = std::vector<FileIndex::FileIndexEntry>;

std::optional<Entries> parseIndex(const QByteArray& xml)
{
    FileIndexXML reader;
    if (!reader.parse(xml))
        return std::nullopt;
    return reader.takeProfile().fileIndexEntry;
}

// Records the hooks as text, to check what the base reader delivers.
class RecordingReader : public XmlProfileReader {
public:
    QStringList events;

protected:
    void startDocument() override { events << "doc"; }
    void startElement(const QString& name) override { events << "<" + name; }
    void characters(const QString& text) override
    {
        if (!text.trimmed().isEmpty())
            events << "'" + text + "'";
    }
    void endElement(const QString& name) override { events << ">" + name; }
    void endDocument() override { events << "end"; }
};

} // namespace

TEST(FileIndexXML, ReaderTable)
{
    const struct {
        const char* what;
        const char* xml;
        Entries expected;
    } cases[] = {
        {"two entries",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<FileIndex>\r\n <List>\r\n"
         "  <FileIndexEntry><Name>a.xml</Name><Sign>1234</Sign></FileIndexEntry>\r\n"
         "  <FileIndexEntry>\r\n   <Name>b.xml</Name>\r\n   <Sign>ABCD</Sign>\r\n  </FileIndexEntry>\r\n"
         " </List>\r\n</FileIndex>\r\n",
         {{"a.xml", "1234"}, {"b.xml", "ABCD"}}},
        {"entries outside List",
         "<FileIndex><FileIndexEntry><Name>a</Name><Sign>1</Sign></FileIndexEntry></FileIndex>",
         {{"a", "1"}}},
        {"second Name wins",
         "<FileIndex><List><FileIndexEntry><Name>a</Name><Name>b</Name><Sign>1</Sign></FileIndexEntry></List>"
         "</FileIndex>",
         {{"b", "1"}}},
        {"Name outside an entry is ignored",
         "<FileIndex><Name>x</Name><List><Sign>9</Sign><FileIndexEntry><Sign>1</Sign></FileIndexEntry></List>"
         "<Name>y</Name></FileIndex>",
         {{"", "1"}}},
        {"missing Sign stays empty", "<FileIndex><List><FileIndexEntry><Name>a</Name></FileIndexEntry></List></FileIndex>",
         {{"a", ""}}},
        {"empty list", "<FileIndex><List/></FileIndex>", {}},
        {"unknown elements and attributes ignored",
         "<FileIndex v=\"2\"><List><FileIndexEntry n=\"x\"><Extra>e</Extra><Name>a</Name><Sign>1</Sign>"
         "</FileIndexEntry></List></FileIndex>",
         {{"a", "1"}}},
        {"entity text kept whole",
         "<FileIndex><List><FileIndexEntry><Name>A&amp;B</Name><Sign>&#x41;&#66;</Sign></FileIndexEntry></List>"
         "</FileIndex>",
         {{"A&B", "AB"}}},
        {"CDATA and comments inside text",
         "<FileIndex><List><FileIndexEntry><Name>a<![CDATA[<b>]]><!-- c -->d</Name><Sign>1</Sign>"
         "</FileIndexEntry></List></FileIndex>",
         {{"a<b>d", "1"}}},
        {"element names are case-sensitive",
         "<FileIndex><List><fileindexentry><Name>a</Name><Sign>1</Sign></fileindexentry>"
         "<FileIndexEntry><name>b</name><SIGN>2</SIGN></FileIndexEntry></List></FileIndex>",
         {{"", ""}}},
        {"internal entity declaration",
         "<!DOCTYPE FileIndex [<!ENTITY n \"p.xml\">]><FileIndex><FileIndexEntry><Name>&n;</Name>"
         "<Sign>1</Sign></FileIndexEntry></FileIndex>",
         {{"p.xml", "1"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto entries = parseIndex(QByteArray(c.xml));
        ASSERT_TRUE(entries.has_value());
        EXPECT_EQ(*entries, c.expected);
    }
}

TEST(FileIndexXML, MalformedDocumentsAreErrors)
{
    const char* cases[] = {
        "",
        "   ",
        "not xml",
        "<FileIndex><List>",
        "<FileIndex></List></FileIndex>",
        "<a/><b/>",
        "<FileIndex><Name>&undeclared;</Name></FileIndex>",
        "<?xml version=\"1.0\"?>",
        "<FileIndex>\x01</FileIndex>",
    };
    for (const char* xml : cases) {
        SCOPED_TRACE(xml);
        FileIndexXML reader;
        EXPECT_FALSE(reader.parse(QByteArray(xml)));
        EXPECT_FALSE(reader.errorString().isEmpty());
    }
}

TEST(FileIndexXML, LimitsOnHostileDocuments)
{
    // Exponential entity expansion is refused rather than expanded.
    QByteArray bomb = "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\">";
    char prev = 'a';
    for (char e = 'b'; e <= 'j'; ++e, ++prev) {
        bomb += QByteArray("<!ENTITY ") + e + " \"";
        for (int i = 0; i < 10; ++i)
            bomb += QByteArray("&") + prev + ";";
        bomb += "\">";
    }
    bomb += "]><FileIndex><FileIndexEntry><Name>&j;</Name></FileIndexEntry></FileIndex>";
    EXPECT_FALSE(parseIndex(bomb).has_value());

    // A document over the size limit is not parsed.
    QByteArray big = "<FileIndex><List>";
    big += QByteArray(XmlProfileReader::kMaxDocumentBytes, ' ');
    big += "</List></FileIndex>";
    EXPECT_FALSE(parseIndex(big).has_value());
}

TEST(FileIndexXML, ReaderIsReusableAndResetsPerDocument)
{
    FileIndexXML reader;
    ASSERT_TRUE(reader.parse("<FileIndex><FileIndexEntry><Name>a</Name></FileIndexEntry></FileIndex>"));
    ASSERT_TRUE(reader.parse("<FileIndex><FileIndexEntry><Sign>2</Sign></FileIndexEntry></FileIndex>"));
    EXPECT_EQ(reader.takeProfile().fileIndexEntry, (Entries{{"", "2"}}));
}

TEST(XmlProfileReader, TextBetweenTagsArrivesWholeOnce)
{
    RecordingReader reader;
    ASSERT_TRUE(reader.parse("<a>x&amp;y<!--c-->z<b>t&lt;</b>tail</a>"));
    EXPECT_EQ(reader.events, (QStringList{"doc", "<a", "'x&yz'", "<b", "'t<'", ">b", "'tail'", ">a", "end"}));
}

TEST(FileIndexXML, ConstructWritesDeclarationAndReadsBack)
{
    const auto empty = FileIndexXML::construct(QList<QStringList>{});
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"));
    EXPECT_TRUE(empty->contains("<FileIndex>"));
    EXPECT_TRUE(empty->contains("<List/>") || empty->contains("<List></List>"));
    EXPECT_EQ(parseIndex(*empty), Entries{});

    const QList<QStringList> list{{"profile.KV1.xml", "6F91"}, {"A&B <c>.xml", "00FF"}, {"only-name"}};
    const auto doc = FileIndexXML::construct(list);
    ASSERT_TRUE(doc.has_value());
    EXPECT_TRUE(doc->contains("\n    <List>\n        <FileIndexEntry>\n")); // indented per depth
    EXPECT_EQ(parseIndex(*doc),
              (Entries{{"profile.KV1.xml", "6F91"}, {"A&B <c>.xml", "00FF"}, {"only-name", ""}}));

    FileIndex index;
    index.fileIndexEntry = {{"x", "1"}, {"y", "2"}, {"cr\rlf\r\n", "  \t "}, {"", ""}};
    EXPECT_EQ(parseIndex(*FileIndexXML::construct(index)), index.fileIndexEntry);
    ASSERT_NE(index.find("y"), nullptr);
    EXPECT_EQ(index.find("y")->sign, "2");
    EXPECT_EQ(index.find("Y"), nullptr);
}

TEST(XmlProfileWriter, RefusesWhatXmlCannotCarry)
{
    XmlElement good(QStringLiteral("Root"));
    good.add(QStringLiteral("Text"), QString::fromUtf8("tab\tline\n\xF0\x9F\x98\x80 emoji"));
    EXPECT_TRUE(XmlProfileWriter::document(good).has_value());

    const struct {
        QString name;
        QString text;
    } bad[] = {
        {QStringLiteral("Text"), QStringLiteral("bell\x07")},
        {QStringLiteral("Text"), QString(QChar(0xD800))},   // lone surrogate
        {QStringLiteral("Text"), QString(QChar(0xFFFE))},
        {QStringLiteral("1Name"), QString()},
        {QStringLiteral("a b"), QString()},
        {QString(), QString()},
    };
    for (const auto& b : bad) {
        XmlElement root(QStringLiteral("Root"));
        root.add(QStringLiteral("Group")).add(b.name, b.text);
        EXPECT_FALSE(XmlProfileWriter::document(root).has_value()) << b.name.toStdString();
    }
}
