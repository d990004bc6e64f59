#pragma once
// The top layer of the keyboard picture: works out which keys a rubber band
// touches and draws a frame round the selected keys.

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <set>

class KeyboardView;

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
    const std::set<int>& indexSetToReturn() const { return _indexSetToReturn; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    KeyboardView* picture_;
    std::set<int> _indexSetToReturn;
    // Scratch layer of the frame drawing, sized to the view in resizeEvent.
    QImage layer_;
};
