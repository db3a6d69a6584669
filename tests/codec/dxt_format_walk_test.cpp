#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "codec_test_util.h"

using namespace codec_test;

namespace {

// Every format of the table converts a block into every other format of
// its sample class through the row interface, the block and YUV codecs
// included, for a whole surface and for a box that cuts pairs and blocks;
// what comes back out of the destination is in range.
TEST(FormatWalk, EveryFormatConvertsToEveryFormatOfItsClass) {
    const PixelBox boxes[] = {{0, 0, 8, 8, 0, 1}, {1, 2, 7, 7, 0, 1}};
    std::mt19937 rng(9);
    int conversions = 0;
    for (const PixelFormatInfo& from : PixelFormats()) {
        Surface source(from.format, 8, 8);
        for (BYTE& b : source.bytes) {
            b = static_cast<BYTE>(rng());
        }
        for (const PixelFormatInfo& to : PixelFormats()) {
            for (const PixelBox& box : boxes) {
                auto reader = Open(source.Region(box));
                ASSERT_NE(reader, nullptr) << from.format;
                Surface destination(to.format, 8, 8);
                auto writer = Open(destination.Region(box));
                ASSERT_NE(writer, nullptr) << to.format;
                if (reader->sampleClass != writer->sampleClass || from.format == to.format) {
                    continue;
                }
                SCOPED_TRACE(testing::Message() << from.format << " -> " << to.format << " box left " << box.left);
                std::vector<ColorF> row(reader->width);
                for (UINT y = 0; y < reader->height; ++y) {
                    ASSERT_EQ(reader->DecodeRow(y, 0, row.data()), S_OK);
                    ASSERT_EQ(writer->EncodeRow(y, 0, row.data()), S_OK);
                }
                writer.reset();  // writes back what the codec caches
                const float low = reader->sampleClass == SAMPLE_SIGNED ? -1.0f : 0.0f;
                auto check = Open(destination.Region(box));
                for (UINT y = 0; y < check->height; ++y) {
                    ASSERT_EQ(check->DecodeRow(y, 0, row.data()), S_OK);
                    for (const ColorF& c : row) {
                        for (float v : {c.r, c.g, c.b, c.a}) {
                            ASSERT_TRUE(v >= low && v <= 1.0f) << v;
                        }
                    }
                }
                ++conversions;
            }
        }
    }
    // 23 unsigned formats and 6 signed ones, both boxes.
    EXPECT_EQ(conversions, 2 * (23 * 22 + 6 * 5));
}

}  // namespace
