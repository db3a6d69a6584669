// Decoding into the caller's rows, over every PNG and JPEG of the public
// suites into both 32-bit formats: the bytes are those of the top level the
// loader makes from the same file (for a picture of the same format, those
// of DecodeImageFile), rows are reported in order as they are finished, the
// padding past each row is left alone, and what cannot be decoded so is
// refused with the result that sends the caller to DecodeImageFile.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/tovtex_defs.h"
#include "convert/convert_testing.h"
#include "suite_test_util.h"
#include "support/texture_device_fixture.h"
#include "texload/image_file_info.h"
#include "texload/image_file_rows.h"
#include "texload/image_readers.h"
#include "texload/texture_loader.h"

namespace {

constexpr BYTE PAD = 0xC5;
constexpr UINT PAD_BYTES = 12;

struct Progress {
    std::vector<UINT> counts;
    static void Hear(void* context, UINT rowsDone) { static_cast<Progress*>(context)->counts.push_back(rowsDone); }
};

class ImageFileRowsTest : public TextureDeviceTest {
protected:
    void TearDown() override {
        tovtex::SetConversionShortcutsOff(false);
        TextureDeviceTest::TearDown();
    }

    // The top level the loader makes at the picture's size, row by row.
    std::vector<BYTE> LoadedTopLevel(const test_support::Bytes& file, D3DFORMAT format, UINT width, UINT height) {
        tovtex::SetConversionShortcutsOff(true);
        IDirect3DTexture8* texture = nullptr;
        const HRESULT hr = LoadTextureFromMemory(device_, file.data(), static_cast<UINT>(file.size()), width, height,
                                                 1, 0, format, D3DPOOL_MANAGED, FILTER_NONE, FILTER_NONE, 0, nullptr,
                                                 nullptr, &texture);
        tovtex::SetConversionShortcutsOff(false);
        std::vector<BYTE> out;
        EXPECT_EQ(hr, S_OK);
        if (FAILED(hr)) {
            return out;
        }
        D3DSURFACE_DESC desc{};
        D3DLOCKED_RECT locked{};
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Format, format);
        if (desc.Width == width && desc.Height == height &&
            texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
            for (UINT y = 0; y < height; ++y) {
                const BYTE* row = static_cast<const BYTE*>(locked.pBits) + y * static_cast<size_t>(locked.Pitch);
                out.insert(out.end(), row, row + 4 * size_t{width});
            }
            texture->UnlockRect(0);
        }
        texture->Release();
        return out;
    }
};

TEST_F(ImageFileRowsTest, GivesTheLoadersBytesRowByRow) {
    ASSERT_NE(device_, nullptr);
    std::vector<std::string> files = texload_test::FilesIn(texload_test::Suite("pngsuite"), ".png");
    for (const std::string& jpeg : texload_test::FilesIn(texload_test::Suite("jpeg/pillow"), ".jpg")) {
        files.push_back(jpeg);
    }
    files.push_back(texload_test::Suite("jpeg/jpeg-decoder/mozilla/jpg-progressive.jpg"));
    int decoded = 0, refused = 0;
    for (const std::string& path : files) {
        const test_support::Bytes file = test_support::ReadFileBytes(path);
        ASSERT_FALSE(file.empty()) << path;
        const UINT size = static_cast<UINT>(file.size());
        ImageFileDescription description{};
        const HRESULT described = DescribeImageFile(file.data(), size, &description);
        const UINT width = SUCCEEDED(described) ? description.info.width : 1;
        const UINT height = SUCCEEDED(described) ? description.info.height : 1;
        for (const D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
            SCOPED_TRACE(path + " into format " + std::to_string(format));
            const UINT pitch = 4 * width + PAD_BYTES;
            std::vector<BYTE> rows(size_t{pitch} * height, PAD);
            Progress progress;
            const HRESULT hr = DecodeImageFileIntoRows(file.data(), size, rows.data(), pitch, format, width, height,
                                                       Progress::Hear, &progress);
            if (FAILED(described)) {
                EXPECT_EQ(hr, described);
                EXPECT_TRUE(progress.counts.empty());
                continue;
            }
            const bool colour = description.info.format == D3DFMT_X8R8G8B8 ||
                                (description.info.format == D3DFMT_A8R8G8B8 && format == D3DFMT_A8R8G8B8);
            const bool takes = description.faces == 1 && description.info.mipLevels == 1 && colour &&
                               (std::strcmp(description.reader, "PNG") == 0 ||
                                std::strcmp(description.reader, "JPEG") == 0);
            if (!takes) {
                EXPECT_EQ(hr, E_NOTIMPL);
                EXPECT_TRUE(progress.counts.empty());
                ++refused;
                continue;
            }
            // The suite's broken files fail here as in DecodeImageFile.
            Image image;
            const HRESULT whole = DecodeImageFile(&image, file.data(), size, nullptr);
            if (FAILED(whole)) {
                EXPECT_EQ(hr, E_FAIL);
                continue;
            }
            ASSERT_EQ(hr, S_OK);
            ++decoded;
            // Rows in order, each once; every row when it was finished
            // (interlaced files: all at the end).
            ASSERT_FALSE(progress.counts.empty());
            EXPECT_EQ(progress.counts.back(), height);
            for (size_t i = 1; i < progress.counts.size(); ++i) {
                EXPECT_LT(progress.counts[i - 1], progress.counts[i]);
            }
            const bool interlaced = std::strcmp(description.reader, "PNG") == 0 && file[28] != 0;
            EXPECT_EQ(progress.counts.size(), interlaced ? 1u : height);

            const std::vector<BYTE> expected = LoadedTopLevel(file, format, width, height);
            ASSERT_EQ(expected.size(), size_t{4} * width * height);
            for (UINT y = 0; y < height; ++y) {
                const BYTE* row = rows.data() + size_t{y} * pitch;
                ASSERT_EQ(std::memcmp(row, expected.data() + size_t{4} * width * y, 4 * size_t{width}), 0)
                    << "row " << y;
                for (UINT i = 4 * width; i < pitch; ++i) {
                    ASSERT_EQ(row[i], PAD) << "row " << y << " padding";
                }
                if (image.format == format) {
                    ASSERT_EQ(std::memcmp(row, image.pixels + size_t{y} * image.rowPitch, 4 * size_t{width}), 0)
                        << "row " << y << " against DecodeImageFile";
                }
            }
        }
    }
    // The sweep covered both outcomes.
    EXPECT_GT(decoded, 40);
    EXPECT_GT(refused, 40);
}

TEST_F(ImageFileRowsTest, RefusesBadCallsAndReportsBrokenData) {
    const test_support::Bytes png = test_support::ReadFileBytes(texload_test::Suite("pngsuite/basn6a08.png"));
    const test_support::Bytes jpeg = test_support::ReadFileBytes(texload_test::Suite("jpeg/pillow/hopper.jpg"));
    ASSERT_FALSE(png.empty());
    ASSERT_FALSE(jpeg.empty());
    std::vector<BYTE> rows(4 * 128 * 128 + 64, PAD);
    const UINT pngSize = static_cast<UINT>(png.size());
    const struct {
        const char* what;
        const void* data;
        UINT size;
        void* pixels;
        UINT pitch;
        D3DFORMAT format;
        UINT width, height;
        HRESULT expected;
    } cases[] = {
        {"no data", nullptr, pngSize, rows.data(), 128, D3DFMT_A8R8G8B8, 32, 32, D3DERR_INVALIDCALL},
        {"no bytes", png.data(), 0, rows.data(), 128, D3DFMT_A8R8G8B8, 32, 32, D3DERR_INVALIDCALL},
        {"no rows", png.data(), pngSize, nullptr, 128, D3DFMT_A8R8G8B8, 32, 32, D3DERR_INVALIDCALL},
        {"16-bit rows", png.data(), pngSize, rows.data(), 128, D3DFMT_R5G6B5, 32, 32, D3DERR_INVALIDCALL},
        {"narrow pitch", png.data(), pngSize, rows.data(), 127, D3DFMT_A8R8G8B8, 32, 32, D3DERR_INVALIDCALL},
        {"other width", png.data(), pngSize, rows.data(), 256, D3DFMT_A8R8G8B8, 64, 32, D3DERR_INVALIDCALL},
        {"other height", png.data(), pngSize, rows.data(), 128, D3DFMT_A8R8G8B8, 32, 16, D3DERR_INVALIDCALL},
        {"no image file", "not a picture", 13, rows.data(), 128, D3DFMT_A8R8G8B8, 32, 32, ERR_INVALIDDATA},
        {"alpha into X8R8G8B8", png.data(), pngSize, rows.data(), 128, D3DFMT_X8R8G8B8, 32, 32, E_NOTIMPL},
        {"PNG cut short", png.data(), pngSize / 2, rows.data(), 128, D3DFMT_A8R8G8B8, 32, 32, E_FAIL},
    };
    for (const auto& c : cases) {
        std::fill(rows.begin(), rows.end(), PAD);
        Progress progress;
        EXPECT_EQ(DecodeImageFileIntoRows(c.data, c.size, c.pixels, c.pitch, c.format, c.width, c.height,
                                          Progress::Hear, &progress),
                  c.expected)
            << c.what;
        if (c.expected != E_FAIL) {
            EXPECT_TRUE(progress.counts.empty()) << c.what;
            EXPECT_EQ(std::count(rows.begin(), rows.end(), PAD), static_cast<long>(rows.size())) << c.what;
        } else {
            // Only finished rows were reported.
            EXPECT_LT(progress.counts.empty() ? 0 : progress.counts.back(), c.height) << c.what;
        }
    }
    // Without a progress callback, the same bytes.
    std::vector<BYTE> heard(4 * 128 * 128), silent(4 * 128 * 128);
    Progress progress;
    const UINT jpegSize = static_cast<UINT>(jpeg.size());
    ASSERT_EQ(DecodeImageFileIntoRows(jpeg.data(), jpegSize, heard.data(), 512, D3DFMT_X8R8G8B8, 128, 128,
                                      Progress::Hear, &progress),
              S_OK);
    ASSERT_EQ(DecodeImageFileIntoRows(jpeg.data(), jpegSize, silent.data(), 512, D3DFMT_X8R8G8B8, 128, 128, nullptr,
                                      nullptr),
              S_OK);
    EXPECT_EQ(heard, silent);
    EXPECT_EQ(progress.counts.size(), 128u);
}

}  // namespace
