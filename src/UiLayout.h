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

// ---- Setting panels ---------------------------------------------------------

// Keyboard picture: the area in which a click starts a key selection,
// measured from the bottom left of the panel view (which fills the main view).
inline constexpr QRectF kKeyboardSelectArea{2.0, 205.0, 996.0, 330.0};
// Key selection frame: every frame rectangle is widened by this much on
// each side before it is outlined.
inline constexpr qreal kKeyboardFrameGrow = 0.6;
// Key illumination: the glow's rectangle is the key's bounding rectangle
// widened by this much on each side; its centre lies this fraction of the
// half-height above the middle.
inline constexpr qreal kKeyGlowGrow = 5.0;
inline constexpr qreal kKeyGlowCentreShift = 0.25;

// ---- Dialogs ------------------------------------------------------------------

} // namespace layout
