#include "XML/KeyboardProfile.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

const QString kKeytopEntry = QStringLiteral("KeytopEntry");

QString line(const char* label, const QString& value)
{
    return QString::fromLatin1(label) + value + QLatin1Char('\n');
}

} // namespace

AppKeyboardType KeyboardProfile::keyboardTypeFromText(const QString& text)
{
    static const std::array<std::pair<const char*, AppKeyboardType>, 10> table{{
        // A keyboard described as RGB_US108 carries the value of JP108; user
        // profiles written for it say "KOLVENTRA_JP108" and must stay valid.
        {"KOLVENTRA_RGB_US108", AppKeyboardType::KOLVENTRA_JP108},
        {"KOLVENTRA_RGB_JP112", AppKeyboardType::KOLVENTRA_RGB_JP112},
        {"KOLVENTRA_RGB_US87", AppKeyboardType::KOLVENTRA_RGB_US87},
        {"KOLVENTRA_RGB_JP91", AppKeyboardType::KOLVENTRA_RGB_JP91},
        {"KOLVENTRA_JP108", AppKeyboardType::KOLVENTRA_JP108},
        {"KOLVENTRA_JP112", AppKeyboardType::KOLVENTRA_JP112},
        {"KOLVENTRA_G7_MAC_JP114", AppKeyboardType::KOLVENTRA_G7_MAC_JP114},
        {"KOLVENTRA_G7_MAC_JP91", AppKeyboardType::KOLVENTRA_G7_MAC_JP91},
        {"KOLVENTRA_G7_MAC_US109", AppKeyboardType::KOLVENTRA_G7_MAC_US109},
        {"KOLVENTRA_G7_MAC_US87", AppKeyboardType::KOLVENTRA_G7_MAC_US87},
    }};
    for (const auto& [name, value] : table) {
        if (text == QLatin1String(name))
            return value;
    }
    return AppKeyboardType::None;
}

KeyboardProfile::KeyboardPictures KeyboardProfile::getKeyboardPictures(qreal ratio) const
{
    // The whole-keyboard picture is only checked; a package without it is
    // not usable. The three are read by one run of the zip tool (their twins
    // by one more) and decoded side by side.
    const std::vector<PackagePicture> pictures =
        readPackagePictures({keyboardBodyImage, keytopImage, keyboardImage}, false, ratio);
    PackagePicture::decode(pictures);
    if (pictures.size() != 3 ||
        std::any_of(pictures.begin(), pictures.end(), [](const PackagePicture& p) { return p.image().isNull(); }))
        return {};
    return {pictures[0], pictures[1]};
}

KeyboardProfile::KeyboardImages KeyboardProfile::getKeyboardImage(qreal ratio) const
{
    const KeyboardPictures pictures = getKeyboardPictures(ratio);
    return {pictures.keyBody.image(), pictures.keyButton.image()};
}

QImage KeyboardProfile::getDeviceThumbImage(qreal ratio) const
{
    return readPicture(keyboardImage, false, ratio);
}

QString KeyboardProfile::description() const
{
    QString text = QStringLiteral("\n== KeyboarProfiletype ==\n");
    text += line("type:                 ", type);
    text += line("name:                 ", name);
    text += line("offset:               ", offset);
    text += line("profileExt:           ", profileExt);
    text += line("profileVersion:       ", profileVersion);
    text += line("vendorID:             ", vendorID);
    text += line("productID:            ", productID);
    text += line("interfaceID:          ", interfaceID);
    text += line("modelNumber:          ", modelNumber);
    text += line("multiDeviceModel:     ",
                 multiDeviceModel ? QStringLiteral("true") : QStringLiteral("false"));
    text += line("keyboardLayout:       ", keyboardLayout);
    text += line("keycapsNumbers:       ", keycapsNumbers);
    text += line("keyboardImage:        ", keyboardImage);
    text += line("keytopImage:          ", keytopImage);
    text += line("keyboardBodyImage:    ", keyboardBodyImage);
    text += line("APC:                  ", APC);
    text += line("RGBLED:               ", RGBLED);
    text += line("indicatorLedSettings: ", indicatorLedSettings);
    text += line("cropFrameStyle:       ", cropFrameStyle);
    text += line("ledRainbowLoopTiming: ", ledRainbowLoopTiming);
    text += line("ledShootingStarLoopTiming: ", ledShootingStarLoopTiming);
    return text;
}

// ----- reader ----------------------------------------------------------------

void KeyboardProfileXML::startDocument()
{
    keyboardProfile = KeyboardProfile{};
    isParseKeytopGroup = false;
    keytop.reset();
}

void KeyboardProfileXML::startElement(const QString& name)
{
    if (name == kKeytopEntry) {
        isParseKeytopGroup = true;
        keytop = KeyboardProfile::KeytopEntry{};
        return;
    }
    tmpKey = name;
}

void KeyboardProfileXML::characters(const QString& text)
{
    if (!tmpKey)
        return;
    const QString& key = *tmpKey;
    KeyboardProfile& p = keyboardProfile;

    if (isParseKeytopGroup && keytop) {
        KeyboardProfile::KeytopEntry& e = *keytop;
        const auto decimal = [&p](const QString& t, int& field) {
            if (const std::optional<int> v = DeviceProfile::parseDecimal(t))
                field = *v;
            else
                p.hasMalformedText = true;
        };
        if (key == QLatin1String("Type")) {
            if (text == QLatin1String("Button"))
                e.type = KeytopEntryType::Button;
            else if (text == QLatin1String("LedIndicator"))
                e.type = KeytopEntryType::LedIndicator;
            else
                e.type = KeytopEntryType::None;
        } else if (key == QLatin1String("Name")) {
            e.name = text;
        } else if (key == QLatin1String("VKCode")) {
            e.vkCode = text;
        } else if (key == QLatin1String("Code")) {
            decimal(text, e.code);
        } else if (key == QLatin1String("Group")) {
            decimal(text, e.group);
        } else if (key == QLatin1String("Keytop")) {
            e.keytop = text;
        } else if (key == QLatin1String("KeyFrame")) {
            e.keyFrame = text;
        } else if (key == QLatin1String("LedFrame")) {
            e.ledFrame = text;
        }
        return;
    }

    if (p.readHeaderText(key, text))
        return;
    if (key == QLatin1String("KeyboardType"))
        p.keyboardType = KeyboardProfile::keyboardTypeFromText(text);
    else if (key == QLatin1String("Offset"))
        p.offset = text;
    else if (key == QLatin1String("KeyboardLayout"))
        p.keyboardLayout = text;
    else if (key == QLatin1String("KeycapsNumbers"))
        p.keycapsNumbers = text;
    else if (key == QLatin1String("KeyboardImage"))
        p.keyboardImage = text;
    else if (key == QLatin1String("KeytopImage"))
        p.keytopImage = text;
    else if (key == QLatin1String("KeyboardBodyImage"))
        p.keyboardBodyImage = text;
    else if (key == QLatin1String("APC"))
        p.APC = text;
    else if (key == QLatin1String("RGBLED"))
        p.RGBLED = text;
    else if (key == QLatin1String("IndicatorLedSettings"))
        p.indicatorLedSettings = text;
    else if (key == QLatin1String("CropFrameStyle"))
        p.cropFrameStyle = text;
    else if (key == QLatin1String("LedRainbowLoopTiming"))
        p.ledRainbowLoopTiming = text;
    else if (key == QLatin1String("LedShootingStarLoopTiming"))
        p.ledShootingStarLoopTiming = text;
}

void KeyboardProfileXML::endElement(const QString& name)
{
    tmpKey.reset();
    if (name == kKeytopEntry) {
        if (keytop)
            keyboardProfile.keytopList.push_back(*keytop);
        isParseKeytopGroup = false;
    }
}
