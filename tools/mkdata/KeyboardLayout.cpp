#include "KeyboardLayout.h"

#include "Canvas.h"

#include <cmath>

namespace mkdata {

namespace {

// Half the space between two neighbouring caps.
constexpr int kGap = 2;
// Case border around the keys; the top border holds the maker's name and
// the indicator lamps.
constexpr int kBorderSide = 16;
constexpr int kBorderTop = 40;
constexpr int kBorderBottom = 16;
// Width and height of the key field in units: main block 15, navigation
// block 3, number pad 4, with a quarter unit between the blocks; a function
// row, half a unit of space and five rows.
constexpr double kFieldWidth = 22.5;
constexpr double kFieldHeight = 6.5;
// Top of each row in units: the function row, then rows 1 to 5.
constexpr double kRowY[6] = {0.0, 1.5, 2.5, 3.5, 4.5, 5.5};
// Left edge of the navigation block and of the number pad.
constexpr double kNavX = 15.25;
constexpr double kPadX = 18.5;

int px(double units) { return int(std::lround(units * kUnit)); }

// The outline rectangle of a cap covering the given units of the key field.
QRect capRect(double x, double y, double w, double h)
{
    const int left = kBorderSide + px(x) + kGap;
    const int top = kBorderTop + px(y) + kGap;
    const int right = kBorderSide + px(x + w) - kGap;
    const int bottom = kBorderTop + px(y + h) - kGap;
    return QRect(left, top, right - left, bottom - top);
}

KeyLegend big(const QString& text) { return KeyLegend{{}, text, {}, KeyIcon::None}; }
KeyLegend pair(const QString& upper, const QString& lower)
{
    return KeyLegend{upper, lower, {}, KeyIcon::None};
}
KeyLegend words(const QString& text) { return KeyLegend{{}, {}, text, KeyIcon::None}; }
KeyLegend icon(KeyIcon i) { return KeyLegend{{}, {}, {}, i}; }

class Builder {
public:
    explicit Builder(KeyboardLayout& layout) : layout_(layout) {}

    // A key of one cell. `usage` is its HID usage (0 for none), `vk` the
    // virtual key code (-1 for none).
    void key(const QString& name, int usage, int vk, int group, const KeyLegend& legend,
             KeyStyle style, double x, int row, double w = 1.0, double h = 1.0)
    {
        add(name, usage, vk, group, legend, style, {capRect(x, kRowY[row], w, h)});
    }

    // A key made of several cells (the L-shaped Enter key).
    void add(const QString& name, int usage, int vk, int group, const KeyLegend& legend,
             KeyStyle style, std::vector<QRect> frames)
    {
        KeyDef k;
        k.kind = KeyKind::Button;
        k.name = name;
        k.vkCode = vk >= 0 ? QString::number(vk) : QString();
        k.code = usage ? keyCodeOfUsage(usage) : kNoKeyCode;
        k.group = group;
        k.legend = legend;
        k.style = style;
        k.frames = std::move(frames);
        for (const QRect& f : k.frames)
            k.tops.push_back(keytopOf(f));
        layout_.keys.push_back(std::move(k));
    }

    // A row of single-cell keys starting at x.
    struct Cell {
        QString name;
        int usage;
        int vk;
        KeyLegend legend;
        double width = 1.0;
        KeyStyle style = KeyStyle::Alpha;
    };
    void row(int row, double x, int group, const std::vector<Cell>& cells)
    {
        for (const Cell& c : cells) {
            key(c.name, c.usage, c.vk, group, c.legend, c.style, x, row, c.width);
            x += c.width;
        }
    }

    // An indicator lamp in the top border above the number pad (slot 0-2).
    void lamp(const QString& name, const QString& label, int slot)
    {
        const int slotWidth = px(4.0) / 3;
        const int left = kBorderSide + px(kPadX) + slot * slotWidth + 4;
        const QRect frame(left, 6, slotWidth - 8, 28);
        KeyDef k;
        k.kind = KeyKind::LedIndicator;
        k.name = name;
        k.code = kNoKeyCode;
        k.group = GroupIndicator;
        k.legend = words(label);
        k.style = KeyStyle::Indicator;
        k.frames = {frame};
        k.tops = {frame};
        k.led = QRect(frame.center().x() - 8, frame.top() + 3, 16, 6);
        layout_.keys.push_back(std::move(k));
    }

private:
    KeyboardLayout& layout_;
};

using Cell = Builder::Cell;
constexpr KeyStyle Mod = KeyStyle::Modifier;

// The parts both layouts share: the function row, the navigation block and
// the number pad.
void addFunctionRow(Builder& b)
{
    b.key("Esc", 0x29, 53, GroupFunction, words("Esc"), Mod, 0.0, 0);
    const int fkVk[12] = {122, 120, 99, 118, 96, 97, 98, 100, 101, 109, 103, 111};
    for (int i = 0; i < 12; ++i) {
        const double x = 2.0 + i + (i / 4) * 0.5;
        const QString n = QStringLiteral("F%1").arg(i + 1);
        b.key(n, 0x3A + i, fkVk[i], GroupFunction, words(n), Mod, x, 0);
    }
}

void addNavigation(Builder& b)
{
    const double x = kNavX;
    b.row(0, x, GroupNavigation,
          {{"Print Screen", 0x46, 128, words("PrtSc"), 1.0, Mod},
           {"Scroll Lock", 0x47, 129, words("ScrLk"), 1.0, Mod},
           {"Pause", 0x48, 130, words("Pause"), 1.0, Mod}});
    b.row(1, x, GroupNavigation,
          {{"Insert", 0x49, 133, words("Ins"), 1.0, Mod},
           {"Home", 0x4A, 115, words("Home"), 1.0, Mod},
           {"Page Up", 0x4B, 116, words("PgUp"), 1.0, Mod}});
    b.row(2, x, GroupNavigation,
          {{"Delete", 0x4C, 117, words("Del"), 1.0, Mod},
           {"End", 0x4D, 119, words("End"), 1.0, Mod},
           {"Page Down", 0x4E, 121, words("PgDn"), 1.0, Mod}});
    b.key("Up", 0x52, 126, GroupNavigation, icon(KeyIcon::Up), Mod, x + 1.0, 4);
    b.row(5, x, GroupNavigation,
          {{"Left", 0x50, 123, icon(KeyIcon::Left), 1.0, Mod},
           {"Down", 0x51, 125, icon(KeyIcon::Down), 1.0, Mod},
           {"Right", 0x4F, 124, icon(KeyIcon::Right), 1.0, Mod}});
}

void addNumberPad(Builder& b)
{
    const double x = kPadX;
    b.row(1, x, GroupNumpad,
          {{"Num Lock", 0x53, 71, words("Num"), 1.0, Mod},
           {"Num /", 0x54, 75, big("/")},
           {"Num *", 0x55, 67, big("*")},
           {"Num -", 0x56, 78, big("-")}});
    b.row(2, x, GroupNumpad,
          {{"Num 7", 0x5F, 89, big("7")}, {"Num 8", 0x60, 91, big("8")},
           {"Num 9", 0x61, 92, big("9")}});
    b.key("Num +", 0x57, 69, GroupNumpad, big("+"), KeyStyle::Alpha, x + 3.0, 2, 1.0, 2.0);
    b.row(3, x, GroupNumpad,
          {{"Num 4", 0x5C, 86, big("4")}, {"Num 5", 0x5D, 87, big("5")},
           {"Num 6", 0x5E, 88, big("6")}});
    b.row(4, x, GroupNumpad,
          {{"Num 1", 0x59, 83, big("1")}, {"Num 2", 0x5A, 84, big("2")},
           {"Num 3", 0x5B, 85, big("3")}});
    b.key("Num Enter", 0x58, 76, GroupNumpad, words("Enter"), Mod, x + 3.0, 4, 1.0, 2.0);
    b.row(5, x, GroupNumpad,
          {{"Num 0", 0x62, 82, big("0"), 2.0}, {"Num .", 0x63, 65, big(".")}});
}

void addIndicators(Builder& b)
{
    b.lamp("Num Lock LED", "Num", 0);
    b.lamp("Caps Lock LED", "Caps", 1);
    b.lamp("Scroll Lock LED", "Scroll", 2);
}

void finish(KeyboardLayout& l)
{
    l.pictureSize = kPictureSize;
    l.caseSize = QSize(kBorderSide * 2 + px(kFieldWidth),
                       kBorderTop + px(kFieldHeight) + kBorderBottom);
    // Centred in the key selection area.
    l.offset = QPoint(kKeySelectArea.left() + (kKeySelectArea.width() - l.caseSize.width()) / 2,
                      kKeySelectArea.top()
                          + (kKeySelectArea.height() - l.caseSize.height()) / 2);
    l.brandArea = QRect(kBorderSide + 4, 8, px(6.0), 24);
}

} // namespace

QRect keytopOf(const QRect& frame)
{
    // The top face is narrower than the cap and sits towards its back edge.
    return frame.adjusted(4, 3, -4, -6);
}

int keyCodeOfUsage(int usage)
{
    if (usage >= 0x04 && usage <= 0x65)
        return usage - 0x04;
    if (usage >= 0x87 && usage <= 0x8B)
        return 98 + (usage - 0x87);
    if (usage >= 0xE0 && usage <= 0xE7)
        return 103 + (usage - 0xE0);
    return kNoKeyCode;
}

int KeyboardLayout::buttonCount() const
{
    int n = 0;
    for (const KeyDef& k : keys)
        n += k.kind == KeyKind::Button ? 1 : 0;
    return n;
}

KeyboardLayout usFullSizeLayout()
{
    KeyboardLayout l;
    l.layoutName = QStringLiteral("US");
    l.keyboardType = QStringLiteral("KOLVENTRA_RGB_US108");
    Builder b(l);
    addFunctionRow(b);
    b.row(1, 0.0, GroupMain,
          {{"`", 0x35, 50, pair("~", "`")},
           {"1", 0x1E, 18, pair("!", "1")},
           {"2", 0x1F, 19, pair("@", "2")},
           {"3", 0x20, 20, pair("#", "3")},
           {"4", 0x21, 21, pair("$", "4")},
           {"5", 0x22, 23, pair("%", "5")},
           {"6", 0x23, 22, pair("^", "6")},
           {"7", 0x24, 26, pair("&", "7")},
           {"8", 0x25, 28, pair("*", "8")},
           {"9", 0x26, 25, pair("(", "9")},
           {"0", 0x27, 29, pair(")", "0")},
           {"-", 0x2D, 27, pair("_", "-")},
           {"=", 0x2E, 24, pair("+", "=")},
           {"Back Space", 0x2A, 51, words("Back Space"), 2.0, Mod}});
    b.row(2, 0.0, GroupMain,
          {{"Tab", 0x2B, 48, words("Tab"), 1.5, Mod},
           {"Q", 0x14, 12, big("Q")}, {"W", 0x1A, 13, big("W")}, {"E", 0x08, 14, big("E")},
           {"R", 0x15, 15, big("R")}, {"T", 0x17, 17, big("T")}, {"Y", 0x1C, 16, big("Y")},
           {"U", 0x18, 32, big("U")}, {"I", 0x0C, 34, big("I")}, {"O", 0x12, 31, big("O")},
           {"P", 0x13, 35, big("P")},
           {"[", 0x2F, 33, pair("{", "[")},
           {"]", 0x30, 30, pair("}", "]")},
           {"\\", 0x31, 42, pair("|", "\\"), 1.5}});
    b.row(3, 0.0, GroupMain,
          {{"Caps Lock", 0x39, 57, words("Caps Lock"), 1.75, Mod},
           {"A", 0x04, 0, big("A")}, {"S", 0x16, 1, big("S")}, {"D", 0x07, 2, big("D")},
           {"F", 0x09, 3, big("F")}, {"G", 0x0A, 5, big("G")}, {"H", 0x0B, 4, big("H")},
           {"J", 0x0D, 38, big("J")}, {"K", 0x0E, 40, big("K")}, {"L", 0x0F, 37, big("L")},
           {";", 0x33, 41, pair(":", ";")},
           {"'", 0x34, 39, pair("\"", "'")},
           {"Enter", 0x28, 36, words("Enter"), 2.25, Mod}});
    b.row(4, 0.0, GroupMain,
          {{"L Shift", 0xE1, 56, words("Shift"), 2.25, Mod},
           {"Z", 0x1D, 6, big("Z")}, {"X", 0x1B, 7, big("X")}, {"C", 0x06, 8, big("C")},
           {"V", 0x19, 9, big("V")}, {"B", 0x05, 11, big("B")}, {"N", 0x11, 45, big("N")},
           {"M", 0x10, 46, big("M")},
           {",", 0x36, 43, pair("<", ",")},
           {".", 0x37, 47, pair(">", ".")},
           {"/", 0x38, 44, pair("?", "/")},
           {"R Shift", 0xE5, 60, words("Shift"), 2.75, Mod}});
    b.row(5, 0.0, GroupMain,
          {{"L Ctrl", 0xE0, 59, words("Ctrl"), 1.25, Mod},
           {"L Win", 0xE3, 55, words("Win"), 1.25, Mod},
           {"L Alt", 0xE2, 58, words("Alt"), 1.25, Mod},
           {"Space", 0x2C, 49, words(""), 6.25},
           {"R Alt", 0xE6, 61, words("Alt"), 1.25, Mod},
           {"R Win", 0xE7, 54, words("Win"), 1.25, Mod},
           {"Menu", 0x65, -1, words("Menu"), 1.25, Mod},
           {"R Ctrl", 0xE4, 62, words("Ctrl"), 1.25, Mod}});
    addNavigation(b);
    addNumberPad(b);
    b.row(0, kPadX, GroupMedia,
          {{"Mute", 0, -1, icon(KeyIcon::Mute), 1.0, Mod},
           {"Volume Down", 0, -1, icon(KeyIcon::VolumeDown), 1.0, Mod},
           {"Volume Up", 0, -1, icon(KeyIcon::VolumeUp), 1.0, Mod},
           {"Play/Pause", 0, -1, icon(KeyIcon::PlayPause), 1.0, Mod}});
    addIndicators(b);
    finish(l);
    return l;
}

KeyboardLayout jisFullSizeLayout()
{
    KeyboardLayout l;
    l.layoutName = QStringLiteral("JIS");
    l.keyboardType = QStringLiteral("KOLVENTRA_RGB_JP112");
    Builder b(l);
    addFunctionRow(b);
    b.row(1, 0.0, GroupMain,
          {{"Hankaku/Zenkaku", 0x35, 50, words("Han/\nZen"), 1.0, Mod},
           {"1", 0x1E, 18, pair("!", "1")},
           {"2", 0x1F, 19, pair("\"", "2")},
           {"3", 0x20, 20, pair("#", "3")},
           {"4", 0x21, 21, pair("$", "4")},
           {"5", 0x22, 23, pair("%", "5")},
           {"6", 0x23, 22, pair("&", "6")},
           {"7", 0x24, 26, pair("'", "7")},
           {"8", 0x25, 28, pair("(", "8")},
           {"9", 0x26, 25, pair(")", "9")},
           {"0", 0x27, 29, big("0")},
           {"-", 0x2D, 27, pair("=", "-")},
           {"^", 0x2E, 24, pair("~", "^")},
           {QStringLiteral(u"\u00A5"), 0x89, 93, pair("|", QStringLiteral(u"\u00A5"))},
           {"Back Space", 0x2A, 51, words("Back\nSpace"), 1.0, Mod}});
    b.row(2, 0.0, GroupMain,
          {{"Tab", 0x2B, 48, words("Tab"), 1.5, Mod},
           {"Q", 0x14, 12, big("Q")}, {"W", 0x1A, 13, big("W")}, {"E", 0x08, 14, big("E")},
           {"R", 0x15, 15, big("R")}, {"T", 0x17, 17, big("T")}, {"Y", 0x1C, 16, big("Y")},
           {"U", 0x18, 32, big("U")}, {"I", 0x0C, 34, big("I")}, {"O", 0x12, 31, big("O")},
           {"P", 0x13, 35, big("P")},
           {"@", 0x2F, 33, pair("`", "@")},
           {"[", 0x30, 30, pair("{", "[")}});
    // The Enter key spans rows 2 and 3: a wide upper part and a narrower,
    // taller lower part.
    b.add("Enter", 0x28, 36, GroupMain, words("Enter"), Mod,
          {capRect(13.5, kRowY[2], 1.5, 1.0), capRect(13.75, kRowY[2], 1.25, 2.0)});
    b.row(3, 0.0, GroupMain,
          {{"Caps Lock", 0x39, 57, words("Caps\nEisu"), 1.75, Mod},
           {"A", 0x04, 0, big("A")}, {"S", 0x16, 1, big("S")}, {"D", 0x07, 2, big("D")},
           {"F", 0x09, 3, big("F")}, {"G", 0x0A, 5, big("G")}, {"H", 0x0B, 4, big("H")},
           {"J", 0x0D, 38, big("J")}, {"K", 0x0E, 40, big("K")}, {"L", 0x0F, 37, big("L")},
           {";", 0x33, 41, pair("+", ";")},
           {":", 0x34, 39, pair("*", ":")},
           {"]", 0x32, 42, pair("}", "]")}});
    b.row(4, 0.0, GroupMain,
          {{"L Shift", 0xE1, 56, words("Shift"), 2.25, Mod},
           {"Z", 0x1D, 6, big("Z")}, {"X", 0x1B, 7, big("X")}, {"C", 0x06, 8, big("C")},
           {"V", 0x19, 9, big("V")}, {"B", 0x05, 11, big("B")}, {"N", 0x11, 45, big("N")},
           {"M", 0x10, 46, big("M")},
           {",", 0x36, 43, pair("<", ",")},
           {".", 0x37, 47, pair(">", ".")},
           {"/", 0x38, 44, pair("?", "/")},
           {"_", 0x87, 94, pair("_", "\\")},
           {"R Shift", 0xE5, 60, words("Shift"), 1.75, Mod}});
    b.row(5, 0.0, GroupMain,
          {{"L Ctrl", 0xE0, 59, words("Ctrl"), 1.25, Mod},
           {"L Win", 0xE3, 55, words("Win"), 1.0, Mod},
           {"L Alt", 0xE2, 58, words("Alt"), 1.25, Mod},
           {"Muhenkan", 0x8B, 131, words("Mu-\nhenkan"), 1.25, Mod},
           {"Space", 0x2C, 49, words(""), 4.0},
           {"Henkan", 0x8A, 132, words("Henkan"), 1.25, Mod},
           {"Kana", 0x88, 134, words("Kana"), 1.0, Mod},
           {"R Alt", 0xE6, 61, words("Alt"), 1.0, Mod},
           {"R Win", 0xE7, 54, words("Win"), 1.0, Mod},
           {"Menu", 0x65, -1, words("Menu"), 1.0, Mod},
           {"R Ctrl", 0xE4, 62, words("Ctrl"), 1.0, Mod}});
    addNavigation(b);
    addNumberPad(b);
    b.row(0, kPadX + 1.0, GroupMedia,
          {{"Mute", 0, -1, icon(KeyIcon::Mute), 1.0, Mod},
           {"Volume Down", 0, -1, icon(KeyIcon::VolumeDown), 1.0, Mod},
           {"Volume Up", 0, -1, icon(KeyIcon::VolumeUp), 1.0, Mod}});
    addIndicators(b);
    finish(l);
    return l;
}

} // namespace mkdata
