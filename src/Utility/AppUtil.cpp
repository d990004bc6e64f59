#include "Utility/AppUtil.h"
#include "BuildPaths.h"

#include "Utility/HexText.h"

#include <cmath>
#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include "AppParam.h"
#include "IMainController.h"
#include "Platform/Hid/HidBackend.h"

namespace AppUtil {

namespace {

QString withSlash(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString& appWorkOverride()
{
    static QString folder;
    return folder;
}

QString& resourceOverride()
{
    static QString folder;
    return folder;
}

// Reads the text as a signed 64-bit integer in base 16: an optional sign,
// then one or more hex digits and nothing else. Overflow does not read.
std::optional<int64_t> parseHexInt64(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= text.size())
        return std::nullopt;
    // Magnitude limit: 2^63 - 1, or 2^63 for a negative value.
    const uint64_t limit = negative ? (uint64_t(1) << 63) : (uint64_t(1) << 63) - 1;
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const int d = hexDigitValue(text[i]);
        if (d < 0)
            return std::nullopt;
        if (magnitude > (limit - uint64_t(d)) / 16)
            return std::nullopt;
        magnitude = magnitude * 16 + uint64_t(d);
    }
    if (negative)
        return static_cast<int64_t>(uint64_t(0) - magnitude);
    return static_cast<int64_t>(magnitude);
}


} // namespace

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

int messageBox(const QString& messageKey, const QString& okKey, const QString& cancelKey)
{
    IMainController* controller = AppParam::mainController;
    if (!controller)
        return 0;
    return controller->runMessageBox(messageKey, okKey, cancelKey);
}

QPointF messageBoxPosition(const QRectF& mainFrame, const QSizeF& dialogSize)
{
    return QPointF(mainFrame.x() + mainFrame.width() * 0.5 - dialogSize.width() * 0.5,
                   mainFrame.y() + 80.0);
}

bool isConnectedDevice(int32_t location)
{
    const uint32_t wanted = static_cast<uint32_t>(location);
    const platform::hid::UsagePair usages[] = {platform::hid::kVendorUsage};
    for (const auto& info : platform::hid::backend().enumerate(usages))
        if (info.location == wanted && info.hasUsage(platform::hid::kVendorUsage))
            return true;
    return false;
}

AppColor strToColorArgb(const QString& colorString)
{
    const int64_t value = parseHexInt64(colorString).value_or(0);
    const uint64_t bits = static_cast<uint64_t>(value);
    const auto part = [bits](int shift) { return double((bits >> shift) & 0xFF) / 255.0; };
    return AppColor::rgba(part(16), part(8), part(0), part(24));
}

QString colorToStr(const AppColor& color)
{
    double red = 1.0, green = 1.0, blue = 1.0, alpha = 1.0;
    if (color.isConvertible()) {
        red = color.red;
        green = color.green;
        blue = color.blue;
        alpha = color.alpha;
    }
    std::string text;
    for (double component : {alpha, red, green, blue})
        text += hexText(AppColor::componentByte(component), 2);
    return QString::fromStdString(text);
}

void convertImageSizeToDpi72(QImage& image)
{
    if (image.isNull())
        return;
    constexpr int dotsPerMeter72 = 2835; // 72 / 0.0254, rounded
    image.setDevicePixelRatio(1.0);
    image.setDotsPerMeterX(dotsPerMeter72);
    image.setDotsPerMeterY(dotsPerMeter72);
}

QString appWorkFolder()
{
    if (!appWorkOverride().isEmpty())
        return appWorkOverride();
    const QString base =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return withSlash(base) + QString::fromLatin1(AppParam::APP_WORK_PATH);
}

void setAppWorkFolderForTesting(const QString& folder)
{
    appWorkOverride() = folder.isEmpty() ? QString() : withSlash(folder);
}

QString documentsFolder()
{
    return withSlash(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

QString resourceDataFolder()
{
    if (!resourceOverride().isEmpty())
        return resourceOverride();
    if (QCoreApplication::instance()) {
        const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath()
                                                  + QStringLiteral("/../share/kolventra"));
        if (QFileInfo(installed + QStringLiteral("/Profile")).isDir())
            return withSlash(installed);
    }
    return withSlash(QStringLiteral(KOLVENTRA_BUILD_DATA_DIR));
}

QString resourceProfileFolder()
{
    return resourceDataFolder() + QStringLiteral("Profile/");
}

void setResourceDataFolder(const QString& folder)
{
    resourceOverride() = folder.isEmpty() ? QString() : withSlash(folder);
}

QStringList getApplicationProfilePaths()
{
    const QString folder = resourceProfileFolder();
    const QDir dir(folder);
    QStringList paths;
    for (const char* ext : {AppParam::KeyboardProfileExt, AppParam::MouseProfileExt}) {
        const QStringList names =
            dir.entryList({QStringLiteral("*") + QString::fromLatin1(ext)},
                          QDir::Files | QDir::Readable | QDir::CaseSensitive, QDir::Name);
        for (const QString& name : names)
            paths << folder + name;
    }
    return paths;
}

bool isDarkMode()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    return isDarkPalette(QGuiApplication::palette());
}

bool isDarkPalette(const QPalette& palette)
{
    return palette.color(QPalette::Active, QPalette::Window).lightness() < 128;
}

} // namespace AppUtil
