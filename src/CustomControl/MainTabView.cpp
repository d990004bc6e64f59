#include "CustomControl/MainTabView.h"

#include "AppParam.h"
#include "CustomControl/FocusRing.h"
#include "Platform/Clock.h"
#include "UiLayout.h"

#include <QLinearGradient>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace {

constexpr double kBlinkLow = 0.3;
constexpr double kBlinkHigh = 1.0;
// One way of the blink (0.3 to 1.0), then the same way back.
constexpr platform::Seconds kBlinkHalfPeriod{1.0};

} // namespace

double tabBlinkOpacity(double elapsed, double halfPeriod)
{
    if (!(halfPeriod > 0.0) || !(elapsed > 0.0))
        return kBlinkLow;
    const double phase = std::fmod(elapsed / halfPeriod, 2.0); // 0..2
    const double rise = phase <= 1.0 ? phase : 2.0 - phase;
    return kBlinkLow + (kBlinkHigh - kBlinkLow) * rise;
}

int tabBlinkLevel(double elapsed, double halfPeriod)
{
    const double opacity = tabBlinkOpacity(elapsed, halfPeriod);
    const int level = int(std::lround((opacity - kBlinkLow) / (kBlinkHigh - kBlinkLow) * kTabBlinkSteps));
    return std::clamp(level, 0, kTabBlinkSteps);
}

double tabBlinkLevelOpacity(int level)
{
    return kBlinkLow + (kBlinkHigh - kBlinkLow) * std::clamp(level, 0, kTabBlinkSteps) / kTabBlinkSteps;
}

double tabBlinkNextChange(double elapsed, double halfPeriod)
{
    if (!(halfPeriod > 0.0))
        return std::numeric_limits<double>::infinity();
    // In units of one way of the blink, the level changes half a step past
    // every step: at (j + 0.5) / steps for j = 0, 1, 2, ...
    const double at = std::max(elapsed, 0.0) / halfPeriod * kTabBlinkSteps;
    const double next = std::floor(at - 0.5) + 1.5;
    return (next / kTabBlinkSteps) * halfPeriod;
}

// ---- TabTriangleView -------------------------------------------------------

TabTriangleView::TabTriangleView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TabTriangleView::setImage(const QPixmap& image)
{
    image_ = image;
    blended_.clear();
    update();
}

void TabTriangleView::setOpacity(double value)
{
    if (value == opacity_)
        return;
    opacity_ = value;
    update();
}

const QPixmap& TabTriangleView::blended()
{
    // The image at each opacity the blink shows is made once.
    const int key = int(std::lround(opacity_ * 4096));
    auto found = blended_.constFind(key);
    if (found == blended_.constEnd()) {
        QPixmap frame(image_.size());
        frame.setDevicePixelRatio(image_.devicePixelRatio());
        frame.fill(Qt::transparent);
        QPainter p(&frame);
        p.setOpacity(opacity_);
        p.drawPixmap(0, 0, image_);
        p.end();
        found = blended_.insert(key, frame);
    }
    return *found;
}

void TabTriangleView::paintEvent(QPaintEvent*)
{
    ++paintCount_;
    if (image_.isNull())
        return;
    QPainter p(this);
    p.drawPixmap(rect(), blended());
}

// ---- MainTabView -----------------------------------------------------------

MainTabView::MainTabView(QWidget* parent)
    : QWidget(parent),
      activeBackgroundColor(76, 73, 72),
      notActiveBackgroundColor(53, 47, 45),
      disableBackgroundColor(20, 18, 17),
      gradientStartColor(36, 25, 22),
      gradientStartDisableColor(14, 10, 9)
{
    font_.setPixelSize(layout::kTabFontPixels);
    triangleImageView_ = new TabTriangleView(this);
    triangleImageView_->hide();
    // The blink wakes only when its drawn level changes.
    blinkTimer_.setSingleShot(true);
    blinkTimer_.setTimerType(Qt::PreciseTimer);
    connect(&blinkTimer_, &QTimer::timeout, this, &MainTabView::stepBlink);
    // Tab reaches it; a click does not leave the focus on it.
    setFocusPolicy(Qt::TabFocus);
}

void MainTabView::setTitle(const QString& title)
{
    title_ = title;
    setAccessibleName(title);
    measureTitle();
    update();
}

QRectF MainTabView::titleRect() const
{
    const qreal h = layout::kTabTitleHeight;
    return QRectF(0, (height() - h) / 2 - layout::kTabTitleRaise, width(), h);
}

void MainTabView::measureTitle()
{
    // Where the title puts ink, with a little room for antialiasing.
    const QRectF box = titleRect();
    const QRectF ink = QFontMetricsF(font_).boundingRect(box, Qt::AlignHCenter | Qt::AlignTop, title_);
    titleInk_ = ink.adjusted(-2, -2, 2, 2).toAlignedRect();
}

void MainTabView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    measureTitle();
}

void MainTabView::setActiveIcon(const QPixmap& icon)
{
    activeIcon_ = icon;
    update();
}

void MainTabView::setNotActiveIcon(const QPixmap& icon)
{
    notActiveIcon_ = icon;
    update();
}

void MainTabView::setTriangleIcon(const QPixmap& icon)
{
    if (icon.isNull())
        return;
    triangleIcon_ = icon;
    const QSizeF size = icon.deviceIndependentSize();
    // Placed once from the current size; a later resize does not move it.
    triangleRect_ = QRectF(width() - size.width() - layout::kTabSideMargin,
                           (height() - size.height()) / 2, size.width(), size.height());
    triangleImageView_->setImage(icon);
    triangleImageView_->setGeometry(triangleRect_.toRect());
    triangleAdded_ = true;
    updateTriangleVisibility();
    updateBlinkTimer();
}

void MainTabView::setTabEnabled(bool enabled)
{
    tabEnabled_ = enabled;
    // A disabled tab is passed over by Tab.
    setFocusPolicy(enabled ? Qt::TabFocus : Qt::NoFocus);
    if (!enabled && hasFocus())
        focusNextChild();
    update();
}

void MainTabView::setTabStatus(TabStatus status)
{
    tabStatus_ = status;
    // Any new status ends the running blink; `active` starts a fresh one.
    blinkTimer_.stop();
    blinkWanted_ = false;
    triangleImageView_->setOpacity(1.0);
    if (status == TabStatus::active) {
        if (!triangleIcon_.isNull()) {
            blinkWanted_ = true;
            blinkStart_ = platform::now();
            triangleImageView_->setOpacity(kBlinkLow);
        }
        triangleHidden_ = false;
    } else {
        triangleHidden_ = true;
    }
    updateTriangleVisibility();
    updateBlinkTimer();
    update();
}

void MainTabView::setTabGradient(TabGradient gradient)
{
    tabGradient_ = gradient;
    update();
}

void MainTabView::setFont(const QFont& font)
{
    font_ = font;
    measureTitle();
    update();
}

QRectF MainTabView::triangleHitRect() const
{
    return QRectF(triangleRect_.x() - layout::kTabTriangleHitWidening, 0,
                  triangleRect_.width() + 2 * layout::kTabTriangleHitWidening, height());
}

void MainTabView::updateTriangleVisibility()
{
    triangleImageView_->setVisible(triangleAdded_ && !triangleHidden_);
}

void MainTabView::updateBlinkTimer()
{
    // The blink only costs frames while the tab is on screen: a window that
    // is minimised stays visible to Qt, but its widgets are told by a hide
    // event, and by a show event when it comes back.
    if (blinkWanted_ && onScreen_ && isVisible()) {
        if (!blinkTimer_.isActive())
            stepBlink();
    } else {
        blinkTimer_.stop();
    }
}

void MainTabView::stepBlink()
{
    // Shows the level the blink has reached and sleeps until the next one.
    const double halfPeriod = platform::scaled(kBlinkHalfPeriod).count();
    const double elapsed = platform::Seconds(platform::now() - blinkStart_).count();
    triangleImageView_->setOpacity(tabBlinkLevelOpacity(tabBlinkLevel(elapsed, halfPeriod)));
    // Whole milliseconds, rounded up (a wake-up just before the change would
    // find the level unchanged), and never more often than the frame ceiling
    // (a shortened time scale would otherwise ask for hundreds a second).
    const double wait = tabBlinkNextChange(elapsed, halfPeriod) - elapsed;
    const long long ceilingMs = (1000 + layout::kTabBlinkMaxFps - 1) / layout::kTabBlinkMaxFps;
    const long long ms = std::clamp<long long>(std::llround(std::ceil(wait * 1000.0)), ceilingMs, 3600 * 1000);
    blinkTimer_.start(std::chrono::milliseconds(ms));
}

void MainTabView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    onScreen_ = true;
    updateBlinkTimer();
}

void MainTabView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    onScreen_ = false;
    updateBlinkTimer();
}

void MainTabView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRectF bounds = rect();
    // The blink repaints only beneath the triangle: skip the title and the
    // icon when they lie outside what is to be painted.
    const QRect dirty = event->rect();

    QColor fill;
    QColor titleColor;
    const QPixmap* icon;
    if (!tabEnabled_) {
        fill = disableBackgroundColor;
        titleColor = layout::kTabTitleDisabledColor;
        icon = &notActiveIcon_;
    } else if (tabStatus_ == TabStatus::notActive) {
        fill = notActiveBackgroundColor;
        titleColor = layout::kTabTitleNotActiveColor;
        icon = &notActiveIcon_;
    } else {
        fill = activeBackgroundColor;
        titleColor = Qt::white;
        icon = &activeIcon_;
    }
    p.fillRect(bounds, fill);

    if (tabGradient_ != TabGradient::none) {
        const QColor start = tabEnabled_ ? gradientStartColor : gradientStartDisableColor;
        const QColor end = tabEnabled_ ? notActiveBackgroundColor : disableBackgroundColor;
        const qreal w = layout::kTabGradientWidth;
        // The start colour lies on the tab's outer edge and fades inwards.
        const bool left = tabGradient_ == TabGradient::left;
        const QRectF strip(left ? 0 : bounds.width() - w, 0, w, bounds.height());
        QLinearGradient gradient(left ? strip.left() : strip.right(), 0,
                                 left ? strip.right() : strip.left(), 0);
        gradient.setColorAt(0, start);
        gradient.setColorAt(1, end);
        p.fillRect(strip, gradient);
    }

    if (!title_.isNull() && dirty.intersects(titleInk_)) {
        p.setFont(font_);
        p.setPen(titleColor);
        p.drawText(titleRect(), Qt::AlignHCenter | Qt::AlignTop | Qt::TextDontClip, title_);
    }

    if (!icon->isNull()) {
        const QSizeF size = icon->deviceIndependentSize();
        const QRectF place(QPointF(layout::kTabSideMargin, (bounds.height() - size.height()) / 2),
                           size);
        if (dirty.intersects(place.toAlignedRect()))
            p.drawPixmap(place, *icon, QRectF(icon->rect()));
    }
    ui::drawFocusRing(p, this, 0);
}

void MainTabView::mousePressEvent(QMouseEvent* event)
{
    // The press never goes further: a tab is no handle to drag the window by.
    event->accept();
    if (!tabEnabled_)
        return;
    const FunctionTab atPress = AppParam::functionTabSelect;
    if (function_ != atPress && delegate_)
        delegate_->clickTab(this);
    // The owner may have rearranged the window meanwhile: locate the press
    // in the tab as it stands now.
    const QPointF inTab = mapFromGlobal(event->globalPosition());
    if (AppParam::functionTabSelect == atPress && triangleHitRect().contains(inTab) && delegate_)
        delegate_->clickTabMenuIcon(this);
}

void MainTabView::keyPressEvent(QKeyEvent* event)
{
    if (!ui::isPressKey(event) || event->isAutoRepeat()) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (tabEnabled_ && function_ != AppParam::functionTabSelect && delegate_)
        delegate_->clickTab(this);
}

void MainTabView::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void MainTabView::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
}

// ---- MainTabBarView --------------------------------------------------------

MainTabBarView::MainTabBarView(QWidget* parent)
    : QWidget(parent), startColor_(layout::kTabBarStartColor), endColor_(Qt::black)
{
}

void MainTabBarView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), startColor_);
    // Below the flat band on top, the gradient runs down to black.
    const qreal top = layout::kTabBarFlatTop;
    if (height() <= top)
        return;
    QLinearGradient gradient(0, top, 0, height());
    gradient.setColorAt(0, startColor_);
    gradient.setColorAt(1, endColor_);
    p.fillRect(QRectF(0, top, width(), height() - top), gradient);
}
