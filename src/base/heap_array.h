#pragma once
// An owned array from the non-throwing allocator: the library's answer to
// running out of memory is a result code, never an exception.

#include <cstddef>
#include <new>
#include <utility>

template <class T>
class HeapArray {
public:
    HeapArray() = default;
    ~HeapArray() { delete[] data_; }

    HeapArray(HeapArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

    HeapArray& operator=(HeapArray&& other) noexcept {
        if (this != &other) {
            delete[] data_;
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }

    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;

    // Elements are value-initialised (zero for plain records). False when
    // memory runs out; the array is then empty.
    bool Allocate(std::size_t count) {
        delete[] data_;
        data_ = new (std::nothrow) T[count]();
        size_ = data_ != nullptr ? count : 0;
        return data_ != nullptr;
    }

    explicit operator bool() const { return data_ != nullptr; }
    T* get() const { return data_; }
    std::size_t size() const { return size_; }
    T& operator[](std::size_t i) const { return data_[i]; }

    void swap(HeapArray& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
    }

private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};
