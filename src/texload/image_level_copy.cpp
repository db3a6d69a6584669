#include "texload/image_level_copy.h"

#include <d3d8_overwrite.h>

#include <cstring>

#include "codec/dxt_blocks.h"
#include "codec/pixel_format_table.h"
#include "convert/convert_region.h"
#include "convert/convert_testing.h"
#include "convert/surface_loading.h"
#include "convert/surface_rules.h"

namespace {

// Formats whose codec copies same-size blocks row by row, as bytes.
bool CopiedAsBytes(D3DFORMAT format) {
    switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_L8:
    case D3DFMT_A8L8:
    case D3DFMT_A4L4:
        return true;
    default:
        return false;
    }
}

// The rows of a verbatim copy: count, bytes of each, and the source's
// distance between them.
struct ByteRows {
    UINT count;
    UINT bytes;
    UINT sourcePitch;
};

// True when the conversion engine would copy source into the whole level
// byte for byte: same format and size, no colour key, a valid filter, and
// for block formats whole blocks only.
bool VerbatimRows(const D3DSURFACE_DESC& desc, const Image& source, DWORD filter, D3DCOLOR colorKey,
                  ByteRows* rows) {
    const LONG width = source.rect.right - source.rect.left;
    const LONG height = source.rect.bottom - source.rect.top;
    if (source.pixels == nullptr || source.rect.left != 0 || source.rect.top != 0 || colorKey != 0 ||
        !IsValidFilter(filter) || desc.Format != source.format || width <= 0 || height <= 0 ||
        static_cast<UINT>(width) != desc.Width || static_cast<UINT>(height) != desc.Height) {
        return false;
    }
    if (const UINT block = DxtBlockBytes(source.format); block != 0) {
        if (desc.Width % 4 != 0 || desc.Height % 4 != 0) {
            return false;  // partial blocks are decoded and encoded again
        }
        *rows = ByteRows{desc.Height / 4, desc.Width / 4 * block, source.rowPitch};
        return true;
    }
    if (!CopiedAsBytes(source.format)) {
        return false;
    }
    const UINT pixelBytes = FindPixelFormat(source.format).bitsPerPixel / 8;
    *rows = ByteRows{desc.Height, desc.Width * pixelBytes, source.rowPitch};
    return true;
}

// Bytes of the source's level from its first byte to the end of its last
// row.
UINT SourceLevelBytes(const Image& source) {
    const LONG height = source.rect.bottom - source.rect.top;
    const auto rows = static_cast<UINT>(IsDxtFormat(source.format) ? (height + 3) / 4 : height);
    return rows * source.rowPitch;
}

// Fills every byte of the locked level: each row from the source, and the
// rest of the pitch (if any) with zeros, as a cleared level holds it.
HRESULT WriteRows(BYTE* to, UINT pitch, const Image& source, const ByteRows& rows, MappedFile* file) {
    const bool fromFile = file != nullptr && file->OnDemand();
    if (pitch == rows.bytes && rows.sourcePitch == rows.bytes) {
        const UINT total = rows.count * rows.bytes;
        if (fromFile) {
            return file->ReadBytes(source.pixels, to, total);
        }
        std::memcpy(to, source.pixels, total);
        return S_OK;
    }
    for (UINT y = 0; y < rows.count; ++y) {
        BYTE* row = to + size_t{y} * pitch;
        const BYTE* from = source.pixels + size_t{y} * rows.sourcePitch;
        if (fromFile) {
            if (HRESULT hr = file->ReadBytes(from, row, rows.bytes); FAILED(hr)) {
                return hr;
            }
        } else {
            std::memcpy(row, from, rows.bytes);
        }
        std::memset(row + rows.bytes, 0, pitch - rows.bytes);
    }
    return S_OK;
}

}  // namespace

HRESULT tovtex::CopyImageLevel(IDirect3DSurface8* surface, const PALETTEENTRY* destinationPalette,
                               const Image& source, const PALETTEENTRY* sourcePalette, DWORD filter,
                               D3DCOLOR colorKey, MappedFile* file) {
    D3DSURFACE_DESC desc{};
    ByteRows rows{};
    if (!ConversionShortcutsOff() && surface != nullptr && SUCCEEDED(surface->GetDesc(&desc)) &&
        VerbatimRows(desc, source, ResolveCopyFilter(filter, source.format), colorKey, &rows)) {
        D3DLOCKED_RECT locked{};
        HRESULT hr = platform::LockSurfaceToOverwrite(surface, &locked);
        if (FAILED(hr)) {
            return hr;
        }
        const auto pitch = static_cast<UINT>(locked.Pitch);
        if (pitch < rows.bytes) {
            surface->UnlockRect();  // not a level of this platform's layout
            return E_FAIL;
        }
        hr = WriteRows(static_cast<BYTE*>(locked.pBits), pitch, source, rows, file);
        if (FAILED(hr)) {
            // Nothing of an earlier texture may show through a failed read.
            std::memset(locked.pBits, 0, size_t{pitch} * rows.count);
        }
        surface->UnlockRect();
        return hr;
    }
    if (file != nullptr && source.pixels != nullptr) {
        if (HRESULT hr = file->Need(source.pixels, SourceLevelBytes(source)); FAILED(hr)) {
            return hr;
        }
    }
    return CopyPixelsToSurface(surface, destinationPalette, nullptr, source.pixels, source.format, source.rowPitch,
                               sourcePalette, &source.rect, filter, colorKey);
}
