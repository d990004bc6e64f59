// CPU time of a window at rest that holds every drawn control, with the
// active function tab's triangle blinking: the process's CPU time over the
// run (10 s unless given), as a share of one core. Goal: below 1 %.
//
// Usage: bench_idle_window_cpu [seconds]

#include "BenchSupport.h"
#include "CustomControl/BackgroundView.h"
#include "CustomControl/KeyboardListView.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/NKButton.h"
#include "CustomControl/NKButtonView.h"
#include "CustomControl/NKMenuView.h"
#include "CustomControl/TabMenuView.h"

#include <QApplication>
#include <QEventLoop>
#include <QHeaderView>
#include <QPixmap>
#include <QSlider>
#include <QStandardItemModel>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

QPixmap solid(int w, int h, const QColor& c)
{
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

double processCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

// Every control of the toolkit, laid out in one window as a person would
// see them; the tab with index 0 is active and blinks.
MainTabView* populate(BackgroundView& window)
{
    window.resize(1000, 700);
    auto* bar = new MainTabBarView(&window);
    bar->setGeometry(0, 0, 1000, 60);
    MainTabView* blinking = nullptr;
    for (int i = 0; i < 4; ++i) {
        auto* tab = new MainTabView(&window);
        tab->setGeometry(i * 160, 0, 160, 40);
        tab->setTitle(QStringLiteral("Tab %1").arg(i + 1));
        tab->setActiveIcon(solid(20, 20, Qt::white));
        tab->setNotActiveIcon(solid(20, 20, Qt::gray));
        tab->setTriangleIcon(solid(12, 8, Qt::white));
        tab->setTabStatus(i == 0 ? TabStatus::active : TabStatus::notActive);
        if (i == 0)
            blinking = tab;
    }
    auto* model = new QStandardItemModel(6, 2, &window);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 2; ++c)
            model->setItem(r, c, new QStandardItem(QStringLiteral("Row %1").arg(r)));
    auto* table = new NKTableView(&window);
    table->setGeometry(20, 80, 300, 160);
    table->setModel(model);
    table->setItemDelegate(new NKTableRowView(table));
    table->selectRow(1);
    auto* field = new NKTextField(&window);
    field->setGeometry(20, 260, 150, 28);
    field->setText(QStringLiteral("1600"));
    for (int i = 0; i < 4; ++i) {
        auto* b = new NKButtonView(&window);
        b->setGeometry(360 + i * 90, 80, 80, 56);
        b->setButtonColor(QColor::fromHsv(i * 80, 255, 255));
        b->setStringValue(QStringLiteral("LED %1").arg(i + 1));
        b->setButtonValue(i == 0);
    }
    auto* link = new NKLinkView(&window);
    link->setGeometry(360, 160, 380, 50);
    link->setStringValue(QStringLiteral("Go to the support page"));
    for (int i = 0; i < 6; ++i) {
        auto* header = new NKMenuView(&window);
        header->setGeometry(360 + (i % 3) * 200, 240 + (i / 3) * 40, 180, 30);
        header->setTitle(QStringLiteral("Button %1").arg(i + 1));
        header->setFullTitle(header->title());
        header->setTriangleIcon(solid(10, 6, Qt::white));
    }
    // Drawn buttons, swatches, check box, image button and the flat slider.
    auto* button = new NKButton(QStringLiteral("Send"), &window);
    button->setGeometry(20, 320, 120, 32);
    button->setColors(QColor(102, 102, 102), QColor(92, 92, 92));
    for (int i = 0; i < 3; ++i) {
        auto* swatch = new NKColorButton(&window);
        swatch->setGeometry(160 + i * 36, 320, 30, 30);
        swatch->setBackgroundColor(QColor::fromHsv(i * 100, 255, 255));
        swatch->setIsDefault(i == 1);
    }
    auto* check = new NKCheckBox(QStringLiteral("Enable"), &window);
    check->setGeometry(20, 370, 140, 24);
    check->setChecked(true);
    auto* icon = new NKIconButton(&window);
    icon->setGeometry(180, 370, 32, 32);
    icon->setIcon(solid(32, 32, Qt::darkCyan));
    auto* slider = new QSlider(Qt::Horizontal, &window);
    slider->setGeometry(20, 410, 260, 24);
    NKSliderCell::apply(slider)->setBackgroundColor(QColor(180, 180, 180));

    // An open tab menu laid over part of the window.
    auto* menu = new TabMenuView(QRectF(720, 60, 260, 300), QPointF(20, 0), 220, true,
                                 ButtonNo::None, nullptr, &window);
    menu->appendItem(FunctionItem::Separate, QStringLiteral("Separate"));
    menu->appendItem(FunctionItem::Collective, QStringLiteral("Collective"));
    menu->appendItem(FunctionItem::UserSetting, QStringLiteral("User setting"));
    menu->updateMenu();
    menu->showInView(&window);

    // The device strip with three tiles.
    auto* strip = new KeyboardListView();
    strip->setParent(&window);
    strip->keyboardListView()->setParent(&window);
    strip->keyboardListView()->move(20, 460);
    for (int i = 0; i < 3; ++i) {
        auto* item = new KeyboardListItem();
        item->setDefaultImage(solid(200, 70, QColor(60, 60, 64)));
        strip->addItem(item);
    }
    strip->select(0);
    strip->DisplayItemAtIndexCheck(true);

    auto* mask = new BackgroundView(&window);
    mask->setGeometry(0, 640, 1000, 60);
    mask->setBackgroundColor(QColor(0, 0, 0, 120));
    return blinking;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = bench::countArg(argc, argv, 1, 10);

    BackgroundView window;
    MainTabView* blinking = populate(window);
    window.show();
    // Let the first paint and any start-up work settle before measuring.
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();

    struct Phase {
        double cpu, wall;
        int frames;
    };
    auto measure = [&](int forSeconds) {
        const int framesBefore = blinking->triangleImageView()->paintCount();
        const double cpu0 = processCpuSeconds();
        const auto wall0 = platform::now();
        QEventLoop rest;
        QTimer::singleShot(forSeconds * 1000, Qt::PreciseTimer, &rest, &QEventLoop::quit);
        rest.exec();
        return Phase{processCpuSeconds() - cpu0, bench::seconds(platform::now() - wall0),
                     blinking->triangleImageView()->paintCount() - framesBefore};
    };

    // The same window with the tab not blinking, for comparison.
    blinking->setTabStatus(TabStatus::notSupport);
    const Phase still = measure(seconds);
    blinking->setTabStatus(TabStatus::active);
    const Phase blink = measure(seconds);

    const double stillShare = 100.0 * still.cpu / still.wall;
    const double share = 100.0 * blink.cpu / blink.wall;
    std::printf("window with every control at rest, %.1f s each:\n", blink.wall);
    std::printf("  no tab blinking:  CPU time %.4f s = %.3f %% of one core\n", still.cpu, stillShare);
    std::printf("  one tab blinking: CPU time %.4f s = %.3f %% of one core (goal below 1 %%): %s\n",
                blink.cpu, share, share < 1.0 ? "met" : "NOT met");
    std::printf("  blink frames %d (%.1f per second)\n", blink.frames, blink.frames / blink.wall);
    return 0;
}
