#include "Dialog/DialogIndicatorLedSettings.h"

#include <algorithm>
#include <chrono>

#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "CustomControl/NKButton.h"
#include "Device/DeviceCall.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogRegistry.h"
#include "Platform/Clock.h"
#include "Platform/Strings.h"
#include "UiLayout.h"

namespace {

// Delay of the initial colour selection after the dialog was built.
constexpr platform::Seconds kInitialSelectDelay{0.1};
// The brightness slider's bar: the grey of the dialog's accepting button.
constexpr AppColor kSliderBarColor = AppParam::OKButtonColor;

// The colour as the keyboard model keeps it: the RGB of `c`, opaque.
AppColor opaque(const AppColor& c) { return AppColor::rgba(c.red, c.green, c.blue, 1.0); }

QRect px(const QRectF& r) { return r.toRect(); }

} // namespace

const std::array<DialogIndicatorLedSettings::ColorRow, DialogIndicatorLedSettings::kColorCount>&
DialogIndicatorLedSettings::colorTable()
{
    static const std::array<ColorRow, kColorCount> table{{
        {"ColorOFF", AppParam::IndicatorButtonColorOff, AppParam::IndicatorColorOff},
        {"ColorRed", AppParam::IndicatorColorRed, AppParam::IndicatorColorRed},
        {"ColorGreen", AppParam::IndicatorColorGreen, AppParam::IndicatorColorGreen},
        {"ColorBlue", AppParam::IndicatorColorBlue, AppParam::IndicatorColorBlue},
        {"ColorMagenta", AppParam::IndicatorColorMagenta, AppParam::IndicatorColorMagenta},
        {"ColorYellow", AppParam::IndicatorColorYellow, AppParam::IndicatorColorYellow},
        {"ColorCyan", AppParam::IndicatorColorCyan, AppParam::IndicatorColorCyan},
        {"ColorWhite", AppParam::IndicatorButtonColorWhite, AppParam::IndicatorColorWhite},
    }};
    return table;
}

bool DialogIndicatorLedSettings::sameColor(const AppColor& a, const AppColor& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

LedBrightness DialogIndicatorLedSettings::brightnessForSlider(int value)
{
    return LedBrightness(2 - std::clamp(value, 0, 2));
}

int DialogIndicatorLedSettings::sliderForBrightness(LedBrightness level)
{
    return 2 - std::clamp(int(level), 0, 2);
}

DialogIndicatorLedSettings::DialogIndicatorLedSettings(QWidget* parent)
    : ModalDialog(DialogKind::IndicatorLedSettings, parent)
{
    setObjectName(QStringLiteral("DialogIndicatorLedSettings"));
    setWindowTitle(platform::localizedString(QStringLiteral("IndicatorLedSettings")));
    setFixedSize(layout::ledDialogSize.toSize());

    okButton_ = createOkButton();
    okButton_->setGeometry(px(layout::ledDialogOkButton));
    cancelButton_ = createCancelButton();
    cancelButton_->setGeometry(px(layout::ledDialogCancelButton));

    titleLabel_ = createTitleLabel(QStringLiteral("IndicatorLedSettings"), layout::ledDialogTitleFontPixels);
    titleLabel_->setGeometry(px(layout::ledDialogTitle));
    titleLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    defaultColorLabel_ = createLabel(QStringLiteral("DefaultColor"));
    defaultColorLabel_->setGeometry(px(layout::ledDialogColorLabel));
    brightnessLabel_ = createLabel(QStringLiteral("Brightness"));
    brightnessLabel_->setGeometry(px(layout::ledDialogBrightnessLabel));

    // The keyboard as it is now. Anything but a keyboard leaves the
    // dialog at black and Level0 with nothing to send to.
    if (auto kb = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device)) {
        keyboard_ = kb;
        indicatorLedColor_ = opaque(kb->indicatorLedColor);
        orgIndicatorLedColor_ = indicatorLedColor_;
        orgLedBrightness_ = kb->ledBrightness;
    }

    const auto& table = colorTable();
    QRectF slot = layout::ledDialogFirstColorButton;
    for (int i = 0; i < kColorCount; ++i) {
        auto* button = new NKButtonView(this);
        button->setButtonValue(false);
        button->setStringValue(platform::localizedString(QString::fromLatin1(table[size_t(i)].labelKey)));
        button->setButtonColor(table[size_t(i)].drawnColor.toQColor());
        // Off switches the lights off: its button shows a dark light.
        button->setLit(!sameColor(table[size_t(i)].deviceColor, AppParam::IndicatorColorOff));
        button->setDelegate(this);
        button->setAccessibleName(button->stringValue());
        button->setGeometry(px(slot));
        slot.translate(layout::ledDialogColorButtonStep, 0);
        colorButtons_[size_t(i)] = button;
    }

    minImageView_ = new QLabel(this);
    minImageView_->setGeometry(px(layout::ledDialogMinImage));
    minImageView_->setPixmap(ui::appIcon(QStringLiteral("LedBrightnessMin.png"))
                                 .pixmap(layout::ledDialogMinImage.size().toSize()));
    maxImageView_ = new QLabel(this);
    maxImageView_->setGeometry(px(layout::ledDialogMaxImage));
    maxImageView_->setPixmap(ui::appIcon(QStringLiteral("LedBrightnessMax.png"))
                                 .pixmap(layout::ledDialogMaxImage.size().toSize()));

    brightnessSlider_ = new QSlider(Qt::Horizontal, this);
    brightnessSlider_->setGeometry(px(layout::ledDialogSlider));
    brightnessSlider_->setRange(0, 2);
    brightnessSlider_->setSingleStep(1);
    brightnessSlider_->setPageStep(1);
    brightnessSlider_->setTickInterval(1);
    brightnessSlider_->setTickPosition(QSlider::TicksBelow);
    brightnessSlider_->setAccessibleName(brightnessLabel_->text());
    NKSliderCell::apply(brightnessSlider_)->setBackgroundColor(kSliderBarColor.toQColor());
    {
        const QSignalBlocker quiet(brightnessSlider_);
        brightnessSlider_->setValue(sliderForBrightness(orgLedBrightness_));
    }
    connect(brightnessSlider_, &QSlider::valueChanged, this, &DialogIndicatorLedSettings::sliderValueChanged);

    QTimer::singleShot(platform::scaledMs(kInitialSelectDelay), this, &DialogIndicatorLedSettings::initSelectColorButton);
}

DialogIndicatorLedSettings::~DialogIndicatorLedSettings() = default;

int DialogIndicatorLedSettings::run()
{
    auto kb = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device);
    if (!kb || !kb->hidIsOpened())
        return 0;
    auto* dialog = new DialogIndicatorLedSettings;
    QPointer<DialogIndicatorLedSettings> guard(dialog);
    dialog->setReferenceWindow(DialogRegistry::host().dialogReferenceWindow());
    const int code = dialog->exec();
    if (guard)
        guard->deleteLater();
    return code;
}

std::shared_ptr<KeyboardEntry> DialogIndicatorLedSettings::keyboard() const
{
    auto kb = keyboard_.lock();
    return isCurrentDevice(kb) ? kb : nullptr;
}

AppError DialogIndicatorLedSettings::sendColor(const std::shared_ptr<KeyboardEntry>& kb, const AppColor& color)
{
    kb->hidWait();
    return kb->CMD_SetIndicatorLed(0, std::vector<AppColor>(4, color), true);
}

void DialogIndicatorLedSettings::initSelectColorButton()
{
    // Frames the swatch of the colour shown now and no other; a swatch the
    // user chose before this ran is that colour already.
    resetColorButton();
    const auto& table = colorTable();
    for (int i = 0; i < kColorCount; ++i) {
        if (sameColor(indicatorLedColor_, table[size_t(i)].deviceColor)) {
            colorButtons_[size_t(i)]->setButtonValue(true);
            break;
        }
    }
}

void DialogIndicatorLedSettings::resetColorButton()
{
    for (NKButtonView* button : colorButtons_)
        button->setButtonValue(false);
}

void DialogIndicatorLedSettings::mouseDownButtonView(QObject* id)
{
    int found = 0;
    for (int i = 0; i < kColorCount; ++i)
        if (colorButtons_[size_t(i)] == id)
            found = i;
    resetColorButton();
    colorButtons_[size_t(found)]->setButtonValue(true);
    // A failure has been settled inside.
    (void)pushColorButton(colorTable()[size_t(found)].deviceColor);
}

AppError DialogIndicatorLedSettings::pushColorButton(const AppColor& newColor)
{
    if (sameColor(newColor, indicatorLedColor_))
        return AppError::NoError;
    auto kb = keyboard();
    if (!kb)
        return AppError::NoError;
    indicatorLedColor_ = opaque(newColor);
    const AppError result = sendColor(kb, indicatorLedColor_);
    (void)settleDeviceCall(result, kb);
    return result;
}

void DialogIndicatorLedSettings::sliderValueChanged(int value)
{
    auto kb = keyboard();
    if (!kb)
        return;
    const LedBrightness level = brightnessForSlider(value);
    if (level == kb->ledBrightness)
        return;
    kb->ledBrightness = level;
    kb->hidWait();
    (void)settleDeviceCall(kb->CMD_SetBright(int(level)), kb);
}

void DialogIndicatorLedSettings::pushOK()
{
    // Only the keyboard the dialog was opened for takes the result: after a
    // recovery the current device is another one, with nothing unsent.
    if (auto kb = keyboard()) {
        if (!sameColor(indicatorLedColor_, orgIndicatorLedColor_)) {
            kb->indicatorLedColor = opaque(indicatorLedColor_);
            markSettingsChanged();
        }
        if (kb->ledBrightness != orgLedBrightness_)
            markSettingsChanged();
    }
    ModalDialog::pushOK();
}

void DialogIndicatorLedSettings::pushCancel()
{
    QPointer<DialogIndicatorLedSettings> self(this);
    if (auto kb = keyboard()) {
        AppError failed = AppError::NoError;
        if (!sameColor(indicatorLedColor_, orgIndicatorLedColor_)) {
            indicatorLedColor_ = orgIndicatorLedColor_;
            failed = sendColor(kb, orgIndicatorLedColor_);
        }
        // A failed colour restore skips the brightness restore.
        if (failed == AppError::NoError && kb->ledBrightness != orgLedBrightness_) {
            kb->ledBrightness = orgLedBrightness_;
            kb->hidWait();
            failed = kb->CMD_SetBright(int(orgLedBrightness_));
        }
        (void)settleDeviceCall(failed, kb);
    }
    if (!self)
        return;
    ModalDialog::pushCancel();
}
