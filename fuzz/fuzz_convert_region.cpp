// Feeds ConvertRegion two small blocks of pixels whose formats, sizes,
// boxes, pitches, filter, colour key and palettes all come from the input.
// Each buffer holds exactly the bytes its region may address, so a stray
// read or write lands outside a heap block; afterwards the result code and
// every destination byte the job had no business touching are checked.
//
// Input layout (missing bytes read as 0):
//   format selectors (destination, source), filter mode, 4 filter bytes,
//   per side (destination, source) 12 bytes of size, box and pitch choices,
//   colour key mode and 4 bytes, two palette choices,
//   then the source pixels (repeated when short).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/tovtex_defs.h"
#include "codec/pixel_format_table.h"
#include "codec/pixel_region.h"
#include "convert/convert_region.h"
#include "filter_choice.h"
#include "fuzz_input.h"

namespace {

// Small deterministic generator for bytes the input does not spell out.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed * 2654435761u + 1u) {}

    uint8_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<uint8_t>(state_ >> 24);
    }

private:
    uint32_t state_;
};

// Format codes no codec handles.
constexpr D3DFORMAT INVALID_FORMATS[] = {
    D3DFMT_UNKNOWN,
    static_cast<D3DFORMAT>(80),          // a depth format
    static_cast<D3DFORMAT>(0x32495441),  // an unknown four-character code
};

enum class Layout { Plain, Yuv, Dxt };

struct FormatChoice {
    D3DFORMAT format;
    bool valid;
    bool isSigned;
    Layout layout;
    uint32_t unitBytes;  // bytes per pixel, per pair (YUV) or per block (DXT)
};

FormatChoice ChooseFormat(uint8_t selector) {
    const auto table = PixelFormats();
    if (selector % 32 >= table.size()) {
        const D3DFORMAT format = INVALID_FORMATS[selector % std::size(INVALID_FORMATS)];
        return FormatChoice{format, false, false, Layout::Plain, 4};
    }
    const PixelFormatInfo& info = table[selector % 32];
    FormatChoice choice{info.format, true, info.kind == FORMAT_KIND_SIGNED, Layout::Plain, info.bitsPerPixel / 8};
    switch (info.format) {
    case D3DFMT_UYVY:
    case D3DFMT_YUY2:
        choice.layout = Layout::Yuv;
        choice.unitBytes = 4;
        break;
    case D3DFMT_DXT1:
        choice.layout = Layout::Dxt;
        choice.unitBytes = 8;
        break;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
        choice.layout = Layout::Dxt;
        choice.unitBytes = 16;
        break;
    default: break;
    }
    return choice;
}

// Pixels per unit across and down: 1 x 1, 2 x 1 (pair) or 4 x 4 (block).
uint32_t UnitWidth(Layout layout) {
    return layout == Layout::Plain ? 1 : layout == Layout::Yuv ? 2 : 4;
}
uint32_t UnitHeight(Layout layout) {
    return layout == Layout::Dxt ? 4 : 1;
}

uint32_t CeilDiv(uint32_t a, uint32_t b) {
    return (a + b - 1) / b;
}

// One side of the job: its memory, its region, and which bytes a
// conversion into it may change.
struct Side {
    FormatChoice format{};
    uint32_t width = 0, height = 0, depth = 0;
    bool rebased = false;  // pixels point at the box's first byte
    std::vector<uint8_t> memory;
    std::vector<PALETTEENTRY> palette;
    PixelRegion region{};
};

void ChooseSpan(uint32_t size, uint8_t mode, uint8_t a, uint8_t b, INT& first, INT& end) {
    switch (mode) {
    case 0:  // whole
        first = 0;
        end = static_cast<INT>(size);
        return;
    case 1:  // empty, anywhere from edge to edge
        first = end = static_cast<INT>(a % (size + 1));
        return;
    case 2: {  // anything inside
        const uint32_t f = a % size;
        first = static_cast<INT>(f);
        end = static_cast<INT>(f + 1 + b % (size - f));
        return;
    }
    default: {  // on a 4-pixel grid, the last step clipped to the edge
        const uint32_t steps = CeilDiv(size, 4);
        const uint32_t f = a % steps;
        first = static_cast<INT>(4 * f);
        end = static_cast<INT>(std::min(size, 4 * (f + 1 + b % (steps - f))));
        return;
    }
    }
}

// Bytes from the first byte of a unit row to the last byte of the unit
// row `rows` further on in slice `slices` - 1 further on, `units` wide.
uint64_t Span(uint64_t slices, uint64_t rows, uint64_t units, uint64_t unitBytes, uint64_t rowPitch,
              uint64_t slicePitch) {
    return (slices - 1) * slicePitch + (rows - 1) * rowPitch + units * unitBytes;
}

void BuildSide(Side& side, InputReader& in, uint8_t formatSelector) {
    side.format = ChooseFormat(formatSelector);
    const uint8_t w = in.Byte(), h = in.Byte(), d = in.Byte(), boxMode = in.Byte();
    const uint8_t l = in.Byte(), r = in.Byte(), t = in.Byte(), b = in.Byte(), f = in.Byte(), k = in.Byte();
    const uint8_t rowPad = in.Byte(), slicePad = in.Byte();

    side.width = 1u + w % 64;
    side.height = 1u + h % 64;
    side.depth = (d & 0x80) != 0 ? 1u + d % 4 : 1u;

    const Layout layout = side.format.layout;
    const uint32_t unitBytes = side.format.unitBytes;
    const uint32_t unitW = UnitWidth(layout), unitH = UnitHeight(layout);
    const uint32_t surfaceUnits = CeilDiv(side.width, unitW);
    const uint32_t surfaceRows = CeilDiv(side.height, unitH);
    const uint32_t rowPitch = surfaceUnits * unitBytes + (rowPad % 4 == 0 ? 0 : rowPad % 17);
    const uint32_t slicePitch = side.depth > 1 ? surfaceRows * rowPitch + (slicePad % 4 == 0 ? 0 : slicePad % 33) : 0;

    PixelBox box{};
    // Bits 0-1, 2-3 and 4-5 choose the span across, down and deep.
    ChooseSpan(side.width, boxMode % 4, l, r, box.left, box.right);
    ChooseSpan(side.height, (boxMode >> 2) % 4, t, b, box.top, box.bottom);
    if (side.depth == 1) {
        box.front = 0;
        box.back = 1;
    } else {
        ChooseSpan(side.depth, (boxMode >> 4) % 4, f, k, box.front, box.back);
    }
    const bool empty = box.left == box.right || box.top == box.bottom || box.front == box.back;

    // Plain blocks may be handed over as a locked box: the pointer at the
    // box's first byte and memory for the box alone.
    side.rebased = layout == Layout::Plain && !empty && (boxMode & 0x40) != 0;
    uint64_t bytes;
    if (side.rebased) {
        bytes = Span(static_cast<uint64_t>(box.back - box.front), static_cast<uint64_t>(box.bottom - box.top),
                     static_cast<uint64_t>(box.right - box.left), unitBytes, rowPitch, slicePitch);
    } else {
        bytes = Span(side.depth, surfaceRows, surfaceUnits, unitBytes, rowPitch, slicePitch);
    }
    side.memory.assign(static_cast<size_t>(bytes), 0);

    side.region.pixels = side.memory.data();
    side.region.format = side.format.format;
    side.region.rowPitch = static_cast<INT>(rowPitch);
    side.region.slicePitch = static_cast<INT>(slicePitch);
    side.region.surfaceBox = SurfaceExtent{0, 0, side.width, side.height, 0, side.depth};
    side.region.box = box;
    if (side.rebased) {
        side.region.box = PixelBox{0, 0, box.right - box.left, box.bottom - box.top, 0, box.back - box.front};
    }
    side.region.dither = (boxMode & 0x80) != 0 ? 1 : 0;  // must be overwritten from the filter
}

std::vector<PALETTEENTRY> MakePalette(uint8_t seed) {
    Lcg lcg(seed);
    std::vector<PALETTEENTRY> palette(256);
    for (PALETTEENTRY& e : palette) {
        e.peRed = lcg.Next();
        e.peGreen = lcg.Next();
        e.peBlue = lcg.Next();
        e.peFlags = lcg.Next();
    }
    return palette;
}

// Marks the bytes of the box (rounded out to whole pairs or blocks) that a
// conversion may write.
std::vector<bool> WritableBytes(const Side& side) {
    std::vector<bool> mask(side.memory.size(), false);
    const PixelBox& box = side.region.box;
    if (box.left == box.right || box.top == box.bottom || box.front == box.back) {
        // An empty box still has its partly covered pairs or blocks
        // re-encoded, which is allowed to change them.
        if (side.format.layout == Layout::Plain) {
            return mask;
        }
    }
    const Layout layout = side.format.layout;
    const uint32_t unitW = UnitWidth(layout), unitH = UnitHeight(layout);
    const uint64_t firstUnit = static_cast<uint64_t>(box.left) / unitW;
    const uint64_t endUnit = CeilDiv(static_cast<uint32_t>(box.right), unitW);
    const uint64_t firstRow = static_cast<uint64_t>(box.top) / unitH;
    const uint64_t endRow = CeilDiv(static_cast<uint32_t>(box.bottom), unitH);
    for (uint64_t z = static_cast<uint64_t>(box.front); z < static_cast<uint64_t>(box.back); ++z) {
        for (uint64_t y = firstRow; y < endRow; ++y) {
            const uint64_t start = z * static_cast<uint64_t>(side.region.slicePitch) +
                                   y * static_cast<uint64_t>(side.region.rowPitch) + firstUnit * side.format.unitBytes;
            const uint64_t end = start + (endUnit - firstUnit) * side.format.unitBytes;
            for (uint64_t i = start; i < end && i < mask.size(); ++i) {
                mask[i] = true;
            }
        }
    }
    return mask;
}

bool SameBoxSize(const PixelBox& a, const PixelBox& b) {
    return a.right - a.left == b.right - b.left && a.bottom - a.top == b.bottom - b.top &&
           a.back - a.front == b.back - b.front;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    InputReader in(data, size);
    const uint8_t dstFormat = in.Byte();
    const uint8_t srcFormat = in.Byte();
    const uint8_t filterMode = in.Byte();
    const DWORD filter = ChooseFilter(filterMode, in.Word());

    Side dst, src;
    BuildSide(dst, in, dstFormat);
    BuildSide(src, in, srcFormat);

    const uint8_t keyMode = in.Byte();
    const uint32_t key = in.Word();
    src.region.colorKey = keyMode % 4 == 0 ? 0 : keyMode % 4 == 1 ? 0xFF000000u : key;
    dst.region.colorKey = (keyMode & 0x80) != 0 ? key : 0;

    const uint8_t dstPalette = in.Byte(), srcPalette = in.Byte();
    if (dstPalette % 2 != 0) {
        dst.palette = MakePalette(dstPalette);
    }
    switch (srcPalette % 4) {
    case 1: src.palette = MakePalette(srcPalette); break;
    case 2:  // the same palette
    case 3:  // the same palette but for one entry
        src.palette = dst.palette.empty() ? MakePalette(dstPalette) : dst.palette;
        if (srcPalette % 4 == 3) {
            src.palette[srcPalette].peGreen ^= 1;
        }
        break;
    default: break;
    }
    dst.region.palette = dst.palette.empty() ? nullptr : dst.palette.data();
    src.region.palette = src.palette.empty() ? nullptr : src.palette.data();

    if (in.RestSize() > 0) {
        for (size_t i = 0; i < src.memory.size(); ++i) {
            src.memory[i] = in.Rest()[i % in.RestSize()];
        }
    } else {
        Lcg lcg(srcFormat);
        for (uint8_t& byte : src.memory) {
            byte = lcg.Next();
        }
    }
    Lcg lcg(static_cast<uint32_t>(dstFormat) << 8 | filterMode);
    for (uint8_t& byte : dst.memory) {
        byte = lcg.Next();
    }
    const std::vector<uint8_t> dstBefore = dst.memory;
    const std::vector<uint8_t> srcBefore = src.memory;
    const DWORD ditherBefore = dst.region.dither;

    const HRESULT hr = ConvertRegion(&dst.region, &src.region, filter);

    if (hr != S_OK && hr != E_FAIL && hr != D3DERR_INVALIDCALL) {
        std::abort();
    }
    if (src.memory != srcBefore) {
        std::abort();  // the source is only read
    }
    if ((hr == D3DERR_INVALIDCALL) != !FilterIsValid(filter)) {
        std::abort();
    }
    const bool refused = hr == D3DERR_INVALIDCALL || !dst.format.valid || !src.format.valid ||
                         dst.format.isSigned != src.format.isSigned;
    if (refused) {
        // Refused before any way ran: nothing written, E_FAIL for formats.
        if ((hr == S_OK) || dst.memory != dstBefore) {
            std::abort();
        }
        if (hr == D3DERR_INVALIDCALL && dst.region.dither != ditherBefore) {
            std::abort();
        }
        return 0;
    }
    if (dst.region.dither != (filter & FILTER_DITHER)) {
        std::abort();
    }
    const std::vector<bool> writable = WritableBytes(dst);
    for (size_t i = 0; i < dst.memory.size(); ++i) {
        if (!writable[i] && dst.memory[i] != dstBefore[i]) {
            std::abort();  // written outside the destination box
        }
    }
    // Same plain format, same size, no key: a byte copy of each row.
    const bool paletted = dst.format.format == D3DFMT_P8 || dst.format.format == D3DFMT_A8P8;
    if (hr == S_OK && dst.format.format == src.format.format && dst.format.layout == Layout::Plain && !paletted &&
        src.region.colorKey == 0 && SameBoxSize(dst.region.box, src.region.box)) {
        const PixelBox& db = dst.region.box;
        const PixelBox& sb = src.region.box;
        const size_t bpp = dst.format.unitBytes;
        const size_t rowBytes = static_cast<size_t>(db.right - db.left) * bpp;
        for (INT z = 0; z < db.back - db.front; ++z) {
            for (INT y = 0; y < db.bottom - db.top; ++y) {
                const size_t d = static_cast<size_t>(db.front + z) * static_cast<size_t>(dst.region.slicePitch) +
                                 static_cast<size_t>(db.top + y) * static_cast<size_t>(dst.region.rowPitch) +
                                 static_cast<size_t>(db.left) * bpp;
                const size_t s = static_cast<size_t>(sb.front + z) * static_cast<size_t>(src.region.slicePitch) +
                                 static_cast<size_t>(sb.top + y) * static_cast<size_t>(src.region.rowPitch) +
                                 static_cast<size_t>(sb.left) * bpp;
                if (rowBytes != 0 && std::memcmp(dst.memory.data() + d, src.memory.data() + s, rowBytes) != 0) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
