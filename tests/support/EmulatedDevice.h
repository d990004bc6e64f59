#pragma once
// The device side of the command protocol, for the tests.
//
// An EmulatedDevice is what sits behind the vendor interface (usage page
// 0xFF00) of a keyboard or mouse on the VirtualHidBus. It takes 65-byte
// output reports (report ID 0 + AA AA CMD FLG LEN data) and answers with
// 64-byte input reports (55 55 CMD STS FLG LEN data). This base class
// carries everything keyboards and mice share:
//   - identity (command 0x02) in the current layout and three older ones;
//   - the start/end notice (0x01), store (0x04) and factory setting (0x03);
//   - the firmware update state machine (0xE0..0xE3);
//   - fault injection, the packet log and the get-report answer.
// EmulatedKeyboard and EmulatedMouse add their settings and commands.
//
// Reply byte numbers in this header are those of the host's 65-byte reply
// (byte 0 = the 0x00 the host puts in front): 1,2 signature, 3 command echo,
// 4 status, 5 flag, 6 length, 7.. data.
//
// Device behaviour chosen here (what the protocol leaves open):
//   - a packet without the AA AA signature, or a write to a non-vendor
//     interface, is logged and ignored (no reply);
//   - an unknown command, or a known one with bad arguments, is answered
//     with status kStatusRefused, flag 0, LEN 0, and changes nothing;
//   - store (0x04) copies the live settings to the stored copy; factory
//     setting (0x03) puts the factory defaults into live AND stored;
//   - reboot (0xE0) answers, then the device leaves the bus and comes back
//     at the same location in updater mode after rebootDelay(); in updater
//     mode the setting commands are refused with kStatusUpdater, 0x01, 0x02
//     and 0xE0..0xE3 work;
//   - an update is "pending" from 0xE0 or 0xE1 until a 0xE3 whose size and
//     CRC-16/MCRF4XX match; while pending, Start (0x01 with 0) is refused
//     with kStatusRefused; a good 0xE3 answers, then the device leaves and
//     comes back in application mode after rebootDelay();
//   - chunk k (0xE2) must follow chunk k-1 (a repeat of the last chunk is
//     accepted again, for the host's retry); a gap, an overrun of the
//     announced size or a chunk without 0xE1 is refused;
//   - a multi-packet write (flags 0x41, 0x80|k, 0xC0|n; 0x20 = do not show
//     on the LEDs) applies each packet's entries as it arrives; a packet out
//     of order is refused; the last packet repeated is accepted again.

#include "Platform/Clock.h"
#include "Platform/Hid/HidBackend.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shipped {
struct Model;
}

namespace emu {

class VirtualHidBus;

inline constexpr uint8_t kStatusRefused = 0x01; // bad command or argument, or refused now
inline constexpr uint8_t kStatusUpdater = 0x02; // setting command while in updater mode

// How the device answers the identification command 0x02.
enum class IdentityLayout {
    Current,     // LEN 12: 8 model bytes, 4 firmware bytes
    TenByte,     // LEN 10: 6 model bytes, 4 firmware bytes
    EightByte,   // LEN 8: 4 model bytes (shown as hex), 4 firmware bytes
    ShortHeader, // no flag byte: 55 55 02 STS 08 then 4 model + 4 firmware bytes from reply byte 6
};

struct Identity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::vector<uint8_t> model;          // raw model bytes as sent (padded with 0 / cut to the layout's size)
    std::array<uint8_t, 4> firmware{};   // the four version bytes
    IdentityLayout layout = IdentityLayout::Current;
    uint8_t legacyStatus = 0;            // status byte of the three older layouts

    static std::vector<uint8_t> modelBytes(std::string_view text) { return {text.begin(), text.end()}; }
    // The identity a shipped model reports, in the current layout.
    static Identity of(const shipped::Model& model);
};

// One injected fault; faults apply to the device's replies to the next
// `times` commands that match (`command`; any when empty). Several faults
// may apply to one command; they act in the order they were injected.
// Designated initialisers must follow the field order:
//     dev.inject({.kind = emu::FaultKind::Drop, .command = 0x22, .times = 2});
enum class FaultKind {
    Drop,           // the command is carried out, its replies are lost
    Status,         // the command is refused: status `value` (default 0x01), LEN 0, nothing changes
    WrongSignature, // reply byte 1 = `value` (default 0x5A)
    WrongEcho,      // reply byte 3 = `value` (default: command XOR 0xFF)
    WrongFlag,      // reply byte 5 = `value` (default: flag XOR 0x01)
    WrongLength,    // reply byte 6 = `value` (default: LEN + 1)
    SetByte,        // reply byte `offset` (1..64) = `value`
    Extra,          // `value` (default 1) copies of the last reply follow it
    Late,           // the replies come `delay` later than usual
    Short,          // each reply report is cut to `value` bytes (default 5)
    Detach,         // on this command the device leaves the bus at once, no reply;
                    // it comes back after `reattachAfter` (stays away when empty)
};

struct Fault {
    FaultKind kind = FaultKind::Drop;
    std::optional<uint8_t> command{};       // only this command code
    int times = 1;                          // commands affected; -1 = all from now on
    int value = -1;                         // kind-specific; -1 = the kind's default
    std::optional<int> replyIndex{};        // only this reply (0-based) of a multi-reply answer
    int offset = 0;                         // SetByte: reply byte number (host numbering)
    std::chrono::microseconds delay{0};     // Late: extra delay (real time)
    std::optional<std::chrono::microseconds> reattachAfter{}; // Detach
    std::optional<int> packetNumber{};      // only packets whose flag carries this number
                                            // (flag & 0x1F: 1..n of a multi-packet write)
};

// One line of the packet log.
struct LogEntry {
    enum class Kind {
        Output,    // a write: bytes = report ID + report, exactly as written
        GetReport, // a get-report: bytes = the report returned (without report ID)
        Reply,     // an input report queued for the host (bytes without report ID)
    };
    Kind kind;
    platform::Clock::time_point time; // platform::now() when it happened
    int iface = 0;                    // index into EmulatedDevice::interfaces()
    std::vector<uint8_t> bytes;

    // Command code of an Output (packet byte 3) or Reply (reply byte 3); -1 when too short.
    int command() const;
};

class EmulatedDevice : public std::enable_shared_from_this<EmulatedDevice> {
public:
    struct Interface {
        platform::hid::UsagePair usage;
        int maxInputReportSize = 64;
        bool vendor() const { return usage.page == platform::hid::kVendorUsage.page; }
    };
    enum class Mode { Application, Updater };

    EmulatedDevice(Identity identity, std::vector<Interface> interfaces);
    virtual ~EmulatedDevice();
    EmulatedDevice(const EmulatedDevice&) = delete;
    EmulatedDevice& operator=(const EmulatedDevice&) = delete;

    // --- Identity and interfaces (change before attaching) ---------------
    Identity& identity() { return identity_; }
    const Identity& identity() const { return identity_; }
    const std::vector<Interface>& interfaces() const { return interfaces_; }
    void setInterfaces(std::vector<Interface> interfaces) { interfaces_ = std::move(interfaces); }

    // --- Attachment --------------------------------------------------------
    bool attached() const { return bus_ != nullptr; }
    uint32_t location() const { return location_; }
    VirtualHidBus* bus() const { return bus_; }
    // Leaves the bus (as VirtualHidBus::detach(location())); false when not attached.
    bool detach();

    // --- Session, store, factory --------------------------------------------
    bool sessionOpen() const { return sessionOpen_; } // a Start without a later End
    // The last session start was refused with an error status (an update is
    // pending, or a refusal was injected): the host sees a device that asks
    // for its firmware update and keeps it without a session.
    bool lastStartRefused() const { return lastStartRefused_; }
    int startCount() const { return startCount_; }
    int endCount() const { return endCount_; }
    int storeCount() const { return storeCount_; }
    int factoryCount() const { return factoryCount_; }
    // Live settings := stored settings (as after a power cycle).
    virtual void restoreStored() {}

    // --- Firmware update -----------------------------------------------------
    Mode mode() const { return mode_; }
    // Puts the device in `mode` at once (before attaching: the device is
    // found in its updater, as after an update that did not complete).
    void setMode(Mode mode) { mode_ = mode; }
    bool updatePending() const { return updatePending_; }
    void setUpdatePending(bool pending) { updatePending_ = pending; }
    // Delay between leaving the bus and coming back after 0xE0 or a good
    // 0xE3; empty (default) = 1 s on the current platform time scale,
    // taken when the command arrives.
    void setRebootDelay(std::optional<platform::Seconds> delay) { rebootDelay_ = delay; }
    // false: after 0xE0 the device never comes back.
    void setReattachAfterReboot(bool on) { reattachAfterReboot_ = on; }
    // false: 0xE0 is not answered (the device leaves at once).
    void setAnswerReboot(bool on) { answerReboot_ = on; }
    // Product ID shown on the bus while in updater mode (default: unchanged).
    void setUpdaterProductId(std::optional<uint16_t> pid) { updaterProductId_ = pid; }
    // Firmware bytes reported after a completed update (default: unchanged).
    void setFirmwareAfterUpdate(std::optional<std::array<uint8_t, 4>> fw) { firmwareAfterUpdate_ = fw; }
    uint32_t announcedSize() const { return announcedSize_; }   // from 0xE1
    uint32_t announcedCrc() const { return announcedCrc_; }     // from 0xE1 (all 32 bits)
    const std::vector<uint8_t>& receivedImage() const { return image_; }
    int chunksReceived() const { return chunks_; }
    int updatesCompleted() const { return updatesCompleted_; }
    int rebootCount() const { return rebootCount_; }

    // CRC-16/MCRF4XX (poly 0x1021 reflected, init 0xFFFF, no final XOR).
    static uint16_t crc16(std::span<const uint8_t> bytes);

    // --- Faults ----------------------------------------------------------------
    void inject(const Fault& fault);
    void clearFaults() { faults_.clear(); }
    size_t activeFaults() const { return faults_.size(); }
    // Answer of get-report: Success (the last reply sent, or zeros) or a failure status.
    void setGetReportStatus(platform::hid::Status s) { getReportStatus_ = s; }

    // --- Packet log ------------------------------------------------------------
    const std::vector<LogEntry>& log() const { return log_; }
    void clearLog() { log_.clear(); }
    // The Output entries only (writes of any interface).
    std::vector<LogEntry> writes() const;
    // Command codes of the writes to vendor interfaces, in order.
    std::vector<uint8_t> commands() const;
    int getReportCount() const { return getReportCount_; }
    int writeCount() const;

    // --- Bus side (called by VirtualHidBus) -----------------------------------
    void busAttached(VirtualHidBus* bus, uint32_t location);
    void busDetached();
    // Current vendor/product IDs as shown on the bus (updater mode may differ).
    uint16_t busVendorId() const { return identity_.vendorId; }
    uint16_t busProductId() const;
    // A write to interface `iface`; false when the report ID is not 0.
    bool onOutputReport(int iface, std::span<const uint8_t> reportIdAndData);
    platform::hid::Status onGetInputReport(int iface, std::span<uint8_t> buf, size_t& got);
    // A reply report has been queued for the host.
    void noteReplyQueued(int iface, const std::vector<uint8_t>& report);

protected:
    // One command packet as the device sees it.
    struct Request {
        uint8_t command = 0;
        uint8_t flag = 0;
        uint8_t length = 0;                 // the LEN byte
        std::span<const uint8_t> data;      // LEN bytes (cut to what the packet holds)
        std::span<const uint8_t> packet;    // the 64 report bytes: AA AA CMD FLG LEN ...
    };
    // One reply report; `data` may hold more bytes than `length` says.
    struct Reply {
        uint8_t status = 0;
        uint8_t flag = 0;
        uint8_t length = 0;
        std::vector<uint8_t> data;
        bool shortHeader = false;           // 55 55 CMD STS LEN data (no flag byte)
    };

    // Subclasses answer their own commands here; return false for a command
    // they do not know (the base then refuses it).
    virtual bool handleCommand(const Request& req, std::vector<Reply>& replies);
    // Store (0x04) and factory setting (0x03) on the subclass's settings.
    virtual void storeSettings() {}
    virtual void factoryReset() {}

    static Reply ok(std::vector<uint8_t> data = {});
    static Reply refused(uint8_t status = kStatusRefused);
    // n ≥ 2 replies of the given data sizes, flagged 0x41, 0x80|k, 0xC0|n.
    static std::vector<Reply> multiReply(std::span<const uint8_t> data, std::initializer_list<int> sizes);

    // Assembles a multi-packet write of 59-byte packets. Returns the offset
    // of this packet's first entry, or -1 when the packet is out of order.
    // Flag 0x00 counts as a single whole packet (offset 0).
    struct SequenceWriter {
        int offset(uint8_t flag);
        bool ledShown = true;               // 0x20 bit clear on the last accepted packet
        bool complete = false;              // last packet accepted
    private:
        int last_ = 0;                      // number of the last accepted packet; 0 = none
        uint8_t lastKind_ = 0;
    };

private:
    void answer(const Request& req, std::vector<Reply>& replies);
    void handleFirmware(const Request& req, std::vector<Reply>& replies);
    // Leaves the bus `after` from now and, when `comeBack`, returns
    // `backAfter` later at the same location in `nextMode`.
    void leaveAndComeBack(std::chrono::microseconds after, Mode nextMode, bool comeBack,
                          std::chrono::microseconds backAfter);
    std::vector<uint8_t> encode(const Reply& r, uint8_t command) const;
    std::chrono::microseconds rebootDelay() const;

    Identity identity_;
    std::vector<Interface> interfaces_;
    VirtualHidBus* bus_ = nullptr;
    uint32_t location_ = 0;

    bool sessionOpen_ = false;
    bool lastStartRefused_ = false;
    int startCount_ = 0, endCount_ = 0, storeCount_ = 0, factoryCount_ = 0;

    Mode mode_ = Mode::Application;
    bool updatePending_ = false;
    bool transferActive_ = false;
    std::optional<platform::Seconds> rebootDelay_;
    bool reattachAfterReboot_ = true;
    bool answerReboot_ = true;
    std::optional<uint16_t> updaterProductId_;
    std::optional<std::array<uint8_t, 4>> firmwareAfterUpdate_;
    uint32_t announcedSize_ = 0, announcedCrc_ = 0;
    std::vector<uint8_t> image_;
    int nextChunk_ = 0, chunks_ = 0, updatesCompleted_ = 0, rebootCount_ = 0;

    struct AfterReply { Mode nextMode; bool comeBack; };
    std::optional<AfterReply> afterReply_; // set by 0xE0 / a good 0xE3

    std::vector<Fault> faults_;
    platform::hid::Status getReportStatus_ = platform::hid::Status::Success;
    std::vector<uint8_t> lastReport_;
    int getReportCount_ = 0;
    std::vector<LogEntry> log_;
};

} // namespace emu
