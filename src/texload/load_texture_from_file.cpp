#include "texload/load_from_file_bytes.h"
#include "texload/mapped_file.h"
#include "texload/texture_loader.h"

// The mapping stays open while a decoded image borrows its pixels from it,
// and is closed as soon as the picture is decoded into memory of its own.
// A large DDS texture file is read level by level, straight into the
// texture where a level needs no conversion.

HRESULT LoadTextureFromFileA(IDirect3DDevice8* device, LPCSTR fileName, UINT width, UINT height, UINT mipLevels,
                             DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                             D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette, IDirect3DTexture8** texture) {
    MappedFile file;
    const HRESULT hr = file.OpenOnDemand(fileName, false);
    if (FAILED(hr)) {
        return hr;
    }
    return tovtex::LoadTextureFromFileBytes(device, file.View(), file.Size(), &file, width, height, mipLevels, usage,
                                            format, pool, filter, mipFilter, colorKey, info, palette, texture);
}

HRESULT LoadTextureFromFileW(IDirect3DDevice8* device, LPCWSTR fileName, UINT width, UINT height, UINT mipLevels,
                             DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                             D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette, IDirect3DTexture8** texture) {
    MappedFile file;
    const HRESULT hr = file.OpenOnDemand(fileName, true);
    if (FAILED(hr)) {
        return hr;
    }
    return tovtex::LoadTextureFromFileBytes(device, file.View(), file.Size(), &file, width, height, mipLevels, usage,
                                            format, pool, filter, mipFilter, colorKey, info, palette, texture);
}

HRESULT LoadCubeTextureFromFileA(IDirect3DDevice8* device, LPCSTR fileName, UINT size, UINT mipLevels, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                 ImageInfo* info, PALETTEENTRY* palette, IDirect3DCubeTexture8** cubeTexture) {
    MappedFile file;
    const HRESULT hr = file.Open(fileName, false);
    if (FAILED(hr)) {
        return hr;
    }
    return tovtex::LoadCubeTextureFromFileBytes(device, file.View(), file.Size(), &file, size, mipLevels, usage, format,
                                                pool, filter, mipFilter, colorKey, info, palette, cubeTexture);
}

HRESULT LoadCubeTextureFromFileW(IDirect3DDevice8* device, LPCWSTR fileName, UINT size, UINT mipLevels, DWORD usage,
                                 D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                 ImageInfo* info, PALETTEENTRY* palette, IDirect3DCubeTexture8** cubeTexture) {
    MappedFile file;
    const HRESULT hr = file.Open(fileName, true);
    if (FAILED(hr)) {
        return hr;
    }
    return tovtex::LoadCubeTextureFromFileBytes(device, file.View(), file.Size(), &file, size, mipLevels, usage, format,
                                                pool, filter, mipFilter, colorKey, info, palette, cubeTexture);
}
