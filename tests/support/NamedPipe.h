#pragma once
// A named pipe for tests of file readers: nobody writes to it, so a reader
// that opens it the ordinary way waits for a writer for ever.

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

class NamedPipe {
public:
    // Makes the pipe at `path`. From `patience` on, a reader blocked in
    // opening it is let go (it then reads an empty file), so that a reader
    // that waits shows as a failed expectation rather than a hung test.
    explicit NamedPipe(const QString& path, std::chrono::milliseconds patience = std::chrono::seconds(2))
        : path_(QFile::encodeName(path))
    {
        made_ = ::mkfifo(path_.constData(), 0600) == 0;
        if (!made_)
            return;
        rescuer_ = std::thread([this, patience] {
            std::unique_lock lock(mutex_);
            if (stop_.wait_for(lock, patience, [this] { return done_; }))
                return;
            while (!stop_.wait_for(lock, std::chrono::milliseconds(10), [this] { return done_; })) {
                // Succeeds only while a reader has the pipe open or is
                // opening it; closing at once leaves that reader at the end.
                const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    ::close(fd);
                    rescued_ = true;
                }
            }
        });
    }
    ~NamedPipe()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        stop_.notify_all();
        if (rescuer_.joinable())
            rescuer_.join();
    }
    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    bool made() const { return made_; }
    // A reader had opened the pipe, or was waiting to, and had to be let go.
    bool readerWaited() const { return rescued_; }

private:
    QByteArray path_;
    bool made_ = false;
    std::mutex mutex_;
    std::condition_variable stop_;
    bool done_ = false;
    std::atomic<bool> rescued_{false};
    std::thread rescuer_;
};

} // namespace testsupport
