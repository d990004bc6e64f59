#pragma once
// The top layer of the keyboard picture: works out which keys a rubber band
// touches and draws a frame round the selected keys.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <set>

class KeyboardView;
class KeytopEntry;

class KeyboardCropView : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardCropView(KeyboardView* picture);

    // The area (bottom-left coordinates of the picture) in which a click
    // starts a selection.
    QRectF keyboardRect;

    // Tests the band from `start` to `end` (both in the picture's bottom-left
    // coordinates) against every key-top rectangle of the current keyboard:
    // sets `select` of each key to whether any of its rectangles is hit and
    // keeps the running numbers of the hit rectangles. A band without width
    // or height tests only its lower-left corner point. True when at least
    // one rectangle was hit; false (and nothing selected) without a keyboard.
    bool setCrop(QPointF start, QPointF end);

    // Forgets the rectangles of the current band and redraws.
    void clearCrop();
    // Where (in widget coordinates) the last setCrop changed a key's
    // selection, widened by what the tints and the frame draw round a key;
    // empty when no key changed.
    QRectF changedArea() const { return changedArea_; }
    const std::set<int>& indexSetToReturn() const { return _indexSetToReturn; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    KeyboardView* picture_;
    // The area of one key in widget coordinates, widened by the frame and
    // glow margins.
    QRectF keyArea(const KeytopEntry& key, double frameWidth) const;

    std::set<int> _indexSetToReturn;
    QRectF changedArea_;
    // Scratch layer of the frame drawing, made at the first paint that draws
    // a frame and made again when the view's size or pixel density changed.
    QImage layer_;
};
