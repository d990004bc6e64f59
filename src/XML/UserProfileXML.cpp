// Reader and writer of the keyboard user profile member (see UserProfile.h).

#include "XML/DeviceProfile.h"
#include "XML/UserProfile.h"

#include <initializer_list>
#include <string>

namespace {

QString nameOf(std::string_view name)
{
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

// The case whose name is `text`, when it is one of `allowed`; else `fallback`.
template <class E>
E readCase(const QString& text, std::initializer_list<E> allowed, E fallback)
{
    const std::string utf8 = text.toStdString();
    const std::optional<E> value = fromName<E>(utf8);
    if (value) {
        for (E a : allowed)
            if (a == *value)
                return a;
    }
    return fallback;
}

// The case name of `value` when it is one of `written`; else `otherwise`.
template <class E>
QString writeCase(E value, std::initializer_list<E> written, const char* otherwise)
{
    for (E w : written)
        if (w == value)
            return nameOf(caseName(w));
    return QString::fromLatin1(otherwise);
}

QString boolText(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

// ----- the value tables of the member ---------------------------------------

const std::initializer_list<ApcLevel> kApcLevels{ApcLevel::None, ApcLevel::Low, ApcLevel::Middle,
                                                 ApcLevel::High};
const std::initializer_list<ApcLevel> kApcLevelsRead{ApcLevel::Low, ApcLevel::Middle,
                                                     ApcLevel::High};
const std::initializer_list<FunctionItem> kApcFunctions{FunctionItem::Separate,
                                                        FunctionItem::Collective};
const std::initializer_list<FunctionItem> kLedFunctions{
    FunctionItem::UserSetting,       FunctionItem::RainbowWave,
    FunctionItem::PressedKeyLighting, FunctionItem::PressedKeyLightingWithBL,
    FunctionItem::ShootingStar,      FunctionItem::DemoMode,
    FunctionItem::RamdomLighting,    FunctionItem::EffectX0x67,
    FunctionItem::StopEffect};
const std::initializer_list<ColorSelect> kColorSelects{
    ColorSelect::None, ColorSelect::DirectSelect, ColorSelect::UserSetting1,
    ColorSelect::UserSetting2, ColorSelect::UserSetting3};
const std::initializer_list<ColorSelect> kColorSelectsRead{
    ColorSelect::DirectSelect, ColorSelect::UserSetting1, ColorSelect::UserSetting2,
    ColorSelect::UserSetting3};
const std::initializer_list<LedBrightness> kBrightness{LedBrightness::Level0, LedBrightness::Level1,
                                                       LedBrightness::Level2};
const std::initializer_list<LedBrightness> kBrightnessWritten{LedBrightness::Level1,
                                                              LedBrightness::Level2};
const std::initializer_list<LedInterval> kIntervals{
    LedInterval::Level0, LedInterval::Level1, LedInterval::Level2, LedInterval::Level3,
    LedInterval::Level4, LedInterval::Level5, LedInterval::Level6, LedInterval::Level7,
    LedInterval::Level8, LedInterval::Level9};
const std::initializer_list<LedInterval> kIntervalsWritten{
    LedInterval::Level1, LedInterval::Level2, LedInterval::Level3, LedInterval::Level4,
    LedInterval::Level5, LedInterval::Level6, LedInterval::Level7, LedInterval::Level8,
    LedInterval::Level9};
const std::initializer_list<KeyLockFunction> kKeyLocks{KeyLockFunction::Disable,
                                                       KeyLockFunction::Enable};
const std::initializer_list<KeytopLock> kKeytopLocks{KeytopLock::Unlock, KeytopLock::Lock};
const std::initializer_list<KeytopEntryType> kKeyTypes{KeytopEntryType::Button,
                                                       KeytopEntryType::LedIndicator};
const std::initializer_list<AppKeyboardType> kKeyboardTypes{
    AppKeyboardType::KOLVENTRA_RGB_US108,    AppKeyboardType::KOLVENTRA_RGB_JP112,
    AppKeyboardType::KOLVENTRA_RGB_US87,     AppKeyboardType::KOLVENTRA_RGB_JP91,
    AppKeyboardType::KOLVENTRA_JP108,        AppKeyboardType::KOLVENTRA_JP112,
    AppKeyboardType::KOLVENTRA_G7_MAC_JP114, AppKeyboardType::KOLVENTRA_G7_MAC_JP91,
    AppKeyboardType::KOLVENTRA_G7_MAC_US109, AppKeyboardType::KOLVENTRA_G7_MAC_US87};

} // namespace

// ---------------------------------------------------------------------------
// Writing

std::optional<QByteArray> UserProfileXML::construct(const UserProfileFile& p)
{
    XmlElement root(QStringLiteral("UserProfileFile"));
    root.add(QStringLiteral("Type"), p.type);
    root.add(QStringLiteral("Name"), p.name);
    root.add(QStringLiteral("Comment"), p.comment);
    root.add(QStringLiteral("KeyboardType"), writeCase(p.keyboardType, kKeyboardTypes, ""));
    root.add(QStringLiteral("ApcFunctionEnable"), boolText(p.apcFunctionEnable));
    root.add(QStringLiteral("LedFunctionEnable"), boolText(p.ledFunctionEnable));
    root.add(QStringLiteral("LedBrightnessEnable"), boolText(p.ledBrightnessEnable));
    root.add(QStringLiteral("KeyLockFunctionEnable"), boolText(p.keyLockFunctionEnable));
    root.add(QStringLiteral("ApcFunction"), writeCase(p.apcFunction, kApcFunctions, "None"));
    root.add(QStringLiteral("ApcLevel"), writeCase(p.apcLevel, kApcLevels, "None"));
    root.add(QStringLiteral("LedBrightness"),
             writeCase(p.ledBrightness, kBrightnessWritten, "Level0"));
    root.add(QStringLiteral("LedFunction"), writeCase(p.ledFunction, kLedFunctions, "None"));
    root.add(QStringLiteral("LedUserColorLedSelect"),
             writeCase(p.ledUserColorLedSelect, kColorSelects, "None"));
    root.add(QStringLiteral("LedPressedKeyLightingLedSelect"),
             writeCase(p.ledPressedKeyLightingLedSelect, kColorSelects, "None"));
    root.add(QStringLiteral("LedPressedKeyLightingColor"), p.ledPressedKeyLightingColor);
    root.add(QStringLiteral("LedPressedKeyLightingWithBLLedSelect"),
             writeCase(p.ledPressedKeyLightingWithBLLedSelect, kColorSelects, "None"));
    root.add(QStringLiteral("LedPressedKeyLightingWithBLColor"),
             p.ledPressedKeyLightingWithBLColor);
    root.add(QStringLiteral("LedShootingStarLedSelect"),
             writeCase(p.ledShootingStarLedSelect, kColorSelects, "None"));
    root.add(QStringLiteral("LedShootingStarInterval"),
             writeCase(p.ledShootingStarInterval, kIntervalsWritten, "Level0"));
    root.add(QStringLiteral("LedShootingStarColor"), p.ledShootingStarColor);
    root.add(QStringLiteral("KeyLock"), writeCase(p.keyLock, {KeyLockFunction::Enable}, "Disable"));

    XmlElement& list = root.add(QStringLiteral("keytopList"));
    for (const UserProfileFile::KeytopEntry& key : p.keytopList) {
        XmlElement& entry = list.add(QStringLiteral("KeytopEntry"));
        entry.add(QStringLiteral("Type"), writeCase(key.type, kKeyTypes, "None"));
        entry.add(QStringLiteral("Name"), key.name);
        entry.add(QStringLiteral("Code"), QString::number(key.code));
        entry.add(QStringLiteral("ApcLevel"), writeCase(key.apcLevel, kApcLevels, "None"));
        XmlElement& colors = entry.add(QStringLiteral("UserColor"));
        for (const QString& color : key.userColor)
            colors.add(QStringLiteral("string"), color);
        entry.add(QStringLiteral("KeytopLock"),
                  writeCase(key.keytopLock, {KeytopLock::Lock}, "Unlock"));
    }
    return XmlProfileWriter::document(root);
}

// ---------------------------------------------------------------------------
// Reading

void UserProfileXML::startDocument()
{
    isParseKeytopGroup = false;
    keytop.reset();
    isParseUserColorGroup = false;
    userColor.reset();
}

void UserProfileXML::startElement(const QString& name)
{
    if (name == QLatin1String("KeytopEntry")) {
        isParseKeytopGroup = true;
        keytop = UserProfileFile::KeytopEntry{};
    } else if (name == QLatin1String("UserColor")) {
        isParseUserColorGroup = true;
        userColor = std::vector<QString>{};
    } else {
        tmpKey = name;
    }
}

void UserProfileXML::characters(const QString& text)
{
    if (!tmpKey)
        return;
    if (isParseKeytopGroup) {
        if (isParseUserColorGroup) {
            if (*tmpKey == QLatin1String("string") && userColor)
                userColor->push_back(text);
            return;
        }
        if (keytop)
            readKeytopField(*tmpKey, text);
        return;
    }
    readProfileField(*tmpKey, text);
}

void UserProfileXML::endElement(const QString& name)
{
    tmpKey.reset();
    if (name == QLatin1String("KeytopEntry")) {
        if (keytop)
            userProfile.keytopList.push_back(std::move(*keytop));
        keytop.reset();
        isParseKeytopGroup = false;
    } else if (name == QLatin1String("UserColor")) {
        if (userColor && keytop)
            keytop->userColor = std::move(*userColor);
        userColor.reset();
        isParseUserColorGroup = false;
    }
}

void UserProfileXML::readKeytopField(const QString& key, const QString& text)
{
    UserProfileFile::KeytopEntry& k = *keytop;
    if (key == QLatin1String("Type")) {
        k.type = readCase(text, kKeyTypes, KeytopEntryType::None);
    } else if (key == QLatin1String("Name")) {
        k.name = text;
    } else if (key == QLatin1String("Code")) {
        if (const auto code = DeviceProfile::parseDecimal(text))
            k.code = *code;
        else
            malformed_ = true;
    } else if (key == QLatin1String("ApcLevel")) {
        k.apcLevel = readCase(text, kApcLevelsRead, ApcLevel::None);
    } else if (key == QLatin1String("KeytopLock")) {
        k.keytopLock = readCase(text, kKeytopLocks, KeytopLock::Unlock);
    }
}

void UserProfileXML::readProfileField(const QString& key, const QString& text)
{
    UserProfileFile& p = userProfile;
    if (key == QLatin1String("Type")) {
        p.type = text;
    } else if (key == QLatin1String("Name")) {
        p.name = text;
    } else if (key == QLatin1String("Comment")) {
        p.comment += text;
    } else if (key == QLatin1String("KeyboardType")) {
        p.keyboardType = readCase(text, kKeyboardTypes, AppKeyboardType::None);
    } else if (key == QLatin1String("ApcFunctionEnable")) {
        p.apcFunctionEnable = text == QLatin1String("true");
    } else if (key == QLatin1String("LedFunctionEnable")) {
        p.ledFunctionEnable = text == QLatin1String("true");
    } else if (key == QLatin1String("LedBrightnessEnable")) {
        p.ledBrightnessEnable = text == QLatin1String("true");
    } else if (key == QLatin1String("KeyLockFunctionEnable")) {
        p.keyLockFunctionEnable = text == QLatin1String("true");
    } else if (key == QLatin1String("ApcFunction")) {
        p.apcFunction = readCase(text, kApcFunctions, FunctionItem::None);
    } else if (key == QLatin1String("ApcLevel")) {
        p.apcLevel = readCase(text, kApcLevelsRead, ApcLevel::None);
    } else if (key == QLatin1String("LedBrightness")) {
        p.ledBrightness = readCase(text, kBrightness, LedBrightness::Level0);
    } else if (key == QLatin1String("LedFunction")) {
        p.ledFunction = readCase(text, kLedFunctions, FunctionItem::None);
    } else if (key == QLatin1String("LedUserColorLedSelect")) {
        p.ledUserColorLedSelect = readCase(text, kColorSelectsRead, ColorSelect::None);
    } else if (key == QLatin1String("LedPressedKeyLightingLedSelect")) {
        p.ledPressedKeyLightingLedSelect = readCase(text, kColorSelectsRead, ColorSelect::None);
    } else if (key == QLatin1String("LedPressedKeyLightingColor")) {
        p.ledPressedKeyLightingColor = text;
    } else if (key == QLatin1String("LedPressedKeyLightingWithBLLedSelect")) {
        p.ledPressedKeyLightingWithBLLedSelect =
            readCase(text, kColorSelectsRead, ColorSelect::None);
    } else if (key == QLatin1String("LedPressedKeyLightingWithBLColor")) {
        p.ledPressedKeyLightingWithBLColor = text;
    } else if (key == QLatin1String("LedShootingStarLedSelect")) {
        p.ledShootingStarLedSelect = readCase(text, kColorSelectsRead, ColorSelect::None);
    } else if (key == QLatin1String("LedShootingStarInterval")) {
        p.ledShootingStarInterval = readCase(text, kIntervals, LedInterval::Level0);
    } else if (key == QLatin1String("LedShootingStarColor")) {
        p.ledShootingStarColor = text;
    } else if (key == QLatin1String("KeyLock")) {
        p.keyLock = readCase(text, kKeyLocks, KeyLockFunction::Disable);
    }
}
