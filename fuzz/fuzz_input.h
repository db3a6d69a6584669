#pragma once
// Reads a fuzz input as a few leading parameter bytes followed by the
// payload. Bytes past the end read as 0, so every input is usable.

#include <cstddef>
#include <cstdint>

class InputReader {
public:
    InputReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    uint16_t Half() { return static_cast<uint16_t>(Byte() | Byte() << 8); }

    uint32_t Word() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v |= static_cast<uint32_t>(Byte()) << (8 * i);
        }
        return v;
    }

    const uint8_t* Rest() const { return data_ + pos_; }
    size_t RestSize() const { return size_ - pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
