#include "file_bytes.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

#include "result_text.h"
#include "temp_files.h"

namespace tovtex_tool {

namespace {

constexpr HRESULT SystemError(DWORD error) {
    return static_cast<HRESULT>(0x80070000u | error);
}

// A folder is refused as the library refuses it (access denied); other
// kinds are not supported. The reason names the kind.
HRESULT NotRegular(mode_t mode, std::string* reason) {
    const char* kind = S_ISDIR(mode)    ? "a folder"
                       : S_ISFIFO(mode) ? "a FIFO"
                       : S_ISCHR(mode)  ? "a character device"
                       : S_ISBLK(mode)  ? "a block device"
                       : S_ISSOCK(mode) ? "a socket"
                                        : "not a file";
    *reason = std::string("not a regular file (") + kind + ")";
    return SystemError(S_ISDIR(mode) ? ERROR_ACCESS_DENIED : ERROR_NOT_SUPPORTED);
}

HRESULT ReadOpenFile(int fd, FileBytes* bytes, std::string* reason) {
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        return ResultFromErrno(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return NotRegular(info.st_mode, reason);
    }
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > 0xFFFFFFFFu) {
        *reason = "too large (4 GiB or more)";
        return SystemError(ERROR_FILE_TOO_LARGE);
    }
    if (size == 0) {
        return SystemError(ERROR_FILE_INVALID);
    }
    bytes->data.reset(new (std::nothrow) BYTE[size]);
    if (bytes->data == nullptr) {
        return E_OUTOFMEMORY;
    }
    for (uint64_t done = 0; done < size;) {
        const ssize_t got = read(fd, bytes->data.get() + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return ResultFromErrno(errno);
        }
        if (got == 0) {
            // Shortened since its size was taken: its start alone would
            // read as a damaged picture.
            return SystemError(ERROR_HANDLE_EOF);
        }
        done += static_cast<uint64_t>(got);
    }
    bytes->size = static_cast<UINT>(size);
    return S_OK;
}

// Follows symbolic links from path to the name the output is written to:
// an existing regular file (*exists) or a name not taken yet.
HRESULT FollowToOutput(const std::string& path, std::string* target, struct stat* info, bool* exists,
                       std::string* reason) {
    std::string current = path;
    for (int links = 0; links <= 40; ++links) {
        if (lstat(current.c_str(), info) != 0) {
            if (errno != ENOENT) {
                return ResultFromErrno(errno);
            }
            *target = current;
            *exists = false;
            return S_OK;
        }
        if (!S_ISLNK(info->st_mode)) {
            *target = current;
            *exists = true;
            return S_ISREG(info->st_mode) ? S_OK : NotRegular(info->st_mode, reason);
        }
        std::vector<char> text(4096);
        const ssize_t length = readlink(current.c_str(), text.data(), text.size());
        if (length < 0 || static_cast<size_t>(length) >= text.size()) {
            return ResultFromErrno(length < 0 ? errno : ENAMETOOLONG);
        }
        const std::string link(text.data(), static_cast<size_t>(length));
        const size_t slash = current.find_last_of('/');
        current = (!link.empty() && link[0] == '/') || slash == std::string::npos ? link
                                                                                  : current.substr(0, slash + 1) + link;
    }
    return ResultFromErrno(ELOOP);
}

// Makes the rename itself lasting; a failure here loses nothing.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

int WriteAll(int fd, const std::vector<BYTE>& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t put = write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return put < 0 ? errno : EIO;
        }
        done += static_cast<size_t>(put);
    }
    return fsync(fd) != 0 ? errno : 0;
}

// The temporary file an output is written to, beside the file path leads
// to, with that file's owner and permissions where it exists.
HRESULT OpenTempOutput(const std::string& path, std::string* target, std::string* temp, int* fd,
                       std::string* reason) {
    struct stat old {};
    bool exists = false;
    const HRESULT hr = FollowToOutput(path, target, &old, &exists, reason);
    if (FAILED(hr)) {
        return hr;
    }
    const size_t slash = target->find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target->substr(0, slash + 1);
    *fd = CreateTempFile(folder, target->substr(folder.size()), temp);
    if (*fd < 0) {
        return ResultFromErrno(errno);
    }
    if (exists) {
        // As when the file was overwritten in place: same owner (where the
        // tool may give it) and permissions.
        if (old.st_uid != geteuid() || old.st_gid != getegid()) {
            if (fchown(*fd, old.st_uid, old.st_gid) != 0) {
                // Kept as the tool's own.
            }
        }
        fchmod(*fd, old.st_mode & 07777);
    }
    return S_OK;
}

// Closes the written temporary file (error: that of its writing, 0 if
// none) and renames it over target, or removes it.
HRESULT PutInPlace(int fd, int error, const std::string& temp, const std::string& target) {
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && !CommitTempFile(temp, target)) {
        error = errno;
    }
    if (error != 0) {
        DiscardTempFile(temp);
        return ResultFromErrno(error);
    }
    const size_t slash = target.find_last_of('/');
    SyncFolder(slash == std::string::npos ? "" : target.substr(0, slash + 1));
    return S_OK;
}

// File systems on which space taken by posix_fallocate stays taken while
// the pages are written: ext2/3/4, XFS and tmpfs. Elsewhere (copy-on-write
// file systems, network and FUSE mounts) a write into the mapping can
// still fail, and would stop the process with SIGBUS.
bool KeepsFallocatedRoom(int fd) {
    struct statfs info {};
    if (fstatfs(fd, &info) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53UL:      // ext2, ext3, ext4
    case 0x58465342UL:  // XFS
    case 0x01021994UL:  // tmpfs
        return true;
    default: return false;
    }
}

}  // namespace

HRESULT ReadWholeFile(const std::string& path, FileBytes* bytes, std::string* reason) {
    reason->clear();
    // Looked at before opening: opening a device can do things of its own,
    // and opening a FIFO waits for a writer.
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return ResultFromErrno(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return NotRegular(info.st_mode, reason);
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return ResultFromErrno(errno);
    }
    const HRESULT hr = ReadOpenFile(fd, bytes, reason);
    close(fd);
    return hr;
}

HRESULT CheckOutputFile(const std::string& path, std::string* reason) {
    reason->clear();
    std::string target;
    struct stat info {};
    bool exists = false;
    return FollowToOutput(path, &target, &info, &exists, reason);
}

HRESULT WriteWholeFile(const std::string& path, const std::vector<BYTE>& bytes, std::string* reason) {
    reason->clear();
    std::string target, temp;
    int fd = -1;
    const HRESULT hr = OpenTempOutput(path, &target, &temp, &fd, reason);
    if (FAILED(hr)) {
        return hr;
    }
    return PutInPlace(fd, WriteAll(fd, bytes), temp, target);
}

MappedOutputFile::~MappedOutputFile() {
    Discard();
}

bool MappedOutputFile::Open(uint64_t size) {
    Discard();
    std::string reason;
    if (size == 0 || size > SIZE_MAX || FAILED(OpenTempOutput(path_, &target_, &temp_, &fd_, &reason))) {
        return false;
    }
    void* view = MAP_FAILED;
    if (KeepsFallocatedRoom(fd_) && posix_fallocate(fd_, 0, static_cast<off_t>(size)) == 0) {
        view = mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd_, 0);
    }
    if (view == MAP_FAILED) {
        Discard();
        return false;
    }
    bytes_ = static_cast<BYTE*>(view);
    size_ = size;
    return true;
}

HRESULT MappedOutputFile::Commit(std::string* reason) {
    reason->clear();
    if (bytes_ == nullptr) {
        return E_FAIL;
    }
    // The written pages go to disk with the file, as WriteWholeFile's do.
    int error = msync(bytes_, static_cast<size_t>(size_), MS_SYNC) != 0 ? errno : 0;
    munmap(bytes_, static_cast<size_t>(size_));
    bytes_ = nullptr;
    if (error == 0 && fsync(fd_) != 0) {
        error = errno;
    }
    const int fd = fd_;
    fd_ = -1;
    const std::string temp = std::move(temp_);
    temp_.clear();
    return PutInPlace(fd, error, temp, target_);
}

void MappedOutputFile::Discard() {
    if (bytes_ != nullptr) {
        munmap(bytes_, static_cast<size_t>(size_));
        bytes_ = nullptr;
    }
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        DiscardTempFile(temp_);
        temp_.clear();
    }
    size_ = 0;
}

}  // namespace tovtex_tool
