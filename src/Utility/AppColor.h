#pragma once
// A colour as the application keeps it: red, green, blue and alpha as
// doubles in 0...1 (calibrated RGB). Kept as doubles so that the colour
// text ("AARRGGBB", see AppUtil::colorToStr) truncates exactly as written
// (0.9 alpha gives E5, not E6).

#include <cmath>
#include <cstdint>

#include <QColor>

struct AppColor {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    double alpha = 0.0;
    // A colour that has no RGB form (an invalid QColor, or non-finite
    // components) is not convertible.
    bool convertible = true;

    static constexpr AppColor rgba(double r, double g, double b, double a)
    {
        return AppColor{r, g, b, a, true};
    }
    // 8-bit components (divided by 255), alpha as a fraction.
    static constexpr AppColor rgb8(int r, int g, int b, double a = 1.0)
    {
        return AppColor{r / 255.0, g / 255.0, b / 255.0, a, true};
    }
    static constexpr AppColor clear() { return AppColor{0, 0, 0, 0, true}; }
    static constexpr AppColor black() { return AppColor{0, 0, 0, 1, true}; }
    static constexpr AppColor opaqueRed() { return AppColor{1, 0, 0, 1, true}; }
    static constexpr AppColor invalid() { return AppColor{0, 0, 0, 0, false}; }

    // One component as a byte, for files and devices alike: component × 255
    // truncated toward zero and kept inside the byte; NaN gives 0.
    static constexpr uint8_t componentByte(double component)
    {
        const double v = component * 255.0;
        if (!(v > 0.0)) // NaN too
            return 0;
        if (v >= 255.0)
            return 0xFF;
        return uint8_t(v);
    }

    bool isConvertible() const
    {
        return convertible && std::isfinite(red) && std::isfinite(green) && std::isfinite(blue)
            && std::isfinite(alpha);
    }

    QColor toQColor() const
    {
        if (!isConvertible())
            return QColor();
        return QColor::fromRgbF(float(red), float(green), float(blue), float(alpha));
    }
    static AppColor fromQColor(const QColor& c)
    {
        if (!c.isValid())
            return invalid();
        const QColor rgb = c.toRgb();
        return AppColor{rgb.redF(), rgb.greenF(), rgb.blueF(), rgb.alphaF(), true};
    }

    friend bool operator==(const AppColor&, const AppColor&) = default;
};
