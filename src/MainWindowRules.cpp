#include "MainWindowRules.h"

#include "Platform/Strings.h"

#include <algorithm>
#include <cmath>

QRect clampToScreen(const QRectF& stored, const QRect& visible)
{
    // Stored origins come from a file and may lie anywhere in 64 bits: the
    // arithmetic is done in double and the result, which lies inside the
    // visible area, is converted to int last.
    const auto axis = [](double origin, double size, double low, double extent) {
        if (!std::isfinite(origin))
            return low;
        if (origin + size > low + extent)
            origin = low + extent - size;
        return std::max(origin, low);
    };
    const double w = stored.width();
    const double h = stored.height();
    const double x = axis(stored.x(), w, visible.x(), visible.width());
    const double y = axis(stored.y(), h, visible.y(), visible.height());
    return {int(std::lround(x)), int(std::lround(y)), int(w), int(h)};
}

QRect centredOnScreen(const QSize& size, const QRect& visible)
{
    const int x = visible.x() + (visible.width() - size.width()) / 2;
    const int y = visible.y() + (visible.height() - size.height()) / 2;
    return {std::max(x, visible.x()), std::max(y, visible.y()), size.width(), size.height()};
}

QString modelNumberText(const QString& prefix, const QString& model)
{
    // Six characters of model, then the revision; a shorter number whole.
    const QString text = model.size() >= 6 ? prefix + model.left(6) + QStringLiteral(" Rev ") + model.mid(6)
                                           : prefix + model;
    return platform::localizedString(QStringLiteral("ModelNumber")) + QLatin1Char(' ') + text;
}
