#include "Dialog/DialogFirmwareFileSelect.h"

#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/FirmwareImage.h"
#include "Dialog/DialogRegistry.h"
#include "Utility/AppUtil.h"

#include <QPointer>

DialogFirmwareFileSelect::DialogFirmwareFileSelect(const QString& updatePath, QWidget* parent)
    : FilePickDialog(DialogKind::FirmwareFileSelect, updatePath, QString::fromLatin1(firmware::kFileExtension),
                     QStringLiteral("FirmwareUpdate"), QStringLiteral("DialogUpdateFileLabel"),
                     QStringLiteral("Update"), parent)
{
}

int DialogFirmwareFileSelect::run(const QString& updatePath, QString& chosen)
{
    return runPathDialog<DialogFirmwareFileSelect>(updatePath, chosen);
}

AppError DialogFirmwareFileSelect::checkTargetFileType(const QString& path)
{
    auto refuse = [](const char* key, AppError result) {
        AppUtil::messageBox(QString::fromLatin1(key), QStringLiteral("OK"), QString());
        return result;
    };
    QByteArray bytes;
    switch (firmware::readFile(path, bytes)) {
    case firmware::ReadOutcome::Read:
        break;
    case firmware::ReadOutcome::NotARegularFile:
        return refuse("FailedToAccessFile", AppError::FileNotExist);
    case firmware::ReadOutcome::Failed:
        return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    }
    const std::shared_ptr<IDeviceEntry> device = AppParam::device;
    const firmware::Verdict verdict =
        device ? firmware::checkFor(bytes, *device) : firmware::check(bytes, std::nullopt, QString());
    if (verdict != firmware::Verdict::Good)
        return refuse(firmware::messageKey(verdict).toLatin1().constData(), firmware::resultOf(verdict));
    return AppError::NoError;
}

void DialogFirmwareFileSelect::pushOK()
{
    QPointer<DialogFirmwareFileSelect> self(this);
    // A box may be ended because the device went away: the dialog is then
    // closing and nothing more is asked.
    auto gone = [&] { return !self || isClosingAll(); };
    if (checkTargetFileType(filePath()) != AppError::NoError || gone())
        return;
    if (AppUtil::messageBox(QStringLiteral("CheckKeyboardFirmwareUpdate"), QStringLiteral("Yes"),
                            QStringLiteral("No")) != 1
        || gone())
        return;
    if (DialogRegistry::host().isExistSameDeviceType()) {
        AppUtil::messageBox(QStringLiteral("CheckNotConnectOtherKeyboard"), QStringLiteral("OK"), QString());
        return;
    }
    if (AppUtil::messageBox(QStringLiteral("CheckNotDisconnectUSBCacle"), QStringLiteral("OK"),
                            QStringLiteral("Cancel")) != 1
        || gone())
        return;
    FilePickDialog::pushOK();
}
