#include "Platform/RunLoop.h"

#include <QCoreApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::chrono_literals;
using platform::EventWait;

namespace {
void processPostedEvents()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
} // namespace

TEST(EventWait, ConditionAlreadyTrueReturnsWithoutRunningTheLoop)
{
    EventWait w;
    int calls = 0;
    // A timer due at once would run in the first turn of the loop.
    bool loopTurned = false;
    QTimer::singleShot(0, [&] { loopTurned = true; });
    EXPECT_EQ(w.run([&] { ++calls; return true; }, platform::Seconds(10.0)), EventWait::Outcome::Completed);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(loopTurned);
    EXPECT_FALSE(w.isRunning());
    processPostedEvents();
}

TEST(EventWait, WakesAsSoonAsTheConditionIsSignalled)
{
    EventWait w;
    bool done = false;
    QTimer::singleShot(5, [&] {
        EXPECT_TRUE(w.isRunning());
        done = true;
        w.wake();
    });
    int tests = 0;
    EXPECT_EQ(w.run([&] { ++tests; return done; }, platform::Seconds(10.0)), EventWait::Outcome::Completed);
    // The condition was tested before the loop and once after the wake-up:
    // the wait ended on the wake-up, with no polling and no deadline.
    EXPECT_EQ(tests, 2);
}

TEST(EventWait, GivesUpOnlyAfterMoreThanTheScaledTimeout)
{
    platform::ScopedTimeScale fast(0.01); // 10 s -> 100 ms
    EventWait w;
    const auto t0 = platform::now();
    EXPECT_EQ(w.run([] { return false; }, platform::Seconds(10.0)), EventWait::Outcome::TimedOut);
    EXPECT_GT(platform::now() - t0, 100ms);
}

TEST(EventWait, ConditionMetWithoutWakeIsSeenBeforeTheTimeOutIsDeclared)
{
    platform::ScopedTimeScale fast(0.005); // 10 s -> 50 ms
    EventWait w;
    bool done = false;
    QTimer::singleShot(10, [&] { done = true; }); // no wake()
    EXPECT_EQ(w.run([&] { return done; }, platform::Seconds(10.0)), EventWait::Outcome::Completed);
}

TEST(EventWait, TimersKeepRunningAndNestedWaitsReturnToTheOuterOne)
{
    platform::ScopedTimeScale fast(0.01);
    EventWait outer, inner;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        inner.wake();
    });
    ticker.start(2);

    bool innerRan = false, outerDone = false;
    QTimer::singleShot(5, [&] {
        // A handler that itself waits (on another object) inside the outer
        // wait, until the timer has ticked three more times.
        const int before = ticks;
        EXPECT_EQ(inner.run([&] { return ticks >= before + 3; }, platform::Seconds(1000.0)),
                  EventWait::Outcome::Completed);
        innerRan = true;
        outerDone = true;
        outer.wake();
    });
    EXPECT_EQ(outer.run([&] { return outerDone; }, platform::Seconds(10.0)), EventWait::Outcome::Completed);
    EXPECT_TRUE(innerRan);
}

TEST(EventWait, WakeWhileNobodyWaitsIsHarmless)
{
    EventWait w;
    w.wake();
    platform::ScopedTimeScale fast(0.002);
    EXPECT_EQ(w.run([] { return false; }, platform::Seconds(10.0)), EventWait::Outcome::TimedOut);
}

TEST(IdleWork, RunsAtOnceWhenNoTransactionIsActive)
{
    ASSERT_EQ(platform::activeTransactions(), 0);
    bool ran = false;
    platform::runWhenIdle([&] { ran = true; });
    EXPECT_TRUE(ran);
}

TEST(IdleWork, KeptDuringTransactionsAndRunFromTheLoopAfterTheOutermostInOrder)
{
    std::vector<std::string> order;
    {
        platform::TransactionScope outer;
        EXPECT_EQ(platform::activeTransactions(), 1);
        platform::runWhenIdle([&] { order.push_back("a"); });
        {
            platform::TransactionScope nested;
            EXPECT_EQ(platform::activeTransactions(), 2);
            platform::runWhenIdle([&] { order.push_back("b"); });
        }
        processPostedEvents(); // still inside the outer transaction
        EXPECT_TRUE(order.empty());
    }
    EXPECT_EQ(platform::activeTransactions(), 0);
    // Not run inside the closing transaction's caller...
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(platform::pendingIdleWork(), 2);
    // ...but as soon as the event loop gets control.
    platform::runWhenIdle([&] { order.push_back("c"); }); // keeps its place behind a and b
    EXPECT_TRUE(order.empty());
    processPostedEvents();
    EXPECT_EQ(order, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(platform::pendingIdleWork(), 0);
}

TEST(IdleWork, StaysKeptWhenTheNextTransactionStartsBeforeTheLoopRuns)
{
    bool ran = false;
    {
        platform::TransactionScope first;
        platform::runWhenIdle([&] { ran = true; });
    }
    {
        // The caller runs its next transaction at once; the loop turns inside it.
        platform::TransactionScope second;
        processPostedEvents();
        EXPECT_FALSE(ran);
    }
    processPostedEvents();
    EXPECT_TRUE(ran);
}

TEST(IdleWork, RunLaterServesItsDelayOnTheTimeScale)
{
    platform::ScopedTimeScale fast(0.01);
    bool ran = false;
    EventWait w;
    const auto t0 = platform::now();
    platform::runLater(platform::Seconds(1.0), [&] { ran = true; w.wake(); });
    EXPECT_FALSE(ran);
    EXPECT_EQ(w.run([&] { return ran; }, platform::Seconds(100.0)), EventWait::Outcome::Completed);
    EXPECT_GE(platform::now() - t0, 9ms);
}
