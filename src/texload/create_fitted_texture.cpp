#include "base/tovtex_defs.h"
#include "texload/texture_fitting.h"

HRESULT CreateFittedTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                            D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture) {
    if (device == nullptr || texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (usage == DEFAULT_ARG) {
        usage = 0;
    }
    const HRESULT hr = FitTexture(device, &width, &height, &mipLevels, usage, &format, pool);
    if (FAILED(hr)) {
        return hr;
    }
    return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture);
}

HRESULT CreateFittedCubeTexture(IDirect3DDevice8* device, UINT size, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DCubeTexture8** cubeTexture) {
    if (device == nullptr || cubeTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (usage == DEFAULT_ARG) {
        usage = 0;
    }
    const HRESULT hr = FitCubeTexture(device, &size, &mipLevels, usage, &format, pool);
    if (FAILED(hr)) {
        return hr;
    }
    return device->CreateCubeTexture(size, mipLevels, usage, format, pool, cubeTexture);
}

HRESULT CreateFittedVolumeTexture(IDirect3DDevice8* device, UINT width, UINT height, UINT depth, UINT mipLevels,
                                  DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DVolumeTexture8** volumeTexture) {
    if (device == nullptr || volumeTexture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (usage == DEFAULT_ARG) {
        usage = 0;
    }
    const HRESULT hr = FitVolumeTexture(device, &width, &height, &depth, &mipLevels, usage, &format, pool);
    if (FAILED(hr)) {
        return hr;
    }
    return device->CreateVolumeTexture(width, height, depth, mipLevels, usage, format, pool, volumeTexture);
}
