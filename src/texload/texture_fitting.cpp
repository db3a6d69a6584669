#include "texload/texture_fitting.h"

#include <algorithm>
#include <cstdint>

#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "codec/dxt_blocks.h"

namespace {

struct KindFacts {
    DWORD pow2Cap;
    DWORD mipCap;
    D3DRESOURCETYPE resourceType;
};

KindFacts FactsFor(ResourceKind kind) {
    switch (kind) {
    case RESOURCE_CUBE_TEXTURE: return {D3DPTEXTURECAPS_CUBEMAP_POW2, D3DPTEXTURECAPS_MIPCUBEMAP, D3DRTYPE_CUBETEXTURE};
    case RESOURCE_VOLUME_TEXTURE:
        return {D3DPTEXTURECAPS_VOLUMEMAP_POW2, D3DPTEXTURECAPS_MIPVOLUMEMAP, D3DRTYPE_VOLUMETEXTURE};
    default: return {D3DPTEXTURECAPS_POW2, D3DPTEXTURECAPS_MIPMAP, D3DRTYPE_TEXTURE};
    }
}

bool IsPowerOfTwo(UINT value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// 1 stays 1, a power of two stays; sizes past 2^31 (no device has them)
// stop at 2^31 instead of wrapping to 0.
UINT RoundUpToPowerOfTwo(UINT value) {
    if (value > 0x80000000u) {
        return 0x80000000u;
    }
    UINT result = 1;
    while (result < value) {
        result <<= 1;
    }
    return result;
}

UINT RoundUpToMultipleOf4(UINT value) {
    return value > 0xFFFFFFFCu ? 0xFFFFFFFCu : (value + 3) & ~3u;
}

UINT Log2(UINT value) {
    UINT result = 0;
    while (value > 1) {
        value >>= 1;
        ++result;
    }
    return result;
}

// The table row chosen for the request, or null when none fits.
const PixelFormatInfo* SearchFormat(IDirect3D8* d3d, const D3DCAPS8& caps, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT requestedFormat) {
    const PixelFormatInfo& requested = FindPixelFormat(requestedFormat);
    const PixelFormatInfo* best = nullptr;
    DWORD bestScore = DISTANCE_INCOMPATIBLE;
    // Every row is listed (the table asserts it), so none is skipped here.
    for (const PixelFormatInfo& row : PixelFormats()) {
        if (FAILED(d3d->CheckDeviceFormat(caps.AdapterOrdinal, caps.DeviceType, adapterFormat, usage, resourceType,
                                          row.format))) {
            continue;
        }
        if (row.format == requestedFormat) {
            return &row;
        }
        if (!row.substitutable) {
            continue;
        }
        const DWORD score = FormatDistance(requested, row);
        if (score == DISTANCE_INCOMPATIBLE) {
            continue;
        }
        if (best == nullptr || score < bestScore || (score == bestScore && row.bitsPerPixel < best->bitsPerPixel)) {
            best = &row;
            bestScore = score;
        }
    }
    return best;
}

}  // namespace

HRESULT FitTextureRequest(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* depth, UINT* mipLevels,
                          DWORD usage, D3DFORMAT* format, D3DPOOL pool, ResourceKind kind) {
    if (device == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (usage == DEFAULT_ARG) {
        usage = 0;
    }
    if ((usage & ~DWORD{D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL}) != 0 ||
        (kind == RESOURCE_VOLUME_TEXTURE && usage != 0)) {
        return D3DERR_INVALIDCALL;
    }
    if (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED && pool != D3DPOOL_SYSTEMMEM) {
        return D3DERR_INVALIDCALL;
    }

    ComRef<IDirect3D8> d3d;
    HRESULT hr = device->GetDirect3D(d3d.Out());
    if (FAILED(hr)) {
        return hr;
    }
    D3DCAPS8 caps{};
    hr = device->GetDeviceCaps(&caps);
    if (FAILED(hr)) {
        return hr;
    }
    D3DDISPLAYMODE mode{};
    hr = device->GetDisplayMode(&mode);
    if (FAILED(hr)) {
        return hr;
    }
    const KindFacts facts = FactsFor(kind);

    UINT w = width != nullptr ? *width : DEFAULT_ARG;
    UINT h = height != nullptr ? *height : DEFAULT_ARG;
    UINT d = depth != nullptr ? *depth : DEFAULT_ARG;

    if (w == DEFAULT_ARG && h == DEFAULT_ARG) {
        w = 256;
        h = 256;
    } else {
        if (w == DEFAULT_ARG) {
            w = h;
        }
        if (h == DEFAULT_ARG) {
            h = w;
        }
        w = std::max(w, 1u);
        h = std::max(h, 1u);
    }
    if (kind == RESOURCE_CUBE_TEXTURE) {
        w = h = std::max(w, h);
    }
    if (d == DEFAULT_ARG || d == 0) {
        d = 1;
    }

    if (kind == RESOURCE_VOLUME_TEXTURE) {
        d = std::min<UINT>(d, caps.MaxVolumeExtent);
        w = std::min<UINT>(w, caps.MaxVolumeExtent);
        h = std::min<UINT>(h, caps.MaxVolumeExtent);
    } else {
        w = std::min<UINT>(w, caps.MaxTextureWidth);
        h = std::min<UINT>(h, caps.MaxTextureHeight);
    }
    if (kind == RESOURCE_TEXTURE) {
        const uint64_t ratio = (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0 ? 1 : caps.MaxTextureAspectRatio;
        if (ratio != 0) {
            w = static_cast<UINT>(std::min<uint64_t>(w, ratio * h));
            h = static_cast<UINT>(std::min<uint64_t>(h, ratio * w));
        }
    }

    if ((caps.TextureCaps & facts.pow2Cap) != 0) {
        w = RoundUpToPowerOfTwo(w);
        h = RoundUpToPowerOfTwo(h);
        d = RoundUpToPowerOfTwo(d);
    }
    if (format != nullptr && IsDxtFormat(*format)) {
        w = RoundUpToMultipleOf4(w);
        h = RoundUpToMultipleOf4(h);
    }

    UINT levels = mipLevels != nullptr ? *mipLevels : DEFAULT_ARG;
    if ((caps.TextureCaps & facts.mipCap) != 0 && IsPowerOfTwo(w) && IsPowerOfTwo(h) && IsPowerOfTwo(d)) {
        UINT largest = std::max(w, h);
        if (kind == RESOURCE_VOLUME_TEXTURE) {
            largest = std::max(largest, d);
        }
        const UINT fullChain = 1 + Log2(largest);
        if (levels == 0 || levels > fullChain) {
            levels = fullChain;
        }
    } else {
        levels = 1;
    }

    const D3DFORMAT requestedFormat = format != nullptr ? *format : D3DFMT_UNKNOWN;
    const PixelFormatInfo* chosen =
        SearchFormat(d3d.Get(), caps, mode.Format, usage, facts.resourceType, requestedFormat);
    if (chosen == nullptr) {
        return D3DERR_NOTAVAILABLE;
    }

    if (width != nullptr) {
        *width = w;
    }
    if (height != nullptr) {
        *height = h;
    }
    if (depth != nullptr) {
        *depth = d;
    }
    if (mipLevels != nullptr) {
        *mipLevels = levels;
    }
    if (format != nullptr) {
        *format = chosen->format;
    }
    return S_OK;
}

HRESULT FitTexture(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* mipLevels, DWORD usage, D3DFORMAT* format,
                   D3DPOOL pool) {
    return FitTextureRequest(device, width, height, nullptr, mipLevels, usage, format, pool, RESOURCE_TEXTURE);
}

HRESULT FitCubeTexture(IDirect3DDevice8* device, UINT* size, UINT* mipLevels, DWORD usage, D3DFORMAT* format,
                       D3DPOOL pool) {
    return FitTextureRequest(device, size, size, nullptr, mipLevels, usage, format, pool, RESOURCE_CUBE_TEXTURE);
}

HRESULT FitVolumeTexture(IDirect3DDevice8* device, UINT* width, UINT* height, UINT* depth, UINT* mipLevels, DWORD usage,
                         D3DFORMAT* format, D3DPOOL pool) {
    return FitTextureRequest(device, width, height, depth, mipLevels, usage, format, pool, RESOURCE_VOLUME_TEXTURE);
}
