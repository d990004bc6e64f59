#pragma once
// The mouse's Other tab: the mouse picture and the menu of
// OtherSettingPanel with four rows: store the settings in the mouse,
// restore its factory settings, update its firmware and choose the profile
// folder. The action handler also serves the addition of a description
// package, which this menu does not offer; a mouse has no indicator LEDs,
// so their dialog is not among the actions.

#include "FunctionPanel/OtherSettingPanel.h"

#include <QObject>

class FunctionMOtherSettingController : public QObject, public OtherSettingPanel<MouseEntry> {
    Q_OBJECT
public:
    explicit FunctionMOtherSettingController(IDialogHost& host);

    void tabHidden() override;

private:
    void setUpPanel() override;
    std::vector<MenuRow> menuRows() const override;
    void factorySettingTaken(MouseEntry& mouse) override;
};
