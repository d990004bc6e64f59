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
    EXPECT_LE(waited, 60ms);
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
