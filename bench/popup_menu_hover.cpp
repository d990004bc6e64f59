// Repaint time of a 20-row popup menu while the pointer moves over it: each
// frame the pointer enters the next row (the previous row goes dark, the new
// one lights up) and the menu's window is repainted at once. Prints the time
// per frame; also the time of a full repaint of the whole panel.
//
// Usage: bench_popup_menu_hover [frames]
#include "AppParam.h"
#include "CustomControl/TabMenuView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

    QWidget window;
    window.setGeometry(0, 0, 40, 40);
    window.show();

    TabMenuView menu(QRectF(0, 0, 300, 800), QPointF(0, 0), 220, false, ButtonNo::None, nullptr);
    for (int i = 0; i < 20; ++i)
        menu.appendItem(static_cast<FunctionItem>(static_cast<int>(FunctionItem::LeftClick) + (i % 10)),
                        QStringLiteral("Menu row %1").arg(i + 1));
    menu.updateMenu();
    menu.checkMenuItem(FunctionItem::WheelClick, true);
    menu.createPopover();
    menu.popover()->displayPopoverInWindow(&window, QPoint(60, 0), 1);
    QWidget* popup = menu.popover()->popoverWindow();
    QApplication::processEvents();

    const auto& rows = menu.rows();
    auto timeFrames = [&](auto&& step) {
        std::vector<double> samples;
        samples.reserve(size_t(frames));
        for (int f = 0; f < frames; ++f) {
            QElapsedTimer timer;
            timer.start();
            step(f);
            samples.push_back(double(timer.nsecsElapsed()) / 1000.0);
        }
        std::sort(samples.begin(), samples.end());
        double sum = 0;
        for (double s : samples)
            sum += s;
        return std::tuple(sum / samples.size(), samples[samples.size() / 2], samples[samples.size() * 99 / 100]);
    };

    // Hover steps: leave the previous row, enter the next, repaint what changed.
    const auto [hoverMean, hoverMedian, hoverP99] = timeFrames([&](int f) {
        TabMenuSettingItemView* previous = rows[size_t((f + 19) % 20)];
        TabMenuSettingItemView* next = rows[size_t(f % 20)];
        previous->handleExit(next->mapToGlobal(QPoint(5, 5)));
        next->mouseEntered();
        popup->repaint(previous->geometry().united(next->geometry()));
    });
    // Full repaints of the whole panel with one row lit.
    const auto [fullMean, fullMedian, fullP99] = timeFrames([&](int) { popup->repaint(); });

    std::printf("popup menu, 20 rows of 220x38 (scale %.1f), %d frames each\n", popup->devicePixelRatioF(), frames);
    std::printf("  hover step (two rows repainted): mean %.1f us, median %.1f us, p99 %.1f us per frame\n",
                hoverMean, hoverMedian, hoverP99);
    std::printf("  full panel repaint:              mean %.1f us, median %.1f us, p99 %.1f us per frame\n",
                fullMean, fullMedian, fullP99);
    return 0;
}
