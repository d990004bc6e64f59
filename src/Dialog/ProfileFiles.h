#pragma once
// What the profile save and load dialogs share about profile files on disk:
// which files of the user's folder and of the built-in folder are listed for
// the connected model, the first free default name, and the checks and
// clean-up of a typed profile name and comment.
//
// A profile file is a package with one member per device model, named
// "profile." + profileExt + ".xml". The user's folder is the only one
// written; the built-in folder (AppUtil::resourceProfileFolder()) is read.

#include <QString>
#include <QStringList>

namespace profilefiles {

// Which files a dialog lists: the folders, the extension (".prf" or
// ".mprf") and the member of the connected model.
struct ListRequest {
    QString userFolder;     // ends with "/"; listed only when it can be written
    QString builtinFolder;  // ends with "/"
    QString extension;      // with the dot
    QString member;         // "profile." + profileExt + ".xml"
};

// The listed files: built-in ones first, then the user's; `names[i]` is the
// shown name (file name without folder and extension) of `paths[i]`.
struct ProfileList {
    QStringList paths;
    QStringList names;
    int builtinCount = 0;
};

// Builds the list: a file is taken when its extension equals the requested
// one exactly (case-sensitive), it is a file, and its member for the model
// has at least one byte. Each part is sorted by code point on the whole
// path; a user file hides the built-in file of the same shown name.
ProfileList listProfiles(const ListRequest& request);

// The shown name of a path: its last component without the extension.
QString shownName(const QString& path);

// The extension of a path's last component with its dot ("" when it has
// none; a leading dot alone is no extension).
QString extensionOf(const QString& path);

// The first of format(0), format(1), ... (a printf format with one integer,
// "QMVKB_%04d") for which no file folder + name + extension exists.
QString firstFreeName(const QString& folder, const char* format, const QString& extension);

// Removes tabs and Unicode space separators from both ends; line breaks
// stay.
QString trimSpaces(const QString& text);

// Whether a typed name can be written inside the profile folder as it is:
// no ":" (refused on every platform the files travel to), no "/" and no NUL
// (they would leave the folder or cut the name), and not "." or "..".
// An empty name passes here; the dialog refuses it in a later step.
bool isAcceptableName(const QString& name);

// The comment as it is stored: every UTF-8 byte of the text as "%XX"
// (upper-case digits) except the ASCII letters and digits and the
// characters "!*'();:@&=+$,/?#[]-._~".
QString encodeComment(const QString& comment);

// Longest comment, in characters.
inline constexpr int kMaxCommentLength = 1024;

} // namespace profilefiles
