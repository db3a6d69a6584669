#pragma once
// Room for a tall picture's rows in little memory: a window of rows whose
// bytes are written over, in turn, as later rows arrive. The address range
// is the whole picture's, each row at its own place, but every stretch of
// it is the same few megabytes seen again, so a reader that takes rows
// one after another may be handed it as if it were the whole picture. Row
// y and row y + Window() share memory: a row is written only once every row
// Window() or more above it is no longer needed.

#include <cstddef>

#include <windows.h>

namespace tovtex_tool {

class RowRing {
public:
    // Rows of rowPitch bytes, height of them, in a window of at least
    // windowRows rows. Empty (Rows() null) where the system cannot map
    // memory so, or where the window would hold the whole picture anyway.
    RowRing(UINT rowPitch, UINT height, UINT windowRows);
    ~RowRing();

    RowRing(const RowRing&) = delete;
    RowRing& operator=(const RowRing&) = delete;

    BYTE* Rows() const { return rows_; }
    UINT Window() const { return window_; }

private:
    BYTE* rows_ = nullptr;
    std::size_t reserved_ = 0;
    UINT window_ = 0;
};

}  // namespace tovtex_tool
