#include "support/EmulatedDevice.h"

#include "support/VirtualHidBus.h"

#include "ShippedModels.h"

#include <algorithm>

namespace emu {

using platform::hid::Status;

Identity Identity::of(const shipped::Model& model)
{
    Identity id;
    id.vendorId = model.vendorId;
    id.productId = model.productId;
    id.model = modelBytes(model.modelNumber);
    id.firmware = model.firmware;
    return id;
}

namespace {

constexpr uint8_t kCmdStartEnd = 0x01;
constexpr uint8_t kCmdInfo = 0x02;
constexpr uint8_t kCmdFactory = 0x03;
constexpr uint8_t kCmdStore = 0x04;
constexpr uint8_t kCmdReboot = 0xE0;
constexpr uint8_t kCmdStartUpdate = 0xE1;
constexpr uint8_t kCmdChunk = 0xE2;
constexpr uint8_t kCmdEndUpdate = 0xE3;

constexpr size_t kReportSize = 64;
constexpr size_t kMaxSendData = 59;  // packet bytes 6..64
constexpr size_t kMaxReplyData = 58; // reply bytes 7..64

std::vector<uint8_t> fitted(const std::vector<uint8_t>& bytes, size_t n)
{
    std::vector<uint8_t> out(bytes.begin(), bytes.begin() + std::min(n, bytes.size()));
    out.resize(n, 0);
    return out;
}

} // namespace

int LogEntry::command() const
{
    switch (kind) {
    case Kind::Output: return bytes.size() > 3 ? bytes[3] : -1;
    case Kind::Reply: return bytes.size() > 2 ? bytes[2] : -1;
    case Kind::GetReport: return -1;
    }
    return -1;
}

EmulatedDevice::EmulatedDevice(Identity identity, std::vector<Interface> interfaces)
    : identity_(std::move(identity)), interfaces_(std::move(interfaces))
{
}

EmulatedDevice::~EmulatedDevice() = default;

bool EmulatedDevice::detach()
{
    return bus_ && bus_->detach(location_);
}

void EmulatedDevice::busAttached(VirtualHidBus* bus, uint32_t location)
{
    bus_ = bus;
    location_ = location;
}

void EmulatedDevice::busDetached()
{
    bus_ = nullptr;
    sessionOpen_ = false;
}

uint16_t EmulatedDevice::busProductId() const
{
    if (mode_ == Mode::Updater && updaterProductId_)
        return *updaterProductId_;
    return identity_.productId;
}

uint16_t EmulatedDevice::crc16(std::span<const uint8_t> bytes)
{
    uint16_t crc = 0xFFFF;
    for (uint8_t b : bytes) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

void EmulatedDevice::inject(const Fault& fault)
{
    if (fault.times != 0)
        faults_.push_back(fault);
}

std::vector<LogEntry> EmulatedDevice::writes() const
{
    std::vector<LogEntry> out;
    for (const auto& e : log_)
        if (e.kind == LogEntry::Kind::Output)
            out.push_back(e);
    return out;
}

std::vector<uint8_t> EmulatedDevice::commands() const
{
    std::vector<uint8_t> out;
    for (const auto& e : log_)
        if (e.kind == LogEntry::Kind::Output && e.iface >= 0 && size_t(e.iface) < interfaces_.size() &&
            interfaces_[e.iface].vendor() && e.bytes.size() > 3)
            out.push_back(e.bytes[3]);
    return out;
}

int EmulatedDevice::writeCount() const
{
    return static_cast<int>(std::count_if(log_.begin(), log_.end(),
                                          [](const LogEntry& e) { return e.kind == LogEntry::Kind::Output; }));
}

void EmulatedDevice::noteReplyQueued(int iface, const std::vector<uint8_t>& report)
{
    lastReport_ = report;
    log_.push_back({LogEntry::Kind::Reply, platform::now(), iface, report});
}

Status EmulatedDevice::onGetInputReport(int iface, std::span<uint8_t> buf, size_t& got)
{
    got = 0;
    ++getReportCount_;
    if (getReportStatus_ != Status::Success) {
        log_.push_back({LogEntry::Kind::GetReport, platform::now(), iface, {}});
        return getReportStatus_;
    }
    const size_t n = std::min(buf.size() - 1, kReportSize);
    std::vector<uint8_t> report = fitted(lastReport_, n);
    std::copy(report.begin(), report.end(), buf.begin() + 1);
    got = n;
    log_.push_back({LogEntry::Kind::GetReport, platform::now(), iface, std::move(report)});
    return Status::Success;
}

bool EmulatedDevice::onOutputReport(int iface, std::span<const uint8_t> reportIdAndData)
{
    const auto received = platform::now();
    log_.push_back({LogEntry::Kind::Output, received, iface, {reportIdAndData.begin(), reportIdAndData.end()}});
    if (reportIdAndData.empty() || reportIdAndData[0] != 0)
        return false;
    if (iface < 0 || size_t(iface) >= interfaces_.size() || !interfaces_[iface].vendor())
        return true; // nothing listens on the other interfaces

    std::array<uint8_t, kReportSize> packet{};
    std::copy_n(reportIdAndData.begin() + 1, std::min(reportIdAndData.size() - 1, kReportSize), packet.begin());
    if (packet[0] != 0xAA || packet[1] != 0xAA)
        return true; // not a command packet: ignored

    Request req;
    req.command = packet[2];
    req.flag = packet[3];
    req.length = packet[4];
    req.packet = packet;
    req.data = std::span<const uint8_t>(packet).subspan(5, std::min<size_t>(req.length, kMaxSendData));

    // Faults that act on this command, oldest first.
    std::vector<Fault> active;
    for (auto& f : faults_) {
        if (f.command && *f.command != req.command)
            continue;
        if (f.packetNumber && *f.packetNumber != (req.flag & 0x1F))
            continue;
        active.push_back(f);
        if (f.times > 0)
            --f.times;
    }
    std::erase_if(faults_, [](const Fault& f) { return f.times == 0; });

    for (const auto& f : active) {
        if (f.kind == FaultKind::Detach) {
            const bool back = f.reattachAfter.has_value();
            leaveAndComeBack(std::chrono::microseconds(0), mode_, back,
                             back ? *f.reattachAfter : std::chrono::microseconds(0));
            return true;
        }
    }

    std::vector<Reply> replies;
    afterReply_.reset();
    auto refusal = std::find_if(active.begin(), active.end(),
                                [](const Fault& f) { return f.kind == FaultKind::Status; });
    if (refusal != active.end()) {
        replies.push_back(refused(refusal->value < 0 ? kStatusRefused : uint8_t(refusal->value)));
        if (req.command == kCmdStartEnd && req.length >= 1 && req.data[0] == 0)
            lastStartRefused_ = true;
    } else
        answer(req, replies);

    std::vector<std::vector<uint8_t>> reports;
    for (size_t i = 0; i < replies.size(); ++i) {
        std::vector<uint8_t> r = encode(replies[i], req.command);
        bool dropped = false;
        for (const auto& f : active) {
            if (f.replyIndex && *f.replyIndex != int(i))
                continue;
            switch (f.kind) {
            case FaultKind::Drop: dropped = true; break;
            case FaultKind::WrongSignature: r[0] = f.value < 0 ? 0x5A : uint8_t(f.value); break;
            case FaultKind::WrongEcho: r[2] = f.value < 0 ? uint8_t(req.command ^ 0xFF) : uint8_t(f.value); break;
            case FaultKind::WrongFlag: r[4] = f.value < 0 ? uint8_t(r[4] ^ 0x01) : uint8_t(f.value); break;
            case FaultKind::WrongLength: r[5] = f.value < 0 ? uint8_t(r[5] + 1) : uint8_t(f.value); break;
            case FaultKind::SetByte:
                if (f.offset >= 1 && size_t(f.offset) <= kReportSize)
                    r[f.offset - 1] = uint8_t(f.value < 0 ? 0 : f.value);
                break;
            default: break;
            }
        }
        if (!dropped)
            reports.push_back(std::move(r));
    }
    std::chrono::microseconds late{0};
    for (const auto& f : active) {
        if (f.kind == FaultKind::Extra && !reports.empty()) {
            auto copy = reports.back();
            for (int k = 0; k < (f.value < 0 ? 1 : f.value); ++k)
                reports.push_back(copy);
        } else if (f.kind == FaultKind::Late) {
            late += f.delay;
        }
    }
    for (const auto& f : active)
        if (f.kind == FaultKind::Short)
            for (auto& r : reports)
                r.resize(std::min(r.size(), size_t(f.value < 0 ? 5 : f.value)));

    if (bus_)
        for (auto& r : reports)
            bus_->sendInput(location_, iface, std::move(r), late, received);

    if (afterReply_) {
        auto after = afterReply_;
        afterReply_.reset();
        const auto leaveAfter = (bus_ ? bus_->replyLatency() : std::chrono::microseconds(0)) + late;
        leaveAndComeBack(leaveAfter, after->nextMode, after->comeBack, rebootDelay());
    }
    return true;
}

std::vector<uint8_t> EmulatedDevice::encode(const Reply& r, uint8_t command) const
{
    std::vector<uint8_t> out(kReportSize, 0);
    out[0] = 0x55;
    out[1] = 0x55;
    out[2] = command;
    out[3] = r.status;
    size_t pos;
    if (r.shortHeader) {
        out[4] = r.length;
        pos = 5;
    } else {
        out[4] = r.flag;
        out[5] = r.length;
        pos = 6;
    }
    for (size_t i = 0; i < r.data.size() && pos + i < kReportSize; ++i)
        out[pos + i] = r.data[i];
    return out;
}

std::chrono::microseconds EmulatedDevice::rebootDelay() const
{
    const platform::Seconds d = rebootDelay_ ? *rebootDelay_ : platform::scaled(platform::Seconds(1.0));
    return std::chrono::duration_cast<std::chrono::microseconds>(std::max(d, platform::Seconds(0)));
}

void EmulatedDevice::leaveAndComeBack(std::chrono::microseconds after, Mode nextMode, bool comeBack,
                                      std::chrono::microseconds backAfter)
{
    VirtualHidBus* bus = bus_;
    if (!bus)
        return;
    const uint32_t loc = location_;
    std::weak_ptr<EmulatedDevice> self = weak_from_this();
    bus->scheduleAfter(after, [bus, loc, self, nextMode, comeBack, backAfter] {
        auto dev = self.lock();
        if (!dev || bus->deviceAt(loc) != dev)
            return;
        bus->detach(loc);
        dev->mode_ = nextMode;
        if (!comeBack)
            return;
        bus->scheduleAfter(backAfter, [bus, loc, self] {
            auto dev = self.lock();
            if (dev && !dev->attached() && !bus->deviceAt(loc))
                bus->attach(dev, loc);
        });
    });
    bus->processDue();
}

EmulatedDevice::Reply EmulatedDevice::ok(std::vector<uint8_t> data)
{
    Reply r;
    r.length = static_cast<uint8_t>(std::min(data.size(), kMaxReplyData));
    r.data = std::move(data);
    return r;
}

EmulatedDevice::Reply EmulatedDevice::refused(uint8_t status)
{
    Reply r;
    r.status = status;
    return r;
}

std::vector<EmulatedDevice::Reply> EmulatedDevice::multiReply(std::span<const uint8_t> data,
                                                               std::initializer_list<int> sizes)
{
    std::vector<Reply> out;
    const int n = static_cast<int>(sizes.size());
    size_t pos = 0;
    int k = 0;
    for (int size : sizes) {
        Reply r;
        r.length = static_cast<uint8_t>(size);
        for (int i = 0; i < size; ++i)
            r.data.push_back(pos + i < data.size() ? data[pos + i] : 0);
        pos += size;
        if (n == 1)
            r.flag = 0x00;
        else if (k == 0)
            r.flag = 0x41;
        else if (k == n - 1)
            r.flag = static_cast<uint8_t>(0xC0 | (k + 1));
        else
            r.flag = static_cast<uint8_t>(0x80 | (k + 1));
        out.push_back(std::move(r));
        ++k;
    }
    return out;
}

int EmulatedDevice::SequenceWriter::offset(uint8_t flag)
{
    const uint8_t kind = flag & 0xC0;
    const int num = flag & 0x1F;
    const bool shown = (flag & 0x20) == 0;
    int result = -1;
    if (kind == 0x00) {
        if (num == 0) {
            last_ = 0;
            lastKind_ = 0;
            complete = true;
            result = 0;
        }
    } else if (kind == 0x40) {
        if (num == 1) {
            last_ = 1;
            lastKind_ = kind;
            complete = false;
            result = 0;
        }
    } else if (num >= 2 && last_ >= 1 && num == last_ + 1 && lastKind_ != 0xC0) {
        last_ = num;
        lastKind_ = kind;
        complete = kind == 0xC0;
        result = static_cast<int>(kMaxSendData) * (num - 1);
    } else if (num >= 2 && num == last_ && kind == lastKind_) {
        result = static_cast<int>(kMaxSendData) * (num - 1); // the host repeats a packet
    }
    if (result >= 0)
        ledShown = shown;
    return result;
}

bool EmulatedDevice::handleCommand(const Request&, std::vector<Reply>&)
{
    return false;
}

void EmulatedDevice::answer(const Request& req, std::vector<Reply>& replies)
{
    switch (req.command) {
    case kCmdStartEnd:
        if (req.length < 1 || req.data[0] > 1) {
            replies.push_back(refused());
        } else if (req.data[0] == 0) {
            ++startCount_;
            lastStartRefused_ = updatePending_;
            if (updatePending_) {
                replies.push_back(refused());
            } else {
                sessionOpen_ = true;
                replies.push_back(ok());
            }
        } else {
            ++endCount_;
            sessionOpen_ = false;
            replies.push_back(ok());
        }
        return;
    case kCmdInfo: {
        Reply r;
        const auto& fw = identity_.firmware;
        auto withFirmware = [&](size_t modelSize) {
            r.data = fitted(identity_.model, modelSize);
            r.data.insert(r.data.end(), fw.begin(), fw.end());
            r.length = static_cast<uint8_t>(r.data.size());
        };
        switch (identity_.layout) {
        case IdentityLayout::Current: withFirmware(8); break;
        case IdentityLayout::TenByte: withFirmware(6); r.status = identity_.legacyStatus; break;
        case IdentityLayout::EightByte: withFirmware(4); r.status = identity_.legacyStatus; break;
        case IdentityLayout::ShortHeader:
            withFirmware(4);
            r.status = identity_.legacyStatus;
            r.shortHeader = true;
            break;
        }
        replies.push_back(std::move(r));
        return;
    }
    case kCmdReboot:
    case kCmdStartUpdate:
    case kCmdChunk:
    case kCmdEndUpdate:
        handleFirmware(req, replies);
        return;
    default: break;
    }

    if (mode_ == Mode::Updater) {
        replies.push_back(refused(kStatusUpdater));
        return;
    }
    if (req.command == kCmdFactory) {
        ++factoryCount_;
        factoryReset();
        replies.push_back(ok());
        return;
    }
    if (req.command == kCmdStore) {
        ++storeCount_;
        storeSettings();
        replies.push_back(ok());
        return;
    }
    if (!handleCommand(req, replies) || replies.empty())
        replies.assign(1, refused());
}

void EmulatedDevice::handleFirmware(const Request& req, std::vector<Reply>& replies)
{
    switch (req.command) {
    case kCmdReboot:
        ++rebootCount_;
        updatePending_ = true;
        transferActive_ = false;
        if (answerReboot_)
            replies.push_back(ok());
        afterReply_ = AfterReply{Mode::Updater, reattachAfterReboot_};
        return;
    case kCmdStartUpdate: {
        if (req.length < 8) {
            replies.push_back(refused());
            return;
        }
        auto le32 = [&](size_t at) {
            return uint32_t(req.data[at]) | uint32_t(req.data[at + 1]) << 8 | uint32_t(req.data[at + 2]) << 16 |
                   uint32_t(req.data[at + 3]) << 24;
        };
        announcedSize_ = le32(0);
        announcedCrc_ = le32(4);
        image_.clear();
        nextChunk_ = 0;
        transferActive_ = true;
        updatePending_ = true;
        replies.push_back(ok());
        return;
    }
    case kCmdChunk: {
        if (req.length < 2 || !transferActive_) {
            replies.push_back(refused());
            return;
        }
        const int chunk = req.data[0] | req.data[1] << 8;
        const auto bytes = req.data.subspan(2);
        if (chunk == nextChunk_) {
            if (image_.size() + bytes.size() > announcedSize_) {
                replies.push_back(refused());
                return;
            }
            image_.insert(image_.end(), bytes.begin(), bytes.end());
            ++nextChunk_;
            ++chunks_;
        } else if (chunk != nextChunk_ - 1) {
            replies.push_back(refused());
            return;
        } // else: the host repeats the last chunk; already taken
        replies.push_back(ok({req.data[0], req.data[1]}));
        return;
    }
    case kCmdEndUpdate:
        if (!transferActive_ || image_.size() != announcedSize_ || crc16(image_) != announcedCrc_) {
            replies.push_back(refused());
            return;
        }
        transferActive_ = false;
        updatePending_ = false;
        ++updatesCompleted_;
        if (firmwareAfterUpdate_)
            identity_.firmware = *firmwareAfterUpdate_;
        replies.push_back(ok());
        afterReply_ = AfterReply{Mode::Application, true};
        return;
    default: replies.push_back(refused()); return;
    }
}

} // namespace emu
