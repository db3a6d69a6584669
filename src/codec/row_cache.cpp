#include "codec/row_cache.h"

#include <atomic>
#include <new>

#include "codec/row_cache_testing.h"

namespace tovtex {

namespace {
std::atomic<bool> g_rowCacheFails{false};
}

void SetRowCacheAllocationFails(bool fail) {
    g_rowCacheFails.store(fail, std::memory_order_relaxed);
}

}  // namespace tovtex

std::unique_ptr<ColorF[]> AllocateRowCache(std::size_t count) {
    if (tovtex::g_rowCacheFails.load(std::memory_order_relaxed)) {
        return nullptr;
    }
    return std::unique_ptr<ColorF[]>(new (std::nothrow) ColorF[count]());
}
