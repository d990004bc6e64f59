// How the indicator LED dialog shows its colour choices: every caption fits
// its own button and stands clear of its neighbours, and the choice that
// switches the lights off is drawn as a dark light, not a lit grey one.
#include "AppParam.h"
#include "CustomControl/NKButtonView.h"
#include "Dialog/DialogIndicatorLedSettings.h"
#include "UiLayout.h"

#include <gtest/gtest.h>

#include <QImage>

using Dialog = DialogIndicatorLedSettings;

namespace {

constexpr int kOff = 0, kRed = 1;
// Space a reader needs between two captions to see two words.
constexpr qreal kMinCaptionGap = 8;

// The caption's extent in the dialog: centred over its button.
std::pair<qreal, qreal> captionSpan(const NKButtonView* b)
{
    const qreal middle = b->geometry().x() + b->width() / 2.0;
    const qreal half = b->getTextSize().width() / 2;
    return {middle - half, middle + half};
}

// Lightness at the disc's middle and near its rim.
std::pair<int, int> discLightness(NKButtonView* b)
{
    // Drawn over the window's background, as the user sees it.
    const qreal scale = b->devicePixelRatioF();
    QImage img((QSizeF(b->size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale);
    img.fill(AppParam::BackgroundColor.toQColor());
    b->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    const QPointF centre(b->width() / 2.0, b->height() / 2.0 + layout::kButtonViewDiscDrop);
    const QPointF rim = centre + QPointF(layout::kButtonViewDiscRadius - 2, 0);
    auto at = [&](QPointF p) { return img.pixelColor((p * scale).toPoint()).lightness(); };
    return {at(centre), at(rim)};
}

} // namespace

TEST(IndicatorLedDialogLook, CaptionsFitTheirButtonsAndStandApart)
{
    AppParam::device.reset();
    Dialog d;
    for (int i = 0; i < Dialog::kColorCount; ++i) {
        const NKButtonView* b = d.colorButton(i);
        const auto [left, right] = captionSpan(b);
        SCOPED_TRACE(b->stringValue().toStdString());
        EXPECT_GE(left, b->geometry().x());
        EXPECT_LE(right, b->geometry().x() + b->width());
        EXPECT_LE(b->geometry().right(), d.width());
        if (i + 1 < Dialog::kColorCount) {
            EXPECT_GE(captionSpan(d.colorButton(i + 1)).first - right, kMinCaptionGap);
        }
    }
}

TEST(IndicatorLedDialogLook, OffIsDrawnAsADarkLightAndColoursAsLitOnes)
{
    AppParam::device.reset();
    Dialog d;
    const auto [offMiddle, offRim] = discLightness(d.colorButton(kOff));
    const auto [redMiddle, redRim] = discLightness(d.colorButton(kRed));
    // A lit light is brightest in its middle; a dark one is not.
    EXPECT_GT(redMiddle, redRim + 60);
    EXPECT_LE(offMiddle, offRim);
    EXPECT_LT(offMiddle, 128);
}
