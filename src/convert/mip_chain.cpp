#include "convert/mip_chain.h"

#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "codec/pixel_format_table.h"
#include "convert/surface_loading.h"

namespace {

constexpr UINT WHOLE_CHAIN_SOURCE = 0xFFFFFFFF;

DWORD DefaultMipFilter(D3DFORMAT format) {
    return FindPixelFormat(format).kind == FORMAT_KIND_SIGNED ? FILTER_POINT : FILTER_BOX;
}

// Point and box halve the level above; the others would lose detail going
// through every intermediate level, so they resample the source each time.
bool ChainsFromLevelAbove(DWORD filter) {
    const DWORD type = filter & 0xFF;
    return type == FILTER_POINT || type == FILTER_BOX;
}

// Walks one chain of levels: getLevel(level, out) hands out a referenced
// level, copy(destination, source) fills one level from another.
template <typename Level, typename GetLevel, typename Copy>
HRESULT FillChain(UINT sourceLevel, UINT levelCount, DWORD filter, GetLevel getLevel, Copy copy) {
    ComRef<Level> source;
    HRESULT hr = getLevel(sourceLevel, source.Out());
    if (FAILED(hr)) {
        return hr;
    }
    const bool chained = ChainsFromLevelAbove(filter);
    for (UINT level = sourceLevel + 1; level < levelCount; ++level) {
        ComRef<Level> target;
        hr = getLevel(level, target.Out());
        if (FAILED(hr)) {
            return hr;
        }
        hr = copy(target.Get(), source.Get());
        if (FAILED(hr)) {
            return hr;
        }
        if (chained) {
            source.Swap(target);
        }
    }
    return S_OK;
}

// The source level after the 0xFFFFFFFF rule; false when out of range.
bool SettleSourceLevel(UINT* sourceLevel, UINT levelCount) {
    if (*sourceLevel == WHOLE_CHAIN_SOURCE) {
        *sourceLevel = 0;
    }
    return *sourceLevel < levelCount;
}

}  // namespace

HRESULT BuildTextureMips(IDirect3DTexture8* texture, const PALETTEENTRY* palette, UINT sourceLevel, DWORD filter) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (filter == FILTER_DEFAULT) {
        D3DSURFACE_DESC desc{};
        const HRESULT hr = texture->GetLevelDesc(0, &desc);
        if (FAILED(hr)) {
            return hr;
        }
        filter = DefaultMipFilter(desc.Format);
    }
    const UINT levelCount = texture->GetLevelCount();
    if (!SettleSourceLevel(&sourceLevel, levelCount)) {
        return D3DERR_INVALIDCALL;
    }
    return FillChain<IDirect3DSurface8>(
        sourceLevel, levelCount, filter,
        [&](UINT level, IDirect3DSurface8** out) { return texture->GetSurfaceLevel(level, out); },
        [&](IDirect3DSurface8* target, IDirect3DSurface8* source) {
            return CopySurfaceToSurface(target, palette, nullptr, source, palette, nullptr, filter, 0);
        });
}

HRESULT BuildCubeTextureMips(IDirect3DCubeTexture8* cubeTexture, const PALETTEENTRY* palette, UINT sourceLevel,
                             DWORD filter) {
    if (cubeTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (filter == FILTER_DEFAULT) {
        D3DSURFACE_DESC desc{};
        const HRESULT hr = cubeTexture->GetLevelDesc(0, &desc);
        if (FAILED(hr)) {
            return hr;
        }
        filter = DefaultMipFilter(desc.Format);
    }
    filter |= FILTER_MIRROR_U | FILTER_MIRROR_V | FILTER_MIRROR_W;
    const UINT levelCount = cubeTexture->GetLevelCount();
    if (!SettleSourceLevel(&sourceLevel, levelCount)) {
        return D3DERR_INVALIDCALL;
    }
    for (UINT face = D3DCUBEMAP_FACE_POSITIVE_X; face <= D3DCUBEMAP_FACE_NEGATIVE_Z; ++face) {
        const auto faceType = static_cast<D3DCUBEMAP_FACES>(face);
        const HRESULT hr = FillChain<IDirect3DSurface8>(
            sourceLevel, levelCount, filter,
            [&](UINT level, IDirect3DSurface8** out) { return cubeTexture->GetCubeMapSurface(faceType, level, out); },
            [&](IDirect3DSurface8* target, IDirect3DSurface8* source) {
                return CopySurfaceToSurface(target, palette, nullptr, source, palette, nullptr, filter, 0);
            });
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

HRESULT BuildVolumeTextureMips(IDirect3DVolumeTexture8* volumeTexture, const PALETTEENTRY* palette, UINT sourceLevel,
                               DWORD filter) {
    if (volumeTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (filter == FILTER_DEFAULT) {
        D3DVOLUME_DESC desc{};
        const HRESULT hr = volumeTexture->GetLevelDesc(0, &desc);
        if (FAILED(hr)) {
            return hr;
        }
        filter = DefaultMipFilter(desc.Format);
    }
    const UINT levelCount = volumeTexture->GetLevelCount();
    if (!SettleSourceLevel(&sourceLevel, levelCount)) {
        return D3DERR_INVALIDCALL;
    }
    return FillChain<IDirect3DVolume8>(
        sourceLevel, levelCount, filter,
        [&](UINT level, IDirect3DVolume8** out) { return volumeTexture->GetVolumeLevel(level, out); },
        [&](IDirect3DVolume8* target, IDirect3DVolume8* source) {
            return CopyVolumeToVolume(target, palette, nullptr, source, palette, nullptr, filter, 0);
        });
}
