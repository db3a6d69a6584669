#include "block_chain.h"

#include <algorithm>
#include <vector>

#include "base/com_ref.h"
#include "block_level_encoder.h"
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

HRESULT CreateLike(IDirect3DDevice8* device, IDirect3DTexture8*, const Shape& shape, D3DFORMAT format,
                   ComRef<IDirect3DTexture8>* out) {
    return device->CreateTexture(shape.width, shape.height, shape.levels, 0, format, D3DPOOL_SYSTEMMEM, out->Out());
}

HRESULT CreateLike(IDirect3DDevice8* device, IDirect3DCubeTexture8*, const Shape& shape, D3DFORMAT format,
                   ComRef<IDirect3DCubeTexture8>* out) {
    return device->CreateCubeTexture(shape.width, shape.levels, 0, format, D3DPOOL_SYSTEMMEM, out->Out());
}

UINT FaceCount(IDirect3DTexture8*) {
    return 1;
}
UINT FaceCount(IDirect3DCubeTexture8*) {
    return 6;
}

HRESULT LockLevel(IDirect3DTexture8* texture, UINT, UINT level, DWORD flags, D3DLOCKED_RECT* locked) {
    return texture->LockRect(level, locked, nullptr, flags);
}
HRESULT LockLevel(IDirect3DCubeTexture8* cube, UINT face, UINT level, DWORD flags, D3DLOCKED_RECT* locked) {
    return cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), level, locked, nullptr, flags);
}

void UnlockLevel(IDirect3DTexture8* texture, UINT, UINT level) {
    texture->UnlockRect(level);
}
void UnlockLevel(IDirect3DCubeTexture8* cube, UINT face, UINT level) {
    cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), level);
}

// Every level of every face stays locked (on this thread) while the worker
// threads fill the block rows. The block texture is new, so its blocks hold
// zeros until written, as the library's encoder expects.
template <typename Texture>
HRESULT EncodeLevels(Texture* source, Texture* out, const Shape& shape, D3DFORMAT format,
                     const BlockEncoding& encoding) {
    struct Locked {
        UINT face;
        UINT level;
    };
    const UINT faces = FaceCount(source);
    std::vector<Locked> locked;
    std::vector<BlockLevelWork> work;
    locked.reserve(static_cast<size_t>(faces) * shape.levels);
    work.reserve(locked.capacity());
    HRESULT hr = S_OK;
    for (UINT face = 0; SUCCEEDED(hr) && face < faces; ++face) {
        for (UINT level = 0; SUCCEEDED(hr) && level < shape.levels; ++level) {
            D3DSURFACE_DESC from{}, to{};
            hr = source->GetLevelDesc(level, &from);
            if (SUCCEEDED(hr)) hr = out->GetLevelDesc(level, &to);
            if (SUCCEEDED(hr) && (from.Width != to.Width || from.Height != to.Height)) hr = E_FAIL;
            D3DLOCKED_RECT pixels{}, blocks{};
            if (SUCCEEDED(hr)) hr = LockLevel(source, face, level, D3DLOCK_READONLY, &pixels);
            if (FAILED(hr)) break;
            hr = LockLevel(out, face, level, 0, &blocks);
            if (FAILED(hr)) {
                UnlockLevel(source, face, level);
                break;
            }
            locked.push_back({face, level});
            work.push_back({static_cast<const BYTE*>(pixels.pBits), pixels.Pitch, static_cast<BYTE*>(blocks.pBits),
                            blocks.Pitch, to.Width, to.Height});
        }
    }
    if (SUCCEEDED(hr)) {
        hr = EncodeBlockLevels(format, work, encoding);
    }
    for (const Locked& level : locked) {
        UnlockLevel(out, level.face, level.level);
        UnlockLevel(source, level.face, level.level);
    }
    return hr;
}

template <typename Texture>
HRESULT CompressLevels(IDirect3DDevice8* device, Texture* source, const Shape& shape, D3DFORMAT format,
                       const BlockEncoding& encoding, ComRef<Texture>* out) {
    HRESULT hr = CreateLike(device, source, shape, format, out);
    if (FAILED(hr)) {
        return hr;
    }
    return EncodeLevels(source, out->Get(), shape, format, encoding);
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
    HRESULT hr = ReworkChain(device, uncompressed.Get(), request.rework);
    ComRef<Texture> compressed;
    if (SUCCEEDED(hr)) hr = CompressLevels(device, uncompressed.Get(), shape, format, request.encoding, &compressed);
    uncompressed.Reset();
    if (SUCCEEDED(hr)) {
        hr = SaveDds(compressed.Get(), request.ddsFlags, dds);
    }
    return hr;
}

template <typename Texture>
HRESULT CompressAnyToDds(IDirect3DDevice8* device, Texture* uncompressed, D3DFORMAT format,
                         const BlockEncoding& encoding, DWORD ddsFlags, std::vector<BYTE>* dds) {
    D3DSURFACE_DESC desc{};
    HRESULT hr = uncompressed->GetLevelDesc(0, &desc);
    if (FAILED(hr)) {
        return hr;
    }
    const Shape shape{desc.Width, desc.Height, uncompressed->GetLevelCount()};
    ComRef<Texture> compressed;
    hr = CompressLevels(device, uncompressed, shape, format, encoding, &compressed);
    if (SUCCEEDED(hr)) {
        hr = SaveDds(compressed.Get(), ddsFlags, dds);
    }
    return hr;
}

}  // namespace

HRESULT CompressToDds(IDirect3DDevice8* device, IDirect3DTexture8* uncompressed, D3DFORMAT format,
                      const BlockEncoding& encoding, DWORD ddsFlags, std::vector<BYTE>* dds) {
    return CompressAnyToDds(device, uncompressed, format, encoding, ddsFlags, dds);
}

HRESULT CompressToDds(IDirect3DDevice8* device, IDirect3DCubeTexture8* uncompressed, D3DFORMAT format,
                      const BlockEncoding& encoding, DWORD ddsFlags, std::vector<BYTE>* dds) {
    return CompressAnyToDds(device, uncompressed, format, encoding, ddsFlags, dds);
}

HRESULT LoadBlockTextureAsDds(IDirect3DDevice8* device, const BYTE* data, UINT size, const BlockLoadRequest& request,
                              std::vector<BYTE>* dds, bool* applied) {
    return request.cube ? LoadAsDds<IDirect3DCubeTexture8>(device, data, size, request, dds, applied)
                        : LoadAsDds<IDirect3DTexture8>(device, data, size, request, dds, applied);
}

}  // namespace tovtex_tool
