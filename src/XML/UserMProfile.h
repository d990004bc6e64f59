#pragma once
// The file operations of mouse user profiles (".mprf" profile packages with
// one member "profile.<mouse type>.xml" per mouse model, UserMProfileFile.h)
// and their application to the connected mouse. The mouse type is the
// profile extension of the mouse's description (MouseEntry::profileExt()).
//
// Main thread only. Apply blocks while its commands travel.

#include "AppEnums.h"
#include "Utility/AppError.h"
#include "XML/UserMProfileFile.h"

#include <QString>

#include <map>
#include <memory>
#include <optional>

class MouseEntry;

class UserMProfile {
public:
    UserMProfile() = delete;

    // Which parts Apply applies.
    using EnableFunction = std::map<MProfileEntry, bool>;

    // "profile." + mouseType + ".xml".
    static QString memberName(const QString& mouseType);

    // Reads the member of `mouseType` from the package at `filePath` into
    // `profile` (replaced only on NoError) and percent-decodes its comment
    // (a comment that is not valid percent-encoding stays as read). FileRead
    // when the package, its index or the member is missing or unreadable,
    // also when a number in the member does not read; CrcError when the
    // member does not match its index entry.
    static AppError Read(const QString& filePath, const QString& mouseType, UserMProfileFile& profile);

    // Writes the mouse model's current settings as the member of `mouseType`
    // into the package at `filePath`: a new package when no file is there,
    // else the member is added or replaced and the others are kept.
    // `fileComment` is stored as given (callers pass it percent-encoded,
    // encodeComment). NoError or FileNotExist.
    static AppError Write(const QString& filePath, const QString& mouseType, const MouseEntry& mouse,
                          const QString& fileComment);

    // The profile that Write stores for this mouse (type, name from the file
    // name, comment as given, buttons, LEDs, DPI settings, custom keys).
    static UserMProfileFile fromMouse(const MouseEntry& mouse, const QString& filePath,
                                      const QString& fileComment);

    // Copies the enabled parts of `profile` into the mouse model and sends
    // them to the mouse, always in the order Button (functions and custom
    // keys), LED, SensorDPI, SensorLoD; a part is enabled when its key is
    // present with true. The pacing is armed after each command.
    //
    // Every enabled part is checked before anything changes: at most six
    // button entries, a custom key for every button 3 to 6 that gets the
    // custom-key function, indicator and logo 0 or 1, at most four DPI
    // entries each at its own position with enable 0 or 1 and an index of
    // 0 to 119, and a selected setting that names one of them. A profile
    // that fails is BadParam; nothing is changed or sent.
    //
    // The first failing command ends the apply: the main window's device
    // recovery runs for AppParam::selectDeviceLocation (when it is not 0)
    // and the command's error is returned; what was changed and sent before
    // stays. The mouse is held for the whole call, so a recovery that
    // replaces the current device cannot release it underneath. BadParam
    // without a mouse.
    static AppError Apply(std::shared_ptr<MouseEntry> mouse, const UserMProfileFile& profile,
                          const EnableFunction& enableFunction);

    // Percent-encodes a comment for the file (the save dialog does this
    // before Write; Read undoes it): every character outside the letters,
    // digits and marks and outside "!*'();:@&=+$,/?#[]-._~" becomes the
    // percent-encoding of its UTF-8 bytes.
    static QString encodeComment(const QString& comment);
};
