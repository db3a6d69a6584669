#include <algorithm>
#include <memory>
#include <new>

#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "convert/mip_chain.h"
#include "texload/face_levels.h"
#include "texload/file_release.h"
#include "texload/image_readers.h"
#include "texload/load_from_file_bytes.h"
#include "texload/load_settings.h"
#include "texload/texture_fitting.h"
#include "texload/texture_loader.h"

namespace {

constexpr UINT CUBE_FACES = 6;

}  // namespace

HRESULT LoadCubeTextureFromMemory(IDirect3DDevice8* device, LPCVOID data, UINT dataSize, UINT size, UINT mipLevels,
                                  DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                  D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                                  IDirect3DCubeTexture8** cubeTexture) {
    return tovtex::LoadCubeTextureFromFileBytes(device, data, dataSize, nullptr, size, mipLevels, usage, format, pool,
                                                filter, mipFilter, colorKey, info, palette, cubeTexture);
}

HRESULT tovtex::LoadCubeTextureFromFileBytes(IDirect3DDevice8* device, LPCVOID data, UINT dataSize, MappedFile* file,
                                             UINT size, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                             DWORD filter, DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info,
                                             PALETTEENTRY* palette, IDirect3DCubeTexture8** cubeTexture) {
    Image image;
    if (device == nullptr || data == nullptr || cubeTexture == nullptr || dataSize == 0) {
        return D3DERR_INVALIDCALL;
    }
    HRESULT hr = DecodeImageFile(&image, static_cast<const BYTE*>(data), dataSize, info);
    if (FAILED(hr)) {
        return hr;
    }
    tovtex::CloseFileUnlessBorrowed(image, file);
    if (image.FaceCount() != CUBE_FACES) {
        return E_FAIL;
    }
    const UINT imageLevels = image.LevelCount();
    if (size == 0 || size == DEFAULT_ARG) {
        size = static_cast<UINT>(std::max(image.rect.right, image.rect.bottom));
    }

    auto settings = std::unique_ptr<tovtex::LoadSettings>(new (std::nothrow) tovtex::LoadSettings);
    if (!settings) {
        return E_OUTOFMEMORY;
    }
    tovtex::SettleLoadSettings(image, format, filter, mipFilter, colorKey, palette, settings.get());
    // A face's edge never continues on its own opposite edge.
    constexpr DWORD MIRROR_ALL = FILTER_MIRROR_U | FILTER_MIRROR_V | FILTER_MIRROR_W;
    settings->filter |= MIRROR_ALL;
    settings->mipFilter |= MIRROR_ALL;
    format = settings->format;

    if (usage == DEFAULT_ARG) {
        usage = 0;
    }
    hr = FitCubeTexture(device, &size, &mipLevels, usage, &format, pool);
    if (FAILED(hr)) {
        return hr;
    }
    ComRef<IDirect3DCubeTexture8> created;
    hr = device->CreateCubeTexture(size, mipLevels, usage, format, pool, created.Out());
    if (FAILED(hr)) {
        return hr;
    }
    const UINT textureLevels = created->GetLevelCount();

    ComRef<IDirect3DCubeTexture8> twin;
    IDirect3DCubeTexture8* target = created.Get();
    if (pool == D3DPOOL_DEFAULT) {
        hr = device->CreateCubeTexture(size, textureLevels, 0, format, D3DPOOL_SYSTEMMEM, twin.Out());
        if (FAILED(hr)) {
            return hr;
        }
        target = twin.Get();
    }

    const Image* face = &image;
    for (UINT index = 0; index < CUBE_FACES; ++index, face = face->nextFace) {
        const auto faceType = static_cast<D3DCUBEMAP_FACES>(index);
        hr = tovtex::FillFaceLevels(*face, textureLevels, *settings, palette, [&](UINT level, IDirect3DSurface8** out) {
            return target->GetCubeMapSurface(faceType, level, out);
        });
        if (FAILED(hr)) {
            return hr;
        }
    }
    if (settings->useMipBuilder && imageLevels < textureLevels) {
        hr = BuildCubeTextureMips(target, settings->palette, imageLevels - 1, settings->mipFilter);
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
    *cubeTexture = created.Detach();
    return S_OK;
}
