// A contact sheet of the application's own pictures on the body background,
// each with its name.
#include "Screenshots.h"

#include "AppImageNames.h"
#include "CustomControl/AppImages.h"

#include <QPainter>
#include <QWidget>

namespace {

class ContactSheet : public QWidget {
public:
    ContactSheet() { setFixedSize(1000, 486); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const qreal ratio = devicePixelRatioF();
        p.drawPixmap(0, 0, ui::appImage(QStringLiteral("MainBackground.png"), ratio));
        QFont font;
        font.setPixelSize(10);
        p.setFont(font);
        const int cellW = 160, cellH = 78;
        int i = 0;
        for (const appimages::ImageSpec& entry : appimages::kImages) {
            const QString name = QString::fromUtf8(entry.name.data(), qsizetype(entry.name.size()));
            if (name == QLatin1String("MainBackground.png"))
                continue;
            const QPixmap picture = ui::appImage(name, ratio);
            const QRect cell((i % 6) * cellW + 20, (i / 6) * cellH + 10, cellW, cellH);
            QSizeF size = picture.deviceIndependentSize();
            if (size.height() > 52)
                size.scale(52, 52, Qt::KeepAspectRatio);
            const QRectF at(cell.center().x() - size.width() / 2, cell.top() + 30 - size.height() / 2,
                            size.width(), size.height());
            p.drawPixmap(at, picture, QRectF(picture.rect()));
            p.setPen(QColor(0x9A, 0xA3, 0xAF));
            p.drawText(QRect(cell.left(), cell.top() + 58, cell.width(), 16), Qt::AlignCenter,
                       name.left(name.size() > 26 ? 24 : name.size()) + (name.size() > 26 ? QStringLiteral("…") : QString()));
            ++i;
        }
    }
};

const shots::ShotRegistrar registrar("AppImages", [](shots::ShotSink& sink) {
    ContactSheet sheet;
    sink.save(QStringLiteral("app-images"), &sheet);
});

} // namespace
