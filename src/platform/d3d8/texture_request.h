#pragma once
// The rules every texture creation follows: pool, usage, sizes against the
// device profile's limits, format, and the level count.

#include <d3d8.h>

#include <cstdint>

namespace platform {

struct TextureRequest {
    D3DRESOURCETYPE type;  // D3DRTYPE_TEXTURE, D3DRTYPE_CUBETEXTURE or D3DRTYPE_VOLUMETEXTURE
    uint32_t width, height, depth;
    uint32_t levels;  // 0: the full chain
    DWORD usage;
    D3DFORMAT format;
    D3DPOOL pool;
};

// D3DERR_INVALIDCALL for a request the device refuses; on success, levels
// holds the actual level count.
HRESULT ValidateTextureRequest(TextureRequest& request);

// The result of running out of memory in a pool.
inline HRESULT OutOfMemoryFor(D3DPOOL pool) {
    return pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : E_OUTOFMEMORY;
}

}  // namespace platform
