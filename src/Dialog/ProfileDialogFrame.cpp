#include "Dialog/ProfileDialogFrame.h"

#include "AppParam.h"
#include "Platform/Clock.h"
#include "Platform/Strings.h"
#include "UiLayout.h"
#include "Dialog/FileChooser.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <chrono>

namespace {

QString css(const AppColor& c)
{
    const QColor q = c.toQColor();
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(q.red()).arg(q.green()).arg(q.blue()).arg(q.alphaF());
}

} // namespace

ProfileDialogFrame::ProfileDialogFrame(QWidget* parent, AppColor background)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , background_(background)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
    QFont f = font();
    f.setPixelSize(layout::dialogFontSize);
    setFont(f);
}

void ProfileDialogFrame::pushCancel()
{
    done(0);
}

void ProfileDialogFrame::reject()
{
    if (closing_)
        return;
    pushCancel();
}

void ProfileDialogFrame::closeAllWindow()
{
    if (closing_)
        return;
    closing_ = true;
    FileChooser& chooser = FileChooser::current();
    if (chooser.isRunning())
        chooser.abort();
    // hide() would end a running exec() at once; the dialog is made
    // invisible and inert instead and ends itself after the delay.
    setWindowOpacity(0.0);
    setEnabled(false);
    const auto delay = std::chrono::duration_cast<std::chrono::milliseconds>(
        platform::scaled(platform::Seconds(0.5)));
    QTimer::singleShot(delay, this, [this] { done(0); });
}

void ProfileDialogFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), background_.toQColor());
}

QLabel* ProfileDialogFrame::makeTitle(const QString& key)
{
    QLabel* label = makeLabel(key);
    QFont f = label->font();
    f.setPixelSize(layout::dialogTitleFontSize);
    f.setBold(true);
    label->setFont(f);
    return label;
}

QLabel* ProfileDialogFrame::makeLabel(const QString& key)
{
    auto* label = new QLabel(platform::localizedString(key), this);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    return label;
}

QPushButton* ProfileDialogFrame::makeButton(const QString& caption, AppColor color, AppColor highlight)
{
    auto* button = new QPushButton(caption, this);
    button->setAccessibleName(caption);
    button->setFixedSize(int(layout::dialogButtonSize.width()), int(layout::dialogButtonSize.height()));
    button->setFocusPolicy(Qt::StrongFocus);
    button->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; background: %1; border: none; border-radius: 3px; }"
        "QPushButton:hover, QPushButton:pressed { background: %2; }"
        "QPushButton:disabled { color: rgb(128,128,128); }")
                              .arg(css(color), css(highlight)));
    return button;
}

QPushButton* ProfileDialogFrame::makeOkButton()
{
    QPushButton* b = makeButton(platform::localizedString(QStringLiteral("OK")), AppParam::OKButtonColor,
                                AppParam::OKButtonHighlightColor);
    b->setDefault(true);
    return b;
}

QPushButton* ProfileDialogFrame::makeCancelButton()
{
    QPushButton* b = makeButton(platform::localizedString(QStringLiteral("Cancel")),
                                AppParam::CancelButtonColor, AppParam::CancelButtonHighlightColor);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* ProfileDialogFrame::makeCheckBox(const QString& key)
{
    const QString text = platform::localizedString(key);
    auto* box = new QCheckBox(text, this);
    box->setAccessibleName(text);
    box->setStyleSheet(QStringLiteral(
        "QCheckBox { color: white; background: transparent; spacing: 6px; }"
        "QCheckBox:disabled { color: rgba(255,255,255,64); }"
        "QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid rgb(170,170,170);"
        " border-radius: 2px; background: rgb(64,64,64); }"
        "QCheckBox::indicator:checked { background: rgb(220,220,220);"
        " border: 3px solid rgb(64,64,64); outline: 1px solid rgb(170,170,170); }"
        "QCheckBox::indicator:disabled { border-color: rgb(90,90,90); }"));
    return box;
}

void ProfileDialogFrame::styleField(QWidget* field)
{
    field->setStyleSheet(QStringLiteral("color: white; background: rgb(64,64,64); border: none;"
                                        " selection-background-color: rgb(92,92,92);"));
}
