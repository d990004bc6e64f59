#include "MouseLayout.h"

namespace mkdata {

QPointF mousePartPoint(MousePart part)
{
    switch (part) {
    case MousePart::LeftButton: return {-50, -105};
    case MousePart::RightButton: return {50, -105};
    case MousePart::Wheel: return {0, -114};
    case MousePart::TopButton: return {0, -63};
    case MousePart::FrontSideButton: return {-99, -14};
    case MousePart::RearSideButton: return {-101, 32};
    case MousePart::Indicator: return {11, -29};
    case MousePart::Logo: return {22, 85};
    }
    return {};
}

namespace {

// A label anchor: a line (200 pixels long unless given); the label stands
// below it.
QRect anchor(int x, int y, int length = 200) { return QRect(x, y, length, 2); }

// The sensor and LED panels keep their controls in a column from this x; the
// anchors on their pictures end short of it, so no line runs under a control.
constexpr int kControlsColumnX = 560;
constexpr int kColumnClearance = 20;
QRect pictureAnchor(int x, int y) { return anchor(x, y, kControlsColumnX - kColumnClearance - x); }

struct LedColourName {
    const char* name;   // as the element names spell it
    QColor color;
};

// The seven colours of the LED pictures, in the order of the elements.
const LedColourName kLedColours[7] = {
    {"Blue", QColor(0x2F, 0x6B, 0xFF)},   {"Cyan", QColor(0x19, 0xD3, 0xE6)},
    {"Green", QColor(0x2E, 0xE0, 0x5A)},  {"Purple", QColor(0xA8, 0x45, 0xFF)},
    {"Red", QColor(0xFF, 0x3B, 0x3B)},    {"White", QColor(0xF5, 0xF7, 0xFA)},
    {"Yellow", QColor(0xFF, 0xD2, 0x1F)},
};

} // namespace

MouseLayout mouseLayout()
{
    MouseLayout m;
    m.buttonTabCentre = QPointF(500, 393);
    m.sideTabCentre = QPointF(300, 393);
    m.sensorBase = QPointF(280, 516);
    m.liftPixelsPerMm = 14;

    // Button tab: buttons 1, 5 and 4 to the left of the mouse, 3, 2 and 6
    // to the right; the labels of the left column are aligned towards the
    // mouse. "Data" is the factory function of the button.
    m.buttons = {
        {"Button1", 0, anchor(110, 230), 1, 0x01, MousePart::LeftButton, TabKind::Buttons},
        {"Button2", 1, anchor(690, 350), 0, 0x02, MousePart::RightButton, TabKind::Buttons},
        {"Button3", 2, anchor(690, 230), 0, 0x03, MousePart::Wheel, TabKind::Buttons},
        {"Button4", 3, anchor(110, 470), 1, 0x05, MousePart::RearSideButton, TabKind::Buttons},
        {"Button5", 4, anchor(110, 350), 1, 0x04, MousePart::FrontSideButton, TabKind::Buttons},
        {"Button6", 5, anchor(690, 470), 0, 0x06, MousePart::TopButton, TabKind::Buttons},
        {"DpiSwitch", 255, pictureAnchor(420, 220), 0, 0, MousePart::TopButton, TabKind::Sensor},
        {"Indicator", 255, pictureAnchor(430, 250), 0, 0, MousePart::Indicator, TabKind::Led},
        {"Logo", 255, pictureAnchor(430, 470), 0, 0, MousePart::Logo, TabKind::Led},
    };

    auto add = [&](const QString& element, const QString& member, TabKind kind,
                   LitParts lit = LitParts::None, QColor color = {}, int lift = 2) {
        m.tabs.push_back({element, member, kind, lit, color, lift});
    };
    add("ButtonTab", "tab_button.png", TabKind::Buttons);
    add("LedTabOff", "tab_led_off.png", TabKind::Led);
    const struct {
        const char* element;
        const char* member;
        LitParts lit;
    } ledGroups[3] = {{"LedTab", "tab_led_", LitParts::Both},
                      {"LedTabIndi", "tab_led_indi_", LitParts::Indicator},
                      {"LedTabLogo", "tab_led_logo_", LitParts::Logo}};
    for (const auto& g : ledGroups) {
        for (const LedColourName& c : kLedColours) {
            const QString name = QString::fromLatin1(c.name);
            add(QString::fromLatin1(g.element) + name,
                QString::fromLatin1(g.member) + name.toLower() + QStringLiteral(".png"),
                TabKind::Led, g.lit, c.color);
        }
    }
    add("SensorTabLoDLow", "tab_sensor_lod_low.png", TabKind::Sensor, LitParts::None, {}, 2);
    add("SensorTabLoDHigh", "tab_sensor_lod_high.png", TabKind::Sensor, LitParts::None, {}, 3);
    add("SettingTab", "tab_setting.png", TabKind::Setting);
    return m;
}

} // namespace mkdata
