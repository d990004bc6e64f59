// The description package dialog: the package check (readable, supported
// version, not older than the installed description of its model), the
// version rule, and when Append and Cancel give the help items back.
#include "Dialog/DialogAppendKeyboard.h"
#include "Utility/ProfilePackage.h"
#include "XML/KeyboardProfile.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/RecordingDialogHost.h"
#include "support/ui/ScriptedFileChooser.h"

#include "ProfileDialogFixture.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>

#include <sys/stat.h>

namespace {

using dlgtest::messageKeys;

class AppendDialog : public dlgtest::FolderFixture {
protected:
    void SetUp() override
    {
        FolderFixture::SetUp();
        savedList_ = AppParam::targetProfileList;
        AppParam::targetProfileList.clear();
        source = dlgtest::shippedPackage(shipped::kModels[0]);
    }
    void TearDown() override
    {
        AppParam::targetProfileList = savedList_;
        FolderFixture::TearDown();
    }

    // A package of the shipped keyboard with another version text and model.
    QString package(const QString& name, const QString& version, const QString& model = QStringLiteral("KVK200A1"))
    {
        const QString path = dir.path() + u'/' + name;
        EXPECT_TRUE(fwtest::makePackage(source, path, {.profileVersion = version, .modelNumber = model}));
        return path;
    }
    void install(const QString& model, double version)
    {
        auto d = std::make_shared<KeyboardProfile>();
        d->modelNumber = model;
        d->dProfileVersion = version;
        AppParam::targetProfileList.push_back(d);
    }
    std::unique_ptr<DialogAppendKeyboard> open()
    {
        auto d = std::make_unique<DialogAppendKeyboard>(dir.path());
        d->show();
        return d;
    }
    AppError choose(DialogAppendKeyboard& d, const QString& path)
    {
        chooser.answers.push_back(path);
        QTest::mouseClick(d.selectButton(), Qt::LeftButton);
        controller.messageBoxes.clear();
        return d.checkTargetFileType(d.filePath());
    }

    ScriptedFileChooser chooser;
    uitest::RecordingDialogHost host;
    QString source;

private:
    std::vector<std::shared_ptr<DeviceProfile>> savedList_;
};

TEST_F(AppendDialog, VersionTextsReadAsTheirNumberOrNotAtAll)
{
    struct Case {
        const char* text;
        std::optional<double> number;
    };
    for (const Case& c : std::vector<Case>{{"M_1_2_5", 1002.005},
                                           {"M_1_1_999", 1001.999},
                                           {"M_1_2_0", 1002.0},
                                           {"M_1_1000_0", 11000.0},
                                           {"M_1_2_0_extra", 1002.0},
                                           {"M_1_2", std::nullopt},
                                           {"", std::nullopt},
                                           {"M_1_-2_0", std::nullopt},
                                           {"M_1_2_x", std::nullopt},
                                           {"M_1_2_ 3", std::nullopt}}) {
        const auto n = DialogAppendKeyboard::versionNumber(QString::fromLatin1(c.text));
        EXPECT_EQ(n.has_value(), c.number.has_value()) << c.text;
        if (n && c.number) {
            EXPECT_DOUBLE_EQ(*n, *c.number) << c.text;
        }
    }
}

TEST_F(AppendDialog, PackageCheckRefusesWhatCannotBeInstalled)
{
    install(QStringLiteral("KVK200A1"), 1002.001);
    install(QStringLiteral("KVK200A1"), 1002.0);
    install(QStringLiteral("KVK300A1"), 1003.0);
    QFile broken(dir.path() + QStringLiteral("/broken.key"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a package at all");
    broken.close();
    QByteArray damaged;
    {
        QFile f(package("damaged.key", QStringLiteral("M_1_2_1")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        damaged = f.readAll();
    }
    // A byte well inside the stored description member.
    const qsizetype at = damaged.indexOf("Profile.xml");
    ASSERT_GT(at, 0);
    damaged[at + 80] = char(damaged[at + 80] ^ 0x5A);
    ASSERT_TRUE(fwtest::writeFile(dir.path() + QStringLiteral("/damaged.key"), damaged));

    struct Case {
        const char* name;
        QString path;
        bool accepted;
    };
    const std::vector<Case> cases{
        {"newer than every installed one", package("new.key", QStringLiteral("M_1_2_2")), true},
        {"equal to the highest installed", package("equal.key", QStringLiteral("M_1_2_1")), true},
        {"a model not installed", package("other.key", QStringLiteral("M_1_2_0"), QStringLiteral("KVK400A1")), true},
        {"older than one installed", package("older.key", QStringLiteral("M_1_2_0")), false},
        {"below the supported version", package("old.key", QStringLiteral("M_1_1_999"), QStringLiteral("KVK400A1")), false},
        {"version of two parts", package("two.key", QStringLiteral("M_1_2"), QStringLiteral("KVK400A1")), false},
        {"negative part", package("neg.key", QStringLiteral("M_1_-2_0"), QStringLiteral("KVK400A1")), false},
        {"not a package", dir.path() + QStringLiteral("/broken.key"), false},
        {"damaged member", dir.path() + QStringLiteral("/damaged.key"), false},
    };
    for (const Case& c : cases) {
        auto d = open();
        const AppError r = choose(*d, c.path);
        EXPECT_EQ(r == AppError::NoError, c.accepted) << c.name << " " << appErrorName(r);
        EXPECT_EQ(messageKeys(controller),
                  c.accepted ? QStringList{} : QStringList{"FirmwareFileInvaliedOrCorrupted"})
            << c.name;
        // A refusal leaves the dialog open with its choice.
        QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
        EXPECT_EQ(d->result(), c.accepted ? 1 : 0) << c.name;
        EXPECT_EQ(d->filePath(), c.path) << c.name;
        EXPECT_EQ(d->pathLabel()->text(), QFileInfo(c.path).fileName()) << c.name;
    }
}

TEST_F(AppendDialog, PackageCheckRefusesWhatCouldNeverBeListedOrConnected)
{
    // A copy of the shipped package whose description has `from` replaced
    // by `to`, with `members` added or replaced.
    auto edited = [this](const QString& name, const QString& from, const QString& to,
                         const ZipUtil::FileList& members = {}) {
        const QString path = dir.path() + u'/' + name;
        EXPECT_TRUE(fwtest::makePackage(source, path, {}));
        QByteArray xml;
        EXPECT_EQ(AppUtil::loadCheckedMember(path, QStringLiteral("Profile.xml"), xml), AppError::NoError);
        QString text = QString::fromUtf8(xml);
        EXPECT_TRUE(text.contains(from)) << from.toStdString();
        text.replace(from, to);
        EXPECT_EQ(AppUtil::appendProfileData(path, text.toUtf8(), QStringLiteral("Profile.xml")), AppError::NoError);
        if (!members.empty()) {
            EXPECT_EQ(ZipUtil::append(path, members), AppError::NoError);
        }
        return path;
    };
    const QString image = QStringLiteral("<KeyboardImage>keyboard.png</KeyboardImage>");
    auto picture = [&](const char* name, const QString& member, const ZipUtil::FileList& members = {}) {
        return edited(QString::fromLatin1(name), image, QStringLiteral("<KeyboardImage>%1</KeyboardImage>").arg(member),
                      members);
    };
    // A picture member stored as a symbolic link to a picture beside it.
    const QString linked = picture("linked.key", QStringLiteral("shortcut.png"));
    {
        QTemporaryDir staging;
        ASSERT_TRUE(QFile::link(QStringLiteral("keyboard.png"), staging.filePath(QStringLiteral("shortcut.png"))));
        QProcess zip;
        zip.setWorkingDirectory(staging.path());
        zip.start(QStringLiteral("zip"), {QStringLiteral("-q"), QStringLiteral("-y"), linked, QStringLiteral("shortcut.png")});
        ASSERT_TRUE(zip.waitForFinished(30000) && zip.exitCode() == 0);
    }
    const QString mouse = dir.path() + QStringLiteral("/mouse.mou");
    ASSERT_TRUE(QFile::copy(dlgtest::shippedPackage(shipped::kModels[2]), mouse));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.path() + QStringLiteral("/pipe.key")).constData(), 0600), 0);

    struct Case {
        const char* name;
        QString path;
        const char* key;
    };
    const char* corrupt = "FirmwareFileInvaliedOrCorrupted";
    const std::vector<Case> cases{
        {"a keyboard package named as the settings file", package("Application.ini", QStringLiteral("M_1_2_0")),
         corrupt},
        {"an extension in capitals", package("Upper.KEY", QStringLiteral("M_1_2_0")), corrupt},
        {"a mouse package", mouse, corrupt},
        {"a picture outside the package", picture("up.key", QStringLiteral("../keyboard.png")), corrupt},
        {"a picture at an absolute path", picture("abs.key", dir.path() + QStringLiteral("/keyboard.png")), corrupt},
        {"a picture that is a symbolic link", linked, corrupt},
        {"a picture above the picture size cap",
         picture("big.key", QStringLiteral("big.png"), {{QStringLiteral("big.png"), QByteArray(9 << 20, '\0')}}),
         corrupt},
        {"a picture that is text",
         picture("text.key", QStringLiteral("text.png"), {{QStringLiteral("text.png"), "not a picture"}}), corrupt},
        {"a picture that is missing", picture("missing.key", QStringLiteral("nowhere.png")), corrupt},
        {"a picture claiming 100000 x 100000 pixels",
         picture("huge.key", QStringLiteral("huge.png"), {{QStringLiteral("huge.png"), "P6\n100000 100000\n255\n"}}),
         corrupt},
        {"a key code above the table",
         edited("code300.key", QStringLiteral("<Code>37</Code>"), QStringLiteral("<Code>300</Code>")), corrupt},
        {"a negative key code",
         edited("code-7.key", QStringLiteral("<Code>37</Code>"), QStringLiteral("<Code>-7</Code>")), corrupt},
        {"a pipe", dir.path() + QStringLiteral("/pipe.key"), "FailedToAccessFile"},
    };
    for (const Case& c : cases) {
        auto d = open();
        const AppError r = choose(*d, c.path);
        EXPECT_NE(r, AppError::NoError) << c.name;
        EXPECT_EQ(messageKeys(controller), QStringList{QString::fromLatin1(c.key)}) << c.name;
        QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
        EXPECT_EQ(d->result(), 0) << c.name;
    }
    // Each of them is a sound package but for its one fault.
    auto d = open();
    EXPECT_EQ(choose(*d, edited("sound.key", image, image)), AppError::NoError);
}

TEST_F(AppendDialog, AppendBeforeChoosingOrOfAMissingFileIsRefused)
{
    auto d = open();
    QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), QStringList{"FailedToAccessFile"});
    EXPECT_EQ(d->filePath(), dir.path());
    EXPECT_EQ(d->result(), 0);

    const QString path = package("gone.key", QStringLiteral("M_1_2_0"));
    chooser.answers.push_back(path);
    QTest::mouseClick(d->selectButton(), Qt::LeftButton);
    EXPECT_EQ(chooser.calls.back().nameFilters, QStringList{"*.key"});
    QFile::remove(path);
    controller.messageBoxes.clear();
    QTest::mouseClick(d->confirmButton(), Qt::LeftButton);
    EXPECT_EQ(messageKeys(controller), QStringList{"FailedToAccessFile"});
}

} // namespace
