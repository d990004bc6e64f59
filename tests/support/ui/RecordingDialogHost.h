#pragma once
// A stand-in for the main window as host of the dialogs and panels: keeps
// the mask and help menu states and counts their changes, gives panels a
// body widget and tab anchors of its own, answers the device-list questions
// as set, records the actions asked of the window, and installs itself as
// the registry's host for its lifetime.

#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

#include "Dialog/DialogRegistry.h"

namespace uitest {

class RecordingDialogHost : public IDialogHost {
public:
    RecordingDialogHost() : previous_(&DialogRegistry::host()) { DialogRegistry::setHost(this); }
    ~RecordingDialogHost() override { DialogRegistry::setHost(previous_); }
    RecordingDialogHost(const RecordingDialogHost&) = delete;
    RecordingDialogHost& operator=(const RecordingDialogHost&) = delete;

    QWidget* dialogReferenceWindow() override { return window.data(); }
    QWidget* bodyView() override { return body.get(); }
    QWidget* tabMenuAnchor(FunctionTab tab) override
    {
        const auto it = tabs.find(tab);
        return it == tabs.end() ? nullptr : it->second;
    }
    TabMenuSettingView* apcModeStrip() override { return nullptr; }

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

    AppError onSaveTheKeyboard() override
    {
        ++stores;
        return storeResult;
    }
    void execFirmwareUpdate() override { ++firmwareRuns; }
    void appendKeyboardProfileList() override { ++appends; }

    bool isAnyDeviceListed() const override { return devicesListed; }
    bool isExistSameDeviceType() const override { return sameDeviceTypeAttached; }

    // Makes the body widget (a window of the main window's size) and one tab
    // per function along its top edge, for panels created with this host.
    void makeBody(const QSize& size)
    {
        body = std::make_unique<QWidget>();
        body->resize(size);
        int x = 0;
        for (FunctionTab tab : {FunctionTab::ApcSetting, FunctionTab::GamingSetting, FunctionTab::OtherSetting,
                                FunctionTab::MButtonSetting, FunctionTab::MLedSetting, FunctionTab::MSensorSetting,
                                FunctionTab::MOtherSetting}) {
            auto* anchor = new QWidget(body.get());
            anchor->setGeometry(x, 0, 100, 30);
            tabs[tab] = anchor;
            x += 100;
        }
    }

    QPointer<QWidget> window;
    std::unique_ptr<QWidget> body;
    std::map<FunctionTab, QWidget*> tabs;
    bool maskUp = false;
    bool helpEnabled = true;
    int maskChanges = 0;
    int helpChanges = 0;
    // Answers.
    bool devicesListed = true;
    bool sameDeviceTypeAttached = false;
    AppError storeResult = AppError::NoError;
    // Actions asked of the window.
    int stores = 0;
    int firmwareRuns = 0;
    int appends = 0;

private:
    IDialogHost* previous_;
};

} // namespace uitest
