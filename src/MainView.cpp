#include "MainView.h"

#include "CustomControl/AppImages.h"

#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Utility/Logger.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>

#include <cmath>

MainView::MainView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("mainView"));
    // A frameless top-level window of the normal kind (so it keeps its
    // taskbar entry and can be minimised there), of one fixed size; the
    // window manager puts no title bar of its own above our header.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(layout::kMainWindowSize.toSize());
    // Decoding the large picture is the costliest step of building the
    // window; it runs while the rest is built.
    ui::initAppImages();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    pendingBackground_ = BackgroundResult<QImage>(
        [ratio] { return ui::appImageData(QStringLiteral("MainBackground.png"), ratio); });
    // One dark palette for the window and everything in it (dialogs too).
    QPalette pal = palette();
    pal.setColor(QPalette::Window, layout::kWindowColor);
    pal.setColor(QPalette::WindowText, Qt::white);
    pal.setColor(QPalette::Button, layout::kButtonColor);
    pal.setColor(QPalette::ButtonText, Qt::white);
    pal.setColor(QPalette::Disabled, QPalette::ButtonText, layout::kDisabledTextColor);
    pal.setColor(QPalette::Disabled, QPalette::Button, layout::kDisabledButtonColor);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, layout::kDisabledTextColor);
    pal.setColor(QPalette::Base, layout::kBaseColor);
    pal.setColor(QPalette::Text, Qt::white);
    pal.setColor(QPalette::Link, layout::kLinkColor);
    setPalette(pal);
    setAutoFillBackground(true);
}

const QPixmap& MainView::background()
{
    if (pendingBackground_.pending())
        background_ = QPixmap::fromImage(pendingBackground_.take());
    return background_;
}

void MainView::paintEvent(QPaintEvent*)
{
    if (const QPixmap& picture = background(); !picture.isNull()) {
        QPainter p(this);
        p.drawPixmap(bodyRect.topLeft(), picture);
    }
    if (!painted_) {
        painted_ = true;
        emit firstPaint();
    }
}

void MainView::closeEvent(QCloseEvent* event)
{
    if (closeCheck && !closeCheck()) {
        event->ignore();
        return;
    }
    event->accept();
}

bool openLocalizedLink(const QString& key, const std::function<void(const QString&)>& opener)
{
    const QString address = platform::localizedString(key);
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        Logger::log("link is not an address: " + key.toStdString());
        return false;
    }
    if (opener)
        opener(address);
    else
        QDesktopServices::openUrl(url);
    return true;
}

KeyboardErrorView::KeyboardErrorView(QWidget* parent) : BackgroundView(parent)
{
    setObjectName(QStringLiteral("keyboardErrorView"));
    setBackgroundColor(Qt::transparent);
    deviceNotFountLabel = new QLabel(platform::localizedString(QStringLiteral("DeviceNotFount")), this);
    deviceNotFountLabel->setGeometry(layout::kDeviceNotFoundLabel.toRect());
    deviceNotFountLabel->setAlignment(Qt::AlignCenter);
    QFont f = deviceNotFountLabel->font();
    f.setPixelSize(layout::kErrorViewFont);
    deviceNotFountLabel->setFont(f);

    linkKeyboardQandALink = new NKLinkView(this);
    linkKeyboardQandALink->setObjectName(QStringLiteral("linkKeyboardQandALink"));
    linkKeyboardQandALink->setStringValue(platform::localizedString(QStringLiteral("JumpToKolventraSupportPage")));
    linkKeyboardQandALink->setDelegate(this);
}

void KeyboardErrorView::showEvent(QShowEvent* event)
{
    if (!linkPlaced_)
        placeLink();
    BackgroundView::showEvent(event);
}

void KeyboardErrorView::placeLink()
{
    // As wide as its text, centred where the layout puts it.
    const QRectF nib = layout::kDeviceNotFoundLink;
    const qreal w = std::ceil(linkKeyboardQandALink->getTextSize().width());
    linkKeyboardQandALink->setGeometry(
        QRectF(nib.x() + nib.width() * 0.5 - w * 0.5, nib.y(), w, nib.height()).toRect());
    linkPlaced_ = true;
}

void KeyboardErrorView::mouseUpLinkView(QObject* id)
{
    if (id != linkKeyboardQandALink)
        return;
    openLocalizedLink(QStringLiteral("WebLink_DeviceFaq"), openUrl);
}
