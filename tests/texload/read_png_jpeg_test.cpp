#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>

#include <png.h>

#include "base/tovtex_defs.h"
#include "suite_test_util.h"

using namespace texload_test;
using test_support::Bytes;

namespace {

void Collect(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void Flush(png_structp) {}

// A 4 x 1 palette PNG with 16 entries (entry i = (16 i, 8 i, 255 - 16 i)),
// three tRNS values, and an optional gAMA / sRGB chunk.
Bytes PalettePng(double gamma, bool srgb) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &out, Collect, Flush);
        png_set_IHDR(png, info, 4, 1, 4, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_color colours[16];
        for (int i = 0; i < 16; ++i) {
            colours[i] = png_color{png_byte(16 * i), png_byte(8 * i), png_byte(255 - 16 * i)};
        }
        png_set_PLTE(png, info, colours, 16);
        png_byte alphas[3] = {0, 100, 200};
        png_set_tRNS(png, info, alphas, 3, nullptr);
        if (gamma > 0) png_set_gAMA(png, info, gamma);
        if (srgb) png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
        png_write_info(png, info);
        png_byte row[2] = {0x01, 0x2F};
        png_write_row(png, row);
        png_write_end(png, info);
    } else {
        ADD_FAILURE() << "libpng could not write the test file";
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

TEST(ReadPng, PaletteFromPlteTrnsAndGamma) {
    struct Case {
        const char* name;
        double gamma;
        bool srgb;
        double exponent;  // applied to the stored colours
    };
    const Case cases[] = {
        {"no gamma", 0, false, 1.0},
        {"gamma 0.45455", 0.45455, false, 1 / (0.45455 * 2.2)},
        {"gamma 1.0", 1.0, false, 1 / 2.2},
        {"gamma with sRGB", 0.45455, true, 1.0},
    };
    for (const Case& c : cases) {
        Bytes file = PalettePng(c.gamma, c.srgb);
        Image image;
        ASSERT_EQ(ReadPng(&image, file.data(), static_cast<UINT>(file.size())), S_OK) << c.name;
        ASSERT_EQ(image.format, D3DFMT_P8);
        EXPECT_EQ(Bytes(image.pixels, image.pixels + 4), (Bytes{0, 1, 2, 15})) << c.name << ": indices not widened";
        for (int i = 0; i < 256; ++i) {
            const PALETTEENTRY& e = image.palette[i];
            if (i >= 16) {
                ASSERT_TRUE(e.peRed == 255 && e.peGreen == 255 && e.peBlue == 255 && e.peFlags == 255) << i;
                continue;
            }
            auto corrected = [&](int v) { return int(std::pow(v / 255.0, c.exponent) * 255 + 0.5); };
            EXPECT_EQ(e.peRed, corrected(16 * i)) << c.name << " entry " << i;
            EXPECT_EQ(e.peGreen, corrected(8 * i)) << c.name << " entry " << i;
            EXPECT_EQ(e.peFlags, i < 3 ? (Bytes{0, 100, 200}[i]) : 255) << c.name << " entry " << i;
        }
    }
}

// The file without its chunks of one type (each chunk is length, type,
// data, CRC).
Bytes WithoutChunk(const Bytes& png, const char* type) {
    Bytes out(png.begin(), png.begin() + 8);
    for (size_t at = 8; at + 12 <= png.size();) {
        size_t length = size_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        size_t end = std::min(png.size(), at + 12 + length);
        if (!std::equal(type, type + 4, png.begin() + at + 4))
            out.insert(out.end(), png.begin() + at, png.begin() + end);
        at = end;
    }
    return out;
}

TEST(ReadPng, LayoutsOfTheSuiteImages) {
    struct Case {
        const char* file;
        D3DFORMAT format;
        UINT rowPitch;
        Bytes firstBytes;
    };
    const Case cases[] = {
        {"basn0g02.png", D3DFMT_L8, 32, {0, 0, 0, 0, 85, 85, 85, 85, 170, 170, 170, 170, 255}},  // gAMA removed
        {"basn6a16.png", D3DFMT_A8R8G8B8, 128, {}},
        {"basn2c08.png", D3DFMT_X8R8G8B8, 128, {}},
        {"basn3p04.png", D3DFMT_P8, 32, {}},
        {"tbrn2c08.png", D3DFMT_A8R8G8B8, 128, {}},
        {"tbbn0g04.png", D3DFMT_A8L8, 64, {}},
        {"basn4a08.png", D3DFMT_A8L8, 64, {}},
    };
    for (const Case& c : cases) {
        Decoded d;
        d.file = WithoutChunk(test_support::ReadFileBytes(Suite(std::string("pngsuite/") + c.file)), "gAMA");
        d.hr = ReadPng(&d.image, d.file.data(), static_cast<UINT>(d.file.size()));
        ASSERT_EQ(d.hr, S_OK) << c.file;
        EXPECT_EQ(d.image.format, c.format) << c.file;
        EXPECT_EQ(d.image.rowPitch, c.rowPitch) << c.file;
        if (!c.firstBytes.empty()) {
            EXPECT_EQ(Bytes(d.image.pixels, d.image.pixels + c.firstBytes.size()), c.firstBytes) << c.file;
        }
        if (c.format == D3DFMT_X8R8G8B8) {
            EXPECT_EQ(d.image.pixels[3], 0xFF) << c.file;
        }
        if (c.format == D3DFMT_P8) {
            for (LONG i = 0; i < d.image.rect.right; ++i) ASSERT_LT(d.image.pixels[i], 16) << c.file;
        }
    }
}

TEST(ReadPng, TruncatedFileFailsWithoutLeavingState) {
    Bytes file = test_support::ReadFileBytes(Suite("pngsuite/basn2c08.png"));
    for (size_t keep : {size_t{8}, size_t{40}, file.size() / 2, file.size() * 3 / 4}) {
        Image image;
        EXPECT_EQ(ReadPng(&image, file.data(), static_cast<UINT>(keep)), E_FAIL) << keep;
    }
}

TEST(ReadJpeg, TruncatedFilesAreFinishedWithAnEndMarker) {
    // Cut anywhere past the header, a JPEG still decodes (the rest reads as
    // an early end); cut inside the header, it is refused. Never a hang.
    Bytes file = test_support::ReadFileBytes(Suite("jpeg/pillow/hopper.jpg"));
    for (size_t keep : {size_t{2}, size_t{100}, file.size() / 2, file.size() - 2}) {
        Image image;
        HRESULT hr = ReadJpeg(&image, file.data(), static_cast<UINT>(keep));
        EXPECT_EQ(hr, keep < 600 ? E_FAIL : S_OK) << keep;
    }
}

}  // namespace
