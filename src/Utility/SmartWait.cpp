#include "Utility/SmartWait.h"

#include <algorithm>

void SmartWait::Set()
{
    waitCount = kPaceSeconds;
    start = platform::now();
}

void SmartWait::Reset()
{
    waitCount = 0.0;
    start = {};
    end = 0.0;
}

double SmartWait::remaining() const
{
    if (waitCount <= 0.0)
        return 0.0;
    const double interval = platform::scaled(platform::Seconds(waitCount)).count();
    const double elapsed = platform::Seconds(platform::now() - start).count();
    // A monotonic clock never runs backwards, but cap the wait at the interval anyway.
    return std::clamp(interval - elapsed, 0.0, interval);
}

void SmartWait::serve()
{
    const double rest = remaining();
    if (rest > 0.0)
        platform::sleepExactly(platform::Seconds(rest));
}
