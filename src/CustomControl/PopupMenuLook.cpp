#include "CustomControl/PopupMenuLook.h"

#include "UiLayout.h"

#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {

// A menu item's title without the shortcut text that may follow a tab.
QString titleOf(const QStyleOptionMenuItem& item)
{
    return item.text.section(QLatin1Char('\t'), 0, 0);
}

} // namespace

PopupMenuLook::PopupMenuLook() = default;

void PopupMenuLook::apply(QMenu* menu)
{
    auto* look = new PopupMenuLook;
    look->setParent(menu);
    menu->setStyle(look);
    QFont font = menu->font();
    font.setPixelSize(layout::kMenuFontPixelSize);
    menu->setFont(font);
}

int PopupMenuLook::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_MenuPanelWidth:
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        // The rows reach the panel's edges; there is no frame.
        return 0;
    default: return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize PopupMenuLook::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                      const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        return {size.width(), int(layout::kMenuSeparatorHeight)};
    const int text = item->fontMetrics.horizontalAdvance(titleOf(*item));
    return {text + 2 * int(layout::kMenuTitlePadding), int(layout::kMenuItemHeight)};
}

void PopupMenuLook::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const
{
    if (element == PE_PanelMenu) {
        const QRect r = option->rect;
        painter->fillRect(r, menulook::panelColor());
        // A band at the top edge that darkens from the panel colour to black.
        const qreal band = layout::kMenuTopBandHeight;
        QLinearGradient gradient(0, r.top() + band, 0, r.top());
        gradient.setColorAt(0, menulook::panelColor());
        gradient.setColorAt(1, menulook::bandEndColor());
        painter->fillRect(QRectF(r.left(), r.top(), r.width(), band), gradient);
        return;
    }
    if (element == PE_FrameMenu)
        return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void PopupMenuLook::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    if (element == CE_MenuEmptyArea)
        return;  // the panel shows
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !item) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const QRect r = item->rect;
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        // A thin dark line across the row's middle.
        painter->fillRect(QRect(r.left(), r.center().y(), r.width(), 1), menulook::bandEndColor());
        return;
    }
    const bool enabled = item->state & State_Enabled;
    if (enabled && (item->state & State_Selected))
        painter->fillRect(r, menulook::highlightColor());
    painter->save();
    painter->setFont(item->font);
    painter->setPen(menulook::titleColor(enabled));
    painter->drawText(r, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextHideMnemonic, titleOf(*item));
    painter->restore();
}
