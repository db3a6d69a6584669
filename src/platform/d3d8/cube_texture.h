#pragma once
// A cube texture: six faces, each a chain of square surfaces.

#include <array>

#include "device_link.h"
#include "surface.h"
#include "texture_request.h"

namespace platform {

class CubeTexture final : public CountedObject<IDirect3DCubeTexture8> {
public:
    static constexpr UINT FACES = 6;

    static HRESULT Create(DeviceLink* link, TextureRequest request, IDirect3DCubeTexture8** out);

    Surface* Level(UINT face, UINT level) {
        return face < FACES && level < levelCount_ ? levels_[face * 32 + level] : nullptr;
    }
    D3DPOOL Pool() const { return pool_; }
    D3DFORMAT Format() const { return format_; }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** ppDevice) override { return link_->GetDevice(ppDevice); }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return levelCount_; }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE GetCubeMapSurface(D3DCUBEMAP_FACES FaceType, UINT Level,
                                                IDirect3DSurface8** ppCubeMapSurface) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect,
                                       CONST RECT* pRect, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) override;

    HRESULT OwnerDevice(IDirect3DDevice8** out) override { return link_->GetDevice(out); }

protected:
    bool IsInterface(REFIID riid) const override;
    bool AnyLevelLocked() const override;

private:
    CubeTexture(DeviceLink* link, const TextureRequest& request);
    ~CubeTexture() override;

    DeviceLink* link_;
    D3DPOOL pool_;
    D3DFORMAT format_;
    UINT levelCount_ = 0;
    std::array<Surface*, FACES * 32> levels_{};
};

}  // namespace platform
