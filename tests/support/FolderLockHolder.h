#pragma once
// Holds the advisory lock of a folder the way another program saving into it
// would: through an open file description of its own, so that the writers of
// this process find it taken.

#include <QFile>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace testsupport {

class FolderLockHolder {
public:
    // Takes the lock at once and keeps it until release(), destruction or,
    // at the latest, `keepFor` of real time: a writer that would wait for
    // ever is let in then, so that it shows as a failed expectation rather
    // than a hung test.
    explicit FolderLockHolder(const QString& folder, std::chrono::milliseconds keepFor = std::chrono::seconds(20))
    {
        fd_ = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        locked_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
        releaser_ = std::thread([this, keepFor] {
            std::unique_lock lock(mutex_);
            released_.wait_for(lock, keepFor, [this] { return done_; });
            if (fd_ >= 0)
                ::close(fd_);
            fd_ = -1;
        });
    }
    ~FolderLockHolder() { release(); }
    FolderLockHolder(const FolderLockHolder&) = delete;
    FolderLockHolder& operator=(const FolderLockHolder&) = delete;

    // The lock was taken by this holder.
    bool locked() const { return locked_; }

    void release()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        released_.notify_all();
        if (releaser_.joinable())
            releaser_.join();
    }

private:
    int fd_ = -1;
    bool locked_ = false;
    std::mutex mutex_;
    std::condition_variable released_;
    bool done_ = false;
    std::thread releaser_;
};

} // namespace testsupport
