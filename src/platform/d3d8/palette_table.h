#pragma once
// The device's texture palettes: up to 65536 numbered tables of 256
// entries, the flags byte of an entry read as alpha, and the number of the
// one paletted textures are drawn with.

#include <d3d8.h>

#include <cstdint>
#include <memory>

namespace platform {

class PaletteTable {
public:
    static constexpr UINT MAX_PALETTES = 0x10000;

    HRESULT Set(UINT number, const PALETTEENTRY* entries);
    // D3DERR_INVALIDCALL for a palette that was never set.
    HRESULT Get(UINT number, PALETTEENTRY* entries) const;
    HRESULT SetCurrent(UINT number);
    UINT Current() const { return current_; }

    // The current palette's entries; null when it was never set (paletted
    // textures then read opaque white).
    const PALETTEENTRY* CurrentEntries() const;
    // Changes whenever what CurrentEntries gives may have changed.
    uint64_t Stamp() const { return stamp_; }

private:
    struct Palette {
        PALETTEENTRY entries[256];
    };
    std::unique_ptr<std::unique_ptr<Palette>[]> table_;  // MAX_PALETTES slots, made on first Set
    UINT current_ = 0;
    uint64_t stamp_ = 1;
};

}  // namespace platform
