#include "Platform/Allocator.h"

#include "Utility/Logger.h"

// Any header of the C library says which library it is (__GLIBC__).
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace platform {

namespace {

// Below the smallest picture a device shows (a keyboard picture at the
// window's size, 1000 x 700 pixels of 4 bytes) and above the blocks of
// everyday work (texts, icons, the descriptions' data).
constexpr int kPictureBlockBytes = 2 * 1024 * 1024;

} // namespace

bool mapPictureBlocksAlone()
{
#if defined(__GLIBC__)
    if (mallopt(M_MMAP_THRESHOLD, kPictureBlockBytes) == 1)
        return true;
    Logger::log("the C library refused its threshold for blocks mapped on their own: pictures let go stay "
                "with the process.");
#endif
    return false;
}

} // namespace platform
