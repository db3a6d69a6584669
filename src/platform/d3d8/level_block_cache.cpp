#include "level_block_cache.h"

#include <sys/mman.h>

namespace platform {

void* LevelBlockCache::Take(size_t size) {
    std::lock_guard<std::mutex> hold(lock_);
    for (int i = count_ - 1; i >= 0; --i) {
        if (blocks_[i].size == size) {
            void* bytes = blocks_[i].bytes;
            for (int j = i; j + 1 < count_; ++j) {
                blocks_[j] = blocks_[j + 1];
            }
            --count_;
            held_ -= size;
            return bytes;
        }
    }
    return nullptr;
}

void LevelBlockCache::DropOldest() {
    munmap(blocks_[0].bytes, blocks_[0].size);
    held_ -= blocks_[0].size;
    for (int j = 0; j + 1 < count_; ++j) {
        blocks_[j] = blocks_[j + 1];
    }
    --count_;
}

void LevelBlockCache::Give(void* block, size_t size) {
    std::lock_guard<std::mutex> hold(lock_);
    if (closed_ || size > CAPACITY) {
        munmap(block, size);
        return;
    }
    while (count_ > 0 && (count_ == SLOTS || held_ + size > CAPACITY)) {
        DropOldest();
    }
    blocks_[count_++] = Block{block, size};
    held_ += size;
}

void LevelBlockCache::Close() {
    std::lock_guard<std::mutex> hold(lock_);
    while (count_ > 0) {
        DropOldest();
    }
    closed_ = true;
}

}  // namespace platform
