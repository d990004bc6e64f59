#pragma once
// The one base of the application's modal dialogs: a frameless dark window
// run application-modal over the main window.
//
// exec() registers the dialog with DialogRegistry while it runs, places it
// (centred over the main window, its top edge 80 below the main window's
// top) and returns the code given to done(): 1 for accepted, 0 for
// cancelled. The run is this class's own event loop, so hiding the window
// does not end it (QDialog's own exec() returns as soon as its window is
// hidden); closeAllWindow() relies on that.
//
// Escape and the window's close go through reject(), which runs the
// dialog's own pushCancel() (dialogs put work there), except while
// closeAllWindow() is ending the dialog.
//
// The mask over the main window and its help items belong to whoever opens
// the dialog (a DialogMaskScope, Dialog/IDialogHost.h): no dialog of this
// frame touches them.
//
// A dialog asked to be deleted (deleteLater) while its exec() runs is
// deleted only after exec() has returned.

#include <optional>

#include <QDialog>
#include <QPoint>
#include <QPointer>

#include "Dialog/DialogRegistry.h"
#include "UiLayout.h"
#include "Utility/AppColor.h"

class QEventLoop;
class QLabel;
class QPushButton;

class ModalDialog : public QDialog {
    Q_OBJECT
public:
    explicit ModalDialog(DialogKind kind, QWidget* parent = nullptr);
    ~ModalDialog() override;

    DialogKind kind() const { return kind_; }

    // Runs the dialog application-modal until done(); returns its code.
    // A second call while the dialog runs returns 0 at once.
    int exec() override;
    // Ends the modal run with `code` (1 accepted, 0 cancelled).
    void done(int code) override;
    // Escape and window close: pushCancel(), or the plain end while
    // closeAllWindow() ends the dialog.
    void reject() override;

    // The dialog is open from construction until its run has ended (the
    // "window is set" notion of the callers).
    bool isOpen() const { return windowSet_; }
    // exec() is on the stack.
    bool isRunning() const { return loop_ != nullptr; }

    // Ends the dialog from outside because the device went away: ends a
    // chooser running over it and the dialogs opened from inside it (a
    // message box through its own button action), hides the window at
    // once and ends the run with 0 after 0.5 s. Only this dialog's run is
    // ended.
    void closeAllWindow();
    bool isClosingAll() const { return closingAll_; }

    // The window the dialog is centred over; by default the host's main
    // window. Without one the dialog keeps its own position.
    void setReferenceWindow(QWidget* window) { reference_ = window; }
    // Where the window goes when it is first shown; set by exec() from the
    // reference window unless given. Applied once.
    void setInitPosition(std::optional<QPoint> position) { initPosition_ = position; }
    std::optional<QPoint> initPosition() const { return initPosition_; }

    // A chooser running on top of the dialog (null when none); ended by
    // closeAllWindow().
    void setOpenPanel(QDialog* panel) { openPanel_ = panel; }
    QDialog* openPanel() const { return openPanel_.data(); }

    // The colour the whole window is painted with.
    void setBackgroundColor(const AppColor& color);
    QColor backgroundColor() const { return background_; }

    // Colours a dialog button with its background and pressed colours,
    // white title, and names it for accessibility after its title.
    static void styleButton(QPushButton* button, const AppColor& color,
                            const AppColor& highlightColor);

public slots:
    // The accepting action; by default ends with 1. Dialogs check their
    // input here first.
    virtual void pushOK();
    // The cancelling action; by default ends with 0.
    virtual void pushCancel();

protected:
    // Controls in the frame's look, children of this dialog. Texts are
    // looked up by key. The OK button runs pushOK() and is the default
    // button; the Cancel button runs pushCancel(); the chooser ("...")
    // button has the select colours and no action.
    QPushButton* createOkButton(const QString& key = QStringLiteral("OK"));
    QPushButton* createCancelButton(const QString& key = QStringLiteral("Cancel"));
    QPushButton* createSelectButton(const QString& text = QStringLiteral("..."));
    // A white label of the dialog font.
    QLabel* createLabel(const QString& key);
    // The dialog's title: a white bold label of `pixelSize`, larger than the
    // dialog font.
    QLabel* createTitleLabel(const QString& key, int pixelSize = layout::dialogTitleFontSize);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void computeInitPosition();

    DialogKind kind_;
    bool windowSet_ = true;
    bool closingAll_ = false;
    bool deleteAfterRun_ = false;
    QEventLoop* loop_ = nullptr;
    std::optional<QPoint> initPosition_;
    QPointer<QWidget> reference_;
    QPointer<QDialog> openPanel_;
    QColor background_;
};
