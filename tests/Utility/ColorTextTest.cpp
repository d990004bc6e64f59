#include "AppParam.h"
#include "Utility/AppUtil.h"

#include <limits>

#include <gtest/gtest.h>

namespace {

struct Argb {
    int a, r, g, b;
};

Argb bytes(const AppColor& c)
{
    auto b = [](double v) { return int(std::lround(v * 255.0)); };
    return {b(c.alpha), b(c.red), b(c.green), b(c.blue)};
}

} // namespace

TEST(ColorText, TextToColour)
{
    struct Row {
        const char* text;
        Argb want;
    };
    const Row rows[] = {
        {"FFFF0000", {255, 255, 0, 0}},
        {"00000000", {0, 0, 0, 0}},
        {"xyz", {0, 0, 0, 0}},
        {"80FFFFFF", {128, 255, 255, 255}},
        {"ff00ff00", {255, 0, 255, 0}},
        // Only the lowest 32 bits count.
        {"1FFFF0000", {255, 255, 0, 0}},
        {"+FF0000FF", {255, 0, 0, 255}},
        // -1 is all bits set.
        {"-1", {255, 255, 255, 255}},
        {"FF", {0, 0, 0, 255}},
        // Text that does not read as a signed 64-bit hex number gives 0.
        {"", {0, 0, 0, 0}},
        {"-", {0, 0, 0, 0}},
        {" FFFF0000", {0, 0, 0, 0}},
        {"FFFF0000 ", {0, 0, 0, 0}},
        {"0xFFFF0000", {0, 0, 0, 0}},
        {"FFFFFFFFFFFFFFFF", {0, 0, 0, 0}},        // above the signed range
        {"7FFFFFFFFFFFFFFF", {255, 255, 255, 255}}, // largest value
        {"-8000000000000000", {0, 0, 0, 0}},       // smallest value: low bits 0
        {"10000000000000000", {0, 0, 0, 0}},       // 17 digits overflow
    };
    for (const auto& row : rows) {
        const Argb got = bytes(AppUtil::strToColorArgb(QString::fromLatin1(row.text)));
        EXPECT_EQ(got.a, row.want.a) << row.text;
        EXPECT_EQ(got.r, row.want.r) << row.text;
        EXPECT_EQ(got.g, row.want.g) << row.text;
        EXPECT_EQ(got.b, row.want.b) << row.text;
    }
    const AppColor c = AppUtil::strToColorArgb(QStringLiteral("80FFFFFF"));
    EXPECT_DOUBLE_EQ(c.alpha, 128.0 / 255.0);
    EXPECT_TRUE(c.isConvertible());
}

TEST(ColorText, ColourToText)
{
    struct Row {
        AppColor color;
        const char* want;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Row rows[] = {
        {AppColor::opaqueRed(), "FFFF0000"},
        {AppParam::SubBackgroundColor, "E51A1A1A"}, // 0.9 × 255 = 229.5 → 229
        {AppParam::MessageBackgroundColor, "E5000000"},
        {AppParam::BackgroundColor, "FF1A1A1A"},
        {AppParam::OKButtonColor, "FF666666"},
        {AppParam::CancelButtonColor, "FF333333"},
        {AppParam::ColorButtonApcHigh, "99007FFF"},
        {AppParam::ColorButtonClear, "00000000"},
        {AppColor::rgba(0.5, 0.5, 0.5, 1.0), "FF7F7F7F"}, // truncation, not rounding
        {AppColor::invalid(), "FFFFFFFF"},
        {AppColor::rgba(nan, 0, 0, 1), "FFFFFFFF"},
        // Out-of-range components stay within one byte.
        {AppColor::rgba(2.0, -1.0, 0, 1), "FFFF0000"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(AppUtil::colorToStr(row.color).toStdString(), row.want) << row.want;
}

TEST(ColorText, RoundTripOfEveryByteValue)
{
    for (int v = 0; v < 256; ++v) {
        const QString text = QString::asprintf("%02X%02X%02X%02X", v, 255 - v, v / 2, 7);
        EXPECT_EQ(AppUtil::colorToStr(AppUtil::strToColorArgb(text)), text);
    }
}

TEST(ColorText, QColorBridge)
{
    EXPECT_EQ(AppUtil::colorToStr(AppColor::fromQColor(QColor())), "FFFFFFFF");
    EXPECT_EQ(AppUtil::colorToStr(AppColor::fromQColor(QColor(255, 0, 0))), "FFFF0000");
    EXPECT_EQ(AppColor::opaqueRed().toQColor(), QColor(255, 0, 0));
    EXPECT_FALSE(AppColor::invalid().toQColor().isValid());
}
