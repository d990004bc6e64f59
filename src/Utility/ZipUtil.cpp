#include "Utility/ZipUtil.h"

#include "Platform/Clock.h"
#include "Platform/RunLoop.h"
#include "XML/FileIndexXML.h"
#include "Utility/Crc16.h"
#include "Utility/ProfilePackage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <mutex>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ZipUtil {

namespace {

std::mutex& settingsMutex()
{
    static std::mutex m;
    return m;
}

QString& zipOverride()
{
    static QString path;
    return path;
}

QString& unzipOverride()
{
    static QString path;
    return path;
}

ToolObserver& observer()
{
    static ToolObserver o;
    return o;
}

QString defaultTool(const QString& name, const QString& fallback)
{
    const QString found = QStandardPaths::findExecutable(name);
    return found.isEmpty() ? fallback : found;
}

// Environment of the tools: ours, minus the variables the tools read extra
// options from.
QProcessEnvironment toolEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"ZIPOPT", "ZIP", "UNZIP", "UNZIPOPT", "UNZIP_OPTS", "ZIPINFO", "ZIPINFOOPT"})
        env.remove(QString::fromLatin1(name));
    return env;
}

struct ToolRun {
    bool completed = false; // started, exited normally within the time-out and the output cap
    int exitCode = -1;
    QByteArray output;      // standard output when captured
};

// fileSizeLimit > 0 caps every file the tool writes at that many bytes
// (RLIMIT_FSIZE): a write beyond it ends the tool.
ToolRun runTool(const QString& program, const QStringList& arguments, const QString& workingDirectory,
                bool captureOutput, qint64 maxOutput, qint64 fileSizeLimit = 0)
{
    ToolRun run;
    ToolObserver notify;
    {
        std::lock_guard lock(settingsMutex());
        notify = observer();
    }
    if (notify)
        notify(program, arguments, workingDirectory);

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.setProcessEnvironment(toolEnvironment());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!captureOutput)
        process.setStandardOutputFile(QProcess::nullDevice());
    // A session of its own: no controlling terminal, so a tool never stops to
    // ask for a password or an answer.
    process.setChildProcessModifier([fileSizeLimit] {
        ::setsid();
        if (fileSizeLimit > 0) {
            const rlimit cap{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
            ::setrlimit(RLIMIT_FSIZE, &cap);
            ::signal(SIGXFSZ, SIG_DFL);
        }
    });

    process.start();
    if (!process.waitForStarted(30000))
        return run;

    const auto deadline = platform::now()
        + std::chrono::duration_cast<platform::Clock::duration>(platform::scaled(kToolTimeout));
    bool abandoned = false;
    for (;;) {
        if (captureOutput) {
            run.output += process.readAllStandardOutput();
            if (run.output.size() > maxOutput) {
                abandoned = true;
                break;
            }
        }
        if (process.state() == QProcess::NotRunning)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - platform::now());
        if (left.count() <= 0) {
            abandoned = true;
            break;
        }
        const int step = static_cast<int>(std::clamp<long long>(left.count(), 1, 100));
        // waitForReadyRead returns at once when the tool has closed its output
        // but not yet exited; then wait for the exit instead.
        if (!captureOutput || !process.waitForReadyRead(step))
            process.waitForFinished(step);
    }
    if (abandoned) {
        process.kill();
        process.waitForFinished(5000);
        run.output.clear();
        return run;
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return run;
    if (captureOutput) {
        run.output += process.readAllStandardOutput();
        if (run.output.size() > maxOutput) {
            run.output.clear();
            return run;
        }
    }
    run.completed = true;
    run.exitCode = process.exitCode();
    return run;
}

// unzip takes its archive argument as a wildcard pattern: "Work [1].prf"
// would open "Work 1.prf". A path holding a pattern character therefore
// reaches the tool as a plainly named symbolic link to it in a private
// folder, which lives as long as this object.
class LiteralArchivePath {
public:
    explicit LiteralArchivePath(const QString& absolutePath)
    {
        if (!hasPatternCharacter(absolutePath)) {
            path_ = absolutePath;
            return;
        }
        dir_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kolventra-XXXXXX"));
        if (!dir_->isValid())
            return;
        const QString link = dir_->filePath(QStringLiteral("archive.zip"));
        if (!hasPatternCharacter(link) && QFile::link(absolutePath, link))
            path_ = link;
    }
    // Empty when no literal path could be made.
    const QString& path() const { return path_; }

    static bool hasPatternCharacter(const QString& path)
    {
        for (QChar c : path) {
            switch (c.unicode()) {
            case u'*': case u'?': case u'[': case u']': case u'\\':
                return true;
            default:
                break;
            }
        }
        return false;
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString path_;
};

bool renameOver(const QString& from, const QString& to)
{
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// A new hidden archive name next to `target` (same folder, so a rename over
// the target is atomic); ends in ".zip" so the tool takes it as given.
QString workArchivePath(const QFileInfo& target)
{
    const QString folder = target.absolutePath() + QLatin1Char('/');
    for (;;) {
        const QString candidate = folder + QLatin1Char('.') + target.fileName() + QLatin1Char('.')
            + QUuid::createUuid().toString(QUuid::WithoutBraces) + QStringLiteral(".zip");
        const QFileInfo info(candidate);
        if (!info.exists() && !info.isSymLink())
            return candidate;
    }
}

} // namespace

QString writeTarget(const QString& path)
{
    constexpr int kMaxLinkLevels = 40; // as the kernel's own limit
    QString current = QFileInfo(path).absoluteFilePath();
    for (int level = 0; level < kMaxLinkLevels; ++level) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString next = info.symLinkTarget();
        if (next.isEmpty())
            return path;
        current = QFileInfo(next).absoluteFilePath();
    }
    return path; // a loop: writing fails on the path as given
}

PackageLock::PackageLock(const QString& filePath)
{
    const QString folder = QFileInfo(writeTarget(filePath)).absolutePath();
    fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    // One try without blocking: true when it is settled (the lock taken, or
    // refused for another reason than a holder), with `error` then 0 or the
    // reason.
    int error = 0;
    const auto settled = [this, &error] {
        for (;;) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                error = 0;
                return true;
            }
            error = errno;
            if (error != EINTR)
                return error != EWOULDBLOCK;
        }
    };
    // Tried again after short pauses, at most kWaitLimit: a holder that
    // never lets go (another program hung while saving) must not keep the
    // save waiting for good.
    constexpr platform::Seconds kRetryPause{0.05};
    if (!settled()) {
        const QCoreApplication* app = QCoreApplication::instance();
        if (app && QThread::currentThread() == app->thread()) {
            // On the main thread the wait is that of a device command: the
            // event loop runs with user input held back, so the window keeps
            // painting and its timers run while clicks and keys wait, and
            // hot-plug handling is kept until after it (the transaction
            // scope), so the device does not change under the save.
            const platform::TransactionScope holdPlugEvents;
            platform::EventWait wait;
            QTimer retry;
            retry.setTimerType(Qt::PreciseTimer);
            QObject::connect(&retry, &QTimer::timeout, [&wait] { wait.wake(); });
            retry.start(platform::scaledMs(kRetryPause));
            (void)wait.run(settled, kWaitLimit);
        } else {
            const auto deadline = platform::now()
                + std::chrono::duration_cast<platform::Clock::duration>(platform::scaled(kWaitLimit));
            while (platform::now() < deadline) {
                platform::sleepFor(kRetryPause);
                if (settled())
                    break;
            }
        }
    }
    if (error != 0) {
        busy_ = error == EWOULDBLOCK;
        ::close(fd_);
        fd_ = -1;
    }
}

PackageLock::~PackageLock()
{
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
}

void setToolPaths(const QString& zipPath, const QString& unzipPath)
{
    std::lock_guard lock(settingsMutex());
    zipOverride() = zipPath;
    unzipOverride() = unzipPath;
}

QString zipToolPath()
{
    {
        std::lock_guard lock(settingsMutex());
        if (!zipOverride().isEmpty())
            return zipOverride();
    }
    static const QString path = defaultTool(QStringLiteral("zip"), QStringLiteral("/usr/bin/zip"));
    return path;
}

QString unzipToolPath()
{
    {
        std::lock_guard lock(settingsMutex());
        if (!unzipOverride().isEmpty())
            return unzipOverride();
    }
    static const QString path = defaultTool(QStringLiteral("unzip"), QStringLiteral("/usr/bin/unzip"));
    return path;
}

ToolObserver setToolObserver(ToolObserver o)
{
    std::lock_guard lock(settingsMutex());
    return std::exchange(observer(), std::move(o));
}

bool isValidMemberName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")
        || name.startsWith(QLatin1Char('-')))
        return false;
    if (name.toUtf8().size() > 255)
        return false;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0))
            return false;
        switch (u) {
        case u'/': case u'\\': case u'*': case u'?': case u'[': case u']':
            return false;
        default:
            break;
        }
    }
    return true;
}

std::optional<QByteArray> tryLoad(const QString& filePath, const QString& targetFileName, bool ignoreCap,
                                  qint64 maxBytes)
{
    if (!isValidMemberName(targetFileName) || maxBytes <= 0)
        return QByteArray();
    // unzip would go on to try "<file>.zip" for a missing file.
    const QFileInfo archive(filePath);
    if (!archive.isFile())
        return QByteArray();
    const LiteralArchivePath literal(archive.absoluteFilePath());
    if (literal.path().isEmpty())
        return std::nullopt;
    const QStringList arguments{ignoreCap ? QStringLiteral("-pC") : QStringLiteral("-p"), literal.path(),
                                targetFileName};
    ToolRun run = runTool(unzipToolPath(), arguments, QString(), true, maxBytes);
    if (!run.completed)
        return std::nullopt;
    if (run.exitCode != 0)
        return QByteArray();
    return run.output;
}

QByteArray load(const QString& filePath, const QString& targetFileName, bool ignoreCap, qint64 maxBytes)
{
    return tryLoad(filePath, targetFileName, ignoreCap, maxBytes).value_or(QByteArray());
}

namespace {

// ASCII letters in lower case, everything else as it stands: how unzip's
// "-C" compares member names.
QString asciiFolded(const QString& name)
{
    QString folded = name;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return folded;
}

// The bytes of a plain file the tool extracted: never through a symbolic
// link (a member may be stored as one), nothing but a regular file, at most
// maxBytes. False when any of that does not hold.
bool readExtracted(const QString& path, qint64 maxBytes, QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    QFile file;
    struct stat info{};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= maxBytes
        && file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    if (!ok) {
        ::close(fd);
        return false;
    }
    bytes = file.read(info.st_size);
    ok = bytes.size() == info.st_size && file.error() == QFileDevice::NoError;
    if (!ok)
        bytes.clear();
    return ok;
}

} // namespace

std::vector<QByteArray> loadMembers(const QString& filePath, const QStringList& names, bool ignoreCap,
                                    qint64 maxBytes)
{
    std::vector<QByteArray> result(size_t(names.size()));
    std::vector<bool> settled(result.size(), false);
    QStringList wanted;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (!isValidMemberName(names[i]) || maxBytes <= 0)
            settled[size_t(i)] = true; // reads as missing, as with load()
        else if (!wanted.contains(names[i]))
            wanted.push_back(names[i]);
    }
    const QFileInfo archive(filePath);
    if (wanted.isEmpty() || !archive.isFile())
        return result;

    // One run extracts every named member into a private folder. The tool
    // may write no file larger than the cap (plus one byte, so that a member
    // over the cap shows as such); it exits 11 when some name matched no
    // member, and the others are extracted all the same.
    if (wanted.size() > 1) {
        const LiteralArchivePath literal(archive.absoluteFilePath());
        QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/kolventra-XXXXXX"));
        if (!literal.path().isEmpty() && folder.isValid()) {
            QStringList arguments{QStringLiteral("-qq"), QStringLiteral("-n")};
            if (ignoreCap)
                arguments << QStringLiteral("-C");
            arguments << QStringLiteral("-d") << folder.path() << literal.path() << wanted;
            const ToolRun run = runTool(unzipToolPath(), arguments, QString(), false, 0, maxBytes + 1);
            if (run.completed && (run.exitCode == 0 || run.exitCode == 11)) {
                const QStringList landed = QDir(folder.path()).entryList(
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
                for (qsizetype i = 0; i < names.size(); ++i) {
                    if (settled[size_t(i)])
                        continue;
                    const QString key = ignoreCap ? asciiFolded(names[i]) : names[i];
                    QStringList matches;
                    for (const QString& file : landed) {
                        if ((ignoreCap ? asciiFolded(file) : file) == key)
                            matches.push_back(file);
                    }
                    // Two members matching one name regardless of case are
                    // read alone below, as load() reads them.
                    if (matches.size() == 1
                        && readExtracted(folder.filePath(matches.front()), maxBytes, result[size_t(i)]))
                        settled[size_t(i)] = true;
                }
            }
        }
    }
    // Whatever the one run did not settle (the tool failed, a member is
    // missing, over the cap, not a plain file or ambiguous) is read on its
    // own, with the checks of load().
    QHash<QString, QByteArray> readAlone;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (settled[size_t(i)])
            continue;
        auto found = readAlone.constFind(names[i]);
        if (found == readAlone.constEnd())
            found = readAlone.insert(names[i], load(filePath, names[i], ignoreCap, maxBytes));
        result[size_t(i)] = *found;
    }
    return result;
}

bool contains(const QString& filePath, const QString& name)
{
    return !load(filePath, name, false).isEmpty();
}

AppError deleteMember(const QString& filePath, const QString& name)
{
    if (!isValidMemberName(name))
        return AppError::BadParam;
    const PackageLock lock(filePath);
    if (lock.isBusy())
        return AppError::FileWrite;
    const QFileInfo archive(writeTarget(filePath));
    if (!archive.isFile())
        return AppError::FileWrite;

    const QString work = workArchivePath(archive);
    if (!QFile::copy(archive.absoluteFilePath(), work))
        return AppError::FileWrite;
    ToolRun run = runTool(zipToolPath(), {QStringLiteral("-d"), work, name}, QString(), false, 0);
    if (run.completed && run.exitCode == 12) { // nothing to delete
        QFile::remove(work);
        return AppError::NoError;
    }
    if (!run.completed || run.exitCode != 0) {
        QFile::remove(work);
        return AppError::FileWrite;
    }
    if (!QFileInfo::exists(work)) // the last member went, and the tool removed the archive
        return QFile::remove(archive.absoluteFilePath()) ? AppError::NoError : AppError::FileWrite;
    if (!renameOver(work, archive.absoluteFilePath())) {
        QFile::remove(work);
        return AppError::FileWrite;
    }
    return AppError::NoError;
}

AppError save(const QString& srcFolderPath, const QStringList& fileNameList, const QString& destZipFilePath,
              bool toCRLF)
{
    if (fileNameList.isEmpty())
        return AppError::BadParam;
    QStringList names;
    for (const QString& name : fileNameList) {
        if (!isValidMemberName(name))
            return AppError::BadParam;
        if (!names.contains(name))
            names.push_back(name);
    }
    const QDir source(srcFolderPath);
    if (srcFolderPath.isEmpty() || !source.exists())
        return AppError::FileWrite;
    for (const QString& name : names) {
        if (!QFileInfo::exists(source.filePath(name)))
            return AppError::FileWrite;
    }
    const QFileInfo dest(destZipFilePath.isEmpty() ? QString() : writeTarget(destZipFilePath));
    if (destZipFilePath.isEmpty() || !dest.absoluteDir().exists() || (dest.exists() && !dest.isFile()))
        return AppError::FileWrite;

    const QString work = workArchivePath(dest);
    if (dest.exists() && !QFile::copy(dest.absoluteFilePath(), work))
        return AppError::FileWrite;

    QStringList arguments;
    if (toCRLF)
        arguments << QStringLiteral("-l");
    arguments << work;
    arguments << names;
    ToolRun run = runTool(zipToolPath(), arguments, source.absolutePath(), false, 0);
    if (!run.completed || run.exitCode != 0 || !QFileInfo(work).isFile()
        || !renameOver(work, dest.absoluteFilePath())) {
        QFile::remove(work);
        return AppError::FileWrite;
    }
    return AppError::NoError;
}

AppError save(const QString& srcFolderPath, const QString& destZipFilePath, bool toCRLF)
{
    const QDir source(srcFolderPath);
    if (srcFolderPath.isEmpty() || !source.exists() || !source.isReadable())
        return AppError::FileWrite;
    const QStringList entries =
        source.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    if (entries.isEmpty())
        return AppError::FileWrite;
    return save(srcFolderPath, entries, destZipFilePath, toCRLF);
}

AppError append(const QString& filePath, const FileList& fileList)
{
    const QString indexName = QStringLiteral("index.xml");
    if (fileList.empty())
        return AppError::BadParam;
    for (const auto& [name, bytes] : fileList) {
        if (!isValidMemberName(name) || name == indexName)
            return AppError::BadParam;
    }
    if (filePath.isEmpty())
        return AppError::FileNotExist;
    // The index is read, changed and written back: nobody else may change the
    // package meanwhile.
    const PackageLock lock(filePath);
    if (lock.isBusy())
        return AppError::FileNotExist;
    const QFileInfo target(writeTarget(filePath));
    if ((target.exists() && !target.isFile()) || !target.absoluteDir().exists())
        return AppError::FileNotExist;

    // The existing index, in order. An index that does not parse is rebuilt
    // from the members added now; one the tool gave no answer for is not, as
    // the members it lists would drop out of it.
    FileIndex index;
    if (target.exists()) {
        const std::optional<QByteArray> indexBytes =
            tryLoad(target.absoluteFilePath(), indexName, false, kMaxXmlMemberBytes);
        if (!indexBytes)
            return AppError::FileNotExist;
        FileIndexXML reader;
        if (!indexBytes->isEmpty() && reader.parse(*indexBytes))
            index = reader.takeProfile();
    }

    QTemporaryDir staging;
    if (!staging.isValid())
        return AppError::FileNotExist;
    QStringList zipList;
    for (const auto& member : fileList) {
        const QString& name = member.first;
        const QByteArray& bytes = member.second;
        const QString sign = Crc16::toText(Crc16::compute(bytes));
        auto found = std::find_if(index.fileIndexEntry.begin(), index.fileIndexEntry.end(),
                                  [&](const FileIndex::FileIndexEntry& e) { return e.name == name; });
        if (found != index.fileIndexEntry.end())
            found->sign = sign;
        else
            index.fileIndexEntry.push_back({name, sign});

        QFile file(staging.filePath(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()
            || !file.flush())
            return AppError::FileNotExist;
        file.close();
        if (!zipList.contains(name))
            zipList.push_back(name);
    }

    // The index is stored with CR LF line ends, like every XML member.
    std::optional<QByteArray> indexXml = FileIndexXML::construct(index);
    if (!indexXml)
        return AppError::FileNotExist;
    const std::optional<QByteArray> convertedIndex = AppUtil::dataConvertCRLF(*indexXml);
    if (!convertedIndex)
        return AppError::FileNotExist;
    const QByteArray& converted = *convertedIndex;
    QFile indexFile(staging.filePath(indexName));
    if (!indexFile.open(QIODevice::WriteOnly | QIODevice::Truncate) || indexFile.write(converted) != converted.size()
        || !indexFile.flush())
        return AppError::FileNotExist;
    indexFile.close();
    zipList.push_back(indexName);

    return save(staging.path(), zipList, target.absoluteFilePath(), false) == AppError::NoError
        ? AppError::NoError
        : AppError::FileNotExist;
}

} // namespace ZipUtil

namespace AppUtil {

QString getTempFilePath(const QString& path)
{
    if (path.isEmpty())
        return {};
    for (;;) {
        const QString candidate =
            path + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".tmp");
        const QFileInfo info(candidate);
        if (!info.exists() && !info.isSymLink())
            return candidate;
    }
}

bool isEnableFoldrWrite(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return false;
    const QString folder = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    const QString probe = getTempFilePath(folder);
    {
        QFile file(probe);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return false;
        const QByteArray sample("sample");
        const bool written = file.write(sample) == sample.size() && file.flush();
        file.close();
        if (!written) {
            QFile::remove(probe);
            return false;
        }
    }
    QFile::remove(probe);
    return true;
}

QStringList getFiles(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QDir dir(path);
    if (!dir.exists())
        return {};
    const QString folder = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    QStringList result;
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    result.reserve(entries.size());
    for (const QString& entry : entries)
        result.push_back(folder + entry);
    return result;
}

} // namespace AppUtil
