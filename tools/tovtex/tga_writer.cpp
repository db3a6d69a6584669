#include "tga_writer.h"

#include <d3d8.h>

namespace tovtex_tool {

HRESULT EncodeTga(const uint32_t* pixels, UINT width, UINT height, std::vector<BYTE>* out) {
    if (width == 0 || height == 0 || width > 0xFFFF || height > 0xFFFF) {
        return D3DERR_INVALIDCALL;
    }
    out->assign(18, 0);
    BYTE* header = out->data();
    header[2] = 2;  // uncompressed true colour
    header[12] = static_cast<BYTE>(width);
    header[13] = static_cast<BYTE>(width >> 8);
    header[14] = static_cast<BYTE>(height);
    header[15] = static_cast<BYTE>(height >> 8);
    header[16] = 32;
    header[17] = 0x28;  // 8 alpha bits, top row first
    out->reserve(18 + uint64_t{width} * height * 4);
    for (uint64_t i = 0; i < uint64_t{width} * height; ++i) {
        const uint32_t p = pixels[i];
        // A8R8G8B8 is stored blue, green, red, alpha: Targa's own order.
        out->insert(out->end(), {static_cast<BYTE>(p), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p >> 16),
                                 static_cast<BYTE>(p >> 24)});
    }
    return S_OK;
}

}  // namespace tovtex_tool
