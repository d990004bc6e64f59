// One mouse button assignment from the click on a menu row to the mouse's
// acknowledgement and the headers redrawn from its read-back: the whole
// application on the virtual bus with a 2 ms reply latency and real
// (unscaled) delays. The row press runs the whole assignment synchronously
// (the armed pacing, the button-function command, the settings read).
//
// The floor is what no host can avoid: the armed 0.06 s pacing before the
// command plus the two round trips (command and read-back), at the nominal
// latency and as the emulated mouse logged them. Goal: at most 1.05 x the
// device floor.
//
// Arguments: [rounds (default 20)]

#include "BenchSupport.h"
#include "FunctionPanel/FunctionMButtonSettingController.h"
#include "MainViewController.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <thread>

namespace {

constexpr double kPacing = 0.06;

TabMenuView* subMenu(FunctionMButtonSettingController& panel, int button, FunctionItem group)
{
    for (const TabMenuItem& item : panel.buttonMenuView(button)->items)
        if (item.function == group)
            return item.subMenuListView;
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    const int rounds = bench::countArg(argc, argv, 1, 20);

    apptest::HarnessOptions options;
    options.keyboard = false;
    options.timeScale = 1.0;
    apptest::AppHarness app(options);
    app.bus().setReplyLatency(bench::kReplyLatency);
    if (!app.start()) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    MainViewController& main = app.controller();
    uitest::WindowProbe::selectFunctionTab(main, FunctionTab::MButtonSetting);
    auto* panel = dynamic_cast<FunctionMButtonSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::MButtonSetting));
    if (!panel) {
        std::fprintf(stderr, "no mouse button panel\n");
        return 1;
    }

    bench::BestRound best;
    const FunctionItem choices[2] = {FunctionItem::VolumeUp, FunctionItem::VolumeDown};
    const uint8_t codes[2] = {0x15, 0x16};
    for (int r = 0; r < rounds; ++r) {
        const int k = r % 2;
        panel->clickMenu(panel->buttonMenu(4));
        apptest::AppHarness::waitFor([&] { return panel->buttonMenuView(4)->isShown(); }, 2000);
        panel->buttonMenuView(4)->row(FunctionItem::Multimedia)->mouseEntered();
        TabMenuSettingItemView* row = subMenu(*panel, 4, FunctionItem::Multimedia)->row(choices[k]);
        // Nothing of an earlier round may still be pending on the device.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        app.mouse->clearLog();

        const auto t0 = platform::now();
        QTest::mousePress(row, Qt::LeftButton);
        const double took = bench::seconds(platform::now() - t0);
        if (app.mouse->live()[3] != codes[k] || app.mouse->writeCount() != 2) {
            std::fprintf(stderr, "round %d: the assignment did not reach the mouse\n", r);
            return 1;
        }
        best.offer(took, *app.mouse);
    }

    const double latency = bench::seconds(bench::kReplyLatency);
    char label[96];
    std::snprintf(label, sizeof label, "button assignment, click to read-back (best of %d)", rounds);
    bool met = true;
    bench::reportFloors(label, best.took, kPacing + 2 * latency, kPacing + best.deviceRoundTrips, 1.05, met);
    return met ? 0 : bench::kGoalNotMet;
}
