// Every public test file and the game's own files, loaded through the
// shortcuts (decoding straight into the top level, direct row converters,
// column gathering, integer linear averaging) and again through the plain
// route of a decoded picture and ColorF rows: the result codes and every
// byte of every level must agree.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/tovtex_defs.h"
#include "convert/convert_testing.h"
#include "support/test_paths.h"
#include "support/texture_device_fixture.h"
#include "texload/texture_loader.h"

namespace {

// Result code, then every level of every face as the device holds it.
struct Loaded {
    HRESULT hr = E_FAIL;
    std::vector<std::vector<uint8_t>> levels;
};

std::vector<uint8_t> LevelBytes(IDirect3DSurface8* surface) {
    D3DSURFACE_DESC desc{};
    surface->GetDesc(&desc);
    D3DLOCKED_RECT locked{};
    if (surface->LockRect(&locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
        ADD_FAILURE() << "level could not be locked";
        return {};
    }
    const auto* bits = static_cast<const uint8_t*>(locked.pBits);
    std::vector<uint8_t> bytes(bits, bits + desc.Size);
    surface->UnlockRect();
    return bytes;
}

enum class Kind { Texture, Cube };

struct LoadCase {
    const char* name;
    Kind kind;
    UINT width, height;  // or the cube's size in width
    D3DFORMAT format;
    DWORD filter, mipFilter;
    D3DCOLOR colorKey;
};

constexpr LoadCase CASES[] = {
    // The game's loads.
    {"game", Kind::Texture, 0, 0, D3DFMT_A8R8G8B8, FILTER_LINEAR, FILTER_LINEAR, 0},
    // The defaults: triangle level 0, box chain.
    {"defaults", Kind::Texture, DEFAULT_ARG, DEFAULT_ARG, D3DFMT_UNKNOWN, DEFAULT_ARG, DEFAULT_ARG, 0},
    // Uneven resampling into a 16-bit format with dithering and a key.
    {"odd 565", Kind::Texture, 37, 23, D3DFMT_R5G6B5, FILTER_LINEAR | FILTER_DITHER, FILTER_LINEAR, 0xFF000000},
    // Strong shrinks: the linear filter gathers columns from level 0 on.
    {"small x8", Kind::Texture, 5, 3, D3DFMT_X8R8G8B8, FILTER_LINEAR | FILTER_MIRROR_U, FILTER_LINEAR, 0},
    {"cube", Kind::Cube, 0, 0, D3DFMT_A8R8G8B8, FILTER_LINEAR, FILTER_LINEAR, 0},
};

std::vector<std::string> PublicFiles() {
    std::vector<std::string> files;
    for (const std::string& folder : {test_support::TestDataDir(), test_support::SourceDir() + "/data"}) {
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
             !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            const std::string extension = it->path().extension().string();
            if (it->is_regular_file() && extension != ".md" && extension != ".txt") {
                files.push_back(it->path().string());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

class LoadRoutesTest : public TextureDeviceTest {
protected:
    void TearDown() override {
        tovtex::SetConversionShortcutsOff(false);
        TextureDeviceTest::TearDown();
    }

    Loaded Load(const std::string& path, const LoadCase& c, bool shortcutsOff) {
        tovtex::SetConversionShortcutsOff(shortcutsOff);
        Loaded out;
        if (c.kind == Kind::Texture) {
            IDirect3DTexture8* texture = nullptr;
            out.hr = LoadTextureFromFileA(device_, path.c_str(), c.width, c.height, 0, 0, c.format, D3DPOOL_MANAGED,
                                          c.filter, c.mipFilter, c.colorKey, nullptr, nullptr, &texture);
            if (texture != nullptr) {
                for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
                    IDirect3DSurface8* surface = nullptr;
                    if (texture->GetSurfaceLevel(level, &surface) == D3D_OK) {
                        out.levels.push_back(LevelBytes(surface));
                        surface->Release();
                    }
                }
                texture->Release();
            }
        } else {
            IDirect3DCubeTexture8* cube = nullptr;
            out.hr = LoadCubeTextureFromFileA(device_, path.c_str(), c.width, 0, 0, c.format, D3DPOOL_MANAGED,
                                              c.filter, c.mipFilter, c.colorKey, nullptr, nullptr, &cube);
            if (cube != nullptr) {
                for (UINT face = 0; face < 6; ++face) {
                    for (UINT level = 0; level < cube->GetLevelCount(); ++level) {
                        IDirect3DSurface8* surface = nullptr;
                        if (cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, &surface) == D3D_OK) {
                            out.levels.push_back(LevelBytes(surface));
                            surface->Release();
                        }
                    }
                }
                cube->Release();
            }
        }
        tovtex::SetConversionShortcutsOff(false);
        return out;
    }
};

TEST_F(LoadRoutesTest, ShortcutsGiveThePlainRoutesBytesForEveryFile) {
    ASSERT_NE(device_, nullptr);
    const std::vector<std::string> files = PublicFiles();
    ASSERT_GT(files.size(), 400u) << "the public suites are missing";
    int loaded = 0;
    int cubes = 0;
    for (const std::string& path : files) {
        for (const LoadCase& c : CASES) {
            SCOPED_TRACE(path + " (" + c.name + ")");
            const Loaded fast = Load(path, c, false);
            const Loaded plain = Load(path, c, true);
            ASSERT_EQ(fast.hr, plain.hr);
            ASSERT_EQ(fast.levels.size(), plain.levels.size());
            for (size_t level = 0; level < fast.levels.size(); ++level) {
                ASSERT_TRUE(fast.levels[level] == plain.levels[level]) << "level " << level << " differs";
            }
            if (fast.hr == S_OK) {
                ++loaded;
                cubes += c.kind == Kind::Cube ? 1 : 0;
            }
        }
    }
    // Most files load, cube maps included, so the comparison is not empty.
    EXPECT_GT(loaded, 1000);
    EXPECT_GT(cubes, 0);
}

}  // namespace
