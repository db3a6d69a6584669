#include "any_shape_loader.h"

#include <cstring>

namespace tovtex_tool {

namespace {

constexpr DWORD CUBE_MIRROR = FILTER_MIRROR_U | FILTER_MIRROR_V | FILTER_MIRROR_W;

bool UsesMipBuilder(const AnyShape& shape) {
    const DWORD mip = shape.mipFilter & 0xFF;
    return (shape.filter & 0xFF) == FILTER_NONE || mip == FILTER_POINT || mip == FILTER_BOX;
}

HRESULT Create(IDirect3DDevice8* device, const AnyShape& shape, ComRef<IDirect3DCubeTexture8>* out) {
    return device->CreateCubeTexture(shape.width, shape.levels, 0, shape.format, D3DPOOL_MANAGED, out->Out());
}

HRESULT Level(IDirect3DTexture8* texture, UINT, UINT level, ComRef<IDirect3DSurface8>* surface) {
    return texture->GetSurfaceLevel(level, surface->Out());
}
HRESULT Level(IDirect3DCubeTexture8* cube, UINT face, UINT level, ComRef<IDirect3DSurface8>* surface) {
    return cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, surface->Out());
}

HRESULT BuildMips(IDirect3DTexture8* texture, const PALETTEENTRY* palette, UINT level, DWORD filter) {
    return BuildTextureMips(texture, palette, level, filter);
}
HRESULT BuildMips(IDirect3DCubeTexture8* cube, const PALETTEENTRY* palette, UINT level, DWORD filter) {
    return BuildCubeTextureMips(cube, palette, level, filter);
}

HRESULT CopyImage(IDirect3DSurface8* surface, const Image& source, const PALETTEENTRY* palette, DWORD filter,
                  D3DCOLOR colorKey) {
    return CopyPixelsToSurface(surface, nullptr, nullptr, source.pixels, source.format, source.rowPitch, palette,
                               &source.rect, filter, colorKey);
}

HRESULT Create(IDirect3DDevice8* device, const AnyShape& shape, ComRef<IDirect3DTexture8>* out) {
    return CreateAnyShape(device, shape, out);
}

template <typename Texture>
HRESULT Load(IDirect3DDevice8* device, const Image& image, AnyShape shape, UINT faces, ComRef<Texture>* out) {
    if (faces == 6) {
        shape.filter |= CUBE_MIRROR;
        shape.mipFilter |= CUBE_MIRROR;
    }
    const WorkingPalette palette(image);
    ComRef<Texture> texture;
    texture.Swap(*out);  // made already by the caller, or made here
    HRESULT hr = texture ? S_OK : Create(device, shape, &texture);
    if (FAILED(hr)) {
        return hr;
    }
    const UINT imageLevels = image.LevelCount();
    const Image* face = &image;
    for (UINT f = 0; f < faces && SUCCEEDED(hr); ++f, face = face->nextFace) {
        if (face == nullptr) {
            return E_FAIL;
        }
        const Image* deepest = face;
        const Image* source = face;
        for (UINT level = 0; level < shape.levels && SUCCEEDED(hr); ++level) {
            const bool fromImage = level < imageLevels && source != nullptr;
            if (!fromImage && UsesMipBuilder(shape)) {
                break;
            }
            ComRef<IDirect3DSurface8> surface;
            hr = Level(texture.Get(), f, level, &surface);
            if (SUCCEEDED(hr)) {
                hr = fromImage ? CopyImage(surface.Get(), *source, palette.entries, shape.filter, shape.colorKey)
                               : CopyImage(surface.Get(), *deepest, palette.entries, shape.mipFilter, shape.colorKey);
            }
            if (fromImage) {
                deepest = source;
                source = source->nextLevel;
            }
        }
    }
    if (SUCCEEDED(hr) && imageLevels < shape.levels && UsesMipBuilder(shape)) {
        hr = BuildMips(texture.Get(), palette.entries, imageLevels - 1, shape.mipFilter);
    }
    if (SUCCEEDED(hr)) {
        out->Swap(texture);
    }
    return hr;
}

}  // namespace

WorkingPalette::WorkingPalette(const Image& image) {
    if (image.palette != nullptr) {
        std::memcpy(entries, image.palette, sizeof(entries));
    } else {
        std::memset(entries, 0xFF, sizeof(entries));
    }
}

HRESULT CreateAnyShape(IDirect3DDevice8* device, const AnyShape& shape, ComRef<IDirect3DTexture8>* texture) {
    return device->CreateTexture(shape.width, shape.height, shape.levels, 0, shape.format, D3DPOOL_MANAGED,
                                 texture->Out());
}

UINT FullChain(UINT width, UINT height) {
    UINT levels = 1;
    for (UINT side = width > height ? width : height; side > 1; side /= 2) {
        ++levels;
    }
    return levels;
}

HRESULT LoadAnyShape(IDirect3DDevice8* device, const Image& image, const AnyShape& shape,
                     ComRef<IDirect3DTexture8>* texture) {
    return Load(device, image, shape, 1, texture);
}

HRESULT LoadAnyShape(IDirect3DDevice8* device, const Image& image, const AnyShape& shape,
                     ComRef<IDirect3DCubeTexture8>* cube) {
    return Load(device, image, shape, 6, cube);
}

}  // namespace tovtex_tool
