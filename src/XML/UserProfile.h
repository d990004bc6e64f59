#pragma once
// The keyboard user profile: the settings of a connected keyboard kept in a
// file of the user's choosing (".prf", a profile package, ProfilePackage.h),
// to be loaded back later wholly or in parts.
//
// One package holds one member per keyboard model, "profile." + model key +
// ".xml", where the model key is the keyboard's profileExt; so one file can
// carry the settings of several models and each model finds its own member.
//
// The member (root "UserProfileFile"; element names compared exactly, note
// the lower-case "keytopList" and "string"):
//   "Type"              "User Profile"
//   "Name"              the profile file's name without folder and extension
//   "Comment"           the comment, percent-encoded by the save dialog
//   "KeyboardType"      an AppKeyboardType case name ("" for None)
//   "ApcFunctionEnable", "LedFunctionEnable", "LedBrightnessEnable",
//   "KeyLockFunctionEnable"   "true" / "false" (only exactly "true" is true)
//   "ApcFunction"       "Separate", "Collective" or "None"
//   "ApcLevel"          "None", "Low", "Middle", "High"
//   "LedBrightness"     "Level0".."Level2"
//   "LedFunction"       one of nine effect names or "None" (Init is written
//                       as "None" and reads back as None)
//   "LedUserColorLedSelect", "LedPressedKeyLightingLedSelect",
//   "LedPressedKeyLightingWithBLLedSelect", "LedShootingStarLedSelect"
//                       "None", "DirectSelect", "UserSetting1".."UserSetting3"
//   "LedPressedKeyLightingColor", "LedPressedKeyLightingWithBLColor",
//   "LedShootingStarColor"    colour text AARRGGBB
//   "LedShootingStarInterval" "Level0".."Level9"
//   "KeyLock"           "Enable" / "Disable"
//   "keytopList"        one "KeytopEntry" per key: "Type" ("Button",
//                       "LedIndicator", "None"), "Name", "Code" (decimal),
//                       "ApcLevel", "UserColor" (one "string" per colour; a
//                       colour with alpha 0 is an empty "string", which
//                       reading skips), "KeytopLock" ("Lock" / "Unlock")
// A text that names no case reads as the field's fallback (None, Level0,
// Disable, Unlock; a key's "Type" None); a key without "Type" is a Button.
// A "Code" that is not a decimal integer makes the member unreadable.
//
// Main thread only.

#include "AppEnums.h"
#include "Utility/AppError.h"
#include "XML/XmlProfile.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class KeyboardEntry;
class UserProfileXML;

// The content of one member.
class UserProfileFile {
public:
    using Xml = UserProfileXML;

    // One key of the profile.
    struct KeytopEntry {
        KeytopEntryType type = KeytopEntryType::Button;
        QString name;
        int code = 0;
        ApcLevel apcLevel = ApcLevel::None;
        std::vector<QString> userColor;     // colour texts AARRGGBB
        KeytopLock keytopLock = KeytopLock::Unlock;

        friend bool operator==(const KeytopEntry&, const KeytopEntry&) = default;
    };

    QString description;    // nothing sets it
    QString type;
    QString name;
    QString comment;
    AppKeyboardType keyboardType = AppKeyboardType::None;
    bool apcFunctionEnable = false;
    bool ledFunctionEnable = false;
    bool ledBrightnessEnable = false;
    bool keyLockFunctionEnable = false;
    FunctionItem apcFunction = FunctionItem::None;
    ApcLevel apcLevel = ApcLevel::None;
    LedBrightness ledBrightness = LedBrightness::Level0;
    FunctionItem ledFunction = FunctionItem::Init;
    ColorSelect ledUserColorLedSelect = ColorSelect::None;
    ColorSelect ledPressedKeyLightingLedSelect = ColorSelect::None;
    QString ledPressedKeyLightingColor;
    ColorSelect ledPressedKeyLightingWithBLLedSelect = ColorSelect::None;
    QString ledPressedKeyLightingWithBLColor;
    ColorSelect ledShootingStarLedSelect = ColorSelect::None;
    LedInterval ledShootingStarInterval = LedInterval::Level0;
    QString ledShootingStarColor;
    KeyLockFunction keyLock = KeyLockFunction::Disable;
    std::vector<KeytopEntry> keytopList;

    friend bool operator==(const UserProfileFile&, const UserProfileFile&) = default;
};

// Reader and writer of one member.
class UserProfileXML : public XmlProfileReader {
public:
    // The writer: the member's bytes, or absent when a text cannot be
    // carried by XML.
    static std::optional<QByteArray> construct(const UserProfileFile& profile);

    UserProfileFile takeProfile() { return std::move(userProfile); }
    // A "Code" text that is not a decimal integer was met.
    bool hasMalformedText() const { return malformed_; }

    UserProfileFile userProfile;

protected:
    void startDocument() override;
    void startElement(const QString& name) override;
    void characters(const QString& text) override;
    void endElement(const QString& name) override;

private:
    void readProfileField(const QString& key, const QString& text);
    void readKeytopField(const QString& key, const QString& text);

    bool isParseKeytopGroup = false;
    std::optional<UserProfileFile::KeytopEntry> keytop;
    bool isParseUserColorGroup = false;
    std::optional<std::vector<QString>> userColor;
    bool malformed_ = false;
};

// The three operations on keyboard user profiles.
class UserProfile {
public:
    UserProfile() = delete;

    // Which parts Apply applies (only Apc and KeyLock act).
    using EnableFunction = std::map<ProfileEntry, bool>;

    // Reads member "profile." + keyboardType + ".xml" of the package at
    // filePath into `profile` (replaced only on NoError). Results as the
    // package reader's (FileRead, CrcError); a "Code" that is not a decimal
    // integer is FileRead. On NoError the comment is percent-decoded when it
    // is valid percent-encoding of UTF-8, else kept as read.
    static AppError Read(const QString& filePath, const QString& keyboardType,
                         UserProfileFile& profile);

    // Stores the keyboard model's settings as member "profile." +
    // keyboardType + ".xml" of the package at filePath: added to (or
    // replacing the same member of) an existing file, else a new package.
    // The comment is stored as given. NoError or FileNotExist.
    static AppError Write(const QString& filePath, const QString& keyboardType,
                          const KeyboardEntry& keyboard, const QString& fileComment);

    // Builds the profile Write stores (without storing it).
    static UserProfileFile makeProfile(const QString& filePath, const KeyboardEntry& keyboard,
                                       const QString& fileComment);

    // Applies the parts of `profile` that `enableFunction` selects and the
    // profile enables: Apc (per-key actuation points) and KeyLock (per-key
    // locks). Each profile key gives its value to the first key of the model
    // with the same type and code, when that key is a Button; then the
    // model's levels (resp. locks) of its Button keys with codes 0..127 are
    // sent as one 128-entry list (keys the model lacks: High, resp. Unlock),
    // not shown on the LEDs, with the pacing armed after each success.
    //
    // BadParam, with nothing changed or sent, when the keyboard is absent,
    // the profile is of another keyboard type, or a value to be sent is no
    // level (resp. lock) state. A failing command ends it: its error is
    // returned after the main window's recovery has been started for
    // AppParam::selectDeviceLocation (when that is not 0); model changes made
    // before stay. The keyboard is held for the whole call, so a recovery
    // that replaces the current device cannot release it underneath.
    static AppError Apply(std::shared_ptr<KeyboardEntry> keyboard, const UserProfileFile& profile,
                          const EnableFunction& enableFunction);

    // "profile." + keyboardType + ".xml".
    static QString memberName(const QString& keyboardType);

    // Strict percent-decoding: absent when a "%" is not followed by two
    // hexadecimal digits or the decoded bytes are not UTF-8.
    static std::optional<QString> percentDecode(const QString& text);
};
