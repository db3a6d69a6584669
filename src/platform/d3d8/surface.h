#pragma once
// A surface: one level of a texture, one face level of a cube texture, or
// the device's back buffer or depth buffer. Its references are its owner's:
// holding a surface keeps the owner alive.

#include "counted_object.h"
#include "level_data.h"

namespace platform {

class Surface final : public ComObject<IDirect3DSurface8> {
public:
    Surface(LevelOwner* owner, DWORD usage, D3DPOOL pool, bool lockable)
        : owner_(owner), usage_(usage), pool_(pool), lockable_(lockable) {}
    ~Surface() override = default;  // the owner deletes its surfaces

    LevelData& Data() { return data_; }
    DWORD Usage() const { return usage_; }
    D3DPOOL Pool() const { return pool_; }

    ULONG STDMETHODCALLTYPE AddRef() override { return owner_->OwnerAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_->OwnerRelease(); }

    HRESULT STDMETHODCALLTYPE GetDevice(IDirect3DDevice8** ppDevice) override { return owner_->OwnerDevice(ppDevice); }
    HRESULT STDMETHODCALLTYPE GetContainer(REFIID riid, void** ppContainer) override;
    HRESULT STDMETHODCALLTYPE GetDesc(D3DSURFACE_DESC* pDesc) override;
    HRESULT STDMETHODCALLTYPE LockRect(D3DLOCKED_RECT* pLockedRect, CONST RECT* pRect, DWORD Flags) override;
    HRESULT STDMETHODCALLTYPE UnlockRect() override;
    // LockRect of the whole surface for a caller that writes all of it.
    HRESULT LockToOverwrite(D3DLOCKED_RECT* locked);

protected:
    bool IsInterface(REFIID riid) const override { return riid == IID_IDirect3DSurface8; }

private:
    LevelOwner* owner_;
    DWORD usage_;
    D3DPOOL pool_;
    bool lockable_;
    LevelData data_;
};

}  // namespace platform
