#pragma once
// Key names and the display text of custom key combinations. Keys are given
// as virtual key codes (the key-position codes of AppParam::KeyCodeDict,
// including the kVK_Win* codes).

#include <cstdint>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>

#include "AppEnums.h"

namespace AppUtil {

// Whether the keyboard with these USB IDs has the Japanese JIS layout. Linux
// keeps no per-keyboard record, so the system keyboard layout decides: JIS
// when the first layout of XKBLAYOUT in /etc/default/keyboard is "jp". A
// missing or unreadable file means not JIS. The IDs are accepted for the
// callers' sake but do not change the answer.
bool isJisKeyboardLayout(uint32_t productID, uint32_t vendorID);

// The test behind isJisKeyboardLayout, fed with the contents of the
// keyboard defaults file (std::nullopt: the file is missing or unreadable).
bool isJisFromKeyboardDefaults(const std::optional<QByteArray>& fileContents);

// Tests point the keyboard defaults file elsewhere; an empty text restores
// "/etc/default/keyboard".
void setKeyboardDefaultsPathForTesting(const QString& path);

// Display name of a key, or std::nullopt for a code without one.
// `JISKeyDisplay` selects the JIS names of five punctuation keys; the
// application's language (Japanese or not) selects the names of four
// Japanese input keys.
std::optional<QString> getKeyName(int keyCode, bool JISKeyDisplay);
// The same with the language given.
std::optional<QString> getKeyName(int keyCode, bool JISKeyDisplay, bool japanese);

// Whether the application's language is Japanese (QLocale's default).
bool isJapaneseLanguage();

// Display rank of a key: L Ctrl 1, R Ctrl 2, L Shift 3, R Shift 4, L Alt 5,
// R Alt 6, L Command 7, R Command 8, any other key 9.
int customKeyRank(int keyCode);

// Orders the list for display, in place: modifiers first in rank order,
// then the other keys in the order they had (stable).
void sortCustomText(std::vector<int>& customKeyCodeList);

// Sorts the list in place (as sortCustomText) and returns the names of its
// keys joined by " + ", skipping keys without a name
// ("L Ctrl + L Shift + A").
QString showCustomText(std::vector<int>& customKeyCodeList, bool JISKeyDisplay);
QString showCustomText(std::vector<int>& customKeyCodeList, bool JISKeyDisplay, bool japanese);

} // namespace AppUtil
