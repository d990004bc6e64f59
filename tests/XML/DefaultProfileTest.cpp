#include "XML/DefaultProfile.h"

#include "AppParam.h"
#include "DeviceProfileTestSupport.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using xmltest::doc;

namespace {

QString colors(const QStringList& texts)
{
    QString s;
    for (const QString& t : texts)
        s += "<string>" + t + "</string>";
    return "<StanderdColor>" + s + "</StanderdColor>";
}

class DefaultProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        AppUtil::setResourceDataFolder(dir.path());
        AppParam::localizeList.clear();
        AppParam::standerdColor = std::vector<AppColor>(10, AppColor::clear());
    }
    void TearDown() override
    {
        AppUtil::setResourceDataFolder(QString());
        AppParam::localizeList = savedList;
        AppParam::standerdColor = savedColors;
    }

    // Writes the shipped defaults file with this member text.
    void ship(const QByteArray& member)
    {
        ASSERT_TRUE(QDir().mkpath(dir.filePath("Profile")));
        ASSERT_EQ(AppUtil::saveProfileData(DefaultProfile::filePath(), member, "profile.xml"),
                  AppError::NoError);
    }

    QTemporaryDir dir;
    QStringList savedList = AppParam::localizeList;
    std::vector<AppColor> savedColors = AppParam::standerdColor;
};

} // namespace

TEST(DefaultProfileReader, Blocks)
{
    const DefaultProfile p = xmltest::parseWith<DefaultProfileXML>(doc(
        "<string>outside</string>"
        "<LocalizeList><string>en</string><string>A&amp;B</string><string></string>"
        "<other>x</other><string>ja</string></LocalizeList>"
        "<StanderdColor><string>FF0000</string><string>00FF00</string></StanderdColor>"));
    EXPECT_EQ(p.localizeList, QStringList({"en", "A&B", "ja"})); // one entry per element
    EXPECT_EQ(p.standerdColor, QStringList({"FF0000", "00FF00"}));

    const DefaultProfile empty =
        xmltest::parseWith<DefaultProfileXML>(doc("<LocalizeList></LocalizeList>"));
    EXPECT_TRUE(empty.localizeList.isEmpty());
    EXPECT_TRUE(empty.standerdColor.isEmpty());
}

TEST_F(DefaultProfileTest, ColoursFillTheSlots)
{
    struct Case {
        const char* what;
        QStringList texts;
        std::vector<AppColor> expected; // slots from 0; the rest stay clear
    };
    const AppColor green = AppColor::rgba(0, 1, 0, 1);
    const AppColor red = AppColor::rgba(1, 0, 0, 1);
    const AppColor black = AppColor::rgba(0, 0, 0, 1);
    const std::vector<Case> cases = {
        {"middle pair FF is opaque green", {"00FF00"}, {green}},
        {"an eight-digit entry drops its first pair", {"80FF0000"}, {red}},
        {"text that is not hexadecimal is opaque black", {"xyz", "00FF00"}, {black, green}},
        {"four colours fill slots 0 to 3", {"FF0000", "FF0000", "FF0000", "FF0000"}, {red, red, red, red}},
        {"more than ten colours: the first ten, nothing written past the end",
         QStringList(12, "00FF00"), std::vector<AppColor>(10, green)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        AppParam::standerdColor = std::vector<AppColor>(10, AppColor::clear());
        ship(doc("<LocalizeList><string>en</string></LocalizeList>" + colors(c.texts)));
        ASSERT_EQ(DefaultProfile::load(), AppError::NoError);
        ASSERT_EQ(AppParam::standerdColor.size(), 10u);
        for (std::size_t i = 0; i < 10; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(AppParam::standerdColor[i],
                      i < c.expected.size() ? c.expected[i] : AppColor::clear());
        }
        EXPECT_EQ(AppParam::localizeList, QStringList({"en"}));
    }
}

TEST_F(DefaultProfileTest, FailuresLeaveAppParamAlone)
{
    AppParam::localizeList = QStringList({"before"});
    // No file.
    EXPECT_EQ(DefaultProfile::load(), AppError::FileRead);
    // XML that does not parse.
    ship("<Defaults><LocalizeList><string>x</string>");
    EXPECT_EQ(DefaultProfile::load(), AppError::FileRead);
    // Another member than "profile.xml".
    ASSERT_EQ(AppUtil::saveProfileData(DefaultProfile::filePath(), doc("<LocalizeList/>"), "Profile.xml"),
              AppError::NoError);
    EXPECT_EQ(DefaultProfile::load(), AppError::FileRead);
    EXPECT_EQ(AppParam::localizeList, QStringList({"before"}));
    EXPECT_EQ(AppParam::standerdColor, std::vector<AppColor>(10, AppColor::clear()));

    // An empty LocalizeList block empties the list.
    ship(doc("<LocalizeList></LocalizeList>"));
    EXPECT_EQ(DefaultProfile::load(), AppError::NoError);
    EXPECT_TRUE(AppParam::localizeList.isEmpty());
}
