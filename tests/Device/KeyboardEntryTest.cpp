// The keyboard model: reading description packages (support flags, key
// rectangles with offset and flip, key codes), connecting (open, close,
// identification, pending firmware update), reading all settings with the
// command order and pacing for keyboards with and without APC and indicator
// support, status re-reads, and the device interface of KeyboardEntry and
// DummyKeyboardEntry.
#include "BuildPaths.h"
#include "AppParam.h"
#include "Device/DummyKeyboardEntry.h"
#include "Device/KeyboardEntry.h"
#include "Device/KolventraTestFixture.h"
#include "Platform/Clock.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "Utility/ProfilePackage.h"
#include "XML/XmlProfile.h"
#include "support/EmulatedKeyboard.h"
#include "support/VirtualHidBus.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kLocation = 0x01100000;
using emu::FaultKind;
using Kind = emu::LogEntry::Kind;

// ----- description packages -------------------------------------------------

struct KeyDesc {
    QString type = "Button"; // "" writes no "Type" element
    QString code = "0";
    QString keytop = "0,0,10,10";
    QString keyFrame = "0,0,12,12";
    QString ledFrame;
    QString name = "K";
};

struct Desc {
    QString vendorID = "3A5E";
    QString productID = "1108";
    QString keyboardType = "KOLVENTRA_JP108";
    QString apc = "Enable";
    QString indicator = "Enable";
    QString crop = "FF30C8FF,1.5";
    QString offset = "10,20";
    QString rainbow = "40";
    QString shooting = "30";
    std::vector<KeyDesc> keys;
};

QByteArray descriptionXml(const Desc& d)
{
    XmlElement root("KeyboardProfile");
    root.add("Type", "Keyboard");
    root.add("Name", "Test keyboard");
    root.add("ProfileExt", "TESTKB");
    root.add("ProfileVersion", "TESTKB_1_2_0");
    root.add("VendorID", d.vendorID);
    root.add("ProductID", d.productID);
    root.add("KeyboardType", d.keyboardType);
    root.add("Offset", d.offset);
    root.add("APC", d.apc);
    root.add("IndicatorLedSettings", d.indicator);
    root.add("RGBLED", "Enable");
    root.add("CropFrameStyle", d.crop);
    root.add("LedRainbowLoopTiming", d.rainbow);
    root.add("LedShootingStarLoopTiming", d.shooting);
    for (const KeyDesc& k : d.keys) {
        XmlElement& e = root.add("KeytopEntry");
        if (!k.type.isEmpty())
            e.add("Type", k.type);
        e.add("Name", k.name);
        e.add("Code", k.code);
        e.add("Group", "1");
        e.add("Keytop", k.keytop);
        e.add("KeyFrame", k.keyFrame);
        e.add("LedFrame", k.ledFrame);
    }
    return *XmlProfileWriter::document(root);
}

// The keys of the device tests: Buttons 0, 5 and 127, a Button without
// per-key settings (255) and an indicator whose code (3) must still never
// receive per-key values.
std::vector<KeyDesc> deviceKeys()
{
    return {{.code = "0"}, {.code = "5"}, {.code = "127"}, {.code = "255"},
            {.type = "LedIndicator", .code = "3"}};
}

class DescriptionFiles {
public:
    QString write(const Desc& d, const QString& name = "kb.key")
    {
        const QString path = dir_.filePath(name);
        EXPECT_EQ(AppUtil::saveProfileData(path, descriptionXml(d), "Profile.xml"),
                  AppError::NoError);
        return path;
    }
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

QString shippedPackage(const shipped::Model& m)
{
    return QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/Profile/")
        + QString::fromLatin1(m.packageFile.data(), qsizetype(m.packageFile.size()));
}

// Main frame of the flip: height 300.
class MainFrameScope {
public:
    MainFrameScope() : saved_(AppParam::mainFrame) { AppParam::mainFrame = QRectF(0, 0, 800, 300); }
    ~MainFrameScope() { AppParam::mainFrame = saved_; }

private:
    QRectF saved_;
};

class CapturedLog {
public:
    CapturedLog()
    {
        previous_ = Logger::setSink([this](const std::string& l) { lines.push_back(l); });
    }
    ~CapturedLog() { Logger::setSink(previous_); }
    std::vector<std::string> lines;

private:
    Logger::Sink previous_;
};

// ----- description reading ----------------------------------------------------

TEST(KeyboardEntryDescription, ShippedKeyboardPackagesLoad)
{
    for (const shipped::Model& m : shipped::kModels) {
        if (m.kind != shipped::Kind::Keyboard)
            continue;
        SCOPED_TRACE(std::string(m.packageFile));
        KeyboardEntry kb;
        ASSERT_EQ(kb.loadProfile(shippedPackage(m)), AppError::NoError);
        EXPECT_TRUE(kb.isEnable());
        EXPECT_EQ(kb.profileExt().toStdString(), m.profileExt);
        EXPECT_EQ(kb.modelName().toStdString(), m.name);
        EXPECT_EQ(kb.vendorID, m.vendorId);
        EXPECT_EQ(kb.productID, m.productId);
        EXPECT_TRUE(kb.supportAPC);
        EXPECT_TRUE(kb.supportIndicatorLedSettings);
        EXPECT_FALSE(kb.supportRGBLED); // never taken from the description
        EXPECT_NE(kb.keyboardType, AppKeyboardType::None);
        ASSERT_FALSE(kb.keytopList.empty());
        for (const KeytopEntry& k : kb.keytopList)
            EXPECT_TRUE((k.code >= 0 && k.code < 128) || k.code == 255) << k.code;
    }
}

TEST(KeyboardEntryDescription, FieldsFromTheDescription)
{
    DescriptionFiles files;
    Desc d;
    d.keys = {{}};
    KeyboardEntry kb;
    const QString path = files.write(d);
    ASSERT_EQ(kb.loadProfile(path), AppError::NoError);
    EXPECT_EQ(kb.profilePath, path);
    EXPECT_EQ(kb.modelName(), "Test keyboard");
    EXPECT_EQ(kb.profileExt(), "TESTKB");
    EXPECT_EQ(kb.keyboardType, AppKeyboardType::KOLVENTRA_JP108);
    EXPECT_EQ(kb.cropFrameColor, AppUtil::strToColorArgb("FF30C8FF"));
    EXPECT_DOUBLE_EQ(kb.cropFrameWidth, 1.5);
    EXPECT_EQ(kb.ledRainbowLoopTiming, 40);
    EXPECT_EQ(kb.ledShootingStarLoopTiming, 30);
    EXPECT_EQ(kb.offset, QPointF(10, 20));
    EXPECT_EQ(kb.vendorID, 0x3A5Eu);
    EXPECT_EQ(kb.productID, 0x1108u);
}

TEST(KeyboardEntryDescription, SupportFlagsNeedExactlyEnable)
{
    struct Case {
        QString apc, indicator;
        bool supportAPC, supportIndicator;
    };
    const Case cases[] = {
        {"Enable", "Enable", true, true},   {"enable", "ENABLE", false, false},
        {"Enable ", "Disable", false, false}, {"", "Enable", false, true},
    };
    DescriptionFiles files;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.apc.toStdString() + "/" + c.indicator.toStdString());
        Desc d;
        d.apc = c.apc;
        d.indicator = c.indicator;
        KeyboardEntry kb;
        ASSERT_EQ(kb.loadProfile(files.write(d)), AppError::NoError);
        EXPECT_EQ(kb.supportAPC, c.supportAPC);
        EXPECT_EQ(kb.supportIndicatorLedSettings, c.indicator == "Enable");
    }
}

TEST(KeyboardEntryDescription, UnreadableNumbersLeaveTheirFields)
{
    DescriptionFiles files;
    Desc d;
    d.crop = "FF112233,wide";
    d.rainbow = "4x";
    d.shooting = "";
    d.offset = "a,5";
    d.vendorID = "XYZ";
    d.productID = "12345";
    KeyboardEntry kb;
    ASSERT_EQ(kb.loadProfile(files.write(d)), AppError::NoError);
    EXPECT_EQ(kb.cropFrameColor, AppUtil::strToColorArgb("FF112233"));
    EXPECT_EQ(kb.cropFrameWidth, 0.0);
    EXPECT_EQ(kb.ledRainbowLoopTiming, 0);
    EXPECT_EQ(kb.ledShootingStarLoopTiming, 0);
    EXPECT_EQ(kb.offset, QPointF(0, 0));
    // IDs that are not hexadecimal (or too long) read as 0, matching no device.
    EXPECT_EQ(kb.vendorID, 0u);
    EXPECT_EQ(kb.productID, 0u);
}

TEST(KeyboardEntryDescription, KeyRectanglesAreMovedAndFlipped)
{
    MainFrameScope frame; // height 300
    DescriptionFiles files;
    Desc d; // offset 10,20
    d.keys = {
        // 6 numbers with spaces anywhere: one rectangle.
        {.keytop = " 1, 2,3 ,4,5,6", .keyFrame = "0,0,10,10,20,0,10,5", .ledFrame = "1, 2, 3, 4"},
        {.keytop = "", .keyFrame = "1,2,3", .ledFrame = ""},
    };
    KeyboardEntry kb;
    ASSERT_EQ(kb.loadProfile(files.write(d)), AppError::NoError);
    ASSERT_EQ(kb.keytopList.size(), 2u);

    const KeytopEntry& a = kb.keytopList[0];
    ASSERT_EQ(a.keytop.size(), 1u);
    EXPECT_EQ(a.keytop[0], QRectF(11, 300 - (22 + 4), 3, 4));
    ASSERT_EQ(a.frame.size(), 2u);
    EXPECT_EQ(a.frame[0], QRectF(10, 300 - (20 + 10), 10, 10));
    EXPECT_EQ(a.frame[1], QRectF(30, 300 - (20 + 5), 10, 5));
    EXPECT_EQ(a.ledFrame, QRectF(11, 300 - (22 + 4), 3, 4));

    const KeytopEntry& b = kb.keytopList[1];
    EXPECT_TRUE(b.keytop.empty());
    EXPECT_TRUE(b.frame.empty());
    // The empty LED frame is the zero rectangle, not moved by the offset; the
    // flip puts it at y = H.
    EXPECT_EQ(b.ledFrame, QRectF(0, 300, 0, 0));
}

TEST(KeyboardEntryDescription, ShortOrNonNumericRectanglesNeverCrash)
{
    const QPointF none(0, 0);
    EXPECT_EQ(KeyboardEntry::parseRectList("1,x,3,4", none), (std::vector<QRectF>{{1, 0, 3, 4}}));
    EXPECT_EQ(KeyboardEntry::parseRectList(",,1,,2,3,4,", none),
              (std::vector<QRectF>{{1, 2, 3, 4}}));
    EXPECT_EQ(KeyboardEntry::parseRectList("nan,inf,1,1", none),
              (std::vector<QRectF>{{0, 0, 1, 1}}));
    EXPECT_EQ(KeyboardEntry::parseLedFrame("5,6", QPointF(1, 1)), QRectF(6, 7, 0, 0));
    EXPECT_EQ(KeyboardEntry::parseLedFrame("a,b,c,d,e", none), QRectF(0, 0, 0, 0));
}

TEST(KeyboardEntryDescription, KeyTypesAndCodes)
{
    DescriptionFiles files;
    Desc d;
    d.keys = {{.type = "Button", .code = "0"},      {.type = "LedIndicator", .code = "255"},
              {.type = "Switch", .code = "127"},    {.type = "", .code = "255"}};
    KeyboardEntry kb;
    ASSERT_EQ(kb.loadProfile(files.write(d)), AppError::NoError);
    ASSERT_EQ(kb.keytopList.size(), 4u);
    const KeytopEntryType expected[] = {KeytopEntryType::Button, KeytopEntryType::LedIndicator,
                                        KeytopEntryType::Button, KeytopEntryType::Button};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(kb.keytopList[i].type, expected[i]) << i;
        EXPECT_EQ(kb.keytopList[i].apcLevel, ApcLevel::None);
        EXPECT_EQ(kb.keytopList[i].lock, KeytopLock::Unlock);
        EXPECT_EQ(kb.keytopList[i].userColor, std::vector<AppColor>{AppColor::black()});
    }
    EXPECT_EQ(kb.keytopList[3].code, 255);
}

TEST(KeyboardEntryDescription, BadKeyCodeStopsLoading)
{
    MainFrameScope frame;
    for (const QString& bad : {QString("128"), QString("-1"), QString("254"), QString("256")}) {
        SCOPED_TRACE(bad.toStdString());
        DescriptionFiles files;
        Desc good;
        good.keys = {{}};
        const QString goodPath = files.write(good, "good.key");
        Desc d;
        d.keys = {{.code = "1", .keytop = "0,0,10,10"}, {.code = "2"}, {.code = bad}, {.code = "3"}};

        KeyboardEntry kb;
        ASSERT_EQ(kb.loadProfile(goodPath), AppError::NoError);
        CapturedLog log;
        EXPECT_EQ(kb.loadProfile(files.write(d, "bad.key")), AppError::BadParam);
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_EQ(linktest::message(log.lines[0]), "Keyboard Profile load Bad Param.");
        EXPECT_NE(log.lines[0].find("KeyboardEntry.cpp"), std::string::npos);
        // The keys before the bad one stay, not flipped; the old path stays.
        ASSERT_EQ(kb.keytopList.size(), 2u);
        EXPECT_EQ(kb.keytopList[0].keytop.at(0), QRectF(10, 20, 10, 10));
        EXPECT_EQ(kb.profilePath, goodPath);
    }
}

TEST(KeyboardEntryDescription, UnreadablePackageEmptiesThePath)
{
    DescriptionFiles files;
    Desc good;
    const QString goodPath = files.write(good, "good.key");
    Desc malformed;
    malformed.keys = {{.code = "12a"}}; // a code that is no number
    const struct {
        QString path;
        AppError result;
    } cases[] = {
        {files.path("missing.key"), AppError::FileRead},
        {files.write(malformed, "malformed.key"), AppError::BadParam},
    };
    for (const auto& c : cases) {
        KeyboardEntry kb;
        ASSERT_EQ(kb.loadProfile(goodPath), AppError::NoError);
        const QString nameBefore = kb.modelName();
        EXPECT_EQ(kb.loadProfile(c.path), c.result);
        EXPECT_TRUE(kb.profilePath.isEmpty());
        EXPECT_FALSE(kb.isEnable());
        EXPECT_EQ(kb.modelName(), nameBefore);
    }
}

// ----- the device interface ---------------------------------------------------

TEST(KeyboardEntryInterface, NewModel)
{
    std::shared_ptr<IDeviceEntry> entry = std::make_shared<KeyboardEntry>();
    EXPECT_EQ(entry->deviceType(), DeviceType::Keyboard);
    EXPECT_FALSE(entry->isEnable());
    EXPECT_FALSE(entry->hidIsOpened());
    EXPECT_EQ(entry->modelNumber(), QString());
    EXPECT_EQ(entry->firmwareVersion(), QString());
    EXPECT_EQ(entry->firmwareVersionCompare(), QString());
    EXPECT_EQ(entry->close(true), AppError::NoError);
}

TEST(KeyboardEntryInterface, ApplicationStartsWithAnUnconnectedKeyboard)
{
    ASSERT_TRUE(AppParam::device);
    EXPECT_TRUE(std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device));
    EXPECT_EQ(AppParam::device->deviceType(), DeviceType::Keyboard);
    EXPECT_FALSE(AppParam::device->isEnable());
    EXPECT_FALSE(AppParam::device->hidIsOpened());
}

// ----- against the emulated keyboard -----------------------------------------

class KeyboardEntryDevice : public ::testing::Test {
protected:
    void SetUp() override
    {
        emulated = std::make_shared<emu::EmulatedKeyboard>();
        ASSERT_TRUE(bus->attach(emulated, kLocation));
        kb = load({});
    }
    void TearDown() override
    {
        if (kb)
            kb->hidClose();
    }

    // A model of the test keys with the given support flags.
    std::shared_ptr<KeyboardEntry> load(Desc d, std::shared_ptr<KeyboardEntry> model = nullptr)
    {
        d.keys = deviceKeys();
        if (!model)
            model = std::make_shared<KeyboardEntry>();
        EXPECT_EQ(model->loadProfile(files.write(d)), AppError::NoError);
        return model;
    }

    const KeytopEntry& key(int code, KeytopEntryType type = KeytopEntryType::Button) const
    {
        for (const KeytopEntry& k : kb->keytopList)
            if (k.code == code && k.type == type)
                return k;
        throw std::runtime_error("no such key");
    }

    platform::ScopedTimeScale scale{0.1};
    emu::ScopedVirtualBus bus;
    std::shared_ptr<emu::EmulatedKeyboard> emulated;
    DescriptionFiles files;
    std::shared_ptr<KeyboardEntry> kb;
};

TEST_F(KeyboardEntryDevice, OpenStartsTheSessionAndIdentifies)
{
    ASSERT_EQ(kb->open(kLocation), AppError::NoError);
    EXPECT_TRUE(kb->hidIsOpened());
    EXPECT_TRUE(emulated->sessionOpen());
    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x01, 0x02}));
    EXPECT_EQ(kb->modelNumber(), QString::fromLatin1(shipped::kModels[0].modelNumber.data()));
    EXPECT_FALSE(kb->firmwareVersion().value_or("").isEmpty());
    EXPECT_FALSE(kb->firmwareVersionCompare().value_or("").isEmpty());

    // Opening again ends the running session first.
    emulated->clearLog();
    ASSERT_EQ(kb->open(kLocation), AppError::NoError);
    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x01, 0x01, 0x02}));
    EXPECT_EQ(emulated->writes().at(0).bytes.at(6), 0x01); // End
    EXPECT_EQ(emulated->writes().at(1).bytes.at(6), 0x00); // Start
    EXPECT_EQ(emulated->endCount(), 1);
    EXPECT_EQ(emulated->startCount(), 2);
}

TEST_F(KeyboardEntryDevice, OpenWithPendingFirmwareUpdateKeepsTheConnection)
{
    emulated->setUpdatePending(true);
    EXPECT_EQ(kb->open(kLocation), AppError::AbortFirmwareUpdate);
    EXPECT_TRUE(kb->hidIsOpened());
    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x01, 0x02}));
    EXPECT_EQ(kb->modelNumber(), QString::fromLatin1(shipped::kModels[0].modelNumber.data()));
    EXPECT_FALSE(kb->firmwareVersion().value_or("").isEmpty());
    EXPECT_TRUE(kb->awaitsFirmwareUpdate());

    // Opened again once the update went through, it takes settings again.
    emulated->setUpdatePending(false);
    EXPECT_EQ(kb->open(kLocation), AppError::NoError);
    EXPECT_FALSE(kb->awaitsFirmwareUpdate());
}

TEST_F(KeyboardEntryDevice, OpenFailures)
{
    // Nothing at that location.
    EXPECT_EQ(kb->open(0x05500000), AppError::BadDevice);
    EXPECT_FALSE(kb->hidIsOpened());
    EXPECT_TRUE(emulated->commands().empty());

    // The identification fails: its error is returned.
    emulated->inject({.kind = FaultKind::Status, .command = 0x02});
    EXPECT_EQ(kb->open(kLocation), AppError::RecvErrorStore);
    EXPECT_EQ(kb->modelNumber(), QString());
}

TEST_F(KeyboardEntryDevice, CloseSendsTheEndNoticeOnlyToAnAttachedDevice)
{
    for (bool connected : {true, false}) {
        SCOPED_TRACE(connected);
        ASSERT_EQ(kb->open(kLocation), AppError::NoError);
        emulated->clearLog();
        EXPECT_EQ(kb->close(connected), AppError::NoError);
        EXPECT_FALSE(kb->hidIsOpened());
        EXPECT_EQ(emulated->commands(),
                  connected ? std::vector<uint8_t>{0x01} : std::vector<uint8_t>{});
        EXPECT_EQ(emulated->sessionOpen(), !connected);
    }
    // Closed already: nothing to send.
    emulated->clearLog();
    EXPECT_EQ(kb->close(true), AppError::NoError);
    EXPECT_TRUE(emulated->commands().empty());
}

// The whole connect (open + loadDeviceParam): which commands go out, in which
// order, and which of them wait for the armed pacing.
TEST_F(KeyboardEntryDevice, ConnectCommandOrderAndPacing)
{
    platform::ScopedTimeScale scale(0.5);
    const double pace = platform::scaled(platform::Seconds(SmartWait::kPaceSeconds)).count();
    struct Case {
        bool apc, indicator;
        std::vector<uint8_t> commands;
        std::vector<bool> paced; // per command: armed before it
    };
    const Case cases[] = {
        {true, true, {0x01, 0x02, 0x43, 0x23, 0x22, 0x45, 0x85, 0x83, 0x81},
         {false, true, false, true, true, true, true, true, true}},
        {false, false, {0x01, 0x02, 0x43, 0x85, 0x83, 0x81},
         {false, true, false, true, true, true}},
        {true, false, {0x01, 0x02, 0x43, 0x23, 0x22, 0x85, 0x83, 0x81},
         {false, true, false, true, true, true, true, true}},
        {false, true, {0x01, 0x02, 0x43, 0x45, 0x85, 0x83, 0x81},
         {false, true, false, true, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "APC " << c.apc << " indicator " << c.indicator);
        Desc d;
        d.apc = c.apc ? "Enable" : "Disable";
        d.indicator = c.indicator ? "Enable" : "Disable";
        auto model = load(d);
        emulated->clearLog();
        ASSERT_EQ(model->open(kLocation), AppError::NoError);
        ASSERT_EQ(model->loadDeviceParam(), AppError::NoError);
        ASSERT_EQ(emulated->commands(), c.commands);

        // Time from the last reply before each write to that write.
        std::vector<double> gaps;
        platform::Clock::time_point lastReply{};
        for (const emu::LogEntry& e : emulated->log()) {
            if (e.kind == Kind::Reply)
                lastReply = e.time;
            else if (e.kind == Kind::Output)
                gaps.push_back(std::chrono::duration<double>(e.time - lastReply).count());
        }
        ASSERT_EQ(gaps.size(), c.paced.size());
        for (size_t i = 1; i < gaps.size(); ++i) {
            if (c.paced[i])
                EXPECT_GE(gaps[i], pace) << "command " << i;
            else
                EXPECT_LT(gaps[i], pace) << "command " << i;
        }
        (void)model->close(true);
    }
}

TEST_F(KeyboardEntryDevice, ReadAllFillsTheModel)
{
    auto& live = emulated->live();
    live.brightness = 0;
    live.apcAll = 2;
    live.apc.fill(0);
    live.apc[0] = 2;    // Low
    live.apc[5] = 0x80; // no level of its own: Low
    live.apc[127] = 1;  // Middle
    live.apc[3] = 2;    // the indicator's code: not taken
    live.lock[5] = 1;
    live.lock[3] = 1;
    live.lock[127] = 1;
    live.lockEnable = 1;
    live.codeChange = 1;
    live.indicator = {0xFF, 0x00, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0};

    ASSERT_EQ(kb->open(kLocation), AppError::NoError);
    kb->keytopList[0].userColor = {AppColor::opaqueRed(), AppColor::black()};
    ASSERT_EQ(kb->loadDeviceParam(), AppError::NoError);

    EXPECT_EQ(kb->ledBrightness, LedBrightness::Level0);
    EXPECT_EQ(kb->apcLevel, ApcLevel::Low);
    EXPECT_EQ(kb->keyLockEnable, KeyLockFunction::Enable);
    EXPECT_EQ(kb->deviceKeyCodeChange, KeyCodeChange::Enable);
    EXPECT_EQ(kb->indicatorLedColor, AppColor::rgba(1, 0, 1, 0));

    EXPECT_EQ(key(0).apcLevel, ApcLevel::Low);
    EXPECT_EQ(key(5).apcLevel, ApcLevel::Low);
    EXPECT_EQ(key(127).apcLevel, ApcLevel::Middle);
    EXPECT_EQ(key(0).lock, KeytopLock::Unlock);
    EXPECT_EQ(key(5).lock, KeytopLock::Lock);
    EXPECT_EQ(key(127).lock, KeytopLock::Lock);
    // Keys without per-key settings never take values from the device.
    for (const KeytopEntry* k : {&key(255), &key(3, KeytopEntryType::LedIndicator)}) {
        EXPECT_EQ(k->apcLevel, ApcLevel::None);
        EXPECT_EQ(k->lock, KeytopLock::Unlock);
    }
    EXPECT_EQ(key(0).userColor, (std::vector<AppColor>{AppColor::clear(), AppColor::clear()}));
}

TEST_F(KeyboardEntryDevice, BrightnessWithoutALevelIsIgnored)
{
    emulated->live().brightness = 7;
    kb->ledBrightness = LedBrightness::Level2;
    ASSERT_EQ(kb->open(kLocation), AppError::NoError);
    ASSERT_EQ(kb->loadDeviceParam(), AppError::NoError);
    EXPECT_EQ(kb->ledBrightness, LedBrightness::Level2);
}

TEST_F(KeyboardEntryDevice, ReadAllFailures)
{
    struct Case {
        uint8_t failing;
        std::vector<uint8_t> commands; // after open
    };
    const Case cases[] = {
        // A failed brightness read still reads the indicator colour, then stops.
        {0x43, {0x43, 0x45}},
        {0x23, {0x43, 0x23, 0x45}},
        {0x22, {0x43, 0x23, 0x22, 0x45}},
        // The indicator's error is not reported.
        {0x45, {0x43, 0x23, 0x22, 0x45, 0x85, 0x83, 0x81}},
        {0x85, {0x43, 0x23, 0x22, 0x45, 0x85}},
        {0x83, {0x43, 0x23, 0x22, 0x45, 0x85, 0x83}},
        {0x81, {0x43, 0x23, 0x22, 0x45, 0x85, 0x83, 0x81}},
    };
    platform::ScopedTimeScale scale(0.05);
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.failing));
        emulated->live().indicator.fill(0xFF);
        ASSERT_EQ(kb->open(kLocation), AppError::NoError);
        kb->indicatorLedColor = AppColor::clear();
        emulated->clearLog();
        emulated->inject({.kind = FaultKind::WrongFlag, .command = c.failing});
        const AppError e = kb->loadDeviceParam();
        EXPECT_EQ(e, c.failing == 0x45 ? AppError::NoError : AppError::RecvErrorStore);
        EXPECT_EQ(emulated->commands(), c.commands);
        if (c.failing != 0x45) {
            EXPECT_EQ(kb->indicatorLedColor, AppColor::rgba(1, 1, 1, 0));
        }
        emulated->clearFaults();
    }
}

TEST_F(KeyboardEntryDevice, StatusReadsReportChanges)
{
    ASSERT_EQ(kb->open(kLocation), AppError::NoError);
    emulated->live().lockEnable = 1;
    KeyboardEntry::StatusResult r = kb->loadDeviceStatus(DeviceParamPart::KeyLockStatus);
    EXPECT_EQ(r.error, AppError::NoError);
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(kb->keyLockEnable, KeyLockFunction::Enable);
    r = kb->loadDeviceStatus(DeviceParamPart::KeyLockStatus);
    EXPECT_FALSE(r.changed);

    r = kb->loadDeviceStatus(DeviceParamPart::KeyCodeChangeStatus);
    EXPECT_EQ(r.error, AppError::NoError);
    EXPECT_FALSE(r.changed);
    emulated->live().codeChange = 1;
    emulated->inject({.kind = FaultKind::Status, .command = 0x85});
    r = kb->loadDeviceStatus(DeviceParamPart::KeyCodeChangeStatus);
    EXPECT_EQ(r.error, AppError::RecvErrorStore);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(kb->deviceKeyCodeChange, KeyCodeChange::Disable);
    EXPECT_TRUE(kb->loadDeviceStatus(DeviceParamPart::KeyCodeChangeStatus).changed);
}

TEST_F(KeyboardEntryDevice, StopEffectOnlyWithRgbLeds)
{
    ASSERT_EQ(kb->open(kLocation), AppError::NoError);
    emulated->clearLog();
    EXPECT_EQ(kb->stopEffect(), AppError::NoError);
    EXPECT_TRUE(emulated->commands().empty());
    kb->supportRGBLED = true;
    EXPECT_EQ(kb->stopEffect(), AppError::NoError);
    EXPECT_EQ(emulated->commands(), std::vector<uint8_t>{0x60});
}

TEST_F(KeyboardEntryDevice, DummyKeyboardNeverTouchesTheDevice)
{
    auto dummy = std::make_shared<DummyKeyboardEntry>();
    load({}, dummy);
    EXPECT_TRUE(dummy->isEnable());
    ASSERT_EQ(dummy->hidOpen(kLocation), AppError::NoError);
    dummy->keytopList[0].apcLevel = ApcLevel::Middle;

    EXPECT_EQ(dummy->open(kLocation), AppError::NoError);
    EXPECT_EQ(dummy->getDeviceInfo(kLocation), AppError::NoError);
    EXPECT_EQ(dummy->loadDeviceParam(), AppError::NoError);
    const KeyboardEntry::StatusResult r = dummy->loadDeviceStatus(DeviceParamPart::KeyLockStatus);
    EXPECT_EQ(r.error, AppError::NoError);
    EXPECT_FALSE(r.changed);
    dummy->supportRGBLED = true;
    EXPECT_EQ(dummy->stopEffect(), AppError::NoError);
    EXPECT_EQ(dummy->keytopList[0].apcLevel, ApcLevel::Middle);

    // Closing through the interface answers with the dummy's own close.
    std::shared_ptr<IDeviceEntry> entry = dummy;
    EXPECT_EQ(entry->close(true), AppError::NoError);
    EXPECT_TRUE(dummy->hidIsOpened());
    EXPECT_TRUE(emulated->commands().empty());
    dummy->hidClose();
}

} // namespace
