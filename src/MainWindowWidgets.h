#pragma once
// The main window's widgets: made once with the window, placed from
// UiLayout.h, and owned by the window (which deletes them with itself). The
// main window controller fills them, wires them to its operations and reads
// them; the dialog mask alone comes and goes.

#include <QPointer>
#include <QString>

#include <memory>
#include <optional>

class BackgroundView;
class KeyboardErrorView;
class KeyboardListView;
class MainTabBarView;
class MainView;
class QAction;
class QRect;
class QLabel;
class QPushButton;
class QToolButton;
class QWidget;
class TabMenuSettingView;

struct MainWindowWidgets {
    MainView* mainView = nullptr;  // the window and its content view
    BackgroundView* mainHeaderView = nullptr;
    BackgroundView* mainFooterView = nullptr;
    MainTabBarView* tabBarView = nullptr;
    // The device-selection panel: parked below the window, slid up over the
    // dialog mask while open.
    BackgroundView* keyboardSelectView = nullptr;
    // The dialog mask while it is up.
    QPointer<BackgroundView> maskView;
    // The APC tab's one-row strip naming the APC mode in force.
    TabMenuSettingView* apcTabMenuSelectView = nullptr;
    KeyboardErrorView* keyboardErrorView = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* sendButton = nullptr;
    QPushButton* saveProfileButton = nullptr;
    QPushButton* loadProfileButton = nullptr;
    QPushButton* selectKeybordButton = nullptr;
    QPushButton* keyboardListReturnButton = nullptr;
    QLabel* modelNameLabel = nullptr;
    QLabel* keyboardNameLabel = nullptr;
    QLabel* keyboardModelLabel = nullptr;
    QLabel* keyboardFirmwareLabel = nullptr;
    QToolButton* helpMenuButton = nullptr;
    QAction* aboutMenuItem = nullptr;
    QAction* userManualMenuItem = nullptr;
    QAction* qaManualMenuItem = nullptr;
    QAction* updateInfoMenuItem = nullptr;
    // The device strip in the selection panel. Its root view lies in the
    // window; the strip goes before the window does.
    std::unique_ptr<KeyboardListView> keyboardList;

    MainWindowWidgets();
    ~MainWindowWidgets();
    MainWindowWidgets(MainWindowWidgets&&) noexcept;
    MainWindowWidgets& operator=(MainWindowWidgets&&) noexcept;

    // Makes the window with its header (title and device labels, the close,
    // Send and profile buttons, the help menu, the tab bar), its footer with
    // the device-selection button, the no-device view and the APC strip.
    void buildWindow();
    // Makes the device-selection panel below the window, with its return
    // button and the device strip (two tiles visible) at its bottom.
    void buildDeviceSelection();

    // The header for a connected device: the title (its name, then its
    // firmware version when known), the name, the model number line
    // (`modelText`) and the firmware line when known, the device-selection
    // button; Send hidden, the profile buttons usable when `settingsReadable`.
    void showDevice(const QString& name, const std::optional<QString>& firmware,
                    const std::optional<QString>& modelText, bool settingsReadable) const;
    // The no-device view over the body; the header with the captions of the
    // model number and firmware lines alone, without Send, the profile
    // buttons or the device-selection button.
    void showNoDevice() const;

    // Puts a panel's picture over the whole content view, under the header
    // and the footer (and under the APC strip, the dialog mask and the
    // selection panel while they are shown).
    void placeBody(QWidget* view) const;
    // Makes the dialog mask (hidden): a clear container over the tab row
    // (whose top is `tabTop`) and everything below it that swallows
    // presses, with three tinted parts: `tabArea`, the header buttons' area
    // and the body.
    void makeMask(int tabTop, const QRect& tabArea);
    // Takes the dialog mask away, the selection panel off it first.
    void removeMask();
    // Moves the mask's tab-area part to `tabArea`.
    void setMaskTabArea(const QRect& tabArea) const;
};
