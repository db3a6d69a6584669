#include "convert/convert_testing.h"

#include <atomic>

namespace tovtex {

namespace {
std::atomic<bool> g_shortcutsOff{false};
}

void SetConversionShortcutsOff(bool off) {
    g_shortcutsOff.store(off, std::memory_order_relaxed);
}

bool ConversionShortcutsOff() {
    return g_shortcutsOff.load(std::memory_order_relaxed);
}

}  // namespace tovtex
