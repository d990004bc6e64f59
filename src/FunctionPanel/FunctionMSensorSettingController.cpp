#include "FunctionPanel/FunctionMSensorSettingController.h"

#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "Device/MouseEntry.h"
#include "FunctionPanel/MouseSettingsRefresh.h"
#include "Platform/Clock.h"
#include "Platform/Strings.h"
#include "XML/MouseTabPictures.h"
#include "UiLayout.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>

#include <cmath>
#include <cstdlib>

namespace {

constexpr platform::Seconds kTypingPause{3.0};
constexpr platform::Seconds kClickReread{0.3};

constexpr int kDpiIndexMax = rawValue(DpiValue::Setting_12000dpi);

struct RowLook {
    const char* onImage;
    const char* titleKey;
};
constexpr RowLook kRowLooks[4] = {
    {"VX_MOUSE_DPI-blue.png", "Setting1Label"},
    {"VX_MOUSE_DPI-green.png", "Setting2Label"},
    {"VX_MOUSE_DPI-purple.png", "Setting3Label"},
    {"VX_MOUSE_DPI-yellow.png", "Setting4Label"},
};
const QString kSwitchOff = QStringLiteral("VX_MOUSE_DPI-off.png");
const QString kRadioOn = QStringLiteral("VX_MOUSE_DPI_ON.png");
const QString kRadioOff = QStringLiteral("VX_MOUSE_DPI_OFF.png");

QRect at(const QRectF& r) { return r.toRect(); }
QRect inRow(int index, const QRectF& part)
{
    return part.translated(layout::kMSensorRowOrigin + QPointF(0, layout::kMSensorRowPitch * index)).toRect();
}

QLabel* makeLabel(QWidget* parent, const char* name, const QRectF& frame, int pixels)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(at(frame));
    QFont f = label->font();
    f.setPixelSize(pixels);
    label->setFont(f);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    return label;
}

void setLabelColor(QLabel* label, const QColor& color)
{
    // Set again after every read of the mouse: an unchanged sheet is not
    // applied again (each application restyles and repaints the label).
    const QString sheet = QStringLiteral("color: %1; background: transparent;").arg(color.name());
    if (label && label->styleSheet() != sheet)
        label->setStyleSheet(sheet);
}

// The C library's atof on the field's text: the leading number, 0 for none.
double leadingNumber(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    const char* begin = bytes.constData();
    while (*begin == ' ' || *begin == '\t' || *begin == '\n')
        ++begin;
    // Only plain decimal forms (no "inf", "nan" or hexadecimal).
    const char* p = begin;
    if (*p == '+' || *p == '-')
        ++p;
    if (!(std::isdigit(static_cast<unsigned char>(*p)) || (*p == '.' && std::isdigit(static_cast<unsigned char>(p[1])))))
        return 0.0;
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    return std::isfinite(v) ? v : 0.0;
}

// The sensor tab's picture for the lift-off distance the model holds.
const MousePanelPicture sensorPicture{FunctionTab::MSensorSetting, [](const MouseTabPictures& pictures, const MouseEntry& mouse) {
    return pictures.sensorTab(mouse.liftOffDistance);
}};

} // namespace

FunctionMSensorSettingController::FunctionMSensorSettingController(IDialogHost& host)
    : MouseSettingPanel(host, QStringLiteral("mouseSensorPanel"), sensorPicture)
{
    MousePanelView* view = view_;

    sensorDPILabel_ = makeLabel(view, "sensorDPILabel", layout::kMSensorDpiLabel, layout::kMPanelCaptionFontPixels);
    for (int i = 0; i < 4; ++i) {
        DpiRow& r = rows_[size_t(i)];
        const QString n = QString::number(i + 1);
        r.radio = new ImageStateButton(ImageStateButton::Kind::Radio, view);
        r.radio->setObjectName(QStringLiteral("setting%1Radio").arg(n));
        r.radio->setGeometry(inRow(i, layout::kMSensorRowRadio));
        r.sw = new ImageStateButton(ImageStateButton::Kind::Switch, view);
        r.sw->setObjectName(QStringLiteral("setting%1Switch").arg(n));
        r.sw->setGeometry(inRow(i, layout::kMSensorRowSwitch));
        r.text = new NKTextField(view);
        r.text->setObjectName(QStringLiteral("setting%1EText").arg(n));
        r.text->setGeometry(inRow(i, layout::kMSensorRowText));
        r.text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        r.text->setMaxLength(5);
        r.unit = makeLabel(view, "", layout::kMSensorRowUnit, layout::kMPanelTextFontPixels);
        r.unit->setObjectName(QStringLiteral("setting%1Label").arg(n));
        r.unit->setGeometry(inRow(i, layout::kMSensorRowUnit));
        r.down = new QPushButton(QStringLiteral("\u2212"), view);
        r.down->setObjectName(QStringLiteral("setting%1DpiButton1").arg(n));
        r.down->setGeometry(inRow(i, layout::kMSensorRowDown));
        r.slider = new PhaseSlider(view);
        r.slider->setObjectName(QStringLiteral("setting%1Slider").arg(n));
        r.slider->setGeometry(inRow(i, layout::kMSensorRowSlider));
        r.up = new QPushButton(QStringLiteral("+"), view);
        r.up->setObjectName(QStringLiteral("setting%1DpiButton2").arg(n));
        r.up->setGeometry(inRow(i, layout::kMSensorRowUp));

        connect(r.radio, &QAbstractButton::clicked, this, [this, i] { radioChanged(i); });
        connect(r.sw, &QAbstractButton::clicked, this, [this, i] { checkSettingsCheck(i); });
        connect(r.down, &QPushButton::clicked, this, [this, i] { stepButton(i, -1); });
        connect(r.up, &QPushButton::clicked, this, [this, i] { stepButton(i, +1); });
        connect(r.slider, &PhaseSlider::phase, this, [this, i](PhaseSlider::Phase p) { sliderPhase(i, p); });
        // Edits by the user only: the panel's own setText must not send.
        connect(r.text, &QLineEdit::textEdited, this, [this, i] { controlTextDidChange(i); });
    }
    sensorliftOfDistanceLabel_ = makeLabel(view, "sensorliftOfDistanceLabel", layout::kMSensorLoDLabel,
                                           layout::kMPanelCaptionFontPixels);
    lowRadio_ = new ImageStateButton(ImageStateButton::Kind::Radio, view);
    lowRadio_->setObjectName(QStringLiteral("lowRadio"));
    lowRadio_->setGeometry(at(layout::kMSensorLowRadio));
    highRadio_ = new ImageStateButton(ImageStateButton::Kind::Radio, view);
    highRadio_->setObjectName(QStringLiteral("highRadio"));
    highRadio_->setGeometry(at(layout::kMSensorHighRadio));
    lowLabel_ = makeLabel(view, "lowLabel", layout::kMSensorLowLabel, layout::kMPanelTextFontPixels);
    highLabel_ = makeLabel(view, "highLabel", layout::kMSensorHighLabel, layout::kMPanelTextFontPixels);
    connect(lowRadio_, &QAbstractButton::clicked, this, [this] { changeLowHighRadio(lowRadio_); });
    connect(highRadio_, &QAbstractButton::clicked, this, [this] { changeLowHighRadio(highRadio_); });
    reportDiscriptor_ = makeLabel(view, "reportDiscriptor", layout::kMSensorPollingLabel, layout::kMPanelTextFontPixels);
    reportDiscriptorVal_ =
        makeLabel(view, "reportDiscriptorVal", layout::kMSensorPollingValue, layout::kMPanelTextFontPixels);
    reportDiscriptorVal_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    reportDiscriptorUnit_ =
        makeLabel(view, "reportDiscriptorUnit", layout::kMSensorPollingUnit, layout::kMPanelTextFontPixels);
    dpiChangeLabel_ = makeLabel(view, "dpiChangeLabel",
                                QRectF(QPointF(0, 0), layout::kMPictureCaptionSize), layout::kMPanelTextFontPixels);

    resumeTimer_.setSingleShot(true);
    connect(&resumeTimer_, &QTimer::timeout, this, [this] { isPolingSuspend_ = false; });
    delayedReread_.setSingleShot(true);
    connect(&delayedReread_, &QTimer::timeout, this, [this] { updateSensorSettings(); });
    connect(view, &MousePanelView::appeared, this, [this] { viewDidAppear(); });
    // A panel whose tab is left sends nothing more: the read that follows a
    // selection in a field is dropped with it (the next set-up reads anew).
    connect(view, &MousePanelView::disappeared, this, [this] { delayedReread_.stop(); });
}

FunctionMSensorSettingController::~FunctionMSensorSettingController()
{
    resumeTimer_.stop();
    delayedReread_.stop();
}

int FunctionMSensorSettingController::rowOf(QObject* control) const
{
    for (int i = 0; i < 4; ++i) {
        const DpiRow& r = rows_[size_t(i)];
        if (control == r.slider || control == r.sw || control == r.radio)
            return i;
    }
    return -1;
}

// ---- set-up -----------------------------------------------------------------------------

void FunctionMSensorSettingController::initDialogItem()
{
    auto text = [](const char* key) { return platform::localizedString(QLatin1String(key)); };
    sensorDPILabel_->setText(text("SensorDpiSettingLabel"));
    sensorliftOfDistanceLabel_->setText(text("SensorLoDSettingLabel"));
    dpiChangeLabel_->setText(text("SwitchDpiLabel"));
    lowLabel_->setText(text("LoDLow"));
    highLabel_->setText(text("LoDHigh"));
    reportDiscriptor_->setText(text("PollingRateLabel"));
    reportDiscriptorUnit_->setText(text("PollingRateUnit"));
    lowRadio_->setAccessibleName(lowLabel_->text());
    highRadio_->setAccessibleName(highLabel_->text());
    for (int i = 0; i < 4; ++i) {
        const DpiRow& r = rows_[size_t(i)];
        r.unit->setText(text("DpiUnitLabel"));
        r.slider->setRange(0, kDpiIndexMax);
        r.text->setDelegate2(this);
        const QString title = text(kRowLooks[i].titleKey);
        r.radio->setAccessibleName(title);
        r.sw->setAccessibleName(title);
        r.text->setAccessibleName(title);
        r.slider->setAccessibleName(title);
        r.down->setAccessibleName(title + QStringLiteral(" \u2212"));
        r.up->setAccessibleName(title + QStringLiteral(" +"));
    }
    // The caption under the mouse's DPI button.
    placeCaption(dpiChangeLabel_, QLatin1StringView("DpiSwitch"));
}

// ---- reading the mouse ----------------------------------------------------------------

void FunctionMSensorSettingController::updateSensorSettings()
{
    if (!currentMouse())
        return;
    // A read already under way (this one was started from inside its wait).
    if (updateFlg_)
        return;
    updateFlg_ = true;
    const MouseRefresh r = refreshMouseSettings();
    updateFlg_ = false;
    if (!r.updated)
        return;
    updateSensorSettingsUI(*r.mouse);
    showPicture();
}

void FunctionMSensorSettingController::updateSensorSettingsUI(const MouseEntry& mouse)
{
    const int selected = rawValue(mouse.dpiSelected);
    (void)updateDpiSelected(selected, false);
    for (int i = 0; i < 4; ++i)
        updateDpiSetting(rows_[size_t(i)], mouse.dpiSettingEnable[size_t(i)] == rawValue(DpiEnable::Enable),
                         mouse.dpiSettingValue[size_t(i)]);
    // The switch pictures follow the states just set.
    for (int i = 0; i < 4; ++i)
        updateCheckSetting(rows_[size_t(i)].sw);
    focusDpiSelected(selected);
    updateLoDSetting(mouse.liftOffDistance);
    updatePollingRate(mouse.reportDiscriptor);
}

void FunctionMSensorSettingController::updateDpiSetting(const DpiRow& r, bool inEnabled, int dpiValue)
{
    if (dpiValue < 0 || dpiValue > kDpiIndexMax)
        return;
    const QSignalBlocker b1(r.sw), b2(r.slider), b3(r.text);
    r.sw->setChecked(inEnabled);
    r.text->setText(QString::number(dpiValue + 1));
    r.slider->setValue(dpiValue);
    r.slider->setEnabled(inEnabled);
    r.text->setEnabled(inEnabled);
    r.down->setEnabled(inEnabled);
    r.up->setEnabled(inEnabled);
    r.radio->setEnabled(inEnabled);
}

bool FunctionMSensorSettingController::updateDpiSelected(int inSelected, bool moveFocus)
{
    if (selectRadio_ == inSelected)
        return false;
    const QPixmap off = ui::appImage(kRadioOff);
    for (const DpiRow& r : rows_) {
        r.sw->setEnabled(true);
        const QSignalBlocker block(r.radio);
        r.radio->setChecked(false);
        r.radio->setImage(off);
        setLabelColor(r.unit, Qt::white);
    }
    if (inSelected >= 0 && inSelected < 4) {
        const DpiRow& r = rows_[size_t(inSelected)];
        // The selected setting cannot be switched off.
        r.sw->setEnabled(false);
        const QSignalBlocker block(r.radio);
        r.radio->setChecked(true);
        r.radio->setImage(ui::appImage(kRadioOn));
        selectRadio_ = inSelected;
    }
    if (moveFocus)
        focusDpiSelected(inSelected);
    return true;
}

void FunctionMSensorSettingController::updateCheckSetting(QObject* sender)
{
    for (int i = 0; i < 4; ++i) {
        const DpiRow& r = rows_[size_t(i)];
        if (sender != r.sw)
            continue;
        const bool japanese = QLocale::system().language() == QLocale::Japanese;
        r.sw->setTitlePixelSize(japanese ? layout::kMSwitchTitleFontPixelsJa : layout::kMSwitchTitleFontPixels);
        setStateImage(r.sw, r.sw->isChecked(), platform::localizedString(QLatin1String(kRowLooks[i].titleKey)),
                      QLatin1String(kRowLooks[i].onImage), kSwitchOff);
        return;
    }
}

void FunctionMSensorSettingController::updateLoDSetting(LoD lod)
{
    if (!lowRadio_ || !highRadio_)
        return;
    const bool low = lod == LoD::LoD_2mm;
    const QSignalBlocker b1(lowRadio_), b2(highRadio_);
    lowRadio_->setChecked(low);
    highRadio_->setChecked(!low);
    setLabelColor(lowLabel_, low ? QColor(Qt::white) : QColor(Qt::gray));
    setLabelColor(highLabel_, low ? QColor(Qt::gray) : QColor(Qt::white));
    lowRadio_->setImage(ui::appImage(low ? QStringLiteral("VX_MOUSE_LOD_LOW active.png")
                                         : QStringLiteral("VX_MOUSE_LOD_LOW not active.png")));
    highRadio_->setImage(ui::appImage(low ? QStringLiteral("VX_MOUSE_LOD_HIGH not active.png")
                                          : QStringLiteral("VX_MOUSE_LOD_HIGH active.png")));
}

void FunctionMSensorSettingController::updatePollingRate(ReportDiscriptor pollingRate)
{
    switch (pollingRate) {
    case ReportDiscriptor::Fps_1kHz: reportDiscriptorVal_->setText(QStringLiteral("1000")); break;
    case ReportDiscriptor::Fps_500kHz: reportDiscriptorVal_->setText(QStringLiteral("500")); break;
    case ReportDiscriptor::Fps_125Hz: reportDiscriptorVal_->setText(QStringLiteral("125")); break;
    }
}

void FunctionMSensorSettingController::focusDpiSelected(int inSelected)
{
    if (inSelected >= 0 && inSelected < 4)
        focusDpiSelected(rows_[size_t(inSelected)].text);
}

void FunctionMSensorSettingController::focusDpiSelected(NKTextField* selectTextField)
{
    if (!selectTextField || nowFocusText_ == selectTextField)
        return;
    selectTextField->setFocus(Qt::OtherFocusReason);
    selectTextField->setCursorPosition(0);
    selectTextField->deselect();
    nowFocusText_ = selectTextField;
    selectTextField->update();
}

// ---- sending -------------------------------------------------------------------------------

void FunctionMSensorSettingController::sendDpiSettingCommand(QObject* sender)
{
    const int i = rowOf(sender);
    if (i < 0)
        return;
    auto mouse = openMouse();
    if (!mouse)
        return;
    const DpiRow& r = rows_[size_t(i)];
    const int enable = rawValue(r.sw->isChecked() ? DpiEnable::Enable : DpiEnable::Disable);
    const int value = r.slider->value();
    if (mouse->dpiSettingValue[size_t(i)] == value && mouse->dpiSettingEnable[size_t(i)] == enable &&
        mouse->dpiSelected == DpiSettingNo(i))
        return;
    if (settleChange(mouse->CMD_SetSensorDpiSetting(i, enable, value), mouse) != CallOutcome::Done)
        return;
    mouse->dpiSettingEnable[size_t(i)] = uint8_t(enable);
    mouse->dpiSettingValue[size_t(i)] = value;
    // A changed setting becomes the selected one.
    mouse->dpiSelected = DpiSettingNo(i);
    if (r.text) {
        const QSignalBlocker block(r.text);
        r.text->setText(QString::number(r.slider->value() + 1));
    }
}

// ---- user actions -------------------------------------------------------------------------

void FunctionMSensorSettingController::radioChanged(int index)
{
    const DpiRow& r = rows_[size_t(index)];
    if (updateDpiSelected(index, true)) {
        sendDpiSettingCommand(r.radio);
        updateSensorSettings();
    }
}

void FunctionMSensorSettingController::checkSettingsCheck(int index)
{
    const DpiRow& r = rows_[size_t(index)];
    updateCheckSetting(r.sw);
    sendDpiSettingCommand(r.sw);
    updateSensorSettings();
}

void FunctionMSensorSettingController::stepButton(int index, int step)
{
    const DpiRow& r = rows_[size_t(index)];
    {
        const QSignalBlocker b1(r.slider), b2(r.text);
        r.slider->setValue(r.slider->value() + step);   // the range keeps it in 0..119
        r.text->setText(QString::number(r.slider->value() + 1));
    }
    sendDpiSettingCommand(r.slider);
    updateSensorSettings();
}

void FunctionMSensorSettingController::sliderPhase(int index, PhaseSlider::Phase phase)
{
    const DpiRow& r = rows_[size_t(index)];
    auto showValue = [&r] {
        const QSignalBlocker block(r.text);
        r.text->setText(QString::number(r.slider->value() + 1));
    };
    switch (phase) {
    case PhaseSlider::Phase::Pressed:
        isPolingSuspend_ = true;
        break;
    case PhaseSlider::Phase::Dragged:
        showValue();
        break;
    case PhaseSlider::Phase::Released:
        showValue();
        sendDpiSettingCommand(r.slider);
        updateSensorSettings();
        isPolingSuspend_ = false;
        break;
    }
}

void FunctionMSensorSettingController::controlTextDidChange(int index)
{
    const DpiRow& r = rows_[size_t(index)];
    const double number = leadingNumber(r.text->text());
    {
        const QSignalBlocker block(r.text);
        if (number < 1.0)
            r.text->setText(QStringLiteral("1"));
        else if (number > 120.0)
            r.text->setText(QStringLiteral("120"));
    }
    const double shown = leadingNumber(r.text->text());
    {
        const QSignalBlocker block(r.slider);
        r.slider->setValue(int(shown - 1.0));
    }
    sendDpiSettingCommand(r.slider);
    updateSensorSettings();
}

void FunctionMSensorSettingController::mouseDownTextField(QObject* id)
{
    isPolingSuspend_ = true;
    resumeTimer_.stop();
    for (int i = 0; i < 4; ++i) {
        const DpiRow& r = rows_[size_t(i)];
        if (id != r.text)
            continue;
        if (!r.radio->isChecked() && r.radio->isEnabled() && updateDpiSelected(i, false)) {
            // Ends the editing that the click began.
            r.text->setEnabled(false);
            r.text->setEnabled(true);
            sendDpiSettingCommand(r.radio);
            delayedReread_.start(platform::scaledMs(kClickReread));
        }
        break;
    }
    // Polling resumes 3 s after the last click into a field.
    resumeTimer_.start(platform::scaledMs(kTypingPause));
}

void FunctionMSensorSettingController::changeLowHighRadio(QObject* sender)
{
    const LoD wanted = sender == highRadio_ ? LoD::LoD_3mm : LoD::LoD_2mm;
    auto mouse = openMouse();
    if (!mouse || wanted == mouse->liftOffDistance) {
        // Nothing to send: the radios show the model again.
        if (auto m = currentMouse())
            updateLoDSetting(m->liftOffDistance);
        return;
    }
    if (settleChange(mouse->CMD_SetSensorLodSetting(rawValue(wanted)), mouse) == CallOutcome::Replaced)
        return;
    updateSensorSettings();
    // The model's distance comes back with the read; after a failed read
    // the radios show the model's value again.
    if (isCurrentDevice(mouse))
        updateLoDSetting(mouse->liftOffDistance);
}

// ---- on screen -------------------------------------------------------------------------------

void FunctionMSensorSettingController::viewDidAppear()
{
    // The polling starts with the view (MouseSettingPanel); the selected
    // setting's field takes the focus.
    nowFocusText_ = nullptr;
    if (auto mouse = currentMouse())
        focusDpiSelected(rawValue(mouse->dpiSelected));
}
