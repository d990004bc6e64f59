#include "Platform/Hid/Linux/ReportDescriptor.h"

#include <algorithm>
#include <array>
#include <climits>

namespace platform::hid {

namespace {

// Item types and tags of the short items this reader acts on.
enum ItemType : uint8_t { Main = 0, Global = 1, Local = 2, Reserved = 3 };

enum MainTag : uint8_t { Input = 0x8, Output = 0x9, Collection = 0xA, Feature = 0xB, EndCollection = 0xC };
enum GlobalTag : uint8_t {
    UsagePage = 0x0,
    ReportSize = 0x7,
    ReportId = 0x8,
    ReportCount = 0x9,
    Push = 0xA,
    Pop = 0xB,
};
enum LocalTag : uint8_t { Usage = 0x0, UsageMinimum = 0x1 };

constexpr uint8_t kLongItemPrefix = 0xFE;
constexpr uint32_t kApplicationCollection = 0x01;
constexpr size_t kMaxPushDepth = 16;

struct GlobalState {
    uint32_t usagePage = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

struct LocalState {
    bool hasUsage = false;
    bool extended = false; // the usage carries its own page in its upper 16 bits
    uint32_t usage = 0;

    void take(uint32_t value, int size)
    {
        if (hasUsage)
            return; // the first usage names the collection
        hasUsage = true;
        extended = size == 4;
        usage = value;
    }
};

// Bits declared so far per report ID, one table per report kind.
struct ReportBits {
    std::array<uint64_t, 256> bits{};

    void add(uint8_t id, uint32_t size, uint32_t count)
    {
        const uint64_t more = uint64_t(size) * uint64_t(count); // < 2^64 for 32-bit factors
        uint64_t& b = bits[id];
        b = (UINT64_MAX - b < more) ? UINT64_MAX : b + more;
    }

    int maxBytes() const
    {
        uint64_t best = 0;
        for (uint64_t b : bits)
            best = std::max(best, b);
        const uint64_t bytes = best / 8 + (best % 8 ? 1 : 0);
        return bytes > uint64_t(INT_MAX) ? INT_MAX : int(bytes);
    }
};

uint32_t readValue(const uint8_t* p, int size)
{
    uint32_t v = 0;
    for (int i = 0; i < size; ++i)
        v |= uint32_t(p[i]) << (8 * i);
    return v;
}

} // namespace

ReportDescriptorInfo parseReportDescriptor(std::span<const uint8_t> bytes)
{
    ReportDescriptorInfo out;
    GlobalState global;
    std::vector<GlobalState> stack;
    LocalState local;
    ReportBits input, output, feature;
    int depth = 0;

    size_t pos = 0;
    const size_t end = bytes.size();
    while (pos < end) {
        const uint8_t prefix = bytes[pos];

        if (prefix == kLongItemPrefix) {
            // Long item: prefix, data size, tag, data. Nothing in it matters here.
            if (end - pos < 3) {
                out.wellFormed = false;
                break;
            }
            const size_t dataSize = bytes[pos + 1];
            if (end - pos - 3 < dataSize) {
                out.wellFormed = false;
                break;
            }
            pos += 3 + dataSize;
            continue;
        }

        const int size = (prefix & 0x3) == 3 ? 4 : (prefix & 0x3);
        const uint8_t type = (prefix >> 2) & 0x3;
        const uint8_t tag = prefix >> 4;
        if (end - pos - 1 < size_t(size)) {
            out.wellFormed = false;
            break;
        }
        const uint32_t value = readValue(bytes.data() + pos + 1, size);
        pos += 1 + size_t(size);

        switch (type) {
        case Main:
            switch (tag) {
            case Input: input.add(global.reportId, global.reportSize, global.reportCount); break;
            case Output: output.add(global.reportId, global.reportSize, global.reportCount); break;
            case Feature: feature.add(global.reportId, global.reportSize, global.reportCount); break;
            case Collection:
                if (depth == 0 && (value & 0xFF) == kApplicationCollection) {
                    UsagePair pair;
                    if (local.hasUsage && local.extended) {
                        pair = {uint16_t(local.usage >> 16), uint16_t(local.usage & 0xFFFF)};
                    } else {
                        pair.page = uint16_t(global.usagePage & 0xFFFF);
                        pair.usage = local.hasUsage ? uint16_t(local.usage & 0xFFFF) : 0;
                    }
                    if (std::find(out.usages.begin(), out.usages.end(), pair) == out.usages.end())
                        out.usages.push_back(pair);
                }
                ++depth;
                break;
            case EndCollection:
                if (depth == 0)
                    out.wellFormed = false;
                else
                    --depth;
                break;
            default: break;
            }
            local = LocalState{}; // local items last until the next main item
            break;

        case Global:
            switch (tag) {
            case UsagePage: global.usagePage = value; break;
            case ReportSize: global.reportSize = value; break;
            case ReportCount: global.reportCount = value; break;
            case ReportId:
                global.reportId = uint8_t(value & 0xFF);
                out.usesReportIds = true;
                break;
            case Push:
                if (stack.size() < kMaxPushDepth)
                    stack.push_back(global);
                else
                    out.wellFormed = false;
                break;
            case Pop:
                if (stack.empty()) {
                    out.wellFormed = false;
                } else {
                    global = stack.back();
                    stack.pop_back();
                }
                break;
            default: break;
            }
            break;

        case Local:
            if (tag == Usage || tag == UsageMinimum)
                local.take(value, size);
            break;

        default: break; // reserved short items carry nothing we use
        }
    }

    if (depth != 0)
        out.wellFormed = false;
    out.maxInputReportSize = input.maxBytes();
    out.maxOutputReportSize = output.maxBytes();
    out.maxFeatureReportSize = feature.maxBytes();
    return out;
}

} // namespace platform::hid
