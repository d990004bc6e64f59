#include "Device/KolventraKeyboard.h"

#include <algorithm>
#include <cmath>

namespace {

// Fits `value` into one packet byte, or tells it does not.
bool toByte(long long value, uint8_t& out)
{
    if (value < 0 || value > 0xFF)
        return false;
    out = uint8_t(value);
    return true;
}


double channelFromByte(uint8_t b) { return b == 0xFF ? 1.0 : 0.0; }

} // namespace

// --- Device bytes -------------------------------------------------------------

uint8_t KolventraKeyboard::apcByte(ApcLevel level)
{
    switch (level) {
    case ApcLevel::Low: return 0x02;
    case ApcLevel::Middle: return 0x01;
    case ApcLevel::High: return 0x00;
    case ApcLevel::None: break;
    }
    return 0x00;
}

ApcLevel KolventraKeyboard::apcFromKeyByte(uint8_t b)
{
    switch (b) {
    case 0x00: return ApcLevel::High;
    case 0x01: return ApcLevel::Middle;
    default: return ApcLevel::Low; // 0x02 and every byte above it
    }
}

ApcLevel KolventraKeyboard::apcFromAllKeyByte(uint8_t b)
{
    switch (b) {
    case 0x00: return ApcLevel::High;
    case 0x01: return ApcLevel::Middle;
    case 0x02: return ApcLevel::Low;
    default: return ApcLevel::None;
    }
}

// --- Shared steps ---------------------------------------------------------------

AppError KolventraKeyboard::exchange(const Bytes& packet, int replyLength, std::vector<Bytes>& replies)
{
    replies.clear();
    return KolventraIoControl("KolventraKeyboard", &packet, replies, {replyLength});
}

AppError KolventraKeyboard::setByte(uint8_t command, uint8_t value, uint8_t flags)
{
    Bytes packet = makePacket(command, flags, 1);
    packet[SDO_DAT_1] = value;
    std::vector<Bytes> replies;
    return exchange(packet, 0, replies);
}

AppError KolventraKeyboard::getByte(uint8_t command, uint8_t& value)
{
    const Bytes packet = makePacket(command);
    std::vector<Bytes> replies;
    const AppError r = exchange(packet, 1, replies);
    if (r != AppError::NoError)
        return r;
    if (replies.empty() || replies[0].size() <= size_t(RDO_DAT))
        return AppError::RecvBadLengthStore;
    value = replies[0][RDO_DAT];
    return AppError::NoError;
}

AppError KolventraKeyboard::writePerKey(uint8_t command, const uint8_t (&bytes)[kKeyCount],
                                        bool ledReflection)
{
    constexpr size_t packets = (kKeyCount + kWriteChunk - 1) / kWriteChunk; // 3
    const uint8_t ledBit = ledReflection ? SRF_LED_REFLECT : SRF_LED_NOT_INDICATE;

    // One buffer for the whole command: a shorter last packet keeps the bytes
    // of the previous packet after its own data, as the device has always
    // received them.
    Bytes packet = makePacket(command);
    for (size_t k = 0; k < packets; ++k) {
        const size_t first = k * kWriteChunk;
        const size_t count = std::min(kWriteChunk, kKeyCount - first);
        packet[SDO_FLG] = uint8_t(sequenceFlag(k, packets) | ledBit);
        packet[SDO_LEN] = uint8_t(count);
        std::copy_n(bytes + first, count, packet.begin() + SDO_DAT_1);
        std::vector<Bytes> replies;
        const AppError r = exchange(packet, 0, replies);
        if (r != AppError::NoError)
            return r; // later packets are not sent
    }
    return AppError::NoError;
}

AppError KolventraKeyboard::readPerKey(uint8_t command, uint8_t (&bytes)[kKeyCount])
{
    constexpr size_t replyCount = (kKeyCount + kReadChunk - 1) / kReadChunk; // 3
    std::vector<int> lengths;
    for (size_t k = 0; k < replyCount; ++k)
        lengths.push_back(int(std::min(kReadChunk, kKeyCount - k * kReadChunk))); // 58, 58, 12

    const Bytes packet = makePacket(command);
    std::vector<Bytes> replies;
    const AppError r = KolventraIoControl("KolventraKeyboard", &packet, replies, lengths);
    if (r != AppError::NoError)
        return r;
    if (replies.size() < replyCount)
        return AppError::RecvBadLengthStore;
    for (size_t k = 0; k < replyCount; ++k)
        if (replies[k].size() < size_t(RDO_DAT) + size_t(lengths[k]))
            return AppError::RecvBadLengthStore;

    for (size_t i = 0; i < kKeyCount; ++i)
        bytes[i] = replies[i / kReadChunk][RDO_DAT + i % kReadChunk];
    return AppError::NoError;
}

// --- Brightness, indicator LEDs, effects --------------------------------------

AppError KolventraKeyboard::CMD_SetBright(int bright)
{
    uint8_t value = 0;
    if (!toByte(bright, value))
        return AppError::BadParam;
    if (!hidIsOpened())
        return AppError::NoError;
    return setByte(CMDC_SETBRIGHT, value);
}

AppError KolventraKeyboard::CMD_GetBright(int& bright)
{
    if (!hidIsOpened())
        return AppError::NoError; // output left as it was
    uint8_t value = 0;
    const AppError r = getByte(CMDC_GETBRIGHT, value);
    if (r == AppError::NoError)
        bright = value;
    return r;
}

AppError KolventraKeyboard::CMD_StopEffect()
{
    if (!hidIsOpened())
        return AppError::NoError;
    const Bytes packet = makePacket(CMDC_STOPSPEFFECT);
    std::vector<Bytes> replies;
    return exchange(packet, 0, replies);
}

AppError KolventraKeyboard::CMD_GetIndicatorLed(int index, std::vector<AppColor>& colorList)
{
    uint8_t indexByte = 0;
    if (!toByte(static_cast<long long>(index) + 1, indexByte))
        return AppError::BadParam;
    if (!hidIsOpened())
        return AppError::NoError;

    Bytes packet = makePacket(CMDC_GETINDICATOR, SRF_NOT_CONTINUE, 1);
    packet[SDO_DAT_1] = indexByte;
    std::vector<Bytes> replies;
    const AppError r = exchange(packet, int(kIndicatorColors * 3), replies);
    if (r != AppError::NoError)
        return r;
    if (replies.empty() || replies[0].size() <= size_t(RDO_LEN))
        return AppError::RecvBadLengthStore;

    const Bytes& reply = replies[0];
    const size_t colours = reply[RDO_LEN] / 3;
    if (reply.size() < size_t(RDO_DAT) + colours * 3)
        return AppError::RecvBadLengthStore;
    for (size_t k = 0; k < colours; ++k) {
        const size_t at = size_t(RDO_DAT) + 3 * k;
        colorList.push_back(AppColor::rgba(channelFromByte(reply[at]), channelFromByte(reply[at + 1]),
                                           channelFromByte(reply[at + 2]), 0.0));
    }
    return AppError::NoError;
}

AppError KolventraKeyboard::CMD_SetIndicatorLed(int index, const std::vector<AppColor>& colorList,
                                                bool ledReflection)
{
    if (colorList.size() != kIndicatorColors)
        return AppError::BadParam;
    uint8_t indexByte = 0;
    if (!toByte(static_cast<long long>(index) + 1, indexByte))
        return AppError::BadParam;
    if (!hidIsOpened())
        return AppError::NoError;

    const uint8_t flags = ledReflection ? SRF_LED_REFLECT : SRF_LED_NOT_INDICATE;
    Bytes packet = makePacket(CMDC_SETINDICATOR, flags, uint8_t(1 + 3 * kIndicatorColors));
    packet[SDO_DAT_1] = indexByte;
    for (size_t k = 0; k < kIndicatorColors; ++k) {
        const AppColor& c = colorList[k];
        packet[SDO_DAT_2 + 3 * k] = AppColor::componentByte(c.red);
        packet[SDO_DAT_2 + 3 * k + 1] = AppColor::componentByte(c.green);
        packet[SDO_DAT_2 + 3 * k + 2] = AppColor::componentByte(c.blue);
    }
    std::vector<Bytes> replies;
    return exchange(packet, 0, replies);
}

// --- Actuation point -----------------------------------------------------------

AppError KolventraKeyboard::CMD_SetOnPos_AllKey(ApcLevel level)
{
    if (!hidIsOpened())
        return AppError::BadDevice;
    if (level != ApcLevel::Low && level != ApcLevel::Middle && level != ApcLevel::High)
        return AppError::BadParam;
    return setByte(CMDC_SETONPOSALL, apcByte(level));
}

AppError KolventraKeyboard::CMD_SetOnPos_Indi(const std::vector<ApcLevel>& levels, bool ledReflection)
{
    if (levels.size() != kKeyCount)
        return AppError::BadParam;
    if (!hidIsOpened())
        return AppError::NoError;
    uint8_t bytes[kKeyCount];
    for (size_t i = 0; i < kKeyCount; ++i)
        bytes[i] = apcByte(levels[i]);
    return writePerKey(CMDC_SETONPOS, bytes, ledReflection);
}

AppError KolventraKeyboard::CMD_GetOnPos(std::vector<ApcLevel>& levels)
{
    levels.clear();
    if (!hidIsOpened())
        return AppError::BadDevice;
    uint8_t bytes[kKeyCount];
    const AppError r = readPerKey(CMDC_GETONPOS, bytes);
    if (r != AppError::NoError)
        return r;
    levels.reserve(kKeyCount);
    for (uint8_t b : bytes)
        levels.push_back(apcFromKeyByte(b));
    return AppError::NoError;
}

AppError KolventraKeyboard::CMD_GetOnPos_AllKey(ApcLevel& level)
{
    level = ApcLevel::None;
    if (!hidIsOpened())
        return AppError::NoError;
    uint8_t b = 0;
    const AppError r = getByte(CMDC_GETONPOSALL, b);
    if (r == AppError::NoError)
        level = apcFromAllKeyByte(b);
    return r;
}

// --- Key lock --------------------------------------------------------------------

AppError KolventraKeyboard::CMD_SetKeyLockEnable(KeyLockFunction enable)
{
    if (!hidIsOpened())
        return AppError::NoError;
    return setByte(CMDC_SETKEYLOCKENA, enable == KeyLockFunction::Enable ? 0x01 : 0x00);
}

AppError KolventraKeyboard::CMD_GetKeyLockEnable(KeyLockFunction& enable)
{
    enable = KeyLockFunction::Disable;
    if (!hidIsOpened())
        return AppError::NoError;
    uint8_t b = 0;
    const AppError r = getByte(CMDC_GETKEYLOCKENA, b);
    if (r == AppError::NoError && b == 0x01)
        enable = KeyLockFunction::Enable;
    return r;
}

AppError KolventraKeyboard::CMD_GetKeyLock(std::vector<KeytopLock>& locks)
{
    locks.clear();
    if (!hidIsOpened())
        return AppError::BadDevice;
    uint8_t bytes[kKeyCount];
    const AppError r = readPerKey(CMDC_GETKEYLOCK, bytes);
    if (r != AppError::NoError)
        return r;
    locks.reserve(kKeyCount);
    for (uint8_t b : bytes)
        locks.push_back(b == 0x01 ? KeytopLock::Lock : KeytopLock::Unlock);
    return AppError::NoError;
}

AppError KolventraKeyboard::CMD_SetKeyLock(const std::vector<KeytopLock>& locks, bool ledReflection)
{
    if (locks.size() != kKeyCount)
        return AppError::BadParam;
    if (!hidIsOpened())
        return AppError::NoError;
    uint8_t bytes[kKeyCount];
    for (size_t i = 0; i < kKeyCount; ++i)
        bytes[i] = locks[i] == KeytopLock::Lock ? 0x01 : 0x00;
    return writePerKey(CMDC_SETKEYLOCK, bytes, ledReflection);
}

// --- Caps Lock key-code change ---------------------------------------------------

AppError KolventraKeyboard::CMD_SetKeyCodeChange(KeyCodeChange change)
{
    if (!hidIsOpened())
        return AppError::NoError;
    return setByte(CMDC_SETCODECHG, change == KeyCodeChange::Enable ? 0x01 : 0x00);
}

AppError KolventraKeyboard::CMD_GetKeyCodeChange(KeyCodeChange& change)
{
    change = KeyCodeChange::Disable;
    if (!hidIsOpened())
        return AppError::NoError;
    uint8_t b = 0;
    const AppError r = getByte(CMDC_GETCODECHG, b);
    if (r == AppError::NoError && b == 0x01)
        change = KeyCodeChange::Enable;
    return r;
}
