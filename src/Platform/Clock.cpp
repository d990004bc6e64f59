#include "Platform/Clock.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <thread>

namespace platform {

namespace {
std::atomic<double> g_scale{1.0};
}

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
    const Seconds s = scaled(wait);
    if (s.count() > 0.0)
        std::this_thread::sleep_for(s);
}

} // namespace platform
