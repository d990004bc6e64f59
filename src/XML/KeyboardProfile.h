#pragma once
// The keyboard description: "Profile.xml" of a ".key" package. Besides the
// common header (DeviceProfile.h) the root holds the keyboard elements and one
// "KeytopEntry" group per key:
//
//   "KeyboardType"        one of the AppKeyboardType case names (see
//                         keyboardTypeFromText; "KOLVENTRA_RGB_US108" gives
//                         the value of KOLVENTRA_JP108, which stored user
//                         profiles rely on)
//   "Offset"              "x,y", added to every key rectangle
//   "KeyboardLayout", "KeycapsNumbers", "RGBLED"          kept
//   "KeyboardImage"       member name of the whole-keyboard picture (thumbnail)
//   "KeytopImage"         member name of the key-top picture
//   "KeyboardBodyImage"   member name of the keyboard body picture
//   "APC", "IndicatorLedSettings"   exactly "Enable" means supported
//   "CropFrameStyle"      "AARRGGBB,width"
//   "LedRainbowLoopTiming", "LedShootingStarLoopTiming"   decimal integers
//   "KeytopEntry"         group: "Type" ("Button" / "LedIndicator", any other
//                         text None; Button when missing), "Name", "VKCode",
//                         "Code" (decimal: 0-127 or 255 for a key without
//                         per-key settings), "Group" (decimal), "Keytop" and
//                         "KeyFrame" ("x,y,w,h" repeated), "LedFrame" ("x,y,w,h"
//                         or empty)
//
// Element names are compared exactly. Inside a "KeytopEntry" the names are the
// key's fields ("Type" and "Name" there never reach the header). Unknown
// elements are ignored at any level; a missing element keeps its initial
// value; the texts are kept as they stand except "Code" and "Group"
// (decimal; a text that does not convert leaves the field and marks the
// description malformed) and the mapped "Type", "KeyboardType" and
// "MultiDeviceModel".

#include "AppEnums.h"
#include "XML/DeviceProfile.h"
#include "XML/XmlProfile.h"

#include <QImage>
#include <QString>

#include <optional>
#include <vector>

class KeyboardProfileXML;

class KeyboardProfile : public DeviceProfile {
public:
    using Xml = KeyboardProfileXML;

    // One key of the description.
    struct KeytopEntry {
        KeytopEntryType type = KeytopEntryType::Button;
        QString name;
        QString vkCode;
        int code = 0;
        int group = 0;
        QString keytop;
        QString keyFrame;
        QString ledFrame;
    };

    AppKeyboardType keyboardType = AppKeyboardType::None;
    QString offset;
    QString keyboardLayout;
    QString keycapsNumbers;
    QString keyboardImage;
    QString keytopImage;
    QString keyboardBodyImage;
    QString APC;
    QString RGBLED;
    QString indicatorLedSettings;
    QString cropFrameStyle;
    QString ledRainbowLoopTiming;
    QString ledShootingStarLoopTiming;
    std::vector<KeytopEntry> keytopList;

    // The body picture and the key-top picture; both null unless the body,
    // key-top and whole-keyboard pictures all decode. For a screen of
    // `ratio` device pixels per point (double-density twins above 1).
    struct KeyboardImages {
        QImage keyBody;
        QImage keyButton;
    };
    KeyboardImages getKeyboardImage(qreal ratio = 1) const;
    // The same two as pictures of the package, decoded and checked as
    // above: a view that has drawn them lets their pixels go, and has them
    // decoded again should it draw them anew.
    struct KeyboardPictures {
        PackagePicture keyBody;
        PackagePicture keyButton;
    };
    KeyboardPictures getKeyboardPictures(qreal ratio = 1) const;

    // The whole-keyboard picture (member keyboardImage, exact name).
    QImage getDeviceThumbImage(qreal ratio = 1) const override;

    QString description() const override;

    // The value a "KeyboardType" text gives (None for any text outside the
    // table, compared exactly).
    static AppKeyboardType keyboardTypeFromText(const QString& text);
};

// Reader of "Profile.xml" of a ".key" package (see XmlProfile.h).
class KeyboardProfileXML : public XmlProfileReader {
public:
    KeyboardProfile keyboardProfile;

    KeyboardProfile takeProfile() { return std::move(keyboardProfile); }

protected:
    void startDocument() override;
    void startElement(const QString& name) override;
    void characters(const QString& text) override;
    void endElement(const QString& name) override;

private:
    bool isParseKeytopGroup = false;
    std::optional<KeyboardProfile::KeytopEntry> keytop;
};
