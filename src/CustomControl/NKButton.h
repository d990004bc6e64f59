#pragma once
// Drawn buttons, check boxes and the flat slider look. The buttons are real
// Qt buttons (clicked(), isChecked(), setEnabled() as usual) that paint
// themselves: a flat fill, the title coloured by state and an optional
// image. The "cells" are the title colour rules and the slider bar; Qt has
// no cells, so they are offered as colour rules and as proxy styles that a
// plain QPushButton, QCheckBox or QSlider can wear.
//
// None of these controls talks to a device; owners connect their signals.

#include <QCheckBox>
#include <QColor>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>

class QSlider;

// The title colour rule of a push button: white while enabled, grey while
// disabled.
class NKButtonCell : public QProxyStyle {
    Q_OBJECT
public:
    NKButtonCell();
    static QColor titleColor(bool enabled);
    // Recolours the title of push buttons and check boxes drawn with this
    // style by the button's enabled state.
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    // Gives `button` this style; the style lives as long as the button.
    static void apply(QAbstractButton* button);
};

// The title colour rule of a check box: grey while off, white while on or
// partly on, whatever the enabled state.
class NKCheckButtonCell : public QProxyStyle {
    Q_OBJECT
public:
    NKCheckButtonCell();
    static QColor titleColor(Qt::CheckState state);
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    // The box is not dimmed when disabled and shows no pressed look.
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    static void apply(QAbstractButton* button);
};

// The flat slider look: in place of the groove a bar 5 high with corners of
// radius 1, filled with `backgroundColor`, at the top of the groove
// rectangle whatever its height; no tick marks, no filled part; the knob is
// the base style's.
class NKSliderCell : public QProxyStyle {
    Q_OBJECT
public:
    NKSliderCell();
    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color) { backgroundColor_ = color; }

    // The bar drawn for the groove rectangle `groove`.
    static QRectF barRect(const QRectF& groove);

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;

    // Gives `slider` a new flat look (owned by the slider) and returns it, so
    // that the owner can set its colour.
    static NKSliderCell* apply(QSlider* slider);

private:
    QColor backgroundColor_;
};

// A flat push button: filled with `backgroundColor`, or with
// `highlightColor` while the pointer is over it and it is enabled; the title
// (and the image, left of it) on top. The hover look lasts from the pointer
// entering to the pointer leaving, a click does not end it. Its accessible
// name is its title, as for any push button.
class NKButton : public QPushButton {
    Q_OBJECT
public:
    explicit NKButton(QWidget* parent = nullptr);
    explicit NKButton(const QString& title, QWidget* parent = nullptr);

    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);
    QColor highlightColor() const { return highlightColor_; }
    void setHighlightColor(const QColor& color);
    // Both colours at once, as the owners set them from a colour pair.
    void setColors(const QColor& background, const QColor& highlight);
    bool mouseInView() const { return mouseInView_; }

    // The title's look: the button's font (14 pixels unless changed), centred
    // and coloured by the NKButtonCell rule. AppUtil::setAlignmentButton
    // gives it another alignment and a fixed colour; these setters do the
    // same one at a time. An invalid colour brings the rule back.
    Qt::Alignment titleAlignment() const;
    void setTitleAlignment(Qt::Alignment alignment);
    QColor titleColor() const;
    void setTitleColor(const QColor& color);
    // The colour the title is drawn in now.
    QColor effectiveTitleColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void init();

    QColor backgroundColor_;
    QColor highlightColor_;
    bool mouseInView_ = false;
};

// A colour swatch: the button filled with `backgroundColor` inside corners
// of radius 3; the chosen one (`isDefault`) outlined white outside and black
// inside, 1 each.
class NKColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit NKColorButton(QWidget* parent = nullptr);

    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);
    bool isDefault() const { return isDefault_; }
    void setIsDefault(bool isDefault);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor backgroundColor_;
    bool isDefault_ = false;
};

// A check box on a flat background: the bounds filled with
// `backgroundColor` (alpha honoured), then the box and the title coloured
// by the NKCheckButtonCell rule. The box is the application's one check-box
// look: an outlined dark square, light with a dark tick when on, light with
// a dark bar when partly on. Box and title keep their places in every
// state, so a title that fits once always fits; the whole control takes
// clicks.
class NKCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit NKCheckBox(QWidget* parent = nullptr);
    explicit NKCheckBox(const QString& title, QWidget* parent = nullptr);

    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void init();
    QColor backgroundColor_;
};

// A radio button in the same look as NKCheckBox: an outlined dark circle
// with a light dot when chosen, and the title in the palette's window-text
// colour (owners colour it through the palette), whatever the ground
// beneath it.
class NKRadioButton : public QRadioButton {
    Q_OBJECT
public:
    explicit NKRadioButton(const QString& title, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

// An image button: the image (its icon) scaled into the button; while the
// button is held down the image is covered with black at half alpha.
class NKIconButton : public QPushButton {
    Q_OBJECT
public:
    explicit NKIconButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
