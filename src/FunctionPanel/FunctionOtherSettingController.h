#pragma once
// The keyboard's Other tab: a keyboard picture without overlay or key
// selection, and a menu hanging from the tab with the keyboard's
// maintenance actions: store the settings in the device, return it to the
// factory settings, switch the Caps Lock key-code change, set the indicator
// LEDs (keyboards that support it), update the firmware and choose the
// profile folder. Each action runs when its row is chosen; those that need
// input run a modal dialog over the main window with the mask up and the
// help items off.
//
// The menu is rebuilt at each opening, so that the LED row follows the
// keyboard connected then. After a disconnect the device rows are disabled;
// the menu works without a keyboard.
//
// Every device action settles each device call (Device/DeviceCall.h) and
// goes on only while its keyboard is still the current device: a failing
// command runs the main window's recovery, which replaces the device and may
// rebuild the window.

#include "FunctionPanel/FunctionPanel.h"
#include "CustomControl/TabMenuView.h"
#include "Utility/AppError.h"

#include <QObject>
#include <functional>
#include <QPointer>

class KeyboardEntry;
class KeyboardView;

class FunctionOtherSettingController : public QObject, public FunctionPanel, public TabMenuDelegate {
    Q_OBJECT
public:
    explicit FunctionOtherSettingController(IDialogHost& host);
    ~FunctionOtherSettingController() override;

    // ----- FunctionPanel ---------------------------------------------------
    void initSetting() override;
    KeyboardView* keyboardView() override;
    void showMenuView(bool isDevice) override;
    bool isMenuViewShown() const override;
    void closeMenuView(bool resetItems) override;
    void enableMenuItem(bool isEnable) override;
    // TabMenuDelegate: a row was chosen (`id`, the menu, is not used).
    void clickTabMenuItem(QObject* id, FunctionItem function) override;

    // The popup menu as built last (null before the first build).
    TabMenuView* menuView() const { return menuView_.data(); }

private:
    // Builds the menu anew under the Other tab.
    void initMenuItem();
    // Clears the hover, selected and check marks of every row.
    void clearRowMarks();
    // The check mark of the Caps Lock row from the keyboard model.
    void showCapsLockMark(const std::shared_ptr<KeyboardEntry>& kb);
    // Runs a modal dialog with the mask up (put up here unless `maskUp`)
    // and the help items off; takes the mask down and gives the help items
    // back afterwards. Returns the dialog's code.
    int runDialog(const std::function<int()>& dialog, bool maskUp = false);

    void restoreFactorySettings(const std::shared_ptr<KeyboardEntry>& kb);
    void toggleKeyCodeChange(const std::shared_ptr<KeyboardEntry>& kb);
    void openIndicatorLedSettings();
    void selectProfileFolder();
    void updateFirmware();
    void appendDevice();

    IDialogHost& host_;
    QPointer<KeyboardView> keyboardView_;
    QPointer<TabMenuView> menuView_;
};
