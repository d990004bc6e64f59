// Pictures of the drawn buttons, check boxes and the flat slider in each of
// their states.
#include "AppParam.h"
#include "CustomControl/NKButton.h"
#include "Screenshots.h"

#include <QApplication>
#include <QEnterEvent>
#include <QSlider>
#include <QWidget>

namespace {

void pointerOver(QWidget* widget)
{
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(widget, &enter);
}

shots::ShotRegistrar buttons("buttons", [](shots::ShotSink& sink) {
    QWidget board;
    board.resize(520, 260);
    board.setStyleSheet(QStringLiteral("background: #1a1a1a"));
    board.setAttribute(Qt::WA_StyledBackground, true);

    const QColor ok = AppParam::OKButtonColor.toQColor();
    const QColor okHover = AppParam::OKButtonHighlightColor.toQColor();
    auto button = [&](const QString& title, int x, int y) {
        auto* b = new NKButton(title, &board);
        b->setGeometry(x, y, 110, 30);
        b->setColors(ok, okHover);
        return b;
    };
    button(QStringLiteral("OK"), 10, 10);
    pointerOver(button(QStringLiteral("Hovered"), 130, 10));
    button(QStringLiteral("Disabled"), 250, 10)->setEnabled(false);
    auto* right = button(QStringLiteral("Right"), 370, 10);
    right->setTitleAlignment(Qt::AlignRight | Qt::AlignVCenter);
    right->setColors(AppParam::CancelButtonColor.toQColor(), AppParam::CancelButtonHighlightColor.toQColor());

    const QColor swatches[] = {AppParam::IndicatorButtonColorWhite.toQColor(), QColor(255, 0, 0), QColor(0, 255, 0),
                               QColor(0, 0, 255), QColor(255, 0, 255), QColor(255, 255, 0),
                               QColor(0, 255, 255), AppParam::IndicatorButtonColorOff.toQColor()};
    for (int i = 0; i < 8; ++i) {
        auto* swatch = new NKColorButton(&board);
        swatch->setGeometry(10 + i * 40, 60, 30, 20);
        swatch->setBackgroundColor(swatches[i]);
        swatch->setIsDefault(i == 1);
    }

    const Qt::CheckState states[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked, Qt::Checked};
    const char* titles[] = {"Off", "On", "Mixed", "On, disabled"};
    for (int i = 0; i < 4; ++i) {
        auto* box = new NKCheckBox(QString::fromUtf8(titles[i]), &board);
        box->setTristate(true);
        box->setCheckState(states[i]);
        box->setEnabled(i != 3);
        box->setGeometry(10 + i * 125, 100, 120, 24);
    }

    QPixmap image(24, 24);
    image.fill(QColor(200, 120, 40));
    for (int i = 0; i < 2; ++i) {
        auto* icon = new NKIconButton(&board);
        icon->setIcon(QIcon(image));
        icon->setGeometry(10 + i * 40, 140, 24, 24);
        icon->setDown(i == 1);
    }

    auto* slider = new QSlider(Qt::Horizontal, &board);
    slider->setRange(0, 2);
    slider->setValue(1);
    slider->setGeometry(10, 190, 200, 30);
    NKSliderCell::apply(slider);

    sink.save(QStringLiteral("buttons-states"), &board);
});

} // namespace
