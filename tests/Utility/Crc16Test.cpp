#include "Utility/Crc16.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CrcVector {
    std::string bytes;
    uint16_t crc;
    const char* text;
};

const CrcVector kVectors[] = {
    {"", 0xFFFF, "FFFF"},
    {"123456789", 0x6F91, "6F91"},
    {"A", 0x5C0A, "5C0A"},
    {std::string(1, '\0'), 0x0F87, "0F87"},
    {std::string(4, '\xFF'), 0xF0B8, "F0B8"},
    {"profile.xml", 0x5FA3, "5FA3"},
};

} // namespace

TEST(Crc16, KnownVectors)
{
    for (const CrcVector& v : kVectors) {
        SCOPED_TRACE(v.text);
        const QByteArray bytes(v.bytes.data(), static_cast<qsizetype>(v.bytes.size()));
        EXPECT_EQ(Crc16::compute(bytes), v.crc);
        EXPECT_EQ(Crc16::toText(Crc16::compute(bytes)), QString::fromLatin1(v.text));
    }
}

TEST(Crc16, TableEntries)
{
    const auto& table = Crc16::crc_ccitt_tbl();
    EXPECT_EQ(table[0], 0x0000);
    EXPECT_EQ(table[1], 0x1189);
    EXPECT_EQ(table[128], 0x8408);
    EXPECT_EQ(table[255], 0x0F78);
    EXPECT_EQ(&table, &Crc16::crc_ccitt_tbl()); // built once
}

TEST(Crc16, PiecewiseEqualsOneShot)
{
    const QByteArray data("The quick brown fox\r\njumps over the lazy dog\r\n");
    for (qsizetype split = 0; split <= data.size(); split += 7) {
        uint16_t crc = Crc16::kInitial;
        crc = Crc16::update(crc, data.constData(), static_cast<std::size_t>(split));
        crc = Crc16::update(crc, data.constData() + split, static_cast<std::size_t>(data.size() - split));
        EXPECT_EQ(crc, Crc16::compute(data)) << "split at " << split;
    }
}

TEST(Crc16, TextIsFourUpperCaseDigits)
{
    EXPECT_EQ(Crc16::toText(0x0000), QStringLiteral("0000"));
    EXPECT_EQ(Crc16::toText(0x000A), QStringLiteral("000A"));
    EXPECT_EQ(Crc16::toText(0xABCD), QStringLiteral("ABCD"));
}
