#pragma once
// The part of AppUtil that needs Widgets; the core's AppUtil stays free of
// them.

#include <QColor>

class QAbstractButton;

namespace AppUtil {

// Dynamic properties in which a button keeps the title look given by
// setAlignmentButton, for buttons that draw their own title.
inline constexpr char kTitleAlignmentProperty[] = "titleAlignment";
inline constexpr char kTitleColorProperty[] = "titleColor";

// Sets the button's title look: its current title text in the 14-pixel
// system font, in `color`, aligned by `alignment` (horizontal part; the
// title stays vertically centred). A plain push button draws it at once; a
// drawn button reads titleAlignment() and titleColor().
void setAlignmentButton(QAbstractButton* button, Qt::Alignment alignment, const QColor& color);

// The title alignment / colour that setAlignmentButton gave the button, or
// the fallback.
Qt::Alignment titleAlignment(const QAbstractButton* button, Qt::Alignment fallback);
QColor titleColor(const QAbstractButton* button, const QColor& fallback);

} // namespace AppUtil
