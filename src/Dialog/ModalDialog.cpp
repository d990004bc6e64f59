#include "Dialog/ModalDialog.h"

#include <chrono>

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

#include "AppParam.h"
#include "CustomControl/FocusRing.h"
#include "Dialog/DialogMessageBox.h"
#include "Platform/Clock.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Utility/AppUtil.h"

namespace {

// Time between hiding a dialog closed from outside and ending its run.
constexpr platform::Seconds kCloseAllDelay{0.5};

QString cssColor(const QColor& c)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(c.alpha());
}

} // namespace

ModalDialog::ModalDialog(DialogKind kind, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , kind_(kind)
    , background_(AppParam::SubBackgroundColor.toQColor())
{
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
}

ModalDialog::~ModalDialog()
{
    DialogRegistry::remove(this);
    // Deleted from inside its own run after all (a direct delete): let the
    // run unwind; exec() notices through its guard.
    if (loop_)
        loop_->exit(0);
}

void ModalDialog::setBackgroundColor(const AppColor& color)
{
    background_ = color.toQColor();
    update();
}

void ModalDialog::styleButton(QPushButton* button, const AppColor& color,
                              const AppColor& highlightColor)
{
    if (!button)
        return;
    button->setFlat(true);
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: white; border: none;"
                       " border-radius: 4px; font-size: %3px; }"
                       "QPushButton:pressed { background-color: %2; }"
                       "QPushButton:disabled { color: %4; }")
            .arg(cssColor(color.toQColor()), cssColor(highlightColor.toQColor()))
            .arg(layout::dialogFontPixels)
            .arg(cssColor(AppParam::ButtonDisableTitleColor.toQColor())));
    ui::addFocusRing(button, 4);
    button->setAccessibleName(button->text());
}

QPushButton* ModalDialog::createOkButton(const QString& key)
{
    auto* button = new QPushButton(platform::localizedString(key), this);
    styleButton(button, AppParam::OKButtonColor, AppParam::OKButtonHighlightColor);
    button->setDefault(true);
    connect(button, &QPushButton::clicked, this, &ModalDialog::pushOK);
    return button;
}

QPushButton* ModalDialog::createCancelButton(const QString& key)
{
    auto* button = new QPushButton(platform::localizedString(key), this);
    styleButton(button, AppParam::CancelButtonColor, AppParam::CancelButtonHighlightColor);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, &ModalDialog::pushCancel);
    return button;
}

QPushButton* ModalDialog::createSelectButton(const QString& text)
{
    auto* button = new QPushButton(text, this);
    styleButton(button, AppParam::SelectButtonColor, AppParam::SelectButtonHighlightColor);
    button->setAutoDefault(false);
    return button;
}

QLabel* ModalDialog::createLabel(const QString& key)
{
    auto* label = new QLabel(platform::localizedString(key), this);
    QFont font = label->font();
    font.setPixelSize(layout::dialogFontPixels);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    return label;
}

QLabel* ModalDialog::createTitleLabel(const QString& key, int pixelSize)
{
    QLabel* label = createLabel(key);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(true);
    label->setFont(font);
    return label;
}

void ModalDialog::computeInitPosition()
{
    if (initPosition_)
        return;
    QWidget* ref = reference_.data();
    if (!ref)
        ref = DialogRegistry::host().dialogReferenceWindow();
    if (!ref || !ref->isVisible())
        return;
    const QPointF at = AppUtil::messageBoxPosition(QRectF(ref->frameGeometry()), QSizeF(size()));
    initPosition_ = at.toPoint();
}

int ModalDialog::exec()
{
    if (loop_)
        return 0;
    QPointer<ModalDialog> self(this);
    windowSet_ = true;
    closingAll_ = false;
    setResult(0);
    DialogRegistry::add(this, kind_);

    ensurePolished();
    if (!testAttribute(Qt::WA_Resized))
        adjustSize();
    computeInitPosition();
    if (initPosition_) {
        move(*initPosition_);
        initPosition_.reset();
    }
    setWindowModality(Qt::ApplicationModal);
    show();
    activateWindow();

    QEventLoop loop;
    loop_ = &loop;
    const int code = loop.exec(QEventLoop::DialogExec);
    if (!self)
        return code;

    loop_ = nullptr;
    closingAll_ = false;
    windowSet_ = false;
    if (isVisible())
        hide();
    DialogRegistry::remove(this);
    if (deleteAfterRun_) {
        deleteAfterRun_ = false;
        // deleteLater() again would be dropped: Qt folds a second deferred
        // delete into one it thinks is still pending whenever other events
        // wait for this object. Those are moot for a dialog about to go.
        QCoreApplication::removePostedEvents(this);
        QCoreApplication::postEvent(this, new QDeferredDeleteEvent());
    }
    return code;
}

void ModalDialog::done(int code)
{
    QDialog::done(code);
    if (loop_)
        loop_->exit(code);
}

void ModalDialog::reject()
{
    if (closingAll_) {
        done(0);
        return;
    }
    pushCancel();
}

void ModalDialog::pushOK()
{
    done(1);
}

void ModalDialog::pushCancel()
{
    done(0);
}

void ModalDialog::closeAllWindow()
{
    if (!loop_ || closingAll_)
        return;
    closingAll_ = true;
    QPointer<ModalDialog> self(this);

    if (openPanel_) {
        QPointer<QDialog> panel = openPanel_;
        openPanel_ = nullptr;
        panel->reject();
        if (!self)
            return;
    }

    // Dialogs opened from inside this one run on top of it; end them first,
    // innermost first, so that this dialog's run can unwind.
    const std::vector<QWidget*> open = DialogRegistry::openDialogs();
    std::vector<QPointer<ModalDialog>> above;
    bool seen = false;
    for (QWidget* w : open) {
        if (w == this)
            seen = true;
        else if (seen)
            if (auto* d = qobject_cast<ModalDialog*>(w))
                above.emplace_back(d);
    }
    for (auto it = above.rbegin(); it != above.rend(); ++it) {
        if (!*it || !(*it)->isRunning())
            continue;
        if (auto* box = qobject_cast<DialogMessageBox*>(it->data()))
            box->endForDeviceRemoval();
        else
            (*it)->closeAllWindow();
    }
    if (!self)
        return;

    // Our own loop ignores hiding: the window goes now, the run ends later.
    hide();
    QTimer::singleShot(platform::scaledMs(kCloseAllDelay), this, [this] {
        if (loop_ && closingAll_)
            done(0);
    });
}

bool ModalDialog::event(QEvent* event)
{
    if (event->type() == QEvent::DeferredDelete && loop_) {
        deleteAfterRun_ = true;
        return true;
    }
    return QDialog::event(event);
}

void ModalDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), background_);
}
