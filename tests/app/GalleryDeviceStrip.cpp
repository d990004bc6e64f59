// Pictures of the device list strip: tiles plain, hovered and selected, and
// the strip scrolled to its end.
#include "Screenshots.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include "CustomControl/KeyboardListView.h"

namespace {

// A stand-in device picture: a keyboard outline with rows of keys.
QPixmap keyboardPicture(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(60, 60, 64));
    p.setPen(QPen(QColor(140, 140, 150), 2));
    p.drawRoundedRect(QRectF(2, 2, width - 4, height - 4), 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 170, 180));
    const int rows = 5, cols = 15;
    const qreal kw = (width - 24.0) / cols, kh = (height - 24.0) / rows;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            p.drawRoundedRect(QRectF(12 + c * kw + 1, 12 + r * kh + 1, kw - 2, kh - 2), 2, 2);
    return pixmap;
}

void render(shots::ShotSink& sink)
{
    QWidget window;
    window.setAutoFillBackground(true);
    QPalette pal = window.palette();
    pal.setColor(QPalette::Window, QColor(26, 26, 26));
    window.setPalette(pal);
    KeyboardListView strip;
    window.resize(strip.keyboardListView()->size());
    strip.keyboardListView()->setParent(&window);
    for (int i = 0; i < 4; ++i) {
        auto* item = new KeyboardListItem();
        item->setDefaultImage(keyboardPicture(i == 3 ? 900 : 260, i == 3 ? 300 : 90));
        strip.addItem(item);
    }
    strip.select(1);
    strip.detailArray()[0]->view()->setOnMouse(true);
    strip.DisplayItemAtIndexCheck(true);
    sink.save(QStringLiteral("device-strip-hover-and-selected"), &window);

    strip.detailArray()[0]->view()->setOnMouse(false);
    strip.select(3);
    strip.DisplayItemAtIndexCheck(true);
    sink.save(QStringLiteral("device-strip-scrolled-to-end"), &window);
}

const shots::ShotRegistrar registrar("device-strip", render);

} // namespace
