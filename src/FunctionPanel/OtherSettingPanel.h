#pragma once
// What the keyboard's and the mouse's Other tabs share: the device picture
// without overlay, and a menu hanging from the tab with the maintenance
// actions. The menu is rebuilt at each opening, so that its rows follow the
// device connected then; rows that need a device are disabled while none is
// listed, and so are the rows that send settings while the device waits for
// its firmware update (it refuses them until the update has run). The menu
// works without a device.
//
// The shared actions: store the settings in the device, return it to its
// factory settings, update its firmware, choose the profile folder and add
// a description package. Those that need input run a modal dialog over the
// main window with the mask up and the help items off (runMaskedDialog).
// Every device action settles each device call (Device/DeviceCall.h) and
// goes on only while its device is still the current one: a failing
// command runs the main window's recovery, which replaces the device and
// may rebuild the window.
//
// `Entry` is the device model of the tab (KeyboardEntry or MouseEntry). A
// panel names its rows and sets itself up (setUpPanel); it may add rows of
// its own and handle them before handing the rest to clickTabMenuItem here.

#include "CustomControl/TabMenuView.h"
#include "FunctionPanel/FunctionPanel.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class KeyboardEntry;
class MouseEntry;

template <class Entry>
class OtherSettingPanel : public FunctionPanel, public TabMenuDelegate {
public:
    ~OtherSettingPanel() override;

    // ----- FunctionPanel ---------------------------------------------------
    KeyboardView* keyboardView() override { return view_.data(); }
    void showMenuView(bool isDevice) override;
    bool isMenuViewShown() const override;
    void closeMenuView(bool resetItems) override;
    void enableMenuItem(bool isEnable) override;
    // TabMenuDelegate: a row was chosen (`id`, the menu, is not used).
    void clickTabMenuItem(QObject* id, FunctionItem function) override;

    // The menu as built last (null before the first build).
    TabMenuView* menuView() const { return menuView_.data(); }

protected:
    struct MenuRow {
        FunctionItem function;
        QString title;
        // Disabled while no device is listed.
        bool needsDevice = true;
    };

    // `tab`: the tab the menu hangs from; the names are the object names of
    // the picture and of the menu. The panel builds its menu once it is
    // constructed (initMenuItem), since the rows are its own.
    OtherSettingPanel(IDialogHost& host, FunctionTab tab, const QString& viewName, const QString& menuName);

    // The rows of the menu for the device connected now, top to bottom.
    virtual std::vector<MenuRow> menuRows() const = 0;
    // The marks the rows show, set after the menu was reset at its opening.
    virtual void showRowMarks() {}
    // The device took its factory settings (before they are read back), and
    // they were read back.
    virtual void factorySettingTaken(Entry& device) { (void)device; }
    virtual void factorySettingRead() {}

    // The current device when it is of the tab's kind, else null.
    static std::shared_ptr<Entry> currentDevice();
    // The current device when it has an open connection: the device actions
    // need one (without it the commands would succeed with nothing sent).
    static std::shared_ptr<Entry> openDevice();
    // The open device when it takes setting commands: not while it waits
    // for its firmware update.
    static std::shared_ptr<Entry> settingDevice();
    // Whether the current device of the tab's kind waits for its firmware
    // update.
    static bool awaitsFirmwareUpdate();

    // Builds the menu anew under the tab.
    void initMenuItem();
    // Clears the hover, selected and check marks of every row.
    void clearRowMarks();

    void restoreFactorySettings(const std::shared_ptr<Entry>& device);
    void updateFirmware();
    void selectProfileFolder();
    void appendDevice();

    IDialogHost& host_;
    QPointer<KeyboardView> view_;
    QPointer<TabMenuView> menuView_;

private:
    // Runs a dialog that chooses a path, starting from `start`, under the
    // mask (runMaskedDialog): the path when the user confirmed one.
    std::optional<QString> choosePath(const std::function<int(const QString&, QString&)>& dialog, QString start);

    FunctionTab tab_;
    QString menuName_;
    std::vector<MenuRow> rows_;
};

extern template class OtherSettingPanel<KeyboardEntry>;
extern template class OtherSettingPanel<MouseEntry>;
