#include <gtest/gtest.h>

#include <bit>
#include <set>

#include "codec/dxt_blocks.h"
#include "codec/format_facts.h"
#include "codec_test_util.h"
#include "format_layout.h"

using namespace codec_test;

namespace {

TEST(PixelFormatTable, UnknownFormatsGiveTheDefaultRow) {
    for (D3DFORMAT format : {D3DFMT_UNKNOWN, D3DFMT_D16, D3DFMT_D24S8, D3DFMT_A2B10G10R10,
                             static_cast<D3DFORMAT>(MAKEFOURCC('D', 'X', 'T', '6'))}) {
        const PixelFormatInfo& info = FindPixelFormat(format);
        EXPECT_EQ(&info, &DefaultPixelFormat) << format;
        EXPECT_EQ(info.format, D3DFMT_UNKNOWN);
        EXPECT_EQ(info.bitsPerPixel, 32u);
        EXPECT_EQ(info.luminanceBits, 0u);
        EXPECT_EQ(info.alphaBits, 8u);
        EXPECT_EQ(info.redBits, 8u);
        EXPECT_EQ(info.greenBits, 8u);
        EXPECT_EQ(info.blueBits, 8u);
        EXPECT_FALSE(info.substitutable);
        EXPECT_FALSE(info.listed);
    }
}

TEST(PixelFormatTable, EveryRowIsFoundByItsOwnCodeAndIsListed) {
    std::set<DWORD> seen;
    for (const PixelFormatInfo& info : PixelFormats()) {
        EXPECT_TRUE(seen.insert(info.format).second) << "duplicate " << info.format;
        EXPECT_EQ(&FindPixelFormat(info.format), &info);
        EXPECT_TRUE(info.listed);
    }
    EXPECT_EQ(seen.size(), 29u);
}

TEST(PixelFormatTable, OrderPutsPalettesBetweenTheFiveBitFormats) {
    const auto rows = PixelFormats();
    EXPECT_EQ(rows[0].format, D3DFMT_R8G8B8);
    EXPECT_EQ(rows[4].format, D3DFMT_X1R5G5B5);
    EXPECT_EQ(rows[5].format, D3DFMT_A8P8);
    EXPECT_EQ(rows[6].format, D3DFMT_P8);
    EXPECT_EQ(rows[7].format, D3DFMT_A1R5G5B5);
    EXPECT_EQ(rows[28].format, D3DFMT_DXT5);
}

TEST(PixelFormatTable, OnlyExactRequestsGetTheThreeByteYuvAndBlockFormats) {
    std::set<DWORD> fixed;
    for (const PixelFormatInfo& info : PixelFormats()) {
        if (!info.substitutable) {
            fixed.insert(info.format);
        }
    }
    const std::set<DWORD> expected = {D3DFMT_R8G8B8, D3DFMT_UYVY, D3DFMT_YUY2, D3DFMT_DXT1,
                                      D3DFMT_DXT2,   D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};
    EXPECT_EQ(fixed, expected);
}

TEST(PixelFormatTable, BlockAndYuvRowsDescribeSixteenBitsAndEndpointPrecision) {
    struct Case {
        D3DFORMAT format;
        UINT alpha;
    } cases[] = {{D3DFMT_DXT1, 1}, {D3DFMT_DXT2, 4}, {D3DFMT_DXT3, 4}, {D3DFMT_DXT4, 3}, {D3DFMT_DXT5, 3}};
    for (const Case& c : cases) {
        const PixelFormatInfo& info = FindPixelFormat(c.format);
        EXPECT_EQ(info.bitsPerPixel, 16u);
        EXPECT_EQ(info.alphaBits, c.alpha);
        EXPECT_EQ(info.redBits, 5u);
        EXPECT_EQ(info.greenBits, 6u);
        EXPECT_EQ(info.blueBits, 5u);
        EXPECT_EQ(info.kind, FORMAT_KIND_RGB);
    }
    EXPECT_EQ(FindPixelFormat(D3DFMT_UYVY).bitsPerPixel, 16u);
    EXPECT_EQ(FindPixelFormat(D3DFMT_YUY2).redBits, 8u);
    EXPECT_EQ(FindPixelFormat(D3DFMT_L8).luminanceBits, 0u);
    EXPECT_EQ(FindPixelFormat(D3DFMT_X8L8V8U8).luminanceBits, 8u);
    EXPECT_EQ(FindPixelFormat(D3DFMT_X8L8V8U8).alphaBits, 0u);
}

// Walks every row that has a plain codec and finds, by flipping one bit of
// a pixel at a time, which channel each bit feeds. The widths the table
// reports must be the counts the codec actually uses, and the kind must
// match the codec's sample class.
TEST(PixelFormatTable, EveryRowMatchesTheBitsItsCodecReads) {
    int checked = 0;
    for (const PixelFormatInfo& info : PixelFormats()) {
        Block probe(info.format, 1);
        const auto codec = MakeCodec(probe.Region());
        if (codec == nullptr || !codec->addressable || info.kind == FORMAT_KIND_PALETTE) {
            continue;  // YUV, DXT: no fixed pixel; palettes: widths of an entry
        }
        SCOPED_TRACE(info.format);
        EXPECT_EQ(static_cast<UINT>(codec->bytesPerPixel) * 8, info.bitsPerPixel);
        EXPECT_EQ(codec->sampleClass == SAMPLE_SIGNED, info.kind == FORMAT_KIND_SIGNED);

        const ColorF zero = DecodeOne(info.format, 0);
        UINT counts[4] = {};  // r, g, b, a
        for (UINT bit = 0; bit < info.bitsPerPixel; ++bit) {
            const ColorF c = DecodeOne(info.format, 1u << bit);
            const bool changed[4] = {c.r != zero.r, c.g != zero.g, c.b != zero.b, c.a != zero.a};
            const int n = changed[0] + changed[1] + changed[2] + changed[3];
            if (info.kind == FORMAT_KIND_LUMINANCE && changed[0]) {
                EXPECT_TRUE(changed[1] && changed[2] && !changed[3]) << "bit " << bit;
            } else {
                EXPECT_LE(n, 1) << "bit " << bit << " feeds several channels";
            }
            for (int ch = 0; ch < 4; ++ch) {
                counts[ch] += changed[ch];
            }
        }
        if (info.kind == FORMAT_KIND_SIGNED) {
            // U -> r, V -> g, W -> b; Q or the unsigned luminance -> a.
            EXPECT_EQ(counts[0], info.blueBits);
            EXPECT_EQ(counts[1], info.greenBits);
            EXPECT_EQ(counts[2], info.redBits);
            EXPECT_EQ(counts[3], info.alphaBits + info.luminanceBits);
        } else {
            EXPECT_EQ(counts[0], info.redBits);
            EXPECT_EQ(counts[1], info.greenBits);
            EXPECT_EQ(counts[2], info.blueBits);
            EXPECT_EQ(counts[3], info.alphaBits);
        }
        ++checked;
    }
    EXPECT_EQ(checked, 20);
}

// The software device keeps its own table of stored formats (the platform
// may not use library code). For every row both must agree on how the
// pixels lie in memory, and the device must offer exactly the table's
// formats for textures.
TEST(PixelFormatTable, TheDeviceStoresEveryRowAsTheLibraryReadsIt) {
    std::set<DWORD> rows;
    for (const PixelFormatInfo& info : PixelFormats()) {
        SCOPED_TRACE(info.format);
        rows.insert(info.format);
        const platform::FormatLayout* layout = platform::FindFormatLayout(info.format);
        ASSERT_NE(layout, nullptr);
        const FormatFacts* facts = FindFormatFacts(info.format);
        ASSERT_NE(facts, nullptr);
        EXPECT_FALSE(layout->depth);
        EXPECT_EQ(layout->blockBytes, DxtBlockBytes(info.format));
        EXPECT_EQ(layout->yuv, facts->family == FAMILY_YUV);
        EXPECT_EQ(layout->bytesPerPixel, layout->blockBytes != 0 ? 0 : info.bitsPerPixel / 8);

        Block probe(info.format, 1);
        const auto codec = MakeCodec(probe.Region());
        ASSERT_NE(codec, nullptr);
        EXPECT_EQ(codec->addressable, layout->blockBytes == 0 && !layout->yuv);
        EXPECT_EQ(codec->paletted, facts->family == FAMILY_PALETTE);
    }
    const auto offered = platform::TextureFormats();
    EXPECT_EQ(std::set<DWORD>(offered.begin(), offered.end()), rows);
    EXPECT_EQ(offered.size(), rows.size());
}

}  // namespace
