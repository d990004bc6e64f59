#pragma once
// Writes the shipped data: the built-in defaults file and the description
// packages of the shipped models, each through the project's own package
// writer, so every CRC in "index.xml" is right by construction.

#include "KeyboardLayout.h"
#include "MouseLayout.h"
#include "ShippedModels.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <utility>
#include <vector>

namespace mkdata {

// Member names of the pictures of a keyboard package.
inline const QString kKeyboardImageMember = QStringLiteral("keyboard.png");
inline const QString kKeytopImageMember = QStringLiteral("keyboard_keytop.png");
inline const QString kKeyboardBodyImageMember = QStringLiteral("keyboard_body.png");
// Member name of the mouse thumbnail.
inline const QString kMouseImageMember = QStringLiteral("mouse.png");

// The colours of the defaults file (RRGGBB), at most ten.
const std::vector<QString>& standardColours();

// "x,y,w,h" of one rectangle, several joined with ",".
QString rectText(const std::vector<QRect>& rects);

// The documents (UTF-8, LF line ends; the package writer converts them).
QByteArray defaultsXml();
QByteArray keyboardDescriptionXml(const shipped::Model& model, const KeyboardLayout& layout);
QByteArray mouseDescriptionXml(const shipped::Model& model, const MouseLayout& layout);

// A picture as PNG bytes.
QByteArray pngBytes(const QImage& image);

// A named picture of a package.
using Picture = std::pair<QString, QImage>;

// Each picture twice: as drawn in points, then its double-density twin
// (DeviceProfile::doubleDensityName) drawn at two pixels per point.
std::vector<Picture> keyboardPictures(const KeyboardLayout& layout);
std::vector<Picture> mousePictures(const MouseLayout& layout);

// The layout of a shipped keyboard model.
KeyboardLayout keyboardLayoutOf(const shipped::Model& model);

// Writes every shipped file into `folder` (created when missing), replacing
// what is there. `pictureFolder`, when not empty, also receives every picture
// as a plain PNG file for viewing. Returns false, with `error` set, on any
// failure.
bool generateAll(const QString& folder, const QString& pictureFolder, QString& error);

} // namespace mkdata
