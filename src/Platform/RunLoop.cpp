#include "Platform/RunLoop.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <deque>

namespace platform {

EventWait::Outcome EventWait::run(const std::function<bool()>& done, Seconds timeout)
{
    const Seconds limit = scaled(timeout);
    const auto t0 = now();

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);

    QEventLoop* const outer = loop_;
    loop_ = &loop;
    Outcome outcome = Outcome::TimedOut;
    for (;;) {
        if (done()) {
            outcome = Outcome::Completed;
            break;
        }
        const Seconds elapsed = now() - t0;
        if (elapsed > limit)
            break;
        // Sleep in the event loop until woken or just past the limit.
        const double restMs = (limit - elapsed).count() * 1000.0;
        deadline.start(std::max(1, int(std::ceil(restMs))));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    deadline.stop();
    loop_ = outer;
    return outcome;
}

void EventWait::wake()
{
    if (loop_)
        loop_->quit();
}

namespace {
int g_active = 0;
std::deque<std::function<void()>>& deferred()
{
    static std::deque<std::function<void()>> d;
    return d;
}
bool g_drainPosted = false;

void drainIdleWork()
{
    g_drainPosted = false;
    auto& d = deferred();
    while (g_active == 0 && !d.empty()) {
        auto work = std::move(d.front());
        d.pop_front();
        if (work)
            work();
    }
}

void postDrain()
{
    if (g_drainPosted)
        return;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        g_drainPosted = true;
        QMetaObject::invokeMethod(app, &drainIdleWork, Qt::QueuedConnection);
    } else {
        drainIdleWork();
    }
}
} // namespace

TransactionScope::TransactionScope() { ++g_active; }

TransactionScope::~TransactionScope()
{
    if (--g_active == 0 && !deferred().empty())
        postDrain();
}

int activeTransactions() { return g_active; }

int pendingIdleWork() { return int(deferred().size()); }

void runWhenIdle(std::function<void()> work)
{
    if (!work)
        return;
    if (g_active == 0 && deferred().empty()) {
        work();
        return;
    }
    // Keep the order with work kept earlier.
    deferred().push_back(std::move(work));
    if (g_active == 0)
        postDrain();
}

void runLater(Seconds delay, std::function<void()> work)
{
    if (!work)
        return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        work();
        return;
    }
    QTimer::singleShot(scaledMs(delay), Qt::PreciseTimer, app, std::move(work));
}

} // namespace platform
