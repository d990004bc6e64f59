#include "XML/UserMProfileFile.h"

#include <QStringList>

#include <limits>
#include <type_traits>
#include <string_view>

namespace {

const QString kButtonSetting = QStringLiteral("ButtonSetting");
const QString kDpiSetting = QStringLiteral("DpiSetting");
const QString kCustomKeyEntry = QStringLiteral("CustomKeyEntry");

QString qs(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

template <class E>
QString nameOf(E value) { return qs(caseName(value)); }

// A decimal integer (optional sign, ASCII digits, blanks around it allowed)
// within [lo, hi].
std::optional<long long> parseNumber(const QString& text, long long lo, long long hi)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    if (!t.isEmpty() && (t[0] == u'+' || t[0] == u'-'))
        ++i;
    if (i >= t.size() || t.size() - i > 12)
        return std::nullopt;
    for (qsizetype j = i; j < t.size(); ++j) {
        if (t[j] < u'0' || t[j] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const long long v = t.toLongLong(&ok);
    if (!ok || v < lo || v > hi)
        return std::nullopt;
    return v;
}

// The case named `text` among `cases` (exact match), else `fallback`.
template <class E>
E nameOr(const QString& text, std::initializer_list<E> cases, E fallback)
{
    for (E e : cases) {
        if (text == nameOf(e))
            return e;
    }
    return fallback;
}

ButtonNo readButtonNo(const QString& text)
{
    using B = ButtonNo;
    return nameOr(text, {B::Button1, B::Button2, B::Button3, B::Button4, B::Button5, B::Button6},
                  B::None);
}

ButtonAssignCode readAssignCode(const QString& text)
{
    for (const auto& c : EnumTraits<ButtonAssignCode>::cases) {
        if (c.value != ButtonAssignCode::None && text == qs(c.name))
            return c.value;
    }
    return ButtonAssignCode::None;
}

// DpiSettingNo::_count has no setting of its own; it is written as the first.
QString settingName(DpiSettingNo s)
{
    return s == DpiSettingNo::_count ? nameOf(DpiSettingNo::Setting1) : nameOf(s);
}

QString listText(const QString& label, const QStringList& entries)
{
    QString text = label;
    for (const QString& e : entries)
        text += QStringLiteral("\n   [") + e + QLatin1Char(']');
    return text + QLatin1Char('\n');
}

} // namespace

// ----- model -------------------------------------------------------------------

QString UserMProfileFile::description() const
{
    QStringList buttons, dpis, keys;
    for (const ButtonSetting& b : buttonList)
        buttons << QStringLiteral("name: %1, code: %2, data: %3")
                       .arg(b.name, nameOf(b.code), nameOf(b.data));
    for (const DpiSetting& d : dpiSettings)
        dpis << QStringLiteral("setting: %1, enable: %2, value: %3")
                    .arg(nameOf(d.setting))
                    .arg(int(d.enable))
                    .arg(d.value);
    for (const CustomKeyEntry& k : customKeyList)
        keys << QStringLiteral("code: %1, modifier: %2, keyCode: %3")
                    .arg(nameOf(k.code))
                    .arg(int(k.modifier))
                    .arg(int(k.keyCode));

    QString text = QStringLiteral("\n== UserMProfileFile ==\n");
    text += QStringLiteral("type:              ") + type + QLatin1Char('\n');
    text += QStringLiteral("name:              ") + name + QLatin1Char('\n');
    text += QStringLiteral("comment:           ") + comment + QLatin1Char('\n');
    text += listText(QStringLiteral("buttonList:        "), buttons);
    text += QStringLiteral("indicatorEnable:   %1\n").arg(int(indicatorEnable));
    text += QStringLiteral("logoEnable:        %1\n").arg(int(logoEnable));
    text += QStringLiteral("color:             ") + nameOf(color) + QLatin1Char('\n');
    text += QStringLiteral("luminance:         ") + nameOf(luminance) + QLatin1Char('\n');
    text += listText(QStringLiteral("dpiSettings:       "), dpis);
    text += QStringLiteral("dpiSelected:       ") + nameOf(dpiSelected) + QLatin1Char('\n');
    text += QStringLiteral("liftOffDistance:   ") + nameOf(liftOffDistance) + QLatin1Char('\n');
    text += listText(QStringLiteral("customKeyList:     "), keys);
    return text;
}

// ----- writer ------------------------------------------------------------------

std::optional<QByteArray> UserMProfileXML::construct(const UserMProfileFile& p)
{
    XmlElement root(QStringLiteral("UserMProfileFile"));
    root.add(QStringLiteral("Type"), p.type);
    root.add(QStringLiteral("Name"), p.name);
    root.add(QStringLiteral("Comment"), p.comment);

    XmlElement& buttons = root.add(QStringLiteral("buttonList"));
    for (const auto& b : p.buttonList) {
        XmlElement& e = buttons.add(kButtonSetting);
        e.add(QStringLiteral("Name"), b.name);
        e.add(QStringLiteral("Code"), nameOf(b.code));
        e.add(QStringLiteral("Data"), nameOf(b.data));
    }

    root.add(QStringLiteral("IndicatorEnable"), QString::number(int(p.indicatorEnable)));
    root.add(QStringLiteral("LogoEnable"), QString::number(int(p.logoEnable)));
    root.add(QStringLiteral("Color"), nameOf(p.color));
    root.add(QStringLiteral("Luminance"), nameOf(p.luminance));

    XmlElement& dpis = root.add(QStringLiteral("dpiSettings"));
    for (const auto& d : p.dpiSettings) {
        XmlElement& e = dpis.add(kDpiSetting);
        e.add(QStringLiteral("Setting"), settingName(d.setting));
        e.add(QStringLiteral("Enable"), QString::number(int(d.enable)));
        e.add(QStringLiteral("Value"), QString::number(d.value));
    }

    root.add(QStringLiteral("DpiSelected"), settingName(p.dpiSelected));
    root.add(QStringLiteral("LiftOffDistance"), nameOf(p.liftOffDistance));

    XmlElement& keys = root.add(QStringLiteral("CustomKeyList"));
    for (const auto& k : p.customKeyList) {
        XmlElement& e = keys.add(kCustomKeyEntry);
        e.add(QStringLiteral("Code"), nameOf(k.code));
        e.add(QStringLiteral("Modifier"), QString::number(int(k.modifier)));
        e.add(QStringLiteral("KeyCode"), QString::number(int(k.keyCode)));
    }
    return XmlProfileWriter::document(root);
}

// ----- reader ------------------------------------------------------------------

void UserMProfileXML::startDocument()
{
    userProfile = UserMProfileFile{};
    isParseButtonSettingGroup = isParseDpiSettingGroup = isParseCustomKeyEntryGroup = false;
    buttonSetting.reset();
    dipSetting.reset();
    customKeySetting.reset();
    malformed_ = false;
}

void UserMProfileXML::startElement(const QString& name)
{
    if (name == kButtonSetting) {
        isParseButtonSettingGroup = true;
        buttonSetting = UserMProfileFile::ButtonSetting{};
    } else if (name == kDpiSetting) {
        isParseDpiSettingGroup = true;
        dipSetting = UserMProfileFile::DpiSetting{};
    } else if (name == kCustomKeyEntry) {
        isParseCustomKeyEntryGroup = true;
        customKeySetting = UserMProfileFile::CustomKeyEntry{};
    } else {
        tmpKey = name;
    }
}

void UserMProfileXML::characters(const QString& text)
{
    if (!tmpKey)
        return;
    const QString& key = *tmpKey;

    // Stores a number of type T, or marks the document malformed.
    auto number = [&](auto& field) {
        using T = std::remove_reference_t<decltype(field)>;
        const auto v = parseNumber(text, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
        if (v)
            field = T(*v);
        else
            malformed_ = true;
    };

    if (isParseButtonSettingGroup) {
        if (!buttonSetting)
            return;
        if (key == u"Name")
            buttonSetting->name = text;
        else if (key == u"Code")
            buttonSetting->code = readButtonNo(text);
        else if (key == u"Data")
            buttonSetting->data = readAssignCode(text);
        return;
    }
    if (isParseDpiSettingGroup) {
        if (!dipSetting)
            return;
        using S = DpiSettingNo;
        if (key == u"Setting")
            dipSetting->setting = nameOr(text, {S::Setting1, S::Setting2, S::Setting3}, S::Setting4);
        else if (key == u"Enable")
            number(dipSetting->enable);
        else if (key == u"Value")
            number(dipSetting->value);
        return;
    }
    if (isParseCustomKeyEntryGroup) {
        if (!customKeySetting)
            return;
        if (key == u"Code")
            customKeySetting->code = readButtonNo(text);
        else if (key == u"Modifier")
            number(customKeySetting->modifier);
        else if (key == u"KeyCode")
            number(customKeySetting->keyCode);
        return;
    }

    UserMProfileFile& p = userProfile;
    using C = LedColor;
    using S = DpiSettingNo;
    if (key == u"Type")
        p.type = text;
    else if (key == u"Name")
        p.name = text;
    else if (key == u"Comment")
        p.comment += text;
    else if (key == u"IndicatorEnable")
        number(p.indicatorEnable);
    else if (key == u"LogoEnable")
        number(p.logoEnable);
    else if (key == u"Color")
        p.color = nameOr(text, {C::White, C::Red, C::Green, C::Blue, C::Purple, C::Yellow, C::Water},
                         C::Off);
    else if (key == u"Luminance")
        p.luminance = nameOr(text, {eLuminance::Level2, eLuminance::Level3}, eLuminance::Level1);
    else if (key == u"DpiSelected")
        p.dpiSelected = nameOr(text, {S::Setting2, S::Setting3, S::Setting4}, S::Setting1);
    else if (key == u"LiftOffDistance")
        p.liftOffDistance = nameOr(text, {LoD::LoD_3mm}, LoD::LoD_2mm);
}

void UserMProfileXML::endElement(const QString& name)
{
    tmpKey.reset();
    if (name == kButtonSetting) {
        if (buttonSetting)
            userProfile.buttonList.push_back(*buttonSetting);
        isParseButtonSettingGroup = false;
    } else if (name == kDpiSetting) {
        if (dipSetting)
            userProfile.dpiSettings.push_back(*dipSetting);
        isParseDpiSettingGroup = false;
    } else if (name == kCustomKeyEntry) {
        if (customKeySetting)
            userProfile.customKeyList.push_back(*customKeySetting);
        isParseCustomKeyEntryGroup = false;
    }
}
