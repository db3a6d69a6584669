#include "display_mode.h"

#include <SDL.h>

#include <cstring>

#include "device_profile.h"
#include "sdl_init.h"

namespace platform {

bool AcquireSdlVideo() {
    return InitSdlSubsystem(SDL_INIT_VIDEO) == 0;
}

void ReleaseSdlVideo() {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

D3DDISPLAYMODE DesktopDisplayMode() {
    D3DDISPLAYMODE mode{640, 480, 60, D3DFMT_X8R8G8B8};
    SDL_DisplayMode desktop;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0 && SDL_GetDesktopDisplayMode(0, &desktop) == 0 && desktop.w > 0 &&
        desktop.h > 0) {
        mode.Width = static_cast<UINT>(desktop.w);
        mode.Height = static_cast<UINT>(desktop.h);
        mode.RefreshRate = desktop.refresh_rate > 0 ? static_cast<UINT>(desktop.refresh_rate) : 60;
    }
    return mode;
}

void FillDeviceCaps(D3DDEVTYPE type, D3DCAPS8* caps) {
    const auto& profile = CurrentDeviceProfile();
    std::memset(caps, 0, sizeof(*caps));
    caps->DeviceType = type;
    caps->AdapterOrdinal = 0;
    caps->PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
    caps->ZCmpCaps = 0xFF;
    caps->AlphaCmpCaps = 0xFF;
    caps->SrcBlendCaps = 0x3FF;
    caps->DestBlendCaps = 0x3FF;
    caps->TextureCaps = profile.textureCaps;
    const DWORD filters = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                          D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps->TextureFilterCaps = filters;
    caps->CubeTextureFilterCaps = filters;
    caps->VolumeTextureFilterCaps = filters;
    caps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP;
    caps->VolumeTextureAddressCaps = caps->TextureAddressCaps;
    caps->MaxTextureWidth = profile.maxTextureWidth;
    caps->MaxTextureHeight = profile.maxTextureHeight;
    caps->MaxVolumeExtent = profile.maxVolumeExtent;
    caps->MaxTextureRepeat = 8192;
    caps->MaxTextureAspectRatio = profile.maxTextureAspectRatio;
    caps->MaxAnisotropy = 1;
    caps->MaxVertexW = 1e10f;
    caps->GuardBandLeft = -8192.0f;
    caps->GuardBandTop = -8192.0f;
    caps->GuardBandRight = 8192.0f;
    caps->GuardBandBottom = 8192.0f;
    caps->FVFCaps = 1;
    caps->TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                          D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X | D3DTEXOPCAPS_ADD;
    caps->MaxTextureBlendStages = 1;
    caps->MaxSimultaneousTextures = 1;
    caps->MaxPointSize = 1.0f;
    caps->MaxPrimitiveCount = 0xFFFFF;
    caps->MaxVertexIndex = 0xFFFFF;
    caps->MaxStreams = 1;
    caps->MaxStreamStride = 255;
}

}  // namespace platform
