#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <random>

#include "codec/palette_codecs.h"
#include "codec_test_util.h"

using namespace codec_test;

namespace {

constexpr float K8 = std::bit_cast<float>(0x3B808081u);

// One scan in index order, replacing the best only on a strictly smaller
// distance.
int ScanNearest(const ColorF* palette, const ColorF& c, bool withAlpha) {
    int best = 0;
    float bestDistance = FLT_MAX;
    for (int i = 0; i < 256; ++i) {
        const float dr = c.r - palette[i].r;
        const float dg = c.g - palette[i].g;
        const float db = c.b - palette[i].b;
        float d = dr * dr + dg * dg + db * db;
        if (withAlpha) {
            const float da = c.a - palette[i].a;
            d = d + da * da;
        }
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

std::vector<PALETTEENTRY> DistinctPalette() {
    std::vector<PALETTEENTRY> p(256);
    for (int i = 0; i < 256; ++i) {
        p[i] = PALETTEENTRY{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i ^ 0x55),
                            static_cast<BYTE>((i * 37) & 255)};
    }
    return p;
}

TEST(PaletteCodec, DecodesEntriesWithTheFlagsByteAsAlpha) {
    const auto palette = DistinctPalette();
    const ColorF c = DecodeOne(D3DFMT_P8, 200, 0, palette.data());
    EXPECT_TRUE(SameBits(c, ColorF{200 * K8, 55 * K8, (200 ^ 0x55) * K8, ((200 * 37) & 255) * K8}));
    // A8P8: the pixel's alpha replaces the entry's.
    const ColorF d = DecodeOne(D3DFMT_A8P8, 0x10C8, 0, palette.data());
    EXPECT_TRUE(SameBits(d, ColorF{200 * K8, 55 * K8, (200 ^ 0x55) * K8, 16 * K8}));
}

TEST(PaletteCodec, WithoutAPaletteEveryIndexIsWhiteAndEncodesToZero) {
    for (D3DFORMAT format : {D3DFMT_P8, D3DFMT_A8P8}) {
        const ColorF c = DecodeOne(format, 0xFF37);
        EXPECT_EQ(c.r, 1.0f);
        EXPECT_EQ(c.g, 1.0f);
        EXPECT_EQ(c.b, 1.0f);
        EXPECT_EQ(EncodeOne(format, ColorF{0.2f, 0.4f, 0.6f, 1.0f}) & 0xFF, 0u);
    }
    EXPECT_EQ(DecodeOne(D3DFMT_P8, 9).a, 1.0f);
}

TEST(PaletteCodec, EveryIndexOfADistinctPaletteRoundTrips) {
    const auto palette = DistinctPalette();
    for (D3DFORMAT format : {D3DFMT_P8, D3DFMT_A8P8}) {
        const UINT count = 1u << FindPixelFormat(format).bitsPerPixel;
        Block in(format, count);
        Block out(format, count);
        for (UINT i = 0; i < count; ++i) {
            in.SetWord(i, i);
        }
        std::vector<ColorF> row(count);
        MakeCodec(in.Region(0, palette.data()))->DecodeRow(0, 0, row.data());
        MakeCodec(out.Region(0, palette.data()))->EncodeRow(0, 0, row.data());
        int mismatches = 0;
        for (UINT i = 0; i < count; ++i) {
            mismatches += out.Word(i) != i;
        }
        EXPECT_EQ(mismatches, 0) << format;
    }
}

TEST(PaletteCodec, TiesGoToTheLowestIndex) {
    std::vector<PALETTEENTRY> palette(256, PALETTEENTRY{0, 0, 0, 0});
    palette[3] = palette[7] = PALETTEENTRY{200, 100, 50, 255};
    palette[5] = PALETTEENTRY{10, 10, 10, 255};
    const ColorF color{190 * K8, 100 * K8, 50 * K8, 1.0f};
    EXPECT_EQ(EncodeOne(D3DFMT_P8, color, false, palette.data()), 3u);
    // P8 measures alpha too: a transparent pixel picks the black entries.
    EXPECT_EQ(EncodeOne(D3DFMT_P8, ColorF{0, 0, 0, 0}, false, palette.data()), 0u);
    // A8P8 measures colour only, and keeps the pixel's own alpha.
    EXPECT_EQ(EncodeOne(D3DFMT_A8P8, ColorF{color.r, color.g, color.b, 0.5f}, false, palette.data()), 0x8003u);
}

TEST(PaletteCodec, A8P8WritesEachPixelsOwnIndexAndAlpha) {
    const auto palette = DistinctPalette();
    const int indices[] = {0, 255, 17, 128, 64, 3};
    const int alphas[] = {255, 0, 17, 128, 1, 254};
    Block block(D3DFMT_A8P8, 6);
    std::vector<ColorF> row(6);
    for (int x = 0; x < 6; ++x) {
        const PALETTEENTRY& e = palette[indices[x]];
        row[x] = ColorF{e.peRed * K8, e.peGreen * K8, e.peBlue * K8, alphas[x] * K8};
    }
    MakeCodec(block.Region(0, palette.data()))->EncodeRow(0, 0, row.data());
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(block.Word(x), static_cast<std::uint32_t>(alphas[x] << 8 | indices[x])) << x;
    }
}

// The search measures several entries at once; it must pick what one scan
// in index order picks, including ties across those entries (palettes with
// many repeated entries) and values between the entries.
TEST(PaletteCodec, SearchMatchesTheOrderedScan) {
    std::mt19937 rng(11);
    for (int trial = 0; trial < 40; ++trial) {
        // Few distinct values make ties common.
        const int levels = trial % 2 == 0 ? 3 : 256;
        ColorF palette[256];
        for (ColorF& e : palette) {
            e = ColorF{
                static_cast<float>(rng() % levels) / (levels - 1), static_cast<float>(rng() % levels) / (levels - 1),
                static_cast<float>(rng() % levels) / (levels - 1), static_cast<float>(rng() % levels) / (levels - 1)};
        }
        const PaletteChannels channels(palette);
        for (int i = 0; i < 200; ++i) {
            const ColorF c{static_cast<float>(rng() % 1001) / 1000.0f, static_cast<float>(rng() % 1001) / 1000.0f,
                           static_cast<float>(rng() % 1001) / 1000.0f, static_cast<float>(rng() % 1001) / 1000.0f};
            ASSERT_EQ(FindNearestEntry<true>(channels, c), ScanNearest(palette, c, true));
            ASSERT_EQ(FindNearestEntry<false>(channels, c), ScanNearest(palette, c, false));
            // An entry's own colour finds the first entry equal to it.
            const ColorF& e = palette[rng() % 256];
            ASSERT_EQ(FindNearestEntry<true>(channels, e), ScanNearest(palette, e, true));
        }
    }
}

}  // namespace
