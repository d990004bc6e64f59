#include <chrono>
#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "Device/DeviceEnumerator.h"
#include "Dialog/DialogMessageBox.h"
#include "Dialog/ModalDialog.h"
#include "Platform/Clock.h"
#include "support/EmulatedKeyboard.h"
#include "support/VirtualHidBus.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/RecordingDialogHost.h"

namespace {

// A dialog whose Cancel action does work of its own, as real dialogs do.
class CountingDialog : public ModalDialog {
public:
    explicit CountingDialog(DialogKind kind = DialogKind::ProfileSave) : ModalDialog(kind)
    {
        setFixedSize(300, 200);
    }
    void pushCancel() override
    {
        ++cancels;
        ModalDialog::pushCancel();
    }
    int cancels = 0;
};

// Runs `action` with `dialog` once it is up, from inside its modal run.
void whenRunning(ModalDialog* dialog, std::function<void()> action)
{
    auto* timer = new QTimer();
    timer->setInterval(2);
    QPointer<ModalDialog> d(dialog);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (d && d->isRunning() && d->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action();
        }
    });
    timer->start();
}

TEST(MessageBox, ButtonsGiveTheirCodesAndTitlesComeFromKeys)
{
    uitest::RecordingDialogHost host;
    struct Case {
        QString ok, cancel;
        bool clickOk;
        int code;
        QString okTitle;
        bool cancelShown;
    };
    const Case cases[] = {
        {"Yes", "No", true, 1, "Yes", true},
        {"Yes", "No", false, 0, "Yes", true},
        {"", "", true, 1, "OK", false},
        {"OK", "Cancel", false, 0, "OK", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ok.toStdString() + "/" + c.cancel.toStdString());
        QString okTitle, message;
        bool cancelShown = true;
        uitest::whenDialogShown(DialogKind::MessageBox, [&](ModalDialog* d) {
            auto* box = qobject_cast<DialogMessageBox*>(d);
            okTitle = box->okButton()->text();
            message = box->messageLabel()->text();
            cancelShown = box->cancelButton()->isVisible();
            QTest::mouseClick(c.clickOk ? box->okButton() : box->cancelButton(), Qt::LeftButton);
        });
        EXPECT_EQ(DialogMessageBox::run("An already localised text", c.ok, c.cancel, nullptr),
                  c.code);
        EXPECT_EQ(okTitle, c.okTitle);
        EXPECT_EQ(message, "An already localised text");
        EXPECT_EQ(cancelShown, c.cancelShown);
        EXPECT_FALSE(DialogRegistry::anyModalOpen());
    }
}

TEST(MessageBox, TopLevelBoxTakesMaskAndHelpAndGivesThemBack)
{
    uitest::RecordingDialogHost host;
    bool maskDuring = false, helpDuring = true;
    uitest::whenDialogShown(DialogKind::MessageBox, [&](ModalDialog* d) {
        maskDuring = host.maskUp;
        helpDuring = host.helpEnabled;
        QTest::keyClick(d, Qt::Key_Escape);
    });
    EXPECT_EQ(DialogMessageBox::run("m", "OK", "Cancel", nullptr), 0);
    EXPECT_TRUE(maskDuring);
    EXPECT_FALSE(helpDuring);
    EXPECT_FALSE(host.maskUp);
    EXPECT_TRUE(host.helpEnabled);

    // A box that goes away without being answered gives them back too.
    {
        DialogMessageBox box("m", "OK", "", nullptr);
        EXPECT_TRUE(host.maskUp);
        EXPECT_FALSE(host.helpEnabled);
    }
    EXPECT_FALSE(host.maskUp);
    EXPECT_TRUE(host.helpEnabled);
}

TEST(MessageBox, BoxInsideADialogLeavesMaskAndHelpToTheDialog)
{
    uitest::RecordingDialogHost host;
    host.maskUp = true;       // the dialog's caller put it up
    host.helpEnabled = false; // the dialog's caller disabled them
    CountingDialog dialog;
    int boxCode = -1;
    whenRunning(&dialog, [&] {
        uitest::answerNextMessageBox(true);
        boxCode = DialogMessageBox::run("m", "OK", "", nullptr);
        EXPECT_TRUE(host.maskUp);
        EXPECT_FALSE(host.helpEnabled);
        dialog.done(1);
    });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(boxCode, 1);
    EXPECT_EQ(host.maskChanges, 0);
    EXPECT_EQ(host.helpChanges, 0);
}

TEST(DialogMaskScope, PutsBackOnlyWhatItChangedAndNothingOnAWindowGone)
{
    uitest::RecordingDialogHost host;
    {
        DialogMaskScope outer(host);
        DialogMaskScope inner(host);
        inner.end();
        EXPECT_TRUE(host.maskUp);
        EXPECT_FALSE(host.helpEnabled);
    }
    EXPECT_FALSE(host.maskUp);
    EXPECT_TRUE(host.helpEnabled);

    // A box whose window went away while it was up leaves the one that is
    // registered now alone.
    const int changes = host.maskChanges + host.helpChanges;
    {
        auto window = std::make_unique<uitest::RecordingDialogHost>();
        DialogMessageBox box("m", "OK", "", nullptr);
        EXPECT_TRUE(window->maskUp);
        window.reset();
    }
    EXPECT_EQ(host.maskChanges + host.helpChanges, changes);
}

TEST(ModalDialogFrame, EscapeRunsTheDialogsOwnCancel)
{
    uitest::RecordingDialogHost host;
    CountingDialog dialog;
    whenRunning(&dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.exec(), 0);
    EXPECT_EQ(dialog.cancels, 1);
    EXPECT_FALSE(dialog.isOpen());
}

TEST(ModalDialogFrame, HelpItemsStayOffUntilTheOutermostMaskedDialogEnds)
{
    // A dialog opened from inside another, each under its opener's mask
    // scope: the inner one's OK or Cancel leaves the help items off while
    // the outer one still runs; they come back, once, when it ends.
    for (const bool ok : {true, false}) {
        uitest::RecordingDialogHost host;
        CountingDialog outer;
        CountingDialog inner(DialogKind::ProfileLoad);
        bool helpAfterInner = true;
        whenRunning(&outer, [&] {
            whenRunning(&inner, [&] {
                if (ok)
                    inner.pushOK();
                else
                    inner.pushCancel();
            });
            (void)runMaskedDialog(host, [&] { return inner.exec(); });
            helpAfterInner = host.helpEnabled;
            outer.pushOK();
        });
        EXPECT_EQ(runMaskedDialog(host, [&] { return outer.exec(); }), 1);
        EXPECT_FALSE(helpAfterInner) << ok;
        EXPECT_TRUE(host.helpEnabled) << ok;
        EXPECT_EQ(host.helpChanges, 2) << ok;
    }
}

TEST(ModalDialogFrame, CloseAllWindowHidesAtOnceAndEndsWithZeroHalfASecondLater)
{
    platform::ScopedTimeScale fast(0.2); // 0.5 s becomes 100 ms
    uitest::RecordingDialogHost host;
    CountingDialog dialog;
    bool hiddenAtOnce = false;
    bool stillModal = true;
    QElapsedTimer clock;
    whenRunning(&dialog, [&] {
        clock.start();
        dialog.closeAllWindow();
        hiddenAtOnce = !dialog.isVisible();
        stillModal = QApplication::activeModalWidget() == &dialog;
        dialog.closeAllWindow(); // a second call changes nothing
    });
    const int code = dialog.exec();
    EXPECT_EQ(code, 0);
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_TRUE(hiddenAtOnce);
    EXPECT_FALSE(stillModal); // the main window takes input during the wait
    EXPECT_EQ(dialog.cancels, 0);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(ModalDialogFrame, CloseAllWindowWaitsTheDelayWhileHotPlugIsStillServed)
{
    platform::ScopedTimeScale fast(0.2);
    emu::ScopedVirtualBus bus;
    DeviceEnumerator enumerator;
    enumerator.startPolling();
    CountingDialog dialog;
    int plugIns = 0;
    qint64 endedAfter = -1;
    QElapsedTimer clock;
    enumerator.plugInDeviceCallback = [&] {
        ++plugIns;
        clock.start();
        DialogRegistry::closeAllForDeviceRemoval();
    };
    whenRunning(&dialog, [&] {
        ASSERT_TRUE(bus->attach(std::make_shared<emu::EmulatedKeyboard>(), 0x01100000));
    });
    QObject::connect(&dialog, &QDialog::finished, [&] { endedAfter = clock.elapsed(); });
    EXPECT_EQ(dialog.exec(), 0);
    EXPECT_EQ(plugIns, 1);
    EXPECT_GE(endedAfter, 90);   // 0.5 s on a 0.2 scale
}

TEST(ModalDialogFrame, CloseAllWindowEndsABoxOpenedInsideItFirstAndOnlyItsOwnRun)
{
    platform::ScopedTimeScale fast(0.1);
    uitest::RecordingDialogHost host;
    for (bool twoButtons : {false, true}) {
        SCOPED_TRACE(twoButtons ? "two buttons" : "one button");
        CountingDialog outer(DialogKind::CustomKeySetting);
        CountingDialog dialog(DialogKind::ProfileLoad);
        int boxCode = -1, dialogCode = -1, dialogRuns = 0;
        bool outerStillRunning = false;
        whenRunning(&outer, [&] {
            whenRunning(&dialog, [&] {
                uitest::whenDialogShown(DialogKind::MessageBox,
                                        [&](ModalDialog*) { dialog.closeAllWindow(); });
                boxCode = DialogMessageBox::run("m", "OK", twoButtons ? "Cancel" : "", nullptr);
            });
            dialogCode = dialog.exec();
            ++dialogRuns;
            outerStillRunning = outer.isRunning() && outer.isVisible();
            outer.done(1);
        });
        EXPECT_EQ(outer.exec(), 1);
        EXPECT_EQ(boxCode, twoButtons ? 0 : 1);
        EXPECT_EQ(dialogCode, 0);
        EXPECT_EQ(dialogRuns, 1);
        EXPECT_TRUE(outerStillRunning); // the delayed end did not reach the outer dialog
        EXPECT_EQ(dialog.cancels, 0);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_FALSE(DialogRegistry::anyModalOpen());
    }
}

TEST(ModalDialogFrame, AChooserOverTheDialogIsAbortedByCloseAllWindow)
{
    platform::ScopedTimeScale fast(0.1);
    CountingDialog dialog(DialogKind::FirmwareFileSelect);
    int chooserCode = -1;
    whenRunning(&dialog, [&] {
        QDialog chooser(&dialog);
        dialog.setOpenPanel(&chooser);
        QTimer::singleShot(5, &dialog, [&] { dialog.closeAllWindow(); });
        chooserCode = chooser.exec();
    });
    EXPECT_EQ(dialog.exec(), 0);
    EXPECT_EQ(chooserCode, QDialog::Rejected);
    EXPECT_EQ(dialog.openPanel(), nullptr);
}

TEST(ModalDialogFrame, DeleteLaterDuringTheRunWaitsUntilExecReturned)
{
    QPointer<CountingDialog> dialog = new CountingDialog();
    bool aliveAfterRequest = false;
    whenRunning(dialog, [&] {
        dialog->deleteLater();
        // Let the dialog's own loop see the deferred delete.
        QTimer::singleShot(20, dialog, [&] {
            aliveAfterRequest = !dialog.isNull();
            dialog->done(1);
        });
    });
    EXPECT_EQ(dialog->exec(), 1);
    EXPECT_TRUE(aliveAfterRequest);
    ASSERT_FALSE(dialog.isNull()); // still readable right after exec()
    QEventLoop caller; // the caller's loop, where the deletion belongs
    QTimer::singleShot(20, &caller, &QEventLoop::quit);
    caller.exec();
    EXPECT_TRUE(dialog.isNull());
}

TEST(ModalDialogFrame, PlacedOnceCentredOverTheMainWindow80BelowItsTop)
{
    uitest::RecordingDialogHost host;
    QWidget main;
    main.setWindowFlags(Qt::FramelessWindowHint);
    main.setGeometry(100, 120, 800, 600);
    main.show();
    host.window = &main;
    CountingDialog dialog;
    QPoint first, afterUserMove;
    whenRunning(&dialog, [&] {
        first = dialog.pos();
        dialog.move(10, 10); // the user moves it
        main.activateWindow();
        dialog.activateWindow();
        QTimer::singleShot(10, &dialog, [&] {
            afterUserMove = dialog.pos();
            dialog.done(1);
        });
    });
    dialog.exec();
    EXPECT_EQ(first, QPoint(100 + 400 - 150, 120 + 80));
    EXPECT_EQ(afterUserMove, QPoint(10, 10));
}

TEST(DialogRegistry, DeviceRemovalEndsTheBoxFirstThenTheListedKindsInOrder)
{
    platform::ScopedTimeScale fast(0.1);
    CountingDialog load(DialogKind::ProfileLoad);
    CountingDialog save(DialogKind::ProfileSave);
    std::vector<QString> order;
    QObject::connect(&load, &QDialog::finished, [&] { order.push_back("load"); });
    QObject::connect(&save, &QDialog::finished, [&] { order.push_back("save"); });
    int boxCode = -1;
    bool modalWhileUp = false;
    // Not a real nesting of kinds, but it puts three runs on the stack.
    whenRunning(&load, [&] {
        whenRunning(&save, [&] {
            uitest::whenDialogShown(DialogKind::MessageBox, [&](ModalDialog*) {
                modalWhileUp = DialogRegistry::anyModalOpen();
                EXPECT_EQ(DialogRegistry::current(DialogKind::ProfileSave), &save);
                DialogRegistry::closeAllForDeviceRemoval();
                EXPECT_TRUE(save.isClosingAll());
                EXPECT_TRUE(load.isClosingAll());
                EXPECT_FALSE(save.isVisible());
                EXPECT_FALSE(load.isVisible());
            });
            boxCode = DialogMessageBox::run("m", "Yes", "No", nullptr);
            order.push_back("box");
        });
        EXPECT_EQ(save.exec(), 0);
    });
    EXPECT_EQ(load.exec(), 0);
    EXPECT_TRUE(modalWhileUp);
    EXPECT_EQ(boxCode, 0);
    EXPECT_EQ(order, (std::vector<QString>{"box", "save", "load"}));
    EXPECT_EQ(load.cancels + save.cancels, 0);
    EXPECT_FALSE(DialogRegistry::anyModalOpen());
    EXPECT_EQ(DialogRegistry::current(DialogKind::ProfileLoad), nullptr);
}

} // namespace
