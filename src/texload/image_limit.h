#pragma once
// The largest picture the readers decode. A file can declare a picture of
// billions of pixels in a few bytes; every reader checks the declared size
// against this limit before it allocates anything for the picture, and
// refuses a larger one with ERR_IMAGETOOLARGE. One setting for the whole
// process; it may be read and changed from any thread.

#include <cstdint>

#include <windows.h>

// 16384 x 16384 pixels: the largest texture of any Direct3D 8 device, 1 GiB
// at 4 bytes a pixel.
constexpr ULONGLONG DEFAULT_IMAGE_PIXEL_LIMIT = ULONGLONG{16384} * 16384;

// The limit in pixels of one decoded picture (width x height x depth; for a
// cube map, of each face).
ULONGLONG GetImagePixelLimit();

// Sets the limit; 0 means no limit. SetImagePixelLimit(DEFAULT_IMAGE_PIXEL_LIMIT)
// restores the default.
void SetImagePixelLimit(ULONGLONG pixels);

namespace tovtex {

// The readers' check: false when a width x height picture is above the limit.
bool FitsPixelLimit(uint64_t width, uint64_t height);

}  // namespace tovtex
