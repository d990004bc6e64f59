// The keyboard's APC and key-lock panels in the main window with the
// emulated keyboard connected: the APC mode menu open, Separate mode with
// keys at each level, Collective mode, and the key-lock switch off and on
// with locked keys.
#include "AppParam.h"
#include "Device/KeyboardEntry.h"
#include "FunctionPanel/FunctionApcSettingController.h"
#include "FunctionPanel/FunctionGamingSettingController.h"
#include "MainView.h"
#include "MainViewController.h"
#include "CustomControl/MainTabView.h"
#include "Screenshots.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QRadioButton>
#include <QTest>

namespace {

void clickTab(MainTabView* tab)
{
    QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(20, 20));
}

// Clicks the centres of every `step`-th key with per-key settings.
void clickKeys(KeyboardView* view, int first, int step, int count)
{
    auto kb = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
    int seen = 0;
    int clicked = 0;
    for (const KeytopEntry& key : kb->keytopList) {
        if (!key.hasPerKeySettings() || key.keytop.empty())
            continue;
        if (seen++ < first || (seen - first - 1) % step != 0)
            continue;
        const QPointF c = key.keytop.front().center();
        const QPoint at = QPointF(c.x(), view->flipHeight() - c.y()).toPoint();
        if (!view->rect().contains(at))
            continue;
        QTest::mouseClick(view, Qt::LeftButton, {}, at);
        if (++clicked == count)
            return;
    }
}

const shots::ShotRegistrar registrar("KeyboardPanels", [](shots::ShotSink& sink) {
    apptest::AppHarness app(apptest::devices(true, false));
    if (!app.start())
        return;
    auto& main = app.controller();
    auto* apc = dynamic_cast<FunctionApcSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::ApcSetting));
    auto* lock = dynamic_cast<FunctionGamingSettingController*>(uitest::WindowProbe::tabPanel(main, FunctionTab::GamingSetting));
    if (!apc || !lock)
        return;

    clickTab(uitest::WindowProbe::tabView(main, FunctionTab::ApcSetting));
    sink.save(QStringLiteral("ApcPanel_noMode"), uitest::WindowProbe::window(main).mainView);
    apc->showMenuView(true);
    sink.save(QStringLiteral("ApcPanel_menu"), uitest::WindowProbe::window(main).mainView);
    apc->closeMenuView(false);

    apc->clickTabMenuItem(nullptr, FunctionItem::Separate);
    for (int column = 0; column < 3; ++column) {
        QTest::mouseClick(apc->levelCell(column), Qt::LeftButton);
        clickKeys(apc->picture(), column, 3, 30);
    }
    sink.save(QStringLiteral("ApcPanel_separate"), uitest::WindowProbe::window(main).mainView);

    apc->clickTabMenuItem(nullptr, FunctionItem::Collective);
    QTest::mouseClick(apc->levelCell(2), Qt::LeftButton);
    sink.save(QStringLiteral("ApcPanel_collective"), uitest::WindowProbe::window(main).mainView);

    clickTab(uitest::WindowProbe::tabView(main, FunctionTab::GamingSetting));
    sink.save(QStringLiteral("KeyLockPanel_off"), uitest::WindowProbe::window(main).mainView);
    QTest::mouseClick(lock->keylockButton(), Qt::LeftButton);
    clickKeys(lock->picture(), 0, 7, 12);
    sink.save(QStringLiteral("KeyLockPanel_on"), uitest::WindowProbe::window(main).mainView);
});

} // namespace
