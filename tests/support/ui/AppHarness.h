#pragma once
// Starts the whole application on the virtual HID bus: an emulated keyboard
// and mouse attached, the settings in a temporary folder, the main window
// controller created and started as the application does. Shared by the
// test programs and the test application program (screenshots, smoke run).
// Main thread only; one harness at a time.

#include "support/EmulatedKeyboard.h"
#include "support/EmulatedMouse.h"
#include "support/VirtualHidBus.h"

#include <QObject>
#include <QRect>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class MainViewController;
class AppDelegate;
class QDialog;
class MainTabView;

namespace apptest {

// Tells when a message box of the application is shown.
class BoxWatch : public QObject {
public:
    explicit BoxWatch(std::function<void()> onShown);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onShown_;
};

inline constexpr uint32_t kKeyboardLocation = 0x01100000;
inline constexpr uint32_t kMouseLocation = 0x01200000;

struct HarnessOptions {
    bool keyboard = true;
    bool mouse = true;
    // The location remembered from the last run (written to the settings file).
    std::optional<int32_t> rememberedLocation;
    // The visible screen area the window is placed in (the real one when empty).
    std::optional<QRect> screen;
    // start() returns only once the devices are connected (else right after
    // the window was shown).
    bool waitForDevices = true;
    // Time scale of every fixed delay while the harness lives.
    double timeScale = 0.02;
};

// The options for a start with the keyboard and/or the mouse on the bus,
// and the location remembered from the last run, if any.
inline HarnessOptions devices(bool keyboard, bool mouse, std::optional<int32_t> remembered = {})
{
    HarnessOptions o;
    o.keyboard = keyboard;
    o.mouse = mouse;
    o.rememberedLocation = remembered;
    return o;
}

class AppHarness {
public:
    explicit AppHarness(HarnessOptions options = {});
    ~AppHarness();
    AppHarness(const AppHarness&) = delete;
    AppHarness& operator=(const AppHarness&) = delete;

    // Starts the application as main() does (without the instance lock) and
    // waits until its devices are connected; false when the start failed.
    bool start();

    MainViewController& controller() const;
    emu::VirtualHidBus& bus() const { return **bus_; }
    QString workFolder() const { return work_.path(); }

    std::shared_ptr<emu::EmulatedKeyboard> keyboard;
    std::shared_ptr<emu::EmulatedMouse> mouse;

    // Answers every message box the application puts up: `answer` gets the
    // box's message key and returns 1 (OK) or 0 (Cancel); the harness presses
    // that button; a negative answer leaves the box open. Unset: every box
    // is answered with OK.
    std::function<int(const QString& messageKey)> answer;
    // Message keys of the boxes seen, in order.
    std::vector<QString> asked;

    // Runs the event loop until `done` or the time-out.
    static bool waitFor(const std::function<bool()>& done, int milliseconds = 3000);

private:
    void pollMessageBoxes();

    HarnessOptions options_;
    QTemporaryDir work_;
    std::unique_ptr<emu::ScopedVirtualBus> bus_;
    std::unique_ptr<BoxWatch> boxWatch_;
    std::unique_ptr<AppDelegate> delegate_;
    double previousScale_ = 1.0;
};

// A user's click on a function tab: on its title (away from the menu
// triangle), or on the triangle that opens and closes the tab's menu.
void clickTabTitle(MainTabView* tab);
void clickTabTriangle(MainTabView* tab);

} // namespace apptest
