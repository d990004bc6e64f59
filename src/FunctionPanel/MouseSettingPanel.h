#pragma once
// What the mouse LED and sensor panels share: their picture view, which
// says when it comes on screen and when it leaves, and the picture it shows
// for what the model holds; the set-up of the tab (the picture and the
// controls from the model, then the mouse read); the read of the
// mouse once a second while the view is on screen (paused while the panel
// says so, skipped while another command on the mouse waits for its
// reply); how a setting command is settled; the captions on the picture;
// and the look of their picture switches.

#include "FunctionPanel/FunctionPanel.h"
#include "FunctionPanel/MousePanelControls.h"
#include "FunctionPanel/MouseSettingsRefresh.h"
#include "Utility/AppError.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>

class MouseEntry;
class QLabel;

class MouseSettingPanel : public QObject, public FunctionPanel {
    Q_OBJECT
public:
    ~MouseSettingPanel() override;

    KeyboardView* keyboardView() override;
    void tabHidden() override;

    bool isPollingSuspended() const { return isPolingSuspend_; }
    bool isPolling() const { return pollingTimer_.isActive(); }

protected:
    // `viewName`: the object name of the panel's picture view; `picture`:
    // the picture it shows.
    MouseSettingPanel(IDialogHost& host, const QString& viewName, const MousePanelPicture& picture);

    // The texts of the controls and the captions' places, at each set-up.
    virtual void initDialogItem() = 0;
    // Shows the panel's picture for what the model holds.
    void showPicture() { showMousePicture(view_, picture_); }
    // Fills the controls from the model (under signal blockers).
    virtual void showMouseSettings(const MouseEntry& mouse) = 0;
    // Reads the mouse and shows what it reports; the polling runs it.
    virtual void readMouseSettings() = 0;

    // Shows a switch in its state: its picture, its title white when on and
    // grey when off.
    static void setStateImage(ImageStateButton* button, bool state, const QString& label,
                              const QString& onImageName, const QString& offImageName);
    // Puts `caption` below the rectangle of the picture part named `part`
    // in the current mouse's description (in the window's top-down
    // coordinates, like the view); it stays where it is without one.
    static void placeCaption(QLabel* caption, QLatin1StringView part);

    IDialogHost& host_;
    QPointer<MousePanelView> view_;
    // The polling skips its reads while set (a control is held, typing).
    bool isPolingSuspend_ = false;

private:
    // Shows the picture and fills the controls from the mouse model without
    // sending anything, then reads the mouse and shows what it reports.
    void setUpPanel() override;
    void polingDeviceTimer();

    const MousePanelPicture& picture_;
    QTimer pollingTimer_;
};
