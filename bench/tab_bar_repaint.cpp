// Repaint time of the function tab row: a bar with seven tabs (icons,
// titles, triangles, edge gradients, one active and blinking), painted whole
// into an image at scale 1 and scale 2, and the blink's own repaint (the
// triangle's rectangle only). Prints the time per frame, best of the rounds.
//
// Usage: bench_tab_bar_repaint [frames-per-round]

#include "BenchSupport.h"
#include "CustomControl/MainTabView.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

QPixmap solid(int w, int h, const QColor& c)
{
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

double bestPerFrame(int frames, const std::function<void()>& paintOnce)
{
    double best = 1e9;
    for (int round = 0; round < 5; ++round) {
        const auto start = platform::now();
        for (int i = 0; i < frames; ++i)
            paintOnce();
        best = std::min(best, bench::seconds(platform::now() - start) / frames);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int frames = bench::countArg(argc, argv, 1, 200);

    QWidget window;
    window.resize(7 * 140, 60);
    auto* bar = new MainTabBarView(&window);
    bar->setGeometry(window.rect());
    MainTabView* tabs[7];
    for (int i = 0; i < 7; ++i) {
        MainTabView* tab = tabs[i] = new MainTabView(&window);
        tab->setGeometry(i * 140, 0, 140, 40);
        tab->setTitle(QStringLiteral("Function %1").arg(i + 1));
        tab->setActiveIcon(solid(20, 20, Qt::white));
        tab->setNotActiveIcon(solid(20, 20, Qt::gray));
        tab->setTriangleIcon(solid(12, 8, Qt::white));
        tab->setTabGradient(i == 0 ? TabGradient::left : i == 6 ? TabGradient::right : TabGradient::none);
        tab->setTabEnabled(i != 5);
        tab->setTabStatus(i == 2 ? TabStatus::active : TabStatus::notActive);
    }
    window.show();
    QApplication::processEvents();

    for (int scale : {1, 2}) {
        QImage image(window.size() * scale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        const double perFrame = bestPerFrame(frames, [&] {
            QPainter p(&image);
            window.render(&p);
        });
        std::printf("tab bar (7 tabs, %dx%d) whole repaint at scale %d: %8.1f us per frame\n", window.width(),
                    window.height(), scale, perFrame * 1e6);
    }

    // The blink: what one frame of the triangle costs through the widget
    // system (its rectangle only, flushed to the window's backing store).
    TabTriangleView* triangle = tabs[2]->triangleImageView();
    const double blink = bestPerFrame(frames, [&] { triangle->repaint(); });
    std::printf("blinking triangle repaint (%dx%d):             %8.1f us per frame\n", triangle->width(),
                triangle->height(), blink * 1e6);
    const double whole = bestPerFrame(frames, [&] { window.repaint(); });
    std::printf("tab bar window repaint through the backing store: %8.1f us per frame\n", whole * 1e6);
    return 0;
}
