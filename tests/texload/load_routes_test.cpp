// Every public test file and the game's own files, loaded through the
// shortcuts (decoding straight into the top level, direct row converters,
// column gathering, integer linear averaging, verbatim level copies) and
// again through the plain route of a decoded picture and ColorF rows: the
// result codes and every byte of every level must agree. DDS files read
// level by level from disk must give what the same bytes give from memory.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/tovtex_defs.h"
#include "convert/convert_testing.h"
#include "support/test_paths.h"
#include "support/texture_device_fixture.h"
#include "texload/mapped_file.h"
#include "texload/on_demand_testing.h"
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
        tovtex::SetOnDemandFrom(tovtex::DEFAULT_ON_DEMAND_FROM);
        TextureDeviceTest::TearDown();
    }

    // From the file, or with bytes given, from those bytes in memory.
    Loaded Load(const std::string& path, const LoadCase& c, bool shortcutsOff,
                const std::vector<char>* bytes = nullptr) {
        tovtex::SetConversionShortcutsOff(shortcutsOff);
        Loaded out;
        if (c.kind == Kind::Texture) {
            IDirect3DTexture8* texture = nullptr;
            out.hr = bytes != nullptr
                         ? LoadTextureFromMemory(device_, bytes->data(), static_cast<UINT>(bytes->size()), c.width,
                                                 c.height, 0, 0, c.format, D3DPOOL_MANAGED, c.filter, c.mipFilter,
                                                 c.colorKey, nullptr, nullptr, &texture)
                         : LoadTextureFromFileA(device_, path.c_str(), c.width, c.height, 0, 0, c.format,
                                                D3DPOOL_MANAGED, c.filter, c.mipFilter, c.colorKey, nullptr, nullptr,
                                                &texture);
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
            out.hr = bytes != nullptr
                         ? LoadCubeTextureFromMemory(device_, bytes->data(), static_cast<UINT>(bytes->size()),
                                                     c.width, 0, 0, c.format, D3DPOOL_MANAGED, c.filter, c.mipFilter,
                                                     c.colorKey, nullptr, nullptr, &cube)
                         : LoadCubeTextureFromFileA(device_, path.c_str(), c.width, 0, 0, c.format, D3DPOOL_MANAGED,
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

std::vector<char> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put32(std::vector<char>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
}

// A DDS file as stored, and shortened or damaged the ways a file on disk
// can be.
std::vector<std::pair<std::string, std::vector<char>>> DdsVariants(const std::vector<char>& whole) {
    std::vector<std::pair<std::string, std::vector<char>>> variants = {{"whole", whole}};
    if (whole.size() <= 128) {
        return variants;
    }
    auto cut = [&](size_t size) { return std::vector<char>(whole.begin(), whole.begin() + size); };
    variants.emplace_back("one byte short", cut(whole.size() - 1));
    variants.emplace_back("half the pixels", cut(128 + (whole.size() - 128) / 2));
    variants.emplace_back("header only", cut(128));
    std::vector<char> longer = whole;
    longer.resize(whole.size() + 1000, '\x5A');
    variants.emplace_back("extra bytes", longer);
    std::vector<char> levels = whole;
    Put32(levels, 28, 16);
    variants.emplace_back("more levels than stored", levels);
    std::vector<char> faces = whole;
    Put32(faces, 112, 0x0C00);
    variants.emplace_back("two cube faces", faces);
    return variants;
}

// A picture of w x h A8R8G8B8 pixels with its whole chain, as a DDS file.
std::vector<char> LargeDds(uint32_t w, uint32_t h, uint32_t levels) {
    std::vector<char> dds(128);
    std::memcpy(dds.data(), "DDS ", 4);
    Put32(dds, 4, 124);
    Put32(dds, 12, h);
    Put32(dds, 16, w);
    Put32(dds, 28, levels);
    Put32(dds, 76, 32);
    Put32(dds, 80, 0x41);
    Put32(dds, 88, 32);
    Put32(dds, 104, 0xFF000000u);
    uint32_t seed = 7;
    for (uint32_t level = 0; level < levels; ++level, w = std::max(w / 2, 1u), h = std::max(h / 2, 1u)) {
        for (size_t i = 0; i < size_t{w} * h * 4; ++i) {
            seed = seed * 1664525u + 1013904223u;
            dds.push_back(static_cast<char>(seed >> 24));
        }
    }
    return dds;
}

TEST_F(LoadRoutesTest, DdsFilesReadOnDemandGiveTheBytesOfTheirMemoryLoads) {
    ASSERT_NE(device_, nullptr);
    const std::string dir = test_support::MakeTempDir();
    std::vector<std::vector<char>> sources;
    for (const std::string& path : PublicFiles()) {
        std::vector<char> bytes = ReadWhole(path);
        if (bytes.size() >= 4 && std::memcmp(bytes.data(), "DDS ", 4) == 0) {
            sources.push_back(std::move(bytes));
        }
    }
    ASSERT_GT(sources.size(), 30u) << "the public DDS files are missing";
    // Levels large enough for the device to keep their memory when they are
    // released, so later loads reuse it.
    sources.push_back(LargeDds(512, 256, 10));
    sources.push_back(LargeDds(512, 256, 10));
    tovtex::SetOnDemandFrom(1);
    int onDemand = 0;
    for (size_t i = 0; i < sources.size(); ++i) {
        for (const auto& [what, bytes] : DdsVariants(sources[i])) {
            const std::string path = dir + "/in.dds";
            std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(),
                                                                         static_cast<std::streamsize>(bytes.size()));
            for (const LoadCase& c : CASES) {
                SCOPED_TRACE("DDS file " + std::to_string(i) + ", " + what + " (" + c.name + ")");
                const Loaded fromFile = Load(path, c, false);
                const Loaded fromMemory = Load(path, c, true, &bytes);
                ASSERT_EQ(fromFile.hr, fromMemory.hr);
                ASSERT_EQ(fromFile.levels.size(), fromMemory.levels.size());
                for (size_t level = 0; level < fromFile.levels.size(); ++level) {
                    ASSERT_TRUE(fromFile.levels[level] == fromMemory.levels[level]) << "level " << level << " differs";
                }
            }
            MappedFile file;
            onDemand += file.OpenOnDemand(path.c_str(), false) == S_OK && file.OnDemand() ? 1 : 0;
        }
    }
    std::filesystem::remove_all(dir);
    // Most of them took the on-demand route; the damaged ones the whole one.
    EXPECT_GT(onDemand, 60);
}

}  // namespace
