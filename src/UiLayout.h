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

// ---- Dialogs ------------------------------------------------------------------

// Profile folder, profile save and load, version information.
inline constexpr int dialogFontSize = 13;
inline constexpr int dialogTitleFontSize = 15;
inline constexpr int dialogMargin = 20;
inline constexpr int dialogSpacing = 8;
inline constexpr QSizeF dialogButtonSize{96, 28};
inline constexpr QSizeF selectButtonSize{32, 24};
inline constexpr QSizeF folderSelectDialogSize{520, 170};
inline constexpr QSizeF profileSaveDialogSize{480, 470};
inline constexpr QSizeF profileLoadDialogSize{480, 450};
inline constexpr QSizeF versionInfoDialogSize{360, 250};
inline constexpr int profileListHeight = 150;
inline constexpr int profileCommentHeight = 90;
inline constexpr QSizeF versionImageSize{64, 64};
// Width of a profile list's name column: the widest name at this font size
// plus the padding.
inline constexpr int profileListFontSize = 13;
inline constexpr int profileListColumnPadding = 5;

} // namespace layout
