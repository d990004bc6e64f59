#include "Dialog/DialogAppendKeyboard.h"

#include "AppParam.h"
#include "MainViewController.h"
#include "Utility/AppUtil.h"
#include "Utility/ProfilePackage.h"
#include "XML/KeyboardProfile.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>

DialogAppendKeyboard::DialogAppendKeyboard(const QString& keyboardPath, QWidget* parent)
    : FilePickDialog(DialogKind::AppendKeyboard, keyboardPath, QStringLiteral("key"),
                     QStringLiteral("AppendKeyboard"), QStringLiteral("KeyboardProfile"),
                     QStringLiteral("Append"), parent)
{
}

int DialogAppendKeyboard::run(const QString& keyboardPath, QString& chosen)
{
    return runPathDialog<DialogAppendKeyboard>(keyboardPath, chosen);
}

std::optional<double> DialogAppendKeyboard::versionNumber(const QString& profileVersion)
{
    return DeviceProfile::parseProfileVersion(profileVersion);
}

AppError DialogAppendKeyboard::checkTargetFileType(const QString& path)
{
    auto refuse = [](const char* key, AppError result) {
        AppUtil::messageBox(QString::fromLatin1(key), QStringLiteral("OK"), QString());
        return result;
    };
    if (path.isEmpty() || !QFileInfo::exists(path))
        return refuse("FailedToAccessFile", AppError::FileNotExist);
    // Nothing chosen yet: the path is still the folder the chooser starts in.
    if (pathLabel()->text().isEmpty())
        return refuse("FailedToAccessFile", AppError::FileNotExist);

    KeyboardProfile description;
    const AppError loaded = AppUtil::loadProfile(path, description, QStringLiteral("Profile.xml"));
    if (loaded != AppError::NoError)
        return refuse("FirmwareFileInvaliedOrCorrupted", loaded);
    // A description the enumeration would leave out (unreadable IDs or
    // texts, a version text that does not read) is as corrupt as one that
    // could not be read.
    const std::optional<double> version = versionNumber(description.profileVersion);
    if (!version || description.validate() != AppError::NoError)
        return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    if (*version < AppParam::supportKeyboardProfileVersion)
        return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    for (const auto& installed : AppParam::targetProfileList) {
        if (installed && installed->modelNumber == description.modelNumber
            && installed->dProfileVersion > *version)
            return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    }
    return AppError::NoError;
}

void DialogAppendKeyboard::enableHelpWhenListed()
{
    const bool listed = hasDevices
        ? hasDevices()
        : (MainViewController::instance() && !MainViewController::instance()->deviceList.empty());
    if (listed)
        enableHelpMenu();
}

void DialogAppendKeyboard::pushOK()
{
    QPointer<DialogAppendKeyboard> self(this);
    if (checkTargetFileType(filePath()) != AppError::NoError || !self || isClosingAll())
        return;
    enableHelpWhenListed();
    done(1);
}

void DialogAppendKeyboard::pushCancel()
{
    enableHelpWhenListed();
    done(0);
}
