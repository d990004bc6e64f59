#pragma once
// The command protocol every keyboard and mouse speaks over its vendor HID
// interface, and the one transaction primitive, KolventraIoControl: send one
// 65-byte packet, collect the expected replies, check each, retry on a reply
// time-out. Also the commands common to all devices (session notice, store,
// factory setting, firmware transfer) and the device identification.
//
// Command packet (65 bytes): 00 AA AA CMD FLG LEN data... (byte 0 is the
// report ID). Reply as handed to callers: 00 55 55 CMD STS FLG LEN data...
// (byte 0 added by the host so that offsets match the packet's).

#include "Device/HidDevice.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class KolventraDevice : public HidDevice {
public:
    // Signatures and command codes.
    static constexpr uint8_t SIG_SEND = 0xAA;
    static constexpr uint8_t SIG_RCV = 0x55;
    static constexpr uint8_t CMDC_STARTEND = 0x01;
    static constexpr uint8_t CMDC_GETKBDINF = 0x02;
    static constexpr uint8_t CMDC_SETINITIAL = 0x03;
    static constexpr uint8_t CMDC_SAVESETTING = 0x04;
    static constexpr uint8_t CMDC_REBOOTFORUPDATE = 0xE0;
    static constexpr uint8_t CMDC_STARTUPDATE = 0xE1;
    static constexpr uint8_t CMDC_SENDFWDATAE = 0xE2;
    static constexpr uint8_t CMDC_ENDUPDATE = 0xE3;

    // Send offsets.
    static constexpr int SDO_HEAD = 0;
    static constexpr int SDO_SIG_L = 1;
    static constexpr int SDO_SIG_H = 2;
    static constexpr int SDO_CMD = 3;
    static constexpr int SDO_FLG = 4;
    static constexpr int SDO_LEN = 5;
    static constexpr int SDO_DAT_1 = 6;
    static constexpr int SDO_DAT_2 = 7;
    static constexpr int SDO_DAT_3 = 8;
    static constexpr int SDO_DAT_4 = 9;
    static constexpr int SDO_DAT_5 = 10;
    static constexpr int SSZ_ZERO = 0;
    static constexpr int SSZ_TOTAL = 65;

    // Reply offsets.
    static constexpr int RDO_STS = 4;
    static constexpr int RDO_FLG = 5;
    static constexpr int RDO_LEN = 6;
    static constexpr int RDO_DAT = 7;
    static constexpr int RDO_DAT_2 = 8;
    static constexpr int RCV_STS_NORMAL = 0;
    static constexpr int RSZ_TOTAL = 65;

    // Flag byte.
    static constexpr uint8_t SRF_NOT_CONTINUE = 0x00;
    static constexpr uint8_t SRF_CONTINUE_1ST = 0x40;
    static constexpr uint8_t SRF_CONTINUE_PRG = 0x80;
    static constexpr uint8_t SRF_CONTINUE_END = 0xC0;
    static constexpr uint8_t SRF_LED_REFLECT = 0x00;
    static constexpr uint8_t SRF_LED_NOT_INDICATE = 0x20;

    // Attempts of one transaction, and the wait before a retry.
    static constexpr int RetryMaxCount = 3;
    static constexpr double kRetryWaitSeconds = 1.0;

    // Largest firmware chunk of one packet.
    static constexpr size_t kMaxFwChunk = 57;

    // Argument of CMD_StartEnd.
    enum class eAppStEd : int { Start = 0, End = 1 };

    KolventraDevice() = default;
    ~KolventraDevice() override;

    // One transaction. `sendBuffer`: the complete 65-byte packet. `recvCount`:
    // one entry per reply the command produces, the LEN byte that reply must
    // carry. After NoError, recvBuffer[i] is reply i (at least 65 bytes). After
    // a reply check failure (RecvBadParamStore, RecvErrorStore,
    // RecvBadLengthStore) and after DevceRead (fewer replies than awaited)
    // recvBuffer holds the replies of that attempt as received (zero-padded to
    // 65 bytes). The label is not used.
    //
    // Returns BadParam without I/O for a packet that is absent or not 65 bytes
    // and for a recvCount that is empty, longer than 255 or has an entry
    // outside 0..255; DeviceIsInvalid without I/O when a transaction of this
    // object is already in progress (started from inside its reply wait).
    //
    // `recvSizes`, when given, receives the length of each reply of
    // recvBuffer as it arrived, counting byte 0 (before the zero padding):
    // a caller that reads past the counted LEN bytes checks with it that the
    // report really held them.
    AppError KolventraIoControl(std::string_view label, const Bytes* sendBuffer,
                                std::vector<Bytes>& recvBuffer, const std::vector<int>& recvCount,
                                std::vector<size_t>* recvSizes = nullptr);

    // Common commands. With no device open each returns NoError and sends nothing.
    AppError CMD_StartEnd(eAppStEd startEnd);
    AppError CMD_FactorySetting();
    AppError CMD_RegistSetting();
    AppError CMD_RebootForUpdate();
    // imageSize 0..0xFFFFFFFF, addInfo (CRC-16 of the image) 0..0xFFFF; else BadParam.
    AppError CMD_StartUpdate(int64_t imageSize, int64_t addInfo);
    // chunkNumber 0..0xFFFF, writeBuffer at most 57 bytes; else BadParam.
    AppError CMD_SendFwData(int64_t chunkNumber, const Bytes& writeBuffer);
    AppError CMD_EndUpdate();

    // Device identification of the open device; the three texts are cleared first.
    AppError CMD_GetDeviceInfo(std::string& modelNumber, std::string& firmwareVersion,
                               std::string& firmwareVersionCmp);
    // Opens the device at `location` only for the identification and closes it
    // again (no session notice is sent).
    AppError rdGetDeviceInfo(uint32_t location, std::string& modelNumber,
                             std::string& firmwareVersion, std::string& firmwareVersionCmp);

    // True while a transaction of this object runs.
    bool isRunConnecting = false;

    // A fresh 65-byte packet: 00 AA AA cmd flags len, rest 0.
    static Bytes makePacket(uint8_t command, uint8_t flags = SRF_NOT_CONTINUE, uint8_t length = 0);
    // The flag byte of packet/reply i (0-based) of a sequence of n.
    static uint8_t sequenceFlag(size_t index, size_t count);

private:
    AppError simpleCommand(uint8_t command);
    bool inTransaction_ = false;
};
