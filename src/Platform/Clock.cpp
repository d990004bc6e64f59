#include "Platform/Clock.h"

#include <atomic>
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

void sleepFor(Seconds wait)
{
    const Seconds s = scaled(wait);
    if (s.count() > 0.0)
        std::this_thread::sleep_for(s);
}

} // namespace platform
