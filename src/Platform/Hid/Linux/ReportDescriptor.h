#pragma once
// A small HID report-descriptor reader: what the device list needs to know
// about an interface without opening it (its top-level application
// collections and the size of its reports).

#include "Platform/Hid/HidBackend.h"

#include <cstdint>
#include <span>
#include <vector>

namespace platform::hid {

struct ReportDescriptorInfo {
    // (usage page, usage) of every top-level Application collection, in
    // descriptor order, each pair once.
    std::vector<UsagePair> usages;
    // Largest report of each kind in bytes, without the report ID byte.
    int maxInputReportSize = 0;
    int maxOutputReportSize = 0;
    int maxFeatureReportSize = 0;
    // The descriptor declares report IDs: every report then starts with its
    // ID byte on the wire.
    bool usesReportIds = false;
    // False when the descriptor ended inside an item, closed a collection
    // that was never opened, left one open, or overflowed the global stack.
    // Whatever was read up to the fault is still reported.
    bool wellFormed = true;
};

// Never reads outside `bytes`, whatever they hold.
ReportDescriptorInfo parseReportDescriptor(std::span<const uint8_t> bytes);

} // namespace platform::hid
