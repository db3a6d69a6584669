// Saving textures as DDS: every format a DDS header describes, in plain,
// cube and volume textures, byte for byte, with the standard descriptions;
// the library's reader takes back what it reads.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/test_paths.h"
#include "support/texture_device_fixture.h"
#include "texload/dds_layout.h"
#include "tovtex.h"

namespace {

DWORD At(const std::vector<BYTE>& file, size_t offset) {
    return DWORD{file[offset]} | DWORD{file[offset + 1]} << 8 | DWORD{file[offset + 2]} << 16 |
           DWORD{file[offset + 3]} << 24;
}

struct FormatCase {
    D3DFORMAT format;
    DWORD flags, fourCC, bits, red, green, blue, alpha;  // classic pixel format
    DWORD dxgi, dxgiSrgb;                                // 0: refused
    bool readBack;                                       // the library's reader takes it
};

constexpr DWORD F_DXT1 = MAKEFOURCC('D', 'X', 'T', '1'), F_DXT2 = MAKEFOURCC('D', 'X', 'T', '2'),
                F_DXT3 = MAKEFOURCC('D', 'X', 'T', '3'), F_DXT4 = MAKEFOURCC('D', 'X', 'T', '4'),
                F_DXT5 = MAKEFOURCC('D', 'X', 'T', '5'), F_UYVY = MAKEFOURCC('U', 'Y', 'V', 'Y'),
                F_YUY2 = MAKEFOURCC('Y', 'U', 'Y', '2');

const FormatCase FORMATS[] = {
    // clang-format off
    {D3DFMT_A8R8G8B8, 0x41,    0,      32, 0xFF0000, 0xFF00,     0xFF,     0xFF000000, 87,  91, true},
    {D3DFMT_X8R8G8B8, 0x40,    0,      32, 0xFF0000, 0xFF00,     0xFF,     0,          88,  93, true},
    {D3DFMT_R8G8B8,   0x40,    0,      24, 0xFF0000, 0xFF00,     0xFF,     0,          0,   0,  false},
    {D3DFMT_R5G6B5,   0x40,    0,      16, 0xF800,   0x7E0,      0x1F,     0,          85,  0,  true},
    {D3DFMT_X1R5G5B5, 0x40,    0,      16, 0x7C00,   0x3E0,      0x1F,     0,          0,   0,  true},
    {D3DFMT_A1R5G5B5, 0x41,    0,      16, 0x7C00,   0x3E0,      0x1F,     0x8000,     86,  0,  true},
    {D3DFMT_A4R4G4B4, 0x41,    0,      16, 0xF00,    0xF0,       0xF,      0xF000,     115, 0,  true},
    {D3DFMT_R3G3B2,   0x40,    0,       8, 0xE0,     0x1C,       0x3,      0,          0,   0,  false},
    {D3DFMT_A8,       0x2,     0,       8, 0,        0,          0,        0xFF,       65,  0,  false},
    {D3DFMT_A8R3G3B2, 0x41,    0,      16, 0xE0,     0x1C,       0x3,      0xFF00,     0,   0,  false},
    {D3DFMT_X4R4G4B4, 0x40,    0,      16, 0xF00,    0xF0,       0xF,      0,          0,   0,  false},
    {D3DFMT_L8,       0x20000, 0,       8, 0xFF,     0,          0,        0,          0,   0,  false},
    {D3DFMT_A8L8,     0x20001, 0,      16, 0xFF,     0,          0,        0xFF00,     0,   0,  false},
    {D3DFMT_A4L4,     0x20001, 0,       8, 0xF,      0,          0,        0xF0,       0,   0,  false},
    {D3DFMT_V8U8,     0x80000, 0,      16, 0xFF,     0xFF00,     0,        0,          51,  0,  false},
    {D3DFMT_L6V5U5,   0x40000, 0,      16, 0x1F,     0x3E0,      0xFC00,   0,          0,   0,  false},
    {D3DFMT_X8L8V8U8, 0x40000, 0,      32, 0xFF,     0xFF00,     0xFF0000, 0,          0,   0,  false},
    {D3DFMT_Q8W8V8U8, 0x80000, 0,      32, 0xFF,     0xFF00,     0xFF0000, 0xFF000000, 31,  0,  false},
    {D3DFMT_V16U16,   0x80000, 0,      32, 0xFFFF,   0xFFFF0000, 0,        0,          37,  0,  false},
    {D3DFMT_UYVY,     0x4,     F_UYVY,  0, 0,        0,          0,        0,          0,   0,  false},
    {D3DFMT_YUY2,     0x4,     F_YUY2,  0, 0,        0,          0,        0,          107, 0,  false},
    {D3DFMT_DXT1,     0x4,     F_DXT1,  0, 0,        0,          0,        0,          71,  72, true},
    {D3DFMT_DXT2,     0x4,     F_DXT2,  0, 0,        0,          0,        0,          74,  75, true},
    {D3DFMT_DXT3,     0x4,     F_DXT3,  0, 0,        0,          0,        0,          74,  75, true},
    {D3DFMT_DXT4,     0x4,     F_DXT4,  0, 0,        0,          0,        0,          77,  78, true},
    {D3DFMT_DXT5,     0x4,     F_DXT5,  0, 0,        0,          0,        0,          77,  78, true},
    // clang-format on
};

enum class Kind { TEXTURE, CUBE, VOLUME };

struct ShapeCase {
    Kind kind;
    UINT width, height, depth, levels;
};

// Odd sizes (partial blocks and pixel pairs, a short side reaching 1
// first), a cube with mips, a volume with mips.
const ShapeCase SHAPES[] = {
    {Kind::TEXTURE, 6, 3, 1, 3}, {Kind::TEXTURE, 8, 8, 1, 1}, {Kind::CUBE, 4, 4, 1, 2}, {Kind::VOLUME, 4, 2, 3, 2}};

class DdsSaveTest : public TextureDeviceTest {
protected:
    // A new texture of the shape with random bytes in every level; the
    // packed bytes, face after face and level after level, in *packed.
    IDirect3DBaseTexture8* Filled(const ShapeCase& shape, D3DFORMAT format, std::vector<BYTE>* packed) {
        IDirect3DBaseTexture8* texture = nullptr;
        HRESULT hr = E_FAIL;
        switch (shape.kind) {
        case Kind::TEXTURE: {
            IDirect3DTexture8* t = nullptr;
            hr = device_->CreateTexture(shape.width, shape.height, shape.levels, 0, format, D3DPOOL_MANAGED, &t);
            texture = t;
            break;
        }
        case Kind::CUBE: {
            IDirect3DCubeTexture8* t = nullptr;
            hr = device_->CreateCubeTexture(shape.width, shape.levels, 0, format, D3DPOOL_MANAGED, &t);
            texture = t;
            break;
        }
        case Kind::VOLUME: {
            IDirect3DVolumeTexture8* t = nullptr;
            hr = device_->CreateVolumeTexture(shape.width, shape.height, shape.depth, shape.levels, 0, format,
                                              D3DPOOL_MANAGED, &t);
            texture = t;
            break;
        }
        }
        if (FAILED(hr)) {
            return nullptr;
        }
        std::mt19937 random(format);
        const UINT faces = shape.kind == Kind::CUBE ? 6 : 1;
        for (UINT face = 0; face < faces; ++face) {
            for (UINT level = 0; level < shape.levels; ++level) {
                const UINT w = std::max(shape.width >> level, 1u), h = std::max(shape.height >> level, 1u);
                const UINT d = shape.kind == Kind::VOLUME ? std::max(shape.depth >> level, 1u) : 1;
                const auto rowBytes = static_cast<UINT>(tovtex::DdsRowBytes(format, w));
                const auto rows = static_cast<UINT>(tovtex::DdsRowCount(format, h));
                BYTE* bits = nullptr;
                UINT pitch = 0, slicePitch = 0;
                D3DLOCKED_RECT rect{};
                D3DLOCKED_BOX box{};
                if (shape.kind == Kind::VOLUME) {
                    EXPECT_EQ(static_cast<IDirect3DVolumeTexture8*>(texture)->LockBox(level, &box, nullptr, 0), S_OK);
                    bits = static_cast<BYTE*>(box.pBits);
                    pitch = static_cast<UINT>(box.RowPitch);
                    slicePitch = static_cast<UINT>(box.SlicePitch);
                } else if (shape.kind == Kind::CUBE) {
                    EXPECT_EQ(static_cast<IDirect3DCubeTexture8*>(texture)->LockRect(
                                  static_cast<D3DCUBEMAP_FACES>(face), level, &rect, nullptr, 0),
                              S_OK);
                    bits = static_cast<BYTE*>(rect.pBits);
                    pitch = static_cast<UINT>(rect.Pitch);
                } else {
                    EXPECT_EQ(static_cast<IDirect3DTexture8*>(texture)->LockRect(level, &rect, nullptr, 0), S_OK);
                    bits = static_cast<BYTE*>(rect.pBits);
                    pitch = static_cast<UINT>(rect.Pitch);
                }
                if (bits == nullptr) {
                    texture->Release();
                    return nullptr;
                }
                for (UINT z = 0; z < d; ++z) {
                    for (UINT y = 0; y < rows; ++y) {
                        BYTE* row = bits + size_t{z} * slicePitch + size_t{y} * pitch;
                        for (UINT x = 0; x < rowBytes; ++x) {
                            row[x] = static_cast<BYTE>(random());
                            packed->push_back(row[x]);
                        }
                    }
                }
                if (shape.kind == Kind::VOLUME) {
                    static_cast<IDirect3DVolumeTexture8*>(texture)->UnlockBox(level);
                } else if (shape.kind == Kind::CUBE) {
                    static_cast<IDirect3DCubeTexture8*>(texture)->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face),
                                                                             level);
                } else {
                    static_cast<IDirect3DTexture8*>(texture)->UnlockRect(level);
                }
            }
        }
        return texture;
    }

    static HRESULT Save(IDirect3DBaseTexture8* texture, DWORD flags, std::vector<BYTE>* file) {
        UINT size = 0;
        HRESULT hr = SaveTextureToDdsInMemory(texture, flags, nullptr, 0, &size);
        if (FAILED(hr)) {
            return hr;
        }
        file->assign(size, 0xCD);
        return SaveTextureToDdsInMemory(texture, flags, file->data(), size, &size);
    }
};

TEST_F(DdsSaveTest, EveryFormatAndShapeIsSavedWithItsStandardDescription) {
    for (const FormatCase& f : FORMATS) {
        for (const ShapeCase& shape : SHAPES) {
            SCOPED_TRACE(testing::Message() << "format " << f.format << ", shape " << static_cast<int>(shape.kind)
                                            << " " << shape.width << "x" << shape.height << "x" << shape.depth);
            std::vector<BYTE> packed;
            IDirect3DBaseTexture8* texture = Filled(shape, f.format, &packed);
            if (texture == nullptr) {
                // The software device keeps DXT and YUV out of volumes, as
                // Direct3D 8 hardware did.
                EXPECT_TRUE(shape.kind == Kind::VOLUME || f.fourCC == F_UYVY || f.fourCC == F_YUY2);
                continue;
            }
            std::vector<BYTE> file;
            ASSERT_EQ(Save(texture, 0, &file), S_OK);
            ASSERT_EQ(file.size(), 128 + packed.size());
            EXPECT_TRUE(std::equal(packed.begin(), packed.end(), file.begin() + 128));
            EXPECT_EQ(At(file, 0), MAKEFOURCC('D', 'D', 'S', ' '));
            EXPECT_EQ(At(file, 12), shape.height);
            EXPECT_EQ(At(file, 16), shape.width);
            EXPECT_EQ(At(file, 24), shape.kind == Kind::VOLUME ? shape.depth : 0);
            EXPECT_EQ(At(file, 28), shape.levels > 1 ? shape.levels : 0);
            const DWORD pf[] = {f.flags, f.fourCC, f.bits, f.red, f.green, f.blue, f.alpha};
            for (size_t i = 0; i < std::size(pf); ++i) {
                EXPECT_EQ(At(file, 80 + 4 * i), pf[i]) << "pixel-format field " << i;
            }
            EXPECT_EQ(At(file, 112), shape.kind == Kind::CUBE ? 0xFE00u : shape.kind == Kind::VOLUME ? 0x200000u : 0);
            EXPECT_EQ(At(file, 8) & 0x800000u, shape.kind == Kind::VOLUME ? 0x800000u : 0);

            if (f.readBack && shape.kind != Kind::VOLUME) {
                Image image;
                ASSERT_EQ(ReadDds(&image, file.data(), static_cast<UINT>(file.size())), S_OK);
                EXPECT_EQ(image.FaceCount(), shape.kind == Kind::CUBE ? 6u : 1u);
                EXPECT_EQ(image.LevelCount(), shape.levels);
                EXPECT_EQ(image.format, f.format);
                // The reader's last level ends where the file ends.
                const Image* last = &image;
                while (last->nextFace != nullptr) last = last->nextFace;
                while (last->nextLevel != nullptr) last = last->nextLevel;
                const UINT lastRows = static_cast<UINT>(tovtex::DdsRowCount(f.format, last->rect.bottom));
                EXPECT_EQ(last->pixels + size_t{last->rowPitch} * lastRows, file.data() + file.size());
            }

            // The DX10 form: the DXGI code, or a refusal when there is none.
            std::vector<BYTE> dx10;
            const HRESULT plain = Save(texture, DDS_SAVE_DX10, &dx10);
            const HRESULT srgb = Save(texture, DDS_SAVE_DX10 | DDS_SAVE_SRGB, &dx10);
            EXPECT_EQ(srgb, f.dxgiSrgb != 0 ? S_OK : D3DERR_NOTAVAILABLE);
            if (srgb == S_OK) {
                EXPECT_EQ(At(dx10, 128), f.dxgiSrgb);
            }
            ASSERT_EQ(plain, f.dxgi != 0 ? S_OK : D3DERR_NOTAVAILABLE);
            if (plain == S_OK) {
                Save(texture, DDS_SAVE_DX10, &dx10);
                ASSERT_EQ(dx10.size(), 148 + packed.size());
                EXPECT_TRUE(std::equal(packed.begin(), packed.end(), dx10.begin() + 148));
                EXPECT_EQ(At(dx10, 80), 0x4u);
                EXPECT_EQ(At(dx10, 84), MAKEFOURCC('D', 'X', '1', '0'));
                EXPECT_EQ(At(dx10, 128), f.dxgi);
                EXPECT_EQ(At(dx10, 132), shape.kind == Kind::VOLUME ? 4u : 3u);
                EXPECT_EQ(At(dx10, 136), shape.kind == Kind::CUBE ? 4u : 0u);
                EXPECT_EQ(At(dx10, 140), 1u);
                EXPECT_EQ(At(dx10, 144), f.fourCC == F_DXT2 || f.fourCC == F_DXT4 ? 2u : 0u);
            }
            texture->Release();
        }
    }
}

TEST_F(DdsSaveTest, BadArgumentsSmallBuffersAndFiles) {
    std::vector<BYTE> packed;
    IDirect3DBaseTexture8* texture = Filled(SHAPES[0], D3DFMT_A8R8G8B8, &packed);
    ASSERT_NE(texture, nullptr);
    UINT size = 0;
    struct Case {
        IDirect3DBaseTexture8* texture;
        DWORD flags;
        UINT* size;
    };
    const Case bad[] = {{nullptr, 0, &size},
                        {texture, 0, nullptr},
                        {texture, 0x100, &size},
                        {texture, DDS_SAVE_SRGB, &size},
                        {texture, DDS_SAVE_PREMULTIPLIED, &size}};
    for (const Case& c : bad) {
        EXPECT_EQ(SaveTextureToDdsInMemory(c.texture, c.flags, nullptr, 0, c.size), D3DERR_INVALIDCALL) << c.flags;
    }
    ASSERT_EQ(SaveTextureToDdsInMemory(texture, 0, nullptr, 0, &size), S_OK);
    EXPECT_EQ(size, 128 + packed.size());
    std::vector<BYTE> small(size - 1, 0xCD);
    UINT needed = 0;
    EXPECT_EQ(SaveTextureToDdsInMemory(texture, 0, small.data(), size - 1, &needed), D3DERR_MOREDATA);
    EXPECT_EQ(needed, size);
    EXPECT_EQ(small, std::vector<BYTE>(size - 1, 0xCD));
    std::vector<BYTE> memory;
    ASSERT_EQ(Save(texture, DDS_SAVE_DX10 | DDS_SAVE_PREMULTIPLIED, &memory), S_OK);
    EXPECT_EQ(At(memory, 144), 2u);
    ASSERT_EQ(Save(texture, 0, &memory), S_OK);

    // The file forms write the same bytes; a missing folder gives a system
    // error.
    const std::string dir = test_support::MakeTempDir();
    const std::string path = dir + "/saved.dds";
    ASSERT_EQ(SaveTextureToDdsFileA(path.c_str(), texture, 0), S_OK);
    std::ifstream in(path, std::ios::binary);
    const std::vector<BYTE> onDisk((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(onDisk, memory);
    const std::u16string wide = u"/nonexistent-folder-for-dds/out.dds";
    const HRESULT missing = SaveTextureToDdsFileW(reinterpret_cast<LPCWSTR>(wide.c_str()), texture, 0);
    EXPECT_EQ(static_cast<DWORD>(missing) & 0xFFFF0000u, 0x80070000u) << std::hex << missing;
    EXPECT_EQ(SaveTextureToDdsFileA(nullptr, texture, 0), D3DERR_INVALIDCALL);
    texture->Release();
}

}  // namespace
