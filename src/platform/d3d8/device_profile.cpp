#include "device_profile.h"

#include "format_layout.h"

namespace platform {

namespace {

struct ProfileState {
    platform_testing::DeviceProfile profile = platform_testing::DefaultDeviceProfile();
    std::vector<platform_testing::CreateDeviceAttempt> attempts;
    int resets = 0;
    int presents = 0;
    int releasedWhileLocked = 0;
};

ProfileState& State() {
    static ProfileState state;
    return state;
}

}  // namespace

const platform_testing::DeviceProfile& CurrentDeviceProfile() {
    return State().profile;
}

void RecordCreateDeviceAttempt(const platform_testing::CreateDeviceAttempt& attempt) {
    State().attempts.push_back(attempt);
}

int CreateDeviceAttemptsSoFar() {
    return static_cast<int>(State().attempts.size());
}

void CountResetCall() {
    ++State().resets;
}
void CountPresentCall() {
    ++State().presents;
}
void CountReleasedWhileLocked() {
    ++State().releasedWhileLocked;
}

bool ProfileAccepts(DWORD usage, D3DRESOURCETYPE type, D3DFORMAT format) {
    const auto& profile = CurrentDeviceProfile();
    if ((usage & D3DUSAGE_DEPTHSTENCIL) != 0) {
        return (usage & D3DUSAGE_RENDERTARGET) == 0 && profile.depthStencilFormats.count(format) != 0 &&
               (type == D3DRTYPE_SURFACE || type == D3DRTYPE_TEXTURE);
    }
    const auto found = profile.formats.find(type);
    if (found == profile.formats.end() || found->second.count(format) == 0) {
        return false;
    }
    return (usage & D3DUSAGE_RENDERTARGET) == 0 || profile.renderTargetFormats.count(format) != 0;
}

}  // namespace platform

namespace platform_testing {

DeviceProfile DefaultDeviceProfile() {
    DeviceProfile profile;
    profile.textureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP |
                          D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_MIPCUBEMAP | D3DPTEXTURECAPS_VOLUMEMAP |
                          D3DPTEXTURECAPS_MIPVOLUMEMAP;
    profile.maxTextureWidth = 4096;
    profile.maxTextureHeight = 4096;
    profile.maxVolumeExtent = 4096;
    profile.maxTextureAspectRatio = 0;
    for (D3DFORMAT format : platform::TextureFormats()) {
        profile.formats[D3DRTYPE_TEXTURE].insert(format);
        profile.formats[D3DRTYPE_SURFACE].insert(format);
        profile.formats[D3DRTYPE_CUBETEXTURE].insert(format);
        if (!platform::IsBlockFormat(format) && !platform::IsYuvFormat(format)) {
            profile.formats[D3DRTYPE_VOLUMETEXTURE].insert(format);
            profile.formats[D3DRTYPE_VOLUME].insert(format);
        }
    }
    profile.renderTargetFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};
    profile.depthStencilFormats = {D3DFMT_D16, D3DFMT_D16_LOCKABLE};
    return profile;
}

void SetDeviceProfile(const DeviceProfile& profile) {
    platform::State().profile = profile;
}

void ResetDeviceProfile() {
    platform::State() = platform::ProfileState{};
}

std::vector<CreateDeviceAttempt> CreateDeviceAttempts() {
    return platform::State().attempts;
}
int ResetCallCount() {
    return platform::State().resets;
}
int PresentCallCount() {
    return platform::State().presents;
}
int ReleasedWhileLockedCount() {
    return platform::State().releasedWhileLocked;
}

}  // namespace platform_testing
