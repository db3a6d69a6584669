#include "chain_rework.h"

#include "base/com_ref.h"
#include "linear_light.h"
#include "premultiply.h"

namespace tovtex_tool {

namespace {

constexpr DWORD CUBE_MIRROR = FILTER_MIRROR_U | FILTER_MIRROR_V | FILTER_MIRROR_W;

HRESULT Level(IDirect3DTexture8* texture, UINT, UINT level, ComRef<IDirect3DSurface8>* surface) {
    return texture->GetSurfaceLevel(level, surface->Out());
}
HRESULT Level(IDirect3DCubeTexture8* cube, UINT face, UINT level, ComRef<IDirect3DSurface8>* surface) {
    return cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, surface->Out());
}

UINT FaceCount(IDirect3DTexture8*) {
    return 1;
}
UINT FaceCount(IDirect3DCubeTexture8*) {
    return 6;
}

// Same size on both sides: a straight conversion, dithered as the lower
// levels are.
HRESULT Copy(IDirect3DSurface8* destination, IDirect3DSurface8* source, DWORD dither) {
    return CopySurfaceToSurface(destination, nullptr, nullptr, source, nullptr, nullptr, FILTER_NONE | dither, 0);
}

HRESULT PremultiplyLevel(IDirect3DTexture8* scratch, UINT width, UINT height) {
    D3DLOCKED_RECT locked{};
    const HRESULT hr = scratch->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) {
        return hr;
    }
    for (UINT y = 0; y < height; ++y) {
        PremultiplyRow(static_cast<BYTE*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch, width);
    }
    return scratch->UnlockRect(0);
}

// Each level from the one above, both held locked for the step.
HRESULT HalveLevels(IDirect3DTexture8* scratch) {
    const UINT levels = scratch->GetLevelCount();
    HRESULT hr = S_OK;
    for (UINT level = 1; level < levels && SUCCEEDED(hr); ++level) {
        D3DSURFACE_DESC above{};
        hr = scratch->GetLevelDesc(level - 1, &above);
        D3DLOCKED_RECT from{}, to{};
        if (SUCCEEDED(hr)) hr = scratch->LockRect(level - 1, &from, nullptr, D3DLOCK_READONLY);
        if (FAILED(hr)) break;
        hr = scratch->LockRect(level, &to, nullptr, 0);
        if (SUCCEEDED(hr)) {
            HalveInLinearLight(static_cast<const BYTE*>(from.pBits), from.Pitch, above.Width, above.Height,
                               static_cast<BYTE*>(to.pBits), to.Pitch);
            scratch->UnlockRect(level);
        }
        scratch->UnlockRect(level - 1);
    }
    return hr;
}

template <typename Texture>
HRESULT ReworkFace(IDirect3DDevice8* device, Texture* texture, UINT face, const ChainRework& rework) {
    D3DSURFACE_DESC desc{};
    HRESULT hr = texture->GetLevelDesc(0, &desc);
    if (FAILED(hr)) {
        return hr;
    }
    const UINT levels = texture->GetLevelCount();
    ComRef<IDirect3DTexture8> scratch;
    hr = device->CreateTexture(desc.Width, desc.Height, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, scratch.Out());
    ComRef<IDirect3DSurface8> top, scratchTop;
    if (SUCCEEDED(hr)) hr = Level(texture, face, 0, &top);
    if (SUCCEEDED(hr)) hr = scratch->GetSurfaceLevel(0, scratchTop.Out());
    if (SUCCEEDED(hr)) hr = Copy(scratchTop.Get(), top.Get(), 0);
    if (SUCCEEDED(hr) && rework.premultiply) hr = PremultiplyLevel(scratch.Get(), desc.Width, desc.Height);
    if (FAILED(hr) || (levels < 2 && !rework.premultiply)) {
        return hr;
    }
    if (levels > 1) {
        const DWORD mipFilter = rework.mipFilter | (FaceCount(texture) == 6 ? CUBE_MIRROR : 0);
        hr = rework.linearLight && (mipFilter & 0xFF) == FILTER_BOX
                 ? HalveLevels(scratch.Get())
                 : BuildTextureMips(scratch.Get(), nullptr, 0, mipFilter);
    }
    const DWORD dither = rework.mipFilter & FILTER_DITHER;
    for (UINT level = rework.premultiply ? 0 : 1; level < levels && SUCCEEDED(hr); ++level) {
        ComRef<IDirect3DSurface8> from, to;
        hr = scratch->GetSurfaceLevel(level, from.Out());
        if (SUCCEEDED(hr)) hr = Level(texture, face, level, &to);
        if (SUCCEEDED(hr)) hr = Copy(to.Get(), from.Get(), dither);
    }
    return hr;
}

template <typename Texture>
HRESULT Rework(IDirect3DDevice8* device, Texture* texture, const ChainRework& rework) {
    HRESULT hr = S_OK;
    for (UINT face = 0; rework.Active() && face < FaceCount(texture) && SUCCEEDED(hr); ++face) {
        hr = ReworkFace(device, texture, face, rework);
    }
    return hr;
}

}  // namespace

HRESULT ReworkChain(IDirect3DDevice8* device, IDirect3DTexture8* texture, const ChainRework& rework) {
    return Rework(device, texture, rework);
}

HRESULT ReworkChain(IDirect3DDevice8* device, IDirect3DCubeTexture8* cube, const ChainRework& rework) {
    return Rework(device, cube, rework);
}

}  // namespace tovtex_tool
