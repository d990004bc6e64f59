#pragma once
// The command set of a keyboard: actuation point (APC) of all keys or of each
// key, per-key key lock and its switch, the Caps Lock key-code change, LED
// brightness, the indicator LED colours and stopping a light effect.
//
// Every command operation follows one pattern: check its arguments (BadParam
// at once, nothing sent), return its no-device result when no device is open
// (nothing sent), build a zeroed 65-byte packet, run it through
// KolventraIoControl and pass the result on unchanged. The caller arms the
// command pacing where it wants a gap; the commands never arm it.
//
// No-device results: NoError for every command except CMD_SetOnPos_AllKey,
// CMD_GetOnPos and CMD_GetKeyLock, which return BadDevice.
//
// Per-key lists hold exactly 128 entries; entry i belongs to the key whose key
// code is i. They are written as three packets of 59, 59 and 10 entries
// (flags 0x41, 0x82, 0xC3, each with 0x20 more when the keyboard is not to
// show the change on its LEDs), each its own transaction, stopping at the
// first failure; they are read in one transaction of three replies carrying
// 58, 58 and 12 entries.
//
// Main thread only.

#include "AppEnums.h"
#include "Device/KolventraDevice.h"
#include "Utility/AppColor.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class KolventraKeyboard : public KolventraDevice {
public:
    // Command codes of the keyboard.
    static constexpr uint8_t CMDC_SETONPOSALL = 0x20;
    static constexpr uint8_t CMDC_SETONPOS = 0x21;
    static constexpr uint8_t CMDC_GETONPOS = 0x22;
    static constexpr uint8_t CMDC_GETONPOSALL = 0x23;
    static constexpr uint8_t CMDC_SETLEDUSER = 0x40;      // no operation sends it
    static constexpr uint8_t CMDC_GETLEDUSER = 0x41;      // no operation sends it
    static constexpr uint8_t CMDC_SETBRIGHT = 0x42;
    static constexpr uint8_t CMDC_GETBRIGHT = 0x43;
    static constexpr uint8_t CMDC_SETINDICATOR = 0x44;
    static constexpr uint8_t CMDC_GETINDICATOR = 0x45;
    static constexpr uint8_t CMDC_STOPSPEFFECT = 0x60;
    static constexpr uint8_t CMDC_RAINBOWWAVE = 0x61;     // 0x61..0x69: no operation sends them
    static constexpr uint8_t CMDC_KEYDOWN = 0x62;
    static constexpr uint8_t CMDC_KEYDOWNWHITE = 0x63;
    static constexpr uint8_t CMDC_SHOOTINGSTAR = 0x64;
    static constexpr uint8_t CMDC_GETSHOOTINGSTARINFO = 0x65;
    static constexpr uint8_t CMDC_DEMOMODE = 0x66;
    static constexpr uint8_t CMDC_EFFCT_RANDOMMODE = 0x67;
    static constexpr uint8_t CMDC_EFFCT_COLORBAR = 0x68;
    static constexpr uint8_t CMDC_STOPLEDLIGHT = 0x69;
    static constexpr uint8_t CMDC_SETKEYLOCK = 0x80;
    static constexpr uint8_t CMDC_GETKEYLOCK = 0x81;
    static constexpr uint8_t CMDC_SETKEYLOCKENA = 0x82;
    static constexpr uint8_t CMDC_GETKEYLOCKENA = 0x83;
    static constexpr uint8_t CMDC_SETCODECHG = 0x84;
    static constexpr uint8_t CMDC_GETCODECHG = 0x85;

    // Number of entries of a per-key list (key codes 0..127).
    static constexpr size_t kKeyCount = 128;
    // Entries per packet of a per-key write (the last packet carries the rest).
    static constexpr size_t kWriteChunk = 59;
    // Entries per reply of a per-key read (the last reply carries the rest).
    static constexpr size_t kReadChunk = 58;
    // Number of indicator colours written and read.
    static constexpr size_t kIndicatorColors = 4;

    KolventraKeyboard() = default;
    ~KolventraKeyboard() override = default;

    // --- Brightness, indicator LEDs, effects ------------------------------

    // LED brightness (the LedBrightness raw value, 0..2); outside 0..255: BadParam.
    virtual AppError CMD_SetBright(int bright);
    // Reads the brightness into `bright` (0..255). Left unchanged when no
    // device is open or the command fails.
    virtual AppError CMD_GetBright(int& bright);
    virtual AppError CMD_StopEffect();
    // Reads the four indicator colours (index byte = index + 1) and appends
    // them to `colorList`; a channel is 1.0 when its byte is 0xFF, else 0.0;
    // alpha is 0.0. The list is left unchanged when no device is open or the
    // command fails. index + 1 outside 0..255: BadParam.
    virtual AppError CMD_GetIndicatorLed(int index, std::vector<AppColor>& colorList);
    // Writes exactly four colours (else BadParam); each component is sent as
    // component × 255 truncated (clamped into 0..255; NaN: 0).
    virtual AppError CMD_SetIndicatorLed(int index, const std::vector<AppColor>& colorList,
                                         bool ledReflection);

    // --- Actuation point -----------------------------------------------------

    // One level for every key. BadDevice without a device (whatever the
    // level); ApcLevel::None (or no level at all) is BadParam.
    virtual AppError CMD_SetOnPos_AllKey(ApcLevel level);
    // One level per key (exactly 128, else BadParam); None is sent as High.
    virtual AppError CMD_SetOnPos_Indi(const std::vector<ApcLevel>& levels, bool ledReflection);
    // Reads the 128 per-key levels: 0x00 High, 0x01 Middle, any other byte
    // Low. The list is emptied first and stays empty on any failure
    // (BadDevice without a device).
    virtual AppError CMD_GetOnPos(std::vector<ApcLevel>& levels);
    // Reads the all-keys level: 0x00 High, 0x01 Middle, 0x02 Low, else None.
    // Set to None first, so it reads None after a failure.
    virtual AppError CMD_GetOnPos_AllKey(ApcLevel& level);

    // --- Key lock ------------------------------------------------------------

    virtual AppError CMD_SetKeyLockEnable(KeyLockFunction enable);
    // Set to Disable first; a byte other than 0x01 reads as Disable.
    virtual AppError CMD_GetKeyLockEnable(KeyLockFunction& enable);
    // Reads the 128 per-key lock states (0x01 Lock, anything else Unlock);
    // emptied first, empty on any failure (BadDevice without a device).
    virtual AppError CMD_GetKeyLock(std::vector<KeytopLock>& locks);
    // Writes the lock state of each key (exactly 128 entries, else BadParam).
    virtual AppError CMD_SetKeyLock(const std::vector<KeytopLock>& locks, bool ledReflection);

    // --- Caps Lock key-code change ------------------------------------------

    virtual AppError CMD_SetKeyCodeChange(KeyCodeChange change);
    // Set to Disable first; a byte other than 0x01 reads as Disable.
    virtual AppError CMD_GetKeyCodeChange(KeyCodeChange& change);

    // --- Device bytes of the settings ---------------------------------------

    // Byte sent for a per-key level: High 0x00, Middle 0x01, Low 0x02; None
    // (and anything else) 0x00, the byte of High.
    static uint8_t apcByte(ApcLevel level);
    // Per-key level read back: 0x00 High, 0x01 Middle, every other byte Low.
    static ApcLevel apcFromKeyByte(uint8_t b);
    // All-keys level read back: 0x00 High, 0x01 Middle, 0x02 Low, else None.
    static ApcLevel apcFromAllKeyByte(uint8_t b);

private:
    // Writes 128 bytes as three packets of one command; stops at the first failure.
    AppError writePerKey(uint8_t command, const uint8_t (&bytes)[kKeyCount], bool ledReflection);
    // Reads 128 bytes (replies 58/58/12) of one command into `bytes`.
    AppError readPerKey(uint8_t command, uint8_t (&bytes)[kKeyCount]);
    // One transaction of `packet`, expecting one reply of length `replyLength`.
    AppError exchange(const Bytes& packet, int replyLength, std::vector<Bytes>& replies);
    AppError setByte(uint8_t command, uint8_t value, uint8_t flags = SRF_NOT_CONTINUE);
    // Reads the single data byte of a header-only command.
    AppError getByte(uint8_t command, uint8_t& value);
};
