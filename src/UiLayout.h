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

// -- Popup menu (TabMenuView and its rows) --
inline constexpr qreal kMenuItemHeight = 38;      // height of one row
inline constexpr int kMenuFontPixelSize = 14;     // titles, check and sub-menu marks
inline constexpr qreal kMenuTopBandHeight = 10;   // darkening band at the panel's top edge
inline constexpr qreal kMenuCheckX = 2;           // left edge of the check mark
inline constexpr qreal kMenuMarkWidth = 10;       // width of the check and sub-menu marks
inline constexpr qreal kMenuSubMenuMarkInset = 20; // sub-menu mark: its left edge this far from the right
inline constexpr qreal kMenuTextExtraHeight = 4;  // text box = font size + this
inline constexpr qreal kMenuTextLift = 1;         // texts sit this much above the centred box

// -- Drawn buttons, check boxes and slider (NKButton family) --
inline constexpr int kButtonTitlePixelSize = 14;  // button titles
inline constexpr int kCheckBoxTitlePixelSize = 13; // check box titles
inline constexpr qreal kColorButtonRadius = 3;    // rounded corners of a colour swatch
inline constexpr qreal kColorButtonOutline = 1;   // each of the two outlines of a chosen swatch
inline constexpr qreal kSliderBarHeight = 5;      // the flat slider bar
inline constexpr qreal kSliderBarRadius = 1;
inline constexpr qreal kButtonIconTitleGap = 4;   // between an image and the title of a button

// ---- Main window ------------------------------------------------------------

// ---- Setting panels ---------------------------------------------------------

// ---- Dialogs ------------------------------------------------------------------

} // namespace layout
