#pragma once
// Run-loop helpers of the device layer, all for the main thread.
//
// - EventWait: the reply wait of a device write. It runs the main event loop
//   (user input excluded: clicks and keys stay queued until the wait is over,
//   while timers, painting and HID notifiers keep running) until the awaited
//   condition holds or the time-out has been exceeded. It sleeps in the event
//   loop and wakes as soon as wake() is called; there is no polling.
// - TransactionScope / activeTransactions(): a process-wide count of device
//   transactions in progress.
// - runWhenIdle(): work (hot-plug handling) that must not run inside a
//   transaction: it runs at once when none is active, otherwise from the event
//   loop after the outermost transaction has returned.
// - runLater(): delayed work on the main event loop, on the time scale of
//   platform/Clock.h.

#include "Platform/Clock.h"

#include <functional>

class QEventLoop;

namespace platform {

class EventWait {
public:
    enum class Outcome { Completed, TimedOut };

    EventWait() = default;
    EventWait(const EventWait&) = delete;
    EventWait& operator=(const EventWait&) = delete;

    // Processes events until done() is true or strictly more than `timeout`
    // (served on the current time scale) has passed since the call. done() is
    // tested before the first turn of the loop and after every wake-up, and
    // once more before a time-out is declared.
    Outcome run(const std::function<bool()>& done, Seconds timeout);

    // Ends the current turn of run() so that it re-tests its condition. Safe to
    // call at any time, also when nobody waits.
    void wake();

    bool isRunning() const { return loop_ != nullptr; }

private:
    QEventLoop* loop_ = nullptr;
};

// Marks a device transaction in progress for its lifetime. Nestable.
class TransactionScope {
public:
    TransactionScope();
    ~TransactionScope();
    TransactionScope(const TransactionScope&) = delete;
    TransactionScope& operator=(const TransactionScope&) = delete;
};

// Number of transactions in progress in this process.
int activeTransactions();

// Runs `work` at once when no transaction is in progress. Otherwise keeps it,
// in order with other kept work, and runs it from the event loop after the
// outermost transaction has returned (and again only while none is active).
void runWhenIdle(std::function<void()> work);

// Number of work items kept by runWhenIdle() and not run yet.
int pendingIdleWork();

// Runs `work` on the main event loop once `delay` (on the current time scale)
// has passed. A zero delay runs it at the next turn of the loop.
void runLater(Seconds delay, std::function<void()> work);

} // namespace platform
