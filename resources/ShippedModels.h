#pragma once
// The identities of the device models whose description packages we ship.
// One place for them: the data generator writes them into the packages, the
// udev rule is generated from the packages, and the emulated devices of the
// tests answer with the same identities. The IDs are our own placeholders.

#include <array>
#include <cstdint>
#include <string_view>

namespace shipped {

enum class Kind { Keyboard, Mouse };

struct Model {
    Kind kind;
    uint16_t vendorId;
    uint16_t productId;
    std::string_view modelNumber;   // what the device reports (at most 8 ASCII characters:
                                    // six of model, two of revision)
    std::string_view profileExt;    // model key of profile members
    std::string_view name;          // display name
    std::string_view packageFile;   // file name of the description package
    std::array<uint8_t, 4> firmware; // the four version bytes the device reports
    std::string_view profileVersion; // "ProfileVersion" of the description (version 1002.000)
    bool jis = false;               // a keyboard with the JIS layout
};

inline constexpr uint16_t kVendorId = 0x3A5E;

inline constexpr std::array<Model, 3> kModels{{
    {Kind::Keyboard, kVendorId, 0x1108, "KVK108A1", "KVK108US", "KOLVENTRA K108 US",
     "KVK108US.key", {0x01, 0x00, 0x02, 0x05}, "KVK108US_1_2_0", false},
    {Kind::Keyboard, kVendorId, 0x1112, "KVK112A1", "KVK112JP", "KOLVENTRA K112 JIS",
     "KVK112JP.key", {0x01, 0x00, 0x02, 0x05}, "KVK112JP_1_2_0", true},
    {Kind::Mouse, kVendorId, 0x2106, "KVM006A1", "KVM006", "KOLVENTRA M6",
     "KVM006.mou", {0x01, 0x00, 0x01, 0x03}, "KVM006_1_2_0", false},
}};

// File name of the built-in defaults file beside the description packages.
inline constexpr std::string_view kDefaultsFile = "Application.def";

} // namespace shipped
