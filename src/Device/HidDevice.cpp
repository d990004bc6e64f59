#include "Device/HidDevice.h"

#include "Device/DeviceEnumerator.h"
#include "Utility/Logger.h"

#include <QCoreApplication>
#include <QTimer>

namespace {
constexpr const char* kWriteFunction = "hidWrite(_:responseCallBack:)";

int32_t reportResult(platform::hid::Status status)
{
    using platform::hid::Status;
    switch (status) {
    case Status::Success: return HidDevice::kReportSuccess;
    case Status::Timeout: return HidDevice::kReportTimeout;
    case Status::NotAttached:
    case Status::NoDevice: return HidDevice::kReportNotAttached;
    default: return HidDevice::kReportError;
    }
}
} // namespace

HidDevice::HidDevice() = default;

HidDevice::~HidDevice()
{
    // Callers close first; closing here anyway keeps the interface from
    // staying seized by a released object.
    if (mDevice) {
        mDevice->setInputHandler({});
        mDevice.reset();
    }
}

void HidDevice::releaseDevice()
{
    if (!mDevice)
        return;
    mDevice->setInputHandler({});
    if (handlerDepth_ > 0) {
        // Closed from inside the device's own input handler: destroy the
        // device once that handler has returned.
        std::shared_ptr<platform::hid::Device> dying(std::move(mDevice));
        if (QCoreApplication* app = QCoreApplication::instance())
            QTimer::singleShot(0, app, [dying] {});
    }
    mDevice.reset();
    location_ = 0;
}

AppError HidDevice::hidOpen(uint32_t location)
{
    if (mDevice)
        hidClose();
    platform::hid::Status status = platform::hid::Status::NoDevice;
    auto device = platform::hid::backend().open(location, platform::hid::kVendorUsage,
                                                /*seize*/ true, status);
    if (!device || status != platform::hid::Status::Success)
        return AppError::BadDevice;
    mDevice = std::move(device);
    location_ = location;
    removed_ = false;
    mDevice->setInputHandler(
        [this](platform::hid::Status s, std::span<const uint8_t> report) { onInput(s, report); });
    return AppError::NoError;
}

void HidDevice::hidClose()
{
    if (mDevice) {
        releaseDevice();
        if (awaiting_) {
            // Closed by a handler that ran inside the reply wait: end the wait.
            closedWhileAwaiting_ = true;
            replyWait_.wake();
        }
    }
    isCompletion = false;
    removed_ = false;
}

void HidDevice::markRemoved()
{
    if (removed_)
        return;
    removed_ = true;
    DeviceEnumerator::openDeviceGone();
}

bool HidDevice::hidIsOpened() const { return mDevice != nullptr; }

void HidDevice::hidWait()
{
    if (hidIsOpened())
        Wait.Set();
}

void HidDevice::onInput(platform::hid::Status status, std::span<const uint8_t> report)
{
    // The device going away is kept even when no write waits: a device
    // re-plugged at the same place looks unchanged in the device list.
    if (status == platform::hid::Status::NotAttached || status == platform::hid::Status::NoDevice)
        markRemoved();
    // Reports that arrive while no write waits (late or unsolicited ones), or
    // after the awaited ones are in, have nobody to go to and are dropped.
    if (!awaiting_ || closedWhileAwaiting_ || isCompletion)
        return;
    ++handlerDepth_;
    const int32_t result = reportResult(status);
    if (CompletionRoutine) {
        // Keep the call-back alive even if it replaces itself.
        ResponseCallback routine = CompletionRoutine;
        if (result == kReportSuccess)
            routine(result, report.data(), report.size());
        else
            routine(result, nullptr, 0);
    }
    if (result != kReportSuccess)
        isCompletion = true; // the device failed or went away: nothing more will come
    --handlerDepth_;
    if (isCompletion)
        replyWait_.wake();
}

AppError HidDevice::hidWrite(const Bytes* data, ResponseCallback responseCallBack)
{
    if (awaiting_) {
        // A write from inside this object's own reply wait would steal the
        // replies of the waiting one.
        return AppError::DeviceIsInvalid;
    }

    // Pacing: the rest of the armed interval, served on the calling thread.
    Wait.serve();

    platform::hid::Status writeStatus = platform::hid::Status::Error;
    if (data && !data->empty()) {
        CompletionRoutine = std::move(responseCallBack);
        if (mDevice) {
            // Input that is queued but not delivered belongs to nobody now.
            mDevice->flushInput();
            awaiting_ = true;
            closedWhileAwaiting_ = false;
            writeStatus = mDevice->write(std::span<const uint8_t>(data->data(), data->size()));
            if (writeStatus == platform::hid::Status::NotAttached)
                markRemoved();
        }
    }

    if (writeStatus == platform::hid::Status::Success) {
        const auto outcome = replyWait_.run(
            [this] { return isCompletion || closedWhileAwaiting_; },
            platform::Seconds(kReplyTimeoutSeconds));
        if (outcome == platform::EventWait::Outcome::TimedOut) {
            Logger::log(std::string("keyboard not response!"), __FILE__, __LINE__, kWriteFunction);
            writeStatus = platform::hid::Status::Timeout;
        }
    }
    awaiting_ = false;
    // The call-back may hold references to its caller's frame: drop it now
    // that nothing more is delivered to it.
    CompletionRoutine = nullptr;

    if (closedWhileAwaiting_) {
        closedWhileAwaiting_ = false;
        return AppError::DevceRead;
    }
    switch (writeStatus) {
    case platform::hid::Status::Success: return AppError::NoError;
    case platform::hid::Status::Timeout:
        Logger::log(std::string("ERROR : Device read timeout"), __FILE__, __LINE__, kWriteFunction);
        return AppError::DeviceReadTimeout;
    default:
        Logger::log(std::string("ERROR : Device write"), __FILE__, __LINE__, kWriteFunction);
        return AppError::DevceWrite;
    }
}

AppError HidDevice::hidRead(Bytes& data)
{
    if (data.empty())
        return AppError::BadParam;
    if (!mDevice)
        return AppError::DevceWrite;
    Bytes copy = data;
    size_t got = 0;
    const auto status = mDevice->getInputReport(std::span<uint8_t>(copy.data(), copy.size()), got);
    if (status != platform::hid::Status::Success)
        return AppError::DevceWrite;
    // `got` counts report bytes behind the report ID byte.
    if (got != data.size())
        return AppError::DevceRead;
    return AppError::NoError;
}
