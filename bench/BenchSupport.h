#pragma once
// What the device benchmarks share: the reply latency they run the virtual
// bus with, durations in seconds, the round trips the emulated device really
// took (from its packet log), the best-of-rounds bookkeeping and the line
// that prints a figure against its two floors and its goal, the verdict of a
// goal, and the process's resident memory and its peak. Header-only: every
// .cpp in bench/ is a program of its own.

#include "Platform/Clock.h"
#include "support/EmulatedDevice.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

// A line of /proc/self/status in megabytes (-1 when unknown).
inline double statusMegabytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// This process's resident memory in megabytes (-1 when unknown).
inline double residentMegabytes() { return statusMegabytes("VmRSS:"); }

// The highest resident memory of this process since it started or since the
// last resetPeakMemory(), in megabytes (-1 when unknown).
inline double peakResidentMegabytes() { return statusMegabytes("VmHWM:"); }

// Lets the highest resident memory start again from the present one.
inline bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// The exit status of a benchmark that ran well but missed a goal.
inline constexpr int kGoalNotMet = 2;

// The word printed after a goal; a goal missed clears `allMet`.
inline const char* verdict(bool met, bool& allMet)
{
    allMet = allMet && met;
    return met ? "met" : "NOT met";
}

// Reply latency of the virtual bus: a full-speed USB round trip.
inline constexpr auto kReplyLatency = std::chrono::microseconds(2000);

inline double seconds(platform::Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Argument `index` as a count of at least 1, or `fallback` when not given.
inline int countArg(int argc, char** argv, int index, int fallback)
{
    return argc > index ? std::max(1, std::atoi(argv[index])) : fallback;
}

// Sum over the writes in the device's log of the time from the write to the
// last reply queued before the next write: the round trips as the device saw
// them. `exchanges`, when given, receives the number of writes that were
// answered.
inline double loggedRoundTrips(const emu::EmulatedDevice& d, int* exchanges = nullptr)
{
    double total = 0.0;
    int answered = 0;
    const auto& log = d.log();
    for (size_t i = 0; i < log.size(); ++i) {
        if (log[i].kind != emu::LogEntry::Kind::Output)
            continue;
        platform::Clock::time_point last = log[i].time;
        bool replied = false;
        for (size_t j = i + 1; j < log.size() && log[j].kind != emu::LogEntry::Kind::Output; ++j) {
            if (log[j].kind == emu::LogEntry::Kind::Reply) {
                last = log[j].time;
                replied = true;
            }
        }
        total += seconds(last - log[i].time);
        answered += replied ? 1 : 0;
    }
    if (exchanges)
        *exchanges = answered;
    return total;
}

// The fastest of several rounds, with the round trips the device logged in
// that round.
struct BestRound {
    double took = 1e9;
    double deviceRoundTrips = 0.0;

    void offer(double roundTook, const emu::EmulatedDevice& d)
    {
        if (roundTook < took) {
            took = roundTook;
            deviceRoundTrips = loggedRoundTrips(d);
        }
    }
};

// One figure next to its nominal floor (round trips at the configured
// latency + armed pacing) and its device floor (logged round trips + armed
// pacing), with the ratio to each. The goal, when above 0, is a ratio to the
// device floor; a miss clears `allMet`.
inline void reportFloors(const char* what, double measured, double floor, double deviceFloor, double goal,
                         bool& allMet)
{
    const double ratio = measured / deviceFloor;
    std::printf("%-46s %8.4f s | nominal floor %8.4f s ratio %.4f | device floor %8.4f s ratio %.4f", what, measured,
                floor, measured / floor, deviceFloor, ratio);
    if (goal > 0)
        std::printf(" (goal <= %.2f: %s)", goal, verdict(ratio <= goal, allMet));
    std::printf("\n");
}

} // namespace bench
