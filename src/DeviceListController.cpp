#include "DeviceListController.h"

#include "AppParam.h"
#include "Device/DeviceCall.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/DialogAppendKeyboard.h"
#include "Dialog/DialogHooks.h"
#include "Platform/Clock.h"
#include "Platform/Hid/HidBackend.h"
#include "Platform/RunLoop.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "XML/KeyboardProfile.h"
#include "XML/MouseProfile.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <algorithm>

DeviceListController::DeviceListController(DeviceListHost& host) : host_(host) {}

DeviceListController::~DeviceListController()
{
    stopFollowing();
}

void DeviceListController::stopFollowing()
{
    // Plug events still held for a menu are moot once nothing follows them.
    heldPlugEvents_.clear();
    menuDidHideNotification();
    if (keyEnum_) {
        keyEnum_->plugInDeviceCallback = nullptr;
        keyEnum_->plugOffDeviceCallback = nullptr;
    }
}

int DeviceListController::indexOf(int32_t location) const
{
    for (size_t i = 0; i < deviceList_.size(); ++i)
        if (deviceList_[i].deviceLocation == location)
            return int(i);
    return -1;
}

const DeviceListController::DeviceEnumEntry* DeviceListController::entryAt(int32_t location) const
{
    const int index = indexOf(location);
    return index < 0 ? nullptr : &deviceList_[size_t(index)];
}

// =============================================================================
// The lists
// =============================================================================

void DeviceListController::initKeyboardEnum()
{
    keyEnum_ = std::make_unique<DeviceEnumerator>();
    // A package that cannot be read is left out; the others are used.
    (void)keyEnum_->enumDeviceProfile(false);
    updateDevicePathList();
    keyEnum_->startPolling();
    // The enumerator is this list's own and cannot outlive it; stopFollowing
    // clears both. Plug events that come during the first connect (a
    // question it asks runs the event loop) are held and followed once the
    // strip is filled.
    startingUp_ = true;
    keyEnum_->plugInDeviceCallback = [this] { plugInKeyboard(); };
    keyEnum_->plugOffDeviceCallback = [this] { plugOffKeyboard(); };

    int index = indexOf(AppParam::selectDeviceLocation);
    if (index < 0 && !deviceList_.empty())
        index = 0;
    if (index >= 0 && !deviceList_[size_t(index)].profile) {
        for (size_t i = 0; i < deviceList_.size(); ++i)
            if (deviceList_[i].profile) {
                index = int(i);
                break;
            }
    }
    host_.connectDevice(index);
    updateKeyboardListView(false);
    startingUp_ = false;
    releaseHeldPlugEvents();
}

void DeviceListController::updateDevicePathList()
{
    if (!keyEnum_)
        return;
    planeDeviceList_ = keyEnum_->syncDeviceList(keyEnum_->GetDevicePathList(), planeDeviceList_);
    deviceList_.clear();
    for (const auto& e : planeDeviceList_)
        if (e.isEnable)
            deviceList_.push_back(e);
    // A device that left the bus may be retried afresh when it comes back.
    for (auto it = connectFailures_.begin(); it != connectFailures_.end();) {
        const bool present = std::any_of(planeDeviceList_.begin(), planeDeviceList_.end(),
                                         [&](const DeviceEnumEntry& e) { return e.deviceLocation == it->first; });
        it = present ? std::next(it) : connectFailures_.erase(it);
    }
}

QImage DeviceListController::thumbnail(const DeviceEnumEntry& entry)
{
    if (!std::dynamic_pointer_cast<KeyboardProfile>(entry.profile) &&
        !std::dynamic_pointer_cast<MouseProfile>(entry.profile))
        return {};
    // Reading a picture from its package is slow; a description object's
    // picture does not change, and re-reading the descriptions makes new ones.
    // Read in the window's pixel density.
    const QWidget* window = host_.dialogReferenceWindow();
    const qreal ratio = window ? window->devicePixelRatioF() : 1.0;
    const DeviceProfile* key = entry.profile.get();
    auto it = thumbnails_.find(key);
    if (it == thumbnails_.end() || it->second.first.expired()) {
        thumbnails_.erase(key);
        it = thumbnails_.emplace(key, std::make_pair(std::weak_ptr<DeviceProfile>(entry.profile),
                                                     entry.profile->getDeviceThumbImage(ratio))).first;
    }
    return it->second.second;
}

bool DeviceListController::isUsable(const DeviceEnumEntry& entry)
{
    return !thumbnail(entry).isNull();
}

void DeviceListController::letGoWithoutTraffic()
{
    if (AppParam::device)
        (void)AppParam::device->close(false); // no device traffic: cannot fail
    host_.disconnectDevice(false);
}

// Removes unusable entries from deviceList. When the connected device turns
// out unusable, the list is rebuilt by a nested keyboardListChanged, which
// also reconnects; the outer walk then ends (returns true) and leaves the
// rest to that nested run.
bool DeviceListController::filterUnusableEntries()
{
    for (size_t i = 0; i < deviceList_.size();) {
        if (isUsable(deviceList_[i])) {
            ++i;
            continue;
        }
        if (deviceList_[i].deviceLocation == host_.conectDeviceLocation()) {
            // The connection is only forgotten, without a redraw and without
            // a word to the device: the rebuild below connects another
            // device or shows none.
            letGoWithoutTraffic();
            // Unreadable packages are left out; the others are used.
            if (keyEnum_)
                (void)keyEnum_->enumDeviceProfile(true);
            keyboardListChanged(true);
            return true;
        }
        deviceList_.erase(deviceList_.begin() + std::ptrdiff_t(i));
    }
    return false;
}

void DeviceListController::keyboardListChanged(bool autoDetect)
{
    if (isFirmupdating_ || isFirmupdateEnding_)
        return;
    const int32_t c0 = host_.conectDeviceLocation();
    const int i0 = indexOf(AppParam::selectDeviceLocation);
    updateDevicePathList();
    // The connected device was unplugged; if it is back at the same place it
    // looks unchanged in the list, but its session is gone with the old
    // node. It is let go without traffic and connected afresh below.
    const bool replugged = host_.conectDeviceLocation() != -1 && AppParam::device && AppParam::device->hidWasRemoved();
    if (replugged)
        letGoWithoutTraffic();
    if (filterUnusableEntries())
        return;

    int index = indexOf(AppParam::selectDeviceLocation);
    if (index < 0 && autoDetect && !deviceList_.empty()) {
        index = std::max(0, std::min(i0, int(deviceList_.size()) - 1));
        // Blocks without processing events, so that no plug event re-enters
        // the list update meanwhile.
        platform::sleepFor(platform::Seconds(1.5));
    }
    host_.connectDevice(index);
    // The device shown left and the one picked in its place could not be
    // connected (its package or pictures are gone): the window shows no
    // device rather than go on showing the one that left.
    const int32_t now = host_.conectDeviceLocation();
    const bool goneStillShown = now != -1 && indexOf(now) < 0;
    const bool letGoUnseen = c0 != -1 && now == -1 && index >= 0;
    if (goneStillShown || letGoUnseen)
        host_.disconnectDevice(true);
    updateKeyboardListView(false);
    if (replugged || host_.conectDeviceLocation() != c0)
        host_.plugInOffKeyboard();
}

void DeviceListController::selectionChangedKeyboardListView(QObject*, int newIndex)
{
    if (newIndex < int(deviceList_.size()))
        host_.connectDevice(newIndex);
}

void DeviceListController::updateKeyboardListView(bool openView)
{
    KeyboardListView& keyboardList = host_.deviceStrip();
    keyboardList.removeAllItem();
    if (filterUnusableEntries())
        return;
    for (size_t i = 0; i < deviceList_.size(); ++i) {
        const auto& e = deviceList_[i];
        QImage thumb = thumbnail(e);
        // A double-density twin keeps its ratio: the strip shows it at the
        // size of its member and scales it in device pixels.
        const qreal ratio = thumb.devicePixelRatio();
        AppUtil::convertImageSizeToDpi72(thumb);
        thumb.setDevicePixelRatio(ratio);
        auto* item = new KeyboardListItem;
        item->labelText->setText(QStringLiteral("Entry_%1").arg(i));
        item->setDefaultImage(QPixmap::fromImage(thumb));
        item->view()->setAccessibleName(e.profile ? e.profile->name : QString());
        const bool selected = e.deviceLocation == host_.conectDeviceLocation();
        item->setSelected(selected);
        keyboardList.addItem(item);
    }
    keyboardList.DisplayItemAtIndexCheck(openView);
    if (deviceList_.empty())
        host_.disconnectDevice(true);
}

bool DeviceListController::isExistSameDeviceType() const
{
    const int32_t connected = host_.conectDeviceLocation();
    const auto it = std::find_if(planeDeviceList_.begin(), planeDeviceList_.end(),
                                 [&](const DeviceEnumEntry& e) { return e.deviceLocation == connected; });
    if (it == planeDeviceList_.end() || it->modelNumber.isEmpty())
        return false;
    const QString model = it->modelNumber;
    return std::count_if(planeDeviceList_.begin(), planeDeviceList_.end(),
                         [&](const DeviceEnumEntry& e) { return e.modelNumber == model; }) >= 2;
}

void DeviceListController::appendKeyboardProfileList()
{
    const QString folder = AppUtil::appWorkFolder();
    if (!QDir().mkpath(folder)) {
        Logger::log("Error: create profile copy directory");
        AppUtil::messageBox(QStringLiteral("FailedToAccessFolder"), QStringLiteral("OK"), QString());
        return;
    }
    const QFileInfo source(AppParam::firmwareFilePath);
    const QString target = QDir(folder).filePath(source.fileName());
    // A package picked from the folder itself is already in place. Any
    // other goes in as the bytes that were judged, through a staged copy
    // and a rename, so that a failure keeps the earlier package; the user
    // has been told why it did not.
    const QString inPlace = QFileInfo(target).canonicalFilePath();
    if ((inPlace.isEmpty() || inPlace != source.canonicalFilePath()) &&
        DialogAppendKeyboard::installPackage(source.filePath(), folder) != AppError::NoError)
        return;
    // Unreadable packages are left out; the others are used.
    if (keyEnum_)
        (void)keyEnum_->enumDeviceProfile(true);
    keyboardListChanged(true);
}

// =============================================================================
// Hot-plug
// =============================================================================

void DeviceListController::plugInKeyboard()
{
    if (!holdPlugEvent(false))
        keyboardListChanged(true);
}

void DeviceListController::plugOffKeyboard()
{
    if (holdPlugEvent(true))
        return;
    keyboardListChanged(true);
    isFirmupdateEnding_ = false;
}

void DeviceListController::menuWiiShowNotification(QMenu* menu)
{
    menuTracking_ = true;
    if (!keyEnum_)
        return;
    showMenuDeviceListCount_ = int(keyEnum_->GetDevicePathList().size());
    if (!pollingTimer_) {
        pollingTimer_ = new QTimer(this);
        pollingTimer_->setInterval(platform::scaledMs(platform::Seconds(0.1)));
        connect(pollingTimer_, &QTimer::timeout, this, [this, m = QPointer<QMenu>(menu)] {
            if (!showMenuDeviceListCount_ || !keyEnum_)
                return;
            if (int(keyEnum_->GetDevicePathList().size()) == *showMenuDeviceListCount_)
                return;
            menuDidHideNotification();
            if (m)
                m->close();
        });
    }
    pollingTimer_->start();
}

void DeviceListController::menuDidHideNotification()
{
    showMenuDeviceListCount_.reset();
    if (pollingTimer_) {
        pollingTimer_->stop();
        pollingTimer_->deleteLater();
        pollingTimer_ = nullptr;
    }
    menuTracking_ = false;
    // The held plug events run once the menu is off the screen, not while
    // it is still being hidden.
    if (!heldPlugEvents_.empty())
        QTimer::singleShot(0, this, &DeviceListController::releaseHeldPlugEvents);
}

bool DeviceListController::holdPlugEvent(bool plugOff)
{
    // A device list update (with its pause before a reconnect) under an open
    // menu would keep the menu on the screen meanwhile; the menu is closed
    // by the device-count check and the events follow in their order. One
    // inside the first connect would work on a list not yet complete.
    if (!menuTracking_ && !startingUp_)
        return false;
    heldPlugEvents_.push_back(plugOff);
    return true;
}

void DeviceListController::releaseHeldPlugEvents()
{
    if (menuTracking_ || startingUp_)
        return;
    std::vector<bool> events;
    events.swap(heldPlugEvents_);
    // Each goes the way a plug event comes from the enumerator: not inside a
    // device transaction (a reply wait of the reconnect the previous one
    // started), but after it.
    for (const bool plugOff : events)
        platform::runWhenIdle([self = QPointer<DeviceListController>(this), plugOff] {
            if (!self || !self->keyEnum_ || !self->keyEnum_->plugInDeviceCallback)
                return; // no longer following
            if (plugOff)
                self->plugOffKeyboard();
            else
                self->plugInKeyboard();
        });
}

// =============================================================================
// Firmware update
// =============================================================================

void DeviceListController::execFirmwareUpdate()
{
    // One update at a time: a start while one runs, or while the device of
    // the last one has not come back yet, is refused.
    if (isFirmupdating_ || isFirmupdateEnding_)
        return;
    host_.setDialogMask(false);
    if (!dialogHooks().firmwareUpdate)
        return;
    const std::shared_ptr<IDeviceEntry> device = AppParam::device;
    isFirmupdating_ = true;
    const AppError result = dialogHooks().firmwareUpdate(host_.dialogReferenceWindow());
    isFirmupdating_ = false;
    if (result != AppError::NoError) {
        // The run has told the user what went wrong. A firmware file that
        // could not be read or failed its check once more ended it before
        // anything was sent: the device is fine and stays connected, unsent
        // changes and all. Anything else came from the device and goes by
        // the call-outcome policy: busy is left alone, a device replaced
        // meanwhile is not touched, a failed one is recovered.
        if (result != AppError::FileRead)
            (void)settleDeviceCall(result, device);
        return;
    }
    const int32_t location = AppParam::selectDeviceLocation;
    isFirmupdateEnding_ = true;
    const int run = ++firmwareRun_;
    // The update ends with the device restarting into its new firmware: the
    // handle still open is the one of the device before the restart, which
    // has no session left to end and may already be gone. It is let go
    // without a word to the device.
    letGoWithoutTraffic();
    const double delay = AppParam::device->deviceType() == DeviceType::Mouse ? 1.0 : 0.5;
    QTimer::singleShot(platform::scaledMs(platform::Seconds(delay)), this, [this, location] {
        if (!isFirmupdateEnding_ && !AppUtil::isConnectedDevice(location))
            setConnectedDeviceError(location);
    });
    // A device that never leaves after its update would keep hot-plug
    // ignored for good: the ending state gives up after a while and the
    // device list is read again.
    QTimer::singleShot(platform::scaledMs(platform::Seconds(kFirmupdateEndingLimit)), this,
                       [this, run] {
                           if (run != firmwareRun_ || !isFirmupdateEnding_)
                               return;
                           isFirmupdateEnding_ = false;
                           keyboardListChanged(true);
                       });
}

// =============================================================================
// Recovery
// =============================================================================

void DeviceListController::setConnectedDeviceError(int32_t location)
{
    if (!keyEnum_)
        return;
    if (indexOf(location) < 0)
        return;
    // A device failing while it is being connected is retried once; after
    // that its entry is disabled at this location until it is unplugged, so
    // that connect and recovery cannot chase each other without end.
    const bool giveUp = connectDepth_ > 0 && ++connectFailures_[location] > 1;
    auto plane = std::find_if(planeDeviceList_.begin(), planeDeviceList_.end(),
                              [&](const DeviceEnumEntry& e) { return e.deviceLocation == location; });
    if (plane != planeDeviceList_.end()) {
        if (giveUp)
            plane->isEnable = false;
        else
            planeDeviceList_.erase(plane);
    }
    if (giveUp && AppParam::selectDeviceLocation == location) {
        // Let the device list fall back to the next device.
        AppParam::selectDeviceLocation = 0;
    }
    host_.plugInOffKeyboard();
    host_.disconnectDevice(false);
    keyboardListChanged(true);
}

void DeviceListController::connectSucceeded(int32_t location)
{
    connectFailures_.erase(location);
}

void DeviceListController::tellIfPermissionDenied(int32_t location)
{
    if (permissionProblemShown_)
        return;
    platform::hid::Status status = platform::hid::Status::NoDevice;
    auto probe = platform::hid::backend().open(uint32_t(location), platform::hid::kVendorUsage,
                                               /*seize*/ false, status);
    probe.reset();
    if (status != platform::hid::Status::NotPermitted)
        return;
    permissionProblemShown_ = true;
    AppUtil::messageBox(QStringLiteral("DevicePermissionDenied"), QStringLiteral("OK"), QString());
}

void DeviceListController::openFailed(int32_t location, const char* logLine)
{
    Logger::log(std::string(logLine));
    tellIfPermissionDenied(location);
    setConnectedDeviceError(location);
}
