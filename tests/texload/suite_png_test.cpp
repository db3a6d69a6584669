#include <gtest/gtest.h>

#include <filesystem>

#include "base/tovtex_defs.h"
#include "suite_test_util.h"

using namespace texload_test;

namespace {

bool HasChunk(const test_support::Bytes& png, const char* type) {
    for (size_t at = 8; at + 8 <= png.size();) {
        uint32_t length = uint32_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (std::equal(type, type + 4, png.begin() + at + 4)) return true;
        at += 12 + uint64_t(length);
    }
    return false;
}

// The format the reader gives each colour type (the name's fifth character).
D3DFORMAT ExpectedFormat(char colourType, bool hasTrns) {
    switch (colourType) {
    case '0': return hasTrns ? D3DFMT_A8L8 : D3DFMT_L8;
    case '2': return hasTrns ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    case '3': return D3DFMT_P8;
    case '4': return D3DFMT_A8L8;
    default: return D3DFMT_A8R8G8B8;
    }
}

TEST(PngSuite, EveryImageDecodesToLibpngsPixels) {
    int decoded = 0;
    for (const std::string& path : FilesIn(Suite("pngsuite"), ".png")) {
        std::string name = std::filesystem::path(path).filename().string();
        if (name[0] == 'x' || name == "PngSuite.png") continue;
        Decoded d;
        DecodeWith(ReadPng, path, &d);
        ASSERT_EQ(d.hr, S_OK) << name;
        EXPECT_EQ(d.image.format, ExpectedFormat(name[name.size() - 8], HasChunk(d.file, "tRNS"))) << name;
        EXPECT_TRUE(d.image.ownsPixels) << name;
        // Gamma files: the palette is corrected by our own table, libpng's
        // may round the other way.
        const int tolerance = HasChunk(d.file, "gAMA") && !HasChunk(d.file, "sRGB") ? 1 : 0;
        EXPECT_LE(MaxChannelDifference(ToRgba8(d.image), DecodePngReference(d.file, true)), tolerance) << name;
        ++decoded;
    }
    EXPECT_EQ(decoded, 161);
}

TEST(PngSuite, CorruptImagesAreRefused) {
    int refused = 0;
    for (const std::string& path : FilesIn(Suite("pngsuite"), ".png")) {
        std::string name = std::filesystem::path(path).filename().string();
        if (name[0] != 'x') continue;
        Decoded d;
        DecodeWith(ReadPng, path, &d);
        EXPECT_EQ(d.hr, E_FAIL) << name;
        Image image;
        EXPECT_EQ(DecodeImageFile(&image, d.file.data(), static_cast<UINT>(d.file.size()), nullptr), ERR_INVALIDDATA)
            << name;
        ++refused;
    }
    EXPECT_EQ(refused, 14);
}

}  // namespace
