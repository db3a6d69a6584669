#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

#include "codec_test_util.h"

using namespace codec_test;

namespace {

constexpr float K8 = std::bit_cast<float>(0x3B808081u);

struct DecodeCase {
    D3DFORMAT format;
    std::uint32_t word;
    ColorF expected;
};

TEST(FormatCodecDecode, KnownPixels) {
    const DecodeCase cases[] = {
        {D3DFMT_R5G6B5, 0xFFFF, {1.0f, 1.0f, 1.0f, 1.0f}},
        {D3DFMT_R5G6B5, 0x07E0, {0.0f, 1.0f, 0.0f, 1.0f}},
        // 17 x k5, one unit in the last place below 17 / 31.
        {D3DFMT_R5G6B5, 17u << 11, {0.54838705f, 0.0f, 0.0f, 1.0f}},
        {D3DFMT_A4R4G4B4, 0xF800, {0.53333336f, 0.0f, 0.0f, 1.0f}},
        {D3DFMT_A8R8G8B8, 0x80FF0000, {1.0f, 0.0f, 0.0f, 0.5019608f}},
        {D3DFMT_X8R8G8B8, 0x00FF8000, {1.0f, 128 * K8, 0.0f, 1.0f}},
        {D3DFMT_R8G8B8, 0x00102030, {16 * K8, 32 * K8, 48 * K8, 1.0f}},
        {D3DFMT_A8, 0x80, {1.0f, 1.0f, 1.0f, 0.5019608f}},
        {D3DFMT_A1R5G5B5, 0x8000, {0.0f, 0.0f, 0.0f, 1.0f}},
        {D3DFMT_A1R5G5B5, 0x7FFF, {1.0f, 1.0f, 1.0f, 0.0f}},
        {D3DFMT_X1R5G5B5, 0x8000, {0.0f, 0.0f, 0.0f, 1.0f}},
        {D3DFMT_X4R4G4B4, 0xF000, {0.0f, 0.0f, 0.0f, 1.0f}},
        {D3DFMT_R3G3B2, 0xFF, {1.0f, 1.0f, 1.0f, 1.0f}},
        {D3DFMT_A8R3G3B2, 0x00FF, {1.0f, 1.0f, 1.0f, 0.0f}},
        {D3DFMT_L8, 0x40, {64 * K8, 64 * K8, 64 * K8, 1.0f}},
        {D3DFMT_A8L8, 0xFF00, {0.0f, 0.0f, 0.0f, 1.0f}},
        {D3DFMT_A4L4, 0x0F, {1.0f, 1.0f, 1.0f, 0.0f}},
        {D3DFMT_V8U8, 0x7F81, {-0.9921875f, 0.9921875f, 0.0f, 1.0f}},
        {D3DFMT_V8U8, 0x8000, {0.0f, -1.0f, 0.0f, 1.0f}},
        {D3DFMT_L6V5U5, 0xFC1F, {-0.0625f, 0.0f, 0.0f, 1.0f}},
        {D3DFMT_L6V5U5, 0x0200, {0.0f, -1.0f, 0.0f, 0.0f}},
        {D3DFMT_X8L8V8U8, 0xFF80FF7F, {0.9921875f, -0.0078125f, 0.0f, 128 * K8}},
        {D3DFMT_Q8W8V8U8, 0x80017F00, {0.0f, 0.9921875f, 0.0078125f, -1.0f}},
        {D3DFMT_V16U16, 0x80007FFF, {32767.0f / 32768.0f, -1.0f, 0.0f, 1.0f}},
        // W keeps its lowest bit: 3 / 1024.
        {D3DFMT_W11V11U10, 3u << 21, {0.0f, 0.0f, 3.0f / 1024.0f, 1.0f}},
        {D3DFMT_W11V11U10, 0x00000200, {-1.0f, 0.0f, 0.0f, 1.0f}},
        {D3DFMT_W11V11U10, 0x00100000, {0.0f, -1.0f, 0.0f, 1.0f}},
    };
    for (const DecodeCase& c : cases) {
        const ColorF got = DecodeOne(c.format, c.word);
        EXPECT_TRUE(SameBits(got, c.expected)) << c.format << " word " << std::hex << c.word << std::dec << ": got "
                                               << got.r << ' ' << got.g << ' ' << got.b << ' ' << got.a;
    }
}

// Value 1 in a field of n bits decodes to the scale constant itself, and
// the multiplication (not a division) shows at 17 / 31.
TEST(FormatCodecDecode, ScaleConstantsHaveTheirBitPatterns) {
    struct Case {
        D3DFORMAT format;
        std::uint32_t word;
        int channel;
        std::uint32_t bits;
    } cases[] = {
        // clang-format off
        {D3DFMT_L8, 1, 0, 0x3B808081},       {D3DFMT_R5G6B5, 1u << 5, 1, 0x3C820821},
        {D3DFMT_R5G6B5, 1u << 11, 0, 0x3D042108}, {D3DFMT_A4R4G4B4, 1u << 8, 0, 0x3D888889},
        {D3DFMT_R3G3B2, 1u << 5, 0, 0x3E124925}, {D3DFMT_R3G3B2, 1, 2, 0x3EAAAAAB},
        {D3DFMT_L6V5U5, 1u << 10, 3, 0x3C820821}, {D3DFMT_A4L4, 1, 1, 0x3D888889},
        // clang-format on
    };
    for (const Case& c : cases) {
        const ColorF got = DecodeOne(c.format, c.word);
        const float channels[4] = {got.r, got.g, got.b, got.a};
        EXPECT_EQ(Bits(channels[c.channel]), c.bits) << c.format;
    }
    EXPECT_NE(Bits(DecodeOne(D3DFMT_R5G6B5, 17u << 11).r), Bits(17.0f / 31.0f));
}

struct EncodeCase {
    D3DFORMAT format;
    ColorF color;
    std::uint32_t expected;
};

TEST(FormatCodecEncode, KnownColorsWithoutDithering) {
    const EncodeCase cases[] = {
        // clang-format off
        {D3DFMT_A4R4G4B4, {0.53333336f, 0.0f, 0.0f, 1.0f}, 0xF800},
        {D3DFMT_L8, {1.0f, 0.0f, 0.0f, 1.0f}, 54},
        {D3DFMT_L8, {1.0f, 1.0f, 1.0f, 1.0f}, 255},
        {D3DFMT_A8L8, {0.0f, 1.0f, 0.0f, 0.5f}, 0x80B6},
        {D3DFMT_A1R5G5B5, {0.0f, 0.0f, 0.0f, 0.49f}, 0x0000},
        {D3DFMT_A1R5G5B5, {0.0f, 0.0f, 0.0f, 0.5f}, 0x8000},
        {D3DFMT_X1R5G5B5, {1.0f, 1.0f, 1.0f, 1.0f}, 0x7FFF},
        {D3DFMT_X8R8G8B8, {1.0f, 1.0f, 1.0f, 1.0f}, 0x00FFFFFF},
        {D3DFMT_X4R4G4B4, {1.0f, 0.0f, 1.0f, 1.0f}, 0x0F0F},
        {D3DFMT_R8G8B8, {1.0f, 0.0f, 0.5f, 0.0f}, 0xFF0080},
        {D3DFMT_A8, {0.2f, 0.3f, 0.4f, 1.0f}, 0xFF},
        {D3DFMT_R3G3B2, {0.5f, 0.5f, 0.5f, 1.0f}, 0x92},
        // U = trunc(-126.5) = -126 (0x82), V = 127.
        {D3DFMT_V8U8, {-0.9921875f, 0.9921875f, 0.0f, 1.0f}, 0x7F82},
        {D3DFMT_V8U8, {-1.0f, 0.0f, 0.0f, 1.0f}, 0x0081},
        {D3DFMT_V8U8, {0.0f, 0.0f, 0.0f, 1.0f}, 0x0000},
        // A negative U must not spill into V.
        {D3DFMT_L6V5U5, {-1.0f, 0.0f, 0.0f, 1.0f}, 0xFC11},
        {D3DFMT_X8L8V8U8, {-1.0f, -1.0f, 0.0f, 1.0f}, 0x00FF8181},
        {D3DFMT_Q8W8V8U8, {0.0f, 0.0f, -1.0f, -1.0f}, 0x81810000},
        {D3DFMT_V16U16, {-1.0f, 0.5f, 0.0f, 1.0f}, 0x40008001},
        {D3DFMT_W11V11U10, {0.0f, 0.0f, 3.0f / 1024.0f, 1.0f}, 3u << 21},
        {D3DFMT_W11V11U10, {-1.0f, -1.0f, -1.0f, 1.0f}, 0x80300601},
        // clang-format on
    };
    for (const EncodeCase& c : cases) {
        EXPECT_EQ(EncodeOne(c.format, c.color), c.expected) << c.format << std::hex << " want " << c.expected;
    }
}

// Every stored value of every unsigned format of up to 16 bits decodes and
// encodes back to itself without dithering; X bits come back as zero.
TEST(FormatCodecRoundTrip, EveryStoredUnsignedValue) {
    struct Case {
        D3DFORMAT format;
        std::uint32_t xBits;
    } cases[] = {
        // clang-format off
        {D3DFMT_R5G6B5, 0},      {D3DFMT_X1R5G5B5, 0x8000}, {D3DFMT_A1R5G5B5, 0}, {D3DFMT_A4R4G4B4, 0},
        {D3DFMT_R3G3B2, 0},      {D3DFMT_A8, 0},            {D3DFMT_A8R3G3B2, 0}, {D3DFMT_X4R4G4B4, 0xF000},
        {D3DFMT_L8, 0},          {D3DFMT_A8L8, 0},          {D3DFMT_A4L4, 0},
        // clang-format on
    };
    for (const Case& c : cases) {
        const UINT count = 1u << FindPixelFormat(c.format).bitsPerPixel;
        Block in(c.format, count);
        Block out(c.format, count);
        for (UINT i = 0; i < count; ++i) {
            in.SetWord(i, i);
        }
        std::vector<ColorF> row(count);
        MakeCodec(in.Region())->DecodeRow(0, 0, row.data());
        MakeCodec(out.Region())->EncodeRow(0, 0, row.data());
        int mismatches = 0;
        for (UINT i = 0; i < count; ++i) {
            mismatches += out.Word(i) != (i & ~c.xBits);
        }
        EXPECT_EQ(mismatches, 0) << c.format;
    }
}

// Signed fields: zero and positive values come back unchanged, a negative
// value v comes back as v + 1 (truncation toward zero of v + 0.5).
TEST(FormatCodecRoundTrip, SignedFieldsTruncateTowardZero) {
    struct Field {
        unsigned shift, bits;
        bool isSigned;
    };
    struct Case {
        D3DFORMAT format;
        std::vector<Field> fields;
    } cases[] = {
        {D3DFMT_V8U8, {{8, 8, true}, {0, 8, true}}},
        {D3DFMT_L6V5U5, {{10, 6, false}, {5, 5, true}, {0, 5, true}}},
    };
    for (const Case& c : cases) {
        Block in(c.format, 65536);
        Block out(c.format, 65536);
        for (UINT i = 0; i < 65536; ++i) {
            in.SetWord(i, i);
        }
        std::vector<ColorF> row(65536);
        MakeCodec(in.Region())->DecodeRow(0, 0, row.data());
        MakeCodec(out.Region())->EncodeRow(0, 0, row.data());
        int mismatches = 0;
        for (UINT i = 0; i < 65536; ++i) {
            std::uint32_t expected = 0;
            for (const Field& f : c.fields) {
                const std::uint32_t mask = (1u << f.bits) - 1;
                std::uint32_t v = (i >> f.shift) & mask;
                if (f.isSigned && (v >> (f.bits - 1)) != 0) {
                    v = (v + 1) & mask;
                }
                expected |= v << f.shift;
            }
            mismatches += out.Word(i) != expected;
        }
        EXPECT_EQ(mismatches, 0) << c.format;
    }
}

}  // namespace
