#pragma once
// The attached devices as the main window knows them, and how it follows
// them: the device enumerator; the list of every attached supported device
// (planeDeviceList, enabled or not) and its usable part (deviceList, in the
// order of the device strip); the strip's tiles; hot-plug, whose events wait
// while a menu is open; the firmware update run, during which the list
// stands still; and the recovery from a failing device. The main
// window controller owns it; this list chooses the entry, and the window,
// through DeviceListHost, connects it and shows it. Main thread only.

#include "CustomControl/KeyboardListView.h"
#include "Device/DeviceEnumerator.h"
#include "DeviceListHost.h"

#include <QImage>
#include <QObject>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class DeviceProfile;
class QMenu;
class QTimer;
class QWidget;

class DeviceListController : public QObject, public KeyboardListViewDelegate {
    Q_OBJECT
public:
    using DeviceEnumEntry = DeviceEnumerator::DeviceEnumEntry;

    explicit DeviceListController(DeviceListHost& host);
    ~DeviceListController() override;
    // Stops following the devices: the menu timer stops and the
    // enumerator's plug events are no longer taken.
    void stopFollowing();

    // ----- the lists -----------------------------------------------------------------
    // Makes the enumerator, reads the description packages and the attached
    // devices, connects the remembered device (or the first one with a
    // description), fills the strip and from then on follows hot-plug;
    // devices plugged in or out during that first connect are followed
    // right after it.
    void initKeyboardEnum();
    // Rebuilds the lists, drops unusable entries and connects the remembered
    // device; when it is gone and `autoDetect`, the nearest one after a
    // pause. Ignored while a firmware update runs or is ending.
    void keyboardListChanged(bool autoDetect);
    // Refills the strip from deviceList; `openView` when the panel opens.
    void updateKeyboardListView(bool openView);
    void selectionChangedKeyboardListView(QObject* id, int newIndex) override;
    void scrollKeyboardListView(QObject* id, int newIndex) override { (void)id; (void)newIndex; }
    // Whether another attached device has the connected one's model number.
    bool isExistSameDeviceType() const;
    // Copies the chosen description package (AppParam::firmwareFilePath)
    // into the application's folder, reads the packages again and follows
    // the change.
    void appendKeyboardProfileList();

    // ----- hot-plug --------------------------------------------------------------------
    // A menu began / ended tracking: while one is open, a change of the
    // attached-device count closes it (checked every 0.1 s), and plug events
    // wait until it has closed.
    void menuWiiShowNotification(QMenu* menu);
    void menuDidHideNotification();

    // ----- firmware update ---------------------------------------------------------
    // Runs the firmware update (one at a time). While it runs, and after it
    // until the updated device has left to restart (at most
    // kFirmupdateEndingLimit seconds), list changes are ignored; a failed
    // update is recovered from.
    void execFirmwareUpdate();
    bool isFirmupdating() const { return isFirmupdating_; }
    bool isFirmupdateEnding() const { return isFirmupdateEnding_; }
    static constexpr double kFirmupdateEndingLimit = 10.0;

    // ----- recovery -----------------------------------------------------------------
    // A device command to the device at `location` failed: its entry is
    // dropped (or, after a second failure during one connect, disabled until
    // it is unplugged), every dialog closes, the device is let go and the
    // list is followed again. Nothing happens for a location not listed.
    void setConnectedDeviceError(int32_t location);
    // The device at `location` could not be opened: logs `logLine`, tells
    // once when the device nodes are not accessible, and recovers.
    void openFailed(int32_t location, const char* logLine);
    // Counts a connect in progress for as long as it lives: a device that
    // fails while one runs is retried once, then left alone.
    class ConnectAttempt {
    public:
        explicit ConnectAttempt(DeviceListController& list) : list_(list) { ++list_.connectDepth_; }
        ~ConnectAttempt() { --list_.connectDepth_; }
        ConnectAttempt(const ConnectAttempt&) = delete;
        ConnectAttempt& operator=(const ConnectAttempt&) = delete;

    private:
        DeviceListController& list_;
    };
    // The device at `location` is connected: its failures are forgotten.
    void connectSucceeded(int32_t location);

    // ----- state ----------------------------------------------------------------------
    const std::vector<DeviceEnumEntry>& deviceList() const { return deviceList_; }
    const std::vector<DeviceEnumEntry>& planeDeviceList() const { return planeDeviceList_; }
    // The enumerator once initKeyboardEnum has run, else null.
    const DeviceEnumerator* keyEnum() const { return keyEnum_.get(); }
    // The first entry of deviceList at `location`, or null.
    const DeviceEnumEntry* entryAt(int32_t location) const;

private:
    // The enumerator's plug events: the list is followed again; a device
    // leaving also ends the wait for an updated device to restart.
    void plugInKeyboard();
    void plugOffKeyboard();
    // Rebuilds both lists from the enumerator's fresh scan.
    void updateDevicePathList();
    // The index in deviceList of the first entry at `location`, or -1.
    int indexOf(int32_t location) const;
    bool filterUnusableEntries();
    // Closes the current device as one that is gone (nothing is sent to
    // it) and lets the window forget it without a redraw.
    void letGoWithoutTraffic();
    bool isUsable(const DeviceEnumEntry& entry);
    QImage thumbnail(const DeviceEnumEntry& entry);
    void tellIfPermissionDenied(int32_t location);
    // Holds a plug event (true: a device left) while a menu is open or the
    // first connect runs; false when it is to be handled now.
    bool holdPlugEvent(bool plugOff);
    // Hands the held plug events on in their order, unless a menu opened
    // again or the first connect still runs.
    void releaseHeldPlugEvents();

    DeviceListHost& host_;
    std::vector<DeviceEnumEntry> deviceList_;
    std::vector<DeviceEnumEntry> planeDeviceList_;
    std::unique_ptr<DeviceEnumerator> keyEnum_;

    bool isFirmupdating_ = false;
    bool isFirmupdateEnding_ = false;
    // Updates run so far; the ending state's time limit belongs to one run.
    int firmwareRun_ = 0;

    std::optional<int> showMenuDeviceListCount_;
    QTimer* pollingTimer_ = nullptr;
    bool menuTracking_ = false;
    // initKeyboardEnum is connecting the first device.
    bool startingUp_ = false;
    std::vector<bool> heldPlugEvents_;

    // Automatic reconnects per location during one connect (see
    // setConnectedDeviceError); reset when the device leaves.
    std::map<int32_t, int> connectFailures_;
    int connectDepth_ = 0;
    // Told once that the device nodes cannot be opened (udev rule missing).
    bool permissionProblemShown_ = false;
    // Device pictures by description object (held weakly: a description
    // that is gone cannot pass for a new one at the same address).
    std::map<const DeviceProfile*, std::pair<std::weak_ptr<DeviceProfile>, QImage>> thumbnails_;
};
