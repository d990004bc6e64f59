#include "Device/DeviceEnumerator.h"

#include "AppParam.h"
#include "Device/DeviceEntry.h"
#include "Platform/RunLoop.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "XML/DeviceProfile.h"
#include "XML/KeyboardProfile.h"
#include "XML/MouseProfile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImage>

#include <algorithm>
#include <array>
#include <set>

namespace {

using platform::hid::UsagePair;

DeviceEnumerator* g_selfInstance = nullptr;

// A hot-plug notice of that kind is waiting for the end of a transaction.
bool g_plugInPending = false;
bool g_plugOffPending = false;

const QString kDescriptionMember = QStringLiteral("Profile.xml");

QStringList sortedPaths(QStringList paths)
{
    std::sort(paths.begin(), paths.end());
    return paths;
}

// The description packages the user added: files of the per-user folder whose
// extension is exactly "key" or "mou".
QStringList userPackagePaths()
{
    const QDir folder(AppUtil::appWorkFolder());
    if (!folder.exists())
        return {};
    const QString keyExt = QString::fromLatin1(AppParam::KeyboardProfileExt);
    const QString mouExt = QString::fromLatin1(AppParam::MouseProfileExt);
    QStringList paths;
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QString& name : names) {
        const QString ext = QLatin1Char('.') + QFileInfo(name).suffix();
        if (ext == keyExt || ext == mouExt)
            paths << folder.filePath(name);
    }
    return sortedPaths(paths);
}

// Reads the description of one package; null with `result` set when the
// package cannot be read or is malformed.
std::shared_ptr<DeviceProfile> readDescription(const QString& path, AppError& result)
{
    const QString ext = QLatin1Char('.') + QFileInfo(path).suffix();
    std::shared_ptr<DeviceProfile> description;
    if (ext == QLatin1String(AppParam::KeyboardProfileExt)) {
        KeyboardProfile keyboard;
        result = AppUtil::loadProfile(path, keyboard, kDescriptionMember);
        if (result == AppError::NoError)
            description = std::make_shared<KeyboardProfile>(std::move(keyboard));
    } else if (ext == QLatin1String(AppParam::MouseProfileExt)) {
        MouseProfile mouse;
        result = AppUtil::loadProfile(path, mouse, kDescriptionMember);
        if (result == AppError::NoError)
            description = std::make_shared<MouseProfile>(std::move(mouse));
    } else {
        result = AppError::FileRead;
    }
    if (!description)
        return nullptr;
    // A malformed header (version, IDs) or body must never be matched
    // against a device.
    result = description->validate();
    if (result != AppError::NoError)
        return nullptr;
    return description;
}

// The pictures of a description load.
bool picturesLoad(const DeviceProfile& description)
{
    if (const auto* keyboard = dynamic_cast<const KeyboardProfile*>(&description)) {
        const KeyboardProfile::KeyboardImages images = keyboard->getKeyboardImage();
        return !images.keyBody.isNull() && !images.keyButton.isNull();
    }
    if (const auto* mouse = dynamic_cast<const MouseProfile*>(&description)) {
        // Every picture is decoded once to judge the package.
        QHash<QString, PackagePicture> tabImages;
        return mouse->LoadMouseTabImages(tabImages) == AppError::NoError;
    }
    return false;
}

// Delivers a hot-plug notice to the polling enumerator, at once when no
// transaction is in progress, else after the outermost one has returned.
void deliverPlugNotice(bool plugIn)
{
    bool& pending = plugIn ? g_plugInPending : g_plugOffPending;
    if (pending)
        return; // the notice already waiting re-reads the whole list
    pending = true;
    platform::runWhenIdle([plugIn] {
        (plugIn ? g_plugInPending : g_plugOffPending) = false;
        DeviceEnumerator* self = DeviceEnumerator::selfInstance();
        if (!self)
            return;
        // A copy: the handler may replace the call-backs.
        const DeviceEnumerator::PlugCallback callback =
            plugIn ? self->plugInDeviceCallback : self->plugOffDeviceCallback;
        if (callback)
            callback();
    });
}

} // namespace

DeviceEnumerator::DeviceEnumerator() = default;

DeviceEnumerator::~DeviceEnumerator()
{
    hidManager.reset();
    if (g_selfInstance == this)
        g_selfInstance = nullptr;
}

DeviceEnumerator* DeviceEnumerator::selfInstance() { return g_selfInstance; }

AppError DeviceEnumerator::enumDeviceProfile(bool verifyProfile)
{
    const QStringList userPaths = userPackagePaths();
    const QStringList shippedPaths = sortedPaths(AppUtil::getApplicationProfilePaths());

    std::vector<std::shared_ptr<DeviceProfile>> list;
    AppError result = AppError::NoError;

    for (const QStringList* paths : {&shippedPaths, &userPaths}) {
        for (const QString& path : *paths) {
            std::shared_ptr<DeviceProfile> description = readDescription(path, result);
            if (!description)
                continue;
            // validate() has checked that the version number reads.
            description->dProfileVersion = description->versionNumber().value_or(0.0);
            if (description->dProfileVersion < AppParam::supportKeyboardProfileVersion)
                continue;

            // Newest per model: the first description of the same model that
            // is not newer gives way; when only newer ones exist this one is
            // dropped.
            bool sameModelFound = false;
            bool add = false;
            for (auto it = list.begin(); it != list.end(); ++it) {
                if ((*it)->modelNumber != description->modelNumber)
                    continue;
                sameModelFound = true;
                if ((*it)->dProfileVersion <= description->dProfileVersion) {
                    list.erase(it);
                    add = true;
                    break;
                }
            }
            if (!sameModelFound)
                add = true;
            if (add) {
                description->profilePath = path;
                list.push_back(std::move(description));
            }
        }
    }

    if (verifyProfile) {
        std::erase_if(list, [](const std::shared_ptr<DeviceProfile>& d) { return !picturesLoad(*d); });
    }

    AppParam::targetProfileList = std::move(list);
    return result;
}

std::shared_ptr<DeviceProfile> DeviceEnumerator::readPackage(const QString& path, AppError& result)
{
    std::shared_ptr<DeviceProfile> description = readDescription(path, result);
    if (description)
        description->profilePath = path;
    return description;
}

bool DeviceEnumerator::hasLoadablePictures(const DeviceProfile& description)
{
    return picturesLoad(description);
}

std::vector<DeviceEnumerator::DeviceEnumEntry> DeviceEnumerator::GetDevicePathList()
{
    const std::array<UsagePair, 2> usages{{{uint16_t(usagePage), 1}, {uint16_t(usagePage), 2}}};
    const std::vector<platform::hid::DeviceInfo> devices = platform::hid::backend().enumerate(usages);

    std::vector<DeviceEnumEntry> list;
    std::set<uint32_t> locations;
    for (const platform::hid::DeviceInfo& device : devices) {
        const int index = isTargetDevice(int32_t(device.productId), int32_t(device.vendorId));
        if (index < 0)
            continue;
        // A device with two vendor interfaces is one device: its location is
        // its identity.
        if (!locations.insert(device.location).second)
            continue;

        DeviceEnumEntry entry;
        entry.deviceLocation = static_cast<int32_t>(device.location);
        const std::shared_ptr<DeviceProfile>& description = AppParam::targetProfileList[size_t(index)];
        if (!description->multiDeviceModel) {
            entry.modelNumber = description->modelNumber;
            entry.profile = description;
        }
        list.push_back(std::move(entry));
    }
    return list;
}

int DeviceEnumerator::isTargetDevice(int32_t productID, int32_t vendorID)
{
    const auto& list = AppParam::targetProfileList;
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i])
            continue;
        // IDs that do not read as hexadecimal never match.
        const std::optional<uint16_t> product = list[i]->productIdValue();
        const std::optional<uint16_t> vendor = list[i]->vendorIdValue();
        if (product && vendor && int32_t(*product) == productID && int32_t(*vendor) == vendorID)
            return int(i);
    }
    return -1;
}

std::vector<DeviceEnumerator::DeviceEnumEntry> DeviceEnumerator::syncDeviceList(
    std::vector<DeviceEnumEntry> newDeviceList, const std::vector<DeviceEnumEntry>& oldDeviceList)
{
    // A device that was disabled stays disabled while it stays at the same
    // location; a model number found by an earlier probe carries over.
    for (const DeviceEnumEntry& old : oldDeviceList) {
        for (DeviceEnumEntry& entry : newDeviceList) {
            if (entry.deviceLocation == old.deviceLocation) {
                entry.isEnable = old.isEnable;
                entry.modelNumber = old.modelNumber;
                break;
            }
        }
    }

    for (DeviceEnumEntry& entry : newDeviceList) {
        if (!entry.isEnable)
            continue;
        if (entry.modelNumber.isEmpty()) {
            DeviceEntry probe;
            const AppError result = probe.getDeviceInfo(static_cast<uint32_t>(entry.deviceLocation));
            if (result == AppError::NoError) {
                if (const std::optional<QString> model = probe.modelNumber())
                    entry.modelNumber = *model;
            } else if (result != AppError::DeviceIsInvalid) {
                entry.isEnable = false;
                continue;
            }
        }
        if (!entry.profile && !entry.modelNumber.isEmpty()) {
            for (const auto& description : AppParam::targetProfileList) {
                if (description && description->modelNumber == entry.modelNumber) {
                    entry.profile = description;
                    break;
                }
            }
        }
    }

    std::stable_sort(newDeviceList.begin(), newDeviceList.end(),
                     [](const DeviceEnumEntry& a, const DeviceEnumEntry& b) {
                         if (a.modelNumber != b.modelNumber)
                             return a.modelNumber < b.modelNumber;
                         return a.deviceLocation < b.deviceLocation;
                     });
    return newDeviceList;
}

void DeviceEnumerator::startPolling()
{
    if (isPolling)
        return;
    isPolling = true;
    g_selfInstance = this;

    const std::array<UsagePair, 1> usages{{{uint16_t(usagePage), 1}}};
    platform::hid::MonitorCallbacks callbacks;
    callbacks.matched = &DeviceEnumerator::DeviceDetectedCallback;
    callbacks.removed = &DeviceEnumerator::DeviceRemovedCallback;
    platform::hid::Status status = platform::hid::Status::Error;
    std::unique_ptr<platform::hid::Monitor> monitor =
        platform::hid::backend().startMonitor(usages, std::move(callbacks), status);
    // Without notification the application keeps working on the list it has;
    // there is no message and no second attempt.
    if (status != platform::hid::Status::Success)
        return;
    hidManager = std::move(monitor);
}

void DeviceEnumerator::DeviceRemovedCallback(const platform::hid::DeviceInfo& /*device*/)
{
    deliverPlugNotice(false);
}

void DeviceEnumerator::openDeviceGone()
{
    // Called from inside the transport's input handler: the notice is handled
    // from the event loop, never while the transport is on the stack.
    platform::runLater(platform::Seconds(0), [] {
        if (g_selfInstance)
            deliverPlugNotice(false);
    });
}

void DeviceEnumerator::DeviceDetectedCallback(const platform::hid::DeviceInfo& /*device*/)
{
    deliverPlugNotice(true);
}
