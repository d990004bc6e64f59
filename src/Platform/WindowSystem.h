#pragma once
// How the process talks to the window system: settings that must be made
// before the application object exists, because the platform plugin reads
// them when it connects.

#include <QString>

namespace platform {

// Empty when the window system can be reached: a platform is chosen through
// QT_QPA_PLATFORM (which also serves offscreen runs), or DISPLAY (X11) or
// WAYLAND_DISPLAY (Wayland) names a display. Otherwise one line that says a
// graphical session is needed and which variables are missing.
QString missingGraphicalSession();

// Under X11, window contents go to the server through the connection rather
// than through shared memory. With shared memory, each repaint of pixels the
// server may still be reading waits for a round trip to the server first:
// the active tab's blink repaints the same few pixels ten times a second, and
// each frame then wakes the process four times instead of once. A whole
// window repaint costs about 1 ms more through the connection, which a user
// never waits on. Without effect on other platforms; a variable the user has
// set is left as it is.
void configureWindowSystem();

} // namespace platform
