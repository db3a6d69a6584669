#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "allocation_limit.h"
#include "support/image_builders.h"
#include "texload/image_readers.h"

using namespace test_support;

namespace {

struct Decoded {
    HRESULT hr = E_FAIL;
    LONG width = 0, height = 0;
    std::vector<uint32_t> pixels;
};

Decoded Decode(const Bytes& file) {
    Image image;
    Decoded out;
    out.hr = ReadPpm(&image, file.data(), static_cast<UINT>(file.size()));
    if (SUCCEEDED(out.hr)) {
        EXPECT_EQ(image.format, D3DFMT_X8R8G8B8);
        EXPECT_TRUE(image.ownsPixels);
        EXPECT_EQ(image.rowPitch, 4u * image.rect.right);
        out.width = image.rect.right;
        out.height = image.rect.bottom;
        const auto* p = reinterpret_cast<const uint32_t*>(image.pixels);
        out.pixels.assign(p, p + out.width * out.height);
    }
    return out;
}

Bytes Binary(const std::string& header, const Bytes& samples) {
    Bytes out = TextBytes(header);
    Append(out, samples);
    return out;
}

TEST(ReadPpm, DecodesTextAndByteSamples) {
    struct Case {
        const char* name;
        Bytes file;
        LONG width, height;
        std::vector<uint32_t> pixels;
    };
    const Case cases[] = {
        {"text", TextBytes("P3 2 1 255 255 0 0 0 0 255"), 2, 1, {0xFFFF0000, 0xFF0000FF}},
        {"text maximum 15", TextBytes("P3\n1 1\n15\n15 15 15\n"), 1, 1, {0xFFFFFFFF}},
        {"text maximum 100 truncates", TextBytes("P3 1 1 100 50 50 50"), 1, 1, {0xFF7F7F7F}},
        {"comment between width and height", TextBytes("P3 1 # width\n1 255 1 2 3"), 1, 1, {0xFF010203}},
        {"comment at the very end", TextBytes("P3 1 1 255 1 2 3 # done"), 1, 1, {0xFF010203}},
        {"more samples than pixels", TextBytes("P3 1 1 255 1 2 3 4 x"), 1, 1, {0xFF010203}},
        {"sample above the maximum is full", TextBytes("P3 1 1 15 16 99999 0"), 1, 1, {0xFFFFFF00}},
        {"bytes", Binary("P6 2 1 255\n", {1, 2, 3, 4, 5, 6}), 2, 1, {0xFF010203, 0xFF040506}},
        {"bytes after CR LF", Binary("P6 1 1 255\r\n", {10, 20, 30}), 1, 1, {0xFF0A141E}},
        {"bytes maximum 127", Binary("P6 1 1 127 ", {127, 0, 64}), 1, 1, {0xFFFF0080}},
        {"byte samples end at the data end", Binary("P6 1 1 255 ", {1, 2, 3}), 1, 1, {0xFF010203}},
    };
    for (const Case& c : cases) {
        Decoded d = Decode(c.file);
        ASSERT_EQ(d.hr, S_OK) << c.name;
        EXPECT_EQ(d.width, c.width) << c.name;
        EXPECT_EQ(d.height, c.height) << c.name;
        EXPECT_EQ(d.pixels, c.pixels) << c.name;
    }
}

TEST(ReadPpm, RefusesWhatIsNotAUsablePixmap) {
    const std::pair<const char*, Bytes> cases[] = {
        {"one byte", TextBytes("P")},
        {"magic only", TextBytes("P3")},
        {"grey forms", TextBytes("P2 1 1 255 0")},
        {"bitmap form", TextBytes("P4 1 1 0")},
        {"binary grey", TextBytes("P5 1 1 255 0")},
        {"zero width", TextBytes("P3 0 1 255")},
        {"zero height", TextBytes("P3 1 0 255")},
        {"zero maximum", TextBytes("P3 1 1 0 0 0 0")},
        {"letter in a number", TextBytes("P3 1x 1 255 0 0 0")},
        {"negative number", TextBytes("P3 -1 1 255 0 0 0")},
        {"too few text samples", TextBytes("P3 1 1 255 0 0")},
        {"number above 32 bits", TextBytes("P3 4294967297 1 255 0 0 0")},
        {"width times height wraps", TextBytes("P3 65536 65536 255 0 0 0")},
        {"byte samples one short", Binary("P6 2 1 255\n", {1, 2, 3, 4, 5})},
        {"16-bit byte samples", Binary("P6 1 1 65535\n", {1, 2, 3, 4, 5, 6})},
        {"no samples after the maximum", TextBytes("P6 1 1 255")},
        {"absurd height, no whitespace after magic", TextBytes("P632 358888888632!\n")},
        {"huge picture from a tiny file", TextBytes("P6 30000 30000 255\n123")},
    };
    PixelLimit none(0);  // the last two would be refused for their size first
    for (const auto& [name, file] : cases) {
        EXPECT_EQ(Decode(file).hr, E_FAIL) << name;
    }
}

}  // namespace
