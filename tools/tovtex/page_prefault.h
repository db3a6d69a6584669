#pragma once
// Fresh memory costs a page fault and a cleared page at its first write; on
// a picture of 64 MB that is a good part of decoding it. A helper thread has
// the kernel make the pages ready ahead of the thread that fills them,
// without touching a byte, so the filling thread finds them mapped.

#include <atomic>
#include <cstddef>
#include <thread>

namespace tovtex_tool {

class PagePrefault {
public:
    // Starts on [begin, begin + bytes) from the front at once; does nothing
    // where the kernel cannot (the memory then faults in as it is written).
    PagePrefault(void* begin, std::size_t bytes);
    // Stops at the next chunk and waits for the helper.
    ~PagePrefault();

    PagePrefault(const PagePrefault&) = delete;
    PagePrefault& operator=(const PagePrefault&) = delete;

private:
    void Run(char* begin, char* end);

    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace tovtex_tool
