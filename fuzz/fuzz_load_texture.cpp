// The texture front door: LoadTextureFromMemory or LoadCubeTextureFromMemory
// on the software device, with the device's profile and every argument of
// the load taken from the input, and the rest of the input as the file.
// Afterwards: a result code and nothing else (the output untouched on
// failure, no platform object left alive once the texture is released), a
// texture that fits the device and can be locked level by level, the file's
// description matching a decode of its own, and success wherever the
// request is one every device of the profile can meet.
//
// Input layout (missing bytes read as 0):
//   kind (cube, profile, size limit, formats kept, info, palette),
//   formats-kept mask (4 bytes), width (2), height (2), levels, usage and
//   pool, format, filter mode and 4 bytes, mip filter mode and 4 bytes,
//   colour key mode and 4 bytes, then the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

#include "base/tovtex_defs.h"
#include "codec/pixel_format_table.h"
#include "d3d8_testing.h"
#include "filter_choice.h"
#include "fuzz_device.h"
#include "fuzz_input.h"
#include "platform_testing.h"
#include "texload/image_limit.h"
#include "texload/image_readers.h"
#include "texload/texture_loader.h"

namespace {

constexpr UINT SIZE_LIMITS[] = {256, 64, 16, 4};
constexpr DWORD ASPECT_LIMITS[] = {0, 0, 1, 4};

struct Request {
    bool cube = false;
    bool fullProfile = true;  // every format, no aspect limit
    UINT width = 0, height = 0, levels = 0;
    DWORD usage = 0;
    D3DPOOL pool = D3DPOOL_MANAGED;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    DWORD filter = 0, mipFilter = 0;
    D3DCOLOR colorKey = 0;
    bool wantInfo = false, wantPalette = false;
};

// 0, DEFAULT_ARG, or a size up to 512 (more than any size limit).
UINT ChooseSize(uint16_t v) {
    switch (v % 4) {
    case 0: return 0;
    case 1: return DEFAULT_ARG;
    default: return 1u + (v >> 2) % 512;
    }
}

D3DFORMAT ChooseFormat(uint8_t v) {
    if (v == 0) {
        return D3DFMT_UNKNOWN;
    }
    const auto table = PixelFormats();
    if (v % 32 < table.size()) {
        return table[v % 32].format;
    }
    return v % 2 == 0 ? static_cast<D3DFORMAT>(0x32495441) : static_cast<D3DFORMAT>(80);  // unknown, depth
}

DWORD ChooseLoadFilter(uint8_t mode, uint32_t raw) {
    return mode % 16 == 15 ? DEFAULT_ARG : ChooseFilter(mode, raw);
}

// Profile from the kind byte and the mask; the device reads it at every call.
platform_testing::DeviceProfile ChooseProfile(uint8_t kind, uint32_t mask, bool* full) {
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    const DWORD pow2 = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_CUBEMAP_POW2 | D3DPTEXTURECAPS_VOLUMEMAP_POW2;
    switch ((kind >> 1) % 4) {
    case 1: profile.textureCaps |= pow2; break;
    case 2: profile.textureCaps |= pow2 | D3DPTEXTURECAPS_SQUAREONLY; break;
    default: break;
    }
    const UINT limit = SIZE_LIMITS[(kind >> 3) % 4];
    profile.maxTextureWidth = profile.maxTextureHeight = limit;
    profile.maxTextureAspectRatio = ASPECT_LIMITS[mask >> 30];
    *full = profile.maxTextureAspectRatio == 0;
    if ((kind & 0x20) != 0) {
        // Drop the table's formats whose bit is set.
        const auto table = PixelFormats();
        for (size_t i = 0; i < table.size() && i < 30; ++i) {
            if ((mask >> i & 1) != 0) {
                profile.formats[D3DRTYPE_TEXTURE].erase(table[i].format);
                profile.formats[D3DRTYPE_CUBETEXTURE].erase(table[i].format);
                *full = false;
            }
        }
    }
    return profile;
}

bool IsPowerOfTwo(UINT v) {
    return v != 0 && (v & (v - 1)) == 0;
}

// The top level fits the profile; every level locks and unlocks.
template <typename Texture>
void CheckTexture(Texture* texture, const platform_testing::DeviceProfile& profile, D3DRESOURCETYPE type,
                  D3DPOOL pool) {
    D3DSURFACE_DESC desc{};
    if (texture->GetLevelDesc(0, &desc) != D3D_OK) {
        std::abort();
    }
    const bool pow2 = (profile.textureCaps &
                       (type == D3DRTYPE_CUBETEXTURE ? D3DPTEXTURECAPS_CUBEMAP_POW2 : D3DPTEXTURECAPS_POW2)) != 0;
    const bool square = type == D3DRTYPE_CUBETEXTURE || (profile.textureCaps & D3DPTEXTURECAPS_SQUAREONLY) != 0;
    if (desc.Width == 0 || desc.Height == 0 || desc.Width > profile.maxTextureWidth ||
        desc.Height > profile.maxTextureHeight || (pow2 && (!IsPowerOfTwo(desc.Width) || !IsPowerOfTwo(desc.Height))) ||
        (square && desc.Width != desc.Height) || desc.Pool != pool) {
        std::abort();  // a texture the device should not have made
    }
    const auto formats = profile.formats.find(type);
    if (formats == profile.formats.end() || formats->second.count(desc.Format) == 0) {
        std::abort();  // a format the device does not take
    }
    if (pool == D3DPOOL_DEFAULT) {
        return;  // not lockable
    }
    const UINT faces = type == D3DRTYPE_CUBETEXTURE ? 6 : 1;
    for (UINT face = 0; face < faces; ++face) {
        for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
            IDirect3DSurface8* surface = nullptr;
            HRESULT hr;
            if constexpr (std::is_same_v<Texture, IDirect3DCubeTexture8>) {
                hr = texture->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, &surface);
            } else {
                hr = texture->GetSurfaceLevel(level, &surface);
            }
            D3DLOCKED_RECT locked{};
            if (hr != D3D_OK || surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
                std::abort();  // a level missing or left locked
            }
            surface->UnlockRect();
            surface->Release();
        }
    }
}

bool IsEasyFilter(DWORD filter) {
    return filter == DEFAULT_ARG || FilterIsValid(filter);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Large pictures would only slow the search here; the readers' own
    // targets look for files that take too much.
    SetImagePixelLimit(512 * 512);
    IDirect3DDevice8* device = FuzzDevice();

    InputReader in(data, size);
    Request r;
    const uint8_t kind = in.Byte();
    const uint32_t mask = in.Word();
    r.cube = (kind & 1) != 0;
    r.wantInfo = (kind & 0x40) != 0;
    r.wantPalette = (kind & 0x80) != 0;
    const platform_testing::DeviceProfile profile = ChooseProfile(kind, mask, &r.fullProfile);
    r.width = ChooseSize(in.Half());
    r.height = ChooseSize(in.Half());
    const uint8_t levels = in.Byte();
    r.levels = levels % 4 == 0 ? 0 : levels % 4 == 1 ? DEFAULT_ARG : (levels >> 2) % 12;
    const uint8_t usagePool = in.Byte();
    constexpr DWORD USAGES[] = {0, DEFAULT_ARG, D3DUSAGE_RENDERTARGET, D3DUSAGE_DEPTHSTENCIL};
    constexpr D3DPOOL POOLS[] = {D3DPOOL_MANAGED, D3DPOOL_DEFAULT, D3DPOOL_SYSTEMMEM, static_cast<D3DPOOL>(7)};
    r.usage = (usagePool & 0x30) == 0 ? 0 : USAGES[usagePool % 4];
    r.pool = POOLS[(usagePool >> 2) % 4];
    r.format = ChooseFormat(in.Byte());
    const uint8_t filterMode = in.Byte();
    r.filter = ChooseLoadFilter(filterMode, in.Word());
    const uint8_t mipMode = in.Byte();
    r.mipFilter = ChooseLoadFilter(mipMode, in.Word());
    const uint8_t keyMode = in.Byte();
    const uint32_t key = in.Word();
    r.colorKey = keyMode % 4 == 0 ? 0 : keyMode % 4 == 1 ? 0xFF000000u : keyMode % 4 == 2 ? 0xFFFF00FFu : key;

    if (in.RestSize() == 0 || in.RestSize() > UINT32_MAX) {
        return 0;
    }
    // A private copy, so reads past the file land outside a heap block.
    const std::vector<BYTE> file(in.Rest(), in.Rest() + in.RestSize());
    const UINT fileSize = static_cast<UINT>(file.size());

    // The decoder's own view of the file, to judge the load by.
    ImageInfo expected{};
    HRESULT decoded;
    bool sixFaces = false;
    {
        Image image;
        decoded = DecodeImageFile(&image, file.data(), fileSize, &expected);
        unsigned faces = 0;
        for (const Image* face = decoded == S_OK ? &image : nullptr; face != nullptr; face = face->nextFace) {
            ++faces;
        }
        sixFaces = faces == 6;
    }
    const bool decodes = decoded == S_OK;

    platform_testing::SetDeviceProfile(profile);
    const int liveBefore = platform_testing::LiveObjectCount();
    ImageInfo info;
    std::memset(&info, 0xAB, sizeof(info));
    const ImageInfo untouched = info;
    std::vector<PALETTEENTRY> palette(256, PALETTEENTRY{1, 2, 3, 4});
    ImageInfo* infoArg = r.wantInfo ? &info : nullptr;
    PALETTEENTRY* paletteArg = r.wantPalette ? palette.data() : nullptr;

    HRESULT hr;
    auto* const sentinel = reinterpret_cast<IDirect3DBaseTexture8*>(uintptr_t{0x5A5A5A50});
    if (r.cube) {
        IDirect3DCubeTexture8* cube = reinterpret_cast<IDirect3DCubeTexture8*>(sentinel);
        hr = LoadCubeTextureFromMemory(device, file.data(), fileSize, r.width, r.levels, r.usage, r.format, r.pool,
                                       r.filter, r.mipFilter, r.colorKey, infoArg, paletteArg, &cube);
        if (hr == S_OK) {
            CheckTexture(cube, profile, D3DRTYPE_CUBETEXTURE, r.pool);
            cube->Release();
        } else if (cube != reinterpret_cast<IDirect3DCubeTexture8*>(sentinel)) {
            std::abort();  // output written on failure
        }
    } else {
        IDirect3DTexture8* texture = reinterpret_cast<IDirect3DTexture8*>(sentinel);
        hr = LoadTextureFromMemory(device, file.data(), fileSize, r.width, r.height, r.levels, r.usage, r.format,
                                   r.pool, r.filter, r.mipFilter, r.colorKey, infoArg, paletteArg, &texture);
        if (hr == S_OK) {
            CheckTexture(texture, profile, D3DRTYPE_TEXTURE, r.pool);
            texture->Release();
        } else if (texture != reinterpret_cast<IDirect3DTexture8*>(sentinel)) {
            std::abort();
        }
    }

    if (hr != S_OK && !FAILED(hr)) {
        std::abort();  // never a positive success code
    }
    if (platform_testing::LiveObjectCount() != liveBefore) {
        std::abort();  // a surface or texture left behind
    }
    if (decodes ? (hr == ERR_INVALIDDATA || hr == ERR_IMAGETOOLARGE) : hr != decoded) {
        std::abort();  // the decoder's refusal, exactly when it refuses the file
    }
    if (r.wantInfo) {
        const bool filled = std::memcmp(&info, &untouched, sizeof(info)) != 0;
        if (filled != decodes || (decodes && std::memcmp(&info, &expected, sizeof(info)) != 0)) {
            std::abort();  // the description, exactly when the file decodes
        }
    }
    // A request any device of the profile meets must succeed: the file
    // decodes (six faces for a cube), the device takes every format, and
    // usage, pool, format and filters are ordinary ones.
    const bool plainFormat = r.format == D3DFMT_UNKNOWN || r.format == D3DFMT_A8R8G8B8 || r.format == D3DFMT_X8R8G8B8;
    const bool easy = decodes && (!r.cube || sixFaces) && r.fullProfile && (r.usage == 0 || r.usage == DEFAULT_ARG) &&
                      r.pool != static_cast<D3DPOOL>(7) && plainFormat && IsEasyFilter(r.filter) &&
                      IsEasyFilter(r.mipFilter);
    if (easy && hr != S_OK) {
        std::abort();
    }
    return 0;
}
