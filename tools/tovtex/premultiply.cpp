#include "premultiply.h"

namespace tovtex_tool {

namespace {

constexpr size_t FOURCC_OFFSET = 84;  // in the classic header, after "DDS "

DWORD FourCc(const BYTE* dds) {
    return DWORD{dds[FOURCC_OFFSET]} | DWORD{dds[FOURCC_OFFSET + 1]} << 8 | DWORD{dds[FOURCC_OFFSET + 2]} << 16 |
           DWORD{dds[FOURCC_OFFSET + 3]} << 24;
}

constexpr DWORD MakeFourCc(char a, char b, char c, char d) {
    return DWORD(BYTE(a)) | DWORD(BYTE(b)) << 8 | DWORD(BYTE(c)) << 16 | DWORD(BYTE(d)) << 24;
}

}  // namespace

void PremultiplyRow(BYTE* pixels, UINT width) {
    for (UINT x = 0; x < width; ++x, pixels += 4) {
        for (int c = 0; c < 3; ++c) {
            pixels[c] = PremultiplyChannel(pixels[c], pixels[3]);
        }
    }
}

void LabelPremultipliedBlocks(BYTE* dds, size_t size) {
    if (size < 128) {
        return;
    }
    const DWORD fourCc = FourCc(dds);
    if (fourCc == MakeFourCc('D', 'X', 'T', '3') || fourCc == MakeFourCc('D', 'X', 'T', '5')) {
        dds[FOURCC_OFFSET + 3] = static_cast<BYTE>(dds[FOURCC_OFFSET + 3] - 1);
    }
}

}  // namespace tovtex_tool
