#include "Utility/SideBySide.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace AppUtil {

void sideBySide(size_t count, const std::function<void(size_t, size_t)>& work)
{
    std::atomic<size_t> next{0};
    const auto runRest = [&](size_t runner) {
        for (size_t i; (i = next.fetch_add(1)) < count;)
            work(i, runner);
    };
    const size_t helpers = std::min<size_t>(
        std::clamp<size_t>(std::thread::hardware_concurrency(), 1, kSideBySide) - 1, count > 1 ? count - 1 : 0);
    std::vector<std::jthread> threads;
    threads.reserve(helpers);
    try {
        for (size_t k = 0; k < helpers; ++k)
            threads.emplace_back(runRest, k + 1);
    } catch (const std::system_error&) {
        // No thread to be had: this one does the rest on its own.
    }
    runRest(0);
}

} // namespace AppUtil
