#include "texload/load_decoding_into_level.h"

#include <cstring>
#include <memory>
#include <new>

#include <d3d8_overwrite.h>

#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "convert/convert_testing.h"
#include "convert/mip_chain.h"
#include "convert/surface_loading.h"
#include "texload/decode_into_rows.h"
#include "texload/file_release.h"
#include "texload/image_file_info.h"
#include "texload/image_headers.h"
#include "texload/image_testing.h"
#include "texload/load_settings.h"
#include "texload/texture_fitting.h"

namespace tovtex {

namespace {

using RowsReader = HRESULT (*)(const BYTE* data, UINT size, const ImageHeader& header,
                               const RowDestination& destination);

// The reader that can write into rows, for the reader that takes the file.
RowsReader RowsReaderFor(const char* readerName) {
    if (std::strcmp(readerName, "JPEG") == 0) {
        return ReadJpegIntoRows;
    }
    if (std::strcmp(readerName, "PNG") == 0) {
        return ReadPngIntoRows;
    }
    return nullptr;
}

// A first look before the header tests: only JPEG (start-of-image marker)
// and PNG (signature) files can take this route.
bool MayBeJpegOrPng(const BYTE* data, UINT size) {
    static constexpr BYTE PNG_START[4] = {0x89, 'P', 'N', 'G'};
    return size >= 4 && ((data[0] == 0xFF && data[1] == 0xD8) || std::memcmp(data, PNG_START, 4) == 0);
}

// The picture's own memory, were it decoded: the test limit on it must
// refuse the same loads on both routes.
bool PictureFitsAllocationLimit(const ImageHeader& header) {
    const uint64_t limit = GetImageAllocationLimit();
    return limit == 0 || uint64_t{4} * header.width * header.height <= limit;
}

// Every level below the top one resampled from the top level, which decodes
// to the picture's colours exactly.
HRESULT ResampleFromTopLevel(IDirect3DTexture8* target, UINT levels, const RECT& rect, const LoadSettings& settings,
                             const PALETTEENTRY* destinationPalette) {
    ComRef<IDirect3DSurface8> top;
    HRESULT hr = target->GetSurfaceLevel(0, top.Out());
    if (FAILED(hr)) {
        return hr;
    }
    D3DSURFACE_DESC desc{};
    top->GetDesc(&desc);
    D3DLOCKED_RECT locked{};
    hr = top->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    if (FAILED(hr)) {
        return hr;
    }
    for (UINT level = 1; level < levels && SUCCEEDED(hr); ++level) {
        ComRef<IDirect3DSurface8> surface;
        hr = target->GetSurfaceLevel(level, surface.Out());
        if (SUCCEEDED(hr)) {
            hr = CopyPixelsToSurface(surface.Get(), destinationPalette, nullptr, locked.pBits, desc.Format,
                                     static_cast<UINT>(locked.Pitch), settings.palette, &rect, settings.mipFilter,
                                     settings.colorKey);
        }
    }
    top->UnlockRect();
    return hr;
}

// Decodes the file into the target's top level when that level's bytes
// would be an exact copy of the picture; false otherwise, or when the data
// is broken.
bool DecodeIntoTopLevel(IDirect3DTexture8* target, const BYTE* data, UINT dataSize, const char* readerName,
                        const ImageHeader& header) {
    ComRef<IDirect3DSurface8> top;
    if (FAILED(target->GetSurfaceLevel(0, top.Out()))) {
        return false;
    }
    D3DSURFACE_DESC desc{};
    if (FAILED(top->GetDesc(&desc)) || desc.Width != header.width || desc.Height != header.height ||
        !DecodesIntoLevelExactly(readerName, header.format, desc.Format)) {
        return false;
    }
    // The decode writes every pixel of every row and the padding past them
    // is cleared here, so the level's earlier bytes need no clearing first.
    // A texture whose decode fails is thrown away by the caller.
    D3DLOCKED_RECT locked{};
    if (FAILED(platform::LockSurfaceToOverwrite(top.Get(), &locked))) {
        return false;
    }
    const RowDestination destination{static_cast<BYTE*>(locked.pBits), static_cast<UINT>(locked.Pitch), desc.Format};
    const HRESULT hr = RowsReaderFor(readerName)(data, dataSize, header, destination);
    const size_t rowBytes = size_t{4} * desc.Width;
    if (static_cast<size_t>(locked.Pitch) > rowBytes) {
        for (UINT y = 0; y < desc.Height; ++y) {
            std::memset(destination.pixels + size_t{destination.rowPitch} * y + rowBytes, 0,
                        static_cast<size_t>(locked.Pitch) - rowBytes);
        }
    }
    top->UnlockRect();
    return SUCCEEDED(hr);
}

}  // namespace

bool DecodesIntoLevelExactly(const char* readerName, D3DFORMAT pictureFormat, D3DFORMAT levelFormat) {
    if (RowsReaderFor(readerName) == nullptr) {
        return false;
    }
    // An opaque picture's unused byte reads as full alpha; a picture with
    // alpha goes only into a level that keeps it.
    if (pictureFormat == D3DFMT_X8R8G8B8) {
        return levelFormat == D3DFMT_X8R8G8B8 || levelFormat == D3DFMT_A8R8G8B8;
    }
    return pictureFormat == D3DFMT_A8R8G8B8 && levelFormat == D3DFMT_A8R8G8B8;
}

HRESULT LoadDecodingIntoLevel(IDirect3DDevice8* device, const BYTE* data, UINT dataSize, MappedFile* file, UINT width,
                              UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD filter,
                              DWORD mipFilter, D3DCOLOR colorKey, ImageInfo* info, PALETTEENTRY* palette,
                              IDirect3DTexture8** texture, bool* taken) {
    *taken = false;
    // A colour key changes pixels, and a palette format needs the palette
    // settled before fitting: both take the ordinary route.
    if (ConversionShortcutsOff() || colorKey != 0 || format == D3DFMT_P8 || format == D3DFMT_A8P8 ||
        !MayBeJpegOrPng(data, dataSize)) {
        return S_OK;
    }
    ImageFileDescription description{};
    if (FAILED(DescribeImageFile(data, dataSize, &description)) || RowsReaderFor(description.reader) == nullptr ||
        description.faces != 1 || description.info.mipLevels != 1) {
        return S_OK;
    }
    const ImageHeader header{description.info.format, description.info.width, description.info.height, 1, 1};
    if ((header.format != D3DFMT_X8R8G8B8 && header.format != D3DFMT_A8R8G8B8) || !PictureFitsAllocationLimit(header)) {
        return S_OK;
    }
    // The picture as the settings see it: format and size, no pixels.
    Image picture;
    picture.format = header.format;
    picture.rect = RECT{0, 0, static_cast<LONG>(header.width), static_cast<LONG>(header.height)};
    if (width == 0 || width == DEFAULT_ARG) {
        width = header.width;
    }
    if (height == 0 || height == DEFAULT_ARG) {
        height = header.height;
    }
    auto settings = std::unique_ptr<LoadSettings>(new (std::nothrow) LoadSettings);
    if (!settings) {
        return S_OK;
    }
    SettleLoadSettings(picture, format, filter, mipFilter, colorKey, nullptr, settings.get());
    format = settings->format;
    if (usage == DEFAULT_ARG) {
        usage = 0;
    }
    if (FAILED(FitTexture(device, &width, &height, &mipLevels, usage, &format, pool))) {
        return S_OK;
    }
    ComRef<IDirect3DTexture8> created;
    if (FAILED(device->CreateTexture(width, height, mipLevels, usage, format, pool, created.Out()))) {
        return S_OK;
    }
    const UINT textureLevels = created->GetLevelCount();
    ComRef<IDirect3DTexture8> twin;
    IDirect3DTexture8* target = created.Get();
    if (pool == D3DPOOL_DEFAULT) {
        if (FAILED(device->CreateTexture(width, height, textureLevels, 0, format, D3DPOOL_SYSTEMMEM, twin.Out()))) {
            return S_OK;
        }
        target = twin.Get();
    }
    if (!DecodeIntoTopLevel(target, data, dataSize, description.reader, header)) {
        return S_OK;
    }

    // Decoded: from here on this is the load's result.
    *taken = true;
    CloseFileUnlessBorrowed(picture, file);
    if (info != nullptr) {
        *info = description.info;
    }
    if (palette != nullptr) {
        std::memcpy(palette, settings->palette, sizeof(settings->palette));
    }
    HRESULT hr = S_OK;
    if (settings->useMipBuilder) {
        if (textureLevels > 1) {
            hr = BuildTextureMips(target, settings->palette, 0, settings->mipFilter);
        }
    } else {
        hr = ResampleFromTopLevel(target, textureLevels, picture.rect, *settings, palette);
    }
    if (FAILED(hr)) {
        return hr;
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

}  // namespace tovtex
