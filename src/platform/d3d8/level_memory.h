#pragma once
// The bytes of one level, zeroed when they are handed out. Large levels come
// straight from fresh pages, which the system hands over zeroed and fills
// only where they are first written: a level that a copy then overwrites in
// full is written once, not twice, and a level never written costs no
// memory. Small levels come from the heap, cleared.
//
// With a block cache, large levels are given back to it and taken from it
// again. A block from the cache still holds its last level's bytes: it is
// stale until the holder either clears it (Settle, before anyone looks at
// it) or writes every byte itself (Overwritten).

#include <cstddef>
#include <cstdint>

#include "level_block_cache.h"

namespace platform {

class LevelMemory {
public:
    LevelMemory() = default;
    ~LevelMemory() { Release(); }
    LevelMemory(const LevelMemory&) = delete;
    LevelMemory& operator=(const LevelMemory&) = delete;

    // Replaces what is held by size bytes, zeroed or stale; false when out
    // of memory (nothing is held then).
    bool Allocate(uint64_t size, LevelBlockCache* cache = nullptr);
    void Release();

    // Clears a stale block.
    void Settle();
    // The holder has written every byte.
    void Overwritten() { stale_ = false; }

    uint8_t* get() const { return bytes_; }
    explicit operator bool() const { return bytes_ != nullptr; }
    bool operator==(std::nullptr_t) const { return bytes_ == nullptr; }

private:
    uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
    bool mapped_ = false;
    bool stale_ = false;
    LevelBlockCache* cache_ = nullptr;
};

}  // namespace platform
