#pragma once
// Inside the platform layer: the objects behind kernel handles (files and
// file mappings). Each is a counted live object until CloseHandle.

#include <cstdint>

#include "windef.h"

namespace platform {

class KernelObject {
public:
    enum class Kind { File, Mapping };

    explicit KernelObject(Kind kind);
    virtual ~KernelObject();
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    Kind kind() const { return kind_; }
    HANDLE handle() { return static_cast<HANDLE>(this); }

private:
    Kind kind_;
};

// The live object behind a handle, of the kind asked for; null (and the last
// error ERROR_INVALID_HANDLE) for anything else.
KernelObject* LookupHandle(HANDLE handle, KernelObject::Kind kind);

// The live object behind a handle of any kind, or null (with the error set).
KernelObject* LookupAnyHandle(HANDLE handle);

// An open file: owns its descriptor.
class FileObject : public KernelObject {
public:
    explicit FileObject(int fd) : KernelObject(Kind::File), fd_(fd) {}
    ~FileObject() override;
    int fd() const { return fd_; }

private:
    int fd_;
};

// A read-only file mapping: owns its own descriptor for the file, so it
// outlives the file handle it was made from.
class MappingObject : public KernelObject {
public:
    MappingObject(int fd, uint64_t size) : KernelObject(Kind::Mapping), fd_(fd), size_(size) {}
    ~MappingObject() override;
    int fd() const { return fd_; }
    uint64_t size() const { return size_; }

private:
    int fd_;
    uint64_t size_;
};

}  // namespace platform
