#pragma once
// Small stateless utilities of the application. AppUtil is a namespace so
// that several headers can add to it (KeyName.h: key names and custom-key
// text; ProfilePackage.h: the profile package container).

#include <cstdint>
#include <optional>

#include <QImage>
#include <QPalette>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include "Utility/AppColor.h"

namespace AppUtil {

// ----- message box ---------------------------------------------------------

// Shows a modal message box through the main window controller and waits
// for the user. The keys are localisation keys of the message, the OK
// caption and the Cancel caption; an empty cancel key shows no Cancel
// button. Returns 1 for OK, 0 for Cancel. Without a registered main window
// controller nothing is shown and 0 is returned.
int messageBox(const QString& messageKey, const QString& okKey, const QString& cancelKey);

// Where a message box of `dialogSize` goes over a main window with frame
// `mainFrame` (top-left screen coordinates, y growing downwards): centred
// horizontally, its top edge 80 points below the main window's top edge.
QPointF messageBoxPosition(const QRectF& mainFrame, const QSizeF& dialogSize);

// ----- devices -------------------------------------------------------------

// Whether a device with the vendor interface (usage page 0xFF00, usage 1) is
// attached at that location.
bool isConnectedDevice(int32_t location);

// ----- hexadecimal text ----------------------------------------------------

// Value of one hexadecimal digit (0-9, a-f, A-F), or -1 for any other
// character.
int hexDigitValue(QChar c);

// ----- colour text ---------------------------------------------------------

// "AARRGGBB" (hex) to a colour. The text is read as a signed 64-bit integer
// in base 16 (an optional leading "+" or "-"; no blanks, no "0x"); text that
// does not read gives 0. Only the lowest 32 bits count: "1FFFF0000" is
// opaque red; invalid text gives transparent black.
AppColor strToColorArgb(const QString& colorString);

// A colour to "AARRGGBB": each component × 255 truncated toward zero
// (0.9 gives E5). A colour without an RGB form gives "FFFFFFFF".
QString colorToStr(const AppColor& color);

// ----- images --------------------------------------------------------------

// Makes the image's logical size equal to its pixel size (device pixel
// ratio 1, 72 dots per inch).
void convertImageSizeToDpi72(QImage& image);

// ----- folders -------------------------------------------------------------

// Per-user data folder of the application ("<generic data>/Nembo/KOLVENTRA/",
// ending in "/"): the settings file and the description packages the user
// adds. Not created here.
QString appWorkFolder();
// Tests point the per-user data folder elsewhere; an empty text restores
// the default.
void setAppWorkFolderForTesting(const QString& folder);

// The user's documents folder, ending in "/".
QString documentsFolder();

// Folder of the shipped data ("<prefix>/share/kolventra/", ending in "/"):
// next to the executable in an installed tree, else the build tree's copy.
QString resourceDataFolder();
// The shipped "Profile/" folder (defaults file and description packages),
// ending in "/".
QString resourceProfileFolder();
// Tests point the shipped data folder elsewhere; an empty text restores the
// default lookup.
void setResourceDataFolder(const QString& folder);

// Paths of the shipped description packages: every "*.key" of the shipped
// "Profile/" folder, then every "*.mou", each sorted by name.
QStringList getApplicationProfilePaths();

// ----- appearance ----------------------------------------------------------

// Whether the application is shown in a dark appearance (the window colour
// of the application palette is dark). False without a GUI application.
bool isDarkMode();
// The test behind isDarkMode for a given palette.
bool isDarkPalette(const QPalette& palette);

} // namespace AppUtil
