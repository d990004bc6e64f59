#include "Dialog/DialogVersionInfo.h"

#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "Dialog/DialogRegistry.h"
#include "Dialog/ModalDialog.h"
#include "Platform/Strings.h"
#include "UiLayout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// The application's picture at the size of the About window, sharp at the
// screen's pixel ratio.
QPixmap appImage(qreal ratio)
{
    const QSize size = (layout::versionImageSize * ratio).toSize();
    QPixmap pixmap = ui::appImage(QStringLiteral("AppIcon.png"), ratio)
                         .scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QString appVersion()
{
    const QString v = QCoreApplication::applicationVersion();
    return v.isEmpty() ? QStringLiteral(KOLVENTRA_VERSION) : v;
}

QLabel* whiteLabel(QWidget* parent, const QString& text, int pixels, bool bold)
{
    auto* label = new QLabel(text, parent);
    QFont f = label->font();
    f.setPixelSize(pixels);
    f.setBold(bold);
    label->setFont(f);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

} // namespace

DialogVersionInfo::DialogVersionInfo(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(false);
    setFixedSize(layout::versionInfoDialogSize.toSize());
    DialogRegistry::add(this, DialogKind::VersionInfo);

    appImageView_ = new QLabel(this);
    appImageView_->setFixedSize(layout::versionImageSize.toSize());
    appImageView_->setPixmap(appImage(devicePixelRatioF()));
    appImageView_->setStyleSheet(QStringLiteral("background: transparent;"));
    appLabel_ = whiteLabel(this, platform::localizedString(QStringLiteral("AppName")),
                           layout::dialogTitleFontSize, true);
    versionLabel_ = whiteLabel(this, versionText(), layout::dialogFontSize, false);
    copyrightLabel_ = whiteLabel(this, platform::localizedString(QStringLiteral("AppCopyright")),
                                 layout::dialogFontSize, false);
    copyrightLabel_->setWordWrap(true);
    okButton_ = new QPushButton(platform::localizedString(QStringLiteral("OK")), this);
    ModalDialog::styleButton(okButton_, AppParam::OKButtonColor, AppParam::OKButtonHighlightColor);
    okButton_->setFixedSize(layout::dialogButtonSize.toSize());
    okButton_->setDefault(true);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(layout::dialogMargin, layout::dialogMargin, layout::dialogMargin,
                               layout::dialogMargin);
    column->setSpacing(layout::dialogSpacing);
    column->addWidget(appImageView_, 0, Qt::AlignHCenter);
    column->addWidget(appLabel_);
    column->addWidget(versionLabel_);
    column->addWidget(copyrightLabel_);
    column->addStretch(1);
    column->addWidget(okButton_, 0, Qt::AlignHCenter);

    connect(okButton_, &QPushButton::clicked, this, [this] { pushOK(); });
}

DialogVersionInfo::~DialogVersionInfo()
{
    DialogRegistry::remove(this);
}

QString DialogVersionInfo::versionText()
{
    return platform::localizedString(QStringLiteral("Version")) + u' ' + appVersion();
}

void DialogVersionInfo::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(rect(), AppParam::SubBackgroundColor.toQColor());
}

void DialogVersionInfo::markClosed()
{
    if (!open_)
        return;
    open_ = false;
    DialogRegistry::remove(this);
    emit closed();
}

void DialogVersionInfo::pushOK()
{
    hide();
    markClosed();
}

void DialogVersionInfo::closeEvent(QCloseEvent* event)
{
    // The window's own close button ends it like OK does.
    markClosed();
    QDialog::closeEvent(event);
}

DialogVersionInfo* DialogVersionInfo::showAbout(QPointer<DialogVersionInfo>& current, QWidget* parent)
{
    if (current && current->isOpen()) {
        current->show();
        current->raise();
        current->activateWindow();
        return current;
    }
    if (current)
        current->deleteLater();
    current = new DialogVersionInfo(parent);
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        current->move(area.center() - QPoint(current->width() / 2, current->height() / 2));
    }
    current->show();
    current->raise();
    current->activateWindow();
    return current;
}

DialogVersionInfo* DialogVersionInfo::showAbout(QWidget* parent)
{
    static QPointer<DialogVersionInfo> current;
    return showAbout(current, parent);
}
