#include "Platform/Hid/Linux/HidrawDevice.h"

#include "Utility/HexText.h"
#include "Utility/Logger.h"

#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#ifndef HIDIOCGINPUT
#define HIDIOCGINPUT(len) _IOC(_IOC_WRITE | _IOC_READ, 'H', 0x0A, len)
#endif

namespace platform::hid {

namespace {

// Largest report the kernel hands out in one read (HID_MAX_BUFFER_SIZE).
constexpr size_t kReadBufferSize = 16384;
// The length field of the get-report ioctl holds 14 bits.
constexpr size_t kMaxIoctlLength = (1u << 14) - 1;

std::string hex4(uint16_t v) { return "0x" + hexText(v, 4); }

} // namespace

Status HidrawDevice::statusForErrno(int err)
{
    switch (err) {
    case ETIMEDOUT: return Status::Timeout;
    case ENODEV:
    case EIO:
    case ESHUTDOWN: return Status::NotAttached;
    default: return Status::Error;
    }
}

std::unique_ptr<HidrawDevice> HidrawDevice::open(const std::string& path, DeviceInfo info,
                                                 bool numberedReports, bool seize, Status& status)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        const int err = errno;
        switch (err) {
        case EACCES:
        case EPERM:
            status = Status::NotPermitted;
            Logger::log("No permission to open " + path + " (vendor " + hex4(info.vendorId)
                        + ", product " + hex4(info.productId)
                        + "): install the udev rule shipped with KOLVENTRA, then unplug the"
                          " device and plug it in again");
            break;
        case ENOENT:
        case ENODEV:
        case ENXIO: status = Status::NoDevice; break;
        case EBUSY: status = Status::ExclusiveAccess; break;
        default: status = Status::Error; break;
        }
        return nullptr;
    }

    // The advisory lock keeps out every other open that takes it: another
    // process, and also another open in this process (each open has a lock
    // of its own).
    int rc;
    do {
        rc = ::flock(fd, (seize ? LOCK_EX : LOCK_SH) | LOCK_NB);
    } while (rc < 0 && errno == EINTR);
    if (rc < 0) {
        const int err = errno;
        ::close(fd);
        status = err == EWOULDBLOCK ? Status::ExclusiveAccess : Status::Error;
        return nullptr;
    }

    status = Status::Success;
    return std::unique_ptr<HidrawDevice>(
        new HidrawDevice(fd, path, std::move(info), numberedReports));
}

HidrawDevice::HidrawDevice(int fd, std::string path, DeviceInfo info, bool numberedReports)
    : fd_(fd)
    , path_(std::move(path))
    , info_(std::move(info))
    , numberedReports_(numberedReports)
    , readBuf_(kReadBufferSize)
    , alive_(std::make_shared<bool>(true))
{
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { onReadable(); });
}

HidrawDevice::~HidrawDevice()
{
    *alive_ = false;
    notifier_->setEnabled(false);
    // Deleting a notifier from inside its own activation (a handler that
    // closes the device) must wait for the event loop.
    notifier_.release()->deleteLater();
    ::close(fd_); // releases the lock
}

std::unique_ptr<HidrawDevice> HidrawDevice::adopt(int fd, DeviceInfo info, bool numberedReports)
{
    return std::unique_ptr<HidrawDevice>(
        new HidrawDevice(fd, std::string(), std::move(info), numberedReports));
}

Status HidrawDevice::write(std::span<const uint8_t> reportIdAndData)
{
    if (reportIdAndData.empty())
        return Status::Error;
    ssize_t n;
    do {
        n = ::write(fd_, reportIdAndData.data(), reportIdAndData.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return statusForErrno(errno);
    if (size_t(n) != reportIdAndData.size())
        return Status::Error;
    return Status::Success;
}

Status HidrawDevice::getInputReport(std::span<uint8_t> buf, size_t& got)
{
    got = 0;
    if (buf.empty())
        return Status::Error;
    const size_t len = std::min(buf.size(), kMaxIoctlLength);
    int n;
    do {
        n = ::ioctl(fd_, HIDIOCGINPUT(len), buf.data());
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return statusForErrno(errno); // ENOTTY before Linux 5.11: Error
    // The count includes the report ID byte in front.
    got = n > 0 ? std::min(size_t(n), len) - 1 : 0;
    return Status::Success;
}

void HidrawDevice::setInputHandler(InputHandler handler) { handler_ = std::move(handler); }

void HidrawDevice::flushInput()
{
    while (true) {
        const ssize_t n = ::read(fd_, readBuf_.data(), readBuf_.size());
        if (n > 0)
            continue;
        if (n < 0 && errno == EINTR)
            continue;
        // Empty, or failed: a failure is reported by the notifier.
        return;
    }
}

void HidrawDevice::onReadable()
{
    // The handler may close (destroy) this device, or run a nested event loop
    // that comes back here; `alive` tells after each call.
    const std::shared_ptr<bool> alive = alive_;
    while (true) {
        const ssize_t n = ::read(fd_, readBuf_.data(), readBuf_.size());
        if (n > 0) {
            std::span<const uint8_t> report(readBuf_.data(), size_t(n));
            if (numberedReports_)
                report = report.subspan(1);
            if (handler_) {
                // Keep a copy of the report: a nested read reuses the buffer.
                const std::vector<uint8_t> copy(report.begin(), report.end());
                const InputHandler h = handler_;
                h(Status::Success, copy);
                if (!*alive)
                    return;
            }
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;

        // End of file or an error: the device is gone (or unusable). Report it
        // once and stop listening.
        const Status st = n == 0 ? Status::NotAttached : statusForErrno(errno);
        notifier_->setEnabled(false);
        if (handler_) {
            const InputHandler h = handler_;
            h(st == Status::Timeout ? Status::Error : st, {});
        }
        return;
    }
}

} // namespace platform::hid
