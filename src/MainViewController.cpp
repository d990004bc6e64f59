#include "MainViewController.h"

#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "CustomControl/AppUtilUi.h"
#include "CustomControl/KeyboardListView.h"
#include "CustomControl/TabMenuView.h"
#include "Device/DeviceCall.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "DeviceListController.h"
#include "Dialog/DialogHooks.h"
#include "Dialog/DialogMessageBox.h"
#include "FunctionPanel/FunctionPanel.h"
#include "FunctionPanel/MouseSettingsRefresh.h"
#include "KeyboardView/KeyboardView.h"
#include "MainView.h"
#include "MainWindowRules.h"
#include "StartupFiles.h"
#include "Platform/Clock.h"
#include "UiLayout.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "XML/ApplicationProfile.h"
#include "XML/DefaultProfile.h"
#include "XML/KeyboardProfile.h"
#include "XML/MouseProfile.h"
#include "XML/MouseTabPictures.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <future>
#include <type_traits>

namespace {

const char* kUsersManualKey = "WebLink_DeviceManual";
const char* kFaqKey = "WebLink_DeviceFaq";
const char* kSupportKey = "WebLink_DeviceSupport";
// Shown before a mouse's model number.
const QString kMouseModelPrefix = QStringLiteral("VX");

// A keyboard without APC shows neither the APC nor the M-button tab: a
// selection of either goes to the gaming tab.
void leaveTabsWithoutApc()
{
    if (AppParam::functionTabSelect == FunctionTab::ApcSetting ||
        AppParam::functionTabSelect == FunctionTab::MButtonSetting)
        AppParam::functionTabSelect = FunctionTab::GamingSetting;
}

} // namespace

// =============================================================================
// Construction and start-up
// =============================================================================

MainViewController::MainViewController(QObject* parent)
    : QObject(parent),
      devices_(std::make_unique<DeviceListController>(*this))
{
    AppParam::mainController = this;
    DialogRegistry::setHost(this);
    ui::initAppImages();
    // The window first: the panels make their views in it, each when it is
    // first needed.
    buildWindow();
    tabs_.setPanelHost(*this);
}

MainViewController::~MainViewController()
{
    devices_->stopFollowing();
    // The panels go first and untie themselves from their views; the
    // window then deletes every view with itself.
    tabs_.releasePanels();
    w_.keyboardList.reset();
    delete w_.mainView;
    if (&DialogRegistry::host() == this)
        DialogRegistry::setHost(nullptr);
    if (AppParam::mainController == this)
        AppParam::mainController = nullptr;
}

MainViewController* MainViewController::instance()
{
    return dynamic_cast<MainViewController*>(AppParam::mainController);
}

void MainViewController::buildWindow()
{
    w_.buildWindow();
    w_.mainView->closeCheck = [this] { return windowClosing(); };
    w_.mainFooterView->setDelegate(this);
    w_.keyboardErrorView->openUrl = [this](const QString& url) {
        if (openUrl_)
            openUrl_(url);
        else
            QDesktopServices::openUrl(QUrl(url));
    };
    connect(w_.closeButton, &QPushButton::clicked, this, &MainViewController::closeButtonAction);
    connect(w_.sendButton, &QPushButton::clicked, this, &MainViewController::pushSendButton);
    connect(w_.saveProfileButton, &QPushButton::clicked, this, &MainViewController::buttonSaveClick);
    connect(w_.loadProfileButton, &QPushButton::clicked, this, &MainViewController::buttonLoadClick);
    connect(w_.selectKeybordButton, &QPushButton::clicked, this, &MainViewController::pushKeylist);
    connect(w_.aboutMenuItem, &QAction::triggered, this, &MainViewController::pushAboutMenu);
    connect(w_.userManualMenuItem, &QAction::triggered, this, &MainViewController::pushUsersManualMenu);
    connect(w_.qaManualMenuItem, &QAction::triggered, this, &MainViewController::pushQandAMenu);
    connect(w_.updateInfoMenuItem, &QAction::triggered, this, &MainViewController::pushUpdateInfoMenu);
    QMenu* menu = w_.helpMenuButton->menu();
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { devices_->menuWiiShowNotification(menu); });
    connect(menu, &QMenu::aboutToHide, this, [this] { devices_->menuDidHideNotification(); });

    initializeTabSetting();
    initDialogItem();
}

void MainViewController::initializeTabSetting()
{
    tabs_.buildViews(*w_.mainHeaderView, *this);
}

void MainViewController::initDialogItem()
{
    // The device-selection panel, parked below the window, with the strip.
    w_.buildDeviceSelection();
    connect(w_.keyboardListReturnButton, &QPushButton::clicked, this, &MainViewController::pushKeylistReturn);
    w_.keyboardList->delegate = devices_.get();
}

bool MainViewController::viewDidLoad()
{
    StartupFiles files = StartupFiles::atUsualPaths();
    return viewDidLoad(files);
}

bool MainViewController::viewDidLoad(StartupFiles& files)
{
    // The window has no placement of its own: it opens centred on the
    // screen unless the settings file holds one.
    AppParam::windowPlacement.normalPosition = QRectF();
    const auto defaults = files.takeDefaults();
    if (defaults.result != AppError::NoError)
        return false;
    DefaultProfile::applyToAppParam(defaults.profile);
    const auto settings = files.takeSettings();
    // Without a readable settings file the application starts with the
    // defaults; there is nothing to tell.
    (void)ApplicationProfile::load(settings.result, settings.profile);
    return true;
}

void MainViewController::viewWillAppear()
{
    selectFunctionTab(AppParam::functionTabSelect);

    // Window placement: the stored origin, moved back inside the screen, or
    // centred on the screen when none is stored. The size is always the
    // window's own.
    MainView* window = w_.mainView;
    const QRectF stored = AppParam::windowPlacement.normalPosition;
    const QSize size = window->frameGeometry().size().expandedTo(window->size());
    std::optional<QRect> visible;
    if (visibleScreenArea_)
        visible = visibleScreenArea_();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        visible = screen->availableGeometry();
    if (visible) {
        if (stored.isEmpty()) {
            const QRect placed = centredOnScreen(size, *visible);
            AppParam::windowPlacement.normalPosition = QRectF(placed);
            window->move(placed.topLeft());
        } else {
            const QRect placed = clampToScreen(QRectF(stored.topLeft(), QSizeF(size)), *visible);
            if (QPointF(placed.topLeft()) != stored.topLeft())
                AppParam::windowPlacement.normalPosition.moveTopLeft(QPointF(placed.topLeft()));
            window->move(placed.topLeft());
        }
    }
    AppParam::windowPlacement.normalPosition.setSize(QSizeF(window->size()));
    connect(window, &MainView::firstPaint, this, &MainViewController::windowSourceInitialized,
            Qt::QueuedConnection);
    // Where the window system does not paint the window (it is not mapped),
    // the devices are connected all the same.
    QTimer::singleShot(platform::scaledMs(platform::Seconds(0.5)), this,
                       &MainViewController::windowSourceInitialized);
    window->show();
}

void MainViewController::windowSourceInitialized()
{
    if (devicesReady_)
        return;
    devicesReady_ = true;
    devices_->initKeyboardEnum();
}

bool MainViewController::windowClosing()
{
    tabs_.closePopovers();
    if (devices_->isFirmupdating())
        return false;
    if (DialogRegistry::anyModalOpen())
        return false;
    if (AppParam::device && AppParam::device->isEnable() && AppParam::keyboardSettingsChanged) {
        if (AppUtil::messageBox(QStringLiteral("ApplicationExitCheck"), QStringLiteral("Yes"),
                                QStringLiteral("No")) == 0)
            return false;
    }
    // The application ends whatever the device answers; a failure (unsent
    // mouse changes not undone) is only logged.
    if (devices_->keyEnum() && AppParam::device && AppParam::device->close(true) != AppError::NoError)
        Logger::log("device close error.");
    // Keep the stored origin where the window system does not report one.
    const QPoint pos = w_.mainView->pos();
    const bool positionKnown = QGuiApplication::platformName() != QLatin1String("wayland");
    if (positionKnown)
        AppParam::windowPlacement.normalPosition = QRectF(QPointF(pos), QSizeF(w_.mainView->size()));
    else
        AppParam::windowPlacement.normalPosition.setSize(QSizeF(w_.mainView->size()));
    if (beforeTab_ != FunctionTab::None)
        AppParam::functionTabSelect = beforeTab_;
    // A file that cannot be written has been reported by the save itself.
    (void)ApplicationProfile::save();
    return true;
}

void MainViewController::applicationWillResignActive()
{
    tabs_.closeMenuOf(AppParam::functionTabSelect, false);
}

// =============================================================================
// Device list and hot-plug: the device list keeps them
// =============================================================================

void MainViewController::setConnectedDeviceError(int32_t location) { devices_->setConnectedDeviceError(location); }
bool MainViewController::isExistSameDeviceType() const { return devices_->isExistSameDeviceType(); }
void MainViewController::execFirmwareUpdate() { devices_->execFirmwareUpdate(); }
void MainViewController::appendKeyboardProfileList() { devices_->appendKeyboardProfileList(); }

void MainViewController::plugInOffKeyboard()
{
    DialogRegistry::closeAllForDeviceRemoval();
}

void MainViewController::displayKeyboardList(bool listDisplay)
{
    BackgroundView* panel = w_.keyboardSelectView;
    const int h = panel->height();
    auto* anim = new QPropertyAnimation(panel, "pos", panel);
    anim->setDuration(int(platform::scaledMs(platform::Seconds(0.5)).count()));
    if (listDisplay) {
        setDialogMask(true);
        if (w_.maskView)
            w_.maskView->setDelegate(this);
        panel->setParent(w_.maskView ? static_cast<QWidget*>(w_.maskView.data()) : w_.mainView);
        panel->move(0, panel->parentWidget()->height());
        panel->show();
        panel->raise();
        anim->setStartValue(panel->pos());
        anim->setEndValue(QPoint(0, panel->parentWidget()->height() - h));
        connect(anim, &QPropertyAnimation::finished, w_.keyboardListReturnButton,
                [b = QPointer<QPushButton>(w_.keyboardListReturnButton)] {
                    if (b)
                        b->setFocus();
                });
    } else {
        if (!panel->isVisible()) {
            delete anim;
            return;
        }
        anim->setStartValue(panel->pos());
        anim->setEndValue(QPoint(0, panel->parentWidget()->height()));
        connect(anim, &QPropertyAnimation::finished, this, [this, guard = QPointer<QWidget>(panel)] {
            if (!guard || instance() != this)
                return;
            guard->hide();
            guard->setParent(w_.mainView);
            if (w_.maskView)
                w_.maskView->setDelegate(nullptr);
            // The append dialog keeps its mask; otherwise it goes.
            if (DialogRegistry::current(DialogKind::AppendKeyboard))
                setDialogMask(true);
            else
                setDialogMask(false);
            focusCloseButton();
        });
    }
    anim->start(QAbstractAnimation::DeleteWhenStopped);
}

// =============================================================================
// Connecting and disconnecting
// =============================================================================

void MainViewController::connectDevice(int index)
{
    const auto& list = devices_->deviceList();
    if (index < 0 || index >= int(list.size())) {
        disconnectDevice(true);
        return;
    }
    DeviceEnumEntry entry = list[size_t(index)];
    if (entry.deviceLocation == conectDeviceLocation_)
        return;
    if (AppParam::keyboardSettingsChanged) {
        const bool connectedListed = devices_->entryAt(conectDeviceLocation_) != nullptr;
        if (!devices_->keyEnum() || connectedListed) {
            const AppError result = onSaveTheKeyboard();
            if (result != AppError::NoError && result != AppError::UiCancel)
                return;
            // Hot-plug is handled while the question is up: the picked
            // device may have left, moved to another place or been
            // connected meanwhile. The switch goes on only to the device
            // that was picked, still where it was; otherwise it is given up
            // and the connected device keeps its unsent changes, shown as
            // such, rather than having them marked as dropped while they
            // stay in it.
            const auto now = std::find_if(list.begin(), list.end(), [&](const DeviceEnumEntry& e) {
                return e.deviceLocation == entry.deviceLocation && e.modelNumber == entry.modelNumber;
            });
            if (now == list.end() || entry.deviceLocation == conectDeviceLocation_)
                return;
            index = int(now - list.begin());
            entry = *now;
            if (result == AppError::UiCancel) {
                setSettingsChanged(false);
                w_.keyboardList->select(index);
            }
        }
    }
    if (!entry.profile) {
        Logger::log("keybord profile not found.");
        return;
    }
    tabs_.closeMenus();
    if (auto kp = std::dynamic_pointer_cast<KeyboardProfile>(entry.profile))
        connectKeyboardDevice(index, entry, kp);
    else if (auto mp = std::dynamic_pointer_cast<MouseProfile>(entry.profile))
        connectMouseDevice(index, entry, mp);
}

template <class Entry>
bool MainViewController::openForConnect(std::shared_ptr<Entry>& device, const DeviceEnumEntry& entry,
                                        const char* failureLog)
{
    const AppError opened = device->open(uint32_t(entry.deviceLocation));
    // A device that asks for its firmware update is connected all the same;
    // the user is told once the connect is complete (finishConnect).
    if (opened != AppError::NoError && opened != AppError::AbortFirmwareUpdate) {
        device.reset();
        devices_->openFailed(entry.deviceLocation, failureLog);
        return false;
    }
    return true;
}

void MainViewController::adoptDevice(const std::shared_ptr<IDeviceEntry>& device, int32_t location, DeviceType type)
{
    AppParam::device = device;
    AppParam::selectDeviceLocation = location;
    conectDeviceLocation_ = location;
    AppParam::selectDeviceType = type;
    AppParam::functionApcSettingSelect = FunctionItem::None;
    AppParam::functionLedSettingSelect = FunctionItem::None;
    AppParam::keyDrawMode = KeyDrawFrom::None;
    AppParam::appCropMode = CropMode::None;
    AppParam::appKeyAnimation = KeyAnimation::None;
}

void MainViewController::showConnectedHeader(const QString& modelPrefix, bool settingsReadable)
{
    const auto& dev = AppParam::device;
    const auto model = dev->modelNumber();
    w_.showDevice(dev->modelName(), dev->firmwareVersion(),
                  model ? std::optional(modelNumberText(modelPrefix, *model)) : std::nullopt, settingsReadable);
    setHelpMenu(true);
}

void MainViewController::prepareTabs(DeviceType kind, bool settingsUsable, bool apc)
{
    tabs_.enable(kind, settingsUsable, apc);
    tabs_.forKind(kind, [](const FunctionTabs::Row& row) {
        row.view->update();
        row.view->setTabStatus(TabStatus::notActive);
    });
}

// A device that waits for its firmware update refuses every setting command
// until the update has run: it is shown on its Other tab, where the update
// is started, and the tab the user had comes back with the next connect.
void MainViewController::keepToOtherTab(FunctionTab otherTab)
{
    if (AppParam::functionTabSelect == otherTab)
        return;
    beforeTab_ = AppParam::functionTabSelect;
    AppParam::functionTabSelect = otherTab;
}

// A pending wish for the device's "other settings" tab wins; else the tab
// left when the previous device went away comes back.
void MainViewController::restoreTabAfterConnect(bool& pendingOtherTab, FunctionTab otherTab)
{
    convertDeviceTabSelect();
    if (pendingOtherTab) {
        AppParam::functionTabSelect = otherTab;
        beforeTab_ = FunctionTab::None;
        pendingOtherTab = false;
    } else if (beforeTab_ != FunctionTab::None) {
        AppParam::functionTabSelect = beforeTab_;
        beforeTab_ = FunctionTab::None;
    }
}

// Shows the picture, reads the device's settings and builds the panel again
// from them; a recovery on the way may replace the device, and then its own
// connect has done the rest. A device whose session start was refused asks
// for its firmware update to be run again: the user is told once the device
// is connected, and its settings are read only then. One that answers was
// refused once only and is used as any other; one that refuses them is held
// in its updater, where it refuses everything but the update: it stays
// connected on its Other tab, without a recovery, so that the update can be
// run.
template <class Entry>
void MainViewController::finishConnect(const std::shared_ptr<Entry>& device, int32_t location)
{
    w_.placeBody(currentKeyboardView_);
    const bool askedForUpdate = device->awaitsFirmwareUpdate();
    if (!askedForUpdate && device->loadDeviceParam() != AppError::NoError && AppParam::selectDeviceLocation != 0)
        setConnectedDeviceError(AppParam::selectDeviceLocation);
    if (!isCurrentDevice(device))
        return;
    selectFunctionTab(AppParam::functionTabSelect);
    if (!isCurrentDevice(device))
        return;
    devices_->connectSucceeded(location);
    if (!askedForUpdate)
        return;
    // Asked only now: while the box is up, hot-plug notices are handled, and
    // by now they find this device connected rather than half-opened.
    AppUtil::messageBox(QStringLiteral("RetryFirmwareUpdate"), QStringLiteral("OK"), QString());
    if (!isCurrentDevice(device))
        return;
    if (device->loadDeviceParam() != AppError::NoError) {
        Logger::log("device awaits its firmware update: settings not read.");
        return;
    }
    device->settingsAnswered();
    bool apc = true;
    if constexpr (std::is_same_v<Entry, KeyboardEntry>)
        apc = device->supportAPC;
    const DeviceType kind = device->deviceType();
    showConnectedHeader(kind == DeviceType::Mouse ? kMouseModelPrefix : QString(), true);
    prepareTabs(kind, true, apc);
    // The tab the user had, left for the Other tab, comes back.
    if (beforeTab_ != FunctionTab::None) {
        AppParam::functionTabSelect = beforeTab_;
        beforeTab_ = FunctionTab::None;
    }
    if (!apc)
        leaveTabsWithoutApc();
    selectFunctionTab(AppParam::functionTabSelect);
}

void MainViewController::connectKeyboardDevice(int, const DeviceEnumEntry& entry,
                                               const std::shared_ptr<KeyboardProfile>& keyProfile)
{
    // The pictures are read and decoded on a worker meanwhile (here, when no
    // thread can be had): opening the device waits for its replies and the
    // pacing anyway. Those of the window's pixel density.
    auto reading = std::async(std::launch::async | std::launch::deferred,
                              [keyProfile, ratio = w_.mainView->devicePixelRatioF()] {
                                  return keyProfile->getKeyboardPictures(ratio);
                              });
    auto kb = std::make_shared<KeyboardEntry>();
    if (kb->loadDescription(*keyProfile) != AppError::NoError)
        return;
    const DeviceListController::ConnectAttempt attempt(*devices_);
    if (!openForConnect(kb, entry, "keyboard open error."))
        return;
    const auto images = reading.get();
    if (images.keyBody.isNull() || images.keyButton.isNull()) {
        Logger::log("keybord image not found.");
        (void)kb->close(false);  // release the handle without device traffic
        return;
    }
    w_.keyboardErrorView->hide();
    disconnectDevice(false);

    adoptDevice(kb, entry.deviceLocation, DeviceType::Keyboard);

    tabs_.forKind(DeviceType::Keyboard, [&](const FunctionTabs::Row& row) {
        tabs_.panel(row).keyboardView()->setKeyboardImages(images.keyBody, images.keyButton);
    });
    showConnectedHeader(QString(), !kb->awaitsFirmwareUpdate());

    prepareTabs(DeviceType::Keyboard, !kb->awaitsFirmwareUpdate(), kb->supportAPC);
    for (auto* item : w_.apcTabMenuSelectView->findChildren<TabMenuSettingItemView*>())
        item->setTitleString(QString());

    restoreTabAfterConnect(selectOtherSetting_, FunctionTab::OtherSetting);
    if (kb->awaitsFirmwareUpdate())
        keepToOtherTab(FunctionTab::OtherSetting);
    else if (!kb->supportAPC)
        leaveTabsWithoutApc();

    selectFunctionTab(AppParam::functionTabSelect);
    if (!isCurrentDevice(kb))
        return;  // a recovery inside the panel set-up replaced the device
    updateDialogMask(DeviceType::Keyboard);
    tabs_.showKind(DeviceType::Keyboard);
    finishConnect(kb, entry.deviceLocation);
}

void MainViewController::connectMouseDevice(int, const DeviceEnumEntry& entry,
                                            const std::shared_ptr<MouseProfile>& mouseProfile)
{
    // The pictures are read and checked on a worker meanwhile (here, when no
    // thread can be had): opening the device waits for its replies and the
    // pacing anyway. The pictures go with the mouse's model, where its
    // panels find them; those of the window's pixel density. As soon as they
    // are read, one more worker decodes the first picture (MousePanelPicture)
    // of the panel at the place of the tab on show, where the mouse's panels
    // come as a rule, beside the check and on while the previous device is
    // let go and the panels are made; the worker hands back the checked
    // pictures with that decode under way. The others are decoded when a
    // panel first shows them.
    struct Read {
        std::shared_ptr<const MouseTabPictures> pictures;
        std::future<void> firstPicture;
    };
    const FunctionTab expected = tabs_.shownAt(DeviceType::Mouse, tabs_.positionOf(AppParam::functionTabSelect)).tab;
    auto unread = std::make_shared<const MouseEntry>();
    auto reading = std::async(std::launch::async | std::launch::deferred,
                              [mouseProfile, ratio = w_.mainView->devicePixelRatioF(), expected, unread] {
        Read read;
        AppError result = AppError::NoError;
        read.pictures = MouseTabPictures::load(*mouseProfile, mouseProfile->tabBodyImages, result, ratio,
                                               [&read, expected, unread](const MouseTabPictures& pictures) {
            read.firstPicture = std::async(std::launch::async | std::launch::deferred, [pictures, expected, unread] {
                MousePanelPicture::decodeFirstPicture(pictures, expected, *unread);
            });
        });
        return read;
    });
    auto mouse = std::make_shared<MouseEntry>();
    if (mouse->loadDescription(*mouseProfile) != AppError::NoError)
        return;
    const DeviceListController::ConnectAttempt attempt(*devices_);
    if (!openForConnect(mouse, entry, "mouse open error."))
        return;
    Read read;
    try {
        read = reading.get();
    } catch (...) {
        // A read or check that failed on its way (no memory, a tool that
        // could not be run) refuses the package as one that cannot be read.
    }
    mouse->tabPictures = read.pictures;
    if (!mouse->tabPictures) {
        Logger::log("mouse image not found.");
        (void)mouse->close(false);  // release the handle without device traffic
        return;
    }
    w_.keyboardErrorView->hide();
    disconnectDevice(false);

    adoptDevice(mouse, entry.deviceLocation, DeviceType::Mouse);

    // Its panels are built now; the one on show shows this mouse's picture
    // when it is set up for its tab (selectFunctionTab), where the others
    // let theirs go.
    tabs_.forKind(DeviceType::Mouse, [this](const FunctionTabs::Row& row) { (void)tabs_.panel(row); });
    showConnectedHeader(kMouseModelPrefix, !mouse->awaitsFirmwareUpdate());
    prepareTabs(DeviceType::Mouse, !mouse->awaitsFirmwareUpdate(), true);

    restoreTabAfterConnect(selectMOtherSetting_, FunctionTab::MOtherSetting);
    if (mouse->awaitsFirmwareUpdate())
        keepToOtherTab(FunctionTab::MOtherSetting);
    if (read.firstPicture.valid())
        read.firstPicture.wait();
    selectFunctionTab(AppParam::functionTabSelect);
    if (!isCurrentDevice(mouse))
        return;
    updateDialogMask(DeviceType::Mouse);
    selectOtherSetting_ = false;
    tabs_.showKind(DeviceType::Mouse);
    finishConnect(mouse, entry.deviceLocation);
}

void MainViewController::disconnectDevice(bool reflectUi)
{
    // The device is let go whatever it answers; a failure (unsent mouse
    // changes not undone) is only logged.
    if (AppParam::device &&
        AppParam::device->close(AppUtil::isConnectedDevice(conectDeviceLocation_)) != AppError::NoError)
        Logger::log("device close error.");
    conectDeviceLocation_ = -1;
    // "No device" is an empty entry of the kind last shown, never null: the
    // no-device window still shows that kind's tabs.
    if (AppParam::selectDeviceType == DeviceType::Mouse)
        AppParam::device = std::make_shared<MouseEntry>();
    else
        AppParam::device = std::make_shared<KeyboardEntry>();
    AppParam::keyboardSettingsChanged = false;
    if (!reflectUi || devices_->isFirmupdateEnding())
        return;

    if (devices_->deviceList().empty() && currentKeyboardView_) {
        for (const FunctionTabs::Row& row : tabs_.rows())
            if (row.made && row.made->keyboardView() == currentKeyboardView_)
                row.made->keyboardView()->setKeyboardImages(QImage(), QImage());
        currentKeyboardView_->hide();
    }
    w_.showNoDevice();
    displayKeyboardList(false);
    tabs_.closeMenus();
    setHelpMenu(true);

    // Without a device only the kind's other-settings tab can be used: it is
    // shown, and the tab the user had comes back with the next connect.
    const DeviceType kind =
        AppParam::device->deviceType() != DeviceType::Keyboard ? DeviceType::Mouse : DeviceType::Keyboard;
    if (kind == DeviceType::Mouse) {
        AppParam::functionMouseButtonSettingSelect = FunctionItem::None;
        tabs_.closePopovers();
    } else {
        AppParam::functionApcSettingSelect = FunctionItem::None;
        AppParam::functionLedSettingSelect = FunctionItem::None;
    }
    tabs_.enable(kind, false, false);
    tabs_.showKind(kind);
    const FunctionTab otherTab = tabs_.otherSettings(kind).tab;
    if (AppParam::functionTabSelect != otherTab) {
        beforeTab_ = AppParam::functionTabSelect;
        AppParam::functionTabSelect = otherTab;
        selectFunctionTab(otherTab);
    }
    if (kind == DeviceType::Keyboard)
        tabPanel(FunctionTab::OtherSetting)->enableMenuItem(false);
    updateKeyboardSettingsChanged();
}

int MainViewController::runMessageBox(const QString& messageKey, const QString& okKey, const QString& cancelKey)
{
    return DialogMessageBox::run(messageKey, okKey, cancelKey, w_.mainView);
}

QWidget* MainViewController::dialogReferenceWindow()
{
    return w_.mainView;
}

KeyboardListView& MainViewController::deviceStrip()
{
    return *w_.keyboardList;
}

// =============================================================================
// Tabs
// =============================================================================

DeviceType MainViewController::shownKind()
{
    return AppParam::device && AppParam::device->deviceType() == DeviceType::Mouse ? DeviceType::Mouse
                                                                                   : DeviceType::Keyboard;
}

std::unique_ptr<FunctionPanel> MainViewController::swapPanel(FunctionTab tab, std::unique_ptr<FunctionPanel> panel)
{
    return tabs_.swapPanel(tab, std::move(panel));
}

FunctionPanel* MainViewController::panelFor(FunctionTab tab) const
{
    return &tabs_.panel(tabs_.shownAt(shownKind(), tabs_.positionOf(tab)));
}

void MainViewController::selectFunctionTab(FunctionTab tab)
{
    AppParam::functionTabSelect = tab;
    const DeviceType kind = shownKind();
    const FunctionTabs::Row& row = tabs_.shownAt(kind, tabs_.positionOf(tab));
    FunctionPanel* panel = &tabs_.panel(row);
    w_.apcTabMenuSelectView->hide();
    tabs_.setLooks(kind, row.position);
    KeyboardView* view = panel->keyboardView();
    const auto device = AppParam::device;
    // Only the panel on show holds what its view alone needs (a mouse
    // panel's picture, 11 MB on a dense screen): the others of its row let
    // it go before it is set up.
    tabs_.forKind(kind, [panel](const FunctionTabs::Row& other) {
        if (other.made && other.made.get() != panel)
            other.made->tabHidden();
    });
    panel->initSetting();
    if (row.tab == FunctionTab::ApcSetting && isCurrentDevice(device)) {
        // Under the tab row rather than in it: the tabs keep their whole
        // click areas and the picture's frame is what the strip covers.
        w_.apcTabMenuSelectView->setGeometry(layout::kApcModeStrip.toRect());
        w_.apcTabMenuSelectView->show();
        w_.apcTabMenuSelectView->raise();
    }
    // A recovery inside the set-up may have selected a tab again; its choice
    // stands and this call's view is stale.
    if (!isCurrentDevice(device))
        return;
    if (currentKeyboardView_ && currentKeyboardView_ != view)
        currentKeyboardView_->hide();
    currentKeyboardView_ = view;
    if (w_.keyboardErrorView->isHidden()) {
        view->clearSelection();
        if (auto kb = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device))
            for (auto& key : kb->keytopList)
                key.select = false;
        w_.placeBody(view);
        if (w_.keyboardSelectView->isHidden())
            focusCloseButton();
    } else if (view) {
        view->hide();
    }
}

void MainViewController::focusCloseButton()
{
    // The keyboard starts from the close button and goes on to Send while
    // there is something to send, else to the profile save.
    w_.closeButton->setFocus(Qt::OtherFocusReason);
    QWidget::setTabOrder(w_.closeButton, w_.sendButton->isHidden() ? w_.saveProfileButton : w_.sendButton);
}

void MainViewController::convertDeviceTabSelect()
{
    if (AppParam::device && AppParam::device->deviceType() == DeviceType::Keyboard) {
        if (selectMOtherSetting_ && AppParam::functionTabSelect == FunctionTab::MOtherSetting) {
            AppParam::functionTabSelect = FunctionTab::OtherSetting;
            beforeTab_ = FunctionTab::None;
        }
        selectMOtherSetting_ = false;
    } else {
        selectOtherSetting_ = false;
    }
}

void MainViewController::clickTab(QObject* id)
{
    const FunctionTabs::Row* row = tabs_.find(id);
    if (!row) {
        selectFunctionTab(FunctionTab::None);
        return;
    }
    // Remembered per device kind: whether the user's last pick was the
    // other-settings tab.
    (row->kind == DeviceType::Keyboard ? selectOtherSetting_ : selectMOtherSetting_) = row->otherSettings;
    selectFunctionTab(row->tab);
}

void MainViewController::clickTabMenuIcon(QObject* id)
{
    const FunctionTabs::Row* row = tabs_.find(id);
    if (row && row->menu != FunctionTabs::Menu::None)
        tabs_.panel(*row).showMenuView(!devices_->deviceList().empty());
}

// =============================================================================
// Dialog mask
// =============================================================================

QRect MainViewController::tabAreaRect(DeviceType type) const
{
    const QRect r = tabs_.otherSettings(type).view->geometry();
    return {0, 0, r.x() + r.width(), r.height()};
}

void MainViewController::setDialogMask(bool enableMask)
{
    if (!enableMask) {
        w_.removeMask();
        return;
    }
    if (!w_.maskView) {
        const DeviceType type = AppParam::device && AppParam::device->deviceType() != DeviceType::Keyboard
                                    ? DeviceType::Mouse
                                    : DeviceType::Keyboard;
        w_.makeMask(tabView(FunctionTab::ApcSetting)->geometry().y(), tabAreaRect(type));
    }
    w_.maskView->show();
    w_.maskView->raise();
}

bool MainViewController::isDialogMaskUp() const
{
    return w_.maskView && !w_.maskView->isHidden();
}

void MainViewController::updateDialogMask(DeviceType deviceType)
{
    w_.setMaskTabArea(tabAreaRect(deviceType));
}

// =============================================================================
// Send
// =============================================================================

AppError MainViewController::onSaveTheKeyboard()
{
    const bool keyboard = AppParam::device->deviceType() == DeviceType::Keyboard;
    const QString question = keyboard ? QStringLiteral("CheckKeyboardSettingsSave")
                                      : QStringLiteral("CheckMouseSettingsSave");
    if (AppUtil::messageBox(question, QStringLiteral("Yes"), QStringLiteral("No")) != 1)
        return AppError::UiCancel;
    const auto device = AppParam::device;
    device->hidWait();
    const AppError result = device->CMD_RegistSetting();
    const CallOutcome outcome = settleDeviceCall(result, device);
    if (outcome == CallOutcome::Done) {
        device->hidWait();
        setSettingsChanged(false);
        return AppError::NoError;
    }
    // Stored, but the device was replaced meanwhile: the new one has
    // nothing unsent.
    if (result == AppError::NoError)
        return AppError::NoError;
    // Not stored. A failure has had the device connected again without a
    // word (its unsent changes gone with the old connection); a busy device
    // kept them. Either way the user asked for them to be stored and is
    // told that they were not.
    AppUtil::messageBox(QStringLiteral("FailedToStoreSettings"), QStringLiteral("OK"), QString());
    return result;
}

void MainViewController::updateKeyboardSettingsChanged()
{
    QPushButton* send = w_.sendButton;
    if (send->isHidden() != AppParam::keyboardSettingsChanged)
        return;
    send->setVisible(AppParam::keyboardSettingsChanged);
    if (AppParam::keyboardSettingsChanged) {
        const bool keyboard = AppParam::device && AppParam::device->deviceType() == DeviceType::Keyboard;
        send->setIcon(ui::appIcon(keyboard ? QStringLiteral("savekeyboard_KeyBoard_ICON")
                                           : QStringLiteral("savemouse_Mouse_ICON")));
    }
    QWidget::setTabOrder(w_.closeButton, AppParam::keyboardSettingsChanged ? send : w_.saveProfileButton);
}

// =============================================================================
// Window actions and menus
// =============================================================================

void MainViewController::closeButtonAction()
{
    w_.mainView->close();
}

void MainViewController::pushSendButton()
{
    tabs_.closePopovers();
    if (!AppParam::device || !AppParam::device->isEnable() || !AppParam::keyboardSettingsChanged)
        return;
    const DialogMaskScope masked(*this);
    // Every outcome has been dealt with inside: stored, declined, or
    // recovered from with the user told.
    (void)onSaveTheKeyboard();
}

int MainViewController::runModalHook(const std::function<int(QWidget*)>& hook)
{
    if (!hook)
        return 0;
    return runMaskedDialog(*this, [&] { return hook(w_.mainView); });
}

void MainViewController::buttonSaveClick()
{
    tabs_.closePopovers();
    const bool keyboard = AppParam::device->deviceType() == DeviceType::Keyboard;
    (void)runModalHook(keyboard ? dialogHooks().profileSave : dialogHooks().mProfileSave);
}

void MainViewController::buttonLoadClick()
{
    tabs_.closePopovers();
    const bool keyboard = AppParam::device->deviceType() == DeviceType::Keyboard;
    if (runModalHook(keyboard ? dialogHooks().profileLoad : dialogHooks().mProfileLoad) == 1)
        selectFunctionTab(AppParam::functionTabSelect);
}

void MainViewController::pushKeylist()
{
    tabs_.closePopovers();
    devices_->updateKeyboardListView(true);
    displayKeyboardList(true);
}

void MainViewController::pushKeylistReturn()
{
    displayKeyboardList(false);
}

void MainViewController::pushAboutMenu()
{
    tabs_.closeMenuOf(AppParam::functionTabSelect, true);
    if (dialogHooks().versionInfo)
        dialogHooks().versionInfo(w_.mainView);
}

void MainViewController::pushUsersManualMenu() { openLocalizedLink(QString::fromLatin1(kUsersManualKey), openUrl_); }
void MainViewController::pushQandAMenu() { openLocalizedLink(QString::fromLatin1(kFaqKey), openUrl_); }
void MainViewController::pushUpdateInfoMenu() { openLocalizedLink(QString::fromLatin1(kSupportKey), openUrl_); }

bool MainViewController::isHelpMenuEnabled() const
{
    return w_.userManualMenuItem->isEnabled();
}

void MainViewController::setHelpMenu(bool enableMenu)
{
    w_.userManualMenuItem->setEnabled(enableMenu);
    w_.qaManualMenuItem->setEnabled(enableMenu);
    w_.updateInfoMenuItem->setEnabled(enableMenu);
}

void MainViewController::backgroundViewMouseDown(QObject*)
{
    if (w_.keyboardSelectView->isVisible() && w_.keyboardSelectView->parentWidget() == w_.maskView)
        displayKeyboardList(false);
    if (w_.mainFooterView->isVisible())
        tabs_.closePopovers();
}

// =============================================================================
// IDialogHost: what panels and dialogs see of the window
// =============================================================================

QWidget* MainViewController::bodyView()
{
    return w_.mainView;
}

QWidget* MainViewController::tabMenuAnchor(FunctionTab tab)
{
    const FunctionTabs::Row* row = tabs_.find(tab);
    return row ? row->view : nullptr;
}

TabMenuSettingView* MainViewController::apcModeStrip()
{
    return w_.apcTabMenuSelectView;
}

bool MainViewController::isAnyDeviceListed() const
{
    return !devices_->deviceList().empty();
}
