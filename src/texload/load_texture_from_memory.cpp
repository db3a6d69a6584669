#include <memory>
#include <new>

#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "convert/mip_chain.h"
#include "texload/face_levels.h"
#include "texload/file_release.h"
#include "texload/image_readers.h"
#include "texload/load_decoding_into_level.h"
#include "texload/load_from_file_bytes.h"
#include "texload/load_settings.h"
#include "texload/texture_fitting.h"
#include "texload/texture_loader.h"

HRESULT LoadTextureFromMemory(IDirect3DDevice8* device, LPCVOID data, UINT dataSize, UINT width, UINT height,
                              UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                              DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                              IDirect3DTexture8** texture) {
    return tovtex::LoadTextureFromFileBytes(device, data, dataSize, nullptr, width, height, mipLevels, usage, format,
                                            pool, filter, mipFilter, colorKey, info, palette, texture);
}

HRESULT tovtex::LoadTextureFromFileBytes(IDirect3DDevice8* device, LPCVOID data, UINT dataSize, MappedFile* file,
                                         UINT width, UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                         ImageInfo* info, PALETTEENTRY* palette, IDirect3DTexture8** texture) {
    Image image;
    if (device == nullptr || data == nullptr || texture == nullptr || dataSize == 0) {
        return D3DERR_INVALIDCALL;
    }
    bool taken = false;
    HRESULT hr = tovtex::LoadDecodingIntoLevel(device, static_cast<const BYTE*>(data), dataSize, file, width, height,
                                               mipLevels, usage, format, pool, filter, mipFilter, colorKey, info,
                                               palette, texture, &taken);
    if (taken) {
        return hr;
    }
    hr = DecodeImageFile(&image, static_cast<const BYTE*>(data), dataSize, info);
    if (FAILED(hr)) {
        return hr;
    }
    tovtex::CloseFileUnlessBorrowed(image, file);
    const UINT imageLevels = image.LevelCount();
    if (width == 0 || width == DEFAULT_ARG) {
        width = static_cast<UINT>(image.rect.right);
    }
    if (height == 0 || height == DEFAULT_ARG) {
        height = static_cast<UINT>(image.rect.bottom);
    }

    // Large enough (1 KB) to keep off the stack of a game's start-up code.
    auto settings = std::unique_ptr<tovtex::LoadSettings>(new (std::nothrow) tovtex::LoadSettings);
    if (!settings) {
        return E_OUTOFMEMORY;
    }
    tovtex::SettleLoadSettings(image, format, filter, mipFilter, colorKey, palette, settings.get());
    format = settings->format;

    if (usage == DEFAULT_ARG) {
        usage = 0;
    }
    hr = FitTexture(device, &width, &height, &mipLevels, usage, &format, pool);
    if (FAILED(hr)) {
        return hr;
    }
    ComRef<IDirect3DTexture8> created;
    hr = device->CreateTexture(width, height, mipLevels, usage, format, pool, created.Out());
    if (FAILED(hr)) {
        return hr;
    }
    const UINT textureLevels = created->GetLevelCount();

    // A default-pool texture cannot be locked: fill a system-memory twin and
    // send it over at the end.
    ComRef<IDirect3DTexture8> twin;
    IDirect3DTexture8* target = created.Get();
    if (pool == D3DPOOL_DEFAULT) {
        hr = device->CreateTexture(width, height, textureLevels, 0, format, D3DPOOL_SYSTEMMEM, twin.Out());
        if (FAILED(hr)) {
            return hr;
        }
        target = twin.Get();
    }

    hr = tovtex::FillFaceLevels(image, textureLevels, *settings, palette, [&](UINT level, IDirect3DSurface8** out) {
        return target->GetSurfaceLevel(level, out);
    }, file);
    if (FAILED(hr)) {
        return hr;
    }
    if (settings->useMipBuilder && imageLevels < textureLevels) {
        hr = BuildTextureMips(target, settings->palette, imageLevels - 1, settings->mipFilter);
        if (FAILED(hr)) {
            return hr;
        }
    }
    if (twin) {
        hr = device->UpdateTexture(twin.Get(), created.Get());
        if (FAILED(hr)) {
            return hr;
        }
    }
    *texture = created.Detach();
    return S_OK;
}
