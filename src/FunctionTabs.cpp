#include "FunctionTabs.h"

#include "CustomControl/AppImages.h"
#include "CustomControl/MainTabView.h"
#include "FunctionPanel/FunctionPanel.h"
#include "Platform/Strings.h"
#include "UiLayout.h"

#include <algorithm>
#include <vector>

namespace {

using K = DeviceType;
using M = FunctionTabs::Menu;
using S = TabStatus;

// What a tab looks like when it is made. The statuses are set in their
// order (a status change starts or stops the triangle's blinking).
struct Look {
    const char* caption;
    const char* activeIcon;
    const char* notActiveIcon;
    bool triangle;
    std::vector<TabStatus> statuses;
    TabGradient gradient;
};

// The rows in table order with their looks, index for index.
const Look kLooks[FunctionTabs::kCount] = {
    {"APC", "TAB_Icon_APC TAB active.png", "TAB_Icon_APC TAB not active.png", true, {S::active}, TabGradient::none},
    {"KeyLock", "TAB_Icon_Key Lock TAB active.png", "TAB_Icon_Key Lock TAB not active.png", false,
     {S::notActive, S::notActive}, TabGradient::left},
    {"OtherSetting", "TAB_Icon_Setting active.png", "TAB_Icon_Setting not active.png", true,
     {S::active, S::notActive}, TabGradient::left},
    {"ButtonTabCaption", "TAB_Icon_Button TAB active.png", "TAB_Icon_Button TAB not active.png", true,
     {S::active, S::notActive}, TabGradient::left},
    {"LEDTabCaption", "TAB_Icon_LED TAB active.png", "TAB_Icon_LED TAB not active.png", false,
     {S::active, S::notActive}, TabGradient::left},
    {"SensorTabCaption", "TAB_Icon_Sensor TAB active.png", "TAB_Icon_Sensor TAB not active.png", false,
     {S::active, S::notActive}, TabGradient::left},
    {"OtherSetting", "TAB_Icon_Setting active.png", "TAB_Icon_Setting not active.png", true,
     {S::active, S::notActive}, TabGradient::left},
};

} // namespace

FunctionTabs::FunctionTabs()
    : rows_{{
          {FunctionTab::ApcSetting, K::Keyboard, 1, false, M::Plain, nullptr, nullptr},
          {FunctionTab::GamingSetting, K::Keyboard, 2, false, M::None, nullptr, nullptr},
          {FunctionTab::OtherSetting, K::Keyboard, 3, true, M::ResetRows, nullptr, nullptr},
          {FunctionTab::MButtonSetting, K::Mouse, 1, false, M::Popovers, nullptr, nullptr},
          {FunctionTab::MLedSetting, K::Mouse, 2, false, M::None, nullptr, nullptr},
          {FunctionTab::MSensorSetting, K::Mouse, 3, false, M::None, nullptr, nullptr},
          {FunctionTab::MOtherSetting, K::Mouse, 4, true, M::ResetRows, nullptr, nullptr},
      }}
{
}

FunctionTabs::~FunctionTabs() = default;

void FunctionTabs::buildViews(QWidget& header, onMainTabViewDelegate& delegate)
{
    for (size_t i = 0; i < kCount; ++i) {
        Row& r = rows_[i];
        const Look& look = kLooks[i];
        auto* tab = new MainTabView(&header);
        tab->setObjectName(QStringLiteral("tab_") + QString::fromLatin1(look.caption));
        // The slots count from 0 at the left.
        tab->setGeometry(layout::tabSlot(r.position - 1).toRect());
        tab->setTitle(platform::localizedString(QString::fromLatin1(look.caption)));
        tab->setAccessibleName(tab->title());
        tab->setActiveIcon(ui::appImage(QString::fromLatin1(look.activeIcon)));
        tab->setNotActiveIcon(ui::appImage(QString::fromLatin1(look.notActiveIcon)));
        if (look.triangle)
            tab->setTriangleIcon(ui::appImage(QStringLiteral("TriangleDown.png")));
        for (TabStatus status : look.statuses)
            tab->setTabStatus(status);
        tab->setTabGradient(look.gradient);
        tab->update();
        tab->setDelegate(&delegate);
        tab->setFunction(r.tab);
        r.view = tab;
    }
    for (const Row& r : rows_)
        if (r.kind == DeviceType::Mouse)
            r.view->hide();
}

void FunctionTabs::buildPanels(MainViewController& controller)
{
    for (Row& r : rows_)
        r.panel = createFunctionPanel(r.tab, controller);
}

void FunctionTabs::releasePanels()
{
    for (Row& r : rows_)
        r.panel.reset();
}

std::unique_ptr<FunctionPanel> FunctionTabs::swapPanel(FunctionTab tab, std::unique_ptr<FunctionPanel> panel)
{
    auto it = std::find_if(rows_.begin(), rows_.end(), [tab](const Row& r) { return r.tab == tab; });
    Q_ASSERT(it != rows_.end());
    std::swap(it->panel, panel);
    return panel;
}

const FunctionTabs::Row& FunctionTabs::row(FunctionTab tab) const
{
    const Row* r = find(tab);
    Q_ASSERT(r);
    return *r;
}

const FunctionTabs::Row* FunctionTabs::find(FunctionTab tab) const
{
    const auto it = std::find_if(rows_.begin(), rows_.end(), [tab](const Row& r) { return r.tab == tab; });
    return it == rows_.end() ? nullptr : &*it;
}

const FunctionTabs::Row* FunctionTabs::find(const QObject* view) const
{
    if (!view)
        return nullptr;
    const auto it = std::find_if(rows_.begin(), rows_.end(),
                                 [view](const Row& r) { return static_cast<const QObject*>(r.view) == view; });
    return it == rows_.end() ? nullptr : &*it;
}

int FunctionTabs::positionOf(FunctionTab tab) const
{
    if (const Row* r = find(tab))
        return r->position;
    return tab == FunctionTab::LedSetting ? 1 : 0;
}

const FunctionTabs::Row& FunctionTabs::shownAt(DeviceType kind, int position) const
{
    for (const Row& r : rows_)
        if (r.kind == kind && r.position == position)
            return r;
    return otherSettings(kind);
}

const FunctionTabs::Row& FunctionTabs::otherSettings(DeviceType kind) const
{
    const auto it =
        std::find_if(rows_.begin(), rows_.end(), [kind](const Row& r) { return r.kind == kind && r.otherSettings; });
    Q_ASSERT(it != rows_.end());
    return *it;
}

void FunctionTabs::forKind(DeviceType kind, const std::function<void(const Row&)>& f) const
{
    for (const Row& r : rows_)
        if (r.kind == kind)
            f(r);
}

void FunctionTabs::setLooks(DeviceType kind, int shown) const
{
    forKind(kind, [shown](const Row& r) {
        r.view->setTabStatus(r.position == shown ? TabStatus::active : TabStatus::notActive);
        r.view->setTabGradient(r.position == shown  ? TabGradient::none
                               : r.position < shown ? TabGradient::right
                                                    : TabGradient::left);
        r.view->update();
    });
}

void FunctionTabs::showKind(DeviceType kind) const
{
    for (const Row& r : rows_)
        if (r.kind != kind)
            r.view->hide();
    forKind(kind, [](const Row& r) { r.view->show(); });
}

void FunctionTabs::enable(DeviceType kind, bool settingsUsable, bool apc) const
{
    forKind(kind, [&](const Row& r) {
        r.view->setTabEnabled(r.otherSettings || (settingsUsable && (r.tab != FunctionTab::ApcSetting || apc)));
    });
}

void FunctionTabs::closeMenus() const
{
    for (const Row& r : rows_)
        closeMenu(r, true);
}

void FunctionTabs::closeMenuOf(FunctionTab tab, bool popovers) const
{
    if (const Row* r = find(tab))
        closeMenu(*r, popovers);
}

void FunctionTabs::closePopovers() const
{
    // Also asked for while the window closes, when the panels may be gone.
    for (const Row& r : rows_)
        if (r.menu == Menu::Popovers && r.panel)
            r.panel->allPopoverMenuClose();
}

void FunctionTabs::closeMenu(const Row& row, bool popovers)
{
    switch (row.menu) {
    case Menu::Plain:
    case Menu::ResetRows:
        if (row.panel->isMenuViewShown())
            row.panel->closeMenuView(row.menu == Menu::ResetRows);
        break;
    case Menu::Popovers:
        if (popovers)
            row.panel->allPopoverMenuClose();
        break;
    case Menu::None: break;
    }
}
