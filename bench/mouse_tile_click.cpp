// A click on the mouse's tile in the device strip, with the keyboard
// connected, to the mouse's panel painted: the whole application on the
// virtual bus at the real time scale, with a 2 ms reply latency (a
// full-speed USB round trip). Between rounds a click on the keyboard's tile
// connects the keyboard again (not timed).
//
// The floor is what the two devices and the command pacing allow: the round
// trips both emulated devices logged during the click (the keyboard's
// closing exchanges and the mouse's connect) plus the full pacing interval
// for every write that went out after an armed interval. Which writes were
// paced is found once, at the start, from the same click with the pacing
// five times longer. Printed: the best of the rounds against that floor.
// Goal at pixel ratio 1: at most 1.05 x floor.
//
// The first click is the mouse's first connect of the run: its pictures are
// read and checked whole then (later connects find the check's verdict).
// It is timed on its own and printed as a ratio to the median of the later
// clicks. Goal: at most 1.3 (the check runs beside the device's open on
// threads of its own: on a machine with processors to spare the first
// click takes little longer than the later ones). Judged at a quiet moment:
// a loaded machine slows the first click's threads more than the rest.
//
// Run at both pixel densities: QT_SCALE_FACTOR=2 for the double-density
// pictures (`make bench` runs both).
//
// Usage: bench_mouse_tile_click [rounds] [--trace]

#include "BenchSupport.h"
#include "CustomControl/KeyboardListView.h"
#include "KeyboardView/KeyboardView.h"
#include "DeviceListController.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Utility/SmartWait.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QEvent>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr double kGoal = 1.05;
constexpr double kFirstClickGoal = 1.3;

// Time of the first paint of `view` (or of a widget inside it) after arm().
class PaintWatch : public QObject {
public:
    void arm(QWidget* view)
    {
        view_ = view;
        at_.reset();
    }
    std::optional<platform::Clock::time_point> at() const { return at_; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && view_ && !at_) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && (w == view_ || view_->isAncestorOf(w)))
                at_ = platform::now();
        }
        return false;
    }

private:
    QWidget* view_ = nullptr;
    std::optional<platform::Clock::time_point> at_;
};

constexpr double kCalibrationScale = 5.0;

// Writes that came at least most of a pacing interval (on the current time
// scale) after the packet before them, of either device.
int pacedWrites(const emu::EmulatedDevice& keyboard, const emu::EmulatedDevice& mouse)
{
    std::vector<const emu::LogEntry*> all;
    for (const auto* d : {&keyboard, &mouse})
        for (const auto& e : d->log())
            all.push_back(&e);
    std::sort(all.begin(), all.end(), [](const auto* a, const auto* b) { return a->time < b->time; });
    const double interval = platform::scaled(platform::Seconds(SmartWait::kPaceSeconds)).count();
    int paced = 0;
    for (size_t i = 1; i < all.size(); ++i)
        if (all[i]->kind == emu::LogEntry::Kind::Output && bench::seconds(all[i]->time - all[i - 1]->time) > 0.8 * interval)
            ++paced;
    return paced;
}

struct Click {
    double took = 0;          // click to the mouse's panel painted
    double roundTrips = 0;    // logged by both devices
    int writes = 0;           // packets both devices received
};

void openStrip(MainViewController& main)
{
    QTest::mouseClick(uitest::WindowProbe::window(main).selectKeybordButton, Qt::LeftButton);
}

// Index of the tile of the device at `location` in the strip.
int tileOf(MainViewController& main, uint32_t location)
{
    for (size_t i = 0; i < uitest::WindowProbe::devices(main).deviceList().size(); ++i)
        if (uint32_t(uitest::WindowProbe::devices(main).deviceList()[i].deviceLocation) == location)
            return int(i);
    return -1;
}

bool connectByTile(apptest::AppHarness& app, uint32_t location)
{
    MainViewController& main = app.controller();
    openStrip(main);
    const int index = tileOf(main, location);
    if (index < 0 || index >= int(uitest::WindowProbe::window(main).keyboardList->detailArray().size()))
        return false;
    QTest::mouseClick(uitest::WindowProbe::window(main).keyboardList->detailArray()[size_t(index)]->view(), Qt::LeftButton);
    return apptest::AppHarness::waitFor([&] { return main.conectDeviceLocation() == int32_t(location); }, 5000);
}

// Both devices' packets in time order, from the click on.
void printLogs(const emu::EmulatedDevice& keyboard, const emu::EmulatedDevice& mouse, platform::Clock::time_point t0)
{
    std::vector<std::pair<const emu::LogEntry*, const char*>> all;
    for (const auto& e : keyboard.log())
        all.emplace_back(&e, "keyboard");
    for (const auto& e : mouse.log())
        all.emplace_back(&e, "mouse");
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first->time < b.first->time; });
    for (const auto& [e, who] : all) {
        const char* kind = e->kind == emu::LogEntry::Kind::Output ? "write"
            : e->kind == emu::LogEntry::Kind::Reply                ? "reply"
                                                                   : "get";
        std::printf("  %9.3f ms  %-8s %-5s cmd %02x\n", bench::seconds(e->time - t0) * 1e3, who, kind,
                    e->command() & 0xff);
    }
}

std::optional<Click> clickMouseTile(apptest::AppHarness& app, PaintWatch& watch, bool trace)
{
    MainViewController& main = app.controller();
    if (!connectByTile(app, apptest::kKeyboardLocation))
        return std::nullopt;
    // Let the pacing armed by the keyboard's connect run out and the strip
    // settle, as it has by the time a person clicks.
    apptest::AppHarness::waitFor([] { return false; }, 300);
    openStrip(main);
    apptest::AppHarness::waitFor([] { return false; }, int(1000 * platform::scaled(platform::Seconds(0.6)).count()));
    const int index = tileOf(main, apptest::kMouseLocation);
    if (index < 0)
        return std::nullopt;
    QWidget* tile = uitest::WindowProbe::window(main).keyboardList->detailArray()[size_t(index)]->view();
    app.keyboard->clearLog();
    app.mouse->clearLog();

    const auto t0 = platform::now();
    watch.arm(nullptr);
    QTest::mouseClick(tile, Qt::LeftButton);
    if (main.conectDeviceLocation() != int32_t(apptest::kMouseLocation) || !uitest::WindowProbe::currentKeyboardView(main))
        return std::nullopt;
    watch.arm(uitest::WindowProbe::currentKeyboardView(main));
    // The paint may already have happened inside the click (a repaint);
    // else it comes with the next frame.
    uitest::WindowProbe::currentKeyboardView(main)->update();
    if (!apptest::AppHarness::waitFor([&] { return watch.at().has_value(); }, 5000))
        return std::nullopt;
    Click c;
    c.took = bench::seconds(*watch.at() - t0);
    c.roundTrips = bench::loggedRoundTrips(*app.keyboard) + bench::loggedRoundTrips(*app.mouse);
    c.writes = int(app.keyboard->writes().size() + app.mouse->writes().size());
    if (trace) {
        printLogs(*app.keyboard, *app.mouse, t0);
        std::printf("  %9.3f ms  panel painted\n", c.took * 1e3);
    }
    return c;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int rounds = bench::countArg(argc, argv, 1, 7);
    bool trace = false;
    for (int i = 1; i < argc; ++i)
        trace = trace || std::strcmp(argv[i], "--trace") == 0;

    apptest::HarnessOptions options;
    options.timeScale = 1.0;
    options.rememberedLocation = int32_t(apptest::kKeyboardLocation);
    apptest::AppHarness app(options);
    if (!app.start()) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    app.bus().setReplyLatency(bench::kReplyLatency);
    PaintWatch watch;
    qapp.installEventFilter(&watch);

    // The mouse's first connect, at the real pacing.
    const std::optional<Click> first = clickMouseTile(app, watch, false);
    if (!first) {
        std::fprintf(stderr, "the mouse did not connect\n");
        return 1;
    }

    // The number of paced writes: the same click on a five times longer
    // pacing interval (0.3 s), where a write that waited for the pacing
    // stands out from one that only waited for the host.
    int paced = 0;
    {
        const platform::ScopedTimeScale slower(kCalibrationScale);
        if (!clickMouseTile(app, watch, false)) {
            std::fprintf(stderr, "the mouse did not connect\n");
            return 1;
        }
        paced = pacedWrites(*app.keyboard, *app.mouse);
    }

    Click best;
    best.took = 1e9;
    std::vector<double> later;
    for (int r = 0; r < rounds; ++r) {
        const std::optional<Click> c = clickMouseTile(app, watch, trace && r == 0);
        if (!c) {
            std::fprintf(stderr, "the mouse did not connect\n");
            return 1;
        }
        if (c->took < best.took)
            best = *c;
        later.push_back(c->took);
    }
    std::sort(later.begin(), later.end());
    const double pacing = paced * SmartWait::kPaceSeconds;
    const double floor = best.writes * bench::seconds(bench::kReplyLatency) + pacing;
    const double deviceFloor = best.roundTrips + pacing;
    std::printf("mouse tile click to its panel painted, keyboard connected before, reply latency %.1f ms, best of %d\n",
                bench::seconds(bench::kReplyLatency) * 1e3, rounds);
    char label[96];
    std::snprintf(label, sizeof label, "click to panel (%d tx, %d paced)", best.writes, paced);
    const qreal pixelRatio = uitest::WindowProbe::window(app.controller()).mainView->devicePixelRatioF();
    bool met = true;
    bench::reportFloors(label, best.took, floor, deviceFloor, pixelRatio == 1 ? kGoal : 0, met);

    const double laterMedian = later[later.size() / 2];
    const double toLater = first->took / laterMedian;
    std::printf("first click (the mouse's first connect) at pixel ratio %g: %.1f ms; later clicks, median: %.1f ms; "
                "ratio %.3f (goal <= %.2f: %s)\n",
                pixelRatio, first->took * 1e3, laterMedian * 1e3, toLater, kFirstClickGoal,
                bench::verdict(toLater <= kFirstClickGoal, met));
    return met ? 0 : bench::kGoalNotMet;
}
