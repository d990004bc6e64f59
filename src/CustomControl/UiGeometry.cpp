#include "CustomControl/UiGeometry.h"

namespace ui {

QRectF fromBottomLeft(const QRectF& rect, qreal containerHeight)
{
    return QRectF(rect.x(), containerHeight - rect.y() - rect.height(), rect.width(), rect.height());
}

QPointF fromBottomLeft(const QPointF& point, qreal containerHeight)
{
    return QPointF(point.x(), containerHeight - point.y());
}

} // namespace ui
