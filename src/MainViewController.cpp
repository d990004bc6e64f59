#include "MainViewController.h"

#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "CustomControl/AppUtilUi.h"
#include "CustomControl/NKButton.h"
#include "CustomControl/TabMenuView.h"
#include "Device/KeyboardEntry.h"
#include "Device/MouseEntry.h"
#include "Dialog/DialogHooks.h"
#include "Dialog/DialogMessageBox.h"
#include "FunctionPanel/FunctionPanel.h"
#include "KeyboardView/KeyboardView.h"
#include "MainView.h"
#include "StartupFiles.h"
#include "Platform/Hid/HidBackend.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "XML/ApplicationProfile.h"
#include "XML/DefaultProfile.h"
#include "XML/KeyboardProfile.h"
#include "XML/MouseProfile.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include <future>

namespace {

QString tr_(const char* key) { return platform::localizedString(QString::fromLatin1(key)); }

QFont pixelFont(const QFont& base, int px, bool bold = false)
{
    QFont f = base;
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

QPushButton* makeButton(QWidget* parent, const char* key, const QRectF& frame)
{
    auto* b = new NKButton(tr_(key), parent);
    b->setColors(AppParam::OKButtonColor.toQColor(), AppParam::OKButtonHighlightColor.toQColor());
    b->setObjectName(QString::fromLatin1(key));
    b->setAccessibleName(b->text());
    b->setGeometry(frame.toRect());
    b->setFont(pixelFont(b->font(), layout::kButtonFont));
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

QLabel* makeLabel(QWidget* parent, const QRectF& frame, int px, bool bold = false)
{
    auto* l = new QLabel(parent);
    l->setGeometry(frame.toRect());
    l->setFont(pixelFont(l->font(), px, bold));
    return l;
}

const char* kUsersManualKey = "WebLink_DeviceManual";
const char* kFaqKey = "WebLink_DeviceFaq";
const char* kSupportKey = "WebLink_DeviceSupport";

} // namespace

// =============================================================================
// Construction and start-up
// =============================================================================

MainViewController::MainViewController(QObject* parent) : QObject(parent)
{
    AppParam::mainController = this;
    DialogRegistry::setHost(this);
    ui::initAppImages();
    PlugInKeyboard = [] {
        if (auto* main = instance())
            main->keyboardListChanged(true);
    };
    PlugOffKeyboard = [] {
        if (auto* main = instance()) {
            main->keyboardListChanged(true);
            main->isFirmupdateEnding = false;
        }
    };
    for (FunctionTab tab : {FunctionTab::ApcSetting, FunctionTab::GamingSetting, FunctionTab::OtherSetting,
                            FunctionTab::MButtonSetting, FunctionTab::MLedSetting, FunctionTab::MSensorSetting,
                            FunctionTab::MOtherSetting}) {
        auto panel = createFunctionPanel(tab, *this);
        switch (tab) {
        case FunctionTab::ApcSetting: apcSettingContoller = std::move(panel); break;
        case FunctionTab::GamingSetting: gamingSettingController = std::move(panel); break;
        case FunctionTab::OtherSetting: otherSettingController = std::move(panel); break;
        case FunctionTab::MButtonSetting: mouseButtonSettingController = std::move(panel); break;
        case FunctionTab::MLedSetting: mouseLedSettingController = std::move(panel); break;
        case FunctionTab::MSensorSetting: mouseSensorSettingController = std::move(panel); break;
        default: mouseOtherSettingController = std::move(panel); break;
        }
    }
    buildWindow();
}

MainViewController::~MainViewController()
{
    menuDidHideNotification();
    if (keyEnum) {
        keyEnum->plugInDeviceCallback = nullptr;
        keyEnum->plugOffDeviceCallback = nullptr;
    }
    // The panels' views live in the window; let the panels go first.
    apcSettingContoller.reset();
    gamingSettingController.reset();
    otherSettingController.reset();
    mouseButtonSettingController.reset();
    mouseLedSettingController.reset();
    mouseSensorSettingController.reset();
    mouseOtherSettingController.reset();
    keyboardList.reset();
    delete mainView;
    if (DialogRegistry::host() == this)
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
    mainView = new MainView;
    mainView->setWindowTitle(QStringLiteral("KOLVENTRA"));
    mainView->closeCheck = [this] { return windowClosing(); };

    // Header: black, a drag on it moves the window. Footer: presses on it
    // are reported (they close the open popovers).
    mainHeaderView = new BackgroundView(mainView);
    mainHeaderView->setObjectName(QStringLiteral("mainHeaderView"));
    mainHeaderView->setGeometry(layout::kMainHeader.toRect());
    mainHeaderView->setBackgroundColor(Qt::black);
    mainHeaderView->isMouseEvenThrough = true;
    mainFooterView = new BackgroundView(mainView);
    mainFooterView->setObjectName(QStringLiteral("mainFooterView"));
    mainFooterView->setGeometry(layout::kMainFooter.toRect());
    mainFooterView->setBackgroundColor(AppParam::BackgroundColor.toQColor());
    mainFooterView->isMouseEvenThrough = false;
    mainFooterView->isMoveWindow = false;
    mainFooterView->setDelegate(this);

    // Body between footer and header.
    mainView->bodyRect = QRect(0, int(layout::kMainHeader.bottom()), int(layout::kMainWindowSize.width()),
                               int(layout::kMainFooter.top() - layout::kMainHeader.bottom()));
    AppParam::mainFrame = QRectF(QPointF(0, 0), layout::kMainWindowSize);

    tabBarView = new MainTabBarView(mainHeaderView);
    tabBarView->setObjectName(QStringLiteral("tabBarView"));
    tabBarView->setGeometry(layout::kMainTabBar.toRect());

    modelNameLabel = makeLabel(mainHeaderView, layout::kModelNameLabel, layout::kHeaderTitleFont, true);
    modelNameLabel->setObjectName(QStringLiteral("modelNameLabel"));
    keyboardNameLabel = makeLabel(mainHeaderView, layout::kKeyboardNameLabel, layout::kHeaderLabelFont);
    keyboardNameLabel->setObjectName(QStringLiteral("keyboardNameLabel"));
    keyboardModelLabel = makeLabel(mainHeaderView, layout::kKeyboardModelLabel, layout::kHeaderLabelFont);
    keyboardModelLabel->setObjectName(QStringLiteral("keyboardModelLabel"));
    keyboardFirmwareLabel = makeLabel(mainHeaderView, layout::kKeyboardFirmwareLabel, layout::kHeaderLabelFont);
    keyboardFirmwareLabel->setObjectName(QStringLiteral("keyboardFirmwareLabel"));

    closeButton = makeButton(mainHeaderView, "CloseButton", layout::kCloseButton);
    closeButton->setText(QStringLiteral("\u2715"));
    connect(closeButton, &QPushButton::clicked, this, &MainViewController::closeButtonAction);
    sendButton = makeButton(mainHeaderView, "SendButton", layout::kSendButton);
    sendButton->hide();
    connect(sendButton, &QPushButton::clicked, this, &MainViewController::pushSendButton);
    saveProfileButton = makeButton(mainHeaderView, "SaveProfileButton", layout::kSaveProfileButton);
    connect(saveProfileButton, &QPushButton::clicked, this, &MainViewController::buttonSaveClick);
    loadProfileButton = makeButton(mainHeaderView, "LoadProfileButton", layout::kLoadProfileButton);
    connect(loadProfileButton, &QPushButton::clicked, this, &MainViewController::buttonLoadClick);

    selectKeybordButton = makeButton(mainFooterView, "KeyboardList",
                                     layout::kSelectKeyboardButton.translated(0, -layout::kMainFooter.top()));
    AppUtil::setAlignmentButton(selectKeybordButton, Qt::AlignRight, Qt::white);
    connect(selectKeybordButton, &QPushButton::clicked, this, &MainViewController::pushKeylist);

    keyboardErrorView = new KeyboardErrorView(mainView);
    keyboardErrorView->setGeometry(mainView->bodyRect);
    keyboardErrorView->openUrl = [this](const QString& url) {
        if (openUrl)
            openUrl(url);
        else
            QDesktopServices::openUrl(QUrl(url));
    };
    keyboardErrorView->hide();

    // The application menu, behind a button beside the close button: About
    // and the three help links.
    helpMenuButton = new QToolButton(mainHeaderView);
    helpMenuButton->setObjectName(QStringLiteral("helpMenuButton"));
    helpMenuButton->setText(QStringLiteral("\u2630"));
    helpMenuButton->setAccessibleName(tr_("MenuHelp"));
    helpMenuButton->setToolTip(tr_("MenuHelp"));
    helpMenuButton->setGeometry(layout::kHelpMenuButton.toRect());
    helpMenuButton->setFont(pixelFont(helpMenuButton->font(), layout::kButtonFont + 3));
    helpMenuButton->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(helpMenuButton);
    menu->setObjectName(QStringLiteral("helpMenu"));
    aboutMenuItem = menu->addAction(tr_("MenuAbout"), this, &MainViewController::pushAboutMenu);
    menu->addSeparator();
    userManualMenuItem = menu->addAction(tr_("MenuUsersManual"), this, &MainViewController::pushUsersManualMenu);
    qaManualMenuItem = menu->addAction(tr_("MenuQandA"), this, &MainViewController::pushQandAMenu);
    updateInfoMenuItem = menu->addAction(tr_("MenuUpdateInfo"), this, &MainViewController::pushUpdateInfoMenu);
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { menuWiiShowNotification(menu); });
    connect(menu, &QMenu::aboutToHide, this, &MainViewController::menuDidHideNotification);
    helpMenuButton->setMenu(menu);

    // The APC tab's selection strip (one row, no highlight) naming the APC
    // mode in force; shown straight under the APC tab while the APC panel is.
    // It only reports, so clicks pass through it to the picture below.
    const QRectF selectFrame(QPointF(0, 0), layout::kApcModeStrip.size());
    apcTabMenuSelectView = new TabMenuSettingView(selectFrame);
    apcTabMenuSelectView->setObjectName(QStringLiteral("apcTabMenuSelectView"));
    apcTabMenuSelectView->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* selectItem = new TabMenuSettingItemView(FunctionItem::None, QString(), selectFrame, apcTabMenuSelectView);
    selectItem->isHighlight = false;
    apcTabMenuSelectView->hide();

    initializeTabSetting();
    initDialogItem();
}

void MainViewController::initializeTabSetting()
{
    struct Row {
        MainTabView** outlet;
        const char* caption;
        const char* activeIcon;
        const char* notActiveIcon;
        bool triangle;
        std::vector<TabStatus> statuses;
        TabGradient gradient;
        FunctionTab function;
        int position;
    };
    using S = TabStatus;
    const Row rows[] = {
        {&apcTabView, "APC", "TAB_Icon_APC TAB active.png", "TAB_Icon_APC TAB not active.png", true, {S::active},
         TabGradient::none, FunctionTab::ApcSetting, 0},
        {&keylockTabView, "KeyLock", "TAB_Icon_Key Lock TAB active.png", "TAB_Icon_Key Lock TAB not active.png", false,
         {S::notActive, S::notActive}, TabGradient::left, FunctionTab::GamingSetting, 1},
        {&settingTabView, "OtherSetting", "TAB_Icon_Setting active.png", "TAB_Icon_Setting not active.png", true,
         {S::active, S::notActive}, TabGradient::left, FunctionTab::OtherSetting, 2},
        {&mouseButtonTabView, "ButtonTabCaption", "TAB_Icon_Button TAB active.png",
         "TAB_Icon_Button TAB not active.png", true, {S::active, S::notActive}, TabGradient::left,
         FunctionTab::MButtonSetting, 0},
        {&mouseLedTabView, "LEDTabCaption", "TAB_Icon_LED TAB active.png", "TAB_Icon_LED TAB not active.png", false,
         {S::active, S::notActive}, TabGradient::left, FunctionTab::MLedSetting, 1},
        {&mouseSensorTabView, "SensorTabCaption", "TAB_Icon_Sensor TAB active.png",
         "TAB_Icon_Sensor TAB not active.png", false, {S::active, S::notActive}, TabGradient::left,
         FunctionTab::MSensorSetting, 2},
        {&mouseOtherTabView, "OtherSetting", "TAB_Icon_Setting active.png", "TAB_Icon_Setting not active.png", true,
         {S::active, S::notActive}, TabGradient::left, FunctionTab::MOtherSetting, 3},
    };
    for (const Row& r : rows) {
        auto* tab = new MainTabView(mainHeaderView);
        tab->setObjectName(QStringLiteral("tab_") + QString::fromLatin1(r.caption));
        tab->setGeometry(layout::tabSlot(r.position).toRect());
        tab->setTitle(tr_(r.caption));
        tab->setAccessibleName(tab->title());
        tab->setActiveIcon(ui::appImage(QString::fromLatin1(r.activeIcon)));
        tab->setNotActiveIcon(ui::appImage(QString::fromLatin1(r.notActiveIcon)));
        if (r.triangle)
            tab->setTriangleIcon(ui::appImage(QStringLiteral("TriangleDown.png")));
        for (TabStatus status : r.statuses)
            tab->setTabStatus(status);
        tab->setTabGradient(r.gradient);
        tab->update();
        tab->setDelegate(this);
        tab->setFunction(r.function);
        *r.outlet = tab;
    }
    for (auto* t : {mouseButtonTabView, mouseLedTabView, mouseSensorTabView, mouseOtherTabView})
        t->hide();
}

void MainViewController::initDialogItem()
{
    // The device-selection panel, parked below the window.
    keyboardSelectView = new BackgroundView(mainView);
    keyboardSelectView->setObjectName(QStringLiteral("keyboardSelectView"));
    keyboardSelectView->setBackgroundColor(AppParam::BackgroundColor.toQColor());
    keyboardSelectView->isMoveWindow = false;
    keyboardSelectView->isMouseEvenThrough = false;
    keyboardSelectView->setGeometry(0, mainView->height(), int(layout::kKeyboardSelectView.width()),
                                    int(layout::kKeyboardSelectView.height()));
    keyboardSelectView->hide();
    keyboardListReturnButton = makeButton(keyboardSelectView, "Return", layout::kKeyboardListReturnButton);
    AppUtil::setAlignmentButton(keyboardListReturnButton, Qt::AlignRight, Qt::white);
    connect(keyboardListReturnButton, &QPushButton::clicked, this, &MainViewController::pushKeylistReturn);
    // Buttons fit their titles and keep their right edges; Return is 10 wider.
    const int returnWidth = keyboardListReturnButton->sizeHint().width() + 10;
    keyboardListReturnButton->setGeometry(int(layout::kKeyboardListReturnRight) - returnWidth,
                                          keyboardListReturnButton->y(), returnWidth,
                                          keyboardListReturnButton->height());
    updateSelectButtonGeometry();

    // The device strip: two tiles visible, its root at the panel's bottom.
    keyboardList = std::make_unique<KeyboardListView>();
    keyboardList->_viewingItems = 2;
    keyboardList->leftButton()->setEnabled(false);
    keyboardList->rightButton()->setEnabled(false);
    keyboardList->delegate = this;
    QWidget* strip = keyboardList->keyboardListView();
    strip->setParent(keyboardSelectView);
    strip->move(int(layout::kKeyboardListStripX), keyboardSelectView->height() - strip->height());
    strip->show();
}

void MainViewController::updateSelectButtonGeometry()
{
    const int w = selectKeybordButton->sizeHint().width();
    selectKeybordButton->setGeometry(int(layout::kSelectKeyboardButtonRight) - w, selectKeybordButton->y(), w,
                                     selectKeybordButton->height());
}

bool MainViewController::viewDidLoad()
{
    StartupFiles files = StartupFiles::atUsualPaths();
    return viewDidLoad(files);
}

bool MainViewController::viewDidLoad(StartupFiles& files)
{
    AppParam::windowPlacement.normalPosition = QRectF(mainView->geometry());
    AppParam::windowPlacement.normalPosition.setSize(layout::kMainWindowSize);
    const auto defaults = files.takeDefaults();
    if (defaults.result != AppError::NoError)
        return false;
    DefaultProfile::applyToAppParam(defaults.profile);
    const auto settings = files.takeSettings();
    (void)ApplicationProfile::load(settings.result, settings.profile);
    return true;
}

QRect MainViewController::clampToScreen(const QRect& stored, const QRect& visible)
{
    int x = stored.x();
    int y = stored.y();
    if (x + stored.width() > visible.x() + visible.width())
        x -= x + stored.width() - (visible.x() + visible.width());
    if (y + stored.height() > visible.y() + visible.height())
        y -= y + stored.height() - (visible.y() + visible.height());
    x = std::max(x, visible.x());
    y = std::max(y, visible.y());
    return {x, y, stored.width(), stored.height()};
}

void MainViewController::viewWillAppear()
{
    currentKeyboardView = apcSettingContoller->keyboardView();
    selectFunctionTab(AppParam::functionTabSelect);

    // Window placement: the stored origin, moved back inside the screen. The
    // size is always the window's own.
    const QRectF stored = AppParam::windowPlacement.normalPosition;
    std::optional<QRect> visible;
    if (visibleScreenArea)
        visible = visibleScreenArea();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        visible = screen->availableGeometry();
    if (visible) {
        QRect r(stored.topLeft().toPoint(), mainView->frameGeometry().size().expandedTo(mainView->size()));
        const QRect placed = clampToScreen(r, *visible);
        if (placed.topLeft() != r.topLeft())
            AppParam::windowPlacement.normalPosition.moveTopLeft(placed.topLeft());
        mainView->move(placed.topLeft());
    }
    AppParam::windowPlacement.normalPosition.setSize(QSizeF(mainView->size()));
    connect(mainView, &MainView::firstPaint, this, &MainViewController::windowSourceInitialized,
            Qt::QueuedConnection);
    // Where the window system does not paint the window (it is not mapped),
    // the devices are connected all the same.
    QTimer::singleShot(int(platform::scaled(platform::Seconds(0.5)).count() * 1000), this,
                       &MainViewController::windowSourceInitialized);
    mainView->show();
}

void MainViewController::windowSourceInitialized()
{
    if (devicesReady_)
        return;
    devicesReady_ = true;
    initKeyboardEnum();
}

bool MainViewController::windowClosing()
{
    if (mouseButtonSettingController)
        mouseButtonSettingController->allPopoverMenuClose();
    if (isFirmupdating)
        return false;
    if (DialogRegistry::anyModalOpen())
        return false;
    if (AppParam::device && AppParam::device->isEnable() && AppParam::keyboardSettingsChanged) {
        if (AppUtil::messageBox(QStringLiteral("ApplicationExitCheck"), QStringLiteral("Yes"),
                                QStringLiteral("No")) == 0)
            return false;
    }
    if (keyEnum && AppParam::device)
        (void)AppParam::device->close(true);
    // Keep the stored origin where the window system does not report one.
    const QPoint pos = mainView->pos();
    const bool positionKnown = QGuiApplication::platformName() != QLatin1String("wayland");
    if (positionKnown)
        AppParam::windowPlacement.normalPosition = QRectF(QPointF(pos), QSizeF(mainView->size()));
    else
        AppParam::windowPlacement.normalPosition.setSize(QSizeF(mainView->size()));
    if (beforeTab != FunctionTab::None)
        AppParam::functionTabSelect = beforeTab;
    (void)ApplicationProfile::save();
    return true;
}

void MainViewController::applicationWillResignActive()
{
    closeShownTabMenu(false);
}

// Closes the menu of the tab on show if it is open; with `buttonPopovers`
// also the mouse button panel's pop-up menus when that tab is on show.
void MainViewController::closeShownTabMenu(bool buttonPopovers)
{
    switch (AppParam::functionTabSelect) {
    case FunctionTab::ApcSetting:
        if (apcSettingContoller->isMenuViewShown())
            apcSettingContoller->closeMenuView(false);
        break;
    case FunctionTab::OtherSetting:
        if (otherSettingController->isMenuViewShown())
            otherSettingController->closeMenuView(true);
        break;
    case FunctionTab::MOtherSetting:
        if (mouseOtherSettingController->isMenuViewShown())
            mouseOtherSettingController->closeMenuView(true);
        break;
    case FunctionTab::MButtonSetting:
        if (buttonPopovers)
            mouseButtonSettingController->allPopoverMenuClose();
        break;
    default: break;
    }
}

// =============================================================================
// Device list and hot-plug
// =============================================================================

void MainViewController::initKeyboardEnum()
{
    keyEnum = std::make_unique<DeviceEnumerator>();
    (void)keyEnum->enumDeviceProfile(false);
    updateDevicePathList();
    keyEnum->startPolling();

    int index = -1;
    for (size_t i = 0; i < deviceList.size(); ++i)
        if (deviceList[i].deviceLocation == AppParam::selectDeviceLocation) {
            index = int(i);
            break;
        }
    if (index < 0 && !deviceList.empty())
        index = 0;
    if (index >= 0 && !deviceList[size_t(index)].profile) {
        for (size_t i = 0; i < deviceList.size(); ++i)
            if (deviceList[i].profile) {
                index = int(i);
                break;
            }
    }
    connectDevice(index);
    updateKeyboardListView(false);
    keyEnum->plugInDeviceCallback = [] {
        if (auto* main = instance(); main && main->PlugInKeyboard)
            main->PlugInKeyboard();
    };
    keyEnum->plugOffDeviceCallback = [] {
        if (auto* main = instance(); main && main->PlugOffKeyboard)
            main->PlugOffKeyboard();
    };
}

void MainViewController::updateDevicePathList()
{
    if (!keyEnum)
        return;
    planeDeviceList = keyEnum->syncDeviceList(keyEnum->GetDevicePathList(), planeDeviceList);
    deviceList.clear();
    for (const auto& e : planeDeviceList)
        if (e.isEnable)
            deviceList.push_back(e);
    // A device that left the bus may be retried afresh when it comes back.
    for (auto it = connectFailures_.begin(); it != connectFailures_.end();) {
        const bool present = std::any_of(planeDeviceList.begin(), planeDeviceList.end(),
                                         [&](const DeviceEnumEntry& e) { return e.deviceLocation == it->first; });
        it = present ? std::next(it) : connectFailures_.erase(it);
    }
}

QImage MainViewController::thumbnail(const DeviceEnumEntry& entry)
{
    if (!std::dynamic_pointer_cast<KeyboardProfile>(entry.profile) &&
        !std::dynamic_pointer_cast<MouseProfile>(entry.profile))
        return {};
    // Reading a picture from its package is slow; a description object's
    // picture does not change, and re-reading the descriptions makes new ones.
    const DeviceProfile* key = entry.profile.get();
    auto it = thumbnails_.find(key);
    if (it == thumbnails_.end() || it->second.first.expired()) {
        thumbnails_.erase(key);
        it = thumbnails_.emplace(key, std::make_pair(std::weak_ptr<DeviceProfile>(entry.profile),
                                                     entry.profile->getDeviceThumbImage())).first;
    }
    return it->second.second;
}

bool MainViewController::isUsable(const DeviceEnumEntry& entry)
{
    return !thumbnail(entry).isNull();
}

// Removes unusable entries from deviceList. When the connected device turns
// out unusable, the list is rebuilt by a nested keyboardListChanged, which
// also reconnects; the outer walk then ends (returns true) and leaves the
// rest to that nested run.
bool MainViewController::filterUnusableEntries()
{
    for (size_t i = 0; i < deviceList.size();) {
        if (isUsable(deviceList[i])) {
            ++i;
            continue;
        }
        if (deviceList[i].deviceLocation == conectDeviceLocation) {
            conectDeviceLocation = -1;
            if (keyEnum)
                (void)keyEnum->enumDeviceProfile(true);
            keyboardListChanged(true);
            return true;
        }
        deviceList.erase(deviceList.begin() + std::ptrdiff_t(i));
    }
    return false;
}

void MainViewController::keyboardListChanged(bool autoDetect)
{
    if (isFirmupdating || isFirmupdateEnding)
        return;
    const int32_t c0 = conectDeviceLocation;
    int i0 = -1;
    for (size_t i = 0; i < deviceList.size(); ++i)
        if (deviceList[i].deviceLocation == AppParam::selectDeviceLocation) {
            i0 = int(i);
            break;
        }
    updateDevicePathList();
    // The connected device was unplugged; if it is back at the same place it
    // looks unchanged in the list, but its session is gone with the old
    // node. It is let go without traffic and connected afresh below.
    const bool replugged = conectDeviceLocation != -1 && AppParam::device && AppParam::device->hidWasRemoved();
    if (replugged) {
        (void)AppParam::device->close(false);
        disconnectDevice(false);
    }
    if (filterUnusableEntries())
        return;

    int index = -1;
    for (size_t i = 0; i < deviceList.size(); ++i)
        if (deviceList[i].deviceLocation == AppParam::selectDeviceLocation) {
            index = int(i);
            break;
        }
    if (index < 0 && autoDetect && !deviceList.empty()) {
        index = std::max(0, std::min(i0, int(deviceList.size()) - 1));
        // Blocks without processing events, so that no plug event re-enters
        // the list update meanwhile.
        platform::sleepFor(platform::Seconds(1.5));
    }
    connectDevice(index);
    updateKeyboardListView(false);
    if (replugged || conectDeviceLocation != c0)
        plugInOffKeyboard();
}

void MainViewController::connectDevice(int index)
{
    if (index < 0 || index >= int(deviceList.size())) {
        disconnectDevice(true);
        return;
    }
    const DeviceEnumEntry entry = deviceList[size_t(index)];
    if (entry.deviceLocation == conectDeviceLocation)
        return;
    if (AppParam::keyboardSettingsChanged) {
        const bool connectedListed =
            std::any_of(deviceList.begin(), deviceList.end(),
                        [&](const DeviceEnumEntry& e) { return e.deviceLocation == conectDeviceLocation; });
        if (!keyEnum || connectedListed) {
            const AppError result = onSaveTheKeyboard();
            if (result == AppError::UiCancel) {
                AppParam::keyboardSettingsChanged = false;
                updateKeyboardSettingsChanged();
                keyboardList->select(index);
            } else if (result != AppError::NoError) {
                return;
            }
        }
    }
    if (!entry.profile) {
        Logger::log("keybord profile not found.");
        return;
    }
    closeTabMenus();
    if (auto kp = std::dynamic_pointer_cast<KeyboardProfile>(entry.profile))
        connectKeyboardDevice(index, entry, kp);
    else if (auto mp = std::dynamic_pointer_cast<MouseProfile>(entry.profile))
        connectMouseDevice(index, entry, mp);
}

void MainViewController::closeTabMenus()
{
    if (apcSettingContoller->isMenuViewShown())
        apcSettingContoller->closeMenuView(false);
    if (otherSettingController->isMenuViewShown())
        otherSettingController->closeMenuView(true);
    if (mouseOtherSettingController->isMenuViewShown())
        mouseOtherSettingController->closeMenuView(true);
    mouseButtonSettingController->allPopoverMenuClose();
}

void MainViewController::selectionChangedKeyboardListView(QObject*, int newIndex)
{
    if (newIndex < int(deviceList.size()))
        connectDevice(newIndex);
}

void MainViewController::updateKeyboardListView(bool openView)
{
    keyboardList->removeAllItem();
    if (filterUnusableEntries())
        return;
    for (size_t i = 0; i < deviceList.size(); ++i) {
        const auto& e = deviceList[i];
        QImage thumb = thumbnail(e);
        AppUtil::convertImageSizeToDpi72(thumb);
        auto* item = new KeyboardListItem;
        item->labelText->setText(QStringLiteral("Entry_%1").arg(i));
        item->setDefaultImage(QPixmap::fromImage(thumb));
        item->view()->setAccessibleName(e.profile ? e.profile->name : QString());
        const bool selected = e.deviceLocation == conectDeviceLocation;
        item->isSelected = selected;
        item->view()->isSelected = selected;
        item->view()->update();
        keyboardList->addItem(item);
    }
    keyboardList->DisplayItemAtIndexCheck(openView);
    if (deviceList.empty())
        disconnectDevice(true);
}

void MainViewController::displayKeyboardList(bool listDisplay)
{
    const int h = keyboardSelectView->height();
    auto* anim = new QPropertyAnimation(keyboardSelectView, "pos", keyboardSelectView);
    anim->setDuration(int(platform::scaled(platform::Seconds(0.5)).count() * 1000));
    if (listDisplay) {
        setDialogMask(true);
        if (maskView)
            maskView->setDelegate(this);
        keyboardSelectView->setParent(maskView ? static_cast<QWidget*>(maskView.data()) : mainView);
        keyboardSelectView->move(0, keyboardSelectView->parentWidget()->height());
        keyboardSelectView->show();
        keyboardSelectView->raise();
        anim->setStartValue(keyboardSelectView->pos());
        anim->setEndValue(QPoint(0, keyboardSelectView->parentWidget()->height() - h));
        connect(anim, &QPropertyAnimation::finished, keyboardListReturnButton,
                [b = QPointer<QPushButton>(keyboardListReturnButton)] {
                    if (b)
                        b->setFocus();
                });
    } else {
        if (!keyboardSelectView->isVisible()) {
            delete anim;
            return;
        }
        anim->setStartValue(keyboardSelectView->pos());
        anim->setEndValue(QPoint(0, keyboardSelectView->parentWidget()->height()));
        QPointer<QWidget> panel(keyboardSelectView);
        connect(anim, &QPropertyAnimation::finished, this, [this, panel] {
            if (!panel || instance() != this)
                return;
            panel->hide();
            panel->setParent(mainView);
            if (maskView)
                maskView->setDelegate(nullptr);
            // The append dialog keeps its mask; otherwise it goes.
            if (DialogRegistry::current(DialogKind::AppendKeyboard))
                setDialogMask(true);
            else
                setDialogMask(false);
            closeButton->setFocus();
        });
    }
    anim->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainViewController::menuWiiShowNotification(QMenu* menu)
{
    if (!keyEnum)
        return;
    showMenuDeviceListCount = int(keyEnum->GetDevicePathList().size());
    if (!pollingTimer) {
        pollingTimer = new QTimer(this);
        pollingTimer->setInterval(int(platform::scaled(platform::Seconds(0.1)).count() * 1000));
        connect(pollingTimer, &QTimer::timeout, this, [this, m = QPointer<QMenu>(menu)] {
            if (!showMenuDeviceListCount || !keyEnum)
                return;
            if (int(keyEnum->GetDevicePathList().size()) == *showMenuDeviceListCount)
                return;
            menuDidHideNotification();
            if (m)
                m->close();
        });
    }
    pollingTimer->start();
}

void MainViewController::menuDidHideNotification()
{
    showMenuDeviceListCount.reset();
    if (pollingTimer) {
        pollingTimer->stop();
        pollingTimer->deleteLater();
        pollingTimer = nullptr;
    }
}

// =============================================================================
// Connecting and disconnecting
// =============================================================================

void MainViewController::tellIfPermissionDenied(int32_t location)
{
    if (permissionProblemShown)
        return;
    platform::hid::Status status = platform::hid::Status::NoDevice;
    auto probe = platform::hid::backend().open(uint32_t(location), platform::hid::UsagePair{0xFF00, 1},
                                               /*seize*/ false, status);
    probe.reset();
    if (status != platform::hid::Status::NotPermitted)
        return;
    permissionProblemShown = true;
    AppUtil::messageBox(QStringLiteral("DevicePermissionDenied"), QStringLiteral("OK"), QString());
}

void MainViewController::openFailed(int32_t location, const char* logLine)
{
    Logger::log(std::string(logLine));
    tellIfPermissionDenied(location);
    setConnectedDeviceError(location);
}

QString MainViewController::modelNumberText(const QString& prefix, const QString& model)
{
    // Six characters of model, then the revision; a shorter number whole.
    const QString text = model.size() >= 6 ? prefix + model.left(6) + QStringLiteral(" Rev ") + model.mid(6)
                                           : prefix + model;
    return tr_("ModelNumber") + QLatin1Char(' ') + text;
}

void MainViewController::setModelLabels(const QString& prefix)
{
    const auto& dev = AppParam::device;
    modelNameLabel->setText(dev->modelName() +
                            (dev->firmwareVersion() ? QStringLiteral("  ") + dev->firmwareVersion()->toUpper()
                                                    : QString()));
    selectKeybordButton->show();
    keyboardNameLabel->setText(dev->modelName());
    if (const auto model = dev->modelNumber())
        keyboardModelLabel->setText(modelNumberText(prefix, *model));
    if (const auto fw = dev->firmwareVersion())
        keyboardFirmwareLabel->setText(tr_("FirmwareVersion") + QStringLiteral("  ") + fw->toUpper());
}

// Counts the connects in progress for as long as one runs.
struct ConnectDepth {
    explicit ConnectDepth(int& depth) : d(depth) { ++d; }
    ~ConnectDepth() { --d; }
    int& d;
};

template <class Entry>
bool MainViewController::openForConnect(std::shared_ptr<Entry>& device, const DeviceEnumEntry& entry,
                                        const char* failureLog)
{
    const AppError opened = device->open(uint32_t(entry.deviceLocation));
    if (opened == AppError::AbortFirmwareUpdate) {
        AppUtil::messageBox(QStringLiteral("RetryFirmwareUpdate"), QStringLiteral("OK"), QString());
    } else if (opened != AppError::NoError) {
        device.reset();
        openFailed(entry.deviceLocation, failureLog);
        return false;
    }
    return true;
}

void MainViewController::adoptDevice(const std::shared_ptr<IDeviceEntry>& device, int32_t location, DeviceType type)
{
    AppParam::device = device;
    AppParam::selectDeviceLocation = location;
    conectDeviceLocation = location;
    AppParam::selectDeviceType = type;
    AppParam::functionApcSettingSelect = FunctionItem::None;
    AppParam::functionLedSettingSelect = FunctionItem::None;
    AppParam::keyDrawMode = KeyDrawFrom::None;
    AppParam::appCropMode = CropMode::None;
    AppParam::appKeyAnimation = KeyAnimation::None;
}

void MainViewController::showConnectedHeader(const QString& modelPrefix)
{
    setModelLabels(modelPrefix);
    setHelpMenu(true);
    sendButton->hide();
    saveProfileButton->setEnabled(true);
    loadProfileButton->setEnabled(true);
}

// A pending wish for the device's "other settings" tab wins; else the tab
// left when the previous device went away comes back.
void MainViewController::restoreTabAfterConnect(bool& pendingOtherTab, FunctionTab otherTab)
{
    convertDeviceTabSelect();
    if (pendingOtherTab) {
        AppParam::functionTabSelect = otherTab;
        beforeTab = FunctionTab::None;
        pendingOtherTab = false;
    } else if (beforeTab != FunctionTab::None) {
        AppParam::functionTabSelect = beforeTab;
        beforeTab = FunctionTab::None;
    }
}

// Shows the picture, reads the device's settings and builds the panel again
// from them; a recovery on the way may replace the device, and then its own
// connect has done the rest.
void MainViewController::finishConnect(const std::shared_ptr<IDeviceEntry>& device, int32_t location)
{
    placeBodyView(currentKeyboardView);
    if (device->loadDeviceParam() != AppError::NoError && AppParam::selectDeviceLocation != 0)
        setConnectedDeviceError(AppParam::selectDeviceLocation);
    if (AppParam::device != device)
        return;
    selectFunctionTab(AppParam::functionTabSelect);
    if (AppParam::device == device)
        connectFailures_.erase(location);
}

void MainViewController::connectKeyboardDevice(int, const DeviceEnumEntry& entry,
                                               const std::shared_ptr<KeyboardProfile>& keyProfile)
{
    // The pictures are read and decoded on a worker meanwhile (here, when no
    // thread can be had): opening the device waits for its replies and the
    // pacing anyway.
    auto reading = std::async(std::launch::async | std::launch::deferred,
                              [keyProfile] { return keyProfile->getKeyboardImage(); });
    auto kb = std::make_shared<KeyboardEntry>();
    if (kb->loadDescription(*keyProfile) != AppError::NoError)
        return;
    const ConnectDepth depth(connectDepth_);
    if (!openForConnect(kb, entry, "keyboard open error."))
        return;
    const auto images = reading.get();
    if (images.keyBody.isNull() || images.keyButton.isNull()) {
        Logger::log("keybord image not found.");
        (void)kb->close(false);  // release the handle without device traffic
        return;
    }
    keyboardErrorView->hide();
    disconnectDevice(false);

    adoptDevice(kb, entry.deviceLocation, DeviceType::Keyboard);

    for (FunctionPanel* p : {apcSettingContoller.get(), gamingSettingController.get(), otherSettingController.get()})
        p->keyboardView()->setKeyboardImages(images.keyBody, images.keyButton);
    showConnectedHeader(QString());

    apcTabView->setTabEnabled(kb->supportAPC);
    keylockTabView->setTabEnabled(true);
    settingTabView->setTabEnabled(true);
    for (auto* t : {apcTabView, keylockTabView, settingTabView}) {
        t->update();
        t->setTabStatus(TabStatus::notActive);
    }
    for (auto* item : apcTabMenuSelectView->findChildren<TabMenuSettingItemView*>()) {
        item->titleString = QString();
        item->update();
    }

    restoreTabAfterConnect(selectOtherSetting, FunctionTab::OtherSetting);
    if (!kb->supportAPC && (AppParam::functionTabSelect == FunctionTab::ApcSetting ||
                            AppParam::functionTabSelect == FunctionTab::MButtonSetting))
        AppParam::functionTabSelect = FunctionTab::GamingSetting;

    selectFunctionTab(AppParam::functionTabSelect);
    if (AppParam::device != kb)
        return;  // a recovery inside the panel set-up replaced the device
    updateDialogMask(DeviceType::Keyboard);
    for (auto* t : {apcTabView, keylockTabView, settingTabView})
        t->show();
    for (auto* t : {mouseButtonTabView, mouseLedTabView, mouseSensorTabView, mouseOtherTabView})
        t->hide();
    finishConnect(kb, entry.deviceLocation);
}

void MainViewController::connectMouseDevice(int, const DeviceEnumEntry& entry,
                                            const std::shared_ptr<MouseProfile>& mouseProfile)
{
    // The pictures are read and decoded on a worker meanwhile (here, when no
    // thread can be had), into a scratch map (the current mouse keeps its
    // pictures on failure): opening the device waits for its replies and the
    // pacing anyway.
    auto reading = std::async(std::launch::async | std::launch::deferred, [mouseProfile] {
        QHash<QString, QImage> pictures;
        const AppError read = mouseProfile->LoadMouseTabImages(pictures);
        return std::make_pair(read, std::move(pictures));
    });
    auto mouse = std::make_shared<MouseEntry>();
    if (mouse->loadDescription(*mouseProfile) != AppError::NoError)
        return;
    const ConnectDepth depth(connectDepth_);
    if (!openForConnect(mouse, entry, "mouse open error."))
        return;
    auto [read, images] = reading.get();
    if (read != AppError::NoError) {
        Logger::log("mouse image not found.");
        (void)mouse->close(false);
        return;
    }
    keyboardErrorView->hide();
    disconnectDevice(false);
    mouseImages = std::move(images);

    adoptDevice(mouse, entry.deviceLocation, DeviceType::Mouse);

    const auto& names = mouseProfile->tabBodyImages;
    const std::pair<FunctionPanel*, QString> pictures[] = {
        {mouseButtonSettingController.get(), names.buttonTab},
        {mouseLedSettingController.get(), names.ledTabOff},
        {mouseSensorSettingController.get(), names.sensorTabLoDLow},
        {mouseOtherSettingController.get(), names.settingTab},
    };
    for (const auto& [panel, name] : pictures)
        panel->keyboardView()->showBodyImageOnly(mouseImages.value(name));
    showConnectedHeader(QStringLiteral("VX"));
    for (auto* t : {mouseButtonTabView, mouseLedTabView, mouseSensorTabView, mouseOtherTabView}) {
        t->setTabEnabled(true);
        t->update();
        t->setTabStatus(TabStatus::notActive);
    }

    restoreTabAfterConnect(selectMOtherSetting, FunctionTab::MOtherSetting);
    selectFunctionTab(AppParam::functionTabSelect);
    if (AppParam::device != mouse)
        return;
    updateDialogMask(DeviceType::Mouse);
    for (auto* t : {apcTabView, keylockTabView, settingTabView})
        t->hide();
    selectOtherSetting = false;
    for (auto* t : {mouseButtonTabView, mouseLedTabView, mouseSensorTabView, mouseOtherTabView})
        t->show();
    finishConnect(mouse, entry.deviceLocation);
}

void MainViewController::placeBodyView(KeyboardView* view)
{
    if (!view)
        return;
    // The picture fills the content view; header and footer lie above it.
    if (view->parentWidget() != mainView)
        view->setParent(mainView);
    view->setGeometry(QRect(QPoint(0, 0), mainView->size()));
    view->show();
    mainFooterView->raise();
    mainHeaderView->raise();
    if (apcTabMenuSelectView->parentWidget() == mainView)
        apcTabMenuSelectView->raise();
    if (maskView)
        maskView->raise();
    if (keyboardSelectView->isVisible())
        keyboardSelectView->raise();
}

void MainViewController::disconnectDevice(bool reflectUi)
{
    if (AppParam::device)
        (void)AppParam::device->close(AppUtil::isConnectedDevice(conectDeviceLocation));
    conectDeviceLocation = -1;
    if (AppParam::selectDeviceType == DeviceType::Mouse)
        AppParam::device = std::make_shared<MouseEntry>();
    else
        AppParam::device = std::make_shared<KeyboardEntry>();
    AppParam::keyboardSettingsChanged = false;
    if (!reflectUi || isFirmupdateEnding)
        return;

    if (deviceList.empty() && currentKeyboardView) {
        for (FunctionPanel* p : {apcSettingContoller.get(), gamingSettingController.get(), otherSettingController.get(),
                                 mouseButtonSettingController.get(), mouseLedSettingController.get(),
                                 mouseSensorSettingController.get(), mouseOtherSettingController.get()}) {
            if (p->keyboardView() == currentKeyboardView)
                p->keyboardView()->setKeyboardImages(QImage(), QImage());
        }
        currentKeyboardView->hide();
    }
    modelNameLabel->clear();
    keyboardErrorView->setGeometry(mainView->bodyRect);
    keyboardErrorView->show();
    keyboardErrorView->raise();
    mainHeaderView->raise();
    displayKeyboardList(false);

    selectKeybordButton->hide();
    keyboardNameLabel->clear();
    keyboardModelLabel->setText(tr_("ModelNumber"));
    keyboardFirmwareLabel->setText(tr_("FirmwareVersion"));
    sendButton->hide();
    saveProfileButton->setEnabled(false);
    loadProfileButton->setEnabled(false);
    closeTabMenus();
    setHelpMenu(true);

    if (AppParam::device->deviceType() != DeviceType::Keyboard) {
        AppParam::functionMouseButtonSettingSelect = FunctionItem::None;
        mouseButtonSettingController->allPopoverMenuClose();
        for (auto* t : {mouseButtonTabView, mouseLedTabView, mouseSensorTabView})
            t->setTabEnabled(false);
        mouseOtherTabView->setTabEnabled(true);
        for (auto* t : {apcTabView, keylockTabView, settingTabView})
            t->hide();
        for (auto* t : {mouseButtonTabView, mouseLedTabView, mouseSensorTabView, mouseOtherTabView})
            t->show();
        if (AppParam::functionTabSelect != FunctionTab::MOtherSetting) {
            beforeTab = AppParam::functionTabSelect;
            AppParam::functionTabSelect = FunctionTab::MOtherSetting;
            selectFunctionTab(FunctionTab::MOtherSetting);
        }
    } else {
        AppParam::functionApcSettingSelect = FunctionItem::None;
        AppParam::functionLedSettingSelect = FunctionItem::None;
        apcTabView->setTabEnabled(false);
        keylockTabView->setTabEnabled(false);
        settingTabView->setTabEnabled(true);
        for (auto* t : {mouseButtonTabView, mouseLedTabView, mouseSensorTabView, mouseOtherTabView})
            t->hide();
        for (auto* t : {apcTabView, keylockTabView, settingTabView})
            t->show();
        if (AppParam::functionTabSelect != FunctionTab::OtherSetting) {
            beforeTab = AppParam::functionTabSelect;
            AppParam::functionTabSelect = FunctionTab::OtherSetting;
            selectFunctionTab(FunctionTab::OtherSetting);
        }
        otherSettingController->enableMenuItem(false);
    }
    updateKeyboardSettingsChanged();
}

// =============================================================================
// Recovery
// =============================================================================

void MainViewController::setConnectedDeviceError(int32_t location)
{
    if (!keyEnum)
        return;
    const auto it = std::find_if(deviceList.begin(), deviceList.end(),
                                 [&](const DeviceEnumEntry& e) { return e.deviceLocation == location; });
    if (it == deviceList.end())
        return;
    // A device failing while it is being connected is retried once; after
    // that its entry is disabled at this location until it is unplugged, so
    // that connect and recovery cannot chase each other without end.
    const bool giveUp = connectDepth_ > 0 && ++connectFailures_[location] > 1;
    auto plane = std::find_if(planeDeviceList.begin(), planeDeviceList.end(),
                              [&](const DeviceEnumEntry& e) { return e.deviceLocation == location; });
    if (plane != planeDeviceList.end()) {
        if (giveUp)
            plane->isEnable = false;
        else
            planeDeviceList.erase(plane);
    }
    if (giveUp && AppParam::selectDeviceLocation == location) {
        // Let the device list fall back to the next device.
        AppParam::selectDeviceLocation = 0;
    }
    plugInOffKeyboard();
    disconnectDevice(false);
    keyboardListChanged(true);
}

void MainViewController::plugInOffKeyboard()
{
    DialogRegistry::closeAllForDeviceRemoval();
}

int MainViewController::runMessageBox(const QString& messageKey, const QString& okKey, const QString& cancelKey)
{
    return DialogMessageBox::run(messageKey, okKey, cancelKey, mainView);
}

QWidget* MainViewController::dialogReferenceWindow()
{
    return mainView;
}

// =============================================================================
// Tabs
// =============================================================================

namespace {

int tabPosition(FunctionTab tab)
{
    switch (tab) {
    case FunctionTab::ApcSetting:
    case FunctionTab::LedSetting:
    case FunctionTab::MButtonSetting: return 1;
    case FunctionTab::GamingSetting:
    case FunctionTab::MLedSetting: return 2;
    case FunctionTab::OtherSetting:
    case FunctionTab::MSensorSetting: return 3;
    case FunctionTab::MOtherSetting: return 4;
    default: return 0;
    }
}

} // namespace

FunctionPanel* MainViewController::panelFor(FunctionTab tab) const
{
    const int position = tabPosition(tab);
    const bool mouse = AppParam::device && AppParam::device->deviceType() == DeviceType::Mouse;
    if (mouse) {
        switch (position) {
        case 1: return mouseButtonSettingController.get();
        case 2: return mouseLedSettingController.get();
        case 3: return mouseSensorSettingController.get();
        default: return mouseOtherSettingController.get();
        }
    }
    switch (position) {
    case 1: return apcSettingContoller.get();
    case 2: return gamingSettingController.get();
    default: return otherSettingController.get();
    }
}

void MainViewController::setTabLooks(const std::vector<MainTabView*>& row, int shown)
{
    for (int i = 0; i < int(row.size()); ++i) {
        const int position = i + 1;
        MainTabView* tab = row[size_t(i)];
        tab->setTabStatus(position == shown ? TabStatus::active : TabStatus::notActive);
        tab->setTabGradient(position == shown  ? TabGradient::none
                            : position < shown ? TabGradient::right
                                               : TabGradient::left);
        tab->update();
    }
}

void MainViewController::selectFunctionTab(FunctionTab tab)
{
    AppParam::functionTabSelect = tab;
    FunctionPanel* panel = panelFor(tab);
    const bool mouse = AppParam::device && AppParam::device->deviceType() == DeviceType::Mouse;
    apcTabMenuSelectView->hide();
    apcTabMenuSelectView->setParent(nullptr);
    int shown = 0;
    if (mouse) {
        shown = panel == mouseButtonSettingController.get() ? 1
                : panel == mouseLedSettingController.get()  ? 2
                : panel == mouseSensorSettingController.get() ? 3 : 4;
        setTabLooks({mouseButtonTabView, mouseLedTabView, mouseSensorTabView, mouseOtherTabView}, shown);
    } else {
        shown = panel == apcSettingContoller.get() ? 1 : panel == gamingSettingController.get() ? 2 : 3;
        setTabLooks({apcTabView, keylockTabView, settingTabView}, shown);
    }
    KeyboardView* view = panel->keyboardView();
    const auto device = AppParam::device;
    panel->initSetting();
    if (!mouse && panel == apcSettingContoller.get() && AppParam::device == device) {
        // Under the tab row rather than in it: the tabs keep their whole
        // click areas and the picture's frame is what the strip covers.
        apcTabMenuSelectView->setParent(mainView);
        apcTabMenuSelectView->setGeometry(layout::kApcModeStrip.toRect());
        apcTabMenuSelectView->show();
        apcTabMenuSelectView->raise();
    }
    // A recovery inside the set-up may have selected a tab again; its choice
    // stands and this call's view is stale.
    if (AppParam::device != device)
        return;
    if (currentKeyboardView && currentKeyboardView != view)
        currentKeyboardView->hide();
    currentKeyboardView = view;
    if (keyboardErrorView->isHidden()) {
        view->clearSelection();
        if (auto kb = std::dynamic_pointer_cast<KeyboardEntry>(AppParam::device))
            for (auto& key : kb->keytopList)
                key.select = false;
        placeBodyView(view);
    } else if (view) {
        view->hide();
    }
}

void MainViewController::convertDeviceTabSelect()
{
    if (AppParam::device && AppParam::device->deviceType() == DeviceType::Keyboard) {
        if (selectMOtherSetting && AppParam::functionTabSelect == FunctionTab::MOtherSetting) {
            AppParam::functionTabSelect = FunctionTab::OtherSetting;
            beforeTab = FunctionTab::None;
        }
        selectMOtherSetting = false;
    } else {
        selectOtherSetting = false;
    }
}

void MainViewController::clickTab(QObject* id)
{
    if (id == apcTabView) {
        selectOtherSetting = false;
        selectFunctionTab(FunctionTab::ApcSetting);
    } else if (id == keylockTabView) {
        selectOtherSetting = false;
        selectFunctionTab(FunctionTab::GamingSetting);
    } else if (id == settingTabView) {
        selectOtherSetting = true;
        selectFunctionTab(FunctionTab::OtherSetting);
    } else if (id == mouseButtonTabView) {
        selectMOtherSetting = false;
        selectFunctionTab(FunctionTab::MButtonSetting);
    } else if (id == mouseLedTabView) {
        selectMOtherSetting = false;
        selectFunctionTab(FunctionTab::MLedSetting);
    } else if (id == mouseSensorTabView) {
        selectMOtherSetting = false;
        selectFunctionTab(FunctionTab::MSensorSetting);
    } else if (id == mouseOtherTabView) {
        selectMOtherSetting = true;
        selectFunctionTab(FunctionTab::MOtherSetting);
    } else {
        selectFunctionTab(FunctionTab::None);
    }
}

void MainViewController::clickTabMenuIcon(QObject* id)
{
    const bool isDevice = !deviceList.empty();
    if (id == apcTabView)
        apcSettingContoller->showMenuView(isDevice);
    else if (id == keylockTabView)
        return;
    else if (id == settingTabView)
        otherSettingController->showMenuView(isDevice);
    else if (id == mouseButtonTabView)
        mouseButtonSettingController->showMenuView(isDevice);
    else if (id == mouseOtherTabView)
        mouseOtherSettingController->showMenuView(isDevice);
}

namespace {

const MouseProfile* selectedMouseProfile(const std::vector<DeviceEnumerator::DeviceEnumEntry>& list)
{
    for (const auto& e : list)
        if (e.deviceLocation == AppParam::selectDeviceLocation)
            return dynamic_cast<const MouseProfile*>(e.profile.get());
    return nullptr;
}

} // namespace

void MainViewController::metMLedTabBodyImage(LedColor inColor, bool inIndicator, bool inLogo)
{
    const MouseProfile* profile = selectedMouseProfile(deviceList);
    if (!profile)
        return;
    const auto& n = profile->tabBodyImages;
    QString name;
    if ((inIndicator && inLogo) || inColor == LedColor::Off) {
        name = n.ledTabOff;
    } else {
        const int c = int(inColor);
        auto pick = [c](const QString& white, const QString& red, const QString& green, const QString& blue,
                        const QString& purple, const QString& yellow, const QString& cyan) {
            const QString* table[] = {&white, &red, &green, &blue, &purple, &yellow, &cyan};
            return *table[c];
        };
        if (inIndicator)
            name = pick(n.ledTabLogoWhite, n.ledTabLogoRed, n.ledTabLogoGreen, n.ledTabLogoBlue, n.ledTabLogoPurple,
                        n.ledTabLogoYellow, n.ledTabLogoCyan);
        else if (inLogo)
            name = pick(n.ledTabIndiWhite, n.ledTabIndiRed, n.ledTabIndiGreen, n.ledTabIndiBlue, n.ledTabIndiPurple,
                        n.ledTabIndiYellow, n.ledTabIndiCyan);
        else
            name = pick(n.ledTabWhite, n.ledTabRed, n.ledTabGreen, n.ledTabBlue, n.ledTabPurple, n.ledTabYellow,
                        n.ledTabCyan);
    }
    mouseLedSettingController->keyboardView()->showBodyImageOnly(mouseImages.value(name));
}

void MainViewController::setMSensorTabBodyImage(LoD inLoD)
{
    const MouseProfile* profile = selectedMouseProfile(deviceList);
    if (!profile)
        return;
    const QString& name =
        inLoD == LoD::LoD_3mm ? profile->tabBodyImages.sensorTabLoDHigh : profile->tabBodyImages.sensorTabLoDLow;
    mouseSensorSettingController->keyboardView()->showBodyImageOnly(mouseImages.value(name));
}

// =============================================================================
// Firmware run, description packages, dialog mask
// =============================================================================

void MainViewController::execFirmwareUpdate()
{
    // One update at a time: a start while one runs, or while the device of
    // the last one has not come back yet, is refused.
    if (isFirmupdating || isFirmupdateEnding)
        return;
    setDialogMask(false);
    if (!dialogHooks().firmwareUpdate)
        return;
    isFirmupdating = true;
    const AppError result = dialogHooks().firmwareUpdate(mainView);
    isFirmupdating = false;
    // Refused because another command on the device still waits for its
    // reply: nothing was sent and the device is fine.
    if (isBusy(result))
        return;
    if (result != AppError::NoError) {
        setConnectedDeviceError(conectDeviceLocation);
        return;
    }
    const int32_t location = AppParam::selectDeviceLocation;
    isFirmupdateEnding = true;
    const int run = ++firmwareRun;
    disconnectDevice(false);
    const double delay = AppParam::device->deviceType() == DeviceType::Mouse ? 1.0 : 0.5;
    QTimer::singleShot(int(platform::scaled(platform::Seconds(delay)).count() * 1000), this, [this, location] {
        if (!isFirmupdateEnding && !AppUtil::isConnectedDevice(location))
            setConnectedDeviceError(location);
    });
    // A device that never leaves after its update would keep hot-plug
    // ignored for good: the ending state gives up after a while and the
    // device list is read again.
    QTimer::singleShot(int(platform::scaled(platform::Seconds(kFirmupdateEndingLimit)).count() * 1000), this,
                       [this, run] {
                           if (run != firmwareRun || !isFirmupdateEnding)
                               return;
                           isFirmupdateEnding = false;
                           keyboardListChanged(true);
                       });
}

bool MainViewController::isExistSameDeviceType() const
{
    const auto it = std::find_if(planeDeviceList.begin(), planeDeviceList.end(),
                                 [&](const DeviceEnumEntry& e) { return e.deviceLocation == conectDeviceLocation; });
    if (it == planeDeviceList.end() || it->modelNumber.isEmpty())
        return false;
    const QString model = it->modelNumber;
    return std::count_if(planeDeviceList.begin(), planeDeviceList.end(),
                         [&](const DeviceEnumEntry& e) { return e.modelNumber == model; }) >= 2;
}

void MainViewController::appendKeyboardProfileList()
{
    const QString folder = AppUtil::appWorkFolder();
    if (!QDir().mkpath(folder)) {
        Logger::log("Error: create profile copy directory");
        AppUtil::messageBox(QStringLiteral("FailedToAccessFolder"), QStringLiteral("OK"), QString());
        return;
    }
    const QFileInfo source(AppParam::firmwareFilePath);
    const QString target = QDir(folder).filePath(source.fileName());
    // A package picked from the folder itself is already in place.
    if (QFileInfo(target).canonicalFilePath() != source.canonicalFilePath()) {
        // Copy beside the target first, so that a failed copy keeps the
        // earlier package.
        const QString partial = target + QStringLiteral(".partial");
        QFile::remove(partial);
        const bool copied = QFile::copy(source.filePath(), partial);
        if (!copied || (QFile::exists(target) && !QFile::remove(target)) || !QFile::rename(partial, target)) {
            QFile::remove(partial);
            AppUtil::messageBox(QStringLiteral("FailedToAccessFile"), QStringLiteral("OK"), QString());
            Logger::log("Error: create profile copy directory");
            return;
        }
    }
    if (keyEnum)
        (void)keyEnum->enumDeviceProfile(true);
    keyboardListChanged(true);
}

QRect MainViewController::tabAreaRect(DeviceType type) const
{
    const QRect r = (type == DeviceType::Keyboard ? settingTabView : mouseOtherTabView)->geometry();
    return {0, 0, r.x() + r.width(), r.height()};
}

QRect MainViewController::maskContainerRect() const
{
    const int top = apcTabView->geometry().y();
    return {0, top, mainView->width(), mainView->height() - top};
}

void MainViewController::setDialogMask(bool enableMask)
{
    if (!enableMask) {
        if (maskView) {
            if (keyboardSelectView->parentWidget() == maskView) {
                keyboardSelectView->hide();
                keyboardSelectView->setParent(mainView);
            }
            maskView->hide();
            maskView->deleteLater();
        }
        maskView = nullptr;
        return;
    }
    if (!maskView) {
        // A clear container over the tab row and everything below it that
        // swallows presses, with three tinted parts: the tab area, the
        // button area and the body.
        const QColor grey(56, 56, 56, 160);
        auto* mask = new BackgroundView(mainView);
        mask->setObjectName(QStringLiteral("maskView"));
        mask->setBackgroundColor(Qt::transparent);
        mask->isMouseEvenThrough = false;
        mask->isMoveWindow = false;
        mask->setGeometry(maskContainerRect());
        const DeviceType type = AppParam::device && AppParam::device->deviceType() != DeviceType::Keyboard
                                    ? DeviceType::Mouse
                                    : DeviceType::Keyboard;
        auto part = [mask](const QColor& colour, const QRect& frame) {
            auto* v = new BackgroundView(mask);
            v->setBackgroundColor(colour);
            v->isMoveWindow = false;
            v->setGeometry(frame);
            return v;
        };
        part(grey, tabAreaRect(type))->nameInfo = QStringLiteral("tabAreaView");
        const QRect b = sendButton->geometry();
        const QRect l = loadProfileButton->geometry();
        part(QColor(0, 0, 0, 153), QRect(b.x(), b.y() - mask->y(), l.x() + l.width() - b.x(), l.height()));
        part(grey, QRect(0, int(layout::kTabHeight), mask->width(), mask->height() - int(layout::kTabHeight)));
        maskView = mask;
    }
    maskView->show();
    maskView->raise();
}

bool MainViewController::isDialogMaskUp() const
{
    return maskView && !maskView->isHidden();
}

void MainViewController::updateDialogMask(DeviceType deviceType)
{
    if (!maskView)
        return;
    BackgroundView* part = nullptr;
    for (auto* child : maskView->findChildren<BackgroundView*>(Qt::FindDirectChildrenOnly))
        if (child->nameInfo == QLatin1String("tabAreaView"))
            part = child;
    if (part)
        part->setGeometry(tabAreaRect(deviceType));
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
    if (result == AppError::NoError) {
        device->hidWait();
        AppParam::keyboardSettingsChanged = false;
        updateKeyboardSettingsChanged();
        return AppError::NoError;
    }
    if (AppParam::selectDeviceLocation != 0)
        setConnectedDeviceError(AppParam::selectDeviceLocation);
    return result;
}

void MainViewController::updateKeyboardSettingsChanged()
{
    if (sendButton->isHidden() != AppParam::keyboardSettingsChanged)
        return;
    sendButton->setVisible(AppParam::keyboardSettingsChanged);
    if (AppParam::keyboardSettingsChanged) {
        const bool keyboard = AppParam::device && AppParam::device->deviceType() == DeviceType::Keyboard;
        sendButton->setIcon(ui::appIcon(keyboard ? QStringLiteral("savekeyboard_KeyBoard_ICON")
                                                 : QStringLiteral("savemouse_Mouse_ICON")));
    }
    QWidget::setTabOrder(closeButton, AppParam::keyboardSettingsChanged ? sendButton : saveProfileButton);
}

// =============================================================================
// Window actions and menus
// =============================================================================

void MainViewController::closeButtonAction()
{
    mainView->close();
}

void MainViewController::pushSendButton()
{
    mouseButtonSettingController->allPopoverMenuClose();
    if (!AppParam::device || !AppParam::device->isEnable() || !AppParam::keyboardSettingsChanged)
        return;
    setDialogMask(true);
    (void)onSaveTheKeyboard();
    setDialogMask(false);
}

int MainViewController::runModalHook(const std::function<int(QWidget*)>& hook)
{
    if (!hook)
        return 0;
    setDialogMask(true);
    setHelpMenu(false);
    const int result = hook(mainView);
    setDialogMask(false);
    // The dialog's own buttons enable the help items; a dialog ended by the
    // device-removal handling does not, so the opener makes sure.
    setHelpMenu(true);
    return result;
}

void MainViewController::buttonSaveClick()
{
    mouseButtonSettingController->allPopoverMenuClose();
    const bool keyboard = AppParam::device->deviceType() == DeviceType::Keyboard;
    (void)runModalHook(keyboard ? dialogHooks().profileSave : dialogHooks().mProfileSave);
}

void MainViewController::buttonLoadClick()
{
    mouseButtonSettingController->allPopoverMenuClose();
    const bool keyboard = AppParam::device->deviceType() == DeviceType::Keyboard;
    if (runModalHook(keyboard ? dialogHooks().profileLoad : dialogHooks().mProfileLoad) == 1)
        selectFunctionTab(AppParam::functionTabSelect);
}

void MainViewController::pushKeylist()
{
    mouseButtonSettingController->allPopoverMenuClose();
    updateKeyboardListView(true);
    displayKeyboardList(true);
}

void MainViewController::pushKeylistReturn()
{
    displayKeyboardList(false);
}

void MainViewController::pushAboutMenu()
{
    closeShownTabMenu(true);
    if (dialogHooks().versionInfo)
        dialogHooks().versionInfo(mainView);
}

void MainViewController::pushUsersManualMenu() { openLocalizedLink(QString::fromLatin1(kUsersManualKey), openUrl); }
void MainViewController::pushQandAMenu() { openLocalizedLink(QString::fromLatin1(kFaqKey), openUrl); }
void MainViewController::pushUpdateInfoMenu() { openLocalizedLink(QString::fromLatin1(kSupportKey), openUrl); }

bool MainViewController::isHelpMenuEnabled() const
{
    return userManualMenuItem->isEnabled();
}

void MainViewController::setHelpMenu(bool enableMenu)
{
    userManualMenuItem->setEnabled(enableMenu);
    qaManualMenuItem->setEnabled(enableMenu);
    updateInfoMenuItem->setEnabled(enableMenu);
}

void MainViewController::backgroundViewMouseDown(QObject*)
{
    if (keyboardSelectView->isVisible() && keyboardSelectView->parentWidget() == maskView)
        displayKeyboardList(false);
    if (mainFooterView->isVisible())
        mouseButtonSettingController->allPopoverMenuClose();
}
