#include "block_chain.h"

#include <algorithm>

#include "base/com_ref.h"
#include "dds_writer.h"
#include "tovtex.h"

namespace tovtex_tool {

namespace {

// As the direct load asks: the loader fits for this pool with no usage.
constexpr D3DPOOL LOAD_POOL = D3DPOOL_MANAGED;

struct Shape {
    UINT width;
    UINT height;
    UINT levels;
};

HRESULT FitShape(IDirect3DDevice8* device, IDirect3DTexture8*, Shape* shape, D3DFORMAT* format) {
    return FitTexture(device, &shape->width, &shape->height, &shape->levels, 0, format, LOAD_POOL);
}

HRESULT FitShape(IDirect3DDevice8* device, IDirect3DCubeTexture8*, Shape* shape, D3DFORMAT* format) {
    const HRESULT hr = FitCubeTexture(device, &shape->width, &shape->levels, 0, format, LOAD_POOL);
    shape->height = shape->width;
    return hr;
}

// The size the loader gives an unsized request: the image's (a cube's edge
// is the longer side).
Shape RequestedShape(const BlockLoadRequest& request, const ImageInfo& info) {
    auto orImage = [](UINT asked, UINT image) { return asked == 0 || asked == DEFAULT_ARG ? image : asked; };
    if (request.cube) {
        const UINT edge = orImage(request.width, std::max(info.width, info.height));
        return {edge, edge, request.mipLevels};
    }
    return {orImage(request.width, info.width), orImage(request.height, info.height), request.mipLevels};
}

HRESULT LoadUncompressed(IDirect3DDevice8* device, const BYTE* data, UINT size, const BlockLoadRequest& request,
                         const Shape& shape, ImageInfo* info, ComRef<IDirect3DTexture8>* out) {
    return LoadTextureFromMemory(device, data, size, shape.width, shape.height, shape.levels, 0, D3DFMT_A8R8G8B8,
                                 LOAD_POOL, request.filter, request.mipFilter, request.colorKey, info, nullptr,
                                 out->Out());
}

HRESULT LoadUncompressed(IDirect3DDevice8* device, const BYTE* data, UINT size, const BlockLoadRequest& request,
                         const Shape& shape, ImageInfo* info, ComRef<IDirect3DCubeTexture8>* out) {
    return LoadCubeTextureFromMemory(device, data, size, shape.width, shape.levels, 0, D3DFMT_A8R8G8B8, LOAD_POOL,
                                     request.filter, request.mipFilter, request.colorKey, info, nullptr, out->Out());
}

template <typename Texture>
bool HasShape(Texture* texture, const Shape& shape) {
    D3DSURFACE_DESC desc{};
    return SUCCEEDED(texture->GetLevelDesc(0, &desc)) && desc.Format == D3DFMT_A8R8G8B8 && desc.Width == shape.width &&
           desc.Height == shape.height && texture->GetLevelCount() == shape.levels;
}

// Same size on both sides: a straight conversion, no resampling (and block
// formats take no dithering).
HRESULT CompressSurface(IDirect3DSurface8* destination, IDirect3DSurface8* source) {
    return CopySurfaceToSurface(destination, nullptr, nullptr, source, nullptr, nullptr, FILTER_NONE, 0);
}

HRESULT CompressLevels(IDirect3DDevice8* device, IDirect3DTexture8* source, const Shape& shape, D3DFORMAT format,
                       ComRef<IDirect3DTexture8>* out) {
    HRESULT hr =
        device->CreateTexture(shape.width, shape.height, shape.levels, 0, format, D3DPOOL_SYSTEMMEM, out->Out());
    for (UINT level = 0; SUCCEEDED(hr) && level < shape.levels; ++level) {
        ComRef<IDirect3DSurface8> from, to;
        hr = source->GetSurfaceLevel(level, from.Out());
        if (SUCCEEDED(hr)) hr = (*out)->GetSurfaceLevel(level, to.Out());
        if (SUCCEEDED(hr)) hr = CompressSurface(to.Get(), from.Get());
    }
    return hr;
}

HRESULT CompressLevels(IDirect3DDevice8* device, IDirect3DCubeTexture8* source, const Shape& shape, D3DFORMAT format,
                       ComRef<IDirect3DCubeTexture8>* out) {
    HRESULT hr = device->CreateCubeTexture(shape.width, shape.levels, 0, format, D3DPOOL_SYSTEMMEM, out->Out());
    for (UINT face = 0; SUCCEEDED(hr) && face < 6; ++face) {
        const auto faceType = static_cast<D3DCUBEMAP_FACES>(face);
        for (UINT level = 0; SUCCEEDED(hr) && level < shape.levels; ++level) {
            ComRef<IDirect3DSurface8> from, to;
            hr = source->GetCubeMapSurface(faceType, level, from.Out());
            if (SUCCEEDED(hr)) hr = (*out)->GetCubeMapSurface(faceType, level, to.Out());
            if (SUCCEEDED(hr)) hr = CompressSurface(to.Get(), from.Get());
        }
    }
    return hr;
}

HRESULT WriteDds(IDirect3DTexture8* texture, std::vector<BYTE>* dds) {
    return TextureToDds(texture, dds);
}
HRESULT WriteDds(IDirect3DCubeTexture8* cube, std::vector<BYTE>* dds) {
    return CubeTextureToDds(cube, dds);
}

template <typename Texture>
HRESULT LoadAsDds(IDirect3DDevice8* device, const BYTE* data, UINT size, const BlockLoadRequest& request,
                  std::vector<BYTE>* dds, bool* applied) {
    *applied = false;
    // Whether the device takes the block format at all; the size comes later.
    D3DFORMAT format = request.format;
    Shape shape{DEFAULT_ARG, DEFAULT_ARG, DEFAULT_ARG};
    if (!IsDxtFormat(format) || FAILED(FitShape(device, static_cast<Texture*>(nullptr), &shape, &format)) ||
        !IsDxtFormat(format)) {
        return S_OK;
    }
    // Loaded as asked first: the usual image's size fits both formats alike,
    // and only the load tells the image's size and format.
    ImageInfo info{};
    ComRef<Texture> uncompressed;
    const Shape asked{request.width, request.height, request.mipLevels};
    if (FAILED(LoadUncompressed(device, data, size, request, asked, &info, &uncompressed)) || info.format == format) {
        return S_OK;
    }
    format = request.format;
    shape = RequestedShape(request, info);
    if (FAILED(FitShape(device, uncompressed.Get(), &shape, &format)) || !IsDxtFormat(format)) {
        return S_OK;
    }
    if (!HasShape(uncompressed.Get(), shape)) {
        // Block formats round sizes to whole blocks: load again at exactly
        // the block texture's size and level count.
        if (FAILED(LoadUncompressed(device, data, size, request, shape, nullptr, &uncompressed)) ||
            !HasShape(uncompressed.Get(), shape)) {
            return S_OK;
        }
    }
    *applied = true;
    ComRef<Texture> compressed;
    HRESULT hr = CompressLevels(device, uncompressed.Get(), shape, format, &compressed);
    uncompressed.Reset();
    if (SUCCEEDED(hr)) {
        hr = WriteDds(compressed.Get(), dds);
    }
    return hr;
}

}  // namespace

HRESULT LoadBlockTextureAsDds(IDirect3DDevice8* device, const BYTE* data, UINT size, const BlockLoadRequest& request,
                              std::vector<BYTE>* dds, bool* applied) {
    return request.cube ? LoadAsDds<IDirect3DCubeTexture8>(device, data, size, request, dds, applied)
                        : LoadAsDds<IDirect3DTexture8>(device, data, size, request, dds, applied);
}

}  // namespace tovtex_tool
