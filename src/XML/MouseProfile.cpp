#include "XML/MouseProfile.h"

#include <QStringList>

#include <cmath>

namespace {

const QString kTabBodyImages = QStringLiteral("TabBodyImages");
const QString kButtonEntry = QStringLiteral("ButtonEntry");

} // namespace

const std::array<MouseProfile::TabBodyImagePaths::Slot, MouseProfile::TabBodyImagePaths::kCount>&
MouseProfile::TabBodyImagePaths::pictures()
{
    using T = TabBodyImagePaths;
    static const std::array<Slot, kCount> table{{
        {"ButtonTab", &T::buttonTab},
        {"LedTabOff", &T::ledTabOff},
        {"LedTabBlue", &T::ledTabBlue},
        {"LedTabCyan", &T::ledTabCyan},
        {"LedTabGreen", &T::ledTabGreen},
        {"LedTabPurple", &T::ledTabPurple},
        {"LedTabRed", &T::ledTabRed},
        {"LedTabWhite", &T::ledTabWhite},
        {"LedTabYellow", &T::ledTabYellow},
        {"LedTabIndiBlue", &T::ledTabIndiBlue},
        {"LedTabIndiCyan", &T::ledTabIndiCyan},
        {"LedTabIndiGreen", &T::ledTabIndiGreen},
        {"LedTabIndiPurple", &T::ledTabIndiPurple},
        {"LedTabIndiRed", &T::ledTabIndiRed},
        {"LedTabIndiWhite", &T::ledTabIndiWhite},
        {"LedTabIndiYellow", &T::ledTabIndiYellow},
        {"LedTabLogoBlue", &T::ledTabLogoBlue},
        {"LedTabLogoCyan", &T::ledTabLogoCyan},
        {"LedTabLogoGreen", &T::ledTabLogoGreen},
        {"LedTabLogoPurple", &T::ledTabLogoPurple},
        {"LedTabLogoRed", &T::ledTabLogoRed},
        {"LedTabLogoWhite", &T::ledTabLogoWhite},
        {"LedTabLogoYellow", &T::ledTabLogoYellow},
        {"SensorTabLoDLow", &T::sensorTabLoDLow},
        {"SensorTabLoDHigh", &T::sensorTabLoDHigh},
        {"SettingTab", &T::settingTab},
    }};
    return table;
}

std::array<QString, MouseProfile::TabBodyImagePaths::kCount>
MouseProfile::TabBodyImagePaths::names() const
{
    std::array<QString, kCount> result;
    for (int i = 0; i < kCount; ++i)
        result[i] = this->*(pictures()[i].field);
    return result;
}

QImage MouseProfile::getDeviceThumbImage(qreal ratio) const
{
    return readPicture(mouseImage, false, ratio);
}

AppError MouseProfile::LoadMouseTabImages(QHash<QString, PackagePicture>& tabImages, qreal ratio) const
{
    return LoadMouseTabImages(tabImages, tabBodyImages, ratio);
}

AppError MouseProfile::LoadMouseTabImages(QHash<QString, PackagePicture>& tabImages,
                                          const TabBodyImagePaths& tabNames, qreal ratio,
                                          const AsRead& asRead) const
{
    // The pictures up to the first one named empty (an empty name never
    // reaches the zip tool; it is a picture that cannot be read), each name
    // once, all read by one run of the tool (their twins by one more) and
    // checked whole.
    QStringList names;
    bool allNamed = true;
    for (const QString& name : tabNames.names()) {
        if (name.isEmpty()) {
            allNamed = false;
            break;
        }
        if (!names.contains(name))
            names.push_back(name);
    }
    DeviceProfile::AsRead keyed;
    if (asRead) {
        keyed = [&](const std::vector<PackagePicture>& pictures) {
            QHash<QString, PackagePicture> byName;
            for (size_t i = 0; i < pictures.size(); ++i)
                byName.insert(names[qsizetype(i)], pictures[i]);
            asRead(byName);
        };
    }
    const PictureSet read = readCheckedPictures(names, true, ratio, keyed);
    for (size_t i = 0; i < read.usable; ++i)
        tabImages.insert(names[qsizetype(i)], read.pictures[i]);
    return allNamed && read.isWhole() ? AppError::NoError : AppError::BadParam;
}

QString MouseProfile::description() const
{
    return DeviceProfile::description();
}

AppError MouseProfile::validate() const
{
    if (DeviceProfile::validate() != AppError::NoError)
        return AppError::BadParam;
    for (const ButtonEntry& button : buttonList) {
        if (!parseMargin(button.margin))
            return AppError::BadParam;
    }
    return AppError::NoError;
}

std::optional<QRectF> MouseProfile::parseMargin(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.size() < 4)
        return std::nullopt;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v[i]))
            return std::nullopt;
    }
    return QRectF(v[0], v[1], v[2], v[3]);
}

// ----- reader ----------------------------------------------------------------

void MouseProfileXML::startDocument()
{
    mouseProfile = MouseProfile{};
    isParseTabBodyImages = false;
    isParseButtonGroup = false;
    buttonEntry.reset();
}

void MouseProfileXML::startElement(const QString& name)
{
    if (name == kTabBodyImages) {
        isParseTabBodyImages = true;
        return;
    }
    if (name == kButtonEntry) {
        buttonEntry = MouseProfile::ButtonEntry{};
        isParseButtonGroup = true;
        return;
    }
    tmpKey = name;
}

void MouseProfileXML::characters(const QString& text)
{
    if (!tmpKey)
        return;
    const QString& key = *tmpKey;
    MouseProfile& p = mouseProfile;

    if (isParseTabBodyImages) {
        for (const auto& slot : MouseProfile::TabBodyImagePaths::pictures()) {
            if (key == QLatin1String(slot.element)) {
                p.tabBodyImages.*(slot.field) = text;
                break;
            }
        }
        return;
    }

    if (isParseButtonGroup) {
        if (!buttonEntry)
            return;
        MouseProfile::ButtonEntry& b = *buttonEntry;
        const auto decimal = [&p](const QString& t, int& field) {
            if (const std::optional<int> v = DeviceProfile::parseDecimal(t))
                field = *v;
            else
                p.hasMalformedText = true;
        };
        if (key == QLatin1String("Name"))
            b.name = text;
        else if (key == QLatin1String("Margin"))
            b.margin = text;
        else if (key == QLatin1String("Align"))
            b.align = text;
        else if (key == QLatin1String("Code"))
            decimal(text, b.code);
        else if (key == QLatin1String("Data"))
            decimal(text, b.date);
        return;
    }

    if (p.readHeaderText(key, text))
        return;
    if (key == QLatin1String("MouseImage"))
        p.mouseImage = text;
}

void MouseProfileXML::endElement(const QString& name)
{
    tmpKey.reset();
    if (name == kTabBodyImages) {
        isParseTabBodyImages = false;
    } else if (name == kButtonEntry) {
        if (buttonEntry)
            mouseProfile.buttonList.push_back(*buttonEntry);
        isParseButtonGroup = false;
    }
}
