// Pictures of the popup menu: a panel with a row in each of its looks, and a
// tab menu hanging over a window body.
#include "AppParam.h"
#include "CustomControl/TabMenuView.h"
#include "Screenshots.h"

#include <QApplication>
#include <QWidget>

namespace {

shots::ShotRegistrar menus("tab-menu", [](shots::ShotSink& sink) {
    AppParam::functionApcSettingSelect = FunctionItem::None;
    TabMenuView sub(QRectF(0, 0, 200, 100), QPointF(0, 0), 160, false, ButtonNo::None, nullptr);
    sub.appendItem(FunctionItem::Copy, QStringLiteral("Copy"));
    sub.updateMenu();
    sub.createPopover();

    TabMenuView menu(QRectF(0, 0, 200, 300), QPointF(0, 0), 200, false, ButtonNo::None, nullptr);
    menu.appendItem(FunctionItem::LeftClick, QStringLiteral("Plain row"));
    menu.appendItem(FunctionItem::RightClick, QStringLiteral("Under the pointer"));
    menu.appendItem(FunctionItem::WheelClick, QStringLiteral("Selected"));
    menu.appendItem(FunctionItem::Forward, QStringLiteral("Disabled"));
    menu.appendItem(FunctionItem::Back, QStringLiteral("Checked"));
    menu.appendItem(FunctionItem::RegistKey, ButtonAssignCode::None, QStringLiteral("Sub-menu"), true, &sub);
    menu.appendItem(FunctionItem::DoubleClick, QStringLiteral("Checked, under pointer"));
    menu.updateMenu();
    menu.createPopover();
    menu.rows()[1]->setMouseInView(true);
    menu.selectMenuItem(FunctionItem::WheelClick, true);
    menu.enableMenuItem(FunctionItem::Forward, false);
    menu.checkMenuItem(FunctionItem::Back, true);
    menu.checkMenuItem(FunctionItem::DoubleClick, true);
    menu.rows()[6]->setMouseInView(true);
    sink.save(QStringLiteral("tab-menu-popover-rows"), menu.getMenuView()->window());

    // A tab menu over a body, hanging from a point below a tab.
    QWidget body;
    body.resize(420, 260);
    body.setStyleSheet(QStringLiteral("background: #1a1a1a"));
    body.setAttribute(Qt::WA_StyledBackground, true);
    TabMenuView tab(QRectF(0, 0, 420, 260), QPointF(140, 0), 180, true, ButtonNo::None, nullptr, &body);
    tab.appendItem(FunctionItem::Separate, QStringLiteral("Separate"));
    tab.appendItem(FunctionItem::Collective, QStringLiteral("Collective"));
    tab.updateMenu();
    tab.selectMenuItem(FunctionItem::Collective, true);
    tab.showInView(&body);
    sink.save(QStringLiteral("tab-menu-over-body"), &body);
});

} // namespace
