#include "texload/resource_data.h"
#include "texload/texture_loader.h"

HRESULT LoadTextureFromResourceA(IDirect3DDevice8* device, HMODULE module, LPCSTR resourceName, UINT width, UINT height,
                                 UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                 DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                                 IDirect3DTexture8** texture) {
    ResourceData resource;
    const HRESULT hr = resource.Locate(module, resourceName, false);
    if (FAILED(hr)) {
        return hr;
    }
    return LoadTextureFromMemory(device, resource.Data(), resource.Size(), width, height, mipLevels, usage, format,
                                 pool, filter, mipFilter, colorKey, info, palette, texture);
}

HRESULT LoadTextureFromResourceW(IDirect3DDevice8* device, HMODULE module, LPCWSTR resourceName, UINT width,
                                 UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                 DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                                 IDirect3DTexture8** texture) {
    ResourceData resource;
    const HRESULT hr = resource.Locate(module, resourceName, true);
    if (FAILED(hr)) {
        return hr;
    }
    return LoadTextureFromMemory(device, resource.Data(), resource.Size(), width, height, mipLevels, usage, format,
                                 pool, filter, mipFilter, colorKey, info, palette, texture);
}
