#pragma once
// The built-in defaults file "Application.def" among the shipped data
// (AppUtil::resourceProfileFolder()): a profile package with the one member
// "profile.xml", read at start-up, never written.
//
//   <DefaultProfile>                      root, its name is not examined
//     <LocalizeList><string>...</string> ...</LocalizeList>
//     <StanderdColor><string>RRGGBB</string> ... at most 10 ...</StanderdColor>
//   </DefaultProfile>
//
// Each non-empty "string" element of a block is one entry; "string" elements
// outside both blocks are ignored.

#include "Utility/AppError.h"
#include "XML/XmlProfile.h"

#include <QString>
#include <QStringList>

class DefaultProfileXML;

class DefaultProfile {
public:
    using Xml = DefaultProfileXML;

    QStringList localizeList;
    // Colours as hexadecimal text RRGGBB.
    QStringList standerdColor;

    // Reads the shipped "Application.def" and fills AppParam::localizeList and
    // AppParam::standerdColor. Any read failure (FileRead, CrcError) is
    // returned with AppParam unchanged; the application cannot start without
    // this file.
    static AppError load();

    // Reads the file at `path` into `out` without touching AppParam (so it
    // may run on any thread). NoError, FileRead or CrcError; `out` is
    // replaced only on NoError.
    static AppError read(const QString& path, DefaultProfile& out);

    // The shipped file's full path.
    static QString filePath();

    // Moves a read model into AppParam: the localize list replaces
    // AppParam::localizeList; colour i fills standard colour slot i (opaque;
    // the text is read as hexadecimal, red in bits 16-23, green 8-15, blue
    // 0-7, higher bits ignored; text that does not read gives black). Colours
    // beyond the slots (10) are ignored, and slots without a colour keep
    // their value.
    static void applyToAppParam(const DefaultProfile& profile);
};

// Reader of "profile.xml" of the defaults file (see XmlProfile.h).
class DefaultProfileXML : public XmlProfileReader {
public:
    DefaultProfile profile;

    DefaultProfile takeProfile() { return std::move(profile); }

protected:
    void startDocument() override;
    void startElement(const QString& name) override;
    void characters(const QString& text) override;
    void endElement(const QString& name) override;

private:
    bool isParseLocalizeListGroup = false;
    bool isParseStanderdColorGroup = false;
};
