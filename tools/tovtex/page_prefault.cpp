#include "page_prefault.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <system_error>

namespace tovtex_tool {

namespace {

// Small buffers are not worth a thread.
constexpr std::size_t MIN_BYTES = 8u << 20;
// One huge page a call, so the helper can stop soon.
constexpr std::size_t CHUNK_BYTES = 2u << 20;

}  // namespace

PagePrefault::PagePrefault(void* begin, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    if (begin == nullptr || bytes < MIN_BYTES) {
        return;
    }
    // Whole pages inside the buffer only: madvise takes page-aligned ranges.
    const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t first = (reinterpret_cast<uintptr_t>(begin) + page - 1) / page * page;
    const uintptr_t last = (reinterpret_cast<uintptr_t>(begin) + bytes) / page * page;
    if (page == 0 || last <= first) {
        return;
    }
    try {
        thread_ = std::thread([this, first, last] { Run(reinterpret_cast<char*>(first), reinterpret_cast<char*>(last)); });
    } catch (const std::system_error&) {
        // No helper: the pages fault in as they are written.
    }
#else
    (void)begin;
    (void)bytes;
#endif
}

PagePrefault::~PagePrefault() {
    stop_.store(true, std::memory_order_relaxed);
    if (thread_.joinable()) {
        thread_.join();
    }
}

void PagePrefault::Run(char* begin, char* end) {
#ifdef MADV_POPULATE_WRITE
    for (char* at = begin; at < end && !stop_.load(std::memory_order_relaxed); at += CHUNK_BYTES) {
        const std::size_t length = static_cast<std::size_t>(end - at) < CHUNK_BYTES ? end - at : CHUNK_BYTES;
        if (madvise(at, length, MADV_POPULATE_WRITE) != 0) {
            return;  // an older kernel, or memory it will not populate
        }
    }
#else
    (void)begin;
    (void)end;
#endif
}

}  // namespace tovtex_tool
