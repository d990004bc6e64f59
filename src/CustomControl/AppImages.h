#pragma once
// The application's own pictures (tab icons, switches, radios, the menu
// triangle, the body background, the application icon), drawn at build time
// and compiled into this library under ":/images/<name>", each also as
// "<name>@2x" for high-density screens.

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

namespace ui {

// Makes the pictures' resource available; idempotent. appImage() and
// appIcon() call it themselves; code that opens ":/images/..." directly must
// call it once first (the main window does at start-up).
void initAppImages();

// The picture named `name` (as the interface names it, e.g.
// "TriangleDown.png"), in the density of `devicePixelRatio` (2x drawing for
// a ratio above 1). A null pixmap for an unknown name.
QPixmap appImage(const QString& name, qreal devicePixelRatio);
// As above, in the density of the application's primary screen.
QPixmap appImage(const QString& name);
// The same picture as an image (its device pixel ratio set alike); unlike a
// pixmap it may be decoded on any thread once initAppImages() has run.
QImage appImageData(const QString& name, qreal devicePixelRatio);

// The picture as an icon holding both densities (Qt picks the one to draw).
QIcon appIcon(const QString& name);

// The resource path of the picture in one density: ":/images/<name>" or
// ":/images/<stem>@2x<ext>".
QString appImagePath(const QString& name, bool doubleDensity = false);

// The application icon file of `size` × `size` pixels (48, 128 or 256) in the
// build tree's icon theme folder.
QString appIconFile(int size);

} // namespace ui
