#pragma once
// While a NoNewThreads lives, no new thread of the process can be started:
// pthread_create, which std::thread and QThread both go through, answers
// EAGAIN, as when the system has no thread left to give. Threads already
// running go on. One at a time.

class NoNewThreads {
public:
    NoNewThreads();
    ~NoNewThreads();
    NoNewThreads(const NoNewThreads&) = delete;
    NoNewThreads& operator=(const NoNewThreads&) = delete;

    // Starts refused while this one lived.
    int refused() const;
};
