#include "Device/KolventraDevice.h"

#include "Utility/HexText.h"
#include "Utility/Logger.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr const char* kIoControlFunction = "KolventraIoControl(_:sendBuffer:recvBuffer:recvCount:)";
constexpr size_t kMaxReplies = 255;
constexpr int kMaxReplyLength = 255;
} // namespace

KolventraDevice::~KolventraDevice() = default;

Bytes KolventraDevice::makePacket(uint8_t command, uint8_t flags, uint8_t length)
{
    Bytes p(SSZ_TOTAL, 0);
    p[SDO_HEAD] = 0x00;
    p[SDO_SIG_L] = SIG_SEND;
    p[SDO_SIG_H] = SIG_SEND;
    p[SDO_CMD] = command;
    p[SDO_FLG] = flags;
    p[SDO_LEN] = length;
    return p;
}

uint8_t KolventraDevice::sequenceFlag(size_t index, size_t count)
{
    if (count <= 1)
        return SRF_NOT_CONTINUE;
    const auto k = uint8_t((index + 1) & 0x3F);
    if (index == 0)
        return uint8_t(SRF_CONTINUE_1ST | k);
    if (index + 1 == count)
        return uint8_t(SRF_CONTINUE_END | k);
    return uint8_t(SRF_CONTINUE_PRG | k);
}

namespace {
// The reply check, in the protocol's order: signature, command echo, status,
// flag, length. A reply too short to hold its header, or shorter than the
// length its header claims, is a length error ("truncated": its bytes are not
// to be trusted). Fewer replies than expected (the device refused the command
// with an error status, or failed mid-reply) are checked as far as they go;
// when they pass, the missing ones are a read error.
AppError checkReplies(const std::vector<Bytes>& replies, const std::vector<size_t>& sizes,
                      uint8_t command, const std::vector<int>& recvCount, bool& truncated)
{
    truncated = false;
    const size_t n = recvCount.size();
    const size_t got = std::min(n, replies.size());
    for (size_t i = 0; i < got; ++i) {
        const Bytes& r = replies[i];
        if (sizes[i] < size_t(KolventraDevice::RDO_LEN + 1)) {
            truncated = true;
            return AppError::RecvBadLengthStore;
        }
        const uint8_t flag = KolventraDevice::sequenceFlag(i, n);
        if (r[1] != KolventraDevice::SIG_RCV || r[2] != KolventraDevice::SIG_RCV)
            return AppError::RecvBadParamStore;
        if (r[3] != command)
            return AppError::RecvBadParamStore;
        if (r[KolventraDevice::RDO_STS] != KolventraDevice::RCV_STS_NORMAL)
            return AppError::RecvErrorStore;
        if (r[KolventraDevice::RDO_FLG] != flag)
            return AppError::RecvErrorStore;
        if (sizes[i] < size_t(KolventraDevice::RDO_DAT) + r[KolventraDevice::RDO_LEN]) {
            truncated = true;
            return AppError::RecvBadLengthStore;
        }
        if (int(r[KolventraDevice::RDO_LEN]) != recvCount[i])
            return AppError::RecvBadLengthStore;
    }
    return got < n ? AppError::DevceRead : AppError::NoError;
}
} // namespace

AppError KolventraDevice::KolventraIoControl(std::string_view /*label*/, const Bytes* sendBuffer,
                                             std::vector<Bytes>& recvBuffer,
                                             const std::vector<int>& recvCount,
                                             std::vector<size_t>* recvSizes)
{
    // A transaction started from inside the reply wait of another one on this
    // object would share its replies: refuse it without touching the device.
    if (inTransaction_)
        return AppError::DeviceIsInvalid;

    inTransaction_ = true;
    isRunConnecting = true;
    platform::TransactionScope scope;
    struct Leave {
        KolventraDevice* self;
        ~Leave()
        {
            self->isRunConnecting = false;
            self->inTransaction_ = false;
        }
    } leave{this};

    const bool countsOk = !recvCount.empty() && recvCount.size() <= kMaxReplies
        && std::all_of(recvCount.begin(), recvCount.end(),
                       [](int c) { return c >= 0 && c <= kMaxReplyLength; });
    if (!sendBuffer || sendBuffer->size() != size_t(SSZ_TOTAL) || !countsOk) {
        isCompletion = true;
        return AppError::BadParam;
    }

    const uint8_t command = (*sendBuffer)[SDO_CMD];
    const size_t expected = recvCount.size();
    int32_t callbackStatus = kReportSuccess;
    AppError result = AppError::NoError;

    for (int attempt = 0; attempt < RetryMaxCount; ++attempt) {
        std::vector<Bytes> replies;
        std::vector<size_t> sizes; // sizes as received, before padding
        size_t countdown = expected;
        isCompletion = false;

        bool failed = false;
        result = hidWrite(sendBuffer, [&](int32_t status, const uint8_t* report, size_t length) {
            if (failed)
                return; // nothing after a failure belongs to this attempt
            callbackStatus = status;
            if (status != kReportSuccess) {
                failed = true;
                isCompletion = true;
                return;
            }
            Bytes reply(std::max(length + 1, size_t(RSZ_TOTAL)), 0);
            if (length > 0 && report)
                std::copy(report, report + length, reply.begin() + 1);
            // A reply with an error status is the device's refusal: nothing
            // more comes for this command.
            const bool refused = length + 1 > size_t(RDO_STS) && reply[RDO_STS] != RCV_STS_NORMAL;
            replies.push_back(std::move(reply));
            sizes.push_back(length + 1);
            if (countdown > 0)
                --countdown;
            if (countdown < 1 || refused)
                isCompletion = true;
        });

        if (callbackStatus == kReportTimeout)
            result = AppError::DeviceWriteTimeout;

        bool truncated = false;
        if (result == AppError::NoError) {
            result = checkReplies(replies, sizes, command, recvCount, truncated);
            // A truncated reply's missing bytes would read as zeros.
            if (truncated) {
                replies.clear();
                sizes.clear();
            }
            recvBuffer = std::move(replies);
            if (recvSizes)
                *recvSizes = std::move(sizes);
        }

        if (result == AppError::RecvBadLengthStore && command == CMDC_STARTEND && !truncated)
            return AppError::NoError; // the session notice may be answered with data

        if (result != AppError::DeviceReadTimeout)
            return result;

        Logger::log(std::string("Device Read error - retry!"), __FILE__, __LINE__, kIoControlFunction);
        platform::sleepFor(platform::Seconds(kRetryWaitSeconds));
        Bytes drain(SSZ_TOTAL, 0);
        while (hidRead(drain) == AppError::NoError) {
        }
    }
    return result;
}

AppError KolventraDevice::simpleCommand(uint8_t command)
{
    if (!hidIsOpened())
        return AppError::NoError;
    const Bytes packet = makePacket(command);
    std::vector<Bytes> replies;
    return KolventraIoControl("", &packet, replies, {0});
}

AppError KolventraDevice::CMD_StartEnd(eAppStEd startEnd)
{
    if (!hidIsOpened())
        return AppError::NoError;
    Bytes packet = makePacket(CMDC_STARTEND, SRF_NOT_CONTINUE, 1);
    packet[SDO_DAT_1] = uint8_t(int(startEnd) & 1);
    std::vector<Bytes> replies;
    const AppError r = KolventraIoControl("", &packet, replies, {0});
    if (startEnd == eAppStEd::Start && r == AppError::RecvErrorStore)
        return AppError::AbortFirmwareUpdate; // an interrupted firmware update is pending
    return r;
}

AppError KolventraDevice::CMD_FactorySetting() { return simpleCommand(CMDC_SETINITIAL); }
AppError KolventraDevice::CMD_RegistSetting() { return simpleCommand(CMDC_SAVESETTING); }
AppError KolventraDevice::CMD_RebootForUpdate() { return simpleCommand(CMDC_REBOOTFORUPDATE); }
AppError KolventraDevice::CMD_EndUpdate() { return simpleCommand(CMDC_ENDUPDATE); }

AppError KolventraDevice::CMD_StartUpdate(int64_t imageSize, int64_t addInfo)
{
    if (!hidIsOpened())
        return AppError::NoError;
    if (imageSize < 0 || imageSize > 0xFFFFFFFFLL || addInfo < 0 || addInfo > 0xFFFF)
        return AppError::BadParam;
    Bytes packet = makePacket(CMDC_STARTUPDATE, SRF_NOT_CONTINUE, 8);
    for (int i = 0; i < 4; ++i) {
        packet[SDO_DAT_1 + i] = uint8_t(uint64_t(imageSize) >> (8 * i));
        packet[SDO_DAT_1 + 4 + i] = uint8_t(uint64_t(addInfo) >> (8 * i));
    }
    std::vector<Bytes> replies;
    return KolventraIoControl("", &packet, replies, {0});
}

AppError KolventraDevice::CMD_SendFwData(int64_t chunkNumber, const Bytes& writeBuffer)
{
    if (!hidIsOpened())
        return AppError::NoError;
    // The chunk must fit behind the chunk number, and the number must fit its
    // 16 bits (a wrapped number would overwrite an earlier chunk).
    if (chunkNumber < 0 || chunkNumber > 0xFFFF || writeBuffer.size() > kMaxFwChunk)
        return AppError::BadParam;
    Bytes packet = makePacket(CMDC_SENDFWDATAE, SRF_NOT_CONTINUE, uint8_t(writeBuffer.size() + 2));
    packet[SDO_DAT_1] = uint8_t(chunkNumber & 0xFF);
    packet[SDO_DAT_2] = uint8_t((chunkNumber >> 8) & 0xFF);
    std::copy(writeBuffer.begin(), writeBuffer.end(), packet.begin() + SDO_DAT_3);
    std::vector<Bytes> replies;
    const AppError r = KolventraIoControl("", &packet, replies, {2});
    if (r != AppError::NoError)
        return r;
    const Bytes& reply = replies.front();
    const int64_t echo = int64_t(reply[RDO_DAT]) + 256 * int64_t(reply[RDO_DAT_2]);
    return echo == chunkNumber ? AppError::NoError : AppError::RecvBadParamStore;
}

// ---- device identification ----

namespace {
std::string hex1(uint8_t b) { return hexText(b, 1); }
std::string hex2(uint8_t b) { return hexText(b, 2); }

// Text of a model-number field: the bytes before the first control byte,
// taken as ASCII. A field with a byte of 0x80 or more in that part is not
// ASCII and gives the empty text.
std::string modelText(const Bytes& r, int from, int count)
{
    std::string text;
    for (int i = from; i < from + count; ++i) {
        const uint8_t b = r[size_t(i)];
        if (b < 0x20)
            break;
        if (b >= 0x80)
            return {};
        text.push_back(char(b));
    }
    return text;
}

// "%X%X.%X%X" of four bytes.
std::string displayVersion(const Bytes& r, int from)
{
    return hex1(r[size_t(from)]) + hex1(r[size_t(from + 1)]) + "." + hex1(r[size_t(from + 2)])
        + hex1(r[size_t(from + 3)]);
}

// "%02X%02X%02X" of the last three version bytes.
std::string compareVersion(const Bytes& r, int from)
{
    return hex2(r[size_t(from + 1)]) + hex2(r[size_t(from + 2)]) + hex2(r[size_t(from + 3)]);
}

// "%02X%02X-%02X%02X" of four bytes.
std::string dashedModel(const Bytes& r, int from)
{
    return hex2(r[size_t(from)]) + hex2(r[size_t(from + 1)]) + "-" + hex2(r[size_t(from + 2)])
        + hex2(r[size_t(from + 3)]);
}
} // namespace

AppError KolventraDevice::CMD_GetDeviceInfo(std::string& modelNumber, std::string& firmwareVersion,
                                            std::string& firmwareVersionCmp)
{
    modelNumber.clear();
    firmwareVersion.clear();
    firmwareVersionCmp.clear();
    if (!hidIsOpened())
        return AppError::NoError;

    const Bytes packet = makePacket(CMDC_GETKBDINF);
    std::vector<Bytes> replies;
    const AppError r = KolventraIoControl("", &packet, replies, {12});

    if (r == AppError::NoError) {
        const Bytes& rep = replies.front();
        std::string model = modelText(rep, 7, 8);
        if (model.size() < 5)
            model += hex1(rep[11]) + hex1(rep[12]) + hex1(rep[13]) + hex1(rep[14]);
        modelNumber = model;
        firmwareVersion = displayVersion(rep, 15);
        firmwareVersionCmp = compareVersion(rep, 15);
        return AppError::NoError;
    }

    if (r != AppError::RecvBadLengthStore && r != AppError::RecvErrorStore)
        return r;
    if (replies.empty())
        return r;
    const Bytes& rep = replies.front(); // padded to at least 65 bytes
    if (rep[RDO_LEN] == 10) {
        std::string model = modelText(rep, 7, 6);
        if (model.size() < 5)
            model += hex1(rep[11]) + hex1(rep[12]);
        modelNumber = model + "00";
        firmwareVersion = displayVersion(rep, 13);
        firmwareVersionCmp = compareVersion(rep, 13);
        return AppError::NoError;
    }
    if (rep[RDO_LEN] == 8) {
        modelNumber = dashedModel(rep, 7);
        firmwareVersion = displayVersion(rep, 11);
        return AppError::NoError;
    }
    if (rep[RDO_FLG] == 8) {
        modelNumber = dashedModel(rep, 6);
        firmwareVersion = displayVersion(rep, 10);
        return AppError::NoError;
    }
    return r;
}

AppError KolventraDevice::rdGetDeviceInfo(uint32_t location, std::string& modelNumber,
                                          std::string& firmwareVersion, std::string& firmwareVersionCmp)
{
    modelNumber.clear();
    firmwareVersion.clear();
    firmwareVersionCmp.clear();
    // Closing and reopening from inside this object's own transaction would
    // pull the device from under it.
    if (inTransaction_)
        return AppError::DeviceIsInvalid;
    hidClose();
    AppError r = hidOpen(location);
    if (r == AppError::NoError)
        r = CMD_GetDeviceInfo(modelNumber, firmwareVersion, firmwareVersionCmp);
    hidClose();
    return r;
}
