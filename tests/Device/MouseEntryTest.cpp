// The mouse model against the emulated mouse: the description it takes from
// a package, the settings record it reads, the backup it keeps, the restore
// on close (order, the stop at the first failure, the DPI settings written
// before the selected one that go on but store nothing when refused, custom
// keys only when really known), open and the store command.
#include "BuildPaths.h"
#include "Device/MouseEntry.h"

#include "Platform/Clock.h"
#include "XML/DeviceProfileTestSupport.h"
#include "support/EmulatedMouse.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <vector>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr uint32_t kLocation = 0x01300000;
using emu::FaultKind;
using Mouse = emu::EmulatedMouse;

QString shippedMousePackage()
{
    return QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/Profile/")
        + QString::fromLatin1(shipped::kModels[2].packageFile.data(), qsizetype(shipped::kModels[2].packageFile.size()));
}

// Data bytes of every vendor write with this command code.
std::vector<Bytes> dataOf(const emu::EmulatedDevice& d, uint8_t command)
{
    std::vector<Bytes> out;
    for (const auto& e : d.writes()) {
        if (e.command() == command)
            out.emplace_back(e.bytes.begin() + 6, e.bytes.begin() + 6 + e.bytes[5]);
    }
    return out;
}

int countOf(const emu::EmulatedDevice& d, uint8_t command) { return int(dataOf(d, command).size()); }

class MouseEntryTest : public ::testing::Test {
protected:
    void SetUp() override { attach(std::make_shared<Mouse>()); }
    void TearDown() override { mouse->hidClose(); }

    void attach(std::shared_ptr<Mouse> m)
    {
        if (emulated)
            bus->detach(kLocation);
        emulated = std::move(m);
        ASSERT_TRUE(bus->attach(emulated, kLocation));
    }

    // open + loadDeviceParam, then a clean packet log.
    void connect()
    {
        ASSERT_EQ(mouse->open(kLocation), AppError::NoError);
        ASSERT_EQ(mouse->loadDeviceParam(), AppError::NoError);
        emulated->clearLog();
    }

    platform::ScopedTimeScale fast{0.01};
    emu::ScopedVirtualBus bus;
    std::shared_ptr<Mouse> emulated;
    std::shared_ptr<MouseEntry> mouse = std::make_shared<MouseEntry>();
};

// ----- description ---------------------------------------------------------------

TEST_F(MouseEntryTest, LoadsTheShippedDescription)
{
    const QString path = shippedMousePackage();
    ASSERT_EQ(mouse->loadProfile(path), AppError::NoError);
    EXPECT_EQ(mouse->profilePath, path);
    EXPECT_TRUE(mouse->isEnable());
    EXPECT_EQ(mouse->deviceType(), DeviceType::Mouse);
    EXPECT_EQ(mouse->profileExt(), QString::fromLatin1(shipped::kModels[2].profileExt.data()));
    EXPECT_EQ(mouse->modelName(), QString::fromLatin1(shipped::kModels[2].name.data()));
    EXPECT_EQ(mouse->vendorID, shipped::kModels[2].vendorId);
    EXPECT_EQ(mouse->productID, shipped::kModels[2].productId);
    ASSERT_GE(mouse->buttonList.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(mouse->buttonList[i].code, ButtonNo(i));
        EXPECT_GT(mouse->buttonList[i].margin.width(), 0);
    }
    for (size_t i = 6; i < mouse->buttonList.size(); ++i)
        EXPECT_EQ(mouse->buttonList[i].code, ButtonNo::None) << i;
}

QByteArray description(const QString& vendor, const QString& buttons)
{
    return xmltest::doc(QStringLiteral("<Type>Mouse</Type><Name>Test mouse</Name><ProfileExt>TM1</ProfileExt>"
                                       "<ProfileVersion>TM1_1_2_0</ProfileVersion>"
                                       "<VendorID>%1</VendorID><ProductID>2106</ProductID>%2")
                            .arg(vendor, buttons));
}

QString button(int code, const QString& margin, const QString& align)
{
    return QStringLiteral("<ButtonEntry><Name>B%1</Name><Code>%1</Code><Margin>%2</Margin>"
                          "<Align>%3</Align><Data>0</Data></ButtonEntry>")
        .arg(code)
        .arg(margin, align);
}

TEST_F(MouseEntryTest, DescriptionButtonsCodesMarginsAndAlign)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.mou");
    const QString buttons = button(0, "1,2,3,4", "1") + button(1, " 5, 6 ,7,8,", "x") + button(2, "0,0,1,1", "-3")
        + button(7, "0,0,1,1", "0");
    ASSERT_EQ(xmltest::makeDescriptionPackage(path, description("3a5e", buttons)), AppError::NoError);

    ASSERT_EQ(mouse->loadProfile(path), AppError::NoError);
    EXPECT_EQ(mouse->vendorID, 0x3A5Eu);
    EXPECT_EQ(mouse->profileExt(), "TM1");
    EXPECT_EQ(mouse->modelName(), "Test mouse");
    ASSERT_EQ(mouse->buttonList.size(), 4u);
    EXPECT_EQ(mouse->buttonList[0].code, ButtonNo::Button1);
    EXPECT_EQ(mouse->buttonList[1].code, ButtonNo::Button2);
    EXPECT_EQ(mouse->buttonList[2].code, ButtonNo::Button3);
    EXPECT_EQ(mouse->buttonList[3].code, ButtonNo::None);
    EXPECT_EQ(mouse->buttonList[0].margin, QRectF(1, 2, 3, 4));
    EXPECT_EQ(mouse->buttonList[1].margin, QRectF(5, 6, 7, 8));
    EXPECT_EQ(mouse->buttonList[0].align, 1);
    EXPECT_EQ(mouse->buttonList[1].align, 0);
    EXPECT_EQ(mouse->buttonList[2].align, -3);
    EXPECT_EQ(mouse->buttonList[0].name, "B0");
}

TEST_F(MouseEntryTest, UnusableDescriptionLeavesTheModelButClearsThePath)
{
    QTemporaryDir dir;
    ASSERT_EQ(mouse->loadProfile(shippedMousePackage()), AppError::NoError);
    const auto before = mouse->buttonList.size();

    struct Case {
        const char* what;
        QByteArray xml;
        AppError expected;
    };
    const Case cases[] = {
        {"vendor ID not hexadecimal", description("3g5e", button(0, "1,2,3,4", "0")), AppError::BadParam},
        {"margin of three numbers", description("3a5e", button(0, "1,2,3", "0")), AppError::BadParam},
        {"margin not numeric", description("3a5e", button(0, "1,2,3,x", "0")), AppError::BadParam},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("bad%1.mou").arg(n++));
        ASSERT_EQ(xmltest::makeDescriptionPackage(path, c.xml), AppError::NoError);
        ASSERT_EQ(mouse->loadProfile(shippedMousePackage()), AppError::NoError);
        EXPECT_EQ(mouse->loadProfile(path), c.expected) << c.what;
        EXPECT_TRUE(mouse->profilePath.isEmpty()) << c.what;
        EXPECT_FALSE(mouse->isEnable()) << c.what;
        EXPECT_EQ(mouse->buttonList.size(), before) << c.what;
        EXPECT_EQ(mouse->productID, shipped::kModels[2].productId) << c.what;
    }
    EXPECT_EQ(mouse->loadProfile(dir.filePath("missing.mou")), AppError::FileRead);
    EXPECT_TRUE(mouse->profilePath.isEmpty());
}

// ----- settings record -----------------------------------------------------------------

TEST_F(MouseEntryTest, RecordTranslation)
{
    struct Case {
        const char* what;
        std::vector<std::pair<int, uint8_t>> bytes; // record byte -> value
        LedColor color;
        eLuminance luminance;
        Indicator indicator;
        Logo logo;
        DpiSettingNo selected;
        LoD lod;
        ReportDiscriptor report;
    };
    const Case cases[] = {
        {"out of range",
         {{Mouse::kColor, 9}, {Mouse::kLuminance, 3}, {Mouse::kIndicator, 2}, {Mouse::kLogo, 7},
          {Mouse::kDpiSelected, 5}, {Mouse::kLiftOff, 0}, {Mouse::kReportRate, 4}},
         LedColor::White, eLuminance::Level1, Indicator::Disable, Logo::Disable, DpiSettingNo::Setting1,
         LoD::LoD_2mm, ReportDiscriptor::Fps_1kHz},
        {"in range",
         {{Mouse::kColor, 7}, {Mouse::kLuminance, 2}, {Mouse::kIndicator, 1}, {Mouse::kLogo, 0},
          {Mouse::kDpiSelected, 4}, {Mouse::kLiftOff, 3}, {Mouse::kReportRate, 8}},
         LedColor::Off, eLuminance::Level3, Indicator::Disable, Logo::Enable, DpiSettingNo::_count,
         LoD::LoD_3mm, ReportDiscriptor::Fps_125Hz},
        {"500 Hz", {{Mouse::kReportRate, 2}, {Mouse::kIndicator, 0}}, LedColor::White, eLuminance::Level3,
         Indicator::Enable, Logo::Enable, DpiSettingNo::Setting2, LoD::LoD_2mm, ReportDiscriptor::Fps_500kHz},
    };
    ASSERT_EQ(mouse->open(kLocation), AppError::NoError);
    for (const Case& c : cases) {
        Mouse::Record r = Mouse::defaults();
        for (int i = 0; i < 6; ++i)
            r[i] = uint8_t(0x21 + i);
        r[Mouse::kDpi + 6] = 1;
        r[Mouse::kDpi + 7] = 119;
        for (int i = 0; i < 8; ++i)
            r[Mouse::kCustomKeys + i] = uint8_t(0x40 + i);
        for (const auto& [at, v] : c.bytes)
            r[at] = v;
        emulated->live() = r;

        ASSERT_EQ(mouse->loadDeviceParam(), AppError::NoError) << c.what;
        EXPECT_EQ(mouse->color, c.color) << c.what;
        EXPECT_EQ(mouse->luminace, c.luminance) << c.what;
        EXPECT_EQ(mouse->indicatorEnable, c.indicator) << c.what;
        EXPECT_EQ(mouse->logoEnable, c.logo) << c.what;
        EXPECT_EQ(mouse->dpiSelected, c.selected) << c.what;
        EXPECT_EQ(mouse->liftOffDistance, c.lod) << c.what;
        EXPECT_EQ(mouse->reportDiscriptor, c.report) << c.what;
        EXPECT_EQ(mouse->buttonSettingList, (std::array<uint8_t, 6>{0x21, 0x22, 0x23, 0x24, 0x25, 0x26}));
        EXPECT_EQ(mouse->dpiSettingEnable[3], 1);
        EXPECT_EQ(mouse->dpiSettingValue[3], 119);
        EXPECT_EQ(mouse->dpiSettingValue[1], 7);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(mouse->customKeyList[i].code, ButtonNo(i + 2));
            EXPECT_EQ(mouse->customKeyList[i].modifier, 0x40 + 2 * i);
            EXPECT_EQ(mouse->customKeyList[i].keyCode, 0x41 + 2 * i);
            EXPECT_TRUE(mouse->customKeyKnown[i]);
        }
    }
}

TEST_F(MouseEntryTest, ReadWithoutDeviceCopiesAZeroRecord)
{
    EXPECT_EQ(mouse->loadDeviceParam(), AppError::NoError);
    EXPECT_EQ(mouse->indicatorEnable, Indicator::Enable);
    EXPECT_EQ(mouse->logoEnable, Logo::Enable);
    EXPECT_EQ(mouse->buttonSettingList, (std::array<uint8_t, 6>{}));
    ASSERT_TRUE(mouse->mouseSetting_FWBackUp);
    // Nothing was read from a mouse: the custom keys are not known.
    EXPECT_EQ(mouse->customKeyKnown, (std::array<bool, 4>{}));
}

TEST_F(MouseEntryTest, FailedReadChangesNothing)
{
    connect();
    const auto backup = mouse->mouseSetting_FWBackUp;
    const auto buttons = mouse->buttonSettingList;
    emulated->live()[Mouse::kColor] = 3;
    emulated->live()[0] = 0x0B;
    emulated->inject({.kind = FaultKind::Status, .command = 0x05});
    EXPECT_EQ(mouse->loadDeviceParam(), AppError::RecvErrorStore);
    EXPECT_EQ(mouse->color, LedColor::White);
    EXPECT_EQ(mouse->buttonSettingList, buttons);
    ASSERT_TRUE(mouse->mouseSetting_FWBackUp);
    EXPECT_EQ(mouse->mouseSetting_FWBackUp->buttonSettingList, backup->buttonSettingList);
}

TEST_F(MouseEntryTest, FactoryResetKeepsTheOldBackupOnce)
{
    connect();
    ASSERT_TRUE(mouse->mouseSetting_FWBackUp);
    EXPECT_EQ(mouse->mouseSetting_FWBackUp->color, LedColor::White);

    emulated->live()[Mouse::kColor] = 2;
    mouse->mouseSetting_Initialized = true;
    ASSERT_EQ(mouse->loadDeviceParam(), AppError::NoError);
    EXPECT_EQ(mouse->color, LedColor::Green);
    EXPECT_FALSE(mouse->mouseSetting_Initialized);
    EXPECT_EQ(mouse->mouseSetting_FWBackUp->color, LedColor::White);

    ASSERT_EQ(mouse->loadDeviceParam(), AppError::NoError);
    EXPECT_EQ(mouse->mouseSetting_FWBackUp->color, LedColor::Green);
}

// ----- restore ------------------------------------------------------------------------

// The backup of the restore-order tests: buttons 1 and 2 swapped, DPI
// setting 3 selected, custom keys on buttons 3 to 6.
void setRestoreBackup(MouseEntry& m)
{
    m.buttonSettingList = {0x02, 0x01, 0x03, 0x04, 0x05, 0x06};
    m.color = LedColor::Blue;
    m.luminace = eLuminance::Level2;
    m.indicatorEnable = Indicator::Disable;
    m.logoEnable = Logo::Enable;
    m.dpiSettingEnable = {0, 1, 0, 0};
    m.dpiSettingValue = {9, 19, 29, 39};
    m.dpiSelected = DpiSettingNo::Setting3;
    m.liftOffDistance = LoD::LoD_3mm;
    for (int i = 0; i < 4; ++i)
        m.customKeyList[i] = {ButtonNo(i + 2), uint8_t(0x01 << i), uint8_t(0x04 + i)};
    (void)m.mouseSetting_Backup();
}

TEST_F(MouseEntryTest, CloseRestoresTheBackupInOrderAndStoresIt)
{
    connect();
    setRestoreBackup(*mouse);
    // Unsent changes since the backup.
    ASSERT_EQ(mouse->CMD_SetLedSetting(1, 0, 0, 0), AppError::NoError);
    ASSERT_EQ(mouse->CMD_SetSensorLodSetting(2), AppError::NoError);
    emulated->clearLog();

    EXPECT_EQ(mouse->close(true), AppError::NoError);
    EXPECT_FALSE(mouse->hidIsOpened());
    EXPECT_EQ(emulated->commands(),
              (std::vector<uint8_t>{0x10, 0x11, 0x11, 0x11, 0x11, 0x12, 0x12, 0x12, 0x12, 0x30, 0x50, 0x50, 0x50,
                                    0x50, 0x51, 0x04, 0x01}));
    EXPECT_EQ(dataOf(*emulated, 0x10), (std::vector<Bytes>{{1}}));
    EXPECT_EQ(dataOf(*emulated, 0x11), (std::vector<Bytes>{{2, 3}, {3, 4}, {4, 5}, {5, 6}}));
    EXPECT_EQ(dataOf(*emulated, 0x12), (std::vector<Bytes>{{2, 1, 4}, {3, 2, 5}, {4, 4, 6}, {5, 8, 7}}));
    EXPECT_EQ(dataOf(*emulated, 0x30), (std::vector<Bytes>{{3, 1, 1, 0}}));
    EXPECT_EQ(dataOf(*emulated, 0x50), (std::vector<Bytes>{{0, 0, 9}, {1, 1, 19}, {3, 0, 39}, {2, 0, 29}}));
    EXPECT_EQ(dataOf(*emulated, 0x51), (std::vector<Bytes>{{3}}));

    const Mouse::Record expected{0x02, 0x01, 0x03, 0x04, 0x05, 0x06, 3, 1, 1, 0, 0, 9, 1, 19, 0, 29, 0, 39,
                                 2,    3,    1,    1,    4,    2,    5, 4, 6, 8, 7};
    EXPECT_EQ(emulated->stored(), expected);
    EXPECT_EQ(emulated->live(), expected);
    EXPECT_FALSE(emulated->sessionOpen());
}

TEST_F(MouseEntryTest, RestoreStopsAtTheFirstFailure)
{
    struct Case {
        const char* what;
        std::optional<emu::Fault> fault;
        std::vector<uint8_t> commands; // what the close sends
        bool stored;
        // Makes the backup hold a value the mouse refuses.
        std::function<void(MouseSetting_FwBackUp&)> spoil = {};
    };
    const Case cases[] = {
        {"the swap fails", emu::Fault{.kind = FaultKind::Status, .command = 0x10}, {0x10, 0x01}, false},
        // The mouse refuses the unknown function code of button 4.
        {"the second button fails", {}, {0x10, 0x11, 0x11, 0x01}, false,
         [](MouseSetting_FwBackUp& b) { b.buttonSettingList[3] = 0x0F; }},
        {"a custom key fails", emu::Fault{.kind = FaultKind::Status, .command = 0x12}, {0x10, 0x11, 0x11, 0x11, 0x11, 0x12, 0x01},
         false},
        {"the LED fails",
         emu::Fault{.kind = FaultKind::Status, .command = 0x30},
         {0x10, 0x11, 0x11, 0x11, 0x11, 0x12, 0x12, 0x12, 0x12, 0x30, 0x01},
         false},
        // The mouse refuses the DPI index 200 of the selected setting 3.
        {"the selected DPI setting fails",
         {},
         {0x10, 0x11, 0x11, 0x11, 0x11, 0x12, 0x12, 0x12, 0x12, 0x30, 0x50, 0x50, 0x50, 0x50, 0x01},
         false,
         [](MouseSetting_FwBackUp& b) { b.dpiSettingValue[2] = 200; }},
        {"the lift-off distance fails",
         emu::Fault{.kind = FaultKind::Status, .command = 0x51},
         {0x10, 0x11, 0x11, 0x11, 0x11, 0x12, 0x12, 0x12, 0x12, 0x30, 0x50, 0x50, 0x50, 0x50, 0x51, 0x01},
         false},
        {"the store fails",
         emu::Fault{.kind = FaultKind::Status, .command = 0x04},
         {0x10, 0x11, 0x11, 0x11, 0x11, 0x12, 0x12, 0x12, 0x12, 0x30, 0x50, 0x50, 0x50, 0x50, 0x51, 0x04, 0x01},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        attach(std::make_shared<Mouse>());
        mouse = std::make_shared<MouseEntry>();
        connect();
        setRestoreBackup(*mouse);
        if (c.spoil)
            c.spoil(*mouse->mouseSetting_FWBackUp);
        const Mouse::Record storedBefore = emulated->stored();
        // The model now differs from its backup: a new backup would show it.
        mouse->color = LedColor::Red;

        if (c.fault)
            emulated->inject(*c.fault);
        // A restore that stopped is what the close reports.
        EXPECT_EQ(mouse->close(true), AppError::RecvErrorStore);
        EXPECT_EQ(emulated->commands(), c.commands);
        EXPECT_FALSE(mouse->hidIsOpened());
        EXPECT_EQ(emulated->storeCount() == 1, c.stored);
        if (!c.stored) {
            EXPECT_EQ(emulated->stored(), storedBefore);
            EXPECT_EQ(mouse->mouseSetting_FWBackUp->color, LedColor::Blue);
        }
    }
}

// A DPI setting the mouse does not take back at close still holds its unsent
// value: the rest is put back, but nothing is stored, so that the mouse keeps
// what was last read or sent; the refusal is what the close reports.
TEST_F(MouseEntryTest, RefusedDpiSettingAtCloseKeepsTheLastReadOrSentSettingsStored)
{
    const struct {
        const char* what;
        std::set<int> refused; // setting 2 (index 1) is the selected one
        bool sent;             // a Send after the read
    } cases[] = {{"one refused, after the read", {2}, false}, {"all others refused, after a Send", {0, 2, 3}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        attach(std::make_shared<Mouse>());
        mouse = std::make_shared<MouseEntry>();
        connect();
        // As the sensor panel does: the model, then the mouse.
        const auto setDpi = [this](int k, int index) {
            mouse->dpiSettingValue[k] = index;
            ASSERT_EQ(mouse->CMD_SetSensorDpiSetting(k, 0, index), AppError::NoError);
        };
        if (c.sent) {
            setDpi(3, 20);
            setDpi(1, 3);
            ASSERT_EQ(mouse->CMD_RegistSetting(), AppError::NoError);
        }
        const Mouse::Record kept = emulated->stored();
        const int stores = emulated->storeCount();
        for (int k : c.refused)
            setDpi(k, 50);
        ASSERT_EQ(mouse->CMD_SetSensorLodSetting(3), AppError::NoError);
        emulated->refuseDpiSettings(c.refused);

        EXPECT_EQ(mouse->close(true), AppError::RecvErrorStore);
        EXPECT_EQ(countOf(*emulated, 0x50), 4 + int(c.refused.size()) + (c.sent ? 2 : 0));
        EXPECT_EQ(emulated->storeCount(), stores);
        EXPECT_EQ(emulated->stored(), kept);
        // The selected setting and the lift-off distance went back all the same.
        EXPECT_EQ(emulated->live()[Mouse::kDpiSelected], kept[Mouse::kDpiSelected]);
        EXPECT_EQ(emulated->live()[Mouse::kLiftOff], kept[Mouse::kLiftOff]);
        EXPECT_FALSE(emulated->sessionOpen());
    }
}

TEST_F(MouseEntryTest, RestoreWithoutBackupSendsNothing)
{
    ASSERT_EQ(mouse->open(kLocation), AppError::NoError);
    emulated->clearLog();
    EXPECT_EQ(mouse->mouseSetting_Restore(), AppError::Error);
    EXPECT_TRUE(emulated->commands().empty());
    // close still ends the session.
    EXPECT_EQ(mouse->close(true), AppError::NoError);
    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x01}));
}

TEST_F(MouseEntryTest, RestoreSkipsTheWriteOfASelectedCountSetting)
{
    connect();
    setRestoreBackup(*mouse);
    mouse->dpiSelected = DpiSettingNo::_count;
    (void)mouse->mouseSetting_Backup();
    EXPECT_EQ(mouse->mouseSetting_Restore(), AppError::NoError);
    EXPECT_EQ(countOf(*emulated, 0x50), 4);
    EXPECT_EQ(countOf(*emulated, 0x04), 1);
}

TEST_F(MouseEntryTest, CloseRevertsUnsentChanges)
{
    connect();
    const Mouse::Record stored = emulated->stored();
    ASSERT_EQ(mouse->CMD_SetBtnFuncSetting(3, 0x2C), AppError::NoError);
    ASSERT_EQ(mouse->CMD_SetLedSetting(4, 0, 1, 1), AppError::NoError);
    ASSERT_EQ(mouse->CMD_SetSensorDpiSetting(0, 1, 100), AppError::NoError);
    ASSERT_EQ(mouse->CMD_SetBtn12Setting(1), AppError::NoError);
    ASSERT_NE(emulated->live(), stored);

    EXPECT_EQ(mouse->close(true), AppError::NoError);
    EXPECT_EQ(emulated->live(), stored);
    EXPECT_EQ(emulated->stored(), stored);
}

TEST_F(MouseEntryTest, CloseOfAGoneMouseSendsNothing)
{
    connect();
    EXPECT_EQ(mouse->close(false), AppError::NoError);
    EXPECT_FALSE(mouse->hidIsOpened());
    EXPECT_TRUE(emulated->writes().empty());
    EXPECT_TRUE(emulated->sessionOpen());
}

// ----- custom keys by firmware ------------------------------------------------------------

TEST_F(MouseEntryTest, RestoreWritesOnlyCustomKeysItKnows)
{
    struct Case {
        const char* what;
        std::array<uint8_t, 4> firmware;
        Mouse::Layout layout;
        const char* version;
        int customKeyWrites;
    };
    const Case cases[] = {
        {"newer firmware", {0x01, 0x00, 0x01, 0x03}, Mouse::Layout::Newer, "10.13", 4},
        {"older firmware without custom keys", {0x01, 0x00, 0x00, 0x09}, Mouse::Layout::Older, "10.09", 0},
        // "0A" sorts before "10" (older settings layout, keys not read) but is
        // no decimal number below 10 (custom keys supported).
        {"firmware 0A", {0x01, 0x00, 0x00, 0x0A}, Mouse::Layout::Newer, "10.0A", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto m = std::make_shared<Mouse>(shipped::kModels[2], c.layout);
        m->identity().firmware = c.firmware;
        Mouse::Record r = Mouse::defaults();
        for (int i = 0; i < 8; ++i)
            r[Mouse::kCustomKeys + i] = uint8_t(0x10 + i);
        if (c.layout == Mouse::Layout::Older)
            std::fill(r.begin() + Mouse::kCustomKeys, r.end(), 0);
        m->live() = m->stored() = r;
        attach(m);
        mouse = std::make_shared<MouseEntry>();
        connect();
        EXPECT_EQ(mouse->firmwareVersion(), QString::fromLatin1(c.version));

        EXPECT_EQ(mouse->close(true), AppError::NoError);
        EXPECT_EQ(countOf(*emulated, 0x12), c.customKeyWrites);
        EXPECT_EQ(emulated->storeCount(), 1);
        EXPECT_EQ(emulated->stored(), r); // the mouse keeps its custom keys
    }
}

TEST_F(MouseEntryTest, CustomKeySetByTheUserIsKnownAndRestored)
{
    auto m = std::make_shared<Mouse>();
    m->identity().firmware = {0x01, 0x00, 0x00, 0x0A};
    attach(m);
    connect();
    ASSERT_EQ(mouse->customKeyKnown, (std::array<bool, 4>{}));

    ASSERT_EQ(mouse->CMD_SetCustomKeysSetting(3, 0x02, 0x1E), AppError::NoError);
    EXPECT_EQ(mouse->customKeyList[1], (MouseEntry::CustomKeyEntry{ButtonNo::Button4, 0x02, 0x1E}));
    EXPECT_TRUE(mouse->customKeyKnown[1]);
    ASSERT_EQ(static_cast<IDeviceEntry&>(*mouse).CMD_RegistSetting(), AppError::NoError);
    emulated->clearLog();

    EXPECT_EQ(mouse->close(true), AppError::NoError);
    EXPECT_EQ(dataOf(*emulated, 0x12), (std::vector<Bytes>{{3, 0x02, 0x1E}}));
}

TEST(MouseEntryFirmware, CustomKeySupportAndOlderButtonFirmware)
{
    struct Case {
        std::optional<QString> version;
        bool supported;
        bool older;
    };
    const Case cases[] = {
        {std::nullopt, true, false}, {QString(), false, false},      {"10.09", false, true},
        {"10.10", true, false},      {"01.0A", true, false},         {"10", false, false},
        {"1.9.5", false, true},      {"10.13", true, false},         {"10.+9", false, true},
    };
    for (const Case& c : cases) {
        MouseEntry m;
        m.setFirmwareVersion(c.version);
        EXPECT_EQ(m.isSupportedCustomKeySetting(), c.supported) << c.version.value_or("(absent)").toStdString();
        EXPECT_EQ(m.isOlderButtonFirmware(), c.older) << c.version.value_or("(absent)").toStdString();
    }
}

// ----- open, store, interface ------------------------------------------------------------------

TEST_F(MouseEntryTest, OpenIdentifiesAndReportsAPendingUpdateAfterIt)
{
    emulated->setUpdatePending(true);
    EXPECT_EQ(mouse->open(kLocation), AppError::AbortFirmwareUpdate);
    EXPECT_EQ(mouse->modelNumber(), QString::fromLatin1(shipped::kModels[2].modelNumber.data()));
    EXPECT_EQ(mouse->firmwareVersion(), "10.13");
    EXPECT_EQ(mouse->firmwareVersionCompare(), "000103");
    EXPECT_TRUE(mouse->awaitsFirmwareUpdate());

    emulated->setUpdatePending(false);
    emulated->clearLog();
    EXPECT_EQ(mouse->open(kLocation), AppError::NoError);
    EXPECT_FALSE(mouse->awaitsFirmwareUpdate());
    EXPECT_EQ(emulated->commands(), (std::vector<uint8_t>{0x01, 0x01, 0x02}));
    EXPECT_EQ(dataOf(*emulated, 0x01), (std::vector<Bytes>{{1}, {0}}));
}

TEST_F(MouseEntryTest, OpenOfNothingFails)
{
    EXPECT_EQ(mouse->open(0x0F000000), AppError::BadDevice);
    EXPECT_FALSE(mouse->hidIsOpened());
}

TEST_F(MouseEntryTest, StoreRenewsTheBackupOnlyOnSuccess)
{
    connect();
    IDeviceEntry& entry = *mouse;
    mouse->color = LedColor::Purple;
    emulated->inject({.kind = FaultKind::Status, .command = 0x04});
    EXPECT_EQ(entry.CMD_RegistSetting(), AppError::RecvErrorStore);
    EXPECT_EQ(mouse->mouseSetting_FWBackUp->color, LedColor::White);
    EXPECT_EQ(entry.CMD_RegistSetting(), AppError::NoError);
    EXPECT_EQ(mouse->mouseSetting_FWBackUp->color, LedColor::Purple);
    EXPECT_EQ(emulated->storeCount(), 1);
}

TEST_F(MouseEntryTest, EntryDefaults)
{
    MouseEntry m;
    EXPECT_FALSE(m.isEnable());
    EXPECT_EQ(m.modelNumber(), QString());
    EXPECT_EQ(m.firmwareVersion(), QString());
    EXPECT_FALSE(m.mouseSetting_FWBackUp);
    EXPECT_EQ(m.customKeyList[0].code, ButtonNo::None);
    EXPECT_EQ(m.getDeviceInfo(kLocation), AppError::Error);
    EXPECT_EQ(m.close(true), AppError::NoError);
}

} // namespace
