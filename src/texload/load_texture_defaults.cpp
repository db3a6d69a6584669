#include "base/tovtex_defs.h"
#include "texload/texture_loader.h"

// Every choice left to the library.

HRESULT LoadTextureFromMemoryDefault(IDirect3DDevice8* device, LPCVOID data, UINT dataSize,
                                     IDirect3DTexture8** texture) {
    return LoadTextureFromMemory(device, data, dataSize, DEFAULT_ARG, DEFAULT_ARG, DEFAULT_ARG, 0, D3DFMT_UNKNOWN,
                                 D3DPOOL_MANAGED, DEFAULT_ARG, DEFAULT_ARG, 0, nullptr, nullptr, texture);
}

HRESULT LoadTextureFromFileDefaultA(IDirect3DDevice8* device, LPCSTR fileName, IDirect3DTexture8** texture) {
    return LoadTextureFromFileA(device, fileName, DEFAULT_ARG, DEFAULT_ARG, DEFAULT_ARG, 0, D3DFMT_UNKNOWN,
                                D3DPOOL_MANAGED, DEFAULT_ARG, DEFAULT_ARG, 0, nullptr, nullptr, texture);
}

HRESULT LoadTextureFromFileDefaultW(IDirect3DDevice8* device, LPCWSTR fileName, IDirect3DTexture8** texture) {
    return LoadTextureFromFileW(device, fileName, DEFAULT_ARG, DEFAULT_ARG, DEFAULT_ARG, 0, D3DFMT_UNKNOWN,
                                D3DPOOL_MANAGED, DEFAULT_ARG, DEFAULT_ARG, 0, nullptr, nullptr, texture);
}

HRESULT LoadTextureFromResourceDefaultA(IDirect3DDevice8* device, HMODULE module, LPCSTR resourceName,
                                        IDirect3DTexture8** texture) {
    return LoadTextureFromResourceA(device, module, resourceName, DEFAULT_ARG, DEFAULT_ARG, DEFAULT_ARG, 0,
                                    D3DFMT_UNKNOWN, D3DPOOL_MANAGED, DEFAULT_ARG, DEFAULT_ARG, 0, nullptr, nullptr,
                                    texture);
}

HRESULT LoadTextureFromResourceDefaultW(IDirect3DDevice8* device, HMODULE module, LPCWSTR resourceName,
                                        IDirect3DTexture8** texture) {
    return LoadTextureFromResourceW(device, module, resourceName, DEFAULT_ARG, DEFAULT_ARG, DEFAULT_ARG, 0,
                                    D3DFMT_UNKNOWN, D3DPOOL_MANAGED, DEFAULT_ARG, DEFAULT_ARG, 0, nullptr, nullptr,
                                    texture);
}

HRESULT LoadCubeTextureFromMemoryDefault(IDirect3DDevice8* device, LPCVOID data, UINT dataSize,
                                         IDirect3DCubeTexture8** cubeTexture) {
    return LoadCubeTextureFromMemory(device, data, dataSize, DEFAULT_ARG, DEFAULT_ARG, 0, D3DFMT_UNKNOWN,
                                     D3DPOOL_MANAGED, DEFAULT_ARG, DEFAULT_ARG, 0, nullptr, nullptr, cubeTexture);
}

HRESULT LoadCubeTextureFromFileDefaultA(IDirect3DDevice8* device, LPCSTR fileName,
                                        IDirect3DCubeTexture8** cubeTexture) {
    return LoadCubeTextureFromFileA(device, fileName, DEFAULT_ARG, DEFAULT_ARG, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                    DEFAULT_ARG, DEFAULT_ARG, 0, nullptr, nullptr, cubeTexture);
}

HRESULT LoadCubeTextureFromFileDefaultW(IDirect3DDevice8* device, LPCWSTR fileName,
                                        IDirect3DCubeTexture8** cubeTexture) {
    return LoadCubeTextureFromFileW(device, fileName, DEFAULT_ARG, DEFAULT_ARG, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                    DEFAULT_ARG, DEFAULT_ARG, 0, nullptr, nullptr, cubeTexture);
}
