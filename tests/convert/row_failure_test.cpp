#include <gtest/gtest.h>

#include <vector>

#include "codec/row_cache_testing.h"
#include "convert/convert_region.h"
#include "support/device_surface.h"

using test_support::Surface;

namespace {

// While alive, the YUV and DXT codecs get no row cache, so each of their
// row operations fails.
class RowCachesFail {
public:
    RowCachesFail() { tovtex::SetRowCacheAllocationFails(true); }
    ~RowCachesFail() { tovtex::SetRowCacheAllocationFails(false); }
    RowCachesFail(const RowCachesFail&) = delete;
    RowCachesFail& operator=(const RowCachesFail&) = delete;
};

struct Size3 {
    UINT width, height, depth;
};

}  // namespace

// Every way that reaches a YUV or DXT codec's rows (same size, unfiltered,
// point, box halving, linear, triangle; flat and volume) must pass the row
// failure on, so the job ends in E_FAIL with the destination untouched
// rather than an all-black level reported as done.
TEST(ConvertRegionRowFailure, FailedRowOperationsFailTheJob) {
    const struct {
        D3DFORMAT dstFormat;
        Size3 dst;
        D3DFORMAT srcFormat;
        Size3 src;
        DWORD filter;
    } cases[] = {
        // Block and YUV destinations.
        // clang-format off
        {D3DFMT_DXT1, {8, 8, 1}, D3DFMT_A8R8G8B8, {8, 8, 1}, FILTER_LINEAR},
        {D3DFMT_DXT5, {8, 8, 1}, D3DFMT_A8R8G8B8, {4, 4, 1}, FILTER_NONE},
        {D3DFMT_DXT3, {4, 4, 1}, D3DFMT_A8R8G8B8, {8, 8, 1}, FILTER_POINT},
        {D3DFMT_DXT1, {4, 4, 1}, D3DFMT_A8R8G8B8, {8, 8, 1}, FILTER_BOX},
        {D3DFMT_DXT1, {4, 4, 2}, D3DFMT_A8R8G8B8, {8, 8, 4}, FILTER_BOX},
        {D3DFMT_DXT5, {12, 8, 1}, D3DFMT_A8R8G8B8, {5, 7, 1}, FILTER_LINEAR},
        {D3DFMT_DXT2, {8, 8, 2}, D3DFMT_A8R8G8B8, {5, 7, 3}, FILTER_LINEAR},
        {D3DFMT_DXT4, {12, 8, 1}, D3DFMT_A8R8G8B8, {5, 7, 1}, FILTER_TRIANGLE},
        {D3DFMT_DXT1, {8, 4, 2}, D3DFMT_A8R8G8B8, {5, 7, 3}, FILTER_TRIANGLE},
        {D3DFMT_YUY2, {8, 4, 1}, D3DFMT_A8R8G8B8, {8, 4, 1}, FILTER_POINT | FILTER_DITHER},
        {D3DFMT_UYVY, {6, 3, 1}, D3DFMT_X8R8G8B8, {3, 5, 1}, FILTER_NONE},
        {D3DFMT_YUY2, {6, 3, 1}, D3DFMT_R5G6B5, {3, 5, 1}, FILTER_POINT},
        {D3DFMT_UYVY, {4, 4, 1}, D3DFMT_A8R8G8B8, {8, 8, 1}, FILTER_BOX},
        {D3DFMT_YUY2, {10, 6, 1}, D3DFMT_A8R8G8B8, {4, 4, 1}, FILTER_LINEAR},
        {D3DFMT_UYVY, {10, 6, 1}, D3DFMT_A8R8G8B8, {4, 4, 1}, FILTER_TRIANGLE},
        // Block and YUV sources.
        {D3DFMT_A8R8G8B8, {8, 8, 1}, D3DFMT_DXT1, {8, 8, 1}, FILTER_LINEAR},
        {D3DFMT_A8R8G8B8, {6, 2, 1}, D3DFMT_DXT3, {4, 4, 1}, FILTER_NONE},
        {D3DFMT_X8R8G8B8, {3, 5, 1}, D3DFMT_DXT5, {8, 8, 1}, FILTER_POINT},
        {D3DFMT_A8R8G8B8, {4, 4, 1}, D3DFMT_DXT1, {8, 8, 1}, FILTER_BOX},
        {D3DFMT_A8R8G8B8, {4, 4, 2}, D3DFMT_DXT1, {8, 8, 4}, FILTER_BOX},
        {D3DFMT_A8R8G8B8, {32, 32, 1}, D3DFMT_DXT5, {8, 8, 1}, FILTER_LINEAR},
        {D3DFMT_A8R8G8B8, {3, 5, 2}, D3DFMT_DXT2, {8, 8, 3}, FILTER_LINEAR},
        {D3DFMT_A8R8G8B8, {5, 7, 1}, D3DFMT_DXT4, {8, 8, 1}, FILTER_TRIANGLE},
        {D3DFMT_A8R8G8B8, {5, 7, 2}, D3DFMT_DXT1, {8, 8, 3}, FILTER_TRIANGLE},
        {D3DFMT_A8R8G8B8, {8, 4, 1}, D3DFMT_YUY2, {8, 4, 1}, FILTER_POINT},
        {D3DFMT_R5G6B5, {3, 5, 1}, D3DFMT_UYVY, {6, 3, 1}, FILTER_NONE},
        {D3DFMT_A8R8G8B8, {4, 2, 1}, D3DFMT_YUY2, {8, 4, 1}, FILTER_BOX},
        {D3DFMT_A8R8G8B8, {3, 5, 1}, D3DFMT_UYVY, {6, 3, 1}, FILTER_LINEAR},
        {D3DFMT_A8R8G8B8, {3, 5, 1}, D3DFMT_YUY2, {6, 3, 1}, FILTER_TRIANGLE},
        // Both sides, the formats differing so that no block copy applies.
        {D3DFMT_DXT5, {8, 8, 1}, D3DFMT_DXT1, {8, 8, 1}, FILTER_LINEAR},
        {D3DFMT_YUY2, {8, 8, 1}, D3DFMT_UYVY, {8, 8, 1}, FILTER_POINT},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.dstFormat << " " << std::dec << c.dst.width << "x"
                                        << c.dst.height << "x" << c.dst.depth << " from " << std::hex << c.srcFormat
                                        << " " << std::dec << c.src.width << "x" << c.src.height << "x" << c.src.depth
                                        << ", filter " << std::hex << c.filter);
        Surface src(c.srcFormat, c.src.width, c.src.height, c.src.depth);
        for (std::size_t i = 0; i < src.bytes.size(); ++i) {
            src.bytes[i] = static_cast<BYTE>(i * 37 + 11);
        }
        Surface dst(c.dstFormat, c.dst.width, c.dst.height, c.dst.depth);
        const std::vector<BYTE> before(dst.bytes.size(), 0xA5);
        dst.bytes = before;
        {
            RowCachesFail fail;
            PixelRegion d = dst.Region();
            const PixelRegion s = src.Region();
            EXPECT_EQ(ConvertRegion(&d, &s, c.filter), E_FAIL);
        }
        EXPECT_EQ(dst.bytes, before);

        // With memory the same job is done.
        PixelRegion d = dst.Region();
        const PixelRegion s = src.Region();
        EXPECT_EQ(ConvertRegion(&d, &s, c.filter), S_OK);
        EXPECT_NE(dst.bytes, before);
    }
}

TEST(ConvertRegionRowFailure, BlockCopyNeedsNoRowCache) {
    // Same format and size, block aligned: copied block row by block row,
    // never through the codec's rows.
    Surface src(D3DFMT_DXT3, 8, 8);
    for (std::size_t i = 0; i < src.bytes.size(); ++i) {
        src.bytes[i] = static_cast<BYTE>(i * 5 + 3);
    }
    Surface dst(D3DFMT_DXT3, 8, 8);
    RowCachesFail fail;
    PixelRegion d = dst.Region();
    const PixelRegion s = src.Region();
    ASSERT_EQ(ConvertRegion(&d, &s, FILTER_LINEAR), S_OK);
    EXPECT_EQ(dst.bytes, src.bytes);
}
