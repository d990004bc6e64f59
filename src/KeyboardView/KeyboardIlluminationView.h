#pragma once
// The layer of the keyboard picture that tints each key with the state the
// active panel shows (AppParam::keyDrawMode): APC levels, one colour for all
// keys, or key locks; keys inside the rubber band take AppParam::paintColor.
// Each key gets a soft radial glow cut to the key's own shape. The glow is
// laid over the key-top picture in overlay mode: the dark cap takes the
// colour, the light legend printed on it stays light, so a legend reads on
// every tint. The view reads the current keyboard model on every paint.
//
// Overlay is computed pixel by pixel and costs a large share of a repaint,
// so the tinted pixels are kept: per tint colour, the part of the picture
// under the keys with every key tinted in that colour, made once with the
// same painter calls and then copied key by key. This holds only where what
// lies beneath the layer is the view's own opaque picture, pixel for pixel;
// keys that share pixels with another key, or lie over a transparent part,
// and densities that are not whole numbers, are drawn directly. A tinted
// picture takes megabytes (4 MB at twice the density): those kept are let
// go when the view is hidden, and made again when it is next painted.

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QRgba64>
#include <QWidget>

#include <memory>
#include <vector>

#include "Utility/AppColor.h"

class KeyboardEntry;
class KeyboardView;
class KeytopEntry;
class QPainterPath;

class KeyboardIlluminationView : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardIlluminationView(KeyboardView* picture);

    // The colour a key is tinted with in the current mode (the clear colour
    // for an untinted key).
    static AppColor keyColor(const KeytopEntry& key);
    // A key's rectangles (key coordinates, y up): their bounding rectangle,
    // and their union as a path, filled by the winding rule so overlapping
    // parts of an L-shaped key stay filled.
    static QRectF keyBounds(const KeytopEntry& key);
    static QPainterPath keyShape(const KeytopEntry& key);

    // How many tinted pictures are kept.
    size_t keptTintedPictures() const { return tinted_.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The pixels a key's tint may touch, or an empty rectangle for a key
    // drawn directly; made again when the picture or the keyboard changed.
    void prepareTintCache(const std::shared_ptr<const KeyboardEntry>& keyboard);
    // The picture with every cached key tinted in `colour` (made on first
    // use; the last few colours are kept).
    const QImage& tintedPicture(const KeyboardEntry& keyboard, const QColor& colour);

    KeyboardView* picture_;
    struct Tinted {
        QRgba64 colour;
        QImage image;
    };
    qint64 cachedPicture_ = 0;
    // Held weakly: a keyboard model made later never passes for this one.
    std::weak_ptr<const KeyboardEntry> cachedKeyboard_;
    qreal cachedFlipHeight_ = 0;
    int cachedRatio_ = 0;
    std::vector<QRect> keyPixels_;
    // The pixels of every key whose tint is kept: what a tinted picture holds.
    QRect tintArea_;
    std::vector<Tinted> tinted_; // most recently used first
};
