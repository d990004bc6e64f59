#include "support/EmulatedMouse.h"

namespace emu {

namespace {

std::vector<EmulatedDevice::Interface> mouseInterfaces()
{
    return {{{0x0001, 0x0002}, 8}, {platform::hid::kVendorUsage, 64}};
}

} // namespace

EmulatedMouse::Record EmulatedMouse::defaults()
{
    return Record{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, // buttons 1..6
                  0, 2, 0, 0,                         // white, level 3, indicator and logo on
                  0, 3, 0, 7, 0, 15, 0, 31,           // 400, 800, 1600, 3200 dpi, all enabled
                  1,                                  // setting 2 selected
                  2,                                  // 2 mm
                  1,                                  // 1 kHz
                  0, 0, 0, 0, 0, 0, 0, 0};            // no custom keys
}

EmulatedMouse::EmulatedMouse(const shipped::Model& model, Layout layout)
    : EmulatedDevice(Identity::of(model), mouseInterfaces()), layout_(layout)
{
}

EmulatedMouse::EmulatedMouse(Identity identity, std::vector<Interface> interfaces, Layout layout)
    : EmulatedDevice(std::move(identity), std::move(interfaces)), layout_(layout)
{
}

bool EmulatedMouse::validFunction(uint8_t code)
{
    return code <= 0x0B || (code >= 0x11 && code <= 0x17) || (code >= 0x21 && code <= 0x2C) ||
           (code >= 0x31 && code <= 0x3B);
}

bool EmulatedMouse::handleCommand(const Request& req, std::vector<Reply>& replies)
{
    auto& r = live_;
    auto arg = [&](size_t i) { return i < req.data.size() ? req.data[i] : uint8_t(0xFF); };
    auto need = [&](size_t n) { return req.length >= n; };
    auto answer = [&](bool good) {
        replies.push_back(good ? ok() : refused());
        return true;
    };

    switch (req.command) {
    case 0x05: {
        std::vector<uint8_t> data(r.begin(), r.end());
        if (layout_ == Layout::Older)
            std::fill(data.begin() + 21, data.end(), 0);
        Reply rep = ok(std::move(data));
        rep.length = 21;
        replies.push_back(std::move(rep));
        return true;
    }
    case 0x10:
        if (!need(1) || arg(0) > 1)
            return answer(false);
        swap_ = arg(0);
        r[kButtons] = swap_ ? 0x02 : 0x01;
        r[kButtons + 1] = swap_ ? 0x01 : 0x02;
        return answer(true);
    case 0x11:
        if (!need(2) || arg(0) > 5 || !validFunction(arg(1)))
            return answer(false);
        r[kButtons + arg(0)] = arg(1);
        return answer(true);
    case 0x12:
        if (layout_ == Layout::Older || !need(3) || arg(0) < 2 || arg(0) > 5)
            return answer(false);
        r[kCustomKeys + 2 * (arg(0) - 2)] = arg(1);
        r[kCustomKeys + 2 * (arg(0) - 2) + 1] = arg(2);
        return answer(true);
    case 0x30:
        if (!need(4) || arg(0) > 7 || arg(1) > 2 || arg(2) > 1 || arg(3) > 1)
            return answer(false);
        r[kColor] = arg(0);
        r[kLuminance] = arg(1);
        r[kIndicator] = arg(2);
        r[kLogo] = arg(3);
        return answer(true);
    case 0x50:
        if (!need(3) || arg(0) > 3 || arg(1) > 1 || arg(2) > 119 || refusedDpi_.count(arg(0)))
            return answer(false);
        r[kDpi + 2 * arg(0)] = arg(1);
        r[kDpi + 2 * arg(0) + 1] = arg(2);
        r[kDpiSelected] = arg(0);
        return answer(true);
    case 0x51:
        if (!need(1) || (arg(0) != 2 && arg(0) != 3))
            return answer(false);
        r[kLiftOff] = arg(0);
        return answer(true);
    default: return false;
    }
}

} // namespace emu
