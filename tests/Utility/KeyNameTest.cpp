#include "AppParam.h"
#include "Utility/KeyName.h"

#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using AppUtil::getKeyName;
using AppUtil::showCustomText;

TEST(KeyName, CustomTextJoinsSortedNames)
{
    struct Row {
        std::vector<int> keys;
        bool jis;
        const char* text;
        std::vector<int> sorted;
    };
    const Row rows[] = {
        {{0, 56, 59}, false, "L Ctrl + L Shift + A", {59, 56, 0}},
        {{54, 55}, false, "L Command + R Command", {55, 54}},
        {{10}, false, "", {10}},
        {{}, false, "", {}},
        {{61, 62, 60, 59, 58, 57, 56, 55, 54}, false,
         "L Ctrl + R Ctrl + L Shift + R Shift + L Alt + R Alt + L Command + R Command + Caps Lock",
         {59, 62, 56, 60, 58, 61, 55, 54, 57}},
        // Non-modifiers keep their order; keys without a name are skipped.
        {{42, 10, 30, 59}, false, "L Ctrl + \u00A5 + ]", {59, 42, 10, 30}},
        {{42, 10, 30, 59}, true, "L Ctrl + ] + [", {59, 42, 10, 30}},
        {{128, 105}, false, "F13 + F13", {128, 105}},
    };
    for (const auto& row : rows) {
        std::vector<int> keys = row.keys;
        EXPECT_EQ(showCustomText(keys, row.jis, false), QString::fromUtf8(row.text)) << row.text;
        EXPECT_EQ(keys, row.sorted) << row.text;
    }
}

TEST(KeyName, Names)
{
    struct Row {
        int code;
        bool jis;
        bool japanese;
        const char* name; // nullptr: no name
    };
    const Row rows[] = {
        {42, false, false, "\u00A5"},
        {42, true, false, "]"},
        {30, false, false, "]"},
        {30, true, false, "["},
        {24, true, false, "^"},
        {33, true, false, "@"},
        {39, true, false, ":"},
        {39, false, false, "`"},
        {27, true, false, "-"},
        {104, false, false, "Kana"},
        {104, false, true, "\u304B\u306A"},
        {104, true, true, "\u304B\u306A"},
        {134, false, true, "\u304B\u306A"},
        {102, true, true, "\u82F1\u6570"},
        {131, false, true, "\u7121\u5909\u63DB"},
        {132, false, true, "\u5909\u63DB"},
        {132, false, false, "Henkan"},
        {42, true, true, "]"}, // JIS display and language act independently
        {128, false, false, "F13"},
        {105, false, false, "F13"},
        {129, false, false, "F14"},
        {130, false, false, "F15"},
        {133, false, false, "Insert"},
        {22, false, false, "6"},
        {23, false, false, "5"},
        {51, false, false, "Back Space"},
        {81, false, false, "Num ="},
        {95, false, false, "Num ,"},
        {89, false, false, "Num 7"},
        {91, false, false, "Num 8"},
        {64, false, false, "F17"},
        {10, false, false, nullptr},
        {52, false, false, nullptr},
        {63, false, false, nullptr},
        {-1, false, false, nullptr},
        {135, false, false, nullptr},
    };
    for (const auto& row : rows) {
        const auto got = getKeyName(row.code, row.jis, row.japanese);
        if (!row.name) {
            EXPECT_EQ(got, std::nullopt) << row.code;
        } else {
            ASSERT_TRUE(got.has_value()) << row.code;
            EXPECT_EQ(*got, QString::fromUtf8(row.name)) << row.code;
        }
    }
}

TEST(KeyName, EveryMappedKeyButModifiersHasAName)
{
    for (const auto& [vk, code] : AppParam::KeyCodeDict)
        EXPECT_TRUE(getKeyName(vk, false, false).has_value()) << vk;
}

TEST(KeyName, LanguageComesFromTheDefaultLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    EXPECT_EQ(getKeyName(104, false), QString::fromUtf8("\u304B\u306A"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(getKeyName(104, false), QStringLiteral("Kana"));
    QLocale::setDefault(saved);
}

TEST(KeyName, JisFromKeyboardDefaults)
{
    struct Row {
        std::optional<QByteArray> contents;
        bool jis;
    };
    const Row rows[] = {
        {std::nullopt, false},
        {QByteArray(), false},
        {QByteArray("XKBMODEL=\"jp106\"\nXKBLAYOUT=\"jp\"\nXKBVARIANT=\"\"\n"), true},
        {QByteArray("XKBLAYOUT=jp\n"), true},
        {QByteArray("XKBLAYOUT='jp,us'\n"), true},
        {QByteArray("XKBLAYOUT=\"us,jp\"\n"), false},
        {QByteArray("XKBLAYOUT=\"us\"\n"), false},
        {QByteArray("XKBMODEL=\"jp106\"\n"), false},
        {QByteArray("# XKBLAYOUT=\"jp\"\nXKBLAYOUT=\"de\"\n"), false},
        {QByteArray("  XKBLAYOUT=\"jp\"  \r\n"), true},
        {QByteArray("XKBLAYOUT=\"jpx\"\n"), false},
        {QByteArray("XKBLAYOUT=\"us\"\nXKBLAYOUT=\"jp\"\n"), true}, // last assignment wins
    };
    for (const auto& row : rows)
        EXPECT_EQ(AppUtil::isJisFromKeyboardDefaults(row.contents), row.jis)
            << (row.contents ? row.contents->toStdString() : std::string("<missing>"));
}

TEST(KeyName, JisKeyboardLayoutReadsTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + "/keyboard";

    AppUtil::setKeyboardDefaultsPathForTesting(path);
    EXPECT_FALSE(AppUtil::isJisKeyboardLayout(0x0101, 0x0202)); // missing file

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("XKBLAYOUT=\"jp\"\n");
    f.close();
    EXPECT_TRUE(AppUtil::isJisKeyboardLayout(0x0101, 0x0202));

    AppUtil::setKeyboardDefaultsPathForTesting(QString());
}
