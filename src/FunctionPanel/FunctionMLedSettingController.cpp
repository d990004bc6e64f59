#include "FunctionPanel/FunctionMLedSettingController.h"

#include "AppParam.h"
#include "Device/MouseEntry.h"
#include "FunctionPanel/MouseSettingsRefresh.h"
#include "Platform/Strings.h"
#include "XML/MouseTabPictures.h"
#include "UiLayout.h"

#include <QLabel>
#include <QSignalBlocker>

#include <algorithm>

namespace {

// Swatch colours in LedColor order.
constexpr AppColor kSwatches[8] = {
    AppParam::IndicatorButtonColorWhite,   AppParam::IndicatorButtonColorRed,
    AppParam::IndicatorButtonColorGreen,   AppParam::IndicatorButtonColorBlue,
    AppParam::IndicatorButtonColorMagenta, AppParam::IndicatorButtonColorYellow,
    AppParam::IndicatorButtonColorCyan,    AppParam::IndicatorButtonColorOff,
};
// Accessible names of the swatches (the LedColor case names).
constexpr const char* kSwatchNames[8] = {"White", "Red", "Green", "Blue", "Purple", "Yellow", "Water", "Off"};

QLabel* makeLabel(QWidget* parent, const char* name, const QRectF& frame, int pixels)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(frame.toRect());
    QFont f = label->font();
    f.setPixelSize(pixels);
    label->setFont(f);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    return label;
}

// Slider position and luminance run opposite ways.
int sliderPosition(int luminance) { return eLuminanceCount - luminance - 1; }

// The LED tab's picture for the colour and the lit parts the model holds.
const MousePanelPicture ledPicture{FunctionTab::MLedSetting, [](const MouseTabPictures& pictures, const MouseEntry& mouse) {
    return pictures.ledTab(mouse.color, mouse.indicatorEnable != Indicator::Enable, mouse.logoEnable != Logo::Enable);
}};

} // namespace

FunctionMLedSettingController::FunctionMLedSettingController(IDialogHost& host)
    : MouseSettingPanel(host, QStringLiteral("mouseLedPanel"), ledPicture)
{
    MousePanelView* view = view_;

    LEDIndicatorLogoLabel_ =
        makeLabel(view, "LEDIndicatorLogoLabel", layout::kMLedSettingLabel, layout::kMPanelCaptionFontPixels);
    const QRectF caption(QPointF(0, 0), layout::kMPictureCaptionSize);
    IndicatorLabel_ = makeLabel(view, "IndicatorLabel", caption, layout::kMPanelTextFontPixels);
    LogoLabel_ = makeLabel(view, "LogoLabel", caption, layout::kMPanelTextFontPixels);
    // Where the captions stand on a picture whose description does not
    // place them.
    IndicatorLabel_->move(layout::kMLedIndicatorSwitch.toRect().bottomLeft() + QPoint(0, 300));
    LogoLabel_->move(layout::kMLedLogoSwitch.toRect().bottomLeft() + QPoint(0, 300));
    LEDIndicatorSwitch_ = new ImageStateButton(ImageStateButton::Kind::Switch, view);
    LEDIndicatorSwitch_->setObjectName(QStringLiteral("LEDIndicatorSwitch"));
    LEDIndicatorSwitch_->setGeometry(layout::kMLedIndicatorSwitch.toRect());
    LEDIndicatorSwitch_->setTitlePixelSize(layout::kMPanelTextFontPixels);
    LEDLogoSwitch_ = new ImageStateButton(ImageStateButton::Kind::Switch, view);
    LEDLogoSwitch_->setObjectName(QStringLiteral("LEDLogoSwitch"));
    LEDLogoSwitch_->setGeometry(layout::kMLedLogoSwitch.toRect());
    LEDLogoSwitch_->setTitlePixelSize(layout::kMPanelTextFontPixels);
    connect(LEDIndicatorSwitch_, &QAbstractButton::clicked, this, [this] { pushSwitch(true); });
    connect(LEDLogoSwitch_, &QAbstractButton::clicked, this, [this] { pushSwitch(false); });

    colorLabel_ = makeLabel(view, "colorLabel", layout::kMLedColorLabel, layout::kMPanelCaptionFontPixels);
    for (int i = 0; i < 8; ++i) {
        auto* button = new NKColorButton(view);
        button->setObjectName(QStringLiteral("buttonColor0%1").arg(i));
        button->setGeometry(
            layout::kMLedColorButton.translated(layout::kMLedColorPitch * i, 0).toRect());
        button->setAccessibleName(platform::localizedString(QLatin1String(kSwatchNames[i])));
        connect(button, &QPushButton::clicked, this, [this, button] { pushColor(button); });
        buttonColors_.emplace_back(button);
    }
    brightnessLabel_ =
        makeLabel(view, "brightnessLabel", layout::kMLedBrightnessLabel, layout::kMPanelCaptionFontPixels);
    sliderBrightness_ = new PhaseSlider(view);
    sliderBrightness_->setObjectName(QStringLiteral("sliderBrightness"));
    sliderBrightness_->setGeometry(layout::kMLedBrightnessSlider.toRect());
    sliderBrightness_->setTickPosition(QSlider::TicksBelow);
    sliderBrightness_->setTickInterval(1);
    connect(sliderBrightness_, &PhaseSlider::phase, this, [this](PhaseSlider::Phase p) { sliderPhase(p); });
}

NKColorButton* FunctionMLedSettingController::colorButton(int index) const
{
    return index >= 0 && index < int(buttonColors_.size()) ? buttonColors_[size_t(index)].data() : nullptr;
}

// ---- set-up -----------------------------------------------------------------------------

void FunctionMLedSettingController::showMouseSettings(const MouseEntry& mouse)
{
    updateLedIndicatorSetting(mouse.indicatorEnable);
    updateLedLogoSetting(mouse.logoEnable);
}

void FunctionMLedSettingController::initDialogItem()
{
    auto text = [](const char* key) { return platform::localizedString(QLatin1String(key)); };
    LEDIndicatorLogoLabel_->setText(text("LedSettingLabel"));
    IndicatorLabel_->setText(text("IndicatorLabel"));
    LogoLabel_->setText(text("LogoLabel"));
    colorLabel_->setText(text("ColorLabel"));
    brightnessLabel_->setText(text("LuminanceLabel"));
    LEDIndicatorSwitch_->setText(text("IndicatorLabel"));
    LEDIndicatorSwitch_->setAccessibleName(LEDIndicatorSwitch_->text());
    LEDLogoSwitch_->setText(text("LogoLabel"));
    LEDLogoSwitch_->setAccessibleName(LEDLogoSwitch_->text());
    sliderBrightness_->setRange(0, 2);
    sliderBrightness_->setAccessibleName(brightnessLabel_->text());

    // The captions under the indicator and the logo on the picture.
    placeCaption(IndicatorLabel_, QLatin1StringView("Indicator"));
    placeCaption(LogoLabel_, QLatin1StringView("Logo"));
    for (size_t i = 0; i < buttonColors_.size(); ++i)
        buttonColors_[i]->setBackgroundColor(kSwatches[i].toQColor());
    for (const auto& button : buttonColors_)
        if (std::find(colorButtonList_.begin(), colorButtonList_.end(), button) == colorButtonList_.end())
            colorButtonList_.push_back(button);
}

// ---- reading the mouse ----------------------------------------------------------------

void FunctionMLedSettingController::updateLedSettings()
{
    const MouseRefresh r = refreshMouseSettings();
    if (!r.updated)
        return;
    const MouseEntry& mouse = *r.mouse;
    updateLedIndicatorSetting(mouse.indicatorEnable);
    updateLedLogoSetting(mouse.logoEnable);
    showColorMarks(mouse.color);
    updateLedLuminanceSetting(rawValue(mouse.luminace));
    showPicture();
}

void FunctionMLedSettingController::showColorMarks(LedColor color)
{
    // The buttons stand in LedColor order.
    for (size_t i = 0; i < colorButtonList_.size(); ++i) {
        NKColorButton* button = colorButtonList_[i];
        const bool mark = int(i) == rawValue(color);
        if (button && button->isDefault() != mark)
            button->setIsDefault(mark);
    }
}

void FunctionMLedSettingController::updateLedIndicatorSetting(Indicator indicatorSetting)
{
    const QSignalBlocker block(LEDIndicatorSwitch_);
    LEDIndicatorSwitch_->setChecked(indicatorSetting == Indicator::Enable);
    setStateImage(LEDIndicatorSwitch_, LEDIndicatorSwitch_->isChecked(),
                  platform::localizedString(QStringLiteral("IndicatorLabel")));
}

void FunctionMLedSettingController::updateLedLogoSetting(Logo logoSetting)
{
    const QSignalBlocker block(LEDLogoSwitch_);
    LEDLogoSwitch_->setChecked(logoSetting == Logo::Enable);
    setStateImage(LEDLogoSwitch_, LEDLogoSwitch_->isChecked(), platform::localizedString(QStringLiteral("LogoLabel")));
}

void FunctionMLedSettingController::setStateImage(ImageStateButton* button, bool state, const QString& label)
{
    MouseSettingPanel::setStateImage(button, state, label, QStringLiteral("VX_RGB_ICON_Lock_Enable.png"),
                                     QStringLiteral("VX_RGB_ICON_Lock_Disable.png"));
}

void FunctionMLedSettingController::updateLedLuminanceSetting(int ledLuminance)
{
    if (ledLuminance < sliderBrightness_->minimum() || ledLuminance > sliderBrightness_->maximum())
        return;
    const QSignalBlocker block(sliderBrightness_);
    sliderBrightness_->setValue(sliderPosition(ledLuminance));
}

// ---- user actions -------------------------------------------------------------------------

void FunctionMLedSettingController::pushSwitch(bool indicator)
{
    ImageStateButton* sw = indicator ? LEDIndicatorSwitch_.data() : LEDLogoSwitch_.data();
    auto mouse = openMouse();
    if (!mouse) {
        // Nothing can be sent: the switch shows the model again.
        if (auto m = currentMouse())
            indicator ? updateLedIndicatorSetting(m->indicatorEnable) : updateLedLogoSetting(m->logoEnable);
        return;
    }
    const bool wanted = sw->isChecked();
    const bool now = indicator ? mouse->indicatorEnable == Indicator::Enable : mouse->logoEnable == Logo::Enable;
    if (wanted != now) {
        if (indicator) {
            mouse->indicatorEnable = wanted ? Indicator::Enable : Indicator::Disable;
            updateLedIndicatorSetting(mouse->indicatorEnable);
        } else {
            mouse->logoEnable = wanted ? Logo::Enable : Logo::Disable;
            updateLedLogoSetting(mouse->logoEnable);
        }
        const AppError result = mouse->CMD_SetLedSetting(rawValue(mouse->color), rawValue(mouse->luminace),
                                                         rawValue(mouse->indicatorEnable), rawValue(mouse->logoEnable));
        if (settleChange(result, mouse) == CallOutcome::Replaced)
            return;
    }
    showPicture();
}

void FunctionMLedSettingController::pushColor(QObject* sender)
{
    auto mouse = openMouse();
    if (!mouse)
        return;
    LedColor color = LedColor::White;
    for (size_t i = 0; i < colorButtonList_.size(); ++i) {
        if (colorButtonList_[i] == sender) {
            color = LedColor(std::min(int(i), rawValue(LedColor::Off)));
            break;
        }
    }
    if (color == mouse->color)
        return;
    // The mark stays on the mouse's colour until the read shows the new one.
    showColorMarks(mouse->color);
    const AppError result = mouse->CMD_SetLedSetting(rawValue(color), rawValue(mouse->luminace),
                                                     rawValue(mouse->indicatorEnable), rawValue(mouse->logoEnable));
    const CallOutcome outcome = settleChange(result, mouse);
    if (outcome == CallOutcome::Replaced)
        return;
    if (outcome == CallOutcome::Done)
        mouse->color = color;
    updateLedSettings();
}

void FunctionMLedSettingController::sliderPhase(PhaseSlider::Phase phase)
{
    if (phase == PhaseSlider::Phase::Pressed) {
        isPolingSuspend_ = true;
        return;
    }
    if (phase != PhaseSlider::Phase::Released)
        return;
    auto mouse = openMouse();
    if (!mouse) {
        isPolingSuspend_ = false;
        return;
    }
    // The slider runs opposite to the luminance; a position outside the
    // levels is the first level.
    const eLuminance luminance =
        fromRaw<eLuminance>(eLuminanceCount - sliderBrightness_->value() - 1).value_or(eLuminance::Level1);
    if (luminance == mouse->luminace) {
        isPolingSuspend_ = false;
        return;
    }
    const AppError result = mouse->CMD_SetLedSetting(rawValue(mouse->color), rawValue(luminance),
                                                     rawValue(mouse->indicatorEnable), rawValue(mouse->logoEnable));
    const CallOutcome outcome = settleChange(result, mouse);
    isPolingSuspend_ = false;
    if (outcome == CallOutcome::Replaced)
        return;
    if (outcome == CallOutcome::Done)
        mouse->luminace = luminance;
    updateLedSettings();
}

