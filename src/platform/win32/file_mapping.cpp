// Read-only file mappings and their views. A view is a private copy of the
// file's bytes rather than a mapping of the file: the platform refuses to
// shorten a file while it is mapped, but here any process may, and a mapped
// page past the new end would kill the reader with SIGBUS. A copy cannot
// change or vanish under the reader.

#include <windows.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <new>

#include "kernel_object.h"
#include "last_error.h"
#include "live_objects.h"

namespace {

// The platform's allocation granularity: view offsets are multiples of it.
constexpr uint64_t ALLOCATION_GRANULARITY = 65536;

// Mapped views by base address, with their lengths; each is a live object.
// Threads map and unmap files side by side, as on the platform.
std::mutex viewsLock;

std::map<const void*, size_t>& Views() {
    static std::map<const void*, size_t> views;
    return views;
}

// length bytes of the file from offset, in fresh read-only pages; null with
// the last error set. A file that no longer holds them (it was shortened
// since the mapping was made) fails with ERROR_HANDLE_EOF rather than
// showing zeros in place of its lost end.
void* CopyOfFile(int fd, uint64_t offset, size_t length) {
    void* view = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (view == MAP_FAILED) {
        platform::SetLastErrorFromErrno();
        return nullptr;
    }
    // Large reads keep the copy cheap.
    constexpr size_t LARGEST_READ = size_t{1} << 30;
    auto* bytes = static_cast<char*>(view);
    for (size_t done = 0; done < length;) {
        const size_t chunk = length - done < LARGEST_READ ? length - done : LARGEST_READ;
        const ssize_t got = pread(fd, bytes + done, chunk, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            const DWORD error = got == 0 ? ERROR_HANDLE_EOF : platform::Win32ErrorFromErrno(errno);
            munmap(view, length);
            SetLastError(error);
            return nullptr;
        }
        done += static_cast<size_t>(got);
    }
    mprotect(view, length, PROT_READ);
    return view;
}

}  // namespace

HANDLE WINAPI CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect, DWORD dwMaximumSizeHigh,
                                 DWORD dwMaximumSizeLow, LPCSTR) {
    auto* file = static_cast<platform::FileObject*>(platform::LookupHandle(hFile, platform::KernelObject::Kind::File));
    if (file == nullptr) {
        return nullptr;
    }
    if ((flProtect & 0xFF) != PAGE_READONLY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    struct stat info {};
    if (fstat(file->fd(), &info) != 0) {
        platform::SetLastErrorFromErrno();
        return nullptr;
    }
    const auto fileSize = static_cast<uint64_t>(info.st_size);
    const uint64_t asked = (static_cast<uint64_t>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
    const uint64_t size = asked == 0 ? fileSize : asked;
    if (size == 0) {
        // An empty file has nothing to map.
        SetLastError(ERROR_FILE_INVALID);
        return nullptr;
    }
    if (size > fileSize) {
        // A read-only mapping cannot grow the file.
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const int fd = fcntl(file->fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        platform::SetLastErrorFromErrno();
        return nullptr;
    }
    auto* mapping = new (std::nothrow) platform::MappingObject(fd, size);
    if (mapping == nullptr) {
        close(fd);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return mapping->handle();
}

LPVOID WINAPI MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                            DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap) {
    auto* mapping = static_cast<platform::MappingObject*>(
        platform::LookupHandle(hFileMappingObject, platform::KernelObject::Kind::Mapping));
    if (mapping == nullptr) {
        return nullptr;
    }
    if ((dwDesiredAccess & FILE_MAP_WRITE) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const uint64_t offset = (static_cast<uint64_t>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
    if (offset % ALLOCATION_GRANULARITY != 0) {
        SetLastError(ERROR_MAPPED_ALIGNMENT);
        return nullptr;
    }
    if (offset >= mapping->size() || dwNumberOfBytesToMap > mapping->size() - offset) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const uint64_t length = dwNumberOfBytesToMap == 0 ? mapping->size() - offset : dwNumberOfBytesToMap;
    void* view = CopyOfFile(mapping->fd(), offset, static_cast<size_t>(length));
    if (view == nullptr) {
        return nullptr;
    }
    {
        std::lock_guard<std::mutex> hold(viewsLock);
        Views()[view] = static_cast<size_t>(length);
    }
    platform::ObjectCreated();
    return view;
}

BOOL WINAPI UnmapViewOfFile(LPCVOID lpBaseAddress) {
    size_t length = 0;
    {
        std::lock_guard<std::mutex> hold(viewsLock);
        auto found = Views().find(lpBaseAddress);
        if (found == Views().end()) {
            SetLastError(ERROR_INVALID_ADDRESS);
            return FALSE;
        }
        length = found->second;
        Views().erase(found);
    }
    munmap(const_cast<void*>(lpBaseAddress), length);
    platform::ObjectDestroyed();
    return TRUE;
}
