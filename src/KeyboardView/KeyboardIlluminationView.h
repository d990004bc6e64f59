#pragma once
// The layer of the keyboard picture that tints each key with the state the
// active panel shows (AppParam::keyDrawMode): APC levels, one colour for all
// keys, or key locks; keys inside the rubber band take AppParam::paintColor.
// Each key gets a soft radial glow cut to the key's own shape. The glow is
// laid over the key-top picture in overlay mode: the dark cap takes the
// colour, the light legend printed on it stays light, so a legend reads on
// every tint. The view keeps no state: it reads the current keyboard model
// on every paint.

#include <QWidget>

#include "Utility/AppColor.h"

class KeyboardView;
class KeytopEntry;

class KeyboardIlluminationView : public QWidget {
    Q_OBJECT
public:
    explicit KeyboardIlluminationView(KeyboardView* picture);

    // The colour a key is tinted with in the current mode (the clear colour
    // for an untinted key).
    static AppColor keyColor(const KeytopEntry& key);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    KeyboardView* picture_;
};
