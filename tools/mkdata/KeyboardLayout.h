#pragma once
// The layout table of each shipped keyboard: every key with its name, key
// code, legend and outline rectangles. The pictures are drawn from this table
// and the description's "KeyFrame", "Keytop" and "LedFrame" texts are written
// from it, so the pictures and the key rectangles always agree.
//
// Coordinates are pixels relative to the top left corner of the keyboard
// case; the description's "Offset" is where that corner sits on the
// pictures, which are as large as the main view they are painted into.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace mkdata {

// One key unit (the width of a letter key) in pixels.
inline constexpr int kUnit = 40;

// Code of a key that has no per-key settings.
inline constexpr int kNoKeyCode = 255;

enum class KeyKind { Button, LedIndicator };

// How a key cap is coloured. Every cap is a neutral grey, so that no key
// of an untouched picture reads as tinted or selected.
enum class KeyStyle { Alpha, Modifier, Indicator };

// A symbol drawn instead of (or beside) a text legend.
enum class KeyIcon { None, Mute, VolumeDown, VolumeUp, PlayPause, Up, Down, Left, Right };

struct KeyLegend {
    QString upper;         // shifted symbol, drawn above `lower`
    QString lower;         // unshifted symbol (or the single large legend)
    QString words;         // a word legend, drawn small (may hold "\n")
    KeyIcon icon = KeyIcon::None;
};

struct KeyDef {
    KeyKind kind = KeyKind::Button;
    QString name;          // "Name" of the description
    QString vkCode;        // "VKCode": the virtual key code in decimal, or empty
    int code = kNoKeyCode; // "Code": 0-127 for keys with per-key settings, else 255
    int group = 0;         // "Group": the block of the keyboard the key is in
    KeyLegend legend;
    KeyStyle style = KeyStyle::Alpha;
    std::vector<QRect> frames; // outline rectangles ("KeyFrame"), one or more
    std::vector<QRect> tops;   // key-top rectangles ("Keytop"), one per frame
    QRect led;                 // LED area ("LedFrame"); null for none
};

// Key groups.
enum KeyGroup { GroupMain = 0, GroupFunction = 1, GroupNavigation = 2, GroupNumpad = 3,
                GroupMedia = 4, GroupIndicator = 5 };

struct KeyboardLayout {
    QString layoutName;      // "KeyboardLayout" text ("US", "JIS")
    QString keyboardType;    // "KeyboardType" text
    QSize pictureSize;       // size of the body, key-top pictures
    QPoint offset;           // the case's top left corner on the pictures
    QSize caseSize;          // size of the case
    QRect brandArea;         // where the maker's name is printed, case coordinates
    std::vector<KeyDef> keys; // Button keys first, then the LED indicators

    int buttonCount() const;
};

// The key-top rectangle of a key frame rectangle: the top face of the cap.
QRect keytopOf(const QRect& frame);

// The key code of a HID keyboard usage, compacted into 0-127: the usages
// 0x04-0x65 (letters to the Application key) give 0-97, International1-5
// (0x87-0x8B) give 98-102, the eight modifiers (0xE0-0xE7) give 103-110.
// Any other usage has no per-key code (255).
int keyCodeOfUsage(int usage);

// The US full-size layout: 104 keys, four media keys, three indicators.
KeyboardLayout usFullSizeLayout();

// The JIS full-size layout: 109 keys, three media keys, three indicators.
KeyboardLayout jisFullSizeLayout();

} // namespace mkdata
