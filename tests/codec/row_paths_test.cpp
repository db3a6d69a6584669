// The row loops handle four pixels at a time and the rest one at a time;
// the direct row converter skips the ColorF row. Both must give the bits of
// the plain per-pixel arithmetic.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

#include "codec/convert_row_fast.h"
#include "codec/format_layouts.h"
#include "codec_test_util.h"

using namespace codec_test;
using namespace codec_layout;

namespace {

template <class Layout>
void CheckRowsAgainstPixels(D3DFORMAT format, bool isSigned, std::mt19937& rng) {
    SCOPED_TRACE(format);
    std::uniform_real_distribution<float> value(isSigned ? -1.0f : 0.0f, isSigned ? 0.99f : 1.0f);
    for (UINT width = 1; width <= 13; ++width) {
        for (bool dither : {false, true}) {
            Block block(format, width, 4, 4);
            const auto codec = MakeCodec(block.Region(0, nullptr, dither));
            const UINT row = rng() % 4;
            const UINT slice = rng() % 4;
            std::vector<ColorF> in(width);
            for (ColorF& c : in) {
                c = ColorF{value(rng), value(rng), value(rng), value(rng)};
            }
            codec->EncodeRow(row, slice, in.data());
            const float* offsets = codec->DitherRow(row, slice);
            const BYTE* stored = codec->RowAddress(row, slice);
            for (UINT x = 0; x < width; ++x) {
                const std::uint32_t expected = Layout::EncodePixel(in[x], offsets[x & 3]);
                ASSERT_EQ(LoadWord<Layout::bytes>(stored + x * Layout::bytes), expected) << "x " << x;
            }
            // Random words, read back through the row loop.
            BYTE* words = codec->RowAddress(row, slice);
            for (UINT i = 0; i < width * Layout::bytes; ++i) {
                words[i] = static_cast<BYTE>(rng());
            }
            std::vector<ColorF> out(width);
            codec->DecodeRow(row, slice, out.data());
            for (UINT x = 0; x < width; ++x) {
                const ColorF expected =
                    Layout::DecodePixel(LoadWord<Layout::bytes>(words + x * Layout::bytes), Layout::defaults);
                ASSERT_TRUE(SameBits(out[x], expected)) << "x " << x;
            }
        }
    }
}

TEST(RowPaths, FourPixelLoopsMatchThePerPixelArithmetic) {
    std::mt19937 rng(5);
    for (int repeat = 0; repeat < 20; ++repeat) {
        CheckRowsAgainstPixels<R8G8B8Layout>(D3DFMT_R8G8B8, false, rng);
        CheckRowsAgainstPixels<A8R8G8B8Layout>(D3DFMT_A8R8G8B8, false, rng);
        CheckRowsAgainstPixels<X8R8G8B8Layout>(D3DFMT_X8R8G8B8, false, rng);
        CheckRowsAgainstPixels<R5G6B5Layout>(D3DFMT_R5G6B5, false, rng);
        CheckRowsAgainstPixels<X1R5G5B5Layout>(D3DFMT_X1R5G5B5, false, rng);
        CheckRowsAgainstPixels<A1R5G5B5Layout>(D3DFMT_A1R5G5B5, false, rng);
        CheckRowsAgainstPixels<A4R4G4B4Layout>(D3DFMT_A4R4G4B4, false, rng);
        CheckRowsAgainstPixels<R3G3B2Layout>(D3DFMT_R3G3B2, false, rng);
        CheckRowsAgainstPixels<A8Layout>(D3DFMT_A8, false, rng);
        CheckRowsAgainstPixels<A8R3G3B2Layout>(D3DFMT_A8R3G3B2, false, rng);
        CheckRowsAgainstPixels<X4R4G4B4Layout>(D3DFMT_X4R4G4B4, false, rng);
        CheckRowsAgainstPixels<L8Layout>(D3DFMT_L8, false, rng);
        CheckRowsAgainstPixels<A8L8Layout>(D3DFMT_A8L8, false, rng);
        CheckRowsAgainstPixels<A4L4Layout>(D3DFMT_A4L4, false, rng);
        CheckRowsAgainstPixels<V8U8Layout>(D3DFMT_V8U8, true, rng);
        CheckRowsAgainstPixels<L6V5U5Layout>(D3DFMT_L6V5U5, true, rng);
        CheckRowsAgainstPixels<X8L8V8U8Layout>(D3DFMT_X8L8V8U8, true, rng);
        CheckRowsAgainstPixels<Q8W8V8U8Layout>(D3DFMT_Q8W8V8U8, true, rng);
        CheckRowsAgainstPixels<V16U16Layout>(D3DFMT_V16U16, true, rng);
        CheckRowsAgainstPixels<W11V11U10Layout>(D3DFMT_W11V11U10, true, rng);
    }
}

// Every 8-bit value of every channel meets every dither position: pixel x
// of a row carries value x / 4 (scrambled per channel), so each value lands
// on all four columns, and four rows by four slices cover the offsets.
TEST(RowPaths, DirectConverterMatchesDecodeThenEncodeForEveryChannelValue) {
    const D3DFORMAT destinations[] = {D3DFMT_R8G8B8,   D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                                      D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_R3G3B2,   D3DFMT_A8,     D3DFMT_A8R3G3B2,
                                      D3DFMT_X4R4G4B4, D3DFMT_L8,       D3DFMT_A8L8,     D3DFMT_A4L4};
    constexpr UINT width = 1024 + 3;  // a tail after the groups of four
    for (D3DFORMAT sourceFormat : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
        Block source(sourceFormat, width, 4, 4);
        for (std::size_t i = 0; i < source.bytes.size() / 4; ++i) {
            const std::uint32_t n = static_cast<std::uint32_t>(i % width) / 4 + static_cast<std::uint32_t>(i / width);
            const std::uint32_t a = (n * 31 + 11) & 255, r = n & 255, g = (n * 7 + 3) & 255, b = (n * 13 + 5) & 255;
            source.SetWord(i, a << 24 | r << 16 | g << 8 | b);
        }
        for (D3DFORMAT format : destinations) {
            for (bool dither : {false, true}) {
                // A key hit by several pixels of each row, and no key.
                for (D3DCOLOR key : {0u, sourceFormat == D3DFMT_X8R8G8B8 ? 0xFF0A4987u : 0x410A4987u}) {
                    SCOPED_TRACE(testing::Message() << sourceFormat << " -> " << format << " dither " << dither
                                                    << " key " << std::hex << key);
                    const FastRowConverter convert = FindFastRowConverter(format, sourceFormat);
                    ASSERT_NE(convert, nullptr);
                    Block viaColors(format, width, 4, 4);
                    Block direct(format, width, 4, 4);
                    const auto in = MakeCodec(source.Region(key));
                    const auto out = MakeCodec(viaColors.Region(0, nullptr, dither));
                    const auto fast = MakeCodec(direct.Region(0, nullptr, dither));
                    std::vector<ColorF> row(width);
                    for (UINT z = 0; z < 4; ++z) {
                        for (UINT y = 0; y < 4; ++y) {
                            in->DecodeRow(y, z, row.data());
                            out->EncodeRow(y, z, row.data());
                            ConvertRowFast(convert, *fast, *in, y, z);
                        }
                    }
                    ASSERT_TRUE(viaColors.bytes == direct.bytes);
                }
            }
        }
    }
    EXPECT_EQ(FindFastRowConverter(D3DFMT_P8, D3DFMT_A8R8G8B8), nullptr);
    EXPECT_EQ(FindFastRowConverter(D3DFMT_V8U8, D3DFMT_A8R8G8B8), nullptr);
    EXPECT_EQ(FindFastRowConverter(D3DFMT_R5G6B5, D3DFMT_R5G6B5), nullptr);
}

}  // namespace
