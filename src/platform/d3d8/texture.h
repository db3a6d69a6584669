#pragma once
// A plain texture: a chain of surfaces.

#include <array>

#include "device_link.h"
#include "surface.h"
#include "texture_request.h"

namespace platform {

class Texture final : public CountedObject<IDirect3DTexture8> {
public:
    static HRESULT Create(DeviceLink* link, TextureRequest request, IDirect3DTexture8** out);

    Surface* Level(UINT level) { return level < levelCount_ ? levels_[level] : nullptr; }
    D3DPOOL Pool() const { return pool_; }
    D3DFORMAT Format() const { return format_; }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** ppDevice) override { return link_->GetDevice(ppDevice); }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return levelCount_; }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceLevel(UINT Level, IDirect3DSurface8** ppSurfaceLevel) override;
    HRESULT STDMETHODCALLTYPE LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, CONST RECT* pRect,
                                       DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect(UINT Level) override;

    HRESULT OwnerDevice(IDirect3DDevice8** out) override { return link_->GetDevice(out); }

protected:
    bool IsInterface(REFIID riid) const override;
    bool AnyLevelLocked() const override;

private:
    Texture(DeviceLink* link, const TextureRequest& request);
    ~Texture() override;

    DeviceLink* link_;
    D3DPOOL pool_;
    D3DFORMAT format_;
    UINT levelCount_ = 0;
    std::array<Surface*, 32> levels_{};
};

}  // namespace platform
