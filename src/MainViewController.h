#pragma once
// The main window controller: owns the main window and its state from
// start-up to shutdown. It builds the window (MainWindowWidgets) with its
// function tabs and their panels (FunctionTabs), keeps the attached devices
// through its device list (DeviceListController, which follows hot-plug and
// recovers from failing devices), connects one keyboard or mouse at a time
// (the current device is AppParam::device) and shows it, switches the
// function tabs, tracks unsent changes and Send, and answers the window's
// buttons and menus. Main thread only; one per process.

#include "AppEnums.h"
#include "DeviceListHost.h"
#include "CustomControl/BackgroundView.h"
#include "CustomControl/MainTabView.h"
#include "Device/DeviceEnumerator.h"
#include "Dialog/DialogRegistry.h"
#include "FunctionTabs.h"
#include "IMainController.h"
#include "MainWindowWidgets.h"
#include "Utility/AppError.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <functional>
#include <memory>
#include <optional>

class DeviceListController;
class FunctionPanel;
class IDeviceEntry;
class KeyboardProfile;
class KeyboardView;
class MainView;
class MouseProfile;
class QMenu;
class StartupFiles;
class TabMenuSettingView;

namespace uitest {
struct WindowProbe;
}

class MainViewController : public QObject,
                           public IMainController,
                           public IDialogHost,
                           public DeviceListHost,
                           public onMainTabViewDelegate,
                           public BackgroundViewDelegate {
    Q_OBJECT
public:
    using DeviceEnumEntry = DeviceEnumerator::DeviceEnumEntry;

    explicit MainViewController(QObject* parent = nullptr);
    ~MainViewController() override;

    // ----- start-up and shutdown ---------------------------------------------

    // Reads the built-in defaults and the user's settings and lays the window
    // out. False when the defaults cannot be read: the start must end.
    bool viewDidLoad();
    // As above, taking the two files from reads started earlier (the
    // application starts them before it builds the controller).
    bool viewDidLoad(StartupFiles& files);
    // Shows the remembered tab, places the window and shows it; the devices
    // are enumerated and connected right after its first paint
    // (windowSourceInitialized), so the window appears without waiting for
    // device traffic.
    void viewWillAppear();
    // The application left the foreground: the open tab menu closes.
    void applicationWillResignActive();

    // ----- connecting and recovery ---------------------------------------------
    // Switches to entry `index` of the device list; an index outside it
    // shows the no-device view.
    void connectDevice(int index) override;
    void disconnectDevice(bool reflectUi) override;
    void setConnectedDeviceError(int32_t location) override;
    void plugInOffKeyboard() override;
    // The location of the connected device, -1 for none: set by the connect,
    // cleared by the disconnect.
    int32_t conectDeviceLocation() const override { return conectDeviceLocation_; }
    int runMessageBox(const QString& messageKey, const QString& okKey, const QString& cancelKey) override;

    // ----- tabs ------------------------------------------------------------------
    void clickTab(QObject* id) override;
    void clickTabMenuIcon(QObject* id) override;

    // ----- firmware run, description packages, dialog mask ---------------------
    void execFirmwareUpdate() override;
    bool isExistSameDeviceType() const override;
    void appendKeyboardProfileList() override;
    void setDialogMask(bool enableMask) override;
    bool isDialogMaskUp() const override;
    QWidget* dialogReferenceWindow() override;

    // ----- Send --------------------------------------------------------------------
    AppError onSaveTheKeyboard() override;
    void updateKeyboardSettingsChanged() override;

    // ----- help menu and background -------------------------------------------
    void setHelpMenu(bool enableMenu) override;
    bool isHelpMenuEnabled() const override;
    void backgroundViewMouseDown(QObject* id) override;

    // ----- state ---------------------------------------------------------------------
    // The window's main view, painted first of all.
    const MainView* mainView() const { return w_.mainView; }

private:
    friend struct uitest::WindowProbe;

    // ----- used inside the controller; tests reach them through the probe ------
    // The exit check and shutdown: false refuses (firmware update running,
    // a modal dialog open, "No" to the unsent-changes question); true after
    // the device was closed and the settings file written.
    bool windowClosing();

    // Tabs and the dialog mask.
    void selectFunctionTab(FunctionTab tab);
    // The panel a tab position shows for the current device kind.
    FunctionPanel* panelFor(FunctionTab tab) const;
    void updateDialogMask(DeviceType deviceType);

    // State.
    // The controller registered in AppParam::mainController, or null.
    static MainViewController* instance();
    // The tab view and the panel of a tab that has a row (the panel is made
    // now when it had not been yet).
    MainTabView* tabView(FunctionTab tab) const { return tabs_.row(tab).view; }
    FunctionPanel* tabPanel(FunctionTab tab) const { return &tabs_.panel(tab); }
    // Puts a stand-in panel on `tab` and hands back the one it replaces.
    std::unique_ptr<FunctionPanel> swapPanel(FunctionTab tab, std::unique_ptr<FunctionPanel> panel);

    // ----- the window's own workings ---------------------------------------------
    // The window's buttons and menu items (connected in buildWindow).
    void closeButtonAction();
    void pushSendButton();
    void buttonSaveClick();
    void buttonLoadClick();
    void pushKeylist();
    void pushKeylistReturn();
    void pushAboutMenu();
    void pushUsersManualMenu();
    void pushQandAMenu();
    void pushUpdateInfoMenu();
    // The first paint (or its stand-in timer): the devices are enumerated
    // and connected once.
    void windowSourceInitialized();
    // Slides the device-selection panel in (over the dialog mask) or out.
    void displayKeyboardList(bool listDisplay);
    void convertDeviceTabSelect();
    void buildWindow();
    void initializeTabSetting();
    void initDialogItem();
    // The device kind whose tabs and panels are shown: the mouse's with a
    // mouse connected, else the keyboard's (also with no device).
    static DeviceType shownKind();
    void connectKeyboardDevice(int index, const DeviceEnumEntry& entry,
                               const std::shared_ptr<KeyboardProfile>& keyProfile);
    void connectMouseDevice(int index, const DeviceEnumEntry& entry,
                            const std::shared_ptr<MouseProfile>& mouseProfile);
    // Enables `kind`'s tabs (see FunctionTabs::enable) and draws each of
    // them as not active.
    void prepareTabs(DeviceType kind, bool settingsUsable, bool apc);
    // Steps shared by the keyboard and mouse connects, in their order.
    // False when the device could not be opened (the recovery has been
    // asked for). A device that asks for its firmware update to be run
    // again is opened all the same (its awaitsFirmwareUpdate()).
    template <class Entry>
    bool openForConnect(std::shared_ptr<Entry>& device, const DeviceEnumEntry& entry, const char* failureLog);
    void adoptDevice(const std::shared_ptr<IDeviceEntry>& device, int32_t location, DeviceType type);
    void showConnectedHeader(const QString& modelPrefix, bool settingsReadable);
    void restoreTabAfterConnect(bool& pendingOtherTab, FunctionTab otherTab);
    void keepToOtherTab(FunctionTab otherTab);
    template <class Entry>
    void finishConnect(const std::shared_ptr<Entry>& device, int32_t location);
    int runModalHook(const std::function<int(QWidget*)>& hook);
    // Gives the close button the keyboard focus and makes Send (while shown)
    // or else the profile save the next stop of the Tab key.
    void focusCloseButton();
    // The dialog mask's part over `type`'s tabs, in the mask.
    QRect tabAreaRect(DeviceType type) const;

    MainWindowWidgets w_;
    FunctionTabs tabs_;
    std::unique_ptr<DeviceListController> devices_;
    int32_t conectDeviceLocation_ = -1;
    // The picture of the panel on show.
    QPointer<KeyboardView> currentKeyboardView_;
    // The tab to restore on the next connect.
    FunctionTab beforeTab_ = FunctionTab::None;
    bool selectOtherSetting_ = false;
    // The user's last click among the mouse tabs was its other-settings tab.
    bool selectMOtherSetting_ = false;
    // The first device enumeration and connect have run.
    bool devicesReady_ = false;
    // Seams for tests: opens a link address (QDesktopServices when unset);
    // the visible screen area for window placement (the window's screen
    // when unset).
    std::function<void(const QString&)> openUrl_;
    std::function<std::optional<QRect>()> visibleScreenArea_;

public:
    // ----- IDialogHost: what panels and dialogs see of the window -----------
    QWidget* bodyView() override;
    QWidget* tabMenuAnchor(FunctionTab tab) override;
    TabMenuSettingView* apcModeStrip() override;
    bool isAnyDeviceListed() const override;
    KeyboardListView& deviceStrip() override;
};
