#include "texture_request.h"

#include <algorithm>

#include "device_profile.h"
#include "format_layout.h"

namespace platform {

namespace {

bool IsPowerOfTwo(uint32_t v) {
    return v != 0 && (v & (v - 1)) == 0;
}

struct KindCaps {
    DWORD present, pow2, mipmap;
};

KindCaps CapsOf(D3DRESOURCETYPE type) {
    switch (type) {
    case D3DRTYPE_CUBETEXTURE:
        return {D3DPTEXTURECAPS_CUBEMAP, D3DPTEXTURECAPS_CUBEMAP_POW2, D3DPTEXTURECAPS_MIPCUBEMAP};
    case D3DRTYPE_VOLUMETEXTURE:
        return {D3DPTEXTURECAPS_VOLUMEMAP, D3DPTEXTURECAPS_VOLUMEMAP_POW2, D3DPTEXTURECAPS_MIPVOLUMEMAP};
    default: return {0, D3DPTEXTURECAPS_POW2, D3DPTEXTURECAPS_MIPMAP};
    }
}

bool SizesAllowed(const TextureRequest& r, const platform_testing::DeviceProfile& profile) {
    const DWORD caps = profile.textureCaps;
    const KindCaps kind = CapsOf(r.type);
    if (kind.present != 0 && (caps & kind.present) == 0) {
        return false;
    }
    if (r.type == D3DRTYPE_VOLUMETEXTURE) {
        if (std::max({r.width, r.height, r.depth}) > profile.maxVolumeExtent) {
            return false;
        }
    } else if (r.width > profile.maxTextureWidth || r.height > profile.maxTextureHeight) {
        return false;
    }
    if ((caps & kind.pow2) != 0 && !(IsPowerOfTwo(r.width) && IsPowerOfTwo(r.height) && IsPowerOfTwo(r.depth))) {
        return false;
    }
    if (r.type == D3DRTYPE_TEXTURE) {
        if ((caps & D3DPTEXTURECAPS_SQUAREONLY) != 0 && r.width != r.height) {
            return false;
        }
        const uint64_t ratio = profile.maxTextureAspectRatio;
        if (ratio != 0 && (r.width > ratio * r.height || r.height > ratio * r.width)) {
            return false;
        }
    }
    return true;
}

}  // namespace

HRESULT ValidateTextureRequest(TextureRequest& r) {
    if (r.pool != D3DPOOL_DEFAULT && r.pool != D3DPOOL_MANAGED && r.pool != D3DPOOL_SYSTEMMEM) {
        return D3DERR_INVALIDCALL;
    }
    if ((r.usage & ~DWORD{D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL}) != 0 ||
        (r.usage != 0 && (r.type == D3DRTYPE_VOLUMETEXTURE || r.pool != D3DPOOL_DEFAULT))) {
        return D3DERR_INVALIDCALL;
    }
    if (r.width == 0 || r.height == 0 || r.depth == 0) {
        return D3DERR_INVALIDCALL;
    }
    const auto& profile = CurrentDeviceProfile();
    if (!SizesAllowed(r, profile) || !ProfileAccepts(r.usage, r.type, r.format) ||
        FindFormatLayout(r.format) == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    const bool mipmaps = (profile.textureCaps & CapsOf(r.type).mipmap) != 0;
    const uint32_t full = mipmaps ? FullChainLength(r.width, r.height, r.depth) : 1;
    if (r.levels == 0) {
        r.levels = full;
    }
    return r.levels > full ? D3DERR_INVALIDCALL : D3D_OK;
}

}  // namespace platform
