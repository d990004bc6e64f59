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

// -- Device list strip (top-left coordinates)
// The visible area is even, so that scrolling by half of it lands exactly on
// a tile edge with two tiles visible.
inline constexpr int stripVisibleWidth = 644;
inline constexpr int stripHeight = 150;
inline constexpr int stripButtonWidth = 28;
inline constexpr int stripArrowSize = 12;
inline constexpr int stripTileImageMargin = 12;

// ---- Main window ------------------------------------------------------------

// ---- Setting panels ---------------------------------------------------------

// ---- Dialogs ------------------------------------------------------------------

// -- Modal dialog frame and message box (top-left coordinates)
inline constexpr QSizeF messageBoxSize{400, 150};
inline constexpr QRectF messageBoxLabel{24, 20, 352, 70};
inline constexpr QRectF messageBoxOkButton{276, 106, 100, 26};
inline constexpr QRectF messageBoxCancelButton{164, 106, 100, 26};
inline constexpr int dialogFontPixels = 13;

} // namespace layout
