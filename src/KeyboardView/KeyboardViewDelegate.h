#pragma once

class KeyboardView;

// The panel that receives a finished key selection of its keyboard picture.
// When applyKeySelect is called, the `select` flags of the current keyboard's
// keys hold the selection; the picture clears them right after the call.
class KeyboardViewDelegate {
public:
    virtual ~KeyboardViewDelegate() = default;
    virtual void applyKeySelect(KeyboardView* id) = 0;
};
