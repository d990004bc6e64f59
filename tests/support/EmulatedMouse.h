#pragma once
// An emulated mouse: the device side of the mouse commands and its 29-byte
// settings record, on top of the common protocol of EmulatedDevice.
//
// The record (live and stored copies), by byte:
//   0..5   function codes of buttons 1..6
//   6      LED colour 0..7        7  luminance 0..2
//   8      indicator (0 on, 1 off) 9  logo (0 on, 1 off)
//   10..17 DPI settings 1..4: enable byte (0 on, 1 off), DPI index 0..119
//   18     selected DPI setting 0..3
//   19     lift-off distance 2 or 3
//   20     report interval code 1, 2 or 8
//   21..28 custom keys of buttons 3..6: modifier, key code
//
// Commands:
//   0x05 settings read: one reply, LEN 21; data = the whole record (newer
//        firmware layout) or its first 21 bytes followed by zeros (older)
//   0x10 swap of buttons 1 and 2 (0/1): buttons 1,2 := 01,02 or 02,01
//   0x11 button function (BtnNo 0..5, code of the function table)
//   0x12 custom key (BtnNo 2..5, modifier, key code); refused by the older
//        firmware layout
//   0x30 LED (colour 0..7, luminance 0..2, indicator 0/1, logo 0/1)
//   0x50 DPI setting (number 0..3, enable 0/1, index 0..119); the setting
//        written becomes the selected one
//   0x51 lift-off distance (2 or 3)
// Other codes, and out-of-range values, are refused (kStatusRefused).

#include "support/EmulatedDevice.h"

#include "ShippedModels.h"

#include <array>
#include <optional>
#include <set>

namespace emu {

class EmulatedMouse : public EmulatedDevice {
public:
    using Record = std::array<uint8_t, 29>;
    enum class Layout { Older, Newer };

    // Byte positions in the record.
    static constexpr int kButtons = 0, kColor = 6, kLuminance = 7, kIndicator = 8, kLogo = 9,
                         kDpi = 10, kDpiSelected = 18, kLiftOff = 19, kReportRate = 20,
                         kCustomKeys = 21;

    static Record defaults(); // buttons 01..06, white, level 3, LEDs on, 400/800/1600/3200 dpi, setting 2, 2 mm, 1 kHz

    // A mouse with the identity of a shipped model (default: the first
    // mouse); interfaces: the plain mouse (0x01/0x02) and the vendor one.
    explicit EmulatedMouse(const shipped::Model& model = shipped::kModels[2], Layout layout = Layout::Newer);
    EmulatedMouse(Identity identity, std::vector<Interface> interfaces, Layout layout = Layout::Newer);

    Record& live() { return live_; }
    Record& stored() { return stored_; }
    Record& factory() { return factory_; }
    const Record& live() const { return live_; }
    const Record& stored() const { return stored_; }

    Layout layout() const { return layout_; }
    void setLayout(Layout l) { layout_ = l; }
    uint8_t swap() const { return swap_; }         // last 0x10 setting
    // Refuses every write (0x50) of these DPI settings; none when empty.
    void refuseDpiSettings(std::set<int> settings) { refusedDpi_ = std::move(settings); }

    // Is `code` one of the button function codes the mouse accepts?
    static bool validFunction(uint8_t code);

    void restoreStored() override { live_ = stored_; }

protected:
    bool handleCommand(const Request& req, std::vector<Reply>& replies) override;
    void storeSettings() override { stored_ = live_; }
    void factoryReset() override { live_ = factory_; stored_ = factory_; swap_ = 0; }

private:
    Record live_ = defaults();
    Record stored_ = defaults();
    Record factory_ = defaults();
    Layout layout_;
    uint8_t swap_ = 0;
    std::set<int> refusedDpi_;
};

} // namespace emu
