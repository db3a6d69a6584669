#pragma once
// The pixels of one surface or volume: memory, pitches, lock state and the
// A8R8G8B8 copy the sampler reads.

#include <d3d8.h>

#include <cstdint>
#include <memory>

#include "format_layout.h"
#include "level_memory.h"

namespace platform {

// Largest level the device stores; D3DSURFACE_DESC::Size is 32-bit.
constexpr uint64_t MAX_LEVEL_BYTES = uint64_t{1} << 31;

class LevelData {
public:
    // Computes the layout; false when the format is unknown or too big.
    bool Describe(D3DFORMAT format, uint32_t width, uint32_t height, uint32_t depth);
    // Allocates (zeroed) memory for a described level, from cache when it
    // holds a block of the size; false when out of memory.
    bool Allocate(LevelBlockCache* cache = nullptr);

    D3DFORMAT Format() const { return layout_->format; }
    const FormatLayout& Layout() const { return *layout_; }
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    uint32_t Depth() const { return depth_; }
    uint32_t RowPitch() const { return rowPitch_; }
    uint32_t SlicePitch() const { return slicePitch_; }
    uint64_t Size() const { return size_; }
    uint8_t* Bits() {
        bits_.Settle();
        return bits_.get();
    }
    const uint8_t* Bits() const {
        bits_.Settle();
        return bits_.get();
    }
    bool Locked() const { return locked_; }

    HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags);
    HRESULT LockBox(D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags);
    HRESULT Unlock();
    // Locks the whole level (as LockRect with no rectangle and no flags) for
    // a caller that writes every byte of it, Size() bytes from the first,
    // before it unlocks: the level is not cleared first.
    HRESULT LockToOverwrite(D3DLOCKED_RECT* locked);

    // The level as A8R8G8B8, width x height texels per slice, every slice in
    // turn, built on first use after a change; null when it cannot be built.
    // A palette format reads its colours from palette (null: opaque white)
    // and is built again whenever paletteStamp differs from the last call's.
    const uint32_t* Argb(const PALETTEENTRY* palette = nullptr, uint64_t paletteStamp = 0);
    // Marks the pixels changed by a copy from outside the lock calls.
    void Touch() { argbValid_ = false; }

private:
    HRESULT CheckAndLock(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, DWORD flags);

    const FormatLayout* layout_ = nullptr;
    uint32_t width_ = 0, height_ = 0, depth_ = 0;
    uint32_t rowPitch_ = 0, slicePitch_ = 0;
    uint64_t size_ = 0;
    // Cleared on first use when it came stale from a cache, which may be
    // from a const reader.
    mutable LevelMemory bits_;
    bool locked_ = false;
    std::unique_ptr<uint32_t[]> argb_;
    bool argbValid_ = false;
    uint64_t argbPaletteStamp_ = 0;
};

}  // namespace platform
