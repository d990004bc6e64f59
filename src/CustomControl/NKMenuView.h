#pragma once
// The header of a mouse button's popup menu: a black bar showing, white and
// centred, the name of the button's function, with a triangle at its right
// end. Long names are fitted by shrinking the font from 14 down to 10 pixels.
// A press tells the owner, which opens or closes the menu.

#include "AppEnums.h"
#include "CustomControl/MainTabView.h"

#include <QFont>
#include <QLabel>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QWidget>

class QObject;

class onMenuViewDelegate {
public:
    virtual ~onMenuViewDelegate() = default;
    virtual void clickMenu(QObject* id) = 0;
};

class NKMenuView : public QWidget {
    Q_OBJECT
public:
    explicit NKMenuView(QWidget* parent = nullptr);

    onMenuViewDelegate* delegate() const { return delegate_; }
    void setDelegate(onMenuViewDelegate* delegate) { delegate_ = delegate; }

    // The text drawn (a null string draws none).
    QString title() const { return title_; }
    void setTitle(const QString& title);
    // The complete text that chooses the font size; while it is null the
    // drawn title is measured instead.
    QString fullTitle() const { return fullTitle_; }
    void setFullTitle(const QString& fullTitle);

    // Setting an image places the triangle at the right end, from the size
    // the header has now; a null image changes nothing.
    QPixmap triangleIcon() const { return triangleIcon_; }
    void setTriangleIcon(const QPixmap& icon);
    QLabel* triangleImageView() const { return triangleImageView_; }
    QRectF triangleRect() const { return triangleRect_; }

    // Kept for the owner; neither drawing nor clicks depend on them.
    FunctionTab function = FunctionTab::None;
    bool enable = true;
    bool customKeyText = false;
    bool tabEnabled = true;
    qreal marginLR = 8;

    // Declared for the tab look; the header does not use it.
    void change(TabStatus status, TabGradient gradient);

    // The font of the drawn title: 14 pixels, less one per reduction needed
    // for the measured text to fit (at most 4 reductions to 10 pixels).
    // `reductions` receives the count d (5 when even 10 pixels is too wide).
    QFont titleFont(int* reductions = nullptr) const;
    // Where the title is drawn for a given count of reductions.
    QRectF titleRect(int reductions) const;
    // Width of the text area: the view less the triangle and its margin.
    qreal textAreaWidth() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void refit();

    onMenuViewDelegate* delegate_ = nullptr;
    QString title_;
    QString fullTitle_;
    QPixmap triangleIcon_;
    QLabel* triangleImageView_ = nullptr;
    QRectF triangleRect_;
    // What the paint uses, fitted again whenever a text, the size or the
    // triangle changes.
    QFont fittedFont_;
    QRectF fittedRect_;
    QString shownTitle_;
};
