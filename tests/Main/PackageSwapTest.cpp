// Adding a description package in the whole application on the virtual bus
// while the file is swapped behind the application's back: what lands in the
// per-user folder is always the package that was judged, or nothing, never
// bytes that nobody checked; a pipe in the package's place never blocks.
#include "AppParam.h"
#include "Dialog/DialogHooks.h"
#include "Dialog/FilePickDialog.h"
#include "DeviceListController.h"
#include "FunctionPanel/FunctionPanel.h"
#include "MainViewController.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/ScriptedFileChooser.h"
#include "support/ui/WindowProbe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/stat.h>

using apptest::AppHarness;

namespace {

// A keyboard model no shipped description knows.
constexpr shipped::Model kNewModel{shipped::Kind::Keyboard, shipped::kVendorId, 0x1199, "KVK199A1", "KVK199US",
                                   "KOLVENTRA K199", "KVK199US.key", {0x01, 0x00, 0x02, 0x05}, "KVK199US_1_2_0",
                                   false};
constexpr uint32_t kNewLocation = 0x01400000;

enum class Swap { Garbage, OtherPackage, Pipe };

class PackageSwap : public ::testing::Test {
protected:
    void SetUp() override
    {
        apptest::HarnessOptions o;
        o.mouse = false;
        app = std::make_unique<AppHarness>(o);
        ASSERT_TRUE(app->start());
        ASSERT_TRUE(app->bus().attach(std::make_shared<emu::EmulatedKeyboard>(kNewModel), kNewLocation));
        ASSERT_TRUE(incoming.isValid());
        source = incoming.filePath(QStringLiteral("KVK199US.key"));
        ASSERT_TRUE(makePackage(source, QStringLiteral("KVK199US_1_2_0")));
        checked = bytesOf(source);
        ASSERT_FALSE(checked.isEmpty());
        installed = AppUtil::appWorkFolder() + QStringLiteral("KVK199US.key");
    }
    void TearDown() override
    {
        dialogHooks() = savedHooks;
        app.reset();
    }

    static bool makePackage(const QString& path, const QString& version)
    {
        const QString shippedKeyboard = AppUtil::resourceProfileFolder() +
                                        QString::fromLatin1(shipped::kModels[0].packageFile.data(),
                                                            qsizetype(shipped::kModels[0].packageFile.size()));
        return fwtest::makePackage(shippedKeyboard, path,
                                   {.profileVersion = version,
                                    .modelNumber = QStringLiteral("KVK199A1"),
                                    .productId = QStringLiteral("1199"),
                                    .profileExt = QStringLiteral("KVK199US")});
    }
    static QByteArray bytesOf(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Puts something else at the source path, as another program would.
    void swap(Swap how)
    {
        const QString aside = source + QStringLiteral(".new");
        switch (how) {
        case Swap::Garbage: ASSERT_TRUE(fwtest::writeFile(aside, "PK\x03\x04 not what was checked")); break;
        // A well-formed package too, but not the one the user confirmed.
        case Swap::OtherPackage: ASSERT_TRUE(makePackage(aside, QStringLiteral("KVK199US_1_2_9"))); break;
        case Swap::Pipe: ASSERT_EQ(::mkfifo(QFile::encodeName(aside).constData(), 0600), 0); break;
        }
        ASSERT_EQ(::rename(QFile::encodeName(aside).constData(), QFile::encodeName(source).constData()), 0);
    }
    void restoreSource()
    {
        QFile::remove(source);
        ASSERT_TRUE(fwtest::writeFile(source, checked));
    }

    // What the per-user folder holds beside packages and settings files:
    // nothing of the staging may be left there.
    static QStringList strayEntries()
    {
        QStringList stray = QDir(AppUtil::appWorkFolder())
                                .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        stray.removeIf([](const QString& name) {
            return name.endsWith(QStringLiteral(".key")) || name.endsWith(QStringLiteral(".ini"));
        });
        return stray;
    }
    bool newcomerListed() const { return uitest::WindowProbe::devices(app->controller()).entryAt(int32_t(kNewLocation)) != nullptr; }

    std::unique_ptr<AppHarness> app;
    QTemporaryDir incoming;  // where the user's downloads are
    QString source, installed;
    QByteArray checked;
    DialogHooks savedHooks = dialogHooks();
};

TEST_F(PackageSwap, SwappedAfterAppendTheCheckedPackageIsWhatIsAdded)
{
    MainViewController& main = app->controller();
    const auto appendDialog = dialogHooks().appendKeyboard;
    ASSERT_TRUE(appendDialog);
    for (const Swap how : {Swap::Garbage, Swap::OtherPackage, Swap::Pipe}) {
        SCOPED_TRACE(int(how));
        restoreSource();
        QFile::remove(installed);
        app->asked.clear();
        // The real dialog judges the file and the user presses Append; the
        // swap comes after it and before the main window adds the package.
        ScriptedFileChooser chooser;
        chooser.answers.push_back(source);
        uitest::pickAndConfirmNext(DialogKind::AppendKeyboard);
        dialogHooks().appendKeyboard = [&](const QString& start, QString& chosen) {
            const int code = appendDialog(start, chosen);
            swap(how);
            return code;
        };
        uitest::WindowProbe::tabPanel(main, FunctionTab::OtherSetting)->clickTabMenuItem(nullptr, FunctionItem::AppendDevice);

        EXPECT_EQ(AppParam::firmwareFilePath, source);
        EXPECT_TRUE(app->asked.empty()) << app->asked.front().toStdString();
        EXPECT_EQ(bytesOf(installed), checked);
        EXPECT_TRUE(newcomerListed());
        EXPECT_EQ(strayEntries(), QStringList{});
    }
}

TEST_F(PackageSwap, AddedWithoutTheDialogOnlyCheckedBytesLand)
{
    MainViewController& main = app->controller();
    AppParam::firmwareFilePath = source;
    for (const Swap how : {Swap::Garbage, Swap::Pipe}) {
        SCOPED_TRACE(int(how));
        restoreSource();
        app->asked.clear();
        swap(how);
        main.appendKeyboardProfileList();
        ASSERT_EQ(app->asked.size(), 1u);
        EXPECT_EQ(app->asked[0], how == Swap::Pipe ? QStringLiteral("FailedToAccessFile")
                                                   : QStringLiteral("FirmwareFileInvaliedOrCorrupted"));
        EXPECT_FALSE(QFileInfo::exists(installed));
        EXPECT_FALSE(newcomerListed());
        EXPECT_EQ(strayEntries(), QStringList{});
    }
    // A good package goes in, and a bad one of the same name later keeps it.
    restoreSource();
    app->asked.clear();
    main.appendKeyboardProfileList();
    EXPECT_TRUE(app->asked.empty());
    EXPECT_EQ(bytesOf(installed), checked);
    ASSERT_TRUE(AppHarness::waitFor([&] { return newcomerListed(); }));
    swap(Swap::Garbage);
    main.appendKeyboardProfileList();
    EXPECT_EQ(app->asked, std::vector<QString>{"FirmwareFileInvaliedOrCorrupted"});
    EXPECT_EQ(bytesOf(installed), checked);
    EXPECT_TRUE(newcomerListed());
}

} // namespace
