#pragma once
// CRC-16/MCRF4XX: polynomial 0x1021 in reflected form (0x8408), initial value
// 0xFFFF, input and output reflected, no final XOR. Check value 0x6F91 over the
// nine ASCII digits "123456789"; the CRC of no bytes is 0xFFFF.
//
// Profile packages list this CRC of every member in "index.xml" as four
// upper-case hexadecimal digits (Crc16::toText); the firmware update checksums
// the firmware image with the same table.
//
//   uint16_t c = Crc16::compute(bytes);                  // one buffer
//   uint16_t c = Crc16::kInitial;                        // or in pieces
//   c = Crc16::update(c, part1.data(), part1.size());
//   c = Crc16::update(c, part2.data(), part2.size());
//   QString sign = Crc16::toText(c);                     // "6F91"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

namespace Crc16 {

inline constexpr uint16_t kInitial = 0xFFFF;
inline constexpr uint16_t kPolynomial = 0x8408;

// The 256-entry table crc_ccitt_tbl: entry n is n shifted right eight times
// with 0x8408 XORed in after each shift that dropped a 1 (entry 1 is 0x1189).
// Built once, on first use; safe to call from any thread.
const std::array<uint16_t, 256>& crc_ccitt_tbl();

// Runs `len` bytes through the CRC: crc = (crc >> 8) ^ table[(crc ^ b) & 0xFF].
uint16_t update(uint16_t crc, const void* data, std::size_t len);

// CRC of one buffer, starting from 0xFFFF.
uint16_t compute(const void* data, std::size_t len);
uint16_t compute(const QByteArray& data);

// Four upper-case hexadecimal digits with leading zeros ("%04X").
QString toText(uint16_t crc);

} // namespace Crc16
