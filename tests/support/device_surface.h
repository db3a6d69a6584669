#pragma once
// Surfaces of any table format for the tests of the codecs and the
// conversion engine: pitches as the device lays them out (a DXT row pitch
// spans one row of 4 x 4 blocks, a YUV row whole pixel pairs), all zero.

#include <cstddef>
#include <vector>

#include "codec/dxt_blocks.h"
#include "codec/pixel_format_table.h"
#include "codec/pixel_region.h"
#include "format_layout.h"

namespace test_support {

struct Surface {
    D3DFORMAT format;
    UINT width, height, depth;
    INT rowPitch, slicePitch;
    std::vector<BYTE> bytes;

    Surface(D3DFORMAT f, UINT w, UINT h, UINT d = 1) : format(f), width(w), height(h), depth(d) {
        UINT rows = h;
        if (IsDxtFormat(f)) {
            rowPitch = static_cast<INT>((w + 3) / 4 * DxtBlockBytes(f));
            rows = (h + 3) / 4;
        } else if (platform::IsYuvFormat(f)) {
            rowPitch = static_cast<INT>((w + 1) / 2 * 4);
        } else {
            rowPitch = static_cast<INT>(w * (FindPixelFormat(f).bitsPerPixel / 8));
        }
        slicePitch = rowPitch * static_cast<INT>(rows);
        bytes.assign(static_cast<std::size_t>(slicePitch) * d, 0);
    }

    PixelRegion Region(PixelBox box, D3DCOLOR colorKey = 0) {
        PixelRegion r{};
        r.pixels = bytes.data();
        r.format = format;
        r.rowPitch = rowPitch;
        r.slicePitch = slicePitch;
        r.surfaceBox = SurfaceExtent{0, 0, width, height, 0, depth};
        r.box = box;
        r.colorKey = colorKey;
        return r;
    }

    PixelRegion Region(D3DCOLOR colorKey = 0) {
        return Region(PixelBox{0, 0, static_cast<INT>(width), static_cast<INT>(height), 0, static_cast<INT>(depth)},
                      colorKey);
    }

    BYTE* Block(UINT bx, UINT by) { return bytes.data() + by * rowPitch + bx * DxtBlockBytes(format); }
};

}  // namespace test_support
