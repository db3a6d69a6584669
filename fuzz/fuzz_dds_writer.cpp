// The tool's DDS writer read back through the library's DDS reader: a
// texture or cube texture of a format, size and level count taken from the
// input is filled with the input's bytes, written with TextureToDds or
// CubeTextureToDds, and read with ReadDds. The file must hold exactly the
// header and the packed levels, and the reader must give back the same
// format, faces, level sizes and bytes; a format without a DDS layout is
// refused with D3DERR_NOTAVAILABLE.
//
// Input layout (missing bytes read as 0):
//   format, width, height, levels, cube and pool, then the pixel bytes
//   (repeated when short).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "dds_writer.h"
#include "fuzz_device.h"
#include "fuzz_input.h"
#include "image_checks.h"
#include "texload/image_readers.h"

namespace {

constexpr D3DFORMAT WRITABLE[] = {
    D3DFMT_DXT1,     D3DFMT_DXT2,   D3DFMT_DXT3,     D3DFMT_DXT4,     D3DFMT_DXT5,     D3DFMT_A8R8G8B8,
    D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4,
};
// Formats the device has but the writer does not.
constexpr D3DFORMAT NOT_WRITABLE[] = {D3DFMT_L8, D3DFMT_A8L8, D3DFMT_P8, D3DFMT_R8G8B8, D3DFMT_V8U8};

// The bytes of one packed level: what the file must hold for it.
using Level = std::vector<BYTE>;

// Fills a level's stored rows from the input bytes (cycled) and returns
// them packed. A format the writer does not take is left as it is.
Level FillSurface(IDirect3DSurface8* surface, const uint8_t* bytes, size_t count, size_t* next) {
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    if (surface->GetDesc(&desc) != D3D_OK) {
        std::abort();
    }
    if (!tovtex_tool::IsDdsWritable(desc.Format)) {
        return {};
    }
    if (surface->LockRect(&locked, nullptr, 0) != D3D_OK) {
        std::abort();
    }
    const uint64_t rowBytes = tovtex_tool::DdsRowBytes(desc.Format, desc.Width);
    const uint64_t rows = tovtex_tool::DdsRowCount(desc.Format, desc.Height);
    Level packed;
    packed.reserve(static_cast<size_t>(rowBytes * rows));
    for (uint64_t y = 0; y < rows; ++y) {
        BYTE* row = static_cast<BYTE*>(locked.pBits) + y * static_cast<uint64_t>(locked.Pitch);
        for (uint64_t x = 0; x < rowBytes; ++x) {
            row[x] = count == 0 ? static_cast<BYTE>(x + y) : bytes[(*next)++ % count];
            packed.push_back(row[x]);
        }
    }
    surface->UnlockRect();
    return packed;
}

void CheckLevel(const Image& image, D3DFORMAT format, UINT width, UINT height, const Level& expected) {
    const uint64_t rowBytes = tovtex_tool::DdsRowBytes(format, width);
    const uint64_t rows = tovtex_tool::DdsRowCount(format, height);
    if (image.format != format || image.rect.right != static_cast<LONG>(width) ||
        image.rect.bottom != static_cast<LONG>(height) || image.rowPitch != rowBytes) {
        std::abort();
    }
    for (uint64_t y = 0; y < rows; ++y) {
        if (std::memcmp(image.pixels + y * image.rowPitch, expected.data() + y * rowBytes, rowBytes) != 0) {
            std::abort();  // not the bytes written
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IDirect3DDevice8* device = FuzzDevice();
    InputReader in(data, size);
    const uint8_t formatChoice = in.Byte();
    const D3DFORMAT format = formatChoice % 16 == 15 ? NOT_WRITABLE[(formatChoice >> 4) % std::size(NOT_WRITABLE)]
                                                     : WRITABLE[formatChoice % std::size(WRITABLE)];
    const UINT width = 1u + in.Byte() % 40;
    const UINT height = 1u + in.Byte() % 40;
    const UINT levels = in.Byte() % 10;  // 0: the full chain
    const uint8_t flags = in.Byte();
    const bool cube = (flags & 1) != 0;
    const D3DPOOL pool = (flags & 2) != 0 ? D3DPOOL_SYSTEMMEM : D3DPOOL_MANAGED;
    const uint8_t* bytes = in.Rest();
    const size_t count = in.RestSize();
    size_t next = 0;

    // Each face's levels, packed, in file order.
    std::vector<std::vector<Level>> faces;
    std::vector<BYTE> file;
    HRESULT hr;
    UINT levelCount = 0;
    if (cube) {
        IDirect3DCubeTexture8* texture = nullptr;
        if (device->CreateCubeTexture(width, levels, 0, format, pool, &texture) != D3D_OK) {
            return 0;  // a size or level count the device does not take
        }
        levelCount = texture->GetLevelCount();
        for (UINT face = 0; face < 6; ++face) {
            faces.emplace_back();
            for (UINT level = 0; level < levelCount; ++level) {
                IDirect3DSurface8* surface = nullptr;
                if (texture->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, &surface) != D3D_OK) {
                    std::abort();
                }
                faces.back().push_back(FillSurface(surface, bytes, count, &next));
                surface->Release();
            }
        }
        hr = tovtex_tool::CubeTextureToDds(texture, &file);
        texture->Release();
    } else {
        IDirect3DTexture8* texture = nullptr;
        if (device->CreateTexture(width, height, levels, 0, format, pool, &texture) != D3D_OK) {
            return 0;
        }
        levelCount = texture->GetLevelCount();
        faces.emplace_back();
        for (UINT level = 0; level < levelCount; ++level) {
            IDirect3DSurface8* surface = nullptr;
            if (texture->GetSurfaceLevel(level, &surface) != D3D_OK) {
                std::abort();
            }
            faces.back().push_back(FillSurface(surface, bytes, count, &next));
            surface->Release();
        }
        hr = tovtex_tool::TextureToDds(texture, &file);
        texture->Release();
    }

    if (!tovtex_tool::IsDdsWritable(format)) {
        if (hr != D3DERR_NOTAVAILABLE) {
            std::abort();
        }
        return 0;
    }
    if (hr != S_OK) {
        std::abort();
    }
    size_t expectedSize = 128;
    for (const auto& face : faces) {
        for (const Level& level : face) {
            expectedSize += level.size();
        }
    }
    if (file.size() != expectedSize) {
        std::abort();  // header and packed levels, nothing more or less
    }

    Image image;
    if (ReadDds(&image, file.data(), static_cast<UINT>(file.size())) != S_OK) {
        std::abort();  // the reader refuses what the writer wrote
    }
    volatile unsigned sink = WalkImageTree(image);
    (void)sink;
    const UINT topHeight = cube ? width : height;
    const Image* faceImage = &image;
    for (const auto& face : faces) {
        if (faceImage == nullptr) {
            std::abort();  // a face lost
        }
        const Image* levelImage = faceImage;
        UINT w = width, h = topHeight;
        for (const Level& level : face) {
            if (levelImage == nullptr) {
                std::abort();  // a level lost
            }
            CheckLevel(*levelImage, format, w, h, level);
            levelImage = levelImage->nextLevel;
            w = w > 1 ? w / 2 : 1;
            h = h > 1 ? h / 2 : 1;
        }
        if (levelImage != nullptr) {
            std::abort();  // a level too many
        }
        faceImage = faceImage->nextFace;
    }
    if (faceImage != nullptr) {
        std::abort();  // a face too many
    }
    return 0;
}
