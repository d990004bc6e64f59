// The data the build generates (share/kolventra/Profile in the build tree):
// every shipped file loads through the real readers, every picture decodes,
// the key and label rectangles agree with the pictures, and the packages
// carry the identities of ShippedModels.h.
#include "BuildPaths.h"
#include "AppParam.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "Utility/Crc16.h"
#include "Utility/ProfilePackage.h"
#include "Utility/ZipUtil.h"
#include "XML/DefaultProfile.h"
#include "XML/FileIndexXML.h"
#include "XML/KeyboardProfile.h"
#include "XML/MouseProfile.h"

#include <QFileInfo>
#include <QHash>
#include <QRectF>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <ostream>
#include <set>
#include <tuple>
#include <vector>

namespace shipped {
// Test names and failure messages show a model by its model key.
void PrintTo(const Model& m, std::ostream* os) { *os << m.profileExt; }
} // namespace shipped

namespace {

const QString kDataFolder = QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra");
const QString kProfileFolder = kDataFolder + QStringLiteral("/Profile/");

QString text(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QString packagePath(const shipped::Model& m) { return kProfileFolder + text(m.packageFile); }

std::vector<shipped::Model> modelsOf(shipped::Kind kind)
{
    std::vector<shipped::Model> out;
    for (const shipped::Model& m : shipped::kModels) {
        if (m.kind == kind)
            out.push_back(m);
    }
    return out;
}

// "x,y,w,h" repeated: blanks removed, empty parts dropped, four numbers per
// rectangle. Fails the test on a part that is not a number or a partial
// rectangle (the shipped data has neither).
std::vector<QRectF> rects(const QString& text)
{
    QStringList parts = QString(text).remove(QLatin1Char(' ')).split(QLatin1Char(','), Qt::SkipEmptyParts);
    std::vector<double> numbers;
    for (const QString& p : parts) {
        bool ok = false;
        numbers.push_back(p.toDouble(&ok));
        EXPECT_TRUE(ok) << "not a number: " << p.toStdString() << " in " << text.toStdString();
    }
    EXPECT_EQ(numbers.size() % 4, 0u) << text.toStdString();
    std::vector<QRectF> out;
    for (size_t i = 0; i + 3 < numbers.size(); i += 4)
        out.emplace_back(numbers[i], numbers[i + 1], numbers[i + 2], numbers[i + 3]);
    return out;
}

QPointF offsetOf(const KeyboardProfile& p)
{
    const QStringList parts = p.offset.split(QLatin1Char(','), Qt::SkipEmptyParts);
    EXPECT_EQ(parts.size(), 2) << p.offset.toStdString();
    if (parts.size() != 2)
        return {};
    return {parts[0].toDouble(), parts[1].toDouble()};
}

bool inside(const QRectF& outer, const QRectF& inner)
{
    return inner.width() > 0 && inner.height() > 0 && inner.left() >= outer.left()
        && inner.top() >= outer.top() && inner.right() <= outer.right()
        && inner.bottom() <= outer.bottom();
}

int alphaAt(const QImage& img, const QPointF& pt)
{
    return qAlpha(img.pixel(int(pt.x()), int(pt.y())));
}

// Sum of the squared steps between neighbouring pixels: an edge drawn
// crisp counts about twice what the same edge enlarged from half the
// pixels does (two half steps).
double edgeEnergy(const QImage& picture)
{
    const QImage img = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    double sum = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 1; x < img.width(); ++x) {
            const int step = qRed(row[x]) - qRed(row[x - 1]) + qGreen(row[x]) - qGreen(row[x - 1])
                + qBlue(row[x]) - qBlue(row[x - 1]) + qAlpha(row[x]) - qAlpha(row[x - 1]);
            sum += double(step) * step;
        }
    }
    return sum;
}

// `two`, read for a screen ratio of 2, is the double-density twin of `one`:
// twice the pixels each way at ratio 2, the same drawing, drawn anew rather
// than enlarged (the drawing compared when `compareDrawing`).
void expectTwin(const QImage& one, const QImage& two, bool compareDrawing = true)
{
    ASSERT_FALSE(one.isNull());
    ASSERT_FALSE(two.isNull());
    EXPECT_EQ(one.devicePixelRatio(), 1);
    EXPECT_EQ(two.devicePixelRatio(), 2);
    ASSERT_EQ(two.size(), one.size() * 2);
    if (!compareDrawing)
        return;
    const QImage shrunk = two.scaled(one.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage base = one.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    qint64 off = 0;
    for (int y = 0; y < base.height(); ++y)
        for (int x = 0; x < base.width(); ++x)
            off += std::abs(qGray(shrunk.pixel(x, y)) - qGray(base.pixel(x, y))) > 64;
    EXPECT_LT(off, qint64(base.width()) * base.height() / 100) << "not the same drawing";
    const QImage enlarged = one.scaled(two.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_GT(edgeEnergy(two), 1.3 * edgeEnergy(enlarged)) << "no sharper than the picture enlarged";
}

class ShippedData : public ::testing::Test {
protected:
    void SetUp() override { AppUtil::setResourceDataFolder(kDataFolder); }
    void TearDown() override { AppUtil::setResourceDataFolder(QString()); }
};

// One shipped package per model of the parameter, its description read into
// `Profile` (KeyboardProfile or MouseProfile).
template <class Profile>
class ShippedPackage : public ShippedData, public ::testing::WithParamInterface<shipped::Model> {
protected:
    void SetUp() override
    {
        ShippedData::SetUp();
        model = GetParam();
        path = packagePath(model);
        ASSERT_EQ(AppUtil::loadProfile(path, profile, QStringLiteral("Profile.xml")), AppError::NoError);
        profile.profilePath = path;
    }

    // The description header carries the model's shipped identity.
    void expectShippedIdentity() const
    {
        EXPECT_EQ(profile.validate(), AppError::NoError);
        EXPECT_EQ(profile.name, text(model.name));
        EXPECT_EQ(profile.profileExt, text(model.profileExt));
        EXPECT_EQ(profile.modelNumber, text(model.modelNumber));
        EXPECT_EQ(profile.profileVersion, text(model.profileVersion));
        EXPECT_EQ(profile.vendorIdValue(), model.vendorId);
        EXPECT_EQ(profile.productIdValue(), model.productId);
        ASSERT_TRUE(profile.versionNumber().has_value());
        EXPECT_GE(*profile.versionNumber(), 1002.0); // the lowest version the enumeration accepts
        EXPECT_FALSE(profile.multiDeviceModel);
    }

    shipped::Model model{};
    QString path;
    Profile profile;
};

// Test names show the model key.
std::string modelKey(const ::testing::TestParamInfo<shipped::Model>& info)
{
    return std::string(info.param.profileExt);
}

// ----- the set of files ---------------------------------------------------------

TEST_F(ShippedData, TheShippedFolderHoldsExactlyTheShippedModels)
{
    EXPECT_TRUE(QFileInfo::exists(kProfileFolder + text(shipped::kDefaultsFile)));
    // Keyboard packages, then mouse packages, each sorted by name.
    QStringList expected;
    for (shipped::Kind kind : {shipped::Kind::Keyboard, shipped::Kind::Mouse}) {
        QStringList paths;
        for (const shipped::Model& m : modelsOf(kind))
            paths << packagePath(m);
        paths.sort();
        expected << paths;
    }
    EXPECT_EQ(AppUtil::getApplicationProfilePaths(), expected);

    // Distinct identities, model keys and package names.
    std::set<std::pair<uint16_t, uint16_t>> ids;
    std::set<std::string_view> models, exts, files;
    for (const shipped::Model& m : shipped::kModels) {
        EXPECT_TRUE(ids.insert({m.vendorId, m.productId}).second);
        EXPECT_TRUE(models.insert(m.modelNumber).second);
        EXPECT_TRUE(exts.insert(m.profileExt).second);
        EXPECT_TRUE(files.insert(m.packageFile).second);
        EXPECT_LE(m.modelNumber.size(), 8u);
        EXPECT_GE(m.modelNumber.size(), 5u); // shorter ones get a suffix from the device
    }
}

// Every member the index lists has the CRC the index gives; every picture a
// description names is a member of its package.
TEST_F(ShippedData, EveryIndexEntryMatchesItsMember)
{
    QStringList files{kProfileFolder + text(shipped::kDefaultsFile)};
    for (const shipped::Model& m : shipped::kModels)
        files << packagePath(m);
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        FileIndex index;
        ASSERT_EQ(AppUtil::loadProfile(file, index, AppUtil::kIndexMemberName), AppError::NoError);
        ASSERT_FALSE(index.fileIndexEntry.empty());
        QSet<QString> names;
        for (const FileIndex::FileIndexEntry& e : index.fileIndexEntry) {
            EXPECT_TRUE(ZipUtil::isValidMemberName(e.name)) << e.name.toStdString();
            EXPECT_FALSE(names.contains(e.name)) << e.name.toStdString();
            names.insert(e.name);
            const QByteArray bytes = ZipUtil::load(file, e.name, false);
            ASSERT_FALSE(bytes.isEmpty()) << e.name.toStdString();
            EXPECT_EQ(Crc16::toText(Crc16::compute(bytes)), e.sign) << e.name.toStdString();
            if (e.name.endsWith(QLatin1String(".xml"))) {
                // XML members are stored with CR LF line ends.
                EXPECT_GT(bytes.count("\r\n"), 0);
                EXPECT_EQ(bytes.count("\r\n"), bytes.count('\n'));
            }
        }
    }
}

// ----- the defaults file ----------------------------------------------------------

TEST_F(ShippedData, DefaultsFileLoadsIntoTheApplicationState)
{
    DefaultProfile profile;
    ASSERT_EQ(AppUtil::loadProfile(DefaultProfile::filePath(), profile, QStringLiteral("profile.xml")),
              AppError::NoError);
    EXPECT_FALSE(profile.localizeList.isEmpty());
    ASSERT_EQ(profile.standerdColor.size(), 10); // exactly the slots there are
    for (const QString& c : profile.standerdColor) {
        bool ok = false;
        c.toUInt(&ok, 16);
        EXPECT_TRUE(ok && c.size() == 6) << c.toStdString();
    }

    AppParam::standerdColor.assign(10, AppColor::clear());
    ASSERT_EQ(DefaultProfile::load(), AppError::NoError);
    EXPECT_EQ(AppParam::localizeList, profile.localizeList);
    std::set<std::tuple<int, int, int>> distinct;
    for (const AppColor& c : AppParam::standerdColor) {
        EXPECT_DOUBLE_EQ(c.alpha, 1.0);
        distinct.insert({int(c.red * 255 + 0.5), int(c.green * 255 + 0.5), int(c.blue * 255 + 0.5)});
    }
    EXPECT_EQ(distinct.size(), 10u);
}

// ----- keyboards ------------------------------------------------------------------

class ShippedKeyboard : public ShippedPackage<KeyboardProfile> {};

TEST_P(ShippedKeyboard, HeaderCarriesTheShippedIdentity)
{
    ASSERT_NO_FATAL_FAILURE(expectShippedIdentity());
    EXPECT_EQ(profile.APC, QStringLiteral("Enable"));
    EXPECT_EQ(profile.indicatorLedSettings, QStringLiteral("Enable"));
    // "KOLVENTRA_RGB_US108" carries the value of KOLVENTRA_JP108.
    EXPECT_EQ(profile.keyboardType,
              model.jis ? AppKeyboardType::KOLVENTRA_RGB_JP112 : AppKeyboardType::KOLVENTRA_JP108);
    EXPECT_EQ(profile.keyboardLayout, model.jis ? QStringLiteral("JIS") : QStringLiteral("US"));

    const QStringList style = profile.cropFrameStyle.split(QLatin1Char(','), Qt::SkipEmptyParts);
    ASSERT_EQ(style.size(), 2);
    EXPECT_EQ(style[0].size(), 8);
    bool ok = false;
    EXPECT_GT(style[1].toDouble(&ok), 0.0);
    EXPECT_TRUE(ok);
    EXPECT_GT(profile.ledRainbowLoopTiming.toInt(&ok), 0);
    EXPECT_TRUE(ok);
    EXPECT_GT(profile.ledShootingStarLoopTiming.toInt(&ok), 0);
    EXPECT_TRUE(ok);
}

TEST_P(ShippedKeyboard, PicturesDecode)
{
    const KeyboardProfile::KeyboardImages images = profile.getKeyboardImage();
    ASSERT_FALSE(images.keyBody.isNull());
    ASSERT_FALSE(images.keyButton.isNull());
    EXPECT_EQ(images.keyBody.size(), images.keyButton.size());
    const QImage thumb = profile.getDeviceThumbImage();
    ASSERT_FALSE(thumb.isNull());
    EXPECT_LT(thumb.width(), images.keyBody.width());
}

TEST_P(ShippedKeyboard, EveryPictureHasADoubleDensityTwin)
{
    const KeyboardProfile::KeyboardImages one = profile.getKeyboardImage(1);
    const KeyboardProfile::KeyboardImages two = profile.getKeyboardImage(2);
    expectTwin(one.keyBody, two.keyBody);
    expectTwin(one.keyButton, two.keyButton);
    expectTwin(profile.getDeviceThumbImage(1), profile.getDeviceThumbImage(2));
}

// The key table: codes, names, rectangle counts and positions, and the
// pictures painted exactly where the rectangles say.
TEST_P(ShippedKeyboard, KeysLieOnThePictureAndAgreeWithIt)
{
    const KeyboardProfile::KeyboardImages images = profile.getKeyboardImage();
    ASSERT_FALSE(images.keyBody.isNull());
    const QImage tops = images.keyButton.convertToFormat(QImage::Format_ARGB32);
    const QRectF picture(QPointF(0, 0), QSizeF(images.keyBody.size()));
    // The area in which the keyboard picture takes clicks: x 2 to 998 and
    // 205 to 535 points above the bottom edge of the view the picture fills.
    const QRectF selectArea(2, picture.height() - 535, 996, 330);
    const QPointF offset = offsetOf(profile);

    ASSERT_FALSE(profile.keytopList.empty());
    std::set<int> codes;
    std::set<QString> names;
    bool indicatorSeen = false;
    int buttons = 0;
    std::vector<std::vector<QRectF>> allFrames;
    for (const KeyboardProfile::KeytopEntry& k : profile.keytopList) {
        SCOPED_TRACE(k.name.toStdString());
        EXPECT_FALSE(k.name.isEmpty());
        EXPECT_TRUE(names.insert(k.name).second) << "duplicate name";
        ASSERT_NE(k.type, KeytopEntryType::None);
        EXPECT_TRUE((k.code >= 0 && k.code <= 127) || k.code == 255) << k.code;

        std::vector<QRectF> frames = rects(k.keyFrame);
        std::vector<QRectF> keytops = rects(k.keytop);
        ASSERT_FALSE(frames.empty());
        ASSERT_EQ(frames.size(), keytops.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            frames[i].translate(offset);
            keytops[i].translate(offset);
            EXPECT_TRUE(inside(picture, frames[i]));
            EXPECT_TRUE(inside(selectArea, frames[i]));
            EXPECT_TRUE(inside(frames[i], keytops[i]));
        }

        if (k.type == KeytopEntryType::Button) {
            // Buttons come before every LED indicator, so the frame and
            // key-top numbering of the keyboard picture agree.
            EXPECT_FALSE(indicatorSeen);
            ++buttons;
            if (k.code != 255) {
                EXPECT_TRUE(codes.insert(k.code).second) << "duplicate code " << k.code;
            }
            EXPECT_TRUE(k.ledFrame.isEmpty());
            // The cap is painted on every key-top rectangle; its middle is
            // opaque on the key-top picture.
            for (const QRectF& t : keytops)
                EXPECT_EQ(alphaAt(tops, t.center()), 255);
        } else {
            indicatorSeen = true;
            EXPECT_EQ(k.code, 255);
            std::vector<QRectF> led = rects(k.ledFrame);
            ASSERT_EQ(led.size(), 1u);
            led[0].translate(offset);
            EXPECT_TRUE(inside(frames[0], led[0]));
            // The lamp is on the body picture; no cap covers it.
            EXPECT_EQ(alphaAt(images.keyBody, led[0].center()), 255);
            EXPECT_EQ(alphaAt(tops, led[0].center()), 0);
        }
        allFrames.push_back(frames);
    }
    EXPECT_TRUE(indicatorSeen);
    EXPECT_EQ(QString::number(buttons), profile.keycapsNumbers);

    // No two keys overlap; the gaps between caps are transparent on the
    // key-top picture.
    for (size_t a = 0; a < allFrames.size(); ++a) {
        for (size_t b = a + 1; b < allFrames.size(); ++b) {
            for (const QRectF& ra : allFrames[a]) {
                for (const QRectF& rb : allFrames[b])
                    EXPECT_FALSE(ra.intersects(rb)) << profile.keytopList[a].name.toStdString()
                                                    << " / " << profile.keytopList[b].name.toStdString();
            }
        }
    }
    EXPECT_EQ(alphaAt(tops, QPointF(1, 1)), 0);
    EXPECT_EQ(alphaAt(images.keyBody, QPointF(1, 1)), 0);
}

// The same key has the same code on every layout; the codes follow the HID
// keyboard usages, compacted into 0-127.
TEST_P(ShippedKeyboard, KeyCodesFollowTheUsageOrder)
{
    std::map<QString, int> codes;
    std::map<QString, int> rectCounts;
    for (const KeyboardProfile::KeytopEntry& k : profile.keytopList) {
        codes[k.name] = k.code;
        rectCounts[k.name] = int(rects(k.keyFrame).size());
    }
    // -1 for a key the keyboard does not have.
    auto codeOf = [&](const QString& name) { return codes.count(name) ? codes.at(name) : -1; };
    auto rectCount = [&](const QString& name) {
        return rectCounts.count(name) ? rectCounts.at(name) : -1;
    };
    const std::vector<std::pair<const char*, int>> common{
        {"A", 0}, {"Z", 25}, {"1", 26}, {"0", 35}, {"Enter", 36}, {"Esc", 37},
        {"Back Space", 38}, {"Tab", 39}, {"Space", 40}, {"Caps Lock", 53}, {"F1", 54},
        {"F12", 65}, {"Right", 75}, {"Up", 78}, {"Num Lock", 79}, {"Num .", 95},
        {"Menu", 97}, {"L Ctrl", 103}, {"R Win", 110}, {"Mute", 255}, {"Num Lock LED", 255},
    };
    for (const auto& [name, code] : common)
        EXPECT_EQ(codeOf(QString::fromUtf8(name)), code) << name;

    if (model.jis) {
        const std::vector<std::pair<QString, int>> jis{
            {QStringLiteral(u"\u00A5"), 0x89 - 0x87 + 98}, {"_", 98}, {"Kana", 99},
            {"Henkan", 101}, {"Muhenkan", 102}, {"]", 0x32 - 4}, {"Hankaku/Zenkaku", 0x35 - 4},
        };
        for (const auto& [name, code] : jis)
            EXPECT_EQ(codeOf(name), code) << name.toStdString();
        // The Enter key is L-shaped: two rectangles.
        EXPECT_EQ(rectCount("Enter"), 2);
        EXPECT_EQ(codeOf("\\"), -1);
    } else {
        EXPECT_EQ(codeOf("\\"), 0x31 - 4);
        EXPECT_EQ(rectCount("Enter"), 1);
        EXPECT_EQ(codeOf("Kana"), -1);
    }
}

// Tints and the selection frame are the only colours a key takes in the
// application, so an untouched picture shows every cap in the same neutral
// grey: no key may look tinted or selected before the user did anything.
TEST_P(ShippedKeyboard, EveryCapIsTheSameNeutralGrey)
{
    const KeyboardProfile::KeyboardImages images = profile.getKeyboardImage();
    const QImage tops = images.keyButton.convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(tops.isNull());
    const QPointF offset = offsetOf(profile);
    int darkest = 255;
    int lightest = 0;
    for (const KeyboardProfile::KeytopEntry& k : profile.keytopList) {
        if (k.type != KeytopEntryType::Button)
            continue;
        for (QRectF top : rects(k.keytop)) {
            top.translate(offset);
            // The cap's own colour: the median of its face, which the legend
            // printed on it does not move.
            std::vector<QColor> face;
            const QRect inner = top.adjusted(3, 3, -3, -3).toRect();
            for (int y = inner.top(); y <= inner.bottom(); ++y)
                for (int x = inner.left(); x <= inner.right(); ++x)
                    face.push_back(tops.pixelColor(x, y));
            ASSERT_FALSE(face.empty()) << k.name.toStdString();
            std::sort(face.begin(), face.end(),
                      [](const QColor& a, const QColor& b) { return a.value() < b.value(); });
            const QColor cap = face[face.size() / 2];
            const int spread = std::max({cap.red(), cap.green(), cap.blue()})
                - std::min({cap.red(), cap.green(), cap.blue()});
            EXPECT_LE(spread, 24) << k.name.toStdString() << " is coloured: " << cap.name().toStdString();
            darkest = std::min(darkest, cap.value());
            lightest = std::max(lightest, cap.value());
        }
    }
    EXPECT_LE(lightest - darkest, 40);
}

INSTANTIATE_TEST_SUITE_P(Models, ShippedKeyboard, ::testing::ValuesIn(modelsOf(shipped::Kind::Keyboard)), modelKey);

// ----- the mouse ------------------------------------------------------------------

class ShippedMouse : public ShippedPackage<MouseProfile> {};

TEST_P(ShippedMouse, HeaderCarriesTheShippedIdentity)
{
    expectShippedIdentity();
}

TEST_P(ShippedMouse, AllTwentySixTabPicturesAndTheThumbnailDecode)
{
    EXPECT_FALSE(profile.getDeviceThumbImage().isNull());

    const std::array<QString, MouseProfile::TabBodyImagePaths::kCount> names =
        profile.tabBodyImages.names();
    QSet<QString> distinct;
    for (const QString& n : names) {
        EXPECT_FALSE(n.isEmpty());
        distinct.insert(n);
    }
    EXPECT_EQ(distinct.size(), MouseProfile::TabBodyImagePaths::kCount);

    QHash<QString, PackagePicture> images;
    ASSERT_EQ(profile.LoadMouseTabImages(images), AppError::NoError);
    ASSERT_EQ(images.size(), MouseProfile::TabBodyImagePaths::kCount);
    const QSize size = images.value(profile.tabBodyImages.buttonTab).image().size();
    EXPECT_FALSE(size.isEmpty());
    QSet<QByteArray> contents;
    for (const QString& n : names) {
        const QImage img = images.value(n).image();
        ASSERT_FALSE(img.isNull()) << n.toStdString();
        EXPECT_EQ(img.size(), size) << n.toStdString();
        contents.insert(QByteArray(reinterpret_cast<const char*>(img.constBits()), img.sizeInBytes()));
    }
    // Each situation has a picture of its own.
    EXPECT_EQ(contents.size(), MouseProfile::TabBodyImagePaths::kCount);
}

TEST_P(ShippedMouse, EveryPictureHasADoubleDensityTwin)
{
    expectTwin(profile.getDeviceThumbImage(1), profile.getDeviceThumbImage(2));
    QHash<QString, PackagePicture> one, two;
    ASSERT_EQ(profile.LoadMouseTabImages(one, 1), AppError::NoError);
    ASSERT_EQ(profile.LoadMouseTabImages(two, 2), AppError::NoError);
    const auto& t = profile.tabBodyImages;
    const QSet<QString> compared{t.buttonTab, t.ledTabIndiCyan, t.sensorTabLoDHigh};
    for (const QString& n : t.names()) {
        SCOPED_TRACE(n.toStdString());
        expectTwin(one.value(n).image(), two.value(n).image(), compared.contains(n));
    }
}

TEST_P(ShippedMouse, ButtonsAndLabelAnchorsLieOnThePictures)
{
    QHash<QString, PackagePicture> images;
    ASSERT_EQ(profile.LoadMouseTabImages(images), AppError::NoError);
    const QImage buttonTab = images.value(profile.tabBodyImages.buttonTab).image();
    ASSERT_FALSE(buttonTab.isNull());
    const QRectF picture(QPointF(0, 0), QSizeF(buttonTab.size()));

    std::map<QString, int> codeOf;
    for (const MouseProfile::ButtonEntry& b : profile.buttonList) {
        SCOPED_TRACE(b.name.toStdString());
        EXPECT_TRUE(codeOf.emplace(b.name, b.code).second) << "duplicate entry";
        const std::optional<QRectF> margin = MouseProfile::parseMargin(b.margin);
        ASSERT_TRUE(margin.has_value());
        EXPECT_TRUE(inside(picture, *margin));
        // The panels put the label (about 20 points) and, for buttons, the
        // button's menu (about 30 points more) below the anchor.
        EXPECT_LE(margin->bottom() + 70, picture.height());
        bool ok = false;
        b.align.toInt(&ok);
        EXPECT_TRUE(ok);
    }
    for (int n = 1; n <= 6; ++n) {
        const QString name = QStringLiteral("Button%1").arg(n);
        ASSERT_EQ(codeOf.count(name), 1u) << n;
        EXPECT_EQ(codeOf[name], n - 1);
    }
    for (const char* other : {"DpiSwitch", "Indicator", "Logo"}) {
        ASSERT_EQ(codeOf.count(QString::fromLatin1(other)), 1u) << other;
        const int code = codeOf[QString::fromLatin1(other)];
        EXPECT_TRUE(code < 0 || code > 5) << other; // not a button: ButtonNo None
    }
    EXPECT_EQ(codeOf.size(), 9u);
}

INSTANTIATE_TEST_SUITE_P(Models, ShippedMouse, ::testing::ValuesIn(modelsOf(shipped::Kind::Mouse)), modelKey);

} // namespace
