#pragma once
// The function tabs of the main window and the bar behind them. A tab paints
// its own background, an optional edge gradient, a centred title and a left
// icon; a small triangle at its right end blinks while the tab is active. A
// press on another tab asks the owner to switch panels, a press on the
// triangle area of the current tab asks it to open that tab's menu. The views
// never talk to devices or panels themselves.

#include "AppEnums.h"
#include "Platform/Clock.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QTimer>
#include <QWidget>

class QObject;

enum class TabStatus { active, notActive, notSupport };
enum class TabGradient { none, left, right };

// Receives the two click reports of a tab; `id` is the pressed MainTabView.
class onMainTabViewDelegate {
public:
    virtual ~onMainTabViewDelegate() = default;
    virtual void clickTab(QObject* id) = 0;
    virtual void clickTabMenuIcon(QObject* id) = 0;
};

// Opacity of the blinking triangle `elapsed` seconds after the blink started:
// from 0.3 up to 1.0 in `halfPeriod` seconds, then back down, for ever.
double tabBlinkOpacity(double elapsed, double halfPeriod);

// The blink is drawn in kTabBlinkSteps + 1 evenly spaced levels (0 = 0.3,
// kTabBlinkSteps = 1.0), the opacity rounded to the nearest; it wakes and
// repaints only when the level changes, kTabBlinkSteps times each way. Ten
// steps a second still look smooth on the small triangle, and a window at
// rest wakes no more often than that for it.
inline constexpr int kTabBlinkSteps = 10;
int tabBlinkLevel(double elapsed, double halfPeriod);
double tabBlinkLevelOpacity(int level);
// The time (seconds since the blink started, after `elapsed`) at which the
// level next changes.
double tabBlinkNextChange(double elapsed, double halfPeriod);

// The triangle of a tab: draws its image at the current blink opacity, from
// an image made once per opacity. Its repaints touch only its own rectangle.
class TabTriangleView : public QWidget {
    Q_OBJECT
public:
    explicit TabTriangleView(QWidget* parent = nullptr);

    void setImage(const QPixmap& image);
    QPixmap image() const { return image_; }
    double opacity() const { return opacity_; }
    void setOpacity(double value);
    // Paint events received so far (the blink's frame count).
    int paintCount() const { return paintCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPixmap& blended();

    QPixmap image_;
    QHash<int, QPixmap> blended_; // the image at each opacity shown so far
    double opacity_ = 1.0;
    int paintCount_ = 0;
};

class MainTabView : public QWidget {
    Q_OBJECT
public:
    explicit MainTabView(QWidget* parent = nullptr);

    onMainTabViewDelegate* delegate() const { return delegate_; }
    void setDelegate(onMainTabViewDelegate* delegate) { delegate_ = delegate; }

    FunctionTab function() const { return function_; }
    void setFunction(FunctionTab function) { function_ = function; }

    // The localised title; a null string draws no title.
    QString title() const { return title_; }
    void setTitle(const QString& title);

    QPixmap activeIcon() const { return activeIcon_; }
    void setActiveIcon(const QPixmap& icon);
    QPixmap notActiveIcon() const { return notActiveIcon_; }
    void setNotActiveIcon(const QPixmap& icon);

    // Setting an image places the triangle at the right end, from the size
    // the tab has now (set the geometry first); a null image changes nothing.
    QPixmap triangleIcon() const { return triangleIcon_; }
    void setTriangleIcon(const QPixmap& icon);

    bool tabEnabled() const { return tabEnabled_; }
    void setTabEnabled(bool enabled);

    // Setting it stops any blink; `active` (re)starts the blink from its
    // beginning and shows the triangle, the others hide it.
    TabStatus tabStatus() const { return tabStatus_; }
    void setTabStatus(TabStatus status);

    TabGradient tabGradient() const { return tabGradient_; }
    void setTabGradient(TabGradient gradient);

    QFont font() const { return font_; }
    void setFont(const QFont& font);

    TabTriangleView* triangleImageView() const { return triangleImageView_; }
    // The triangle's frame in the tab (zero until an icon was set).
    QRectF triangleRect() const { return triangleRect_; }
    // Where a press opens the tab's menu: the triangle widened on both sides,
    // over the full height.
    QRectF triangleHitRect() const;

    bool isBlinking() const { return blinkTimer_.isActive(); }

    // Colours of the three looks and the edge gradients.
    QColor activeBackgroundColor;
    QColor notActiveBackgroundColor;
    QColor disableBackgroundColor;
    QColor gradientStartColor;
    QColor gradientStartDisableColor;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // An enabled tab is reached with Tab; Space or Enter on it asks for its
    // panel as a click on it does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRectF titleRect() const;
    void measureTitle();
    void stepBlink();
    void updateBlinkTimer();
    void updateTriangleVisibility();

    onMainTabViewDelegate* delegate_ = nullptr;
    FunctionTab function_ = FunctionTab::None;
    QString title_;
    QRect titleInk_; // where the title draws, cached on resize and change
    QPixmap activeIcon_;
    QPixmap notActiveIcon_;
    QPixmap triangleIcon_;
    bool tabEnabled_ = true;
    TabStatus tabStatus_ = TabStatus::active;
    TabGradient tabGradient_ = TabGradient::none;
    QFont font_;
    TabTriangleView* triangleImageView_ = nullptr;
    QRectF triangleRect_;
    bool triangleAdded_ = false;  // an icon was set: the triangle is in place
    bool triangleHidden_ = false; // hidden by a status other than active
    bool blinkWanted_ = false;    // active with an icon: blinks while shown
    bool onScreen_ = false;       // shown, and its window not minimised
    QTimer blinkTimer_;
    platform::Clock::time_point blinkStart_{};
};

// The bar behind the tab row: a flat band on top, then a vertical gradient
// down to black.
class MainTabBarView : public QWidget {
    Q_OBJECT
public:
    explicit MainTabBarView(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor startColor_;
    QColor endColor_;
};
