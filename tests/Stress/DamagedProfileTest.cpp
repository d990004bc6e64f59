// Profile files damaged behind the application's back, then saved over by
// the user: the member written must come out whole.
#include "AppParam.h"
#include "Dialog/DialogProfileSave.h"
#include "MainView.h"
#include "MainViewController.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "XML/FileIndexXML.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/WindowProbe.h"

#include <gtest/gtest.h>

#include <random>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QCheckBox>
#include <QTest>

using apptest::AppHarness;

namespace {

// Saves the keyboard's settings as `name` through the Save button and its
// dialog: typed as a new name, and when the dialog refuses that (the file
// holds the member already), over the listed file. Returns whether the
// dialog ended with the save done.
bool saveAs(MainViewController& main, const QString& name)
{
    bool shown = false;
    bool saved = false;
    uitest::whenDialogShown(DialogKind::ProfileSave, [&](ModalDialog* d) {
        QPointer<ProfileSaveDialog> dialog = qobject_cast<ProfileSaveDialog*>(d);
        if (!dialog)
            return;
        shown = true;
        dialog->profileName()->setText(name);
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        // done(1) sets the result at once; a refusal leaves it 0.
        // Over the listed file of that name; a file that is not listed (its
        // member does not read) is not offered for overwriting.
        const int row = dialog ? int(dialog->fileList().names.indexOf(name)) : -1;
        if (dialog && dialog->result() != 1 && row >= 0) {
            QTest::mouseClick(dialog->checkOverWiteButton(), Qt::LeftButton);
            dialog->listboxFileList()->selectRow(row);
            QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        }
        if (dialog && dialog->result() != 1) {
            QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
            return;
        }
        saved = true;
    });
    QTest::mouseClick(uitest::WindowProbe::window(main).saveProfileButton, Qt::LeftButton);
    EXPECT_TRUE(shown);
    return saved;
}

// The member's state: NoError when the index lists it and its bytes match.
AppError memberState(const QString& path, const QString& member)
{
    QByteArray data;
    return AppUtil::loadCheckedMember(path, member, data);
}

} // namespace

TEST(DamagedProfile, SavingOverADamagedFileWritesTheMemberWhole)
{
    const QString member = QStringLiteral("profile.KVK108US.xml");
    for (int damage = 0; damage < 4; ++damage) {
        AppHarness app;
        ASSERT_TRUE(app.start());
        auto& main = app.controller();
        const QString folder = AppUtil::appWorkFolder() + QStringLiteral("profiles/");
        ASSERT_TRUE(QDir().mkpath(folder));
        AppParam::userProfileFilePath = folder;
        const QString path = folder + QStringLiteral("a.prf");

        ASSERT_TRUE(saveAs(main, QStringLiteral("a")));
        ASSERT_TRUE(QFile::exists(path));
        ASSERT_EQ(memberState(path, member), AppError::NoError);

        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        switch (damage) {
        case 0: bytes.truncate(bytes.size() / 2); break;                        // cut short
        case 1: for (int i = 40; i < 60; ++i) bytes[i] = char(bytes[i] ^ 0x55); break;  // early bytes
        case 2: for (int i = bytes.size() / 2; i < bytes.size() / 2 + 20; ++i) bytes[i] = char(~bytes[i]); break;
        default: bytes = QByteArray("not a package at all"); break;
        }
        f.resize(0);
        f.seek(0);
        f.write(bytes);
        f.close();

        // Any question is answered with its first button. The save may be
        // refused; when it is reported done, the member must read back.
        const bool saved = saveAs(main, QStringLiteral("a"));
        if (!saved)
            continue;
        ASSERT_TRUE(QFile::exists(path)) << damage;
        FileIndex index;
        ASSERT_EQ(AppUtil::loadProfile(path, index, AppUtil::kIndexMemberName), AppError::NoError) << damage;
        EXPECT_EQ(memberState(path, member), AppError::NoError) << "damage " << damage << ", asked: "
                                                                 << (app.asked.empty() ? "" : qPrintable(app.asked.back()));
    }
}

TEST(DamagedProfile, RandomlyDamagedFilesSavedOverReadBackOrAreRefused)
{
    const QString member = QStringLiteral("profile.KVK108US.xml");
    AppHarness app;
    ASSERT_TRUE(app.start());
    auto& main = app.controller();
    const QString folder = AppUtil::appWorkFolder() + QStringLiteral("profiles/");
    ASSERT_TRUE(QDir().mkpath(folder));
    AppParam::userProfileFilePath = folder;
    std::mt19937 rng(7);
    int savedCount = 0;
    for (int round = 0; round < 40; ++round) {
        const QString name = QStringLiteral("r%1").arg(round);
        const QString path = folder + name + QStringLiteral(".prf");
        ASSERT_TRUE(saveAs(main, name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        for (int i = 0; i < 8; ++i)
            bytes[int(rng() % uint32_t(bytes.size()))] = char(rng() & 0xFF);
        f.resize(0);
        f.seek(0);
        f.write(bytes);
        f.close();
        if (!saveAs(main, name))
            continue;
        ++savedCount;
        FileIndex index;
        EXPECT_EQ(AppUtil::loadProfile(path, index, AppUtil::kIndexMemberName), AppError::NoError) << round;
        EXPECT_EQ(memberState(path, member), AppError::NoError) << "round " << round;
    }
}
