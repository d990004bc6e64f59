#include "support/ui/AppHarness.h"

#include "AppDelegate.h"
#include "AppParam.h"
#include "CustomControl/MainTabView.h"
#include "Dialog/DialogMessageBox.h"
#include "Platform/Strings.h"
#include "Device/KeyboardEntry.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Utility/AppUtil.h"
#include "XML/ApplicationProfile.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QEvent>
#include <QTimer>

namespace apptest {

namespace {

void resetAppState()
{
    AppParam::device = std::make_shared<KeyboardEntry>();
    AppParam::keyboardSettingsChanged = false;
    AppParam::keyboardSettingsChangedStack = BoolStack{};
    AppParam::selectDeviceLocation = 0;
    AppParam::selectDeviceType = DeviceType::Unknown;
    AppParam::functionTabSelect = FunctionTab::None;
    AppParam::windowPlacement = WINDOWPLACEMENT{};
    AppParam::userProfileFilePath.clear();
    AppParam::firmwareFilePath.clear();
}

} // namespace

AppHarness::AppHarness(HarnessOptions options) : options_(options)
{
    previousScale_ = platform::timeScale();
    platform::setTimeScale(options_.timeScale);
    AppUtil::setAppWorkFolderForTesting(work_.path() + QStringLiteral("/"));
    resetAppState();
    bus_ = std::make_unique<emu::ScopedVirtualBus>();
    if (options_.keyboard) {
        keyboard = std::make_shared<emu::EmulatedKeyboard>();
        bus().attach(keyboard, kKeyboardLocation);
    }
    if (options_.mouse) {
        mouse = std::make_shared<emu::EmulatedMouse>();
        bus().attach(mouse, kMouseLocation);
    }
    if (options_.rememberedLocation) {
        AppParam::selectDeviceLocation = *options_.rememberedLocation;
        (void)ApplicationProfile::save();
        resetAppState();
    }
    // Message boxes are answered as soon as one is shown; nothing polls.
    boxWatch_ = std::make_unique<BoxWatch>([this] { pollMessageBoxes(); });
    qApp->installEventFilter(boxWatch_.get());
}

AppHarness::~AppHarness()
{
    boxWatch_.reset();
    delegate_.reset();
    AppParam::device = std::make_shared<KeyboardEntry>();
    bus_.reset();
    AppUtil::setAppWorkFolderForTesting(QString());
    platform::setTimeScale(previousScale_);
}

BoxWatch::BoxWatch(std::function<void()> onShown) : onShown_(std::move(onShown)) {}

bool BoxWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && qobject_cast<DialogMessageBox*>(watched))
        QTimer::singleShot(0, this, onShown_);
    return false;
}

bool AppHarness::start()
{
    delegate_ = std::make_unique<AppDelegate>();
    if (options_.screen)
        delegate_->beforeAppear = [screen = *options_.screen](MainViewController& main) {
            uitest::WindowProbe::setVisibleScreenArea(main, [screen] { return std::optional<QRect>(screen); });
        };
    if (!delegate_->applicationDidFinishLaunching())
        return false;
    // The devices are connected right after the window's first paint: the
    // window then shows a device or the no-device view.
    return !options_.waitForDevices || waitFor([this] {
        return (AppParam::device && AppParam::device->isEnable()) ||
               !uitest::WindowProbe::window(controller()).keyboardErrorView->isHidden();
    }, 10000);
}

MainViewController& AppHarness::controller() const
{
    return *delegate_->mainController();
}

void AppHarness::pollMessageBoxes()
{
    auto* box = qobject_cast<DialogMessageBox*>(DialogRegistry::current(DialogKind::MessageBox));
    if (!box || !box->isRunning() || box->property("answered").toBool())
        return;
    box->setProperty("answered", true);
    // The key whose text the box shows.
    QString key = box->messageLabel()->text();
    for (const QString& k : platform::localizedKeys())
        if (platform::localizedString(k) == key) {
            key = k;
            break;
        }
    asked.push_back(key);
    const int reply = answer ? answer(key) : 1;
    if (reply < 0)
        return;  // left open for the test to handle
    QPushButton* button = reply == 1 || box->isCancelHidden() ? box->okButton() : box->cancelButton();
    QTest::mouseClick(button, Qt::LeftButton);
}

void clickTabTitle(MainTabView* tab)
{
    QTest::mouseClick(tab, Qt::LeftButton, {}, QPoint(20, tab->height() / 2));
}

void clickTabTriangle(MainTabView* tab)
{
    QTest::mouseClick(tab, Qt::LeftButton, {}, tab->triangleHitRect().center().toPoint());
}

bool AppHarness::waitFor(const std::function<bool()>& done, int milliseconds)
{
    return emu::waitUntil(done, std::chrono::milliseconds(milliseconds));
}

} // namespace apptest
