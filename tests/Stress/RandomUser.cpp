#include "RandomUser.h"
#include "RandomChooser.h"

#include "AppParam.h"
#include "CustomControl/BackgroundView.h"
#include "CustomControl/UiGeometry.h"
#include "Device/IDeviceEntry.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogRegistry.h"
#include "Dialog/ModalDialog.h"
#include "KeyboardView/KeyboardView.h"
#include "MainView.h"
#include "DeviceListController.h"
#include "MainViewController.h"
#include "Platform/RunLoop.h"
#include "Platform/Strings.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "XML/FileIndexXML.h"
#include "support/ui/WindowProbe.h"

#include <QAbstractAnimation>
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace stress {

namespace {

using SteadyClock = std::chrono::steady_clock;

int64_t nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now().time_since_epoch()).count();
}

// A firmware run as the user sees it: its progress view, or after it the
// window that has let its device go and still shows it while it restarts.
bool firmwareRunShown(const MainViewController& main)
{
    return DialogRegistry::current(DialogKind::FirmwareUpdate) ||
           (main.conectDeviceLocation() == -1 && uitest::WindowProbe::window(main).keyboardErrorView->isHidden());
}

const char* faultName(emu::FaultKind kind)
{
    switch (kind) {
    case emu::FaultKind::Drop: return "drop";
    case emu::FaultKind::Status: return "status";
    case emu::FaultKind::WrongSignature: return "wrong-signature";
    case emu::FaultKind::WrongEcho: return "wrong-echo";
    case emu::FaultKind::WrongFlag: return "wrong-flag";
    case emu::FaultKind::WrongLength: return "wrong-length";
    case emu::FaultKind::SetByte: return "set-byte";
    case emu::FaultKind::Extra: return "extra";
    case emu::FaultKind::Late: return "late";
    case emu::FaultKind::Short: return "short";
    case emu::FaultKind::Detach: return "detach";
    }
    return "?";
}

const char* dialogKindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::MessageBox: return "MessageBox";
    case DialogKind::ProfileSave: return "ProfileSave";
    case DialogKind::MProfileSave: return "MProfileSave";
    case DialogKind::ProfileLoad: return "ProfileLoad";
    case DialogKind::MProfileLoad: return "MProfileLoad";
    case DialogKind::IndicatorLedSettings: return "IndicatorLedSettings";
    case DialogKind::FirmwareFileSelect: return "FirmwareFileSelect";
    case DialogKind::ProfileFolderSelect: return "ProfileFolderSelect";
    case DialogKind::AppendKeyboard: return "AppendKeyboard";
    case DialogKind::CustomKeySetting: return "CustomKeySetting";
    case DialogKind::VersionInfo: return "VersionInfo";
    case DialogKind::FirmwareUpdate: return "FirmwareUpdate";
    }
    return "?";
}

std::string describe(const QWidget* w)
{
    if (!w)
        return "(none)";
    std::string s = w->metaObject()->className();
    if (!w->accessibleName().isEmpty())
        s += " '" + w->accessibleName().toStdString() + "'";
    else if (!w->objectName().isEmpty())
        s += " #" + w->objectName().toStdString();
    return s;
}

// Texts a user might type into any field: ordinary, empty, long, odd.
const std::vector<QString>& typedTexts()
{
    static const std::vector<QString> texts = {
        QStringLiteral("My profile"), QString(), QStringLiteral("a"), QString(300, QLatin1Char('x')),
        QStringLiteral("../../escape"), QStringLiteral("name/with\\slashes:*?\"<>|"),
        QStringLiteral("\u540d\u524d \u00e9\u00e8 \U0001F600"), QStringLiteral("   "), QStringLiteral("1200"),
        QStringLiteral("-1"), QStringLiteral("999999999999"), QStringLiteral("%s%n%x"),
        QStringLiteral("<tag>&amp;</tag>")};
    return texts;
}

bool isDeviceKeyboard(const emu::EmulatedDevice& dev)
{
    return dynamic_cast<const emu::EmulatedKeyboard*>(&dev) != nullptr;
}

QByteArray settingsOf(const emu::EmulatedDevice& dev, bool stored)
{
    if (auto* kb = dynamic_cast<const emu::EmulatedKeyboard*>(&dev)) {
        const auto& s = stored ? kb->stored() : kb->live();
        QByteArray b;
        b.append(reinterpret_cast<const char*>(s.apc.data()), int(s.apc.size()));
        b.append(char(s.apcAll));
        b.append(reinterpret_cast<const char*>(s.lock.data()), int(s.lock.size()));
        b.append(char(s.lockEnable)).append(char(s.codeChange)).append(char(s.brightness));
        b.append(reinterpret_cast<const char*>(s.indicator.data()), int(s.indicator.size()));
        return b;
    }
    if (auto* m = dynamic_cast<const emu::EmulatedMouse*>(&dev)) {
        const auto& r = stored ? m->stored() : m->live();
        return QByteArray(reinterpret_cast<const char*>(r.data()), int(r.size()));
    }
    return {};
}

} // namespace

// One emulated device the run has plugged in at some time.
struct RandomUser::Device {
    std::shared_ptr<emu::EmulatedDevice> dev;
    uint32_t home = 0;       // where it was first plugged in
    // The session the stored-settings check follows (the device's start count).
    int session = -1;
    bool sessionClean = false;  // live == stored when the session began
    bool tainted = false;       // a reply of this session was damaged or lost
    int storesSeen = 0;
};

std::string Figures::summary() const
{
    std::ostringstream out;
    out << "steps " << steps << ", " << seconds << " s, invariant checks " << invariantChecks
        << " at rest + " << dialogChecks << " inside dialogs, outside events " << outsideEvents
        << ", faults injected " << faultsInjected << ", deepest nesting " << maxDepth
        << ", other devices left with a session at quit " << sessionsLeftOpenAtQuit << "\n  moves:";
    for (const auto& [name, n] : moves)
        out << " " << name << "=" << n;
    out << "\n  faults:";
    for (const auto& [name, n] : faults)
        out << " " << name << "=" << n;
    out << "\n  chooser answers:";
    for (const auto& [name, n] : chooser)
        out << " [" << name << "]=" << n;
    out << "\n  dialogs left by:";
    for (const auto& [name, n] : dialogWaysOut)
        out << " [" << name << "]=" << n;
    return out.str();
}

Options optionsFromEnvironment(Options o)
{
    if (const char* s = std::getenv("KOLVENTRA_STRESS_STEPS"); s && *s)
        o.steps = std::max(1, std::atoi(s));
    if (const char* s = std::getenv("KOLVENTRA_STRESS_SEED"); s && *s) {
        if (std::string(s) == "random")
            o.seed = uint32_t(std::chrono::system_clock::now().time_since_epoch().count() & 0xFFFFFFFFu);
        else
            o.seed = uint32_t(std::strtoul(s, nullptr, 0));
    }
    if (const char* s = std::getenv("KOLVENTRA_STRESS_VERBOSE"); s && *s && *s != '0')
        o.verbose = true;
    if (const char* s = std::getenv("KOLVENTRA_STRESS_BOUND_MS"); s && *s)
        o.bound = std::chrono::milliseconds(std::max(100, std::atoi(s)));
    return o;
}

RandomUser::RandomUser(apptest::AppHarness& app, Options options)
    : app_(app), options_(options), rng_(options.seed), context_(std::make_unique<QObject>())
{
    ports_ = {apptest::kKeyboardLocation, apptest::kMouseLocation, 0x01300000, 0x01400000, 0x01500000, 0x02100000};
    if (app_.keyboard)
        addDevice(app_.keyboard, apptest::kKeyboardLocation);
    if (app_.mouse)
        addDevice(app_.mouse, apptest::kMouseLocation);
    // Message boxes are the user's to answer; links open nowhere.
    app_.answer = [](const QString&) { return -1; };
    uitest::WindowProbe::setOpenUrl(app_.controller(), [this](const QString&) { ++figures_.moves["link-opened"]; });
    // Profiles go to a folder of the run; a second one to switch to.
    const QString profiles = AppUtil::appWorkFolder() + QStringLiteral("profiles/");
    QDir().mkpath(profiles);
    QDir().mkpath(AppUtil::appWorkFolder() + QStringLiteral("other profiles"));
    AppParam::userProfileFilePath = profiles;
    chooser_ = std::make_unique<RandomChooser>(
        [this](int n) { return pick(n); },
        [this] {
            const int32_t loc = app_.controller().conectDeviceLocation();
            if (QWidget* s = scopeWidget())
                noteWayOut(s, "device-removal");
            if (loc > 0)
                app_.bus().detach(uint32_t(loc));
        },
        AppUtil::appWorkFolder() + QStringLiteral("scratch"));
    chooser_->folders = {profiles, AppUtil::appWorkFolder() + QStringLiteral("other profiles")};
    onWatchdog = [](const std::string& report) {
        std::fprintf(stderr, "%s\n", report.c_str());
        std::fflush(stderr);
        std::abort();
    };
}

RandomUser::~RandomUser()
{
    chooser_.reset();
    stopWatchdog_ = true;
    if (watchdog_.joinable())
        watchdog_.join();
}

RandomUser::Device& RandomUser::addDevice(std::shared_ptr<emu::EmulatedDevice> device, uint32_t home)
{
    auto d = std::make_unique<Device>();
    d->dev = std::move(device);
    d->home = home;
    devices_.push_back(std::move(d));
    return *devices_.back();
}

RandomUser::Device* RandomUser::deviceFor(const void* emulated)
{
    for (auto& d : devices_)
        if (d->dev.get() == emulated)
            return d.get();
    return nullptr;
}

int RandomUser::pick(int n)
{
    if (n <= 1)
        return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(rng_);
}

std::string RandomUser::replayHint() const
{
    return "seed " + std::to_string(options_.seed) + ", step " + std::to_string(step_) + " (replay: make soak SEED=" +
           std::to_string(options_.seed) + " STEPS=" + std::to_string(std::max(step_, 1)) + ")";
}

void RandomUser::forceNextMove(std::string name, std::function<void()> move)
{
    forced_ = std::make_pair(std::move(name), std::move(move));
}

void RandomUser::progress()
{
    lastProgressMs_ = nowMs();
    watchStep_ = step_;
    std::lock_guard<std::mutex> lock(watchMutex_);
    watchMove_ = currentMove_;
}

void RandomUser::watchdogLoop()
{
    while (!stopWatchdog_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (watchdogFired_)
            continue;
        if (nowMs() - lastProgressMs_ > options_.bound.count()) {
            watchdogFired_ = true;
            std::string move;
            {
                std::lock_guard<std::mutex> lock(watchMutex_);
                move = watchMove_;
            }
            const std::string report = "random user: the move '" + move + "' did not give control back within " +
                                       std::to_string(options_.bound.count()) + " ms at seed " +
                                       std::to_string(options_.seed) + ", step " + std::to_string(watchStep_.load()) +
                                       " (replay: make soak SEED=" + std::to_string(options_.seed) +
                                       " STEPS=" + std::to_string(watchStep_.load()) + ")";
            if (onWatchdog)
                onWatchdog(report);
        }
    }
}

bool RandomUser::run()
{
    started_ = SteadyClock::now();
    progress();
    watchdog_ = std::thread([this] { watchdogLoop(); });
    // Baseline of the files already there.
    (void)checkProfileFiles();
    QEventLoop loop;
    loop_ = &loop;
    scheduleNext();
    loop.exec();
    loop_ = nullptr;
    stopWatchdog_ = true;
    watchdog_.join();
    figures_.seconds = std::chrono::duration<double>(SteadyClock::now() - started_).count();
    for (const auto& [what, n] : chooser_->answers)
        figures_.chooser[what] += n;
    return failure_.empty();
}

void RandomUser::scheduleNext(int ms)
{
    if (scheduled_ || finished_)
        return;
    scheduled_ = true;
    QTimer::singleShot(ms, context_.get(), [this] {
        scheduled_ = false;
        tick();
    });
}

void RandomUser::fail(const std::string& what)
{
    if (!failure_.empty())
        return;
    std::string recent;
    for (const auto& r : recent_)
        recent += "\n    " + r;
    failure_ = what + "\n  at " + replayHint() + "\n  last moves:" + recent;
    std::fprintf(stderr, "random user FAILED: %s\n", failure_.c_str());
    finishing_ = true;  // leave what is open, then stop
}

// The window the user acts on now: an open menu or popup, else the
// innermost modal dialog, else null (the main window and its companions).
QWidget* RandomUser::scopeWidget(bool* hiddenModal) const
{
    if (hiddenModal)
        *hiddenModal = false;
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup;
    QWidget* modal = QApplication::activeModalWidget();
    // A running dialog that is registered counts even before it is shown.
    for (QWidget* w : DialogRegistry::openDialogs())
        if (auto* d = qobject_cast<ModalDialog*>(w); d && d->isRunning())
            modal = modal ? modal : d;
    if (modal && hiddenModal && !modal->isVisible())
        *hiddenModal = true;
    return modal;
}

bool RandomUser::animationRunning()
{
    for (QWidget* top : QApplication::topLevelWidgets()) {
        for (const QAbstractAnimation* a : top->findChildren<QAbstractAnimation*>())
            if (a->state() == QAbstractAnimation::Running)
                return true;
    }
    return false;
}

void RandomUser::tick()
{
    if (finished_)
        return;
    // While a device command waits for its reply, user input waits too
    // (the device layer's wait lets no click through).
    if (platform::activeTransactions() > 0) {
        scheduleNext(1);
        return;
    }
    // What is under way in real time happens first: a sliding panel, a late
    // reply, a device leaving or coming back, an unplug drawn for "soon", the
    // application's handling of a plug event. The state a step meets must not
    // depend on how fast the machine runs, or a replay would drift.
    if (!finishing_
        && (animationRunning() || app_.bus().busy() || pendingUnplugs_ > 0 || platform::pendingIdleWork() > 0)) {
        scheduleNext(1);
        return;
    }
    bool hiddenModal = false;
    QWidget* scope = scopeWidget(&hiddenModal);
    // A check waiting for events holds the user back, unless those events
    // put up something new to act on (a question from a plug event).
    if (checking_ && scope == checkScope_) {
        scheduleNext(1);
        return;
    }
    const bool nestedAllowed = stack_.empty() || (scope && scope != stack_.back());
    if (hiddenModal) {
        // A dialog on its way out (closeAllWindow): nothing to act on; it
        // must end soon.
        if (auto bad = checkDialogs(false))
            fail(*bad);
        scheduleNext(1);
        return;
    }
    if (!nestedAllowed) {
        // A move is waiting for the device: the user waits too.
        scheduleNext(1);
        return;
    }

    if (finishing_ || step_ >= options_.steps) {
        finishing_ = true;
        if (!stack_.empty() || scope) {
            leaveStep(scope);
            scheduleNext(1);
            return;
        }
        finish();
        return;
    }

    if (stack_.empty() && !scope && !finishing_) {
        // Let what is already posted (plug events, replies) arrive first,
        // so that a replay meets the same state at the same step.
        checking_ = true;
        checkScope_ = nullptr;
        const int stepBefore = step_;
        scheduleNext(1);  // acts on a question that a plug event puts up meanwhile
        for (int i = 0; i < 3; ++i)
            QCoreApplication::sendPostedEvents();
        checking_ = false;
        // A question put up meanwhile runs its own event loop, in which the
        // run may have gone on, to its end and the quit: this step is stale.
        if (finished_)
            return;
        if (scopeWidget() || !stack_.empty() || step_ != stepBefore || finishing_) {
            scheduleNext();
            return;
        }
    }

    ++step_;
    ++figures_.steps;
    checking_ = true;
    checkScope_ = scope;
    const bool idle = stack_.empty() && !scope;
    auto broken = checkInvariants(idle);
    checking_ = false;
    if (broken) {
        fail(*broken);
        scheduleNext(1);
        return;
    }

    Move move;
    if (forced_) {
        move.name = forced_->first;
        move.run = forced_->second;
        forced_.reset();
    } else {
        std::vector<Move> moves = movesFor(scope);
        int total = 0;
        for (const Move& m : moves)
            total += m.weight;
        int r = pick(total);
        for (Move& m : moves) {
            if (r < m.weight) {
                move = std::move(m);
                break;
            }
            r -= m.weight;
        }
    }
    runMove(move, scope);
}

void RandomUser::runMove(const Move& move, QWidget* scope)
{
    ++figures_.moves[move.name.substr(0, move.name.find(' '))];
    currentMove_ = move.name;
    std::string line = std::to_string(step_) + " " + move.name + " @" + describe(scope);
    if (options_.verbose)
        std::fprintf(stderr, "[stress] %s\n", line.c_str());
    recent_.push_back(line);
    if (recent_.size() > 25)
        recent_.pop_front();
    stack_.push_back(scope);
    figures_.maxDepth = std::max(figures_.maxDepth, int(stack_.size()));
    progress();
    scheduleNext();  // the next step may run inside a dialog this move opens
    if (move.run)
        move.run();
    stack_.pop_back();
    currentMove_ = stack_.empty() ? std::string() : currentMove_;
    progress();
    scheduleNext();
}

void RandomUser::leaveStep(QWidget* scope)
{
    if (++leaveTries_ > 400) {
        fail("the open dialogs and menus could not be left (" + describe(scope) + ")");
        // Nothing more can be done from here: end the run loop anyway.
        for (QWidget* w : DialogRegistry::openDialogs())
            if (auto* d = qobject_cast<ModalDialog*>(w))
                d->done(0);
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        return;
    }
    if (!scope)
        return;  // a move is still waiting for the device
    if (stack_.size() && scope == stack_.back())
        return;
    Move m;
    // Escape first; every third try the window's close; then Cancel.
    if (leaveTries_ % 3 == 0 && !qobject_cast<QMenu*>(scope)) {
        m.name = "leave.close";
        m.run = [this, w = QPointer<QWidget>(scope)] {
            if (w) {
                noteWayOut(w, "close");
                w->close();
            }
        };
    } else {
        m.name = "leave.escape";
        m.run = [this, w = QPointer<QWidget>(scope)] {
            if (w) {
                noteWayOut(w, "escape");
                QTest::keyClick(w, Qt::Key_Escape);
            }
        };
    }
    runMove(m, scope);
}

void RandomUser::finish()
{
    checking_ = true;
    checkScope_ = nullptr;
    // The last look waits for plug events still on their way; a question
    // they raise meanwhile is answered with its first button.
    app_.answer = nullptr;
    if (failure_.empty()) {
        if (auto broken = checkInvariants(true, true))
            fail(*broken);
    }
    checking_ = false;
    if (failure_.empty()) {
        // Quit the way the user does, saying Yes to any question.
        auto& main = app_.controller();
        app_.answer = nullptr;
        currentMove_ = "quit";
        progress();
        const int32_t shown = main.conectDeviceLocation();
        // Faults still armed stand for a device that fails the next
        // commands whenever they come; whether the last steps used them up
        // depends on the application's own timers. The quit is checked on
        // devices that answer, or the check would depend on that timing.
        for (auto& d : devices_)
            d->dev->clearFaults();
        QTest::mouseClick(uitest::WindowProbe::window(main).closeButton, Qt::LeftButton);
        apptest::AppHarness::waitFor([&] { return !uitest::WindowProbe::window(main).mainView->isVisible(); }, 5000);
        if (uitest::WindowProbe::window(main).mainView->isVisible())
            fail("the close button did not quit the application");
        // The device the window showed must be told that its session ends.
        // Another device may be left with a session open: one dropped
        // after its open (its pictures did not load) is closed without
        // traffic on purpose, and a re-plug between two list updates can
        // leave an old session behind; those are counted, not failed.
        for (auto& d : devices_) {
            if (!d->dev->attached() || !d->dev->sessionOpen())
                continue;
            if (int32_t(d->dev->location()) == shown)
                fail("after quitting, the device at " + std::to_string(d->dev->location()) +
                     " that the window showed still has its session open");
            else
                ++figures_.sessionsLeftOpenAtQuit;
        }
        if (failure_.empty())
            if (auto broken = checkProfileFiles())
                fail(*broken);
    }
    finished_ = true;
    if (loop_)
        loop_->quit();
}

void RandomUser::noteWayOut(QWidget* dialog, const std::string& way)
{
    if (auto* d = qobject_cast<ModalDialog*>(dialog))
        ++figures_.dialogWaysOut[std::string(dialogKindName(d->kind())) + " " + way];
    else if (qobject_cast<QMenu*>(dialog))
        ++figures_.dialogWaysOut["menu " + way];
    else if (dialog)
        ++figures_.dialogWaysOut[std::string(dialog->metaObject()->className()) + " " + way];
}

// ---------------------------------------------------------------------------
// Moves
// ---------------------------------------------------------------------------

namespace {

// Lets the button go at `global` over whatever is still there: the pointer
// is never left pressed. (A button left down would make every later press
// look like a drag to the test library, and nothing would get a click.)
void releaseAt(QPoint global, Qt::MouseButton button)
{
    QWidget* under = QApplication::widgetAt(global);
    if (!under) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->frameGeometry().contains(global)) {
                under = w;
                break;
            }
    }
    if (!under)
        under = QApplication::activeWindow();
    if (!under) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) {
                under = w;
                break;
            }
    }
    if (under)
        QTest::mouseRelease(under, button, {}, under->mapFromGlobal(global));
}

// Press and release as the pointer does them. A press may end in the
// widget's deletion (a device-strip tile whose list was rebuilt while the
// press waited for the device, or a menu whose window went with it); the
// window system then sends the release to whatever is there.
void userClick(QWidget* widget, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    QPointer<QWidget> target(widget);
    QPointer<QWidget> top(widget->window());
    const QPoint global = widget->mapToGlobal(pos);
    QTest::mousePress(widget, button, {}, pos);
    if (target)
        QTest::mouseRelease(target, button, {}, pos);
    else if (top)
        QTest::mouseRelease(top, button, {}, top->mapFromGlobal(global));
    else
        releaseAt(global, button);
}

} // namespace

// Types `text` into `widget` key by key; characters beyond ASCII arrive as
// an input method would deliver them (a key event carrying the text).
static void typeText(QWidget* widget, const QString& text)
{
    QPointer<QWidget> target(widget);
    for (const QChar ch : text) {
        if (!target)
            return;
        if (ch.unicode() >= 0x20 && ch.unicode() < 0x7F) {
            QTest::keyClick(target, char(ch.unicode()));
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
        if (!target)
            return;
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &release);
    }
}

void RandomUser::clickAt(QWidget* target, QPoint local, Qt::MouseButton button)
{
    QWidget* top = target->window();
    const QPoint at = target->mapTo(top, local);
    QWidget* hit = top->childAt(at);
    if (!hit)
        hit = top;
    userClick(hit, hit->mapFrom(top, at), button);
}

namespace {

bool userClickable(QWidget* w)
{
    if (!w->isVisible() || !w->isEnabled() || w->width() < 3 || w->height() < 3)
        return false;
    if (w->testAttribute(Qt::WA_TransparentForMouseEvents))
        return false;
    if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) || qobject_cast<QLineEdit*>(w) ||
        qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractItemView*>(w))
        return true;
    if (qobject_cast<KeyboardView*>(w))
        return false;  // the picture has its own moves
    // Drawn controls carry their visible title as accessible name.
    return !w->accessibleName().isEmpty();
}

void collectClickables(QWidget* root, std::vector<QWidget*>& out)
{
    if (userClickable(root))
        out.push_back(root);
    for (QObject* child : root->children())
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow() && w->isVisible())
            collectClickables(w, out);
}

} // namespace

void RandomUser::addWindowMoves(std::vector<Move>& moves, const std::vector<QWidget*>& roots)
{
    auto& main = app_.controller();
    std::vector<QWidget*> clickables;
    for (QWidget* root : roots)
        collectClickables(root, clickables);
    // Quitting is the last move of a run, not a random one.
    clickables.erase(std::remove(clickables.begin(), clickables.end(), static_cast<QWidget*>(uitest::WindowProbe::window(main).closeButton)),
                     clickables.end());
    for (QWidget* w : clickables) {
        const std::string name = describe(w);
        const QPointer<QWidget> guard(w);
        if (qobject_cast<QAbstractItemView*>(w)) {
            moves.push_back({"click.row " + name, 6, [this, guard] {
                                 auto* v = qobject_cast<QAbstractItemView*>(guard.data());
                                 if (!v || !v->model() || v->model()->rowCount() == 0)
                                     return;
                                 const QModelIndex index = v->model()->index(pick(v->model()->rowCount()), 0);
                                 const QRect r = v->visualRect(index);
                                 if (r.isValid())
                                     userClick(v->viewport(), r.center());
                             }});
            continue;
        }
        if (qobject_cast<QLineEdit*>(w)) {
            moves.push_back({"type " + name, 6, [this, guard] {
                                 auto* e = qobject_cast<QLineEdit*>(guard.data());
                                 if (!e)
                                     return;
                                 userClick(e, e->rect().center());
                                 if (!guard)
                                     return;
                                 e->selectAll();
                                 typeText(e, pickOf(typedTexts()));
                                 if (guard && pick(2) == 0)
                                     QTest::keyClick(e, Qt::Key_Return);
                             }});
            continue;
        }
        if (qobject_cast<QAbstractSlider*>(w)) {
            moves.push_back({"slide " + name, 3, [this, guard] {
                                 auto* s = qobject_cast<QAbstractSlider*>(guard.data());
                                 if (!s)
                                     return;
                                 static const Qt::Key keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home,
                                                                Qt::Key_End, Qt::Key_PageUp};
                                 QTest::keyClick(s, keys[pick(5)]);
                             }});
        }
        // Clicks land at a random point of the control (tabs have their
        // menu triangle at one end, sliders their track).
        moves.push_back({"click " + name, 4, [this, guard] {
                             if (!guard || !guard->isVisible())
                                 return;
                             const QPoint p(1 + pick(std::max(1, guard->width() - 2)),
                                            1 + pick(std::max(1, guard->height() - 2)));
                             clickAt(guard, p);
                         }});
    }
    // Keyboard users.
    moves.push_back({"key.tab", 1, [root = QPointer<QWidget>(roots.front())] {
                         if (root)
                             QTest::keyClick(root->window(), Qt::Key_Tab);
                     }});
    moves.push_back({"key.space", 1, [this] {
                         // Space on the focused control; quitting stays the run's last move.
                         QWidget* f = QApplication::focusWidget();
                         if (f && f->isVisible() && f != uitest::WindowProbe::window(app_.controller()).closeButton)
                             QTest::keyClick(f, Qt::Key_Space);
                     }});
    // Windows beside the main one (the version window) are closed too.
    for (QWidget* root : roots)
        if (root != uitest::WindowProbe::window(main).mainView)
            moves.push_back({"window.close " + describe(root), 2, [this, r = QPointer<QWidget>(root)] {
                                 if (!r)
                                     return;
                                 noteWayOut(r, "window-close");
                                 r->close();
                             }});
}

void RandomUser::addPictureMoves(std::vector<Move>& moves)
{
    auto& main = app_.controller();
    KeyboardView* picture = uitest::WindowProbe::currentKeyboardView(main);
    auto kb = KeyboardView::currentKeyboard();
    if (!picture || !picture->isVisible() || !kb || kb->keytopList.empty())
        return;
    auto centre = [this](const KeytopEntry& k) -> std::optional<QPoint> {
        auto& m = app_.controller();
        if (k.keytop.empty() || !uitest::WindowProbe::currentKeyboardView(m))
            return std::nullopt;
        return uitest::WindowProbe::currentKeyboardView(m)->mapFrom(
            uitest::WindowProbe::window(m).mainView, ui::fromBottomLeft(k.keytop.at(0), uitest::WindowProbe::window(m).mainView->height()).center().toPoint());
    };
    moves.push_back({"picture.key", 6, [this, centre] {
                         auto k = KeyboardView::currentKeyboard();
                         auto& m = app_.controller();
                         if (!k || k->keytopList.empty() || !uitest::WindowProbe::currentKeyboardView(m))
                             return;
                         if (auto p = centre(k->keytopList[size_t(pick(int(k->keytopList.size())))]))
                             clickAt(uitest::WindowProbe::currentKeyboardView(m), *p);
                     }});
    moves.push_back({"picture.band", 4, [this, centre] {
                         auto k = KeyboardView::currentKeyboard();
                         auto& m = app_.controller();
                         QPointer<KeyboardView> view = uitest::WindowProbe::currentKeyboardView(m);
                         if (!k || k->keytopList.empty() || !view)
                             return;
                         auto a = centre(k->keytopList[size_t(pick(int(k->keytopList.size())))]);
                         auto b = centre(k->keytopList[size_t(pick(int(k->keytopList.size())))]);
                         if (!a || !b)
                             return;
                         // The band goes to whatever lies on top at the start point.
                         QWidget* top = view->window();
                         const QPoint from = view->mapTo(top, *a);
                         QPointer<QWidget> hit = top->childAt(from) ? top->childAt(from) : top;
                         const QPoint start = hit->mapFrom(top, from);
                         const QPoint end = hit->mapFrom(top, view->mapTo(top, *b));
                         const QPoint endGlobal = hit->mapToGlobal(end);
                         QTest::mousePress(hit, Qt::LeftButton, {}, start);
                         for (const QPoint at : {(start + end) / 2, end}) {
                             if (!hit)
                                 break;
                             QMouseEvent move(QEvent::MouseMove, QPointF(at), hit->mapToGlobal(QPointF(at)),
                                              Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
                             QApplication::sendEvent(hit, &move);
                         }
                         if (hit)
                             QTest::mouseRelease(hit, Qt::LeftButton, {}, end);
                         else
                             releaseAt(endGlobal, Qt::LeftButton);
                     }});
}

void RandomUser::addDialogMoves(std::vector<Move>& moves, QWidget* dialog)
{
    addWindowMoves(moves, {dialog});
    // Note which button ended the dialog: the moves above are plain clicks;
    // the ways out by keyboard and window are these.
    const QPointer<QWidget> guard(dialog);
    moves.push_back({"dialog.escape", 3, [this, guard] {
                         if (!guard)
                             return;
                         noteWayOut(guard, "escape");
                         QTest::keyClick(guard, Qt::Key_Escape);
                     }});
    moves.push_back({"dialog.return", 2, [this, guard] {
                         if (!guard)
                             return;
                         noteWayOut(guard, "return");
                         QTest::keyClick(guard, Qt::Key_Return);
                     }});
    // Keys pressed in the dialog (a key capture field takes them as they come).
    moves.push_back({"dialog.key", 2, [this, guard] {
                         if (!guard)
                             return;
                         static const Qt::Key keys[] = {Qt::Key_A, Qt::Key_Z, Qt::Key_1, Qt::Key_F5, Qt::Key_Space,
                                                        Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Shift,
                                                        Qt::Key_Control, Qt::Key_Tab, Qt::Key_Left};
                         static const Qt::KeyboardModifiers mods[] = {Qt::NoModifier, Qt::ShiftModifier,
                                                                      Qt::ControlModifier, Qt::AltModifier,
                                                                      Qt::ControlModifier | Qt::ShiftModifier};
                         QWidget* target = QApplication::focusWidget();
                         if (!target || !guard->isAncestorOf(target))
                             target = guard;
                         QTest::keyClick(target, keys[pick(int(std::size(keys)))], mods[pick(int(std::size(mods)))]);
                     }});
    moves.push_back({"dialog.close", 3, [this, guard] {
                         if (!guard)
                             return;
                         noteWayOut(guard, "window-close");
                         guard->close();
                     }});
    // Buttons that end a dialog, by their titles.
    for (QWidget* w : dialog->findChildren<QPushButton*>()) {
        auto* b = qobject_cast<QPushButton*>(w);
        if (!b->isVisible() || !b->isEnabled())
            continue;
        const QPointer<QPushButton> bg(b);
        moves.push_back({"dialog.button " + describe(b), 4, [this, guard, bg] {
                             if (!guard || !bg)
                                 return;
                             noteWayOut(guard, "button " + bg->accessibleName().toStdString());
                             userClick(bg, bg->rect().center());
                         }});
    }
}

void RandomUser::addPopupMoves(std::vector<Move>& moves, QWidget* popup)
{
    const QPointer<QWidget> guard(popup);
    if (auto* menu = qobject_cast<QMenu*>(popup)) {
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || !a->isVisible())
                continue;
            const QPointer<QAction> ag(a);
            moves.push_back({"menu.item '" + a->text().toStdString() + "'", 4, [guard, ag] {
                                 auto* m = qobject_cast<QMenu*>(guard.data());
                                 if (!m || !ag)
                                     return;
                                 const QRect r = m->actionGeometry(ag);
                                 if (r.isValid())
                                     userClick(m, r.center());
                             }});
        }
    } else {
        addWindowMoves(moves, {popup});
    }
    moves.push_back({"popup.escape", 2, [this, guard] {
                         if (!guard)
                             return;
                         noteWayOut(guard, "escape");
                         QTest::keyClick(guard, Qt::Key_Escape);
                     }});
}

void RandomUser::addOutsideMoves(std::vector<Move>& moves, bool inDialog)
{
    auto& bus = app_.bus();
    std::vector<Device*> attached, detached;
    for (auto& d : devices_)
        (d->dev->attached() ? attached : detached).push_back(d.get());

    auto note = [this] { ++figures_.outsideEvents; };
    // Ports with nothing plugged in.
    std::vector<uint32_t> free;
    for (uint32_t port : ports_)
        if (!bus.deviceAt(port))
            free.push_back(port);
    const int w = inDialog ? 2 : 1;

    if (devices_.size() < 8 && !free.empty()) {
        moves.push_back({"outside.plug-new", 1, [this, note, free, &bus] {
                             note();
                             const auto& model = shipped::kModels[size_t(pick(int(shipped::kModels.size())))];
                             std::shared_ptr<emu::EmulatedDevice> dev;
                             if (model.kind == shipped::Kind::Mouse)
                                 dev = std::make_shared<emu::EmulatedMouse>(
                                     model, pick(3) == 0 ? emu::EmulatedMouse::Layout::Older
                                                         : emu::EmulatedMouse::Layout::Newer);
                             else
                                 dev = std::make_shared<emu::EmulatedKeyboard>(model);
                             const uint32_t loc = pickOf(free);
                             Device& d = addDevice(dev, loc);
                             bus.attach(d.dev, loc);
                         }});
    }
    if (!attached.empty()) {
        // Unplugging the connected device is the way out of a dialog that
        // the device's removal ends.
        moves.push_back({"outside.unplug", 2 * w, [this, note, attached, &bus] {
                             note();
                             Device* d = pickOf(attached);
                             const int32_t connected = app_.controller().conectDeviceLocation();
                             if (pick(2) == 0)
                                 for (Device* c : attached)
                                     if (int32_t(c->dev->location()) == connected)
                                         d = c;
                             if (QWidget* s = scopeWidget())
                                 noteWayOut(s, "device-removal");
                             bus.detach(d->dev->location());
                         }});
        moves.push_back({"outside.unplug-soon", 1 * w, [this, note, attached, &bus] {
                             note();
                             Device* d = pickOf(attached);
                             const int delay = pick(40);
                             ++pendingUnplugs_;
                             QTimer::singleShot(delay, context_.get(), [this, d, &bus] {
                                 --pendingUnplugs_;
                                 if (d->dev->attached())
                                     bus.detach(d->dev->location());
                             });
                         }});
        moves.push_back({"outside.fault", 3 * w, [this, note, attached] {
                             note();
                             Device* d = pickOf(attached);
                             static const emu::FaultKind kinds[] = {
                                 emu::FaultKind::Drop,        emu::FaultKind::Status, emu::FaultKind::WrongSignature,
                                 emu::FaultKind::WrongEcho,   emu::FaultKind::WrongFlag,
                                 emu::FaultKind::WrongLength, emu::FaultKind::Extra,  emu::FaultKind::Short,
                                 emu::FaultKind::Detach};
                             emu::Fault f;
                             f.kind = kinds[pick(int(std::size(kinds)))];
                             f.times = 1;
                             if (f.kind == emu::FaultKind::Detach && pick(3) != 0)
                                 f.reattachAfter = std::chrono::milliseconds(pick(60));
                             d->dev->inject(f);
                             if (f.kind != emu::FaultKind::Status)
                                 d->tainted = true;
                             ++figures_.faultsInjected;
                             ++figures_.faults[faultName(f.kind)];
                         }});
        moves.push_back({"outside.late-reply", 2 * w, [this, note, attached] {
                             note();
                             Device* d = pickOf(attached);
                             emu::Fault f;
                             f.kind = emu::FaultKind::Late;
                             f.times = 1;
                             // From barely late to past the reply time-out.
                             f.delay = std::chrono::milliseconds(1 + pick(120));
                             d->dev->inject(f);
                             d->tainted = true;
                             ++figures_.faultsInjected;
                             ++figures_.faults["late"];
                         }});
        if (!free.empty())
            moves.push_back({"outside.replug-elsewhere", 1 * w, [this, note, attached, free, &bus] {
                                 note();
                                 Device* d = pickOf(attached);
                                 const uint32_t loc = pickOf(free);
                                 bus.detach(d->dev->location());
                                 d->dev->restoreStored();  // it lost power on the way
                                 bus.attach(d->dev, loc);
                             }});
    }
    if (!detached.empty() && !free.empty()) {
        moves.push_back({"outside.plug-back", 2, [this, note, detached, free, &bus] {
                             note();
                             Device* d = pickOf(detached);
                             if (d->dev->attached())
                                 return;
                             d->dev->restoreStored();
                             // Mostly where it was; now and then another port.
                             uint32_t loc = d->dev->location() ? d->dev->location() : d->home;
                             if (bus.deviceAt(loc) || pick(4) == 0)
                                 loc = pickOf(free);
                             bus.attach(d->dev, loc);
                         }});
    }
    // A profile file damaged behind the application's back.
    std::vector<QString> files;
    for (const auto& [path, hash] : fileHashes_)
        files.push_back(path);
    if (!files.empty())
        moves.push_back({"outside.damage-file", 1, [this, note, files] {
                             note();
                             const QString path = pickOf(files);
                             QFile f(path);
                             if (!f.open(QIODevice::ReadWrite))
                                 return;
                             QByteArray bytes = f.readAll();
                             if (bytes.isEmpty())
                                 return;
                             if (pick(2) == 0)
                                 bytes.truncate(pick(int(bytes.size())));
                             else
                                 for (int i = 0; i < 8; ++i)
                                     bytes[pick(int(bytes.size()))] = char(pick(256));
                             f.resize(0);
                             f.seek(0);
                             f.write(bytes);
                             f.close();
                             damaged_[path] = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
                         }});
}

std::vector<RandomUser::Move> RandomUser::movesFor(QWidget* scope)
{
    std::vector<Move> moves;
    if (scope && (qobject_cast<QMenu*>(scope) || scope->windowType() == Qt::Popup)) {
        addPopupMoves(moves, scope);
        addOutsideMoves(moves, true);
        return moves;
    }
    if (scope) {
        addDialogMoves(moves, scope);
        addOutsideMoves(moves, true);
        return moves;
    }
    auto& main = app_.controller();
    // The main window and the windows beside it (popovers, the version window).
    std::vector<QWidget*> roots{uitest::WindowProbe::window(main).mainView};
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != uitest::WindowProbe::window(main).mainView && top->isVisible() && !qobject_cast<QDialog*>(top) &&
            !qobject_cast<QMenu*>(top))
            roots.push_back(top);
    addWindowMoves(moves, roots);
    addPictureMoves(moves);
    addOutsideMoves(moves, false);
    return moves;
}

// ---------------------------------------------------------------------------
// Invariants
// ---------------------------------------------------------------------------

std::optional<std::string> RandomUser::checkInvariants(bool idle, bool settle)
{
    settleNow_ = settle;
    if (idle)
        ++figures_.invariantChecks;
    else
        ++figures_.dialogChecks;
    if (auto bad = checkDialogs(idle))
        return bad;
    if (!idle)
        return std::nullopt;
    if (auto bad = checkDevice())
        return bad;
    if (auto bad = checkStored())
        return bad;
    if (auto bad = checkProfileFiles())
        return bad;
    if (auto bad = checkWindowAnswers())
        return bad;
    return std::nullopt;
}

std::optional<std::string> RandomUser::checkDialogs(bool idle)
{
    auto& main = app_.controller();
    const auto now = SteadyClock::now();
    std::map<const QWidget*, SteadyClock::time_point> stillHidden;
    for (QWidget* w : DialogRegistry::openDialogs()) {
        auto* d = qobject_cast<ModalDialog*>(w);
        if (!d)
            continue;
        if (idle)
            return "the " + std::string(dialogKindName(d->kind())) +
                   " dialog is still registered as open while nothing runs";
        if (d->isRunning() && !d->isVisible()) {
            // Only a dialog being closed from outside may be hidden, and only briefly.
            auto it = hiddenSince_.find(d);
            const auto since = it == hiddenSince_.end() ? now : it->second;
            stillHidden[d] = since;
            if (!d->isClosingAll() && now - since > std::chrono::milliseconds(500))
                return "the " + std::string(dialogKindName(d->kind())) + " dialog runs modal while hidden";
            if (now - since > std::chrono::seconds(3))
                return "the " + std::string(dialogKindName(d->kind())) +
                       " dialog was closed from outside but still runs modal after 3 s";
        }
    }
    hiddenSince_ = std::move(stillHidden);
    if (QWidget* modal = QApplication::activeModalWidget(); modal && idle)
        return "a modal window (" + describe(modal) + ") is up while no move runs";
    if (!idle)
        return std::nullopt;
    if (QApplication::activePopupWidget())
        return "a popup (" + describe(QApplication::activePopupWidget()) + ") is open while no move runs";
    // The mask is up only under the device strip when nothing else is open.
    if (main.isDialogMaskUp() && !(uitest::WindowProbe::window(main).keyboardSelectView->isVisible()))
        return std::string("the dialog mask is up with no dialog and no device strip");
    if (!main.isHelpMenuEnabled())
        return std::string("the help menu items stay disabled with no dialog open");
    return std::nullopt;
}

std::optional<std::string> RandomUser::checkDevice()
{
    auto& main = app_.controller();
    auto& bus = app_.bus();
    if (firmwareRunShown(main))
        return std::nullopt;
    // Plug events still on their way are given time to arrive.
    auto consistent = [&]() -> std::optional<std::string> {
        const int32_t loc = main.conectDeviceLocation();
        if (loc == -1) {
            if (AppParam::device && (AppParam::device->isEnable() || AppParam::device->hidIsOpened()))
                return std::string("no device is connected but AppParam::device is an open model");
            return std::nullopt;
        }
        auto dev = bus.deviceAt(uint32_t(loc));
        if (!dev)
            return "the window shows the device at " + std::to_string(loc) + " that has left";
        if (!AppParam::device || !AppParam::device->isEnable())
            return "the device at " + std::to_string(loc) + " is connected but AppParam::device is not usable";
        const DeviceType want = isDeviceKeyboard(*dev) ? DeviceType::Keyboard : DeviceType::Mouse;
        if (AppParam::device->deviceType() != want)
            return "AppParam::device is of the wrong kind for the device at " + std::to_string(loc);
        // The window's device must hold a session with it (one that came
        // back at the same place gets a new one). A device that refused the
        // session start asks for its firmware update and is kept without one.
        if (!dev->sessionOpen() && !dev->lastStartRefused() &&
            dev->mode() == emu::EmulatedDevice::Mode::Application)
            return "the device at " + std::to_string(loc) + " is shown connected but has no session (starts " +
                   std::to_string(dev->startCount()) + ", ends " + std::to_string(dev->endCount()) +
                   "; the window's link " + (AppParam::device->hidIsOpened() ? "open" : "closed") +
                   (AppParam::device->hidWasRemoved() ? ", removed" : "") + ")";
        return std::nullopt;
    };
    auto bad = consistent();
    if (!bad) {
        deviceTrouble_.reset();
        return std::nullopt;
    }
    // Plug events still on their way are given time to arrive: the same
    // kind of trouble must last a while before it counts.
    const auto now = SteadyClock::now();
    if (settleNow_)
        emu::waitUntil([&] { return !consistent(); }, options_.settle);
    else if (!deviceTrouble_ || deviceTrouble_->first != bad->substr(0, 30)) {
        deviceTrouble_ = std::make_pair(bad->substr(0, 30), now);
        return std::nullopt;
    } else if (now - deviceTrouble_->second < options_.settle) {
        return std::nullopt;
    }
    bad = consistent();
    if (bad) {
        std::ostringstream state;
        state << " [bus:";
        for (uint32_t l : bus.locations())
            state << " " << l;
        state << "; listed:";
        for (const auto& e : uitest::WindowProbe::devices(main).planeDeviceList())
            state << " " << e.deviceLocation << (e.isEnable ? "" : "(off)");
        state << "; connected " << main.conectDeviceLocation() << "; transactions "
              << platform::activeTransactions() << ", idle work kept " << platform::pendingIdleWork() << "]";
        *bad += state.str();
    }
    return bad;
}

std::optional<std::string> RandomUser::checkStored()
{
    auto& main = app_.controller();
    if (firmwareRunShown(main))
        return std::nullopt;
    for (auto& up : devices_) {
        Device& d = *up;
        auto& dev = *d.dev;
        if (dev.startCount() != d.session) {
            // A new session: it starts from what the device holds.
            d.session = dev.startCount();
            d.sessionClean = settingsOf(dev, false) == settingsOf(dev, true);
            d.tainted = dev.activeFaults() > 0;
            d.storesSeen = dev.storeCount();
        }
        if (dev.storeCount() != d.storesSeen) {
            d.storesSeen = dev.storeCount();
            if (!d.tainted)
                d.sessionClean = true;
        }
        const bool connected = dev.attached() && int32_t(dev.location()) == main.conectDeviceLocation();
        if (!connected || !dev.sessionOpen() || d.tainted || !d.sessionClean)
            continue;
        if (AppParam::keyboardSettingsChanged)
            continue;
        if (settingsOf(dev, false) != settingsOf(dev, true))
            return "the device at " + std::to_string(dev.location()) +
                   " holds sent settings that are not stored, and the window shows nothing unsent";
    }
    return std::nullopt;
}

std::optional<std::string> RandomUser::checkProfileFiles()
{
    const QString root = AppUtil::appWorkFolder();
    if (root.isEmpty())
        return std::nullopt;
    std::map<QString, QByteArray> seen;
    QDirIterator it(root, {QStringLiteral("*.prf"), QStringLiteral("*.mprf")}, QDir::Files,
                    QDirIterator::Subdirectories);
    std::optional<std::string> bad;
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray hash = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
        seen[path] = hash;
        auto known = fileHashes_.find(path);
        if (known != fileHashes_.end() && known->second == hash)
            continue;  // unchanged since the last look
        auto dam = damaged_.find(path);
        if (dam != damaged_.end() && dam->second == hash)
            continue;  // the damage this run did itself
        // New or rewritten by the application: it must be whole. A file
        // this run damaged and the application then added a member to keeps
        // the damaged members as they were: there the index and at least
        // one member (the one written) must read.
        const bool carriesDamage = dam != damaged_.end();
        FileIndex index;
        if (AppUtil::loadProfile(path, index, AppUtil::kIndexMemberName) != AppError::NoError) {
            bad = "the profile file " + path.toStdString() + " was written but its index cannot be read";
            continue;
        }
        std::string broken;
        int whole = 0;
        bool writtenBroken = false;
        const QString written = AppParam::device && AppParam::device->isEnable()
                                    ? QStringLiteral("profile.%1.xml").arg(AppParam::device->profileExt())
                                    : QString();
        for (const auto& entry : index.fileIndexEntry) {
            QByteArray data;
            if (AppUtil::loadCheckedMember(path, entry.name, data) == AppError::NoError) {
                ++whole;
            } else {
                if (broken.empty())
                    broken = entry.name.toStdString();
                writtenBroken = writtenBroken || entry.name == written;
            }
        }
        if (broken.empty())
            damaged_.erase(path);
        else if (!carriesDamage || whole == 0 || writtenBroken)
            bad = "the profile file " + path.toStdString() + " was written but its member " + broken +
                  " is damaged";
        else
            dam->second = hash;
    }
    fileHashes_ = std::move(seen);
    return bad;
}

std::optional<std::string> RandomUser::checkWindowAnswers()
{
    auto& main = app_.controller();
    QWidget* win = uitest::WindowProbe::window(main).mainView;
    if (!win->isVisible())
        return std::string("the main window is not visible");
    QWindow* handle = win->windowHandle();
    if (!handle)
        return std::string("the main window has no window");
    // A press through the window system reaches the window (nothing modal
    // blocks it); the filter swallows it so that it changes nothing.
    class Swallow : public QObject {
    public:
        explicit Swallow(QWidget* root) : root_(root) {}
        bool pressed = false;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            const auto t = e->type();
            if (t != QEvent::MouseButtonPress && t != QEvent::MouseButtonRelease && t != QEvent::MouseMove &&
                t != QEvent::MouseButtonDblClick)
                return false;
            auto* w = qobject_cast<QWidget*>(o);
            if (!w || (w != root_ && !root_->isAncestorOf(w)))
                return false;
            if (t == QEvent::MouseButtonPress)
                pressed = true;
            return true;
        }

    private:
        QWidget* root_;
    } swallow(win);
    qApp->installEventFilter(&swallow);
    const QPoint at = uitest::WindowProbe::window(main).mainHeaderView->mapTo(win, QPoint(uitest::WindowProbe::window(main).mainHeaderView->width() / 2, 2));
    QTest::mouseClick(handle, Qt::LeftButton, {}, at);
    qApp->removeEventFilter(&swallow);
    if (!swallow.pressed)
        return std::string("a click on the main window does not reach it");
    return std::nullopt;
}

} // namespace stress
