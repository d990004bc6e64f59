#include "XML/MouseProfile.h"
#include "Device/DeviceEnumerator.h"

#include "DeviceProfileTestSupport.h"
#include "Utility/ProfilePackage.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

using xmltest::doc;

namespace {

MouseProfile parse(const QString& inner)
{
    bool ok = false;
    MouseProfile p = xmltest::parseWith<MouseProfileXML>(doc(inner), &ok);
    EXPECT_TRUE(ok);
    return p;
}

const char* kHeader = "<Name>Rodent</Name><ProfileVersion>KV_1_2_0</ProfileVersion>"
                      "<VendorID>1A2B</VendorID><ProductID>0002</ProductID>";

// TabBodyImages naming every picture "<element>.png", or with `rename`
// applied to the element name.
QString tabBodyImages(const std::function<QString(const QString&)>& rename = {})
{
    QString inner;
    for (const auto& slot : MouseProfile::TabBodyImagePaths::pictures()) {
        const QString element = QString::fromLatin1(slot.element);
        const QString name = rename ? rename(element) : element + ".png";
        inner += QStringLiteral("<%1>%2</%1>").arg(element, name);
    }
    return "<TabBodyImages>" + inner + "</TabBodyImages>";
}

} // namespace

TEST(MouseProfileReader, ReadsHeaderPicturesAndButtons)
{
    const MouseProfile p = parse(QString::fromLatin1(kHeader) + "<MouseImage>mouse.png</MouseImage>"
                                 + tabBodyImages()
                                 + "<ButtonEntry><Name>Left</Name><Code>0</Code>"
                                   "<Margin>1,2,30,40</Margin><Align>2</Align><Data>7</Data>"
                                   "</ButtonEntry>"
                                   "<ButtonEntry><Name>Side</Name><Code>5</Code>"
                                   "<Margin>5,6,7,8</Margin></ButtonEntry>");
    EXPECT_EQ(p.name, "Rodent");
    EXPECT_EQ(p.mouseImage, "mouse.png");
    const auto names = p.tabBodyImages.names();
    for (int i = 0; i < MouseProfile::TabBodyImagePaths::kCount; ++i)
        EXPECT_EQ(names[i],
                  QString::fromLatin1(MouseProfile::TabBodyImagePaths::pictures()[i].element) + ".png");
    EXPECT_EQ(p.tabBodyImages.ledTabCyan, "LedTabCyan.png");
    EXPECT_EQ(p.tabBodyImages.settingTab, "SettingTab.png");
    ASSERT_EQ(p.buttonList.size(), 2u);
    EXPECT_EQ(p.buttonList[0].name, "Left");
    EXPECT_EQ(p.buttonList[0].code, 0);
    EXPECT_EQ(p.buttonList[0].margin, "1,2,30,40");
    EXPECT_EQ(p.buttonList[0].align, "2");
    EXPECT_EQ(p.buttonList[0].date, 7);
    EXPECT_EQ(p.buttonList[1].code, 5);
    EXPECT_EQ(p.buttonList[1].date, 0);
    EXPECT_TRUE(p.isValid());
}

TEST(MouseProfileReader, ContextRules)
{
    struct Case {
        const char* what;
        const char* inner;
        std::function<void(const MouseProfile&)> check;
    };
    const std::vector<Case> cases = {
        {"no buttons", "<Name>M</Name>",
         [](const MouseProfile& p) { EXPECT_TRUE(p.buttonList.empty()); }},
        {"buttons keep document order, duplicates included",
         "<ButtonEntry><Code>2</Code></ButtonEntry><ButtonEntry><Code>1</Code></ButtonEntry>"
         "<ButtonEntry><Code>2</Code></ButtonEntry>",
         [](const MouseProfile& p) {
             ASSERT_EQ(p.buttonList.size(), 3u);
             EXPECT_EQ(p.buttonList[0].code, 2);
             EXPECT_EQ(p.buttonList[1].code, 1);
             EXPECT_EQ(p.buttonList[2].code, 2);
         }},
        {"Name in a button is its label; the header name is unchanged",
         "<Name>Head</Name><ButtonEntry><Name>Btn</Name></ButtonEntry>",
         [](const MouseProfile& p) {
             EXPECT_EQ(p.name, "Head");
             ASSERT_EQ(p.buttonList.size(), 1u);
             EXPECT_EQ(p.buttonList[0].name, "Btn");
         }},
        {"Name and other header elements inside TabBodyImages are ignored",
         "<TabBodyImages><Name>X</Name><ModelNumber>M</ModelNumber><ButtonTab>b.png</ButtonTab>"
         "</TabBodyImages>",
         [](const MouseProfile& p) {
             EXPECT_TRUE(p.name.isEmpty());
             EXPECT_TRUE(p.modelNumber.isEmpty());
             EXPECT_EQ(p.tabBodyImages.buttonTab, "b.png");
         }},
        {"a picture element outside TabBodyImages is ignored", "<ButtonTab>b.png</ButtonTab>",
         [](const MouseProfile& p) { EXPECT_TRUE(p.tabBodyImages.buttonTab.isEmpty()); }},
        {"MouseImage inside a button is ignored",
         "<ButtonEntry><MouseImage>m.png</MouseImage></ButtonEntry>",
         [](const MouseProfile& p) { EXPECT_TRUE(p.mouseImage.isEmpty()); }},
        {"a button without Code, or with an empty Code, keeps 0",
         "<ButtonEntry><Name>a</Name></ButtonEntry><ButtonEntry><Code/></ButtonEntry>",
         [](const MouseProfile& p) {
             ASSERT_EQ(p.buttonList.size(), 2u);
             EXPECT_EQ(p.buttonList[0].code, 0);
             EXPECT_EQ(p.buttonList[1].code, 0);
             EXPECT_FALSE(p.hasMalformedText);
         }},
        {"header names are joined and entities read whole",
         "<Name>A&amp;</Name><Name>B</Name>",
         [](const MouseProfile& p) { EXPECT_EQ(p.name, "A&B"); }},
        {"element names are case-sensitive",
         "<tabBodyImages><ButtonTab>x</ButtonTab></tabBodyImages><mouseImage>m</mouseImage>",
         [](const MouseProfile& p) {
             EXPECT_TRUE(p.tabBodyImages.buttonTab.isEmpty());
             EXPECT_TRUE(p.mouseImage.isEmpty());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.check(parse(QString::fromUtf8(c.inner)));
    }
}

TEST(MouseProfileReader, MalformedButtons)
{
    const std::vector<std::pair<const char*, bool>> table = {
        {"<Code>3</Code><Data>-2</Data><Margin>1,2,3,4</Margin>", true},
        {"<Margin>1,,2,3,4</Margin>", true},      // empty parts are dropped
        {"<Margin> 1, 2.5,3 ,4,9</Margin>", true}, // blanks around numbers, extra parts
        {"<Margin>1,2,3</Margin>", false},
        {"<Margin>a,b,c,d</Margin>", false},
        {"<Margin>1,2,3,inf</Margin>", false},
        {"", false},                               // no margin at all
        {"<Margin>1,2,3,4</Margin><Code>x</Code>", false},
        {"<Margin>1,2,3,4</Margin><Data>1.5</Data>", false},
    };
    for (const auto& [inner, valid] : table) {
        SCOPED_TRACE(inner);
        const MouseProfile p = parse(QString::fromLatin1(kHeader) + "<ButtonEntry>"
                                     + QString::fromLatin1(inner) + "</ButtonEntry>");
        EXPECT_EQ(p.validate(), valid ? AppError::NoError : AppError::BadParam);
    }
    EXPECT_EQ(MouseProfile::parseMargin("1, 2,30,40"), QRectF(1, 2, 30, 40));
    EXPECT_EQ(MouseProfile::parseMargin("1,2,3,"), std::nullopt);
}

TEST(MouseProfileReader, DescriptionTextHasOnlyTheHeader)
{
    MouseProfile p = parse(QString::fromLatin1(kHeader) + "<MouseImage>m.png</MouseImage>");
    const QString text = p.description();
    EXPECT_TRUE(text.startsWith("\n== KeyboarProfiletype ==\ntype:                 \n"
                                "name:                 Rodent\nprofileVersion:       KV_1_2_0\n"));
    EXPECT_TRUE(text.endsWith("multiDeviceModel:     false\n"));
    EXPECT_FALSE(text.contains("m.png"));
}

// ----- pictures, read from real packages ------------------------------------

class MousePictures : public ::testing::Test {
protected:
    QTemporaryDir dir;

    // A package whose description names the tab pictures through `rename`
    // and holds the given members.
    MouseProfile profileFor(const QString& tabImages, const ZipUtil::FileList& members)
    {
        const QString path = dir.filePath(QStringLiteral("mouse%1.mou").arg(++count_));
        const QByteArray xml =
            doc(QString::fromLatin1(kHeader) + "<MouseImage>mouse.png</MouseImage>" + tabImages);
        EXPECT_EQ(xmltest::makeDescriptionPackage(path, xml, members), AppError::NoError);
        MouseProfile profile;
        EXPECT_EQ(AppUtil::loadProfile(path, profile, QStringLiteral("Profile.xml")),
                  AppError::NoError);
        profile.profilePath = path;
        return profile;
    }

    // Members for every tab picture, named as the element name + ".png" in
    // upper case, with picture k (0-based) replaced by `bad` when given.
    static ZipUtil::FileList tabMembers(int badIndex = -1, const QByteArray& bad = "broken",
                                        const QByteArray& good = xmltest::png(2, 2))
    {
        ZipUtil::FileList members;
        int i = 0;
        for (const auto& slot : MouseProfile::TabBodyImagePaths::pictures()) {
            const QString name = (QString::fromLatin1(slot.element) + ".png").toUpper();
            members.emplace_back(name, i == badIndex ? bad : good);
            ++i;
        }
        return members;
    }

    // A picture whose header and every chunk up to the pixel data are whole,
    // the pixel data cut short: it reads but does not decode.
    static QByteArray cutShort(const QByteArray& whole = xmltest::png(64, 64))
    {
        return whole.left(whole.indexOf("IDAT") + 12);
    }

private:
    int count_ = 0;
};

TEST_F(MousePictures, TabPicturesMatchRegardlessOfCaseThumbnailExactly)
{
    ASSERT_TRUE(dir.isValid());
    ZipUtil::FileList members = tabMembers();
    members.emplace_back("Mouse.png", xmltest::png(9, 9)); // differs in case from "mouse.png"
    const MouseProfile p = profileFor(tabBodyImages(), members);

    QHash<QString, PackagePicture> images;
    images.insert("other", PackagePicture::fromBytes(xmltest::png(1, 1)));
    EXPECT_EQ(p.LoadMouseTabImages(images), AppError::NoError);
    EXPECT_EQ(images.size(), MouseProfile::TabBodyImagePaths::kCount + 1);
    EXPECT_TRUE(images.contains("ButtonTab.png")); // keyed by the description's names
    EXPECT_TRUE(images.contains("other"));
    EXPECT_EQ(images.value("SettingTab.png").image().size(), QSize(2, 2));

    EXPECT_TRUE(p.getDeviceThumbImage().isNull());
}

TEST_F(MousePictures, FifthPictureBadStopsWithTheFirstFour)
{
    ASSERT_TRUE(dir.isValid());
    const MouseProfile p = profileFor(tabBodyImages(), tabMembers(4));
    QHash<QString, PackagePicture> images;
    EXPECT_EQ(p.LoadMouseTabImages(images), AppError::BadParam);
    EXPECT_EQ(images.size(), 4);
    EXPECT_TRUE(images.contains("LedTabBlue.png"));
    EXPECT_FALSE(images.contains("LedTabGreen.png"));
}

TEST_F(MousePictures, APictureCutShortPassesTheReadButNotTheWholeCheck)
{
    ASSERT_TRUE(dir.isValid());
    const QByteArray cutBytes = cutShort();

    // Reading one picture checks what it can without decoding: it is taken,
    // and shown it gives no picture.
    const PackagePicture cut = PackagePicture::fromBytes(cutBytes);
    ASSERT_FALSE(cut.isNull());
    EXPECT_FALSE(cut.isDecoded());
    EXPECT_TRUE(cut.image().isNull());

    // The tab pictures are checked whole: the read stops before it, and the
    // package check refuses the package.
    const MouseProfile p = profileFor(tabBodyImages(), tabMembers(4, cutBytes));
    QHash<QString, PackagePicture> images;
    EXPECT_EQ(p.LoadMouseTabImages(images), AppError::BadParam);
    EXPECT_EQ(images.size(), 4);
    EXPECT_FALSE(DeviceEnumerator::hasLoadablePictures(p));
    EXPECT_TRUE(DeviceEnumerator::hasLoadablePictures(profileFor(tabBodyImages(), tabMembers())));
}

TEST_F(MousePictures, TwinsAreDecodedWhenShownAndFallBackToTheirPicture)
{
    ASSERT_TRUE(dir.isValid());
    const QByteArray twin = xmltest::png(4, 4, Qt::blue);
    ZipUtil::FileList members = tabMembers(1, xmltest::png(32, 32)); // LedTabOff
    members.emplace_back("buttontab@2x.PNG", twin); // matched regardless of case, as its picture
    members.emplace_back("LEDTABOFF@2x.png", cutShort(xmltest::png(64, 64, Qt::blue)));
    const MouseProfile p = profileFor(tabBodyImages(), members);

    QHash<QString, PackagePicture> images;
    ASSERT_EQ(p.LoadMouseTabImages(images, 2), AppError::NoError);
    const QImage shown = images.value("ButtonTab.png").image();
    EXPECT_EQ(shown.size(), QSize(4, 4));
    EXPECT_EQ(shown.devicePixelRatio(), 2);
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(Qt::blue));
    EXPECT_FALSE(images.value("LedTabBlue.png").isDecoded()); // only what is shown is decoded
    const QImage fallen = images.value("LedTabOff.png").image();
    EXPECT_EQ(fallen.size(), QSize(32, 32));
    EXPECT_EQ(fallen.devicePixelRatio(), 1);
}

// The whole check judges a package's own pictures at every ratio: twins
// that together exceed the cap of a set neither refuse a package whose own
// pictures fit nor are decoded before they are shown. Each ratio reads a
// package of its own, so that no verdict of one serves the other.
TEST_F(MousePictures, TwinsBeyondTheCapOfASetDoNotRefuseAPackageWhosePicturesFit)
{
    ASSERT_TRUE(dir.isValid());
    const int side = 1000;
    const qint64 pixels = qint64(MouseProfile::TabBodyImagePaths::kCount) * side * side;
    ASSERT_LE(pixels, DeviceProfile::kMaxPictureSetPixels);
    ASSERT_GT(4 * pixels, DeviceProfile::kMaxPictureSetPixels);
    ZipUtil::FileList members = tabMembers(-1, {}, xmltest::png(side, side));
    const QByteArray twin = xmltest::png(2 * side, 2 * side, Qt::blue);
    for (const auto& slot : MouseProfile::TabBodyImagePaths::pictures())
        members.emplace_back(QString::fromLatin1(slot.element) + "@2x.png", twin);

    for (const qreal ratio : {1.0, 2.0}) {
        const MouseProfile p = profileFor(tabBodyImages(), members);
        QHash<QString, PackagePicture> images;
        ASSERT_EQ(p.LoadMouseTabImages(images, ratio), AppError::NoError) << ratio;
        EXPECT_EQ(images.value("ButtonTab.png").image().devicePixelRatio(), ratio);
        EXPECT_FALSE(images.value("SettingTab.png").isDecoded());
    }
}

// A remembered verdict holds only for the file it was given for: a package
// renamed over the checked one while its pictures are read is checked
// afresh.
TEST_F(MousePictures, APackageRenamedOverTheCheckedOneDuringTheReadIsCheckedAfresh)
{
    ASSERT_TRUE(dir.isValid());
    const MouseProfile checked = profileFor(tabBodyImages(), tabMembers());
    QHash<QString, PackagePicture> images;
    ASSERT_EQ(checked.LoadMouseTabImages(images), AppError::NoError);
    const MouseProfile broken = profileFor(tabBodyImages(), tabMembers(4, cutShort()));

    bool renamed = false;
    const ZipUtil::ToolObserver previous =
        ZipUtil::setToolObserver([&](const QString&, const QStringList&, const QString&) {
            if (!renamed)
                renamed = std::rename(QFile::encodeName(broken.profilePath).constData(),
                                      QFile::encodeName(checked.profilePath).constData())
                    == 0;
        });
    images.clear();
    const AppError read = checked.LoadMouseTabImages(images);
    ZipUtil::setToolObserver(previous);
    ASSERT_TRUE(renamed);
    EXPECT_EQ(read, AppError::BadParam);
    EXPECT_EQ(images.size(), 4);
}

TEST_F(MousePictures, MissingOrEmptyNamesAreBadParam)
{
    ASSERT_TRUE(dir.isValid());
    // The last picture element is missing from the description: its name stays
    // empty and is never handed to the zip tool.
    const MouseProfile missing = profileFor(
        tabBodyImages().replace("<SettingTab>SettingTab.png</SettingTab>", ""), tabMembers());
    QHash<QString, PackagePicture> images;
    EXPECT_EQ(missing.LoadMouseTabImages(images), AppError::BadParam);
    EXPECT_EQ(images.size(), MouseProfile::TabBodyImagePaths::kCount - 1);

    // Every picture named by one member name: one entry.
    const MouseProfile same = profileFor(tabBodyImages([](const QString&) { return QStringLiteral("all.png"); }),
                                         {{"all.png", xmltest::png(3, 3)}});
    images.clear();
    EXPECT_EQ(same.LoadMouseTabImages(images), AppError::NoError);
    EXPECT_EQ(images.size(), 1);

    // A name the zip tools would read as a wildcard.
    const MouseProfile wild = profileFor(tabBodyImages([](const QString&) { return QStringLiteral("*.png"); }),
                                         {{"all.png", xmltest::png(3, 3)}});
    images.clear();
    EXPECT_EQ(wild.LoadMouseTabImages(images), AppError::BadParam);
    EXPECT_TRUE(images.isEmpty());
}
