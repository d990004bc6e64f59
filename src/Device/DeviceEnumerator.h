#pragma once
// Which device models exist, which supported devices are attached, and when
// that changes.
//
// - enumDeviceProfile(verifyProfile) reads every device description package,
//   the shipped ones and the ones the user added, keeps the newest
//   description per model number and stores the list as
//   AppParam::targetProfileList. The supported models are exactly the
//   descriptions found.
// - GetDevicePathList() lists the attached devices with a vendor interface
//   (usage page 0xFF00, usage 1 or 2) whose vendor and product IDs match a
//   description, one entry per location; syncDeviceList() merges that list
//   with the previous one, asks devices whose IDs several models share for
//   their model number (DeviceEntry), and sorts the result.
// - startPolling() starts hot-plug notification; every device that arrives or
//   goes reaches plugInDeviceCallback / plugOffDeviceCallback on the main
//   thread. A notice that arrives while a device transaction is in progress
//   (its reply wait runs the event loop) is held back and delivered after the
//   outermost transaction has returned; several held-back notices of one kind
//   are delivered once, since each handler re-reads the whole device list.
//
// There is one enumerator in the application, made by the main window at
// start-up. Main thread only.

#include "Platform/Hid/HidBackend.h"
#include "Utility/AppError.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class DeviceProfile;

class DeviceEnumerator {
public:
    // One attached supported device.
    struct DeviceEnumEntry {
        // The device can be offered to the user.
        bool isEnable = true;
        // Location of the device (its identity across the system).
        int32_t deviceLocation = 0;
        // Model number of the matched description or reported by the device.
        QString modelNumber;
        // The matched description, or none.
        std::shared_ptr<DeviceProfile> profile;
    };

    using PlugCallback = std::function<void()>;

    DeviceEnumerator();
    ~DeviceEnumerator();
    DeviceEnumerator(const DeviceEnumerator&) = delete;
    DeviceEnumerator& operator=(const DeviceEnumerator&) = delete;

    // Hot-plug notification while polling; none before, or when it could not
    // be started.
    std::unique_ptr<platform::hid::Monitor> hidManager;
    // Vendor usage page of the devices.
    uint32_t usagePage = platform::hid::kVendorUsage.page;
    // startPolling() has run.
    bool isPolling = false;
    // Called when a supported device may have arrived / gone.
    PlugCallback plugInDeviceCallback;
    PlugCallback plugOffDeviceCallback;

    // Rebuilds AppParam::targetProfileList from the shipped description
    // packages (AppUtil::getApplicationProfilePaths()) and then the user's
    // (".key" and ".mou" files of AppUtil::appWorkFolder()), each set in text
    // order of the paths. A package that cannot be read, whose description
    // is malformed (DeviceProfile::validate()) or whose version number is
    // below 1002.0 is left out. Per model number the description with the
    // highest version wins; of equal versions the one read later. With
    // verifyProfile, descriptions whose pictures do not load are removed
    // afterwards. Returns the result of the last package read: NoError when
    // it was usable (or there was none), its read error, or BadParam for a
    // malformed description.
    AppError enumDeviceProfile(bool verifyProfile);

    // One description package judged as enumDeviceProfile() judges the
    // packages of the per-user folder: a file whose extension is exactly
    // "key" or "mou", with a description that reads and is well-formed.
    // Null otherwise, with `result` the read error (FileRead for another
    // extension) or BadParam; on success it comes back with profilePath set.
    static std::shared_ptr<DeviceProfile> readPackage(const QString& path, AppError& result);
    // The pictures of a description from readPackage() load and decode
    // within the picture caps, as enumDeviceProfile(true) requires and as
    // connecting the device needs them.
    static bool hasLoadablePictures(const DeviceProfile& description);

    // The attached devices (vendor interface with usage 1 or 2) whose vendor
    // and product IDs match a description, in the order the HID layer lists
    // them, one entry per location (a device with two vendor interfaces is
    // listed once). The entry of a device whose description several models
    // share has no model number and no description yet.
    std::vector<DeviceEnumEntry> GetDevicePathList();

    // Index in AppParam::targetProfileList of the first description with
    // these IDs; -1 when none.
    int isTargetDevice(int32_t productID, int32_t vendorID);

    // Merges a fresh list (GetDevicePathList) with the previous one:
    //  1. an entry whose location was in the old list takes over the old
    //     entry's isEnable and modelNumber;
    //  2. each enabled entry without a model number is probed (DeviceEntry):
    //     success gives the reported model number, DeviceIsInvalid (the
    //     device could not be asked now) leaves the entry as it is, any other
    //     error disables it; then an enabled entry with a model number but
    //     without a description gets the first description of that model;
    //  3. the list is sorted by model number (text order), then by location
    //     (signed), keeping the order of equal entries.
    std::vector<DeviceEnumEntry> syncDeviceList(std::vector<DeviceEnumEntry> newDeviceList,
                                                const std::vector<DeviceEnumEntry>& oldDeviceList);

    // Starts hot-plug notification once; later calls do nothing, also when
    // the first could not start it.
    void startPolling();

    // The enumerator that last started polling; null before, and after it
    // was destroyed. Hot-plug notices go to its call-backs.
    static DeviceEnumerator* selfInstance();

    // Told by the HID transport when the device it has open goes away. The
    // removal notice of the hot-plug monitor may have been handled before
    // (and the device be back at the same place by then, so that the list
    // looked unchanged): a device-gone notice makes the list be read again.
    static void openDeviceGone();

private:
    // Hot-plug handlers registered with the HID layer.
    static void DeviceRemovedCallback(const platform::hid::DeviceInfo& device);
    static void DeviceDetectedCallback(const platform::hid::DeviceInfo& device);
};
