#pragma once
// HID transport of one keyboard or mouse: the vendor-defined interface (usage
// page 0xFF00, usage 1) picked by its USB location and opened exclusively.
//
// Offers open/close by location, writing one output report and waiting on the
// main thread until the awaited input reports are in (or the reply time-out
// has passed), fetching one input report on demand, and arming the command
// pacing. It knows nothing of the packet layout (see KolventraDevice).
//
// Main thread only.

#include "Platform/Hid/HidBackend.h"
#include "Platform/RunLoop.h"
#include "Utility/AppError.h"
#include "Utility/SmartWait.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

using Bytes = std::vector<uint8_t>;

class HidDevice {
public:
    // Called for each input report of the current write: (result, report
    // bytes without report ID, length). A non-zero result carries no bytes and
    // means the device failed or went away while the reply was awaited.
    using ResponseCallback = std::function<void(int32_t result, const uint8_t* report, size_t length)>;

    // Results handed to a ResponseCallback.
    static constexpr int32_t kReportSuccess = 0;
    static constexpr int32_t kReportError = 1;       // the device failed
    static constexpr int32_t kReportTimeout = 2;     // the system gave up on the transfer
    static constexpr int32_t kReportNotAttached = 3; // the device was removed

    // Waits of the transport, as real constants (served through platform/Clock.h).
    static constexpr double kReplyTimeoutSeconds = 10.0;

    HidDevice();
    virtual ~HidDevice();
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    // Opens the vendor interface at that location with exclusive access. An
    // already open device is closed first. BadDevice when nothing there could
    // be opened.
    AppError hidOpen(uint32_t location);
    // Closes the device (if any) and clears isCompletion.
    void hidClose();
    // Serves the pacing wait, drops input that is queued but not delivered,
    // writes one output report (byte 0 = report ID) and waits until
    // isCompletion is set by the response call-back, the device goes away, or
    // more than 10 s have passed (DeviceReadTimeout).
    AppError hidWrite(const Bytes* data, ResponseCallback responseCallBack);
    // Fetches one input report on demand (byte 0 of `data` = report ID; its
    // size is the read size) and drops it; `data` is left unchanged. Since at
    // most size - 1 report bytes come back, a successful read gives DevceRead.
    AppError hidRead(Bytes& data);
    // True while a device is open.
    bool hidIsOpened() const;
    // True when the open device was reported gone (unplugged, even if it came
    // back at the same place since): its session is over and every write on
    // it fails. Cleared by hidOpen() and hidClose().
    bool hidWasRemoved() const { return mDevice != nullptr && removed_; }
    // Arms the 0.06 s command pacing while a device is open.
    void hidWait();

    // Location of the open device (0 when none).
    uint32_t openedLocation() const { return location_; }
    // True while hidWrite() waits for replies on this object.
    bool isAwaitingReply() const { return awaiting_; }

    uint32_t productID = 0;
    uint32_t vendorID = 0;
    uint32_t usagePage = platform::hid::kVendorUsage.page;

    SmartWait Wait;
    // Set by the response call-back once the awaited reports are in; reset by
    // hidClose() and by the transaction before each write.
    bool isCompletion = false;

private:
    void onInput(platform::hid::Status status, std::span<const uint8_t> report);
    void releaseDevice();
    void markRemoved();

    std::unique_ptr<platform::hid::Device> mDevice;
    uint32_t location_ = 0;
    ResponseCallback CompletionRoutine;
    platform::EventWait replyWait_;
    bool awaiting_ = false;        // a write waits for its replies
    bool removed_ = false;         // the open device was reported gone
    bool closedWhileAwaiting_ = false;
    int handlerDepth_ = 0;         // > 0 while the input handler runs
};
