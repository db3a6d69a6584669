// Copies into texture levels: rectangle checks, whole-level locking for the
// block formats, filter defaults, byte copies, colour keys, and the file,
// resource and volume forms.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "codec/create_pixel_codec.h"
#include "convert/surface_loading.h"
#include "support/image_builders.h"
#include "support/test_paths.h"
#include "support/texture_device_fixture.h"

namespace {

using test_support::Bytes;

class SurfaceCopyTest : public TextureDeviceTest {
protected:
    bool Locked(IDirect3DSurface8* surface) {
        D3DLOCKED_RECT locked{};
        if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
            return true;
        }
        surface->UnlockRect();
        return false;
    }
};

std::vector<uint32_t> Pattern(UINT width, UINT height) {
    std::vector<uint32_t> pixels(size_t{width} * height);
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            pixels[size_t{y} * width + x] = 0x80000000u | (x * 7 % 256) << 16 | (y * 13 % 256) << 8 | ((x + y) % 256);
        }
    }
    return pixels;
}

TEST_F(SurfaceCopyTest, RectanglesOutOfRangeAreRefusedWithoutLocking) {
    ComRef<IDirect3DSurface8> surface;
    *surface.Out() = NewSurface(16, 8, D3DFMT_A8R8G8B8);
    WritePixels(surface.Get(), [](UINT, UINT) { return 0x12345678u; });
    const std::vector<uint32_t> source = Pattern(16, 8);
    const RECT whole{0, 0, 16, 8};
    const RECT bad[] = {
        {0, 0, 17, 8},   // one past the right edge
        {0, 0, 16, 9},   // one past the bottom
        {5, 0, 4, 8},    // left beyond right
        {0, 5, 16, 4},   // top below bottom
        {-1, 0, 16, 8},  // negative left
        {0, -1, 16, 8},  // negative top
        {0, 0, -1, 8},   // negative right: huge as an unsigned width
    };
    for (const RECT& rect : bad) {
        EXPECT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, &rect, source.data(), D3DFMT_A8R8G8B8, 64, nullptr,
                                      &whole, FILTER_POINT, 0),
                  D3DERR_INVALIDCALL)
            << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
        EXPECT_FALSE(Locked(surface.Get()));
    }
    // A reversed source rectangle would make the engine read backwards.
    const RECT reversed{8, 0, 0, 8};
    EXPECT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, 64, nullptr,
                                  &reversed, FILTER_POINT, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(CopyPixelsToSurface(nullptr, nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, 64, nullptr, &whole,
                                  FILTER_POINT, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, nullptr, nullptr, D3DFMT_A8R8G8B8, 64, nullptr, &whole,
                                  FILTER_POINT, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, 64, nullptr, nullptr,
                                  FILTER_POINT, 0),
              D3DERR_INVALIDCALL);
    for (uint32_t pixel : ReadPixels(surface.Get())) {
        ASSERT_EQ(pixel, 0x12345678u);
    }
}

TEST_F(SurfaceCopyTest, NullRectangleFillsTheWholeSurfaceAndSubRectanglesOnlyTheirPart) {
    ComRef<IDirect3DSurface8> surface;
    *surface.Out() = NewSurface(256, 256, D3DFMT_A8R8G8B8);
    const std::vector<uint32_t> source = Pattern(256, 256);
    const RECT whole{0, 0, 256, 256};
    ASSERT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, nullptr, source.data(), D3DFMT_A8R8G8B8, 1024, nullptr,
                                  &whole, FILTER_NONE, 0),
              S_OK);
    EXPECT_EQ(ReadPixels(surface.Get()), source);

    // A part of the source into a part of the surface: the locked part is
    // addressed from its own corner.
    WritePixels(surface.Get(), [](UINT, UINT) { return 0u; });
    const RECT to{100, 50, 110, 53};
    const RECT from{3, 4, 13, 7};
    ASSERT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, &to, source.data(), D3DFMT_A8R8G8B8, 1024, nullptr, &from,
                                  FILTER_NONE, 0),
              S_OK);
    const std::vector<uint32_t> result = ReadPixels(surface.Get());
    for (UINT y = 0; y < 256; ++y) {
        for (UINT x = 0; x < 256; ++x) {
            const bool inside = x >= 100 && x < 110 && y >= 50 && y < 53;
            const uint32_t expected = inside ? source[size_t{y - 46} * 256 + (x - 97)] : 0u;
            ASSERT_EQ(result[size_t{y} * 256 + x], expected) << x << "," << y;
        }
    }
}

// FILTER_DEFAULT is chosen from the source format: the same bytes as the
// named choice, and different bytes from the other one.
TEST_F(SurfaceCopyTest, DefaultFilterFollowsTheSourceFormat) {
    struct Case {
        D3DFORMAT sourceFormat;
        D3DFORMAT destinationFormat;
        DWORD expected;
        DWORD other;
    };
    const Case cases[] = {
        {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5, FILTER_TRIANGLE | FILTER_DITHER, FILTER_POINT | FILTER_DITHER},
        {D3DFMT_V8U8, D3DFMT_V8U8, FILTER_POINT | FILTER_DITHER, FILTER_NONE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sourceFormat);
        // A noisy 12 x 10 block halved to 6 x 5, so that filters and dithering
        // leave traces (signed samples are resampled by point sampling only).
        std::vector<uint8_t> source(12 * 10 * 4);
        for (size_t i = 0; i < source.size(); ++i) {
            source[i] = static_cast<uint8_t>((i * 37 + i / 5 * 11) & 0x7F);
        }
        const UINT bytesPerPixel = c.sourceFormat == D3DFMT_V8U8 ? 2 : 4;
        const RECT rect{0, 0, 12, 10};
        auto copy = [&](DWORD filter) {
            ComRef<IDirect3DSurface8> surface;
            *surface.Out() = NewSurface(6, 5, c.destinationFormat);
            EXPECT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, nullptr, source.data(), c.sourceFormat,
                                          12 * bytesPerPixel, nullptr, &rect, filter, 0),
                      S_OK)
                << std::hex << filter;
            return ReadBytes(surface.Get(), 6 * 2, 5);
        };
        const auto byDefault = copy(FILTER_DEFAULT);
        EXPECT_EQ(byDefault, copy(c.expected));
        EXPECT_NE(byDefault, copy(c.other));
    }
}

TEST_F(SurfaceCopyTest, BlockFormatsAreLockedWholeAndAddressedFromTheFirstByte) {
    PixelRegion probe{};
    probe.format = D3DFMT_DXT1;
    probe.box = PixelBox{0, 0, 4, 4, 0, 1};
    probe.surfaceBox = SurfaceExtent{0, 0, 4, 4, 0, 1};
    uint8_t block[8] = {};
    probe.pixels = block;
    probe.rowPitch = 8;
    PixelCodec* codec = CreatePixelCodec(probe);
    ASSERT_NE(codec, nullptr) << "no DXT1 codec";
    delete codec;

    ComRef<IDirect3DSurface8> surface;
    *surface.Out() = NewSurface(32, 32, D3DFMT_DXT1);
    const std::vector<uint32_t> white(8 * 8, 0xFFFFFFFFu);
    const RECT from{0, 0, 8, 8};
    const RECT to{8, 8, 16, 16};
    ASSERT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, &to, white.data(), D3DFMT_A8R8G8B8, 32, nullptr, &from,
                                  FILTER_NONE, 0),
              S_OK);
    // 8 blocks of 8 bytes a block row.
    const std::vector<uint8_t> bytes = ReadBytes(surface.Get(), 64, 8);
    for (UINT blockRow = 0; blockRow < 8; ++blockRow) {
        for (UINT blockColumn = 0; blockColumn < 8; ++blockColumn) {
            const bool written = blockRow >= 2 && blockRow < 4 && blockColumn >= 2 && blockColumn < 4;
            bool zero = true;
            for (UINT i = 0; i < 8; ++i) {
                zero = zero && bytes[blockRow * 64 + blockColumn * 8 + i] == 0;
            }
            EXPECT_EQ(!zero, written) << "block " << blockColumn << "," << blockRow;
        }
    }
    EXPECT_FALSE(Locked(surface.Get()));
}

TEST_F(SurfaceCopyTest, SurfaceToSurfaceOfTheSameFormatAndSizeIsAByteCopy) {
    ComRef<IDirect3DSurface8> from;
    ComRef<IDirect3DSurface8> to;
    *from.Out() = NewSurface(33, 17, D3DFMT_A8R8G8B8);
    *to.Out() = NewSurface(33, 17, D3DFMT_A8R8G8B8);
    // Alpha and colour bytes a filter or codec would round or premultiply.
    WritePixels(from.Get(), [](UINT x, UINT y) { return (x * 0x01030507u) ^ (y * 0x0B0D1113u); });
    ASSERT_EQ(CopySurfaceToSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, nullptr, FILTER_TRIANGLE, 0), S_OK);
    EXPECT_EQ(ReadPixels(to.Get()), ReadPixels(from.Get()));
    EXPECT_FALSE(Locked(from.Get()));

    const RECT outside{0, 0, 34, 17};
    EXPECT_EQ(CopySurfaceToSurface(to.Get(), nullptr, nullptr, from.Get(), nullptr, &outside, FILTER_POINT, 0),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(CopySurfaceToSurface(to.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, FILTER_POINT, 0),
              D3DERR_INVALIDCALL);

    // A source rectangle is taken from its own corner of the source.
    const RECT part{10, 5, 12, 6};
    const RECT spot{0, 0, 2, 1};
    ASSERT_EQ(CopySurfaceToSurface(to.Get(), nullptr, &spot, from.Get(), nullptr, &part, FILTER_NONE, 0), S_OK);
    const std::vector<uint32_t> source = ReadPixels(from.Get());
    const std::vector<uint32_t> result = ReadPixels(to.Get());
    EXPECT_EQ(result[0], source[5 * 33 + 10]);
    EXPECT_EQ(result[1], source[5 * 33 + 11]);
}

TEST_F(SurfaceCopyTest, ColourKeyMakesMatchingSourcePixelsTransparentBlack) {
    ComRef<IDirect3DSurface8> surface;
    *surface.Out() = NewSurface(4, 1, D3DFMT_A8R8G8B8);
    const uint32_t source[4] = {0xFF00FF00u, 0xFF00FF01u, 0xFE00FF00u, 0xFF00FF00u};
    const RECT rect{0, 0, 4, 1};
    ASSERT_EQ(CopyPixelsToSurface(surface.Get(), nullptr, nullptr, source, D3DFMT_A8R8G8B8, 16, nullptr, &rect,
                                  FILTER_NONE, 0xFF00FF00u),
              S_OK);
    EXPECT_EQ(ReadPixels(surface.Get()), (std::vector<uint32_t>{0u, 0xFF00FF01u, 0xFE00FF00u, 0u}));
}

TEST_F(SurfaceCopyTest, VolumesCheckBoxesAndCopyBytes) {
    ComRef<IDirect3DVolumeTexture8> from;
    ComRef<IDirect3DVolumeTexture8> to;
    ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, from.Out()), D3D_OK);
    ASSERT_EQ(device_->CreateVolumeTexture(4, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, to.Out()), D3D_OK);
    ComRef<IDirect3DVolume8> source;
    ComRef<IDirect3DVolume8> target;
    from->GetVolumeLevel(0, source.Out());
    to->GetVolumeLevel(0, target.Out());

    std::vector<uint32_t> pixels(64);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<uint32_t>(i * 0x01020304u);
    }
    const D3DBOX all{0, 0, 4, 4, 0, 4};
    ASSERT_EQ(CopyPixelsToVolume(source.Get(), nullptr, nullptr, pixels.data(), D3DFMT_A8R8G8B8, 16, 64, nullptr, &all,
                                 FILTER_NONE, 0),
              S_OK);
    const D3DBOX bad[] = {{0, 0, 5, 4, 0, 4}, {0, 0, 4, 4, 0, 5}, {3, 0, 2, 4, 0, 4}, {0, 0, 4, 4, 3, 2}};
    for (const D3DBOX& box : bad) {
        EXPECT_EQ(CopyPixelsToVolume(target.Get(), nullptr, &box, pixels.data(), D3DFMT_A8R8G8B8, 16, 64, nullptr, &all,
                                     FILTER_NONE, 0),
                  D3DERR_INVALIDCALL);
        EXPECT_EQ(CopyVolumeToVolume(target.Get(), nullptr, nullptr, source.Get(), nullptr, &box, FILTER_NONE, 0),
                  D3DERR_INVALIDCALL);
    }
    ASSERT_EQ(CopyVolumeToVolume(target.Get(), nullptr, nullptr, source.Get(), nullptr, nullptr, FILTER_BOX, 0), S_OK);
    D3DLOCKED_BOX locked{};
    ASSERT_EQ(target->LockBox(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    for (UINT z = 0; z < 4; ++z) {
        for (UINT y = 0; y < 4; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                                z * locked.SlicePitch + y * locked.RowPitch);
            for (UINT x = 0; x < 4; ++x) {
                EXPECT_EQ(row[x], pixels[z * 16 + y * 4 + x]);
            }
        }
    }
    target->UnlockBox();
}

}  // namespace
