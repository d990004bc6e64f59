#include "Dialog/DialogAppendKeyboard.h"

#include "AppParam.h"
#include "Device/DeviceEnumerator.h"
#include "Device/KeyboardEntry.h"
#include "Dialog/DialogRegistry.h"
#include "Utility/AppUtil.h"
#include "Utility/Logger.h"
#include "Utility/RegularFile.h"
#include "XML/KeyboardProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QTemporaryDir>

#include <cstdio>

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

namespace {

AppError refuse(const char* key, AppError result)
{
    AppUtil::messageBox(QString::fromLatin1(key), QStringLiteral("OK"), QString());
    return result;
}

// The package's bytes, read once; a refusal is shown.
AppError readPackageBytes(const QString& path, QByteArray& bytes)
{
    switch (AppUtil::readRegularFile(path, DialogAppendKeyboard::kMaxPackageBytes + 1, bytes)) {
    case AppUtil::FileReadOutcome::Read: break;
    // A folder, a device or a pipe is no package (and a pipe would block
    // whoever opens it).
    case AppUtil::FileReadOutcome::NotARegularFile: return refuse("FailedToAccessFile", AppError::FileNotExist);
    case AppUtil::FileReadOutcome::Failed: return refuse("FailedToAccessFile", AppError::FileRead);
    }
    if (bytes.size() > DialogAppendKeyboard::kMaxPackageBytes)
        return refuse("FirmwareFileInvaliedOrCorrupted", AppError::FileRead);
    return AppError::NoError;
}

// A package's bytes written under its own file name (the kind of package
// goes by its extension) into a private folder, removed with this object.
class StagedPackage {
public:
    // In a new folder inside `parent`, or in the system's temporary folder
    // when `parent` is empty.
    StagedPackage(const QString& parent, const QString& fileName, const QByteArray& bytes)
        : dir_(parent.isEmpty() ? QDir::tempPath() + QStringLiteral("/kolventra-package-XXXXXX")
                                : QDir(parent).filePath(QStringLiteral(".package-XXXXXX")))
    {
        if (!dir_.isValid() || fileName.isEmpty())
            return;
        path_ = QDir(dir_.path()).filePath(fileName);
        QFile file(path_);
        written_ = file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && file.write(bytes) == bytes.size() &&
                   file.flush();
    }
    bool isValid() const { return written_; }
    QString path() const { return path_; }

private:
    QTemporaryDir dir_;
    QString path_;
    bool written_ = false;
};

// What the last Append accepted: the chosen path and the bytes judged.
struct AcceptedPackage {
    QString path;
    QByteArray bytes;
};
std::optional<AcceptedPackage>& acceptedPackage()
{
    static std::optional<AcceptedPackage> accepted;
    return accepted;
}

} // namespace

AppError DialogAppendKeyboard::checkTargetFileType(const QString& path)
{
    checkedPath_.clear();
    checked_.clear();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return refuse("FailedToAccessFile", AppError::FileNotExist);
    // Nothing chosen yet: the path is still the folder the chooser starts in.
    if (pathLabel()->text().isEmpty())
        return refuse("FailedToAccessFile", AppError::FileNotExist);
    QByteArray bytes;
    if (const AppError read = readPackageBytes(path, bytes); read != AppError::NoError)
        return read;
    // The check reads the package several times (description, pictures): it
    // reads a private copy, so that all of it judges the bytes read above.
    const StagedPackage staged(QString(), QFileInfo(path).fileName(), bytes);
    if (!staged.isValid())
        return refuse("FailedToAccessFile", AppError::FileRead);
    const AppError judged = checkPackage(staged.path());
    if (judged == AppError::NoError) {
        checkedPath_ = path;
        checked_ = std::move(bytes);
    }
    return judged;
}

AppError DialogAppendKeyboard::checkPackage(const QString& path)
{
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

AppError DialogAppendKeyboard::installPackage(const QString& source, const QString& folder)
{
    QByteArray bytes;
    std::optional<AcceptedPackage>& accepted = acceptedPackage();
    if (accepted && accepted->path == source) {
        bytes = std::move(accepted->bytes);
        accepted.reset();
    } else if (const AppError read = readPackageBytes(source, bytes); read != AppError::NoError) {
        return read;
    }
    // Staged in the folder itself, so that the rename below is atomic; the
    // enumeration reads only the folder's own files, never the staging one.
    const QString name = QFileInfo(source).fileName();
    const StagedPackage staged(folder, name, bytes);
    if (!staged.isValid()) {
        Logger::log("Error: create profile copy directory");
        return refuse("FailedToAccessFile", AppError::FileWrite);
    }
    if (const AppError judged = checkPackage(staged.path()); judged != AppError::NoError)
        return judged;
    const QString target = QDir(folder).filePath(name);
    if (::rename(QFile::encodeName(staged.path()).constData(), QFile::encodeName(target).constData()) != 0) {
        Logger::log("Error: create profile copy directory");
        return refuse("FailedToAccessFile", AppError::FileWrite);
    }
    return AppError::NoError;
}

void DialogAppendKeyboard::pushOK()
{
    QPointer<DialogAppendKeyboard> self(this);
    if (checkTargetFileType(filePath()) != AppError::NoError || !self || isClosingAll())
        return;
    // What is added is what was judged, whatever the path holds later.
    acceptedPackage() = AcceptedPackage{checkedPath_, checked_};
    done(1);
}
