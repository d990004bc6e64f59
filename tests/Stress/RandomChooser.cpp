#include "RandomChooser.h"

#include "AppParam.h"
#include "Device/IDeviceEntry.h"
#include "Dialog/ModalDialog.h"
#include "Utility/AppUtil.h"
#include "support/EmulatedDevice.h"
#include "support/VirtualHidBus.h"

#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>

namespace stress {

namespace {

// A firmware file as the update expects it: checksum (low byte first) over a
// 64 KiB image that names the model at 0xFFF0 and its version at 0xFFF9.
QByteArray firmwareFile(const QString& model, uint8_t version)
{
    QByteArray image(0x10000, '\0');
    for (int i = 0; i < image.size() - 16; ++i)
        image[i] = char((i * 7) & 0xFF);
    const QByteArray m = model.toLatin1().left(8).leftJustified(8, ' ');
    for (int i = 0; i < 8; ++i)
        image[0xFFF0 + i] = m[i];
    for (int i = 0; i < 3; ++i)
        image[0xFFF9 + i] = char(version);
    const uint16_t crc = emu::EmulatedDevice::crc16(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(image.constData()), size_t(image.size())));
    QByteArray file;
    file.append(char(crc & 0xFF)).append(char(crc >> 8)).append(image);
    return file;
}

QStringList extensionsOf(const QStringList& filters)
{
    QStringList out;
    static const QRegularExpression ext(QStringLiteral("\\*\\.(\\w+)"));
    for (const QString& f : filters)
        for (auto it = ext.globalMatch(f); it.hasNext();)
            out << it.next().captured(1);
    return out;
}

} // namespace

RandomChooser::RandomChooser(std::function<int(int)> pick, std::function<void()> unplug, QString scratch)
    : pick_(std::move(pick)), unplug_(std::move(unplug)), scratch_(std::move(scratch))
{
    QDir().mkpath(scratch_);
    previous_ = FileChooser::install(this);
}

RandomChooser::~RandomChooser()
{
    FileChooser::install(previous_);
}

std::optional<QString> RandomChooser::finish(std::optional<QString> answer, const std::string& what)
{
    ++answers[what];
    return aborted_ ? std::nullopt : answer;
}

QString RandomChooser::madeFile(const QString& extension, bool good)
{
    const QString path = scratch_ + QStringLiteral("/made%1.%2").arg(++made_).arg(extension);
    QByteArray bytes;
    const auto model = AppParam::device ? AppParam::device->modelNumber() : std::nullopt;
    if (extension == QLatin1String("vxb")) {
        switch (good ? 0 : 1 + pick_(4)) {
        case 0: bytes = firmwareFile(model.value_or(QStringLiteral("KVK108A1")), 0xFF); break;
        case 1: bytes = firmwareFile(QStringLiteral("XXXXXXXX"), 0xFF); break;      // another model
        case 2: bytes = firmwareFile(model.value_or(QString()), 0x00); break;        // older
        case 3: bytes = firmwareFile(model.value_or(QString()), 0xFF).left(4000); break;  // cut short
        default: bytes = firmwareFile(model.value_or(QString()), 0xFF); bytes[100] = char(bytes[100] ^ 0x5A); break;
        }
    } else {
        // A package of this kind from the shipped ones or the user's, damaged
        // unless a good one is wanted.
        QStringList sources;
        for (const QString& folder : {AppUtil::resourceProfileFolder(), AppUtil::appWorkFolder()}) {
            QDirIterator it(folder, {QStringLiteral("*.") + extension}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                sources << it.next();
        }
        sources.sort();
        if (!sources.isEmpty()) {
            QFile f(sources[pick_(int(sources.size()))]);
            if (f.open(QIODevice::ReadOnly))
                bytes = f.readAll();
        }
        if (!good) {
            if (bytes.isEmpty() || pick_(2) == 0)
                bytes = QByteArray("PK\x03\x04", 4) + QByteArray(" not really a package");
            else if (pick_(2) == 0)
                bytes.truncate(pick_(int(bytes.size())));
            else
                for (int i = 0; i < 16; ++i)
                    bytes[pick_(int(bytes.size()))] = char(pick_(256));
        }
        if (good && sources.isEmpty())
            return {};
    }
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return {};
    out.write(bytes);
    return path;
}

std::optional<QString> RandomChooser::chooseFolder(QWidget* parent, const QString& startFolder)
{
    (void)parent;
    running_ = true;
    aborted_ = false;
    std::optional<QString> answer;
    std::string what;
    switch (pick_(6)) {
    case 0: what = "folder cancel"; break;
    case 1: answer = startFolder; what = "folder start"; break;
    case 2: answer = scratch_ + QStringLiteral("/missing-folder"); what = "folder missing"; break;
    case 3: answer = madeFile(QStringLiteral("txt"), false); what = "folder is-a-file"; break;
    case 4:
        unplug_();
        emu::waitUntil([this] { return aborted_; }, std::chrono::milliseconds(200));
        answer = startFolder;
        what = "folder unplugged";
        break;
    default:
        answer = folders.isEmpty() ? startFolder : folders[pick_(int(folders.size()))];
        what = "folder good";
        break;
    }
    running_ = false;
    return finish(answer, what);
}

std::optional<QString> RandomChooser::chooseFile(QWidget* parent, const QString& startFolder,
                                                 const QStringList& nameFilters)
{
    (void)parent;
    (void)startFolder;
    running_ = true;
    aborted_ = false;
    const QStringList exts = extensionsOf(nameFilters);
    const QString ext = exts.isEmpty() ? QStringLiteral("bin") : exts[pick_(int(exts.size()))];
    std::optional<QString> answer;
    std::string what;
    switch (pick_(7)) {
    case 0: what = "file cancel"; break;
    case 1: answer = scratch_ + QStringLiteral("/missing.") + ext; what = "file missing"; break;
    case 2: answer = madeFile(ext, false); what = "file damaged"; break;
    case 3: answer = madeFile(QStringLiteral("txt"), false); what = "file wrong-kind"; break;
    case 4:
        unplug_();
        emu::waitUntil([this] { return aborted_; }, std::chrono::milliseconds(200));
        answer = madeFile(ext, true);
        what = "file unplugged";
        break;
    default: answer = madeFile(ext, true); what = "file good"; break;
    }
    running_ = false;
    return finish(answer, what);
}

} // namespace stress
