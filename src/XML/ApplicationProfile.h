#pragma once
// The application settings file "Application.ini" in the per-user data folder
// (AppUtil::appWorkFolder()): a profile package with the one member
// "profile.xml", written at exit and read at start-up.
//
//   <ApplicationProfile>
//     <CustomColorSelect>0</CustomColorSelect>
//     <WindowPlacement>
//       <length/> <flags/> <showCmd/>                 integers
//       <minPosition><X/><Y/></minPosition>           integers
//       <maxPosition><X/><Y/></maxPosition>           integers
//       <normalPosition><Left/><Top/><Right/><Bottom/></normalPosition>
//     </WindowPlacement>
//     <FunctionTabSelect>ApcSetting</FunctionTabSelect>   FunctionTab case name
//     <ProfileFilePath>...</ProfileFilePath>
//     <FirmwareFilePath>...</FirmwareFilePath>
//     <SelectDevice>0</SelectDevice>                      32-bit location
//     <SelectDeviceType>Keyboard</SelectDeviceType>       Unknown/Keyboard/Mouse
//     <SelectColor>FFFF0000</SelectColor>                 AARRGGBB
//     <CustomColor><string>00000000</string> ... 20 ...</CustomColor>
//   </ApplicationProfile>
//
// "Right" and "Bottom" carry the normal rectangle's width and height.
// Coordinates are written truncated toward zero (a coordinate that is not
// finite or does not fit a 64-bit integer is written 0). On reading, "X" and
// "Y" count only inside "minPosition" / "maxPosition"; "CustomColor" fills
// slots from its first 20 "string" elements; an integer text that does not
// read (or does not fit its field) leaves the field as it was; a case name
// that names no case gives None / Unknown.
//
// Paths: a stored path that is not an existing file gets a trailing "/" on
// load and on save (it names a folder); the path of an existing file (the
// last chosen firmware image or description package) stays as it is; an empty
// path stays empty, so the default folder applies after loading.

#include "AppEnums.h"
#include "Utility/AppError.h"
#include "XML/XmlProfile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class ApplicationProfileXML;

class ApplicationProfile {
public:
    using Xml = ApplicationProfileXML;

    static constexpr int kCustomColorCount = 20;

    QString description;
    FunctionTab functionTabSelect = FunctionTab::None;
    QString profileFilePath;
    QString firmwareFilePath;
    int32_t selectDevice = 0;
    DeviceType selectDeviceType = DeviceType::Unknown;
    QString selectColor = QStringLiteral("FFFF0000");
    std::vector<QString> customColor =
        std::vector<QString>(kCustomColorCount, QStringLiteral("00000000"));
    int64_t customColorSelect = 0;
    WINDOWPLACEMENT windowPlacement{};

    // Reads "Application.ini" and moves its values into AppParam. Without a
    // readable file (FileRead, CrcError) the tab becomes ApcSetting and the
    // rest of AppParam is left alone. Then empty folders get their defaults:
    // the firmware path the documents folder, the profile folder documents +
    // "Nembo/KOLVENTRA/" (created). Returns the read's result, or FileWrite
    // when a folder cannot be found or created.
    static AppError load();
    // As load(), with the file already read by read(): `readResult` is what
    // read() returned and `profile` what it filled.
    static AppError load(AppError readResult, const ApplicationProfile& profile);

    // Reads the file at `path` into `out` without touching AppParam (so it
    // may run on any thread). NoError, FileRead or CrcError; `out` is
    // replaced only on NoError.
    static AppError read(const QString& path, ApplicationProfile& out);

    // Writes AppParam's values into "Application.ini", creating the per-user
    // data folder when needed. FileWrite when the folder cannot be created
    // (logged); FileNotExist when the file cannot be written (after the
    // "CanNotWriteToThisFolder" message box). NoError otherwise.
    static AppError save();

    // The settings file's full path.
    static QString filePath();

    // The moves between a model and AppParam that load() and save() do.
    static void applyToAppParam(const ApplicationProfile& profile);
    static ApplicationProfile fromAppParam();

    // The path rule above: empty stays empty, an existing file stays as it
    // is, anything else ends in "/".
    static QString storedPath(const QString& path);
};

// Reader and writer of "profile.xml" of the settings file (see XmlProfile.h).
class ApplicationProfileXML : public XmlProfileReader {
public:
    ApplicationProfile appProfile;

    ApplicationProfile takeProfile() { return std::move(appProfile); }

    static std::optional<QByteArray> construct(const ApplicationProfile& profile);

protected:
    void startDocument() override;
    void startElement(const QString& name) override;
    void characters(const QString& text) override;
    void endElement(const QString& name) override;

private:
    bool isParseMinPositionGroup = false;
    bool isParseMaxPositionGroup = false;
    bool isParseCustomColorGroup = false;
    int customColorIndex = 0;
};
