#include "row_ring.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace tovtex_tool {

RowRing::RowRing(UINT rowPitch, UINT height, UINT windowRows) {
#ifdef MFD_CLOEXEC
    const auto page = static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
    if (page == 0 || rowPitch == 0) {
        return;
    }
    const uint64_t ringBytes = (uint64_t{rowPitch} * windowRows + page - 1) / page * page;
    const uint64_t pictureBytes = uint64_t{rowPitch} * height;
    if (ringBytes * 2 > pictureBytes || pictureBytes > SIZE_MAX / 2) {
        return;  // no memory to save
    }
    const uint64_t copies = (pictureBytes + ringBytes - 1) / ringBytes;
    const int fd = memfd_create("tovtex rows", MFD_CLOEXEC);
    if (fd < 0) {
        return;
    }
    void* range = MAP_FAILED;
    if (ftruncate(fd, static_cast<off_t>(ringBytes)) == 0) {
        range = mmap(nullptr, copies * ringBytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    }
    bool mapped = range != MAP_FAILED;
    for (uint64_t i = 0; mapped && i < copies; ++i) {
        // Mapped up front: the first touch of each copy's pages would
        // otherwise fault once per page.
        void* at = static_cast<BYTE*>(range) + i * ringBytes;
        mapped = mmap(at, ringBytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED | MAP_POPULATE, fd, 0) == at;
    }
    close(fd);  // the mappings keep the memory
    if (!mapped) {
        if (range != MAP_FAILED) {
            munmap(range, copies * ringBytes);
        }
        return;
    }
    rows_ = static_cast<BYTE*>(range);
    reserved_ = static_cast<std::size_t>(copies * ringBytes);
    window_ = static_cast<UINT>(ringBytes / rowPitch);
#else
    (void)rowPitch;
    (void)height;
    (void)windowRows;
#endif
}

RowRing::~RowRing() {
    if (rows_ != nullptr) {
        munmap(rows_, reserved_);
    }
}

}  // namespace tovtex_tool
