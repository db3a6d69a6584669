#pragma once
// The bytes of one level, zeroed when they are handed out. Large levels come
// straight from fresh pages, which the system hands over zeroed and fills
// only where they are first written: a level that a copy then overwrites in
// full is written once, not twice, and a level never written costs no
// memory. Small levels come from the heap, cleared.

#include <cstddef>
#include <cstdint>

namespace platform {

class LevelMemory {
public:
    LevelMemory() = default;
    ~LevelMemory() { Release(); }
    LevelMemory(const LevelMemory&) = delete;
    LevelMemory& operator=(const LevelMemory&) = delete;

    // Replaces what is held by size zeroed bytes; false when out of memory
    // (nothing is held then).
    bool Allocate(uint64_t size);
    void Release();

    uint8_t* get() const { return bytes_; }
    explicit operator bool() const { return bytes_ != nullptr; }
    bool operator==(std::nullptr_t) const { return bytes_ == nullptr; }

private:
    uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
    bool mapped_ = false;
};

}  // namespace platform
