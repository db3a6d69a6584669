#pragma once
// How the levels of a DDS file are stored, as far as the tool's DDS front
// end reads them: blocks the library reads as they are, plain pixels
// described by channel masks, BC4 / BC5 blocks, or UYVY / YUY2 pairs.

#include <string>

#include <d3d8.h>
#include <windows.h>

namespace tovtex_tool {

enum class DdsStorage {
    DXT_BLOCKS,  // DXT1..DXT5 blocks, copied as they are
    MASKED,      // whole pixels of 8, 16, 24 or 32 bits, channels by mask
    BC4_BLOCKS,  // one channel in 8-byte blocks
    BC5_BLOCKS,  // two channels in 16-byte blocks
    YUV_PAIRS,   // UYVY or YUY2: two pixels in four bytes
};

struct DdsSourceLayout {
    DdsStorage storage = DdsStorage::MASKED;
    D3DFORMAT blockFormat = D3DFMT_UNKNOWN;         // DXT_BLOCKS, YUV_PAIRS: the format they are
    UINT bitCount = 0;                              // MASKED: bits per pixel
    DWORD red = 0, green = 0, blue = 0, alpha = 0;  // MASKED; luminance in red
    bool luminance = false;                         // MASKED: red is a grey level
    std::string name;                               // as the file names it, for people: "R8G8B8", "BC5 (ATI2)"
};

// Bytes of one stored row (for blocks: one row of 4 x 4 blocks) and the
// number of stored rows of one slice of the given size.
uint64_t SourceRowBytes(const DdsSourceLayout& layout, UINT width);
uint64_t SourceRowCount(const DdsSourceLayout& layout, UINT height);

// The format the front end turns the levels into: the DXT format itself,
// the library's own layout when the masks are exactly one of the six the
// library's DDS reader takes, else A8R8G8B8 (alpha mask) or X8R8G8B8. BC4
// comes out grey (as the library decodes L8) and BC5 as red and green
// with blue 0 (as a shader samples it), both X8R8G8B8, as do UYVY and YUY2
// (through the library's own conversion).
D3DFORMAT ConvertedFormat(const DdsSourceLayout& layout);

// The masks are exactly one of the six layouts the library's DDS reader
// takes: the pixels are copied as they are.
bool IsNativeLayout(const DdsSourceLayout& layout);

// The format the stored pixels stand for where the library has one (L8,
// A8L8, A4L4, A8 for the luminance and alpha-only files, L8 for BC4, UYVY
// and YUY2 for themselves), else D3DFMT_UNKNOWN: a writer that holds it can
// keep the file's format.
D3DFORMAT NaturalFormat(const DdsSourceLayout& layout);

// False with a reason when the masks do not describe plain channels: each
// must be one run of bits inside the pixel, none overlapping another.
bool CheckMasks(const DdsSourceLayout& layout, std::string* reason);

// "A8B8G8R8", "X8R8G8B8", "L16", "A8L8": channels from the highest bits
// down, bits in no mask as X.
std::string MaskedLayoutName(const DdsSourceLayout& layout);

// Converts one slice of width x height stored packed at source into the
// converted format, packed at destination (rows of the converted format's
// row bytes, or of blocks). Fails only where the library's conversion
// does (YUV_PAIRS), with its result.
HRESULT ConvertSlice(const DdsSourceLayout& layout, UINT width, UINT height, const BYTE* source, BYTE* destination);

}  // namespace tovtex_tool
