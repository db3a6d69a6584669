// JPEG and PNG loads whose top level can take the decoded rows directly,
// against the same loads with the shortcuts off: the result code, every
// level, the image information and the palette written back must agree,
// whether the short route is taken (opaque and alpha colour into 32-bit
// levels, a default-pool texture filled through its twin, one level) or
// must step aside (grey pictures, alpha into X8R8G8B8, broken data, the
// picture's memory over the test limit).

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/tovtex_defs.h"
#include "convert/convert_testing.h"
#include "support/image_builders.h"
#include "support/test_paths.h"
#include "support/texture_device_fixture.h"
#include "texload/image_testing.h"
#include "texload/texture_loader.h"

namespace {

constexpr BYTE UNTOUCHED = 0xAB;

struct Outcome {
    HRESULT hr = E_FAIL;
    std::vector<std::vector<uint8_t>> levels;
    ImageInfo info{};
    std::vector<PALETTEENTRY> palette;
};

enum class Cut { WHOLE, HALF };

struct RouteCase {
    const char* file;  // under the public test data
    Cut cut;
    D3DFORMAT format;
    D3DPOOL pool;
    DWORD usage;
    UINT mipLevels;
    DWORD filter, mipFilter;
    uint64_t allocationLimit;  // 0: none
    HRESULT expected;
};

constexpr DWORD LIN = FILTER_LINEAR;
constexpr DWORD DEF = FILTER_DEFAULT;
constexpr D3DPOOL MANAGED = D3DPOOL_MANAGED;
constexpr D3DFORMAT ARGB = D3DFMT_A8R8G8B8;
constexpr D3DFORMAT XRGB = D3DFMT_X8R8G8B8;

constexpr RouteCase CASES[] = {
    // Taken: opaque colour, colour with alpha, interlaced, 16-bit, gamma,
    // transparency chunk, baseline and progressive JPEG.
    {"pngsuite/basn2c08.png", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    {"pngsuite/basn6a08.png", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    {"pngsuite/basi6a08.png", Cut::WHOLE, ARGB, MANAGED, 0, 0, DEF, DEF, 0, S_OK},
    {"pngsuite/basn6a16.png", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    {"pngsuite/g03n2c08.png", Cut::WHOLE, D3DFMT_UNKNOWN, MANAGED, 0, 0, DEF, DEF, 0, S_OK},
    {"pngsuite/tbrn2c08.png", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    {"jpeg/pillow/hopper.jpg", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    {"jpeg/pillow/hopper.jpg", Cut::WHOLE, D3DFMT_UNKNOWN, MANAGED, 0, 0, DEF, DEF, 0, S_OK},
    {"jpeg/pillow/hopper.jpg", Cut::WHOLE, ARGB, MANAGED, 0, 0, DEF, DEF, 0, S_OK},
    {"jpeg/jpeg-decoder/mozilla/jpg-progressive.jpg", Cut::WHOLE, XRGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    // Levels large enough to be handed on from the texture released just
    // before, still holding another picture's bytes.
    {"dds/pillow/dxt5-argb-8bbp-interpolatedalpha_MipMaps-1.png", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    {"dds/pillow/dxt1-rgb-4bbp-noalpha_MipMaps-1.png", Cut::WHOLE, ARGB, MANAGED, 0, 0, DEF, DEF, 0, S_OK},
    {"dds/pillow/dxt1-rgb-4bbp-noalpha_MipMaps-1.png", Cut::HALF, ARGB, MANAGED, 0, 0, DEF, DEF, 0, ERR_INVALIDDATA},
    // Opaque PNG into X8R8G8B8 keeps its filler byte; one level only.
    {"pngsuite/basi2c08.png", Cut::WHOLE, XRGB, MANAGED, 0, 1, LIN, LIN, 0, S_OK},
    // Through a system-memory twin.
    {"pngsuite/basn2c08.png", Cut::WHOLE, ARGB, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, 0, LIN, LIN, 0, S_OK},
    {"jpeg/pillow/hopper.jpg", Cut::WHOLE, ARGB, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, 0, DEF, DEF, 0, S_OK},
    // Not taken: grey pictures, alpha into a level without it.
    {"pngsuite/basn0g08.png", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    {"jpeg/pillow/hopper_gray.jpg", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    {"pngsuite/basn6a08.png", Cut::WHOLE, XRGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    // A sound header over broken data: a PNG cut short fails for both, a
    // JPEG cut short decodes what it holds.
    {"pngsuite/basn2c08.png", Cut::HALF, ARGB, MANAGED, 0, 0, LIN, LIN, 0, ERR_INVALIDDATA},
    {"jpeg/pillow/hopper.jpg", Cut::HALF, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    {"jpeg/pillow/truncated_jpeg.jpg", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 0, S_OK},
    // The picture's memory is over the test limit: refused on both routes.
    {"pngsuite/basn2c08.png", Cut::WHOLE, ARGB, MANAGED, 0, 0, LIN, LIN, 1024, ERR_INVALIDDATA},
};

class LoadIntoLevelTest : public TextureDeviceTest {
protected:
    void TearDown() override {
        tovtex::SetConversionShortcutsOff(false);
        tovtex::SetImageAllocationLimit(0);
        TextureDeviceTest::TearDown();
    }

    Outcome Load(const test_support::Bytes& file, const RouteCase& c, bool shortcutsOff) {
        tovtex::SetConversionShortcutsOff(shortcutsOff);
        tovtex::SetImageAllocationLimit(c.allocationLimit);
        Outcome out;
        std::memset(&out.info, UNTOUCHED, sizeof(out.info));
        out.palette.resize(256);
        std::memset(out.palette.data(), UNTOUCHED, 256 * sizeof(PALETTEENTRY));
        IDirect3DTexture8* texture = nullptr;
        out.hr = LoadTextureFromMemory(device_, file.data(), static_cast<UINT>(file.size()), 0, 0, c.mipLevels,
                                       c.usage, c.format, c.pool, c.filter, c.mipFilter, 0, &out.info,
                                       out.palette.data(), &texture);
        tovtex::SetImageAllocationLimit(0);
        tovtex::SetConversionShortcutsOff(false);
        if (texture != nullptr) {
            for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
                IDirect3DSurface8* surface = nullptr;
                if (texture->GetSurfaceLevel(level, &surface) == D3D_OK) {
                    out.levels.push_back(Bytes(surface));
                    surface->Release();
                }
            }
            texture->Release();
        }
        return out;
    }

    static std::vector<uint8_t> Bytes(IDirect3DSurface8* surface) {
        D3DSURFACE_DESC desc{};
        surface->GetDesc(&desc);
        D3DLOCKED_RECT locked{};
        if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
            ADD_FAILURE() << "level could not be locked";
            return {};
        }
        const auto* bits = static_cast<const uint8_t*>(locked.pBits);
        std::vector<uint8_t> bytes(bits, bits + desc.Size);
        surface->UnlockRect();
        return bytes;
    }
};

TEST_F(LoadIntoLevelTest, DecodingIntoTheTopLevelGivesThePlainRoutesResult) {
    ASSERT_NE(device_, nullptr);
    for (const RouteCase& c : CASES) {
        SCOPED_TRACE(std::string(c.file) + (c.cut == Cut::HALF ? " (cut)" : "") + " format " +
                     std::to_string(c.format) + " pool " + std::to_string(c.pool) + " limit " +
                     std::to_string(c.allocationLimit));
        test_support::Bytes file = test_support::ReadFileBytes(test_support::TestDataDir() + "/" + c.file);
        ASSERT_FALSE(file.empty());
        if (c.cut == Cut::HALF) {
            file.resize(file.size() / 2);
        }
        const Outcome fast = Load(file, c, false);
        const Outcome plain = Load(file, c, true);
        EXPECT_EQ(fast.hr, c.expected);
        ASSERT_EQ(fast.hr, plain.hr);
        EXPECT_EQ(std::memcmp(&fast.info, &plain.info, sizeof(ImageInfo)), 0);
        EXPECT_EQ(std::memcmp(fast.palette.data(), plain.palette.data(), 256 * sizeof(PALETTEENTRY)), 0);
        ASSERT_EQ(fast.levels.size(), plain.levels.size());
        if (c.expected == S_OK) {
            EXPECT_TRUE(c.mipLevels == 1 ? fast.levels.size() == 1 : !fast.levels.empty());
        }
        for (size_t level = 0; level < fast.levels.size(); ++level) {
            EXPECT_TRUE(fast.levels[level] == plain.levels[level]) << "level " << level << " differs";
        }
    }
}

}  // namespace
