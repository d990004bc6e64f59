#pragma once
// The lock that keeps one instance of the application running per user.

#include <QString>
#include <memory>

class QLockFile;

namespace platform {

// The outcome of taking the instance lock: the lock while this is the only
// instance; none when another instance runs (`problem` empty) or when no
// lock can be made at all (`problem` says where and why).
struct InstanceLock {
    std::unique_ptr<QLockFile> lock;
    QString problem;
    explicit operator bool() const { return lock != nullptr; }
};

// Takes the lock file at `path`, however many starts meet there at once:
// exactly one of them gets it, as long as they can take turns (below).
// Whatever stands at the path without a running instance holding it (the
// file of an ended or cut-off start, whatever it holds, a link, an empty
// folder) is taken over; a folder with anything in it is left as it is, and
// then no lock can be made. The starts take turns through a file beside it
// (`path` and ".turn"); a start whose turn does not come within five seconds
// takes no lock and says so in `problem`. Where that file cannot be made or
// opened, or anything but a plain file stands at its path, the starts go on
// without taking turns, and two that meet at one instant may both get it.
InstanceLock acquireInstanceLock(const QString& path);

} // namespace platform
