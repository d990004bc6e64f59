#include "Platform/Clock.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <mutex>
#include <thread>
#include <utility>

namespace platform {

namespace {
std::atomic<double> g_scale{1.0};

std::mutex& observerMutex()
{
    static std::mutex m;
    return m;
}

SleepObserver& observer()
{
    static SleepObserver o;
    return o;
}
} // namespace

double timeScale() { return g_scale.load(std::memory_order_relaxed); }

void setTimeScale(double factor)
{
    if (factor > 0.0)
        g_scale.store(factor, std::memory_order_relaxed);
}

Seconds scaled(Seconds wait) { return wait * timeScale(); }

std::chrono::milliseconds scaledMs(Seconds wait)
{
    using std::chrono::milliseconds;
    constexpr milliseconds longest{std::numeric_limits<int>::max()};
    const Seconds s = scaled(wait);
    if (!(s.count() > 0.0)) // NaN too
        return milliseconds(0);
    if (s >= longest)
        return longest;
    const auto exact = std::chrono::round<std::chrono::microseconds>(s);
    return std::max(milliseconds(1), std::chrono::ceil<milliseconds>(exact));
}

void sleepFor(Seconds wait)
{
    sleepExactly(scaled(wait));
}

void sleepExactly(Seconds wait)
{
    if (!(wait.count() > 0.0))
        return;
    SleepObserver notify;
    {
        std::lock_guard lock(observerMutex());
        notify = observer();
    }
    if (notify)
        notify(wait);
    std::this_thread::sleep_for(wait);
}

SleepObserver setSleepObserver(SleepObserver o)
{
    std::lock_guard lock(observerMutex());
    return std::exchange(observer(), std::move(o));
}

} // namespace platform
