#pragma once
// Drawing of the shipped pictures. Every picture is drawn with QPainter into
// a transparent ARGB image: flat colours, no textures.

#include "KeyboardLayout.h"
#include "MouseLayout.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

namespace mkdata {

// Palette shared by the keyboard and mouse pictures.
namespace palette {
inline const QColor kCase{0x26, 0x2A, 0x31};
inline const QColor kCaseEdge{0x3A, 0x3F, 0x48};
inline const QColor kWell{0x17, 0x1A, 0x1F};
inline const QColor kPrint{0x9A, 0xA3, 0xAF};
inline const QColor kLampOff{0x3A, 0x40, 0x48};
inline const QColor kLampCore{0x2C, 0x31, 0x38};
inline const QColor kLine{0x8A, 0x93, 0xA0};
inline const QColor kShadow{0, 0, 0, 60};
} // namespace palette

// The font of all legends and labels, at a pixel size.
QFont artFont(int pixelSize, bool bold = false);

// Every picture is drawn at `scale` pixels per point (1, and 2 for the
// double-density twins): the sizes and coordinates below are in points.

// A new transparent picture of `size` points: `scale` times as many pixels
// each way, with that device pixel ratio, so a painter on it draws in points.
QImage blankImage(QSize size, qreal scale = 1);

// Keyboard pictures, each as large as the layout's picture size: the case
// with the key wells, the maker's name and the indicator lamps; the key caps
// with their legends (transparent between the caps).
QImage drawKeyboardBody(const KeyboardLayout& layout, qreal scale = 1);
QImage drawKeyboardKeytops(const KeyboardLayout& layout, qreal scale = 1);

// The device list thumbnail of a keyboard: body and caps, scaled to the
// thumbnail size.
QImage drawKeyboardThumbnail(const KeyboardLayout& layout, qreal scale = 1);

// Mouse pictures (see MouseLayout.h for what each shows).
QImage drawMouseTabPicture(const MouseLayout& layout, const MouseTabPicture& picture, qreal scale = 1);
QImage drawMouseThumbnail(const MouseLayout& layout, qreal scale = 1);

// The part `area` (in points) of the picture scaled (keeping its
// proportions) into the middle of a transparent thumbnail of the picture's
// density.
QImage fitIntoThumbnail(const QImage& picture, const QRect& area);

} // namespace mkdata
