#include "palette_table.h"

#include <cstring>
#include <new>

namespace platform {

HRESULT PaletteTable::Set(UINT number, const PALETTEENTRY* entries) {
    if (entries == nullptr || number >= MAX_PALETTES) {
        return D3DERR_INVALIDCALL;
    }
    if (table_ == nullptr) {
        table_.reset(new (std::nothrow) std::unique_ptr<Palette>[MAX_PALETTES]);
        if (table_ == nullptr) {
            return E_OUTOFMEMORY;
        }
    }
    if (table_[number] == nullptr) {
        table_[number].reset(new (std::nothrow) Palette);
        if (table_[number] == nullptr) {
            return E_OUTOFMEMORY;
        }
    }
    std::memcpy(table_[number]->entries, entries, sizeof(table_[number]->entries));
    ++stamp_;
    return D3D_OK;
}

HRESULT PaletteTable::Get(UINT number, PALETTEENTRY* entries) const {
    if (entries == nullptr || number >= MAX_PALETTES || table_ == nullptr || table_[number] == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    std::memcpy(entries, table_[number]->entries, sizeof(table_[number]->entries));
    return D3D_OK;
}

HRESULT PaletteTable::SetCurrent(UINT number) {
    if (number >= MAX_PALETTES) {
        return D3DERR_INVALIDCALL;
    }
    if (number != current_) {
        current_ = number;
        ++stamp_;
    }
    return D3D_OK;
}

const PALETTEENTRY* PaletteTable::CurrentEntries() const {
    if (table_ == nullptr || table_[current_] == nullptr) {
        return nullptr;
    }
    return table_[current_]->entries;
}

}  // namespace platform
