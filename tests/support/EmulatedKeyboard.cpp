#include "support/EmulatedKeyboard.h"

namespace emu {

namespace {

std::vector<EmulatedDevice::Interface> keyboardInterfaces()
{
    return {{{0x0001, 0x0006}, 8}, {platform::hid::kVendorUsage, 64}};
}

} // namespace

EmulatedKeyboard::Settings EmulatedKeyboard::Settings::defaults()
{
    Settings s;
    s.apc.fill(1);
    s.apcAll = 1;
    s.lock.fill(0);
    s.indicator.fill(0xFF);
    return s;
}

EmulatedKeyboard::EmulatedKeyboard(const shipped::Model& model)
    : EmulatedDevice(Identity::of(model), keyboardInterfaces())
{
}

EmulatedKeyboard::EmulatedKeyboard(Identity identity, std::vector<Interface> interfaces)
    : EmulatedDevice(std::move(identity), std::move(interfaces))
{
}

bool EmulatedKeyboard::perKeyWrite(const Request& req, std::array<uint8_t, 128>& target, SequenceWriter& seq,
                                   std::vector<Reply>& replies)
{
    const int at = seq.offset(req.flag);
    if (at < 0) {
        replies.push_back(refused());
        return true;
    }
    for (size_t j = 0; j < req.data.size() && at + j < target.size(); ++j)
        target[at + j] = req.data[j];
    lastLedShown_ = seq.ledShown;
    replies.push_back(ok());
    return true;
}

bool EmulatedKeyboard::handleCommand(const Request& req, std::vector<Reply>& replies)
{
    auto& s = live_;
    const bool hasByte = req.length >= 1;
    const uint8_t b = hasByte ? req.data[0] : 0;
    auto switchWrite = [&](uint8_t& field) {
        if (!hasByte || b > 1)
            replies.push_back(refused());
        else {
            field = b;
            replies.push_back(ok());
        }
        return true;
    };

    switch (req.command) {
    case 0x20: // all keys: one level
        if (!hasByte || b > 2) {
            replies.push_back(refused());
        } else {
            s.apcAll = b;
            s.apc.fill(b);
            replies.push_back(ok());
        }
        return true;
    case 0x21: return perKeyWrite(req, s.apc, apcSeq_, replies);
    case 0x22: replies = multiReply(s.apc, {58, 58, 12}); return true;
    case 0x23: replies.push_back(ok({s.apcAll})); return true;

    case 0x42:
        if (!hasByte || b > 2) {
            replies.push_back(refused());
        } else {
            s.brightness = b;
            replies.push_back(ok());
        }
        return true;
    case 0x43: replies.push_back(ok({s.brightness})); return true;
    case 0x44:
        if (req.length != 13 || b != 0x01) {
            replies.push_back(refused());
        } else {
            std::copy(req.data.begin() + 1, req.data.begin() + 13, s.indicator.begin());
            lastLedShown_ = (req.flag & 0x20) == 0;
            replies.push_back(ok());
        }
        return true;
    case 0x45:
        if (!hasByte || b != 0x01)
            replies.push_back(refused());
        else
            replies.push_back(ok({s.indicator.begin(), s.indicator.end()}));
        return true;

    case 0x60: effect_ = 0; replies.push_back(ok()); return true;
    case 0x61: case 0x62: case 0x63: case 0x64: case 0x66: case 0x67: case 0x68: case 0x69:
        effect_ = req.command;
        replies.push_back(ok());
        return true;

    case 0x80: return perKeyWrite(req, s.lock, lockSeq_, replies);
    case 0x81: replies = multiReply(s.lock, {58, 58, 12}); return true;
    case 0x82: return switchWrite(s.lockEnable);
    case 0x83: replies.push_back(ok({s.lockEnable})); return true;
    case 0x84: return switchWrite(s.codeChange);
    case 0x85: replies.push_back(ok({s.codeChange})); return true;
    default: return false;
    }
}

} // namespace emu
