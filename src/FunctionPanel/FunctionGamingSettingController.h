#pragma once
// The panel of the keyboard's key-lock tab: one switch turns the keyboard's
// key-lock function on or off. While it is on, a click on a key of the
// picture locks or unlocks that key, the picture tints the locked keys, and
// the whole per-key lock list goes to the keyboard at once. Send makes the
// keyboard store the changes.

#include "FunctionPanel/FunctionPanel.h"
#include "CustomControl/NKButton.h"
#include "FunctionPanel/KeyboardPanelSupport.h"
#include "KeyboardView/KeyboardView.h"
#include "KeyboardView/KeyboardViewDelegate.h"

#include <QPointer>

#include <memory>
#include <vector>

class KeyboardEntry;
class KeyboardView;
class NKButton;

class FunctionGamingSettingController : public FunctionPanel, public KeyboardViewDelegate {
public:
    explicit FunctionGamingSettingController(IDialogHost& host);
    ~FunctionGamingSettingController() override;

    KeyboardView* keyboardView() override;

    // The switch was clicked; `checked` is its new state.
    void pushKeyLock(bool checked);
    // The picture finished a click on keys: their locks flip and the lock
    // list is sent while the switch is on.
    void applyKeySelect(KeyboardView* id) override;

    KeyboardView* picture() const { return keyboardView_; }
    NKButton* keylockButton() const { return keylockButton_; }

    // The 128 lock values sent to the keyboard, indexed by key code: Lock
    // where a key that takes per-key settings is locked, else Unlock.
    static std::vector<KeytopLock> keyLockList(const KeyboardEntry& keyboard);

private:
    // Re-reads the key-lock switch from the keyboard, lays the switch out,
    // stops a running LED effect and sets the picture's modes.
    void setUpPanel() override;
    void initDialogItem();
    // The model's switch value and the switch's look (image, title colour).
    void setKeylockState(bool on);
    void showKeylockState(bool on);
    void updateKeyboardCropMode();
    CallOutcome sendKeylockCommand(const std::shared_ptr<KeyboardEntry>& keyboard);

    QPointer<KeyboardView> keyboardView_;
    QPointer<NKButton> keylockButton_;
};
