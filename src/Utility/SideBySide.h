#pragma once
// Work shared out over a few threads: the decoding of a device's pictures,
// the profile dialogs' test of each listed package for the model's member,
// and the data generator's drawing and compressing of pictures.

#include <cstddef>
#include <functional>

namespace AppUtil {

// Most threads that run work side by side, the calling one included.
inline constexpr size_t kSideBySide = 8;

// Runs work(0, runner) ... work(count - 1, runner) on this thread and up to
// kSideBySide - 1 more, and returns when all have run. `runner` (below
// kSideBySide) tells the threads apart: one thread's calls come one after
// the other. When no thread can be had, this one runs them all.
void sideBySide(size_t count, const std::function<void(size_t index, size_t runner)>& work);

} // namespace AppUtil
