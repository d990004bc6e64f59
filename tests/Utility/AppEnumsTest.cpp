#include "AppEnums.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

// Every case maps back from its raw value and its name, and raw values and
// names are unique within the enumeration.
template <class E>
void expectConsistent(const char* enumName)
{
    SCOPED_TRACE(enumName);
    std::set<int> raws;
    std::set<std::string_view> names;
    for (const auto& c : EnumTraits<E>::cases) {
        EXPECT_TRUE(raws.insert(rawValue(c.value)).second) << "duplicate raw " << rawValue(c.value);
        EXPECT_TRUE(names.insert(c.name).second) << "duplicate name " << c.name;
        EXPECT_EQ(fromRaw<E>(rawValue(c.value)), c.value) << c.name;
        EXPECT_EQ(fromName<E>(c.name), c.value) << c.name;
        EXPECT_EQ(caseName(c.value), c.name);
    }
    EXPECT_EQ(fromName<E>(""), std::nullopt);
    EXPECT_EQ(fromName<E>("NoSuchCase"), std::nullopt);
}

// Raw values listed in declaration order.
template <class E>
std::vector<int> raws()
{
    std::vector<int> out;
    for (const auto& c : EnumTraits<E>::cases)
        out.push_back(rawValue(c.value));
    return out;
}

std::vector<int> range(int from, int to)
{
    std::vector<int> out;
    for (int i = from; i <= to; ++i)
        out.push_back(i);
    return out;
}

} // namespace

TEST(AppEnums, EveryEnumerationRoundTripsRawValuesAndNames)
{
#define CHECK_ENUM(E) expectConsistent<E>(#E)
    CHECK_ENUM(KeyDrawFrom);
    CHECK_ENUM(DeviceType);
    CHECK_ENUM(FunctionTab);
    CHECK_ENUM(LedBrightness);
    CHECK_ENUM(LedInterval);
    CHECK_ENUM(ColorSelect);
    CHECK_ENUM(ApcLevel);
    CHECK_ENUM(KeyLockFunction);
    CHECK_ENUM(KeytopLock);
    CHECK_ENUM(KeyCodeChange);
    CHECK_ENUM(CropMode);
    CHECK_ENUM(KeyAnimation);
    CHECK_ENUM(KeytopEntryType);
    CHECK_ENUM(KeytopEntryDrawType);
    CHECK_ENUM(AppKeyboardType);
    CHECK_ENUM(ProfileEntry);
    CHECK_ENUM(ButtonNo);
    CHECK_ENUM(Button12Change);
    CHECK_ENUM(LedColor);
    CHECK_ENUM(Indicator);
    CHECK_ENUM(eLuminance);
    CHECK_ENUM(Logo);
    CHECK_ENUM(DpiEnable);
    CHECK_ENUM(DpiValue);
    CHECK_ENUM(DpiSettingNo);
    CHECK_ENUM(LoD);
    CHECK_ENUM(ReportDiscriptor);
    CHECK_ENUM(MProfileEntry);
    CHECK_ENUM(CustomKeyModifier);
    CHECK_ENUM(FunctionItem);
    CHECK_ENUM(ButtonAssignCode);
    CHECK_ENUM(CustomKeyCode);
#undef CHECK_ENUM
}

TEST(AppEnums, RawValueSequences)
{
    EXPECT_EQ(raws<KeyDrawFrom>(), range(0, 8));
    EXPECT_EQ(raws<DeviceType>(), range(-1, 1));
    EXPECT_EQ(raws<FunctionTab>(), range(0, 8));
    EXPECT_EQ(raws<LedBrightness>(), range(0, 2));
    EXPECT_EQ(raws<LedInterval>(), range(0, 9));
    EXPECT_EQ(raws<ColorSelect>(), range(-1, 3));
    EXPECT_EQ(raws<ApcLevel>(), range(0, 3));
    EXPECT_EQ(raws<CropMode>(), range(0, 3));
    EXPECT_EQ(raws<KeyAnimation>(), range(0, 4));
    EXPECT_EQ(raws<KeytopEntryType>(), range(0, 2));
    EXPECT_EQ(raws<KeytopEntryDrawType>(), range(0, 3));
    EXPECT_EQ(raws<AppKeyboardType>(), range(0, 10));
    EXPECT_EQ(raws<ProfileEntry>(), range(0, 5));
    EXPECT_EQ(raws<ButtonNo>(), range(-1, 5));
    EXPECT_EQ(raws<LedColor>(), range(0, 7));
    EXPECT_EQ(raws<eLuminance>(), range(0, 2));
    EXPECT_EQ(eLuminanceCount, 3);
    EXPECT_EQ(raws<DpiSettingNo>(), range(0, 4));
    EXPECT_EQ(rawValue(DpiSettingNo::_count), 4);
    EXPECT_EQ(raws<MProfileEntry>(), range(0, 4));
    EXPECT_EQ(raws<FunctionItem>(), range(-1, 65));
    EXPECT_EQ(raws<LoD>(), (std::vector<int>{2, 3}));
    EXPECT_EQ(raws<ReportDiscriptor>(), (std::vector<int>{1, 2, 8}));
    EXPECT_EQ(raws<DpiValue>(), (std::vector<int>{0, 119}));
    EXPECT_EQ(raws<CustomKeyModifier>(),
              (std::vector<int>{0x01, 0x10, 0x02, 0x20, 0x04, 0x40, 0x08, 0x80}));

    std::vector<int> assign{0};
    for (auto [from, to] : {std::pair{0x01, 0x0B}, {0x11, 0x17}, {0x21, 0x2C}, {0x31, 0x3B}})
        for (int v : range(from, to))
            assign.push_back(v);
    EXPECT_EQ(raws<ButtonAssignCode>(), assign);

    EXPECT_EQ(caseCount<FunctionItem>(), 67u);
    EXPECT_EQ(caseCount<ButtonAssignCode>(), 42u);
    EXPECT_EQ(caseCount<CustomKeyCode>(), 113u);
}

TEST(AppEnums, EnableIsZeroWhereTheDeviceSaysSo)
{
    EXPECT_EQ(rawValue(Indicator::Enable), 0);
    EXPECT_EQ(rawValue(Logo::Enable), 0);
    EXPECT_EQ(rawValue(DpiEnable::Enable), 0);
    EXPECT_EQ(rawValue(KeyLockFunction::Enable), 1);
    EXPECT_EQ(rawValue(KeyCodeChange::Enable), 1);
}

TEST(AppEnums, FromRawTable)
{
    struct Row {
        const char* what;
        std::optional<int> got;
        std::optional<int> want;
    };
    auto r = [](auto opt) -> std::optional<int> {
        if (!opt)
            return std::nullopt;
        return rawValue(*opt);
    };
    const Row rows[] = {
        {"DeviceType -1", r(fromRaw<DeviceType>(-1)), -1},
        {"DeviceType 2", r(fromRaw<DeviceType>(2)), std::nullopt},
        {"FunctionItem -1", r(fromRaw<FunctionItem>(-1)), -1},
        {"FunctionItem 65", r(fromRaw<FunctionItem>(65)), 65},
        {"FunctionItem 66", r(fromRaw<FunctionItem>(66)), std::nullopt},
        {"FunctionItem -2", r(fromRaw<FunctionItem>(-2)), std::nullopt},
        {"ButtonAssignCode 0x2C", r(fromRaw<ButtonAssignCode>(0x2C)), 0x2C},
        {"ButtonAssignCode 0x0C", r(fromRaw<ButtonAssignCode>(0x0C)), std::nullopt},
        {"ButtonAssignCode 0x10", r(fromRaw<ButtonAssignCode>(0x10)), std::nullopt},
        {"ButtonAssignCode 0x18", r(fromRaw<ButtonAssignCode>(0x18)), std::nullopt},
        {"ButtonAssignCode 0x20", r(fromRaw<ButtonAssignCode>(0x20)), std::nullopt},
        {"ButtonAssignCode 0x2D", r(fromRaw<ButtonAssignCode>(0x2D)), std::nullopt},
        {"ButtonAssignCode 0x30", r(fromRaw<ButtonAssignCode>(0x30)), std::nullopt},
        {"ButtonAssignCode 0x3C", r(fromRaw<ButtonAssignCode>(0x3C)), std::nullopt},
        {"ReportDiscriptor 8", r(fromRaw<ReportDiscriptor>(8)), 8},
        {"ReportDiscriptor 4", r(fromRaw<ReportDiscriptor>(4)), std::nullopt},
        {"DpiValue 60", r(fromRaw<DpiValue>(60)), std::nullopt},
        {"DpiValue 119", r(fromRaw<DpiValue>(119)), 119},
        {"LoD 2", r(fromRaw<LoD>(2)), 2},
        {"LoD 0", r(fromRaw<LoD>(0)), std::nullopt},
        {"LoD 1", r(fromRaw<LoD>(1)), std::nullopt},
        {"CustomKeyCode 0x31", r(fromRaw<CustomKeyCode>(0x31)), 0x31},
        {"CustomKeyCode 0x01", r(fromRaw<CustomKeyCode>(0x01)), std::nullopt},
        {"CustomKeyModifier 0x03", r(fromRaw<CustomKeyModifier>(0x03)), std::nullopt},
        {"ApcLevel 1<<32", r(fromRaw<ApcLevel>(1LL << 32)), std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.got, row.want) << row.what;

    EXPECT_EQ(fromRaw<CustomKeyCode>(0x31), CustomKeyCode::Oem5_US);
    EXPECT_EQ(fromRaw<CustomKeyCode>(0x32), CustomKeyCode::Oem6);
    EXPECT_EQ(fromRaw<CustomKeyCode>(0x89), CustomKeyCode::Oem5);
    EXPECT_EQ(fromRaw<ButtonAssignCode>(0x2C), ButtonAssignCode::Macro_CustomKey);
    EXPECT_EQ(fromRaw<DeviceType>(-1), DeviceType::Unknown);
}

TEST(AppEnums, TellingRowsOfTheLongEnumerations)
{
    const std::pair<FunctionItem, int> items[] = {
        {FunctionItem::Separate, 1},     {FunctionItem::Collective, 2},
        {FunctionItem::StopEffect, 11},  {FunctionItem::ToSaveTheDevice, 12},
        {FunctionItem::FWUpdate, 16},    {FunctionItem::Button1, 24},
        {FunctionItem::Button6, 29},     {FunctionItem::LeftClick, 35},
        {FunctionItem::CustomKey, 65},
    };
    for (auto [item, raw] : items)
        EXPECT_EQ(rawValue(item), raw) << caseName(item);

    EXPECT_EQ(rawValue(ButtonAssignCode::Func_DoubleClick), 0x0B);
    EXPECT_EQ(rawValue(ButtonAssignCode::Muli_Mute), 0x17);
    EXPECT_EQ(rawValue(ButtonAssignCode::Macro_EnJpSwitch), 0x2B);
    EXPECT_EQ(rawValue(ButtonAssignCode::Macro_MacMoveForward2), 0x3B);

    EXPECT_EQ(rawValue(CustomKeyCode::Quotes), 0x2E);
    EXPECT_EQ(rawValue(CustomKeyCode::Backslash), 0x87);
    EXPECT_EQ(rawValue(CustomKeyCode::HanZen), 0x35);
    EXPECT_EQ(rawValue(CustomKeyCode::Mac_Kana), 0x90);
    EXPECT_EQ(rawValue(CustomKeyCode::Mac_Eisu), 0x91);
    // Declaration order is kept (it is not the raw order).
    EXPECT_EQ(EnumTraits<CustomKeyCode>::cases[1].value, CustomKeyCode::HanZen);
    EXPECT_EQ(EnumTraits<CustomKeyCode>::cases[112].value, CustomKeyCode::F19);
}

TEST(AppEnums, CaseNamesAreTheFileTexts)
{
    EXPECT_EQ(caseName(AppKeyboardType::KOLVENTRA_RGB_US108), "KOLVENTRA_RGB_US108");
    EXPECT_EQ(caseName(ReportDiscriptor::Fps_500kHz), "Fps_500kHz");
    EXPECT_EQ(caseName(LoD::LoD_3mm), "LoD_3mm");
    EXPECT_EQ(caseName(FunctionItem::RamdomLighting), "RamdomLighting");
    EXPECT_EQ(caseName(KeyAnimation::KeyPsuh), "KeyPsuh");
    EXPECT_EQ(caseName(DpiSettingNo::_count), "_count");
    EXPECT_EQ(fromName<LedColor>("Water"), LedColor::Water);
    // Names are case-sensitive.
    EXPECT_EQ(fromName<LedColor>("water"), std::nullopt);
    EXPECT_EQ(caseName(static_cast<LedColor>(42)), "");
}

TEST(BoolStack, LastInFirstOut)
{
    BoolStack s;
    EXPECT_TRUE(s.isEmpty());
    s.push(true);
    s.push(false);
    EXPECT_EQ(s.count(), 2u);
    EXPECT_FALSE(s.pop());
    EXPECT_TRUE(s.pop());
    EXPECT_TRUE(s.isEmpty());
}

TEST(BoolStack, PopOfEmptyStackIsFalse)
{
    BoolStack s;
    EXPECT_FALSE(s.pop());
    EXPECT_TRUE(s.isEmpty());
}

TEST(WINDOWPLACEMENT, StartsAllZero)
{
    WINDOWPLACEMENT w;
    EXPECT_EQ(w.length, 0);
    EXPECT_EQ(w.flags, 0);
    EXPECT_EQ(w.showCmd, 0);
    EXPECT_EQ(w.minPosition, QPointF(0, 0));
    EXPECT_EQ(w.maxPosition, QPointF(0, 0));
    EXPECT_EQ(w.normalPosition, QRectF(0, 0, 0, 0));
}
