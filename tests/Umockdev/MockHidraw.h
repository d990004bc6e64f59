#pragma once
// A test bed of mocked sysfs devices and /dev nodes (umockdev), for running
// the real hidraw backend without hardware. Only the test program that is
// started with the umockdev preload can use it.
//
// Include this header before any Qt header: glib headers use the word
// "signals", which Qt defines as a macro.

#include <umockdev.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace mock {

using Bytes = std::vector<uint8_t>;

// The report descriptor of the vendor interface: usage page 0xFF00, usage 1,
// 64-byte input and output reports without report ID.
Bytes vendorDescriptor();
// A boot keyboard's descriptor (usage page 1, usage 6), nothing else.
Bytes keyboardDescriptor();

// One USB HID interface with a hidraw node, as the kernel shows it in sysfs.
struct UsbHidDevice {
    int bus = 1;
    std::string ports = "2";  // port path from the root hub, "1.4.2"
    int interfaceNumber = 1;
    uint16_t vendorId = 0x3A5E;
    uint16_t productId = 0x1108;
    Bytes descriptor = vendorDescriptor();
    std::string node = "hidraw0"; // name under /dev
};

class TestBed {
public:
    TestBed();
    ~TestBed();
    TestBed(const TestBed&) = delete;
    TestBed& operator=(const TestBed&) = delete;

    // True when this process runs with the preload (ask after construction).
    static bool preloadActive();

    // Adds the USB device, its interface, the HID device and the hidraw node
    // (the last with its /dev node); returns the hidraw node's sysfs path, or
    // "" on failure. The testbed announces the new devices ("add").
    std::string add(const UsbHidDevice& d);
    // Sends "remove" for the hidraw node, then removes it from sysfs and /dev.
    void remove(const std::string& hidrawSyspath);

    UMockdevTestbed* get() const { return tb_; }

private:
    UMockdevTestbed* tb_ = nullptr;
};

// The device side of one mocked hidraw node. The node is a pseudo terminal,
// which keeps no report boundaries: writes of the application are cut into
// 65-byte output reports here, and each read of the application is answered
// by this handler with exactly one input report. The on-demand input read
// (HIDIOCGINPUT) is answered by the get-input handler.
//
// A thread of its own runs the handler, so that the application's blocking
// calls on the main thread never wait for the main thread.
class HidrawNode {
public:
    HidrawNode(TestBed& bed, std::string devnode);
    ~HidrawNode();
    HidrawNode(const HidrawNode&) = delete;
    HidrawNode& operator=(const HidrawNode&) = delete;

    bool ready() const { return ready_; }

    // Queues one input report for the application.
    void pushInput(Bytes report);
    // Output reports written so far (report ID byte first).
    std::vector<Bytes> outputs() const;
    // Called on the main thread for each output report.
    void setOutputHandler(std::function<void(const Bytes&)> handler);
    // Answers an on-demand read of `length` bytes (report ID in buf[0]);
    // returns the number of bytes stored, or nothing to fail the call (EIO).
    // Runs on the node's thread while the application waits in its call.
    void setGetInputHandler(std::function<std::optional<size_t>(uint8_t* buf, size_t length)> handler);
    // Number of reports queued but not yet read by the application.
    size_t pendingInput() const;
    // The device is unplugged: every later read of the application fails
    // with EIO, as the kernel's does, and a waiting poll wakes up.
    void unplug();

private:
    void run();
    void onMasterReadable();
    void onRead(UMockdevIoctlClient* client);
    void writeToken();
    static gboolean readThunk(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    bool onIoctl(UMockdevIoctlClient* client);
    static gboolean ioctlThunk(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);

    TestBed& bed_;
    std::string devnode_;
    std::thread thread_;

    GMainContext* ctx_ = nullptr;
    GMainLoop* loop_ = nullptr;
    UMockdevIoctlBase* handler_ = nullptr;
    int master_ = -1;
    bool ready_ = false;

    mutable std::mutex mutex_;
    std::condition_variable started_;
    bool startDone_ = false;
    Bytes partial_;
    std::vector<Bytes> outputs_;
    std::deque<Bytes> input_;
    bool tokenPresent_ = false;
    bool gone_ = false;
    std::function<void(const Bytes&)> outputHandler_;
    std::function<std::optional<size_t>(uint8_t*, size_t)> getInputHandler_;
};

} // namespace mock
