#include "support/ui/DialogDriver.h"

#include <memory>

#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "Dialog/DialogMessageBox.h"
#include "Dialog/FilePickDialog.h"
#include "Dialog/ModalDialog.h"

namespace uitest {

void whenDialogShown(DialogKind kind, std::function<void(ModalDialog*)> action, int timeoutMs)
{
    // Dialogs of that kind already open are not "the next one".
    std::vector<QPointer<QWidget>> before;
    for (QWidget* w : DialogRegistry::openDialogs())
        before.emplace_back(w);

    auto* timer = new QTimer();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        auto* dialog = qobject_cast<ModalDialog*>(DialogRegistry::current(kind));
        bool old = false;
        for (const auto& p : before)
            old = old || p.data() == dialog;
        if (dialog && !old && dialog->isRunning() && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

void answerNextMessageBox(bool ok)
{
    whenDialogShown(DialogKind::MessageBox, [ok](ModalDialog* dialog) {
        auto* box = qobject_cast<DialogMessageBox*>(dialog);
        if (!box)
            return;
        QTest::mouseClick(ok ? box->okButton() : box->cancelButton(), Qt::LeftButton);
    });
}

void pickAndConfirmNext(DialogKind kind, bool cancelIfRefused)
{
    whenDialogShown(kind, [cancelIfRefused](ModalDialog* shown) {
        auto* dialog = qobject_cast<FilePickDialog*>(shown);
        if (!dialog)
            return;
        QTest::mouseClick(dialog->selectButton(), Qt::LeftButton);
        QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
        if (cancelIfRefused && dialog->isVisible())
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    });
}

} // namespace uitest
