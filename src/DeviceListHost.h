#pragma once
// What the device list (DeviceListController) needs of the window it
// serves; the main window controller implements it.

#include <cstdint>

class KeyboardListView;
class QWidget;

class DeviceListHost {
public:
    // Connects entry `index` of deviceList(); outside it, shows no device.
    virtual void connectDevice(int index) = 0;
    // Lets the current device go; with `reflectUi`, shows the no-device view.
    virtual void disconnectDevice(bool reflectUi) = 0;
    // A device came or went: every open dialog closes.
    virtual void plugInOffKeyboard() = 0;
    // The location of the connected device, -1 for none.
    virtual int32_t conectDeviceLocation() const = 0;
    // The device strip the list fills.
    virtual KeyboardListView& deviceStrip() = 0;
    // The firmware run takes the dialog mask down and shows its window over
    // this one.
    virtual void setDialogMask(bool enableMask) = 0;
    virtual QWidget* dialogReferenceWindow() = 0;

protected:
    ~DeviceListHost() = default;
};
