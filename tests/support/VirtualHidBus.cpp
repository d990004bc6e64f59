#include "support/VirtualHidBus.h"

#include "support/EmulatedDevice.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace emu {

using platform::hid::DeviceInfo;
using platform::hid::Status;
using platform::hid::UsagePair;
using platform::hid::matchesAny;

// --- Open handles ------------------------------------------------------------

struct VirtualHidBus::HandleState {
    std::weak_ptr<VirtualHidBus> bus;
    std::weak_ptr<EmulatedDevice> device;
    uint32_t location = 0;
    int iface = 0;
    DeviceInfo info;
    bool seized = false;
    bool detached = false;
    bool closed = false;
    bool deliveryPosted = false;
    std::deque<std::pair<Status, std::vector<uint8_t>>> queue;
    platform::hid::Device::InputHandler handler;
};

class VirtualHandle : public platform::hid::Device {
public:
    explicit VirtualHandle(std::shared_ptr<VirtualHidBus::HandleState> st) : st_(std::move(st)) {}

    ~VirtualHandle() override
    {
        st_->closed = true;
        st_->queue.clear();
        st_->handler = nullptr;
        if (auto bus = st_->bus.lock())
            bus->closeHandle(st_.get());
    }

    Status write(std::span<const uint8_t> reportIdAndData) override
    {
        auto [bus, dev] = reach();
        if (!dev)
            return Status::NotAttached;
        if (reportIdAndData.empty())
            return Status::Error;
        const bool ok = dev->onOutputReport(st_->iface, reportIdAndData);
        bus->processDue();
        if (bus->synchronous())
            bus->deliverNow(st_);
        return ok ? Status::Success : Status::Error;
    }

    Status getInputReport(std::span<uint8_t> buf, size_t& got) override
    {
        got = 0;
        auto [bus, dev] = reach();
        if (!dev)
            return Status::NotAttached;
        if (buf.empty())
            return Status::Error;
        return dev->onGetInputReport(st_->iface, buf, got);
    }

    void setInputHandler(InputHandler handler) override
    {
        st_->handler = std::move(handler);
        if (auto bus = st_->bus.lock())
            bus->deliverSoon(st_);
    }

    void flushInput() override
    {
        // Reports due by now have come in, as on a hidraw node (a late reply
        // that fell due while the host was busy): they go with the rest,
        // rather than be queued by the next write ahead of its own replies.
        if (auto bus = st_->bus.lock())
            bus->processDue();
        // Queued reports go; a pending failure notice (device gone) stays.
        std::erase_if(st_->queue, [](const auto& e) { return e.first == Status::Success; });
    }

    const DeviceInfo& info() const override { return st_->info; }

private:
    // The bus and the device behind this handle, once the bus has run what
    // is due; both empty when the device is no longer attached.
    std::pair<std::shared_ptr<VirtualHidBus>, std::shared_ptr<EmulatedDevice>> reach()
    {
        auto bus = st_->bus.lock();
        if (!bus || st_->detached)
            return {};
        bus->processDue();
        auto dev = st_->device.lock();
        if (st_->detached || !dev)
            return {};
        return {std::move(bus), std::move(dev)};
    }

    std::shared_ptr<VirtualHidBus::HandleState> st_;
};

// --- Monitors -----------------------------------------------------------------

struct VirtualHidBus::MonitorState {
    std::weak_ptr<VirtualHidBus> bus;
    std::vector<UsagePair> usages;
    platform::hid::MonitorCallbacks callbacks;
    bool alive = true;
};

namespace {

class VirtualMonitor : public platform::hid::Monitor {
public:
    explicit VirtualMonitor(std::shared_ptr<VirtualHidBus::MonitorState> st) : st_(std::move(st)) {}
    ~VirtualMonitor() override
    {
        st_->alive = false;
        if (auto bus = st_->bus.lock())
            bus->dropMonitor(st_.get());
    }

private:
    std::shared_ptr<VirtualHidBus::MonitorState> st_;
};

} // namespace

// --- The bus ------------------------------------------------------------------

VirtualHidBus::VirtualHidBus() : context_(std::make_unique<QObject>())
{
    // Scheduled actions are released by a timerfd armed at their exact due
    // time (the steady clock is CLOCK_MONOTONIC), watched by the event loop;
    // a Qt timer (millisecond resolution) stands in if that is unavailable.
    timerFd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd_ >= 0) {
        auto* notifier = new QSocketNotifier(timerFd_, QSocketNotifier::Read, context_.get());
        QObject::connect(notifier, &QSocketNotifier::activated, context_.get(), [this] {
            uint64_t expirations = 0;
            [[maybe_unused]] auto n = ::read(timerFd_, &expirations, sizeof expirations);
            onTimer();
        });
    }
    timer_ = new QTimer(context_.get());
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, context_.get(), [this] { onTimer(); });
}

VirtualHidBus::~VirtualHidBus()
{
    timer_->stop();
    context_.reset();
    if (timerFd_ >= 0)
        ::close(timerFd_);
    schedule_.clear();
    for (auto& [loc, a] : attached_)
        a.device->busDetached();
    attached_.clear();
    for (auto& w : handles_)
        if (auto h = w.lock())
            h->detached = true;
}

bool VirtualHidBus::attach(std::shared_ptr<EmulatedDevice> device, uint32_t location)
{
    if (!device || location == 0 || attached_.count(location) || device->attached())
        return false;
    Attached a;
    a.device = device;
    a.visit = ++visits_;
    const auto& ifaces = device->interfaces();
    for (size_t i = 0; i < ifaces.size(); ++i) {
        DeviceInfo info;
        info.location = location;
        info.vendorId = device->busVendorId();
        info.productId = device->busProductId();
        info.usages = {ifaces[i].usage};
        info.maxInputReportSize = ifaces[i].maxInputReportSize;
        char id[64];
        std::snprintf(id, sizeof id, "virtual:%08x:%zu", location, i);
        info.id = id;
        a.infos.push_back(std::move(info));
    }
    auto infos = a.infos;
    attached_.emplace(location, std::move(a));
    device->busAttached(this, location);
    for (const auto& info : infos)
        notifyMonitors(info, true);
    return true;
}

bool VirtualHidBus::detach(uint32_t location)
{
    auto it = attached_.find(location);
    if (it == attached_.end())
        return false;
    Attached a = std::move(it->second);
    attached_.erase(it);
    for (auto& w : handles_) {
        auto h = w.lock();
        if (!h || h->closed || h->detached || h->location != location)
            continue;
        h->detached = true;
        h->queue.emplace_back(Status::NotAttached, std::vector<uint8_t>{});
        deliverSoon(h);
    }
    a.device->busDetached();
    for (const auto& info : a.infos)
        notifyMonitors(info, false);
    return true;
}

std::shared_ptr<EmulatedDevice> VirtualHidBus::deviceAt(uint32_t location) const
{
    auto it = attached_.find(location);
    return it == attached_.end() ? nullptr : it->second.device;
}

std::vector<uint32_t> VirtualHidBus::locations() const
{
    std::vector<uint32_t> out;
    for (const auto& [loc, a] : attached_)
        out.push_back(loc);
    return out;
}

void VirtualHidBus::setReplyLatency(std::chrono::microseconds latency)
{
    latency_ = std::max(latency, std::chrono::microseconds(0));
}

int VirtualHidBus::openHandleCount(uint32_t location) const
{
    int n = 0;
    for (const auto& w : handles_)
        if (auto h = w.lock(); h && !h->closed && !h->detached && h->location == location)
            ++n;
    return n;
}

void VirtualHidBus::sendInput(uint32_t location, int iface, std::vector<uint8_t> report,
                              std::chrono::microseconds extraDelay,
                              std::optional<platform::Clock::time_point> from)
{
    const auto at = attached_.find(location);
    if (at == attached_.end())
        return;
    schedule(from.value_or(platform::now()) + latency_ + extraDelay,
             [this, visit = at->second.visit, location, iface, report = std::move(report)] {
        // A device that left meanwhile lost the report, even when it is back
        // by now: a restart forgets what the device still owed.
        const auto it = attached_.find(location);
        if (it == attached_.end() || it->second.visit != visit)
            return;
        it->second.device->noteReplyQueued(iface, report);
        for (auto& w : handles_) {
            auto h = w.lock();
            if (!h || h->closed || h->detached || h->location != location || h->iface != iface)
                continue;
            h->queue.emplace_back(Status::Success, report);
            deliverSoon(h);
        }
    });
}

void VirtualHidBus::schedule(platform::Clock::time_point due, std::function<void()> action)
{
    Scheduled s{due, seq_++, std::move(action)};
    auto pos = std::upper_bound(schedule_.begin(), schedule_.end(), s,
                                [](const Scheduled& a, const Scheduled& b) {
                                    return a.due < b.due || (a.due == b.due && a.seq < b.seq);
                                });
    schedule_.insert(pos, std::move(s));
    armTimer();
}

void VirtualHidBus::scheduleAfter(std::chrono::microseconds delay, std::function<void()> action)
{
    schedule(platform::now() + delay, std::move(action));
}

void VirtualHidBus::processDue()
{
    if (processing_)
        return;
    processing_ = true;
    while (!schedule_.empty() && schedule_.front().due <= platform::now()) {
        auto action = std::move(schedule_.front().action);
        schedule_.erase(schedule_.begin());
        action();
    }
    processing_ = false;
    armTimer();
}

// The event loop wakes a little after the timer expires; the timer is
// therefore armed this much early, and the last stretch to the due time is
// waited out on the spot, so replies leave on time to a few microseconds.
static constexpr std::chrono::microseconds kWakeLead{150};

void VirtualHidBus::onTimer()
{
    if (!schedule_.empty()) {
        const auto due = schedule_.front().due;
        if (due - platform::now() <= kWakeLead)
            while (platform::now() < due) {
            }
    }
    processDue();
}

void VirtualHidBus::armTimer()
{
    if (timerFd_ >= 0) {
        itimerspec when{};
        if (!schedule_.empty()) {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                (schedule_.front().due - kWakeLead).time_since_epoch())
                                .count();
            when.it_value.tv_sec = static_cast<time_t>(ns / 1000000000);
            when.it_value.tv_nsec = static_cast<long>(ns % 1000000000);
            if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0)
                when.it_value.tv_nsec = 1; // zero would disarm
        }
        if (::timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &when, nullptr) == 0)
            return;
    }
    if (schedule_.empty()) {
        timer_->stop();
        return;
    }
    auto wait = schedule_.front().due - platform::now();
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    timer_->start(static_cast<int>(std::clamp<long long>(ms, 0, 24LL * 3600 * 1000)));
}

void VirtualHidBus::post(std::function<void()> fn)
{
    ++posted_;
    QMetaObject::invokeMethod(
        context_.get(),
        [this, fn = std::move(fn)] {
            --posted_;
            fn();
        },
        Qt::QueuedConnection);
}

void VirtualHidBus::deliverSoon(const std::shared_ptr<HandleState>& h)
{
    if (h->deliveryPosted || h->queue.empty() || h->closed)
        return;
    h->deliveryPosted = true;
    std::weak_ptr<HandleState> w = h;
    post([this, w] {
        auto h = w.lock();
        if (!h)
            return;
        h->deliveryPosted = false;
        if (h->closed || h->queue.empty() || !h->handler)
            return;
        auto [status, bytes] = std::move(h->queue.front());
        h->queue.pop_front();
        deliverSoon(h); // the rest, one report per event
        auto handler = h->handler;
        handler(status, bytes);
    });
}

void VirtualHidBus::deliverNow(const std::shared_ptr<HandleState>& h)
{
    while (!h->closed && h->handler && !h->queue.empty()) {
        auto [status, bytes] = std::move(h->queue.front());
        h->queue.pop_front();
        auto handler = h->handler;
        handler(status, bytes);
    }
}

void VirtualHidBus::closeHandle(HandleState* h)
{
    std::erase_if(handles_, [h](const std::weak_ptr<HandleState>& w) {
        auto s = w.lock();
        return !s || s.get() == h;
    });
}

void VirtualHidBus::dropMonitor(MonitorState* m)
{
    std::erase_if(monitors_, [m](const std::weak_ptr<MonitorState>& w) {
        auto s = w.lock();
        return !s || s.get() == m;
    });
}

void VirtualHidBus::notifyMonitors(const DeviceInfo& info, bool matched)
{
    for (auto& w : monitors_) {
        auto m = w.lock();
        if (!m || !m->alive || !matchesAny(info, m->usages))
            continue;
        std::weak_ptr<MonitorState> wm = m;
        post([wm, info, matched] {
            auto m = wm.lock();
            if (!m || !m->alive)
                return;
            auto& cb = matched ? m->callbacks.matched : m->callbacks.removed;
            if (cb) {
                auto copy = cb;
                copy(info);
            }
        });
    }
}

std::vector<DeviceInfo> VirtualHidBus::enumerate(std::span<const UsagePair> usages)
{
    processDue();
    std::vector<DeviceInfo> out;
    for (const auto& [loc, a] : attached_)
        for (const auto& info : a.infos)
            if (matchesAny(info, usages))
                out.push_back(info);
    return out;
}

std::unique_ptr<platform::hid::Device> VirtualHidBus::open(uint32_t location, UsagePair usage,
                                                           bool seize, Status& status)
{
    processDue();
    status = Status::NoDevice;
    auto it = attached_.find(location);
    if (it == attached_.end())
        return nullptr;
    if (const auto refused = openRefusals_.find(location); refused != openRefusals_.end()) {
        status = refused->second;
        return nullptr;
    }
    const Attached& a = it->second;
    for (size_t i = 0; i < a.infos.size(); ++i) {
        if (!a.infos[i].hasUsage(usage))
            continue;
        bool blocked = false;
        for (const auto& w : handles_) {
            auto h = w.lock();
            if (!h || h->closed || h->detached || h->location != location || h->iface != int(i))
                continue;
            if (h->seized || seize)
                blocked = true;
        }
        if (blocked) {
            status = Status::ExclusiveAccess;
            continue;
        }
        auto st = std::make_shared<HandleState>();
        st->bus = weak_from_this();
        st->device = a.device;
        st->location = location;
        st->iface = int(i);
        st->info = a.infos[i];
        st->seized = seize;
        handles_.push_back(st);
        ++openCount_;
        status = Status::Success;
        return std::make_unique<VirtualHandle>(std::move(st));
    }
    return nullptr;
}

void VirtualHidBus::setOpenRefusal(uint32_t location, std::optional<Status> status)
{
    if (status)
        openRefusals_[location] = *status;
    else
        openRefusals_.erase(location);
}

std::unique_ptr<platform::hid::Monitor> VirtualHidBus::startMonitor(
    std::span<const UsagePair> usages, platform::hid::MonitorCallbacks callbacks, Status& status)
{
    auto st = std::make_shared<MonitorState>();
    st->bus = weak_from_this();
    st->usages.assign(usages.begin(), usages.end());
    st->callbacks = std::move(callbacks);
    monitors_.push_back(st);
    status = Status::Success;
    return std::make_unique<VirtualMonitor>(std::move(st));
}

// --- Scope helper and event-loop helpers -------------------------------------

ScopedVirtualBus::ScopedVirtualBus() : bus_(std::make_shared<VirtualHidBus>())
{
    platform::hid::setBackend(bus_);
}

ScopedVirtualBus::~ScopedVirtualBus()
{
    platform::hid::setBackend(nullptr);
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = platform::now() + timeout;
    // A timer wakes the wait at the deadline; any other event wakes it as
    // soon as it arrives, so the condition is seen without polling delay.
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.setSingleShot(true);
    while (!done()) {
        const auto left = deadline - platform::now();
        if (left <= platform::Clock::duration::zero())
            return done();
        if (!wake.isActive())
            wake.start(static_cast<int>(std::max<long long>(
                std::chrono::ceil<std::chrono::milliseconds>(left).count(), 1)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pumpEvents(std::chrono::milliseconds duration)
{
    const auto deadline = platform::now() + duration;
    do {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
        if (platform::now() >= deadline)
            break;
        QEventLoop loop;
        QTimer tick;
        tick.setSingleShot(true);
        QObject::connect(&tick, &QTimer::timeout, &loop, &QEventLoop::quit);
        tick.start(1);
        loop.exec();
    } while (platform::now() < deadline);
}

} // namespace emu
