#pragma once
// The indicator LED dialog: the colour of the connected keyboard's
// indicator LEDs (one of eight) and the LED brightness (one of three
// levels).
//
// Every choice is sent to the keyboard at once, so the user sees it on the
// device while the dialog is open. OK keeps what the keyboard shows, copies
// the colour into the keyboard model and marks unsent changes when the
// colour or the brightness differs from the opening; Cancel sends back the
// colour and brightness of the opening. Nothing is stored in the device
// here: making the change permanent is the main window's Send.
//
// The dialog borrows the keyboard that is current when it is built. A
// device error hands the keyboard to the main window's recovery, which
// closes this dialog; once the keyboard is no longer the current device
// (recovery, unplug) nothing more is sent to it and its model is left alone.

#include <array>
#include <memory>

#include <QPointer>

#include "AppEnums.h"
#include "CustomControl/NKButtonView.h"
#include "Dialog/ModalDialog.h"
#include "Utility/AppColor.h"
#include "Utility/AppError.h"

class KeyboardEntry;
class QLabel;
class QPushButton;
class QSlider;

class DialogIndicatorLedSettings : public ModalDialog, public NKButtonViewDelegate {
    Q_OBJECT
public:
    static constexpr int kColorCount = 8;

    // One colour button: its caption key, the colour it is drawn in and the
    // colour it sends (Off and White are drawn in greys).
    struct ColorRow {
        const char* labelKey;
        AppColor drawnColor;
        AppColor deviceColor;
    };
    // The eight buttons in the order they are laid out, selected and
    // dispatched: Off, Red, Green, Blue, Magenta, Yellow, Cyan, White.
    static const std::array<ColorRow, kColorCount>& colorTable();

    // Two colours are the same LED colour when red, green and blue are
    // exactly equal (alpha is not compared).
    static bool sameColor(const AppColor& a, const AppColor& b);

    // Reads the current keyboard (AppParam::device); the initial colour
    // selection follows 0.1 s later.
    explicit DialogIndicatorLedSettings(QWidget* parent = nullptr);
    ~DialogIndicatorLedSettings() override;

    // Builds the dialog for the current device and runs it over the main
    // window; returns its code (1 OK, 0 Cancel or ended from outside). Only
    // a keyboard with an open connection gets the dialog; for anything else
    // nothing is shown and 0 is returned.
    static int run();

    // Brightness level of a slider position and back (slider 0 is the
    // brightest, Level2).
    static LedBrightness brightnessForSlider(int value);
    static int sliderForBrightness(LedBrightness level);

    // ----- controls ----------------------------------------------------------
    NKButtonView* colorButton(int index) const { return colorButtons_[size_t(index)]; }
    QSlider* brightnessSlider() const { return brightnessSlider_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

    // ----- state ---------------------------------------------------------------
    // What the keyboard shows now (the preview).
    AppColor indicatorLedColor() const { return indicatorLedColor_; }
    AppColor orgIndicatorLedColor() const { return orgIndicatorLedColor_; }
    LedBrightness orgLedBrightness() const { return orgLedBrightness_; }

    // Sends `newColor` as the preview colour (all four indicators); sends
    // nothing when it is the colour shown now. A failure takes the error
    // road and is returned.
    AppError pushColorButton(const AppColor& newColor);
    // Clears the selection of all eight buttons.
    void resetColorButton();
    // Selects the button whose colour the keyboard shows; none when the
    // colour is not one of the eight.
    void initSelectColorButton();

    // NKButtonViewDelegate: a colour button went down. A sender that is
    // none of the eight counts as the Off button.
    void mouseDownButtonView(QObject* id) override;

public slots:
    void pushOK() override;
    void pushCancel() override;
    void sliderValueChanged(int value);

private:
    // The keyboard borrowed at construction while it is still the current
    // device, else null.
    std::shared_ptr<KeyboardEntry> keyboard() const;
    AppError sendColor(const std::shared_ptr<KeyboardEntry>& kb, const AppColor& color);

    std::weak_ptr<KeyboardEntry> keyboard_;
    AppColor indicatorLedColor_ = AppColor::black();
    AppColor orgIndicatorLedColor_ = AppColor::black();
    LedBrightness orgLedBrightness_ = LedBrightness::Level0;

    QLabel* titleLabel_ = nullptr;
    QLabel* defaultColorLabel_ = nullptr;
    QLabel* brightnessLabel_ = nullptr;
    QLabel* minImageView_ = nullptr;
    QLabel* maxImageView_ = nullptr;
    std::array<NKButtonView*, kColorCount> colorButtons_{};
    QSlider* brightnessSlider_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
