#pragma once
// Command pacing of one device: once armed, the next packet written to that
// device leaves no earlier than 0.06 s after the arming. Serving the wait does
// not re-arm it.

#include "Platform/Clock.h"

#include <thread>

class SmartWait {
public:
    static constexpr double kPaceSeconds = 0.06;

    // Arm: the next packet waits until kPaceSeconds after now.
    void Set();
    // Serve the rest of the armed interval (one blocking sleep, never longer
    // than the interval itself), then run the call-back if there is one.
    template <class F>
    void Wait(F&& then)
    {
        serve();
        then();
    }
    void serve();
    // Forget any arming.
    void Reset();

    // Seconds still to wait if a packet were written now (0 when none).
    double remaining() const;

    double waitCount = 0.0;   // length of the armed interval (0 until armed)
    platform::Clock::time_point start{};
    double end = 0.0;         // kept at 0
};
