// Adding a description package from the keyboard's other-settings panel, the
// way the panel's handler runs the dialog and copies what it accepts: a
// package the enumeration or the connection could not use is refused, and
// nothing in the per-user folder is replaced by it.
#include "AppEnums.h"
#include "AppParam.h"
#include "Dialog/FilePickDialog.h"
#include "FunctionPanel/FunctionPanel.h"
#include "MainViewController.h"
#include "ShippedModels.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "support/ui/AppHarness.h"
#include "support/ui/DialogDriver.h"
#include "support/ui/FirmwareFiles.h"
#include "support/ui/ScriptedFileChooser.h"
#include "support/ui/WindowProbe.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Appends `package` as the user does: the panel's handler opens the dialog,
// the package is picked and Append pressed (Cancel when it stays open).
void appendThroughThePanel(MainViewController& main, const QString& package)
{
    ScriptedFileChooser chooser;
    chooser.answers.push_back(package);
    uitest::pickAndConfirmNext(DialogKind::AppendKeyboard, true);
    uitest::WindowProbe::tabPanel(main, FunctionTab::OtherSetting)->clickTabMenuItem(nullptr, FunctionItem::AppendDevice);
}

} // namespace

TEST(DescriptionPackageCheck, RefusedPackagesReplaceNothingInThePerUserFolder)
{
    apptest::AppHarness app({.mouse = false});
    ASSERT_TRUE(app.start());
    MainViewController& main = app.controller();
    const std::string_view file = shipped::kModels[0].packageFile;
    const QString shipped = AppUtil::resourceProfileFolder() + QString::fromLatin1(file.data(), qsizetype(file.size()));
    const QString incoming = app.workFolder() + QStringLiteral("/incoming/");
    ASSERT_TRUE(QDir().mkpath(incoming));
    const QString folder = AppUtil::appWorkFolder();
    const QString settings = folder + QString::fromLatin1(AppParam::APP_SETTINGS_INI);

    // A sound package of a new model goes in.
    ASSERT_TRUE(fwtest::makePackage(shipped, incoming + QStringLiteral("Extra.key"),
                                    {.profileVersion = QStringLiteral("KVK199US_1_2_0"),
                                     .modelNumber = QStringLiteral("KVK199A1"),
                                     .productId = QStringLiteral("1199")}));
    appendThroughThePanel(main, incoming + QStringLiteral("Extra.key"));
    EXPECT_TRUE(app.asked.empty());
    const QByteArray installed = bytesOf(folder + QStringLiteral("Extra.key"));
    ASSERT_FALSE(installed.isEmpty());
    const QByteArray settingsBefore = bytesOf(settings);

    // The same package under the settings file's name, and a newer one of
    // that model whose key codes no keyboard takes.
    ASSERT_TRUE(QFile::copy(incoming + QStringLiteral("Extra.key"), incoming + QStringLiteral("Application.ini")));
    const QString badCodes = incoming + QStringLiteral("bad/Extra.key");
    ASSERT_TRUE(QDir().mkpath(incoming + QStringLiteral("bad")));
    ASSERT_TRUE(fwtest::makePackage(shipped, badCodes, {.profileVersion = QStringLiteral("KVK199US_1_2_9"),
                                                        .modelNumber = QStringLiteral("KVK199A1"),
                                                        .productId = QStringLiteral("1199")}));
    QByteArray xml;
    ASSERT_EQ(AppUtil::loadCheckedMember(badCodes, QStringLiteral("Profile.xml"), xml), AppError::NoError);
    xml.replace("<Code>37</Code>", "<Code>300</Code>");
    ASSERT_EQ(AppUtil::appendProfileData(badCodes, xml, QStringLiteral("Profile.xml")), AppError::NoError);

    for (const QString& package : {incoming + QStringLiteral("Application.ini"), badCodes}) {
        app.asked.clear();
        appendThroughThePanel(main, package);
        EXPECT_EQ(app.asked, std::vector<QString>{"FirmwareFileInvaliedOrCorrupted"}) << package.toStdString();
    }
    EXPECT_EQ(bytesOf(settings), settingsBefore);
    EXPECT_EQ(bytesOf(folder + QStringLiteral("Extra.key")), installed);
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.key")}, QDir::Files), QStringList{"Extra.key"});
}
