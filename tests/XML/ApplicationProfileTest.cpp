#include "XML/ApplicationProfile.h"

#include "AppParam.h"
#include "DeviceProfileTestSupport.h"
#include "support/RecordingMainController.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "Utility/ProfilePackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

using xmltest::doc;

namespace {

ApplicationProfile parse(const QString& inner)
{
    bool ok = false;
    ApplicationProfile p =
        xmltest::parseWith<ApplicationProfileXML>(doc(inner, "ApplicationProfile"), &ok);
    EXPECT_TRUE(ok);
    return p;
}

// Every AppParam value the settings file touches, to restore after a test.
struct AppParamSnapshot {
    FunctionTab tab = AppParam::functionTabSelect;
    AppColor select = AppParam::selectColor;
    std::vector<AppColor> custom = AppParam::customColor;
    int customSelect = AppParam::customColorSelect;
    QString firmware = AppParam::firmwareFilePath;
    QString profiles = AppParam::userProfileFilePath;
    int32_t location = AppParam::selectDeviceLocation;
    DeviceType type = AppParam::selectDeviceType;
    WINDOWPLACEMENT placement = AppParam::windowPlacement;

    void restore() const
    {
        AppParam::functionTabSelect = tab;
        AppParam::selectColor = select;
        AppParam::customColor = custom;
        AppParam::customColorSelect = customSelect;
        AppParam::firmwareFilePath = firmware;
        AppParam::userProfileFilePath = profiles;
        AppParam::selectDeviceLocation = location;
        AppParam::selectDeviceType = type;
        AppParam::windowPlacement = placement;
    }
};

// Element names of a document in order of their start tags.
QStringList elementOrder(const QByteArray& xml)
{
    QStringList names;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement)
            names << reader.name().toString();
    }
    return names;
}

QString textOf(const QByteArray& xml, const QString& element)
{
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == element)
            return reader.readElementText();
    }
    return QStringLiteral("<missing>");
}

} // namespace

// ----- reader and writer ----------------------------------------------------

TEST(ApplicationProfileReader, EdgeCases)
{
    const auto strings = [](int n) {
        QString s;
        for (int i = 0; i < n; ++i)
            s += QStringLiteral("<string>%1</string>").arg(i, 8, 16, QLatin1Char('0'));
        return "<CustomColor>" + s + "</CustomColor>";
    };
    struct Case {
        const char* what;
        QString inner;
        std::function<void(const ApplicationProfile&)> check;
    };
    const std::vector<Case> cases = {
        {"25 strings fill the 20 slots from the first 20", strings(25),
         [](const ApplicationProfile& p) {
             ASSERT_EQ(p.customColor.size(), 20u);
             EXPECT_EQ(p.customColor[0], "00000000");
             EXPECT_EQ(p.customColor[19], "00000013");
         }},
        {"3 strings fill slots 0 to 2", strings(3).replace("00000000", "FF112233"),
         [](const ApplicationProfile& p) {
             ASSERT_EQ(p.customColor.size(), 20u);
             EXPECT_EQ(p.customColor[0], "FF112233");
             EXPECT_EQ(p.customColor[2], "00000002");
             EXPECT_EQ(p.customColor[3], "00000000");
             EXPECT_EQ(p.customColor[19], "00000000");
         }},
        {"an empty string element keeps its slot",
         "<CustomColor><string>FF111111</string><string/><string></string>"
         "<string>FF333333</string></CustomColor>",
         [](const ApplicationProfile& p) {
             EXPECT_EQ(p.customColor[0], "FF111111");
             EXPECT_EQ(p.customColor[1], "00000000");
             EXPECT_EQ(p.customColor[2], "00000000");
             EXPECT_EQ(p.customColor[3], "FF333333");
         }},
        {"strings outside CustomColor and other keys inside are ignored",
         "<string>FFFFFFFF</string><CustomColor><SelectColor>00000001</SelectColor>"
         "<string>FF000001</string></CustomColor>",
         [](const ApplicationProfile& p) {
             EXPECT_EQ(p.customColor[0], "FF000001");
             EXPECT_EQ(p.customColor[1], "00000000");
             EXPECT_EQ(p.selectColor, "FFFF0000");
         }},
        {"lower-case device type is Unknown", "<SelectDeviceType>keyboard</SelectDeviceType>",
         [](const ApplicationProfile& p) { EXPECT_EQ(p.selectDeviceType, DeviceType::Unknown); }},
        {"device types", "<SelectDeviceType>Mouse</SelectDeviceType><SelectDevice>-5</SelectDevice>",
         [](const ApplicationProfile& p) {
             EXPECT_EQ(p.selectDeviceType, DeviceType::Mouse);
             EXPECT_EQ(p.selectDevice, -5);
         }},
        {"X and Y count only inside their groups",
         "<WindowPlacement><X>5</X><Y>6</Y><minPosition><X>1</X><Y>2</Y></minPosition>"
         "<maxPosition><X>3</X><Y>-4</Y></maxPosition></WindowPlacement>",
         [](const ApplicationProfile& p) {
             EXPECT_EQ(p.windowPlacement.minPosition, QPointF(1, 2));
             EXPECT_EQ(p.windowPlacement.maxPosition, QPointF(3, -4));
         }},
        {"normal position: Right and Bottom are width and height",
         "<WindowPlacement><length>44</length><flags>2</flags><showCmd>1</showCmd>"
         "<normalPosition><Left>100</Left><Top>200</Top><Right>800</Right><Bottom>600</Bottom>"
         "</normalPosition></WindowPlacement>",
         [](const ApplicationProfile& p) {
             EXPECT_EQ(p.windowPlacement.normalPosition, QRectF(100, 200, 800, 600));
             EXPECT_EQ(p.windowPlacement.length, 44);
             EXPECT_EQ(p.windowPlacement.flags, 2);
             EXPECT_EQ(p.windowPlacement.showCmd, 1);
         }},
        {"tab case names", "<FunctionTabSelect>MOtherSetting</FunctionTabSelect>",
         [](const ApplicationProfile& p) { EXPECT_EQ(p.functionTabSelect, FunctionTab::MOtherSetting); }},
        {"a tab text that names no case is None",
         "<FunctionTabSelect>LedSetting</FunctionTabSelect><FunctionTabSelect>apcsetting</FunctionTabSelect>",
         [](const ApplicationProfile& p) { EXPECT_EQ(p.functionTabSelect, FunctionTab::None); }},
        {"paths read whole, entities included",
         "<ProfileFilePath>/home/a&amp;b/p</ProfileFilePath><FirmwareFilePath>/fw/x.bin</FirmwareFilePath>",
         [](const ApplicationProfile& p) {
             EXPECT_EQ(p.profileFilePath, "/home/a&b/p");
             EXPECT_EQ(p.firmwareFilePath, "/fw/x.bin");
         }},
        {"integers that do not read leave the field",
         "<CustomColorSelect>3x</CustomColorSelect><WindowPlacement><length> 4</length>"
         "<flags>99999999999999999999</flags></WindowPlacement><SelectDevice>4294967296</SelectDevice>",
         [](const ApplicationProfile& p) {
             EXPECT_EQ(p.customColorSelect, 0);
             EXPECT_EQ(p.windowPlacement.length, 0);
             EXPECT_EQ(p.windowPlacement.flags, 0);
             EXPECT_EQ(p.selectDevice, 0);
         }},
        {"an empty document keeps every default", "",
         [](const ApplicationProfile& p) {
             EXPECT_EQ(p.selectColor, "FFFF0000");
             EXPECT_EQ(p.functionTabSelect, FunctionTab::None);
             EXPECT_EQ(p.selectDeviceType, DeviceType::Unknown);
             EXPECT_TRUE(p.profileFilePath.isEmpty());
             EXPECT_EQ(p.customColor, std::vector<QString>(20, "00000000"));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.check(parse(c.inner));
    }
}

TEST(ApplicationProfileWriter, ElementOrderAndCoordinates)
{
    ApplicationProfile p;
    p.functionTabSelect = FunctionTab::MSensorSetting;
    p.profileFilePath = "/p/";
    p.firmwareFilePath = "/f/x.bin";
    p.selectDevice = -123;
    p.selectDeviceType = DeviceType::Keyboard;
    p.customColorSelect = 7;
    p.windowPlacement.normalPosition = QRectF(100.7, 200.2, 800.9, 600);
    p.windowPlacement.minPosition = QPointF(-3.7, std::nan(""));
    p.windowPlacement.maxPosition = QPointF(1e30, -std::numeric_limits<double>::infinity());
    const std::optional<QByteArray> xml = ApplicationProfileXML::construct(p);
    ASSERT_TRUE(xml);
    EXPECT_TRUE(xml->startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));

    QStringList expected{"ApplicationProfile", "CustomColorSelect", "WindowPlacement", "length",
                         "flags", "showCmd", "minPosition", "X", "Y", "maxPosition", "X", "Y",
                         "normalPosition", "Left", "Top", "Right", "Bottom", "FunctionTabSelect",
                         "ProfileFilePath", "FirmwareFilePath", "SelectDevice", "SelectDeviceType",
                         "SelectColor", "CustomColor"};
    for (int i = 0; i < 20; ++i)
        expected << "string";
    EXPECT_EQ(elementOrder(*xml), expected);

    EXPECT_EQ(textOf(*xml, "Left"), "100");
    EXPECT_EQ(textOf(*xml, "Top"), "200");
    EXPECT_EQ(textOf(*xml, "Right"), "800");
    EXPECT_EQ(textOf(*xml, "Bottom"), "600");
    EXPECT_EQ(textOf(*xml, "X"), "-3");  // first X: minPosition, toward zero
    EXPECT_EQ(textOf(*xml, "Y"), "0");   // not finite
    EXPECT_EQ(textOf(*xml, "FunctionTabSelect"), "MSensorSetting");
    EXPECT_EQ(textOf(*xml, "SelectDeviceType"), "Keyboard");
    EXPECT_EQ(textOf(*xml, "SelectDevice"), "-123");

    // What was written reads back the same (coordinates as written).
    ApplicationProfileXML reader;
    ASSERT_TRUE(reader.parse(*xml));
    const ApplicationProfile back = reader.takeProfile();
    EXPECT_EQ(back.functionTabSelect, p.functionTabSelect);
    EXPECT_EQ(back.profileFilePath, p.profileFilePath);
    EXPECT_EQ(back.firmwareFilePath, p.firmwareFilePath);
    EXPECT_EQ(back.selectDevice, p.selectDevice);
    EXPECT_EQ(back.selectDeviceType, p.selectDeviceType);
    EXPECT_EQ(back.customColorSelect, 7);
    EXPECT_EQ(back.customColor, p.customColor);
    EXPECT_EQ(back.windowPlacement.normalPosition, QRectF(100, 200, 800, 600));
    EXPECT_EQ(back.windowPlacement.minPosition, QPointF(-3, 0));
    EXPECT_EQ(back.windowPlacement.maxPosition, QPointF(0, 0));
}


// ----- load() and save() against files ---------------------------------------

class ApplicationProfileFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        savedHome = qgetenv("HOME");
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
        AppUtil::setAppWorkFolderForTesting(home.filePath("data/Nembo/KOLVENTRA"));
        resetAppParam();
    }
    void TearDown() override
    {
        AppUtil::setAppWorkFolderForTesting(QString());
        qputenv("HOME", savedHome);
        if (savedConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", savedConfig);
        snapshot.restore();
    }

    static void resetAppParam()
    {
        AppParam::functionTabSelect = FunctionTab::None;
        AppParam::selectColor = AppColor::opaqueRed();
        AppParam::customColor = std::vector<AppColor>(20, AppColor::clear());
        AppParam::customColorSelect = 0;
        AppParam::firmwareFilePath.clear();
        AppParam::userProfileFilePath.clear();
        AppParam::selectDeviceLocation = 0;
        AppParam::selectDeviceType = DeviceType::Unknown;
        AppParam::windowPlacement = WINDOWPLACEMENT{};
    }

    QString documents() const { return home.path() + "/Documents/"; }

    QTemporaryDir home;
    QByteArray savedHome;
    QByteArray savedConfig;
    AppParamSnapshot snapshot;
};

TEST_F(ApplicationProfileFile, FirstStartSetsTheDefaults)
{
    EXPECT_EQ(ApplicationProfile::load(), AppError::FileRead);
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::ApcSetting);
    EXPECT_EQ(AppParam::firmwareFilePath, documents());
    EXPECT_EQ(AppParam::userProfileFilePath, documents() + "Nembo/KOLVENTRA/");
    EXPECT_TRUE(QFileInfo(AppParam::userProfileFilePath).isDir());
    EXPECT_EQ(AppParam::selectColor, AppColor::opaqueRed());
}

TEST_F(ApplicationProfileFile, SaveThenLoadRestoresEverything)
{
    QFile firmware(home.filePath("image.bin"));
    ASSERT_TRUE(firmware.open(QIODevice::WriteOnly));
    firmware.close();

    AppParam::functionTabSelect = FunctionTab::MLedSetting;
    AppParam::selectColor = AppUtil::strToColorArgb("80102030");
    AppParam::customColor[0] = AppUtil::strToColorArgb("FF0000FF");
    AppParam::customColor[19] = AppUtil::strToColorArgb("01020304");
    AppParam::customColorSelect = 19;
    AppParam::firmwareFilePath = home.filePath("image.bin"); // an existing file: no "/"
    AppParam::userProfileFilePath = home.filePath("profiles");  // a folder: gets "/"
    AppParam::selectDeviceLocation = -2023406815;
    AppParam::selectDeviceType = DeviceType::Mouse;
    AppParam::windowPlacement.normalPosition = QRectF(100.7, 200.2, 800.9, 600);
    AppParam::windowPlacement.length = 44;
    AppParam::windowPlacement.maxPosition = QPointF(-1, -2);

    ASSERT_EQ(ApplicationProfile::save(), AppError::NoError);
    ASSERT_TRUE(QFileInfo::exists(ApplicationProfile::filePath()));
    EXPECT_TRUE(ApplicationProfile::filePath().endsWith("/data/Nembo/KOLVENTRA/Application.ini"));

    resetAppParam();
    EXPECT_EQ(ApplicationProfile::load(), AppError::NoError);
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::MLedSetting);
    EXPECT_EQ(AppUtil::colorToStr(AppParam::selectColor), "80102030");
    EXPECT_EQ(AppUtil::colorToStr(AppParam::customColor[0]), "FF0000FF");
    EXPECT_EQ(AppUtil::colorToStr(AppParam::customColor[1]), "00000000");
    EXPECT_EQ(AppUtil::colorToStr(AppParam::customColor[19]), "01020304");
    EXPECT_EQ(AppParam::customColorSelect, 19);
    EXPECT_EQ(AppParam::firmwareFilePath, home.filePath("image.bin"));
    EXPECT_EQ(AppParam::userProfileFilePath, home.filePath("profiles") + "/");
    EXPECT_EQ(AppParam::selectDeviceLocation, -2023406815);
    EXPECT_EQ(AppParam::selectDeviceType, DeviceType::Mouse);
    EXPECT_EQ(AppParam::windowPlacement.normalPosition, QRectF(100, 200, 800, 600));
    EXPECT_EQ(AppParam::windowPlacement.length, 44);
    EXPECT_EQ(AppParam::windowPlacement.maxPosition, QPointF(-1, -2));
}

TEST_F(ApplicationProfileFile, LoadedValuesAreLimited)
{
    struct Case {
        const char* what;
        const char* inner;
        std::function<void()> check;
    };
    const std::vector<Case> cases = {
        {"select 57 loads as 19", "<CustomColorSelect>57</CustomColorSelect>",
         [] { EXPECT_EQ(AppParam::customColorSelect, 19); }},
        {"select -4 loads as 0", "<CustomColorSelect>-4</CustomColorSelect>",
         [] { EXPECT_EQ(AppParam::customColorSelect, 0); }},
        {"tab None selects ApcSetting", "<FunctionTabSelect>None</FunctionTabSelect>",
         [] { EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::ApcSetting); }},
        {"a folder path gets its slash; an empty path stays empty and gets the default",
         "<ProfileFilePath>/no/such/folder</ProfileFilePath>",
         [this] {
             EXPECT_EQ(AppParam::userProfileFilePath, "/no/such/folder/");
             EXPECT_EQ(AppParam::firmwareFilePath, documents());
         }},
        {"a colour with more than eight digits keeps its lowest 32 bits",
         "<CustomColor><string>1FFFF0000</string><string>zz</string></CustomColor>"
         "<SelectColor>nonsense</SelectColor>",
         [] {
             EXPECT_EQ(AppParam::customColor[0], AppColor::opaqueRed());
             EXPECT_EQ(AppParam::customColor[1], AppColor::clear());
             EXPECT_EQ(AppParam::selectColor, AppColor::clear());
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        resetAppParam();
        QDir().mkpath(AppUtil::appWorkFolder());
        ASSERT_EQ(AppUtil::saveProfileData(ApplicationProfile::filePath(),
                                           doc(QString::fromLatin1(c.inner), "ApplicationProfile"),
                                           "profile.xml"),
                  AppError::NoError);
        EXPECT_EQ(ApplicationProfile::load(), AppError::NoError);
        c.check();
    }
}

TEST_F(ApplicationProfileFile, DamagedFileKeepsAppParamButSelectsApcSetting)
{
    QDir().mkpath(AppUtil::appWorkFolder());
    // "index.xml" lists the member with a wrong CRC.
    const QByteArray member = doc("<SelectDevice>77</SelectDevice>", "ApplicationProfile");
    const QByteArray index = "<FileIndex><List><FileIndexEntry><Name>profile.xml</Name>"
                             "<Sign>0000</Sign></FileIndexEntry></List></FileIndex>";
    ASSERT_EQ(ZipUtil::append(ApplicationProfile::filePath(), {{"profile.xml", member}}),
              AppError::NoError);
    ASSERT_EQ(ZipUtil::deleteMember(ApplicationProfile::filePath(), "index.xml"), AppError::NoError);
    {
        QTemporaryDir staging;
        QFile f(staging.filePath("index.xml"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(index);
        f.close();
        ASSERT_EQ(ZipUtil::save(staging.path(), {"index.xml"}, ApplicationProfile::filePath(), false),
                  AppError::NoError);
    }
    AppParam::selectDeviceLocation = 5;
    AppParam::userProfileFilePath = "/kept/";
    EXPECT_EQ(ApplicationProfile::load(), AppError::CrcError);
    EXPECT_EQ(AppParam::selectDeviceLocation, 5);
    EXPECT_EQ(AppParam::userProfileFilePath, "/kept/");
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::ApcSetting);
}

TEST_F(ApplicationProfileFile, EmptyPathsAreSavedEmpty)
{
    ASSERT_EQ(ApplicationProfile::save(), AppError::NoError);
    ApplicationProfile stored;
    ASSERT_EQ(AppUtil::loadProfile(ApplicationProfile::filePath(), stored, "profile.xml"),
              AppError::NoError);
    EXPECT_TRUE(stored.firmwareFilePath.isEmpty());
    EXPECT_TRUE(stored.profileFilePath.isEmpty());
}

TEST_F(ApplicationProfileFile, PathXmlCannotCarryIsLeftOutAndTheRestIsSaved)
{
    // Linux allows U+0001 in a folder name; XML 1.0 cannot carry it.
    const QString odd = home.filePath(QStringLiteral("a\x01b"));
    ASSERT_TRUE(QDir().mkpath(odd));
    AppParam::userProfileFilePath = odd;
    AppParam::firmwareFilePath = home.filePath("firmware");
    AppParam::selectDeviceLocation = 0x03142000;
    AppParam::functionTabSelect = FunctionTab::MLedSetting;
    ASSERT_EQ(ApplicationProfile::save(), AppError::NoError);

    resetAppParam();
    EXPECT_EQ(ApplicationProfile::load(), AppError::NoError);
    EXPECT_EQ(AppParam::selectDeviceLocation, 0x03142000);
    EXPECT_EQ(AppParam::functionTabSelect, FunctionTab::MLedSetting);
    EXPECT_EQ(AppParam::firmwareFilePath, home.filePath("firmware") + "/");
    EXPECT_EQ(AppParam::userProfileFilePath, documents() + "Nembo/KOLVENTRA/"); // the default
}

TEST_F(ApplicationProfileFile, FolderThatCannotBeCreatedIsFileWriteAndLogged)
{
    QFile blocker(home.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AppUtil::setAppWorkFolderForTesting(home.filePath("blocker/sub"));

    std::vector<std::string> lines;
    const Logger::Sink previous = Logger::setSink([&lines](const std::string& l) { lines.push_back(l); });
    const AppError result = ApplicationProfile::save();
    Logger::setSink(previous);

    EXPECT_EQ(result, AppError::FileWrite);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("save()"), std::string::npos);
    EXPECT_NE(lines[0].find("Error: create profile copy directory"), std::string::npos);
}

TEST_F(ApplicationProfileFile, FileThatCannotBeWrittenShowsTheMessageBox)
{
    // A non-empty folder stands where the settings file should go.
    ASSERT_TRUE(QDir().mkpath(ApplicationProfile::filePath() + "/inside"));
    RecordingMainController controller;
    EXPECT_EQ(ApplicationProfile::save(), AppError::FileNotExist);
    ASSERT_EQ(controller.messageBoxes.size(), 1u);
    EXPECT_EQ(controller.messageBoxes[0].messageKey, "CanNotWriteToThisFolder");
    EXPECT_EQ(controller.messageBoxes[0].okKey, "OK");
    EXPECT_TRUE(controller.messageBoxes[0].cancelKey.isEmpty());
    EXPECT_TRUE(QFileInfo(ApplicationProfile::filePath()).isDir());
}
