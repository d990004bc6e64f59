// The mouse button panel's text rules: the title key of every function
// code (with the keyboard layout), the custom key's two forms, and the
// shortening of a custom-key title to the header's width.
#include "FunctionPanel/FunctionMButtonSettingController.h"

#include "AppParam.h"
#include "Device/MouseEntry.h"
#include "MainViewController.h"
#include "Utility/KeyName.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetricsF>
#include <QTemporaryDir>

namespace {

using Panel = FunctionMButtonSettingController;

TEST(MouseButtonTitles, TitleKeysCoverTheFourRangesAndNothingElse)
{
    const std::vector<std::pair<int, const char*>> cases{
        {-1, ""},          {0x00, ""},          {0x01, "MCode0x01"}, {0x0B, "MCode0x0B"},
        {0x0C, ""},        {0x10, ""},          {0x11, "MCode0x11"}, {0x12, "MCode0x12"},
        {0x17, "MCode0x17"}, {0x18, ""},        {0x20, ""},          {0x2B, "MCode0x2B"},
        {0x2C, "MCode0x2C"}, {0x2D, ""},        {0x30, ""},          {0x31, "MCode0x31"},
        {0x38, "MCode0x38"}, {0x39, "MCode0x39_US"}, {0x3B, "MCode0x3B_US"}, {0x3C, ""},
        {0xFF, ""},
    };
    for (const auto& [code, key] : cases)
        EXPECT_EQ(Panel::menuKeyFromKeyCode(code, false), QString::fromLatin1(key)) << code;
    EXPECT_EQ(Panel::menuKeyFromKeyCode(0x3A, true), QStringLiteral("MCode0x3A_JIS"));
    EXPECT_EQ(Panel::menuKeyFromKeyCode(0x38, true), QStringLiteral("MCode0x38"));
    EXPECT_TRUE(Panel::getMenuStringFromKeyCode(0x30).isEmpty());
    EXPECT_FALSE(Panel::getMenuStringFromKeyCode(0x12).isEmpty());
}

TEST(MouseButtonCustomKeys, DeviceFormAndDialogFormConvertBothWays)
{
    AppParam::device = std::make_shared<MouseEntry>();
    std::vector<int> list{99};
    Panel::customKeySettingToCustomKeyCodeList(0x81, 0x04, list);
    EXPECT_EQ(list, (std::vector<int>{54, 59, 0}) /* table order: R Cmd (54) before L Ctrl (59) */);
    AppUtil::sortCustomText(list);
    EXPECT_EQ(list, (std::vector<int>{59, 54, 0}));
    Panel::customKeySettingToCustomKeyCodeList(0x00, 0x00, list);
    EXPECT_TRUE(list.empty());

    int modifier = -1, key = -1;
    Panel::customKeyCodeListToSetting({59, 56, 0}, modifier, key);
    EXPECT_EQ(modifier, 0x03);
    EXPECT_EQ(key, 0x04);
    Panel::customKeyCodeListToSetting({55}, modifier, key);
    EXPECT_EQ(modifier, 0x08);
    EXPECT_EQ(key, 0);
    // A key outside the table is skipped, not trusted.
    Panel::customKeyCodeListToSetting({59, 9999}, modifier, key);
    EXPECT_EQ(modifier, 0x01);
    EXPECT_EQ(key, 0);
    AppParam::device.reset();
}

TEST(MouseButtonCustomKeys, TitleIsShortenedFromTheEndWithAnEllipsis)
{
    QFont font;
    font.setPixelSize(10);
    const QFontMetricsF metrics(font);
    auto width = [&](const QStringList& l) { return metrics.horizontalAdvance(l.join(QString())); };

    QStringList wrong{QStringLiteral("a"), QStringLiteral("b")};
    EXPECT_FALSE(Panel::adjustCustomKeyTitle(wrong, 100));
    EXPECT_EQ(wrong.size(), 2);

    const QString name = QStringLiteral("Custom key");
    const QString keys = QStringLiteral("L Ctrl + L Shift + L Alt + Page Down");
    QStringList fits{name, QStringLiteral("("), keys, QStringLiteral(")")};
    EXPECT_TRUE(Panel::adjustCustomKeyTitle(fits, width(fits) + 1));
    EXPECT_EQ(fits[2], keys);
    EXPECT_EQ(fits[3], QStringLiteral(")"));

    QStringList longer{name, QStringLiteral("("), keys, QStringLiteral(")")};
    const qreal limit = width(longer) * 0.75;
    EXPECT_TRUE(Panel::adjustCustomKeyTitle(longer, limit));
    EXPECT_EQ(longer[3], QStringLiteral("\u2026)"));
    EXPECT_FALSE(longer[2].isEmpty());
    EXPECT_TRUE(keys.startsWith(longer[2]));
    EXPECT_LT(width(longer), limit);
    // One character more would not have fitted.
    QStringList oneMore = longer;
    oneMore[2] = keys.left(longer[2].size() + 1);
    EXPECT_GE(width(oneMore), limit);

    // Not even one character fits (a narrow or negative width): the name,
    // "(", "…", ")", and the loop ends.
    for (qreal narrow : {10.0, -5.0}) {
        QStringList none{name, QStringLiteral("("), keys, QStringLiteral(")")};
        EXPECT_TRUE(Panel::adjustCustomKeyTitle(none, narrow));
        EXPECT_EQ(none.join(QString()), name + QStringLiteral("(\u2026)"));
    }
}

TEST(MouseButtonTitles, KeyMenuOffersMoveBackOrMoveForward2ByKeyboardLayout)
{
    AppParam::device = std::make_shared<MouseEntry>();
    // The window the panels make their views in.
    MainViewController main;
    auto keyMenuOf = [](Panel& panel) -> TabMenuView* {
        for (const TabMenuItem& item : panel.buttonMenuView(3)->items)
            if (item.function == FunctionItem::RegistKey)
                return item.subMenuListView;
        return nullptr;
    };
    {
        Panel panel(main);
        panel.initSetting();
        TabMenuView* keys = keyMenuOf(panel);
        ASSERT_NE(keys, nullptr);
        EXPECT_NE(keys->row(FunctionItem::MoveBack), nullptr);
        EXPECT_EQ(keys->row(FunctionItem::MoveForward2), nullptr);
        const size_t rows = keys->items.size();
        // Building the tab again replaces the menus rather than adding to them.
        panel.initSetting();
        EXPECT_EQ(panel.menuView()->rows().size(), 6u);
        EXPECT_EQ(keyMenuOf(panel)->items.size(), rows);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keyboard"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("XKBLAYOUT=\"jp\"\n");
    f.close();
    AppUtil::setKeyboardDefaultsPathForTesting(path);
    {
        Panel panel(main);
        panel.initSetting();
        TabMenuView* keys = keyMenuOf(panel);
        ASSERT_NE(keys, nullptr);
        EXPECT_EQ(keys->row(FunctionItem::MoveBack), nullptr);
        EXPECT_NE(keys->row(FunctionItem::MoveForward2), nullptr);
        EXPECT_NE(keys->row(FunctionItem::MoveForward), nullptr);
    }
    AppUtil::setKeyboardDefaultsPathForTesting(QString());
    AppParam::device.reset();
}

} // namespace
