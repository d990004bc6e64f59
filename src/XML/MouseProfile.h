#pragma once
// The mouse description: "Profile.xml" of a ".mou" package. Besides the
// common header (DeviceProfile.h) the root holds:
//
//   "MouseImage"      member name of the mouse picture (thumbnail)
//   "TabBodyImages"   group of the 26 member names of the mouse body
//                     pictures the setting tabs show (TabBodyImagePaths)
//   "ButtonEntry"     group, one per button marked on the picture: "Name"
//                     (label), "Code" (decimal raw value of ButtonNo, 0 for
//                     Button1 to 5 for Button6), "Margin" ("x,y,w,h", the
//                     label rectangle), "Align" (decimal text, kept), "Data"
//                     (decimal, kept in `date`)
//
// The context decides, in this order: inside "TabBodyImages" only the 26
// picture names count; inside a "ButtonEntry" only the button's elements;
// elsewhere the header elements and "MouseImage". So a "Name" inside a button
// is the button's label, a "Name" inside "TabBodyImages" is ignored, and a
// picture element outside "TabBodyImages" is ignored. "Code" and "Data" that
// are not decimal integers leave the field and mark the description
// malformed; so does a button whose "Margin" is not four numbers
// (validate()).

#include "Utility/AppError.h"
#include "XML/DeviceProfile.h"
#include "XML/XmlProfile.h"

#include <QHash>
#include <QImage>
#include <QRectF>
#include <QString>

#include <array>
#include <optional>
#include <vector>

class MouseProfileXML;

class MouseProfile : public DeviceProfile {
public:
    using Xml = MouseProfileXML;

    // One button of the mouse picture.
    struct ButtonEntry {
        QString name;
        int code = 0;
        QString margin;
        QString align;
        int date = 0; // from "Data"
    };

    // Member names of the 26 mouse body pictures of the setting tabs.
    // "Cyan" is the LED colour LedColor calls Water.
    struct TabBodyImagePaths {
        QString buttonTab;
        QString ledTabOff;
        QString ledTabBlue;
        QString ledTabCyan;
        QString ledTabGreen;
        QString ledTabPurple;
        QString ledTabRed;
        QString ledTabWhite;
        QString ledTabYellow;
        QString ledTabIndiBlue;
        QString ledTabIndiCyan;
        QString ledTabIndiGreen;
        QString ledTabIndiPurple;
        QString ledTabIndiRed;
        QString ledTabIndiWhite;
        QString ledTabIndiYellow;
        QString ledTabLogoBlue;
        QString ledTabLogoCyan;
        QString ledTabLogoGreen;
        QString ledTabLogoPurple;
        QString ledTabLogoRed;
        QString ledTabLogoWhite;
        QString ledTabLogoYellow;
        QString sensorTabLoDLow;
        QString sensorTabLoDHigh;
        QString settingTab;

        static constexpr int kCount = 26;
        // Element name and field of each picture, in field order.
        struct Slot {
            const char* element;
            QString TabBodyImagePaths::*field;
        };
        static const std::array<Slot, kCount>& pictures();

        // The 26 names in field order.
        std::array<QString, kCount> names() const;
    };

    QString mouseImage;
    TabBodyImagePaths tabBodyImages;
    std::vector<ButtonEntry> buttonList;

    // The mouse picture (member mouseImage, exact name).
    QImage getDeviceThumbImage(qreal ratio = 1) const override;

    // Reads the 26 tab pictures, in field order, into `tabImages` keyed by
    // their member names (matched regardless of letter case), replacing
    // entries of the same name and leaving other entries alone. Stops at the
    // first picture that is named empty, missing, not a picture within the
    // caps, does not decode, or takes the pictures beyond the cap of a set,
    // and returns BadParam (the pictures read before it stay); NoError after
    // all 26. The pictures are kept undecoded and decoded when first shown;
    // the check that they decode runs once per package file
    // (DeviceProfile::readCheckedPictures). For a screen of `ratio` device
    // pixels per point (double-density twins above 1, shown in place of
    // their pictures; the checks judge the package's own pictures alike at
    // every ratio).
    AppError LoadMouseTabImages(QHash<QString, PackagePicture>& tabImages, qreal ratio = 1) const;
    // The same for the pictures `names` names instead of tabBodyImages;
    // `asRead` is called with the pictures as read, keyed as in `tabImages`,
    // before they are checked (DeviceProfile::readCheckedPictures).
    using AsRead = std::function<void(const QHash<QString, PackagePicture>& read)>;
    AppError LoadMouseTabImages(QHash<QString, PackagePicture>& tabImages, const TabBodyImagePaths& names,
                                qreal ratio = 1, const AsRead& asRead = {}) const;

    QString description() const override;

    // Also BadParam when a button's margin is not four numbers.
    AppError validate() const override;

    // A "Margin" text: split at ",", empty parts dropped, the first four parts
    // read as decimal numbers (blanks around a number allowed) giving x, y,
    // width, height. Absent when there are fewer than four parts or one of
    // them is not a finite number.
    static std::optional<QRectF> parseMargin(const QString& text);
};

// Reader of "Profile.xml" of a ".mou" package (see XmlProfile.h).
class MouseProfileXML : public XmlProfileReader {
public:
    MouseProfile mouseProfile;

    MouseProfile takeProfile() { return std::move(mouseProfile); }

protected:
    void startDocument() override;
    void startElement(const QString& name) override;
    void characters(const QString& text) override;
    void endElement(const QString& name) override;

private:
    bool isParseTabBodyImages = false;
    bool isParseButtonGroup = false;
    std::optional<MouseProfile::ButtonEntry> buttonEntry;
};
