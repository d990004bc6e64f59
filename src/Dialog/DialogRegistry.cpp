#include "Dialog/DialogRegistry.h"

#include <algorithm>

#include <QWidget>

#include "Dialog/DialogMessageBox.h"
#include "Dialog/ModalDialog.h"

namespace {

struct Entry {
    QPointer<QWidget> dialog;
    DialogKind kind;
};

// The host while no main window is registered.
class NoDialogHost final : public IDialogHost {
public:
    QWidget* dialogReferenceWindow() override { return nullptr; }
    QWidget* bodyView() override { return nullptr; }
    QWidget* tabMenuAnchor(FunctionTab) override { return nullptr; }
    TabMenuSettingView* apcModeStrip() override { return nullptr; }
    bool isDialogMaskUp() const override { return false; }
    void setDialogMask(bool) override {}
    bool isHelpMenuEnabled() const override { return false; }
    void setHelpMenu(bool) override {}
    // Nothing can be stored without a window: as if the user declined.
    AppError onSaveTheKeyboard() override { return AppError::UiCancel; }
    void execFirmwareUpdate() override {}
    void appendKeyboardProfileList() override {}
    bool isAnyDeviceListed() const override { return false; }
    bool isExistSameDeviceType() const override { return false; }
};

IDialogHost* g_host = nullptr;

std::vector<Entry>& entries()
{
    static std::vector<Entry> list;
    return list;
}

// Drops entries whose widget was destroyed without unregistering.
void prune()
{
    auto& list = entries();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [](const Entry& e) { return e.dialog.isNull(); }),
               list.end());
}

bool isModalKind(DialogKind kind)
{
    return kind != DialogKind::VersionInfo && kind != DialogKind::FirmwareUpdate;
}

} // namespace

void DialogRegistry::setHost(IDialogHost* host) { g_host = host; }

IDialogHost& DialogRegistry::host()
{
    static NoDialogHost none;
    return g_host ? *g_host : none;
}

void DialogRegistry::add(QWidget* dialog, DialogKind kind)
{
    if (!dialog)
        return;
    remove(dialog);
    entries().push_back(Entry{dialog, kind});
}

void DialogRegistry::remove(QWidget* dialog)
{
    auto& list = entries();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [dialog](const Entry& e) {
                                  return e.dialog.isNull() || e.dialog.data() == dialog;
                              }),
               list.end());
}

QWidget* DialogRegistry::current(DialogKind kind)
{
    prune();
    const auto& list = entries();
    for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (it->kind == kind)
            return it->dialog.data();
    return nullptr;
}

bool DialogRegistry::anyModalOpen()
{
    prune();
    return std::any_of(entries().begin(), entries().end(),
                       [](const Entry& e) { return isModalKind(e.kind); });
}

std::vector<QWidget*> DialogRegistry::openDialogs()
{
    prune();
    std::vector<QWidget*> out;
    for (const auto& e : entries())
        out.push_back(e.dialog.data());
    return out;
}

void DialogRegistry::closeAllForDeviceRemoval()
{
    // Message boxes first, innermost first. Each action ends only that box's
    // run; the boxes' callers continue once control unwinds to them.
    std::vector<QPointer<DialogMessageBox>> boxes;
    prune();
    for (const auto& e : entries())
        if (e.kind == DialogKind::MessageBox)
            if (auto* box = qobject_cast<DialogMessageBox*>(e.dialog.data()))
                boxes.emplace_back(box);
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it)
        if (*it && (*it)->isOpen())
            (*it)->endForDeviceRemoval();

    static constexpr DialogKind order[] = {
        DialogKind::ProfileSave,          DialogKind::MProfileSave,
        DialogKind::ProfileLoad,          DialogKind::MProfileLoad,
        DialogKind::IndicatorLedSettings, DialogKind::FirmwareFileSelect,
        DialogKind::ProfileFolderSelect,  DialogKind::AppendKeyboard,
        DialogKind::CustomKeySetting,
    };
    for (DialogKind kind : order) {
        // Collect first: closeAllWindow may change the registry.
        std::vector<QPointer<ModalDialog>> ofKind;
        prune();
        for (const auto& e : entries())
            if (e.kind == kind)
                if (auto* d = qobject_cast<ModalDialog*>(e.dialog.data()))
                    ofKind.emplace_back(d);
        for (auto& d : ofKind)
            if (d && d->isOpen())
                d->closeAllWindow();
    }
}
