#include "mapped_input.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csetjmp>
#include <csignal>
#include <cstdint>
#include <mutex>

namespace tovtex_tool {

namespace {

// The attempt running on this thread, if any.
thread_local sigjmp_buf* t_attempt = nullptr;

void OnBusError(int signal) {
    if (t_attempt != nullptr) {
        siglongjmp(*t_attempt, 1);
    }
    // Not ours: the default action, as if no handler were installed.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void CatchBusErrors() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction action {};
        action.sa_handler = OnBusError;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_NODEFER;
        sigaction(SIGBUS, &action, nullptr);
    });
}

// No object with a destructor lives in this frame: a bus error leaves it
// by siglongjmp.
bool Guarded(const std::function<void(const BYTE*, UINT)>& look, const BYTE* data, UINT size) {
    sigjmp_buf attempt;
    if (sigsetjmp(attempt, 1) != 0) {
        t_attempt = nullptr;
        return false;
    }
    t_attempt = &attempt;
    look(data, size);
    t_attempt = nullptr;
    return true;
}

}  // namespace

bool ReadMapped(const std::string& path, const std::function<void(const BYTE* data, UINT size)>& look) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
        static_cast<uint64_t>(info.st_size) > 0xFFFFFFFFu) {
        close(fd);
        return false;
    }
    const auto size = static_cast<size_t>(info.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (map == MAP_FAILED) {
        return false;
    }
    CatchBusErrors();
    const bool done = Guarded(look, static_cast<const BYTE*>(map), static_cast<UINT>(size));
    munmap(map, size);
    return done;
}

}  // namespace tovtex_tool
