#include "AppParam.h"
#include "Platform/Hid/HidBackend.h"
#include "Utility/AppUtil.h"
#include "support/RecordingMainController.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using platform::hid::DeviceInfo;
using platform::hid::UsagePair;

// A HID backend that only lists a fixed set of interfaces.
class ListingBackend : public platform::hid::Backend {
public:
    std::vector<DeviceInfo> devices;

    std::vector<DeviceInfo> enumerate(std::span<const UsagePair> usages) override
    {
        std::vector<DeviceInfo> out;
        for (const auto& d : devices) {
            if (platform::hid::matchesAny(d, usages))
                out.push_back(d);
        }
        return out;
    }
    std::unique_ptr<platform::hid::Device> open(uint32_t, UsagePair, bool,
                                                platform::hid::Status& status) override
    {
        status = platform::hid::Status::NoDevice;
        return nullptr;
    }
    std::unique_ptr<platform::hid::Monitor> startMonitor(std::span<const UsagePair>,
                                                         platform::hid::MonitorCallbacks,
                                                         platform::hid::Status& status) override
    {
        status = platform::hid::Status::Error;
        return nullptr;
    }
};

DeviceInfo device(uint32_t location, std::vector<UsagePair> usages)
{
    DeviceInfo d;
    d.location = location;
    d.usages = std::move(usages);
    return d;
}

void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

} // namespace

TEST(AppUtil, MessageBoxGoesThroughTheMainController)
{
    RecordingMainController controller;
    controller.messageBoxReply = 0;
    EXPECT_EQ(AppUtil::messageBox("CheckMouseSettingsSave", "Yes", "No"), 0);
    controller.messageBoxReply = 1;
    EXPECT_EQ(AppUtil::messageBox("CanNotWriteToThisFolder", "OK", ""), 1);
    ASSERT_EQ(controller.messageBoxes.size(), 2u);
    EXPECT_EQ(controller.messageBoxes[0].messageKey, "CheckMouseSettingsSave");
    EXPECT_EQ(controller.messageBoxes[0].okKey, "Yes");
    EXPECT_EQ(controller.messageBoxes[0].cancelKey, "No");
    EXPECT_EQ(controller.messageBoxes[1].cancelKey, "");
}

TEST(AppUtil, MessageBoxWithoutMainControllerShowsNothingAndAnswersCancel)
{
    ASSERT_EQ(AppParam::mainController, nullptr);
    EXPECT_EQ(AppUtil::messageBox("OK", "OK", ""), 0);
}

TEST(AppUtil, RecordingControllerRegistersForItsLifetime)
{
    {
        RecordingMainController outer;
        {
            RecordingMainController inner;
            EXPECT_EQ(AppParam::mainController, &inner);
        }
        EXPECT_EQ(AppParam::mainController, &outer);
    }
    EXPECT_EQ(AppParam::mainController, nullptr);
}

TEST(AppUtil, MessageBoxPosition)
{
    // Centred horizontally, top edge 80 points below the main window's top.
    EXPECT_EQ(AppUtil::messageBoxPosition(QRectF(100, 50, 800, 600), QSizeF(400, 200)),
              QPointF(300, 130));
    EXPECT_EQ(AppUtil::messageBoxPosition(QRectF(0, 0, 300, 300), QSizeF(401, 10)),
              QPointF(-50.5, 80));
}

TEST(AppUtil, IsConnectedDeviceNeedsTheVendorInterfaceAtThatLocation)
{
    auto backend = std::make_shared<ListingBackend>();
    backend->devices = {
        device(0x01100000, {platform::hid::kVendorUsage}),
        device(0x01200000, {{0x0001, 0x0006}}),          // a plain keyboard interface
        device(0x01300000, {{0xFF00, 0x0002}}),          // vendor page, other usage
        device(0x81400000, {{0x0001, 0x0002}, platform::hid::kVendorUsage}),
    };
    platform::hid::setBackend(backend);
    struct Row {
        int32_t location;
        bool want;
    };
    const Row rows[] = {
        {0x01100000, true},
        {0x01200000, false},
        {0x01300000, false},
        {static_cast<int32_t>(0x81400000u), true}, // negative as a signed location
        {0x01500000, false},
        {0, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AppUtil::isConnectedDevice(row.location), row.want) << std::hex << row.location;
    platform::hid::setBackend(nullptr);
}

TEST(AppUtil, ApplicationProfilePathsListKeyboardsBeforeMice)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("Profile"));
    const QString profile = dir.path() + "/Profile/";
    AppUtil::setResourceDataFolder(dir.path());
    EXPECT_EQ(AppUtil::resourceProfileFolder(), profile);

    EXPECT_TRUE(AppUtil::getApplicationProfilePaths().isEmpty());

    for (const char* name : {"b.key", "a.key", "Application.def", "c.KEY", "x.key.bak"})
        touch(profile + name);
    EXPECT_EQ(AppUtil::getApplicationProfilePaths(),
              QStringList({profile + "a.key", profile + "b.key"}));

    for (const char* name : {"z.mou", "m.mou"})
        touch(profile + name);
    ASSERT_TRUE(QDir(profile).mkdir("folder.key"));
    EXPECT_EQ(AppUtil::getApplicationProfilePaths(),
              QStringList({profile + "a.key", profile + "b.key", profile + "m.mou",
                           profile + "z.mou"}));

    AppUtil::setResourceDataFolder(QString());
    EXPECT_NE(AppUtil::resourceDataFolder(), dir.path() + "/");
}

TEST(AppUtil, FoldersEndInSlash)
{
    EXPECT_TRUE(AppUtil::appWorkFolder().endsWith("/Nembo/KOLVENTRA/"));
    EXPECT_TRUE(AppUtil::documentsFolder().endsWith("/"));
    EXPECT_TRUE(AppUtil::resourceDataFolder().endsWith("/"));
    EXPECT_TRUE(AppUtil::resourceProfileFolder().endsWith("/Profile/"));

    AppUtil::setAppWorkFolderForTesting("/tmp/somewhere");
    EXPECT_EQ(AppUtil::appWorkFolder(), "/tmp/somewhere/");
    AppUtil::setAppWorkFolderForTesting(QString());
    EXPECT_TRUE(AppUtil::appWorkFolder().endsWith("/Nembo/KOLVENTRA/"));
}

TEST(AppUtil, ImageSizeBecomesItsPixelSize)
{
    QImage image(40, 20, QImage::Format_ARGB32);
    image.setDevicePixelRatio(2.0);
    image.setDotsPerMeterX(5669); // 144 dpi
    image.setDotsPerMeterY(5669);
    AppUtil::convertImageSizeToDpi72(image);
    EXPECT_EQ(image.deviceIndependentSize(), QSizeF(40, 20));
    EXPECT_EQ(image.dotsPerMeterX(), 2835);
    EXPECT_EQ(image.dotsPerMeterY(), 2835);

    QImage empty;
    AppUtil::convertImageSizeToDpi72(empty);
    EXPECT_TRUE(empty.isNull());
}

TEST(AppUtil, DarkPalette)
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(30, 30, 30));
    QPalette light;
    light.setColor(QPalette::Window, QColor(240, 240, 240));
    EXPECT_TRUE(AppUtil::isDarkPalette(dark));
    EXPECT_FALSE(AppUtil::isDarkPalette(light));
}

// Only 0-9, a-f and A-F are digits; the characters next to each range and
// non-ASCII digits are not.
TEST(AppUtil, HexDigitValue)
{
    const struct {
        char16_t c;
        int value;
    } rows[] = {
        {u'0', 0},  {u'9', 9},  {u'a', 10}, {u'f', 15}, {u'A', 10}, {u'F', 15},
        {u'/', -1}, {u':', -1}, {u'`', -1}, {u'g', -1}, {u'@', -1}, {u'G', -1},
        {u' ', -1}, {u'\0', -1}, {u'\uFF10', -1}, {u'\u0661', -1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AppUtil::hexDigitValue(QChar(row.c)), row.value) << int(row.c);
}
