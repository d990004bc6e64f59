#pragma once
// The custom key capture dialog: records one key combination typed on the
// computer's keyboard (at most three modifier keys and one other key) for a
// mouse button. The combination is a list of virtual key codes (the key
// position codes of AppParam::KeyCodeDict and AppParam::ModifierDict) in
// display order.
//
// Use (the mouse button panel does this):
//   auto* d = DialogCustomKeySetting::sharedManager();
//   d->loadUI();
//   d->customKeyCodeList = current; d->showCustomText(); d->okButton()->setEnabled(true);
//   int code = d->exec();          // 1 OK, 0 Cancel or closed from outside
//   if (code == 1) use d->customKeyCodeList;
//
// Capture: a click on the key field starts it (the field empties, OK is
// disabled) and grabs the keyboard for the dialog, so the keys typed reach
// only the field; nothing is tapped system-wide. Keys are identified by the
// physical key (the native scan code, evdev code + 8) through one table,
// so the result does not depend on the keyboard layout. Capture ends when
// every key pressed since has been released, or at once on Caps Lock. The
// keyboard grab is released whenever capture ends and on every way out of
// the dialog (OK, Cancel, Escape, closeAllWindow, destruction). Autorepeat
// is ignored, keys without a name are ignored, and the Caps Lock state is
// never changed.

#include "Dialog/ModalDialog.h"

#include <QLabel>
#include <QPointer>

#include <optional>
#include <vector>

class QKeyEvent;
class QPushButton;
class DialogCustomKeySetting;

// Told when the key field is clicked.
class CustomKeyTextFieldDelegate {
public:
    virtual ~CustomKeyTextFieldDelegate() = default;
    virtual void clickTextField() = 0;
};

// The field that shows the combination. A click starts capture; while it
// captures, its key events go to the dialog, its edge is lit, and until the
// first key arrives it asks for a key combination in grey.
class CustomKeyTextField : public QLabel {
    Q_OBJECT
public:
    explicit CustomKeyTextField(QWidget* parent = nullptr);

    CustomKeyTextFieldDelegate* delegate2 = nullptr;
    // The capture switch: keys change the combination only while it is set.
    bool isFocusTextbox = false;

    // The request shown while capturing with no key pressed yet.
    void setCapturePrompt(const QString& prompt);
    // What the field shows now: its text, or the request while capturing.
    QString shownText() const;

    void didClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QString capturePrompt_;
};

class DialogCustomKeySetting : public ModalDialog, public CustomKeyTextFieldDelegate {
    Q_OBJECT
public:
    // The one instance of the run (created on first use, parentless).
    static DialogCustomKeySetting* sharedManager();
    ~DialogCustomKeySetting() override;

    // Prepares one opening: texts, colours, the field showing the
    // placeholder, both lists empty, capture off, OK disabled.
    void loadUI();

    // The combination (the result after OK).
    std::vector<int> customKeyCodeList;
    // Keys seen going down and not yet up, in the order they went down.
    std::vector<int> pressKeyList;
    // OK or Cancel was pressed: key handlers do nothing more.
    bool isWindowClose = false;

    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    CustomKeyTextField* textCustomKey() const { return textCustomKey_; }
    QLabel* titleLabel() const { return titleLabel_; }

    // Sorts the list into display order and shows its key names joined by
    // " + " in the field.
    void showCustomText();

    // The key handlers, by virtual key code (fed from the field's key
    // events; public for tests that drive the capture rules directly).
    void keyDown(int keyCode);
    void keyUp(int keyCode);
    // A modifier key (or Caps Lock, 57) went down or up.
    void flagsChanged(int keyCode, bool down);

    void clickTextField() override;

    // The virtual key code of a physical key (native scan code: evdev code
    // + 8), or std::nullopt for a key the application does not know.
    static std::optional<int> virtualKeyFromScanCode(quint32 nativeScanCode);
    // The eight modifier keys.
    static bool isModifierKey(int keyCode);

    // Whether the dialog holds the keyboard grab now.
    bool isGrabbingKeyboard() const;

    // A key event of the field (or of the dialog) while it is open.
    void handleKeyEvent(QKeyEvent* event);

    // Ends the modal run; the keyboard grab goes with it.
    void done(int code) override;

public slots:
    void pushOK() override;
    void pushCancel() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    DialogCustomKeySetting();
    void buildUi();
    void endCapture();
    void addModifierKeyCode(int keyCode);
    void makeCustomKeyList(int keyCode);
    void enableDisableOKButton();
    void releaseGrab();
    bool jisDisplay() const;
    bool hasName(int keyCode) const;
    int getModifireKeyCount() const;
    int getNormalKeyCount() const;
    void finish(int code);

    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    CustomKeyTextField* textCustomKey_ = nullptr;
    // Modifier keys held now, as seen by the dialog (capturing or not).
    std::vector<int> heldModifiers_;
};
