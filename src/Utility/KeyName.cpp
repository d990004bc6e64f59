#include "Utility/KeyName.h"

#include <algorithm>
#include <array>
#include <map>

#include <QFile>
#include <QLocale>

#include "AppParam.h"

namespace AppUtil {

namespace {

QString& keyboardDefaultsOverride()
{
    static QString path;
    return path;
}

struct KeyNameEntry {
    int code;
    const char* name;       // UTF-8
    const char* jisName;    // with JIS key display, or nullptr
    const char* japanName;  // in Japanese, or nullptr
};

// Display names by virtual key code.
constexpr KeyNameEntry kKeyNames[] = {
    // letters
    {0, "A", nullptr, nullptr},  {1, "S", nullptr, nullptr},  {2, "D", nullptr, nullptr},
    {3, "F", nullptr, nullptr},  {4, "H", nullptr, nullptr},  {5, "G", nullptr, nullptr},
    {6, "Z", nullptr, nullptr},  {7, "X", nullptr, nullptr},  {8, "C", nullptr, nullptr},
    {9, "V", nullptr, nullptr},  {11, "B", nullptr, nullptr}, {12, "Q", nullptr, nullptr},
    {13, "W", nullptr, nullptr}, {14, "E", nullptr, nullptr}, {15, "R", nullptr, nullptr},
    {16, "Y", nullptr, nullptr}, {17, "T", nullptr, nullptr}, {31, "O", nullptr, nullptr},
    {32, "U", nullptr, nullptr}, {34, "I", nullptr, nullptr}, {35, "P", nullptr, nullptr},
    {37, "L", nullptr, nullptr}, {38, "J", nullptr, nullptr}, {40, "K", nullptr, nullptr},
    {45, "N", nullptr, nullptr}, {46, "M", nullptr, nullptr},
    // digits
    {18, "1", nullptr, nullptr}, {19, "2", nullptr, nullptr}, {20, "3", nullptr, nullptr},
    {21, "4", nullptr, nullptr}, {22, "6", nullptr, nullptr}, {23, "5", nullptr, nullptr},
    {25, "9", nullptr, nullptr}, {26, "7", nullptr, nullptr}, {28, "8", nullptr, nullptr},
    {29, "0", nullptr, nullptr},
    // punctuation
    {24, "=", "^", nullptr},
    {27, "-", nullptr, nullptr},
    {30, "]", "[", nullptr},
    {33, "[", "@", nullptr},
    {39, "`", ":", nullptr},
    {41, ";", nullptr, nullptr},
    {42, "\u00A5", "]", nullptr},
    {43, ",", nullptr, nullptr},
    {44, "/", nullptr, nullptr},
    {47, ".", nullptr, nullptr},
    {50, "`", nullptr, nullptr},
    {93, "\u00A5", nullptr, nullptr},
    {94, "_", nullptr, nullptr},
    // editing and control keys
    {36, "Enter", nullptr, nullptr},
    {48, "Tab", nullptr, nullptr},
    {49, "Space", nullptr, nullptr},
    {51, "Back Space", nullptr, nullptr},
    {53, "Esc", nullptr, nullptr},
    {57, "Caps Lock", nullptr, nullptr},
    {71, "Clear", nullptr, nullptr},
    // modifiers
    {54, "R Command", nullptr, nullptr},
    {55, "L Command", nullptr, nullptr},
    {56, "L Shift", nullptr, nullptr},
    {60, "R Shift", nullptr, nullptr},
    {58, "L Alt", nullptr, nullptr},
    {61, "R Alt", nullptr, nullptr},
    {59, "L Ctrl", nullptr, nullptr},
    {62, "R Ctrl", nullptr, nullptr},
    // keypad
    {65, "Num .", nullptr, nullptr},
    {67, "Num *", nullptr, nullptr},
    {69, "Num +", nullptr, nullptr},
    {75, "Num /", nullptr, nullptr},
    {76, "Num Enter", nullptr, nullptr},
    {78, "Num -", nullptr, nullptr},
    {81, "Num =", nullptr, nullptr},
    {95, "Num ,", nullptr, nullptr},
    {82, "Num 0", nullptr, nullptr},
    {83, "Num 1", nullptr, nullptr},
    {84, "Num 2", nullptr, nullptr},
    {85, "Num 3", nullptr, nullptr},
    {86, "Num 4", nullptr, nullptr},
    {87, "Num 5", nullptr, nullptr},
    {88, "Num 6", nullptr, nullptr},
    {89, "Num 7", nullptr, nullptr},
    {91, "Num 8", nullptr, nullptr},
    {92, "Num 9", nullptr, nullptr},
    // function keys
    {122, "F1", nullptr, nullptr},
    {120, "F2", nullptr, nullptr},
    {99, "F3", nullptr, nullptr},
    {118, "F4", nullptr, nullptr},
    {96, "F5", nullptr, nullptr},
    {97, "F6", nullptr, nullptr},
    {98, "F7", nullptr, nullptr},
    {100, "F8", nullptr, nullptr},
    {101, "F9", nullptr, nullptr},
    {109, "F10", nullptr, nullptr},
    {103, "F11", nullptr, nullptr},
    {111, "F12", nullptr, nullptr},
    {105, "F13", nullptr, nullptr},
    {107, "F14", nullptr, nullptr},
    {113, "F15", nullptr, nullptr},
    {106, "F16", nullptr, nullptr},
    {64, "F17", nullptr, nullptr},
    {79, "F18", nullptr, nullptr},
    {80, "F19", nullptr, nullptr},
    // navigation
    {115, "Home", nullptr, nullptr},
    {116, "Page Up", nullptr, nullptr},
    {117, "Delete", nullptr, nullptr},
    {119, "End", nullptr, nullptr},
    {121, "Page Down", nullptr, nullptr},
    {123, "Left", nullptr, nullptr},
    {124, "Right", nullptr, nullptr},
    {125, "Down", nullptr, nullptr},
    {126, "Up", nullptr, nullptr},
    // Japanese input keys
    {102, "Eisu", nullptr, "\u82F1\u6570"},
    {104, "Kana", nullptr, "\u304B\u306A"},
    {kVK_WinKana, "Kana", nullptr, "\u304B\u306A"},
    {kVK_WinMuhenkan, "Muhenkan", nullptr, "\u7121\u5909\u63DB"},
    {kVK_WinHenkan, "Henkan", nullptr, "\u5909\u63DB"},
    // keys of the custom set without a key code of their own
    {kVK_WinPrintScreen, "F13", nullptr, nullptr},
    {kVK_WinScroll, "F14", nullptr, nullptr},
    {kVK_WinPause, "F15", nullptr, nullptr},
    {kVK_WinInsert, "Insert", nullptr, nullptr},
};

const KeyNameEntry* findKeyName(int keyCode)
{
    for (const auto& e : kKeyNames)
        if (e.code == keyCode)
            return &e;
    return nullptr;
}

} // namespace

bool isJisFromKeyboardDefaults(const std::optional<QByteArray>& fileContents)
{
    if (!fileContents)
        return false;
    // Shell-style assignments, one a line: XKBLAYOUT="jp,us". The last
    // assignment wins, as when the file is sourced.
    QByteArray layouts;
    bool found = false;
    for (QByteArray line : fileContents->split('\n')) {
        line = line.trimmed();
        if (line.startsWith("export "))
            line = line.mid(7).trimmed();
        if (!line.startsWith("XKBLAYOUT="))
            continue;
        QByteArray value = line.mid(10).trimmed();
        if (value.size() >= 2
            && ((value.startsWith('"') && value.endsWith('"'))
                || (value.startsWith('\'') && value.endsWith('\''))))
            value = value.mid(1, value.size() - 2);
        layouts = value;
        found = true;
    }
    if (!found)
        return false;
    const QByteArray first = layouts.split(',').value(0).trimmed();
    return first == "jp";
}

void setKeyboardDefaultsPathForTesting(const QString& path)
{
    keyboardDefaultsOverride() = path;
}

bool isJisKeyboardLayout(uint32_t productID, uint32_t vendorID)
{
    (void)productID;
    (void)vendorID;
    const QString path = keyboardDefaultsOverride().isEmpty()
        ? QStringLiteral("/etc/default/keyboard")
        : keyboardDefaultsOverride();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return isJisFromKeyboardDefaults(std::nullopt);
    // The file is a few lines; anything large is not a keyboard defaults file.
    constexpr qint64 maxSize = 64 * 1024;
    const QByteArray contents = file.read(maxSize + 1);
    if (contents.size() > maxSize)
        return false;
    return isJisFromKeyboardDefaults(contents);
}

bool isJapaneseLanguage()
{
    return QLocale().language() == QLocale::Japanese;
}

std::optional<QString> getKeyName(int keyCode, bool JISKeyDisplay)
{
    return getKeyName(keyCode, JISKeyDisplay, isJapaneseLanguage());
}

std::optional<QString> getKeyName(int keyCode, bool JISKeyDisplay, bool japanese)
{
    const KeyNameEntry* e = findKeyName(keyCode);
    if (!e)
        return std::nullopt;
    const char* name = e->name;
    if (JISKeyDisplay && e->jisName)
        name = e->jisName;
    if (japanese && e->japanName)
        name = e->japanName;
    return QString::fromUtf8(name);
}

int customKeyRank(int keyCode)
{
    switch (keyCode) {
    case 59: return 1; // L Ctrl
    case 62: return 2; // R Ctrl
    case 56: return 3; // L Shift
    case 60: return 4; // R Shift
    case 58: return 5; // L Alt
    case 61: return 6; // R Alt
    case 55: return 7; // L Command
    case 54: return 8; // R Command
    default: return 9;
    }
}

void sortCustomText(std::vector<int>& customKeyCodeList)
{
    std::stable_sort(customKeyCodeList.begin(), customKeyCodeList.end(),
                     [](int a, int b) { return customKeyRank(a) < customKeyRank(b); });
}

QString showCustomText(std::vector<int>& customKeyCodeList, bool JISKeyDisplay)
{
    return showCustomText(customKeyCodeList, JISKeyDisplay, isJapaneseLanguage());
}

QString showCustomText(std::vector<int>& customKeyCodeList, bool JISKeyDisplay, bool japanese)
{
    sortCustomText(customKeyCodeList);
    QString text;
    for (int code : customKeyCodeList) {
        const std::optional<QString> name = getKeyName(code, JISKeyDisplay, japanese);
        if (!name)
            continue;
        if (!text.isEmpty())
            text += QStringLiteral(" + ");
        text += *name;
    }
    return text;
}

} // namespace AppUtil
