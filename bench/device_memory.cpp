// Resident memory of the application with a device connected, against the
// same application without a device, at a screen ratio of 1 and of 2
// (QT_SCALE_FACTOR=2), offscreen: the keyboard or the mouse alone on the
// virtual bus, or nothing. Each run is a fresh process that starts as main()
// does and measures, each after a rest:
//   peak     the highest resident memory from the moment the window is
//            made, before the devices are looked for, to the end of the
//            first rest: the device's connect (VmHWM, set back then);
//   connect  after the connect, on the tab the connect shows (without a
//            device: the no-device window at rest);
//   tabs     after every tab of the device was shown once, in their order,
//            on the last of them (for the keyboard, its APC tab first shows
//            every key tinted by its level, the menu's per-key mode);
//   back     back on the tab the connect showed.
// The kinds and ratios take turns, so that a change in the machine's load
// falls on all of them alike. Printed: the lowest, median and highest of the
// runs. Goals, for the highest of each row: the median without a device at
// the same ratio (its peak for the peak, its memory at rest for the others)
// plus the room given to the device (Case::room).
//
// Usage: bench_device_memory [runs]
#include "AppParam.h"
#include "BenchSupport.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/IDeviceEntry.h"
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
constexpr int kStages = 4;
constexpr const char* kStageNames[kStages] = {"peak", "connect", "tabs", "back"};

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
    if (stage == 1)
        std::printf("%s %.2f\n", kStageNames[0], bench::peakResidentMegabytes());
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

enum class Kind { None, Keyboard, Mouse };
constexpr const char* kKindNames[] = {"none", "keyboard", "mouse"};

// Child: one start with one device or none; prints "<stage> <MiB>" for each
// stage.
int runChild(Kind kind)
{
    apptest::HarnessOptions options;
    options.keyboard = kind == Kind::Keyboard;
    options.mouse = kind == Kind::Mouse;
    options.timeScale = 1.0;
    // The devices are looked for once the window has painted, after start()
    // has returned: the peak is taken from then on.
    options.waitForDevices = false;
    apptest::AppHarness app(options);
    if (!app.start() || !bench::resetPeakMemory())
        return 1;
    MainViewController& main = app.controller();
    if (kind != Kind::None
        && !apptest::AppHarness::waitFor([] { return AppParam::device && AppParam::device->isEnable(); }, 10000))
        return 1;
    printStage(1);
    if (kind == Kind::None)
        return 0;
    const std::vector<MainTabView*> tabs = deviceTabs();
    if (tabs.empty())
        return 1;
    MainTabView* first = tabs.front();
    for (MainTabView* tab : tabs)
        if (tab->function() == AppParam::functionTabSelect)
            first = tab;
    if (kind == Kind::Keyboard)
        tintKeys(main, first);
    for (MainTabView* tab : tabs) {
        main.clickTab(tab);
        apptest::AppHarness::waitFor([] { return false; }, 300);
    }
    printStage(2);
    main.clickTab(first);
    printStage(3);
    return 0;
}

struct Case {
    const char* title;
    Kind kind;
    const char* scale;
    // The room given to the device (MiB) per stage, above the median of
    // the runs without a device at the same ratio.
    std::array<double, kStages> room;
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
    child.start(self, {QStringLiteral("--child"), QString::fromLatin1(kKindNames[int(c.kind)])});
    child.waitForFinished(60000);
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.split(' ');
        for (int s = 0; s < kStages && words.size() == 2; ++s)
            if (words[0] == kStageNames[s])
                c.now[size_t(s)].push_back(words[1].toDouble());
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--child") == 0) {
        platform::mapPictureBlocksAlone();  // as main() does
        QApplication qapp(argc, argv);
        for (Kind kind : {Kind::None, Kind::Keyboard, Kind::Mouse})
            if (std::strcmp(argv[2], kKindNames[int(kind)]) == 0)
                return runChild(kind);
        return 1;
    }
    QCoreApplication qapp(argc, argv);
    const int runs = bench::countArg(argc, argv, 1, 5);
    const QString self = QCoreApplication::applicationFilePath();

    // The room of each stage (MiB): peak, connect, tabs, back. The peak of
    // a connect, whose pictures are decoded side by side by up to eight
    // threads, moves by some 3 MiB from one start to the next with their
    // timing: its room holds 4 to 5 MiB more.
    std::vector<Case> cases = {
        {"no device, ratio 1", Kind::None, "1", {}, {}},
        {"no device, ratio 2", Kind::None, "2", {}, {}},
        {"keyboard, ratio 1", Kind::Keyboard, "1", {20, 15, 15, 15}, {}},
        {"keyboard, ratio 2", Kind::Keyboard, "2", {70, 35, 35, 35}, {}},
        {"mouse, ratio 1", Kind::Mouse, "1", {30, 9, 15, 17.5}, {}},
        {"mouse, ratio 2", Kind::Mouse, "2", {40, 18, 28.5, 39}, {}},
    };
    for (int r = 0; r < runs; ++r)
        for (size_t i = 0; i < cases.size(); ++i)
            runOnce(cases[(i + size_t(r)) % cases.size()], self);

    std::printf("resident memory (MiB), %d fresh starts each: lowest, median, highest; goal: the median without\n"
                "  a device at the same ratio (peak: its peak; else: at rest) + the room given to the device\n",
                runs);
    bool met = true;
    for (const Case& c : cases) {
        std::printf("  %s:\n", c.title);
        const Case& bare = cases[c.scale[0] == '1' ? 0 : 1];
        for (size_t s = 0; s < kStages; ++s) {
            std::vector<double> v = c.now[s];
            std::sort(v.begin(), v.end());
            if (c.kind == Kind::None && s > 1)
                continue;
            if (v.empty()) {
                met = false;
                std::printf("    %-8s no figure (the runs failed)\n", kStageNames[s]);
                continue;
            }
            std::printf("    %-8s %6.1f %6.1f %6.1f", kStageNames[s], v.front(), v[v.size() / 2], v.back());
            const double reference = median(bare.now[s == 0 ? 0 : 1]);
            if (c.kind != Kind::None) {
                const double goal = reference + c.room[s];
                std::printf(" | goal <= %5.1f (%5.1f + %4.1f): %s", goal, reference, c.room[s],
                            bench::verdict(reference > 0 && v.back() <= goal, met));
            }
            std::printf("\n");
        }
    }
    return met ? 0 : bench::kGoalNotMet;
}
