#include "texload/image_limit.h"

#include <atomic>

#include "base/checked_size.h"

namespace {
std::atomic<uint64_t> g_pixelLimit{DEFAULT_IMAGE_PIXEL_LIMIT};
}

ULONGLONG GetImagePixelLimit() {
    return g_pixelLimit.load(std::memory_order_relaxed);
}

void SetImagePixelLimit(ULONGLONG pixels) {
    g_pixelLimit.store(pixels, std::memory_order_relaxed);
}

namespace tovtex {

bool FitsPixelLimit(uint64_t width, uint64_t height) {
    const uint64_t limit = GetImagePixelLimit();
    uint64_t pixels = 0;
    return limit == 0 || (CheckedMul(width, height, &pixels) && pixels <= limit);
}

}  // namespace tovtex
