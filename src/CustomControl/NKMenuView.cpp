#include "CustomControl/NKMenuView.h"

#include "UiLayout.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

NKMenuView::NKMenuView(QWidget* parent) : QWidget(parent)
{
    triangleImageView_ = new QLabel(this);
    triangleImageView_->setAttribute(Qt::WA_TransparentForMouseEvents);
    triangleImageView_->hide();
}

void NKMenuView::setTitle(const QString& title)
{
    title_ = title;
    setAccessibleName(title);
    refit();
    update();
}

void NKMenuView::setFullTitle(const QString& fullTitle)
{
    fullTitle_ = fullTitle;
    refit();
    update();
}

void NKMenuView::setTriangleIcon(const QPixmap& icon)
{
    if (icon.isNull())
        return;
    triangleIcon_ = icon;
    const QSizeF size = icon.deviceIndependentSize();
    triangleRect_ = QRectF(width() - size.width() - layout::kMenuHeaderTriangleMargin,
                           (height() - size.height()) / 2, size.width(), size.height());
    triangleImageView_->setPixmap(icon);
    triangleImageView_->setGeometry(triangleRect_.toRect());
    triangleImageView_->show();
    refit();
    update();
}

void NKMenuView::change(TabStatus, TabGradient) {}

qreal NKMenuView::textAreaWidth() const
{
    return width() - (triangleRect_.width() + layout::kMenuHeaderTriangleMargin);
}

QFont NKMenuView::titleFont(int* reductions) const
{
    // Before the owner fills the full title, the drawn title (or nothing)
    // is what gets measured.
    const QString measured = !fullTitle_.isNull() ? fullTitle_ : title_;
    const qreal limit = textAreaWidth() - layout::kMenuHeaderFitSlack;
    const int steps = layout::kMenuHeaderFontPixels - layout::kMenuHeaderMinFontPixels + 1;
    QFont font;
    int d = 0;
    for (; d < steps; ++d) {
        font.setPixelSize(layout::kMenuHeaderFontPixels - d);
        if (QFontMetricsF(font).horizontalAdvance(measured) <= limit)
            break;
    }
    if (d == steps)
        font.setPixelSize(layout::kMenuHeaderMinFontPixels);
    if (reductions)
        *reductions = d;
    return font;
}

QRectF NKMenuView::titleRect(int reductions) const
{
    const qreal h = layout::kMenuHeaderTitleHeight;
    // Up by one pixel at full size, one pixel lower per reduction.
    return QRectF(0, (height() - h) / 2 - (1 - reductions), textAreaWidth(), h);
}

void NKMenuView::refit()
{
    int d = 0;
    fittedFont_ = titleFont(&d);
    fittedRect_ = titleRect(d);
    // A text too long even at the smallest size is cut short with an
    // ellipsis before the triangle rather than running under it.
    shownTitle_ = title_.isNull()
        ? QString()
        : QFontMetricsF(fittedFont_).elidedText(title_, Qt::ElideRight, fittedRect_.width());
}

void NKMenuView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    refit();
}

void NKMenuView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (title_.isNull())
        return;
    p.setFont(fittedFont_);
    p.setPen(Qt::white);
    p.drawText(fittedRect_, Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, shownTitle_);
}

void NKMenuView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (delegate_)
        delegate_->clickMenu(this);
}
