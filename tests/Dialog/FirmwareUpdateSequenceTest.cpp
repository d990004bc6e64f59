// The firmware update sequence against the emulated devices: the commands in
// order with the device's restart into its updater, the waits of a keyboard
// and a mouse, and every way the sequence stops (a refused chunk, a device
// that does not come back, unplugged or closed mid-transfer, a file removed
// or changed after its check).
#include "Dialog/DialogFirmwareUpdate.h"
#include "CustomControl/BackgroundView.h"
#include "Dialog/FirmwareImage.h"
#include "Platform/Strings.h"
#include "Utility/Logger.h"
#include "support/ui/FirmwareFiles.h"

#include "ProfileDialogFixture.h"

#include <QLabel>
#include <QProgressBar>

#include <QTimer>

#include <algorithm>
#include <numeric>

#include <sys/stat.h>

namespace {

using dlgtest::messageKeys;
using Mode = emu::EmulatedDevice::Mode;

// Runs the update of the current device, serving each wait by letting the
// emulated device restart (it is back as soon as it re-attached).
struct UpdateRun {
    emu::EmulatedDevice& device;
    DialogFirmwareUpdate dialog;
    std::vector<double> waits;
    // Each wait lasts until the device is attached (false: returns at once).
    bool awaitDevice = true;

    explicit UpdateRun(emu::EmulatedDevice& d) : device(d)
    {
        dialog.sleeper = [this](platform::Seconds s) {
            waits.push_back(s.count());
            if (awaitDevice)
                (void)emu::waitUntil([this] { return device.attached(); }, std::chrono::milliseconds(500));
        };
    }
    double waited() const { return std::accumulate(waits.begin(), waits.end(), 0.0); }
};

std::vector<uint8_t> firmwareCommands(const emu::EmulatedDevice& d)
{
    std::vector<uint8_t> out;
    for (uint8_t c : d.commands())
        if (c >= 0xE0)
            out.push_back(c);
    return out;
}

long countOf(const emu::EmulatedDevice& d, uint8_t command)
{
    const std::vector<uint8_t> all = d.commands();
    return std::count(all.begin(), all.end(), command);
}

template <class Fixture>
class UpdateFixture : public Fixture {
protected:
    void prepare(IDeviceEntry& entry, emu::EmulatedDevice& device)
    {
        device.setRebootDelay(platform::Seconds(0.005));
        file = fwtest::makeFirmware(entry.modelNumber().value_or(QString()).toLatin1(),
                                    fwtest::versionBytes(entry.firmwareVersionCompare().value_or("000000")));
        AppParam::firmwareFilePath = this->dir.path() + QStringLiteral("/fw.vxb");
        ASSERT_TRUE(fwtest::writeFile(AppParam::firmwareFilePath, file));
        AppParam::keyboardSettingsChanged = true;
    }
    QByteArray file;
};

class KeyboardUpdate : public UpdateFixture<dlgtest::KeyboardFixture> {
protected:
    void SetUp() override
    {
        KeyboardFixture::SetUp();
        prepare(*kb, *emulated);
    }
};

class MouseUpdate : public UpdateFixture<dlgtest::MouseFixture> {
protected:
    void SetUp() override
    {
        MouseFixture::SetUp();
        prepare(*mouse, *emulated);
    }
};

TEST_F(KeyboardUpdate, WholeImageGoesOverThroughTheUpdaterAndTheKeyboardComesBack)
{
    UpdateRun run(*emulated);
    std::vector<bool> animating;
    run.dialog.beforeChunk = [&](int i) {
        if (i == 0 || i == 1149)
            animating.push_back(run.dialog.isAnimating() && run.dialog.indicator()->maximum() == 0);
    };
    // A normal update prints nothing.
    std::vector<std::string> printed;
    const Logger::Sink previous = Logger::setSink([&](const std::string& line) { printed.push_back(line); });
    EXPECT_EQ(run.dialog.startUpdate(), AppError::NoError);
    Logger::setSink(previous);
    EXPECT_EQ(printed, std::vector<std::string>{});

    // Restart, announce, 1150 chunks (the last of 43 bytes), end.
    std::vector<uint8_t> expected{0xE0, 0xE1};
    expected.insert(expected.end(), 1150, 0xE2);
    expected.push_back(0xE3);
    EXPECT_EQ(firmwareCommands(*emulated), expected);
    const auto writes = emulated->writes();
    const auto lastChunk = std::find_if(writes.rbegin(), writes.rend(), [](const emu::LogEntry& e) { return e.command() == 0xE2; });
    ASSERT_NE(lastChunk, writes.rend());
    EXPECT_EQ(lastChunk->bytes[5], 43 + 2);
    EXPECT_EQ(lastChunk->bytes[6] | (lastChunk->bytes[7] << 8), 1149);
    EXPECT_EQ(emulated->announcedSize(), 65536u);
    EXPECT_EQ(emulated->announcedCrc(), firmware::storedChecksum(file));
    const QByteArray image = file.mid(2);
    EXPECT_EQ(emulated->receivedImage(), std::vector<uint8_t>(image.begin(), image.end()));
    EXPECT_EQ(emulated->updatesCompleted(), 1);

    // Ten steps of a second and the settle time; the update reopened the
    // restarted keyboard without a new session.
    EXPECT_EQ(run.waits.size(), 11u);
    EXPECT_DOUBLE_EQ(run.waited(), 10.5);
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_EQ(countOf(*emulated, 0x01), 0);
    EXPECT_TRUE(messageKeys(controller).isEmpty());
    EXPECT_EQ(animating, (std::vector<bool>{true, true}));
    EXPECT_FALSE(run.dialog.isAnimating());
    EXPECT_EQ(run.dialog.textBlock()->text(), platform::localizedString("KeyboardFirmwareUpdateSuccess"));
    EXPECT_TRUE(controller.deviceErrors.empty());
}

TEST_F(MouseUpdate, MouseIsGivenFifteenSecondsToComeBack)
{
    UpdateRun run(*emulated);
    EXPECT_EQ(run.dialog.startUpdate(), AppError::NoError);
    EXPECT_EQ(run.waits.size(), 16u);
    EXPECT_DOUBLE_EQ(run.waited(), 15.5);
    EXPECT_EQ(emulated->updatesCompleted(), 1);
}

TEST_F(KeyboardUpdate, RefusedChunkStopsTheTransferAndClosesTheKeyboard)
{
    UpdateRun run(*emulated);
    run.dialog.beforeChunk = [&](int i) {
        if (i == 2)
            emulated->inject({.kind = emu::FaultKind::Status, .command = 0xE2});
    };
    EXPECT_EQ(run.dialog.startUpdate(), AppError::DeviceOpen);
    EXPECT_EQ(firmwareCommands(*emulated), (std::vector<uint8_t>{0xE0, 0xE1, 0xE2, 0xE2, 0xE2}));
    EXPECT_FALSE(kb->hidIsOpened());
    EXPECT_EQ(messageKeys(controller), QStringList{"KeyboardNotFound"});
    // The restart was accepted: the settings count as stored.
    EXPECT_FALSE(AppParam::keyboardSettingsChanged);
    EXPECT_FALSE(run.dialog.isAnimating());
}

TEST_F(KeyboardUpdate, KeyboardThatNeverComesBackIsNotFound)
{
    emulated->setReattachAfterReboot(false);
    UpdateRun run(*emulated);
    run.awaitDevice = false;
    EXPECT_EQ(run.dialog.startUpdate(), AppError::DeviceOpen);
    EXPECT_EQ(firmwareCommands(*emulated), std::vector<uint8_t>{0xE0});
    EXPECT_DOUBLE_EQ(run.waited(), 10.5);
    EXPECT_EQ(messageKeys(controller), QStringList{"KeyboardNotFound"});
}

TEST_F(KeyboardUpdate, RestartWithoutAnswerStillCounts)
{
    emulated->setAnswerReboot(false);
    UpdateRun run(*emulated);
    EXPECT_EQ(run.dialog.startUpdate(), AppError::NoError);
    EXPECT_EQ(emulated->updatesCompleted(), 1);
}

TEST_F(KeyboardUpdate, LostOrClosedKeyboardMidTransferFailsInsteadOfReportingDone)
{
    struct Case {
        const char* name;
        std::function<void(UpdateRun&)> atChunk5;
    };
    const std::vector<Case> cases{
        {"unplugged", [](UpdateRun& r) { r.device.detach(); }},
        {"handle closed", [this](UpdateRun&) { kb->hidClose(); }},
        {"device replaced", [](UpdateRun&) { AppParam::device = std::make_shared<KeyboardEntry>(); }},
    };
    for (const Case& c : cases) {
        if (!emulated->attached()) {
            ASSERT_TRUE(bus->attach(emulated, dlgtest::kLocation));
        }
        emulated->setUpdatePending(false);
        ASSERT_TRUE(emu::waitUntil([&] { return kb->open(dlgtest::kLocation) == AppError::NoError; }));
        AppParam::device = kb;
        emulated->clearLog();
        controller.messageBoxes.clear();
        const int chunksBefore = emulated->chunksReceived();
        UpdateRun run(*emulated);
        run.dialog.beforeChunk = [&](int i) {
            if (i == 5)
                c.atChunk5(run);
        };
        EXPECT_EQ(run.dialog.startUpdate(), AppError::DeviceOpen) << c.name;
        EXPECT_EQ(countOf(*emulated, 0xE3), 0) << c.name;
        EXPECT_LE(emulated->chunksReceived() - chunksBefore, 5) << c.name;
        EXPECT_EQ(messageKeys(controller), QStringList{"KeyboardNotFound"}) << c.name;
        EXPECT_FALSE(kb->hidIsOpened()) << c.name;
    }
}

TEST_F(KeyboardUpdate, FileRemovedOrChangedAfterItsCheckSendsNothing)
{
    QByteArray otherModel = fwtest::makeFirmware("KVK112A1", fwtest::versionBytes(*kb->firmwareVersionCompare()));
    // An intact image of the model, one step older than the keyboard's.
    auto older = fwtest::versionBytes(*kb->firmwareVersionCompare());
    ASSERT_NE(older, (std::array<uint8_t, 3>{}));
    for (size_t i = older.size(); i-- > 0;) {
        if (older[i]-- != 0)
            break;
    }
    const QByteArray olderImage = fwtest::makeFirmware(kb->modelNumber()->toLatin1(), older);
    QByteArray changed = file;
    changed[5000] = char(changed[5000] ^ 1);
    struct Case {
        const char* name;
        std::optional<QByteArray> bytes; // absent: removed
    };
    for (const Case& c : std::vector<Case>{{"removed", std::nullopt},
                                           {"a byte changed", changed},
                                           {"cut short", file.left(60000)},
                                           {"another model's image", otherModel},
                                           {"an older image of the model", olderImage}}) {
        QFile::remove(AppParam::firmwareFilePath);
        if (c.bytes) {
            ASSERT_TRUE(fwtest::writeFile(AppParam::firmwareFilePath, *c.bytes));
        }
        controller.messageBoxes.clear();
        AppParam::keyboardSettingsChanged = true;
        UpdateRun run(*emulated);
        EXPECT_EQ(run.dialog.startUpdate(), AppError::FileRead) << c.name;
        EXPECT_EQ(emulated->writeCount(), 0) << c.name;
        EXPECT_EQ(messageKeys(controller), QStringList{"FailedToAccessFile"}) << c.name;
        EXPECT_TRUE(AppParam::keyboardSettingsChanged) << c.name;
        EXPECT_TRUE(kb->hidIsOpened()) << c.name;
    }
}

TEST_F(KeyboardUpdate, FileThatIsNoRegularFileSendsNothing)
{
    const QString pipePath = dir.path() + QStringLiteral("/pipe.vxb");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipePath).constData(), 0600), 0);
    const QString zeroPath = dir.path() + QStringLiteral("/zero.vxb");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zeroPath));
    for (const QString& path : {pipePath, zeroPath}) {
        AppParam::firmwareFilePath = path;
        controller.messageBoxes.clear();
        UpdateRun run(*emulated);
        EXPECT_EQ(run.dialog.startUpdate(), AppError::FileRead) << path.toStdString();
        EXPECT_EQ(emulated->writeCount(), 0) << path.toStdString();
        EXPECT_EQ(messageKeys(controller), QStringList{"FailedToAccessFile"}) << path.toStdString();
        EXPECT_TRUE(kb->hidIsOpened()) << path.toStdString();
    }
}

TEST_F(KeyboardUpdate, ProgressViewCoversTheBodyOnlyWhileItRuns)
{
    QWidget body;
    body.resize(600, 400);
    body.show();
    emulated->setReattachAfterReboot(false);
    // Looked at from inside the first wait, which runs the event loop.
    QRect covered;
    bool shown = false;
    QString text;
    QTimer::singleShot(0, [&] {
        for (auto* v : body.findChildren<BackgroundView*>()) {
            covered = v->geometry();
            shown = v->isVisible();
            if (auto* label = v->findChild<QLabel*>(QStringLiteral("textBlock")))
                text = label->text();
        }
    });
    EXPECT_EQ(DialogFirmwareUpdate::run(&body), AppError::DeviceOpen);
    EXPECT_EQ(covered, body.rect());
    EXPECT_TRUE(shown);
    EXPECT_EQ(text, platform::localizedString("KeyboardFirmwareUpdate"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(body.findChildren<BackgroundView*>().isEmpty());
}

} // namespace
