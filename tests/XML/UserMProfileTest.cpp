// Mouse user profiles: the member document (writer, reader, fallbacks,
// malformed numbers), Read and Write on packages holding several models, and
// Apply to the emulated mouse wholly and in parts, with the mouse's state
// checked afterwards.
#include "XML/UserMProfile.h"

#include "AppParam.h"
#include "Device/MouseEntry.h"
#include "Platform/Clock.h"
#include "Utility/ProfilePackage.h"
#include "support/EmulatedMouse.h"
#include "support/RecordingMainController.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <vector>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

using Profile = UserMProfileFile;
using Mouse = emu::EmulatedMouse;
using emu::FaultKind;
constexpr uint32_t kLocation = 0x01300000;

// A mouse model with distinct settings and no device.
std::shared_ptr<MouseEntry> modelWithSettings()
{
    auto m = std::make_shared<MouseEntry>();
    for (int i = 0; i < 6; ++i)
        m->buttonList.push_back({QStringLiteral("Btn%1").arg(i + 1), ButtonNo(i), {}, 0});
    m->buttonList.push_back({QStringLiteral("Logo"), ButtonNo::None, {}, 0});
    m->buttonSettingList = {0x02, 0x01, 0x2C, 0x0B, 0x11, 0x3B};
    m->indicatorEnable = Indicator::Enable;
    m->logoEnable = Logo::Disable;
    m->color = LedColor::Water;
    m->luminace = eLuminance::Level3;
    m->dpiSettingEnable = {0, 1, 0, 1};
    m->dpiSettingValue = {3, 7, 15, 119};
    m->dpiSelected = DpiSettingNo::Setting4;
    m->liftOffDistance = LoD::LoD_3mm;
    for (int i = 0; i < 4; ++i)
        m->customKeyList[i] = {ButtonNo(i + 2), uint8_t(0x11 * (i + 1)), uint8_t(0x1E + i)};
    return m;
}

Profile parse(const QByteArray& xml, bool* malformed = nullptr)
{
    UserMProfileXML reader;
    EXPECT_TRUE(reader.parse(xml));
    if (malformed)
        *malformed = reader.malformed();
    return reader.takeProfile();
}

QByteArray doc(const QString& inner)
{
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><UserMProfileFile>") + inner
            + QStringLiteral("</UserMProfileFile>"))
        .toUtf8();
}

// ----- document ---------------------------------------------------------------------

TEST(UserMProfileDocument, WriterOrderAndNames)
{
    const Profile p = UserMProfile::fromMouse(*modelWithSettings(), "/x/My mouse.v2.mprf", "c%20d");
    const auto bytes = UserMProfileXML::construct(p);
    ASSERT_TRUE(bytes);
    const QString text = QString::fromUtf8(*bytes);
    EXPECT_TRUE(text.startsWith(R"(<?xml version="1.0" encoding="utf-8"?>)"));

    const char* order[] = {"<UserMProfileFile>", "<Type>User Profile(Mouse)</Type>", "<Name>My mouse.v2</Name>",
                           "<Comment>c%20d</Comment>", "<buttonList>", "<ButtonSetting>", "<Name>Btn1</Name>",
                           "<Code>Button1</Code>", "<Data>Func_RClick</Data>", "<Data>Macro_CustomKey</Data>",
                           "<Data>Macro_MacMoveForward2</Data>", "</buttonList>", "<IndicatorEnable>0</IndicatorEnable>",
                           "<LogoEnable>1</LogoEnable>", "<Color>Water</Color>", "<Luminance>Level3</Luminance>",
                           "<dpiSettings>", "<Setting>Setting1</Setting>", "<Enable>0</Enable>", "<Value>3</Value>",
                           "<Value>119</Value>", "</dpiSettings>", "<DpiSelected>Setting4</DpiSelected>",
                           "<LiftOffDistance>LoD_3mm</LiftOffDistance>", "<CustomKeyList>", "<CustomKeyEntry>",
                           "<Code>Button3</Code>", "<Modifier>17</Modifier>", "<KeyCode>30</KeyCode>",
                           "</CustomKeyList>"};
    qsizetype at = 0;
    for (const char* piece : order) {
        const qsizetype found = text.indexOf(QString::fromUtf8(piece), at);
        ASSERT_GE(found, 0) << piece;
        at = found;
    }
    EXPECT_EQ(p.buttonList.size(), 6u);
    EXPECT_EQ(text.count("<ButtonSetting>"), 6);
    EXPECT_EQ(text.count("<DpiSetting>"), 4);
    EXPECT_EQ(text.count("<CustomKeyEntry>"), 4);

    // Empty lists are written as empty containers; _count as Setting1.
    Profile empty;
    empty.dpiSelected = DpiSettingNo::_count;
    const QString e = QString::fromUtf8(*UserMProfileXML::construct(empty));
    EXPECT_TRUE(e.contains("<buttonList/>") || e.contains("<buttonList></buttonList>"));
    EXPECT_TRUE(e.contains("<CustomKeyList/>") || e.contains("<CustomKeyList></CustomKeyList>"));
    EXPECT_TRUE(e.contains("<DpiSelected>Setting1</DpiSelected>"));
    EXPECT_TRUE(e.contains("<Color>Off</Color>"));
}

TEST(UserMProfileDocument, WriteCopesWithAShortDescriptionAndUnknownCodes)
{
    auto m = modelWithSettings();
    m->buttonList.resize(4);
    m->buttonSettingList[1] = 0x99; // no function the system knows
    const Profile p = UserMProfile::fromMouse(*m, "a.mprf", "");
    ASSERT_EQ(p.buttonList.size(), 6u);
    EXPECT_EQ(p.buttonList[1].data, ButtonAssignCode::None);
    EXPECT_EQ(p.buttonList[3].name, "Btn4");
    EXPECT_EQ(p.buttonList[4].name, "");
    EXPECT_EQ(p.buttonList[4].code, ButtonNo::Button5);
    EXPECT_EQ(p.buttonList[5].code, ButtonNo::Button6);
}

TEST(UserMProfileDocument, RoundTripThroughTheDocument)
{
    const Profile p = UserMProfile::fromMouse(*modelWithSettings(), "x.mprf", "a&b <c>");
    EXPECT_EQ(parse(*UserMProfileXML::construct(p)), p);
}

TEST(UserMProfileDocument, ReaderFallbacks)
{
    struct Case {
        const char* xml;
        std::function<bool(const Profile&)> check;
    };
    const Case cases[] = {
        {"<Color>Off</Color>", [](const Profile& p) { return p.color == LedColor::Off; }},
        {"<Color>Cyan</Color>", [](const Profile& p) { return p.color == LedColor::Off; }},
        {"<Color>Water</Color>", [](const Profile& p) { return p.color == LedColor::Water; }},
        {"<Luminance>level2</Luminance>", [](const Profile& p) { return p.luminance == eLuminance::Level1; }},
        {"<Luminance>Level3</Luminance>", [](const Profile& p) { return p.luminance == eLuminance::Level3; }},
        {"<DpiSelected>Setting5</DpiSelected>", [](const Profile& p) { return p.dpiSelected == DpiSettingNo::Setting1; }},
        {"<DpiSelected>Setting4</DpiSelected>", [](const Profile& p) { return p.dpiSelected == DpiSettingNo::Setting4; }},
        {"<DpiSetting><Setting>Setting5</Setting></DpiSetting>",
         [](const Profile& p) { return p.dpiSettings.size() == 1 && p.dpiSettings[0].setting == DpiSettingNo::Setting4; }},
        {"<DpiSetting><Setting>Setting1</Setting></DpiSetting>",
         [](const Profile& p) { return p.dpiSettings.size() == 1 && p.dpiSettings[0].setting == DpiSettingNo::Setting1; }},
        {"<LiftOffDistance>LoD_3mm</LiftOffDistance>", [](const Profile& p) { return p.liftOffDistance == LoD::LoD_3mm; }},
        {"<LiftOffDistance>3</LiftOffDistance>", [](const Profile& p) { return p.liftOffDistance == LoD::LoD_2mm; }},
        {"<ButtonSetting><Code>button3</Code><Data>None</Data></ButtonSetting>",
         [](const Profile& p) {
             return p.buttonList.size() == 1 && p.buttonList[0].code == ButtonNo::None
                 && p.buttonList[0].data == ButtonAssignCode::None;
         }},
        {"<ButtonSetting><Code>Button6</Code><Data>Macro_MacCopy</Data><Name>N</Name></ButtonSetting>",
         [](const Profile& p) {
             return p.buttonList.size() == 1 && p.buttonList[0].code == ButtonNo::Button6
                 && p.buttonList[0].data == ButtonAssignCode::Macro_MacCopy && p.buttonList[0].name == "N" && p.name.isEmpty();
         }},
        {"<ButtonSetting><Data>Func_Nope</Data></ButtonSetting>",
         [](const Profile& p) { return p.buttonList.size() == 1 && p.buttonList[0].data == ButtonAssignCode::None; }},
        {"<Comment>a&amp;b&#x3C;</Comment>", [](const Profile& p) { return p.comment == "a&b<"; }},
        {"<Name>A&amp;B</Name>", [](const Profile& p) { return p.name == "A&B"; }},
        {"<Name>x</Name><Name>y</Name>", [](const Profile& p) { return p.name == "y"; }},
        {"<buttonList/><dpiSettings/>",
         [](const Profile& p) { return p.buttonList.empty() && p.dpiSettings.empty() && p.customKeyList.empty(); }},
        {"<CustomKeyEntry><Code>Button4</Code><Modifier>+3</Modifier><KeyCode>255</KeyCode></CustomKeyEntry>",
         [](const Profile& p) {
             return p.customKeyList == std::vector<Profile::CustomKeyEntry>{{ButtonNo::Button4, 3, 255}};
         }},
        {"<IndicatorEnable>-128</IndicatorEnable><LogoEnable>127</LogoEnable>",
         [](const Profile& p) { return p.indicatorEnable == -128 && p.logoEnable == 127; }},
        {"<Type>Whatever</Type><Unknown>1</Unknown>", [](const Profile& p) { return p.type == "Whatever"; }},
    };
    for (const Case& c : cases) {
        bool malformed = true;
        const Profile p = parse(doc(QString::fromUtf8(c.xml)), &malformed);
        EXPECT_TRUE(c.check(p)) << c.xml;
        EXPECT_FALSE(malformed) << c.xml;
    }
}

TEST(UserMProfileDocument, NumbersOutOfRangeOrNotDecimalAreMalformed)
{
    const char* cases[] = {
        "<IndicatorEnable>300</IndicatorEnable>",
        "<LogoEnable>1x</LogoEnable>",
        "<DpiSetting><Enable>-1</Enable></DpiSetting>",
        "<DpiSetting><Value>abc</Value></DpiSetting>",
        "<DpiSetting><Value>99999999999</Value></DpiSetting>",
        "<CustomKeyEntry><Modifier>256</Modifier></CustomKeyEntry>",
        "<CustomKeyEntry><KeyCode>0x1E</KeyCode></CustomKeyEntry>",
    };
    for (const char* xml : cases) {
        bool malformed = false;
        parse(doc(QString::fromUtf8(xml)), &malformed);
        EXPECT_TRUE(malformed) << xml;
    }
}

// ----- Read and Write on packages ----------------------------------------------------------

class UserMProfileFileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir dir;
};

TEST_F(UserMProfileFileTest, WriteThenReadGivesTheSameSettings)
{
    auto m = modelWithSettings();
    const QString comment = QStringLiteral("Mäuse & 100% \u3042 ok");
    const QString encoded = UserMProfile::encodeComment(comment);
    EXPECT_EQ(UserMProfile::encodeComment("a b%"), "a%20b%25");
    EXPECT_EQ(UserMProfile::encodeComment("!*'();:@&=+$,/?#[]-._~"), "!*'();:@&=+$,/?#[]-._~");

    const QString file = path("p.mprf");
    ASSERT_EQ(UserMProfile::Write(file, "KVM006", *m, encoded), AppError::NoError);
    Profile read;
    ASSERT_EQ(UserMProfile::Read(file, "KVM006", read), AppError::NoError);
    Profile expected = UserMProfile::fromMouse(*m, file, comment);
    EXPECT_EQ(read, expected);
    EXPECT_EQ(read.name, "p");
    EXPECT_EQ(read.type, "User Profile(Mouse)");
}

TEST_F(UserMProfileFileTest, CommentsThatAreNoPercentEncodingStay)
{
    auto m = modelWithSettings();
    for (const QString& comment : {QStringLiteral("50%"), QStringLiteral("%zz"), QStringLiteral("%C3")}) {
        const QString file = path("c.mprf");
        ASSERT_EQ(UserMProfile::Write(file, "KVM006", *m, comment), AppError::NoError);
        Profile read;
        ASSERT_EQ(UserMProfile::Read(file, "KVM006", read), AppError::NoError);
        EXPECT_EQ(read.comment, comment);
    }
}

TEST_F(UserMProfileFileTest, OneMemberPerModel)
{
    auto a = modelWithSettings();
    auto b = modelWithSettings();
    b->color = LedColor::Red;
    const QString file = path("two.mprf");

    ASSERT_EQ(UserMProfile::Write(file, "MODEL_A", *a, "first"), AppError::NoError);
    ASSERT_EQ(UserMProfile::Write(file, "MODEL_B", *b, "second"), AppError::NoError);

    Profile ra, rb, none;
    ASSERT_EQ(UserMProfile::Read(file, "MODEL_A", ra), AppError::NoError);
    ASSERT_EQ(UserMProfile::Read(file, "MODEL_B", rb), AppError::NoError);
    EXPECT_EQ(ra.color, LedColor::Water);
    EXPECT_EQ(ra.comment, "first");
    EXPECT_EQ(rb.color, LedColor::Red);
    // A model the file has no member for: an error, the model untouched.
    none.comment = "kept";
    EXPECT_EQ(UserMProfile::Read(file, "MODEL_C", none), AppError::FileRead);
    EXPECT_EQ(none.comment, "kept");

    // Writing a model again replaces its member and keeps the other.
    a->color = LedColor::Yellow;
    ASSERT_EQ(UserMProfile::Write(file, "MODEL_A", *a, "again"), AppError::NoError);
    ASSERT_EQ(UserMProfile::Read(file, "MODEL_A", ra), AppError::NoError);
    ASSERT_EQ(UserMProfile::Read(file, "MODEL_B", rb), AppError::NoError);
    EXPECT_EQ(ra.color, LedColor::Yellow);
    EXPECT_EQ(ra.comment, "again");
    EXPECT_EQ(rb.color, LedColor::Red);

    FileIndex index;
    ASSERT_EQ(AppUtil::loadProfile(file, index, AppUtil::kIndexMemberName), AppError::NoError);
    ASSERT_EQ(index.fileIndexEntry.size(), 2u);
    EXPECT_EQ(index.fileIndexEntry[0].name, "profile.MODEL_A.xml");
    EXPECT_EQ(index.fileIndexEntry[1].name, "profile.MODEL_B.xml");
}

TEST_F(UserMProfileFileTest, ReadFailures)
{
    Profile p;
    p.name = "kept";
    EXPECT_EQ(UserMProfile::Read(path("missing.mprf"), "KVM006", p), AppError::FileRead);

    const QString file = path("bad.mprf");
    ASSERT_EQ(AppUtil::saveProfileData(file, doc("<Name>n</Name><IndicatorEnable>300</IndicatorEnable>"),
                                       UserMProfile::memberName("KVM006")),
              AppError::NoError);
    EXPECT_EQ(UserMProfile::Read(file, "KVM006", p), AppError::FileRead);
    EXPECT_EQ(p.name, "kept");

    ASSERT_EQ(AppUtil::saveProfileData(file, doc("<Name>n</Name><Broken>"), UserMProfile::memberName("KVM006")),
              AppError::NoError);
    EXPECT_EQ(UserMProfile::Read(file, "KVM006", p), AppError::FileRead);
    EXPECT_EQ(p.name, "kept");
}

TEST_F(UserMProfileFileTest, WriteIntoAnUnwritableFolderFails)
{
    auto m = modelWithSettings();
    EXPECT_EQ(UserMProfile::Write(path("no/such/folder/x.mprf"), "KVM006", *m, ""), AppError::FileNotExist);
}

// ----- Apply ------------------------------------------------------------------------------

class UserMProfileApplyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedLocation_ = AppParam::selectDeviceLocation;
        savedDevice_ = AppParam::device;
        AppParam::selectDeviceLocation = int32_t(kLocation);
        useMouse(std::make_shared<Mouse>());
    }
    void TearDown() override
    {
        mouse->hidClose();
        AppParam::selectDeviceLocation = savedLocation_;
        AppParam::device = savedDevice_;
    }

    // Attaches the emulated mouse and connects a fresh model with the shipped
    // mouse's button list.
    void useMouse(std::shared_ptr<Mouse> m)
    {
        if (emulated) {
            mouse->hidClose();
            bus->detach(kLocation);
        }
        emulated = std::move(m);
        ASSERT_TRUE(bus->attach(emulated, kLocation));
        mouse = std::make_shared<MouseEntry>();
        for (int i = 0; i < 6; ++i)
            mouse->buttonList.push_back({QStringLiteral("Button%1").arg(i + 1), ButtonNo(i), {}, 0});
        mouse->buttonList.push_back({QStringLiteral("Logo"), ButtonNo::None, {}, 0});
        ASSERT_EQ(mouse->open(kLocation), AppError::NoError);
        ASSERT_EQ(mouse->loadDeviceParam(), AppError::NoError);
        emulated->clearLog();
        // A profile is applied to the connected mouse.
        AppParam::device = mouse;
    }

    // The profile of a model with distinct settings.
    static Profile sourceProfile() { return UserMProfile::fromMouse(*modelWithSettings(), "s.mprf", ""); }

    static UserMProfile::EnableFunction all()
    {
        return {{MProfileEntry::Button, true}, {MProfileEntry::LED, true}, {MProfileEntry::SensorDPI, true},
                {MProfileEntry::SensorLoD, true}};
    }

    std::vector<Bytes> dataOf(uint8_t command) const
    {
        std::vector<Bytes> out;
        for (const auto& e : emulated->writes()) {
            if (e.command() == command)
                out.emplace_back(e.bytes.begin() + 6, e.bytes.begin() + 6 + e.bytes[5]);
        }
        return out;
    }

    platform::ScopedTimeScale fast{0.01};
    emu::ScopedVirtualBus bus;
    RecordingMainController controller;
    std::shared_ptr<Mouse> emulated;
    std::shared_ptr<MouseEntry> mouse;

private:
    int32_t savedLocation_ = 0;
    std::shared_ptr<IDeviceEntry> savedDevice_;
};

TEST_F(UserMProfileApplyTest, WholeProfileReachesTheModelAndTheMouse)
{
    const Profile p = sourceProfile();
    ASSERT_EQ(UserMProfile::Apply(mouse, p, all()), AppError::NoError);

    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x10, 0x11, 0x12, 0x11, 0x11, 0x11, 0x30, 0x50, 0x50,
                                                          0x50, 0x50, 0x50, 0x51}));
    EXPECT_LE(emulated->commands().size(), 16u);
    // Model.
    EXPECT_EQ(mouse->buttonSettingList, (std::array<uint8_t, 6>{0x02, 0x01, 0x2C, 0x0B, 0x11, 0x3B}));
    EXPECT_EQ(mouse->color, LedColor::Water);
    EXPECT_EQ(mouse->luminace, eLuminance::Level3);
    EXPECT_EQ(mouse->indicatorEnable, Indicator::Enable);
    EXPECT_EQ(mouse->logoEnable, Logo::Disable);
    EXPECT_EQ(mouse->dpiSettingValue, (std::array<int32_t, 4>{3, 7, 15, 119}));
    EXPECT_EQ(mouse->dpiSelected, DpiSettingNo::Setting4);
    EXPECT_EQ(mouse->liftOffDistance, LoD::LoD_3mm);
    // Mouse (live, not stored).
    const Mouse::Record expected{0x02, 0x01, 0x2C, 0x0B, 0x11, 0x3B, 6, 2, 0, 1, 0, 3, 1, 7, 0, 15, 1, 119,
                                 3,    3,    1,    0x11, 0x1E, 0,    0, 0, 0, 0, 0};
    EXPECT_EQ(emulated->live(), expected);
    EXPECT_EQ(emulated->stored(), Mouse::defaults());
    EXPECT_TRUE(controller.deviceErrors.empty());
}

TEST_F(UserMProfileApplyTest, PartsAreAppliedAloneAndInTheirOwnOrder)
{
    struct Case {
        const char* what;
        UserMProfile::EnableFunction enable;
        std::vector<uint8_t> commands;
    };
    const Case cases[] = {
        {"nothing", {}, {}},
        {"all false",
         {{MProfileEntry::Button, false}, {MProfileEntry::LED, false}, {MProfileEntry::SensorDPI, false},
          {MProfileEntry::SensorLoD, false}},
         {}},
        {"lift-off only", {{MProfileEntry::SensorLoD, true}}, {0x51}},
        {"LED only", {{MProfileEntry::LED, true}, {MProfileEntry::None, true}}, {0x30}},
        {"DPI and LED", {{MProfileEntry::SensorDPI, true}, {MProfileEntry::LED, true}},
         {0x30, 0x50, 0x50, 0x50, 0x50, 0x50}},
        {"buttons only", {{MProfileEntry::Button, true}}, {0x10, 0x11, 0x12, 0x11, 0x11, 0x11}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        useMouse(std::make_shared<Mouse>());
        const Mouse::Record before = emulated->live();
        const auto modelBefore = mouse->buttonSettingList;
        ASSERT_EQ(UserMProfile::Apply(mouse, sourceProfile(), c.enable), AppError::NoError);
        EXPECT_EQ(emulated->commands(), c.commands);

        const bool button = c.enable.count(MProfileEntry::Button) && c.enable.at(MProfileEntry::Button);
        const bool led = c.enable.count(MProfileEntry::LED) && c.enable.at(MProfileEntry::LED);
        const bool lod = c.enable.count(MProfileEntry::SensorLoD) && c.enable.at(MProfileEntry::SensorLoD);
        EXPECT_EQ(std::equal(before.begin(), before.begin() + 6, emulated->live().begin()), !button);
        EXPECT_EQ(mouse->buttonSettingList == modelBefore, !button);
        EXPECT_EQ(emulated->live()[Mouse::kColor] == before[Mouse::kColor], !led);
        EXPECT_EQ(emulated->live()[Mouse::kLiftOff] == before[Mouse::kLiftOff], !lod);
    }
}

TEST_F(UserMProfileApplyTest, SwapFollowsButtonOne)
{
    for (auto [data, swap] : {std::pair{ButtonAssignCode::Func_LClick, 0}, std::pair{ButtonAssignCode::Func_RClick, 1},
                              std::pair{ButtonAssignCode::Func_WClick, 1}}) {
        emulated->clearLog();
        Profile p;
        p.buttonList = {{"Button1", ButtonNo::Button1, data}, {"Button2", ButtonNo::Button2, ButtonAssignCode::Func_LClick}};
        ASSERT_EQ(UserMProfile::Apply(mouse, p, {{MProfileEntry::Button, true}}), AppError::NoError);
        EXPECT_EQ(dataOf(0x10), (std::vector<Bytes>{{uint8_t(swap)}}));
        EXPECT_EQ(emulated->commands().size(), 1u); // nothing for button 2
    }
}

TEST_F(UserMProfileApplyTest, OlderFirmwareGetsDefaultFunctionsForCustomKeyAndDoubleClick)
{
    struct Case {
        const char* what;
        std::optional<std::array<uint8_t, 4>> firmware; // absent: the model has no version
        std::vector<Bytes> functions;                   // 0x11 data
        std::vector<Bytes> customKeys;                  // 0x12 data
    };
    const Case cases[] = {
        {"10.09", std::array<uint8_t, 4>{0x01, 0x00, 0x00, 0x09}, {{2, 0x03}, {3, 0x04}}, {}},
        {"10.10", std::array<uint8_t, 4>{0x01, 0x00, 0x01, 0x00}, {{2, 0x2C}, {3, 0x0B}}, {{2, 0x11, 0x1E}}},
        {"no version", std::nullopt, {{2, 0x2C}, {3, 0x0B}}, {{2, 0x11, 0x1E}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto m = std::make_shared<Mouse>();
        if (c.firmware)
            m->identity().firmware = *c.firmware;
        useMouse(m);
        if (!c.firmware)
            mouse->setFirmwareVersion(std::nullopt);

        Profile p = sourceProfile();
        p.buttonList.resize(4); // buttons 1 to 4: 4 carries double click
        ASSERT_EQ(UserMProfile::Apply(mouse, p, {{MProfileEntry::Button, true}}), AppError::NoError);
        EXPECT_EQ(dataOf(0x11), c.functions);
        EXPECT_EQ(dataOf(0x12), c.customKeys);
        // The model keeps the profile's codes.
        EXPECT_EQ(mouse->buttonSettingList[2], 0x2C);
        EXPECT_EQ(mouse->buttonSettingList[3], 0x0B);
    }
}

TEST_F(UserMProfileApplyTest, SelectedDpiSettingGoesOnceMoreLast)
{
    Profile p = sourceProfile();
    p.dpiSelected = DpiSettingNo::Setting3;
    ASSERT_EQ(UserMProfile::Apply(mouse, p, {{MProfileEntry::SensorDPI, true}}), AppError::NoError);
    EXPECT_EQ(dataOf(0x50), (std::vector<Bytes>{{0, 0, 3}, {1, 1, 7}, {2, 0, 15}, {3, 1, 119}, {2, 0, 15}}));
    EXPECT_EQ(emulated->live()[Mouse::kDpiSelected], 2);
    EXPECT_EQ(mouse->dpiSelected, DpiSettingNo::Setting3);
}

TEST_F(UserMProfileApplyTest, ButtonTheMouseLacksKeepsItsStoredFunction)
{
    mouse->buttonList.erase(mouse->buttonList.begin() + 4); // no Button5 in the description
    const uint8_t stored = mouse->buttonSettingList[4];
    ASSERT_EQ(UserMProfile::Apply(mouse, sourceProfile(), {{MProfileEntry::Button, true}}), AppError::NoError);
    EXPECT_EQ(mouse->buttonSettingList[4], stored);
    EXPECT_EQ(dataOf(0x11)[2], (Bytes{4, stored}));
    EXPECT_EQ(mouse->buttonSettingList[5], 0x3B);
}

TEST_F(UserMProfileApplyTest, FirstFailureStopsAndStartsTheRecovery)
{
    struct Case {
        const char* what;
        int32_t location;
        size_t recoveryCalls;
    };
    const Case cases[] = {{"remembered location", int32_t(kLocation), 1}, {"no location", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        useMouse(std::make_shared<Mouse>());
        controller.deviceErrors.clear();
        AppParam::selectDeviceLocation = c.location;
        emulated->inject({.kind = FaultKind::Status, .command = 0x30});

        EXPECT_EQ(UserMProfile::Apply(mouse, sourceProfile(), all()), AppError::RecvErrorStore);
        EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x10, 0x11, 0x12, 0x11, 0x11, 0x11, 0x30}));
        EXPECT_EQ(controller.deviceErrors.size(), c.recoveryCalls);
        if (c.recoveryCalls) {
            EXPECT_EQ(controller.deviceErrors[0], int32_t(kLocation));
        }
        // What came before the failure stays; the LED fields were set before
        // their command, DPI and lift-off were not reached.
        EXPECT_EQ(mouse->buttonSettingList[2], 0x2C);
        EXPECT_EQ(mouse->color, LedColor::Water);
        EXPECT_EQ(mouse->liftOffDistance, LoD::LoD_2mm);
    }
}

TEST_F(UserMProfileApplyTest, RecoveryMayDropTheMouseDuringTheCall)
{
    controller.onDeviceError = [this](int32_t) { mouse.reset(); };
    emulated->inject({.kind = FaultKind::Status, .command = 0x51});
    std::shared_ptr<MouseEntry> held = mouse;
    EXPECT_EQ(UserMProfile::Apply(held, sourceProfile(), all()), AppError::RecvErrorStore);
    EXPECT_FALSE(mouse);
    mouse = held;
}

TEST_F(UserMProfileApplyTest, BadProfilesAreRefusedBeforeAnythingIsSent)
{
    struct Case {
        const char* what;
        std::function<void(Profile&)> spoil;
        UserMProfile::EnableFunction enable;
    };
    const auto button = UserMProfile::EnableFunction{{MProfileEntry::Button, true}, {MProfileEntry::SensorLoD, true}};
    const auto led = UserMProfile::EnableFunction{{MProfileEntry::LED, true}, {MProfileEntry::SensorLoD, true}};
    const auto dpi = UserMProfile::EnableFunction{{MProfileEntry::SensorDPI, true}, {MProfileEntry::SensorLoD, true}};
    const Case cases[] = {
        {"seven buttons", [](Profile& p) { p.buttonList.push_back(p.buttonList[0]); }, button},
        {"no custom keys for a custom-key button", [](Profile& p) { p.customKeyList.clear(); }, button},
        {"custom-key function at position 1",
         [](Profile& p) { p.buttonList[1] = {"", ButtonNo::Button3, ButtonAssignCode::Macro_CustomKey}; }, button},
        {"indicator 2", [](Profile& p) { p.indicatorEnable = 2; }, led},
        {"logo -1", [](Profile& p) { p.logoEnable = -1; }, led},
        {"no DPI settings", [](Profile& p) { p.dpiSettings.clear(); }, dpi},
        {"five DPI settings", [](Profile& p) { p.dpiSettings.push_back(p.dpiSettings[0]); }, dpi},
        {"DPI index 120", [](Profile& p) { p.dpiSettings[2].value = 120; }, dpi},
        {"DPI index -1", [](Profile& p) { p.dpiSettings[2].value = -1; }, dpi},
        {"DPI enable 2", [](Profile& p) { p.dpiSettings[0].enable = 2; }, dpi},
        {"DPI setting out of place", [](Profile& p) { std::swap(p.dpiSettings[0], p.dpiSettings[1]); }, dpi},
        {"selected setting missing", [](Profile& p) { p.dpiSettings.resize(2); p.dpiSelected = DpiSettingNo::Setting3; }, dpi},
        {"selected _count", [](Profile& p) { p.dpiSelected = DpiSettingNo::_count; }, dpi},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Profile p = sourceProfile();
        c.spoil(p);
        const auto buttons = mouse->buttonSettingList;
        const auto dpiValues = mouse->dpiSettingValue;
        EXPECT_EQ(UserMProfile::Apply(mouse, p, c.enable), AppError::BadParam);
        EXPECT_TRUE(emulated->writes().empty());
        EXPECT_EQ(mouse->buttonSettingList, buttons);
        EXPECT_EQ(mouse->dpiSettingValue, dpiValues);
        EXPECT_EQ(mouse->liftOffDistance, LoD::LoD_2mm);
        EXPECT_TRUE(controller.deviceErrors.empty());
    }
    // A part that is not enabled is not checked.
    Profile p = sourceProfile();
    p.dpiSettings.clear();
    p.indicatorEnable = 5;
    EXPECT_EQ(UserMProfile::Apply(mouse, p, {{MProfileEntry::SensorLoD, true}}), AppError::NoError);
    EXPECT_EQ(UserMProfile::Apply(nullptr, p, {{MProfileEntry::SensorLoD, true}}), AppError::BadParam);
}

TEST_F(UserMProfileApplyTest, CustomKeysOfAnAppliedProfileSurviveSendAndClose)
{
    ASSERT_EQ(UserMProfile::Apply(mouse, sourceProfile(), all()), AppError::NoError);
    ASSERT_EQ(static_cast<IDeviceEntry&>(*mouse).CMD_RegistSetting(), AppError::NoError);
    const Mouse::Record sent = emulated->stored();
    EXPECT_EQ(sent[Mouse::kCustomKeys], 0x11);
    EXPECT_EQ(sent[Mouse::kCustomKeys + 1], 0x1E);

    EXPECT_EQ(mouse->close(true), AppError::NoError);
    EXPECT_EQ(emulated->stored(), sent);
}

TEST_F(UserMProfileApplyTest, ProfileFromFileToMouse)
{
    // Save the settings of one mouse, load them into another.
    QTemporaryDir dir;
    const QString file = dir.filePath("m.mprf");
    auto source = modelWithSettings();
    ASSERT_EQ(UserMProfile::Write(file, "KVM006", *source, ""), AppError::NoError);
    Profile read;
    ASSERT_EQ(UserMProfile::Read(file, "KVM006", read), AppError::NoError);
    ASSERT_EQ(UserMProfile::Apply(mouse, read, all()), AppError::NoError);
    EXPECT_EQ(mouse->buttonSettingList, source->buttonSettingList);
    EXPECT_EQ(mouse->dpiSettingEnable, source->dpiSettingEnable);
    EXPECT_EQ(mouse->dpiSettingValue, source->dpiSettingValue);
    EXPECT_EQ(emulated->live()[Mouse::kDpiSelected], 3);
    EXPECT_EQ(mouse->customKeyList[0], source->customKeyList[0]);
}

} // namespace

namespace {
TEST_F(UserMProfileApplyTest, BusyMouseIsNotTakenForABrokenOne)
{
    // A reading transaction waits for its late reply; a profile applied from
    // inside that wait is refused as busy, and nothing drops the mouse.
    emulated->inject({.kind = FaultKind::Late, .delay = std::chrono::milliseconds(60)});
    AppError inner = AppError::NoError;
    QTimer::singleShot(10, [&] { inner = UserMProfile::Apply(mouse, sourceProfile(), all()); });
    EXPECT_EQ(mouse->loadDeviceParam(), AppError::NoError);
    EXPECT_EQ(inner, AppError::DeviceIsInvalid);
    EXPECT_TRUE(isBusy(inner));
    EXPECT_TRUE(controller.deviceErrors.empty());
    // Once the wait is over, the same profile goes through.
    EXPECT_EQ(UserMProfile::Apply(mouse, sourceProfile(), all()), AppError::NoError);
}
} // namespace
