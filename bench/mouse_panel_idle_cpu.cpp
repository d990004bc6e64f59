// CPU time of the application at rest with a mouse panel open: the sensor
// and LED panels read all mouse settings from the mouse once a second. The
// whole application runs on the virtual bus with the emulated mouse; the
// process's CPU time over the run (10 s per panel unless given) is printed
// as a share of one core, next to the window at rest on the Other tab
// (which reads nothing). Goal: below 1 % of one core. Then the resident
// memory with the mouse connected and each of its panels shown once.
//
// Usage: bench_mouse_panel_idle_cpu [seconds]

#include "BenchSupport.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Platform/Allocator.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Run {
    double cpu = 0;
    double wall = 0;
    int reads = 0;
};

Run rest(apptest::AppHarness& app, double seconds)
{
    app.mouse->clearLog();
    const auto start = platform::now();
    const double cpu0 = processCpuSeconds();
    apptest::AppHarness::waitFor([] { return false; }, int(seconds * 1000));
    Run r;
    r.cpu = processCpuSeconds() - cpu0;
    r.wall = bench::seconds(platform::now() - start);
    for (uint8_t c : app.mouse->commands())
        r.reads += c == 0x05;
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    platform::mapPictureBlocksAlone();  // as main() does
    QApplication qapp(argc, argv);
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 10.0;

    apptest::HarnessOptions options;
    options.keyboard = false;
    options.timeScale = 1.0;   // the real one-second read
    apptest::AppHarness app(options);
    app.bus().setReplyLatency(bench::kReplyLatency);
    if (!app.start()) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    MainViewController& main = app.controller();

    std::printf("application at rest with the mouse connected, %.1f s each:\n", seconds);
    main.clickTab(uitest::WindowProbe::tabView(main, FunctionTab::MOtherSetting));
    const Run other = rest(app, seconds);
    std::printf("  Other tab (no reads):   CPU %.4f s = %.3f %% of one core, %d reads\n", other.cpu,
                100.0 * other.cpu / other.wall, other.reads);
    bool met = true;
    for (auto [name, tab] : {std::pair{"sensor panel", uitest::WindowProbe::tabView(main, FunctionTab::MSensorSetting)},
                             std::pair{"LED panel", uitest::WindowProbe::tabView(main, FunctionTab::MLedSetting)}}) {
        main.clickTab(tab);
        const Run r = rest(app, seconds);
        const double share = 100.0 * r.cpu / r.wall;
        met = met && share < 1.0;
        std::printf("  %-12s (1 s read): CPU %.4f s = %.3f %% of one core, %d reads (goal below 1 %%): %s\n",
                    name, r.cpu, share, r.reads, share < 1.0 ? "met" : "NOT met");
    }
    std::printf("  resident memory with the mouse connected: %.1f MB\n", bench::residentMegabytes());
    return met ? 0 : 2;
}
