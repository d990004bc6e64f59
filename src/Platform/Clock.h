#pragma once
// The one clock and sleeper of the system. Every fixed wait (protocol pacing,
// reply time-out, retry delay, firmware sleeps, delays of the user interface)
// is written as its real constant and goes through here, so that tests can
// run the same code on a shortened time scale.

#include <chrono>
#include <functional>

namespace platform {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// Monotonic now.
inline Clock::time_point now() { return Clock::now(); }

// The factor applied to every fixed wait; 1.0 in the application.
double timeScale();
void setTimeScale(double factor);

// A fixed wait as it is served on the current time scale.
Seconds scaled(Seconds wait);

// The same, as a timer's whole milliseconds: rounded up, so that a timer
// never ends a wait early (after rounding to the microsecond, so that 0.3 s
// stays 300 ms), at least 1 for any wait above zero (a repeating timer
// never spins), 0 for none, and at most what a Qt timer takes.
std::chrono::milliseconds scaledMs(Seconds wait);

// Blocks the calling thread for the scaled wait (no event processing).
void sleepFor(Seconds wait);

// Blocks the calling thread for `wait` as given: a wait that is already on
// the time scale, such as the rest of a scaled interval.
void sleepExactly(Seconds wait);

// Test seam: `observer` is told of every wait that sleepFor() and
// sleepExactly() are about to serve (as served, on the time scale), on the
// sleeping thread, before it sleeps; an empty one stops that. Returns the
// previous observer. Tests use it to see which waits were served instead of
// timing them.
using SleepObserver = std::function<void(Seconds)>;
SleepObserver setSleepObserver(SleepObserver observer);

// Sets the time scale for one scope (tests).
class ScopedTimeScale {
public:
    explicit ScopedTimeScale(double factor) : previous_(timeScale()) { setTimeScale(factor); }
    ~ScopedTimeScale() { setTimeScale(previous_); }
    ScopedTimeScale(const ScopedTimeScale&) = delete;
    ScopedTimeScale& operator=(const ScopedTimeScale&) = delete;

private:
    double previous_;
};

} // namespace platform
