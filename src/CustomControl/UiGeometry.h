#pragma once
// Layout figures are written with the origin at the bottom left and y
// growing upwards; Qt puts the origin at the top left. The conversion happens
// here, once, at the boundary to Qt.

#include <QRectF>
#include <QPointF>

namespace ui {

// A rectangle (x, y, w, h) measured from the bottom of a container of
// height `containerHeight`, as a Qt rectangle measured from its top.
QRectF fromBottomLeft(const QRectF& rect, qreal containerHeight);

// A point measured from the bottom of a container of height
// `containerHeight`, as a Qt point measured from its top.
QPointF fromBottomLeft(const QPointF& point, qreal containerHeight);

} // namespace ui
