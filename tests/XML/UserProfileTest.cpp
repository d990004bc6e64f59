// The keyboard user profile: the member document (writer and reader and
// their value tables), Write → Read round trips, several models in one file,
// comment decoding, and Apply wholly and in parts against the emulated
// keyboard with the device's state checked afterwards.
#include "BuildPaths.h"
#include "XML/UserProfile.h"

#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "Platform/Clock.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "XML/FileIndexXML.h"
#include "support/EmulatedKeyboard.h"
#include "support/RecordingMainController.h"
#include "support/VirtualHidBus.h"

#include <QRegularExpression>
#include <QTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

inline void PrintTo(AppError e, std::ostream* os) { *os << appErrorName(e); }

namespace {

constexpr uint32_t kLocation = 0x01100000;
using emu::FaultKind;

QString shippedPackage(const shipped::Model& m)
{
    return QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/Profile/")
        + QString::fromLatin1(m.packageFile.data(), qsizetype(m.packageFile.size()));
}

KeytopEntry button(int code, ApcLevel level, KeytopLock lock, std::vector<AppColor> colors = {})
{
    KeytopEntry k(KeytopEntryType::Button, QStringLiteral("Key%1").arg(code), code, 1, {}, {}, {});
    k.apcLevel = level;
    k.lock = lock;
    k.userColor = std::move(colors);
    return k;
}

// A keyboard model with settings in every field a profile stores.
std::shared_ptr<KeyboardEntry> sampleModel()
{
    auto kb = std::make_shared<KeyboardEntry>();
    kb->keyboardType = AppKeyboardType::KOLVENTRA_G7_MAC_US87;
    kb->apcFunction = FunctionItem::Collective;
    kb->apcLevel = ApcLevel::Middle;
    kb->ledBrightness = LedBrightness::Level2;
    kb->ledFunction = FunctionItem::ShootingStar;
    kb->ledShootingStarInterval = LedInterval::Level9;
    kb->keyLockEnable = KeyLockFunction::Enable;
    kb->ledSelect[FunctionItem::UserSetting] = ColorSelect::UserSetting3;
    kb->ledSelect[FunctionItem::PressedKeyLighting] = ColorSelect::UserSetting2;
    kb->ledColor[FunctionItem::PressedKeyLighting] = AppColor::rgb8(255, 0, 0);
    kb->ledColor[FunctionItem::PressedKeyLightingWithBL] = AppColor::rgb8(0, 128, 0, 0.5);
    kb->ledColor[FunctionItem::ShootingStar] = AppColor::rgb8(0, 0, 255);
    kb->keytopList = {
        button(0, ApcLevel::Low, KeytopLock::Lock, {AppColor::rgb8(1, 2, 3)}),
        button(1, ApcLevel::High, KeytopLock::Unlock,
               {AppColor::rgb8(9, 9, 9, 0.0), AppColor::rgb8(4, 5, 6)}), // first colour alpha 0
        button(127, ApcLevel::None, KeytopLock::Lock),                    // no colours
        button(255, ApcLevel::Middle, KeytopLock::Unlock),
        KeytopEntry(KeytopEntryType::LedIndicator, "Caps", 255, 2, {}, {}, {}),
    };
    return kb;
}

std::vector<QString> members(const QString& path)
{
    FileIndex index;
    EXPECT_EQ(AppUtil::loadProfile(path, index, "index.xml"), AppError::NoError);
    std::vector<QString> names;
    for (const auto& e : index.fileIndexEntry)
        names.push_back(e.name);
    return names;
}

UserProfileFile parsed(const QByteArray& xml, bool* malformed = nullptr)
{
    UserProfileXML reader;
    EXPECT_TRUE(reader.parse(xml));
    if (malformed)
        *malformed = reader.hasMalformedText();
    return reader.takeProfile();
}

// ----- document ---------------------------------------------------------------

TEST(UserProfileDocument, WriterWritesEveryElementInOrder)
{
    UserProfileFile p;
    p.keytopList.push_back({}); // a key without colours
    const std::optional<QByteArray> xml = UserProfileXML::construct(p);
    ASSERT_TRUE(xml);
    const QString text = QString::fromUtf8(*xml);
    const char* names[] = {"Type", "Name", "Comment", "KeyboardType", "ApcFunctionEnable",
                           "LedFunctionEnable", "LedBrightnessEnable", "KeyLockFunctionEnable",
                           "ApcFunction", "ApcLevel", "LedBrightness", "LedFunction",
                           "LedUserColorLedSelect", "LedPressedKeyLightingLedSelect",
                           "LedPressedKeyLightingColor", "LedPressedKeyLightingWithBLLedSelect",
                           "LedPressedKeyLightingWithBLColor", "LedShootingStarLedSelect",
                           "LedShootingStarInterval", "LedShootingStarColor", "KeyLock",
                           "keytopList", "KeytopEntry", "Type", "Name", "Code", "ApcLevel",
                           "UserColor", "KeytopLock"};
    qsizetype at = text.indexOf("<UserProfileFile>");
    ASSERT_GE(at, 0);
    for (const char* n : names) {
        const qsizetype next = text.indexOf(QRegularExpression(QStringLiteral("<%1[ />]").arg(n)), at);
        EXPECT_GT(next, at) << n;
        at = next;
    }
    EXPECT_TRUE(text.contains("<KeyboardType/>"));
    EXPECT_TRUE(text.contains("<UserColor/>"));
    EXPECT_TRUE(text.contains("<LedFunction>None</LedFunction>")); // Init
    EXPECT_TRUE(text.contains("<ApcFunctionEnable>false</ApcFunctionEnable>"));

    UserProfileFile empty;
    const QString noKeys = QString::fromUtf8(*UserProfileXML::construct(empty));
    EXPECT_TRUE(noKeys.contains("<keytopList/>"));
}

TEST(UserProfileDocument, ValueTables)
{
    struct Case {
        const char* element;
        const char* text;
        std::function<bool(const UserProfileFile&)> check;
    };
    using P = const UserProfileFile&;
    const Case cases[] = {
        {"ApcFunction", "None", [](P p) { return p.apcFunction == FunctionItem::None; }},
        {"ApcFunction", "Collective", [](P p) { return p.apcFunction == FunctionItem::Collective; }},
        {"ApcFunction", "UserSetting", [](P p) { return p.apcFunction == FunctionItem::None; }},
        {"ApcLevel", "High", [](P p) { return p.apcLevel == ApcLevel::High; }},
        {"ApcLevel", "high", [](P p) { return p.apcLevel == ApcLevel::None; }},
        {"LedFunction", "None", [](P p) { return p.ledFunction == FunctionItem::None; }},
        {"LedFunction", "Init", [](P p) { return p.ledFunction == FunctionItem::None; }},
        {"LedFunction", "EffectX0x67", [](P p) { return p.ledFunction == FunctionItem::EffectX0x67; }},
        {"LedBrightness", "Level2", [](P p) { return p.ledBrightness == LedBrightness::Level2; }},
        {"LedBrightness", "Level3", [](P p) { return p.ledBrightness == LedBrightness::Level0; }},
        {"LedShootingStarInterval", "Level9",
         [](P p) { return p.ledShootingStarInterval == LedInterval::Level9; }},
        {"LedUserColorLedSelect", "UserSetting3",
         [](P p) { return p.ledUserColorLedSelect == ColorSelect::UserSetting3; }},
        {"LedShootingStarLedSelect", "Other",
         [](P p) { return p.ledShootingStarLedSelect == ColorSelect::None; }},
        {"KeyLock", "Enable", [](P p) { return p.keyLock == KeyLockFunction::Enable; }},
        {"KeyLock", "enable", [](P p) { return p.keyLock == KeyLockFunction::Disable; }},
        {"ApcFunctionEnable", "true", [](P p) { return p.apcFunctionEnable; }},
        {"KeyLockFunctionEnable", "True", [](P p) { return !p.keyLockFunctionEnable; }},
        {"KeyboardType", "KOLVENTRA_RGB_US108",
         [](P p) { return p.keyboardType == AppKeyboardType::KOLVENTRA_RGB_US108; }},
        {"KeyboardType", "KOLVENTRA_X",
         [](P p) { return p.keyboardType == AppKeyboardType::None; }},
        {"Comment", "a&amp;b", [](P p) { return p.comment == "a&b"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.element) + "=" + c.text);
        const QByteArray xml = QStringLiteral("<UserProfileFile><%1>%2</%1></UserProfileFile>")
                                   .arg(c.element, c.text)
                                   .toUtf8();
        EXPECT_TRUE(c.check(parsed(xml)));
    }
}

TEST(UserProfileDocument, KeyEntries)
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="utf-8"?>
<UserProfileFile>
  <Name>outer</Name>
  <keytopList>
    <KeytopEntry><Name>A</Name><Code>7</Code><ApcLevel>Low</ApcLevel>
      <UserColor><string>FF010203</string><string/><string>FF040506</string></UserColor>
      <KeytopLock>Lock</KeytopLock></KeytopEntry>
    <KeytopEntry><Type>LedIndicator</Type><Code>255</Code><UserColor/></KeytopEntry>
    <KeytopEntry><Type>Switch</Type><Code>-3</Code><Other>x</Other></KeytopEntry>
  </keytopList>
  <Comment>after</Comment>
</UserProfileFile>)";
    bool malformed = true;
    const UserProfileFile p = parsed(xml, &malformed);
    EXPECT_FALSE(malformed);
    EXPECT_EQ(p.name, "outer"); // the key's "Name" stays in the key
    EXPECT_EQ(p.comment, "after");
    ASSERT_EQ(p.keytopList.size(), 3u);
    const auto& a = p.keytopList[0];
    EXPECT_EQ(a.type, KeytopEntryType::Button); // no "Type": a Button
    EXPECT_EQ(a.name, "A");
    EXPECT_EQ(a.code, 7);
    EXPECT_EQ(a.apcLevel, ApcLevel::Low);
    EXPECT_EQ(a.userColor, (std::vector<QString>{"FF010203", "FF040506"}));
    EXPECT_EQ(a.keytopLock, KeytopLock::Lock);
    EXPECT_EQ(p.keytopList[1].type, KeytopEntryType::LedIndicator);
    EXPECT_TRUE(p.keytopList[1].userColor.empty());
    EXPECT_EQ(p.keytopList[2].type, KeytopEntryType::None);
    EXPECT_EQ(p.keytopList[2].code, -3);

    parsed("<UserProfileFile><keytopList><KeytopEntry><Code>1 2</Code></KeytopEntry>"
           "</keytopList></UserProfileFile>",
           &malformed);
    EXPECT_TRUE(malformed);
}

TEST(UserProfileDocument, PercentDecoding)
{
    const struct {
        QString in;
        std::optional<QString> out;
    } cases[] = {
        {"%E3%81%82", QString::fromUtf8("\u3042")},
        {"a%20b%2fc", "a b/c"},
        {"plain (text)!", "plain (text)!"},
        {QString::fromUtf8("\u00e9t\u00e9"), QString::fromUtf8("\u00e9t\u00e9")},
        {"100%", std::nullopt},
        {"%zz", std::nullopt},
        {"%4", std::nullopt},
        {"%FF", std::nullopt},    // not UTF-8
        {"%C3", std::nullopt},    // cut UTF-8 sequence
    };
    for (const auto& c : cases)
        EXPECT_EQ(UserProfile::percentDecode(c.in), c.out) << c.in.toStdString();
}

// ----- Write and Read -----------------------------------------------------------

class UserProfileFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(UserProfileFiles, WriteThenReadGivesTheModelsValues)
{
    auto kb = sampleModel();
    kb->ledFunction = FunctionItem::Init;
    const QString file = path("My.Profile.prf");
    const QString comment = "caf%C3%A9%20%231"; // as the save dialog encodes "café #1"
    ASSERT_EQ(UserProfile::Write(file, "KVTEST", *kb, comment), AppError::NoError);
    EXPECT_EQ(members(file), std::vector<QString>{"profile.KVTEST.xml"});

    UserProfileFile read;
    ASSERT_EQ(UserProfile::Read(file, "KVTEST", read), AppError::NoError);

    UserProfileFile expected = UserProfile::makeProfile(file, *kb, comment);
    EXPECT_EQ(expected.name, "My.Profile");
    EXPECT_EQ(expected.type, "User Profile");
    EXPECT_TRUE(expected.apcFunctionEnable && expected.ledFunctionEnable
                && expected.ledBrightnessEnable && expected.keyLockFunctionEnable);
    EXPECT_EQ(expected.ledPressedKeyLightingColor, "FFFF0000");
    EXPECT_EQ(expected.ledPressedKeyLightingWithBLColor, "7F008000");
    EXPECT_EQ(expected.keytopList[1].userColor, (std::vector<QString>{"", "FF040506"}));
    // The three differences of a round trip: Init reads back as None, the
    // comment comes back decoded, an alpha-0 colour is dropped.
    expected.ledFunction = FunctionItem::None;
    expected.comment = QString::fromUtf8("caf\u00e9 #1");
    expected.keytopList[1].userColor = {"FF040506"};
    EXPECT_EQ(read, expected);
    EXPECT_EQ(read.ledShootingStarLedSelect, ColorSelect::DirectSelect);
    EXPECT_EQ(read.keytopList[2].userColor, std::vector<QString>{});
}

TEST_F(UserProfileFiles, CommentThatIsNoPercentEncodingStays)
{
    auto kb = sampleModel();
    const QString file = path("c.prf");
    ASSERT_EQ(UserProfile::Write(file, "KVTEST", *kb, "100% sure"), AppError::NoError);
    UserProfileFile read;
    ASSERT_EQ(UserProfile::Read(file, "KVTEST", read), AppError::NoError);
    EXPECT_EQ(read.comment, "100% sure");
}

TEST_F(UserProfileFiles, MissingMapEntriesDoNotStopWriting)
{
    auto kb = sampleModel();
    kb->ledSelect.clear();
    kb->ledColor.clear();
    const UserProfileFile p = UserProfile::makeProfile(path("x.prf"), *kb, "");
    EXPECT_EQ(p.ledUserColorLedSelect, ColorSelect::None);
    EXPECT_EQ(p.ledShootingStarColor, "");
    EXPECT_EQ(UserProfile::Write(path("x.prf"), "KVTEST", *kb, ""), AppError::NoError);
}

TEST_F(UserProfileFiles, SeveralModelsInOneFile)
{
    const QString file = path("shared.prf");
    auto a = sampleModel();
    auto b = sampleModel();
    b->keyboardType = AppKeyboardType::KOLVENTRA_JP112;
    b->keytopList.resize(1);
    auto c = sampleModel();
    c->keyboardType = AppKeyboardType::KOLVENTRA_RGB_JP91;

    ASSERT_EQ(UserProfile::Write(file, "MODELA", *a, "first"), AppError::NoError);
    ASSERT_EQ(UserProfile::Write(file, "MODELB", *b, "second"), AppError::NoError);
    const struct {
        QString key;
        AppKeyboardType type;
        size_t keys;
        QString comment;
    } expected[] = {{"MODELA", a->keyboardType, 5, "first"}, {"MODELB", b->keyboardType, 1, "second"}};
    for (const auto& e : expected) {
        UserProfileFile p;
        ASSERT_EQ(UserProfile::Read(file, e.key, p), AppError::NoError);
        EXPECT_EQ(p.keyboardType, e.type);
        EXPECT_EQ(p.keytopList.size(), e.keys);
        EXPECT_EQ(p.comment, e.comment);
    }

    // A third model adds its member; writing a model again replaces its own.
    ASSERT_EQ(UserProfile::Write(file, "MODELC", *c, "third"), AppError::NoError);
    ASSERT_EQ(UserProfile::Write(file, "MODELA", *a, "again"), AppError::NoError);
    std::vector<QString> names = members(file);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<QString>{"profile.MODELA.xml", "profile.MODELB.xml",
                                           "profile.MODELC.xml"}));
    UserProfileFile p;
    ASSERT_EQ(UserProfile::Read(file, "MODELA", p), AppError::NoError);
    EXPECT_EQ(p.comment, "again");
    ASSERT_EQ(UserProfile::Read(file, "MODELC", p), AppError::NoError);
    EXPECT_EQ(p.keyboardType, AppKeyboardType::KOLVENTRA_RGB_JP91);
}

TEST_F(UserProfileFiles, ReadFailuresLeaveTheProfile)
{
    const QString file = path("p.prf");
    ASSERT_EQ(UserProfile::Write(file, "MODELA", *sampleModel(), "c"), AppError::NoError);
    UserProfileFile untouched;
    untouched.name = "keep";
    const struct {
        QString path, key;
    } cases[] = {{path("none.prf"), "MODELA"}, {file, "MODELZ"}};
    for (const auto& c : cases) {
        UserProfileFile p = untouched;
        EXPECT_NE(UserProfile::Read(c.path, c.key, p), AppError::NoError);
        EXPECT_EQ(p, untouched);
    }

    // A member whose "Code" is no number is unreadable.
    UserProfileFile bad;
    bad.keytopList.push_back({});
    QByteArray xml = *UserProfileXML::construct(bad);
    xml.replace("<Code>0</Code>", "<Code>zero</Code>");
    ASSERT_EQ(AppUtil::appendProfileData(file, xml, "profile.BAD.xml"), AppError::NoError);
    UserProfileFile p = untouched;
    EXPECT_EQ(UserProfile::Read(file, "BAD", p), AppError::FileRead);
    EXPECT_EQ(p, untouched);
}

// ----- Apply --------------------------------------------------------------------

class UserProfileApply : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedLocation_ = AppParam::selectDeviceLocation;
        AppParam::selectDeviceLocation = int32_t(kLocation);
        emulated = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[0]);
        ASSERT_TRUE(bus->attach(emulated, kLocation));
        kb = std::make_shared<KeyboardEntry>();
        ASSERT_EQ(kb->loadProfile(shippedPackage(shipped::kModels[0])), AppError::NoError);
        ASSERT_EQ(kb->open(kLocation), AppError::NoError);
        ASSERT_EQ(kb->loadDeviceParam(), AppError::NoError);
        emulated->clearLog();
        // A profile is applied to the connected keyboard.
        savedDevice_ = AppParam::device;
        AppParam::device = kb;
    }
    void TearDown() override
    {
        if (kb)
            (void)kb->close(true);
        AppParam::selectDeviceLocation = savedLocation_;
        AppParam::device = savedDevice_;
    }

    // A profile of this model where every per-key key gets a level and a
    // lock of its own (by code), and the 255 keys get Low and Lock.
    UserProfileFile profileFor(const KeyboardEntry& model) const
    {
        UserProfileFile p = UserProfile::makeProfile("x.prf", model, "");
        for (auto& k : p.keytopList) {
            const ApcLevel levels[] = {ApcLevel::Low, ApcLevel::Middle, ApcLevel::High};
            k.apcLevel = k.code == 255 ? ApcLevel::Low : levels[k.code % 3];
            k.keytopLock = (k.code == 255 || k.code % 2) ? KeytopLock::Lock : KeytopLock::Unlock;
        }
        return p;
    }

    static uint8_t apcByteOf(int code) { return code % 3 == 0 ? 2 : code % 3 == 1 ? 1 : 0; }
    static ApcLevel levelOf(int code)
    {
        return code % 3 == 0 ? ApcLevel::Low : code % 3 == 1 ? ApcLevel::Middle : ApcLevel::High;
    }

    std::vector<int> perKeyCodes() const
    {
        std::vector<int> codes;
        for (const KeytopEntry& k : kb->keytopList)
            if (k.hasPerKeySettings())
                codes.push_back(k.code);
        return codes;
    }

    emu::ScopedVirtualBus bus;
    std::shared_ptr<emu::EmulatedKeyboard> emulated;
    std::shared_ptr<KeyboardEntry> kb;
    RecordingMainController controller;
    platform::ScopedTimeScale scale{0.1};

private:
    int32_t savedLocation_ = 0;
    std::shared_ptr<IDeviceEntry> savedDevice_;
};

TEST_F(UserProfileApply, WhollyAndInParts)
{
    struct Case {
        bool apcInProfile, lockInProfile;
        UserProfile::EnableFunction enable;
        bool apcSent, lockSent;
    };
    const Case cases[] = {
        {true, true, {{ProfileEntry::Apc, true}, {ProfileEntry::KeyLock, true}}, true, true},
        {true, true, {{ProfileEntry::Apc, true}}, true, false},
        {true, true, {{ProfileEntry::Apc, false}, {ProfileEntry::KeyLock, true}}, false, true},
        {false, true, {{ProfileEntry::Apc, true}, {ProfileEntry::KeyLock, true}}, false, true},
        {true, false, {{ProfileEntry::Apc, true}, {ProfileEntry::KeyLock, true}}, true, false},
        {true, true, {{ProfileEntry::UserSetting1, true}, {ProfileEntry::UserSetting2, true}},
         false, false},
        {false, false, {{ProfileEntry::Apc, true}, {ProfileEntry::KeyLock, true}}, false, false},
    };
    const std::vector<int> codes = perKeyCodes();
    ASSERT_GT(codes.size(), 50u);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        // Device and model start all Middle and unlocked.
        emulated->live().apc.fill(1);
        emulated->live().lock.fill(0);
        ASSERT_EQ(kb->loadDeviceParam(), AppError::NoError);
        emulated->clearLog();

        UserProfileFile p = profileFor(*kb);
        p.apcFunctionEnable = c.apcInProfile;
        p.keyLockFunctionEnable = c.lockInProfile;
        p.ledFunction = FunctionItem::RainbowWave; // never applied
        p.keyLock = KeyLockFunction::Enable;       // never applied
        ASSERT_EQ(UserProfile::Apply(kb, p, c.enable), AppError::NoError);

        std::vector<uint8_t> expectedCommands;
        if (c.apcSent)
            expectedCommands.insert(expectedCommands.end(), {0x21, 0x21, 0x21});
        if (c.lockSent)
            expectedCommands.insert(expectedCommands.end(), {0x80, 0x80, 0x80});
        EXPECT_EQ(emulated->commands(), expectedCommands);
        if (c.apcSent || c.lockSent) {
            EXPECT_FALSE(emulated->lastLedShown());
        }

        const auto& live = emulated->live();
        for (int code : codes) {
            EXPECT_EQ(live.apc[size_t(code)], c.apcSent ? apcByteOf(code) : 1) << code;
            EXPECT_EQ(live.lock[size_t(code)], c.lockSent ? code % 2 : 0) << code;
        }
        // Codes of no key of the model: High and Unlock when sent.
        for (int code = 0; code < 128; ++code) {
            if (std::find(codes.begin(), codes.end(), code) != codes.end())
                continue;
            if (c.apcSent) {
                EXPECT_EQ(live.apc[size_t(code)], 0) << code;
            }
        }
        // The model follows what was applied.
        for (const KeytopEntry& k : kb->keytopList) {
            if (!k.hasPerKeySettings())
                continue;
            EXPECT_EQ(k.apcLevel, c.apcSent ? levelOf(k.code) : ApcLevel::Middle);
            EXPECT_EQ(k.lock, c.lockSent && k.code % 2 ? KeytopLock::Lock : KeytopLock::Unlock);
        }
        EXPECT_EQ(kb->keyLockEnable, KeyLockFunction::Disable);
        EXPECT_EQ(kb->ledFunction, FunctionItem::DemoMode);
    }
    EXPECT_TRUE(controller.deviceErrors.empty());
}

TEST_F(UserProfileApply, KeysAreMatchedByTypeAndCode)
{
    emulated->live().apc.fill(1);
    ASSERT_EQ(kb->loadDeviceParam(), AppError::NoError);
    emulated->clearLog();
    const std::vector<int> codes = perKeyCodes();
    const int kept = codes.at(0);
    const int changed = codes.at(1);

    UserProfileFile p = UserProfile::makeProfile("x.prf", *kb, "");
    p.keytopList.clear();
    p.keytopList.push_back({.type = KeytopEntryType::Button, .code = changed, .apcLevel = ApcLevel::Low});
    // An indicator entry with a Button's code, a code no key has, and a
    // Button without per-key settings (255): none of them reaches the device.
    p.keytopList.push_back({.type = KeytopEntryType::LedIndicator, .code = kept, .apcLevel = ApcLevel::Low});
    p.keytopList.push_back({.type = KeytopEntryType::Button, .code = 1000, .apcLevel = ApcLevel::Low});
    p.keytopList.push_back({.type = KeytopEntryType::Button, .code = 255, .apcLevel = ApcLevel::High});
    ASSERT_EQ(UserProfile::Apply(kb, p, {{ProfileEntry::Apc, true}}), AppError::NoError);

    EXPECT_EQ(emulated->live().apc[size_t(changed)], 2);
    EXPECT_EQ(emulated->live().apc[size_t(kept)], 1); // not in the profile: sent as it was
    for (const KeytopEntry& k : kb->keytopList) {
        if (k.hasPerKeySettings()) {
            EXPECT_EQ(k.apcLevel, k.code == changed ? ApcLevel::Low : ApcLevel::Middle);
        } else if (k.type == KeytopEntryType::LedIndicator) {
            EXPECT_EQ(k.apcLevel, ApcLevel::None);
        }
    }
    // The first Button with code 255 took the level in the model only.
    const auto first255 = std::find_if(kb->keytopList.begin(), kb->keytopList.end(), [](auto& k) {
        return k.code == 255 && k.type == KeytopEntryType::Button;
    });
    ASSERT_NE(first255, kb->keytopList.end());
    EXPECT_EQ(first255->apcLevel, ApcLevel::High);
}

TEST_F(UserProfileApply, BadProfilesAreRefusedBeforeAnythingIsSent)
{
    const UserProfile::EnableFunction all{{ProfileEntry::Apc, true}, {ProfileEntry::KeyLock, true}};
    const std::vector<KeytopEntry> before = kb->keytopList;

    UserProfileFile otherKind = profileFor(*kb);
    otherKind.keyboardType = AppKeyboardType::KOLVENTRA_G7_MAC_JP114;
    UserProfileFile badLock = profileFor(*kb);
    for (auto& k : badLock.keytopList)
        if (k.code == perKeyCodes().back())
            k.keytopLock = static_cast<KeytopLock>(7);
    UserProfileFile badLevel = profileFor(*kb);
    badLevel.keytopList.front().apcLevel = static_cast<ApcLevel>(-4);
    for (const UserProfileFile* p : {&otherKind, &badLock, &badLevel}) {
        EXPECT_EQ(UserProfile::Apply(kb, *p, all), AppError::BadParam);
        EXPECT_TRUE(emulated->commands().empty());
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(kb->keytopList[i].apcLevel, before[i].apcLevel);
            EXPECT_EQ(kb->keytopList[i].lock, before[i].lock);
        }
    }
    EXPECT_EQ(UserProfile::Apply(nullptr, badLevel, all), AppError::BadParam);
    // A bad value in a part that is not applied does not matter.
    EXPECT_EQ(UserProfile::Apply(kb, badLock, {{ProfileEntry::Apc, true}}), AppError::NoError);
    EXPECT_TRUE(controller.deviceErrors.empty());
}

TEST_F(UserProfileApply, FailedCommandStartsRecoveryAndStops)
{
    const UserProfile::EnableFunction all{{ProfileEntry::Apc, true}, {ProfileEntry::KeyLock, true}};
    struct Case {
        int32_t location;
        uint8_t failing;
        std::vector<uint8_t> commands;
    };
    const Case cases[] = {
        {int32_t(kLocation), 0x21, {0x21, 0x21}},                   // packet 2 fails
        {0, 0x21, {0x21, 0x21}},                                     // no remembered device
        {int32_t(kLocation), 0x80, {0x21, 0x21, 0x21, 0x80, 0x80}},  // the lock part fails
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.failing) << " at " << c.location);
        controller.deviceErrors.clear();
        AppParam::selectDeviceLocation = c.location;
        emulated->clearLog();
        emulated->inject({.kind = FaultKind::Status, .command = c.failing, .packetNumber = 2});
        EXPECT_EQ(UserProfile::Apply(kb, profileFor(*kb), all), AppError::RecvErrorStore);
        EXPECT_EQ(emulated->commands(), c.commands);
        EXPECT_EQ(controller.deviceErrors,
                  c.location ? std::vector<int32_t>{c.location} : std::vector<int32_t>{});
        emulated->clearFaults();
    }
}

TEST_F(UserProfileApply, RecoveryThatDropsTheDeviceLeavesTheKeyboardAlive)
{
    AppParam::device = kb;
    std::weak_ptr<KeyboardEntry> watch = kb;
    controller.onDeviceError = [](int32_t) { AppParam::device = std::make_shared<KeyboardEntry>(); };
    emulated->inject({.kind = FaultKind::Status, .command = 0x21});
    auto current = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
    kb.reset();
    EXPECT_EQ(UserProfile::Apply(std::move(current), profileFor(*watch.lock()),
                                 {{ProfileEntry::Apc, true}}),
              AppError::RecvErrorStore);
    EXPECT_EQ(controller.deviceErrors.size(), 1u);
    EXPECT_TRUE(watch.expired()); // released after the call, not during it
}

} // namespace

namespace {
TEST_F(UserProfileApply, BusyKeyboardIsNotTakenForABrokenOne)
{
    // A reading transaction waits for its late reply; a profile applied from
    // inside that wait is refused as busy, and nothing drops the keyboard.
    const UserProfile::EnableFunction all{{ProfileEntry::Apc, true}, {ProfileEntry::KeyLock, true}};
    const UserProfileFile profile = profileFor(*kb);
    emulated->inject({.kind = FaultKind::Late, .delay = std::chrono::milliseconds(60)});
    AppError inner = AppError::NoError;
    QTimer::singleShot(10, [&] { inner = UserProfile::Apply(kb, profile, all); });
    EXPECT_EQ(kb->loadDeviceParam(), AppError::NoError);
    EXPECT_EQ(inner, AppError::DeviceIsInvalid);
    EXPECT_TRUE(isBusy(inner));
    EXPECT_TRUE(controller.deviceErrors.empty());
    EXPECT_EQ(UserProfile::Apply(kb, profile, all), AppError::NoError);
}
} // namespace
