#include "level_memory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace platform {

namespace {

// Below this a level shares heap pages with its neighbours.
constexpr uint64_t FRESH_PAGES_FROM = uint64_t{256} << 10;

}  // namespace

bool LevelMemory::Allocate(uint64_t size) {
    Release();
    if (size > SIZE_MAX) {
        return false;
    }
    const size_t bytes = size == 0 ? 1 : static_cast<size_t>(size);
    if (size >= FRESH_PAGES_FROM) {
        void* view = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (view != MAP_FAILED) {
            // Large pages where the system offers them halve the cost of
            // the first write.
            madvise(view, bytes, MADV_HUGEPAGE);
            bytes_ = static_cast<uint8_t*>(view);
            size_ = bytes;
            mapped_ = true;
            return true;
        }
    }
    bytes_ = static_cast<uint8_t*>(std::calloc(bytes, 1));
    size_ = bytes;
    mapped_ = false;
    return bytes_ != nullptr;
}

void LevelMemory::Release() {
    if (bytes_ != nullptr) {
        if (mapped_) {
            munmap(bytes_, size_);
        } else {
            std::free(bytes_);
        }
    }
    bytes_ = nullptr;
    size_ = 0;
    mapped_ = false;
}

}  // namespace platform
