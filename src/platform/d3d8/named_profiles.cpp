#include "d3d8_profiles.h"

#include <cstring>

#include "d3d8_testing.h"

namespace platform {

namespace {

constexpr const char* PROFILE_NAMES[] = {"default", "pow2", "square", nullptr};

constexpr DWORD POW2_CAPS = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_CUBEMAP_POW2 | D3DPTEXTURECAPS_VOLUMEMAP_POW2;

}  // namespace

bool SelectDeviceProfile(const char* name) {
    if (name == nullptr) {
        return false;
    }
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    if (std::strcmp(name, "pow2") == 0) {
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
