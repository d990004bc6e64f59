// What becomes of a device command, against the emulated keyboard: the
// outcomes of settleDeviceCall with the recovery it runs or leaves alone, and
// a profile apply whose keyboard is replaced (as by a hot-plug) while a
// command waits for its reply.
#include "BuildPaths.h"
#include "AppParam.h"
#include "Device/DeviceCall.h"
#include "Device/KeyboardEntry.h"
#include "Platform/Clock.h"
#include "ShippedModels.h"
#include "XML/UserProfile.h"
#include "support/EmulatedKeyboard.h"
#include "support/RecordingMainController.h"
#include "support/VirtualHidBus.h"

#include <QObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr uint32_t kLocation = 0x01100000;
constexpr uint8_t kCodeChange = KolventraKeyboard::CMDC_SETCODECHG;
using emu::FaultKind;

QString shippedPackage(const shipped::Model& m)
{
    return QStringLiteral(KOLVENTRA_BINARY_DIR "/share/kolventra/Profile/")
        + QString::fromLatin1(m.packageFile.data(), qsizetype(m.packageFile.size()));
}

// Runs `action` from the event loop as soon as `device` has been sent a
// command (while that command waits for its reply), at most once.
class OnFirstCommand {
public:
    OnFirstCommand(const emu::EmulatedDevice& device, std::function<void()> action)
    {
        poll_.setInterval(1);
        QObject::connect(&poll_, &QTimer::timeout, [this, &device, action = std::move(action)] {
            if (ran || device.commands().empty())
                return;
            ran = true;
            poll_.stop();
            action();
        });
        poll_.start();
    }
    bool ran = false;

private:
    QTimer poll_;
};

class DeviceCall : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedDevice_ = AppParam::device;
        savedLocation_ = AppParam::selectDeviceLocation;
        AppParam::selectDeviceLocation = int32_t(kLocation);
        emulated = std::make_shared<emu::EmulatedKeyboard>(shipped::kModels[0]);
        ASSERT_TRUE(bus->attach(emulated, kLocation));
        kb = std::make_shared<KeyboardEntry>();
        ASSERT_EQ(kb->loadProfile(shippedPackage(shipped::kModels[0])), AppError::NoError);
        ASSERT_EQ(kb->open(kLocation), AppError::NoError);
        AppParam::device = kb;
        emulated->clearLog();
    }
    void TearDown() override
    {
        (void)kb->close(true);
        AppParam::device = savedDevice_;
        AppParam::selectDeviceLocation = savedLocation_;
    }

    AppError switchCodeChange() { return kb->CMD_SetKeyCodeChange(KeyCodeChange::Enable); }

    platform::ScopedTimeScale scale{0.1};
    emu::ScopedVirtualBus bus;
    RecordingMainController controller;
    std::shared_ptr<emu::EmulatedKeyboard> emulated;
    std::shared_ptr<KeyboardEntry> kb;

private:
    std::shared_ptr<IDeviceEntry> savedDevice_;
    int32_t savedLocation_ = 0;
};

TEST_F(DeviceCall, EachOutcomeRunsTheRecoveryOnlyForABrokenDevice)
{
    EXPECT_EQ(settleDeviceCall(switchCodeChange(), kb), CallOutcome::Done);
    EXPECT_EQ(emulated->live().codeChange, 1);
    EXPECT_TRUE(controller.deviceErrors.empty());

    // Refused: the recovery is asked for the selected location; the device
    // stays current only when the main window does not replace it.
    emulated->inject({.kind = FaultKind::Status, .command = kCodeChange});
    EXPECT_EQ(settleDeviceCall(switchCodeChange(), kb), CallOutcome::Broken);
    EXPECT_EQ(controller.deviceErrors, std::vector<int32_t>{int32_t(kLocation)});

    controller.deviceErrors.clear();
    controller.onDeviceError = [](int32_t) { AppParam::device = std::make_shared<KeyboardEntry>(); };
    emulated->inject({.kind = FaultKind::Status, .command = kCodeChange});
    EXPECT_EQ(settleDeviceCall(switchCodeChange(), kb), CallOutcome::Replaced);
    EXPECT_EQ(controller.deviceErrors.size(), 1u);
    controller.onDeviceError = nullptr;
    controller.deviceErrors.clear();
    AppParam::device = kb;

    // A command sent while another one waits for its late reply is refused
    // as busy: nothing is recovered.
    emulated->clearLog();
    emulated->inject({.kind = FaultKind::Late, .delay = std::chrono::milliseconds(300)});
    std::optional<CallOutcome> inner;
    OnFirstCommand whileWaiting(*emulated, [&] { inner = settleDeviceCall(switchCodeChange(), kb); });
    EXPECT_EQ(settleDeviceCall(kb->CMD_SetKeyCodeChange(KeyCodeChange::Disable), kb), CallOutcome::Done);
    ASSERT_TRUE(whileWaiting.ran);
    EXPECT_EQ(inner, CallOutcome::Busy);
    EXPECT_TRUE(controller.deviceErrors.empty());
    EXPECT_EQ(emulated->live().codeChange, 0);
}

// A settled change marks the unsent changes only when the device may hold
// it now: taken, or for a change in packets also partly taken before a
// failure that left the device current.
TEST_F(DeviceCall, ASettledChangeMarksOnlyWhatTheDeviceMayHold)
{
    const auto other = std::make_shared<KeyboardEntry>();
    struct Case {
        const char* name;
        AppError result;
        std::shared_ptr<IDeviceEntry> device;
        CallOutcome outcome;
        bool marks;
        bool marksPacketed;
    };
    const Case cases[] = {
        {"done", AppError::NoError, kb, CallOutcome::Done, true, true},
        {"broken", AppError::RecvErrorStore, kb, CallOutcome::Broken, false, true},
        {"busy", AppError::DeviceIsInvalid, kb, CallOutcome::Busy, false, false},
        {"replaced", AppError::NoError, other, CallOutcome::Replaced, false, false},
        {"no device", AppError::NoError, nullptr, CallOutcome::NotSent, false, false},
    };
    for (const Case& c : cases) {
        for (bool packeted : {false, true}) {
            setSettingsChanged(false);
            const auto settle = packeted ? settlePacketedChange : settleChange;
            EXPECT_EQ(settle(c.result, c.device), c.outcome) << c.name << packeted;
            EXPECT_EQ(AppParam::keyboardSettingsChanged, packeted ? c.marksPacketed : c.marks) << c.name << packeted;
        }
    }
    setSettingsChanged(false);
}

// A hot-plug handler that replaces the device while a profile's command waits
// for its reply: the failure that follows belongs to a device that is gone,
// and the recovery must not drop the one connected now.
TEST_F(DeviceCall, AFailureAfterTheDeviceWasReplacedRunsNoRecovery)
{
    emulated->inject({.kind = FaultKind::Status, .command = KolventraKeyboard::CMDC_SETONPOS});
    emulated->inject({.kind = FaultKind::Late, .command = KolventraKeyboard::CMDC_SETONPOS,
                      .delay = std::chrono::milliseconds(300)});
    OnFirstCommand hotPlug(*emulated, [] { AppParam::device = std::make_shared<KeyboardEntry>(); });
    UserProfileFile profile = UserProfile::makeProfile("x.prf", *kb, "");
    profile.apcFunctionEnable = true;
    EXPECT_EQ(UserProfile::Apply(kb, profile, {{ProfileEntry::Apc, true}}), AppError::RecvErrorStore);
    EXPECT_TRUE(hotPlug.ran);
    EXPECT_TRUE(controller.deviceErrors.empty());
}

} // namespace
