#include "Generator.h"

#include "Art.h"
#include "Utility/ProfilePackage.h"
#include "Utility/SideBySide.h"
#include "Utility/ZipUtil.h"
#include "XML/DeviceProfile.h"
#include "XML/XmlProfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

namespace mkdata {

namespace {

QString text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

// The member name of a picture drawn at `scale` (2: its double-density twin).
QString densityName(const QString& member, qreal scale)
{
    return scale > 1 ? DeviceProfile::doubleDensityName(member) : member;
}

QString hexId(uint16_t id) { return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')).toUpper(); }

std::vector<Picture> drawAll(const std::vector<std::pair<QString, std::function<QImage()>>>& drawings)
{
    std::vector<Picture> pictures(drawings.size());
    // Drawing the pictures (the twins four times the pixels) takes a while.
    AppUtil::sideBySide(drawings.size(),
                        [&](size_t i, size_t) { pictures[i] = {drawings[i].first, drawings[i].second()}; });
    return pictures;
}

// The header elements every description starts with.
void addHeader(XmlElement& root, const shipped::Model& model, const QString& type)
{
    root.add("Type", type);
    root.add("Name", text(model.name));
    root.add("ProfileExt", text(model.profileExt));
    root.add("ProfileVersion", text(model.profileVersion));
    root.add("VendorID", hexId(model.vendorId));
    root.add("ProductID", hexId(model.productId));
    root.add("InterfaceID", "0");
    root.add("ModelNumber", text(model.modelNumber));
    root.add("MultiDeviceModel", "false");
}

QByteArray documentOf(const XmlElement& root)
{
    const std::optional<QByteArray> doc = XmlProfileWriter::document(root);
    return doc ? *doc : QByteArray();
}

// Writes `bytes` to `path`.
bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size()
        && f.flush();
}

// Moves `from` over `to`.
bool replaceFile(const QString& from, const QString& to)
{
    if (QFileInfo::exists(to) && !QFile::remove(to))
        return false;
    return QFile::rename(from, to);
}

// A description package: "Profile.xml" first, then the pictures, all listed
// in "index.xml".
bool writeDescriptionPackage(const QString& path, const QByteArray& xml,
                             const std::vector<Picture>& pictures, QString& error)
{
    const std::optional<QByteArray> member = AppUtil::dataConvertCRLF(xml);
    if (xml.isEmpty() || !member) {
        error = QStringLiteral("the description of %1 could not be written").arg(path);
        return false;
    }
    ZipUtil::FileList files;
    files.emplace_back(QStringLiteral("Profile.xml"), *member);
    std::vector<QByteArray> png(pictures.size());
    // Compressing the pictures (the twins four times the pixels) is most of
    // this step's time.
    AppUtil::sideBySide(pictures.size(), [&](size_t i, size_t) { png[i] = pngBytes(pictures[i].second); });
    for (size_t i = 0; i < pictures.size(); ++i)
        files.emplace_back(pictures[i].first, png[i]);
    const AppError result = ZipUtil::append(path, files);
    if (result != AppError::NoError) {
        error = QStringLiteral("writing %1 failed (%2)").arg(path).arg(int(result));
        return false;
    }
    return true;
}

} // namespace

const std::vector<QString>& standardColours()
{
    static const std::vector<QString> colours{
        "FF0000", "00FF00", "0000FF", "FFFF00", "00FFFF",
        "FF00FF", "FFFFFF", "FF8000", "8000FF", "FF0080",
    };
    return colours;
}

QString rectText(const std::vector<QRect>& rects)
{
    QStringList parts;
    for (const QRect& r : rects) {
        parts << QString::number(r.x()) << QString::number(r.y()) << QString::number(r.width())
              << QString::number(r.height());
    }
    return parts.join(QLatin1Char(','));
}

QByteArray defaultsXml()
{
    XmlElement root("DefaultProfile");
    XmlElement& languages = root.add("LocalizeList");
    languages.add("string", "en");
    languages.add("string", "ja");
    XmlElement& colours = root.add("StanderdColor");
    for (const QString& c : standardColours())
        colours.add("string", c);
    return documentOf(root);
}

QByteArray keyboardDescriptionXml(const shipped::Model& model, const KeyboardLayout& layout)
{
    XmlElement root("KeyboardProfile");
    addHeader(root, model, "Keyboard");
    root.add("KeyboardType", layout.keyboardType);
    root.add("Offset", QStringLiteral("%1,%2").arg(layout.offset.x()).arg(layout.offset.y()));
    root.add("KeyboardLayout", layout.layoutName);
    root.add("KeycapsNumbers", QString::number(layout.buttonCount()));
    root.add("KeyboardImage", kKeyboardImageMember);
    root.add("KeytopImage", kKeytopImageMember);
    root.add("KeyboardBodyImage", kKeyboardBodyImageMember);
    root.add("APC", "Enable");
    root.add("RGBLED", "Enable");
    root.add("IndicatorLedSettings", "Enable");
    root.add("CropFrameStyle", "FF30C8FF,1.5");
    root.add("LedRainbowLoopTiming", "40");
    root.add("LedShootingStarLoopTiming", "30");
    for (const KeyDef& k : layout.keys) {
        XmlElement& e = root.add("KeytopEntry");
        e.add("Type", k.kind == KeyKind::Button ? "Button" : "LedIndicator");
        e.add("Name", k.name);
        e.add("VKCode", k.vkCode);
        e.add("Code", QString::number(k.code));
        e.add("Group", QString::number(k.group));
        e.add("Keytop", rectText(k.tops));
        e.add("KeyFrame", rectText(k.frames));
        e.add("LedFrame", k.led.isNull() ? QString() : rectText({k.led}));
    }
    return documentOf(root);
}

QByteArray mouseDescriptionXml(const shipped::Model& model, const MouseLayout& layout)
{
    XmlElement root("MouseProfile");
    addHeader(root, model, "Mouse");
    root.add("MouseImage", kMouseImageMember);
    XmlElement& tabs = root.add("TabBodyImages");
    for (const MouseTabPicture& t : layout.tabs)
        tabs.add(t.element, t.member);
    for (const MouseButtonDef& b : layout.buttons) {
        XmlElement& e = root.add("ButtonEntry");
        e.add("Name", b.name);
        e.add("Code", QString::number(b.code));
        e.add("Margin", rectText({b.margin}));
        e.add("Align", QString::number(b.align));
        e.add("Data", QString::number(b.data));
    }
    return documentOf(root);
}

QByteArray pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_ARGB32).save(&buffer, "PNG", 9);
    return bytes;
}

std::vector<Picture> keyboardPictures(const KeyboardLayout& layout)
{
    std::vector<std::pair<QString, std::function<QImage()>>> drawings;
    for (qreal scale : {1, 2}) {
        drawings.emplace_back(densityName(kKeyboardImageMember, scale),
                              [&layout, scale] { return drawKeyboardThumbnail(layout, scale); });
        drawings.emplace_back(densityName(kKeytopImageMember, scale),
                              [&layout, scale] { return drawKeyboardKeytops(layout, scale); });
        drawings.emplace_back(densityName(kKeyboardBodyImageMember, scale),
                              [&layout, scale] { return drawKeyboardBody(layout, scale); });
    }
    return drawAll(drawings);
}

std::vector<Picture> mousePictures(const MouseLayout& layout)
{
    std::vector<std::pair<QString, std::function<QImage()>>> drawings;
    for (qreal scale : {1, 2}) {
        drawings.emplace_back(densityName(kMouseImageMember, scale),
                              [&layout, scale] { return drawMouseThumbnail(layout, scale); });
        for (const MouseTabPicture& t : layout.tabs)
            drawings.emplace_back(densityName(t.member, scale),
                                  [&layout, &t, scale] { return drawMouseTabPicture(layout, t, scale); });
    }
    return drawAll(drawings);
}

KeyboardLayout keyboardLayoutOf(const shipped::Model& model)
{
    return model.jis ? jisFullSizeLayout() : usFullSizeLayout();
}

bool generateAll(const QString& folder, const QString& pictureFolder, QString& error)
{
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    QTemporaryDir staging(QDir(folder).filePath(QStringLiteral(".mkdata-XXXXXX")));
    if (!staging.isValid()) {
        error = QStringLiteral("cannot stage in %1").arg(folder);
        return false;
    }
    if (!pictureFolder.isEmpty() && !QDir().mkpath(pictureFolder)) {
        error = QStringLiteral("cannot create %1").arg(pictureFolder);
        return false;
    }

    // Written into the staging folder first, moved into place at the end.
    QStringList made;

    const QString defaults = text(shipped::kDefaultsFile);
    if (AppUtil::saveProfileData(staging.filePath(defaults), defaultsXml(),
                                 QStringLiteral("profile.xml"))
        != AppError::NoError) {
        error = QStringLiteral("writing %1 failed").arg(defaults);
        return false;
    }
    made << defaults;

    const MouseLayout mouse = mouseLayout();
    for (const shipped::Model& model : shipped::kModels) {
        const QString file = text(model.packageFile);
        QByteArray xml;
        std::vector<Picture> pictures;
        if (model.kind == shipped::Kind::Keyboard) {
            const KeyboardLayout layout = keyboardLayoutOf(model);
            xml = keyboardDescriptionXml(model, layout);
            pictures = keyboardPictures(layout);
        } else {
            xml = mouseDescriptionXml(model, mouse);
            pictures = mousePictures(mouse);
        }
        if (!writeDescriptionPackage(staging.filePath(file), xml, pictures, error))
            return false;
        made << file;
        if (!pictureFolder.isEmpty()) {
            const QString base = QFileInfo(file).completeBaseName();
            for (const Picture& p : pictures) {
                const QString path = QDir(pictureFolder).filePath(base + QLatin1Char('_') + p.first);
                if (!writeFile(path, pngBytes(p.second))) {
                    error = QStringLiteral("cannot write %1").arg(path);
                    return false;
                }
            }
        }
    }

    for (const QString& name : made) {
        if (!replaceFile(staging.filePath(name), QDir(folder).filePath(name))) {
            error = QStringLiteral("cannot move %1 into %2").arg(name, folder);
            return false;
        }
    }
    return true;
}

} // namespace mkdata
