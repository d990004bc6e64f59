#include "XML/ApplicationProfile.h"

#include "AppParam.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "Utility/ProfilePackage.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace {

const QString kMember = QStringLiteral("profile.xml");
const QString kMinPosition = QStringLiteral("minPosition");
const QString kMaxPosition = QStringLiteral("maxPosition");
const QString kCustomColor = QStringLiteral("CustomColor");

// Optional sign, then one or more ASCII digits, within 64 bits.
std::optional<int64_t> parseInt64(const QString& text)
{
    bool ok = false;
    if (text.isEmpty())
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool sign = i == 0 && (c == QLatin1Char('+') || c == QLatin1Char('-'));
        if (!sign && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return std::nullopt;
    }
    const qlonglong value = text.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return static_cast<int64_t>(value);
}

// A coordinate written as an integer: truncated toward zero; 0 when it is not
// finite or does not fit 64 bits.
QString coordinateText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    const double t = std::trunc(value);
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (t < -limit || t >= limit)
        return QStringLiteral("0");
    return QString::number(static_cast<qint64>(t));
}

template <class E>
QString caseText(E value)
{
    const std::string_view name = caseName(value);
    return QString::fromLatin1(name.data(), qsizetype(name.size()));
}

bool withoutDocumentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).isEmpty();
}

} // namespace

// ----- model -----------------------------------------------------------------

QString ApplicationProfile::filePath()
{
    return AppUtil::appWorkFolder() + QString::fromLatin1(AppParam::APP_SETTINGS_INI);
}

QString ApplicationProfile::storedPath(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path;
    if (QFileInfo(path).isFile())
        return path;
    return path + QLatin1Char('/');
}

void ApplicationProfile::applyToAppParam(const ApplicationProfile& profile)
{
    const int tab = rawValue(profile.functionTabSelect);
    AppParam::functionTabSelect =
        (tab >= 1 && tab <= 8) ? profile.functionTabSelect : FunctionTab::ApcSetting;

    AppParam::selectColor = AppUtil::strToColorArgb(profile.selectColor);

    // Each text is "AARRGGBB"; only its lowest 32 bits count, so the alpha
    // stays within one byte.
    const std::size_t colors = std::min(AppParam::customColor.size(), profile.customColor.size());
    for (std::size_t i = 0; i < colors; ++i)
        AppParam::customColor[i] = AppUtil::strToColorArgb(profile.customColor[i]);

    const int64_t last = static_cast<int64_t>(AppParam::customColor.size()) - 1;
    AppParam::customColorSelect =
        static_cast<int>(std::max<int64_t>(0, std::min<int64_t>(profile.customColorSelect, last)));

    AppParam::firmwareFilePath = storedPath(profile.firmwareFilePath);
    AppParam::userProfileFilePath = storedPath(profile.profileFilePath);
    AppParam::selectDeviceLocation = profile.selectDevice;
    AppParam::selectDeviceType = profile.selectDeviceType;
    AppParam::windowPlacement = profile.windowPlacement;
}

ApplicationProfile ApplicationProfile::fromAppParam()
{
    ApplicationProfile profile;
    profile.functionTabSelect = AppParam::functionTabSelect;
    profile.selectColor = AppUtil::colorToStr(AppParam::selectColor);
    const std::size_t colors = std::min(AppParam::customColor.size(), profile.customColor.size());
    for (std::size_t i = 0; i < colors; ++i)
        profile.customColor[i] = AppUtil::colorToStr(AppParam::customColor[i]);
    profile.customColorSelect = AppParam::customColorSelect;
    profile.firmwareFilePath = storedPath(AppParam::firmwareFilePath);
    profile.profileFilePath = storedPath(AppParam::userProfileFilePath);
    profile.selectDevice = AppParam::selectDeviceLocation;
    profile.selectDeviceType = AppParam::selectDeviceType;
    profile.windowPlacement = AppParam::windowPlacement;
    return profile;
}

AppError ApplicationProfile::read(const QString& path, ApplicationProfile& out)
{
    return AppUtil::loadProfile(path, out, kMember);
}

AppError ApplicationProfile::load()
{
    ApplicationProfile profile;
    const AppError result = read(filePath(), profile);
    return load(result, profile);
}

AppError ApplicationProfile::load(AppError readResult, const ApplicationProfile& profile)
{
    AppError result = readResult;
    if (result == AppError::NoError)
        applyToAppParam(profile);
    else
        AppParam::functionTabSelect = FunctionTab::ApcSetting;

    if (withoutDocumentsFolder())
        return AppError::FileWrite;
    const QString documents = AppUtil::documentsFolder();
    if (AppParam::firmwareFilePath.isEmpty())
        AppParam::firmwareFilePath = documents;
    if (AppParam::userProfileFilePath.isEmpty()) {
        AppParam::userProfileFilePath = documents + QString::fromLatin1(AppParam::APP_WORK_PATH);
        if (!QDir().mkpath(AppParam::userProfileFilePath))
            result = AppError::FileWrite;
    }
    return result;
}

AppError ApplicationProfile::save()
{
    const ApplicationProfile profile = fromAppParam();

    const QString folder = AppUtil::appWorkFolder();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        Logger::log(std::string("Error: create profile copy directory"), __FILE__, __LINE__,
                    "save()");
        return AppError::FileWrite;
    }

    if (AppUtil::saveProfile(filePath(), profile, kMember) != AppError::NoError) {
        AppUtil::messageBox(QStringLiteral("CanNotWriteToThisFolder"), QStringLiteral("OK"),
                            QString());
        return AppError::FileNotExist;
    }
    return AppError::NoError;
}

// ----- reader ----------------------------------------------------------------

void ApplicationProfileXML::startDocument()
{
    appProfile = ApplicationProfile{};
    isParseMinPositionGroup = false;
    isParseMaxPositionGroup = false;
    isParseCustomColorGroup = false;
    customColorIndex = 0;
}

void ApplicationProfileXML::startElement(const QString& name)
{
    if (name == kMinPosition) {
        isParseMinPositionGroup = true;
    } else if (name == kMaxPosition) {
        isParseMaxPositionGroup = true;
    } else if (name == kCustomColor) {
        isParseCustomColorGroup = true;
        customColorIndex = 0;
    } else {
        tmpKey = name;
    }
}

void ApplicationProfileXML::characters(const QString& text)
{
    if (!tmpKey)
        return;
    const QString& key = *tmpKey;
    ApplicationProfile& p = appProfile;
    WINDOWPLACEMENT& w = p.windowPlacement;

    if (isParseCustomColorGroup) {
        // The n-th "string" element of the block fills slot n; the index moves
        // on at the element's end, so an empty element keeps its slot.
        if (key == QLatin1String("string") && customColorIndex >= 0
            && std::size_t(customColorIndex) < p.customColor.size())
            p.customColor[std::size_t(customColorIndex)] = text;
        return;
    }

    const std::optional<int64_t> number = parseInt64(text);
    const auto integer = [&number](int64_t& field) {
        if (number)
            field = *number;
    };

    if (key == QLatin1String("CustomColorSelect")) {
        integer(p.customColorSelect);
    } else if (key == QLatin1String("length")) {
        integer(w.length);
    } else if (key == QLatin1String("flags")) {
        integer(w.flags);
    } else if (key == QLatin1String("showCmd")) {
        integer(w.showCmd);
    } else if (key == QLatin1String("X") || key == QLatin1String("Y")) {
        if (!number)
            return;
        QPointF* point = isParseMinPositionGroup   ? &w.minPosition
                         : isParseMaxPositionGroup ? &w.maxPosition
                                                   : nullptr;
        if (!point)
            return;
        if (key == QLatin1String("X"))
            point->setX(double(*number));
        else
            point->setY(double(*number));
    } else if (key == QLatin1String("Left")) {
        if (number)
            w.normalPosition.moveLeft(double(*number));
    } else if (key == QLatin1String("Top")) {
        if (number)
            w.normalPosition.moveTop(double(*number));
    } else if (key == QLatin1String("Right")) {
        if (number)
            w.normalPosition.setWidth(double(*number));
    } else if (key == QLatin1String("Bottom")) {
        if (number)
            w.normalPosition.setHeight(double(*number));
    } else if (key == QLatin1String("FunctionTabSelect")) {
        p.functionTabSelect =
            fromName<FunctionTab>(text.toStdString()).value_or(FunctionTab::None);
    } else if (key == QLatin1String("ProfileFilePath")) {
        p.profileFilePath += text;
    } else if (key == QLatin1String("FirmwareFilePath")) {
        p.firmwareFilePath += text;
    } else if (key == QLatin1String("SelectDevice")) {
        if (number && *number >= std::numeric_limits<int32_t>::min()
            && *number <= std::numeric_limits<int32_t>::max())
            p.selectDevice = static_cast<int32_t>(*number);
    } else if (key == QLatin1String("SelectDeviceType")) {
        if (text == QLatin1String("Keyboard"))
            p.selectDeviceType = DeviceType::Keyboard;
        else if (text == QLatin1String("Mouse"))
            p.selectDeviceType = DeviceType::Mouse;
        else
            p.selectDeviceType = DeviceType::Unknown;
    } else if (key == QLatin1String("SelectColor")) {
        p.selectColor = text;
    }
}

void ApplicationProfileXML::endElement(const QString& name)
{
    tmpKey.reset();
    if (name == kMinPosition) {
        isParseMinPositionGroup = false;
    } else if (name == kMaxPosition) {
        isParseMaxPositionGroup = false;
    } else if (name == kCustomColor) {
        isParseCustomColorGroup = false;
        customColorIndex = 0;
    } else if (isParseCustomColorGroup && name == QLatin1String("string")
               && customColorIndex < std::numeric_limits<int>::max()) {
        ++customColorIndex;
    }
}

// ----- writer ----------------------------------------------------------------

std::optional<QByteArray> ApplicationProfileXML::construct(const ApplicationProfile& profile)
{
    const WINDOWPLACEMENT& w = profile.windowPlacement;

    XmlElement root(QStringLiteral("ApplicationProfile"));
    root.add(QStringLiteral("CustomColorSelect"), QString::number(profile.customColorSelect));

    XmlElement& placement = root.add(QStringLiteral("WindowPlacement"));
    placement.add(QStringLiteral("length"), QString::number(w.length));
    placement.add(QStringLiteral("flags"), QString::number(w.flags));
    placement.add(QStringLiteral("showCmd"), QString::number(w.showCmd));
    XmlElement& minPosition = placement.add(kMinPosition);
    minPosition.add(QStringLiteral("X"), coordinateText(w.minPosition.x()));
    minPosition.add(QStringLiteral("Y"), coordinateText(w.minPosition.y()));
    XmlElement& maxPosition = placement.add(kMaxPosition);
    maxPosition.add(QStringLiteral("X"), coordinateText(w.maxPosition.x()));
    maxPosition.add(QStringLiteral("Y"), coordinateText(w.maxPosition.y()));
    XmlElement& normal = placement.add(QStringLiteral("normalPosition"));
    normal.add(QStringLiteral("Left"), coordinateText(w.normalPosition.x()));
    normal.add(QStringLiteral("Top"), coordinateText(w.normalPosition.y()));
    normal.add(QStringLiteral("Right"), coordinateText(w.normalPosition.width()));
    normal.add(QStringLiteral("Bottom"), coordinateText(w.normalPosition.height()));

    root.add(QStringLiteral("FunctionTabSelect"), caseText(profile.functionTabSelect));
    // A path XML cannot carry (Linux allows control characters in names) is
    // not stored, so the rest of the settings still is; the default folder
    // applies to it after the next load.
    const auto storable = [](const QString& path) {
        return XmlProfileWriter::canCarry(path) ? path : QString();
    };
    root.add(QStringLiteral("ProfileFilePath"), storable(profile.profileFilePath));
    root.add(QStringLiteral("FirmwareFilePath"), storable(profile.firmwareFilePath));
    root.add(QStringLiteral("SelectDevice"), QString::number(profile.selectDevice));
    root.add(QStringLiteral("SelectDeviceType"), caseText(profile.selectDeviceType));
    root.add(QStringLiteral("SelectColor"), profile.selectColor);

    XmlElement& colors = root.add(kCustomColor);
    for (const QString& color : profile.customColor)
        colors.add(QStringLiteral("string"), color);

    return XmlProfileWriter::document(root);
}
