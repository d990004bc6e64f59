#pragma once
// The mouse panels' refresh: one read of all mouse settings from the device
// into the mouse model, so the panels show what the mouse reports rather
// than what was sent; and how they show and let go of their pictures.
//
// API (for the mouse panels):
//
//   MouseRefresh r = refreshMouseSettings();
//   if (r.updated) { ... fill the controls from *r.mouse ... }
//   else if (r.failed()) { ... the device answered with an error ... }
//   // else: skipped (no mouse, device not open, busy, or replaced) - do nothing.
//
//   - r.mouse    the MouseEntry that was read (null when AppParam::device is
//                not a mouse). Keep this shared_ptr while you use it.
//   - r.updated  the model was written from a record the open device sent.
//   - r.error    the command's result (NoError when skipped before sending).
//   - r.busy     the read was not made, or was refused with DeviceIsInvalid,
//                because another transaction on this device is still
//                waiting: never run the recovery for it.
//   - r.replaced AppParam::device is no longer r.mouse after the read (a
//                hot-plug or recovery ran inside the reply wait): touch
//                nothing, return quietly.
//   - r.failed() error != NoError and neither busy nor replaced: the case a
//                panel hands to the recovery through settleDeviceCall (the
//                button panel does, the sensor and LED panels' polling
//                ignores it).
//
//   currentMouse()           AppParam::device as a MouseEntry, or null.
//   openMouse()              the same when it has an open device, else null.
//   MousePanelPicture       a panel's tab and how the panel chooses its
//                            picture. Every mouse panel keeps its one at
//                            namespace scope; made so, it also names the
//                            picture the panel shows first, which a mouse's
//                            connect decodes ahead for the tab to be shown.
//   showMousePicture(view, picture)
//                            shows on the panel's view the picture it
//                            chooses from the current mouse's tab pictures
//                            for what its model holds; each panel at the
//                            start of its set-up (before it reads the mouse)
//                            and after the reads that change its picture.
//   letGoOfMousePicture(view)
//                            takes the picture off a panel's view whose tab
//                            is no longer shown (FunctionPanel::tabHidden):
//                            only the panel on show holds one, since one of
//                            a dense screen takes 11 MB.
//   Both drop the decoded pictures no view shows any longer.
//   applyMouseSettings(m, record, keysRead)
//                            the fixed conversion of the 29-byte record into
//                            the model's setting fields (exposed for tests).
//
// With no device open, the mouse commands answer NoError with an all-zero
// record; the refresh never takes such a record (it would show 100 dpi,
// white LEDs and function 0 everywhere). The refresh arms no pacing and
// touches neither the model's backup nor its factory-reset flag.

#include "AppEnums.h"
#include "Device/DeviceCall.h"
#include "Device/KolventraMouse.h"
#include "Utility/AppError.h"

#include <memory>

class KeyboardView;
class MouseEntry;
class MouseTabPictures;
class QImage;

struct MouseRefresh {
    AppError error = AppError::NoError;
    bool updated = false;
    bool busy = false;
    bool replaced = false;
    std::shared_ptr<MouseEntry> mouse;

    bool failed() const { return error != AppError::NoError && !busy && !replaced; }
};

// Reads all settings of the current mouse into its model.
MouseRefresh refreshMouseSettings();

// AppParam::device as a mouse model, or null when it is none.
std::shared_ptr<MouseEntry> currentMouse();
// The current mouse when it has an open device, else null: without one a
// command would "succeed" with nothing sent.
std::shared_ptr<MouseEntry> openMouse();

// A mouse panel's picture among its mouse's tab pictures, for what its
// model holds.
using MousePictureChoice = QImage (*)(const MouseTabPictures& pictures, const MouseEntry& mouse);

// A mouse panel's picture, as the panel on tab `tab` chooses it. Each mouse
// panel makes its one at namespace scope (static storage), and thereby also
// names the picture it shows first: the one it chooses for a mouse model as
// made, which a mouse's connect decodes on its worker, for the tab it
// expects to show, before the panels are set up (decodeFirstPicture). A
// panel whose choice differs once the mouse has been read, or whose tab the
// connect did not expect, decodes its picture when it shows it.
class MousePanelPicture {
public:
    MousePanelPicture(FunctionTab tab, MousePictureChoice choose);
    MousePanelPicture(const MousePanelPicture&) = delete;
    MousePanelPicture& operator=(const MousePanelPicture&) = delete;

    QImage choose(const MouseTabPictures& pictures, const MouseEntry& mouse) const;

    // Decodes the picture the panel on `tab` shows first, chosen for
    // `unread`, a mouse model as made (made on the main thread and handed
    // over: a worker may call this).
    static void decodeFirstPicture(const MouseTabPictures& pictures, FunctionTab tab, const MouseEntry& unread);

private:
    FunctionTab tab_;
    MousePictureChoice choose_;
};

// Nothing without a current mouse with its pictures.
void showMousePicture(KeyboardView* view, const MousePanelPicture& picture);
void letGoOfMousePicture(KeyboardView* view);

// Writes the record into the model: button codes unchanged; colour above 7
// gives White, luminance above 2 Level1, indicator and logo other than 0
// Disable, selected DPI setting above 4 Setting1, lift-off other than 3
// 2 mm, report interval other than 1/2/8 1 kHz; DPI enables and indexes
// unchanged (indexes widened without sign); custom keys get the codes
// Button3 to Button6 and are marked as the mouse's values when `keysRead`.
void applyMouseSettings(MouseEntry& mouse, const KolventraMouse::RmSettings& record, bool keysRead);
