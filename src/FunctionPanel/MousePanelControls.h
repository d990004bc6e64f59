#pragma once
// Controls shared by the mouse sensor and LED panels.
//
//   MousePanelView     the panels' root view (a device picture) that says
//                      when it comes on screen and when it leaves it, so a
//                      panel can poll the mouse exactly while it is visible.
//   PhaseSlider        a slider that reports the phase of the user's
//                      gesture (pressed, dragged, released): the panels send
//                      once, on release, and pause their polling while the
//                      knob is held. A press puts the knob where it was
//                      pressed; a key press reports a released phase.
//   ImageStateButton   a button drawn as a picture (by its checked state)
//                      with an optional title beside it: the DPI and LED
//                      switches, the DPI radios, the lift-off choices.
//
// These views draw and report; they never talk to a device.

#include "KeyboardView/KeyboardView.h"

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QSlider>

class MousePanelView : public KeyboardView {
    Q_OBJECT
public:
    using KeyboardView::KeyboardView;

signals:
    void appeared();
    void disappeared();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
};

class PhaseSlider : public QSlider {
    Q_OBJECT
public:
    enum class Phase { Pressed, Dragged, Released };

    explicit PhaseSlider(QWidget* parent = nullptr);

    // The value a press or drag at `pos` (widget coordinates) gives.
    int valueAt(const QPoint& pos) const;

signals:
    // After the value has followed the pointer.
    void phase(PhaseSlider::Phase phase);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool held_ = false;
};

class ImageStateButton : public QAbstractButton {
    Q_OBJECT
public:
    // How a click changes the checked state: a switch toggles, a radio
    // only turns on (a second click on a chosen radio leaves it chosen).
    enum class Kind { Switch, Radio };

    explicit ImageStateButton(Kind kind, QWidget* parent = nullptr);

    Kind kind() const { return kind_; }
    // The picture drawn now (its owner picks it by the state).
    void setImage(const QPixmap& image);
    const QPixmap& image() const { return image_; }
    void setTitleColor(const QColor& color);
    QColor titleColor() const { return titleColor_; }
    void setTitlePixelSize(int pixels);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override;

private:
    Kind kind_;
    QPixmap image_;
    QColor titleColor_{Qt::white};
};
