// A fixed wait turned into a timer interval on the time scale.
#include "Platform/Clock.h"

#include <gtest/gtest.h>

#include <limits>

using namespace std::chrono_literals;
using platform::Seconds;
using platform::scaledMs;

TEST(TimerInterval, FixedWaitsKeepTheirLengthAndShortScalesNeverEndAWaitEarlyOrSpin)
{
    {
        const platform::ScopedTimeScale real(1.0);
        EXPECT_EQ(scaledMs(Seconds(0.5)), 500ms);
        // 1.001 s is a hair under 1001 ms in binary: neither cut short...
        EXPECT_EQ(scaledMs(Seconds(1.001)), 1001ms);
        // A part of a millisecond is served as a whole one.
        EXPECT_EQ(scaledMs(Seconds(0.0101)), 11ms);
        EXPECT_EQ(scaledMs(Seconds(0.0)), 0ms);
        EXPECT_EQ(scaledMs(Seconds(-1.0)), 0ms);
        EXPECT_EQ(scaledMs(Seconds(std::numeric_limits<double>::quiet_NaN())), 0ms);
        EXPECT_EQ(scaledMs(Seconds(std::numeric_limits<double>::infinity())),
                  std::chrono::milliseconds(std::numeric_limits<int>::max()));
    }
    {
        // ...nor, where the scaled wait is a hair over, lengthened.
        const platform::ScopedTimeScale tenth(0.1);
        EXPECT_EQ(scaledMs(Seconds(3.0)), 300ms);
        EXPECT_EQ(scaledMs(Seconds(1.5)), 150ms);
    }
    const platform::ScopedTimeScale shortened(0.001);
    EXPECT_EQ(scaledMs(Seconds(3.0)), 3ms);
    // 0.1 ms and 0.3 µs: a running timer, not one that fires at once.
    EXPECT_EQ(scaledMs(Seconds(0.1)), 1ms);
    EXPECT_EQ(scaledMs(Seconds(0.0003)), 1ms);
}
