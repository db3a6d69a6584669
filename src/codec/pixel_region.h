#pragma once
// One block of pixels in memory, as handed to the conversion engine and the
// codecs. A region borrows its memory and palette from the caller.

#include <d3d8.h>
#include <windows.h>

// A box of pixels: right, bottom and back are exclusive; a two-dimensional
// block has front 0 and back 1.
struct PixelBox {
    INT left;
    INT top;
    INT right;
    INT bottom;
    INT front;
    INT back;
};

// The whole surface a block belongs to: (0, 0, width, height, 0, depth).
struct SurfaceExtent {
    UINT left;
    UINT top;
    UINT right;
    UINT bottom;
    UINT front;
    UINT back;
};

struct PixelRegion {
    BYTE* pixels;  // memory the box is measured from
    D3DFORMAT format;
    INT rowPitch;              // for DXT: one row of 4 x 4 blocks
    INT slicePitch;            // 0 for a two-dimensional block
    SurfaceExtent surfaceBox;  // read only by the DXT writer
    PixelBox box;
    DWORD dither;                 // non-zero: ordered dithering when writing
    D3DCOLOR colorKey;            // 0: no colour key
    const PALETTEENTRY* palette;  // 256 entries or null
};
