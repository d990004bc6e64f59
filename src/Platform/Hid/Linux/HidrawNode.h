#pragma once
// What the backend knows about one hidraw node, built from facts read out of
// sysfs. Kept free of libudev so that it can be checked without devices.

#include "Platform/Hid/HidBackend.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace platform::hid {

// Raw facts about a hidraw node and the devices above it.
struct SysfsNodeFacts {
    std::string syspath;  // the hidraw node's sysfs path
    std::string devnode;  // "/dev/hidraw3"
    std::string hidSyspath;
    std::string hidUevent;                 // text of the HID device's "uevent"
    std::vector<uint8_t> reportDescriptor; // its "report_descriptor"

    bool hasUsb = false; // a USB device is above the node
    std::string usbSyspath;
    std::string usbSysname; // "3-1.4.2"
    std::string usbBusnum;  // attributes "busnum", "devpath", "idVendor", "idProduct"
    std::string usbDevpath;
    std::string usbIdVendor;
    std::string usbIdProduct;
};

struct HidrawNode {
    DeviceInfo info;
    std::string devnode;
    bool numberedReports = false; // input reports start with a report ID byte
};

// Vendor and product from HID_ID, else from the USB device; usages and the
// largest input report from the descriptor; the location from the USB port
// path, else a fallback from a key that stays the same across reconnection
// where there is one (the USB device's sysfs path, or the HID identity with
// its physical path and unique ID), else the HID device's sysfs path.
HidrawNode describeHidrawNode(const SysfsNodeFacts& facts);

} // namespace platform::hid
