#pragma once
// The geometry of the user interface, in one place: window and area sizes,
// slots of the tabs, panel and dialog sizes, places of buttons. Figures are
// device-independent pixels (one point each). Where a figure is given from
// the bottom left (y up), it is turned into Qt's top-left form only through
// ui::fromBottomLeft (CustomControl/UiGeometry.h).

#include <QRectF>
#include <QSizeF>

namespace layout {

// ---- Drawn controls ---------------------------------------------------------

// ---- Main window ------------------------------------------------------------
// Figures in Qt's top-left form (y grows downwards) inside the window.

inline constexpr QSizeF kMainWindowSize{1000, 680};
// Header: title, device labels and the close button above, the tab row with
// Send and the profile buttons in its bottom band.
inline constexpr QRectF kMainHeader{0, 0, 1000, 150};
inline constexpr QRectF kMainTabBar{0, 102, 1000, 48};
// Tab slots in the tab row (window coordinates); the keyboard and mouse rows
// share the slots from the left.
inline constexpr qreal kTabWidth = 180;
inline constexpr qreal kTabHeight = 48;
inline constexpr qreal kTabTop = 102;
inline constexpr QRectF tabSlot(int position) { return {kTabWidth * position, kTabTop, kTabWidth, kTabHeight}; }
// The triangle that opens a tab's menu: the right end of a tab.
inline constexpr qreal kTabTriangleWidth = 40;
inline constexpr QRectF kSendButton{736, 108, 80, 36};
inline constexpr QRectF kSaveProfileButton{824, 108, 80, 36};
inline constexpr QRectF kLoadProfileButton{912, 108, 80, 36};
inline constexpr QRectF kCloseButton{956, 12, 32, 32};
inline constexpr QRectF kHelpMenuButton{916, 12, 32, 32};
inline constexpr QRectF kModelNameLabel{24, 16, 560, 28};
inline constexpr QRectF kKeyboardNameLabel{24, 52, 560, 20};
inline constexpr QRectF kKeyboardModelLabel{24, 74, 300, 20};
inline constexpr QRectF kKeyboardFirmwareLabel{330, 74, 300, 20};
// Footer with the button that opens the device strip (right edge fixed).
inline constexpr QRectF kMainFooter{0, 616, 1000, 64};
inline constexpr qreal kSelectKeyboardButtonRight = 976;
inline constexpr QRectF kSelectKeyboardButton{816, 630, 160, 36};
// The sliding device-selection panel and its strip.
inline constexpr QSizeF kKeyboardSelectView{1000, 220};
inline constexpr qreal kKeyboardListReturnRight = 976;
inline constexpr QRectF kKeyboardListReturnButton{856, 16, 120, 32};
inline constexpr QRectF kKeyboardListStrip{160, 60, 680, 150};
inline constexpr QSizeF kKeyboardListTile{150, 140};
// No-device view: message and link, centred in the body.
inline constexpr QRectF kDeviceNotFoundLabel{100, 160, 800, 32};
inline constexpr QRectF kDeviceNotFoundLink{350, 210, 300, 24};
// Fonts (pixel sizes).
inline constexpr int kHeaderTitleFont = 22;
inline constexpr int kHeaderLabelFont = 13;
inline constexpr int kButtonFont = 13;
inline constexpr int kTabFont = 16;
inline constexpr int kErrorViewFont = 18;
// Dialog placement: top edge below the main window's top.
inline constexpr qreal kDialogTopOffset = 80;

// ---- Setting panels ---------------------------------------------------------

// ---- Dialogs ------------------------------------------------------------------

} // namespace layout
