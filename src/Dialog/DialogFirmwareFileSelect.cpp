#include "Dialog/DialogFirmwareFileSelect.h"

#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/FirmwareImage.h"
#include "MainViewController.h"
#include "Utility/AppUtil.h"

#include <QFile>
#include <QFileInfo>
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
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir())
        return refuse("FailedToAccessFile", AppError::FileNotExist);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    // Anything longer than the largest image that can be sent is refused
    // without reading it whole.
    if (file.size() > firmware::kMaxImageSize + 2)
        return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);

    const std::shared_ptr<IDeviceEntry> device = AppParam::device;
    const std::optional<QString> model = device ? device->modelNumber() : std::nullopt;
    // A device that reports no version compares as "", which any file passes.
    std::optional<QString> version = device ? device->firmwareVersionCompare() : std::nullopt;
    if (!version)
        version = QString();
    const firmware::Verdict verdict = firmware::check(bytes, model, version);
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
    const bool same = sameDeviceTypeCheck
        ? sameDeviceTypeCheck()
        : (MainViewController::instance() && MainViewController::instance()->isExistSameDeviceType());
    if (same) {
        AppUtil::messageBox(QStringLiteral("CheckNotConnectOtherKeyboard"), QStringLiteral("OK"), QString());
        return;
    }
    if (AppUtil::messageBox(QStringLiteral("CheckNotDisconnectUSBCacle"), QStringLiteral("OK"),
                            QStringLiteral("Cancel")) != 1
        || gone())
        return;
    FilePickDialog::pushOK();
}
