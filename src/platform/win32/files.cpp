// CreateFileA/W, GetFileSize, ReadFile, WriteFile and SetFilePointer over
// POSIX descriptors.

#include <windows.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <string>

#include "kernel_object.h"
#include "last_error.h"
#include "utf16.h"

namespace {

bool AccessFlags(DWORD access, int& flags) {
    const bool read = (access & GENERIC_READ) != 0;
    const bool write = (access & GENERIC_WRITE) != 0;
    flags = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    return true;
}

bool DispositionFlags(DWORD disposition, int& flags) {
    switch (disposition) {
    case CREATE_NEW: flags = O_CREAT | O_EXCL; return true;
    case CREATE_ALWAYS: flags = O_CREAT | O_TRUNC; return true;
    case OPEN_EXISTING: flags = 0; return true;
    case OPEN_ALWAYS: flags = O_CREAT; return true;
    case TRUNCATE_EXISTING: flags = O_TRUNC; return true;
    default: return false;
    }
}

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

// Files here are regular files. A folder is refused as on the platform
// (CreateFile without backup semantics); FIFOs, sockets and devices, which
// the platform names differently, are not supported.
DWORD NotAFileError(mode_t mode) {
    return S_ISDIR(mode) ? ERROR_ACCESS_DENIED : ERROR_NOT_SUPPORTED;
}

// Names are passed to the file system as bytes: narrow names as they come,
// wide names as UTF-8.
HANDLE OpenFile(const std::string& name, DWORD access, DWORD disposition, DWORD flagsAndAttributes) {
    if (name.empty()) {
        return Fail(ERROR_PATH_NOT_FOUND);
    }
    int accessFlags = 0;
    int dispositionFlags = 0;
    if (!AccessFlags(access, accessFlags) || !DispositionFlags(disposition, dispositionFlags)) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // Devices are not opened at all (opening one can have effects of its
    // own); a FIFO swapped in after the check must not block the open.
    struct stat info {};
    if (stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return Fail(NotAFileError(info.st_mode));
    }
    const int flags = accessFlags | dispositionFlags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    // The "always" dispositions report whether the file was already there.
    bool existed = false;
    int fd = -1;
    if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) {
        fd = open(name.c_str(), flags | O_EXCL, 0666);
        if (fd < 0 && errno == EEXIST) {
            existed = true;
            fd = open(name.c_str(), flags & ~O_CREAT, 0666);
        }
    } else {
        fd = open(name.c_str(), flags, 0666);
    }
    if (fd < 0) {
        return Fail(platform::Win32ErrorFromErrno(errno));
    }
    const int statResult = fstat(fd, &info);
    if (statResult != 0 || !S_ISREG(info.st_mode)) {
        const DWORD error = statResult != 0 ? platform::Win32ErrorFromErrno(errno) : NotAFileError(info.st_mode);
        close(fd);
        return Fail(error);
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if ((flagsAndAttributes & FILE_FLAG_RANDOM_ACCESS) != 0) {
        posix_fadvise(fd, 0, 0, POSIX_FADV_RANDOM);
    } else if ((flagsAndAttributes & FILE_FLAG_SEQUENTIAL_SCAN) != 0) {
        posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    auto* file = new (std::nothrow) platform::FileObject(fd);
    if (file == nullptr) {
        close(fd);
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return file->handle();
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    if (lpFileName == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    // Code page 932 bytes go to the file system unchanged.
    return OpenFile(lpFileName, dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes);
}

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    if (lpFileName == nullptr) {
        return Fail(ERROR_INVALID_PARAMETER);
    }
    std::string name;
    if (!platform::Utf16ToUtf8(lpFileName, name, true)) {
        return Fail(ERROR_INVALID_NAME);
    }
    return OpenFile(name, dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes);
}

DWORD WINAPI GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    auto* file = static_cast<platform::FileObject*>(platform::LookupHandle(hFile, platform::KernelObject::Kind::File));
    if (file == nullptr) {
        return INVALID_FILE_SIZE;
    }
    struct stat info {};
    if (fstat(file->fd(), &info) != 0) {
        platform::SetLastErrorFromErrno();
        return INVALID_FILE_SIZE;
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    const auto low = static_cast<DWORD>(size);
    if (lpFileSizeHigh != nullptr) {
        *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    }
    if (low == INVALID_FILE_SIZE) {
        // Lets a caller tell a real size from a failure.
        SetLastError(ERROR_SUCCESS);
    }
    return low;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPVOID lpOverlapped) {
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = 0;
    }
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* file = static_cast<platform::FileObject*>(platform::LookupHandle(hFile, platform::KernelObject::Kind::File));
    if (file == nullptr) {
        return FALSE;
    }
    // Short writes (a full disk, a signal) go on until everything is out
    // or the system reports why not.
    const auto* bytes = static_cast<const BYTE*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        const ssize_t written = write(file->fd(), bytes + done, nNumberOfBytesToWrite - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                SetLastError(ERROR_DISK_FULL);
            } else {
                platform::SetLastErrorFromErrno();
            }
            if (lpNumberOfBytesWritten != nullptr) {
                *lpNumberOfBytesWritten = done;
            }
            return FALSE;
        }
        done += static_cast<DWORD>(written);
    }
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = done;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPVOID lpOverlapped) {
    if (lpNumberOfBytesRead != nullptr) {
        *lpNumberOfBytesRead = 0;
    }
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToRead != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* file = static_cast<platform::FileObject*>(platform::LookupHandle(hFile, platform::KernelObject::Kind::File));
    if (file == nullptr) {
        return FALSE;
    }
    // Short reads (a signal, a pipe) go on until the end of the file.
    auto* bytes = static_cast<BYTE*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        const ssize_t got = read(file->fd(), bytes + done, nNumberOfBytesToRead - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            platform::SetLastErrorFromErrno();
            if (lpNumberOfBytesRead != nullptr) {
                *lpNumberOfBytesRead = done;
            }
            return FALSE;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<DWORD>(got);
    }
    if (lpNumberOfBytesRead != nullptr) {
        *lpNumberOfBytesRead = done;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

DWORD WINAPI SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
    auto* file = static_cast<platform::FileObject*>(platform::LookupHandle(hFile, platform::KernelObject::Kind::File));
    if (file == nullptr) {
        return INVALID_SET_FILE_POINTER;
    }
    int whence = SEEK_SET;
    switch (dwMoveMethod) {
    case FILE_BEGIN: whence = SEEK_SET; break;
    case FILE_CURRENT: whence = SEEK_CUR; break;
    case FILE_END: whence = SEEK_END; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_SET_FILE_POINTER;
    }
    // Without the high part the distance is a signed 32-bit value.
    int64_t distance = lDistanceToMove;
    if (lpDistanceToMoveHigh != nullptr) {
        distance = static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                                        static_cast<uint32_t>(lDistanceToMove));
    }
    const off_t position = lseek(file->fd(), static_cast<off_t>(distance), whence);
    if (position < 0) {
        if (errno == EINVAL) {
            SetLastError(ERROR_NEGATIVE_SEEK);
        } else {
            platform::SetLastErrorFromErrno();
        }
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh != nullptr) {
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(static_cast<uint64_t>(position));
}
