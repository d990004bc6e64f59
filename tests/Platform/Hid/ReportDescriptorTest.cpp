// Report descriptors written from the HID usage tables, and damaged ones.
#include "Platform/Hid/Linux/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace platform::hid;

namespace {

using Bytes = std::vector<uint8_t>;

// The vendor interface of the supported devices: page 0xFF00, usage 1,
// 64-byte input and output reports without report IDs.
const Bytes kVendor = {
    0x06, 0x00, 0xFF, // Usage Page (0xFF00)
    0x09, 0x01,       // Usage (1)
    0xA1, 0x01,       // Collection (Application)
    0x15, 0x00,       //   Logical Minimum (0)
    0x26, 0xFF, 0x00, //   Logical Maximum (255)
    0x75, 0x08,       //   Report Size (8)
    0x95, 0x40,       //   Report Count (64)
    0x09, 0x01,       //   Usage (1)
    0x81, 0x02,       //   Input (Data, Variable, Absolute)
    0x95, 0x40,       //   Report Count (64)
    0x09, 0x01,       //   Usage (1)
    0x91, 0x02,       //   Output (Data, Variable, Absolute)
    0xC0,             // End Collection
};

// Boot keyboard: modifiers, reserved byte, LED output, six key codes.
const Bytes kKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,             // Generic Desktop, Keyboard, Application
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,             // Key codes, modifiers E0..E7
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, //
    0x81, 0x02,                                     // Input: 8 modifier bits
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,             // Input: reserved byte (constant)
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05,
    0x91, 0x02,                                     // Output: 5 LEDs
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,             // Output: padding
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65,
    0x81, 0x00,                                     // Input: 6 key codes
    0xC0,
};

// Boot mouse: three buttons, padding, X and Y inside a Physical collection.
const Bytes kMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,             // Generic Desktop, Mouse, Application
    0x09, 0x01, 0xA1, 0x00,                         //   Pointer, Physical
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01,
    0x95, 0x03, 0x75, 0x01, 0x81, 0x02,             //   3 buttons
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01,             //   padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F,
    0x75, 0x08, 0x95, 0x02, 0x81, 0x06,             //   X, Y relative
    0xC0, 0xC0,
};

// Keyboard (report 1, 7 bytes) and consumer control (report 2, 2 bytes).
const Bytes kWithReportIds = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, // Keyboard, Report ID 1
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08,
    0x81, 0x02,
    0x95, 0x06, 0x75, 0x08, 0x26, 0xFF, 0x00, 0x19, 0x00, 0x2A, 0xFF, 0x00, 0x81, 0x00,
    0xC0,
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, // Consumer Control, Report ID 2
    0x15, 0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01,
    0x81, 0x00,
    0xC0,
};

// Two vendor collections with report IDs: usage 1 named with the page in force, usage 2
// with an extended 32-bit usage over a different page in force; a long item
// and a push/pop of the global state on the way.
const Bytes kVendorTwoCollections = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,       // 0xFF00:1
    0x85, 0x01,                                     //   Report ID 1
    0x75, 0x08, 0x95, 0x20, 0x81, 0x02,             //   32-byte input
    0xC0,
    0xFE, 0x02, 0x10, 0xAA, 0xBB,                   // long item, skipped
    0xA4,                                           // Push
    0x05, 0x01,                                     // Usage Page (Generic Desktop)
    0x0B, 0x02, 0x00, 0x00, 0xFF,                   // Usage (0xFF00:0002), 32-bit
    0xA1, 0x01,
    0x85, 0x02,                                     //   Report ID 2
    0x95, 0x3C, 0x81, 0x02,                         //   60-byte input
    0xC0,
    0xB4,                                           // Pop: page back to 0xFF00
    0x09, 0x01, 0xA1, 0x01, 0xC0,                   // 0xFF00:1 again, listed once
};

struct Case {
    const char* name;
    const Bytes* bytes;
    std::vector<UsagePair> usages;
    int input, output, feature;
    bool reportIds;
};

TEST(ReportDescriptor, DescriptorsFromTheUsageTables)
{
    const Case cases[] = {
        {"vendor", &kVendor, {{0xFF00, 1}}, 64, 64, 0, false},
        {"keyboard", &kKeyboard, {{0x01, 0x06}}, 8, 1, 0, false},
        {"mouse", &kMouse, {{0x01, 0x02}}, 3, 0, 0, false},
        {"report ids", &kWithReportIds, {{0x01, 0x06}, {0x0C, 0x01}}, 7, 0, 0, true},
        {"two vendor collections", &kVendorTwoCollections, {{0xFF00, 1}, {0xFF00, 2}}, 60, 0, 0,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto info = parseReportDescriptor(*c.bytes);
        EXPECT_EQ(info.usages, c.usages);
        EXPECT_EQ(info.maxInputReportSize, c.input);
        EXPECT_EQ(info.maxOutputReportSize, c.output);
        EXPECT_EQ(info.maxFeatureReportSize, c.feature);
        EXPECT_EQ(info.usesReportIds, c.reportIds);
        EXPECT_TRUE(info.wellFormed);
    }
}

TEST(ReportDescriptor, UsagePageGivenAfterTheUsageStillApplies)
{
    // Usage before Usage Page, both before the collection.
    const Bytes d = {0x09, 0x01, 0x06, 0x00, 0xFF, 0xA1, 0x01, 0xC0};
    EXPECT_EQ(parseReportDescriptor(d).usages, (std::vector<UsagePair>{{0xFF00, 1}}));
}

TEST(ReportDescriptor, FeatureReportsAndBitsRoundUp)
{
    const Bytes d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01,
                     0x75, 0x01, 0x95, 0x09, 0x81, 0x02, // 9 bits → 2 bytes
                     0x75, 0x08, 0x95, 0x10, 0xB1, 0x02, // 16-byte feature
                     0xC0};
    const auto info = parseReportDescriptor(d);
    EXPECT_EQ(info.maxInputReportSize, 2);
    EXPECT_EQ(info.maxFeatureReportSize, 16);
}

TEST(ReportDescriptor, EveryTruncationIsSafeAndFlaggedWhereItCutsAnItem)
{
    for (const Bytes* full : {&kVendor, &kKeyboard, &kMouse, &kWithReportIds, &kVendorTwoCollections}) {
        // The first three are one collection (opened by byte 6, or 7 for the
        // vendor one): every cut after that leaves it open.
        const bool oneCollection = full == &kVendor || full == &kKeyboard || full == &kMouse;
        const size_t opened = full == &kVendor ? 7 : 6;
        for (size_t len = 0; len < full->size(); ++len) {
            // An exact-size copy, so that a read past the end is caught by ASan.
            const Bytes cut(full->begin(), full->begin() + long(len));
            const auto info = parseReportDescriptor(cut);
            EXPECT_LE(info.maxInputReportSize, 64);
            if (oneCollection && len >= opened) {
                EXPECT_FALSE(info.wellFormed) << "length " << len;
            }
        }
    }
    // Cut inside the Logical Maximum item of the vendor descriptor: the
    // collection seen so far is still reported.
    const Bytes cut(kVendor.begin(), kVendor.begin() + 11);
    const auto info = parseReportDescriptor(cut);
    EXPECT_FALSE(info.wellFormed);
    EXPECT_EQ(info.usages, (std::vector<UsagePair>{{0xFF00, 1}}));
}

TEST(ReportDescriptor, MalformedStructures)
{
    struct M {
        const char* name;
        Bytes bytes;
    };
    const M cases[] = {
        {"end without collection", {0xC0, 0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xC0}},
        {"collection never closed", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}},
        {"long item cut", {0xFE, 0x10, 0x00, 0xAA}},
        {"long item header cut", {0xFE, 0x10}},
        {"pop without push", {0xB4}},
        {"4-byte item cut", {0x0B, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(parseReportDescriptor(c.bytes).wellFormed);
    }
    // The stray End Collection does not hide the collection after it.
    EXPECT_EQ(parseReportDescriptor(cases[0].bytes).usages, (std::vector<UsagePair>{{1, 2}}));

    Bytes deepPush(100, 0xA4);
    EXPECT_FALSE(parseReportDescriptor(deepPush).wellFormed);
    EXPECT_TRUE(parseReportDescriptor(Bytes{}).wellFormed);
    EXPECT_TRUE(parseReportDescriptor(Bytes{}).usages.empty());
}

TEST(ReportDescriptor, HugeReportSizesSaturate)
{
    Bytes d = {0x75, 0x20, 0x97, 0xFF, 0xFF, 0xFF, 0xFF}; // 32 bits × 0xFFFFFFFF
    for (int i = 0; i < 8; ++i)
        d.insert(d.end(), {0x81, 0x02});
    EXPECT_EQ(parseReportDescriptor(d).maxInputReportSize, INT_MAX);
}

TEST(ReportDescriptor, GarbageNeverCrashes)
{
    uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        seed = seed * 1664525u + 1013904223u;
        Bytes d((seed >> 8) % 96);
        for (auto& b : d) {
            seed = seed * 1664525u + 1013904223u;
            b = uint8_t(seed >> 24);
        }
        const auto info = parseReportDescriptor(d);
        EXPECT_GE(info.maxInputReportSize, 0);
        EXPECT_LE(info.usages.size(), d.size());
    }
}

} // namespace
