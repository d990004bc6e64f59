#include "XML/DeviceProfile.h"
#include "XML/KeyboardProfile.h"
#include "XML/MouseProfile.h"

#include "DeviceProfileTestSupport.h"

#include <QBuffer>
#include <QImageReader>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

TEST(DeviceProfileText, ProfileVersionNumber)
{
    const std::vector<std::pair<const char*, std::optional<double>>> table = {
        {"KV_1_2_0", 1002.000},
        {"KV_1_10_5", 1010.005},
        {"KV_1_2_5_beta", 1002.005},
        {"_1_2_3", 1002.003},
        {"KV_0_999_999", 999.999},
        {"KV_1_1000_0", 11000.0}, // "%03d" of 1000 is four digits
        {"KV_1_2", std::nullopt},
        {"1.2.0", std::nullopt},
        {"", std::nullopt},
        {"KV_1_x_0", std::nullopt},
        {"KV_1__0", std::nullopt},
        {"KV_1_-2_0", std::nullopt},
        {"KV_+1_2_0", std::nullopt},
        {"KV_1_2_ 0", std::nullopt},
        {"KV_99999999999_2_0", std::nullopt},
    };
    for (const auto& [text, expected] : table) {
        SCOPED_TRACE(text);
        const std::optional<double> v = DeviceProfile::parseProfileVersion(QString::fromLatin1(text));
        ASSERT_EQ(v.has_value(), expected.has_value());
        if (v) {
            EXPECT_NEAR(*v, *expected, 1e-9);
        }
    }
}

TEST(DeviceProfileText, HexIds)
{
    const std::vector<std::pair<const char*, std::optional<uint16_t>>> table = {
        {"04D9", 0x04D9}, {"4d9", 0x04D9}, {"ffff", 0xFFFF}, {"0", 0},
        {"", std::nullopt}, {"0x04D9", std::nullopt}, {"12345", std::nullopt},
        {"G1", std::nullopt}, {" 4D9", std::nullopt}, {"-1", std::nullopt},
    };
    for (const auto& [text, expected] : table) {
        SCOPED_TRACE(text);
        EXPECT_EQ(DeviceProfile::parseHexId(QString::fromLatin1(text)), expected);
    }
}

TEST(DeviceProfileText, DecimalIntegers)
{
    const std::vector<std::pair<const char*, std::optional<int>>> table = {
        {"12", 12}, {"+5", 5}, {"-3", -3}, {"007", 7}, {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1}, {"2147483648", std::nullopt}, {"", std::nullopt},
        {"-", std::nullopt}, {" 1", std::nullopt}, {"1 ", std::nullopt}, {"1e3", std::nullopt},
        {"0x10", std::nullopt}, {"١٢", std::nullopt} /* non-ASCII digits */,
    };
    for (const auto& [text, expected] : table) {
        SCOPED_TRACE(text);
        EXPECT_EQ(DeviceProfile::parseDecimal(QString::fromUtf8(text)), expected);
    }
}

TEST(DeviceProfileText, HeaderDecidesValidity)
{
    struct Case {
        const char* version;
        const char* vendor;
        const char* product;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"KV_1_2_0", "1A2B", "0001", true},
        {"1.2.0", "1A2B", "0001", false},       // dotted text has no version number
        {"KV_1_2_0", "", "0001", false},
        {"KV_1_2_0", "1A2B", "0x01", false},
        {"KV_1_2_0", "1A2B", "10000", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " " + c.vendor + " " + c.product);
        const QString inner = QStringLiteral("<ProfileVersion>%1</ProfileVersion>"
                                             "<VendorID>%2</VendorID><ProductID>%3</ProductID>")
                                  .arg(QString::fromLatin1(c.version), QString::fromLatin1(c.vendor),
                                       QString::fromLatin1(c.product));
        const auto keyboard = xmltest::parseWith<KeyboardProfileXML>(xmltest::doc(inner));
        const auto mouse = xmltest::parseWith<MouseProfileXML>(xmltest::doc(inner));
        EXPECT_EQ(keyboard.isValid(), c.valid);
        EXPECT_EQ(mouse.isValid(), c.valid);
        if (c.valid) {
            EXPECT_EQ(keyboard.vendorIdValue(), uint16_t(0x1A2B));
            EXPECT_EQ(keyboard.productIdValue(), uint16_t(1));
            EXPECT_NEAR(*keyboard.versionNumber(), 1002.0, 1e-9);
        }
    }
}

namespace {

// CRC-32 as PNG chunks use it.
quint32 crc32(const QByteArray& data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

} // namespace

TEST(DeviceProfilePicture, DecodeWithinCaps)
{
    EXPECT_TRUE(DeviceProfile::decodePicture({}).isNull());
    EXPECT_TRUE(DeviceProfile::decodePicture("garbage").isNull());
    EXPECT_EQ(DeviceProfile::decodePicture(xmltest::png(3, 2)).size(), QSize(3, 2));
    EXPECT_FALSE(DeviceProfile::decodePicture(xmltest::png(DeviceProfile::kMaxPictureSide, 1)).isNull());
    EXPECT_TRUE(DeviceProfile::decodePicture(xmltest::png(1, DeviceProfile::kMaxPictureSide + 1)).isNull());

    // A PNG whose header announces 16384 x 16384 pixels (IHDR patched, its
    // CRC recomputed) is refused before any pixel memory is allocated.
    QByteArray bytes = xmltest::png(2, 2);
    ASSERT_GT(bytes.size(), 33);
    const char huge[8] = {0, 0, 0x40, 0, 0, 0, 0x40, 0};
    bytes.replace(16, 8, QByteArray(huge, 8));
    const quint32 crc = crc32(bytes.mid(12, 17)); // chunk type and data
    for (int i = 0; i < 4; ++i)
        bytes[29 + i] = char((crc >> (24 - 8 * i)) & 0xFF);
    {
        QBuffer buffer(&bytes);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        QImageReader reader(&buffer);
        EXPECT_EQ(reader.size(), QSize(16384, 16384)); // the header itself is valid
    }
    EXPECT_TRUE(DeviceProfile::decodePicture(bytes).isNull());
}
