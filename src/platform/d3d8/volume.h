#pragma once
// A volume: one level of a volume texture. Its references are the volume
// texture's.

#include "counted_object.h"
#include "level_data.h"

namespace platform {

class Volume final : public ComObject<IDirect3DVolume8> {
public:
    Volume(LevelOwner* owner, DWORD usage, D3DPOOL pool) : owner_(owner), usage_(usage), pool_(pool) {}
    ~Volume() override = default;  // the owner deletes its volumes

    LevelData& Data() { return data_; }

    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->OwnerAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->OwnerRelease(); }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** ppDevice) override { return owner_->OwnerDevice(ppDevice); }
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** ppContainer) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DVOLUME_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE LockBox(D3DLOCKED_BOX* pLockedVolume, CONST D3DBOX* pBox, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockBox() override;

protected:
    bool IsInterface(REFIID riid) const override { return riid == IID_IDirect3DVolume8; }

private:
    LevelOwner* owner_;
    DWORD usage_;
    D3DPOOL pool_;
    LevelData data_;
};

}  // namespace platform
