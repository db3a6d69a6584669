#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/tovtex_defs.h"
#include "suite_test_util.h"

using namespace texload_test;

namespace {

struct Expectation {
    HRESULT result;
    D3DFORMAT format;
    const char* reference;  // html/<name>, or null
    int tolerance;
};

// What the bitmap reader's rules say of each good file: 40-byte headers
// with BI_BITFIELDS and the 12-byte OS/2 header are refused.
const std::map<std::string, Expectation> GOOD = {
    {"pal1.bmp", {S_OK, D3DFMT_P8, "pal1.png", 0}},
    {"pal1bg.bmp", {S_OK, D3DFMT_P8, "pal1bg.png", 0}},
    {"pal1wb.bmp", {S_OK, D3DFMT_P8, "pal1.png", 0}},
    {"pal4.bmp", {S_OK, D3DFMT_P8, "pal4.png", 0}},
    {"pal4gs.bmp", {S_OK, D3DFMT_P8, "pal4gs.png", 0}},
    {"pal4rle.bmp", {S_OK, D3DFMT_P8, "pal4.png", 0}},
    {"pal8-0.bmp", {S_OK, D3DFMT_P8, "pal8.png", 0}},
    {"pal8.bmp", {S_OK, D3DFMT_P8, "pal8.png", 0}},
    {"pal8gs.bmp", {S_OK, D3DFMT_P8, "pal8gs.png", 0}},
    {"pal8nonsquare.bmp", {S_OK, D3DFMT_P8, "pal8nonsquare-e.png", 0}},
    {"pal8os2.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"pal8rle.bmp", {S_OK, D3DFMT_P8, "pal8.png", 0}},
    {"pal8topdown.bmp", {S_OK, D3DFMT_P8, "pal8.png", 0}},
    {"pal8v4.bmp", {S_OK, D3DFMT_P8, "pal8.png", 0}},
    {"pal8v5.bmp", {S_OK, D3DFMT_P8, "pal8.png", 0}},
    {"pal8w124.bmp", {S_OK, D3DFMT_P8, "pal8w124.png", 0}},
    {"pal8w125.bmp", {S_OK, D3DFMT_P8, "pal8w125.png", 0}},
    {"pal8w126.bmp", {S_OK, D3DFMT_P8, "pal8w126.png", 0}},
    {"rgb16-565.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgb16-565pal.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgb16.bmp", {S_OK, D3DFMT_X1R5G5B5, "rgb16.png", 4}},
    {"rgb16bfdef.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgb24.bmp", {S_OK, D3DFMT_R8G8B8, "rgb24.png", 0}},
    {"rgb24pal.bmp", {S_OK, D3DFMT_R8G8B8, "rgb24.png", 0}},
    {"rgb32.bmp", {S_OK, D3DFMT_X8R8G8B8, "rgb24.png", 0}},
    {"rgb32bf.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgb32bfdef.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
};

// Questionable files whose fate the rules decide plainly.
const std::map<std::string, Expectation> QUESTIONABLE = {
    {"pal2.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"pal8os2v2-16.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"pal8os2v2.bmp", {S_OK, D3DFMT_P8, "pal8.png", 0}},
    {"pal8oversizepal.bmp", {S_OK, D3DFMT_P8, "pal8.png", 0}},
    {"rgb24largepal.bmp", {S_OK, D3DFMT_R8G8B8, "rgb24.png", 0}},
    {"rgb24jpeg.bmp", {E_NOTIMPL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgb24png.bmp", {E_NOTIMPL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgb24rle24.bmp", {E_NOTIMPL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgba32abf.bmp", {E_NOTIMPL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgba16-4444.bmp", {S_OK, D3DFMT_A4R4G4B4, "rgba16-4444.png", 2}},
    {"rgba16-5551.bmp", {S_OK, D3DFMT_A1R5G5B5, "rgba16-5551.png", 4}},
    {"rgba16-1924.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgba32-1.bmp", {S_OK, D3DFMT_A8R8G8B8, "rgba32.png", 0}},
    {"rgba32-2.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgb32-xbgr.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgba64.bmp", {E_FAIL, D3DFMT_UNKNOWN, nullptr, 0}},
    {"rgb16faketrns.bmp", {S_OK, D3DFMT_X1R5G5B5, "rgb16.png", 4}},
    {"rgb32fakealpha.bmp", {S_OK, D3DFMT_X8R8G8B8, "rgb24.png", 0}},
};

Rgba8 Premultiplied(Rgba8 image) {
    for (size_t i = 0; i < image.bytes.size(); i += 4) {
        for (size_t c = 0; c < 3; ++c) {
            image.bytes[i + c] = static_cast<uint8_t>((image.bytes[i + c] * image.bytes[i + 3] + 127) / 255);
        }
    }
    return image;
}

void Check(const std::string& folder, const std::map<std::string, Expectation>& table, bool every) {
    size_t seen = 0;
    for (const std::string& path : FilesIn(Suite("bmpsuite/" + folder), ".bmp")) {
        std::string name = std::filesystem::path(path).filename().string();
        auto it = table.find(name);
        Decoded d;
        DecodeWith(ReadBmp, path, &d);
        if (it == table.end()) {
            EXPECT_FALSE(every) << name << " has no expectation";
            continue;
        }
        ++seen;
        const Expectation& e = it->second;
        ASSERT_EQ(d.hr, e.result) << name;
        if (e.result != S_OK) continue;
        EXPECT_EQ(d.image.format, e.format) << name;
        if (e.reference != nullptr) {
            // Colours under alpha 0 are arbitrary: compare premultiplied.
            EXPECT_LE(MaxChannelDifference(Premultiplied(ToRgba8(d.image)),
                                           Premultiplied(ReferencePng(Suite("bmpsuite/html/") + e.reference))),
                      e.tolerance)
                << name;
        }
    }
    EXPECT_EQ(seen, table.size());
}

TEST(BmpSuite, GoodFilesFollowTheReaderRules) {
    Check("g", GOOD, true);
}

TEST(BmpSuite, QuestionableFilesWithPlainOutcomes) {
    Check("q", QUESTIONABLE, false);
}

TEST(BmpSuite, EveryFileDecodesOrIsRefusedThroughTheDispatcher) {
    // The bad and questionable files only need to be answered cleanly (the
    // sanitizer build proves nothing is read out of bounds).
    for (const char* folder : {"g", "q", "b", "x"}) {
        for (const std::string& path : FilesIn(Suite(std::string("bmpsuite/") + folder), ".bmp")) {
            test_support::Bytes file = test_support::ReadFileBytes(path);
            Image image;
            ImageInfo info{};
            HRESULT hr = DecodeImageFile(&image, file.data(), static_cast<UINT>(file.size()), &info);
            EXPECT_TRUE(hr == S_OK || hr == ERR_INVALIDDATA) << path;
            if (hr == S_OK) {
                EXPECT_EQ(ToRgba8(image).bytes.size(), size_t(info.width) * info.height * 4) << path;
            }
        }
    }
}

}  // namespace
