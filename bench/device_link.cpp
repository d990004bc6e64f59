// Device link timing against the emulated keyboard on the virtual bus with
// a 2 ms reply latency (a full-speed USB round trip):
//   1. N single transactions back to back (no pacing);
//   2. a paced command sequence shaped like a keyboard connect: the session
//      notice, then identification and reads, each armed for 0.06 s first.
// Each figure is printed next to its floor (round trips + armed pacing) and
// as a ratio to it, twice: with the nominal 2 ms round trip, and with the
// round trips the emulated device really took (write to last reply queued,
// from its packet log; the bus's timers add some tens of microseconds to
// the nominal latency, which no host can win back). Goal: at most 1.03 x the
// device floor.

#include "BenchSupport.h"
#include "Device/KolventraDevice.h"
#include "support/EmulatedKeyboard.h"
#include "support/VirtualHidBus.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr uint32_t kLocation = 0x01100000;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int n = bench::countArg(argc, argv, 1, 500);
    const int rounds = bench::countArg(argc, argv, 2, 5);

    emu::ScopedVirtualBus bus;
    bus->setReplyLatency(bench::kReplyLatency);
    auto keyboard = std::make_shared<emu::EmulatedKeyboard>();
    bus->attach(keyboard, kLocation);

    KolventraDevice device;
    if (device.hidOpen(kLocation) != AppError::NoError) {
        std::fprintf(stderr, "cannot open the emulated keyboard\n");
        return 1;
    }
    const double rt = bench::seconds(bench::kReplyLatency);

    // Warm-up.
    for (int i = 0; i < 20; ++i)
        (void)device.CMD_RegistSetting();

    std::printf("device link, reply latency %.1f ms\n", rt * 1000.0);
    constexpr double kGoal = 1.03;
    bool met = true;

    // 1. Single transactions.
    {
        const Bytes packet = KolventraDevice::makePacket(KolventraDevice::CMDC_SAVESETTING);
        bench::BestRound best;
        for (int r = 0; r < rounds; ++r) {
            keyboard->clearLog();
            const auto t0 = platform::now();
            for (int i = 0; i < n; ++i) {
                std::vector<Bytes> replies;
                if (device.KolventraIoControl("", &packet, replies, {0}) != AppError::NoError) {
                    std::fprintf(stderr, "transaction failed\n");
                    return 1;
                }
            }
            best.offer(bench::seconds(platform::now() - t0), *keyboard);
        }
        char label[64];
        std::snprintf(label, sizeof label, "%d single transactions (best of %d)", n, rounds);
        bench::reportFloors(label, best.took, n * rt, best.deviceRoundTrips, kGoal, met);
    }

    // 2. Paced sequence: start notice (unpaced), then seven armed commands:
    //    identification, all-keys APC read, per-key APC read (3 replies),
    //    brightness read, indicator read, key-lock read, code-change read.
    {
        const uint8_t reads[] = {0x23, 0x43, 0x83, 0x85};
        bench::BestRound best;
        int paced = 0, transactions = 0;
        for (int r = 0; r < rounds; ++r) {
            paced = transactions = 0;
            keyboard->clearLog();
            const auto t0 = platform::now();
            std::string model, version, compare;
            (void)device.CMD_StartEnd(KolventraDevice::eAppStEd::Start);
            ++transactions;
            device.hidWait();
            (void)device.CMD_GetDeviceInfo(model, version, compare);
            ++paced, ++transactions;
            for (uint8_t cmd : reads) {
                device.hidWait();
                const Bytes p = KolventraDevice::makePacket(cmd);
                std::vector<Bytes> replies;
                (void)device.KolventraIoControl("", &p, replies, {1});
                ++paced, ++transactions;
            }
            device.hidWait();
            {
                const Bytes p = KolventraDevice::makePacket(0x22);
                std::vector<Bytes> replies;
                (void)device.KolventraIoControl("", &p, replies, {58, 58, 12});
                ++paced, ++transactions;
            }
            device.hidWait();
            {
                Bytes p = KolventraDevice::makePacket(0x45, 0, 1);
                p[KolventraDevice::SDO_DAT_1] = 0x01;
                std::vector<Bytes> replies;
                (void)device.KolventraIoControl("", &p, replies, {12});
                ++paced, ++transactions;
            }
            best.offer(bench::seconds(platform::now() - t0), *keyboard);
        }
        char label[64];
        std::snprintf(label, sizeof label, "paced sequence, %d tx, %d armed (best of %d)", transactions, paced, rounds);
        const double pacing = paced * SmartWait::kPaceSeconds;
        bench::reportFloors(label, best.took, transactions * rt + pacing, best.deviceRoundTrips + pacing, kGoal, met);
    }

    (void)device.CMD_StartEnd(KolventraDevice::eAppStEd::End);
    device.hidClose();
    return met ? 0 : bench::kGoalNotMet;
}
