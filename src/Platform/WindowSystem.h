#pragma once
// How the process talks to the window system: settings that must be made
// before the application object exists, because the platform plugin reads
// them when it connects.

namespace platform {

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
