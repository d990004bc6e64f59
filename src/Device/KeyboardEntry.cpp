#include "Device/KeyboardEntry.h"

#include "AppParam.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "Utility/ProfilePackage.h"
#include "XML/KeyboardProfile.h"

#include <QLocale>
#include <QStringList>

#include <cmath>
#include <string>

namespace {

// Splits at "," and drops empty parts.
QStringList nonEmptyParts(const QString& text)
{
    return text.split(QLatin1Char(','), Qt::SkipEmptyParts);
}

QString withoutSpaces(QString text)
{
    text.remove(QLatin1Char(' '));
    return text;
}

double realOrZero(const QString& text)
{
    return KeyboardEntry::parseReal(text).value_or(0.0);
}

} // namespace

// ---------------------------------------------------------------------------
// KeytopEntry

KeytopEntry::KeytopEntry(KeytopEntryType type, QString name, int code, int group,
                         std::vector<QRectF> keytop, std::vector<QRectF> frame, QRectF ledFrame)
    : type(type), name(std::move(name)), code(code), group(group), keytop(std::move(keytop)),
      frame(std::move(frame)), ledFrame(ledFrame)
{
}

// ---------------------------------------------------------------------------
// KeyboardEntry: construction and text syntax

KeyboardEntry::KeyboardEntry()
    : ledSelect{{FunctionItem::UserSetting, ColorSelect::UserSetting1},
                {FunctionItem::PressedKeyLighting, ColorSelect::DirectSelect},
                {FunctionItem::PressedKeyLightingWithBL, ColorSelect::DirectSelect},
                {FunctionItem::ShootingStar, ColorSelect::DirectSelect}},
      ledColor{{FunctionItem::PressedKeyLighting, AppColor::black()},
               {FunctionItem::PressedKeyLightingWithBL, AppColor::black()},
               {FunctionItem::ShootingStar, AppColor::black()}}
{
}

KeyboardEntry::~KeyboardEntry() = default;

std::optional<double> KeyboardEntry::parseReal(const QString& text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::vector<QRectF> KeyboardEntry::parseRectList(const QString& text, QPointF offset)
{
    const QStringList parts = nonEmptyParts(withoutSpaces(text));
    std::vector<QRectF> rects;
    const qsizetype count = parts.size() / 4;
    rects.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i) {
        rects.emplace_back(realOrZero(parts[4 * i]) + offset.x(),
                           realOrZero(parts[4 * i + 1]) + offset.y(), realOrZero(parts[4 * i + 2]),
                           realOrZero(parts[4 * i + 3]));
    }
    return rects;
}

QRectF KeyboardEntry::parseLedFrame(const QString& text, QPointF offset)
{
    if (text.isEmpty())
        return QRectF(0, 0, 0, 0);
    const QStringList parts = nonEmptyParts(withoutSpaces(text));
    auto part = [&](qsizetype i) { return i < parts.size() ? realOrZero(parts[i]) : 0.0; };
    return QRectF(part(0) + offset.x(), part(1) + offset.y(), part(2), part(3));
}

// ---------------------------------------------------------------------------
// KeyboardEntry: description

AppError KeyboardEntry::loadProfile(const QString& path)
{
    KeyboardProfile description;
    const AppError result = AppUtil::loadProfile(path, description, QString::fromLatin1(kDescriptionMember));
    if (result != AppError::NoError) {
        profilePath.clear();
        return result;
    }
    description.profilePath = path;
    return loadDescription(description);
}

AppError KeyboardEntry::loadDescription(const KeyboardProfile& description)
{
    // A text the reader could not convert (a "Code" that is no number) would
    // give a key the wrong code: the description is as unusable as one that
    // could not be read.
    if (description.hasMalformedText) {
        profilePath.clear();
        return AppError::BadParam;
    }

    // IDs that are not hexadecimal read as 0, which no device matches.
    productID = DeviceProfile::parseHexId(description.productID).value_or(0);
    vendorID = DeviceProfile::parseHexId(description.vendorID).value_or(0);

    modelName_ = description.name;
    keyboardType = description.keyboardType;
    profileExt_ = description.profileExt;

    supportAPC = description.APC == QLatin1String("Enable");
    supportIndicatorLedSettings = description.indicatorLedSettings == QLatin1String("Enable");

    const QStringList crop = nonEmptyParts(description.cropFrameStyle);
    if (!crop.isEmpty())
        cropFrameColor = AppUtil::strToColorArgb(crop[0]);
    if (crop.size() > 1) {
        if (const auto width = parseReal(crop[1]))
            cropFrameWidth = *width;
    }

    if (const auto timing = DeviceProfile::parseDecimal(description.ledRainbowLoopTiming))
        ledRainbowLoopTiming = *timing;
    if (const auto timing = DeviceProfile::parseDecimal(description.ledShootingStarLoopTiming))
        ledShootingStarLoopTiming = *timing;

    const QStringList offsetParts = nonEmptyParts(description.offset);
    if (offsetParts.size() >= 2) {
        const auto x = parseReal(offsetParts[0]);
        const auto y = parseReal(offsetParts[1]);
        if (x && y)
            offset = QPointF(*x, *y);
    }

    keytopList.clear();
    keytopList.reserve(description.keytopList.size());
    for (const KeyboardProfile::KeytopEntry& key : description.keytopList) {
        if (!KeytopEntry::isDescribableCode(key.code)) {
            Logger::log(std::string("Keyboard Profile load Bad Param."), __FILE__, __LINE__,
                        "loadProfile(path:)");
            return AppError::BadParam;
        }
        const KeytopEntryType type = key.type == KeytopEntryType::LedIndicator
            ? KeytopEntryType::LedIndicator
            : KeytopEntryType::Button;
        keytopList.emplace_back(type, key.name, key.code, key.group,
                                parseRectList(key.keytop, offset),
                                parseRectList(key.keyFrame, offset),
                                parseLedFrame(key.ledFrame, offset));
    }

    flippedKeytopFrame();
    profilePath = description.profilePath;
    return AppError::NoError;
}

AppError KeyboardEntry::checkDescription(const KeyboardProfile& description)
{
    if (description.hasMalformedText)
        return AppError::BadParam;
    for (const KeyboardProfile::KeytopEntry& key : description.keytopList) {
        if (!KeytopEntry::isDescribableCode(key.code))
            return AppError::BadParam;
    }
    return AppError::NoError;
}

void KeyboardEntry::flippedKeytopFrame()
{
    const double height = AppParam::mainFrame.height();
    auto flip = [height](QRectF& r) { r.moveTop(height - (r.y() + r.height())); };
    for (KeytopEntry& key : keytopList) {
        for (QRectF& r : key.keytop)
            flip(r);
        for (QRectF& r : key.frame)
            flip(r);
        flip(key.ledFrame);
    }
}

// ---------------------------------------------------------------------------
// KeyboardEntry: connection

AppError KeyboardEntry::open(uint32_t location) { return openSession(location); }

AppError KeyboardEntry::close(bool connected)
{
    AppError result = AppError::NoError;
    if (hidIsOpened() && connected)
        result = CMD_StartEnd(eAppStEd::End);
    hidClose();
    return result;
}

AppError KeyboardEntry::getDeviceInfo(uint32_t /*location*/)
{
    return AppError::Error;
}

// ---------------------------------------------------------------------------
// KeyboardEntry: reading the settings

KeyboardEntry::StatusResult KeyboardEntry::loadDeviceStatus(DeviceParamPart param)
{
    hidWait();
    switch (param) {
    case DeviceParamPart::KeyLockStatus: {
        KeyLockFunction value = KeyLockFunction::Disable;
        const AppError e = CMD_GetKeyLockEnable(value);
        if (e != AppError::NoError)
            return {e, false};
        if (value == keyLockEnable)
            return {AppError::NoError, false};
        keyLockEnable = value;
        return {AppError::NoError, true};
    }
    case DeviceParamPart::KeyCodeChangeStatus: {
        KeyCodeChange value = KeyCodeChange::Disable;
        const AppError e = CMD_GetKeyCodeChange(value);
        if (e != AppError::NoError)
            return {e, false};
        if (value == deviceKeyCodeChange)
            return {AppError::NoError, false};
        deviceKeyCodeChange = value;
        return {AppError::NoError, true};
    }
    }
    return {AppError::BadParam, false};
}

AppError KeyboardEntry::loadDeviceParam()
{
    for (KeytopEntry& key : keytopList) {
        key.apcLevel = ApcLevel::None;
        key.lock = KeytopLock::Unlock;
        for (AppColor& c : key.userColor)
            c = AppColor::clear();
    }

    // Brightness, then the APC levels: the first error stops these reads.
    int bright = rawValue(ledBrightness);
    AppError readError = CMD_GetBright(bright);
    if (readError == AppError::NoError) {
        // A value without a brightness level leaves the model's level.
        if (const auto level = fromRaw<LedBrightness>(bright))
            ledBrightness = *level;
    }
    hidWait();

    if (readError == AppError::NoError && supportAPC) {
        ApcLevel all = ApcLevel::None;
        readError = CMD_GetOnPos_AllKey(all);
        if (readError == AppError::NoError)
            apcLevel = all;
        hidWait();
        if (readError == AppError::NoError) {
            std::vector<ApcLevel> levels;
            readError = CMD_GetOnPos(levels);
            if (readError == AppError::NoError) {
                for (KeytopEntry& key : keytopList) {
                    if (key.hasPerKeySettings() && size_t(key.code) < levels.size())
                        key.apcLevel = levels[size_t(key.code)];
                }
            }
            hidWait();
        }
    }

    // The indicator colour is read whatever happened above; its own error
    // is not reported.
    if (supportIndicatorLedSettings) {
        std::vector<AppColor> colors;
        if (CMD_GetIndicatorLed(0, colors) == AppError::NoError && !colors.empty())
            indicatorLedColor = colors.front();
        hidWait();
    }

    if (readError != AppError::NoError)
        return readError;

    AppError e = loadDeviceStatus(DeviceParamPart::KeyCodeChangeStatus).error;
    hidWait();
    if (e != AppError::NoError)
        return e;

    e = loadDeviceStatus(DeviceParamPart::KeyLockStatus).error;
    hidWait();
    if (e != AppError::NoError)
        return e;

    std::vector<KeytopLock> locks;
    e = CMD_GetKeyLock(locks);
    if (e == AppError::NoError) {
        for (KeytopEntry& key : keytopList) {
            if (key.hasPerKeySettings() && size_t(key.code) < locks.size())
                key.lock = locks[size_t(key.code)];
        }
    }
    hidWait();
    return e;
}

AppError KeyboardEntry::stopEffect()
{
    if (!supportRGBLED)
        return AppError::NoError;
    const AppError e = CMD_StopEffect();
    hidWait();
    return e;
}

DeviceType KeyboardEntry::deviceType() { return DeviceType::Keyboard; }

bool KeyboardEntry::isEnable() { return !profilePath.isEmpty(); }
