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

// Every tab, left to right per device kind, with what they look like
// when they are made: the caption key, the stem of the icon names (" active"
// and " not active" follow), the menu triangle, the statuses set in their
// order (a status change starts or stops the triangle's blinking) and the
// edge gradient.
struct TabSpec {
    FunctionTab tab;
    DeviceType kind;
    int position;
    bool otherSettings;
    FunctionTabs::Menu menu;
    const char* caption;
    const char* icon;
    bool triangle;
    std::vector<TabStatus> statuses;
    TabGradient gradient;
};

const TabSpec kTabs[FunctionTabs::kCount] = {
    {FunctionTab::ApcSetting, K::Keyboard, 1, false, M::Plain, "APC", "TAB_Icon_APC TAB", true, {S::active},
     TabGradient::none},
    {FunctionTab::GamingSetting, K::Keyboard, 2, false, M::None, "KeyLock", "TAB_Icon_Key Lock TAB", false,
     {S::notActive, S::notActive}, TabGradient::left},
    {FunctionTab::OtherSetting, K::Keyboard, 3, true, M::ResetRows, "OtherSetting", "TAB_Icon_Setting", true,
     {S::active, S::notActive}, TabGradient::left},
    {FunctionTab::MButtonSetting, K::Mouse, 1, false, M::Popovers, "ButtonTabCaption", "TAB_Icon_Button TAB", true,
     {S::active, S::notActive}, TabGradient::left},
    {FunctionTab::MLedSetting, K::Mouse, 2, false, M::None, "LEDTabCaption", "TAB_Icon_LED TAB", false,
     {S::active, S::notActive}, TabGradient::left},
    {FunctionTab::MSensorSetting, K::Mouse, 3, false, M::None, "SensorTabCaption", "TAB_Icon_Sensor TAB", false,
     {S::active, S::notActive}, TabGradient::left},
    {FunctionTab::MOtherSetting, K::Mouse, 4, true, M::ResetRows, "OtherSetting", "TAB_Icon_Setting", true,
     {S::active, S::notActive}, TabGradient::left},
};

// Gives the tab view of `row` its two icons.
void setIcons(const FunctionTabs::Row& row)
{
    const auto* look =
        std::find_if(std::begin(kTabs), std::end(kTabs), [&row](const TabSpec& t) { return t.tab == row.tab; });
    const QString icon = QString::fromLatin1(look->icon);
    row.view->setActiveIcon(ui::appImage(icon + QStringLiteral(" active.png")));
    row.view->setNotActiveIcon(ui::appImage(icon + QStringLiteral(" not active.png")));
}

} // namespace

FunctionTabs::FunctionTabs()
{
    for (size_t i = 0; i < kCount; ++i) {
        const TabSpec& t = kTabs[i];
        rows_[i] = Row{t.tab, t.kind, t.position, t.otherSettings, t.menu, nullptr, nullptr};
    }
}

FunctionTabs::~FunctionTabs() = default;

void FunctionTabs::buildViews(QWidget& header, onMainTabViewDelegate& delegate)
{
    for (size_t i = 0; i < kCount; ++i) {
        Row& r = rows_[i];
        const TabSpec& look = kTabs[i];
        auto* tab = new MainTabView(&header);
        r.view = tab;
        tab->setObjectName(QStringLiteral("tab_") + QString::fromLatin1(look.caption));
        // The slots count from 0 at the left.
        tab->setGeometry(layout::tabSlot(r.position - 1).toRect());
        tab->setTitle(platform::localizedString(QString::fromLatin1(look.caption)));
        tab->setAccessibleName(tab->title());
        // The kind shown first (the keyboard's, also with no device) gets
        // its icons now, the other kind when its tabs are first shown.
        if (r.kind == DeviceType::Keyboard)
            setIcons(r);
        if (look.triangle)
            tab->setTriangleIcon(ui::appImage(QStringLiteral("TriangleDown.png")));
        for (TabStatus status : look.statuses)
            tab->setTabStatus(status);
        tab->setTabGradient(look.gradient);
        tab->update();
        tab->setDelegate(&delegate);
        tab->setFunction(r.tab);
    }
    for (const Row& r : rows_)
        if (r.kind == DeviceType::Mouse)
            r.view->hide();
}

void FunctionTabs::setPanelHost(IDialogHost& host)
{
    host_ = &host;
}

FunctionPanel& FunctionTabs::panel(const Row& row) const
{
    if (!row.made) {
        Q_ASSERT(host_);
        row.made = createFunctionPanel(row.tab, *host_);
    }
    return *row.made;
}

void FunctionTabs::releasePanels()
{
    for (Row& r : rows_)
        r.made.reset();
}

std::unique_ptr<FunctionPanel> FunctionTabs::swapPanel(FunctionTab tab, std::unique_ptr<FunctionPanel> panel)
{
    auto it = std::find_if(rows_.begin(), rows_.end(), [tab](const Row& r) { return r.tab == tab; });
    Q_ASSERT(it != rows_.end());
    std::swap(it->made, panel);
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
    forKind(kind, [](const Row& r) {
        if (r.view->activeIcon().isNull())
            setIcons(r);
        r.view->show();
    });
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
        if (r.menu == Menu::Popovers && r.made)
            r.made->allPopoverMenuClose();
}

void FunctionTabs::closeMenu(const Row& row, bool popovers)
{
    // A panel not made yet has never shown a menu.
    if (!row.made)
        return;
    switch (row.menu) {
    case Menu::Plain:
    case Menu::ResetRows:
        if (row.made->isMenuViewShown())
            row.made->closeMenuView(row.menu == Menu::ResetRows);
        break;
    case Menu::Popovers:
        if (popovers)
            row.made->allPopoverMenuClose();
        break;
    case Menu::None: break;
    }
}
