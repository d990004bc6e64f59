#include "Utility/Crc16.h"

#include "Utility/HexText.h"

namespace Crc16 {

namespace {

std::array<uint16_t, 256> buildTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        uint16_t value = static_cast<uint16_t>(n);
        for (int bit = 0; bit < 8; ++bit) {
            const bool dropped = (value & 1u) != 0;
            value = static_cast<uint16_t>(value >> 1);
            if (dropped)
                value ^= kPolynomial;
        }
        table[n] = value;
    }
    return table;
}

} // namespace

const std::array<uint16_t, 256>& crc_ccitt_tbl()
{
    static const std::array<uint16_t, 256> table = buildTable();
    return table;
}

uint16_t update(uint16_t crc, const void* data, std::size_t len)
{
    const auto& table = crc_ccitt_tbl();
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < len; ++i)
        crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ bytes[i]) & 0xFFu]);
    return crc;
}

uint16_t compute(const void* data, std::size_t len)
{
    return update(kInitial, data, len);
}

uint16_t compute(const QByteArray& data)
{
    return compute(data.constData(), static_cast<std::size_t>(data.size()));
}

QString toText(uint16_t crc)
{
    return QString::fromStdString(hexText(crc, 4));
}

} // namespace Crc16
