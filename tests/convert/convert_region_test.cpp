#include <gtest/gtest.h>

#include <memory>

#include "codec/create_pixel_codec.h"
#include "convert/conversion_ways.h"
#include "convert/convert_region.h"
#include "convert_test_util.h"

using namespace convert_test;

namespace {

void FillPattern(Block& block, std::uint32_t seed) {
    Lcg rng{seed};
    for (BYTE& b : block.bytes) {
        b = static_cast<BYTE>(rng.Next());
    }
}

bool CodecAvailable(D3DFORMAT format) {
    PixelRegion r{};
    r.format = format;
    r.box = PixelBox{0, 0, 4, 4, 0, 1};
    return std::unique_ptr<PixelCodec>(CreatePixelCodec(r)) != nullptr;
}

}  // namespace

TEST(ConvertRegionFilter, MalformedFiltersAreRefusedBeforeAnythingIsTouched) {
    const struct {
        DWORD filter;
        HRESULT expected;
    } cases[] = {
        // clang-format off
        {0, D3DERR_INVALIDCALL},        {6, D3DERR_INVALIDCALL},
        {0x100003, D3DERR_INVALIDCALL}, {0xFFFFFFFF, D3DERR_INVALIDCALL},
        {0xF0003, S_OK},                {FILTER_NONE, S_OK},
        {FILTER_BOX | FILTER_DITHER, S_OK},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        Block src(D3DFMT_A8R8G8B8, 4, 4);
        Block dst(D3DFMT_A8R8G8B8, 2, 2);
        FillPattern(src, 1);
        PixelRegion d = dst.Region();
        d.dither = 0x1234;
        const PixelRegion s = src.Region();
        EXPECT_EQ(ConvertRegion(&d, &s, c.filter), c.expected);
        if (c.expected == D3DERR_INVALIDCALL) {
            EXPECT_EQ(d.dither, 0x1234u);
            EXPECT_EQ(dst.Word(0, 0), 0u);
        } else {
            EXPECT_EQ(d.dither, c.filter & FILTER_DITHER);
        }
    }
    Block b(D3DFMT_A8R8G8B8, 1);
    PixelRegion r = b.Region();
    EXPECT_EQ(ConvertRegion(nullptr, &r, FILTER_POINT), D3DERR_INVALIDCALL);
    EXPECT_EQ(ConvertRegion(&r, nullptr, FILTER_POINT), D3DERR_INVALIDCALL);
}

TEST(ConvertRegionRefusal, FormatsThatCannotMeetGiveFail) {
    const struct {
        D3DFORMAT dst, src;
        UINT dstWidth;
        DWORD filter;
    } cases[] = {
        {D3DFMT_A8R8G8B8, D3DFMT_V8U8, 4, FILTER_POINT},  // signed into unsigned
        {D3DFMT_V8U8, D3DFMT_A8R8G8B8, 4, FILTER_NONE},
        {D3DFMT_V8U8, D3DFMT_V8U8, 2, FILTER_LINEAR},  // signed resampling
        {D3DFMT_V8U8, D3DFMT_Q8W8V8U8, 2, FILTER_TRIANGLE},
        {D3DFMT_V16U16, D3DFMT_V8U8, 2, FILTER_BOX},
        {D3DFMT_D16, D3DFMT_A8R8G8B8, 4, FILTER_NONE},  // no codec
        {D3DFMT_A8R8G8B8, D3DFMT_UNKNOWN, 4, FILTER_NONE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dst);
        Block src(c.src == D3DFMT_UNKNOWN ? D3DFMT_A8R8G8B8 : c.src, 4, 4);
        Block dst(c.dst == D3DFMT_D16 ? D3DFMT_R5G6B5 : c.dst, c.dstWidth, c.dstWidth);
        FillPattern(src, 2);
        PixelRegion d = dst.Region();
        d.format = c.dst;
        PixelRegion s = src.Region();
        s.format = c.src;
        EXPECT_EQ(ConvertRegion(&d, &s, c.filter), E_FAIL);
        for (BYTE b : dst.bytes) {
            ASSERT_EQ(b, 0);
        }
    }
}

TEST(ConvertRegionRefusal, SignedFormatsStillResampleByPointAndUnfiltered) {
    for (DWORD filter : {FILTER_POINT, FILTER_NONE}) {
        Block src(D3DFMT_V8U8, 4, 4);
        Block dst(D3DFMT_V8U8, 2, 2);
        FillPattern(src, 3);
        PixelRegion d = dst.Region();
        const PixelRegion s = src.Region();
        ASSERT_EQ(ConvertRegion(&d, &s, filter), S_OK);
        // Signed values do not all survive a round trip through colours, so
        // the expected pixel is the source pixel taken through the codecs.
        const UINT step = filter == FILTER_POINT ? 2 : 1;
        Block one(D3DFMT_V8U8, 1);
        one.SetWord(0, 0, 0, src.Word(step, step));
        ColorF c{};
        std::unique_ptr<PixelCodec>(CreatePixelCodec(one.Region()))->DecodeRow(0, 0, &c);
        std::unique_ptr<PixelCodec>(CreatePixelCodec(one.Region()))->EncodeRow(0, 0, &c);
        EXPECT_EQ(dst.Word(1, 1), one.Word(0, 0));
    }
}

TEST(CopySameFormat, EqualBlocksAreByteCopiesEvenWithDithering) {
    for (DWORD filter : {FILTER_POINT, FILTER_LINEAR | FILTER_DITHER, FILTER_BOX | FILTER_DITHER}) {
        Block src(D3DFMT_A8R8G8B8, 7, 5);
        Block dst(D3DFMT_A8R8G8B8, 7, 5);
        FillPattern(src, 4);
        PixelRegion d = dst.Region();
        const PixelRegion s = src.Region();
        ASSERT_EQ(ConvertRegion(&d, &s, filter), S_OK);
        EXPECT_EQ(dst.bytes, src.bytes);
    }
}

TEST(CopySameFormat, BoxesOffsetInsideLargerSurfacesCopyOnlyTheirRows) {
    Block src(D3DFMT_R5G6B5, 8, 8, 2);
    Block dst(D3DFMT_R5G6B5, 6, 6, 3);
    FillPattern(src, 5);
    PixelRegion s = src.Region();
    s.box = PixelBox{3, 2, 6, 5, 1, 2};
    PixelRegion d = dst.Region();
    d.box = PixelBox{1, 1, 4, 4, 2, 3};
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_NONE), S_OK);
    for (UINT z = 0; z < 3; ++z) {
        for (UINT y = 0; y < 6; ++y) {
            for (UINT x = 0; x < 6; ++x) {
                const bool inside = z == 2 && x >= 1 && x < 4 && y >= 1 && y < 4;
                EXPECT_EQ(dst.Word(x, y, z), inside ? src.Word(x + 2, y + 1, 1) : 0u);
            }
        }
    }
}

TEST(CopySameFormat, ColourKeyGoesThroughColours) {
    Block src(D3DFMT_A8R8G8B8, 3, 1);
    Block dst(D3DFMT_A8R8G8B8, 3, 1);
    src.SetWord(0, 0, 0, 0xFF000000);
    src.SetWord(1, 0, 0, 0xFF010203);
    src.SetWord(2, 0, 0, 0x80000000);
    PixelRegion d = dst.Region();
    const PixelRegion s = src.Region(0xFF000000);
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_NONE), S_OK);
    EXPECT_EQ(dst.Word(0, 0), 0x00000000u);
    EXPECT_EQ(dst.Word(1, 0), 0xFF010203u);
    EXPECT_EQ(dst.Word(2, 0), 0x80000000u);
}

TEST(CopySameFormat, PalettedBlocksCopyIndicesOnlyUnderEqualPalettes) {
    PALETTEENTRY palette[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 0, 255};
    }
    PALETTEENTRY reversed[256];
    for (int i = 0; i < 256; ++i) {
        reversed[i] = palette[255 - i];
    }
    PALETTEENTRY almost[256];
    std::memcpy(almost, palette, sizeof(palette));
    almost[200].peFlags = 254;

    const struct {
        const PALETTEENTRY* destinationPalette;
        int expectedIndexOf10;
    } cases[] = {
        {palette, 10},    // equal palettes: byte copy
        {reversed, 245},  // re-chosen through the colours
    };
    for (const auto& c : cases) {
        Block src(D3DFMT_P8, 4, 2);
        Block dst(D3DFMT_P8, 4, 2);
        for (UINT i = 0; i < 8; ++i) {
            src.bytes[i] = static_cast<BYTE>(10 + i);
        }
        PixelRegion d = dst.Region(0, c.destinationPalette);
        const PixelRegion s = src.Region(0, palette);
        ASSERT_EQ(ConvertRegion(&d, &s, FILTER_NONE), S_OK);
        EXPECT_EQ(dst.bytes[0], c.expectedIndexOf10);
    }

    // One differing entry is enough to leave the byte copy; index 200 itself
    // no longer matches its colour exactly.
    ConversionJob job;
    Block src(D3DFMT_P8, 2);
    Block dst(D3DFMT_P8, 2);
    job.source = CreatePixelCodec(src.Region(0, palette));
    job.destination = CreatePixelCodec(dst.Region(0, almost));
    EXPECT_EQ(CopySameFormat(job), E_FAIL);
}

TEST(CopyDxtBlocks, AlignedBlocksAreCopiedBlockRowByBlockRow) {
    ASSERT_TRUE(CodecAvailable(D3DFMT_DXT1)) << "no DXT1 codec";
    // Two block rows of two 8-byte blocks; pitch 16 bytes.
    std::vector<BYTE> src(32), dst(32, 0);
    for (std::size_t i = 0; i < src.size(); ++i) {
        src[i] = static_cast<BYTE>(i * 7 + 1);
    }
    auto region = [](std::vector<BYTE>& bytes, INT size) {
        PixelRegion r{};
        r.pixels = bytes.data();
        r.format = D3DFMT_DXT1;
        r.rowPitch = 16;
        r.surfaceBox = SurfaceExtent{0, 0, 8, 8, 0, 1};
        r.box = PixelBox{0, 0, size, size, 0, 1};
        return r;
    };
    PixelRegion d = region(dst, 8);
    PixelRegion s = region(src, 8);
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_NONE), S_OK);
    EXPECT_EQ(dst, src);

    // A 2 x 2 level is not block aligned: the block copy declines.
    ConversionJob job;
    PixelRegion d2 = region(dst, 2);
    PixelRegion s2 = region(src, 2);
    job.destination = CreatePixelCodec(d2);
    job.source = CreatePixelCodec(s2);
    EXPECT_EQ(CopyDxtBlocks(job), E_FAIL);
    EXPECT_EQ(ConvertRegion(&d2, &s2, FILTER_NONE), S_OK);
}

TEST(CopyDxtBlocks, VolumeSlicesGoToTheirOwnSlices) {
    ASSERT_TRUE(CodecAvailable(D3DFMT_DXT3)) << "no DXT3 codec";
    // 8 x 4 x 2 of 16-byte blocks: one block row of two blocks per slice.
    // The source slices are 48 bytes apart, the destination's 64, and the
    // source box starts at slice 1 of three.
    std::vector<BYTE> src(3 * 48), dst(2 * 64, 0);
    for (std::size_t i = 0; i < src.size(); ++i) {
        src[i] = static_cast<BYTE>(i);
    }
    auto region = [](std::vector<BYTE>& bytes, INT slicePitch, INT front) {
        PixelRegion r{};
        r.pixels = bytes.data();
        r.format = D3DFMT_DXT3;
        r.rowPitch = 32;
        r.slicePitch = slicePitch;
        r.surfaceBox = SurfaceExtent{0, 0, 8, 4, 0, static_cast<UINT>(front + 2)};
        r.box = PixelBox{0, 0, 8, 4, front, front + 2};
        return r;
    };
    PixelRegion d = region(dst, 64, 0);
    const PixelRegion s = region(src, 48, 1);
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_NONE), S_OK);
    for (std::size_t z = 0; z < 2; ++z) {
        for (std::size_t i = 0; i < 64; ++i) {
            EXPECT_EQ(dst[z * 64 + i], i < 32 ? src[(z + 1) * 48 + i] : 0) << "slice " << z << " byte " << i;
        }
    }
}

TEST(CopyUnfiltered, SourceCornerCopiedAndTheRestTransparentBlack) {
    Block src(D3DFMT_A8R8G8B8, 4, 4);
    Block dst(D3DFMT_A8R8G8B8, 6, 2);
    std::fill(dst.bytes.begin(), dst.bytes.end(), 0x55);
    FillPattern(src, 6);
    PixelRegion d = dst.Region();
    const PixelRegion s = src.Region();
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_NONE), S_OK);
    for (UINT y = 0; y < 2; ++y) {
        for (UINT x = 0; x < 6; ++x) {
            EXPECT_EQ(dst.Word(x, y), x < 4 ? src.Word(x, y) : 0u) << x << "," << y;
        }
    }
}

TEST(CopyUnfiltered, RowsAndSlicesBeyondTheSourceAreBlank) {
    Block src(D3DFMT_X8R8G8B8, 2, 1, 1);
    Block dst(D3DFMT_A8R8G8B8, 1, 3, 2);
    std::fill(dst.bytes.begin(), dst.bytes.end(), 0x55);
    src.SetWord(0, 0, 0, 0x00123456);
    PixelRegion d = dst.Region();
    const PixelRegion s = src.Region();
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_NONE), S_OK);
    EXPECT_EQ(dst.Word(0, 0, 0), 0xFF123456u);
    for (UINT z = 0; z < 2; ++z) {
        for (UINT y = z == 0 ? 1 : 0; y < 3; ++y) {
            EXPECT_EQ(dst.Word(0, y, z), 0u);
        }
    }
}
