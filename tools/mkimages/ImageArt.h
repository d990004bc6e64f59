#pragma once
// Drawing of the application's own pictures: icons, switches, radios and the
// body background, in one dark style (flat shapes, one accent colour).

#include <QImage>
#include <QString>

namespace mkimages {

// The picture called `name`, `width` × `height` points, drawn at `scale`
// pixels per point. A null image for a name the generator does not know.
QImage drawAppImage(const QString& name, int width, int height, int scale);

// The application icon (a keyboard with a mouse in front) as a square of
// `pixels` pixels.
QImage drawAppIcon(int pixels);

} // namespace mkimages
