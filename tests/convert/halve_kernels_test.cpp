#include <gtest/gtest.h>

#include <vector>

#include "convert/halve_kernels.h"
#include "convert_test_util.h"

using namespace convert_test;

namespace {

struct FieldSpec {
    unsigned shift, bits;
};

struct KernelCase {
    D3DFORMAT format;
    UINT bytes;
    std::vector<FieldSpec> fields;  // every averaged field; other bits are 0
};

// The kernel formats and their fields, written out from the formats' bit
// layouts.
const KernelCase KERNEL_CASES[] = {
    // clang-format off
    {D3DFMT_A8R8G8B8, 4, {{0, 8}, {8, 8}, {16, 8}, {24, 8}}},
    {D3DFMT_X8R8G8B8, 4, {{0, 8}, {8, 8}, {16, 8}}},
    {D3DFMT_R5G6B5, 2, {{0, 5}, {5, 6}, {11, 5}}},
    {D3DFMT_X1R5G5B5, 2, {{0, 5}, {5, 5}, {10, 5}}},
    {D3DFMT_A1R5G5B5, 2, {{0, 5}, {5, 5}, {10, 5}, {15, 1}}},
    {D3DFMT_A4R4G4B4, 2, {{0, 4}, {4, 4}, {8, 4}, {12, 4}}},
    {D3DFMT_R3G3B2, 1, {{0, 2}, {2, 3}, {5, 3}}},
    {D3DFMT_A8, 1, {{0, 8}}},
    {D3DFMT_A8R3G3B2, 2, {{0, 2}, {2, 3}, {5, 3}, {8, 8}}},
    {D3DFMT_X4R4G4B4, 2, {{0, 4}, {4, 4}, {8, 4}}},
    {D3DFMT_L8, 1, {{0, 8}}},
    {D3DFMT_A8L8, 2, {{0, 8}, {8, 8}}},
    {D3DFMT_A4L4, 1, {{0, 4}, {4, 4}}},
    // clang-format on
};

std::uint32_t ReferenceAverage(const KernelCase& k, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                               std::uint32_t d) {
    std::uint32_t out = 0;
    for (const FieldSpec& f : k.fields) {
        const std::uint32_t mask = (1u << f.bits) - 1;
        const std::uint32_t sum =
            (a >> f.shift & mask) + (b >> f.shift & mask) + (c >> f.shift & mask) + (d >> f.shift & mask);
        out |= ((sum + 2) >> 2) << f.shift;
    }
    return out;
}

}  // namespace

TEST(HalveKernels, EveryKernelEqualsTheFieldByFieldAverage) {
    Lcg rng{42};
    for (const KernelCase& k : KERNEL_CASES) {
        SCOPED_TRACE(k.format);
        const HalveKernel kernel = FindHalveKernel(k.format);
        ASSERT_NE(kernel, nullptr);
        // Odd sizes and a padded pitch; the widths cover the vector body and
        // the tail. The extreme values bias the data toward carries.
        for (UINT width : {1u, 3u, 4u, 9u, 33u}) {
            const UINT height = 3;
            const INT srcPitch = static_cast<INT>((2 * width + 1) * k.bytes + 5);
            const INT dstPitch = static_cast<INT>(width * k.bytes + 3);
            std::vector<BYTE> src(static_cast<std::size_t>(srcPitch) * (2 * height + 1));
            for (BYTE& b : src) {
                const std::uint32_t r = rng.Next();
                b = (r & 0x300) == 0 ? 0xFF : (r & 0x300) == 0x100 ? 0 : static_cast<BYTE>(r);
            }
            std::vector<BYTE> dst(static_cast<std::size_t>(dstPitch) * height, 0xA5);
            kernel(dst.data(), dstPitch, src.data(), srcPitch, width, height);
            auto word = [&](const std::vector<BYTE>& v, std::size_t offset) {
                std::uint32_t w = 0;
                std::memcpy(&w, v.data() + offset, k.bytes);
                return w;
            };
            for (UINT y = 0; y < height; ++y) {
                for (UINT x = 0; x < width; ++x) {
                    const std::size_t top = static_cast<std::size_t>(2 * y) * srcPitch + 2 * x * k.bytes;
                    const std::size_t bottom = top + srcPitch;
                    const std::uint32_t expected = ReferenceAverage(k, word(src, top), word(src, top + k.bytes),
                                                                    word(src, bottom), word(src, bottom + k.bytes));
                    ASSERT_EQ(word(dst, static_cast<std::size_t>(y) * dstPitch + x * k.bytes), expected)
                        << "pixel " << x << "," << y << " width " << width;
                }
                // Nothing written past the row.
                for (INT i = static_cast<INT>(width * k.bytes); i < dstPitch; ++i) {
                    ASSERT_EQ(dst[static_cast<std::size_t>(y) * dstPitch + i], 0xA5);
                }
            }
        }
    }
}

TEST(HalveKernels, FormatsWithoutIntegerFieldsHaveNone) {
    for (D3DFORMAT f : {D3DFMT_R8G8B8, D3DFMT_P8, D3DFMT_A8P8, D3DFMT_V8U8, D3DFMT_DXT1, D3DFMT_UYVY}) {
        EXPECT_EQ(FindHalveKernel(f), nullptr) << f;
    }
}
