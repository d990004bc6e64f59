#pragma once
// Upper-case hexadecimal text of a number, the one formatting used for CRC
// signs, colour texts, firmware versions and log lines.

#include <cstdint>
#include <string>

// At least `minDigits` digits (zero-padded on the left), more when the value
// needs them: hexText(0x0A, 1) == "A", hexText(0x0A, 2) == "0A",
// hexText(0x1234, 2) == "1234".
inline std::string hexText(uint32_t value, int minDigits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (int(out.size()) < minDigits)
        out.insert(out.begin(), size_t(minDigits) - out.size(), '0');
    return out;
}
