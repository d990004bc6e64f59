#pragma once
// The main window's pure rules: where the window opens on the screen and how
// its header writes a model number. Free of any window or device, so that
// they are tested on their own.

#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

// Clamps a stored window rectangle into the visible screen area; the size is
// kept. Any finite origin is taken, however far away.
QRect clampToScreen(const QRectF& stored, const QRect& visible);

// A window of `size` centred in the visible screen area (its top-left corner
// kept inside it).
QRect centredOnScreen(const QSize& size, const QRect& visible);

// The model label: "ModelNumber", the prefix, six characters of the model
// number, " Rev " and the rest; a shorter number is shown whole.
QString modelNumberText(const QString& prefix, const QString& model);
