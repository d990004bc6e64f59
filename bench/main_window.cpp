// The main window's start, rest and footprint.
//  - Cold start to the first paint of the main window with an emulated
//    keyboard attached on the virtual bus, against a bare Qt Widgets window
//    started the same way: each is a fresh process of this program, timed
//    from the spawn to the line it prints after its first paint; the median
//    of several starts and their ratio are printed (goals: ratio <= 2.0 and
//    under 400 ms).
//  - CPU time used over 10 s with the window open and the keyboard connected
//    at rest (goal below 1 % of one core), and the resident memory then
//    (goal below 96 MB).
// Usage: bench_main_window [starts] [rest seconds]
#include "MainView.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Child: shows the window and prints "painted" after its first paint.
int runChild(const char* what)
{
    if (std::strcmp(what, "bare") == 0) {
        QWidget window;
        window.resize(1000, 680);
        struct Painted : QObject {
            bool eventFilter(QObject*, QEvent* e) override
            {
                if (e->type() == QEvent::Paint) {
                    std::printf("painted\n");
                    std::fflush(stdout);
                    QTimer::singleShot(0, qApp, &QApplication::quit);
                }
                return false;
            }
        } filter;
        window.installEventFilter(&filter);
        window.show();
        return qApp->exec();
    }
    apptest::HarnessOptions options;
    options.mouse = false;
    options.timeScale = 1.0;
    options.waitForDevices = false;
    apptest::AppHarness app(options);
    if (!app.start())
        return 1;
    MainViewController& main = app.controller();
    QObject::connect(main.widgets().mainView, &MainView::firstPaint, [] {
        std::printf("painted\n");
        std::fflush(stdout);
    });
    // Ends once the keyboard is connected (and reports how long that took).
    QElapsedTimer sinceShown;
    sinceShown.start();
    apptest::AppHarness::waitFor([&] { return main.devices().conectDeviceLocation() == int32_t(apptest::kKeyboardLocation); },
                                 10000);
    std::printf("connected %lld\n", (long long)sinceShown.elapsed());
    std::fflush(stdout);
    return 0;
}

// Seconds from the spawn to the child's "painted" line; `connectedMs`
// receives the time from showing the window to the keyboard being connected.
double timeStart(const QString& self, const char* what, double* connectedMs = nullptr)
{
    QProcess child;
    QElapsedTimer clock;
    clock.start();
    child.start(self, {QStringLiteral("--child"), QString::fromLatin1(what)});
    double at = -1;
    QByteArray out;
    while (at < 0 && child.waitForReadyRead(10000)) {
        out += child.readAllStandardOutput();
        if (out.contains("painted"))
            at = double(clock.nsecsElapsed()) / 1e9;
    }
    child.waitForFinished(10000);
    out += child.readAllStandardOutput();
    const qsizetype c = out.indexOf("connected ");
    if (connectedMs && c >= 0)
        *connectedMs = out.mid(c + 10).trimmed().split('\n').value(0).toDouble();
    return at;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    if (argc > 2 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argv[2]);

    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const double rest = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 10.0;
    const QString self = QCoreApplication::applicationFilePath();
    std::vector<double> app, bare, connected;
    for (int i = 0; i < starts; ++i) {
        bare.push_back(timeStart(self, "bare"));
        double ms = -1;
        app.push_back(timeStart(self, "app", &ms));
        connected.push_back(ms);
    }
    const double a = median(app), b = median(bare);
    std::printf("cold start to first paint (median of %d, platform %s):\n", starts,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  main window with keyboard  %7.1f ms   (goal < 400 ms)\n", a * 1000);
    std::printf("  bare Qt Widgets window     %7.1f ms\n", b * 1000);
    std::printf("  ratio                      %7.2f      (goal <= 2.0)\n", b > 0 ? a / b : -1.0);
    std::printf("  then keyboard connected    %7.1f ms after the window was shown\n", median(connected));

    apptest::HarnessOptions options;
    options.mouse = false;
    options.timeScale = 1.0;
    apptest::AppHarness harness(options);
    if (!harness.start())
        return 1;
    apptest::AppHarness::waitFor([&] { return harness.controller().widgets().mainView->painted(); }, 5000);
    apptest::AppHarness::waitFor([] { return false; }, 1000);  // settle
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    apptest::AppHarness::waitFor([] { return false; }, int(rest * 1000));
    const double used = cpuSeconds() - cpu0;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    std::printf("at rest with the keyboard connected, %.1f s:\n", elapsed);
    std::printf("  CPU                        %7.3f %% of one core   (goal < 1 %%)\n", 100.0 * used / elapsed);
    std::printf("  resident memory            %7.1f MB              (goal < 96 MB)\n", residentMegabytes());
    return 0;
}
