#include "Platform/Hid/Linux/HidrawBackend.h"

#include "Platform/Hid/Linux/HidrawDevice.h"
#include "Platform/Hid/Linux/HidrawNode.h"
#include "Platform/Hid/Linux/HotplugTracker.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

namespace platform::hid {

namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <class T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

constexpr size_t kMaxDescriptorSize = 16384;
constexpr size_t kMaxUeventSize = 16384;
constexpr int kMonitorBufferSize = 1 << 20;

std::string text(const char* s) { return s ? std::string(s) : std::string(); }

// Reads a sysfs file whole (binary safe, unlike udev's attribute reader).
std::vector<uint8_t> readFile(const std::string& path, size_t maxSize)
{
    std::vector<uint8_t> out;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    out.resize(maxSize);
    size_t got = 0;
    while (got < maxSize) {
        const ssize_t n = ::read(fd, out.data() + got, maxSize - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += size_t(n);
    }
    ::close(fd);
    out.resize(got);
    return out;
}

std::optional<HidrawNode> describe(udev_device* hidraw)
{
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    if (!hid)
        return std::nullopt; // gone already, or not a HID device after all

    SysfsNodeFacts f;
    f.syspath = text(udev_device_get_syspath(hidraw));
    f.devnode = text(udev_device_get_devnode(hidraw));
    if (f.devnode.empty())
        f.devnode = "/dev/" + text(udev_device_get_sysname(hidraw));
    f.hidSyspath = text(udev_device_get_syspath(hid));
    const auto uevent = readFile(f.hidSyspath + "/uevent", kMaxUeventSize);
    f.hidUevent.assign(uevent.begin(), uevent.end());
    f.reportDescriptor = readFile(f.hidSyspath + "/report_descriptor", kMaxDescriptorSize);

    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_device")) {
        f.hasUsb = true;
        f.usbSyspath = text(udev_device_get_syspath(usb));
        f.usbSysname = text(udev_device_get_sysname(usb));
        f.usbBusnum = text(udev_device_get_sysattr_value(usb, "busnum"));
        f.usbDevpath = text(udev_device_get_sysattr_value(usb, "devpath"));
        f.usbIdVendor = text(udev_device_get_sysattr_value(usb, "idVendor"));
        f.usbIdProduct = text(udev_device_get_sysattr_value(usb, "idProduct"));
    }
    return describeHidrawNode(f);
}

// With the udev daemon running, a node it has not finished setting up (its
// access rights may not be in place yet) is left for its "add" event.
bool udevDaemonRunning() { return ::access("/run/udev/control", F_OK) == 0; }

} // namespace

struct HidrawBackend::Impl : std::enable_shared_from_this<HidrawBackend::Impl> {
    UdevPtr<udev> ctx;
    UdevPtr<udev_monitor> monitor;
    std::unique_ptr<QSocketNotifier> notifier;
    std::shared_ptr<HotplugTracker> tracker = HotplugTracker::create();

    ~Impl()
    {
        if (notifier) {
            notifier->setEnabled(false);
            if (QCoreApplication::instance())
                notifier.release()->deleteLater();
        }
    }

    // The udev context and the monitor, the latter receiving from the first
    // call on.
    bool start()
    {
        if (!ctx)
            ctx.reset(udev_new());
        if (!ctx)
            return false;
        if (!monitor) {
            UdevPtr<udev_monitor> m(udev_monitor_new_from_netlink(ctx.get(), "udev"));
            if (m && udev_monitor_filter_add_match_subsystem_devtype(m.get(), "hidraw", nullptr) >= 0
                && udev_monitor_enable_receiving(m.get()) >= 0) {
                udev_monitor_set_receive_buffer_size(m.get(), kMonitorBufferSize);
                monitor = std::move(m);
            }
        }
        return true;
    }

    std::vector<HidrawNode> scan()
    {
        std::vector<HidrawNode> out;
        if (!start())
            return out;
        UdevPtr<udev_enumerate> e(udev_enumerate_new(ctx.get()));
        if (!e || udev_enumerate_add_match_subsystem(e.get(), "hidraw") < 0
            || udev_enumerate_scan_devices(e.get()) < 0)
            return out;
        const bool skipUninitialized = udevDaemonRunning();
        udev_list_entry* entry;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get()))
        {
            UdevPtr<udev_device> dev(
                udev_device_new_from_syspath(ctx.get(), udev_list_entry_get_name(entry)));
            if (!dev)
                continue;
            if (skipUninitialized && !udev_device_get_is_initialized(dev.get()))
                continue;
            if (auto node = describe(dev.get())) {
                tracker->remember(*node);
                out.push_back(std::move(*node));
            }
        }
        return out;
    }

    void onMonitorReadable()
    {
        // A call-back may drop the backend; keep this alive until done.
        const auto self = shared_from_this();
        while (monitor) {
            UdevPtr<udev_device> dev(udev_monitor_receive_device(monitor.get()));
            if (!dev)
                break;
            const std::string action = text(udev_device_get_action(dev.get()));
            if (action == "add") {
                if (auto node = describe(dev.get()))
                    tracker->added(*node);
            } else if (action == "remove") {
                tracker->removed(text(udev_device_get_syspath(dev.get())));
            }
        }
    }
};

HidrawBackend::HidrawBackend()
    : impl_(std::make_shared<Impl>())
{
}

HidrawBackend::~HidrawBackend() = default;

std::vector<DeviceInfo> HidrawBackend::enumerate(std::span<const UsagePair> usages)
{
    std::vector<DeviceInfo> out;
    for (auto& node : impl_->scan())
        if (matchesAny(node.info, usages))
            out.push_back(std::move(node.info));
    return out;
}

std::unique_ptr<Device> HidrawBackend::open(uint32_t location, UsagePair usage, bool seize,
                                            Status& status)
{
    status = Status::NoDevice;
    for (auto& node : impl_->scan()) {
        if (node.info.location != location || !node.info.hasUsage(usage))
            continue;
        Status st;
        auto dev = HidrawDevice::open(node.devnode, std::move(node.info), node.numberedReports,
                                      seize, st);
        if (dev) {
            status = Status::Success;
            return dev;
        }
        // With several matches (not expected), the first one that opens wins;
        // otherwise the first failure is reported.
        if (status == Status::NoDevice)
            status = st;
    }
    return nullptr;
}

std::unique_ptr<Monitor> HidrawBackend::startMonitor(std::span<const UsagePair> usages,
                                                     MonitorCallbacks callbacks, Status& status)
{
    if (!impl_->start() || !impl_->monitor) {
        status = Status::Error;
        return nullptr;
    }
    if (!impl_->notifier) {
        impl_->notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(impl_->monitor.get()),
                                                            QSocketNotifier::Read);
        Impl* impl = impl_.get();
        QObject::connect(impl_->notifier.get(), &QSocketNotifier::activated, impl_->notifier.get(),
                         [impl] { impl->onMonitorReadable(); });
    }
    status = Status::Success;
    return impl_->tracker->addMonitor(usages, std::move(callbacks));
}

} // namespace platform::hid
