#pragma once
// The mouse LED panel: the LED colour (eight swatches), three brightness
// levels on a slider, and switches for the indicator light and the logo
// light. The four values always travel together in one command; the panel
// sends each change at once and then shows what the mouse reports. While
// the panel is on screen it reads the mouse once a second (paused while the
// slider is held), so a change made on the mouse itself shows here.
//
// After every device call the panel checks that its mouse is still the
// current device and returns quietly when it is not. Commands are sent only
// to an open mouse.

#include "CustomControl/NKButton.h"
#include "FunctionPanel/MouseSettingPanel.h"

#include <QPointer>

#include <vector>

class QLabel;
class MouseEntry;

class FunctionMLedSettingController : public MouseSettingPanel {
    Q_OBJECT
public:
    explicit FunctionMLedSettingController(IDialogHost& host);

    // ----- the controls (tests and screenshots look at them) ------------------
    ImageStateButton* indicatorSwitch() const { return LEDIndicatorSwitch_; }
    ImageStateButton* logoSwitch() const { return LEDLogoSwitch_; }
    // The swatches in LedColor order, each once.
    const std::vector<QPointer<NKColorButton>>& colorButtonList() const { return colorButtonList_; }
    NKColorButton* colorButton(int index) const;   // 0..7
    PhaseSlider* brightnessSlider() const { return sliderBrightness_; }
    QLabel* indicatorCaption() const { return IndicatorLabel_; }
    QLabel* logoCaption() const { return LogoLabel_; }

private:
    void initDialogItem() override;
    void showMouseSettings(const MouseEntry& mouse) override;
    void updateLedSettings();
    void updateLedIndicatorSetting(Indicator indicatorSetting);
    void updateLedLogoSetting(Logo logoSetting);
    void updateLedLuminanceSetting(int ledLuminance);
    void setStateImage(ImageStateButton* button, bool state, const QString& label);
    void readMouseSettings() override { updateLedSettings(); }
    void showColorMarks(LedColor color);

    // User actions.
    void pushSwitch(bool indicator);
    void pushColor(QObject* sender);
    void sliderPhase(PhaseSlider::Phase phase);

    QPointer<QLabel> LEDIndicatorLogoLabel_;
    QPointer<QLabel> IndicatorLabel_;
    QPointer<QLabel> LogoLabel_;
    QPointer<ImageStateButton> LEDIndicatorSwitch_;
    QPointer<ImageStateButton> LEDLogoSwitch_;
    QPointer<QLabel> colorLabel_;
    std::vector<QPointer<NKColorButton>> buttonColors_;     // buttonColor00..07
    QPointer<QLabel> brightnessLabel_;
    QPointer<PhaseSlider> sliderBrightness_;
    std::vector<QPointer<NKColorButton>> colorButtonList_;
};
