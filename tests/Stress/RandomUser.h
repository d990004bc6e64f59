#pragma once
// A seeded random user of the whole application on the virtual bus.
//
// Each step picks one move with a std::mt19937 seeded by the given seed
// among what a user can do at that moment (clicks on visible, enabled
// controls of the window or of the dialog that is up, keys and bands on the
// keyboard picture, typing, Escape, Return, closing a dialog's window) or an
// event from outside (plug, unplug, re-plug elsewhere, a fault or a late
// reply injected into a device's next answer, an unplug a few milliseconds
// later, a damaged profile file).
//
// Steps are driven by zero-length timers, so a move that opens a modal
// dialog keeps the run going inside the dialog's own event loop: the next
// step acts on the dialog (or on a message box or menu opened from it). A
// move never starts while another move waits for the device outside a new
// dialog or menu, as a user can only act on what is on screen.
//
// After every step the invariants are checked (see checkInvariants()); the
// first failure ends the run with the seed and the step number, and a
// watchdog thread reports a move that does not give control back within
// the bound. After the last step the user leaves every dialog, the final
// invariants are checked and the application is quit through its close
// button.

#include "support/ui/AppHarness.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

class QEventLoop;
class QObject;
class QWidget;

namespace stress {

class RandomChooser;

struct Options {
    uint32_t seed = 1;
    int steps = 200;
    // A move must hand control back (or open something the user can act
    // on) within this time.
    std::chrono::milliseconds bound{30000};
    // How long a device's trouble must last before it counts: plug events
    // may still be on their way.
    std::chrono::milliseconds settle{3000};
    // Print every step to standard error.
    bool verbose = false;
};

// Reads KOLVENTRA_STRESS_STEPS, KOLVENTRA_STRESS_SEED (a number, or "random"
// for one taken from the clock) and KOLVENTRA_STRESS_VERBOSE over `defaults`.
Options optionsFromEnvironment(Options defaults);

// What a run did.
struct Figures {
    int steps = 0;
    int invariantChecks = 0;       // checks of the whole set, at idle
    int dialogChecks = 0;          // checks of the dialog invariants inside a dialog
    int faultsInjected = 0;
    int outsideEvents = 0;
    std::map<std::string, int> moves;          // by move name
    std::map<std::string, int> faults;         // by fault kind
    std::map<std::string, int> dialogWaysOut;  // "<dialog kind> <way>"
    std::map<std::string, int> chooser;        // file chooser answers by kind
    int maxDepth = 0;
    int sessionsLeftOpenAtQuit = 0;   // devices other than the shown one
    double seconds = 0;
    std::string summary() const;
};

class RandomUser {
public:
    RandomUser(apptest::AppHarness& app, Options options);
    ~RandomUser();
    RandomUser(const RandomUser&) = delete;
    RandomUser& operator=(const RandomUser&) = delete;

    // Runs all steps, leaves every dialog, checks, quits the application.
    // True when nothing failed; failure() says what did, with the seed and
    // step to replay.
    bool run();
    const std::string& failure() const { return failure_; }
    const Figures& figures() const { return figures_; }

    // The checks after a step; returns the first broken invariant. `idle`
    // (no move on the stack, no dialog or menu up) adds the checks that only
    // hold when the application rests. With `settle`, a device state that
    // does not match the bus is given up to 3 s of event processing at once
    // (otherwise it must persist over the checks of 3 s of steps).
    std::optional<std::string> checkInvariants(bool idle, bool settle = false);

    // Called from the watchdog thread when a move overruns the bound, with
    // the report; the default prints it and aborts the process.
    std::function<void(const std::string&)> onWatchdog;

    // How replaying this run is asked for.
    std::string replayHint() const;

    // Lets a test put a move in front of the random choice: the next step
    // runs `move` (named `name`) instead of drawing one.
    void forceNextMove(std::string name, std::function<void()> move);

private:
    struct Move {
        std::string name;
        int weight = 1;
        std::function<void()> run;
    };
    struct Device;

    void tick();
    static bool animationRunning();
    void scheduleNext(int ms = 0);
    void runMove(const Move& move, QWidget* scope);
    void leaveStep(QWidget* scope);
    void finish();
    void fail(const std::string& what);
    void progress();
    void watchdogLoop();

    QWidget* scopeWidget(bool* hiddenModal = nullptr) const;
    std::vector<Move> movesFor(QWidget* scope);
    void addWindowMoves(std::vector<Move>& moves, const std::vector<QWidget*>& roots);
    void addPictureMoves(std::vector<Move>& moves);
    void addDialogMoves(std::vector<Move>& moves, QWidget* dialog);
    void addPopupMoves(std::vector<Move>& moves, QWidget* popup);
    void addOutsideMoves(std::vector<Move>& moves, bool inDialog);

    // A click the way the pointer does it: the widget on top at that point
    // of the window gets it.
    void clickAt(QWidget* target, QPoint local, Qt::MouseButton button = Qt::LeftButton);
    void noteWayOut(QWidget* dialog, const std::string& way);

    std::optional<std::string> checkDialogs(bool idle);
    std::optional<std::string> checkDevice();
    std::optional<std::string> checkStored();
    std::optional<std::string> checkProfileFiles();
    std::optional<std::string> checkWindowAnswers();

    Device* deviceFor(const void* emulated);
    Device& addDevice(std::shared_ptr<emu::EmulatedDevice> device, uint32_t home);
    int pick(int n);
    template <class T> const T& pickOf(const std::vector<T>& items) { return items[size_t(pick(int(items.size())))]; }

    apptest::AppHarness& app_;
    Options options_;
    std::mt19937 rng_;
    Figures figures_;
    std::string failure_;

    int step_ = 0;
    bool finished_ = false;
    bool finishing_ = false;
    bool scheduled_ = false;
    bool checking_ = false;
    bool settleNow_ = false;
    QWidget* checkScope_ = nullptr;  // the scope a running check began in
    // A device inconsistency seen and since when (it must persist to count).
    std::optional<std::pair<std::string, std::chrono::steady_clock::time_point>> deviceTrouble_;
    int leaveTries_ = 0;
    int pendingUnplugs_ = 0;  // "unplug soon" timers not fired yet
    std::vector<QWidget*> stack_;  // the scope each running move started in
    std::vector<QPointer<QWidget>> stackGuards_;
    std::string currentMove_;
    std::deque<std::string> recent_;
    std::optional<std::pair<std::string, std::function<void()>>> forced_;
    QEventLoop* loop_ = nullptr;
    std::unique_ptr<QObject> context_;

    // Hidden modal dialogs first seen at (they must end soon).
    std::map<const QWidget*, std::chrono::steady_clock::time_point> hiddenSince_;

    // Devices: every emulated device the run plugged in at some time.
    std::vector<std::unique_ptr<Device>> devices_;
    std::vector<uint32_t> ports_;  // where devices may be plugged in

    // Profile files: content hash per path, and the paths this run damaged
    // itself (exempt until the application writes them anew).
    std::map<QString, QByteArray> fileHashes_;
    std::map<QString, QByteArray> damaged_;

    std::atomic<int64_t> lastProgressMs_{0};
    std::atomic<bool> stopWatchdog_{false};
    std::atomic<bool> watchdogFired_{false};
    std::atomic<int> watchStep_{0};
    std::thread watchdog_;
    std::string watchMove_; // guarded by watchMutex_
    std::mutex watchMutex_;
    std::chrono::steady_clock::time_point started_;
    std::unique_ptr<RandomChooser> chooser_;  // when the dialogs ask through a chooser
};

} // namespace stress
