#pragma once
// What the "uevent" text of a HID device in sysfs says about it, e.g.
//   DRIVER=hid-generic
//   HID_ID=0003:0000046D:0000C52B
//   HID_NAME=Maker Keyboard
//   HID_PHYS=usb-0000:00:14.0-1.4/input1
//   HID_UNIQ=
//   MODALIAS=hid:b0003g0001v0000046Dp0000C52B

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform::hid {

struct HidId {
    uint16_t bus = 0; // BUS_USB 3, BUS_BLUETOOTH 5, BUS_VIRTUAL 6, ...
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    friend bool operator==(const HidId&, const HidId&) = default;
};

struct HidUevent {
    std::optional<HidId> id; // absent when HID_ID is missing or malformed
    std::string name;
    std::string phys;
    std::string uniq;
};

// Parses the value of HID_ID: three hexadecimal fields separated by ':'
// (bus, vendor, product); each must fit 16 bits.
std::optional<HidId> parseHidId(std::string_view value);

// Parses a whole uevent text; unknown keys are ignored.
HidUevent parseHidUevent(std::string_view text);

// A hexadecimal number of 1 to 8 digits (sysfs "idVendor" style), if it fits
// 16 bits.
std::optional<uint16_t> parseHex16(std::string_view text);

} // namespace platform::hid
