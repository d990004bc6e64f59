#pragma once
// Geometry shared by every picture the tool draws.
//
// The body and key-top pictures of a keyboard and the tab pictures of a mouse
// are painted over the whole main view, so they are as large as that view.
// The keyboard view takes clicks for key selection only inside a fixed area
// (x 2 to 998, 205 to 535 points above the bottom edge); the keys are laid
// inside it.

#include <QRect>
#include <QSize>

namespace mkdata {

inline constexpr QSize kPictureSize{1000, 700};

// The key selection area, measured from the top edge of the picture.
inline constexpr QRect kKeySelectArea{2, 700 - 535, 996, 330};

// The part of the view between the header (tabs) and the footer (buttons),
// where the mouse pictures are drawn, measured from the top edge.
inline constexpr QRect kBodyArea{0, 150, 1000, 486};

// Size of the device list thumbnails.
inline constexpr QSize kThumbSize{300, 150};

} // namespace mkdata
