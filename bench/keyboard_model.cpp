// Keyboard model timing against the emulated keyboard on the virtual bus with
// a 2 ms reply latency (a full-speed USB round trip):
//   1. connect and read-all: open(location) + loadDeviceParam() of a model of
//      the first shipped keyboard (APC and indicator supported): 9
//      transactions, 7 of them after an armed 0.06 s pacing;
//   2. per-key APC write: arm the pacing, then CMD_SetOnPos_Indi (three
//      packets, the first paced).
// Each figure (best of the rounds) is printed next to its floor, nominal
// (round trips at the configured latency + armed pacing) and device (the true
// round trips taken from the device's log + armed pacing), and as a ratio to
// each. Goal: at most 1.03 x the device floor.
//
// Usage: bench_keyboard_model [rounds]

#include "BuildPaths.h"
#include "BenchSupport.h"
#include "Device/KeyboardEntry.h"
#include "ShippedModels.h"
#include "support/EmulatedKeyboard.h"
#include "support/VirtualHidBus.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kLocation = 0x01100000;

size_t writeCount(const emu::EmulatedDevice& d) { return d.writes().size(); }

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = bench::countArg(argc, argv, 1, 10);

    emu::ScopedVirtualBus bus;
    bus->setReplyLatency(bench::kReplyLatency);
    auto emulated = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[0]);
    bus->attach(emulated, kLocation);

    const QString package = QStringLiteral(KOLVENTRA_BUILD_DATA_DIR "/Profile/")
        + QString::fromLatin1(shipped::kModels[0].packageFile.data(),
                              qsizetype(shipped::kModels[0].packageFile.size()));
    KeyboardEntry keyboard;
    if (keyboard.loadProfile(package) != AppError::NoError || !keyboard.supportAPC
        || !keyboard.supportIndicatorLedSettings) {
        std::fprintf(stderr, "cannot load %s with APC and indicator support\n", qPrintable(package));
        return 1;
    }
    const double rt = bench::seconds(bench::kReplyLatency);
    const double pace = SmartWait::kPaceSeconds;
    std::printf("keyboard model, reply latency %.1f ms, best of %d\n", rt * 1000.0, rounds);
    constexpr double kGoal = 1.03;
    bool met = true;

    // 1. Connect and read-all.
    {
        bench::BestRound best;
        size_t transactions = 0;
        for (int r = 0; r < rounds; ++r) {
            (void)keyboard.close(true);
            emulated->clearLog();
            const auto t0 = platform::now();
            const AppError opened = keyboard.open(kLocation);
            const AppError read = keyboard.loadDeviceParam();
            const double took = bench::seconds(platform::now() - t0);
            if (opened != AppError::NoError || read != AppError::NoError) {
                std::fprintf(stderr, "connect failed\n");
                return 1;
            }
            transactions = writeCount(*emulated);
            best.offer(took, *emulated);
        }
        if (transactions != 9) {
            std::fprintf(stderr, "connect sent %zu commands, not 9\n", transactions);
            return 1;
        }
        bench::reportFloors("connect and read-all (9 tx, 7 paced)", best.took, 7 * pace + 9 * rt,
                            7 * pace + best.deviceRoundTrips, kGoal, met);
    }

    // 2. Per-key APC write, armed as the APC panel does it.
    {
        std::vector<ApcLevel> levels(KolventraKeyboard::kKeyCount, ApcLevel::Middle);
        bench::BestRound best;
        for (int r = 0; r < rounds; ++r) {
            levels[size_t(r) % levels.size()] = r % 2 ? ApcLevel::Low : ApcLevel::High;
            emulated->clearLog();
            const auto t0 = platform::now();
            keyboard.hidWait();
            const AppError e = keyboard.CMD_SetOnPos_Indi(levels, true);
            const double took = bench::seconds(platform::now() - t0);
            if (e != AppError::NoError || writeCount(*emulated) != 3) {
                std::fprintf(stderr, "per-key APC write failed\n");
                return 1;
            }
            best.offer(took, *emulated);
        }
        bench::reportFloors("per-key APC write (3 tx, 1 paced)", best.took, pace + 3 * rt, pace + best.deviceRoundTrips,
                            kGoal, met);
    }

    (void)keyboard.close(true);
    return met ? 0 : bench::kGoalNotMet;
}
