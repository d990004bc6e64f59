#pragma once
// The mouse sensor panel: four DPI settings (each with its radio that
// selects it, its switch that enables it, its value as text in hundreds of
// dpi, a slider of the index 0..119 and one-step buttons), the lift-off
// distance (2 or 3 mm) and the polling rate (shown only).
//
// Every change goes to the mouse at once and is followed by a read of all
// mouse settings, so the panel shows what the mouse reports. While the
// panel is on screen it reads the mouse once a second (the mouse's own DPI
// button changes the selected setting); the read pauses while a slider is
// held and for 3 s after a click into a DPI field, so that typing is not
// overwritten.
//
// After every device call the panel checks that its mouse is still the
// current device (a recovery or hot-plug may have replaced it) and returns
// quietly when it is not. Commands are sent only to an open mouse; a read
// that fails or is skipped leaves the controls as they are.

#include "CustomControl/BackgroundView.h"
#include "FunctionPanel/MouseSettingPanel.h"

#include <QPointer>
#include <QTimer>

#include <array>

class QLabel;
class QPushButton;
class MouseEntry;

class FunctionMSensorSettingController : public MouseSettingPanel, public NKTextFieldDelegate {
    Q_OBJECT
public:
    explicit FunctionMSensorSettingController(IDialogHost& host);
    ~FunctionMSensorSettingController() override;

    // ----- NKTextFieldDelegate: a click into a DPI field ----------------------
    void mouseDownTextField(QObject* id) override;

    // ----- the controls (tests and screenshots look at them) ------------------
    struct DpiRow {
        QPointer<ImageStateButton> radio;    // selects the setting
        QPointer<ImageStateButton> sw;       // enables the setting
        QPointer<NKTextField> text;          // index + 1
        QPointer<QLabel> unit;
        QPointer<QPushButton> down;          // one step down
        QPointer<PhaseSlider> slider;        // the index 0..119
        QPointer<QPushButton> up;            // one step up
    };
    const DpiRow& row(int index) const { return rows_[size_t(index)]; }   // 0..3
    ImageStateButton* lowRadio() const { return lowRadio_; }
    ImageStateButton* highRadio() const { return highRadio_; }
    QLabel* pollingRateLabel() const { return reportDiscriptorVal_; }
    QLabel* dpiChangeLabel() const { return dpiChangeLabel_; }
    // Index (0..3) of the setting shown as selected; -1 before the first.
    int selectRadio() const { return selectRadio_; }

private:
    void initDialogItem() override;
    void showMouseSettings(const MouseEntry& mouse) override { updateSensorSettingsUI(mouse); }
    void updateSensorSettings();
    void readMouseSettings() override { updateSensorSettings(); }
    void updateSensorSettingsUI(const MouseEntry& mouse);
    bool updateDpiSelected(int inSelected, bool moveFocus);
    void updateDpiSetting(const DpiRow& r, bool inEnabled, int dpiValue);
    void updateCheckSetting(QObject* sender);
    void updateLoDSetting(LoD lod);
    void updatePollingRate(ReportDiscriptor pollingRate);
    void focusDpiSelected(int inSelected);
    void focusDpiSelected(NKTextField* selectTextField);
    void sendDpiSettingCommand(QObject* sender);

    // User actions.
    void radioChanged(int index);
    void checkSettingsCheck(int index);
    void stepButton(int index, int step);
    void sliderPhase(int index, PhaseSlider::Phase phase);
    void controlTextDidChange(int index);
    void changeLowHighRadio(QObject* sender);

    void viewDidAppear();

    int rowOf(QObject* control) const;

    QPointer<QLabel> sensorDPILabel_;
    std::array<DpiRow, 4> rows_{};
    QPointer<QLabel> sensorliftOfDistanceLabel_;
    QPointer<QLabel> lowLabel_;
    QPointer<QLabel> highLabel_;
    QPointer<ImageStateButton> lowRadio_;
    QPointer<ImageStateButton> highRadio_;
    QPointer<QLabel> reportDiscriptor_;
    QPointer<QLabel> reportDiscriptorVal_;
    QPointer<QLabel> reportDiscriptorUnit_;
    QPointer<QLabel> dpiChangeLabel_;

    int selectRadio_ = -1;
    bool updateFlg_ = false;
    QPointer<NKTextField> nowFocusText_;
    QTimer resumeTimer_;        // ends the pause 3.0 s after a field click
    QTimer delayedReread_;      // the read 0.3 s after a field click
};
