#pragma once
// One opened hidraw node.
//
// Input reports are read on the thread that opened the device (the main
// thread) through a QSocketNotifier: every read() of the node is one report.
// Writes and get-report calls block the calling thread until the kernel has
// taken or fetched the report.

#include "Platform/Hid/HidBackend.h"

#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

namespace platform::hid {

class HidrawDevice : public Device {
public:
    // Opens the device node at `path` for reading and writing. With `seize`
    // nobody else may have it open: not this process (another open of the
    // same node, seized or not, fails with ExclusiveAccess) and not another
    // process taking the same advisory lock. Without `seize` it only fails
    // when somebody holds it seized.
    //
    // `numberedReports`: the device prefixes its input reports with a report
    // ID byte, which is then removed before the reports are handed on.
    //
    // Failures: no such node → NoDevice; no access rights → NotPermitted (one
    // log line with the remedy); held by somebody else → ExclusiveAccess;
    // anything else → Error.
    static std::unique_ptr<HidrawDevice> open(const std::string& path, DeviceInfo info,
                                              bool numberedReports, bool seize, Status& status);

    // Takes over a descriptor that is already open and non-blocking, with no
    // seizing or locking (the tests drive the input path through a socket
    // pair). The device closes it.
    static std::unique_ptr<HidrawDevice> adopt(int fd, DeviceInfo info, bool numberedReports);

    ~HidrawDevice() override;

    HidrawDevice(const HidrawDevice&) = delete;
    HidrawDevice& operator=(const HidrawDevice&) = delete;

    // Writes the whole buffer at once (report ID byte first); a short write
    // is an error.
    Status write(std::span<const uint8_t> reportIdAndData) override;
    Status getInputReport(std::span<uint8_t> buf, size_t& got) override;
    void setInputHandler(InputHandler handler) override;
    void flushInput() override;
    const DeviceInfo& info() const override { return info_; }

    // Status of a failed write or get-report for an errno value.
    static Status statusForErrno(int err);

private:
    HidrawDevice(int fd, std::string path, DeviceInfo info, bool numberedReports);
    void onReadable();

    int fd_ = -1;
    std::string path_;
    DeviceInfo info_;
    bool numberedReports_ = false;
    InputHandler handler_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<uint8_t> readBuf_;
    std::shared_ptr<bool> alive_;
};

} // namespace platform::hid
