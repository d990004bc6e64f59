// Pictures of the keyboard focus: every drawn control that takes the focus,
// each shown as it looks while it has it, and the main window with the
// focus on its close button.
#include "AppParam.h"
#include "CustomControl/AppImages.h"
#include "CustomControl/FocusRing.h"
#include "CustomControl/MainTabView.h"
#include "CustomControl/NKButton.h"
#include "CustomControl/NKButtonView.h"
#include "Dialog/ModalDialog.h"
#include "FunctionPanel/MousePanelControls.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Screenshots.h"
#include "UiLayout.h"
#include "support/ui/AppHarness.h"
#include "support/ui/WindowProbe.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

#include <vector>

namespace {

// The board as it looks with the focus on each control in turn: every
// control is painted while it has the focus, so one picture shows the ring
// on all of them.
QImage focusedInTurn(QWidget& board, const std::vector<QWidget*>& controls)
{
    board.setAttribute(Qt::WA_DontShowOnScreen, true);
    board.show();
    QApplication::setActiveWindow(&board);
    QApplication::processEvents();
    const qreal ratio = board.devicePixelRatioF();
    QImage out(board.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    out.setDevicePixelRatio(ratio);
    {
        QPainter p(&out);
        p.drawPixmap(QPointF(0, 0), board.grab());
        for (QWidget* control : controls) {
            control->setFocus(Qt::TabFocusReason);
            QApplication::processEvents();
            // A link's ring lies around it, on the board.
            const QRect area = qobject_cast<NKLinkView*>(control)
                ? ui::focusRingAroundArea(control, layout::kLinkFocusRingGap)
                : control->geometry();
            p.drawPixmap(area.topLeft(), board.grab(area));
        }
    }
    return out;
}

const shots::ShotRegistrar focusGallery("focus", [](shots::ShotSink& sink) {
    QWidget board;
    board.resize(620, 300);
    board.setStyleSheet(QStringLiteral("background: #1a1a1a"));
    board.setAttribute(Qt::WA_StyledBackground, true);
    std::vector<QWidget*> focused;

    auto* button = new NKButton(QStringLiteral("Save"), &board);
    button->setColors(AppParam::OKButtonColor.toQColor(), AppParam::OKButtonHighlightColor.toQColor());
    button->setGeometry(10, 10, 80, 36);
    auto* close = new NKButton(QStringLiteral("\u2715"), &board);
    close->setColors(AppParam::OKButtonColor.toQColor(), AppParam::OKButtonHighlightColor.toQColor());
    close->setGeometry(100, 10, 30, 30);
    auto* dialogButton = new QPushButton(QStringLiteral("OK"), &board);
    ModalDialog::styleButton(dialogButton, AppParam::OKButtonColor, AppParam::OKButtonHighlightColor);
    dialogButton->setGeometry(140, 10, 96, 28);
    auto* swatch = new NKColorButton(&board);
    swatch->setBackgroundColor(AppParam::IndicatorButtonColorWhite.toQColor());
    swatch->setGeometry(250, 10, 40, 24);
    auto* icon = new NKIconButton(&board);
    icon->setIcon(ui::appIcon(QStringLiteral("savekeyboard_KeyBoard_ICON")));
    icon->setGeometry(300, 8, 32, 32);
    focused.insert(focused.end(), {button, close, dialogButton, swatch, icon});

    auto* off = new NKCheckBox(QStringLiteral("Overwrite"), &board);
    off->setGeometry(QRect(QPoint(10, 60), off->sizeHint()));
    auto* on = new NKCheckBox(QStringLiteral("Overwrite"), &board);
    on->setChecked(true);
    on->setGeometry(QRect(QPoint(130, 60), on->sizeHint()));
    auto* radio = new NKRadioButton(QStringLiteral("Middle"), &board);
    radio->setChecked(true);
    QPalette green = radio->palette();
    green.setColor(QPalette::WindowText, QColor(0, 255, 0));
    radio->setPalette(green);
    radio->setGeometry(QRect(QPoint(250, 60), radio->sizeHint()));
    auto* lockSwitch = new ImageStateButton(ImageStateButton::Kind::Switch, &board);
    lockSwitch->setImage(ui::appImage(QStringLiteral("VX_RGB_ICON_Lock_Enable.png"), board.devicePixelRatioF()));
    lockSwitch->setText(QStringLiteral("Indicator"));
    lockSwitch->setChecked(true);
    lockSwitch->setGeometry(QRect(QPoint(360, 60), lockSwitch->sizeHint()));
    focused.insert(focused.end(), {off, on, radio, lockSwitch});

    auto* colour = new NKButtonView(&board);
    colour->setStringValue(QStringLiteral("Red"));
    colour->setButtonColor(QColor(255, 0, 0));
    colour->setButtonValue(true);
    colour->setGeometry(10, 110, 56, 56);
    auto* link = new NKLinkView(&board);
    QFont linkFont = link->font();
    linkFont.setPixelSize(18);
    link->setFont(linkFont);
    link->setStringValue(QStringLiteral("Go to the support page"));
    link->setGeometry(QRect(QPoint(90, 120), link->getTextSize().toSize() + QSize(8, 12)));
    focused.insert(focused.end(), {colour, link});

    auto* active = new MainTabView(&board);
    active->setGeometry(10, 200, 180, 48);
    active->setTitle(QStringLiteral("APC"));
    active->setTabStatus(TabStatus::active);
    auto* inactive = new MainTabView(&board);
    inactive->setGeometry(200, 200, 180, 48);
    inactive->setTitle(QStringLiteral("Key Lock"));
    inactive->setTabStatus(TabStatus::notActive);
    inactive->setTabGradient(TabGradient::left);
    focused.insert(focused.end(), {active, inactive});

    sink.save(QStringLiteral("focus-drawn-controls"), focusedInTurn(board, focused));
});

const shots::ShotRegistrar focusWindow("MainWindowFocus", [](shots::ShotSink& sink) {
    apptest::AppHarness app(apptest::devices(true, false));
    if (!app.start())
        return;
    MainViewController& main = app.controller();
    QApplication::setActiveWindow(uitest::WindowProbe::window(main).mainView);
    uitest::WindowProbe::window(main).closeButton->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    sink.save(QStringLiteral("MainWindow_focus_close"), uitest::WindowProbe::window(main).mainView);
    uitest::WindowProbe::window(main).helpMenuButton->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    sink.save(QStringLiteral("MainWindow_focus_menu"), uitest::WindowProbe::window(main).mainView);
});

} // namespace
