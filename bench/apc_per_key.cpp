// A per-key APC change from the user's click on a key of the APC panel to
// the keyboard's acknowledgement of the last packet, in the whole
// application on the virtual bus with the emulated keyboard and a 2 ms
// reply latency (a full-speed USB round trip), the panel in per-key mode.
//
// The floor is what the protocol cannot avoid: the 0.06 s pacing armed
// before the command and three round trips (the 128 levels go in three
// packets). The figure is printed next to that nominal floor and next to
// the floor with the round trips the emulated device really took (from its
// packet log), each as a ratio. Goal: at most 1.05 x the device floor.
//
// Usage: bench_apc_per_key [clicks] [rounds]

#include "AppParam.h"
#include "BenchSupport.h"
#include "Device/KeyboardEntry.h"
#include "FunctionPanel/FunctionApcSettingController.h"
#include "KeyboardView/KeyboardView.h"
#include "MainViewController.h"
#include "CustomControl/MainTabView.h"
#include "Utility/SmartWait.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QRadioButton>
#include <QTest>

#include <cstdio>

namespace {

// Points of keys with per-key settings inside the picture.
std::vector<QPoint> keyPoints(KeyboardView* view, int count)
{
    std::vector<QPoint> points;
    auto kb = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
    for (const KeytopEntry& key : kb->keytopList) {
        if (!key.hasPerKeySettings() || key.keytop.empty())
            continue;
        const QPointF c = key.keytop.front().center();
        const QPoint at = QPointF(c.x(), view->flipHeight() - c.y()).toPoint();
        if (view->rect().adjusted(10, 10, -10, -10).contains(at))
            points.push_back(at);
        if (int(points.size()) == count)
            break;
    }
    return points;
}

// Time of the last reply the device queued.
platform::Clock::time_point lastReply(const emu::EmulatedDevice& device)
{
    platform::Clock::time_point t{};
    for (const emu::LogEntry& e : device.log())
        if (e.kind == emu::LogEntry::Kind::Reply)
            t = e.time;
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int clicks = bench::countArg(argc, argv, 1, 20);
    const int rounds = bench::countArg(argc, argv, 2, 3);

    apptest::HarnessOptions options;
    options.mouse = false;
    options.timeScale = 1.0;  // the real pacing
    apptest::AppHarness app(options);
    app.bus().setReplyLatency(bench::kReplyLatency);
    if (!app.start()) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    auto& main = app.controller();
    auto* panel = dynamic_cast<FunctionApcSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::ApcSetting));
    if (!panel) {
        std::fprintf(stderr, "no APC panel\n");
        return 1;
    }
    QTest::mouseClick(uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting), Qt::LeftButton, {}, QPoint(20, 20));
    panel->clickTabMenuItem(nullptr, FunctionItem::Separate);
    KeyboardView* view = panel->picture();
    const std::vector<QPoint> points = keyPoints(view, clicks);
    if (points.empty()) {
        std::fprintf(stderr, "no keys to click\n");
        return 1;
    }

    const double rt = bench::seconds(bench::kReplyLatency);
    const double pacing = SmartWait::kPaceSeconds;
    double best = 1e9;
    double bestDeviceTrips = 0;
    double worst = 0;
    for (int r = 0; r < rounds; ++r) {
        QTest::mouseClick(panel->levelCell(r % 3), Qt::LeftButton);
        double total = 0;
        double deviceTrips = 0;
        for (const QPoint& at : points) {
            app.keyboard->clearLog();
            const auto t0 = platform::now();
            QTest::mouseClick(view, Qt::LeftButton, {}, at);
            const double took = bench::seconds(lastReply(*app.keyboard) - t0);
            total += took;
            worst = std::max(worst, took);
            deviceTrips += bench::loggedRoundTrips(*app.keyboard);
        }
        const double mean = total / double(points.size());
        if (mean < best) {
            best = mean;
            bestDeviceTrips = deviceTrips / double(points.size());
        }
    }
    std::printf("per-key APC change, click to acknowledgement, reply latency %.1f ms\n", rt * 1000.0);
    char label[80];
    std::snprintf(label, sizeof label, "mean of %zu clicks (best of %d rounds)", points.size(), rounds);
    bool met = true;
    bench::reportFloors(label, best, pacing + 3 * rt, pacing + bestDeviceTrips, 1.05, met);
    std::printf("%-46s %8.4f s\n", "slowest single click", worst);
    return met ? 0 : bench::kGoalNotMet;
}
