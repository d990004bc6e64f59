// The firmware file dialog: the file check (every way a file is refused and
// what it shows), the confirmations, the chooser's start folder, and the
// dialog ended from outside while its chooser is open.
#include "Dialog/DialogFirmwareFileSelect.h"
#include "Dialog/FirmwareImage.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/RecordingDialogHost.h"
#include "support/ui/ScriptedFileChooser.h"

#include "ProfileDialogFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <deque>

#include <sys/stat.h>

namespace {

using dlgtest::messageKeys;

// Answers the message boxes from a script (then OK), recording them.
class ScriptedBoxes : public RecordingMainController {
public:
    std::deque<int> replies;
    int runMessageBox(const QString& m, const QString& ok, const QString& cancel) override
    {
        RecordingMainController::runMessageBox(m, ok, cancel);
        if (replies.empty())
            return 1;
        const int r = replies.front();
        replies.pop_front();
        return r;
    }
};

class FirmwareFileDialog : public dlgtest::KeyboardFixture {
protected:
    void SetUp() override
    {
        KeyboardFixture::SetUp();
        model = kb->modelNumber().value_or(QString()).toLatin1();
        version = kb->firmwareVersionCompare().value_or(QString());
        ASSERT_EQ(model.size(), 8);
        ASSERT_EQ(version.size(), 6);
    }

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.path() + u'/' + name;
        EXPECT_TRUE(fwtest::writeFile(path, bytes));
        return path;
    }
    QByteArray good() const { return fwtest::makeFirmware(model, fwtest::versionBytes(version)); }

    std::unique_ptr<DialogFirmwareFileSelect> open(const QString& start)
    {
        auto d = std::make_unique<DialogFirmwareFileSelect>(start);
        d->show();
        return d;
    }
    // Picks `path` with the "..." button like a user.
    void pick(DialogFirmwareFileSelect& d, const QString& path)
    {
        chooser.answers.push_back(path);
        QTest::mouseClick(d.selectButton(), Qt::LeftButton);
    }

    ScriptedBoxes boxes;
    ScriptedFileChooser chooser;
    uitest::RecordingDialogHost host;
    QByteArray model;
    QString version;
};

TEST_F(FirmwareFileDialog, EachRefusalShowsItsMessageAndSendsNothing)
{
    QByteArray flipped = good();
    flipped[100] = char(flipped[100] ^ 0x40);
    QByteArray bigEndian = good();
    std::swap(bigEndian[0], bigEndian[1]);
    if (bigEndian[0] == bigEndian[1])
        bigEndian[0] = char(bigEndian[0] ^ 1);
    QByteArray shortModel = model.left(7);
    shortModel.append('\0');
    QByteArray nonAscii = model;
    nonAscii[3] = char(0xC3);
    QByteArray truncated = good().left(firmware::kFileLength - 1);
    const auto v = fwtest::versionBytes(version);
    auto older = v, newer = v;
    if (older[2] > 0) --older[2]; else --older[1];
    ++newer[0];

    struct Case {
        const char* name;
        QString path;
        AppError result;
        const char* key; // "" = accepted without a box
    };
    QDir().mkpath(dir.path() + QStringLiteral("/folder.vxb"));
    const std::vector<Case> cases{
        {"good, smallest size", write("good.vxb", good()), AppError::NoError, ""},
        {"equal version", write("same.vxb", fwtest::makeFirmware(model, v)), AppError::NoError, ""},
        {"newer version", write("newer.vxb", fwtest::makeFirmware(model, newer)), AppError::NoError, ""},
        {"longer image", write("long.vxb", fwtest::makeFirmware(model, v, 70000)), AppError::NoError, ""},
        {"one byte short", write("short.vxb", truncated), AppError::FileRead, "FirmwareFileInvaliedOrCorrupted"},
        {"empty", write("empty.vxb", {}), AppError::FileRead, "FirmwareFileInvaliedOrCorrupted"},
        {"one byte", write("one.vxb", QByteArray(1, 'x')), AppError::FileRead, "FirmwareFileInvaliedOrCorrupted"},
        {"changed byte", write("flip.vxb", flipped), AppError::FileRead, "FirmwareFileInvaliedOrCorrupted"},
        {"checksum high byte first", write("be.vxb", bigEndian), AppError::FileRead, "FirmwareFileInvaliedOrCorrupted"},
        {"more chunks than numbers",
         write("huge.vxb", fwtest::makeFirmware(model, v, firmware::kMaxImageSize + 3)), AppError::FileRead,
         "FirmwareFileInvaliedOrCorrupted"},
        {"model of seven and a NUL", write("m7.vxb", fwtest::makeFirmware(shortModel, v)), AppError::UiCancel,
         "FirmwareFileInvaliedDevice"},
        {"other model", write("other.vxb", fwtest::makeFirmware("KVK112A1", v)), AppError::UiCancel,
         "FirmwareFileInvaliedDevice"},
        {"model not ASCII", write("na.vxb", fwtest::makeFirmware(nonAscii, v)), AppError::UiCancel,
         "FirmwareFileInvaliedDevice"},
        {"older version", write("older.vxb", fwtest::makeFirmware(model, older)), AppError::UiCancel,
         "FirmwareFileInvaliedVersion"},
        {"a folder", dir.path() + QStringLiteral("/folder.vxb"), AppError::FileNotExist, "FailedToAccessFile"},
        {"nothing there", dir.path() + QStringLiteral("/missing.vxb"), AppError::FileNotExist, "FailedToAccessFile"},
        {"empty path", QString(), AppError::FileNotExist, "FailedToAccessFile"},
    };
    auto d = open(dir.path());
    for (const Case& c : cases) {
        boxes.messageBoxes.clear();
        EXPECT_EQ(d->checkTargetFileType(c.path), c.result) << c.name;
        const QStringList expected = *c.key ? QStringList{QString::fromLatin1(c.key)} : QStringList{};
        EXPECT_EQ(messageKeys(boxes), expected) << c.name;
    }
    EXPECT_EQ(emulated->writeCount(), 0);
}

TEST_F(FirmwareFileDialog, DeviceVersionsDecideAsText)
{
    const QString path = write("v.vxb", fwtest::makeFirmware(model, {0x01, 0x02, 0x03}));
    auto d = open(dir.path());
    for (auto [device, result] : std::vector<std::pair<QString, AppError>>{
             {"010203", AppError::NoError}, {"010204", AppError::UiCancel}, {"0101FF", AppError::NoError},
             {"", AppError::NoError}}) {
        kb->setFirmwareVersionCompare(device);
        EXPECT_EQ(d->checkTargetFileType(path), result) << device.toStdString();
    }
    // A device that reports no version does not stop anything.
    kb->setFirmwareVersionCompare(std::nullopt);
    EXPECT_EQ(d->checkTargetFileType(path), AppError::NoError);
    // A device that reports no model is never flashed.
    kb->setModelNumber(std::nullopt);
    EXPECT_EQ(d->checkTargetFileType(path), AppError::UiCancel);
    kb->setModelNumber(QString());
    EXPECT_EQ(d->checkTargetFileType(path), AppError::UiCancel);
}

TEST_F(FirmwareFileDialog, OnlyARegularFileIsOpened)
{
    // Opened and read plainly, the pipe (nobody writes to it) would wait for
    // a writer for ever and the device would deliver zeros until memory runs
    // out.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path() + QStringLiteral("/pipe.vxb")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.path() + QStringLiteral("/zero.vxb")));
    ASSERT_TRUE(QFile::link(write("fw.vxb", good()), dir.path() + QStringLiteral("/link.vxb")));

    auto d = open(dir.path());
    for (const char* name : {"pipe.vxb", "zero.vxb"}) {
        pick(*d, dir.path() + u'/' + QString::fromLatin1(name));
        boxes.messageBoxes.clear();
        QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
        EXPECT_EQ(messageKeys(boxes), QStringList{"FailedToAccessFile"}) << name;
        EXPECT_TRUE(d->isVisible()) << name;
    }
    // A link to a firmware file is followed.
    pick(*d, dir.path() + QStringLiteral("/link.vxb"));
    boxes.messageBoxes.clear();
    QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(boxes), (QStringList{"CheckKeyboardFirmwareUpdate", "CheckNotDisconnectUSBCacle"}));
    EXPECT_EQ(d->result(), 1);
    EXPECT_EQ(emulated->writeCount(), 0);
}

TEST_F(FirmwareFileDialog, UpdateNeedsTheCheckTwoConfirmationsAndNoSecondDevice)
{
    const QString path = write("fw.vxb", good());

    // Update before any pick checks the start folder.
    auto d = open(dir.path());
    QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(boxes), QStringList{"FailedToAccessFile"});
    EXPECT_TRUE(d->isVisible());

    pick(*d, path);
    EXPECT_EQ(d->pathLabel()->text(), QStringLiteral("fw.vxb"));
    EXPECT_EQ(d->filePath(), path);

    struct Step {
        const char* name;
        std::deque<int> replies;
        bool sameModel;
        QStringList asked;
        int result; // -1: the dialog stays open
    };
    const std::vector<Step> steps{
        {"No to the question", {0}, false, {"CheckKeyboardFirmwareUpdate"}, -1},
        {"a second device of the model", {1}, true,
         {"CheckKeyboardFirmwareUpdate", "CheckNotConnectOtherKeyboard"}, -1},
        {"Cancel to the cable warning", {1, 0}, false,
         {"CheckKeyboardFirmwareUpdate", "CheckNotDisconnectUSBCacle"}, -1},
        {"all confirmed", {1, 1}, false, {"CheckKeyboardFirmwareUpdate", "CheckNotDisconnectUSBCacle"}, 1},
    };
    for (const Step& s : steps) {
        boxes.messageBoxes.clear();
        boxes.replies = s.replies;
        host.sameDeviceTypeAttached = s.sameModel;
        d->setResult(-1);
        QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
        EXPECT_EQ(messageKeys(boxes), s.asked) << s.name;
        EXPECT_EQ(d->result(), s.result) << s.name;
        EXPECT_EQ(d->filePath(), path) << s.name;
    }
    EXPECT_EQ(emulated->writeCount(), 0);
}

TEST_F(FirmwareFileDialog, ChooserStartsInTheFolderOfTheLastFile)
{
    const QString folder = dir.path() + QStringLiteral("/fw");
    QDir().mkpath(folder);
    struct Case {
        QString start;
        QString expected;
    };
    for (const Case& c : std::vector<Case>{{folder + QStringLiteral("/Old.VXB"), folder},
                                           {folder + QStringLiteral("/pack.key"), folder},
                                           {folder + QStringLiteral("/Pack.Key.bak"), folder},
                                           {folder, folder},
                                           {folder + QStringLiteral("/notes.txt"), folder + QStringLiteral("/notes.txt")}}) {
        auto d = open(c.start);
        chooser.answers.push_back(std::nullopt);
        QTest::mouseClick(d->selectButton(), Qt::LeftButton);
        ASSERT_FALSE(chooser.calls.empty());
        EXPECT_EQ(chooser.calls.back().startFolder, c.expected) << c.start.toStdString();
        EXPECT_EQ(chooser.calls.back().nameFilters, QStringList{"*.vxb"});
        // Cancelled: nothing changes.
        EXPECT_TRUE(d->pathLabel()->text().isEmpty());
    }
    // A second pick starts in the folder of the first.
    const QString file = write("fw/a.vxb", good());
    auto d = open(dir.path());
    pick(*d, file);
    chooser.answers.push_back(std::nullopt);
    QTest::mouseClick(d->selectButton(), Qt::LeftButton);
    EXPECT_EQ(chooser.calls.back().startFolder, folder);
    EXPECT_EQ(d->filePath(), file);
}

TEST_F(FirmwareFileDialog, DeviceRemovalWhileChoosingEndsTheDialogWithZero)
{
    QString chosen = QStringLiteral("untouched");
    chooser.answers.push_back(write("fw.vxb", good()));
    chooser.whileOpen = [] {
        if (auto* d = qobject_cast<ModalDialog*>(DialogRegistry::current(DialogKind::FirmwareFileSelect)))
            d->closeAllWindow();
    };
    QTimer::singleShot(0, [] {
        if (auto* d = qobject_cast<DialogFirmwareFileSelect*>(DialogRegistry::current(DialogKind::FirmwareFileSelect)))
            QTest::mouseClick(d->selectButton(), Qt::LeftButton);
    });
    EXPECT_EQ(DialogFirmwareFileSelect::run(dir.path(), chosen), 0);
    EXPECT_EQ(chosen, QStringLiteral("untouched"));
    EXPECT_EQ(chooser.aborts, 1);
    EXPECT_EQ(DialogRegistry::current(DialogKind::FirmwareFileSelect), nullptr);
}

} // namespace
