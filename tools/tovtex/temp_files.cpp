#include "temp_files.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/random.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <new>
#include <set>

namespace tovtex_tool {

namespace {

// Held while a temporary file is created and registered, renamed and
// forgotten, or removed, and by the signal thread from the signal to the
// end: an interruption then never removes a finished output, nor a file
// another program made under the same name.
std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}

std::set<std::string>& Registered() {
    static std::set<std::string> paths;
    return paths;
}

void* TakeSignals(void* argument) {
    const sigset_t signals = *static_cast<const sigset_t*>(argument);
    int signal = 0;
    while (sigwait(&signals, &signal) != 0) {
    }
    RegistryLock().lock();  // kept: nothing else may run past this point
    for (const std::string& path : Registered()) {
        unlink(path.c_str());
    }
    _exit(128 + signal);
}

// Twelve letters and digits, unpredictable enough that names never meet.
std::string RandomSuffix() {
    static std::atomic<uint64_t> counter{0};
    uint64_t value = 0;
    if (getrandom(&value, sizeof(value), GRND_NONBLOCK) != static_cast<ssize_t>(sizeof(value))) {
        value =
            static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) * 0x9E3779B97F4A7C15u +
            (static_cast<uint64_t>(getpid()) << 32) + counter++;
    }
    static const char DIGITS[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 12; ++i) {
        suffix += DIGITS[value % 36];
        value /= 36;
    }
    return suffix;
}

}  // namespace

void StopOnSignals() {
    static sigset_t signals;
    sigemptyset(&signals);
    bool any = false;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
            sigaddset(&signals, signal);
            any = true;
        }
    }
    if (!any) {
        return;
    }
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, TakeSignals, &signals) != 0) {
        // Without the thread the signals keep their usual effect.
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
        return;
    }
    pthread_detach(thread);
}

int CreateTempFile(const std::string& folder, const std::string& name, std::string* tempPath) {
    // Hidden, recognisably the output's, and within a name's 255 bytes.
    const std::string stem = folder + "." + name.substr(0, 200) + ".tmp-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = stem + RandomSuffix();
        std::lock_guard<std::mutex> hold(RegistryLock());
        const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            if (errno == EEXIST) {
                continue;
            }
            return -1;
        }
        try {
            Registered().insert(path);
            *tempPath = path;
        } catch (const std::bad_alloc&) {
            close(fd);
            unlink(path.c_str());
            errno = ENOMEM;
            return -1;
        }
        return fd;
    }
    errno = EEXIST;
    return -1;
}

bool CommitTempFile(const std::string& tempPath, const std::string& target) {
    std::lock_guard<std::mutex> hold(RegistryLock());
    if (rename(tempPath.c_str(), target.c_str()) != 0) {
        return false;
    }
    Registered().erase(tempPath);
    return true;
}

void DiscardTempFile(const std::string& tempPath) {
    std::lock_guard<std::mutex> hold(RegistryLock());
    unlink(tempPath.c_str());
    Registered().erase(tempPath);
}

}  // namespace tovtex_tool
