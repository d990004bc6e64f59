#include "Platform/Hid/Linux/HidUevent.h"

namespace platform::hid {

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::optional<uint16_t> parseHex16(std::string_view text)
{
    text = trim(text);
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    uint32_t v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = (v << 4) | uint32_t(d);
    }
    if (v > 0xFFFF)
        return std::nullopt;
    return uint16_t(v);
}

std::optional<HidId> parseHidId(std::string_view value)
{
    value = trim(value);
    const size_t a = value.find(':');
    if (a == std::string_view::npos)
        return std::nullopt;
    const size_t b = value.find(':', a + 1);
    if (b == std::string_view::npos || value.find(':', b + 1) != std::string_view::npos)
        return std::nullopt;
    const auto bus = parseHex16(value.substr(0, a));
    const auto vendor = parseHex16(value.substr(a + 1, b - a - 1));
    const auto product = parseHex16(value.substr(b + 1));
    if (!bus || !vendor || !product)
        return std::nullopt;
    return HidId{*bus, *vendor, *product};
}

HidUevent parseHidUevent(std::string_view text)
{
    HidUevent out;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);

        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        if (key == "HID_ID")
            out.id = parseHidId(value);
        else if (key == "HID_NAME")
            out.name = value;
        else if (key == "HID_PHYS")
            out.phys = value;
        else if (key == "HID_UNIQ")
            out.uniq = value;
    }
    return out;
}

} // namespace platform::hid
