#include "texload/dds_save.h"

#include <cstring>
#include <new>

#include "base/checked_size.h"
#include "base/heap_array.h"
#include "base/tovtex_defs.h"
#include "texload/dds_layout.h"
#include "texload/system_error.h"

namespace {

using tovtex::DdsShape;

struct SaveShape {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    DdsShape shape = DdsShape::TEXTURE;
    UINT width = 0, height = 0, depth = 1;
    UINT levels = 0;
    UINT faces = 1;
};

struct LevelSize {
    UINT width, height, depth;
};

HRESULT LevelSizeOf(IDirect3DBaseTexture8* texture, DdsShape shape, UINT level, LevelSize* size) {
    HRESULT hr = S_OK;
    if (shape == DdsShape::VOLUME) {
        D3DVOLUME_DESC desc{};
        hr = static_cast<IDirect3DVolumeTexture8*>(texture)->GetLevelDesc(level, &desc);
        *size = {desc.Width, desc.Height, desc.Depth};
        return hr;
    }
    D3DSURFACE_DESC desc{};
    hr = shape == DdsShape::CUBE ? static_cast<IDirect3DCubeTexture8*>(texture)->GetLevelDesc(level, &desc)
                                 : static_cast<IDirect3DTexture8*>(texture)->GetLevelDesc(level, &desc);
    *size = {desc.Width, desc.Height, 1};
    return hr;
}

HRESULT DescribeTexture(IDirect3DBaseTexture8* texture, SaveShape* shape) {
    switch (texture->GetType()) {
    case D3DRTYPE_TEXTURE: shape->shape = DdsShape::TEXTURE; break;
    case D3DRTYPE_CUBETEXTURE:
        shape->shape = DdsShape::CUBE;
        shape->faces = 6;
        break;
    case D3DRTYPE_VOLUMETEXTURE: shape->shape = DdsShape::VOLUME; break;
    default: return D3DERR_INVALIDCALL;
    }
    shape->levels = texture->GetLevelCount();
    if (shape->levels == 0) {
        return D3DERR_INVALIDCALL;
    }
    HRESULT hr = S_OK;
    if (shape->shape == DdsShape::VOLUME) {
        D3DVOLUME_DESC desc{};
        hr = static_cast<IDirect3DVolumeTexture8*>(texture)->GetLevelDesc(0, &desc);
        shape->format = desc.Format;
        shape->depth = desc.Depth;
        shape->width = desc.Width;
        shape->height = desc.Height;
        return hr;
    }
    D3DSURFACE_DESC desc{};
    hr = shape->shape == DdsShape::CUBE ? static_cast<IDirect3DCubeTexture8*>(texture)->GetLevelDesc(0, &desc)
                                        : static_cast<IDirect3DTexture8*>(texture)->GetLevelDesc(0, &desc);
    shape->format = desc.Format;
    shape->width = desc.Width;
    shape->height = desc.Height;
    return hr;
}

uint64_t PackedBytes(D3DFORMAT format, const LevelSize& size) {
    return tovtex::DdsRowBytes(format, size.width) * tovtex::DdsRowCount(format, size.height) * size.depth;
}

// The bytes of every level of every face, header included; false when the
// file would reach 4 GiB.
HRESULT FileBytes(IDirect3DBaseTexture8* texture, const SaveShape& shape, UINT headerBytes, UINT* total) {
    uint64_t face = 0;
    for (UINT level = 0; level < shape.levels; ++level) {
        LevelSize size{};
        const HRESULT hr = LevelSizeOf(texture, shape.shape, level, &size);
        if (FAILED(hr)) {
            return hr;
        }
        if (!tovtex::CheckedAdd(face, PackedBytes(shape.format, size), &face)) {
            return ERR_IMAGETOOLARGE;
        }
    }
    uint64_t all = 0;
    if (!tovtex::CheckedMul(face, shape.faces, &all) || !tovtex::CheckedAdd(all, headerBytes, &all) ||
        all > 0xFFFFFFFFu) {
        return ERR_IMAGETOOLARGE;
    }
    *total = static_cast<UINT>(all);
    return S_OK;
}

BYTE* CopyRows(BYTE* out, const BYTE* pixels, uint64_t pitch, uint64_t rowBytes, uint64_t rows) {
    for (uint64_t y = 0; y < rows; ++y) {
        std::memcpy(out, pixels + y * pitch, rowBytes);
        out += rowBytes;
    }
    return out;
}

// Locks one level of one face (or a whole volume level), appends it at out
// and unlocks; out moves past what was written.
HRESULT CopyLevel(IDirect3DBaseTexture8* texture, const SaveShape& shape, UINT face, UINT level, BYTE** out) {
    LevelSize size{};
    HRESULT hr = LevelSizeOf(texture, shape.shape, level, &size);
    if (FAILED(hr)) {
        return hr;
    }
    const uint64_t rowBytes = tovtex::DdsRowBytes(shape.format, size.width);
    const uint64_t rows = tovtex::DdsRowCount(shape.format, size.height);
    if (shape.shape == DdsShape::VOLUME) {
        auto* volume = static_cast<IDirect3DVolumeTexture8*>(texture);
        D3DLOCKED_BOX locked{};
        hr = volume->LockBox(level, &locked, nullptr, D3DLOCK_READONLY);
        if (SUCCEEDED(hr)) {
            for (UINT slice = 0; slice < size.depth; ++slice) {
                *out = CopyRows(*out, static_cast<const BYTE*>(locked.pBits) + uint64_t{slice} * locked.SlicePitch,
                                static_cast<UINT>(locked.RowPitch), rowBytes, rows);
            }
            volume->UnlockBox(level);
        }
        return hr;
    }
    D3DLOCKED_RECT locked{};
    if (shape.shape == DdsShape::CUBE) {
        auto* cube = static_cast<IDirect3DCubeTexture8*>(texture);
        const auto cubeFace = static_cast<D3DCUBEMAP_FACES>(face);
        hr = cube->LockRect(cubeFace, level, &locked, nullptr, D3DLOCK_READONLY);
        if (SUCCEEDED(hr)) {
            *out =
                CopyRows(*out, static_cast<const BYTE*>(locked.pBits), static_cast<UINT>(locked.Pitch), rowBytes, rows);
            cube->UnlockRect(cubeFace, level);
        }
        return hr;
    }
    auto* plain = static_cast<IDirect3DTexture8*>(texture);
    hr = plain->LockRect(level, &locked, nullptr, D3DLOCK_READONLY);
    if (SUCCEEDED(hr)) {
        *out = CopyRows(*out, static_cast<const BYTE*>(locked.pBits), static_cast<UINT>(locked.Pitch), rowBytes, rows);
        plain->UnlockRect(level);
    }
    return hr;
}

HRESULT SaveToFile(const void* fileName, bool wide, IDirect3DBaseTexture8* texture, DWORD flags) {
    if (fileName == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    UINT size = 0;
    HRESULT hr = SaveTextureToDdsInMemory(texture, flags, nullptr, 0, &size);
    if (FAILED(hr)) {
        return hr;
    }
    HeapArray<BYTE> bytes;
    if (!bytes.Allocate(size)) {
        return E_OUTOFMEMORY;
    }
    hr = SaveTextureToDdsInMemory(texture, flags, bytes.get(), size, &size);
    if (FAILED(hr)) {
        return hr;
    }
    HANDLE file = wide ? CreateFileW(static_cast<LPCWSTR>(fileName), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr)
                       : CreateFileA(static_cast<LPCSTR>(fileName), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return tovtex::LastSystemErrorResult();
    }
    DWORD written = 0;
    hr = S_OK;
    if (!WriteFile(file, bytes.get(), size, &written, nullptr) || written != size) {
        hr = tovtex::LastSystemErrorResult();
        // A short write without a system error must not pass as success.
        hr = FAILED(hr) ? hr : E_FAIL;
    }
    if (!CloseHandle(file) && SUCCEEDED(hr)) {
        hr = tovtex::LastSystemErrorResult();
        hr = FAILED(hr) ? hr : E_FAIL;
    }
    return hr;
}

}  // namespace

HRESULT SaveTextureToDdsInMemory(IDirect3DBaseTexture8* texture, DWORD flags, LPVOID buffer, UINT bufferSize,
                                 UINT* dataSize) {
    constexpr DWORD KNOWN = DDS_SAVE_DX10 | DDS_SAVE_SRGB | DDS_SAVE_PREMULTIPLIED;
    if (texture == nullptr || dataSize == nullptr || (flags & ~KNOWN) != 0 ||
        ((flags & (DDS_SAVE_SRGB | DDS_SAVE_PREMULTIPLIED)) != 0 && (flags & DDS_SAVE_DX10) == 0)) {
        return D3DERR_INVALIDCALL;
    }
    SaveShape shape;
    HRESULT hr = DescribeTexture(texture, &shape);
    if (FAILED(hr)) {
        return hr;
    }
    const tovtex::DdsHeaderDesc header{shape.format,
                                       shape.shape,
                                       shape.width,
                                       shape.height,
                                       shape.depth,
                                       shape.levels,
                                       (flags & DDS_SAVE_DX10) != 0,
                                       (flags & DDS_SAVE_SRGB) != 0,
                                       (flags & DDS_SAVE_PREMULTIPLIED) != 0};
    BYTE headerBytes[tovtex::DDS_DX10_HEADER_BYTES];
    const UINT headerSize = tovtex::WriteDdsHeader(header, headerBytes);
    if (headerSize == 0) {
        return D3DERR_NOTAVAILABLE;
    }
    UINT total = 0;
    hr = FileBytes(texture, shape, headerSize, &total);
    if (FAILED(hr)) {
        return hr;
    }
    *dataSize = total;
    if (buffer == nullptr) {
        return S_OK;
    }
    if (bufferSize < total) {
        return D3DERR_MOREDATA;
    }
    auto* out = static_cast<BYTE*>(buffer);
    std::memcpy(out, headerBytes, headerSize);
    out += headerSize;
    for (UINT face = 0; face < shape.faces && SUCCEEDED(hr); ++face) {
        for (UINT level = 0; level < shape.levels && SUCCEEDED(hr); ++level) {
            hr = CopyLevel(texture, shape, face, level, &out);
        }
    }
    return hr;
}

HRESULT SaveTextureToDdsFileA(LPCSTR fileName, IDirect3DBaseTexture8* texture, DWORD flags) {
    return SaveToFile(fileName, false, texture, flags);
}

HRESULT SaveTextureToDdsFileW(LPCWSTR fileName, IDirect3DBaseTexture8* texture, DWORD flags) {
    return SaveToFile(fileName, true, texture, flags);
}
