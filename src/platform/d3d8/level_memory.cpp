#include "level_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// Below this a level shares heap pages with its neighbours.
constexpr uint64_t FRESH_PAGES_FROM = uint64_t{256} << 10;

size_t WholePages(size_t bytes) {
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (bytes + page - 1) / page * page;
}

}  // namespace

bool LevelMemory::Allocate(uint64_t size, LevelBlockCache* cache) {
    Release();
    if (size > SIZE_MAX) {
        return false;
    }
    const size_t bytes = size == 0 ? 1 : static_cast<size_t>(size);
    if (size >= FRESH_PAGES_FROM) {
        const size_t pages = WholePages(bytes);
        if (cache != nullptr) {
            if (void* kept = cache->Take(pages)) {
                bytes_ = static_cast<uint8_t*>(kept);
                size_ = pages;
                mapped_ = true;
                stale_ = true;
                cache_ = cache;
                return true;
            }
        }
        void* view = mmap(nullptr, pages, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (view != MAP_FAILED) {
            bytes_ = static_cast<uint8_t*>(view);
            size_ = pages;
            mapped_ = true;
            cache_ = cache;
            return true;
        }
    }
    bytes_ = static_cast<uint8_t*>(std::calloc(bytes, 1));
    size_ = bytes;
    mapped_ = false;
    return bytes_ != nullptr;
}

void LevelMemory::Settle() {
    if (stale_) {
        std::memset(bytes_, 0, size_);
        stale_ = false;
    }
}

void LevelMemory::Release() {
    if (bytes_ != nullptr) {
        if (mapped_ && cache_ != nullptr) {
            cache_->Give(bytes_, size_);
        } else if (mapped_) {
            munmap(bytes_, size_);
        } else {
            std::free(bytes_);
        }
    }
    bytes_ = nullptr;
    size_ = 0;
    mapped_ = false;
    stale_ = false;
    cache_ = nullptr;
}

}  // namespace platform
