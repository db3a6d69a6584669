// Image files in memory, files on disk and bitmap resources copied into a
// surface.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/com_ref.h"
#include "base/tovtex_defs.h"
#include "support/image_builders.h"
#include "support/texture_device_fixture.h"
#include "texload/image_file_to_surface.h"

namespace {

using test_support::Bytes;
using ImageFileToSurfaceTest = TextureDeviceTest;

TEST_F(ImageFileToSurfaceTest, ImageFilesResourcesAndFilesAsSources) {
    test_support::BmpLayout layout;
    layout.width = 2;
    layout.height = 2;
    layout.bitCount = 24;
    // Bottom-up rows of blue, green, red bytes, padded to 4 bytes.
    layout.pixels = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0, 0, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0, 0};
    const Bytes file = test_support::BuildBmp(layout);

    ComRef<IDirect3DSurface8> surface;
    *surface.Out() = NewSurface(2, 2, D3DFMT_A8R8G8B8);
    ImageInfo info{};
    ASSERT_EQ(CopyImageFileToSurface(surface.Get(), nullptr, nullptr, file.data(), static_cast<UINT>(file.size()),
                                     nullptr, FILTER_NONE, 0, &info),
              S_OK);
    EXPECT_EQ(info.width, 2u);
    EXPECT_EQ(info.height, 2u);
    EXPECT_EQ(info.format, D3DFMT_R8G8B8);
    const std::vector<uint32_t> expected{0xFF0000FFu, 0xFFFFFFFFu, 0xFFFF0000u, 0xFF00FF00u};
    EXPECT_EQ(ReadPixels(surface.Get()), expected);

    const RECT beyond{0, 0, 3, 2};
    EXPECT_EQ(CopyImageFileToSurface(surface.Get(), nullptr, nullptr, file.data(), static_cast<UINT>(file.size()),
                                     &beyond, FILTER_NONE, 0, nullptr),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(CopyImageFileToSurface(surface.Get(), nullptr, nullptr, file.data(), 0, nullptr, FILTER_NONE, 0, nullptr),
              D3DERR_INVALIDCALL);
    const uint8_t junk[16] = {1, 2, 3};
    EXPECT_EQ(
        CopyImageFileToSurface(surface.Get(), nullptr, nullptr, junk, sizeof(junk), nullptr, FILTER_NONE, 0, nullptr),
        ERR_INVALIDDATA);

    platform_testing::AddResource(nullptr, MAKEINTRESOURCEA(2), "PICTURE", file.data(), file.size());
    WritePixels(surface.Get(), [](UINT, UINT) { return 0u; });
    EXPECT_EQ(
        CopyResourceToSurfaceA(surface.Get(), nullptr, nullptr, nullptr, "PICTURE", nullptr, FILTER_NONE, 0, nullptr),
        S_OK);
    EXPECT_EQ(ReadPixels(surface.Get()), expected);
    const HRESULT missing =
        CopyResourceToSurfaceA(surface.Get(), nullptr, nullptr, nullptr, "NO_SUCH", nullptr, FILTER_NONE, 0, nullptr);
    EXPECT_EQ(static_cast<uint32_t>(missing) & 0xFFFF0000u, 0x80070000u);
    EXPECT_NE(static_cast<uint32_t>(missing) & 0xFFFFu, 0u);
    platform_testing::ClearResources();

    EXPECT_EQ(CopyFileToSurfaceA(surface.Get(), nullptr, nullptr, "/nonexistent/picture.bmp", nullptr, FILTER_NONE, 0,
                                 nullptr),
              static_cast<HRESULT>(0x80070002));
    const std::u16string wide = u"/nonexistent/picture.bmp";
    EXPECT_EQ(CopyFileToSurfaceW(surface.Get(), nullptr, nullptr, wide.c_str(), nullptr, FILTER_NONE, 0, nullptr),
              static_cast<HRESULT>(0x80070002));
}

}  // namespace
