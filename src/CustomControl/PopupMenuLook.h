#pragma once
// The look every popup of the application shares: a dark panel whose top edge
// darkens to black, rows 38 high with centred white titles, a lighter fill
// under the pointer and half-transparent titles for disabled rows. The drawn
// menus (TabMenuView) paint it themselves; a QMenu (the application menu)
// gets it with PopupMenuLook::apply.

#include <QColor>
#include <QProxyStyle>

class QMenu;

namespace menulook {
// The panel behind the rows, and the colour its top band darkens to.
inline QColor panelColor() { return {53, 47, 45}; }
inline QColor bandEndColor() { return {0, 0, 0}; }
// A row under the pointer; a selected row (with black text).
inline QColor highlightColor() { return {114, 110, 109}; }
inline QColor selectedColor() { return {200, 200, 200}; }
// Row titles, and those of a selected row; half-transparent when the row is
// disabled.
inline QColor titleColor(bool enabled) { return {255, 255, 255, enabled ? 255 : 128}; }
inline QColor selectedTitleColor(bool enabled) { return {0, 0, 0, enabled ? 255 : 128}; }
} // namespace menulook

class PopupMenuLook : public QProxyStyle {
    Q_OBJECT
public:
    PopupMenuLook();

    // Draws `menu` in the popup look from now on (the style belongs to it).
    static void apply(QMenu* menu);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
};
