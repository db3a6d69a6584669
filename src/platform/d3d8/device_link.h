#pragma once
// Resources name their device through a shared link that the device clears
// when it dies, so a resource that outlives its device answers GetDevice
// with an error instead of a dangling pointer. Resources hold no reference
// on the device: the device holds bound textures, and a cycle would leak.
// The link also carries the device's cache of released level blocks, which
// the device empties when it dies.

#include <d3d8.h>

#include <new>

#include "level_block_cache.h"

namespace platform {

class DeviceLink {
public:
    static DeviceLink* Create(IDirect3DDevice8* device);
    void AddRef() { ++refs_; }
    void Release() {
        if (--refs_ == 0) {
            delete this;
        }
    }
    void Clear() {
        device_ = nullptr;
        blocks_.Close();
    }
    LevelBlockCache* Blocks() { return &blocks_; }
    HRESULT GetDevice(IDirect3DDevice8** out) const {
        if (out == nullptr || device_ == nullptr) {
            return D3DERR_INVALIDCALL;
        }
        device_->AddRef();
        *out = device_;
        return D3D_OK;
    }

private:
    explicit DeviceLink(IDirect3DDevice8* device) : device_(device) {}
    IDirect3DDevice8* device_;
    int refs_ = 1;
    LevelBlockCache blocks_;
};

inline DeviceLink* DeviceLink::Create(IDirect3DDevice8* device) {
    return new (std::nothrow) DeviceLink(device);
}

}  // namespace platform
