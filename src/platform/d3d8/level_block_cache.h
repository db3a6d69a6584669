#pragma once
// Large level blocks given back by released resources, kept for the next
// level of the same size. Memory already written costs a fraction of fresh
// pages, which the system clears and maps on their first write, so a
// program that reloads a texture of one size pays that only once. The cache
// is bounded in bytes and emptied when its device dies.

#include <cstddef>
#include <mutex>

namespace platform {

class LevelBlockCache {
public:
    // Enough for a 4096 x 4096 A8R8G8B8 texture with its whole chain.
    static constexpr size_t CAPACITY = size_t{96} << 20;

    LevelBlockCache() = default;
    ~LevelBlockCache() { Close(); }
    LevelBlockCache(const LevelBlockCache&) = delete;
    LevelBlockCache& operator=(const LevelBlockCache&) = delete;

    // A kept block of exactly size bytes, holding whatever was last written
    // to it; null when there is none.
    void* Take(size_t size);
    // Keeps a mapped block of size bytes, or unmaps it when the cache is
    // closed or the block does not fit. The oldest blocks make room first.
    void Give(void* block, size_t size);
    // Unmaps every block; blocks given from then on are unmapped at once.
    void Close();

private:
    static constexpr int SLOTS = 8;
    struct Block {
        void* bytes;
        size_t size;
    };
    void DropOldest();

    // Resources may be released on another thread than the one loading.
    std::mutex lock_;
    Block blocks_[SLOTS] = {};
    int count_ = 0;  // blocks_[0] is the oldest
    size_t held_ = 0;
    bool closed_ = false;
};

}  // namespace platform
