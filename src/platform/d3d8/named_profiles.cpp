#include "d3d8_profiles.h"

#include <cstring>

#include "d3d8_testing.h"

namespace platform {

namespace {

constexpr const char* PROFILE_NAMES[] = {"default", "modern", "pow2", "square", nullptr};

// Today's cards: 16384 texels a side, 2048 for volumes.
constexpr DWORD MODERN_MAX_SIDE = 16384;
constexpr DWORD MODERN_MAX_VOLUME_SIDE = 2048;

constexpr DWORD POW2_CAPS = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_CUBEMAP_POW2 | D3DPTEXTURECAPS_VOLUMEMAP_POW2;

}  // namespace

bool SelectDeviceProfile(const char* name) {
    if (name == nullptr) {
        return false;
    }
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    if (std::strcmp(name, "modern") == 0) {
        profile.maxTextureWidth = MODERN_MAX_SIDE;
        profile.maxTextureHeight = MODERN_MAX_SIDE;
        profile.maxVolumeExtent = MODERN_MAX_VOLUME_SIDE;
    } else if (std::strcmp(name, "pow2") == 0) {
        profile.textureCaps |= POW2_CAPS;
    } else if (std::strcmp(name, "square") == 0) {
        profile.textureCaps |= POW2_CAPS | D3DPTEXTURECAPS_SQUAREONLY;
    } else if (std::strcmp(name, "default") != 0) {
        return false;
    }
    platform_testing::SetDeviceProfile(profile);
    return true;
}

const char* const* DeviceProfileNames() {
    return PROFILE_NAMES;
}

}  // namespace platform
