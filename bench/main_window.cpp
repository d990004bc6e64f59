// The main window's start, rest and footprint.
//  - Cold start to the first paint of the main window with an emulated
//    keyboard attached on the virtual bus, against a bare Qt Widgets window
//    (kolventra_bare_window, a program of its own that links Qt Widgets
//    alone) started the same way, offscreen and under a virtual X server
//    (an Xvfb this program starts and stops; left out when Xvfb is not
//    installed). Each start is a fresh process, timed from the spawn to the
//    line it prints after its first paint. The starts of the four kinds take
//    turns, so that a change in the machine's load falls on all of them
//    alike; the medians and their ratios are printed (goals: ratio <= 2.0 on
//    both platforms, and under 400 ms), with the load average around the
//    run (on a busy machine the ratios come out high: run it again when the
//    machine is quieter).
//  - CPU time used over 10 s with the window open and the keyboard connected
//    at rest (goal below 1 % of one core), and the resident memory then
//    (goal below 96 MB).
// Usage: bench_main_window [starts] [rest seconds]
#include "BenchSupport.h"
#include "MainView.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "Platform/Allocator.h"
#include "support/ui/AppHarness.h"
#include "UiLayout.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The load average over the last minute.
double loadAverage()
{
    QFile load(QStringLiteral("/proc/loadavg"));
    if (!load.open(QIODevice::ReadOnly))
        return -1;
    return load.readAll().split(' ').value(0).toDouble();
}

// Child: starts the application as main() does, prints "painted" after the
// window's first paint and "connected <ms>" once the keyboard is connected,
// then ends.
int runApp()
{
    apptest::HarnessOptions options;
    options.mouse = false;
    options.timeScale = 1.0;
    options.waitForDevices = false;
    apptest::AppHarness app(options);
    if (!app.start())
        return 1;
    MainViewController& main = app.controller();
    QObject::connect(uitest::WindowProbe::window(main).mainView, &MainView::firstPaint, [] {
        std::printf("painted\n");
        std::fflush(stdout);
    });
    QElapsedTimer sinceShown;
    sinceShown.start();
    apptest::AppHarness::waitFor([&] { return main.conectDeviceLocation() == int32_t(apptest::kKeyboardLocation); },
                                 10000);
    std::printf("connected %lld\n", (long long)sinceShown.elapsed());
    std::fflush(stdout);
    return 0;
}

// An X server of its own on a free display, for as long as it lives.
class VirtualX {
public:
    VirtualX()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return;
        server_.setStandardErrorFile(QProcess::nullDevice());
        // -displayfd: it picks a free display and writes its number once it
        // accepts clients; -noreset: no server reset between the starts.
        server_.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                             QStringLiteral("0"), QStringLiteral("1600x1200x24"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp"), QStringLiteral("-noreset")});
        QByteArray out;
        while (!out.contains('\n') && server_.waitForReadyRead(10000))
            out += server_.readAllStandardOutput();
        if (out.contains('\n'))
            display_ = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
    }
    ~VirtualX()
    {
        if (server_.state() == QProcess::NotRunning)
            return;
        server_.terminate();
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished(5000);
        }
    }
    VirtualX(const VirtualX&) = delete;
    VirtualX& operator=(const VirtualX&) = delete;

    // ":N", or empty when the server could not be started.
    const QString& display() const { return display_; }

private:
    QProcess server_;
    QString display_;
};

struct Start {
    double paintedMs = -1;    // spawn to the first paint
    double connectedMs = -1;  // window shown to the keyboard connected (the application only)
};

// Runs `program` and times it up to its "painted" line; waits for its end.
Start timeStart(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setStandardErrorFile(QProcess::nullDevice());
    Start start;
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    QByteArray out;
    while (start.paintedMs < 0 && child.waitForReadyRead(10000)) {
        out += child.readAllStandardOutput();
        if (out.contains("painted"))
            start.paintedMs = double(clock.nsecsElapsed()) / 1e6;
    }
    child.waitForFinished(15000);
    out += child.readAllStandardOutput();
    const qsizetype c = out.indexOf("connected ");
    if (c >= 0)
        start.connectedMs = out.mid(c + 10).trimmed().split('\n').value(0).toDouble();
    return start;
}

double median(std::vector<double> v)
{
    std::erase_if(v, [](double x) { return x < 0; });
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

struct Platform {
    const char* title;
    QProcessEnvironment environment;
    std::vector<double> app, bare, connected;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::mapPictureBlocksAlone();  // as main() does
    QApplication qapp(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--child") == 0 && std::strcmp(argv[2], "app") == 0)
        return runApp();

    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    const double rest = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 10.0;
    const QString self = QCoreApplication::applicationFilePath();
    const QString bare = QStringLiteral(KOLVENTRA_BARE_WINDOW);
    const QStringList bareSize = {QString::number(int(layout::kMainWindowSize.width())),
                                  QString::number(int(layout::kMainWindowSize.height()))};

    std::vector<Platform> platforms;
    QProcessEnvironment offscreen = QProcessEnvironment::systemEnvironment();
    offscreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    platforms.push_back({"offscreen", offscreen, {}, {}, {}});
    std::optional<VirtualX> x;
    x.emplace();
    if (!x->display().isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), x->display());
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        platforms.push_back({"virtual X server", env, {}, {}, {}});
    }

    const double loadBefore = loadAverage();
    for (int i = 0; i < starts; ++i) {
        // Each round swaps which of the two goes first.
        for (Platform& p : platforms) {
            for (int k = 0; k < 2; ++k) {
                if ((k == 0) == (i % 2 == 0)) {
                    p.bare.push_back(timeStart(bare, bareSize, p.environment).paintedMs);
                } else {
                    const Start s = timeStart(self, {QStringLiteral("--child"), QStringLiteral("app")}, p.environment);
                    p.app.push_back(s.paintedMs);
                    p.connected.push_back(s.connectedMs);
                }
            }
        }
    }
    const double loadAfter = loadAverage();
    x.reset();

    std::printf("cold start to first paint, median of %d starts each, taking turns "
                "(load average %.1f before, %.1f after, %d processors%s):\n",
                starts, loadBefore, loadAfter, QThread::idealThreadCount(),
                std::max(loadBefore, loadAfter) > 0.5 * QThread::idealThreadCount()
                    ? "; a busy machine: run again when it is quieter"
                    : "");
    if (platforms.size() < 2)
        std::printf("  (Xvfb not found: the start under a virtual X server is left out)\n");
    bool met = true;
    for (const Platform& p : platforms) {
        const double a = median(p.app), b = median(p.bare);
        const double ratio = a > 0 && b > 0 ? a / b : -1.0;
        std::printf("  %s:\n", p.title);
        std::printf("    main window with keyboard  %7.1f ms   (goal < 400 ms: %s)\n", a,
                    bench::verdict(a > 0 && a < 400, met));
        std::printf("    bare Qt Widgets window     %7.1f ms\n", b);
        std::printf("    ratio                      %7.2f      (goal <= 2.0: %s)\n", ratio,
                    bench::verdict(ratio > 0 && ratio <= 2.0, met));
        std::printf("    then keyboard connected    %7.1f ms after the window was shown\n", median(p.connected));
    }

    apptest::HarnessOptions options;
    options.mouse = false;
    options.timeScale = 1.0;
    apptest::AppHarness harness(options);
    if (!harness.start())
        return 1;
    apptest::AppHarness::waitFor([&] { return uitest::WindowProbe::window(harness.controller()).mainView->painted(); }, 5000);
    apptest::AppHarness::waitFor([] { return false; }, 1000);  // settle
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    apptest::AppHarness::waitFor([] { return false; }, int(rest * 1000));
    const double used = cpuSeconds() - cpu0;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    std::printf("at rest with the keyboard connected, %.1f s:\n", elapsed);
    const double share = 100.0 * used / elapsed;
    const double resident = bench::residentMegabytes();
    std::printf("  CPU                        %7.3f %% of one core   (goal < 1 %%: %s)\n", share,
                bench::verdict(share < 1.0, met));
    std::printf("  resident memory            %7.1f MB              (goal < 96 MB: %s)\n", resident,
                bench::verdict(resident > 0 && resident < 96, met));
    return met ? 0 : bench::kGoalNotMet;
}
