#pragma once
// Two drawn views that behave like buttons: the round colour button with a
// caption (a glowing disc in its colour, or a dark one for "off"; an outline
// when selected, brighter under the mouse) and the underlined link text that reports a completed
// click.

#include <QColor>
#include <QFont>
#include <QSizeF>
#include <QString>
#include <QWidget>

class QObject;
class QPainter;

class NKButtonViewDelegate {
public:
    virtual ~NKButtonViewDelegate() = default;
    // The mouse button went down on the view `id`.
    virtual void mouseDownButtonView(QObject* id) = 0;
};

class NKLinkViewDelegate {
public:
    virtual ~NKLinkViewDelegate() = default;
    // Released after a press that started on the link `id` and never left it.
    virtual void mouseUpLinkView(QObject* id) = 0;
};

class NKButtonView : public QWidget {
    Q_OBJECT
public:
    explicit NKButtonView(QWidget* parent = nullptr);

    NKButtonViewDelegate* delegate() const { return delegate_; }
    void setDelegate(NKButtonViewDelegate* delegate) { delegate_ = delegate; }

    QString stringValue() const { return stringValue_; }
    void setStringValue(const QString& caption);
    // Selected; the owner decides it (the view reports presses only).
    bool buttonValue() const { return buttonValue_; }
    void setButtonValue(bool selected);
    // Colour of the disc (its red, green and blue are used).
    QColor buttonColor() const { return buttonColor_; }
    void setButtonColor(const QColor& color);
    QFont font() const { return font_; }
    void setFont(const QFont& font);
    // Whether the disc is drawn as a lit light (glowing white in the middle,
    // with a halo) or as a dark one, for a choice that switches the light
    // off. Lit by default.
    bool isLit() const { return lit_; }
    void setLit(bool lit);

    bool mouseInView() const { return mouseInView_; }
    // Size of the caption set in the view's font.
    QSizeF getTextSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Reached with Tab; Space or Enter presses it as a click does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The outline of a selected button.
    void drawSelection(QPainter& p) const;

    NKButtonViewDelegate* delegate_ = nullptr;
    QString stringValue_;
    bool buttonValue_ = false;
    QColor buttonColor_ = Qt::transparent;
    QFont font_;
    QSizeF captionSize_; // measured when the caption or font changes
    bool mouseInView_ = false;
    bool lit_ = true;
};

class NKLinkView : public QWidget {
    Q_OBJECT
public:
    explicit NKLinkView(QWidget* parent = nullptr);

    NKLinkViewDelegate* delegate() const { return delegate_; }
    void setDelegate(NKLinkViewDelegate* delegate) { delegate_ = delegate; }

    QString stringValue() const { return stringValue_; }
    void setStringValue(const QString& text);
    QFont font() const { return font_; }
    void setFont(const QFont& font);

    // A press started inside and the pointer has not left since.
    bool mouseDown() const { return mouseDown_; }
    bool mouseInView() const { return mouseInView_; }
    QSizeF getTextSize() const;

    // The text colour of the current state (normal, hover or pressed).
    QColor textColor() const;
    static QColor normalColor() { return QColor(141, 179, 226); }
    static QColor hoverColor() { return QColor(116, 143, 176); }
    static QColor pressedColor() { return QColor(109, 131, 160); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Reached with Tab; Space or Enter follows the link as a click does.
    // The focus ring goes around the link, on its parent, clear of the text.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void pointerLeft();

    NKLinkViewDelegate* delegate_ = nullptr;
    QString stringValue_;
    QFont font_;
    bool mouseDown_ = false;
    bool mouseInView_ = false;
};
