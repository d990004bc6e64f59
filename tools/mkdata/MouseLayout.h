#pragma once
// The layout table of the shipped mouse: where its parts are, where each
// button's label goes on the tab pictures, and the 26 tab pictures with what
// each one shows. The pictures and the description's "Margin" texts are both
// made from this table.

#include <QColor>
#include <QPointF>
#include <QRect>
#include <QString>

#include <vector>

namespace mkdata {

// The parts of the mouse that the pictures point at.
enum class MousePart { LeftButton, RightButton, Wheel, TopButton, FrontSideButton,
                       RearSideButton, Indicator, Logo };

// The point of the part that leader lines point at, in mouse coordinates (origin at the middle of the
// mouse seen from above, y towards the back, 200 x 340 pixels).
QPointF mousePartPoint(MousePart part);

enum class TabKind { Buttons, Led, Sensor, Setting };
enum class LitParts { None, Both, Indicator, Logo };

// One "ButtonEntry" of the description.
struct MouseButtonDef {
    QString name;     // "Button1" to "Button6", "DpiSwitch", "Indicator", "Logo"
    int code;         // ButtonNo raw value 0-5; 255 for the entries that are not buttons
    QRect margin;     // the label's anchor line on the picture
    int align;        // 0 left, 1 right
    int data;         // the button's factory function code (0 for none)
    MousePart part;   // what the anchor's leader line points at
    TabKind tab;      // the pictures that show the anchor
};


// One of the 26 tab pictures.
struct MouseTabPicture {
    QString element;  // element name inside "TabBodyImages"
    QString member;   // member name in the package
    TabKind kind = TabKind::Setting;
    LitParts lit = LitParts::None;
    QColor color;     // LED colour when lit
    int liftMm = 2;   // lift-off distance shown on the sensor pictures
};

struct MouseLayout {
    QPointF buttonTabCentre;  // middle of the mouse on the button tab picture
    QPointF sideTabCentre;    // middle of the mouse on the LED and setting pictures
    QPointF sensorBase;       // middle of the mouse's bottom edge over the surface (side view)
    int liftPixelsPerMm = 14;
    std::vector<MouseButtonDef> buttons;   // in description order
    std::vector<MouseTabPicture> tabs;     // the 26 pictures, in description order
};

MouseLayout mouseLayout();

} // namespace mkdata
