#pragma once
// Reference counting for objects that own lockable levels (textures and the
// device). When the last reference goes while a level is still locked, the
// object stays alive, counted among the live objects and reported, until the
// level is unlocked: the caller still holds a pointer into its memory.

#include "com_object.h"
#include "device_profile.h"

namespace platform {

// What a surface or volume needs from the object it belongs to.
class LevelOwner {
public:
    virtual ULONG OwnerAddRef() = 0;
    virtual ULONG OwnerRelease() = 0;
    virtual HRESULT OwnerQueryInterface(REFIID riid, void** out) = 0;
    virtual HRESULT OwnerDevice(IDirect3DDevice8** out) = 0;
    // Called after a level of the owner was unlocked.
    virtual void LevelUnlocked() = 0;

protected:
    ~LevelOwner() = default;
};

template <typename Interface>
class CountedObject : public ComObject<Interface>, public LevelOwner {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }

    ULONG STDMETHODCALLTYPE Release() override {
        if (refs_ == 0) {
            return 0;  // a released object kept alive for its lock
        }
        const ULONG left = --refs_;
        if (left == 0) {
            if (AnyLevelLocked()) {
                CountReleasedWhileLocked();
            } else {
                delete this;
            }
        }
        return left;
    }

    ULONG OwnerAddRef() override { return AddRef(); }
    ULONG OwnerRelease() override { return Release(); }
    HRESULT OwnerQueryInterface(REFIID riid, void** out) override { return this->QueryInterface(riid, out); }

    void LevelUnlocked() override {
        if (refs_ == 0 && !AnyLevelLocked()) {
            delete this;
        }
    }

protected:
    virtual bool AnyLevelLocked() const = 0;

private:
    ULONG refs_ = 1;
};

}  // namespace platform
