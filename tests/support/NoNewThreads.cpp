#include "NoNewThreads.h"

#include <atomic>
#include <cerrno>

#include <dlfcn.h>
#include <pthread.h>

namespace {

std::atomic<bool> refusing{false};
std::atomic<int> refusals{0};

using CreateFunction = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

} // namespace

// Takes the place of the C library's function in a test program that uses
// NoNewThreads (the program's own definition comes first for every library);
// it hands every call on unless refusing.
extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                              void* arg) noexcept
{
    static const auto next = reinterpret_cast<CreateFunction>(::dlsym(RTLD_NEXT, "pthread_create"));
    if (refusing.load()) {
        refusals.fetch_add(1);
        return EAGAIN;
    }
    return next(thread, attr, start, arg);
}

NoNewThreads::NoNewThreads()
{
    refusals = 0;
    refusing = true;
}

NoNewThreads::~NoNewThreads()
{
    refusing = false;
}

int NoNewThreads::refused() const
{
    return refusals.load();
}
