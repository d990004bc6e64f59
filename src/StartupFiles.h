#pragma once
// What the start needs before the window is shown and can make ready off the
// main thread: the built-in defaults and the user's settings (profile
// packages, each read through a few runs of the zip tools) and decoded
// pictures. The work starts at the beginning of the start, runs while the
// window's widgets are built, and its result is taken on the main thread at
// the point where a plain read would have run, so the order in which things
// reach AppParam and the window does not change.

#include "Utility/AppError.h"
#include "XML/ApplicationProfile.h"
#include "XML/DefaultProfile.h"

#include <QThread>

#include <functional>
#include <memory>
#include <utility>

// One value made on a worker thread (a QThread, so Qt objects such as
// QProcess find an event dispatcher there). take() waits for it; a result not
// taken is waited for on destruction. When the thread cannot be started,
// take() makes the value itself, on the calling thread.
template <class T>
class BackgroundResult {
public:
    BackgroundResult() = default;
    explicit BackgroundResult(std::function<T()> make) : value_(std::make_shared<T>())
    {
        thread_.reset(QThread::create([value = value_, make] { *value = make(); }));
        thread_->start();
        // A thread that started is running or done; one that could not be
        // had is neither.
        if (!thread_->isRunning() && !thread_->isFinished())
            make_ = std::move(make);
    }
    BackgroundResult(BackgroundResult&&) noexcept = default;
    BackgroundResult& operator=(BackgroundResult&& other) noexcept
    {
        wait();
        thread_ = std::move(other.thread_);
        value_ = std::move(other.value_);
        make_ = std::move(other.make_);
        return *this;
    }
    ~BackgroundResult() { wait(); }

    // Work started and not yet taken.
    bool pending() const { return bool(thread_); }

    // The value, once; a default value when nothing is pending.
    T take()
    {
        if (!thread_)
            return T{};
        wait();
        thread_.reset();
        T value = make_ ? make_() : std::move(*value_);
        value_.reset();
        make_ = nullptr;
        return value;
    }

private:
    void wait()
    {
        if (thread_)
            thread_->wait();
    }

    std::unique_ptr<QThread> thread_;
    std::shared_ptr<T> value_;
    std::function<T()> make_; // set when the thread could not be started
};

class StartupFiles {
public:
    template <class Model>
    struct Read {
        AppError result = AppError::FileRead;
        Model profile;
    };

    // Starts reading the defaults file at `defaultsPath` and the settings
    // file at `settingsPath` (the paths are fixed now).
    StartupFiles(const QString& defaultsPath, const QString& settingsPath);
    // Both files at their usual places.
    static StartupFiles atUsualPaths();

    // Each waits for its read and hands it over once.
    Read<DefaultProfile> takeDefaults() { return defaults_.take(); }
    Read<ApplicationProfile> takeSettings() { return settings_.take(); }

private:
    BackgroundResult<Read<DefaultProfile>> defaults_;
    BackgroundResult<Read<ApplicationProfile>> settings_;
};
