#include "d3d8_overwrite.h"

#include "surface.h"

namespace platform {

HRESULT LockSurfaceToOverwrite(IDirect3DSurface8* surface, D3DLOCKED_RECT* locked) {
    if (surface == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    if (auto* own = dynamic_cast<Surface*>(surface)) {
        return own->LockToOverwrite(locked);
    }
    return surface->LockRect(locked, nullptr, 0);
}

}  // namespace platform
