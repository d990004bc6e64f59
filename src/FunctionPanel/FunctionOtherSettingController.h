#pragma once
// The keyboard's Other tab: a keyboard picture without overlay or key
// selection, and the menu of OtherSettingPanel with the keyboard's own rows
// besides the shared ones: switch the Caps Lock key-code change (checked
// while on) and set the indicator LEDs (keyboards that support it). The
// LED row does not wait for the device list; its dialog opens only for a
// connected keyboard.

#include "FunctionPanel/OtherSettingPanel.h"

#include <QObject>

class FunctionOtherSettingController : public QObject, public OtherSettingPanel<KeyboardEntry> {
    Q_OBJECT
public:
    explicit FunctionOtherSettingController(IDialogHost& host);

    // ----- FunctionPanel ---------------------------------------------------
    void enableMenuItem(bool isEnable) override;
    void clickTabMenuItem(QObject* id, FunctionItem function) override;

private:
    void setUpPanel() override;
    std::vector<MenuRow> menuRows() const override;
    void showRowMarks() override;
    void factorySettingRead() override;

    // The check mark of the Caps Lock row from the keyboard model.
    void showCapsLockMark(const std::shared_ptr<KeyboardEntry>& kb);
    void toggleKeyCodeChange(const std::shared_ptr<KeyboardEntry>& kb);
    void openIndicatorLedSettings();
};
