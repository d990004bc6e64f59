// Resident memory of the application at rest with a device connected, at a
// screen ratio of 1 and of 2 (QT_SCALE_FACTOR=2), offscreen: the keyboard
// and the mouse, each alone on the virtual bus. Each run is a fresh process
// that starts as main() does and measures three times, each after a rest:
//   connect  after the connect, on the tab the connect shows;
//   tabs     after every tab of the device was shown once, in their order,
//            on the last of them (for the keyboard, its APC tab first shows
//            every key tinted by its level, the menu's per-key mode);
//   back     back on the tab the connect showed.
// The kinds and ratios take turns, so that a change in the machine's load
// falls on all of them alike. Printed: the lowest, median and highest of the
// runs, beside the lowest and highest of two earlier builds measured by this
// program on this machine on 2026-12-08, side by side with this build: the
// code before the double-density pictures (older) and the code before this
// benchmark (before). Goals, for the highest of each row: a keyboard at
// ratio 1 at most 48.6 MiB, at ratio 2 at most 82 MiB; a mouse no higher
// than before.
//
// Usage: bench_device_memory [runs]
#include "AppParam.h"
#include "BenchSupport.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/TabMenuView.h"
#include "MainViewController.h"
#include "Platform/Allocator.h"
#include "support/ui/AppHarness.h"

#include <QApplication>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kRestMs = 2000;
constexpr int kStages = 3;
constexpr const char* kStageNames[kStages] = {"connect", "tabs", "back"};

// The tabs of the connected device, from left to right.
std::vector<MainTabView*> deviceTabs()
{
    std::vector<MainTabView*> tabs;
    for (QWidget* top : QApplication::topLevelWidgets())
        for (MainTabView* tab : top->findChildren<MainTabView*>())
            if (tab->isVisible() && tab->tabEnabled())
                tabs.push_back(tab);
    std::sort(tabs.begin(), tabs.end(), [](const MainTabView* a, const MainTabView* b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    return tabs;
}

void printStage(int stage)
{
    apptest::AppHarness::waitFor([] { return false; }, kRestMs);
    std::printf("%s %.2f\n", kStageNames[stage], bench::residentMegabytes());
    std::fflush(stdout);
}

// On the keyboard's APC tab (shown first), its menu's per-key mode: every
// key is tinted in the colour of its level, as a user setting the levels
// sees them.
void tintKeys(MainViewController& main, MainTabView* apc)
{
    main.clickTabMenuIcon(apc);
    apptest::AppHarness::waitFor([] { return false; }, 300);
    for (QWidget* top : QApplication::topLevelWidgets())
        for (TabMenuView* menu : top->findChildren<TabMenuView*>())
            if (menu->isVisible() && menu->row(FunctionItem::Separate))
                QTest::mouseClick(menu->row(FunctionItem::Separate), Qt::LeftButton);
    apptest::AppHarness::waitFor([] { return false; }, 300);
}

// Child: one start with one device; prints "<stage> <MiB>" for each stage.
int runChild(bool keyboard)
{
    apptest::HarnessOptions options;
    options.keyboard = keyboard;
    options.mouse = !keyboard;
    options.timeScale = 1.0;
    apptest::AppHarness app(options);
    if (!app.start())
        return 1;
    MainViewController& main = app.controller();
    printStage(0);
    const std::vector<MainTabView*> tabs = deviceTabs();
    if (tabs.empty())
        return 1;
    MainTabView* first = tabs.front();
    for (MainTabView* tab : tabs)
        if (tab->function() == AppParam::functionTabSelect)
            first = tab;
    if (keyboard)
        tintKeys(main, first);
    for (MainTabView* tab : tabs) {
        main.clickTab(tab);
        apptest::AppHarness::waitFor([] { return false; }, 300);
    }
    printStage(1);
    main.clickTab(first);
    printStage(2);
    return 0;
}

using Range = std::array<double, 2>;  // lowest, highest

struct Case {
    const char* title;
    bool keyboard;
    const char* scale;
    // Measured on 2026-12-08 (MiB): before the double-density pictures, and
    // before this benchmark; per stage.
    std::array<Range, kStages> older, before;
    // The goal (MiB); 0: no higher than before.
    double goal;
    std::array<std::vector<double>, kStages> now;
};

void runOnce(Case& c, const QString& self)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(c.scale));
    child.setProcessEnvironment(env);
    child.setStandardErrorFile(QProcess::nullDevice());
    child.start(self, {QStringLiteral("--child"), QString::fromLatin1(c.keyboard ? "keyboard" : "mouse")});
    child.waitForFinished(60000);
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        for (int s = 0; s < kStages && words.size() == 2; ++s)
            if (words[0] == kStageNames[s])
                c.now[size_t(s)].push_back(words[1].toDouble());
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--child") == 0) {
        platform::mapPictureBlocksAlone();  // as main() does
        QApplication qapp(argc, argv);
        return runChild(std::strcmp(argv[2], "keyboard") == 0);
    }
    QCoreApplication qapp(argc, argv);
    const int runs = bench::countArg(argc, argv, 1, 5);
    const QString self = QCoreApplication::applicationFilePath();

    // Figures of the earlier builds: 5 runs each, side by side with this
    // build, on 2026-12-08.
    std::vector<Case> cases = {
        {"keyboard, ratio 1", true, "1",
         {{{45.7, 45.7}, {45.9, 45.9}, {45.9, 45.9}}},
         {{{50.6, 50.7}, {50.7, 50.8}, {50.7, 50.8}}}, 48.6, {}},
        {"keyboard, ratio 2", true, "2",
         {{{75.4, 75.6}, {75.6, 75.8}, {75.7, 75.8}}},
         {{{92.7, 93.3}, {103.5, 104.2}, {103.5, 104.2}}}, 82.0, {}},
        {"mouse, ratio 1", false, "1",
         {{{47.6, 47.8}, {58.4, 58.6}, {58.6, 58.8}}},
         {{{40.2, 42.8}, {45.7, 48.4}, {48.6, 51.2}}}, 0, {}},
        {"mouse, ratio 2", false, "2",
         {{{61.4, 61.5}, {96.5, 96.6}, {96.7, 96.8}}},
         {{{64.5, 64.7}, {75.6, 75.7}, {86.4, 86.5}}}, 0, {}},
    };
    for (int r = 0; r < runs; ++r)
        for (size_t i = 0; i < cases.size(); ++i)
            runOnce(cases[(i + size_t(r)) % cases.size()], self);

    std::printf("resident memory at rest (MiB), %d fresh starts each: lowest, median, highest of this build\n"
                "  | lowest-highest of the code before the double-density pictures (older) and of the code\n"
                "  before this benchmark (before), measured here on 2026-12-08 beside this build\n",
                runs);
    bool met = true;
    for (Case& c : cases) {
        std::printf("  %s:\n", c.title);
        for (size_t s = 0; s < kStages; ++s) {
            std::vector<double>& v = c.now[s];
            std::sort(v.begin(), v.end());
            const double goal = c.goal > 0 ? c.goal : c.before[s][1];
            const bool ok = !v.empty() && v.back() <= goal;
            met = met && ok;
            if (v.empty()) {
                std::printf("    %-8s no figure (the runs failed)\n", kStageNames[s]);
                continue;
            }
            std::printf("    %-8s %6.1f %6.1f %6.1f | older %5.1f-%5.1f | before %5.1f-%5.1f | goal <= %5.1f%s: %s\n",
                        kStageNames[s], v.front(), v[v.size() / 2], v.back(), c.older[s][0], c.older[s][1],
                        c.before[s][0], c.before[s][1], goal, c.goal > 0 ? "" : " (before)",
                        ok ? "met" : "NOT met");
        }
    }
    return met ? 0 : 2;
}
