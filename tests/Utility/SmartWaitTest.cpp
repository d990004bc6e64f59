#include "Utility/SmartWait.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(SmartWait, PacingConstantIsSixtyMilliseconds) { EXPECT_DOUBLE_EQ(SmartWait::kPaceSeconds, 0.06); }

TEST(SmartWait, NeverArmedDoesNotBlock)
{
    SmartWait w;
    EXPECT_EQ(w.remaining(), 0.0);
    const auto t0 = platform::now();
    w.serve();
    EXPECT_LT(platform::now() - t0, 5ms);
}

TEST(SmartWait, ServesTheRestOfTheArmedIntervalOnce)
{
    SmartWait w;
    w.Set();
    std::this_thread::sleep_for(20ms);
    const auto t0 = platform::now();
    w.serve();
    const auto waited = platform::now() - t0;
    EXPECT_GE(waited, 30ms);
    EXPECT_LE(waited, 60ms + 200ms); // a loaded machine may oversleep; never a second interval
    const auto t1 = platform::now();
    w.serve(); // the interval has been served: no second wait
    EXPECT_LT(platform::now() - t1, 5ms);
}

TEST(SmartWait, ArmingAgainRestartsTheInterval)
{
    SmartWait w;
    w.Set();
    std::this_thread::sleep_for(40ms);
    w.Set();
    EXPECT_GT(w.remaining(), 0.05);
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
    EXPECT_NEAR(w.remaining(), 0.04, 0.005);
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
    const auto t0 = platform::now();
    platform::Clock::time_point ranAt{};
    w.Wait([&] { ranAt = platform::now(); });
    EXPECT_GE(ranAt - t0, 25ms);
    EXPECT_LT(ranAt - t0, 500ms);

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
    EXPECT_GT(w.remaining(), 0.0);
}
