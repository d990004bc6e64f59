// Device enumeration and hot-plug against the virtual HID bus: the model list
// from the shipped packages and from user packages in a temporary work
// folder, listing and probing attached devices, sorting, hot-plug notices in
// and outside a transaction, and the generated udev rule.
#include "BuildPaths.h"
#include "Device/DeviceEnumerator.h"
#include "Device/HidDevice.h"

#include "AppParam.h"
#include "KolventraTestFixture.h"
#include "Platform/RunLoop.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "XML/DeviceProfile.h"
#include "XML/KeyboardProfile.h"
#include "XML/MouseProfile.h"
#include "support/EmulatedKeyboard.h"
#include "support/EmulatedMouse.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using Entry = DeviceEnumerator::DeviceEnumEntry;

QString qs(std::string_view s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

constexpr uint16_t kVendor = shipped::kVendorId;
// IDs our user packages give to models that are not shipped.
constexpr uint16_t kSharedPid = 0x1F00;

// One description package to write.
struct Desc {
    QString model;
    QString version = QStringLiteral("T_1_2_0");
    uint16_t pid = 0x1F01;
    bool multi = false;
    bool mouse = false;
    QString vendorText{};  // overrides the vendor ID text when set
    QString extra{};       // further XML inside the root
};

QByteArray descriptionXml(const Desc& d)
{
    const QString root = d.mouse ? QStringLiteral("MouseProfile") : QStringLiteral("KeyboardProfile");
    QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<%1>\n").arg(root);
    auto add = [&](const char* name, const QString& text) {
        xml += QStringLiteral("  <%1>%2</%1>\n").arg(QLatin1String(name), text);
    };
    add("Type", d.mouse ? QStringLiteral("Mouse") : QStringLiteral("Keyboard"));
    add("Name", QStringLiteral("Test ") + d.model);
    add("ProfileExt", d.model);
    add("ProfileVersion", d.version);
    add("VendorID", d.vendorText.isEmpty() ? QString::number(kVendor, 16).toUpper() : d.vendorText);
    add("ProductID", QString::number(d.pid, 16).toUpper());
    add("ModelNumber", d.model);
    add("MultiDeviceModel", d.multi ? QStringLiteral("true") : QStringLiteral("false"));
    xml += d.extra;
    xml += QStringLiteral("</%1>\n").arg(root);
    return xml.toUtf8();
}

// Writes a package with the production package writer; the name's extension
// decides nothing here (the enumerator reads by extension).
void writePackage(const QString& folder, const QString& fileName, const Desc& d)
{
    QDir().mkpath(folder);
    ASSERT_EQ(AppUtil::saveProfileData(QDir(folder).filePath(fileName), descriptionXml(d),
                                       QStringLiteral("Profile.xml")),
              AppError::NoError)
        << qPrintable(fileName);
}

std::vector<QString> modelsOf(const std::vector<std::shared_ptr<DeviceProfile>>& list)
{
    std::vector<QString> out;
    for (const auto& d : list)
        out.push_back(d->modelNumber);
    return out;
}

std::shared_ptr<DeviceProfile> findModel(const QString& model)
{
    for (const auto& d : AppParam::targetProfileList)
        if (d->modelNumber == model)
            return d;
    return nullptr;
}

std::shared_ptr<emu::EmulatedKeyboard> keyboardWith(uint16_t pid, const QString& model)
{
    emu::Identity id;
    id.vendorId = kVendor;
    id.productId = pid;
    id.model = emu::Identity::modelBytes(model.toStdString());
    id.firmware = {0x01, 0x00, 0x02, 0x05};
    std::vector<emu::EmulatedDevice::Interface> ifaces{{{0x0001, 0x0006}}, {{0xFF00, 0x0001}}};
    return std::make_shared<emu::EmulatedKeyboard>(id, ifaces);
}

class EnumeratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(resources.isValid());
        AppUtil::setAppWorkFolderForTesting(userFolder());
        AppUtil::setResourceDataFolder(QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/"));
        AppParam::targetProfileList.clear();
    }
    void TearDown() override
    {
        AppUtil::setAppWorkFolderForTesting({});
        AppUtil::setResourceDataFolder({});
        AppParam::targetProfileList.clear();
        emu::pumpEvents();
    }

    QString userFolder() const { return work.path() + QStringLiteral("/Nembo/KOLVENTRA/"); }
    // Uses a folder of our own as the shipped data instead of the build's.
    QString useOwnShippedFolder()
    {
        AppUtil::setResourceDataFolder(resources.path());
        const QString folder = resources.path() + QStringLiteral("/Profile/");
        QDir().mkpath(folder);
        return folder;
    }

    QTemporaryDir work;
    QTemporaryDir resources;
    emu::ScopedVirtualBus bus;
    DeviceEnumerator enumerator;
};

// ----- the model list ------------------------------------------------------

TEST_F(EnumeratorTest, ShippedPackagesGiveTheShippedModels)
{
    for (bool verify : {false, true}) {
        SCOPED_TRACE(verify ? "verified" : "not verified");
        EXPECT_EQ(enumerator.enumDeviceProfile(verify), AppError::NoError);
        ASSERT_EQ(AppParam::targetProfileList.size(), shipped::kModels.size());
        for (const shipped::Model& m : shipped::kModels) {
            SCOPED_TRACE(std::string(m.modelNumber));
            const auto d = findModel(qs(m.modelNumber));
            ASSERT_TRUE(d);
            EXPECT_TRUE(d->profilePath.endsWith(QLatin1Char('/') + qs(m.packageFile)));
            EXPECT_DOUBLE_EQ(d->dProfileVersion, 1002.0);
            EXPECT_EQ(d->vendorIdValue(), m.vendorId);
            EXPECT_EQ(d->productIdValue(), m.productId);
            const bool isKeyboard = dynamic_cast<KeyboardProfile*>(d.get()) != nullptr;
            EXPECT_EQ(isKeyboard, m.kind == shipped::Kind::Keyboard);
        }
    }
}

// Newest version per model; shipped first, then the user's; "not newer"
// gives way, so a later package of equal version wins.
TEST_F(EnumeratorTest, NewestVersionPerModelWins)
{
    struct Pkg {
        bool user;
        const char* file;
        const char* version;
    };
    struct Case {
        const char* what;
        std::vector<Pkg> packages;
        const char* winner; // file name, or nullptr for no description
    };
    const std::vector<Case> cases = {
        {"1003 after 1002", {{false, "a.key", "A_1_2_0"}, {false, "b.key", "A_1_3_0"}}, "b.key"},
        {"1003 before 1002", {{false, "a.key", "A_1_3_0"}, {false, "b.key", "A_1_2_0"}}, "a.key"},
        {"user equal replaces shipped", {{false, "a.key", "A_1_3_0"}, {true, "a.key", "A_1_3_0"}}, "user"},
        {"user older stays out", {{false, "a.key", "A_1_3_0"}, {true, "z.key", "A_1_2_0"}}, "a.key"},
        {"equal versions: later file wins", {{false, "a.key", "A_1_2_5"}, {false, "b.key", "A_1_2_5"}}, "b.key"},
        {"1001.999 ignored", {{false, "a.key", "A_1_1_999"}}, nullptr},
        {"1010.005", {{false, "a.key", "A_1_10_5"}, {false, "b.key", "A_1_9_999"}}, "a.key"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir shippedDir, userDir;
        AppUtil::setResourceDataFolder(shippedDir.path());
        AppUtil::setAppWorkFolderForTesting(userDir.path());
        for (const Pkg& p : c.packages) {
            const QString folder = p.user ? userDir.path() : shippedDir.path() + QStringLiteral("/Profile");
            writePackage(folder, QString::fromLatin1(p.file),
                         {.model = QStringLiteral("KVT001A1"), .version = QString::fromLatin1(p.version)});
        }
        EXPECT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
        if (!c.winner) {
            EXPECT_TRUE(AppParam::targetProfileList.empty());
            continue;
        }
        ASSERT_EQ(AppParam::targetProfileList.size(), 1u);
        const QString path = AppParam::targetProfileList[0]->profilePath;
        if (QString::fromLatin1(c.winner) == QLatin1String("user"))
            EXPECT_TRUE(path.startsWith(userDir.path())) << qPrintable(path);
        else
            EXPECT_EQ(path, shippedDir.path() + QStringLiteral("/Profile/") + QString::fromLatin1(c.winner));
    }
}

// A user package of a shipped model with a higher version replaces the
// shipped one; other shipped models stay, new models are appended.
TEST_F(EnumeratorTest, UserPackagesJoinTheShippedOnes)
{
    const shipped::Model& kb = shipped::kModels[0];
    writePackage(userFolder(), QStringLiteral("newer.key"),
                 {.model = qs(kb.modelNumber), .version = QStringLiteral("X_1_3_0"), .pid = kb.productId});
    writePackage(userFolder(), QStringLiteral("other.mou"), {.model = QStringLiteral("KVT900A1"), .mouse = true});
    // Not description packages (extension compared exactly).
    writePackage(userFolder(), QStringLiteral("upper.KEY"), {.model = QStringLiteral("KVT901A1")});
    writePackage(userFolder(), QStringLiteral("profile.prf"), {.model = QStringLiteral("KVT902A1")});

    EXPECT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
    const std::vector<QString> expected{qs(shipped::kModels[1].modelNumber), qs(shipped::kModels[2].modelNumber),
                                        qs(kb.modelNumber), QStringLiteral("KVT900A1")};
    EXPECT_EQ(modelsOf(AppParam::targetProfileList), expected);
    EXPECT_EQ(findModel(qs(kb.modelNumber))->profilePath, userFolder() + QStringLiteral("newer.key"));
    EXPECT_NEAR(findModel(qs(kb.modelNumber))->dProfileVersion, 1003.0, 1e-9);
    EXPECT_TRUE(dynamic_cast<MouseProfile*>(findModel(QStringLiteral("KVT900A1")).get()));
}

TEST_F(EnumeratorTest, MissingUserFolderMeansNoUserPackages)
{
    AppUtil::setAppWorkFolderForTesting(work.path() + QStringLiteral("/does/not/exist/"));
    EXPECT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
    EXPECT_EQ(AppParam::targetProfileList.size(), shipped::kModels.size());
}

// Malformed descriptions are skipped (never matched), never a crash.
TEST_F(EnumeratorTest, MalformedUserPackagesAreSkipped)
{
    struct Case {
        const char* what;
        Desc desc;
    };
    const std::vector<Case> cases = {
        {"version with three parts", {.model = QStringLiteral("KVB001A1"), .version = QStringLiteral("A_1_2")}},
        {"version not numeric", {.model = QStringLiteral("KVB002A1"), .version = QStringLiteral("A_1_x_0")}},
        {"vendor ID not hex", {.model = QStringLiteral("KVB003A1"), .vendorText = QStringLiteral("ZZ")}},
        {"empty vendor ID", {.model = QStringLiteral("KVB004A1"), .vendorText = QStringLiteral(" ")}},
        {"key code not decimal",
         {.model = QStringLiteral("KVB005A1"),
          .extra = QStringLiteral("<KeytopEntry><Name>A</Name><Code>4x</Code></KeytopEntry>\n")}},
        {"mouse margin with two numbers",
         {.model = QStringLiteral("KVB006A1"), .mouse = true,
          .extra = QStringLiteral("<ButtonEntry><Name>L</Name><Code>0</Code><Margin>1,2</Margin></ButtonEntry>\n")}},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("bad%1").arg(n++) + (c.desc.mouse ? QStringLiteral(".mou") : QStringLiteral(".key"));
        writePackage(userFolder(), name, c.desc);
    }
    // Not a package at all.
    QFile junk(userFolder() + QStringLiteral("junk.key"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a zip archive");
    junk.close();
    // A good one read last, so the result is that of a good read.
    writePackage(userFolder(), QStringLiteral("zz.key"), {.model = QStringLiteral("KVG001A1"), .pid = 0x1F0A});

    EXPECT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
    EXPECT_EQ(AppParam::targetProfileList.size(), shipped::kModels.size() + 1);
    for (const Case& c : cases)
        EXPECT_FALSE(findModel(c.desc.model)) << c.what;
    EXPECT_TRUE(findModel(QStringLiteral("KVG001A1")));

    // The result is that of the last package read.
    QFile::remove(userFolder() + QStringLiteral("zz.key"));
    EXPECT_EQ(enumerator.enumDeviceProfile(false), AppError::FileRead); // junk.key is last now
    QFile::remove(userFolder() + QStringLiteral("junk.key"));
    EXPECT_EQ(enumerator.enumDeviceProfile(false), AppError::BadParam); // bad5.mou is last now

    // A device with the malformed package's IDs is not listed.
    auto device = keyboardWith(0x1F01, QStringLiteral("KVB003A1"));
    ASSERT_TRUE(bus->attach(device, 0x01100000));
    EXPECT_TRUE(enumerator.GetDevicePathList().empty());
}

TEST_F(EnumeratorTest, VerifyRemovesDescriptionsWhosePicturesDoNotLoad)
{
    writePackage(userFolder(), QStringLiteral("k.key"), {.model = QStringLiteral("KVP001A1")});
    writePackage(userFolder(), QStringLiteral("m.mou"), {.model = QStringLiteral("KVP002A1"), .pid = 0x1F02, .mouse = true});

    EXPECT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
    EXPECT_EQ(AppParam::targetProfileList.size(), shipped::kModels.size() + 2);

    EXPECT_EQ(enumerator.enumDeviceProfile(true), AppError::NoError);
    std::vector<QString> expected;
    for (const auto& m : shipped::kModels)
        expected.push_back(qs(m.modelNumber));
    EXPECT_EQ(modelsOf(AppParam::targetProfileList), expected);
}

// ----- attached devices --------------------------------------------------

TEST_F(EnumeratorTest, NoDeviceGivesEmptyLists)
{
    ASSERT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
    EXPECT_TRUE(enumerator.GetDevicePathList().empty());
    EXPECT_TRUE(enumerator.syncDeviceList(enumerator.GetDevicePathList(), {}).empty());
    AppParam::targetProfileList.clear();
    EXPECT_EQ(enumerator.isTargetDevice(shipped::kModels[0].productId, kVendor), -1);
}

TEST_F(EnumeratorTest, ShippedDevicesAreListedWithTheirDescriptions)
{
    ASSERT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
    auto mouse = std::make_shared<emu::EmulatedMouse>(shipped::kModels[2]);
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[0]);
    auto stranger = keyboardWith(0x7777, QStringLiteral("NOTOURS1"));
    ASSERT_TRUE(bus->attach(mouse, 0x01100000));
    ASSERT_TRUE(bus->attach(keyboard, 0x01200000));
    ASSERT_TRUE(bus->attach(stranger, 0x01300000));

    const std::vector<Entry> list = enumerator.syncDeviceList(enumerator.GetDevicePathList(), {});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].modelNumber, qs(shipped::kModels[0].modelNumber)); // sorted by model number
    EXPECT_EQ(list[0].deviceLocation, 0x01200000);
    EXPECT_EQ(list[1].modelNumber, qs(shipped::kModels[2].modelNumber));
    for (const Entry& e : list) {
        EXPECT_TRUE(e.isEnable);
        ASSERT_TRUE(e.profile);
        EXPECT_EQ(e.profile->modelNumber, e.modelNumber);
    }
    // Single-model devices are not asked anything.
    EXPECT_TRUE(mouse->log().empty());
    EXPECT_TRUE(keyboard->log().empty());
    EXPECT_EQ(bus->openCount(), 0);
}

TEST_F(EnumeratorTest, DeviceWithTwoVendorInterfacesIsListedOnce)
{
    ASSERT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[1]);
    keyboard->setInterfaces({{{0x0001, 0x0006}}, {{0xFF00, 0x0002}}, {{0xFF00, 0x0001}}});
    ASSERT_TRUE(bus->attach(keyboard, 0x01100000));
    const std::vector<Entry> list = enumerator.GetDevicePathList();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].deviceLocation, 0x01100000);
    EXPECT_EQ(list[0].modelNumber, qs(shipped::kModels[1].modelNumber));
}

// Two models share vendor and product IDs: the device is asked for its model
// number, and the description of that model is taken.
TEST_F(EnumeratorTest, DevicesOfSharedIdsAreProbed)
{
    writePackage(userFolder(), QStringLiteral("one.key"),
                 {.model = QStringLiteral("KVS001A1"), .pid = kSharedPid, .multi = true});
    writePackage(userFolder(), QStringLiteral("two.key"),
                 {.model = QStringLiteral("KVS002A1"), .pid = kSharedPid, .multi = true});
    ASSERT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);

    auto second = keyboardWith(kSharedPid, QStringLiteral("KVS002A1"));
    auto unknown = keyboardWith(kSharedPid, QStringLiteral("KVS999A1"));
    ASSERT_TRUE(bus->attach(second, 0x01100000));
    ASSERT_TRUE(bus->attach(unknown, 0x01200000));

    const std::vector<Entry> fresh = enumerator.GetDevicePathList();
    ASSERT_EQ(fresh.size(), 2u);
    for (const Entry& e : fresh) {
        EXPECT_TRUE(e.modelNumber.isEmpty());
        EXPECT_FALSE(e.profile);
    }

    const std::vector<Entry> list = enumerator.syncDeviceList(fresh, {});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].modelNumber, QStringLiteral("KVS002A1"));
    ASSERT_TRUE(list[0].profile);
    EXPECT_EQ(list[0].profile->modelNumber, QStringLiteral("KVS002A1"));
    EXPECT_TRUE(list[0].isEnable);
    // A model no description carries: listed, enabled, without description.
    EXPECT_EQ(list[1].modelNumber, QStringLiteral("KVS999A1"));
    EXPECT_FALSE(list[1].profile);
    EXPECT_TRUE(list[1].isEnable);
    // Only the identification, no session notice; closed again.
    EXPECT_EQ(second->commands(), std::vector<uint8_t>{0x02});
    EXPECT_EQ(unknown->commands(), std::vector<uint8_t>{0x02});
    EXPECT_EQ(bus->openHandleCount(0x01100000), 0);

    // Re-listing carries the model number over: no second probe.
    const std::vector<Entry> again = enumerator.syncDeviceList(enumerator.GetDevicePathList(), list);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].modelNumber, QStringLiteral("KVS002A1"));
    ASSERT_TRUE(again[0].profile);
    EXPECT_EQ(second->commands().size(), 1u);
}

// A device that cannot be probed is listed disabled, stays so at its
// location, and is probed afresh at a new location.
TEST_F(EnumeratorTest, ProbeFailureDisablesTheEntry)
{
    writePackage(userFolder(), QStringLiteral("one.key"),
                 {.model = QStringLiteral("KVS001A1"), .pid = kSharedPid, .multi = true});
    writePackage(userFolder(), QStringLiteral("two.key"),
                 {.model = QStringLiteral("KVS002A1"), .pid = kSharedPid, .multi = true});
    ASSERT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);

    auto device = keyboardWith(kSharedPid, QStringLiteral("KVS001A1"));
    device->inject({.kind = emu::FaultKind::Status, .command = 0x02, .times = -1});
    ASSERT_TRUE(bus->attach(device, 0x01100000));

    std::vector<Entry> list = enumerator.syncDeviceList(enumerator.GetDevicePathList(), {});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FALSE(list[0].isEnable);
    EXPECT_TRUE(list[0].modelNumber.isEmpty());
    EXPECT_FALSE(list[0].profile);
    EXPECT_EQ(device->commands().size(), 1u);

    // Same location: still disabled, not asked again.
    device->clearFaults();
    list = enumerator.syncDeviceList(enumerator.GetDevicePathList(), list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FALSE(list[0].isEnable);
    EXPECT_EQ(device->commands().size(), 1u);

    // Moved to another port: a fresh entry, probed again; the old one is gone.
    ASSERT_TRUE(bus->detach(0x01100000));
    ASSERT_TRUE(bus->attach(device, 0x01200000));
    list = enumerator.syncDeviceList(enumerator.GetDevicePathList(), list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].deviceLocation, 0x01200000);
    EXPECT_TRUE(list[0].isEnable);
    EXPECT_EQ(list[0].modelNumber, QStringLiteral("KVS001A1"));
    ASSERT_TRUE(list[0].profile);
    EXPECT_EQ(device->commands().size(), 2u);
}

TEST_F(EnumeratorTest, ListIsSortedByModelNumberThenSignedLocation)
{
    auto entry = [](const char* model, int32_t location) {
        Entry e;
        e.modelNumber = QString::fromLatin1(model);
        e.deviceLocation = location;
        return e;
    };
    const std::vector<Entry> in{entry("A1", 20), entry("A1", 10), entry("0B", 5), entry("A1", -3),
                                entry("B", 1)};
    const std::vector<Entry> out = enumerator.syncDeviceList(in, {});
    std::vector<std::pair<QString, int32_t>> got;
    for (const Entry& e : out)
        got.emplace_back(e.modelNumber, e.deviceLocation);
    const std::vector<std::pair<QString, int32_t>> expected{
        {QStringLiteral("0B"), 5}, {QStringLiteral("A1"), -3}, {QStringLiteral("A1"), 10},
        {QStringLiteral("A1"), 20}, {QStringLiteral("B"), 1}};
    EXPECT_EQ(got, expected);
}

TEST_F(EnumeratorTest, IsTargetDeviceReadsHexIdsAndNeverMatchesMalformedOnes)
{
    auto description = [](const char* vendor, const char* product) {
        auto d = std::make_shared<DeviceProfile>();
        d->vendorID = QString::fromLatin1(vendor);
        d->productID = QString::fromLatin1(product);
        return d;
    };
    AppParam::targetProfileList = {description("ZZ", "0"), description("3a5e", "1F00"),
                                   description("3A5E", "1f00"), description("", "")};
    EXPECT_EQ(enumerator.isTargetDevice(0x1F00, 0x3A5E), 1);
    EXPECT_EQ(enumerator.isTargetDevice(0, 0), -1);
    EXPECT_EQ(enumerator.isTargetDevice(0x1F00, 0x3A5F), -1);
}

// ----- hot-plug --------------------------------------------------------------

struct PlugRecorder {
    int plugIn = 0;
    int plugOff = 0;
    bool offMainThread = false;
    int transactionsSeen = 0;
    void attachTo(DeviceEnumerator& e)
    {
        e.plugInDeviceCallback = [this] { note(); ++plugIn; };
        e.plugOffDeviceCallback = [this] { note(); ++plugOff; };
    }
    void note()
    {
        offMainThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        transactionsSeen += platform::activeTransactions();
    }
};

TEST_F(EnumeratorTest, HotPlugOutsideTransactionsReachesTheCallbacks)
{
    PlugRecorder rec;
    enumerator.startPolling();
    enumerator.startPolling(); // once only
    EXPECT_TRUE(enumerator.isPolling);
    EXPECT_EQ(DeviceEnumerator::selfInstance(), &enumerator);
    rec.attachTo(enumerator);

    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(bus->attach(keyboard, 0x01100000));
    EXPECT_TRUE(emu::waitUntil([&] { return rec.plugIn == 1; }));
    ASSERT_TRUE(bus->detach(0x01100000));
    EXPECT_TRUE(emu::waitUntil([&] { return rec.plugOff == 1; }));
    emu::pumpEvents(std::chrono::milliseconds(20));
    EXPECT_EQ(rec.plugIn, 1);
    EXPECT_EQ(rec.plugOff, 1);
    EXPECT_FALSE(rec.offMainThread);

    // A device without the vendor interface is not reported.
    auto plain = keyboardWith(0x1F00, QStringLiteral("X"));
    plain->setInterfaces({{{0x0001, 0x0006}}});
    ASSERT_TRUE(bus->attach(plain, 0x01200000));
    emu::pumpEvents(std::chrono::milliseconds(20));
    EXPECT_EQ(rec.plugIn, 1);
}

TEST_F(EnumeratorTest, NoticesBeforeTheCallbacksAreSetAreDropped)
{
    enumerator.startPolling();
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(bus->attach(keyboard, 0x01100000));
    emu::pumpEvents(std::chrono::milliseconds(20));
    PlugRecorder rec;
    rec.attachTo(enumerator);
    emu::pumpEvents(std::chrono::milliseconds(20));
    EXPECT_EQ(rec.plugIn, 0);
}

// A device arriving and leaving while a transaction waits for its reply: the
// notices wait until the transaction has returned, then come once per kind.
TEST_F(EnumeratorTest, HotPlugDuringATransactionIsDeferredUntilItReturns)
{
    PlugRecorder rec;
    enumerator.startPolling();
    rec.attachTo(enumerator);

    auto connected = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(bus->attach(connected, 0x01100000));
    ASSERT_TRUE(emu::waitUntil([&] { return rec.plugIn == 1; }));
    rec = PlugRecorder{};
    rec.attachTo(enumerator);

    KolventraDevice device;
    ASSERT_EQ(device.hidOpen(0x01100000), AppError::NoError);
    connected->inject({.kind = emu::FaultKind::Late, .command = 0x02,
                       .delay = std::chrono::milliseconds(1000)});
    auto first = std::make_shared<emu::EmulatedMouse>();
    auto second = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[1]);
    auto leaving = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[0]);
    ASSERT_TRUE(bus->attach(leaving, 0x01400000));
    ASSERT_TRUE(emu::waitUntil([&] { return rec.plugIn == 1; }));
    rec = PlugRecorder{};
    rec.attachTo(enumerator);

    // Fires at the first turn of the reply wait's event loop, well before the late reply.
    QTimer::singleShot(0, [&] {
        bus->attach(first, 0x01200000);
        bus->attach(second, 0x01300000);
        bus->detach(0x01400000);
    });
    std::string model, version, versionCmp;
    const AppError result = device.CMD_GetDeviceInfo(model, version, versionCmp);
    EXPECT_EQ(result, AppError::NoError);
    // Arrived during the wait, not delivered yet.
    EXPECT_EQ(rec.plugIn, 0);
    EXPECT_EQ(rec.plugOff, 0);
    EXPECT_EQ(platform::pendingIdleWork(), 2);

    EXPECT_TRUE(emu::waitUntil([&] { return rec.plugIn == 1 && rec.plugOff == 1; }));
    emu::pumpEvents(std::chrono::milliseconds(20));
    EXPECT_EQ(rec.plugIn, 1); // two arrivals, one notice
    EXPECT_EQ(rec.plugOff, 1);
    EXPECT_EQ(rec.transactionsSeen, 0);
    EXPECT_FALSE(rec.offMainThread);
    device.hidClose();

    // Afterwards notices flow at once again.
    ASSERT_TRUE(bus->detach(0x01200000));
    EXPECT_TRUE(emu::waitUntil([&] { return rec.plugOff == 2; }));
}

// A notice held back while the enumerator is destroyed is dropped.
TEST_F(EnumeratorTest, DeferredNoticeOfADestroyedEnumeratorIsDropped)
{
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(bus->attach(keyboard, 0x01100000));
    int calls = 0;
    {
        DeviceEnumerator local;
        local.startPolling();
        local.plugInDeviceCallback = [&] { ++calls; };
        KolventraDevice device;
        ASSERT_EQ(device.hidOpen(0x01100000), AppError::NoError);
        keyboard->inject({.kind = emu::FaultKind::Late, .command = 0x02,
                          .delay = std::chrono::milliseconds(1000)});
        auto other = std::make_shared<emu::EmulatedMouse>();
        QTimer::singleShot(0, [&] { bus->attach(other, 0x01200000); });
        std::string m, v, vc;
        EXPECT_EQ(device.CMD_GetDeviceInfo(m, v, vc), AppError::NoError);
        EXPECT_EQ(platform::pendingIdleWork(), 1);
        device.hidClose();
    }
    EXPECT_EQ(DeviceEnumerator::selfInstance(), nullptr);
    emu::pumpEvents(std::chrono::milliseconds(20));
    EXPECT_EQ(platform::pendingIdleWork(), 0);
    EXPECT_EQ(calls, 0);
}

// A HID layer that cannot notify: polling counts as started and is not
// tried again; listing still works.
TEST_F(EnumeratorTest, FailedNotificationIsNotRetried)
{
    class NoMonitor : public platform::hid::Backend {
    public:
        explicit NoMonitor(std::shared_ptr<emu::VirtualHidBus> bus) : bus_(std::move(bus)) {}
        std::vector<platform::hid::DeviceInfo> enumerate(std::span<const platform::hid::UsagePair> u) override
        {
            return bus_->enumerate(u);
        }
        std::unique_ptr<platform::hid::Device> open(uint32_t l, platform::hid::UsagePair u, bool s,
                                                    platform::hid::Status& st) override
        {
            return bus_->open(l, u, s, st);
        }
        std::unique_ptr<platform::hid::Monitor> startMonitor(std::span<const platform::hid::UsagePair>,
                                                             platform::hid::MonitorCallbacks,
                                                             platform::hid::Status& st) override
        {
            ++attempts;
            st = platform::hid::Status::NotPermitted;
            return nullptr;
        }
        int attempts = 0;

    private:
        std::shared_ptr<emu::VirtualHidBus> bus_;
    };
    auto backend = std::make_shared<NoMonitor>(bus.get());
    platform::hid::setBackend(backend);

    enumerator.startPolling();
    enumerator.startPolling();
    EXPECT_TRUE(enumerator.isPolling);
    EXPECT_FALSE(enumerator.hidManager);
    EXPECT_EQ(backend->attempts, 1);

    ASSERT_EQ(enumerator.enumDeviceProfile(false), AppError::NoError);
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    ASSERT_TRUE(bus->attach(keyboard, 0x01100000));
    EXPECT_EQ(enumerator.GetDevicePathList().size(), 1u);

    // The device the application has open still tells when it goes away.
    PlugRecorder rec;
    rec.attachTo(enumerator);
    HidDevice link;
    ASSERT_EQ(link.hidOpen(0x01100000), AppError::NoError);
    ASSERT_TRUE(bus->detach(0x01100000));
    EXPECT_TRUE(emu::waitUntil([&] { return rec.plugOff == 1; }));
    EXPECT_TRUE(link.hidWasRemoved());
    link.hidClose();
    EXPECT_FALSE(link.hidWasRemoved());
    platform::hid::setBackend(bus.get());
}

// ----- the udev rule -------------------------------------------------------

// One line per vendor/product ID of the shipped models, each tagged
// "uaccess", and no line that matches anything else.
TEST(UdevRule, OneTaggedLinePerShippedModel)
{
    QFile file(QStringLiteral(KOLVENTRA_BINARY_DIR "/udev/70-kolventra.rules"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);

    static const QRegularExpression rule(QStringLiteral(
        "^SUBSYSTEM==\"hidraw\", ATTRS\\{idVendor\\}==\"([0-9a-f]{4})\", "
        "ATTRS\\{idProduct\\}==\"([0-9a-f]{4})\", TAG\\+=\"uaccess\"$"));
    std::multiset<std::pair<int, int>> ids;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QRegularExpressionMatch m = rule.match(line);
        ASSERT_TRUE(m.hasMatch()) << qPrintable(line);
        ids.insert({m.captured(1).toInt(nullptr, 16), m.captured(2).toInt(nullptr, 16)});
    }
    std::multiset<std::pair<int, int>> expected;
    for (const shipped::Model& model : shipped::kModels)
        expected.insert({model.vendorId, model.productId});
    EXPECT_EQ(ids, expected);
}

} // namespace
