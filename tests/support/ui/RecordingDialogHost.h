#pragma once
// A stand-in for the main window as dialog host: keeps the mask and help
// menu states, counts their changes and installs itself as the registry's
// host for its lifetime.

#include <QPointer>
#include <QWidget>

#include "Dialog/DialogRegistry.h"

namespace uitest {

class RecordingDialogHost : public IDialogHost {
public:
    RecordingDialogHost() : previous_(DialogRegistry::host()) { DialogRegistry::setHost(this); }
    ~RecordingDialogHost() override { DialogRegistry::setHost(previous_); }
    RecordingDialogHost(const RecordingDialogHost&) = delete;
    RecordingDialogHost& operator=(const RecordingDialogHost&) = delete;

    QWidget* dialogReferenceWindow() override { return window.data(); }
    bool isDialogMaskUp() const override { return maskUp; }
    void setDialogMask(bool enable) override
    {
        maskUp = enable;
        ++maskChanges;
    }
    bool isHelpMenuEnabled() const override { return helpEnabled; }
    void setHelpMenu(bool enable) override
    {
        helpEnabled = enable;
        ++helpChanges;
    }

    QPointer<QWidget> window;
    bool maskUp = false;
    bool helpEnabled = true;
    int maskChanges = 0;
    int helpChanges = 0;

private:
    IDialogHost* previous_;
};

} // namespace uitest
