#pragma once
// An in-process HID bus for the tests: it implements platform::hid::Backend,
// so the device layer talks to emulated keyboards and mice (EmulatedDevice)
// through exactly the code path it uses for hidraw.
//
// Everything is main-thread affine and event driven:
//  - attach()/detach() change the bus at once; the monitors' matched/removed
//    call-backs arrive later through the Qt event loop (posted events);
//  - a write() reaches the emulated device synchronously; the device's
//    replies are queued on every open handle of that interface after the
//    configured reply latency (plus any injected delay) and handed to the
//    handle's input handler through the event loop, one report per event;
//  - timed bus actions (replies after a latency, a device coming back after
//    a reboot) are kept in one time-ordered schedule; they run from a timer
//    and also on every bus call, so a host that blocks the main thread in a
//    sleep (no event processing) still finds a rebooted device on its next
//    enumerate()/open().
//
// Typical use:
//     emu::ScopedVirtualBus bus;                       // installs the bus as the backend
//     auto kb = std::make_shared<emu::EmulatedKeyboard>();
//     bus->attach(kb, 0x01100000);
//     ... run device-layer code ...
//     EXPECT_EQ(kb->live().brightness, 2);
//
// Create the bus through std::make_shared (open handles refer to it weakly).

#include "Platform/Clock.h"
#include "Platform/Hid/HidBackend.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QObject;
class QTimer;

namespace emu {

class EmulatedDevice;
class VirtualHandle;

class VirtualHidBus : public platform::hid::Backend,
                      public std::enable_shared_from_this<VirtualHidBus> {
public:
    VirtualHidBus();
    ~VirtualHidBus() override;
    VirtualHidBus(const VirtualHidBus&) = delete;
    VirtualHidBus& operator=(const VirtualHidBus&) = delete;

    // --- Test side -------------------------------------------------------

    // Plugs the device in at `location` (never 0) with the device's vendor
    // and product IDs and interfaces (EmulatedDevice::interfaces()). Fails
    // (false) when the location is taken or the device is attached elsewhere.
    bool attach(std::shared_ptr<EmulatedDevice> device, uint32_t location);

    // Unplugs whatever is at `location`: open handles get one NotAttached
    // input call-back (after the reports already queued) and fail every later
    // write/get-report with NotAttached; monitors get `removed` per interface.
    bool detach(uint32_t location);

    std::shared_ptr<EmulatedDevice> deviceAt(uint32_t location) const;
    std::vector<uint32_t> locations() const;

    // Time from a write to its replies being queued on the handle; 0 by
    // default (replies still arrive through the event loop), about 2 ms to
    // stand in for a full-speed USB round trip. Real time, not scaled.
    // Replies are released by a timer armed just ahead of their due time
    // and then leave on time to a few microseconds (later when the machine
    // is busy); a benchmark that needs the true round trip of each exchange
    // can take it from the device's log (Reply time minus Output time).
    void setReplyLatency(std::chrono::microseconds latency);
    std::chrono::microseconds replyLatency() const { return latency_; }

    // Opt-in: replies due at once are handed to the input handler inside
    // write(), before it returns (a host must cope with that too).
    void setSynchronousDelivery(bool on) { synchronous_ = on; }

    // Makes every open() of the device at `location` fail with `status`
    // (NotPermitted stands for a device node the user may not open); an
    // empty status lets opens succeed again.
    void setOpenRefusal(uint32_t location, std::optional<platform::hid::Status> status);

    // Number of open handles on the interfaces at `location`.
    int openHandleCount(uint32_t location) const;
    // Number of open() calls that succeeded, failed, in total since creation.
    int openCount() const { return openCount_; }

    // --- Emulated-device side -------------------------------------------

    // Queues one input report on every open handle of interface `iface` of
    // the device at `location`, the reply latency plus `extraDelay` after
    // `from` (the time of the write it answers; now when empty).
    void sendInput(uint32_t location, int iface, std::vector<uint8_t> report,
                   std::chrono::microseconds extraDelay = {},
                   std::optional<platform::Clock::time_point> from = {});

    // Runs `action` at `due` (after everything already scheduled for the
    // same time). Actions are dropped with the bus.
    void schedule(platform::Clock::time_point due, std::function<void()> action);
    void scheduleAfter(std::chrono::microseconds delay, std::function<void()> action);

    // Runs every scheduled action that is due now.
    void processDue();
    // Whether something is under way on the bus: an action (a reply, a
    // device leaving or coming back) waiting for its time, or a delivery or
    // notice waiting for the event loop.
    bool busy() const { return !schedule_.empty() || posted_ > 0; }

    // --- platform::hid::Backend -------------------------------------------
    std::vector<platform::hid::DeviceInfo> enumerate(
        std::span<const platform::hid::UsagePair> usages) override;
    std::unique_ptr<platform::hid::Device> open(uint32_t location, platform::hid::UsagePair usage,
                                                bool seize, platform::hid::Status& status) override;
    std::unique_ptr<platform::hid::Monitor> startMonitor(
        std::span<const platform::hid::UsagePair> usages, platform::hid::MonitorCallbacks callbacks,
        platform::hid::Status& status) override;

    // Internal (used by handles and monitors).
    struct HandleState;
    struct MonitorState;
    void post(std::function<void()> fn);
    void deliverSoon(const std::shared_ptr<HandleState>& h);
    void deliverNow(const std::shared_ptr<HandleState>& h);
    void closeHandle(HandleState* h);
    void dropMonitor(MonitorState* m);
    bool synchronous() const { return synchronous_; }

private:
    struct Attached {
        std::shared_ptr<EmulatedDevice> device;
        std::vector<platform::hid::DeviceInfo> infos; // one per interface
        uint64_t visit = 0; // which attachment this is, counted over the bus's life
    };
    struct Scheduled {
        platform::Clock::time_point due;
        uint64_t seq;
        std::function<void()> action;
    };

    void armTimer();
    void onTimer();
    void notifyMonitors(const platform::hid::DeviceInfo& info, bool matched);

    std::map<uint32_t, Attached> attached_;
    std::map<uint32_t, platform::hid::Status> openRefusals_;
    std::vector<std::weak_ptr<HandleState>> handles_;
    std::vector<std::weak_ptr<MonitorState>> monitors_;
    std::vector<Scheduled> schedule_;
    int posted_ = 0; // posted functions not run yet
    uint64_t seq_ = 0;
    uint64_t visits_ = 0;
    std::chrono::microseconds latency_{0};
    bool synchronous_ = false;
    bool processing_ = false;
    int openCount_ = 0;
    std::unique_ptr<QObject> context_;
    QTimer* timer_ = nullptr; // owned by context_
    int timerFd_ = -1;
};

// Installs a fresh bus as the HID backend for one scope; restores the
// default backend (setBackend(nullptr)) when it ends.
class ScopedVirtualBus {
public:
    ScopedVirtualBus();
    ~ScopedVirtualBus();
    ScopedVirtualBus(const ScopedVirtualBus&) = delete;
    ScopedVirtualBus& operator=(const ScopedVirtualBus&) = delete;

    VirtualHidBus& operator*() const { return *bus_; }
    VirtualHidBus* operator->() const { return bus_.get(); }
    const std::shared_ptr<VirtualHidBus>& get() const { return bus_; }

private:
    std::shared_ptr<VirtualHidBus> bus_;
};

// Runs the Qt event loop until `done()` is true or `timeout` has passed;
// returns done(). For tests that wait for posted call-backs.
bool waitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
// Runs the Qt event loop for `duration` (processes posted call-backs).
void pumpEvents(std::chrono::milliseconds duration = std::chrono::milliseconds(0));

} // namespace emu
