#pragma once
// The layer of the keyboard picture above the key tints that prints the
// legends of the tinted keys once more, in their own light ink. A tint lies
// over the whole key top, legend included; without this layer a thin legend
// takes the tint's colour and disappears into it (red on red). Untinted keys
// are left as the pictures draw them.
//
// The ink is taken from the key-top picture: the legends are its light
// pixels on the darker caps, so a pixel's share of ink grows with how much
// lighter than a cap it is (antialiased edges keep their partial coverage).

#include <QImage>
#include <QPixmap>
#include <QWidget>

class KeyboardView;

class KeyboardLegendView : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardLegendView(KeyboardView* picture);

    // The legend ink of a key-top picture: light ink whose alpha is the
    // legend's coverage of each pixel, transparent elsewhere.
    static QImage legendInk(const QImage& keytops);

    // The ink drawn over tinted keys, already in the view's size and pixel
    // density (a null pixmap draws nothing).
    void setInk(const QPixmap& ink);
    const QPixmap& ink() const { return ink_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    KeyboardView* picture_;
    QPixmap ink_;
};
