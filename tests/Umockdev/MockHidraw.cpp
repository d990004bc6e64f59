#include "MockHidraw.h" // first: glib before Qt

#include <glib-unix.h>

#include "Utility/HexText.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace mock {

namespace {

constexpr size_t kOutputReportSize = 65; // report ID + 64 bytes

std::string hex(const Bytes& b)
{
    std::string s;
    for (uint8_t v : b)
        s += hexText(v, 2);
    return s;
}

std::string hex4(uint16_t v) { return hexText(v, 4); }

} // namespace

Bytes vendorDescriptor()
{
    return {0x06, 0x00, 0xFF,                                          // usage page 0xFF00
            0x09, 0x01, 0xA1, 0x01,                                    // usage 1, application
            0x09, 0x02, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x81, 0x02, // 64 in
            0x09, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x91, 0x02, // 64 out
            0xC0};
}

Bytes keyboardDescriptor()
{
    return {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,                   // generic desktop, keyboard
            0x05, 0x07, 0x19, 0x00, 0x29, 0xFF, 0x15, 0x00, 0x26, 0xFF, 0x00,
            0x75, 0x08, 0x95, 0x08, 0x81, 0x00,                   // 8 input bytes
            0xC0};
}

TestBed::TestBed()
    : tb_(umockdev_testbed_new())
{
}

TestBed::~TestBed() { g_object_unref(tb_); }

bool TestBed::preloadActive() { return umockdev_in_mock_environment(); }

std::string TestBed::add(const UsbHidDevice& d)
{
    const std::string usbName = std::to_string(d.bus) + "-" + d.ports;
    const std::string usbPath = "/devices/pci0000:00/0000:00:14.0/usb" + std::to_string(d.bus) + "/" + usbName;
    const std::string ifacePath = usbPath + "/" + usbName + ":1." + std::to_string(d.interfaceNumber);
    static int sequence = 0;
    char hidName[32];
    std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04X", d.vendorId, d.productId, ++sequence);
    const std::string hidPath = ifacePath + "/" + hidName;
    const std::string hidrawPath = hidPath + "/hidraw/" + d.node;

    // Records of devices that are already there (the USB device above a
    // re-plugged node) are left out.
    gchar* sysDir = umockdev_testbed_get_sys_dir(tb_);
    const std::string sys = sysDir;
    g_free(sysDir);
    const auto present = [&sys](const std::string& path) { return ::access((sys + path).c_str(), F_OK) == 0; };

    std::string devpathText = d.ports;
    std::string record;
    if (!present(usbPath))
        record += "P: " + usbPath + "\n"
              "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
              "A: busnum=" + std::to_string(d.bus) + "\n"
              "A: devpath=" + devpathText + "\n"
              "A: idVendor=" + hex4(d.vendorId) + "\n"
              "A: idProduct=" + hex4(d.productId) + "\n\n";
    if (!present(ifacePath))
        record += "P: " + ifacePath + "\n"
              "E: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n"
              "A: bInterfaceClass=03\n\n";
    if (!present(hidPath))
        record += "P: " + hidPath + "\n"
              "E: SUBSYSTEM=hid\n"
              "E: HID_ID=0003:0000" + hex4(d.vendorId) + ":0000" + hex4(d.productId) + "\n"
              "E: HID_NAME=Mocked device\n"
              "H: report_descriptor=" + hex(d.descriptor) + "\n\n";
    record += "P: " + hidrawPath + "\n"
              "N: " + d.node + "\n"
              "E: SUBSYSTEM=hidraw\n"
              "E: DEVNAME=/dev/" + d.node + "\n\n";

    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(tb_, record.c_str(), &error)) {
        std::fprintf(stderr, "umockdev: %s\n", error ? error->message : "?");
        g_clear_error(&error);
        return {};
    }
    return "/sys" + hidrawPath;
}

void TestBed::remove(const std::string& hidrawSyspath)
{
    umockdev_testbed_uevent(tb_, hidrawSyspath.c_str(), "remove");
    umockdev_testbed_remove_device(tb_, hidrawSyspath.c_str());
}

// ---------------------------------------------------------------------------

HidrawNode::HidrawNode(TestBed& bed, std::string devnode)
    : bed_(bed)
    , devnode_(std::move(devnode))
{
    thread_ = std::thread([this] { run(); });
    std::unique_lock lock(mutex_);
    started_.wait(lock, [this] { return startDone_; });
}

HidrawNode::~HidrawNode()
{
    // The node's thread lets go of its context as soon as its loop has quit,
    // which may be before the call that asks it to quit has returned here:
    // that call still uses the context, so it is held until the thread ends.
    GMainContext* context = loop_ ? g_main_context_ref(ctx_) : nullptr;
    if (context) {
        g_main_context_invoke(context, [](gpointer loop) -> gboolean {
            g_main_loop_quit(static_cast<GMainLoop*>(loop));
            return G_SOURCE_REMOVE;
        }, loop_);
    }
    thread_.join();
    if (context)
        g_main_context_unref(context);
}

void HidrawNode::run()
{
    ctx_ = g_main_context_new();
    g_main_context_push_thread_default(ctx_);

    // Opened before the ioctl handler is attached, so that its own calls are
    // not handed to that handler (which runs on this very thread).

    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&HidrawNode::ioctlThunk), this);
    g_signal_connect(handler_, "handle-read", G_CALLBACK(&HidrawNode::readThunk), this);
    GError* error = nullptr;
    const bool attached = umockdev_testbed_attach_ioctl(bed_.get(), devnode_.c_str(), handler_, &error);
    if (!attached) {
        std::fprintf(stderr, "umockdev ioctl: %s\n", error ? error->message : "?");
        g_clear_error(&error);
    }
    master_ = umockdev_testbed_get_dev_fd(bed_.get(), devnode_.c_str());
    if (master_ >= 0) {
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        // Raw mode: no line editing, no CR/LF translation, no echo. Set on the
        // master, it applies to the node's side.
        termios t{};
        if (::tcgetattr(master_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(master_, TCSANOW, &t);
        }
    }

    GSource* readable = nullptr;
    if (master_ >= 0 && attached) {
        loop_ = g_main_loop_new(ctx_, FALSE);
        readable = g_unix_fd_source_new(master_, G_IO_IN);
        g_source_set_callback(readable, G_SOURCE_FUNC(+[](gint, GIOCondition, gpointer self) -> gboolean {
            static_cast<HidrawNode*>(self)->onMasterReadable();
            return G_SOURCE_CONTINUE;
        }), this, nullptr);
        g_source_attach(readable, ctx_);
        ready_ = true;
    }
    {
        std::lock_guard lock(mutex_);
        startDone_ = true;
    }
    started_.notify_all();

    if (loop_)
        g_main_loop_run(loop_);

    if (readable) {
        g_source_destroy(readable);
        g_source_unref(readable);
    }
    if (attached)
        umockdev_testbed_detach_ioctl(bed_.get(), devnode_.c_str(), nullptr);
    g_object_unref(handler_);
    if (loop_)
        g_main_loop_unref(loop_);
    g_main_context_pop_thread_default(ctx_);
    g_main_context_unref(ctx_);
}

void HidrawNode::onMasterReadable()
{
    uint8_t buf[4096];
    std::vector<Bytes> complete;
    std::function<void(const Bytes&)> handler;
    {
        std::lock_guard lock(mutex_);
        while (true) {
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                break;
            partial_.insert(partial_.end(), buf, buf + n);
        }
        while (partial_.size() >= kOutputReportSize) {
            Bytes report(partial_.begin(), partial_.begin() + kOutputReportSize);
            partial_.erase(partial_.begin(), partial_.begin() + kOutputReportSize);
            outputs_.push_back(report);
            complete.push_back(std::move(report));
        }
        handler = outputHandler_;
    }
    if (!handler || complete.empty())
        return;
    for (auto& report : complete)
        QMetaObject::invokeMethod(QCoreApplication::instance(), [handler, report] { handler(report); },
                                  Qt::QueuedConnection);
}

gboolean HidrawNode::readThunk(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
{
    static_cast<HidrawNode*>(self)->onRead(client);
    return TRUE;
}

// One read of the application: the next report, or EAGAIN when there is
// none. The node holds one byte (the token) while reports are queued, so that
// polling it shows them; the read that takes the last report also takes the
// token, by running the read on the node itself before the report is put in
// its buffer.
void HidrawNode::onRead(UMockdevIoctlClient* client)
{
    std::lock_guard lock(mutex_);
    if (gone_) {
        umockdev_ioctl_client_complete(client, -1, EIO);
        return;
    }
    if (input_.empty()) {
        umockdev_ioctl_client_complete(client, -1, EAGAIN);
        return;
    }
    const Bytes report = std::move(input_.front());
    input_.pop_front();
    if (input_.empty() && tokenPresent_) {
        int err = 0;
        GError* error = nullptr;
        umockdev_ioctl_client_execute(client, &err, &error);
        g_clear_error(&error);
        tokenPresent_ = false;
    }
    UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
    const size_t n = std::min(report.size(), size_t(buffer->data_len));
    umockdev_ioctl_data_update(buffer, 0, const_cast<uint8_t*>(report.data()), gint(n));
    umockdev_ioctl_client_complete(client, glong(n), 0);
}

void HidrawNode::writeToken()
{
    if (tokenPresent_ || master_ < 0)
        return;
    const uint8_t token = 0;
    if (::write(master_, &token, 1) == 1)
        tokenPresent_ = true;
}

void HidrawNode::unplug()
{
    std::lock_guard lock(mutex_);
    gone_ = true;
    writeToken();
}

gboolean HidrawNode::ioctlThunk(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self)
{
    return static_cast<HidrawNode*>(self)->onIoctl(client) ? TRUE : FALSE;
}

bool HidrawNode::onIoctl(UMockdevIoctlClient* client)
{
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    if (_IOC_TYPE(request) != 'H' || _IOC_NR(request) != 0x0A) {
        // Anything else runs on the node itself.
        int err = 0;
        GError* error = nullptr;
        const int result = umockdev_ioctl_client_execute(client, &err, &error);
        g_clear_error(&error);
        umockdev_ioctl_client_complete(client, result, err);
        return true;
    }
    const size_t length = _IOC_SIZE(request);
    std::function<std::optional<size_t>(uint8_t*, size_t)> handler;
    {
        std::lock_guard lock(mutex_);
        handler = getInputHandler_;
    }
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    GError* error = nullptr;
    UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, length, &error);
    if (!data) {
        g_clear_error(&error);
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return true;
    }
    const std::optional<size_t> got = handler ? handler(data->data, length) : std::nullopt;
    if (got)
        umockdev_ioctl_client_complete(client, glong(*got), 0);
    else
        umockdev_ioctl_client_complete(client, -1, EIO);
    g_object_unref(data);
    return true;
}

void HidrawNode::pushInput(Bytes report)
{
    std::lock_guard lock(mutex_);
    input_.push_back(std::move(report));
    writeToken();
}

std::vector<Bytes> HidrawNode::outputs() const
{
    std::lock_guard lock(mutex_);
    return outputs_;
}

void HidrawNode::setOutputHandler(std::function<void(const Bytes&)> handler)
{
    std::lock_guard lock(mutex_);
    outputHandler_ = std::move(handler);
}

void HidrawNode::setGetInputHandler(std::function<std::optional<size_t>(uint8_t*, size_t)> handler)
{
    std::lock_guard lock(mutex_);
    getInputHandler_ = std::move(handler);
}

size_t HidrawNode::pendingInput() const
{
    std::lock_guard lock(mutex_);
    return input_.size();
}

} // namespace mock
