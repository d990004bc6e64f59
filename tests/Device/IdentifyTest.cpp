// Device identification: the current reply layout, the three older ones,
// and the open-ask-close probe.
#include "KolventraTestFixture.h"

using linktest::entries;
using linktest::kLocation;
using linktest::kOtherLocation;
using Kind = emu::LogEntry::Kind;
using emu::FaultKind;
using emu::IdentityLayout;

namespace {

struct Texts {
    std::string model, version, compare;
    friend bool operator==(const Texts&, const Texts&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Texts& t)
    {
        return os << '"' << t.model << "\" \"" << t.version << "\" \"" << t.compare << '"';
    }
};

class IdentifyTest : public linktest::LinkTest {
protected:
    AppError ask(Texts& t)
    {
        t = {"stale", "stale", "stale"};
        return device->CMD_GetDeviceInfo(t.model, t.version, t.compare);
    }
    void identity(IdentityLayout layout, std::vector<uint8_t> model, std::array<uint8_t, 4> fw, uint8_t status = 0)
    {
        auto& id = keyboard->identity();
        id.layout = layout;
        id.model = std::move(model);
        id.firmware = fw;
        id.legacyStatus = status;
    }
};

std::vector<uint8_t> text(std::string_view s) { return emu::Identity::modelBytes(s); }

} // namespace

TEST_F(IdentifyTest, RequestPacketAndShippedIdentity)
{
    keyboard->identity().firmware = {0x01, 0x00, 0x02, 0x05};
    Texts t;
    ASSERT_EQ(ask(t), AppError::NoError);
    Bytes expected(65, 0);
    expected[1] = expected[2] = 0xAA;
    expected[3] = 0x02;
    ASSERT_EQ(keyboard->writeCount(), 1);
    EXPECT_EQ(entries(*keyboard, Kind::Output)[0].bytes, expected);
    const auto& m = shipped::kModels[0];
    EXPECT_EQ(t.model, std::string(m.modelNumber));
    EXPECT_EQ(t.version, "10.25");
    EXPECT_EQ(t.compare, "000205");
}

TEST_F(IdentifyTest, AllLayoutsDecode)
{
    struct Case {
        const char* name;
        IdentityLayout layout;
        std::vector<uint8_t> model;
        std::array<uint8_t, 4> fw;
        uint8_t status;
        Texts expected;
    };
    const std::vector<Case> cases{
        {"current", IdentityLayout::Current, text("ABCDEFGH"), {1, 2, 3, 4}, 0, {"ABCDEFGH", "12.34", "020304"}},
        {"current, short text gets hex suffix", IdentityLayout::Current,
         {0x41, 0x42, 0x00, 0x00, 0x00, 0x0A, 0x10, 0x01}, {1, 2, 3, 4}, 0, {"AB0A101", "12.34", "020304"}},
        {"current, version digits", IdentityLayout::Current, text("KVK108US"), {0x01, 0x00, 0x00, 0x0A}, 0,
         {"KVK108US", "10.0A", "00000A"}},
        {"current, five characters need no suffix", IdentityLayout::Current, text("ABCDE"), {0, 0, 0, 0}, 0,
         {"ABCDE", "00.00", "000000"}},
        {"current, control byte first", IdentityLayout::Current,
         {0x05, 0x41, 0x42, 0x43, 0x1F, 0x2E, 0xA0, 0x0B}, {0xFF, 0xEE, 0xDD, 0xCC}, 0,
         {"1F2EA0B", "FFEE.DDCC", "EEDDCC"}},
        {"current, byte above 0x7F is not text", IdentityLayout::Current,
         {0x41, 0x80, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47}, {1, 2, 3, 4}, 0, {"44454647", "12.34", "020304"}},
        {"ten-byte", IdentityLayout::TenByte, {0x58, 0x59, 0x5A, 0x31, 0x32, 0x00}, {1, 0, 2, 3}, 0,
         {"XYZ1200", "10.23", "000203"}},
        {"ten-byte, short text", IdentityLayout::TenByte, {0x41, 0x42, 0x00, 0x00, 0x0C, 0x01}, {1, 2, 3, 4}, 0,
         {"ABC100", "12.34", "020304"}},
        {"ten-byte with a status error", IdentityLayout::TenByte, text("XYZ123"), {1, 2, 3, 4}, 0x01,
         {"XYZ12300", "12.34", "020304"}},
        {"eight-byte", IdentityLayout::EightByte, {0x12, 0x34, 0x56, 0x78}, {1, 2, 3, 4}, 0, {"1234-5678", "12.34", ""}},
        {"eight-byte with a status error", IdentityLayout::EightByte, {0xAB, 0x01, 0x00, 0xFF}, {0x10, 0, 0, 1}, 0x03,
         {"AB01-00FF", "100.01", ""}},
        {"short header", IdentityLayout::ShortHeader, {0x12, 0x34, 0x56, 0x78}, {1, 2, 3, 4}, 0, {"1234-5678", "12.34", ""}},
        {"short header with a status error", IdentityLayout::ShortHeader, {0x00, 0x01, 0x02, 0x03}, {0, 0, 1, 0}, 0x01,
         {"0001-0203", "00.10", ""}},
    };
    for (const auto& c : cases) {
        identity(c.layout, c.model, c.fw, c.status);
        Texts t;
        EXPECT_EQ(ask(t), AppError::NoError) << c.name;
        EXPECT_EQ(t, c.expected) << c.name;
    }
    EXPECT_EQ(keyboard->writeCount(), int(cases.size())); // no retries
}

TEST_F(IdentifyTest, FailuresLeaveTheTextsEmpty)
{
    struct Case {
        const char* name;
        std::vector<emu::Fault> faults;
        AppError expected;
    };
    const std::vector<Case> cases{
        // Status error whose reply matches no older layout (LEN 5, flag 0x41).
        {"unrecognised status error",
         {{.kind = FaultKind::SetByte, .value = 0x01, .offset = 4},
          {.kind = FaultKind::SetByte, .value = 0x41, .offset = 5},
          {.kind = FaultKind::SetByte, .value = 0x05, .offset = 6}},
         AppError::RecvErrorStore},
        {"unrecognised length", {{.kind = FaultKind::WrongLength, .value = 11}}, AppError::RecvBadLengthStore},
        {"wrong signature", {{.kind = FaultKind::WrongSignature}}, AppError::RecvBadParamStore},
        {"too short a reply", {{.kind = FaultKind::Short, .value = 4}}, AppError::RecvBadLengthStore},
        {"device gone", {{.kind = FaultKind::Detach}}, AppError::DevceRead},
    };
    for (const auto& c : cases) {
        for (const auto& f : c.faults)
            keyboard->inject(f);
        Texts t;
        EXPECT_EQ(ask(t), c.expected) << c.name;
        EXPECT_EQ(t, (Texts{})) << c.name;
    }
}

TEST_F(IdentifyTest, WithoutDeviceTheTextsAreEmptyAndNothingIsSent)
{
    device->hidClose();
    Texts t;
    EXPECT_EQ(ask(t), AppError::NoError);
    EXPECT_EQ(t, (Texts{}));
    EXPECT_EQ(keyboard->writeCount(), 0);
}

TEST_F(IdentifyTest, ProbeOpensAsksAndClosesWithoutSessionNotice)
{
    device->hidClose();
    KolventraDevice probe;
    Texts t{"x", "y", "z"};
    EXPECT_EQ(probe.rdGetDeviceInfo(kLocation, t.model, t.version, t.compare), AppError::NoError);
    EXPECT_EQ(t.model, std::string(shipped::kModels[0].modelNumber));
    EXPECT_FALSE(probe.hidIsOpened());
    EXPECT_EQ(bus->openHandleCount(kLocation), 0);
    EXPECT_EQ(keyboard->commands(), (std::vector<uint8_t>{0x02}));

    // Nothing at the location: the open's failure, texts empty, still closed.
    t = {"x", "y", "z"};
    EXPECT_EQ(probe.rdGetDeviceInfo(kOtherLocation, t.model, t.version, t.compare), AppError::BadDevice);
    EXPECT_EQ(t, (Texts{}));
    EXPECT_FALSE(probe.hidIsOpened());

    // A device the object had open before is closed too.
    ASSERT_EQ(probe.hidOpen(kLocation), AppError::NoError);
    EXPECT_EQ(probe.rdGetDeviceInfo(kLocation, t.model, t.version, t.compare), AppError::NoError);
    EXPECT_FALSE(probe.hidIsOpened());
    EXPECT_EQ(keyboard->startCount() + keyboard->endCount(), 0);
}

TEST_F(IdentifyTest, ProbeOfASeizedDeviceFails)
{
    KolventraDevice probe;
    Texts t;
    EXPECT_EQ(probe.rdGetDeviceInfo(kLocation, t.model, t.version, t.compare), AppError::BadDevice);
    EXPECT_TRUE(device->hidIsOpened());
    EXPECT_EQ(keyboard->writeCount(), 0);
}
