#pragma once
// A JPEG or PNG picture whose decode is put off until the pipeline can use
// its rows as they come: its format and size are known from the header and
// its memory is ready, so the texture can be planned before a pixel is
// decoded. A route that needs the whole picture decodes it first (Complete).

#include <optional>

#include <windows.h>

#include "page_prefault.h"
#include "tovtex.h"

namespace tovtex_tool {

class PendingPicture {
public:
    // True when the file (data stays valid while this lives) is an
    // A8R8G8B8 or X8R8G8B8 JPEG or PNG picture that can be decoded so:
    // *image then has its format, rect, row pitch and owned, not yet
    // decoded, pixels.
    bool Defer(const BYTE* data, UINT size, Image* image);

    bool Pending() const { return data_ != nullptr; }

    // The decode hands over its rows one by one, top to bottom, each
    // reported before the next is written (not an interlaced PNG).
    bool RowsInOrder() const { return rowsInOrder_; }

    // Decodes the picture into image's pixels (or other rows of its size),
    // telling progress of each row finished (null: no word). format is image.format (DecodeImageFile's
    // bytes), or A8R8G8B8 for an X8R8G8B8 picture: the bytes of an
    // A8R8G8B8 level loaded from the file, alpha full. On failure the
    // result is DecodeImageFile's for the file (Failed() then holds).
    // Nothing to do when not pending.
    HRESULT Decode(const Image& image, D3DFORMAT format, ImageRowsProgress progress, void* context);
    HRESULT Complete(const Image& image) { return Decode(image, image.format, nullptr, nullptr); }

    // The decode failed: its result is the file's own.
    bool Failed() const { return failed_; }

private:
    std::optional<PagePrefault> pages_;  // the picture's, while it is decoded
    const BYTE* data_ = nullptr;
    const BYTE* pixels_ = nullptr;  // the memory Defer gave the picture
    UINT size_ = 0;
    bool rowsInOrder_ = false;
    bool failed_ = false;
};

}  // namespace tovtex_tool
