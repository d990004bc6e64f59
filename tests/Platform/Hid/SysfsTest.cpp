// The parts of the hidraw backend that read sysfs facts: location IDs, the
// HID uevent text, and the description of a node built from them.
#include "Platform/Hid/Linux/HidUevent.h"
#include "Platform/Hid/Linux/HidrawNode.h"
#include "Platform/Hid/Linux/UsbLocation.h"

#include <gtest/gtest.h>

#include <set>

using namespace platform::hid;

namespace {

TEST(UsbLocation, TopologyLayout)
{
    struct C {
        const char* bus;
        const char* devpath;
        std::optional<uint32_t> want;
    };
    const C cases[] = {
        {"3", "1.4.2", 0x03142000},
        {"1", "1", 0x01100000},
        {"3", "1.10", 0x031A0000},
        {"1", "15", 0x01F00000},
        {"2", "1.2.3.4.5.6", 0x02123456},
        {"253", "15.15.15.15.15.15", 0xFDFFFFFF},
        {"3\n", "1.4.2\n", 0x03142000}, // raw sysfs text with its line feed
        {"2", "1.2.3.4.5.6.7", std::nullopt}, // deeper than 6 levels
        {"1", "16", std::nullopt},            // port above 15
        {"1", "2.16", std::nullopt},
        {"0", "1", std::nullopt},   // no bus 0
        {"254", "1", std::nullopt}, // tops 0xFE/0xFF belong to the fallback
        {"255", "15.15.15.15.15.15", std::nullopt},
        {"1", "0", std::nullopt}, // a root hub, no port
        {"1", "1.0", std::nullopt},
        {"1", "", std::nullopt},
        {"", "1", std::nullopt},
        {"1", "1..2", std::nullopt},
        {"1", "1.", std::nullopt},
        {"1", ".1", std::nullopt},
        {"x", "1", std::nullopt},
        {"1", "1.a", std::nullopt},
        {"-1", "1", std::nullopt},
        {"99999999999", "1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.bus) + " / " + c.devpath);
        EXPECT_EQ(topologyLocation(c.bus, c.devpath), c.want);
    }
}

TEST(UsbLocation, DistinctPortsGiveDistinctLocations)
{
    // Every port path up to three levels deep on two buses.
    std::set<uint32_t> seen;
    size_t count = 0;
    for (int bus = 1; bus <= 2; ++bus)
        for (int a = 1; a <= 15; ++a)
            for (int b = 0; b <= 15; ++b)
                for (int c = 0; c <= 15; ++c) {
                    if (b == 0 && c != 0)
                        continue;
                    std::string path = std::to_string(a);
                    if (b)
                        path += "." + std::to_string(b);
                    if (c)
                        path += "." + std::to_string(c);
                    const auto loc = topologyLocation(std::to_string(bus), path);
                    ASSERT_TRUE(loc) << path;
                    EXPECT_NE(*loc, 0u);
                    seen.insert(*loc);
                    ++count;
                }
    EXPECT_EQ(seen.size(), count);
}

TEST(UsbLocation, FallbackIsStableNeverZeroOrAllOnes)
{
    EXPECT_EQ(fallbackLocation("/sys/devices/x"), fallbackLocation("/sys/devices/x"));
    EXPECT_NE(fallbackLocation("/sys/devices/x"), fallbackLocation("/sys/devices/y"));
    for (int i = 0; i < 5000; ++i) {
        const uint32_t loc = fallbackLocation("key " + std::to_string(i));
        EXPECT_EQ(loc & 0xFF000000u, kFallbackLocationTag);
        EXPECT_NE(loc, 0u);
        EXPECT_NE(loc, 0xFFFFFFFFu);
    }
    EXPECT_EQ(fallbackLocation("") & 0xFF000000u, kFallbackLocationTag);
}

TEST(UsbLocation, DeviceLocationPrefersTopology)
{
    EXPECT_EQ(deviceLocation("3", "1.4.2", "key"), 0x03142000u);
    EXPECT_EQ(deviceLocation("3", "1.4.2.1.1.1.1", "key"), fallbackLocation("key"));
    EXPECT_EQ(deviceLocation("", "", "key"), fallbackLocation("key"));
}

TEST(UsbLocation, SplitSysname)
{
    const auto s = splitUsbSysname("3-1.4.2");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->busnum, "3");
    EXPECT_EQ(s->devpath, "1.4.2");
    for (const char* bad : {"usb3", "3-1.4.2:1.0", "3-", "-1", "x-1", "3-1.a", ""})
        EXPECT_FALSE(splitUsbSysname(bad)) << bad;
}

TEST(HidUevent, ParsesTheKernelText)
{
    const auto u = parseHidUevent("DRIVER=hid-generic\n"
                                  "HID_ID=0003:0000046D:0000C52B\n"
                                  "HID_NAME=Maker Keyboard\n"
                                  "HID_PHYS=usb-0000:00:14.0-1.4/input1\n"
                                  "HID_UNIQ=\n"
                                  "MODALIAS=hid:b0003g0001v0000046Dp0000C52B\n");
    ASSERT_TRUE(u.id);
    EXPECT_EQ(*u.id, (HidId{3, 0x046D, 0xC52B}));
    EXPECT_EQ(u.name, "Maker Keyboard");
    EXPECT_EQ(u.phys, "usb-0000:00:14.0-1.4/input1");
    EXPECT_EQ(u.uniq, "");

    EXPECT_FALSE(parseHidUevent("DRIVER=hid-generic\nHID_NAME=x\n").id);
    EXPECT_FALSE(parseHidUevent("").id);
    EXPECT_TRUE(parseHidUevent("HID_ID=0005:0000abcd:00000001").id); // last line without \n
}

TEST(HidUevent, HidIdValues)
{
    struct C {
        const char* text;
        std::optional<HidId> want;
    };
    const C cases[] = {
        {"0003:0000046D:0000C52B", HidId{3, 0x046D, 0xC52B}},
        {"0003:0000abcd:0000ef01", HidId{3, 0xABCD, 0xEF01}},
        {"0006:00001234:00005678", HidId{6, 0x1234, 0x5678}},
        {"0003:0000046D", std::nullopt},
        {"0003:0000046D:0000C52B:1", std::nullopt},
        {"0003:00010000:00000001", std::nullopt}, // vendor wider than 16 bits
        {"0003:100000000:00000001", std::nullopt}, // more than 8 digits
        {"zz03:0000046D:0000C52B", std::nullopt},
        {"0003::0000C52B", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseHidId(c.text), c.want) << c.text;
}

// A vendor-page descriptor with 64-byte reports.
const std::vector<uint8_t> kVendorDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
                                                0x75, 0x08, 0x95, 0x40, 0x81, 0x02, 0x95,
                                                0x40, 0x91, 0x02, 0xC0};

SysfsNodeFacts usbFacts()
{
    SysfsNodeFacts f;
    f.syspath = "/sys/devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1.4/3-1.4.2/3-1.4.2:1.1/"
                "0003:1234:5678.000A/hidraw/hidraw3";
    f.devnode = "/dev/hidraw3";
    f.hidSyspath = "/sys/devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1.4/3-1.4.2/3-1.4.2:1.1/"
                   "0003:1234:5678.000A";
    f.hidUevent = "HID_ID=0003:00001234:00005678\nHID_NAME=Keyboard\n";
    f.reportDescriptor = kVendorDescriptor;
    f.hasUsb = true;
    f.usbSyspath = "/sys/devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1.4/3-1.4.2";
    f.usbSysname = "3-1.4.2";
    f.usbBusnum = "3";
    f.usbDevpath = "1.4.2";
    f.usbIdVendor = "abcd";
    f.usbIdProduct = "ef01";
    return f;
}

TEST(HidrawNode, UsbDevice)
{
    const auto node = describeHidrawNode(usbFacts());
    EXPECT_EQ(node.devnode, "/dev/hidraw3");
    EXPECT_EQ(node.info.id, usbFacts().syspath);
    EXPECT_EQ(node.info.vendorId, 0x1234); // HID_ID wins over the USB attributes
    EXPECT_EQ(node.info.productId, 0x5678);
    EXPECT_EQ(node.info.location, 0x03142000u);
    EXPECT_EQ(node.info.usages, (std::vector<UsagePair>{kVendorUsage}));
    EXPECT_EQ(node.info.maxInputReportSize, 64);
    EXPECT_FALSE(node.numberedReports);
}

TEST(HidrawNode, FallbacksForMissingFacts)
{
    auto f = usbFacts();
    f.hidUevent = "HID_NAME=Keyboard\n";
    f.usbBusnum.clear();
    f.usbDevpath.clear();
    auto node = describeHidrawNode(f);
    EXPECT_EQ(node.info.vendorId, 0xABCD); // from idVendor/idProduct
    EXPECT_EQ(node.info.productId, 0xEF01);
    EXPECT_EQ(node.info.location, 0x03142000u); // from the sysfs name

    // A port path the layout cannot hold: the same fallback for every
    // interface of that device and every time it comes back on that port.
    f = usbFacts();
    f.usbDevpath = "1.4.2.1.1.1.1";
    f.usbSysname = "3-1.4.2.1.1.1.1";
    node = describeHidrawNode(f);
    auto again = f;
    again.hidSyspath += "-other-instance";
    EXPECT_EQ(node.info.location & 0xFF000000u, kFallbackLocationTag);
    EXPECT_EQ(describeHidrawNode(again).info.location, node.info.location);

    // An unreadable descriptor: listed without usages.
    f = usbFacts();
    f.reportDescriptor.clear();
    node = describeHidrawNode(f);
    EXPECT_TRUE(node.info.usages.empty());
    EXPECT_EQ(node.info.maxInputReportSize, 0);
}

TEST(HidrawNode, WithoutUsbTheHidIdentityKeepsTheLocation)
{
    SysfsNodeFacts f;
    f.syspath = "/sys/devices/virtual/misc/uhid/0005:1234:5678.0003/hidraw/hidraw5";
    f.devnode = "/dev/hidraw5";
    f.hidSyspath = "/sys/devices/virtual/misc/uhid/0005:1234:5678.0003";
    f.hidUevent = "HID_ID=0005:00001234:00005678\nHID_PHYS=aa:bb:cc:dd:ee:ff\n"
                  "HID_UNIQ=11:22:33:44:55:66\n";
    f.reportDescriptor = kVendorDescriptor;
    const auto first = describeHidrawNode(f);

    // Reconnected: new instance number, same identity.
    auto back = f;
    back.syspath = "/sys/devices/virtual/misc/uhid/0005:1234:5678.0004/hidraw/hidraw6";
    back.hidSyspath = "/sys/devices/virtual/misc/uhid/0005:1234:5678.0004";
    EXPECT_EQ(describeHidrawNode(back).info.location, first.info.location);
    EXPECT_EQ(first.info.location & 0xFF000000u, kFallbackLocationTag);

    // Another device of the same kind elsewhere.
    auto other = f;
    other.hidUevent = "HID_ID=0005:00001234:00005678\nHID_UNIQ=11:22:33:44:55:67\n";
    EXPECT_NE(describeHidrawNode(other).info.location, first.info.location);

    // Nothing stable to go by: the HID device's path tells two apart.
    auto bare = f;
    bare.hidUevent = "HID_ID=0006:00001234:00005678\n";
    auto bare2 = bare;
    bare2.hidSyspath += "x";
    EXPECT_NE(describeHidrawNode(bare).info.location, describeHidrawNode(bare2).info.location);
}

TEST(HidrawNode, NumberedReportsAndUsageFilter)
{
    auto f = usbFacts();
    f.reportDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x05,
                          0x75, 0x08, 0x95, 0x10, 0x81, 0x02, 0xC0};
    const auto node = describeHidrawNode(f);
    EXPECT_TRUE(node.numberedReports);
    EXPECT_EQ(node.info.maxInputReportSize, 16);

    const UsagePair want1[] = {kVendorUsage};
    const UsagePair want12[] = {kVendorUsage, {0xFF00, 2}};
    EXPECT_FALSE(matchesAny(node.info, want1));
    EXPECT_TRUE(matchesAny(node.info, want12));
    EXPECT_TRUE(matchesAny(node.info, {}));
}

} // namespace
