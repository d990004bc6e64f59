#include "MainWindowControls.h"

#include "Platform/Strings.h"
#include "UiLayout.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

FunctionTabButton::FunctionTabButton(FunctionTab f, const QString& titleKey, bool triangle, QWidget* parent)
    : QWidget(parent), function(f), hasTriangle(triangle), title_(platform::localizedString(titleKey))
{
    setAccessibleName(title_);
    setObjectName(QStringLiteral("tab_") + titleKey);
}

void FunctionTabButton::setTabEnabled(bool enabled)
{
    enabled_ = enabled;
    update();
}

void FunctionTabButton::setTabStatus(Status status)
{
    status_ = status;
    update();
}

void FunctionTabButton::setTabGradient(Gradient gradient)
{
    gradient_ = gradient;
    update();
}

QRect FunctionTabButton::triangleRect() const
{
    if (!hasTriangle)
        return {};
    const int w = int(layout::kTabTriangleWidth);
    return {width() - w, 0, w, height()};
}

void FunctionTabButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool active = status_ == Status::active;
    p.fillRect(rect(), active ? QColor(76, 73, 72) : QColor(53, 47, 45));
    if (gradient_ != Gradient::none) {
        const bool left = gradient_ == Gradient::left;
        const qreal x0 = left ? 0 : width();
        const qreal x1 = left ? 20 : width() - 20;
        QLinearGradient g(x0, 0, x1, 0);
        g.setColorAt(0, QColor(14, 10, 9));
        g.setColorAt(1, QColor(36, 25, 22, 0));
        p.fillRect(left ? QRectF(0, 0, 20, height()) : QRectF(width() - 20, 0, 20, height()), g);
    }
    QFont f = font();
    f.setPixelSize(layout::kTabFont);
    p.setFont(f);
    p.setPen(!enabled_ ? QColor(60, 60, 60) : active ? Qt::white : QColor(110, 110, 110));
    p.drawText(rect(), Qt::AlignCenter, title_);
    if (hasTriangle && active && enabled_) {
        const QRectF t = triangleRect();
        const QPointF c = t.center();
        QPainterPath path;
        path.moveTo(c.x() - 6, c.y() - 3);
        path.lineTo(c.x() + 6, c.y() - 3);
        path.lineTo(c.x(), c.y() + 4);
        path.closeSubpath();
        p.fillPath(path, Qt::white);
    }
}

void FunctionTabButton::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (!enabled_)
        return;
    const bool wasActive = status_ == Status::active;
    emit clickTab(this);
    // Only the tab that was already shown opens its menu.
    if (wasActive && triangleRect().contains(event->position().toPoint()))
        emit clickTabMenuIcon(this);
}

DeviceStripView::DeviceStripView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("keyboardList"));
}

void DeviceStripView::removeAllItem()
{
    for (QWidget* t : tiles_)
        t->deleteLater();  // a tile's own click may still be on the stack
    tiles_.clear();
    selected_ = -1;
}

void DeviceStripView::addItem(const QString& label, const QImage& thumbnail, bool selected)
{
    auto* tile = new QToolButton(this);
    const int index = int(tiles_.size());
    tile->setObjectName(label);
    tile->setAccessibleName(label);
    tile->setToolButtonStyle(Qt::ToolButtonIconOnly);
    tile->setIcon(QIcon(QPixmap::fromImage(thumbnail)));
    tile->setIconSize(layout::kKeyboardListTile.toSize() - QSize(10, 10));
    tile->setCheckable(true);
    tile->setChecked(selected);
    tile->setStyleSheet(QStringLiteral("QToolButton { background: rgb(40,40,40); border: 2px solid rgb(40,40,40); }"
                                       "QToolButton:checked { border-color: rgb(200,200,200); }"));
    connect(tile, &QToolButton::clicked, this, [this, index] {
        select(index);
        emit selectionChanged(this, index);
    });
    tiles_.push_back(tile);
    if (selected)
        selected_ = index;
    relayout();
    tile->show();
}

void DeviceStripView::select(int index)
{
    selected_ = index;
    for (size_t i = 0; i < tiles_.size(); ++i)
        static_cast<QToolButton*>(tiles_[i])->setChecked(int(i) == index);
}

void DeviceStripView::relayout()
{
    const QSizeF tile = layout::kKeyboardListTile;
    for (size_t i = 0; i < tiles_.size(); ++i)
        tiles_[i]->setGeometry(int(i * (tile.width() + 10)), 0, int(tile.width()), int(tile.height()));
}
