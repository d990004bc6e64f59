#include "Dialog/DialogAppendKeyboard.h"

#include "AppParam.h"
#include "Device/DeviceEnumerator.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogRegistry.h"
#include "Utility/AppUtil.h"
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
    // A folder, a device or a pipe is no package (and a pipe would block
    // whoever opens it).
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return refuse("FailedToAccessFile", AppError::FileNotExist);
    // Nothing chosen yet: the path is still the folder the chooser starts in.
    if (pathLabel()->text().isEmpty())
        return refuse("FailedToAccessFile", AppError::FileNotExist);

    // The package is judged as the enumeration and the connection will use
    // it once it is in the per-user folder, so that a package accepted here
    // is listed and connects: a keyboard package (".key" exactly) with a
    // well-formed description ...
    AppError loaded = AppError::NoError;
    const std::shared_ptr<DeviceProfile> read = DeviceEnumerator::readPackage(path, loaded);
    const auto* description = dynamic_cast<const KeyboardProfile*>(read.get());
    if (!description) {
        const bool readError = loaded != AppError::NoError && loaded != AppError::BadParam;
        return refuse("FirmwareFileInvaliedOrCorrupted", readError ? loaded : AppError::FileRead);
    }
    // ... whose version is supported and not older than the installed one ...
    const std::optional<double> version = versionNumber(description->profileVersion);
    if (!version || *version < AppParam::supportKeyboardProfileVersion)
        return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    for (const auto& installed : AppParam::targetProfileList) {
        if (installed && installed->modelNumber == description->modelNumber
            && installed->dProfileVersion > *version)
            return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    }
    // ... whose keys carry codes the keyboard model takes, and whose pictures
    // decode within the picture caps.
    if (KeyboardEntry::checkDescription(*description) != AppError::NoError
        || !DeviceEnumerator::hasLoadablePictures(*description))
        return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    return AppError::NoError;
}

void DialogAppendKeyboard::enableHelpWhenListed()
{
    if (DialogRegistry::host().isAnyDeviceListed())
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
