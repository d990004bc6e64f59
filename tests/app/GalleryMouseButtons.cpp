// The mouse button panel with a mouse connected (two buttons on custom key
// combinations, one of them shortened), a button menu open with its
// sub-menu, the tab menu, and the custom key capture dialog.
#include "Dialog/DialogCustomKeySetting.h"
#include "FunctionPanel/FunctionMButtonSettingController.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Screenshots.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {

// The window with the open popovers painted over it where they stand.
QImage windowWithPopovers(QWidget* window)
{
    QImage image = window->grab().toImage();
    QPainter p(&image);
    const QPoint origin = window->mapToGlobal(QPoint(0, 0));
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == window || !w->isVisible() || !(w->windowFlags() & Qt::Tool))
            continue;
        const QPixmap pix = w->grab();
        p.drawPixmap(QRectF(w->mapToGlobal(QPoint(0, 0)) - origin, QSizeF(w->size())), pix, pix.rect());
    }
    return image;
}

void settle(int ms)
{
    apptest::AppHarness::waitFor([] { return false; }, ms);
}

const shots::ShotRegistrar registrar("MouseButtons", [](shots::ShotSink& sink) {
    apptest::AppHarness app(apptest::devices(false, true));
    auto& live = app.mouse->live();
    live[2] = 0x2C;  // button 3: custom key L Ctrl + L Shift + A
    live[emu::EmulatedMouse::kCustomKeys + 0] = 0x03;
    live[emu::EmulatedMouse::kCustomKeys + 1] = 0x04;
    live[3] = 0x2C;  // button 4: a combination too long for its header
    live[emu::EmulatedMouse::kCustomKeys + 2] = 0x13;
    live[emu::EmulatedMouse::kCustomKeys + 3] = 0x4E;
    live[5] = 0x15;  // button 6: volume up
    if (!app.start())
        return;
    MainViewController& main = app.controller();
    uitest::WindowProbe::selectFunctionTab(main, FunctionTab::MButtonSetting);
    auto* panel = dynamic_cast<FunctionMButtonSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::MButtonSetting));
    if (!panel)
        return;
    settle(50);
    sink.save(QStringLiteral("MouseButtons_panel"), uitest::WindowProbe::window(main).mainView);

    // Button 3's menu with its shortcut sub-menu.
    panel->clickMenu(panel->buttonMenu(3));
    apptest::AppHarness::waitFor([&] { return panel->buttonMenuView(3)->isShown(); }, 1000);
    if (TabMenuSettingItemView* row = panel->buttonMenuView(3)->row(FunctionItem::RegistKey))
        row->mouseEntered();
    settle(50);
    sink.save(QStringLiteral("MouseButtons_menu_submenu"), windowWithPopovers(uitest::WindowProbe::window(main).mainView));
    panel->allPopoverMenuClose();

    // The tab menu with button 4's menu.
    panel->showMenuView(true);
    apptest::AppHarness::waitFor([&] { return panel->isMenuViewShown(); }, 1000);
    if (TabMenuSettingItemView* row = panel->menuView()->row(FunctionItem::Button4))
        row->mouseEntered();
    settle(50);
    sink.save(QStringLiteral("MouseButtons_tabmenu"), windowWithPopovers(uitest::WindowProbe::window(main).mainView));
    panel->allPopoverMenuClose();

    // The capture dialog opened for button 4.
    QObject ctx;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &ctx, [&] {
        auto* d = DialogCustomKeySetting::sharedManager();
        if (!d->isVisible())
            return;
        poll.stop();
        sink.save(QStringLiteral("CustomKeyDialog_combination"), d);
        d->textCustomKey()->didClick();
        sink.save(QStringLiteral("CustomKeyDialog_capturing"), d);
        d->pushCancel();
    });
    poll.start(20);
    // Choose "Custom key" from button 4's shortcut menu.
    for (const TabMenuItem& item : panel->buttonMenuView(4)->items)
        if (item.function == FunctionItem::RegistKey && item.subMenuListView)
            panel->clickTabMenuItem(item.subMenuListView, FunctionItem::CustomKey);
});

} // namespace
