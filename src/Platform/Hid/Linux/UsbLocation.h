#pragma once
// The location ID of an attached device: one 32-bit number that names the
// USB port the device is plugged into, so it stays the same when the device
// is unplugged and plugged into the same port again (also when it comes back
// under another identity, e.g. in its firmware updater mode).
//
// Layout: bus number in the top byte, then one nibble per hub port counted
// from the root hub:  bus << 24 | port1 << 20 | port2 << 16 | ... (6 levels).
// Bus 3, ports 1.4.2 give 0x03142000.
//
// Where the topology does not fit that layout (a port above 15, more than 6
// levels, a bus number outside 1..0xFD) or there is no USB device at all
// (Bluetooth, virtual devices), the location is 0xFE000000 | a 24-bit hash
// of a stable key. A location is never 0 and never 0xFFFFFFFF.

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform::hid {

inline constexpr uint32_t kFallbackLocationTag = 0xFE000000u;

// The topology layout of bus number and port path ("1.4.2", the USB device's
// `devpath` attribute); nothing when it does not fit the layout or the texts
// are not numbers.
std::optional<uint32_t> topologyLocation(std::string_view busnum, std::string_view devpath);

// Location from a stable key, used when there is no topology location.
uint32_t fallbackLocation(std::string_view key);

// The location of a device: its topology location when there is one, else
// the fallback of `fallbackKey`.
uint32_t deviceLocation(std::string_view busnum, std::string_view devpath,
                        std::string_view fallbackKey);

// Splits a USB device's sysfs name ("3-1.4.2") into bus number and port
// path ("3", "1.4.2"); nothing for names of other forms (root hubs "usb3",
// interfaces "3-1.4.2:1.0").
struct UsbSysname {
    std::string_view busnum;
    std::string_view devpath;
};
std::optional<UsbSysname> splitUsbSysname(std::string_view sysname);

} // namespace platform::hid
