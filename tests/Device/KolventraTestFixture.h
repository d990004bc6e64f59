#pragma once
// Shared set-up of the device-link tests: a virtual HID bus with one emulated
// keyboard, a KolventraDevice opened on it, and the captured console lines;
// a command set opened on one emulated device; the packets the host writes.

#include "Device/KolventraDevice.h"
#include "Utility/Logger.h"
#include "support/EmulatedKeyboard.h"
#include "support/VirtualHidBus.h"

#include <gtest/gtest.h>

// Faults are written with designated initialisers naming only what matters.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <ostream>

// Test output names result codes.
inline void PrintTo(AppError e, std::ostream* os) { *os << appErrorName(e); }

namespace linktest {

inline constexpr uint32_t kLocation = 0x01100000;
inline constexpr uint32_t kOtherLocation = 0x01200000;

// The packet log entries of one kind.
inline std::vector<emu::LogEntry> entries(const emu::EmulatedDevice& d, emu::LogEntry::Kind kind)
{
    std::vector<emu::LogEntry> out;
    for (const auto& e : d.log())
        if (e.kind == kind)
            out.push_back(e);
    return out;
}

// Index of the vendor interface of an emulated device.
inline int vendorInterface(const emu::EmulatedDevice& d)
{
    for (size_t i = 0; i < d.interfaces().size(); ++i)
        if (d.interfaces()[i].vendor())
            return int(i);
    return -1;
}

// A 65-byte command packet as the host writes it: report ID 0, AA AA, cmd,
// flag, len, then `data`, then zeros.
inline Bytes commandPacket(uint8_t cmd, uint8_t flag, uint8_t len, const Bytes& data = {})
{
    Bytes p(65, 0);
    p[1] = p[2] = 0xAA;
    p[3] = cmd;
    p[4] = flag;
    p[5] = len;
    std::copy(data.begin(), data.end(), p.begin() + 6);
    return p;
}

// The bytes of every write in the packet log, in order.
inline std::vector<Bytes> writtenPackets(const emu::EmulatedDevice& d)
{
    std::vector<Bytes> out;
    for (const auto& e : d.writes())
        out.push_back(e.bytes);
    return out;
}

// The message part of captured console lines (after " : ").
inline std::string message(const std::string& line)
{
    const auto p = line.find(" : ");
    return p == std::string::npos ? line : line.substr(p + 3);
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousSink_ = Logger::setSink([this](const std::string& l) { lines.push_back(l); });
        keyboard = std::make_shared<emu::EmulatedKeyboard>();
        ASSERT_TRUE(bus->attach(keyboard, kLocation));
        device = std::make_unique<KolventraDevice>();
        ASSERT_EQ(device->hidOpen(kLocation), AppError::NoError);
    }
    void TearDown() override
    {
        if (device)
            device->hidClose();
        device.reset();
        Logger::setSink(previousSink_);
    }

    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        for (const auto& l : lines)
            out.push_back(message(l));
        return out;
    }

    // Runs one transaction with a fresh reply list.
    AppError transact(const Bytes& packet, const std::vector<int>& counts)
    {
        replies.clear();
        return device->KolventraIoControl("test", &packet, replies, counts);
    }

    emu::ScopedVirtualBus bus;
    std::shared_ptr<emu::EmulatedKeyboard> keyboard;
    std::unique_ptr<KolventraDevice> device;
    std::vector<Bytes> replies;
    std::vector<std::string> lines;

private:
    Logger::Sink previousSink_;
};

// A command set (`Commands`: KolventraKeyboard, KolventraMouse, ...) opened
// on a fresh `Emulated` device at kLocation of a fresh virtual bus, closed
// after each test.
template <class Emulated, class Commands>
class OpenedCommandSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        emulated = std::make_shared<Emulated>();
        ASSERT_TRUE(bus->attach(emulated, kLocation));
        ASSERT_EQ(commands.hidOpen(kLocation), AppError::NoError);
    }
    void TearDown() override { commands.hidClose(); }

    emu::ScopedVirtualBus bus;
    std::shared_ptr<Emulated> emulated;
    Commands commands;
};

} // namespace linktest
