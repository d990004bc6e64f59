#pragma once
// How the process talks to the window system: settings that must be made
// before the application object exists, because the platform plugin reads
// them when it connects.

#include <QByteArray>
#include <QString>

namespace platform {

// Chooses the window system the application starts on, before the
// application object exists. A platform the user names (QT_QPA_PLATFORM, or
// Qt's own `-platform NAME` among `argv`) is used as named, unchecked.
// Otherwise an X display at DISPLAY that lets this user in is chosen (xcb),
// XWayland in a Wayland session too: there the window places its menus and
// dialogs itself, which a Wayland compositor does not allow. Without one, a
// Wayland compositor at WAYLAND_DISPLAY that answers is chosen (wayland). The
// choice reaches the plugin through QT_QPA_PLATFORM, which is unset again once
// the application object has loaded the plugin. Empty when the start can go
// on; otherwise one line that names each display set and why it cannot be
// used (it cannot be reached, it does not answer, or the X server refuses this
// user, in its own words cut to a few hundred printable characters when any
// are printable), or says that neither is set.
// Each display is tried by the client library its plugin uses (libxcb,
// libwayland-client: a connection and one round trip), in a child process
// that is given at most five seconds.
QString chooseWindowSystem(int argc, const char* const* argv);

// What chooseWindowSystem() chooses, without acting on it: the plugin
// (empty when the user named one or none can be used) and the line.
struct WindowSystemChoice {
    QByteArray platform;
    QString problem;
};
WindowSystemChoice reachableWindowSystem(int argc, const char* const* argv);

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
