#include "Platform/Hid/Linux/HidrawNode.h"

#include "Platform/Hid/Linux/HidUevent.h"
#include "Platform/Hid/Linux/ReportDescriptor.h"
#include "Platform/Hid/Linux/UsbLocation.h"

namespace platform::hid {

HidrawNode describeHidrawNode(const SysfsNodeFacts& facts)
{
    HidrawNode node;
    node.devnode = facts.devnode;
    node.info.id = facts.syspath;

    const HidUevent uevent = parseHidUevent(facts.hidUevent);
    if (uevent.id) {
        node.info.vendorId = uevent.id->vendorId;
        node.info.productId = uevent.id->productId;
    } else if (facts.hasUsb) {
        node.info.vendorId = parseHex16(facts.usbIdVendor).value_or(0);
        node.info.productId = parseHex16(facts.usbIdProduct).value_or(0);
    }

    const ReportDescriptorInfo desc = parseReportDescriptor(facts.reportDescriptor);
    node.info.usages = desc.usages;
    node.info.maxInputReportSize = desc.maxInputReportSize;
    node.numberedReports = desc.usesReportIds;

    std::string key;
    std::string_view busnum, devpath;
    if (facts.hasUsb) {
        busnum = facts.usbBusnum;
        devpath = facts.usbDevpath;
        if (busnum.empty() || devpath.empty()) {
            if (const auto split = splitUsbSysname(facts.usbSysname)) {
                busnum = split->busnum;
                devpath = split->devpath;
            }
        }
        key = facts.usbSyspath;
    } else if (uevent.id && (!uevent.phys.empty() || !uevent.uniq.empty())) {
        key = "HID " + std::to_string(uevent.id->bus) + ":" + std::to_string(uevent.id->vendorId)
            + ":" + std::to_string(uevent.id->productId) + " " + uevent.phys + " " + uevent.uniq;
    }
    if (key.empty())
        key = facts.hidSyspath.empty() ? facts.syspath : facts.hidSyspath;
    node.info.location = deviceLocation(busnum, devpath, key);
    return node;
}

} // namespace platform::hid
