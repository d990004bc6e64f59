#pragma once
// The main window controller: owns the main window and its state from
// start-up to shutdown. It keeps the lists of attached supported devices and
// follows hot-plug, connects one keyboard or mouse at a time (the current
// device is AppParam::device), recovers from failing devices, switches the
// function tabs and their panels, tracks unsent changes and Send, and answers
// the window's buttons and menus. Main thread only; one per process.

#include "AppEnums.h"
#include "CustomControl/BackgroundView.h"
#include "CustomControl/KeyboardListView.h"
#include "CustomControl/MainTabView.h"
#include "Device/DeviceEnumerator.h"
#include "Dialog/DialogRegistry.h"
#include "IMainController.h"
#include "Platform/Clock.h"
#include "Utility/AppError.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QDialog;
class QLabel;
class QMenu;
class QToolButton;
class QPushButton;
class FunctionPanel;
class KeyboardErrorView;
class StartupFiles;
class KeyboardView;
class TabMenuSettingView;
class MainView;
class DeviceProfile;
class KeyboardProfile;
class MouseProfile;
class IDeviceEntry;

class MainViewController : public QObject,
                           public IMainController,
                           public IDialogHost,
                           public onMainTabViewDelegate,
                           public BackgroundViewDelegate,
                           public KeyboardListViewDelegate {
    Q_OBJECT
public:
    using DeviceEnumEntry = DeviceEnumerator::DeviceEnumEntry;

    explicit MainViewController(QObject* parent = nullptr);
    ~MainViewController() override;

    // The controller registered in AppParam::mainController, or null.
    static MainViewController* instance();

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
    void windowSourceInitialized();
    // The first device enumeration and connect have run.
    bool devicesReady() const { return devicesReady_; }
    // The exit check and shutdown: false refuses (firmware update running,
    // a modal dialog open, "No" to the unsent-changes question); true after
    // the device was closed and the settings file written.
    bool windowClosing();
    // The application left the foreground: the open tab menu closes.
    void applicationWillResignActive();

    // The model label: "ModelNumber", the prefix, six characters of the
    // model number, " Rev " and the rest; a shorter number is shown whole.
    static QString modelNumberText(const QString& prefix, const QString& model);

    // Clamps a stored window rectangle into the visible screen area; the
    // size is kept. Any finite origin is taken, however far away.
    static QRect clampToScreen(const QRectF& stored, const QRect& visible);
    // A window of `size` centred in the visible screen area (its top-left
    // corner kept inside it).
    static QRect centredOnScreen(const QSize& size, const QRect& visible);

    // ----- device list and hot-plug --------------------------------------------
    void initKeyboardEnum();
    void updateDevicePathList();
    void keyboardListChanged(bool autoDetect);
    void connectDevice(int index);
    void updateKeyboardListView(bool openView);
    void displayKeyboardList(bool listDisplay);
    void selectionChangedKeyboardListView(QObject* id, int newIndex) override;
    void scrollKeyboardListView(QObject* id, int newIndex) override { (void)id; (void)newIndex; }
    // A menu began / ended tracking: while one is open, a change of the
    // attached-device count closes it (checked every 0.1 s), and plug events
    // wait until it has closed.
    void menuWiiShowNotification(QMenu* menu);
    void menuDidHideNotification();

    // ----- connecting and recovery ---------------------------------------------
    void disconnectDevice(bool reflectUi);
    void setConnectedDeviceError(int32_t location) override;
    void plugInOffKeyboard();
    int runMessageBox(const QString& messageKey, const QString& okKey, const QString& cancelKey) override;

    // ----- tabs ------------------------------------------------------------------
    void selectFunctionTab(FunctionTab tab);
    void convertDeviceTabSelect();
    void clickTab(QObject* id) override;
    void clickTabMenuIcon(QObject* id) override;
    void metMLedTabBodyImage(LedColor inColor, bool inIndicator, bool inLogo) override;
    void setMSensorTabBodyImage(LoD inLoD) override;
    // The panel a tab position shows for the current device kind.
    FunctionPanel* panelFor(FunctionTab tab) const;

    // ----- firmware run, description packages, dialog mask ---------------------
    void execFirmwareUpdate() override;
    bool isExistSameDeviceType() const override;
    void appendKeyboardProfileList() override;
    void setDialogMask(bool enableMask) override;
    bool isDialogMaskUp() const override;
    QWidget* dialogReferenceWindow() override;
    void updateDialogMask(DeviceType deviceType);

    // ----- Send --------------------------------------------------------------------
    AppError onSaveTheKeyboard() override;
    void updateKeyboardSettingsChanged() override;

    // ----- window actions and menus --------------------------------------------
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
    void setHelpMenu(bool enableMenu) override;
    bool isHelpMenuEnabled() const override;
    void backgroundViewMouseDown(QObject* id) override;

    // ----- state -------------------------------------------------------------------
    std::vector<DeviceEnumEntry> deviceList;
    std::vector<DeviceEnumEntry> planeDeviceList;
    std::unique_ptr<DeviceEnumerator> keyEnum;
    int32_t conectDeviceLocation = -1;
    bool isFirmupdating = false;
    bool isFirmupdateEnding = false;
    // Updates run so far; the ending state's time limit belongs to one run.
    int firmwareRun = 0;
    // Longest time the ending state waits for the updated device to leave.
    static constexpr double kFirmupdateEndingLimit = 10.0;
    FunctionTab beforeTab = FunctionTab::None;
    bool selectOtherSetting = false;
    bool selectMOtherSetting = false;
    QHash<QString, QImage> mouseImages;
    std::optional<int> showMenuDeviceListCount;
    QTimer* pollingTimer = nullptr;

    // ----- the window ----------------------------------------------------------------
    MainView* mainView = nullptr;      // the window and its content view
    BackgroundView* mainHeaderView = nullptr;
    BackgroundView* mainFooterView = nullptr;
    MainTabBarView* tabBarView = nullptr;
    BackgroundView* keyboardSelectView = nullptr;
    QPointer<BackgroundView> maskView;
    TabMenuSettingView* apcTabMenuSelectView = nullptr;
    KeyboardErrorView* keyboardErrorView = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* sendButton = nullptr;
    QPushButton* saveProfileButton = nullptr;
    QPushButton* loadProfileButton = nullptr;
    QPushButton* selectKeybordButton = nullptr;
    QPushButton* keyboardListReturnButton = nullptr;
    QLabel* modelNameLabel = nullptr;
    QLabel* keyboardNameLabel = nullptr;
    QLabel* keyboardModelLabel = nullptr;
    QLabel* keyboardFirmwareLabel = nullptr;
    QToolButton* helpMenuButton = nullptr;
    QAction* aboutMenuItem = nullptr;
    QAction* userManualMenuItem = nullptr;
    QAction* qaManualMenuItem = nullptr;
    QAction* updateInfoMenuItem = nullptr;
    MainTabView* apcTabView = nullptr;
    MainTabView* keylockTabView = nullptr;
    MainTabView* settingTabView = nullptr;
    MainTabView* mouseButtonTabView = nullptr;
    MainTabView* mouseLedTabView = nullptr;
    MainTabView* mouseSensorTabView = nullptr;
    MainTabView* mouseOtherTabView = nullptr;
    std::unique_ptr<KeyboardListView> keyboardList;
    QPointer<KeyboardView> currentKeyboardView;
    // The open message box, or null.
    QWidget* dialogMessageBox() const { return DialogRegistry::current(DialogKind::MessageBox); }

    // The seven panels.
    std::unique_ptr<FunctionPanel> apcSettingContoller;
    std::unique_ptr<FunctionPanel> gamingSettingController;
    std::unique_ptr<FunctionPanel> otherSettingController;
    std::unique_ptr<FunctionPanel> mouseButtonSettingController;
    std::unique_ptr<FunctionPanel> mouseLedSettingController;
    std::unique_ptr<FunctionPanel> mouseSensorSettingController;
    std::unique_ptr<FunctionPanel> mouseOtherSettingController;

    // ----- seams -----------------------------------------------------------------------
    // Opens a link address (QDesktopServices when unset).
    std::function<void(const QString&)> openUrl;
    // The visible screen area for window placement; the window's screen when unset.
    std::function<std::optional<QRect>()> visibleScreenArea;
    // Told once that the device nodes cannot be opened (udev rule missing).
    bool permissionProblemShown = false;

private:
    void buildWindow();
    void initializeTabSetting();
    void initDialogItem();
    void connectKeyboardDevice(int index, const DeviceEnumEntry& entry,
                               const std::shared_ptr<KeyboardProfile>& keyProfile);
    void connectMouseDevice(int index, const DeviceEnumEntry& entry,
                            const std::shared_ptr<MouseProfile>& mouseProfile);
    bool filterUnusableEntries();
    bool isUsable(const DeviceEnumEntry& entry);
    QImage thumbnail(const DeviceEnumEntry& entry);
    void closeTabMenus();
    void closeShownTabMenu(bool buttonPopovers);
    void setTabLooks(const std::vector<MainTabView*>& row, int shownPosition);
    void placeBodyView(KeyboardView* view);
    void setModelLabels(const QString& prefix);
    // Steps shared by the keyboard and mouse connects, in their order.
    // False when the device could not be opened (the recovery has been
    // asked for). `awaitsFirmware`: the device asks for its firmware update
    // to be run again.
    template <class Entry>
    bool openForConnect(std::shared_ptr<Entry>& device, const DeviceEnumEntry& entry, const char* failureLog,
                        bool& awaitsFirmware);
    void adoptDevice(const std::shared_ptr<IDeviceEntry>& device, int32_t location, DeviceType type);
    void showConnectedHeader(const QString& modelPrefix, bool settingsReadable);
    void restoreTabAfterConnect(bool& pendingOtherTab, FunctionTab otherTab);
    void keepToOtherTab(FunctionTab otherTab);
    void finishConnect(const std::shared_ptr<IDeviceEntry>& device, int32_t location, bool awaitsFirmware);
    void openFailed(int32_t location, const char* logLine);
    void tellIfPermissionDenied(int32_t location);
    int runModalHook(const std::function<int(QWidget*)>& hook);
    void updateSelectButtonGeometry();
    // Gives the close button the keyboard focus and makes Send (while shown)
    // or else the profile save the next stop of the Tab key.
    void focusCloseButton();
    QRect maskContainerRect() const;

    // Holds a plug event (true: a device left) while a menu is open; false
    // when it is to be handled now.
    bool holdWhileMenuOpen(bool plugOff);
    // Hands the held plug events on in their order, unless a menu opened
    // again.
    void releaseHeldPlugEvents();
    bool menuTracking_ = false;
    std::vector<bool> heldPlugEvents_;

    // Automatic reconnects per location during one connect (see
    // setConnectedDeviceError); reset when the device leaves.
    std::map<int32_t, int> connectFailures_;
    bool devicesReady_ = false;
    // Device pictures by description object (held weakly: a description
    // that is gone cannot pass for a new one at the same address).
    std::map<const DeviceProfile*, std::pair<std::weak_ptr<DeviceProfile>, QImage>> thumbnails_;
    int connectDepth_ = 0;
    QRect tabAreaRect(DeviceType type) const;

    // ----- IDialogHost: what panels and dialogs see of the window -----------
public:
    QWidget* bodyView() override;
    QWidget* tabMenuAnchor(FunctionTab tab) override;
    TabMenuSettingView* apcModeStrip() override;
    bool isAnyDeviceListed() const override;
};
