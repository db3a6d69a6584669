#include "close_signals.h"

#include <csignal>

namespace platform {

namespace {

constexpr int SIGNALS[] = {SIGINT, SIGTERM};

volatile std::sig_atomic_t pending = 0;
bool installed = false;
bool replaced[2] = {false, false};
struct sigaction previous[2];

extern "C" void OnCloseSignal(int signal) {
    if (pending != 0) {
        // The first request has not been taken: the program is not reading
        // its messages. A second signal ends it as the default would.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    pending = 1;
}

}  // namespace

void InstallCloseSignals() {
    if (installed) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 2; ++i) {
        // A signal the program was started to ignore (nohup, a background
        // job) stays ignored.
        replaced[i] = sigaction(SIGNALS[i], nullptr, &previous[i]) == 0 && previous[i].sa_handler != SIG_IGN &&
                      sigaction(SIGNALS[i], &action, nullptr) == 0;
    }
    pending = 0;
    installed = true;
}

void RestoreCloseSignals() {
    if (!installed) {
        return;
    }
    for (int i = 0; i < 2; ++i) {
        if (replaced[i]) {
            sigaction(SIGNALS[i], &previous[i], nullptr);
            replaced[i] = false;
        }
    }
    installed = false;
    pending = 0;
}

bool TakeCloseSignal() {
    if (pending == 0) {
        return false;
    }
    pending = 0;
    return true;
}

}  // namespace platform
