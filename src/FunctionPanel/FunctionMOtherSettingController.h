#pragma once
// The mouse's Other tab: the mouse picture and a menu hanging from the tab
// with four actions: store the settings in the mouse, restore its factory
// settings, update its firmware and choose the profile folder. The action
// handler also serves the addition of a description package, which this
// menu does not offer; a mouse has no indicator LEDs, so their dialog is
// not among the actions.
//
// The menu is rebuilt at each opening. Dialogs run modally over the main
// window with the mask up and the help items off; the help items are given
// back after every way out of a dialog (also when a store before a firmware
// update fails). Device actions settle each device call (Device/DeviceCall.h)
// and go on only while their mouse is still the current device.

#include "CustomControl/TabMenuView.h"
#include "FunctionPanel/FunctionPanel.h"
#include "Utility/AppError.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class MouseEntry;

class FunctionMOtherSettingController : public QObject, public FunctionPanel, public TabMenuDelegate {
    Q_OBJECT
public:
    explicit FunctionMOtherSettingController(IDialogHost& host);
    ~FunctionMOtherSettingController() override;

    // ----- FunctionPanel -----------------------------------------------------
    void initSetting() override;
    KeyboardView* keyboardView() override;
    void showMenuView(bool isDevice) override;
    bool isMenuViewShown() const override;
    void closeMenuView(bool resetItems) override;
    void enableMenuItem(bool isEnable) override;
    // TabMenuDelegate: a chosen row (`id` is not used).
    void clickTabMenuItem(QObject* id, FunctionItem function) override;

    // The menu as built last (null before the first build).
    TabMenuView* menuView() const { return menuView_.data(); }

private:
    void initMenuItem();
    void clearRowMarks(bool display);
    int runDialog(const std::function<int()>& dialog, bool maskUp);
    void restoreFactorySettings(const std::shared_ptr<MouseEntry>& mouse);
    void updateFirmware();
    void selectProfileFolder();
    void appendDevice();

    IDialogHost& host_;
    QPointer<KeyboardView> view_;
    QPointer<TabMenuView> menuView_;
};
