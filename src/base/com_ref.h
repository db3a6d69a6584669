#pragma once
// Holds one reference to a platform object and releases it when it goes,
// so that every exit path gives back what it obtained.

#include <windows.h>

template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface* Get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // For calls that hand out a new reference through an out pointer.
    Interface** Out() {
        Reset();
        return &object_;
    }

    // Gives up ownership without releasing.
    Interface* Detach() {
        Interface* object = object_;
        object_ = nullptr;
        return object;
    }

    void Reset() {
        if (object_ != nullptr) {
            object_->Release();
            object_ = nullptr;
        }
    }

    void Swap(ComRef& other) {
        Interface* object = object_;
        object_ = other.object_;
        other.object_ = object;
    }

private:
    Interface* object_ = nullptr;
};
