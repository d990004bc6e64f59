#include "XML/KeyboardProfile.h"

#include "DeviceProfileTestSupport.h"
#include "Utility/ProfilePackage.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using xmltest::doc;
using xmltest::parseWith;

namespace {

KeyboardProfile parse(const QString& inner, bool* wellFormed = nullptr)
{
    return parseWith<KeyboardProfileXML>(doc(inner), wellFormed);
}

const char* kHeader = R"(
  <Type>Keyboard</Type>
  <Name>Board &amp; Co</Name>
  <ProfileExt>KV01</ProfileExt>
  <ProfileVersion>KV_1_2_0</ProfileVersion>
  <VendorID>1A2B</VendorID>
  <ProductID>00fe</ProductID>
  <InterfaceID>1</InterfaceID>
  <ModelNumber>KV-01</ModelNumber>
  <MultiDeviceModel>true</MultiDeviceModel>
)";

} // namespace

TEST(KeyboardProfileReader, ReadsEveryHeaderAndKeyboardElement)
{
    const KeyboardProfile p = parse(QString::fromLatin1(kHeader) + QStringLiteral(R"(
  <KeyboardType>KOLVENTRA_RGB_JP91</KeyboardType>
  <Offset>10,20</Offset>
  <KeyboardLayout>US</KeyboardLayout>
  <KeycapsNumbers>108</KeycapsNumbers>
  <KeyboardImage>whole.png</KeyboardImage>
  <KeytopImage>tops.png</KeytopImage>
  <KeyboardBodyImage>body.png</KeyboardBodyImage>
  <APC>Enable</APC>
  <RGBLED>Disable</RGBLED>
  <IndicatorLedSettings>Enable</IndicatorLedSettings>
  <CropFrameStyle>FF00FF00,2</CropFrameStyle>
  <LedRainbowLoopTiming>120</LedRainbowLoopTiming>
  <LedShootingStarLoopTiming>80</LedShootingStarLoopTiming>
  <KeytopEntry>
    <Type>LedIndicator</Type><Name>Caps</Name><VKCode>0x39</VKCode><Code>255</Code>
    <Group>3</Group><Keytop>1,2,3,4, 5,6,7,8</Keytop><KeyFrame>0,0,9,9</KeyFrame>
    <LedFrame>1,1,2,2</LedFrame>
  </KeytopEntry>)"));

    EXPECT_EQ(p.type, "Keyboard");
    EXPECT_EQ(p.name, "Board & Co");
    EXPECT_EQ(p.profileExt, "KV01");
    EXPECT_EQ(p.profileVersion, "KV_1_2_0");
    EXPECT_EQ(p.vendorID, "1A2B");
    EXPECT_EQ(p.productID, "00fe");
    EXPECT_EQ(p.interfaceID, "1");
    EXPECT_EQ(p.modelNumber, "KV-01");
    EXPECT_TRUE(p.multiDeviceModel);
    EXPECT_EQ(p.keyboardType, AppKeyboardType::KOLVENTRA_RGB_JP91);
    EXPECT_EQ(p.offset, "10,20");
    EXPECT_EQ(p.keyboardLayout, "US");
    EXPECT_EQ(p.keycapsNumbers, "108");
    EXPECT_EQ(p.keyboardImage, "whole.png");
    EXPECT_EQ(p.keytopImage, "tops.png");
    EXPECT_EQ(p.keyboardBodyImage, "body.png");
    EXPECT_EQ(p.APC, "Enable");
    EXPECT_EQ(p.RGBLED, "Disable");
    EXPECT_EQ(p.indicatorLedSettings, "Enable");
    EXPECT_EQ(p.cropFrameStyle, "FF00FF00,2");
    EXPECT_EQ(p.ledRainbowLoopTiming, "120");
    EXPECT_EQ(p.ledShootingStarLoopTiming, "80");
    ASSERT_EQ(p.keytopList.size(), 1u);
    const KeyboardProfile::KeytopEntry& k = p.keytopList[0];
    EXPECT_EQ(k.type, KeytopEntryType::LedIndicator);
    EXPECT_EQ(k.name, "Caps");
    EXPECT_EQ(k.vkCode, "0x39");
    EXPECT_EQ(k.code, 255); // a key without per-key settings
    EXPECT_EQ(k.group, 3);
    EXPECT_EQ(k.keytop, "1,2,3,4, 5,6,7,8");
    EXPECT_EQ(k.keyFrame, "0,0,9,9");
    EXPECT_EQ(k.ledFrame, "1,1,2,2");
    EXPECT_FALSE(p.hasMalformedText);
    EXPECT_TRUE(p.isValid());
    // The header "Type" and "Name" were not touched by the key's elements.
    EXPECT_EQ(p.type, "Keyboard");
}

TEST(KeyboardProfileReader, ContextRules)
{
    struct Case {
        const char* what;
        const char* inner;
        std::function<void(const KeyboardProfile&)> check;
    };
    const std::vector<Case> cases = {
        {"no key entries", "<Name>A</Name>",
         [](const KeyboardProfile& p) { EXPECT_TRUE(p.keytopList.empty()); }},
        {"entries keep document order, duplicates included",
         "<KeytopEntry><Name>A</Name><Code>1</Code></KeytopEntry>"
         "<KeytopEntry><Name>B</Name><Code>2</Code></KeytopEntry>"
         "<KeytopEntry><Name>A</Name><Code>1</Code></KeytopEntry>",
         [](const KeyboardProfile& p) {
             ASSERT_EQ(p.keytopList.size(), 3u);
             EXPECT_EQ(p.keytopList[0].name, "A");
             EXPECT_EQ(p.keytopList[1].name, "B");
             EXPECT_EQ(p.keytopList[2].name, "A");
             EXPECT_EQ(p.keytopList[1].code, 2);
         }},
        {"two header names are joined", "<Name>AB</Name><Name>CD</Name>",
         [](const KeyboardProfile& p) { EXPECT_EQ(p.name, "ABCD"); }},
        {"entity in the header name reads whole", "<Name>A&amp;B</Name>",
         [](const KeyboardProfile& p) { EXPECT_EQ(p.name, "A&B"); }},
        {"entity in any other field reads whole",
         "<KeyboardLayout>US&amp;JIS</KeyboardLayout>"
         "<KeytopEntry><Name>&lt;Enter&gt;</Name></KeytopEntry>",
         [](const KeyboardProfile& p) {
             EXPECT_EQ(p.keyboardLayout, "US&JIS");
             ASSERT_EQ(p.keytopList.size(), 1u);
             EXPECT_EQ(p.keytopList[0].name, "<Enter>");
         }},
        {"key Type and Name stay in the key; header Type after the groups",
         "<Type>Head</Type><KeytopEntry><Type>LedIndicator</Type><Name>K</Name></KeytopEntry>"
         "<Type>Late</Type>",
         [](const KeyboardProfile& p) {
             EXPECT_EQ(p.type, "Late");
             EXPECT_TRUE(p.name.isEmpty());
             ASSERT_EQ(p.keytopList.size(), 1u);
             EXPECT_EQ(p.keytopList[0].type, KeytopEntryType::LedIndicator);
         }},
        {"key without Type is a Button; other texts give None",
         "<KeytopEntry><Name>a</Name></KeytopEntry>"
         "<KeytopEntry><Type>button</Type></KeytopEntry>"
         "<KeytopEntry><Type>Button</Type></KeytopEntry>",
         [](const KeyboardProfile& p) {
             ASSERT_EQ(p.keytopList.size(), 3u);
             EXPECT_EQ(p.keytopList[0].type, KeytopEntryType::Button);
             EXPECT_EQ(p.keytopList[1].type, KeytopEntryType::None);
             EXPECT_EQ(p.keytopList[2].type, KeytopEntryType::Button);
         }},
        {"empty Code and Group leave 0",
         "<KeytopEntry><Code></Code><Group/></KeytopEntry>",
         [](const KeyboardProfile& p) {
             ASSERT_EQ(p.keytopList.size(), 1u);
             EXPECT_EQ(p.keytopList[0].code, 0);
             EXPECT_EQ(p.keytopList[0].group, 0);
             EXPECT_FALSE(p.hasMalformedText);
         }},
        {"key elements outside a group are ignored", "<Code>5</Code><Keytop>1,2,3,4</Keytop>",
         [](const KeyboardProfile& p) {
             EXPECT_TRUE(p.keytopList.empty());
             EXPECT_FALSE(p.hasMalformedText);
         }},
        {"keyboard elements inside a group are ignored",
         "<KeytopEntry><Offset>5,5</Offset><APC>Enable</APC></KeytopEntry>",
         [](const KeyboardProfile& p) {
             EXPECT_TRUE(p.offset.isEmpty());
             EXPECT_TRUE(p.APC.isEmpty());
         }},
        {"unknown elements at any level are ignored; names are case-sensitive",
         "<Extra><Name>X</Name></Extra><name>y</name>"
         "<KeytopEntry><Unknown>1</Unknown><code>9</code></KeytopEntry>",
         [](const KeyboardProfile& p) {
             // "Name" inside an unknown element is still a header element.
             EXPECT_EQ(p.name, "X");
             ASSERT_EQ(p.keytopList.size(), 1u);
             EXPECT_EQ(p.keytopList[0].code, 0);
         }},
        {"MultiDeviceModel needs exactly true",
         "<MultiDeviceModel>True</MultiDeviceModel>",
         [](const KeyboardProfile& p) { EXPECT_FALSE(p.multiDeviceModel); }},
        {"a later MultiDeviceModel replaces an earlier one",
         "<MultiDeviceModel>true</MultiDeviceModel><MultiDeviceModel>no</MultiDeviceModel>",
         [](const KeyboardProfile& p) { EXPECT_FALSE(p.multiDeviceModel); }},
        {"blanks between elements are never stored", "<Offset>1,2</Offset>\n   \n<APC/>",
         [](const KeyboardProfile& p) {
             EXPECT_EQ(p.offset, "1,2");
             EXPECT_TRUE(p.APC.isEmpty());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool ok = false;
        const KeyboardProfile p = parse(QString::fromUtf8(c.inner), &ok);
        EXPECT_TRUE(ok);
        c.check(p);
    }
}

TEST(KeyboardProfileReader, KeyboardTypeNames)
{
    const std::vector<std::pair<const char*, AppKeyboardType>> table = {
        {"KOLVENTRA_RGB_US108", AppKeyboardType::KOLVENTRA_JP108}, // not RGB_US108
        {"KOLVENTRA_RGB_JP112", AppKeyboardType::KOLVENTRA_RGB_JP112},
        {"KOLVENTRA_RGB_US87", AppKeyboardType::KOLVENTRA_RGB_US87},
        {"KOLVENTRA_RGB_JP91", AppKeyboardType::KOLVENTRA_RGB_JP91},
        {"KOLVENTRA_JP108", AppKeyboardType::KOLVENTRA_JP108},
        {"KOLVENTRA_JP112", AppKeyboardType::KOLVENTRA_JP112},
        {"KOLVENTRA_G7_MAC_JP114", AppKeyboardType::KOLVENTRA_G7_MAC_JP114},
        {"KOLVENTRA_G7_MAC_JP91", AppKeyboardType::KOLVENTRA_G7_MAC_JP91},
        {"KOLVENTRA_G7_MAC_US109", AppKeyboardType::KOLVENTRA_G7_MAC_US109},
        {"KOLVENTRA_G7_MAC_US87", AppKeyboardType::KOLVENTRA_G7_MAC_US87},
        {"kolventra_jp108", AppKeyboardType::None},
        {"None", AppKeyboardType::None},
        {"", AppKeyboardType::None},
        {" KOLVENTRA_JP108", AppKeyboardType::None},
    };
    for (const auto& [text, value] : table) {
        SCOPED_TRACE(text);
        EXPECT_EQ(KeyboardProfile::keyboardTypeFromText(QString::fromLatin1(text)), value);
        const KeyboardProfile p =
            parse(QStringLiteral("<KeyboardType>%1</KeyboardType>").arg(QString::fromLatin1(text)));
        EXPECT_EQ(p.keyboardType, value);
    }
}

TEST(KeyboardProfileReader, NumbersThatDoNotReadMakeTheDescriptionMalformed)
{
    const QString header = QString::fromLatin1(kHeader);
    const std::vector<std::pair<const char*, bool>> table = {
        {"<Code>12</Code><Group>-1</Group>", true},
        {"<Code>+7</Code>", true},
        {"<Code>12a</Code>", false},
        {"<Code> 12</Code>", false},
        {"<Code>1.0</Code>", false},
        {"<Group>x</Group>", false},
        {"<Code>99999999999</Code>", false},
    };
    for (const auto& [key, valid] : table) {
        SCOPED_TRACE(key);
        const KeyboardProfile p = parse(header + QStringLiteral("<KeytopEntry>%1</KeytopEntry>")
                                                     .arg(QString::fromLatin1(key)));
        EXPECT_EQ(p.validate(), valid ? AppError::NoError : AppError::BadParam);
        ASSERT_EQ(p.keytopList.size(), 1u); // the key is still read; the caller decides
    }
}

TEST(KeyboardProfileReader, DescriptionText)
{
    const KeyboardProfile p = parse(QString::fromLatin1(kHeader) + "<Offset>1,2</Offset>");
    const QString text = p.description();
    EXPECT_TRUE(text.startsWith("\n== KeyboarProfiletype ==\ntype:                 Keyboard\n"));
    EXPECT_TRUE(text.contains("offset:               1,2\nprofileExt:           KV01\n"));
    EXPECT_TRUE(text.contains("multiDeviceModel:     true\n"));
    EXPECT_TRUE(text.endsWith("ledShootingStarLoopTiming: \n"));
}

// ----- pictures, read from real packages ------------------------------------

class KeyboardPictures : public ::testing::Test {
protected:
    QTemporaryDir dir;

    KeyboardProfile profileFor(const ZipUtil::FileList& pictures)
    {
        const QString path = dir.filePath(QStringLiteral("board%1.key").arg(++count_));
        const QByteArray xml = doc(QString::fromLatin1(kHeader)
                                   + "<KeyboardImage>whole.png</KeyboardImage>"
                                     "<KeytopImage>tops.png</KeytopImage>"
                                     "<KeyboardBodyImage>body.png</KeyboardBodyImage>"
                                     "<KeytopEntry><Code>4</Code></KeytopEntry>");
        EXPECT_EQ(xmltest::makeDescriptionPackage(path, xml, pictures), AppError::NoError);
        KeyboardProfile profile;
        EXPECT_EQ(AppUtil::loadProfile(path, profile, QStringLiteral("Profile.xml")),
                  AppError::NoError);
        profile.profilePath = path;
        return profile;
    }

private:
    int count_ = 0;
};

TEST_F(KeyboardPictures, AllThreePicturesGiveBodyKeyTopsAndThumbnail)
{
    ASSERT_TRUE(dir.isValid());
    const KeyboardProfile p = profileFor({{"whole.png", xmltest::png(8, 4)},
                                          {"tops.png", xmltest::png(6, 3)},
                                          {"body.png", xmltest::png(5, 2)}});
    EXPECT_EQ(p.name, "Board & Co");
    ASSERT_EQ(p.keytopList.size(), 1u);
    const KeyboardProfile::KeyboardImages images = p.getKeyboardImage();
    EXPECT_EQ(images.keyBody.size(), QSize(5, 2));
    EXPECT_EQ(images.keyButton.size(), QSize(6, 3));
    EXPECT_EQ(p.getDeviceThumbImage().size(), QSize(8, 4));
}

TEST_F(KeyboardPictures, MissingOrBadPictures)
{
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* what;
        ZipUtil::FileList members;
        bool pictures;
        bool thumbnail;
    };
    const std::vector<Case> cases = {
        {"key-top picture missing: no body either",
         {{"whole.png", xmltest::png()}, {"body.png", xmltest::png()}}, false, true},
        {"whole picture missing: no pictures and no thumbnail",
         {{"tops.png", xmltest::png()}, {"body.png", xmltest::png()}}, false, false},
        {"body picture undecodable",
         {{"whole.png", xmltest::png()}, {"tops.png", xmltest::png()},
          {"body.png", QByteArray("not a picture")}},
         false, true},
        {"thumbnail found only under its exact name",
         {{"Whole.png", xmltest::png()}, {"tops.png", xmltest::png()}, {"body.png", xmltest::png()}},
         false, false},
        {"a picture larger than the cap is refused",
         {{"whole.png", xmltest::png(DeviceProfile::kMaxPictureSide + 1, 2)},
          {"tops.png", xmltest::png()}, {"body.png", xmltest::png()}},
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const KeyboardProfile p = profileFor(c.members);
        const KeyboardProfile::KeyboardImages images = p.getKeyboardImage();
        EXPECT_EQ(!images.keyBody.isNull(), c.pictures);
        EXPECT_EQ(!images.keyButton.isNull(), c.pictures);
        EXPECT_EQ(!p.getDeviceThumbImage().isNull(), c.thumbnail);
    }
}

// At a screen ratio above 1 a picture's double-density twin is shown where
// the package has a good one (drawn at two pixels per point); otherwise, and
// at ratio 1, the picture itself.
TEST_F(KeyboardPictures, TwinsAreShownAboveRatioOneWhereGood)
{
    ASSERT_TRUE(dir.isValid());
    const QByteArray twin = xmltest::png(64, 32, Qt::blue);
    const qsizetype pixels = twin.indexOf("IDAT");
    ASSERT_GT(pixels, 0);
    struct Case {
        const char* what;
        QByteArray twin;
        qreal ratio;
        bool twinShown;
    };
    const std::vector<Case> cases = {
        {"the twin at ratio 2", twin, 2, true},
        {"the picture at ratio 1", twin, 1, false},
        {"a package without twins", {}, 2, false},
        {"a twin not twice the size is ignored", xmltest::png(64, 30, Qt::blue), 2, false},
        {"a twin that does not decode is ignored", twin.left(pixels + 12), 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZipUtil::FileList members = {{"whole.png", xmltest::png(8, 4)},
                                     {"tops.png", xmltest::png(32, 16)},
                                     {"body.png", xmltest::png(32, 16, Qt::red)}};
        if (!c.twin.isEmpty())
            members.emplace_back("body@2x.png", c.twin);
        const KeyboardProfile::KeyboardImages images = profileFor(members).getKeyboardImage(c.ratio);
        ASSERT_FALSE(images.keyBody.isNull());
        EXPECT_EQ(images.keyBody.size(), c.twinShown ? QSize(64, 32) : QSize(32, 16));
        EXPECT_EQ(images.keyBody.deviceIndependentSize(), QSizeF(32, 16));
        EXPECT_EQ(images.keyBody.pixelColor(5, 5), c.twinShown ? QColor(Qt::blue) : QColor(Qt::red));
    }
}

TEST_F(KeyboardPictures, PictureNamesThatCannotBeMembersAreNeverRead)
{
    ASSERT_TRUE(dir.isValid());
    KeyboardProfile p = profileFor({{"whole.png", xmltest::png()}});
    for (const char* name : {"", "*", "*.png", "-x", "../whole.png", "[w]hole.png"}) {
        SCOPED_TRACE(name);
        p.keyboardImage = QString::fromLatin1(name);
        EXPECT_TRUE(p.getDeviceThumbImage().isNull());
    }
    p.keyboardImage = QStringLiteral("whole.png");
    p.profilePath.clear();
    EXPECT_TRUE(p.getDeviceThumbImage().isNull());
}

TEST(KeyboardProfilePackage, XmlThatDoesNotParseLeavesTheModelUnchanged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("bad.key");
    ASSERT_EQ(xmltest::makeDescriptionPackage(path, "<Profile><Name>Half</Name><Keytop"),
              AppError::NoError);
    KeyboardProfile profile;
    profile.name = QStringLiteral("kept");
    EXPECT_EQ(AppUtil::loadProfile(path, profile, QStringLiteral("Profile.xml")),
              AppError::FileRead);
    EXPECT_EQ(profile.name, "kept");
    EXPECT_EQ(AppUtil::loadProfile(dir.filePath("missing.key"), profile,
                                   QStringLiteral("Profile.xml")),
              AppError::FileRead);
    EXPECT_EQ(profile.name, "kept");
}
