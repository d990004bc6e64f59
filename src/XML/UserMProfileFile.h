#pragma once
// The mouse user profile: the settings of one mouse as the user saved them,
// one member "profile.<model key>.xml" of a ".mprf" profile package per
// mouse model (UserMProfile.h reads, writes and applies it).
//
// The member's document, in the order the writer produces it (element names
// are case-sensitive, every value is element text):
//
//   UserMProfileFile                 root (its name is not checked)
//     Type, Name, Comment            texts ("User Profile(Mouse)", the file
//                                    name, the percent-encoded comment)
//     buttonList
//       ButtonSetting*               Name, Code ("Button1".."Button6" or
//                                    "None"), Data (ButtonAssignCode name)
//     IndicatorEnable, LogoEnable    decimal 0 (on) or 1 (off)
//     Color                          LedColor name
//     Luminance                      "Level1".."Level3"
//     dpiSettings
//       DpiSetting*                  Setting ("Setting1".."Setting4"),
//                                    Enable (decimal, 0 = enabled), Value
//                                    (decimal DPI index)
//     DpiSelected                    "Setting1".."Setting4"
//     LiftOffDistance                "LoD_2mm" or "LoD_3mm"
//     CustomKeyList
//       CustomKeyEntry*              Code, Modifier, KeyCode (decimal)
//
// Reading is forgiving about names and strict about numbers: a name that is
// no case of its field reads as the field's fallback case (Code → None, Data
// → None, Color → Off, Luminance → Level1, a DpiSetting's Setting →
// Setting4, DpiSelected → Setting1, LiftOffDistance → LoD_2mm), while a
// number that is not a decimal integer within its field's range marks the
// document malformed (UserMProfile::Read then reports FileRead). Entries are
// recognised wherever they stand; the containers are not required. Each
// field takes the element's whole text; "Comment" collects every text piece.

#include "AppEnums.h"
#include "XML/XmlProfile.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class UserMProfileXML;

class UserMProfileFile {
public:
    using Xml = UserMProfileXML;

    // The function of one button.
    struct ButtonSetting {
        QString name;                                // the button's label from the description
        ButtonNo code = ButtonNo::None;              // which button
        ButtonAssignCode data = ButtonAssignCode::None;
        friend bool operator==(const ButtonSetting&, const ButtonSetting&) = default;
    };

    // One of the four DPI settings.
    struct DpiSetting {
        DpiSettingNo setting = DpiSettingNo::Setting1;
        uint8_t enable = 0;   // DpiEnable raw value: 0 enabled, 1 disabled
        int32_t value = 0;    // DPI index: dpi = (index + 1) × 100
        friend bool operator==(const DpiSetting&, const DpiSetting&) = default;
    };

    // The custom key combination of one button (also the element of the
    // mouse model's custom-key list).
    struct CustomKeyEntry {
        ButtonNo code = ButtonNo::None; // which button
        uint8_t modifier = 0;           // CustomKeyModifier bits
        uint8_t keyCode = 0;            // CustomKeyCode raw value
        friend bool operator==(const CustomKeyEntry&, const CustomKeyEntry&) = default;
    };

    // Text written as the profile's "Type".
    static constexpr const char* kTypeText = "User Profile(Mouse)";

    QString type;
    QString name;
    QString comment;
    std::vector<ButtonSetting> buttonList;
    int8_t indicatorEnable = 0; // Indicator raw value: 0 on, 1 off
    int8_t logoEnable = 0;      // Logo raw value: 0 on, 1 off
    LedColor color = LedColor::Off;
    eLuminance luminance = eLuminance::Level1;
    std::vector<DpiSetting> dpiSettings;
    DpiSettingNo dpiSelected = DpiSettingNo::Setting1;
    LoD liftOffDistance = LoD::LoD_2mm;
    std::vector<CustomKeyEntry> customKeyList;

    // Diagnostic text of every field.
    QString description() const;

    friend bool operator==(const UserMProfileFile&, const UserMProfileFile&) = default;
};

// Reader and writer of the member (see XmlProfile.h).
class UserMProfileXML : public XmlProfileReader {
public:
    // The model read so far.
    UserMProfileFile userProfile;

    UserMProfileFile takeProfile() { return std::move(userProfile); }

    // A number in the document did not read (see above).
    bool malformed() const { return malformed_; }

    // The document's bytes; absent when a text cannot be carried by XML.
    static std::optional<QByteArray> construct(const UserMProfileFile& profile);

protected:
    void startDocument() override;
    void startElement(const QString& name) override;
    void characters(const QString& text) override;
    void endElement(const QString& name) override;

private:
    bool isParseButtonSettingGroup = false;
    std::optional<UserMProfileFile::ButtonSetting> buttonSetting;
    bool isParseDpiSettingGroup = false;
    std::optional<UserMProfileFile::DpiSetting> dipSetting;
    bool isParseCustomKeyEntryGroup = false;
    std::optional<UserMProfileFile::CustomKeyEntry> customKeySetting;
    bool malformed_ = false;
};
