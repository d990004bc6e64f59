#include "AppParam.h"
#include "Utility/AppUtil.h"

#include <gtest/gtest.h>

TEST(AppParam, Constants)
{
    EXPECT_STREQ(AppParam::APP_WORK_PATH, "Nembo/KOLVENTRA/");
    EXPECT_STREQ(AppParam::APP_SETTINGS_INI, "Application.ini");
    EXPECT_STREQ(AppParam::APP_DEFALUT_INI, "Application.def");
    EXPECT_STREQ(AppParam::KeyboardProfileExt, ".key");
    EXPECT_STREQ(AppParam::MouseProfileExt, ".mou");
    EXPECT_STREQ(AppParam::userProfileExt, ".prf");
    EXPECT_STREQ(AppParam::userMProfileExt, ".mprf");
    EXPECT_EQ(QString::asprintf(AppParam::userProfileNameFormat, 7), "QMVKB_0007");
    EXPECT_EQ(QString::asprintf(AppParam::userMProfileNameFormat, 12), "QMVMO_0012");
    EXPECT_EQ(AppParam::MouseButtonSettingCount, 6);
    EXPECT_EQ(AppParam::MouseButtonCustomCount, 4);
    EXPECT_EQ(AppParam::SupportCustomKeyFirmVersion, 10);
    EXPECT_EQ(AppParam::supportKeyboardProfileVersion, 1002.0);
}

TEST(AppParam, ColourTable)
{
    const std::pair<AppColor, const char*> rows[] = {
        {AppParam::BackgroundColor, "FF1A1A1A"},
        {AppParam::SubBackgroundColor, "E51A1A1A"},
        {AppParam::MessageBackgroundColor, "E5000000"},
        {AppParam::OKButtonColor, "FF666666"},
        {AppParam::OKButtonHighlightColor, "FF5C5C5C"},
        {AppParam::CancelButtonColor, "FF333333"},
        {AppParam::CancelButtonHighlightColor, "FF292929"},
        {AppParam::SelectButtonColor, "FF515151"},
        {AppParam::SelectButtonHighlightColor, "FF474747"},
        {AppParam::ButtonEnableTitleColor, "FFFFFFFF"},
        {AppParam::ButtonDisableTitleColor, "FF808080"},
        {AppParam::TableViewHighlightColor, "FFDCDCDC"},
        {AppParam::ColorButtonApcLow, "99FF0000"},
        {AppParam::ColorButtonApcMiddle, "9900FF00"},
        {AppParam::ColorButtonApcHigh, "99007FFF"},
        {AppParam::ColorButtonClear, "00000000"},
        {AppParam::ColorButtonKeyLock, "99FF0000"},
        {AppParam::IndicatorColorOff, "FF000000"},
        {AppParam::IndicatorColorMagenta, "FFFF00FF"},
        {AppParam::IndicatorColorCyan, "FF00FFFF"},
        {AppParam::IndicatorColorWhite, "FFFFFFFF"},
        {AppParam::IndicatorButtonColorOff, "FF777777"},
        {AppParam::IndicatorButtonColorYellow, "FFFFFF00"},
        {AppParam::IndicatorButtonColorWhite, "FFF0F0F0"},
    };
    for (const auto& [color, text] : rows)
        EXPECT_EQ(AppUtil::colorToStr(color).toStdString(), text);
}

TEST(AppParam, KeyCodeTables)
{
    EXPECT_EQ(AppParam::KeyCodeDict.size(), 119u);

    const std::pair<int, CustomKeyCode> rows[] = {
        {0, CustomKeyCode::A},           {22, CustomKeyCode::D6},
        {23, CustomKeyCode::D5},         {24, CustomKeyCode::Quotes},
        {42, CustomKeyCode::Oem6},       {50, CustomKeyCode::HanZen},
        {54, CustomKeyCode::Modifier},   {62, CustomKeyCode::Modifier},
        {93, CustomKeyCode::Oem5},       {94, CustomKeyCode::Backslash},
        {104, CustomKeyCode::Mac_Kana},  {126, CustomKeyCode::Up},
        {128, CustomKeyCode::PrintScreen}, {131, CustomKeyCode::ImeNonConvert},
        {132, CustomKeyCode::ImeConvert}, {133, CustomKeyCode::Insert},
        {134, CustomKeyCode::DbeHiragana},
    };
    for (auto [vk, code] : rows) {
        ASSERT_TRUE(AppParam::KeyCodeDict.count(vk)) << vk;
        EXPECT_EQ(AppParam::KeyCodeDict.at(vk), code) << vk;
    }
    for (int missing : {10, 52, 63, 66, 114, 127, 135, -1})
        EXPECT_EQ(AppParam::KeyCodeDict.count(missing), 0u) << missing;

    // No key position gives Oem5_US.
    for (const auto& [vk, code] : AppParam::KeyCodeDict)
        EXPECT_NE(code, CustomKeyCode::Oem5_US) << vk;

    // The eight modifier keys, and only they, give Modifier.
    ASSERT_EQ(AppParam::ModifierDict.size(), 8u);
    for (const auto& [vk, code] : AppParam::KeyCodeDict)
        EXPECT_EQ(code == CustomKeyCode::Modifier, AppParam::ModifierDict.count(vk) == 1) << vk;

    const std::pair<int, CustomKeyModifier> mods[] = {
        {59, CustomKeyModifier::LeftCtrl},  {62, CustomKeyModifier::RightCtrl},
        {56, CustomKeyModifier::LeftShift}, {60, CustomKeyModifier::RightShift},
        {58, CustomKeyModifier::LeftAlt},   {61, CustomKeyModifier::RightAlt},
        {55, CustomKeyModifier::LCommand},  {54, CustomKeyModifier::RCommand},
    };
    for (auto [vk, mod] : mods)
        EXPECT_EQ(AppParam::ModifierDict.at(vk), mod) << vk;
}
