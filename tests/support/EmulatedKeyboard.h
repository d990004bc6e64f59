#pragma once
// An emulated keyboard: the device side of the keyboard commands (actuation
// point, key lock, key-code change, brightness, indicator LEDs, effects) on
// top of the common protocol of EmulatedDevice.
//
// Commands and what they do to the live settings:
//   0x20 all-keys APC (LEN 1, level 0..2): apcAll and every per-key byte := level
//   0x21 per-key APC, three packets 59/59/10 (flags 0x41/0x82/0xC3, +0x20 =
//        not shown on the LEDs): apc[59*(k-1)+j] := data byte j, stored raw
//   0x22 per-key APC read: three replies, LEN 58/58/12, flags 0x41/0x82/0xC3
//   0x23 all-keys APC read: LEN 1, apcAll
//   0x80/0x81 per-key lock write/read, as 0x21/0x22 on `lock`
//   0x82/0x83 key-lock switch write (0 or 1)/read
//   0x84/0x85 key-code change switch write (0 or 1)/read
//   0x42/0x43 brightness write (0..2)/read
//   0x44 indicator colours (LEN 13: index byte 0x01, then 4 x R,G,B)
//   0x45 indicator colours read (LEN 1: index byte 0x01) -> LEN 12
//   0x60 stop effect (effect := 0); 0x61..0x69 start that effect (effect := code)
// Other codes, and out-of-range values, are refused (kStatusRefused).

#include "support/EmulatedDevice.h"

#include "ShippedModels.h"

#include <array>

namespace emu {

class EmulatedKeyboard : public EmulatedDevice {
public:
    struct Settings {
        std::array<uint8_t, 128> apc{};       // per-key APC bytes (0 High, 1 Middle, 2 Low)
        uint8_t apcAll = 1;                   // the all-keys level
        std::array<uint8_t, 128> lock{};      // per-key lock bytes (1 = locked)
        uint8_t lockEnable = 0;               // key-lock switch (1 = on)
        uint8_t codeChange = 0;               // Caps Lock key-code change (1 = on)
        uint8_t brightness = 2;               // 0..2
        std::array<uint8_t, 12> indicator{};  // four indicator colours, R,G,B each

        static Settings defaults();           // all Middle, unlocked, switches off, brightness 2, white
        friend bool operator==(const Settings&, const Settings&) = default;
    };

    // A keyboard with the identity of a shipped model (default: the first
    // keyboard); interfaces: the plain keyboard (0x01/0x06) and the vendor one.
    explicit EmulatedKeyboard(const shipped::Model& model = shipped::kModels[0]);
    EmulatedKeyboard(Identity identity, std::vector<Interface> interfaces);

    Settings& live() { return live_; }
    Settings& stored() { return stored_; }
    Settings& factory() { return factory_; }       // what 0x03 restores
    const Settings& live() const { return live_; }
    const Settings& stored() const { return stored_; }

    uint8_t effect() const { return effect_; }     // 0 = no effect running
    // Whether the last accepted per-key packet (0x21/0x80) or indicator
    // write (0x44) was to be shown on the LEDs (no 0x20 flag bit).
    bool lastLedShown() const { return lastLedShown_; }

    void restoreStored() override { live_ = stored_; }

protected:
    bool handleCommand(const Request& req, std::vector<Reply>& replies) override;
    void storeSettings() override { stored_ = live_; }
    void factoryReset() override { live_ = factory_; stored_ = factory_; effect_ = 0; }

private:
    bool perKeyWrite(const Request& req, std::array<uint8_t, 128>& target, SequenceWriter& seq,
                     std::vector<Reply>& replies);

    Settings live_ = Settings::defaults();
    Settings stored_ = Settings::defaults();
    Settings factory_ = Settings::defaults();
    uint8_t effect_ = 0;
    bool lastLedShown_ = true;
    SequenceWriter apcSeq_, lockSeq_;
};

} // namespace emu
