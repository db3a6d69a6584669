#pragma once
// A volume texture: a chain of volumes.

#include <array>

#include "device_link.h"
#include "texture_request.h"
#include "volume.h"

namespace platform {

class VolumeTexture final : public CountedObject<IDirect3DVolumeTexture8> {
public:
    static HRESULT Create(DeviceLink* link, TextureRequest request, IDirect3DVolumeTexture8** out);

    Volume* Level(UINT level) { return level < levelCount_ ? levels_[level] : nullptr; }
    D3DPOOL Pool() const { return pool_; }
    D3DFORMAT Format() const { return format_; }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** ppDevice) override { return link_->GetDevice(ppDevice); }
    D3DRESOURCETYPE STDMETHODCALLTYPE GetType() override { return D3DRTYPE_VOLUMETEXTURE; }
    DWORD STDMETHODCALLTYPE GetLevelCount() override { return levelCount_; }
    HRESULT STDMETHODCALLTYPE GetLevelDesc(UINT Level, D3DVOLUME_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE GetVolumeLevel(UINT Level, IDirect3DVolume8** ppVolumeLevel) override;
    HRESULT STDMETHODCALLTYPE LockBox(UINT Level, D3DLOCKED_BOX* pLockedVolume, CONST D3DBOX* pBox,
                                      DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockBox(UINT Level) override;

    HRESULT OwnerDevice(IDirect3DDevice8** out) override { return link_->GetDevice(out); }

protected:
    bool IsInterface(REFIID riid) const override;
    bool AnyLevelLocked() const override;

private:
    VolumeTexture(DeviceLink* link, const TextureRequest& request);
    ~VolumeTexture() override;

    DeviceLink* link_;
    D3DPOOL pool_;
    D3DFORMAT format_;
    UINT levelCount_ = 0;
    std::array<Volume*, 32> levels_{};
};

}  // namespace platform
