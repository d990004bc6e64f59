#include "Platform/Hid/Linux/UsbLocation.h"

namespace platform::hid {

namespace {

constexpr int kMaxDepth = 6;
constexpr uint32_t kMaxPort = 15;
constexpr uint32_t kMaxBus = 0xFD; // 0xFE and 0xFF tops are kept for the fallback

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

// A decimal number of at most 9 digits (so it cannot overflow).
std::optional<uint32_t> decimal(std::string_view s)
{
    if (s.empty() || s.size() > 9)
        return std::nullopt;
    uint32_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + uint32_t(c - '0');
    }
    return v;
}

} // namespace

std::optional<uint32_t> topologyLocation(std::string_view busnum, std::string_view devpath)
{
    const auto bus = decimal(trim(busnum));
    if (!bus || *bus == 0 || *bus > kMaxBus)
        return std::nullopt;

    devpath = trim(devpath);
    if (devpath.empty())
        return std::nullopt;

    uint32_t location = *bus << 24;
    int level = 0;
    while (true) {
        const size_t dot = devpath.find('.');
        const auto port = decimal(devpath.substr(0, dot));
        if (!port || *port == 0 || *port > kMaxPort || level == kMaxDepth)
            return std::nullopt;
        location |= *port << (20 - 4 * level);
        ++level;
        if (dot == std::string_view::npos)
            break;
        devpath.remove_prefix(dot + 1);
    }
    return location;
}

uint32_t fallbackLocation(std::string_view key)
{
    // FNV-1a, folded to 24 bits.
    uint32_t h = 2166136261u;
    for (unsigned char c : key) {
        h ^= c;
        h *= 16777619u;
    }
    return kFallbackLocationTag | ((h >> 24) ^ (h & 0xFFFFFF));
}

uint32_t deviceLocation(std::string_view busnum, std::string_view devpath,
                        std::string_view fallbackKey)
{
    if (const auto loc = topologyLocation(busnum, devpath))
        return *loc;
    return fallbackLocation(fallbackKey);
}

std::optional<UsbSysname> splitUsbSysname(std::string_view sysname)
{
    const size_t dash = sysname.find('-');
    if (dash == std::string_view::npos || sysname.find(':') != std::string_view::npos)
        return std::nullopt;
    UsbSysname out{sysname.substr(0, dash), sysname.substr(dash + 1)};
    if (!decimal(out.busnum) || out.devpath.empty()
        || out.devpath.find_first_not_of("0123456789.") != std::string_view::npos)
        return std::nullopt;
    return out;
}

} // namespace platform::hid
