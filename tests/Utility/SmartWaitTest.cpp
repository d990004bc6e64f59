#include "Utility/SmartWait.h"

#include <gtest/gtest.h>

#include <vector>

using namespace std::chrono_literals;

namespace {

// The waits served while it lives, each with the time it was asked for.
class ServedWaits {
public:
    struct Wait {
        platform::Seconds length;
        platform::Clock::time_point askedAt;
    };
    ServedWaits()
    {
        previous_ = platform::setSleepObserver([this](platform::Seconds w) { waits.push_back({w, platform::now()}); });
    }
    ~ServedWaits() { platform::setSleepObserver(previous_); }
    std::vector<Wait> waits;

private:
    platform::SleepObserver previous_;
};

} // namespace

TEST(SmartWait, PacingConstantIsSixtyMilliseconds) { EXPECT_DOUBLE_EQ(SmartWait::kPaceSeconds, 0.06); }

TEST(SmartWait, NeverArmedDoesNotBlock)
{
    SmartWait w;
    EXPECT_EQ(w.remaining(), 0.0);
    ServedWaits served;
    w.serve();
    EXPECT_TRUE(served.waits.empty());
}

TEST(SmartWait, ServesTheRestOfTheArmedIntervalOnce)
{
    SmartWait w;
    w.Set();
    w.start -= 20ms; // armed 0.02 s ago
    ServedWaits served;
    w.serve();
    const auto returned = platform::now();
    ASSERT_EQ(served.waits.size(), 1u);
    // The rest of the interval as it stood when the wait was asked for, and
    // the thread went on only once the interval was over.
    const auto& wait = served.waits[0];
    EXPECT_GE(wait.length.count(), platform::Seconds(w.start + 60ms - wait.askedAt).count() - 1e-9);
    EXPECT_LE(wait.length, 40ms);
    EXPECT_GE(returned, w.start + 60ms);
    w.serve(); // the interval has been served: no second wait
    EXPECT_EQ(served.waits.size(), 1u);
}

TEST(SmartWait, ArmingAgainRestartsTheInterval)
{
    SmartWait w;
    w.Set();
    w.start -= 40ms; // armed 0.04 s ago
    const auto before = platform::now();
    w.Set();
    EXPECT_GE(w.start, before);
    EXPECT_DOUBLE_EQ(w.waitCount, 0.06);
}

TEST(SmartWait, IntervalLongPastDoesNotBlock)
{
    SmartWait w;
    w.Set();
    w.start -= 100ms;
    EXPECT_EQ(w.remaining(), 0.0);
}

TEST(SmartWait, RemainderIsTheIntervalLessTheTimeSinceArming)
{
    SmartWait w;
    w.Set();
    w.start -= 20ms; // armed 0.02 s ago
    const auto before = platform::now();
    const double remaining = w.remaining();
    const auto after = platform::now();
    EXPECT_LE(remaining, platform::Seconds(w.start + 60ms - before).count() + 1e-9);
    EXPECT_GE(remaining, platform::Seconds(w.start + 60ms - after).count() - 1e-9);
    EXPECT_DOUBLE_EQ(w.waitCount, 0.06);
    EXPECT_EQ(w.end, 0.0);
}

TEST(SmartWait, RemainderNeverExceedsTheInterval)
{
    SmartWait w;
    w.Set();
    w.start += std::chrono::hours(1); // an arming "in the future" must not stall the thread
    EXPECT_LE(w.remaining(), SmartWait::kPaceSeconds);
}

TEST(SmartWait, WaitServesThenRunsTheCallBackAndResetForgetsTheArming)
{
    platform::ScopedTimeScale fast(0.5); // 30 ms
    SmartWait w;
    w.Set();
    ServedWaits served;
    platform::Clock::time_point ranAt{};
    w.Wait([&] { ranAt = platform::now(); });
    EXPECT_GE(ranAt - w.start, 30ms);
    ASSERT_EQ(served.waits.size(), 1u);
    EXPECT_LE(served.waits[0].length, 30ms);

    w.Set();
    w.Reset();
    EXPECT_EQ(w.waitCount, 0.0);
    EXPECT_EQ(w.remaining(), 0.0);
}

TEST(SmartWait, TimeScaleShortensTheInterval)
{
    platform::ScopedTimeScale fast(0.1);
    SmartWait w;
    w.Set();
    EXPECT_LE(w.remaining(), 0.006 + 1e-9);
    w.start = platform::now() + 1h; // nothing of the interval has passed
    EXPECT_NEAR(w.remaining(), 0.006, 1e-9);
}
