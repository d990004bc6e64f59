#pragma once
// The zip tool runner: every read and write of a package goes through the
// system's Info-ZIP "unzip" and "zip" programs, run as child processes with
// an argument list (never a shell), a private environment without the tools'
// option variables, no terminal, standard error discarded, and a time-out
// (kToolTimeout, served through platform::scaled) after which a hung tool is
// killed. Exit codes are read: a tool that fails never yields data or
// NoError.
//
// Member names that reach the tools are checked first (isValidMemberName):
// a name the tools would take as an option or a wildcard reads as missing
// (load: empty, contains: false) and is refused by the writers (BadParam).
// Archive paths are passed absolute, so they never look like options; unzip
// would take one holding "*", "?", "[", "]" or "\\" as a wildcard pattern
// (and open a neighbour), so such a path reaches it through a plainly named
// symbolic link.
//
// Writers never change an archive in place: they work on a copy next to it
// (a hidden "*.zip" in the same folder) and rename it over the archive on
// success, so a failed write leaves the old file byte-identical.
//
// Beside it, namespace AppUtil gets three folder utilities used by the
// profile dialogs (getTempFilePath, isEnableFoldrWrite, getFiles).
//
// Every operation blocks the calling thread until its tool has finished.
// They may be called from any thread: the profile dialogs' list, the start's
// file reads and a connect's picture reads run them on worker threads. What
// the calls share, the tool paths and the tool observer of the test seams
// below, is guarded by one mutex.

#include "Utility/AppError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace ZipUtil {

// Longest a tool may run before it is killed (on the platform time scale).
inline constexpr std::chrono::seconds kToolTimeout{30};
// Default cap of one member read by load(); a larger member reads as missing.
inline constexpr qint64 kMaxMemberBytes = 16 * 1024 * 1024;
// Cap of an XML member (profile documents, "index.xml").
inline constexpr qint64 kMaxXmlMemberBytes = 4 * 1024 * 1024;

// Non-empty, at most 255 UTF-8 bytes, not "." or "..", not starting with
// "-", and without "/", "\\", control characters or any of "* ? [ ]".
bool isValidMemberName(const QString& name);

// The member's bytes: "unzip -p <file> <member>" ("-pC" with ignoreCap, which
// matches the member name ignoring letter case). Empty when the archive or the
// member is missing, the name is not valid, the tool fails or times out, or
// the member is larger than maxBytes. A zero-length member is empty too.
QByteArray load(const QString& filePath, const QString& targetFileName, bool ignoreCap,
                qint64 maxBytes = kMaxMemberBytes);

// As load(), but none when the tool gave no answer: it could not be started
// (no process to be had), was killed at the time-out or for passing
// maxBytes, or was ended by a signal; and when no literal archive path could
// be made. A tool that ran and failed gives an empty array, as with load().
std::optional<QByteArray> tryLoad(const QString& filePath, const QString& targetFileName, bool ignoreCap,
                                  qint64 maxBytes = kMaxMemberBytes);

// The bytes of several members, in the order of `names`: for each name what
// load(filePath, name, ignoreCap, maxBytes) gives, read by one run of the
// tool for the whole list ("unzip -n -d <private folder> <file> <member>...",
// "-C" with ignoreCap), which extracts the members into a private temporary
// folder, removed afterwards, with every file it writes capped at maxBytes.
// Only plain files are taken from there (a member stored as a symbolic link
// is not followed). A member the one run does not settle (the tool fails, the
// member is missing, larger than maxBytes, not a plain file, or more than one
// member matches the name ignoring case) is read again on its own by load().
// A name the archive holds twice gives its first member.
std::vector<QByteArray> loadMembers(const QString& filePath, const QStringList& names, bool ignoreCap,
                                    qint64 maxBytes = kMaxMemberBytes);

// True when load(filePath, name, false) gives bytes (a zero-length member
// counts as absent).
bool contains(const QString& filePath, const QString& name);

// Removes one member: "zip -d <file> <member>". NoError when the member is
// gone afterwards (also when it was never there); BadParam for a name that
// is not valid; FileWrite when the archive is missing, the tool fails or the
// folder stays locked by another writer (the archive is then unchanged).
AppError deleteMember(const QString& filePath, const QString& name);

// Adds the named files of srcFolderPath to the archive: "zip [-l] <archive>
// <name>..." run inside the folder, so members are stored under their bare
// names; members of an existing archive that are not named are kept. "-l"
// (toCRLF) makes the tool translate LF to CR LF in the stored files.
// NoError on success; BadParam for an empty list or a name that is not
// valid; FileWrite when the tool fails (destination unchanged).
AppError save(const QString& srcFolderPath, const QStringList& fileNameList,
              const QString& destZipFilePath, bool toCRLF);

// As above with every entry of srcFolderPath (hidden ones included). FileWrite
// when the folder cannot be listed (no tool is started).
AppError save(const QString& srcFolderPath, const QString& destZipFilePath, bool toCRLF);

// Member name and bytes, in the order they are to be added.
using FileList = std::vector<std::pair<QString, QByteArray>>;

// Adds or replaces members of a package and keeps its "index.xml" right:
// the existing index entries keep their order, a replaced member keeps its
// entry with the new CRC, a new member is listed at the end. The CRC is taken
// over the bytes exactly as given (convert XML with AppUtil::dataConvertCRLF
// first; binary members such as pictures go in unchanged). A missing file is
// created. BadParam for an empty list or a name that is not valid (or
// "index.xml" itself); FileNotExist when staging or the tool fails or the
// folder stays locked by another writer, and then the old file is
// byte-identical.
AppError append(const QString& filePath, const FileList& fileList);

// The file a write to `path` must replace: symbolic links are followed (every
// level; a dangling link gives the path it names), so that writers replace
// the link's target and keep the link. `path` itself when it is no link, or
// when the links go round in a loop.
QString writeTarget(const QString& path);

// The advisory lock (flock) of the folder holding the package at `filePath`
// (after writeTarget), held from construction to destruction. Every
// read-modify-write of a package (append, deleteMember, saving a profile)
// takes it, so two processes writing packages in one folder at once take
// turns instead of losing each other's members. While another holder has it
// the constructor waits, at most kWaitLimit (on the platform time scale);
// after that isBusy() is true and the write must not go ahead: the caller
// fails it before touching anything. On the main thread that wait runs the
// event loop as a device command's reply wait does (platform::EventWait:
// painting and timers go on, user input waits; hot-plug handling is kept
// until it is over), so whatever calls a write must hold what it uses across
// it as across a device command; on any other thread it sleeps between
// tries. isLocked() is false also when the folder could not be opened or
// locked for another reason (the write then goes ahead unlocked).
class PackageLock {
public:
    // Longest wait for a lock another holder keeps.
    static constexpr std::chrono::seconds kWaitLimit{3};

    explicit PackageLock(const QString& filePath);
    ~PackageLock();
    PackageLock(const PackageLock&) = delete;
    PackageLock& operator=(const PackageLock&) = delete;
    bool isLocked() const { return fd_ >= 0; }
    bool isBusy() const { return busy_; }

private:
    int fd_ = -1;
    bool busy_ = false;
};

// --- test seams -------------------------------------------------------------

// Paths of the two programs. By default QStandardPaths::findExecutable("zip")
// and ("unzip"), else "/usr/bin/zip" and "/usr/bin/unzip". Setting an empty
// string restores the default.
void setToolPaths(const QString& zipPath, const QString& unzipPath);
QString zipToolPath();
QString unzipToolPath();

// Called just before a tool is started with its program, arguments and
// working directory ("" when none), on the thread that runs the tool. Pass
// an empty function to stop. Returns the previous observer.
using ToolObserver =
    std::function<void(const QString& program, const QStringList& arguments, const QString& workingDirectory)>;
ToolObserver setToolObserver(ToolObserver observer);

} // namespace ZipUtil

namespace AppUtil {

// `path` followed directly by a new upper-case UUID text (36 characters) and
// ".tmp", naming no existing file. Callers pass a folder path ending in "/".
// Empty for an empty path (there is no folder to put the name in).
QString getTempFilePath(const QString& path);

// True when `path` is an existing folder in which a probe file ("sample")
// can be written and removed again; nothing is left behind.
bool isEnableFoldrWrite(const QString& path);

// Full paths (folder, one "/", entry name) of every entry of the folder,
// hidden entries included, in the order the file system lists them. Empty
// when the folder cannot be listed.
QStringList getFiles(const QString& path);

} // namespace AppUtil
